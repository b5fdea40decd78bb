#include "file_access.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <system_error>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {
FileResult failure(std::string what) {
    return FileResult{false, std::move(what)};
}

FileResult errnoFailure() {
    int e = errno;
    return failure(e ? std::strerror(e) : "Input/output error");
}

struct FileCloser {
    void operator()(std::FILE* f) const {
        if (f)
            std::fclose(f);
    }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// Pushes the file's data to the disk before we rely on it.
bool flushToDisk(std::FILE* f) {
    if (std::fflush(f) != 0)
        return false;
#ifdef _WIN32
    return _commit(_fileno(f)) == 0;
#else
    return ::fsync(fileno(f)) == 0;
#endif
}

// Makes a rename inside `dir` durable. Windows has no directory flush; the
// rename there is made durable by MOVEFILE_WRITE_THROUGH.
void flushFolder([[maybe_unused]] const fs::path& dir) {
#ifndef _WIN32
    int fd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
#endif
}

// The length of an open file; the position is left at its end.
std::optional<std::uint64_t> fileSize(std::FILE* f) {
    if (std::fseek(f, 0, SEEK_END) != 0)
        return std::nullopt;
    const long len = std::ftell(f);
    if (len < 0)
        return std::nullopt;
    return static_cast<std::uint64_t>(len);
}

bool renameOver(const fs::path& from, const fs::path& to) {
#ifdef _WIN32
    return MoveFileExW(from.c_str(), to.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
#else
    return std::rename(from.c_str(), to.c_str()) == 0;
#endif
}

// Reads `length` bytes at `pos`, or everything from `pos` on when `length` is empty.
FileResult readSpan(const std::string& path, std::uint64_t pos, std::optional<std::uint64_t> length,
                    std::vector<std::uint8_t>& out) {
    errno = 0;
    FilePtr f(std::fopen(path.c_str(), "rb"));
    if (!f)
        return errnoFailure();
    const auto size = fileSize(f.get());
    if (!size)
        return errnoFailure();
    if (!length)
        length = pos <= *size ? *size - pos : 0;
    if (pos > *size || *length > *size - pos)
        return failure("The file is shorter than expected");
    std::vector<std::uint8_t> data(static_cast<std::size_t>(*length));
    if (std::fseek(f.get(), static_cast<long>(pos), SEEK_SET) != 0)
        return errnoFailure();
    if (!data.empty() && std::fread(data.data(), 1, data.size(), f.get()) != data.size())
        return std::ferror(f.get()) ? errnoFailure()
                                    : failure("The file changed while it was read");
    out = std::move(data);
    return {};
}
} // namespace

FileResult readWholeFile(const std::string& path, std::vector<std::uint8_t>& out) {
    return readSpan(path, 0, std::nullopt, out);
}

FileResult readFileRange(const std::string& path, std::uint64_t pos, std::uint64_t length,
                         std::vector<std::uint8_t>& out) {
    return readSpan(path, pos, length, out);
}

FileResult probeReadWrite(const std::string& path) {
    errno = 0;
    std::error_code ec;
    if (fs::is_directory(path, ec))
        return failure("Is a directory");
    FilePtr f(std::fopen(path.c_str(), "r+b"));
    if (!f)
        return errnoFailure();
#ifndef _WIN32
    // Another program holding a lock on the file makes it "used by another".
    if (::flock(fileno(f.get()), LOCK_EX | LOCK_NB) != 0)
        return errnoFailure();
    ::flock(fileno(f.get()), LOCK_UN);
#endif
    return {};
}

FileResult writeInPlace(const std::string& path, const std::vector<InPlaceWrite>& writes) {
    errno = 0;
    FilePtr f(std::fopen(path.c_str(), "r+b"));
    if (!f)
        return errnoFailure();
    const auto len = fileSize(f.get());
    if (!len)
        return errnoFailure();
    for (const auto& w : writes) {
        if (w.pos > *len || w.bytes.size() > *len - w.pos)
            return failure("A write would reach past the end of the file");
    }
    for (const auto& w : writes) {
        if (w.bytes.empty())
            continue;
        if (std::fseek(f.get(), static_cast<long>(w.pos), SEEK_SET) != 0 ||
            std::fwrite(w.bytes.data(), 1, w.bytes.size(), f.get()) != w.bytes.size())
            return errnoFailure();
    }
    if (!flushToDisk(f.get()))
        return errnoFailure();
    if (std::fclose(f.release()) != 0)
        return errnoFailure();
    return {};
}

std::string temporaryPathFor(const std::string& path) {
    return (fs::path(path).parent_path() / "quilltemp.save").string();
}

FileResult replaceAtomically(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    const fs::path target(path);
    const fs::path temp(temporaryPathFor(path));
    std::error_code ec;
    if (!fs::is_regular_file(target, ec))
        return failure(ec ? ec.message() : "No such file");
    // A temporary file left behind by an interrupted run holds nothing we need.
    fs::remove(temp, ec);
    if (ec)
        return failure(ec.message());

    errno = 0;
    FilePtr f(std::fopen(temp.string().c_str(), "wbx"));
    if (!f)
        return errnoFailure();
    auto discard = [&](FileResult r) {
        f.reset();
        std::error_code ignored;
        fs::remove(temp, ignored);
        return r;
    };
    if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), f.get()) != bytes.size())
        return discard(errnoFailure());
    if (!flushToDisk(f.get()))
        return discard(errnoFailure());
#ifndef _WIN32
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0)
        ::fchmod(fileno(f.get()), st.st_mode & 07777);
#endif
    if (std::fclose(f.release()) != 0)
        return discard(errnoFailure());
    if (!renameOver(temp, target))
        return discard(errnoFailure());
    flushFolder(target.parent_path());
    return {};
}

#ifndef _WIN32
#include <sys/mman.h>
#endif

MappedFile::~MappedFile() {
#ifndef _WIN32
    if (mapped_)
        ::munmap(const_cast<std::uint8_t*>(data_), size_);
#endif
}

FileResult MappedFile::open(const std::string& path) {
#ifndef _WIN32
    errno = 0;
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0)
        return errnoFailure();
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        FileResult r = errnoFailure();
        ::close(fd);
        return r;
    }
    if (S_ISDIR(st.st_mode)) {
        ::close(fd);
        return failure("Is a directory");
    }
    if (S_ISREG(st.st_mode) && st.st_size > 0) {
        // Populating maps the whole file at once instead of one page per fault.
        void* p = ::mmap(nullptr, static_cast<std::size_t>(st.st_size), PROT_READ,
                         MAP_PRIVATE | MAP_POPULATE, fd, 0);
        ::close(fd);
        if (p != MAP_FAILED) {
            data_ = static_cast<const std::uint8_t*>(p);
            size_ = static_cast<std::size_t>(st.st_size);
            mapped_ = true;
            return {};
        }
    } else {
        ::close(fd);
    }
#endif
    FileResult r = readWholeFile(path, fallback_);
    data_ = fallback_.data();
    size_ = fallback_.size();
    return r;
}
