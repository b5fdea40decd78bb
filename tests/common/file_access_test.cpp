#include <dlfcn.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/sysmacros.h>

#include <cerrno>
#include <thread>

#include "file_test_support.h"
#include "large_bytes.h"

// Faults put into the system calls a save makes. The test program's own
// definitions take the place of the C library's; unarmed they pass every call
// on unchanged.
namespace faults {
int flockError = 0;               // flock fails with this error
std::function<int()> beforeFlock; // runs once before a flock; fails it with the error returned
std::function<void(const char*)> onLstat; // runs after a look at a name
std::function<void()> beforeRename;       // runs before a rename
std::function<void(int)> onFsync;         // runs before a flush
std::function<void()> onFstat;            // runs after a look at an open file
} // namespace faults

template <typename F> static F realCall(const char* name) {
    return reinterpret_cast<F>(::dlsym(RTLD_NEXT, name));
}

extern "C" int flock(int fd, int op) noexcept {
    if (faults::beforeFlock) {
        const auto hook = std::move(faults::beforeFlock);
        faults::beforeFlock = nullptr;
        if (const int e = hook()) {
            errno = e;
            return -1;
        }
    }
    if (faults::flockError) {
        errno = faults::flockError;
        return -1;
    }
    static const auto real = realCall<int (*)(int, int)>("flock");
    return real(fd, op);
}

extern "C" int lstat(const char* __restrict path, struct stat* __restrict st) noexcept {
    static const auto real = realCall<int (*)(const char*, struct stat*)>("lstat");
    const int r = real(path, st);
    if (faults::onLstat) {
        const int e = errno;
        const auto hook = faults::onLstat; // the hook may disarm itself
        hook(path);
        errno = e;
    }
    return r;
}

extern "C" int rename(const char* from, const char* to) noexcept {
    if (faults::beforeRename) {
        const auto hook = std::move(faults::beforeRename);
        faults::beforeRename = nullptr;
        hook();
    }
    static const auto real = realCall<int (*)(const char*, const char*)>("rename");
    return real(from, to);
}

extern "C" int fstat(int fd, struct stat* st) noexcept {
    static const auto real = realCall<int (*)(int, struct stat*)>("fstat");
    const int r = real(fd, st);
    if (faults::onFstat) {
        const int e = errno;
        const auto hook = faults::onFstat; // the hook may disarm itself
        hook();
        errno = e;
    }
    return r;
}

extern "C" int fsync(int fd) {
    if (faults::onFsync) {
        const auto hook = faults::onFsync;
        hook(fd);
    }
    static const auto real = realCall<int (*)(int)>("fsync");
    return real(fd);
}

namespace {
using namespace filetest;

class FileSave : public TempFolder {
protected:
    fs::path file = dir / "scene2.bin";
    void SetUp() override {
        TempFolder::SetUp();
        write(file, "0123456789");
    }
    FileResult replace(const std::string& expected, const std::string& with, const fs::path& path) {
        const Bytes e = bytesOf(expected), w = bytesOf(with);
        return replaceFileIfUnchanged(path.string(), ByteSpan(e.data(), e.size()),
                                      ByteSpan(w.data(), w.size()));
    }
    FileResult replace(const std::string& expected, const std::string& with) {
        return replace(expected, with, file);
    }
    void TearDown() override {
        faults::flockError = 0;
        faults::beforeFlock = nullptr;
        faults::onLstat = nullptr;
        faults::beforeRename = nullptr;
        faults::onFsync = nullptr;
        faults::onFstat = nullptr;
        TempFolder::TearDown();
    }
    const fs::path lockPath = dir / "scene2.bin.quilltemp.save.lock";
};

std::size_t openFiles() {
    std::size_t n = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator("/proc/self/fd"))
        ++n;
    return n;
}

TEST_F(FileSave, ReplaceWritesAllAndLeavesNothingBehind) {
    const std::size_t before = openFiles();
    ASSERT_TRUE(replace("0123456789", "new"));
    EXPECT_EQ(content(file), "new");
    EXPECT_TRUE(leftovers(dir, {"scene2.bin"}).empty());
    // The replaced file is let go of on a thread of its own; soon, but not
    // necessarily by the time the save returns.
    for (int i = 0; i < 200 && openFiles() > before; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(openFiles(), before) << "no file is left open";
}

// The file is compared while the new one goes to the disk; a write to it
// after the comparison, before the rename, still stops the save.
TEST_F(FileSave, AFileChangedWhileTheNewOneIsFlushedIsNotReplaced) {
    // Past the clock tick of the file's own writing, so the change gets a
    // later change time.
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    bool changed = false;
    faults::onFsync = [&](int fd) {
        struct stat st {};
        if (changed || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
            return;
        changed = true;
        std::fstream f(file, std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(3);
        f.put('x'); // same length
    };
    const FileResult r = replace("0123456789", "new");
    EXPECT_TRUE(changed);
    EXPECT_FALSE(r);
    EXPECT_TRUE(r.changed);
    EXPECT_EQ(content(file), "012x456789");
    EXPECT_TRUE(leftovers(dir, {"scene2.bin"}).empty());
}

// The new name lives in the folder: the folder itself is flushed after the
// rename, or a power cut could bring back the old file.
TEST_F(FileSave, TheFolderIsFlushedAfterTheRename) {
    struct stat folder {};
    ASSERT_EQ(::stat(dir.c_str(), &folder), 0);
    bool renaming = false;
    int fileFlushes = 0, folderFlushesAfter = 0;
    faults::beforeRename = [&] { renaming = true; };
    faults::onFsync = [&](int fd) {
        struct stat st {};
        if (::fstat(fd, &st) != 0)
            return;
        if (S_ISREG(st.st_mode))
            ++fileFlushes;
        else if (renaming && S_ISDIR(st.st_mode) && st.st_dev == folder.st_dev &&
                 st.st_ino == folder.st_ino)
            ++folderFlushesAfter;
    };
    ASSERT_TRUE(replace("0123456789", "new"));
    EXPECT_EQ(content(file), "new");
    EXPECT_EQ(fileFlushes, 1) << "the new file, before its rename";
    EXPECT_EQ(folderFlushesAfter, 1);
}

TEST_F(FileSave, AFileThatChangedIsNotReplaced) {
    const FileResult r = replace("0123456780", "new");
    EXPECT_FALSE(r);
    EXPECT_TRUE(r.changed);
    EXPECT_EQ(content(file), "0123456789");
    EXPECT_FALSE(replace("01234", "new")) << "a shorter expectation is no match either";
    // A large file is compared in blocks: a change in its last byte counts.
    std::string large(std::size_t{3} << 20, 'a');
    write(file, large);
    large.back() = 'b';
    EXPECT_TRUE(replace(large, "new").changed);
    EXPECT_EQ(content(file).size(), large.size());
    EXPECT_TRUE(leftovers(dir, {"scene2.bin"}).empty());
}

TEST_F(FileSave, ASceneNamedLikeTheTemporaryFileIsSafe) {
    const fs::path odd = dir / "quilltemp.save";
    write(odd, "old");
    write(dir / "other.bin", "untouched");
    ASSERT_TRUE(replace("old", "new", odd));
    EXPECT_EQ(content(odd), "new");
    EXPECT_EQ(content(dir / "other.bin"), "untouched");
    EXPECT_EQ(content(file), "0123456789");
}

TEST_F(FileSave, ModeIsKeptWithoutSetIdBits) {
    fs::permissions(file, fs::perms(06754));
    ASSERT_TRUE(replace("0123456789", "new"));
    struct stat st {};
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0754u);
}

TEST_F(FileSave, ASymbolicLinkStaysALinkAndItsTargetIsReplaced) {
    fs::create_directories(dir / "real");
    const fs::path target = dir / "real" / "scene2.bin";
    write(target, "target");
    const fs::path link = dir / "link.bin";
    fs::create_symlink(fs::path("real") / "scene2.bin", link);
    ASSERT_TRUE(replace("target", "through", link));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(content(target), "through");
    EXPECT_TRUE(leftovers(dir / "real", {"scene2.bin"}).empty());
    EXPECT_TRUE(leftovers(dir, {"scene2.bin", "real", "link.bin"}).empty());

    Bytes tail = bytesOf("!");
    EXPECT_TRUE(writeInPlace(link.string(), {{0, tail}}));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(content(target), "!hrough");
}

TEST_F(FileSave, HardLinksAreSplit) {
    fs::create_hard_link(file, dir / "second.bin");
    ASSERT_TRUE(replace("0123456789", "new"));
    EXPECT_EQ(content(file), "new");
    EXPECT_EQ(content(dir / "second.bin"), "0123456789");
}

TEST_F(FileSave, InPlaceWritesChangeOnlyTheirBytesOrNothing) {
    const Bytes now = bytesOf("0123456789");
    ASSERT_TRUE(writeInPlaceIfUnchanged(file.string(), ByteSpan(now.data(), now.size()),
                                        {{2, {'a', 'b'}}, {9, {'z'}}}));
    EXPECT_EQ(content(file), "01ab45678z");
    EXPECT_FALSE(writeInPlace(file.string(), {{1, {'x'}}, {9, {'y', 'y'}}}));
    EXPECT_EQ(content(file), "01ab45678z") << "nothing is written when one block is out of range";
    const FileResult stale =
        writeInPlaceIfUnchanged(file.string(), ByteSpan(now.data(), now.size()), {{0, {'x'}}});
    EXPECT_TRUE(stale.changed);
    EXPECT_EQ(content(file), "01ab45678z");
    EXPECT_TRUE(leftovers(dir, {"scene2.bin"}).empty());
}

TEST_F(FileSave, OnlyRegularFilesAreSaved) {
    EXPECT_FALSE(replace("", "x", dir));
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0666), 0);
    const FileResult r = replace("", "x", dir / "fifo");
    EXPECT_FALSE(r);
    EXPECT_NE(r.error.find("FIFO"), std::string::npos) << r.error;
    EXPECT_FALSE(replace("", "x", "/dev/null"));
    EXPECT_FALSE(replace("", "x", dir / "missing.bin"));
    EXPECT_FALSE(fs::exists(dir / "missing.bin"));
}

TEST_F(FileSave, ALockHeldByAnotherSaveIsWaitedFor) {
    // Hold the lock the way a running save does, let the save wait for it.
    const int fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_EX), 0);
    const pid_t saver = ::fork();
    if (saver == 0)
        ::_exit(replace("0123456789", "late") ? 0 : 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(content(file), "0123456789") << "not written while the lock is held";
    ::unlink(lockPath.c_str());
    ::close(fd);
    int status = 0;
    ::waitpid(saver, &status, 0);
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(content(file), "late");
    EXPECT_TRUE(leftovers(dir, {"scene2.bin"}).empty());
}

std::vector<std::string> sortedLeftovers(const fs::path& dir,
                                         const std::vector<std::string>& keep) {
    std::vector<std::string> out = leftovers(dir, keep);
    std::sort(out.begin(), out.end());
    return out;
}

// The locks of several files (a file there, one to be made, a folder to be
// made, one name twice) are held together: a save of one of them by another
// program waits; a save handed the holder writes under it; release removes
// the lock files the holder made and keeps one that was there.
TEST_F(FileSave, LocksOfSeveralFilesAreHeldTogetherAndLetGo) {
    const fs::path other = dir / "cache.bin";
    write(other, "abc");
    const fs::path otherLock = dir / "cache.bin.quilltemp.save.lock";
    write(otherLock, "");
    const std::vector<std::string> paths = {file.string(), (dir / "new.bin").string(),
                                            other.string(), (dir / "." / "scene2.bin").string(),
                                            (dir / "models").string()};
    SaveLocks locks;
    ASSERT_TRUE(takeSaveLocks(paths, locks));
    EXPECT_EQ(locks.size(), 4u);
    for (const std::string& p : paths)
        EXPECT_TRUE(locks.holds(p)) << p;
    EXPECT_FALSE(locks.holds((dir / "tree.klz").string()));
    EXPECT_EQ(saveLockPath((dir / "models").string()),
              (dir / "models.quilltemp.save.lock").string());
    EXPECT_EQ(sortedLeftovers(dir, {"scene2.bin", "cache.bin"}),
              (std::vector<std::string>{"cache.bin.quilltemp.save.lock",
                                        "models.quilltemp.save.lock", "new.bin.quilltemp.save.lock",
                                        "scene2.bin.quilltemp.save.lock"}));

    const pid_t saver = ::fork();
    if (saver == 0)
        ::_exit(replace("0123456789", "late") ? 0 : 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(content(file), "0123456789") << "not written while the lock is held";

    const Bytes abc = bytesOf("abc"), xyz = bytesOf("xyz");
    EXPECT_TRUE(replaceFileIfUnchanged(other.string(), abc, xyz, locks));
    EXPECT_EQ(content(other), "xyz");
    write(dir / "tree.klz", "abc");
    const FileResult notHeld = replaceFileIfUnchanged((dir / "tree.klz").string(), abc, xyz, locks);
    EXPECT_FALSE(notHeld);
    EXPECT_NE(notHeld.error.find("tree.klz.quilltemp.save.lock is not held"), std::string::npos)
        << notHeld.error;
    EXPECT_EQ(content(dir / "tree.klz"), "abc");

    locks.release();
    EXPECT_EQ(locks.size(), 0u);
    int status = 0;
    ::waitpid(saver, &status, 0);
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(content(file), "late");
    EXPECT_EQ(sortedLeftovers(dir, {"scene2.bin", "cache.bin", "tree.klz"}),
              (std::vector<std::string>{"cache.bin.quilltemp.save.lock"}));
}

// A lock that cannot be taken: nothing is held, and the path is named.
TEST_F(FileSave, WhenOneOfSeveralLocksCannotBeTakenNoneIsHeld) {
    write(dir / "cache.bin.quilltemp.save.lock", "someone's");
    SaveLocks locks;
    std::size_t failed = 99;
    const FileResult r = takeSaveLocks(
        {(dir / "tree.klz").string(), (dir / "cache.bin").string(), file.string()}, locks, &failed);
    EXPECT_FALSE(r);
    EXPECT_EQ(failed, 1u);
    EXPECT_NE(r.error.find("cache.bin.quilltemp.save.lock is a file of 9 bytes"), std::string::npos)
        << r.error;
    EXPECT_EQ(locks.size(), 0u);
    EXPECT_EQ(sortedLeftovers(dir, {"scene2.bin"}),
              (std::vector<std::string>{"cache.bin.quilltemp.save.lock"}));
}

// A save never removes, writes or uses a file under the lock's name that is
// not an empty lock file: it refuses, naming the path and what is there.
TEST_F(FileSave, ANonEmptyFileWithTheLocksNameIsKeptAndTheSaveRefused) {
    std::string users(28 * 1024, '\0');
    for (std::size_t i = 0; i < users.size(); ++i)
        users[i] = static_cast<char>(i * 7 + 3);
    write(lockPath, users);
    FileResult r = replace("0123456789", "new");
    EXPECT_FALSE(r);
    EXPECT_NE(r.error.find(lockPath.string()), std::string::npos) << r.error;
    EXPECT_NE(r.error.find("a file of 28672 bytes"), std::string::npos) << r.error;
    r = writeInPlace(file.string(), {{0, {'x'}}});
    EXPECT_NE(r.error.find("a file of 28672 bytes"), std::string::npos) << r.error;
    EXPECT_EQ(content(lockPath), users);
    EXPECT_EQ(content(file), "0123456789");
    EXPECT_TRUE(leftovers(dir, {"scene2.bin", lockPath.filename().string()}).empty());
}

TEST_F(FileSave, LinksFifosFoldersAndDevicesWithTheLocksNameAreKeptAndTheSaveRefused) {
    write(dir / "target.txt", "");
    const auto unlinkAll = [&] { fs::remove_all(lockPath); };
    struct Case {
        std::string what;
        std::function<void()> make;
        fs::file_type type;
    };
    std::vector<Case> cases = {
        {"a FIFO", [&] { ASSERT_EQ(::mkfifo(lockPath.c_str(), 0666), 0); }, fs::file_type::fifo},
        {"a symbolic link", [&] { fs::create_symlink("target.txt", lockPath); },
         fs::file_type::symlink},
        {"a symbolic link", [&] { fs::create_symlink("nowhere.txt", lockPath); },
         fs::file_type::symlink},
        {"a folder", [&] { fs::create_directory(lockPath); }, fs::file_type::directory},
    };
    if (::geteuid() == 0)
        cases.push_back(
            {"a device",
             [&] { ASSERT_EQ(::mknod(lockPath.c_str(), S_IFCHR | 0666, makedev(1, 3)), 0); },
             fs::file_type::character});
    for (const Case& c : cases) {
        c.make();
        FileResult r = replace("0123456789", "new");
        EXPECT_NE(r.error.find(lockPath.string() + " is " + c.what), std::string::npos) << r.error;
        r = writeInPlace(file.string(), {{0, {'x'}}});
        EXPECT_NE(r.error.find(lockPath.string() + " is " + c.what), std::string::npos) << r.error;
        EXPECT_EQ(fs::symlink_status(lockPath).type(), c.type) << c.what;
        EXPECT_EQ(content(file), "0123456789");
        EXPECT_EQ(content(dir / "target.txt"), "");
        EXPECT_FALSE(fs::exists(dir / "nowhere.txt"));
        EXPECT_TRUE(
            leftovers(dir, {"scene2.bin", "target.txt", lockPath.filename().string()}).empty());
        unlinkAll();
    }
}

// The empty file a killed save leaves is the lock: used, and left in place.
TEST_F(FileSave, AnEmptyLeftoverLockIsUsedAndKept) {
    write(lockPath, "");
    struct stat before {};
    ASSERT_EQ(::stat(lockPath.c_str(), &before), 0);
    ASSERT_TRUE(replace("0123456789", "new"));
    ASSERT_TRUE(writeInPlace(file.string(), {{0, {'N'}}}));
    EXPECT_EQ(content(file), "New");
    struct stat after {};
    ASSERT_EQ(::stat(lockPath.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_size, 0);
    EXPECT_TRUE(leftovers(dir, {"scene2.bin", lockPath.filename().string()}).empty());
}

// A lock that cannot be taken leaves no lock file behind that this save made,
// and removes none it did not make.
TEST_F(FileSave, ALockThatCannotBeTakenRemovesOnlyTheFileThisSaveMade) {
    faults::flockError = ENOLCK;
    FileResult r = replace("0123456789", "new");
    EXPECT_NE(r.error.find("cannot be taken"), std::string::npos) << r.error;
    EXPECT_EQ(content(file), "0123456789");
    EXPECT_TRUE(leftovers(dir, {"scene2.bin"}).empty());

    write(lockPath, "");
    r = replace("0123456789", "new");
    EXPECT_NE(r.error.find("cannot be taken"), std::string::npos) << r.error;
    EXPECT_TRUE(fs::is_regular_file(lockPath)) << "the leftover is not this save's to remove";
    EXPECT_EQ(content(file), "0123456789");
}

// The name may be given to another file between the look and the open: what
// was opened is checked, not what was looked at.
TEST_F(FileSave, ALockNameSwappedAfterTheLookIsNotUsed) {
    write(lockPath, "");
    const std::string users = "the user's own notes";
    write(dir / "notes.txt", users);
    faults::onLstat = [&](const char* path) {
        if (path == lockPath.string()) {
            faults::onLstat = nullptr;
            fs::rename(dir / "notes.txt", lockPath);
        }
    };
    const FileResult r = replace("0123456789", "new");
    EXPECT_NE(r.error.find("a file of " + std::to_string(users.size()) + " bytes"),
              std::string::npos)
        << r.error;
    EXPECT_EQ(content(lockPath), users);
    EXPECT_EQ(content(file), "0123456789");
}

// A name that led to another file only while the lock file was opened is
// looked at again: the empty lock file it leads to once more is used.
TEST_F(FileSave, ALockNameSwappedOnlyForTheOpenIsLookedAtAgain) {
    write(lockPath, "");
    write(dir / "notes.txt", "notes");
    faults::onLstat = [&](const char* path) {
        if (path != lockPath.string())
            return;
        faults::onLstat = nullptr;
        fs::rename(lockPath, dir / "lock.bak");
        fs::rename(dir / "notes.txt", lockPath);
        faults::onFstat = [&] {
            faults::onFstat = nullptr;
            fs::rename(lockPath, dir / "notes.txt");
            fs::rename(dir / "lock.bak", lockPath);
        };
    };
    const FileResult r = replace("0123456789", "new");
    EXPECT_TRUE(r) << r.error;
    EXPECT_EQ(content(file), "new");
    EXPECT_EQ(content(dir / "notes.txt"), "notes");
    EXPECT_TRUE(fs::is_regular_file(lockPath)) << "the lock file this save did not make stays";
}

// The same lock file, written into between the look and the open, is no
// longer an empty lock file.
TEST_F(FileSave, ALockFileWrittenIntoAfterTheLookIsNotUsed) {
    write(lockPath, "");
    faults::onLstat = [&](const char* path) {
        if (path == lockPath.string()) {
            faults::onLstat = nullptr;
            std::ofstream(lockPath, std::ios::binary | std::ios::app) << "notes";
        }
    };
    const FileResult r = replace("0123456789", "new");
    EXPECT_NE(r.error.find("a file of 5 bytes"), std::string::npos) << r.error;
    EXPECT_EQ(content(lockPath), "notes");
    EXPECT_EQ(content(file), "0123456789");
}

// A save that finds its own new lock file taken by another save (which opened
// it in the moment between creating and locking) waits for it, and still
// removes it afterwards: closing it would leave a lock file nobody removes.
TEST_F(FileSave, ALockFileThisSaveMadeIsRemovedAfterWaitingForIt) {
    faults::beforeFlock = [] { return EWOULDBLOCK; };
    ASSERT_TRUE(replace("0123456789", "new"));
    EXPECT_EQ(content(file), "new");
    EXPECT_TRUE(leftovers(dir, {"scene2.bin"}).empty());
}

// A lock taken on a file whose name was meanwhile given to another (the save
// that held it removed it) is no lock: the save looks again.
TEST_F(FileSave, ALockOnAFileNoLongerNamedSoIsNotUsed) {
    write(lockPath, "");
    write(dir / "notes.txt", "notes");
    faults::beforeFlock = [&] {
        fs::rename(dir / "notes.txt", lockPath);
        return 0;
    };
    const FileResult r = replace("0123456789", "new");
    EXPECT_NE(r.error.find("a file of 5 bytes"), std::string::npos) << r.error;
    EXPECT_EQ(content(file), "0123456789");
    EXPECT_EQ(content(lockPath), "notes");
}

// A lock file this save made, but whose name another program took during the
// save, is not removed: what the name leads to now is not this save's.
TEST_F(FileSave, ALockFileReplacedDuringTheSaveIsNotRemoved) {
    write(dir / "notes.txt", "notes");
    faults::beforeRename = [&] { fs::rename(dir / "notes.txt", lockPath); };
    ASSERT_TRUE(replace("0123456789", "new"));
    EXPECT_EQ(content(file), "new");
    EXPECT_EQ(content(lockPath), "notes");
}

// Many savers of one file from one expected state: exactly one wins, every
// other is told the file changed, and the file is the winner's bytes.
TEST_F(FileSave, ConcurrentSavesOfOneFileNeverLoseAChangeSilently) {
    for (int round = 0; round < 6; ++round) {
        write(file, "start");
        // Every other round with the empty lock file a killed save leaves.
        const bool leftover = round % 2 == 1;
        if (leftover)
            write(lockPath, "");
        std::vector<pid_t> kids;
        for (int k = 0; k < 6; ++k) {
            const pid_t pid = ::fork();
            if (pid == 0) {
                const FileResult r = replace("start", "saver " + std::to_string(k));
                ::_exit(r ? 0 : (r.changed ? 3 : 4));
            }
            kids.push_back(pid);
        }
        int winners = 0, told = 0;
        for (pid_t pid : kids) {
            int status = 0;
            ::waitpid(pid, &status, 0);
            winners += WEXITSTATUS(status) == 0;
            told += WEXITSTATUS(status) == 3;
        }
        EXPECT_EQ(winners, 1);
        EXPECT_EQ(told, 5);
        EXPECT_EQ(content(file).rfind("saver ", 0), 0u);
        EXPECT_TRUE(leftovers(dir, {"scene2.bin"}).empty() != leftover) << "round " << round;
        fs::remove(lockPath);
    }
}

// Saves of different files in one folder at the same moment each keep their own bytes.
TEST_F(FileSave, ConcurrentSavesOfTwoFilesInOneFolderKeepEachItsOwnBytes) {
    for (int round = 0; round < 10; ++round) {
        std::vector<pid_t> kids;
        for (int k = 0; k < 4; ++k) {
            const fs::path p = dir / ("scene" + std::to_string(k) + ".bin");
            write(p, "old " + std::to_string(k));
        }
        for (int k = 0; k < 4; ++k) {
            const pid_t pid = ::fork();
            if (pid == 0) {
                const fs::path p = dir / ("scene" + std::to_string(k) + ".bin");
                const std::string n = std::to_string(k);
                const FileResult r = replace("old " + n, std::string(100000, 'a' + k) + n, p);
                if (!r)
                    std::fprintf(stderr, "saver %d: %s\n", k, r.error.c_str());
                ::_exit(r ? 0 : 1);
            }
            kids.push_back(pid);
        }
        for (pid_t pid : kids) {
            int status = 0;
            ::waitpid(pid, &status, 0);
            EXPECT_EQ(WEXITSTATUS(status), 0);
        }
        for (int k = 0; k < 4; ++k) {
            const std::string got = content(dir / ("scene" + std::to_string(k) + ".bin"));
            EXPECT_EQ(got, std::string(100000, 'a' + k) + std::to_string(k))
                << got.size() << " bytes: " << got.substr(0, 12) << " round " << round;
        }
    }
}

class FileRead : public TempFolder {};

TEST_F(FileRead, FoldersFifosAndDevicesAreRefusedWithoutWaiting) {
    Bytes b;
    FileResult r = readWholeFile(dir.string(), b);
    EXPECT_EQ(r.error, "Is a directory");
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0666), 0);
    r = readWholeFile((dir / "fifo").string(), b);
    EXPECT_NE(r.error.find("FIFO"), std::string::npos) << r.error;
    EXPECT_FALSE(readFileRange((dir / "fifo").string(), 0, 1, b));
    EXPECT_FALSE(probeReadWrite((dir / "fifo").string()));
    r = readWholeFile("/dev/zero", b);
    EXPECT_NE(r.error.find("device"), std::string::npos) << r.error;
    MappedFile m;
    EXPECT_FALSE(m.open((dir / "fifo").string()));
    r = readWholeFile((dir / "none.bin").string(), b);
    EXPECT_NE(r.error.find("No such file"), std::string::npos) << r.error;
}

// /proc files report size 0 yet hold text made as they are read.
TEST_F(FileRead, FilesThatReportNoSizeAreReadToTheirEnd) {
    Bytes b;
    ASSERT_TRUE(readWholeFile("/proc/self/status", b));
    const std::string text(b.begin(), b.end());
    EXPECT_EQ(text.rfind("Name:", 0), 0u) << text;
    EXPECT_NE(text.find("\nPid:"), std::string::npos) << text;
    MappedFile m;
    ASSERT_TRUE(m.open("/proc/self/status"));
    EXPECT_GT(m.size(), 0u);
    // Longer than one block of reading.
    ASSERT_TRUE(readWholeFile("/proc/self/smaps", b));
    EXPECT_GT(b.size(), 8192u);
    write(dir / "empty", "");
    b = {1};
    ASSERT_TRUE(readWholeFile((dir / "empty").string(), b));
    EXPECT_TRUE(b.empty());
}

// Small files, and large ones that are read into pages of their own, come
// back byte for byte through both readers; a file replaced between two reads is read anew.
TEST_F(FileRead, WholeFilesOfAnySizeReadBackExactly) {
    for (const std::size_t size : {std::size_t{1}, std::size_t{4097}, std::size_t{5} << 20}) {
        std::string bytes(size, '\0');
        for (std::size_t i = 0; i < size; ++i)
            bytes[i] = static_cast<char>((i * 7919 + size) % 251);
        const fs::path p = dir / ("whole" + std::to_string(size));
        write(p, bytes);
        MappedFile m;
        ASSERT_TRUE(m.open(p.string())) << size;
        ASSERT_EQ(m.size(), size);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(m.data()), m.size()), bytes) << size;
        Bytes whole(3, 0xEE); // what the vector held before is replaced, not kept
        ASSERT_TRUE(readWholeFile(p.string(), whole)) << size;
        EXPECT_EQ(std::string(whole.begin(), whole.end()), bytes) << size;
        write(p, "again");
        ASSERT_TRUE(m.open(p.string()));
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(m.data()), m.size()), "again");
    }
}

TEST_F(FileRead, RangesPastTheEndFail) {
    write(dir / "f", "abc");
    Bytes b;
    EXPECT_TRUE(readFileRange((dir / "f").string(), 1, 2, b));
    EXPECT_EQ(b, bytesOf("bc"));
    EXPECT_FALSE(readFileRange((dir / "f").string(), 2, 2, b));
}

// A file cut short by another program while it is read gives an error or the
// bytes of one moment; never a signal (nothing is mapped).
TEST_F(FileRead, AFileTruncatedWhileReadIsAnErrorNotACrash) {
    const fs::path p = dir / "shrinking.bin";
    const std::string big(8 << 20, 'x');
    const int status = inChild([&] {
        for (int i = 0; i < 30; ++i) {
            write(p, big);
            const pid_t cutter = ::fork();
            if (cutter == 0) {
                ::truncate(p.c_str(), 100);
                ::_exit(0);
            }
            MappedFile m;
            const FileResult r = m.open(p.string());
            if (r && m.size() != big.size() && m.size() != 100)
                return 1;
            ::waitpid(cutter, nullptr, 0);
        }
        return 0;
    });
    EXPECT_EQ(status, 0);
}

class FolderFiles : public TempFolder {};

TEST_F(FolderFiles, LinksAndSpecialFilesInTheFolderAreNeverFollowed) {
    const fs::path outside = dir / "outside.txt";
    write(outside, "secret");
    fs::create_directories(dir / "out");
    fs::create_symlink(outside, dir / "out" / "a.txt");
    ASSERT_EQ(::mkfifo((dir / "out" / "b.txt").c_str(), 0666), 0);
    const Bytes text = bytesOf("script");
    const ByteSpan span(text.data(), text.size());
    FileResult r = writeFileInFolder((dir / "out").string(), "a.txt", span);
    EXPECT_NE(r.error.find("symbolic link"), std::string::npos) << r.error;
    EXPECT_EQ(content(outside), "secret");
    EXPECT_TRUE(fs::is_symlink(dir / "out" / "a.txt"));
    EXPECT_FALSE(writeFileInFolder((dir / "out").string(), "b.txt", span));
    EXPECT_FALSE(writeFileInFolder((dir / "out").string(), "../c.txt", span));
    EXPECT_FALSE(fs::exists(dir / "c.txt"));

    Bytes b;
    r = readFileInFolder((dir / "out").string(), "a.txt", b);
    EXPECT_NE(r.error.find("symbolic link"), std::string::npos) << r.error;
    EXPECT_FALSE(readFileInFolder((dir / "out").string(), "b.txt", b));

    ASSERT_TRUE(writeFileInFolder((dir / "out").string(), "c.txt", span));
    ASSERT_TRUE(readFileInFolder((dir / "out").string(), "c.txt", b));
    EXPECT_EQ(b, text);
    EXPECT_TRUE(leftovers(dir / "out", {"a.txt", "b.txt", "c.txt"}).empty());
}

// Permissions are the system's: checked as an ordinary user ("nobody"), since
// root may write any file.
class FilePermissions : public FileSave {
protected:
    void SetUp() override {
        FileSave::SetUp();
        if (::geteuid() != 0)
            GTEST_SKIP() << "needs root to act as another user";
    }
    int asNobody(const std::string& with) {
        return inChild(
            [&] {
                const FileResult r = replace("0123456789", with);
                return r ? 0 : (r.error.find("could not keep") != std::string::npos ? 2 : 1);
            },
            kNobody);
    }
};

TEST_F(FilePermissions, AFileTheUserMayNotWriteIsNotReplaced) {
    fs::permissions(file, fs::perms(0644));
    EXPECT_EQ(asNobody("changed"), 1);
    const int inPlace = inChild(
        [&] {
            return writeInPlace(file.string(), {{0, {'x'}}}) ? 0 : 1;
        },
        kNobody);
    EXPECT_EQ(inPlace, 1);
    EXPECT_EQ(content(file), "0123456789");
    EXPECT_TRUE(leftovers(dir, {"scene2.bin"}).empty());
}

TEST_F(FilePermissions, AnotherUsersFileIsNotGivenANewOwner) {
    fs::permissions(file, fs::perms(0666));
    EXPECT_EQ(asNobody("changed"), 2);
    EXPECT_EQ(content(file), "0123456789");
    struct stat st {};
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, 0u);
}

TEST_F(FilePermissions, TheOwnersSaveKeepsOwnerAndMode) {
    ASSERT_EQ(::chown(file.c_str(), kNobody, kNobody), 0);
    fs::permissions(file, fs::perms(0640));
    EXPECT_EQ(asNobody("mine"), 0);
    EXPECT_EQ(content(file), "mine");
    struct stat st {};
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, kNobody);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
}

TEST_F(FilePermissions, AFolderTheUserMayNotWriteRefusesTheReplace) {
    ASSERT_EQ(::chown(file.c_str(), kNobody, kNobody), 0);
    fs::permissions(dir, fs::perms(0755));
    EXPECT_EQ(asNobody("mine"), 1);
    EXPECT_EQ(content(file), "0123456789");
    // A few bytes in place need no new file, only the right to write this one.
    const int inPlace = inChild(
        [&] {
            return writeInPlace(file.string(), {{0, {'x'}}}) ? 0 : 1;
        },
        kNobody);
    EXPECT_EQ(inPlace, 0);
    EXPECT_EQ(content(file), "x123456789");
}

// A program that asks for its heap in large pages gets its later blocks from
// above the heap's first large-page boundary, blocks of a megabyte included,
// instead of from small pages below it or from mappings of their own.
TEST(LargeBytes, AGrownHeapGivesBlocksFromItsLargePages) {
    constexpr std::size_t pad = std::size_t{64} << 20;
    const void* start = growHeapInLargePages(pad);
    if (!start)
        GTEST_SKIP() << "this allocator does not grow its heap on request";
    const auto from = reinterpret_cast<std::uintptr_t>(start);
    EXPECT_EQ(from % (std::size_t{2} << 20), 0u);
    for (const std::size_t size : {std::size_t{300} << 10, std::size_t{1} << 20}) {
        void* block = std::malloc(size);
        ASSERT_NE(block, nullptr);
        const auto at = reinterpret_cast<std::uintptr_t>(block);
        EXPECT_GE(at, from) << size;
        EXPECT_LT(at, from + pad) << size;
        std::free(block);
    }
}
} // namespace
