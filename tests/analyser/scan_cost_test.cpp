#include <gtest/gtest.h>

#include "analyser_scene.h"
#include "scene_scan.h"
#include "script_tree.h"

// The per-entry searches of the scan and the tree must cost about one pass
// over the file however many entries share it. Counted, not timed: a return
// to one search per entry to the end of the file multiplies the count by the
// number of entries.
namespace {

// A definition record with a name and nothing else: no data block follows,
// so its search runs on to the next data block or the end of the file. The
// trailing 00 AE ends the name without hiding the next record's id.
std::vector<std::uint8_t> bareRecords(std::size_t count) {
    const std::vector<std::uint8_t> one = {0x21, 0xAE, 0x10, 0x00, 0x00, 0x00, 0x23, 0xAE,
                                           0x0A, 0x00, 0x00, 0x00, 'a',  0x00, 0x00, 0xAE};
    std::vector<std::uint8_t> out;
    for (std::size_t i = 0; i < count; ++i)
        out.insert(out.end(), one.begin(), one.end());
    return out;
}

// Bytes the searches pass over: chunk-like pairs that are none of theirs.
std::vector<std::uint8_t> filler(std::size_t pairs) {
    std::vector<std::uint8_t> out;
    for (std::size_t i = 0; i < pairs; ++i) {
        out.push_back(0x00);
        out.push_back(0xAE);
    }
    return out;
}

// What follows the bare records and the filler.
enum class After { Nothing, Script, LongScript, BlockWithoutScript };

struct CostCase {
    const char* what;
    std::size_t records;
    std::size_t fillerPairs;
    After after;
    std::size_t entries;
    bool ticked;
};

void PrintTo(const CostCase& c, std::ostream* os) {
    *os << c.what;
}

class ScanCostTest : public ::testing::TestWithParam<CostCase> {};

TEST_P(ScanCostTest, ScanAndTreeSearchAboutOncePerFile) {
    const CostCase& c = GetParam();
    AnalyserScene scene;
    scene.raw(bareRecords(c.records)).raw(filler(c.fillerPairs));
    const std::string script = "findactor 1, \"a\"\r\nact_setstate 1, active\r\n";
    if (c.after == After::Script)
        scene.object("far", script);
    if (c.after == After::LongScript)
        scene.object("far", script + std::string(50000, 'x'));
    if (c.after == After::BlockWithoutScript) {
        // The tick test looks from the block to the end of the file.
        scene.raw({0x24, 0xAE}).raw(filler(100000));
    }
    const auto built = scene.build();
    const SceneBytes bytes(built.bytes.data(), built.bytes.size());
    const auto size = static_cast<std::int64_t>(built.bytes.size());

    ScanCost scanCost;
    const auto entries = scanScene(bytes, {}, &scanCost);
    ASSERT_EQ(entries.size(), c.entries);
    EXPECT_EQ(entries.front().ticked, c.ticked);
    EXPECT_EQ(entries.back().ticked, c.ticked);
    EXPECT_LE(scanCost.bytesSearched, 2 * size);

    ScanCost treeCost;
    const TreeBuild tree = buildScriptTree(bytes, entries, {}, &treeCost);
    EXPECT_TRUE(tree.messages.empty());
    EXPECT_LE(treeCost.bytesSearched, 4 * size);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ScanCostTest,
    ::testing::Values(CostCase{"NoDataBlockAtAll", 1100, 0, After::Nothing, MaxScanEntries, false},
                      CostCase{"OneFarScriptForAll", 199, 100000, After::Script, 200, true},
                      CostCase{"OneLongScriptForAll", 199, 0, After::LongScript, 200, true},
                      CostCase{"OneBlockWithoutScriptForAll", 1100, 0, After::BlockWithoutScript,
                               MaxScanEntries, false}),
    [](const ::testing::TestParamInfo<CostCase>& info) { return std::string(info.param.what); });

} // namespace
