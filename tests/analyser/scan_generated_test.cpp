#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>

#include "scene_generator.h"
#include "scene_scan.h"

namespace {

struct Expected {
    std::size_t offset; // the record
    std::string name;
    bool ticked;
    std::int64_t entryPos;
    std::size_t scriptStart; // 0-based
    std::size_t scriptLength;
};

// What the scan must list, from what the generator wrote: the definition
// records and the "G" init scripts that start in the last fifth.
std::vector<Expected> expectedEntries(const GeneratedScene& g) {
    const auto size = static_cast<double>(g.bytes.size());
    const auto first = static_cast<std::size_t>(std::nearbyint(0.8 * size)) - 1;
    std::vector<Expected> out;
    for (const GeneratedObject& o : g.objects) {
        if (!o.hasDefinition || o.definitionOffset < first)
            continue;
        const bool scripted = o.script == ScriptState::Present;
        out.push_back(
            {o.definitionOffset, o.definitionName, scripted,
             static_cast<std::int64_t>(o.definitionOffset + 12 + o.definitionName.size() + 3),
             scripted ? o.scriptOffset + 4 : 0, scripted ? o.scriptLength : 0});
    }
    for (const GeneratedInitScript& s : g.initScripts) {
        if (s.recordOffset < first || s.name.empty() || s.name[0] != 'G')
            continue;
        out.push_back({s.recordOffset, s.name, true, static_cast<std::int64_t>(s.recordOffset),
                       s.textOffset, s.textLength});
    }
    std::sort(out.begin(), out.end(),
              [](const Expected& a, const Expected& b) { return a.offset < b.offset; });
    return out;
}

TEST(ScanGenerated, ListsExactlyWhatTheGeneratorWroteInTheLastFifth) {
    std::size_t checked = 0;
    for (std::uint32_t seed : {1u, 2u, 7u, 42u, 1234u}) {
        for (std::size_t objects : {10u, 60u, 400u}) {
            const GeneratedScene g = generateScene({seed, objects, std::nullopt});
            const SceneBytes bytes(g.bytes.data(), g.bytes.size());
            const auto entries = scanScene(bytes);
            const auto expected = expectedEntries(g);
            ASSERT_EQ(entries.size(), expected.size()) << seed << " " << objects;
            for (std::size_t i = 0; i < entries.size(); ++i) {
                const Expected& e = expected[i];
                SCOPED_TRACE(e.name);
                EXPECT_EQ(entries[i].name, e.name);
                EXPECT_EQ(entries[i].ticked, e.ticked);
                EXPECT_EQ(entries[i].entryPos, e.entryPos);
                const auto span = locateScript(bytes, entries[i].entryPos);
                if (e.ticked) {
                    ASSERT_TRUE(span);
                    EXPECT_EQ(span->offset(), e.scriptStart);
                    EXPECT_EQ(static_cast<std::size_t>(span->length), e.scriptLength);
                } else {
                    EXPECT_FALSE(span);
                }
                ++checked;
            }
        }
    }
    EXPECT_GT(checked, 100u);
}

} // namespace
