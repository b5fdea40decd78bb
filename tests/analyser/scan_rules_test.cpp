#include <cmath>
#include <gtest/gtest.h>

#include "analyser_scene.h"
#include "scene_scan.h"

namespace {

SceneBytes view(const std::vector<std::uint8_t>& b) {
    return SceneBytes(b.data(), b.size());
}

// Where the scan records an object entry: the 1-based position of the AE of
// the chunk after the name chunk.
std::int64_t objectEntryPos(std::size_t record, const std::string& name) {
    return static_cast<std::int64_t>(record + 12 + name.size() + 3);
}

TEST(ScanRules, ListsObjectsAndGameInitScriptsWithTheirPositionsAndScripts) {
    const auto scene = AnalyserScene()
                           .object("Tommy", "findactor 1, \"Sam\"\r\nend\r\n")
                           .object("lamp", "")
                           .init("GameInit", "wait 10\r\nend\r\n")
                           .init("MusicInit", "music 1\r\n")
                           .build();
    const auto entries = scanScene(view(scene.bytes));
    ASSERT_EQ(entries.size(), 3u);

    EXPECT_EQ(entries[0].name, "Tommy");
    EXPECT_TRUE(entries[0].ticked);
    EXPECT_EQ(entries[0].entryPos, objectEntryPos(scene.recordOffsets[0], "Tommy"));
    EXPECT_EQ(entries[1].name, "lamp");
    EXPECT_FALSE(entries[1].ticked);
    EXPECT_EQ(entries[1].entryPos, objectEntryPos(scene.recordOffsets[1], "lamp"));
    // The init script's name loses its last byte; its position is the marker's offset.
    EXPECT_EQ(entries[2].name, "GameInit");
    EXPECT_TRUE(entries[2].ticked);
    EXPECT_EQ(entries[2].entryPos, static_cast<std::int64_t>(scene.recordOffsets[2]));

    const auto tommy = locateScript(view(scene.bytes), entries[0].entryPos);
    ASSERT_TRUE(tommy);
    EXPECT_EQ(tommy->offset(), scene.scriptOffsets[0]);
    EXPECT_EQ(scriptBytes(view(scene.bytes), tommy), "findactor 1, \"Sam\"\r\nend\r\n");
    EXPECT_FALSE(locateScript(view(scene.bytes), entries[1].entryPos));
    const auto init = locateScript(view(scene.bytes), entries[2].entryPos);
    ASSERT_TRUE(init);
    EXPECT_EQ(init->offset(), scene.scriptOffsets[2]);
    EXPECT_EQ(scriptBytes(view(scene.bytes), init), "wait 10\r\nend\r\n");
}

TEST(ScanRules, OnlyTheLastFifthIsScanned) {
    const std::string script = "end\r\n";
    auto scene = AnalyserScene()
                     .object("early", script)
                     .raw(std::vector<std::uint8_t>(400, 0x11))
                     .object("late", script)
                     .build(0);
    const auto entries = scanScene(view(scene.bytes));
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].name, "late");
}

TEST(ScanRules, ScanStartsAtFourFifthsRoundedToTheNearestPosition) {
    // 10 bytes: the scan starts at 1-based position 8, the 0-based offset 7.
    std::vector<std::uint8_t> bytes(10, 0x11);
    bytes[7] = 0x51;
    bytes[8] = 0xAE;
    EXPECT_TRUE(scanScene(view(bytes)).empty()); // the marker's "G" would lie past the end
    auto atSix = bytes;
    atSix[6] = 0x21; // a pair starting before the scan start is never seen
    atSix[7] = 0xAE;
    EXPECT_TRUE(scanScene(view(atSix)).empty());
}

TEST(ScanRules, NamesStopAtTheirFirstZeroByte) {
    const auto scene = AnalyserScene()
                           .object(std::string("ab\0cd", 5), "end\r\n")
                           .object(std::string("\0x", 2), "end\r\n")
                           .build();
    const auto entries = scanScene(view(scene.bytes));
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].name, "ab");
    EXPECT_EQ(entries[1].name, ""); // listed all the same, as the scan adds every object
}

TEST(ScanRules, InitScriptNamesNeedAGAndAtLeastTwoBytes) {
    const auto scene = AnalyserScene()
                           .init("G", "a\r\n")  // run "G~": the name is "G"
                           .init("gx", "a\r\n") // lower-case g is not the marker
                           .init("Gate", "b\r\n")
                           .build();
    const auto entries = scanScene(view(scene.bytes));
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].name, "G");
    EXPECT_EQ(entries[1].name, "Gate");
    // Not a "Game" name: the script search runs into the next chunk and finds none.
    EXPECT_FALSE(locateScript(view(scene.bytes), entries[1].entryPos));
}

TEST(ScanRules, TickTestNeedsAScriptLengthWhoseLowByteIsAboveOne) {
    const std::string s257(257, 'x'); // length 01 01 00 00
    const std::string s258(258, 'x');
    const auto scene = AnalyserScene()
                           .object("fake", "", {0x01, 0x00, 0x00, 0x00, 0x00, 0x01, 0x07})
                           .object("short", s257)
                           .object("long", s258)
                           .build();
    const auto entries = scanScene(view(scene.bytes));
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_FALSE(entries[0].ticked);
    EXPECT_FALSE(entries[1].ticked);
    EXPECT_TRUE(entries[2].ticked);
}

TEST(ScanRules, ScriptMarkerInsideTheValuesCountsAsAScript) {
    // The tick test is a byte heuristic: the values hold 01 00 00 00 00 07.
    const auto scene =
        AnalyserScene()
            .object("odd", "", {0x01, 0x00, 0x00, 0x00, 0x00, 0x07, 0x00, 0x00, 0x00})
            .object("next", "")
            .build();
    const auto entries = scanScene(view(scene.bytes));
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_TRUE(entries[0].ticked);
    // The supposed text would start where the next record starts: no script.
    const auto span = locateScript(view(scene.bytes), entries[0].entryPos);
    ASSERT_FALSE(span);
}

TEST(ScanRules, TheLastScriptInTheFileRunsToItsEnd) {
    const auto scene = AnalyserScene().object("a", "one\r\n").object("b", "two\r\nend\r\n").build();
    const auto entries = scanScene(view(scene.bytes));
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(scriptBytes(view(scene.bytes), locateScript(view(scene.bytes), entries[0].entryPos)),
              "one\r\n");
    EXPECT_EQ(scriptBytes(view(scene.bytes), locateScript(view(scene.bytes), entries[1].entryPos)),
              "two\r\nend\r\n");
}

TEST(ScanRules, AtMostOneThousandAndOneEntries) {
    AnalyserScene s;
    for (int i = 0; i < 1005; ++i)
        s.object("o" + std::to_string(i), i % 2 ? "end\r\n" : "");
    const auto entries = scanScene(view(s.build().bytes));
    ASSERT_EQ(entries.size(), MaxScanEntries);
    EXPECT_EQ(entries.back().name, "o1000");
}

TEST(ScanRules, EmptyAndTruncatedFilesScanSafely) {
    EXPECT_TRUE(scanScene(SceneBytes()).empty());
    const auto scene =
        AnalyserScene().object("Tommy", "act\r\n").init("GameInit", "x\r\n").build(40);
    for (std::size_t cut = 0; cut <= scene.bytes.size(); ++cut) {
        const std::vector<std::uint8_t> part(
            scene.bytes.begin(), scene.bytes.begin() + static_cast<std::ptrdiff_t>(cut));
        for (const ScanEntry& e : scanScene(view(part))) {
            if (const auto span = locateScript(view(part), e.entryPos)) {
                EXPECT_LE(span->end() - 1, static_cast<std::int64_t>(cut)) << cut;
            }
        }
    }
}

TEST(ScanRules, ProgressCountsEveryVisitedPosition) {
    // Without any AE byte the scan visits every position from s to the end;
    // a step is shown wherever 5 * (p - s) > ticks * step + 1.
    for (std::size_t size : {0u, 1u, 7u, 29u, 150u, 1000u, 123457u}) {
        const std::vector<std::uint8_t> bytes(size, 0x11);
        std::vector<int> seen;
        scanScene(view(bytes), [&seen](int t) { seen.push_back(t); });
        int expected = 0;
        if (size > 0) {
            const auto s =
                static_cast<std::int64_t>(std::nearbyint(0.8 * static_cast<double>(size)));
            const double step = static_cast<double>(s) / 30.0;
            for (std::int64_t p = s; p <= static_cast<std::int64_t>(size); ++p)
                if (5.0 * static_cast<double>(p - s) > expected * step + 1.0)
                    ++expected;
        }
        ASSERT_EQ(seen.size(), static_cast<std::size_t>(expected)) << size;
        for (int i = 0; i < expected; ++i)
            EXPECT_EQ(seen[static_cast<std::size_t>(i)], i);
    }
}

} // namespace
