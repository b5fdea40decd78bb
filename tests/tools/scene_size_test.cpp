#include <gtest/gtest.h>

#include <chrono>

#include "chunk_walk.h"
#include "scene_generator.h"

TEST(SceneSize, TwentyMegabytesWithTwentyThousandObjects) {
    constexpr std::size_t target = 20'000'000;
    const auto started = std::chrono::steady_clock::now();
    const GeneratedScene s = generateScene(GeneratorOptions{77, 20'000, target});
    const auto took = std::chrono::steady_clock::now() - started;
    RecordProperty(
        "milliseconds",
        static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(took).count()));

    EXPECT_NEAR(static_cast<double>(s.bytes.size()), static_cast<double>(target), target * 0.001);
    EXPECT_EQ(s.objects.size(), 20'000u);
    EXPECT_EQ(readU32(s.bytes, 2), s.bytes.size());
    const auto sections = childrenOf(s.bytes, chunkAt(s.bytes, 0));
    ASSERT_TRUE(sections);
    ASSERT_EQ(sections->size(), 4u);
    for (std::size_t i = 1; i < sections->size(); ++i)
        EXPECT_TRUE(childrenOf(s.bytes, (*sections)[i])) << "section " << i;
    for (const GeneratedObject& o : s.objects) {
        if (o.script == ScriptState::Present) {
            ASSERT_EQ(readU32(s.bytes, o.scriptOffset), o.scriptLength);
            ASSERT_EQ(o.scriptOffset + 4 + o.scriptLength, o.dataChunkOffset + o.dataChunkLength);
        }
    }
}

TEST(SceneSize, GrowthGoesIntoTheScripts) {
    const GeneratedScene natural = generateScene(GeneratorOptions{5, 50, std::nullopt});
    const GeneratedScene grown = generateScene(GeneratorOptions{5, 50, 200'000});
    EXPECT_NEAR(static_cast<double>(grown.bytes.size()), 200'000.0, 200.0);
    ASSERT_EQ(natural.objects.size(), grown.objects.size());
    std::size_t naturalScripts = 0;
    std::size_t grownScripts = 0;
    for (std::size_t i = 0; i < natural.objects.size(); ++i) {
        EXPECT_EQ(natural.objects[i].name, grown.objects[i].name);
        EXPECT_EQ(natural.objects[i].recordOffset, grown.objects[i].recordOffset);
        naturalScripts += natural.objects[i].scriptLength;
        grownScripts += grown.objects[i].scriptLength;
    }
    EXPECT_EQ(grownScripts - naturalScripts, grown.bytes.size() - natural.bytes.size());
}

TEST(SceneSize, ATargetBelowTheNaturalSizeChangesNothing) {
    const GeneratedScene natural = generateScene(GeneratorOptions{6, 30, std::nullopt});
    const GeneratedScene small = generateScene(GeneratorOptions{6, 30, 100});
    EXPECT_EQ(natural.bytes, small.bytes);
}

TEST(SceneSize, InitScriptsGrowWhenNoObjectHasAScript) {
    const GeneratedScene s = generateScene(GeneratorOptions{1, 0, 50'000});
    EXPECT_NEAR(static_cast<double>(s.bytes.size()), 50'000.0, 50.0);
    EXPECT_TRUE(s.objects.empty());
}
