#ifndef _WIN32
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <thread>

#include "file_posix.h"

namespace fs = std::filesystem;

namespace qsfile::posix {
namespace {

// The save lock: an exclusive flock on a file beside the saved one. A lock on
// the saved file itself would not do, since the rename gives that name a new
// file. The lock file is removed on release; a save that opened the removed
// file notices (its inode is no longer the name's) and starts again.
class SaveLock {
public:
    SaveLock() = default;
    SaveLock(const SaveLock&) = delete;
    SaveLock& operator=(const SaveLock&) = delete;
    ~SaveLock() {
        if (fd_) {
            ::unlink(path_.c_str());
            fd_.reset();
        }
    }

    FileResult acquire(const std::string& dir, const std::string& tag) {
        path_ = (fs::path(dir) / lockName(tag)).string();
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(kLockWaitMilliseconds);
        for (;;) {
            fd_.reset(::open(path_.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0644));
            const int createError = errno;
            if (!fd_ && (createError == EACCES || createError == EROFS)) {
                // Another user's lock file, or a folder this user cannot add to.
                fd_.reset(::open(path_.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
                folderNotWritable_ = !fd_ && errno == ENOENT;
                if (folderNotWritable_)
                    return lockFailure(createError);
            }
            if (!fd_)
                return lockFailure(errno);
            if (::flock(fd_.get(), LOCK_EX | LOCK_NB) == 0) {
                struct stat held {
                }, named{};
                if (::fstat(fd_.get(), &held) == 0 && ::stat(path_.c_str(), &named) == 0 &&
                    held.st_dev == named.st_dev && held.st_ino == named.st_ino)
                    return {};
            } else if (errno != EWOULDBLOCK && errno != EINTR) {
                const int e = errno;
                fd_.reset();
                return lockFailure(e);
            }
            fd_.reset();
            if (std::chrono::steady_clock::now() > deadline)
                return failure("Another save of this file is still running (" + path_ + ")");
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }

    // The lock file could not be made because the folder is not writable.
    bool folderNotWritable() const { return folderNotWritable_; }

private:
    FileResult lockFailure(int e) {
        return failure("The save lock " + path_ + " cannot be taken: " + std::strerror(e));
    }
    std::string path_;
    Fd fd_;
    bool folderNotWritable_ = false;
};

// The file a save replaces: the final target of a symbolic link, so the
// link stays a link.
FileResult resolveTarget(const std::string& path, fs::path& target) {
    std::error_code ec;
    target = fs::canonical(fs::path(path), ec);
    if (ec)
        return failure(ec.message());
    return {};
}

FileResult writeAll(int fd, ByteSpan bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return errnoFailure(n < 0 ? errno : ENOSPC);
        done += static_cast<std::size_t>(n);
    }
    return {};
}

// A temporary file beside the target, removed unless it was renamed.
struct Temporary {
    std::string path;
    Fd fd;
    bool renamed = false;
    ~Temporary() {
        fd.reset();
        if (!path.empty() && !renamed)
            ::unlink(path.c_str());
    }
    FileResult create(const fs::path& dir, const std::string& tag) {
        for (int attempt = 0; attempt < 100; ++attempt) {
            const std::string p = (dir / temporaryName(tag)).string();
            fd.reset(::open(p.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
            if (fd) {
                path = p;
                // Private while written, whatever the umask allows.
                ::fchmod(fd.get(), 0600);
                return {};
            }
            if (errno != EEXIST)
                return errnoFailure(errno);
        }
        return failure("No temporary file could be created beside the file");
    }
};

// The replacement must keep the file's owner and group; only a user allowed to
// give them (the owner with membership of the group, or root) may replace.
FileResult keepOwner(int fd, const struct stat& scene) {
    struct stat mine {};
    if (::fstat(fd, &mine) != 0)
        return errnoFailure(errno);
    if (mine.st_uid == scene.st_uid && mine.st_gid == scene.st_gid)
        return {};
    if (::fchown(fd, scene.st_uid, scene.st_gid) == 0)
        return {};
    const int e = errno;
    return failure("The file belongs to user " + std::to_string(scene.st_uid) + " and group " +
                   std::to_string(scene.st_gid) +
                   "; a new copy written by this user could not keep them (" + std::strerror(e) +
                   "), so it is not replaced");
}

// The file as it is now: regular, and writable by this user.
FileResult openForCheck(const fs::path& target, int flags, Fd& fd, struct stat& st) {
    if (auto r = openRegular(AT_FDCWD, target.string(), flags, fd, st); !r)
        return r;
    return {};
}
} // namespace

FileResult saveReplace(const std::string& path, const ByteSpan* expected, ByteSpan replacement) {
    fs::path target;
    if (auto r = resolveTarget(path, target); !r)
        return r;
    const fs::path dir = target.parent_path();
    const std::string tag = nameTag(target.filename().string());
    SaveLock lock;
    if (auto r = lock.acquire(dir.string(), tag); !r)
        return r;

    // Opening for writing asks the system whether this user may write the file.
    Fd scene;
    struct stat st {};
    if (auto r = openForCheck(target, O_WRONLY, scene, st); !r)
        return r;
    scene.reset();

    Temporary temp;
    if (auto r = temp.create(dir, tag); !r)
        return r;
    if (auto r = keepOwner(temp.fd.get(), st); !r)
        return r;
    if (auto r = writeAll(temp.fd.get(), replacement); !r)
        return r;
    if (::fsync(temp.fd.get()) != 0)
        return errnoFailure(errno);
    if (::fchmod(temp.fd.get(), st.st_mode & 01777) != 0 || ::close(temp.fd.release()) != 0)
        return errnoFailure(errno);

    // The on-disk check, as late as possible: the file must still be the one
    // the caller planned from.
    if (expected) {
        Fd now;
        struct stat nowSt {};
        if (auto r = openForCheck(target, O_RDONLY, now, nowSt); !r)
            return r;
        if (auto r = holdsExactly(now.get(), nowSt, *expected); !r)
            return r;
    }
    if (::rename(temp.path.c_str(), target.c_str()) != 0)
        return errnoFailure(errno);
    temp.renamed = true;
    flushFolder(dir.string());
    return {};
}

FileResult saveInPlace(const std::string& path, const ByteSpan* expected,
                       const std::vector<InPlaceWrite>& writes) {
    fs::path target;
    if (auto r = resolveTarget(path, target); !r)
        return r;
    SaveLock lock;
    const FileResult locked =
        lock.acquire(target.parent_path().string(), nameTag(target.filename().string()));
    if (!locked && !lock.folderNotWritable())
        return locked;
    Fd fd;
    struct stat st {};
    if (auto r = openForCheck(target, O_RDWR, fd, st); !r)
        return r;
    // In a folder where no lock file can be made nothing can replace the file
    // either, so a lock on the file itself keeps in-place saves apart.
    if (!locked && ::flock(fd.get(), LOCK_EX) != 0)
        return errnoFailure(errno);
    const auto len = static_cast<std::uint64_t>(st.st_size);
    for (const auto& w : writes) {
        if (w.pos > len || w.bytes.size() > len - w.pos)
            return failure("A write would reach past the end of the file");
    }
    if (expected) {
        if (auto r = holdsExactly(fd.get(), st, *expected); !r)
            return r;
    }
    const auto writeAll = [&fd](std::uint64_t pos, const std::uint8_t* bytes,
                                std::size_t size) -> int {
        std::size_t done = 0;
        while (done < size) {
            const ssize_t n =
                ::pwrite(fd.get(), bytes + done, size - done, static_cast<off_t>(pos + done));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return n < 0 ? errno : ENOSPC;
            done += static_cast<std::size_t>(n);
        }
        return 0;
    };
    for (std::size_t i = 0; i < writes.size(); ++i) {
        const int error = writeAll(writes[i].pos, writes[i].bytes.data(), writes[i].bytes.size());
        if (error == 0)
            continue;
        // The blocks up to this one may be written in part: the old bytes go
        // back, so the file stays as it was.
        if (expected)
            for (std::size_t k = 0; k <= i; ++k)
                (void)writeAll(writes[k].pos, expected->data() + writes[k].pos,
                               writes[k].bytes.size());
        return errnoFailure(error);
    }
    if (::fsync(fd.get()) != 0) {
        FileResult unconfirmed = errnoFailure(errno);
        unconfirmed.unconfirmed = true;
        return unconfirmed;
    }
    if (::close(fd.release()) != 0) {
        FileResult unconfirmed = errnoFailure(errno);
        unconfirmed.unconfirmed = true;
        return unconfirmed;
    }
    return {};
}
} // namespace qsfile::posix

namespace qsfile {
FileResult saveReplace(const std::string& path, const ByteSpan* expected, ByteSpan replacement) {
    return posix::saveReplace(path, expected, replacement);
}
FileResult saveInPlace(const std::string& path, const ByteSpan* expected,
                       const std::vector<InPlaceWrite>& writes) {
    return posix::saveInPlace(path, expected, writes);
}
} // namespace qsfile
#endif
