// The Windows branch of file access, run under Wine by make test-windows:
// what the POSIX tests cannot show. Names beyond the ANSI code page, device
// names, the read-only attribute, a file another program holds open, the save
// lock between two processes and a save killed midway.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "file_access.h"
#include "scene_generator.h"

namespace {
namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

Bytes bytesOf(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

// Written and read with the wide calls directly, not with the code under test.
void put(const fs::path& p, const Bytes& b) {
    HANDLE h = CreateFileW(p.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << pathToUtf8(p);
    DWORD done = 0;
    ASSERT_TRUE(WriteFile(h, b.data(), DWORD(b.size()), &done, nullptr));
    CloseHandle(h);
}

Bytes get(const fs::path& p) {
    HANDLE h = CreateFileW(p.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return {};
    Bytes b(GetFileSize(h, nullptr));
    DWORD done = 0;
    if (!b.empty())
        ReadFile(h, b.data(), DWORD(b.size()), &done, nullptr);
    CloseHandle(h);
    return b;
}

fs::path freshDir(const std::string& name) {
    const fs::path d = fs::temp_directory_path() / ("qs_win_" + name);
    fs::remove_all(d);
    fs::create_directories(d);
    return d;
}

// quill.exe with `args`, as its own process.
struct Child {
    PROCESS_INFORMATION pi{};
    bool started = false;
    explicit Child(const std::vector<std::string>& args) {
        std::wstring line = L"\"" + pathFromUtf8(QUILL_PATH).wstring() + L"\"";
        for (const auto& a : args)
            line += L" \"" + pathFromUtf8(a).wstring() + L"\"";
        STARTUPINFOW si{};
        si.cb = sizeof si;
        // No console of its own: under Wine a console host would be started
        // for it and keep the test's output open after the test has ended.
        started = CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, DETACHED_PROCESS,
                                 nullptr, nullptr, &si, &pi);
    }
    ~Child() {
        if (started) {
            CloseHandle(pi.hThread);
            CloseHandle(pi.hProcess);
        }
    }
    bool running() const { return WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT; }
    DWORD wait(DWORD ms = 60000) const {
        WaitForSingleObject(pi.hProcess, ms);
        DWORD code = 0;
        GetExitCodeProcess(pi.hProcess, &code);
        return code;
    }
};

// A generated scene written to `dir`, and the list index of an object with
// values in it, for quill.exe to save.
struct SceneOnDisk {
    GeneratedScene g = generateScene({4, 20, std::nullopt});
    fs::path path;
    std::string object;
    explicit SceneOnDisk(const fs::path& dir) : path(dir / "scene2.bin") {
        put(path, g.bytes);
        for (std::size_t i = 0; i < g.objects.size() && object.empty(); ++i)
            if (!g.objects[i].nameOnly && g.objects[i].kind != ObjectKind::ScriptOnly)
                object = std::to_string(i);
    }
};

TEST(WindowsFiles, NamesBeyondTheAnsiCodePage) {
    const fs::path base = freshDir("names");
    for (const char* folder : {"\xE2\x82\xAC dir", "\xD0\x96\xD1\x83\xD0\xBA", "pk \xC3\xA9",
                               "\xE5\x90\x8D\xE5\x89\x8D"}) {
        const std::string dir = pathToUtf8(base) + "/" + folder;
        fs::create_directories(pathFromUtf8(dir));
        const std::string name = std::string(folder) + ".bin";
        ASSERT_TRUE(writeFileInFolder(dir, name, bytesOf("one"))) << folder;
        const fs::path wide = pathFromUtf8(dir) / pathFromUtf8(name);
        EXPECT_EQ(get(wide), bytesOf("one")) << "the file carries the wide name " << folder;
        Bytes read;
        ASSERT_TRUE(readWholeFile(pathToUtf8(wide), read));
        EXPECT_EQ(read, bytesOf("one"));
        ASSERT_TRUE(replaceFileIfUnchanged(pathToUtf8(wide), bytesOf("one"), bytesOf("two!")));
        EXPECT_EQ(get(wide), bytesOf("two!"));
        ASSERT_TRUE(writeInPlaceIfUnchanged(pathToUtf8(wide), bytesOf("two!"), {{1, {'W'}}}));
        EXPECT_EQ(get(wide), bytesOf("tWo!"));
        EXPECT_TRUE(probeReadWrite(pathToUtf8(wide)));
        EXPECT_EQ(std::distance(fs::directory_iterator(pathFromUtf8(dir)), {}), 1)
            << "no temporary or lock file left in " << folder;
    }
    fs::remove_all(base);
}

// Device names are never opened as files, to read or to save.
TEST(WindowsFiles, DeviceNamesAreRefused) {
    Bytes out;
    for (const char* device : {"NUL", "CON", "CONOUT$", "CONIN$"}) {
        EXPECT_FALSE(readWholeFile(device, out)) << device;
        EXPECT_FALSE(replaceAtomically(device, bytesOf("x"))) << device;
    }
}

TEST(WindowsFiles, ReadOnlyAttributeIsHonoured) {
    const fs::path dir = freshDir("readonly");
    const fs::path p = dir / "scene2.bin";
    put(p, bytesOf("kept"));
    ASSERT_TRUE(SetFileAttributesW(p.c_str(), FILE_ATTRIBUTE_READONLY));
    const FileResult replaced =
        replaceFileIfUnchanged(pathToUtf8(p), bytesOf("kept"), bytesOf("new"));
    EXPECT_FALSE(replaced);
    EXPECT_NE(replaced.error.find("read-only"), std::string::npos) << replaced.error;
    EXPECT_FALSE(writeInPlaceIfUnchanged(pathToUtf8(p), bytesOf("kept"), {{0, {'K'}}}));
    EXPECT_FALSE(probeReadWrite(pathToUtf8(p)));
    EXPECT_EQ(get(p), bytesOf("kept"));
    EXPECT_TRUE(GetFileAttributesW(p.c_str()) & FILE_ATTRIBUTE_READONLY);
    SetFileAttributesW(p.c_str(), FILE_ATTRIBUTE_NORMAL);
    fs::remove_all(dir);
}

// A scene another program has open for writing is not written, by this
// process or by quill.exe, and is intact once that program lets it go.
TEST(WindowsFiles, HeldFileIsRefusedAndKept) {
    const fs::path dir = freshDir("held");
    const SceneOnDisk scene(dir);
    const fs::path& p = scene.path;
    const Bytes& before = scene.g.bytes;
    HANDLE holder = CreateFileW(p.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(probeReadWrite(pathToUtf8(p)));
    EXPECT_FALSE(writeInPlaceIfUnchanged(pathToUtf8(p), before, {{100, {1, 2}}}));
    EXPECT_FALSE(replaceFileIfUnchanged(pathToUtf8(p), before, bytesOf("other")));
    Child quill({"values", "set", pathToUtf8(p), scene.object, "--translation", "1,2,3"});
    ASSERT_TRUE(quill.started);
    EXPECT_EQ(quill.wait(), 2u);
    CloseHandle(holder);
    EXPECT_EQ(get(p), before);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), {}), 1) << "nothing left beside it";
    fs::remove_all(dir);
}

// A save waits while another process holds the file's save lock, and saves
// once it is free.
TEST(WindowsFiles, SaveLockIsTakenInTurnByTwoProcesses) {
    const fs::path dir = freshDir("lock");
    const SceneOnDisk scene(dir);
    const fs::path& p = scene.path;
    const Bytes& before = scene.g.bytes;
    const fs::path lock = dir / "scene2.bin.quilltemp.save.lock";
    HANDLE held = CreateFileW(lock.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    Child quill({"values", "set", pathToUtf8(p), scene.object, "--translation", "1,2,3"});
    ASSERT_TRUE(quill.started);
    Sleep(1500);
    EXPECT_TRUE(quill.running()) << "the save did not wait for the lock";
    EXPECT_EQ(get(p), before) << "written while another save held the lock";
    CloseHandle(held);
    EXPECT_EQ(quill.wait(), 0u);
    EXPECT_NE(get(p), before);
    EXPECT_FALSE(fs::exists(lock)) << "the lock file is gone with the save";
    fs::remove_all(dir);
}

// quill.exe killed at random moments while it saves a large scene: the file
// is always the old or the new one.
TEST(WindowsFiles, KilledSaveLeavesTheOldOrTheNewFile) {
    const fs::path dir = freshDir("kill");
    const GeneratedScene g = generateScene({8, 40, std::size_t(6) << 20});
    std::size_t entry = 0;
    for (std::size_t i = 0; i < g.objects.size(); ++i)
        if (g.objects[i].script == ScriptState::Present &&
            g.objects[i].scriptLength > g.objects[entry].scriptLength)
            entry = i;
    const fs::path p = dir / "scene2.bin";
    const fs::path text = dir / "text.txt";
    put(text, bytesOf(std::string(200000, 'x') + "\r\n"));
    const std::vector<std::string> args = {"script", "set", pathToUtf8(p), std::to_string(entry),
                                           pathToUtf8(text)};
    put(p, g.bytes);
    ASSERT_EQ(Child(args).wait(), 0u);
    const Bytes updated = get(p);
    ASSERT_NE(updated, g.bytes);
    std::mt19937 rng(7);
    int interrupted = 0;
    for (int round = 0; round < 10; ++round) {
        put(p, g.bytes);
        Child quill(args);
        ASSERT_TRUE(quill.started);
        Sleep(DWORD(rng() % 120));
        if (TerminateProcess(quill.pi.hProcess, 9))
            interrupted += quill.wait() == 9u;
        quill.wait();
        const Bytes now = get(p);
        EXPECT_TRUE(now == g.bytes || now == updated) << "round " << round;
    }
    EXPECT_GT(interrupted, 0) << "no run was interrupted; the test proved nothing";
    fs::remove_all(dir);
}
} // namespace
