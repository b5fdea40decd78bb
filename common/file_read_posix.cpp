#ifndef _WIN32
#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <vector>

#include "file_posix.h"
#include "large_bytes.h"

namespace qsfile::posix {

void Fd::reset(int fd) {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = fd;
}

FileResult errnoFailure(int error) {
    return failure(error ? std::strerror(error) : "Input/output error");
}

std::string notRegularReason(mode_t mode) {
    if (S_ISDIR(mode))
        return "Is a directory";
    if (S_ISFIFO(mode))
        return "Is a FIFO (named pipe), not a regular file";
    if (S_ISSOCK(mode))
        return "Is a socket, not a regular file";
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return "Is a device, not a regular file";
    if (S_ISLNK(mode))
        return "Is a symbolic link, which is not followed here";
    return "Is not a regular file";
}

FileResult openRegular(int dirFd, const std::string& path, int flags, Fd& fd, struct stat& st) {
    // Look before opening: opening a device or FIFO can block or have effects.
    const int statFlags = (flags & O_NOFOLLOW) ? AT_SYMLINK_NOFOLLOW : 0;
    if (::fstatat(dirFd, path.c_str(), &st, statFlags) != 0)
        return errnoFailure(errno);
    if (!S_ISREG(st.st_mode))
        return failure(notRegularReason(st.st_mode));
    fd.reset(::openat(dirFd, path.c_str(), flags | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!fd) {
        const int e = errno;
        return e == ELOOP && (flags & O_NOFOLLOW) ? failure(notRegularReason(S_IFLNK))
                                                  : errnoFailure(e);
    }
    // The name may have been swapped between the look and the open.
    if (::fstat(fd.get(), &st) != 0)
        return errnoFailure(errno);
    if (!S_ISREG(st.st_mode))
        return failure(notRegularReason(st.st_mode));
    return {};
}

FileResult readExactly(int fd, std::uint64_t pos, std::uint8_t* out, std::size_t n) {
    std::size_t done = 0;
    while (done < n) {
        const ssize_t got = ::pread(fd, out + done, n - done, static_cast<off_t>(pos + done));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return errnoFailure(errno);
        }
        if (got == 0)
            return failure("The file changed while it was read");
        done += static_cast<std::size_t>(got);
    }
    return {};
}

FileResult holdsExactly(int fd, const struct stat& st, ByteSpan expected) {
    if (static_cast<std::uint64_t>(st.st_size) != expected.size())
        return changedOnDisk();
    std::vector<std::uint8_t> block(std::min(expected.size(), kCompareBlock));
    for (std::size_t at = 0; at < expected.size(); at += block.size()) {
        const std::size_t n = std::min(block.size(), expected.size() - at);
        if (auto r = readExactly(fd, at, block.data(), n); !r)
            return r.error == "The file changed while it was read" ? changedOnDisk() : r;
        if (std::memcmp(block.data(), expected.data() + at, n) != 0)
            return changedOnDisk();
    }
    return {};
}

void flushFolder(const std::string& dir) {
    Fd fd(::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd)
        ::fsync(fd.get());
}

namespace {
// Reads `length` bytes at `pos` of the open file, or all from `pos` on.
FileResult readOpen(const Fd& fd, const struct stat& st, std::uint64_t pos,
                    std::optional<std::uint64_t> length, std::vector<std::uint8_t>& out) {
    const auto size = static_cast<std::uint64_t>(st.st_size);
    if (!length)
        length = pos <= size ? size - pos : 0;
    if (pos > size || *length > size - pos)
        return failure("The file is shorter than expected");
    std::vector<std::uint8_t> data;
    reserveLarge(data, static_cast<std::size_t>(*length));
    data.resize(static_cast<std::size_t>(*length));
    if (auto r = readExactly(fd.get(), pos, data.data(), data.size()); !r)
        return r;
    out = std::move(data);
    return {};
}

// Files of /proc and /sys report a size of 0 and are made as they are read:
// they are read to their end, up to a bound (they are small; one that keeps
// going is not a file to load whole).
constexpr std::size_t kUnsizedLimit = 64u << 20;

FileResult readUnsized(const Fd& fd, std::vector<std::uint8_t>& out) {
    std::vector<std::uint8_t> data;
    std::uint8_t block[4096];
    for (;;) {
        const ssize_t got = ::read(fd.get(), block, sizeof block);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return errnoFailure(errno);
        }
        if (got == 0)
            break;
        if (data.size() + static_cast<std::size_t>(got) > kUnsizedLimit)
            return failure("The file reports no size and goes on past 64 MiB");
        data.insert(data.end(), block, block + got);
    }
    out = std::move(data);
    return {};
}

FileResult folderFd(const std::string& dir, Fd& fd) {
    fd.reset(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    return fd ? FileResult{} : errnoFailure(errno);
}
} // namespace
} // namespace qsfile::posix

using namespace qsfile;
using namespace qsfile::posix;

namespace {
// Memory for `size` bytes in pages of 2 MiB where the system gives them
// (`mapped` receives the length mapped), or null: a large file costs a few
// page faults instead of one per 4 KiB, and a scan that jumps through it
// misses the address cache far less.
std::uint8_t* hugePages(std::size_t size, std::size_t& mapped) {
    mapped = 0;
    if (size < kLargePage)
        return nullptr;
    const std::size_t length = (size + kLargePage - 1) / kLargePage * kLargePage;
    void* m = ::mmap(nullptr, length + kLargePage, PROT_READ | PROT_WRITE,
                     MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (m == MAP_FAILED)
        return nullptr;
    auto* base = static_cast<std::uint8_t*>(m);
    const std::size_t lead = (kLargePage - reinterpret_cast<std::uintptr_t>(base) % kLargePage) %
                             kLargePage; // to the first 2 MiB
    if (lead)
        ::munmap(base, lead);
    ::munmap(base + lead + length, kLargePage - lead);
    adviseLargePages(base + lead, length);
    mapped = length;
    return base + lead;
}
} // namespace

FileResult MappedFile::open(const std::string& path) {
    Fd fd;
    struct stat st {};
    if (auto r = openRegular(AT_FDCWD, path, O_RDONLY, fd, st); !r)
        return r;
    if (st.st_size == 0) {
        std::vector<std::uint8_t> made;
        if (auto r = readUnsized(fd, made); !r)
            return r;
        take(made);
        return {};
    }
    const auto size = static_cast<std::size_t>(st.st_size);
    std::size_t mapped = 0;
    std::unique_ptr<std::uint8_t[], Release> bytes(hugePages(size, mapped));
    if (!bytes)
        bytes.reset(new std::uint8_t[size]);
    bytes.get_deleter().mapped = mapped;
    if (auto r = readExactly(fd.get(), 0, bytes.get(), size); !r)
        return r;
    // A file that grew while it was read was not read whole.
    struct stat after {};
    if (::fstat(fd.get(), &after) == 0 && after.st_size != st.st_size)
        return failure("The file changed while it was read");
    bytes_ = std::move(bytes);
    size_ = size;
    return {};
}

FileResult readFileRange(const std::string& path, std::uint64_t pos, std::uint64_t length,
                         std::vector<std::uint8_t>& out) {
    Fd fd;
    struct stat st {};
    if (auto r = openRegular(AT_FDCWD, path, O_RDONLY, fd, st); !r)
        return r;
    return readOpen(fd, st, pos, length, out);
}

FileResult readWholeFile(const std::string& path, std::vector<std::uint8_t>& out) {
    Fd fd;
    struct stat st {};
    if (auto r = openRegular(AT_FDCWD, path, O_RDONLY, fd, st); !r)
        return r;
    if (st.st_size == 0)
        return readUnsized(fd, out);
    if (auto r = readOpen(fd, st, 0, std::nullopt, out); !r)
        return r;
    // A file that grew while it was read was not read whole.
    struct stat after {};
    if (::fstat(fd.get(), &after) == 0 && after.st_size != st.st_size)
        return failure("The file changed while it was read");
    return {};
}

FileResult probeReadWrite(const std::string& path) {
    Fd fd;
    struct stat st {};
    if (auto r = openRegular(AT_FDCWD, path, O_RDWR, fd, st); !r)
        return r;
    // Another program holding a lock on the file makes it "used by another".
    if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0)
        return errnoFailure(errno);
    ::flock(fd.get(), LOCK_UN);
    return {};
}

FileResult readFileInFolder(const std::string& dir, const std::string& name,
                            std::vector<std::uint8_t>& out) {
    if (!isSingleName(name))
        return failure("Is not a plain file name");
    Fd dirFd, fd;
    if (auto r = folderFd(dir, dirFd); !r)
        return r;
    struct stat st {};
    if (auto r = openRegular(dirFd.get(), name, O_RDONLY | O_NOFOLLOW, fd, st); !r)
        return r;
    return readOpen(fd, st, 0, std::nullopt, out);
}

FileResult checkWritableNameInFolder(const std::string& dir, const std::string& name) {
    if (!isSingleName(name))
        return failure("Is not a plain file name");
    Fd dirFd;
    if (auto r = folderFd(dir, dirFd); !r)
        return r;
    struct stat st {};
    if (::fstatat(dirFd.get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT ? FileResult{} : errnoFailure(errno);
    return S_ISREG(st.st_mode) ? FileResult{} : failure(notRegularReason(st.st_mode));
}

namespace {
bool memberOf(gid_t gid) {
    if (gid == ::getegid())
        return true;
    const int n = ::getgroups(0, nullptr);
    if (n <= 0)
        return false;
    std::vector<gid_t> groups(static_cast<std::size_t>(n));
    const int got = ::getgroups(n, groups.data());
    return got > 0 && std::find(groups.begin(), groups.begin() + got, gid) != groups.begin() + got;
}

FileResult ownerNotKept(const struct stat& st, const std::string& why) {
    return failure("The file belongs to user " + std::to_string(st.st_uid) + " and group " +
                   std::to_string(st.st_gid) +
                   "; a new copy written by this user could not keep them (" + why +
                   "), so nothing is written");
}

// Only root gives files away; a user keeps a group he is a member of.
FileResult ownerKeepable(const struct stat& st, bool group) {
    if (::geteuid() == 0)
        return {};
    if (st.st_uid != ::geteuid())
        return ownerNotKept(st, std::strerror(EPERM));
    if (group && !memberOf(st.st_gid))
        return ownerNotKept(st, std::strerror(EPERM));
    return {};
}

// The owner and mode a written file takes over from another.
struct Likeness {
    struct stat st;
    // The group must be kept too; otherwise a copy of the user's own file
    // may take the user's group, without the group's permissions.
    bool strictGroup;
};

FileResult writeInFolder(const std::string& dir, const std::string& name, ByteSpan bytes,
                         const std::optional<Likeness>& like) {
    if (auto r = checkWritableNameInFolder(dir, name); !r)
        return r;
    if (like) {
        if (auto r = ownerKeepable(like->st, like->strictGroup); !r)
            return r;
    }
    Fd dirFd;
    if (auto r = folderFd(dir, dirFd); !r)
        return r;
    std::string temp;
    Fd fd;
    // A copy is private until it has its owner: widened to the original's
    // mode only then.
    const mode_t createMode = like ? 0600 : 0666;
    for (int attempt = 0; attempt < 100 && !fd; ++attempt) {
        temp = temporaryName(nameTag(name));
        fd.reset(::openat(dirFd.get(), temp.c_str(),
                          O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, createMode));
        if (!fd && errno != EEXIST)
            return errnoFailure(errno);
    }
    if (!fd)
        return failure("No temporary file could be created");
    auto discard = [&](FileResult r) {
        fd.reset();
        ::unlinkat(dirFd.get(), temp.c_str(), 0);
        return r;
    };
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd.get(), bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return discard(errnoFailure(n < 0 ? errno : ENOSPC));
        done += static_cast<std::size_t>(n);
    }
    if (like) {
        mode_t mode = like->st.st_mode & 01777;
        if (::fchown(fd.get(), like->st.st_uid, like->st.st_gid) != 0) {
            const int e = errno;
            if (like->strictGroup || like->st.st_uid != ::geteuid())
                return discard(ownerNotKept(like->st, std::strerror(e)));
            mode &= ~mode_t(070);
        }
        // After the chown, which may clear mode bits.
        if (::fchmod(fd.get(), mode) != 0)
            return discard(errnoFailure(errno));
    }
    if (::fsync(fd.get()) != 0 || ::close(fd.release()) != 0)
        return discard(errnoFailure(errno));
    // Checked again: a link put there meanwhile is refused, not replaced.
    if (auto r = checkWritableNameInFolder(dir, name); !r)
        return discard(r);
    if (::renameat(dirFd.get(), temp.c_str(), dirFd.get(), name.c_str()) != 0)
        return discard(errnoFailure(errno));
    ::fsync(dirFd.get());
    return {};
}
} // namespace

FileResult writeFileInFolder(const std::string& dir, const std::string& name, ByteSpan bytes) {
    return writeInFolder(dir, name, bytes, std::nullopt);
}

FileResult checkCopyKeepsOwner(const std::string& path, bool group) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return errnoFailure(errno);
    return ownerKeepable(st, group);
}

FileResult writeCopyInFolder(const std::string& dir, const std::string& name, ByteSpan bytes,
                             const std::string& original) {
    Likeness like{};
    if (::stat(original.c_str(), &like.st) != 0)
        return errnoFailure(errno);
    like.strictGroup = false;
    return writeInFolder(dir, name, bytes, like);
}

FileResult replaceFileInFolder(const std::string& dir, const std::string& name, ByteSpan bytes) {
    if (auto r = checkWritableNameInFolder(dir, name); !r)
        return r;
    Likeness like{};
    if (::stat((std::string(dir.empty() ? "." : dir) + "/" + name).c_str(), &like.st) != 0) {
        if (errno != ENOENT)
            return errnoFailure(errno);
        return writeInFolder(dir, name, bytes, std::nullopt);
    }
    like.strictGroup = true;
    return writeInFolder(dir, name, bytes, like);
}
#endif
