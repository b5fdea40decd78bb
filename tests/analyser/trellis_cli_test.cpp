#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

#include "analyser_scene.h"
#include "scene_generator.h"
#include "trellis_cli.h"

namespace {

namespace fs = std::filesystem;

class TrellisCli : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("trellis_cli_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string write(const std::vector<std::uint8_t>& bytes,
                      const std::string& name = "scene2.bin") {
        const fs::path p = dir_ / name;
        std::ofstream(p, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        return p.string();
    }

    struct Run {
        int status;
        std::string out, err;
    };
    static Run run(const std::vector<std::string>& args) {
        std::ostringstream out, err;
        const int status = runTrellisCommand(args, out, err);
        return {status, out.str(), err.str()};
    }

    fs::path dir_;
};

TEST_F(TrellisCli, ScanPrintsEveryEntryWithItsPositionsAndScript) {
    const auto scene = AnalyserScene()
                           .object("Tom\xE9 \"q\"\\", "go\r\n")
                           .object("lamp", "")
                           .init("GameInit", "wait\r\n")
                           .build();
    const auto r = run({"scan", "--json", write(scene.bytes)});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    const auto obj = [&](std::size_t i, std::size_t nameLength) {
        return std::to_string(scene.recordOffsets[i] + 12 + nameLength + 3);
    };
    const std::string expected =
        "{\"entries\": [\n"
        "  {\"index\": 0, \"name\": \"Tom\xC3\xA9 \\\"q\\\"\\\\\", \"ticked\": true, "
        "\"entry_pos\": " +
        obj(0, 9) + ", \"script_start\": " + std::to_string(scene.scriptOffsets[0]) +
        ", \"script_length\": 4},\n"
        "  {\"index\": 1, \"name\": \"lamp\", \"ticked\": false, \"entry_pos\": " +
        obj(1, 4) +
        ", \"script_start\": null, \"script_length\": null},\n"
        "  {\"index\": 2, \"name\": \"GameInit\", \"ticked\": true, \"entry_pos\": " +
        std::to_string(scene.recordOffsets[2]) +
        ", \"script_start\": " + std::to_string(scene.scriptOffsets[2]) +
        ", \"script_length\": 6}\n]}\n";
    EXPECT_EQ(r.out, expected);
}

TEST_F(TrellisCli, TreePrintsNodesAndMessagesAsJsonAndAsGraphviz) {
    const auto scene =
        AnalyserScene()
            .object("boss",
                    "findactor 1, \"Sam\"\r\nact_setstate 1, active\r\nmission_objectives 1\r\n")
            .object("Sam", "findactor 1, \"Joe\"\r\nact_setstate 1, inactive\r\n")
            .object("Joe", "findactor 1, \"Bob\"\r\nact_setstate 1, 1\r\n")
            .build();
    const std::string path = write(scene.bytes);
    const auto json = run({"tree", "--json", path});
    ASSERT_EQ(json.status, 0) << json.err;
    EXPECT_EQ(json.out, "{\"nodes\": [\n"
                        "  {\"text\": \"Start/End: |-->  boss\", \"children\": [\n"
                        "    {\"text\": \"Sam   -active-\", \"children\": [{\"text\": \"Joe   "
                        "-inact-  -- 1-->\"}]}\n"
                        "  ]},\n"
                        "  {\"text\": \"Sam\", \"children\": [\n"
                        "    {\"text\": \"Joe   -inact- \", \"children\": []}\n"
                        "  ]},\n"
                        "  {\"text\": \"---- 1----> Joe\", \"children\": [\n"
                        "    {\"text\": \"Bob   ---\?\?\?--\", \"children\": []}\n"
                        "  ]}\n"
                        "], \"messages\": []}\n");

    const auto dot = run({"tree", "--dot", path});
    ASSERT_EQ(dot.status, 0);
    EXPECT_EQ(dot.out, "digraph trellis {\n"
                       "  node [shape=box];\n"
                       "  n0 [label=\"Start/End: |-->  boss\"];\n"
                       "  n1 [label=\"Sam   -active-\"];\n"
                       "  n0 -> n1;\n"
                       "  n2 [label=\"Joe   -inact-  -- 1-->\"];\n"
                       "  n1 -> n2;\n"
                       "  n3 [label=\"Sam\"];\n"
                       "  n4 [label=\"Joe   -inact- \"];\n"
                       "  n3 -> n4;\n"
                       "  n5 [label=\"---- 1----> Joe\"];\n"
                       "  n6 [label=\"Bob   ---\?\?\?--\"];\n"
                       "  n5 -> n6;\n"
                       "}\n");
}

// Names show as they are in a drawing: control bytes as control pictures, the
// ampersand escaped so no entity is drawn in its place; JSON escapes them.
TEST_F(TrellisCli, DotLabelsShowControlBytesAndAmpersandsAsTheyAre) {
    const auto scene = AnalyserScene()
                           .object("a\x01"
                                   "b\rc\x7F",
                                   "findactor 1, \"&#65;33\"\r\nact_setstate 1, 1\r\n")
                           .object("&#65;33", "wait\r\n")
                           .build();
    const std::string path = write(scene.bytes);
    const auto dot = run({"tree", "--dot", path});
    ASSERT_EQ(dot.status, 0) << dot.err;
    EXPECT_EQ(dot.out, "digraph trellis {\n"
                       "  node [shape=box];\n"
                       "  n0 [label=\"a\xE2\x90\x81"
                       "b\xE2\x90\x8D"
                       "c\xE2\x90\xA1\"];\n"
                       "  n1 [label=\"&amp;#65;33   ---\?\?\?--\"];\n"
                       "  n0 -> n1;\n"
                       "}\n");
    const auto json = run({"scan", "--json", path});
    EXPECT_NE(json.out.find("\"name\": \"a\\u0001b\\rc\x7F\""), std::string::npos) << json.out;
}

TEST_F(TrellisCli, TreeOverflowIsReportedInMessages) {
    AnalyserScene s;
    for (int i = 0; i < 202; ++i)
        s.object("s" + std::to_string(i), "wait\r\n");
    const auto r = run({"tree", "--json", write(s.build().bytes)});
    ASSERT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "{\"nodes\": [], \"messages\": [\"****** Index overflow (P) ****** Tree not "
                     "complete! ******\"]}\n");
}

TEST_F(TrellisCli, EmptyFileAndGeneratedScenesGiveWellFormedOutput) {
    EXPECT_EQ(run({"scan", "--json", write({}, "empty.bin")}).out, "{\"entries\": []}\n");
    EXPECT_EQ(run({"tree", "--json", write({}, "empty.bin")}).out,
              "{\"nodes\": [], \"messages\": []}\n");
    const GeneratedScene g = generateScene({5, 300, std::nullopt});
    const std::string path = write(g.bytes);
    const auto scan = run({"scan", "--json", path});
    ASSERT_EQ(scan.status, 0);
    EXPECT_NE(scan.out.find("\"name\": \"GameInit\", \"ticked\": true"), std::string::npos);
    const auto tree = run({"tree", "--json", path});
    ASSERT_EQ(tree.status, 0);
    EXPECT_NE(tree.out.find("Start/End: |-->  GameInit"), std::string::npos);
}

TEST_F(TrellisCli, WrongArgumentsAndUnreadableFilesExitTwoWithOneLine) {
    const std::string path = write({1, 2, 3});
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{},
          {"scan"},
          {"scan", path},
          {"scan", "--dot", path},
          {"tree", "--xml", path},
          {"list", "--json", path},
          {"scan", "--json", path, "extra"},
          {"--version", "scan"},
          {"--help", "--version"},
          {"scan", "--json", (dir_ / "missing.bin").string()}}) {
        const auto r = run(args);
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.out, "");
        ASSERT_FALSE(r.err.empty());
        EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
    }
}

TEST_F(TrellisCli, TheProgramItselfPrintsAndExits) {
    const std::string path = write(AnalyserScene().object("a", "x\r\n").build().bytes);
    const std::string command = std::string(TRELLIS_PATH) + " scan --json '" + path + "' 2>&1";
    FILE* pipe = ::popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string out;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe))
        out += buffer;
    EXPECT_EQ(::pclose(pipe), 0);
    EXPECT_NE(out.find("\"name\": \"a\""), std::string::npos);
    const std::string bad =
        std::string(TRELLIS_PATH) + " scan --json '" + path + ".none' 2>/dev/null";
    EXPECT_EQ(WEXITSTATUS(std::system(bad.c_str())), 2);

    // Help and the version are answers, not errors: on standard output, status 0.
    const struct {
        const char* arg;
        const char* out;
    } answers[] = {
        {"--help", "usage: trellis [scan --json | tree --json | tree --dot] SCENE\n"},
        {"-h", "usage: trellis [scan --json | tree --json | tree --dot] SCENE\n"},
        {"--version", "Trellis 4.01\n"},
    };
    for (const auto& a : answers) {
        FILE* answer =
            ::popen((std::string(TRELLIS_PATH) + " " + a.arg + " 2>/dev/null").c_str(), "r");
        ASSERT_NE(answer, nullptr);
        std::string text;
        while (std::fgets(buffer, sizeof buffer, answer))
            text += buffer;
        EXPECT_EQ(::pclose(answer), 0) << a.arg;
        EXPECT_EQ(text, a.out);
    }
}

} // namespace
