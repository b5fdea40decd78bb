#pragma once
#include <grp.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "file_access.h"

namespace filetest {
namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

inline Bytes bytesOf(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

inline void write(const fs::path& p, const std::string& s) {
    std::ofstream(p, std::ios::binary) << s;
}

inline std::string content(const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), {});
}

// Names in `dir` other than `keep`: what a save left behind.
inline std::vector<std::string> leftovers(const fs::path& dir,
                                          const std::vector<std::string>& keep) {
    std::vector<std::string> out;
    for (const auto& e : fs::directory_iterator(dir)) {
        const std::string n = e.path().filename().string();
        if (std::find(keep.begin(), keep.end(), n) == keep.end())
            out.push_back(n);
    }
    return out;
}

// Runs `body` in a child process (as `uid` when given) and returns its exit
// status: the way to act as another user, or as many savers at once.
inline int inChild(const std::function<int()>& body, std::optional<uid_t> uid = std::nullopt) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (uid && (::setgroups(0, nullptr) != 0 || ::setresgid(*uid, *uid, *uid) != 0 ||
                    ::setresuid(*uid, *uid, *uid) != 0))
            ::_exit(99);
        ::_exit(body());
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 100 + WTERMSIG(status);
}

// A fresh folder per test, open to every user (tests act as "nobody" too).
class TempFolder : public ::testing::Test {
protected:
    fs::path dir = fs::temp_directory_path() /
                   (std::string("quill_files_") +
                    ::testing::UnitTest::GetInstance()->current_test_info()->test_suite_name() +
                    "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    void SetUp() override {
        // A runner that ignores SIGCHLD (as test drivers may) would have the
        // children reaped behind waitpid's back, and waitpid return at once.
        ::signal(SIGCHLD, SIG_DFL);
        fs::remove_all(dir);
        fs::create_directories(dir);
        fs::permissions(dir, fs::perms::all);
    }
    void TearDown() override { fs::remove_all(dir); }
};

inline constexpr uid_t kNobody = 65534;
} // namespace filetest
