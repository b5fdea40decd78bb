// quill.exe, the Windows build, run under Wine against quill on the same
// files: the same exit status, the same bytes on standard output and the same
// files written, for every subcommand. Runs when QUILL_EXE names quill.exe and
// QS_WINE the wine program (make test-windows sets both); skipped otherwise.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "addin_pack.h"
#include "addin_samples.h"
#include "file_access.h"
#include "mini_scene.h"
#include "scene_generator.h"
#include "scene_index.h"
#include "value_save.h"

namespace {
namespace fs = std::filesystem;

std::string slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void spit(const fs::path& p, const std::string& s) {
    fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary).write(s.data(), static_cast<std::streamsize>(s.size()));
}

void spit(const fs::path& p, const std::vector<std::uint8_t>& b) {
    spit(p, std::string(b.begin(), b.end()));
}

struct Outcome {
    int status = -1;
    std::string out, err;
};

// Runs `argv` in `cwd`; standard output and error go to files in `io`.
Outcome runIn(const fs::path& cwd, const fs::path& io, const std::vector<std::string>& argv) {
    const std::string outPath = (io / "stdout").string();
    const std::string errPath = (io / "stderr").string();
    const pid_t pid = fork();
    if (pid == 0) {
        if (chdir(cwd.c_str()) != 0)
            _exit(126);
        const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int in = open("/dev/null", O_RDONLY);
        if (out < 0 || err < 0 || in < 0)
            _exit(126);
        dup2(in, 0);
        dup2(out, 1);
        dup2(err, 2);
        std::vector<char*> args;
        for (const auto& a : argv)
            args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execv(args[0], args.data());
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    Outcome r;
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    r.out = slurp(outPath);
    r.err = slurp(errPath);
    return r;
}

// Every file below `root` by its path relative to `root`, with its bytes.
std::map<std::string, std::string> tree(const fs::path& root) {
    std::map<std::string, std::string> files;
    for (const auto& e : fs::recursive_directory_iterator(root)) {
        const std::string rel = pathToUtf8(fs::relative(e.path(), root));
        files[rel] = e.is_regular_file() ? slurp(e.path()) : "<folder>";
    }
    return files;
}

std::vector<std::size_t> scripted(const SceneIndex& index, std::size_t most) {
    std::vector<std::size_t> out;
    for (std::size_t i = 0; i < index.entries.size() && out.size() < most; ++i)
        if (index.entries[i].scriptPos && index.entries[i].ticked)
            out.push_back(i);
    return out;
}

std::size_t firstWithValues(const SceneIndex& index, std::uint8_t kind) {
    for (std::size_t i = 0; i < index.entries.size(); ++i) {
        const IndexRecord& r = index.entries[i];
        if (r.kind == kind && !r.nameOnly && r.translationPos && r.rotation &&
            static_cast<std::int64_t>(i) < index.merkePosGameInit)
            return i;
    }
    return 0;
}

class WineQuill : public ::testing::Test {
protected:
    const char* exe = std::getenv("QUILL_EXE");
    const char* wine = std::getenv("QS_WINE");
    fs::path base = fs::temp_directory_path() /
                    (std::string("wine_quill_") +
                     ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::path lin = base / "lin";
    fs::path win = base / "win";
    fs::path io = base / "io";

    void SetUp() override {
        if (!exe || !*exe || !wine || !*wine)
            GTEST_SKIP() << "QUILL_EXE and QS_WINE are not set (make test-windows sets them)";
        // Console programs need no display; arguments reach Wine as UTF-8.
        setenv("WINEDEBUG", "-all", 1);
        setenv("DISPLAY", "", 1);
        setenv("LC_ALL", "C.UTF-8", 1);
        fs::remove_all(base);
        fs::create_directories(lin);
        fs::create_directories(io);
    }
    void TearDown() override {
        if (!HasFatalFailure() && !HasNonfatalFailure())
            fs::remove_all(base);
    }

    // The files laid out in lin/ are copied to win/: each program works on
    // its own copy.
    void copyToWin() {
        fs::remove_all(win);
        fs::copy(lin, win, fs::copy_options::recursive);
    }
    Outcome onLinux(const std::vector<std::string>& args) {
        std::vector<std::string> argv = {QUILL_PATH};
        argv.insert(argv.end(), args.begin(), args.end());
        return runIn(lin, io, argv);
    }
    Outcome onWindows(const std::vector<std::string>& args) {
        std::vector<std::string> argv = {wine, exe};
        argv.insert(argv.end(), args.begin(), args.end());
        Outcome w = runIn(win, io, argv);
        // Wine itself losing its server is no answer of quill's: that run is
        // made once more (quill writes all or nothing, so a run cut short
        // left the files as they were or as a whole run leaves them).
        if (w.err.find("wine client error") != std::string::npos)
            w = runIn(win, io, argv);
        return w;
    }
    // Both programs on their copies: the same status, the same bytes on
    // standard output, the same files afterwards.
    Outcome both(const std::vector<std::string>& args) {
        const Outcome l = onLinux(args);
        const Outcome w = onWindows(args);
        std::string shown;
        for (const auto& a : args)
            shown += a + " ";
        EXPECT_EQ(w.status, l.status) << shown << "\nlinux: " << l.err << "\nwindows: " << w.err;
        EXPECT_EQ(w.out, l.out) << shown;
        const auto lt = tree(lin);
        const auto wt = tree(win);
        EXPECT_EQ(wt.size(), lt.size()) << shown;
        for (const auto& [name, bytes] : lt) {
            const auto it = wt.find(name);
            if (it == wt.end())
                ADD_FAILURE() << shown << ": only the Linux run has " << name;
            else
                EXPECT_TRUE(it->second == bytes) << shown << ": " << name << " differs";
        }
        return l;
    }

    // Every subcommand on one scene, each run compared with the Linux run.
    void everySubcommand(const std::vector<std::uint8_t>& bytes) {
        const SceneIndex index = buildSceneIndex(ByteView(bytes.data(), bytes.size()));
        EXPECT_EQ(both({"index", "scene2.bin"}).status, 0);
        EXPECT_EQ(both({"index", "--json", "scene2.bin"}).status, 0);
        both({"verify", "scene2.bin"});
        const auto withScript = scripted(index, 3);
        ASSERT_FALSE(withScript.empty());
        for (std::size_t e : withScript) {
            const Outcome got = both({"script", "get", "scene2.bin", std::to_string(e)});
            EXPECT_NE(got.out.find("\r\n"), std::string::npos) << "scripts have CR LF line ends";
        }
        // An unchanged round trip leaves the scene as it was; a longer text moves
        // the lengths.
        const std::string e0 = std::to_string(withScript[0]);
        spit(lin / "same.txt", both({"script", "get", "scene2.bin", e0}).out);
        spit(win / "same.txt", slurp(lin / "same.txt"));
        both({"script", "set", "scene2.bin", e0, "same.txt"});
        EXPECT_EQ(slurp(win / "scene2.bin"), std::string(bytes.begin(), bytes.end()))
            << "an unchanged script set leaves the bytes";
        spit(lin / "longer.txt", slurp(lin / "same.txt") + "' more\r\n");
        spit(win / "longer.txt", slurp(lin / "longer.txt"));
        both({"script", "set", "scene2.bin", e0, "longer.txt"});
        both({"scripts", "export", "scene2.bin", "out"});
        both({"scripts", "import", "scene2.bin", "out"});
        const std::size_t human = firstWithValues(index, HumanKind);
        const std::size_t thing = firstWithValues(index, ThingKind);
        both({"values", "get", "scene2.bin", std::to_string(human)});
        both({"values", "get", "scene2.bin", std::to_string(thing)});
        for (const char* h : {"0", "90", "180", "37"})
            both({"values", "set", "scene2.bin", std::to_string(thing), "--horizontal-dial", h});
        for (const char* v : {"0", "-90", "90", "-17"})
            both({"values", "set", "scene2.bin", std::to_string(human), "--vertical-dial", v});
        for (const char* a : {"-180", "90", "180", "-1", "30"})
            both({"values", "set", "scene2.bin", std::to_string(human), "--vertical-angle", a});
        both({"values", "set", "scene2.bin", std::to_string(thing), "--translation", "1.5,-2,1e3",
              "--size", "0.1,0.2,0.3", "--weight", "12.5", "--sound", "3"});
        both({"values", "get", "scene2.bin", std::to_string(thing)});
        both({"insert", "scene2.bin", "--category", "things", "--name", "Stein"});
        both({"insert", "scene2.bin", "--category", "human", "--name", "Wache", "--horizontal-dial",
              "180", "--vertical-dial", "-45", "--vertical-angle", "-180"});
        both({"insert", "scene2.bin", "--category", "light", "--name", "Lampe", "--horizontal-dial",
              "90"});
        both({"delete", "scene2.bin", "Stein"});
        EXPECT_EQ(both({"verify", "scene2.bin"}).status, 0);
        both({"index", "--json", "scene2.bin"});
    }
};

TEST_F(WineQuill, EverySubcommandMatchesOnTheDemoMission) {
    std::vector<std::uint8_t> demo;
    ASSERT_TRUE(readWholeFile(QS_DEMO_SCENE, demo));
    spit(lin / "scene2.bin", demo);
    copyToWin();
    everySubcommand(demo);
}

TEST_F(WineQuill, EverySubcommandMatchesOnAGeneratedScene) {
    const GeneratedScene g = generateScene({77, 30, std::nullopt});
    spit(lin / "scene2.bin", g.bytes);
    copyToWin();
    everySubcommand(g.bytes);
}

// Folder and file names beyond the ANSI code page, as arguments and as paths.
TEST_F(WineQuill, PathsWithCharactersBeyondTheAnsiCodePage) {
    const GeneratedScene g = generateScene({12, 20, std::nullopt});
    const std::string euro = "\xE2\x82\xAC dir";
    const std::string beetle = "\xD0\x96\xD1\x83\xD0\xBA";
    spit(lin / euro / "scene2.bin", g.bytes);
    spit(lin / beetle / "scene2.bin", g.bytes);
    // An add-in folder to pack and a game folder to apply it to.
    const fs::path pack = lin / "pk \xC3\xA9";
    spit(pack / "obj.bin", std::string("\x10\x40\x06\x00\x00\x00", 6));
    spit(pack / "models" / "\xC3\xA4.i3d", std::string("m"));
    spit(pack / "addin.json", std::string(R"({"title": "T", "mission": "demo", "key": "k",
        "objects": "obj.bin"})"));
    const fs::path mission = lin / "Spiele \xC3\xA9" / "missions" / "demo";
    for (const char* f : {"scene2.bin", "cache.bin", "scene.4ds", "tree.klz"}) {
        std::vector<std::uint8_t> b;
        ASSERT_TRUE(readWholeFile(std::string(QS_DEMO_DIR) + "/" + f, b));
        spit(mission / f, b);
    }
    const PackResult demoAddin = packAddin(demoAddinSource());
    ASSERT_TRUE(demoAddin.ok());
    spit(lin / "demo \xC3\xA9.qxa", demoAddin.bytes);
    copyToWin();

    const std::string thing = std::to_string(
        firstWithValues(buildSceneIndex(ByteView(g.bytes.data(), g.bytes.size())), ThingKind));
    for (const std::string& d : {euro, beetle}) {
        EXPECT_EQ(both({"index", d + "/scene2.bin"}).status, 0) << d;
        EXPECT_EQ(both({"verify", d + "/scene2.bin"}).status, 0) << d;
        EXPECT_EQ(
            both({"values", "set", d + "/scene2.bin", thing, "--horizontal-dial", "90"}).status, 0)
            << d;
        EXPECT_EQ(both({"scripts", "export", d + "/scene2.bin", "exp \xC3\xA9"}).status, 0) << d;
        EXPECT_EQ(both({"scripts", "import", d + "/scene2.bin", "exp \xC3\xA9"}).status, 0) << d;
    }
    EXPECT_EQ(both({"addin", "pack", "pk \xC3\xA9", "pk \xC3\xA9.qxa"}).status, 0);
    EXPECT_EQ(both({"addin", "apply", "Spiele \xC3\xA9/missions/demo/scene2.bin",
                    "demo \xC3\xA9.qxa", "--yes"})
                  .status,
              0);
    // A folder that cannot be made is a message, not an abort.
    spit(lin / "plain", std::string("x"));
    spit(win / "plain", std::string("x"));
    const Outcome blocked = both({"scripts", "export", euro + "/scene2.bin", "plain/sub"});
    EXPECT_EQ(blocked.status, 2);
    EXPECT_EQ(onWindows({"addin", "pack", "no \xC3\xA9 such", "x.qxa"}).status, 2);
}

// Entry names typed on the command line, beyond ASCII, on both systems.
TEST_F(WineQuill, EntryNamesAsArguments) {
    const std::string stored = "tr\xC9\xE9\x80\x8A\x9F"
                               "5";
    const std::string typed = "tr\xC3\x89\xC3\xA9\xE2\x82\xAC\xC5\xA0\xC5\xB8"
                              "5";
    const std::string text = "// start\r\nwait 1\r\n";
    spit(lin / "scene2.bin",
         mini::scene(
             [&](SceneWriter& w) {
                 mini::object(w, "first");
                 mini::object(w, stored);
             },
             [&](SceneWriter& w) { mini::definition(w, stored, 9, "", &text); }));
    copyToWin();
    EXPECT_EQ(both({"values", "get", "scene2.bin", typed}).status, 0);
    EXPECT_EQ(both({"script", "get", "scene2.bin", typed}).out, text);
    EXPECT_EQ(both({"insert", "scene2.bin", "--category", "other", "--name", "\xC3\x89t\xC3\xA9",
                    "--like", typed})
                  .status,
              0);
    EXPECT_EQ(both({"values", "get", "scene2.bin", "\xC3\x89t\xC3\xA9"}).status, 0);
    EXPECT_EQ(both({"values", "get", "scene2.bin", "\xD0\x96"}).status, 2);
    EXPECT_EQ(both({"delete", "scene2.bin", typed}).status, 0);
}

// Entries named as Windows devices: their files get other names, and the
// export writes every file.
TEST_F(WineQuill, ReservedNamesKeepTheExportWhole) {
    const std::string text = "// device\r\nwait 1\r\n";
    const std::vector<std::string> names = {"a1",    "a2",      "a3",      "a4",      "a5",
                                            "a6",    "a7",      "a8",      "CONOUT$", "CONIN$",
                                            "NUL.x", "COM\xB9", "LPT\xB3", "com\xB2 "};
    spit(lin / "scene2.bin", mini::scene(
                                 [&](SceneWriter& w) {
                                     for (const auto& n : names)
                                         mini::object(w, n);
                                 },
                                 [&](SceneWriter& w) {
                                     for (const auto& n : names)
                                         mini::definition(w, n, 9, "", &text);
                                 }));
    copyToWin();
    const Outcome r = both({"scripts", "export", "scene2.bin", "out"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "14 scripts written to out\n");
    EXPECT_TRUE(fs::exists(win / "out" / "_CONOUT$.txt"));
}

// A read-only scene is refused on Windows even where the system would let
// the write through (Wine as root), and stays as it was.
TEST_F(WineQuill, ReadOnlySceneIsRefused) {
    const GeneratedScene g = generateScene({3, 12, std::nullopt});
    spit(lin / "scene2.bin", g.bytes);
    copyToWin();
    fs::permissions(win / "scene2.bin",
                    fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    const Outcome r = onWindows({"values", "set", "scene2.bin", "2", "--horizontal-dial", "45"});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("read-only"), std::string::npos) << r.err;
    EXPECT_EQ(slurp(win / "scene2.bin"), std::string(g.bytes.begin(), g.bytes.end()));
    EXPECT_EQ(fs::status(win / "scene2.bin").permissions() & fs::perms::owner_write,
              fs::perms::none);
}
} // namespace
