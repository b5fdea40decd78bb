#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "mini_scene.h"
#include "scene_index.h"
#include "script_listing.h"

namespace {
using Bytes = std::vector<std::uint8_t>;

const std::string kValues(8, '\x07');
const std::string kTomScript = "dim_act 1\r\nfindactor 1, \"Tom\"\r\nend\r\n";
const std::string kShadeScript = "wait 100\r\nend\r\n";
const std::string kLongScript = "act_setstate 1, active\r\n";

std::string listingOf(const Bytes& bytes) {
    const ByteView file(bytes.data(), bytes.size());
    return buildScriptListing(file, buildSceneIndex(file));
}

std::string header(std::size_t stars, const std::string& name) {
    const std::string s(stars, '*');
    return "\r\n\r\n" + s + " -- " + name + " -- " + s + "\r\n";
}

std::string nameOfLength(std::size_t length) {
    std::string name = "Lamp";
    while (name.size() < length)
        name += static_cast<char>('a' + name.size() % 26);
    return name;
}

void scripted(SceneWriter& w, const std::string& name, const std::string& script) {
    mini::definition(w, name, 4, kValues, &script);
}

TEST(ScriptListingStars, InitScriptsCenterTheirNameInFortyEightColumns) {
    EXPECT_EQ(initScriptStarCount(0), 22);
    EXPECT_EQ(initScriptStarCount(8), 18);
    EXPECT_EQ(initScriptStarCount(40), 2);
    EXPECT_EQ(initScriptStarCount(43), 0); // half a star is cut off
    EXPECT_EQ(initScriptStarCount(44), 0);
    EXPECT_LT(initScriptStarCount(50), 0);
}

TEST(ScriptListingStars, ObjectScriptsHaveTwoStarsFewerInFortySixColumns) {
    EXPECT_EQ(objectScriptStarCount(3), 17);
    EXPECT_EQ(objectScriptStarCount(9), 14);
    EXPECT_EQ(objectScriptStarCount(37), 0);
    EXPECT_EQ(objectScriptStarCount(38), 0);
    EXPECT_LT(objectScriptStarCount(39), 0);
    EXPECT_LT(objectScriptStarCount(43), 0);
}

TEST(ScriptListing, TickedEntriesInListOrderWithTheirTexts) {
    const Bytes b = mini::scene(
        [](SceneWriter& w) {
            mini::object(w, "Tom");
            mini::object(w, "Box");
            mini::object(w, "Lampshade");
        },
        [](SceneWriter& w) {
            scripted(w, "Tom", kTomScript);
            mini::definition(w, "Box", 4, kValues);
            scripted(w, "Lampshade", kShadeScript);
        },
        [](SceneWriter& w) { mini::initScript(w, "GameInit", "dim_flt 3\r\nend\r\n"); });
    EXPECT_EQ(listingOf(b), header(17, "Tom") + kTomScript + header(14, "Lampshade") +
                                kShadeScript + header(18, "GameInit") + "dim_flt 3\r\nend\r\n");
}

TEST(ScriptListing, LongInitNamesGetNoStars) {
    const std::string name44 = nameOfLength(44);
    const std::string name46 = nameOfLength(46);
    const Bytes b = mini::scene({}, {}, [&](SceneWriter& w) {
        mini::initScript(w, name44, "a\r\n");
        mini::initScript(w, name46, "b\r\n");
    });
    EXPECT_EQ(listingOf(b), header(0, name44) + "a\r\n" + header(0, name46) + "b\r\n");
}

TEST(ScriptListing, NegativeObjectCountRepeatsThePreviousStars) {
    const std::string name40 = nameOfLength(40);
    const std::string name43 = nameOfLength(43);
    const Bytes b = mini::scene(
        [&](SceneWriter& w) {
            mini::object(w, "Lampshade");
            mini::object(w, name40);
            mini::object(w, name43);
            mini::object(w, "Tom");
        },
        [&](SceneWriter& w) {
            scripted(w, "Lampshade", kShadeScript);
            scripted(w, name40, kLongScript);
            scripted(w, name43, kLongScript);
            scripted(w, "Tom", kTomScript);
        },
        [](SceneWriter& w) { mini::initScript(w, nameOfLength(50), "c\r\n"); });
    EXPECT_EQ(listingOf(b), header(14, "Lampshade") + kShadeScript + header(14, name40) +
                                kLongScript + header(14, name43) + kLongScript + header(17, "Tom") +
                                kTomScript + header(0, nameOfLength(50)) + "c\r\n");
}

TEST(ScriptListing, NegativeCountOfTheFirstEntryGivesNoStars) {
    const std::string name41 = nameOfLength(41);
    const Bytes b = mini::scene([&](SceneWriter& w) { mini::object(w, name41); },
                                [&](SceneWriter& w) { scripted(w, name41, kLongScript); });
    EXPECT_EQ(listingOf(b), header(0, name41) + kLongScript);
}

TEST(ScriptListing, InitScriptWithoutTextGetsItsHeaderOnly) {
    const Bytes b = mini::scene({}, {}, [](SceneWriter& w) {
        mini::initScript(w, "MusicInit", "");
        mini::initScript(w, "GameInit", "end\r\n");
    });
    const ByteView file(b.data(), b.size());
    const SceneIndex index = buildSceneIndex(file);
    ASSERT_EQ(index.entries.size(), 2u);
    ASSERT_TRUE(index.entries[0].ticked);
    ASSERT_FALSE(index.entries[0].scriptPos);
    EXPECT_EQ(buildScriptListing(file, index),
              header(17, "MusicInit") + header(18, "GameInit") + "end\r\n");
}

TEST(ScriptListing, ScriptLengthPastTheFileEndGivesTheHeaderOnly) {
    Bytes b = mini::scene(
        [](SceneWriter& w) {
            mini::object(w, "Tom");
            mini::object(w, "Lampshade");
        },
        [](SceneWriter& w) {
            scripted(w, "Tom", kTomScript);
            scripted(w, "Lampshade", kShadeScript);
        });
    const auto text = std::search(b.begin(), b.end(), kTomScript.begin(), kTomScript.end());
    ASSERT_NE(text, b.end());
    const auto lengthAt = static_cast<std::size_t>(text - b.begin()) - 4;
    b[lengthAt + 3] = 0x7F;
    EXPECT_EQ(listingOf(b), header(17, "Tom") + header(14, "Lampshade") + kShadeScript);
}

TEST(ScriptListing, NamesAndTextsKeepTheirBytes) {
    const std::string name = "T\xFCr";
    const std::string script = "say \"\xE4\xF6\"\r\n\x01x\n";
    const Bytes b = mini::scene([&](SceneWriter& w) { mini::object(w, name); },
                                [&](SceneWriter& w) { scripted(w, name, script); });
    EXPECT_EQ(listingOf(b), header(17, name) + script);
}

TEST(ScriptListing, NoTickedEntryGivesAnEmptyListing) {
    const Bytes b = mini::scene([](SceneWriter& w) { mini::object(w, "Box"); },
                                [](SceneWriter& w) { mini::definition(w, "Box", 4, kValues); });
    EXPECT_EQ(listingOf(b), "");
    EXPECT_EQ(listingOf({}), "");
}
} // namespace
