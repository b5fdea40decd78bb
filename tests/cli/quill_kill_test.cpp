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
#include "script_text.h"

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

// Runs `quill script set` once to the end, then again and again killed at
// random moments: the scene must be the old or the new file every time.
void killDuringSaves(const fs::path& dir, const GeneratedScene& g, std::size_t entry,
                     const std::vector<std::uint8_t>& text, unsigned seed) {
    ::signal(SIGCHLD, SIG_DFL);
    const fs::path scene = dir / "scene2.bin";
    spit(dir / "text.txt", text);
    spit(scene, g.bytes);
    int status = 0;
    const std::vector<std::string> args = {"script", "set", scene.string(), std::to_string(entry),
                                           (dir / "text.txt").string()};
    waitpid(startQuill(args), &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    const auto updated = slurp(scene);
    ASSERT_NE(updated, g.bytes);
    std::mt19937 rng(seed);
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
}

// A same-length save of the largest script: written whole through a new file
// too, so a kill never leaves half of the old text and half of the new.
TEST(QuillKill, SameLengthSaveOfALargeScriptIsAllOrNothing) {
    const fs::path dir = fs::temp_directory_path() / "quill_kill_same_length_test";
    fs::remove_all(dir);
    fs::create_directories(dir);
    const GeneratedScene g = generateScene({78, 4000, std::size_t{4} << 20});
    const ByteView v(g.bytes.data(), g.bytes.size());
    const SceneIndex idx = buildSceneIndex(v);
    std::size_t entry = 0, longest = 0;
    for (std::size_t i = 0; i < idx.entries.size(); ++i) {
        const auto text = readScript(v, idx, i);
        if (text && text->size() > longest) {
            longest = text->size();
            entry = i;
        }
    }
    ASSERT_GT(longest, 1000u);
    killDuringSaves(dir, g, entry, std::vector<std::uint8_t>(longest, 'q'), 5);
    fs::remove_all(dir);
}

TEST(QuillKill, SceneIsAlwaysTheOldOrTheNewFile) {
    const fs::path dir = fs::temp_directory_path() / "quill_kill_test";
    fs::remove_all(dir);
    fs::create_directories(dir);
    const GeneratedScene g = generateScene({77, 4000, std::size_t{4} << 20});
    const SceneIndex idx = buildSceneIndex(ByteView(g.bytes.data(), g.bytes.size()));
    std::size_t entry = 0;
    while (!idx.entries[entry].ticked)
        ++entry;
    killDuringSaves(dir, g, entry, std::vector<std::uint8_t>(300, 'k'), 3);
    fs::remove_all(dir);
}
} // namespace
