#pragma once
#ifndef _WIN32
#include <sys/stat.h>

#include <cstdint>
#include <string>

#include "file_names.h"

// POSIX helpers shared by the read and save halves of file access.
namespace qsfile::posix {

// A file descriptor closed when it goes out of scope.
class Fd {
public:
    Fd() = default;
    explicit Fd(int fd) : fd_(fd) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd() { reset(); }
    int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }
    void reset(int fd = -1);
    int release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }

private:
    int fd_ = -1;
};

FileResult errnoFailure(int error);

// Why a file of this mode is not read or written: "Is a directory", ...
std::string notRegularReason(mode_t mode);

// Opens `path` (relative to `dirFd` unless it is AT_FDCWD) with `flags`, never
// blocking on a FIFO and refusing anything but a regular file; `st` receives
// the open file's status.
FileResult openRegular(int dirFd, const std::string& path, int flags, Fd& fd, struct stat& st);

// Reads exactly `n` bytes at `pos`; a short read means the file shrank.
FileResult readExactly(int fd, std::uint64_t pos, std::uint8_t* out, std::size_t n);

// True when the open file holds exactly `expected` (compared block by block).
FileResult holdsExactly(int fd, const struct stat& st, ByteSpan expected);

// Flushes a folder so that a rename inside it is on disk.
void flushFolder(const std::string& dir);

} // namespace qsfile::posix
#endif
