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
// file.
//
// The name may already be taken. An empty regular file there is a lock file
// (a killed save leaves one): it is used and left in place. Anything else
// under that name belongs to someone else and the save is refused, so that a
// save never removes or writes a file it did not make. Only a lock file this
// save created itself is removed again, while the lock is still held; a save
// that opened the removed file notices (its inode is no longer the name's)
// and starts again.
class SaveLock {
public:
    SaveLock() = default;
    SaveLock(const SaveLock&) = delete;
    SaveLock& operator=(const SaveLock&) = delete;
    ~SaveLock() { release(); }

    FileResult acquire(const std::string& dir, const std::string& tag) {
        return acquireAt((fs::path(dir) / lockName(tag)).string());
    }

    // Takes the lock whose lock file is `lockPath`.
    FileResult acquireAt(const std::string& lockPath) {
        path_ = lockPath;
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(kLockWaitMilliseconds);
        for (;;) {
            if (auto r = openLockFile(); !r)
                return r;
            if (fd_) {
                const Taken taken = take(deadline);
                if (taken == Taken::Yes)
                    return {};
                if (taken == Taken::Failed) {
                    const int e = errno;
                    release();
                    return lockFailure(e);
                }
                // A file this save made is not removed here: either its name
                // leads elsewhere now, or another save still holds it at the
                // deadline and it is that save's lock until it ends.
                created_ = false;
                fd_.reset();
            }
            if (std::chrono::steady_clock::now() > deadline)
                return failure("Another save of this file is still running (" + path_ + ")");
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }

    // The lock file could not be made because the folder is not writable.
    bool folderNotWritable() const { return folderNotWritable_; }

private:
    enum class Taken { Yes, Retry, Failed };

    // Opens the lock file: a new one made by this save, or an empty one left
    // by another. Leaves fd_ closed when the name is changing under us (look
    // again); fails when the name holds anything but an empty regular file.
    FileResult openLockFile() {
        fd_.reset(::open(path_.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644));
        if (fd_) {
            created_ = true;
            return {};
        }
        const int createError = errno;
        if (createError != EEXIST && createError != EACCES && createError != EROFS)
            return lockFailure(createError);
        struct stat named {};
        if (::lstat(path_.c_str(), &named) != 0) {
            if (errno != ENOENT)
                return lockFailure(errno);
            // A folder this user cannot add to; or the lock was just removed.
            folderNotWritable_ = createError != EEXIST;
            return folderNotWritable_ ? lockFailure(createError) : FileResult{};
        }
        if (auto r = refuseUnlessEmptyRegular(named); !r)
            return r;
        // Another user's lock file may be read-only to us; a lock on a file
        // open for reading keeps saves apart just as well.
        fd_.reset(::open(path_.c_str(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
        if (!fd_ && errno == EACCES)
            fd_.reset(
                ::open(path_.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
        if (!fd_) {
            const int e = errno;
            if (e == ENOENT)
                return {};
            if (e == ELOOP) {
                named.st_mode = S_IFLNK;
                return refuseUnlessEmptyRegular(named);
            }
            return lockFailure(e);
        }
        // What was opened must be what was looked at: the name may have been
        // given to another file in between.
        struct stat held {};
        if (::fstat(fd_.get(), &held) != 0) {
            const int e = errno;
            fd_.reset();
            return lockFailure(e);
        }
        if (held.st_dev != named.st_dev || held.st_ino != named.st_ino) {
            fd_.reset();
            return {};
        }
        if (auto r = refuseUnlessEmptyRegular(held); !r) {
            fd_.reset();
            return r;
        }
        return {};
    }

    // Locks the open file. A file this save created is kept open and waited
    // on: closing it would leave a lock file nobody removes.
    Taken take(std::chrono::steady_clock::time_point deadline) {
        for (;;) {
            if (::flock(fd_.get(), LOCK_EX | LOCK_NB) == 0)
                return stillNamed() ? Taken::Yes : Taken::Retry;
            if (errno != EWOULDBLOCK && errno != EINTR)
                return Taken::Failed;
            if (!created_ || std::chrono::steady_clock::now() > deadline)
                return Taken::Retry;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }

    // True when the lock file's name still leads to the open file.
    bool stillNamed() const {
        struct stat held {
        }, named{};
        return ::fstat(fd_.get(), &held) == 0 && ::lstat(path_.c_str(), &named) == 0 &&
               held.st_dev == named.st_dev && held.st_ino == named.st_ino;
    }

    FileResult refuseUnlessEmptyRegular(const struct stat& st) const {
        if (S_ISREG(st.st_mode) && st.st_size == 0)
            return {};
        std::string what;
        if (S_ISREG(st.st_mode))
            what = "a file of " + std::to_string(st.st_size) + " bytes";
        else if (S_ISLNK(st.st_mode))
            what = "a symbolic link";
        else if (S_ISDIR(st.st_mode))
            what = "a folder";
        else if (S_ISFIFO(st.st_mode))
            what = "a FIFO (named pipe)";
        else if (S_ISSOCK(st.st_mode))
            what = "a socket";
        else if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode))
            what = "a device";
        else
            what = "not a regular file";
        return failure("The save lock " + path_ + " is " + what +
                       ", not an empty lock file; it is left as it is and nothing is saved. "
                       "Move it away to save this file");
    }

    // Removes the lock file only when this save created it and the name
    // still leads to it, and only while the lock is held, so no save can be
    // using it.
    void release() {
        if (fd_ && created_ && stillNamed())
            ::unlink(path_.c_str());
        created_ = false;
        fd_.reset();
    }

    FileResult lockFailure(int e) {
        return failure("The save lock " + path_ + " cannot be taken: " + std::strerror(e));
    }
    std::string path_;
    Fd fd_;
    bool created_ = false;
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

// Starts writing the file's cached bytes to the disk without waiting for
// them, so the work that follows overlaps the disk's; fsync still waits.
void startWriteback(int fd) {
#if defined(__linux__) && defined(SYNC_FILE_RANGE_WRITE)
    ::sync_file_range(fd, 0, 0, SYNC_FILE_RANGE_WRITE);
#else
    (void)fd;
#endif
}

// True while `path` names the file open as `fd` and that file has the size
// and the change time it had when `before` was taken. Any write sets the
// change time, and no program can set it back.
bool untouchedSince(const fs::path& path, int fd, const struct stat& before) {
    struct stat named {};
    struct stat now {};
    return ::stat(path.c_str(), &named) == 0 && ::fstat(fd, &now) == 0 &&
           named.st_dev == before.st_dev && named.st_ino == before.st_ino &&
           now.st_size == before.st_size && now.st_ctim.tv_sec == before.st_ctim.tv_sec &&
           now.st_ctim.tv_nsec == before.st_ctim.tv_nsec;
}

// Closes `fd` on a thread of its own. The last close of a file a rename
// has replaced frees its blocks and drops its cached pages, which for a
// scene of many megabytes takes longer than writing it; the save does not
// wait for that.
void closeInBackground(int fd) {
    if (fd < 0)
        return;
    try {
        std::thread([fd] { ::close(fd); }).detach();
    } catch (const std::system_error&) {
        ::close(fd);
    }
}

// The file as it is now: regular, and writable by this user.
FileResult openForCheck(const fs::path& target, int flags, Fd& fd, struct stat& st) {
    if (auto r = openRegular(AT_FDCWD, target.string(), flags, fd, st); !r)
        return r;
    return {};
}
} // namespace

FileResult saveReplace(const std::string& path, const ByteSpan* expected, ByteSpan replacement,
                       const SaveLocks* held) {
    fs::path target;
    if (auto r = resolveTarget(path, target); !r)
        return r;
    const fs::path dir = target.parent_path();
    const std::string tag = nameTag(target.filename().string());
    SaveLock lock;
    if (held) {
        const std::string lockPath = (dir / lockName(tag)).string();
        if (!held->holdsLockFile(lockPath))
            return lockNotHeld(lockPath);
    } else if (auto r = lock.acquire(dir.string(), tag); !r) {
        return r;
    }

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
    startWriteback(temp.fd.get());

    // The on-disk check while the disk takes the new bytes: the file must
    // still be the one the caller planned from.
    Fd old;
    struct stat oldSt {};
    if (expected) {
        if (auto r = openForCheck(target, O_RDONLY, old, oldSt); !r)
            return r;
        if (auto r = holdsExactly(old.get(), oldSt, *expected); !r)
            return r;
    }
    if (::fsync(temp.fd.get()) != 0)
        return errnoFailure(errno);
    if (::fchmod(temp.fd.get(), st.st_mode & 01777) != 0 || ::close(temp.fd.release()) != 0)
        return errnoFailure(errno);
    // And as late as possible: the file compared is still the one at the
    // path, and nothing has written to it since.
    if (expected && !untouchedSince(target, old.get(), oldSt))
        return changedOnDisk();
    if (::rename(temp.path.c_str(), target.c_str()) != 0)
        return errnoFailure(errno);
    temp.renamed = true;
    closeInBackground(old.release());
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
        if (!expected)
            return errnoFailure(error);
        return putBackBlocks(errnoFailure(error), *expected, writes, i,
                             [&](std::uint64_t pos, const std::uint8_t* bytes, std::size_t size) {
                                 return writeAll(pos, bytes, size) == 0;
                             });
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

struct SaveLocks::Held {
    qsfile::posix::SaveLock lock;
};

void SaveLocks::LetGo::operator()(Held* held) const {
    delete held;
}

namespace qsfile {
FileResult saveReplace(const std::string& path, const ByteSpan* expected, ByteSpan replacement,
                       const SaveLocks* held) {
    return posix::saveReplace(path, expected, replacement, held);
}
FileResult takeSaveLock(const std::string& lockPath, SaveLocks::HeldLock& out) {
    SaveLocks::HeldLock held(new SaveLocks::Held);
    if (auto r = held->lock.acquireAt(lockPath); !r)
        return r;
    out = std::move(held);
    return {};
}
FileResult saveInPlace(const std::string& path, const ByteSpan* expected,
                       const std::vector<InPlaceWrite>& writes) {
    return posix::saveInPlace(path, expected, writes);
}
} // namespace qsfile
#endif
