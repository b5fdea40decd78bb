#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "file_access.h"
#include "mini_scene.h"
#include "quill_runner.h"
#include "scene_generator.h"
#include "scene_verify.h"
#include "script_files.h"

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
             {"script", "set", scene.string(), scriptedName()}}) {
        const QuillRun r = quill(args);
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    }
    EXPECT_EQ(slurp(scene), before);
    EXPECT_FALSE(fs::exists(dir / "quilltemp.save"));
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
}
} // namespace
