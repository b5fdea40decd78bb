#include <gtest/gtest.h>

#include <algorithm>

#include "chunk_walk.h"
#include "scene_generator.h"

namespace {

GeneratedScene make(std::uint32_t seed, std::size_t objects) {
    return generateScene(GeneratorOptions{seed, objects, std::nullopt});
}

struct EditorInit {
    std::string name;
    std::size_t textOffset = 0;
};

// The editor's rule: the run from the first byte >= 32 at record offset 8 or
// later up to the next 0 byte, less its last byte; the text starts at the
// first byte >= 32 after that 0 byte.
EditorInit editorInitScript(const Bytes& b, const Chunk& r) {
    EditorInit e;
    std::size_t p = r.offset + 8;
    while (p < r.end() && b[p] < 32)
        ++p;
    const std::size_t start = p;
    while (p < r.end() && b[p] != 0)
        ++p;
    if (p > start)
        e.name.assign(b.begin() + static_cast<std::ptrdiff_t>(start),
                      b.begin() + static_cast<std::ptrdiff_t>(p - 1));
    while (p < r.end() && b[p] < 32)
        ++p;
    e.textOffset = p;
    return e;
}

// The analyser's rule: from record offset 11 up to the first byte below 29,
// less the run's last byte.
std::string analyserInitName(const Bytes& b, std::size_t record) {
    std::size_t p = record + 11;
    const std::size_t start = p;
    while (p < b.size() && b[p] >= 29)
        ++p;
    if (p == start)
        return {};
    return std::string(b.begin() + static_cast<std::ptrdiff_t>(start),
                       b.begin() + static_cast<std::ptrdiff_t>(p - 1));
}

// The analyser's scan for 51 AE markers over the whole file: the names of the
// records whose name starts with "G".
std::vector<std::string> analyserListedInits(const Bytes& b) {
    std::vector<std::string> names;
    for (std::size_t p = 0; p + 12 < b.size(); ++p) {
        if (bytesAt(b, p, {0x51, 0xAE}) && b[p + 11] == 'G')
            names.push_back(analyserInitName(b, p));
    }
    return names;
}

} // namespace

TEST(GeneratedInitScripts, BothNameRulesFindTheNameAndTheText) {
    for (std::uint32_t seed : {1u, 2u, 1930u}) {
        const GeneratedScene s = make(seed, 30);
        ASSERT_GE(s.initScripts.size(), 3u);
        for (const GeneratedInitScript& init : s.initScripts) {
            const Chunk r = chunkAt(s.bytes, init.recordOffset);
            ASSERT_EQ(r.id, 0xAE51);
            EXPECT_EQ(r.length, init.recordLength);
            for (std::size_t i = 6; i <= 10; ++i)
                EXPECT_LT(s.bytes[r.offset + i], 29) << init.name;
            const EditorInit e = editorInitScript(s.bytes, r);
            EXPECT_EQ(e.name, init.name);
            EXPECT_EQ(e.textOffset, init.textOffset);
            EXPECT_EQ(analyserInitName(s.bytes, r.offset), init.name);
            EXPECT_EQ(init.textOffset + init.textLength, r.end());
            EXPECT_TRUE(std::all_of(s.bytes.begin() + static_cast<std::ptrdiff_t>(init.textOffset),
                                    s.bytes.begin() + static_cast<std::ptrdiff_t>(r.end()),
                                    [](std::uint8_t c) { return c != 0 && c != 0xAE; }));
        }
    }
}

TEST(GeneratedInitScripts, GameInitEndIsThereAndTheAnalyserListsOnlyGNames) {
    const GeneratedScene s = make(9, 25);
    std::vector<std::string> gNames;
    bool nonG = false;
    for (const auto& init : s.initScripts) {
        if (init.name.starts_with("G"))
            gNames.push_back(init.name);
        else
            nonG = true;
    }
    EXPECT_NE(std::find(gNames.begin(), gNames.end(), "GameInitEnd"), gNames.end());
    EXPECT_TRUE(nonG);
    EXPECT_EQ(analyserListedInits(s.bytes), gNames);
}

TEST(GeneratedInitScripts, GameTextsStartAfterTheAnalysersSkip) {
    // The analyser takes a "Game..." record's text from the first byte above
    // 19 past the name's offset + 14.
    const GeneratedScene s = make(3, 10);
    for (const auto& init : s.initScripts) {
        if (!init.name.starts_with("Game"))
            continue;
        std::size_t p = init.recordOffset + 11 + 15;
        while (s.bytes[p] <= 19)
            ++p;
        EXPECT_EQ(p, init.textOffset) << init.name;
    }
}
