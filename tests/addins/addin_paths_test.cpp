#include <gtest/gtest.h>

#include "addin_fixture.h"
#include "addin_paths.h"

TEST(AddinPaths, GameDirectoryIsAboveTheNearestMissionsFolder) {
    EXPECT_EQ(gameDirectoryOf("/home/missionary/game/missions/demo"),
              fs::path("/home/missionary/game"));
    EXPECT_EQ(gameDirectoryOf("/home/missionary/game/MISSIONS/demo/"),
              fs::path("/home/missionary/game"));
    EXPECT_EQ(gameDirectoryOf("/a/missions/b/missions/demo"), fs::path("/a/missions/b"));
    // A mission may itself be called "missions".
    EXPECT_EQ(gameDirectoryOf("/g/missions/missions"), fs::path("/g"));
    EXPECT_EQ(gameDirectoryOf("/g/Missions/x/../demo"), fs::path("/g"));
    EXPECT_FALSE(gameDirectoryOf("/home/missionary/game/mission/demo"));
    EXPECT_FALSE(gameDirectoryOf("/g/missions"));
}

TEST(AddinPaths, MissionNameIsLookedForInTheMissionFolderOnly) {
    EXPECT_TRUE(missionNameMatches("/g/missions/demo", "demo"));
    EXPECT_TRUE(missionNameMatches("/g/missions/Mise01-Demo", "DEMO"));
    EXPECT_TRUE(missionNameMatches("/g/missions/\xC3\x84rger/", "\xC3\xA4rger"));
    EXPECT_FALSE(missionNameMatches("/home/demo/g/missions/other", "demo"));
    EXPECT_FALSE(missionNameMatches("/g/missions/demo", "missions"));
}

TEST(AddinPaths, NamesCompareWithoutLetterCase) {
    EXPECT_TRUE(sameNameNoCase("Tree.KLZ", "tree.klz"));
    EXPECT_TRUE(sameNameNoCase("\xC3\x89t\xC3\xA9", "\xC3\xA9T\xC3\x89"));
    EXPECT_FALSE(sameNameNoCase("tree.klz", "tree.klz.sav"));
    EXPECT_TRUE(containsNameNoCase("C:/Game/Addin.QXA", ".qxa"));
}

class AddinPathsOnDisk : public AddinGame {};

TEST_F(AddinPathsOnDisk, FindsEntriesWhateverTheirCase) {
    fs::rename(mission / "tree.klz", mission / "TREE.Klz");
    std::string error;
    EXPECT_EQ(findNoCase(mission, "tree.klz", error), mission / "TREE.Klz");
    EXPECT_EQ(findNoCase(mission, "cache.bin", error), mission / "cache.bin");
    EXPECT_FALSE(findNoCase(mission, "nothing", error));
    EXPECT_TRUE(error.empty());
    EXPECT_FALSE(findNoCase(mission / "no-such-folder", "x", error));
    EXPECT_FALSE(error.empty());
}
