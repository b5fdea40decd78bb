#include "file_names.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <random>

#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>
#endif

namespace qsfile {
namespace {
constexpr std::size_t kMaxTag = 200;
constexpr const char* kMarker = ".quilltemp.save";

std::string hex64(std::uint64_t v) {
    char buf[17];
    std::snprintf(buf, sizeof buf, "%016llx", static_cast<unsigned long long>(v));
    return buf;
}

std::uint64_t fnv1a(const std::string& s) {
    std::uint64_t h = 1469598103934665603ull;
    for (unsigned char c : s)
        h = (h ^ c) * 1099511628211ull;
    return h;
}

std::uint64_t processId() {
#ifdef _WIN32
    return static_cast<std::uint64_t>(_getpid());
#else
    return static_cast<std::uint64_t>(::getpid());
#endif
}
} // namespace

std::string nameTag(const std::string& fileName) {
    if (fileName.size() <= kMaxTag)
        return fileName;
    return fileName.substr(0, kMaxTag - 20) + "~" + hex64(fnv1a(fileName));
}

std::string lockName(const std::string& tag) {
    return tag + kMarker + ".lock";
}

std::string temporaryName(const std::string& tag) {
    // Unique across processes (pid, clock, random) and within one (counter),
    // even where random_device is weak; creation is exclusive regardless.
    static std::atomic<std::uint64_t> counter{0};
    std::random_device rd;
    const std::uint64_t mixed =
        (static_cast<std::uint64_t>(rd()) << 32 ^ rd()) ^ (processId() << 40) ^
        static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
        (counter.fetch_add(1) * 0x9E3779B97F4A7C15ull);
    return tag + kMarker + "." + hex64(mixed);
}

bool isSingleName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of("/\\") == std::string::npos && name.find('\0') == std::string::npos;
}

FileResult failure(std::string what) {
    FileResult r;
    r.ok = false;
    r.error = std::move(what);
    return r;
}

FileResult changedOnDisk() {
    FileResult r = failure("The file was changed by another program since it was loaded.");
    r.changed = true;
    return r;
}
} // namespace qsfile

std::filesystem::path pathFromUtf8(std::string_view utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string pathToUtf8(const std::filesystem::path& path) {
    const std::u8string s = path.u8string();
    return std::string(s.begin(), s.end());
}

bool isQuillTemporaryName(const std::string& fileName) {
    return fileName.find(".quilltemp.save.") != std::string::npos;
}

FileResult replaceFileIfUnchanged(const std::string& path, ByteSpan expected,
                                  ByteSpan replacement) {
    return qsfile::saveReplace(path, &expected, replacement);
}

FileResult writeInPlaceIfUnchanged(const std::string& path, ByteSpan expected,
                                   const std::vector<InPlaceWrite>& writes) {
    return qsfile::saveInPlace(path, &expected, writes);
}

FileResult writeInPlace(const std::string& path, const std::vector<InPlaceWrite>& writes) {
    return qsfile::saveInPlace(path, nullptr, writes);
}

FileResult replaceAtomically(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    return qsfile::saveReplace(path, nullptr, ByteSpan(bytes.data(), bytes.size()));
}

FileResult MappedFile::open(const std::string& path) {
    return readWholeFile(path, bytes_);
}
