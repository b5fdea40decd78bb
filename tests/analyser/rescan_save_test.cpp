#include <cctype>
#include <gtest/gtest.h>
#include <ostream>

#include "analyser_scene.h"
#include "scene_save.h"

namespace {

// An init record whose name runs on into its text: no byte below 29 between
// them, so the scan's name for it ends at the text's first line break.
std::vector<std::uint8_t> runOnInit(const std::string& text) {
    std::vector<std::uint8_t> r = {0x51, 0xAE, 0x30, 0x00, 0x00, 0x00,
                                   0x02, 0x00, 0x00, 0x00, 0x00};
    const std::string name = "GameInit_______"; // the text starts 15 bytes after the "G"
    r.insert(r.end(), name.begin(), name.end());
    r.insert(r.end(), text.begin(), text.end());
    return r;
}

struct SaveCase {
    const char* what;
    std::size_t entry; // row of the list whose script is saved
    std::string newText;
    bool saved;
    const char* reason; // part of the refusal
};

void PrintTo(const SaveCase& c, std::ostream* os) {
    *os << c.what;
}

class RescanFindsSave : public ::testing::TestWithParam<SaveCase> {};

TEST_P(RescanFindsSave, RefusesWhatTheScanWouldNotReadBack) {
    const SaveCase& c = GetParam();
    const auto built = AnalyserScene()
                           .object("bottle4", "wait 3000\r\nend\r\n")
                           .raw(runOnInit("wait 10\r\nend\r\n"))
                           .object("Tommy", "end\r\n")
                           .build();
    const SceneBytes bytes(built.bytes.data(), built.bytes.size());
    const auto entries = scanScene(bytes);
    ASSERT_EQ(entries.size(), 3u);
    ASSERT_EQ(entries[1].name, "GameInit_______wait 1");
    const ScanEntry& entry = entries[c.entry];
    const auto span = locateScript(bytes, entry.entryPos);
    ASSERT_TRUE(span);
    ASSERT_EQ(static_cast<std::size_t>(span->length), c.newText.size());

    std::vector<std::uint8_t> updated;
    std::string why;
    ASSERT_TRUE(planSameLengthSave(built.bytes, *span, c.newText, updated, why)) << why;
    EXPECT_EQ(rescanFindsSave(built.bytes, updated, entry.entryPos, *span, why), c.saved);
    if (!c.saved) {
        EXPECT_NE(why.find(c.reason), std::string::npos) << why;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RescanFindsSave,
    ::testing::Values(SaveCase{"plain edit", 0, "wait 4000\r\nend\r\n", true, ""},
                      SaveCase{"registered sign (AE) cuts the script", 0,
                               "wait 4\xAE"
                               "00\r\nend\r\n",
                               false, "would read 5 of its 16 bytes"},
                      SaveCase{"AE as the last byte", 0, "wait 3000\r\nend\r\xAE", false,
                               "14 of its 16"},
                      SaveCase{"edit past the name's end", 1, "wait 10\r\nEND\r\n", true, ""},
                      SaveCase{"edit that renames the entry", 1, "wait 20\r\nend\r\n", false,
                               "same entries and ticks"}),
    [](const ::testing::TestParamInfo<SaveCase>& info) {
        std::string name;
        for (const char* p = info.param.what; *p; ++p)
            if (std::isalnum(static_cast<unsigned char>(*p)))
                name += *p;
        return name;
    });

} // namespace
