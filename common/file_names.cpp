#include "file_names.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>

#ifdef _WIN32
#include <process.h>
#else
#include <sys/mman.h>
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

FileResult lockNotHeld(const std::string& lockPath) {
    return failure("The save lock " + lockPath + " is not held by this change; nothing is saved");
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

FileResult replaceFileIfUnchanged(const std::string& path, ByteSpan expected, ByteSpan replacement,
                                  const SaveLocks& held) {
    return qsfile::saveReplace(path, &expected, replacement, &held);
}

std::string saveLockPath(const std::string& path) {
    namespace fs = std::filesystem;
    const auto utf8 = [](const fs::path& p) { return pathToUtf8(p); };
    std::error_code ec;
    const fs::path given = pathFromUtf8(path);
    fs::path target = fs::canonical(given, ec);
    if (ec) {
        // Nothing there yet: the name in its folder as the folder is reached.
        target =
            fs::canonical(given.parent_path().empty() ? fs::path(".") : given.parent_path(), ec) /
            given.filename();
        if (ec)
            target = fs::absolute(given, ec).lexically_normal();
    }
    const std::string lock = qsfile::lockName(qsfile::nameTag(utf8(target.filename())));
    return utf8(target.parent_path() / pathFromUtf8(lock));
}

SaveLocks::SaveLocks() = default;
SaveLocks::~SaveLocks() {
    release();
}
SaveLocks::SaveLocks(SaveLocks&&) noexcept = default;
SaveLocks& SaveLocks::operator=(SaveLocks&& other) noexcept {
    if (this != &other) {
        release();
        lockPaths_ = std::move(other.lockPaths_);
        held_ = std::move(other.held_);
    }
    return *this;
}

bool SaveLocks::holds(const std::string& path) const {
    return holdsLockFile(saveLockPath(path));
}

bool SaveLocks::holdsLockFile(const std::string& lockPath) const {
    return std::binary_search(lockPaths_.begin(), lockPaths_.end(), lockPath);
}

void SaveLocks::release() {
    while (!held_.empty())
        held_.pop_back();
    lockPaths_.clear();
}

FileResult takeSaveLocks(const std::vector<std::string>& paths, SaveLocks& locks,
                         std::size_t* failed) {
    locks.release();
    std::vector<std::pair<std::string, std::size_t>> order;
    for (std::size_t i = 0; i < paths.size(); ++i)
        if (std::find(paths.begin(), paths.begin() + static_cast<std::ptrdiff_t>(i), paths[i]) ==
            paths.begin() + static_cast<std::ptrdiff_t>(i))
            order.emplace_back(saveLockPath(paths[i]), i);
    std::sort(order.begin(), order.end());
    SaveLocks taken;
    for (const auto& [lockPath, index] : order) {
        if (!taken.lockPaths_.empty() && taken.lockPaths_.back() == lockPath)
            continue;
        SaveLocks::HeldLock held;
        if (FileResult r = qsfile::takeSaveLock(lockPath, held); !r) {
            if (failed)
                *failed = index;
            return r;
        }
        taken.held_.push_back(std::move(held));
        taken.lockPaths_.push_back(lockPath);
    }
    locks = std::move(taken);
    return {};
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

void MappedFile::Release::operator()(std::uint8_t* p) const {
#ifndef _WIN32
    if (mapped) {
        ::munmap(p, mapped);
        return;
    }
#endif
    delete[] p;
}

void MappedFile::take(const std::vector<std::uint8_t>& bytes) {
    bytes_ = std::unique_ptr<std::uint8_t[], Release>(new std::uint8_t[bytes.size()]);
    std::copy(bytes.begin(), bytes.end(), bytes_.get());
    size_ = bytes.size();
}
