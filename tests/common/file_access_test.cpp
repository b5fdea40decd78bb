#include <fcntl.h>
#include <sys/file.h>

#include <thread>

#include "file_test_support.h"

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
};

TEST_F(FileSave, ReplaceWritesAllAndLeavesNothingBehind) {
    ASSERT_TRUE(replace("0123456789", "new"));
    EXPECT_EQ(content(file), "new");
    EXPECT_TRUE(leftovers(dir, {"scene2.bin"}).empty());
}

TEST_F(FileSave, AFileThatChangedIsNotReplaced) {
    const FileResult r = replace("0123456780", "new");
    EXPECT_FALSE(r);
    EXPECT_TRUE(r.changed);
    EXPECT_EQ(content(file), "0123456789");
    EXPECT_FALSE(replace("01234", "new")) << "a shorter expectation is no match either";
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
    const fs::path lockPath = dir / "scene2.bin.quilltemp.save.lock";
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

// Many savers of one file from one expected state: exactly one wins, every
// other is told the file changed, and the file is the winner's bytes.
TEST_F(FileSave, ConcurrentSavesOfOneFileNeverLoseAChangeSilently) {
    for (int round = 0; round < 5; ++round) {
        write(file, "start");
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
        EXPECT_TRUE(leftovers(dir, {"scene2.bin"}).empty());
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
} // namespace
