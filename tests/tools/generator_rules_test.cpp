#include <gtest/gtest.h>

#include "chunk_walk.h"
#include "scene_plan.h"

// The byte rules the generator keeps, checked directly on the values that
// random scenes meet too seldom to test through generateScene.
using namespace scenegen;

TEST(GeneratorRules, LengthCleanRejectsAnAeByteAnywhere) {
    EXPECT_TRUE(lengthClean(0x00000000));
    EXPECT_TRUE(lengthClean(0x00AD00AF));
    EXPECT_FALSE(lengthClean(0x000000AE));
    EXPECT_FALSE(lengthClean(0x0000AE00));
    EXPECT_FALSE(lengthClean(0x00AE0000));
    EXPECT_FALSE(lengthClean(0xAE000000));
}

TEST(GeneratorRules, WalkSafeLengthRejectsPairsTheObjectWalkWouldTakeForIds) {
    EXPECT_TRUE(walkSafeLength(0x00000011));
    EXPECT_TRUE(walkSafeLength(0x00001110));
    EXPECT_FALSE(walkSafeLength(0x00000010)); // 10 00 ..
    EXPECT_FALSE(walkSafeLength(0x00004010)); // 10 40 ..
    EXPECT_FALSE(walkSafeLength(0x00001000)); // .. 10 00 ..
    EXPECT_FALSE(walkSafeLength(0x00401000)); // .. 10 40 ..
    EXPECT_FALSE(walkSafeLength(0x00100000)); // .. .. 10 00
    EXPECT_FALSE(walkSafeLength(0x40100000)); // .. .. 10 40
    EXPECT_FALSE(walkSafeLength(0x000000AE));
    EXPECT_TRUE(walkSafeLength(0x10000000)); // the fourth byte pairs with the next id
}

TEST(GeneratorRules, CleanFloatMovesToTheNearestPatternWithoutAe) {
    const auto clean = [](std::uint32_t bits) {
        return bitsOf(cleanFloat(std::bit_cast<float>(bits)));
    };
    EXPECT_EQ(clean(0x3F800000), 0x3F800000u);
    EXPECT_EQ(clean(0x3F8000AE), 0x3F8000AFu);
    EXPECT_EQ(clean(0x3F80AE10), 0x3F80ADFFu);
    EXPECT_EQ(clean(0x3F80AEF0), 0x3F80AF00u);
    EXPECT_EQ(clean(0x42AE12AE), 0x42ADFFFFu);
    EXPECT_EQ(clean(0xAE000001), 0xADFFFFFFu);
}

TEST(GeneratorRules, ScriptTextLengthMatchesItsRendering) {
    ScriptText t{"// door1", "wait 1\r\nend\r\n", 0};
    for (std::size_t filler : {0u, 1u, 3u, 4u, 5u, 66u, 67u, 69u, 70u, 133u, 1000u}) {
        t.filler = filler;
        for (std::size_t stretch : {0u, 1u, 9u}) {
            const std::string text = t.render(stretch);
            EXPECT_EQ(text.size(), t.length(stretch)) << filler << "/" << stretch;
            EXPECT_TRUE(text.starts_with("// door1"));
            EXPECT_TRUE(text.ends_with(t.body));
            EXPECT_EQ(text.find("\r\n\r\n"), std::string::npos) << "empty line, filler " << filler;
        }
    }
}

TEST(GeneratorRules, FillerLinesAreComments) {
    ScriptText t{"// x", "end\r\n", 500};
    const std::string text = t.render(0);
    std::size_t lineStart = 0;
    while (lineStart < text.size()) {
        const std::size_t lineEnd = text.find("\r\n", lineStart);
        ASSERT_NE(lineEnd, std::string::npos);
        const std::string line = text.substr(lineStart, lineEnd - lineStart);
        EXPECT_TRUE(line.starts_with("//") || line == "end") << line;
        lineStart = lineEnd + 2;
    }
}
