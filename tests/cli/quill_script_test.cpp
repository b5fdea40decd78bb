#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>

#include "file_access.h"
#include "mini_scene.h"
#include "quill_runner.h"
#include "scene_generator.h"
#include "scene_index.h"
#include "scene_verify.h"
#include "script_files.h"
#include "value_save.h"

namespace {
namespace fs = std::filesystem;

std::string slurp(const fs::path& p) {
    std::vector<std::uint8_t> b;
    EXPECT_TRUE(readWholeFile(p.string(), b));
    return std::string(b.begin(), b.end());
}

void spit(const fs::path& p, const std::string& s) {
    std::ofstream(p, std::ios::binary).write(s.data(), static_cast<std::streamsize>(s.size()));
}

class QuillScript : public ::testing::Test {
protected:
    fs::path dir = fs::temp_directory_path() /
                   (std::string("quill_script_test_") +
                    ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::path scene = dir / "scene2.bin";
    GeneratedScene g = generateScene({8, 40, std::nullopt});
    void SetUp() override {
        fs::remove_all(dir);
        fs::create_directories(dir);
        spit(scene, std::string(g.bytes.begin(), g.bytes.end()));
    }
    void TearDown() override { fs::remove_all(dir); }
    std::string scriptedName() const {
        for (const auto& o : g.objects)
            if (o.script == ScriptState::Present)
                return o.name;
        return {};
    }
    bool verifies() const {
        const std::string b = slurp(scene);
        return verifyScene(ByteView(reinterpret_cast<const std::uint8_t*>(b.data()), b.size()))
            .ok();
    }
};

TEST_F(QuillScript, SetThenGetGivesBackTheExactBytes) {
    const std::string text = "dim_act 1\r\nlone cr\rlone lf\n\ttab \x80\x81\x9D\xFF\r\nend\r\n";
    spit(dir / "new.txt", text);
    for (const std::string& entry : {scriptedName(), std::to_string(g.objects.size() + 1)}) {
        const QuillRun set =
            quill({"script", "set", scene.string(), entry, (dir / "new.txt").string()});
        ASSERT_EQ(set.status, 0) << set.err;
        EXPECT_EQ(set.out, std::to_string(fs::file_size(scene)) + "\n");
        EXPECT_EQ(quill({"script", "get", scene.string(), entry}).out, text);
        EXPECT_TRUE(verifies());
    }
}

TEST_F(QuillScript, ErrorsLeaveTheFileUntouched) {
    const std::string before = slurp(scene);
    spit(dir / "new.txt", "x");
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"script", "set", scene.string(), "no such entry", (dir / "new.txt").string()},
             {"script", "set", scene.string(), scriptedName(), (dir / "missing.txt").string()},
             {"script", "get", scene.string(), "99999"},
             {"script", "set", scene.string(), scriptedName()},
             {"delete", scene.string(), scriptedName(), "extra"}}) {
        const QuillRun r = quill(args);
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    }
    // Entries are counted from 0: the count itself names no entry, one less
    // names the last.
    const std::size_t count =
        buildSceneIndex(ByteView(g.bytes.data(), g.bytes.size())).entries.size();
    const std::string past = std::to_string(count);
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"script", "get", scene.string(), past},
             {"script", "set", scene.string(), past, (dir / "new.txt").string()},
             {"delete", scene.string(), past},
             {"values", "get", scene.string(), past}}) {
        const QuillRun r = quill(args);
        EXPECT_EQ(r.status, 2) << args[0];
        EXPECT_EQ(r.err, "quill: no entry " + past + "\n");
    }
    EXPECT_EQ(quill({"script", "get", scene.string(), std::to_string(count - 1)}).status, 0);
    // The first init script has no values.
    const std::int64_t init =
        buildSceneIndex(ByteView(g.bytes.data(), g.bytes.size())).merkePosGameInit;
    ASSERT_LT(init, static_cast<std::int64_t>(count));
    const QuillRun values = quill({"values", "get", scene.string(), std::to_string(init)});
    EXPECT_EQ(values.status, 2);
    EXPECT_NE(values.err.find("is an init script: it has no values"), std::string::npos)
        << values.err;
    EXPECT_EQ(slurp(scene), before);
    EXPECT_FALSE(fs::exists(dir / "quilltemp.save"));
}

// A user's file that happens to have the save lock's name is nobody's lock:
// quill refuses to save beside it and leaves it as it was.
TEST_F(QuillScript, SavesBesideAUsersFileWithTheLocksNameAreRefusedAndTheFileKept) {
    const std::string before = slurp(scene);
    const fs::path lock = dir / "scene2.bin.quilltemp.save.lock";
    std::string users(28 * 1024, 'u');
    users[100] = '\0';
    spit(lock, users);
    const SceneIndex index = buildSceneIndex(ByteView(g.bytes.data(), g.bytes.size()));
    std::size_t thing = 0;
    while (thing < index.entries.size() &&
           !(index.entries[thing].kind == ThingKind && index.entries[thing].translationPos &&
             !index.entries[thing].nameOnly))
        ++thing;
    ASSERT_LT(thing, index.entries.size());
    spit(dir / "new.txt", "x");
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"values", "set", scene.string(), std::to_string(thing), "--translation", "1,2,3"},
             {"script", "set", scene.string(), scriptedName(), (dir / "new.txt").string()}}) {
        const QuillRun r = quill(args);
        EXPECT_NE(r.status, 0) << args[0];
        EXPECT_NE(r.err.find(lock.string()), std::string::npos) << r.err;
        EXPECT_EQ(slurp(lock), users);
    }
    EXPECT_EQ(slurp(scene), before);
}

TEST_F(QuillScript, ExportThenImportSavesOnlyEditedScripts) {
    ASSERT_EQ(quill({"scripts", "export", scene.string(), (dir / "out").string()}).status, 0);
    const std::string before = slurp(scene);
    const QuillRun none = quill({"scripts", "import", scene.string(), (dir / "out").string()});
    EXPECT_EQ(none.out, "0 scripts saved\n");
    EXPECT_EQ(slurp(scene), before);

    const fs::path edited = dir / "out" / (scriptedName() + ".txt");
    ASSERT_TRUE(fs::exists(edited));
    spit(edited, slurp(edited) + "wait 1\r\n");
    const fs::path init = dir / "out" / "GameInitEnd.txt";
    ASSERT_TRUE(fs::exists(init));
    spit(init, "end\r\n");
    const QuillRun two = quill({"scripts", "import", scene.string(), (dir / "out").string()});
    EXPECT_NE(two.out.find("2 scripts saved"), std::string::npos) << two.out << two.err;
    EXPECT_TRUE(verifies());
    ASSERT_EQ(quill({"scripts", "export", scene.string(), (dir / "again").string()}).status, 0);
    EXPECT_EQ(slurp(dir / "again" / (scriptedName() + ".txt")), slurp(edited));
    EXPECT_EQ(slurp(dir / "again" / "GameInitEnd.txt"), "end\r\n");
}

// The script file names of a scene whose objects have these names and scripts.
std::vector<std::string> namesFor(const std::vector<std::string>& entries);

TEST(ScriptFileNames, AreSafeAndUnique) {
    const auto b = mini::scene(
        [](SceneWriter& w) {
            for (const char* n : {"a/b", "..", "A/B", "con:x", ""})
                mini::object(w, n);
        },
        [](SceneWriter& w) {
            const std::string s = "wait 1\r\n";
            for (const char* n : {"a/b", "..", "A/B", "con:x", ""})
                mini::definition(w, n, 5, "", &s);
        });
    const auto names = scriptFileNames(buildSceneIndex(ByteView(b.data(), b.size())));
    ASSERT_EQ(names.size(), 5u);
    EXPECT_EQ(names[0], "a_b.txt");
    EXPECT_EQ(names[1], "script.txt");
    EXPECT_EQ(names[2], "A_B~2.txt");
    EXPECT_EQ(names[3], "con_x.txt");
    EXPECT_EQ(names[4], "script~2.txt");

    // A name that another stem's numbering already took is passed over, and
    // each stem's numbering goes on from its last name.
    const auto more = namesFor({"a_b~2", "a/b", "a:b", "a_b~3", "a*b", "a?b", "x/y", "x:y"});
    const std::vector<std::string> want{"a_b~2.txt", "a_b.txt",   "a_b~3.txt", "a_b~3~2.txt",
                                        "a_b~4.txt", "a_b~5.txt", "x_y.txt",   "x_y~2.txt"};
    EXPECT_EQ(more, want);
}
} // namespace

namespace {
namespace fs = std::filesystem;

std::vector<std::string> namesFor(const std::vector<std::string>& entries) {
    const auto b = mini::scene(
        [&](SceneWriter& w) {
            for (const auto& n : entries)
                mini::object(w, n);
        },
        [&](SceneWriter& w) {
            const std::string s = "wait 1\r\n";
            for (const auto& n : entries)
                mini::definition(w, n, 5, "", &s);
        });
    return scriptFileNames(buildSceneIndex(ByteView(b.data(), b.size())));
}

TEST(ScriptFileNames, AreSafeOnWindowsToo) {
    const auto names = namesFor({"CON",
                                 "nul.txt",
                                 "Com1",
                                 "LPT9 .x",
                                 "COM0",
                                 "trail. . ",
                                 "x",
                                 "x",
                                 "\xC9t\xE9",
                                 "\xE9t\xE9",
                                 "Stra\xDF"
                                 "e",
                                 "STRASSE",
                                 "\x8A",
                                 "\x9A",
                                 "CONOUT$",
                                 "conin$.log",
                                 "COM\xB9",
                                 "lpt\xB3 .x",
                                 "Com\xB2",
                                 "COM\xB4",
                                 "CONOUT"});
    EXPECT_EQ(names[0], "_CON.txt");
    EXPECT_EQ(names[1], "_nul.txt.txt");
    EXPECT_EQ(names[2], "_Com1.txt");
    EXPECT_EQ(names[3], "_LPT9 .x.txt");
    EXPECT_EQ(names[4], "COM0.txt");
    EXPECT_EQ(names[5], "trail.txt");
    EXPECT_EQ(names[7], "") << "a second entry of one name has no script";
    EXPECT_EQ(names[8], "\xC3\x89t\xC3\xA9.txt");
    EXPECT_EQ(names[9], "\xC3\xA9t\xC3\xA9~2.txt") << "Été and été are one name on Windows";
    EXPECT_EQ(names[11], "STRASSE~2.txt") << "ß folds to ss";
    EXPECT_EQ(names[13], "\xC5\xA1~2.txt");
    EXPECT_EQ(names[14], "_CONOUT$.txt");
    EXPECT_EQ(names[15], "_conin$.log.txt");
    EXPECT_EQ(names[16], "_COM\xC2\xB9.txt") << "COM with a superscript one is a device";
    EXPECT_EQ(names[17], "_lpt\xC2\xB3 .x.txt");
    EXPECT_EQ(names[18], "_Com\xC2\xB2.txt");
    EXPECT_EQ(names[19], "COM\xC2\xB4.txt") << "the acute accent is no digit";
    EXPECT_EQ(names[20], "CONOUT.txt");
    for (const auto& n : names) {
        EXPECT_LE(n.size(), 255u);
        EXPECT_EQ(n.find_first_of("/\\:*?\"<>|"), std::string::npos) << n;
    }
    // Init-script names may be long: cut to 255 bytes, still unique.
    const std::string longName(300, '\xE9');
    const auto b = mini::scene({}, {}, [&](SceneWriter& w) {
        mini::initScript(w, longName + "a", "go\r\n");
        mini::initScript(w, longName + "b", "go\r\n");
    });
    const auto cut = scriptFileNames(buildSceneIndex(ByteView(b.data(), b.size())));
    ASSERT_EQ(cut.size(), 2u);
    EXPECT_LE(cut[0].size(), 255u);
    EXPECT_LE(cut[1].size(), 255u);
    EXPECT_NE(cut[0], cut[1]);
    EXPECT_EQ(cut[1].substr(cut[1].size() - 6), "~2.txt");
}

// Entry names on the command line are UTF-8; the scene holds Windows-1252.
TEST(QuillNames, EntryArgumentsAreUtf8AndRefusedWhenTheSceneCannotHoldThem) {
    const fs::path dir = fs::temp_directory_path() / "quill_names_test";
    fs::remove_all(dir);
    fs::create_directories(dir);
    const fs::path scene = dir / "scene2.bin";
    const std::string stored = "tr\xC9\xE9\x80\x8A\x9F"
                               "5";
    const std::string typed = "tr\xC3\x89\xC3\xA9\xE2\x82\xAC\xC5\xA0\xC5\xB8"
                              "5";
    const std::string text = "start\r\nend\r\n";
    const auto b = mini::scene(
        [&](SceneWriter& w) {
            mini::object(w, "first");
            mini::object(w, stored);
        },
        [&](SceneWriter& w) { mini::definition(w, stored, 9, "", &text); });
    spit(scene, std::string(b.begin(), b.end()));
    EXPECT_NE(quill({"index", scene.string()}).out.find(typed), std::string::npos);
    const QuillRun got = quill({"values", "get", scene.string(), typed});
    EXPECT_EQ(got.status, 0) << got.err;
    EXPECT_NE(got.out.find("\"index\":1,"), std::string::npos) << got.out;
    EXPECT_EQ(quill({"script", "get", scene.string(), typed}).out, text);

    const QuillRun raw = quill({"values", "get", scene.string(), stored});
    EXPECT_EQ(raw.status, 2) << "the scene's own bytes are no UTF-8 argument";
    EXPECT_EQ(raw.err, "quill: no entry " + stored + ": the name is not UTF-8 text\n");
    const QuillRun snow = quill({"script", "get", scene.string(), "tr\xE2\x98\x83"});
    EXPECT_EQ(snow.status, 2);
    EXPECT_EQ(snow.err, "quill: no entry tr\xE2\x98\x83: the name holds U+2603, which a scene "
                        "cannot store\n");
    EXPECT_EQ(quill({"delete", scene.string(), "tr\xE2\x98\x83"}).status, 2);
    EXPECT_EQ(slurp(scene), std::string(b.begin(), b.end()));
    const QuillRun like = quill({"insert", scene.string(), "--category", "other", "--name",
                                 "\xC3\x89t\xC3\xA9", "--like", typed});
    EXPECT_EQ(like.status, 0) << like.err;
    EXPECT_EQ(quill({"values", "get", scene.string(), "\xC3\x89t\xC3\xA9"}).status, 0);
    const QuillRun gone = quill({"delete", scene.string(), typed});
    EXPECT_EQ(gone.status, 0) << gone.err;
    EXPECT_EQ(gone.out, "deleted " + typed + "\n");
    fs::remove_all(dir);
}

class QuillFolders : public ::testing::Test {
protected:
    fs::path dir = fs::temp_directory_path() /
                   (std::string("quill_folders_") +
                    ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::path scene = dir / "scene2.bin";
    GeneratedScene g = generateScene({8, 40, std::nullopt});
    void SetUp() override {
        fs::remove_all(dir);
        fs::create_directories(dir / "out");
        spit(scene, std::string(g.bytes.begin(), g.bytes.end()));
    }
    void TearDown() override { fs::remove_all(dir); }
};

// Links and FIFOs: POSIX only.
#ifndef _WIN32
TEST_F(QuillFolders, ExportNeverWritesThroughALinkAndStopsBeforeWriting) {
    const auto names = scriptFileNames(buildSceneIndex(ByteView(g.bytes.data(), g.bytes.size())));
    std::string last;
    for (const auto& n : names)
        if (!n.empty())
            last = n;
    spit(dir / "outside.txt", "keep");
    fs::create_symlink(dir / "outside.txt", dir / "out" / last);
    const QuillRun r = quill({"scripts", "export", scene.string(), (dir / "out").string()});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find(last), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("symbolic link"), std::string::npos) << r.err;
    EXPECT_EQ(slurp(dir / "outside.txt"), "keep");
    std::size_t files = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir / "out"))
        ++files;
    EXPECT_EQ(files, 1u) << "nothing written before the refusal";
}

TEST_F(QuillFolders, ImportRefusesLinksAndSpecialFilesAndSavesAllOrNothing) {
    ASSERT_EQ(quill({"scripts", "export", scene.string(), (dir / "out").string()}).status, 0);
    const auto names = scriptFileNames(buildSceneIndex(ByteView(g.bytes.data(), g.bytes.size())));
    std::vector<std::string> scripted;
    for (const auto& n : names)
        if (!n.empty())
            scripted.push_back(n);
    ASSERT_GE(scripted.size(), 3u);
    const std::string before = slurp(scene);
    spit(dir / "out" / scripted[0], "wait 2\r\n");
    fs::remove(dir / "out" / scripted[1]);
    ASSERT_EQ(::mkfifo((dir / "out" / scripted[1]).c_str(), 0666), 0);
    QuillRun r = quill({"scripts", "import", scene.string(), (dir / "out").string()});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find(scripted[1]), std::string::npos) << r.err;
    EXPECT_EQ(slurp(scene), before) << "the edit of the first file is not saved alone";

    fs::remove(dir / "out" / scripted[1]);
    spit(dir / "secret.txt", "wait 3\r\n");
    fs::create_symlink(dir / "secret.txt", dir / "out" / scripted[1]);
    r = quill({"scripts", "import", scene.string(), (dir / "out").string()});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(slurp(scene), before);

    fs::remove(dir / "out" / scripted[1]);
    spit(dir / "out" / scripted[2], "");
    r = quill({"scripts", "import", scene.string(), (dir / "out").string()});
    EXPECT_EQ(r.status, 2) << "an empty script would be lost";
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_EQ(slurp(scene), before);
}

TEST_F(QuillFolders, FoldersAndFifosAreRefusedWithAMessage) {
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0666), 0);
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"index", dir.string()},
             {"verify", (dir / "fifo").string()},
             {"script", "get", dir.string(), "0"},
             {"script", "set", scene.string(), "0", dir.string()},
             {"script", "set", scene.string(), "0", (dir / "fifo").string()},
             {"scripts", "export", (dir / "fifo").string(), (dir / "x").string()}}) {
        const QuillRun r = quill(args);
        EXPECT_EQ(r.status, 2) << args[0];
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    }
}

#endif

TEST_F(QuillFolders, IndexTextEscapesControlBytesInNames) {
    const auto b = mini::scene(
        [](SceneWriter& w) { mini::object(w, "two\nlines\tand\\slash\x01\x7F\x81\xE9"); });
    spit(scene, std::string(b.begin(), b.end()));
    const QuillRun r = quill({"index", scene.string()});
    EXPECT_EQ(r.out, "0\t[ ]\t255\ttwo\\nlines\\tand\\\\slash\\x01\\x7f\\x81\xC3\xA9\n");
}
} // namespace
