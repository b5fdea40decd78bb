#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "cp1252.h"
#include "file_access.h"

namespace {
namespace fs = std::filesystem;

TEST(Cp1252, EveryByteRoundTripsThroughUtf8) {
    std::string all;
    for (int c = 0; c < 256; ++c)
        all += static_cast<char>(c);
    const std::string utf8 = cp1252ToUtf8(all);
    EXPECT_EQ(utf8ToCp1252(utf8), all);
    EXPECT_EQ(cp1252ToUtf8("\x80\x9F\xE4"), "\xE2\x82\xAC\xC5\xB8\xC3\xA4");
}

TEST(Cp1252, CharactersOutsideTheCodePageAreRefused) {
    char32_t bad = 0;
    EXPECT_FALSE(utf8ToCp1252("abc \xE2\x98\x83", &bad)); // a snowman
    EXPECT_EQ(bad, U'\u2603');
    EXPECT_FALSE(utf8ToCp1252("\xC3"));              // cut sequence
    EXPECT_EQ(utf8ToCp1252("\xE2\x80\x94"), "\x97"); // em dash
}

class FileAccess : public ::testing::Test {
protected:
    fs::path dir = fs::temp_directory_path() /
                   (std::string("quill_file_access_test_") +
                    ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::path file = dir / "scene2.bin";
    void SetUp() override {
        fs::remove_all(dir);
        fs::create_directories(dir);
        write(file, "0123456789");
    }
    void TearDown() override { fs::remove_all(dir); }
    static void write(const fs::path& p, const std::string& s) {
        std::ofstream(p, std::ios::binary) << s;
    }
    std::string content() const {
        std::vector<std::uint8_t> b;
        EXPECT_TRUE(readWholeFile(file.string(), b));
        return std::string(b.begin(), b.end());
    }
};

TEST_F(FileAccess, InPlaceWritesChangeOnlyTheirBytes) {
    ASSERT_TRUE(writeInPlace(file.string(), {{2, {'a', 'b'}}, {9, {'z'}}}));
    EXPECT_EQ(content(), "01ab45678z");
    const FileResult past = writeInPlace(file.string(), {{1, {'x'}}, {9, {'y', 'y'}}});
    EXPECT_FALSE(past);
    EXPECT_EQ(content(), "01ab45678z") << "nothing is written when one block is out of range";
}

TEST_F(FileAccess, AtomicReplaceLeavesNoTemporaryFile) {
    write(dir / "quilltemp.save", "stale");
    ASSERT_TRUE(replaceAtomically(file.string(), {'n', 'e', 'w'}));
    EXPECT_EQ(content(), "new");
    EXPECT_FALSE(fs::exists(dir / "quilltemp.save"));
}

TEST_F(FileAccess, FailedReplaceLeavesTheFileAsItWas) {
    fs::create_directories(dir / "quilltemp.save" / "blocker");
    const FileResult r = replaceAtomically(file.string(), {'n', 'e', 'w'});
    EXPECT_FALSE(r);
    EXPECT_FALSE(r.error.empty());
    EXPECT_EQ(content(), "0123456789");
    EXPECT_FALSE(replaceAtomically((dir / "missing.bin").string(), {'x'}));
    EXPECT_FALSE(fs::exists(dir / "missing.bin"));
}

TEST_F(FileAccess, ReadAndProbeReportTheSystemsReason) {
    std::vector<std::uint8_t> b;
    const FileResult r = readWholeFile((dir / "none.bin").string(), b);
    EXPECT_FALSE(r);
    EXPECT_NE(r.error.find("No such file"), std::string::npos) << r.error;
    EXPECT_FALSE(probeReadWrite(dir.string()));
    EXPECT_TRUE(probeReadWrite(file.string()));
}
} // namespace
