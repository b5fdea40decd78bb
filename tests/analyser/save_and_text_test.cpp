#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

#include "analyser_scene.h"
#include "scene_save.h"
#include "script_view_text.h"

namespace {

namespace fs = std::filesystem;

TEST(ScriptViewText, EveryByteStringComesBackUnchanged) {
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    for (const std::string& bytes :
         {all, std::string("a\r\nb\rc\nd\r\r\n\n\r"), std::string("\r"), std::string()}) {
        const std::string view = scriptToView(bytes);
        EXPECT_EQ(viewByteLength(view), bytes.size());
        const auto back = viewToScript(view);
        ASSERT_TRUE(back);
        EXPECT_EQ(*back, bytes);
    }
}

TEST(ScriptViewText, LineBreaksAndControlBytesAsTheBoxShowsThem) {
    EXPECT_EQ(scriptToView("a\r\nb"), "a\nb");
    EXPECT_EQ(scriptToView("a\rb\n"), "a\xE2\x90\x8D"
                                      "b\xE2\x90\x8A");
    EXPECT_EQ(scriptToView("\t\x7F\xE9"), "\t\xE2\x90\xA1\xC3\xA9");
    EXPECT_EQ(viewByteLength("a\nb"), 4u);
}

TEST(ScriptViewText, CharactersWithoutAByteAreRefusedByName) {
    char32_t bad = 0;
    EXPECT_FALSE(viewToScript("ab\xD0\x96", &bad));
    EXPECT_EQ(bad, U'\u0416');
    EXPECT_FALSE(viewToScript("\xFF", &bad));     // not UTF-8
    EXPECT_FALSE(viewToScript("\xE2\x82", &bad)); // cut short
}

class SceneSave : public ::testing::Test {
protected:
    void SetUp() override {
        path_ =
            fs::temp_directory_path() /
            ("trellis_save_" +
             std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + ".bin");
    }
    void TearDown() override { fs::remove(path_); }
    void write(const std::vector<std::uint8_t>& bytes) {
        std::ofstream(path_, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
    }
    std::vector<std::uint8_t> read() {
        std::ifstream in(path_, std::ios::binary);
        return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
    }
    fs::path path_;
};

TEST_F(SceneSave, SameLengthTextReplacesExactlyTheScript) {
    const auto built = AnalyserScene().object("a", "abcdef\r\n").object("b", "zz\r\n").build();
    write(built.bytes);
    const ScriptSpan span{static_cast<std::int64_t>(built.scriptOffsets[0]) + 1, 8};
    std::vector<std::uint8_t> updated;
    std::string why;
    ASSERT_TRUE(planSameLengthSave(built.bytes, span, "ABCDEF\r\n", updated, why)) << why;
    ASSERT_TRUE(writeScannedScene(path_.string(), built.bytes, updated));
    const auto after = read();
    ASSERT_EQ(after.size(), built.bytes.size());
    std::size_t differing = 0;
    for (std::size_t i = 0; i < after.size(); ++i) {
        if (after[i] != built.bytes[i]) {
            ++differing;
            EXPECT_GE(i, built.scriptOffsets[0]);
            EXPECT_LT(i, built.scriptOffsets[0] + 8);
        }
    }
    EXPECT_EQ(differing, 6u);
}

TEST_F(SceneSave, WrongLengthsAndSpansOutsideTheFileAreRefused) {
    const std::vector<std::uint8_t> bytes(100, 'x');
    std::vector<std::uint8_t> updated;
    std::string why;
    EXPECT_FALSE(planSameLengthSave(bytes, {11, 5}, "abcd", updated, why));
    EXPECT_FALSE(planSameLengthSave(bytes, {98, 5}, "abcde", updated, why));
    EXPECT_FALSE(planSameLengthSave(bytes, {0, 5}, "abcde", updated, why));
    EXPECT_TRUE(planSameLengthSave(bytes, {96, 5}, "abcde", updated, why));
    EXPECT_EQ(updated[99], 'e');
}

TEST_F(SceneSave, AFileThatChangedSinceTheScanIsLeftAlone) {
    std::vector<std::uint8_t> scanned(64, 'a');
    auto onDisk = scanned;
    onDisk[3] = 'b';
    write(onDisk);
    auto updated = scanned;
    updated[10] = 'z';
    const FileResult r = writeScannedScene(path_.string(), scanned, updated);
    EXPECT_FALSE(r);
    EXPECT_TRUE(r.changed);
    EXPECT_FALSE(r.error.empty());
    EXPECT_EQ(read(), onDisk);
    fs::remove(path_);
    EXPECT_FALSE(writeScannedScene(path_.string(), scanned, updated));
    EXPECT_FALSE(fs::exists(path_));
}

} // namespace

namespace {

TEST_F(SceneSave, ASaveThroughALinkKeepsTheLinkAndLeavesNoTemporaryFiles) {
    const auto built = AnalyserScene().object("a", "abcdef\r\n").build();
    write(built.bytes);
    const fs::path link = path_.string() + ".link.bin";
    fs::remove(link);
    fs::create_symlink(path_, link);
    auto updated = built.bytes;
    updated[built.scriptOffsets[0]] = 'X';
    ASSERT_TRUE(writeScannedScene(link.string(), built.bytes, updated));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(read(), updated);
    for (const auto& entry : fs::directory_iterator(path_.parent_path()))
        EXPECT_EQ(entry.path().filename().string().find(path_.filename().string() + ".quilltemp"),
                  std::string::npos)
            << entry.path();
    fs::remove(link);
}

} // namespace
