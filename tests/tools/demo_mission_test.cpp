#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

#include "chunk_walk.h"
#include "demo_mission.h"

namespace {

Bytes readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace

TEST(DemoMission, HasEveryKindLightsAndFourInitScripts) {
    const DemoMission demo = makeDemoMission();
    std::set<ObjectKind> kinds;
    int scripted = 0;
    for (const auto& o : demo.scene.objects) {
        kinds.insert(o.kind);
        scripted += o.script == ScriptState::Present ? 1 : 0;
    }
    EXPECT_EQ(kinds.size(), 7u);
    EXPECT_GE(scripted, 5);
    EXPECT_EQ(demo.scene.objects.size(), DemoObjectCount);
    ASSERT_EQ(demo.scene.initScripts.size(), 4u);
    EXPECT_EQ(demo.scene.initScripts[2].name, "GameInitEnd");
}

TEST(DemoMission, SideFilesAreSmallAndNameTheScenesObjects) {
    const DemoMission demo = makeDemoMission();
    for (const Bytes* file : {&demo.treeKlz, &demo.cacheBin, &demo.scene4ds}) {
        EXPECT_GE(file->size(), 100u);
        EXPECT_LE(file->size(), 1000u);
    }
    EXPECT_TRUE(bytesAt(demo.treeKlz, 0, {'G', 'i', 'f', 'C'}));
    EXPECT_TRUE(bytesAt(demo.scene4ds, 0, {'4', 'D', 'S', 0}));
    EXPECT_EQ(readU16(demo.cacheBin, 0), 0x0400);
    EXPECT_EQ(readU32(demo.cacheBin, 2), demo.cacheBin.size());
    const std::string cache(demo.cacheBin.begin(), demo.cacheBin.end());
    bool named = false;
    for (const auto& o : demo.scene.objects)
        named = named || (!o.model.empty() && cache.find(o.name) != std::string::npos);
    EXPECT_TRUE(named);
}

TEST(DemoMission, CommittedFilesAreWhatTheGeneratorMakes) {
    const std::filesystem::path dir = DEMO_MISSION_DIR;
    const DemoMission demo = makeDemoMission();
    EXPECT_EQ(readFile(dir / "scene2.bin"), demo.scene.bytes);
    EXPECT_EQ(readFile(dir / "tree.klz"), demo.treeKlz);
    EXPECT_EQ(readFile(dir / "cache.bin"), demo.cacheBin);
    EXPECT_EQ(readFile(dir / "scene.4ds"), demo.scene4ds);
}
