// Kills `quill script set` at random moments while it saves a large scene: the
// file must always be either the old or the new one, never anything else.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <thread>

#include "file_access.h"
#include "scene_generator.h"
#include "scene_index.h"

namespace {
namespace fs = std::filesystem;

std::vector<std::uint8_t> slurp(const fs::path& p) {
    std::vector<std::uint8_t> b;
    EXPECT_TRUE(readWholeFile(p.string(), b));
    return b;
}

void spit(const fs::path& p, const std::vector<std::uint8_t>& b) {
    std::ofstream(p, std::ios::binary)
        .write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
}

pid_t startQuill(const std::vector<std::string>& args) {
    const pid_t pid = fork();
    if (pid == 0) {
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(QUILL_PATH));
        for (const auto& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(QUILL_PATH, argv.data());
        _exit(127);
    }
    return pid;
}

TEST(QuillKill, SceneIsAlwaysTheOldOrTheNewFile) {
    const fs::path dir = fs::temp_directory_path() / "quill_kill_test";
    fs::remove_all(dir);
    fs::create_directories(dir);
    const fs::path scene = dir / "scene2.bin";
    const GeneratedScene g = generateScene({77, 4000, std::size_t{4} << 20});
    const SceneIndex idx = buildSceneIndex(ByteView(g.bytes.data(), g.bytes.size()));
    std::size_t entry = 0;
    while (!idx.entries[entry].ticked)
        ++entry;
    spit(dir / "text.txt", std::vector<std::uint8_t>(300, 'k'));

    // The new file, made once without interruption.
    spit(scene, g.bytes);
    int status = 0;
    const std::vector<std::string> args = {"script", "set", scene.string(), std::to_string(entry),
                                           (dir / "text.txt").string()};
    waitpid(startQuill(args), &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    const auto updated = slurp(scene);
    ASSERT_NE(updated, g.bytes);

    std::mt19937 rng(3);
    int interrupted = 0;
    for (int round = 0; round < 12; ++round) {
        spit(scene, g.bytes);
        const pid_t pid = startQuill(args);
        std::this_thread::sleep_for(std::chrono::microseconds(rng() % 60000));
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        interrupted += WIFSIGNALED(status);
        const auto now = slurp(scene);
        EXPECT_TRUE(now == g.bytes || now == updated) << "round " << round;
    }
    EXPECT_GT(interrupted, 0) << "no run was interrupted; the test proved nothing";
    fs::remove_all(dir);
}
} // namespace
