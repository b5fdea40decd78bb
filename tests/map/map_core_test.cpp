// The map's core: which entries have a place, their kinds, the bucket grid
// and the script links, on a scene laid out by hand.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "map_marks.h"
#include "map_scene.h"
#include "scene_generator.h"
#include "script_links.h"

namespace {

using SA = SwitchedActor;
constexpr auto Active = SwitchState::Active;
constexpr auto Inactive = SwitchState::Inactive;
constexpr auto Unknown = SwitchState::Unknown;

struct LinkCase {
    const char* what;
    std::string script;
    std::vector<SwitchedActor> expected;
};

TEST(SwitchedActors, FollowTheAnalysersReadingOfTheLines) {
    const std::vector<LinkCase> cases = {
        {"the actor bound to the variable, active",
         "findactor 1, \"Zuvav\"\r\nact_setstate 1, active\r\n",
         {SA{"Zuvav", Active}}},
        {"inactive wins over active",
         "findactor 1, \"A\"\r\nact_setstate 1, inactive\r\n",
         {SA{"A", Inactive}}},
        {"an i alone is inactive",
         "findactor 1, \"A\"\r\nact_setstate 1, i\r\n",
         {SA{"A", Inactive}}},
        {"an a alone is active", "findactor 1, \"A\"\r\nact_setstate 1, a\r\n", {SA{"A", Active}}},
        {"neither is unknown", "findactor 1, \"A\"\r\nact_setstate 1, 1\r\n", {SA{"A", Unknown}}},
        {"a state with an o does not count",
         "findactor 1, \"A\"\r\nact_setstate 1, on\r\nact_setstate 1, off\r\n",
         {}},
        {"the o is looked for only up to the line's end",
         "findactor 1, \"A\"\r\nact_setstate 1, active\r\ngoto done\r\n",
         {SA{"A", Active}}},
        {"a repeat just before is dropped",
         "findactor 1, \"A\"\r\nact_setstate 1, active\r\nact_setstate 1, active\r\n",
         {SA{"A", Active}}},
        {"a repeat with another actor between stays",
         "findactor 1, \"A\"\r\nfindactor 2, \"B\"\r\nact_setstate 1, active\r\n"
         "act_setstate 2, active\r\nact_setstate 1, active\r\n",
         {SA{"A", Active}, SA{"B", Active}, SA{"A", Active}}},
        {"same actor, other state is no repeat",
         "findactor 1, \"A\"\r\nact_setstate 1, active\r\nact_setstate 1, inactive\r\n",
         {SA{"A", Active}, SA{"A", Inactive}}},
        {"the binding is a plain text search: 1 finds the line of 12",
         "findactor 12, \"Twelve\"\r\nfindactor 1, \"One\"\r\nact_setstate 1, active\r\n",
         {SA{"Twelve", Active}}},
        {"the first binding counts, wherever it is",
         "act_setstate 1, active\r\nfindactor 1, \"Late\"\r\nfindactor 1, \"Later\"\r\n",
         {SA{"Late", Active}}},
        {"an unbound variable switches nothing", "act_setstate 7, active\r\n", {}},
        {"a binding without quotes switches nothing",
         "findactor 1, Bare\r\nact_setstate 1, active\r\n",
         {}},
        {"a binding with one quote switches nothing",
         "findactor 1, \"Open\r\nact_setstate 1, active\r\n",
         {}},
        {"the last line needs no line break",
         "findactor 1, \"A\"\nact_setstate 1, a",
         {SA{"A", Active}}},
        {"a line without a comma ends the reading",
         "findactor 1, \"A\"\r\nact_setstate 1 active\r\n",
         {}},
        {"no variable: nothing", "findactor , \"A\"\r\nact_setstate, active\r\n", {}},
        {"an empty script", "", {}},
    };
    for (const LinkCase& c : cases)
        EXPECT_EQ(switchedActors(c.script), c.expected) << c.what;
}

TEST(MarkKinds, FromTheKindCodes) {
    const std::vector<std::pair<std::uint8_t, MarkKind>> cases = {
        {2, MarkKind::Light}, {27, MarkKind::Human},  {35, MarkKind::Thing}, {6, MarkKind::Door},
        {4, MarkKind::Car},   {255, MarkKind::Other}, {55, MarkKind::Other}, {5, MarkKind::Other},
    };
    for (const auto& [code, kind] : cases)
        EXPECT_EQ(markKindOf(code), kind) << int(code);
}

class MapScene : public ::testing::Test {
protected:
    std::vector<std::uint8_t> bytes = mapscene::bytes();
    SceneIndex index = buildSceneIndex(ByteView(bytes.data(), bytes.size()));
};

TEST_F(MapScene, ObjectsWithATranslationHaveAPlaceAndNothingElse) {
    ASSERT_EQ(index.entries.size(), 8u);
    ASSERT_EQ(index.merkePosGameInit, 7);
    const MarkGrid grid(index);
    ASSERT_EQ(grid.marks().size(), 6u);
    struct Expected {
        std::size_t entry;
        float x, z;
        MarkKind kind;
        bool ticked;
    };
    const std::vector<Expected> expected = {
        {0, 10, 20, MarkKind::Human, true},  {1, -30, 5, MarkKind::Door, true},
        {2, 0, -40, MarkKind::Light, false}, {3, 50, 0, MarkKind::Thing, true},
        {4, 20, -10, MarkKind::Car, false},  {5, -5, 35, MarkKind::Other, false},
    };
    for (const Expected& e : expected) {
        const MapMark* mark = grid.markOf(e.entry);
        ASSERT_NE(mark, nullptr) << e.entry;
        EXPECT_EQ(mark->entry, e.entry);
        EXPECT_EQ(mark->x, e.x) << e.entry;
        EXPECT_EQ(mark->z, e.z) << e.entry;
        EXPECT_EQ(mark->kind, e.kind) << e.entry;
        EXPECT_EQ(mark->ticked, e.ticked) << e.entry;
    }
    EXPECT_EQ(grid.markOf(6), nullptr) << "name-only";
    EXPECT_EQ(grid.markOf(7), nullptr) << "init script";
    EXPECT_EQ(grid.markOf(8), nullptr) << "past the list";
    const auto bounds = grid.bounds();
    ASSERT_TRUE(bounds);
    EXPECT_EQ(bounds->left, -30);
    EXPECT_EQ(bounds->right, 50);
    EXPECT_EQ(bounds->bottom, -40);
    EXPECT_EQ(bounds->top, 35);
}

// Also when the record of a name-only entry or an init script carries a
// translation, neither has a place.
TEST_F(MapScene, NameOnlyEntriesAndInitScriptsHaveNoPlaceWhateverTheyHold) {
    for (std::size_t entry : {6u, 7u}) {
        IndexRecord record = index.entries[entry];
        record.translation = std::array<StoredFloat, 3>{
            StoredFloat::fromValue(1), StoredFloat::fromValue(2), StoredFloat::fromValue(3)};
        index.entries.set(entry, record);
    }
    const MarkGrid grid(index);
    EXPECT_EQ(grid.marks().size(), 6u);
    EXPECT_EQ(grid.markOf(6), nullptr);
    EXPECT_EQ(grid.markOf(7), nullptr);
    EXPECT_FALSE(hasMapPlace(index, 6));
    EXPECT_FALSE(hasMapPlace(index, 7));
    EXPECT_TRUE(hasMapPlace(index, 5));
}

TEST_F(MapScene, AnUnreadableTranslationHasNoPlace) {
    IndexRecord car = index.entries[4];
    car.translation->at(0) = StoredFloat::fromValue(std::numeric_limits<float>::quiet_NaN());
    index.entries.set(4, car);
    IndexRecord other = index.entries[5];
    other.translation->at(2) = StoredFloat::fromValue(std::numeric_limits<float>::infinity());
    index.entries.set(5, other);
    const MarkGrid grid(index);
    EXPECT_EQ(grid.marks().size(), 4u);
    EXPECT_EQ(grid.markOf(4), nullptr);
    EXPECT_EQ(grid.markOf(5), nullptr);
    EXPECT_EQ(grid.bounds()->right, 50);
    EXPECT_EQ(grid.bounds()->top, 20);
}

TEST_F(MapScene, PicksTheNearestMarkWithinTheRadius) {
    const MarkGrid grid(index);
    ASSERT_NE(grid.nearest(11, 21, 2), nullptr);
    EXPECT_EQ(grid.nearest(11, 21, 2)->entry, 0u);
    EXPECT_EQ(grid.nearest(-29, 4, 2)->entry, 1u);
    EXPECT_EQ(grid.nearest(15, 5, 2), nullptr);
    // Between Guard (10, 20) and Car (20, -10) the nearer one wins.
    EXPECT_EQ(grid.nearest(18, -4, 40)->entry, 4u);
}

TEST_F(MapScene, LinksGoFromPlacedOwnersToPlacedActors) {
    const std::vector<ScriptLink> expected = {
        {0, 1, SwitchState::Active},   // Guard switches Gate on
        {0, 2, SwitchState::Inactive}, // and Lamp off
        {1, 0, SwitchState::Inactive}, // Gate switches Guard off; "Nobody" is no entry
    };
    // Crate's "on" does not count, and the init script has no place.
    EXPECT_EQ(sceneLinks(ByteView(bytes.data(), bytes.size()), index), expected);
}

TEST_F(MapScene, AnActorNamedByTwoEntriesLinksToBoth) {
    IndexRecord car = index.entries[4];
    car.name = "Lamp";
    index.entries.set(4, car);
    const std::vector<ScriptLink> expected = {
        {0, 1, SwitchState::Active},
        {0, 2, SwitchState::Inactive},
        {0, 4, SwitchState::Inactive},
        {1, 0, SwitchState::Inactive},
    };
    EXPECT_EQ(sceneLinks(ByteView(bytes.data(), bytes.size()), index), expected);
}

// The grid's answer for any rectangle is the marks a plain scan finds in it.
TEST(MarkGrid, VisitsExactlyTheMarksInsideAnyRectangle) {
    GeneratorOptions options;
    options.seed = 5;
    options.objectCount = 600;
    const GeneratedScene scene = generateScene(options);
    const SceneIndex index = buildSceneIndex(ByteView(scene.bytes.data(), scene.bytes.size()));
    const MarkGrid grid(index);
    ASSERT_GT(grid.marks().size(), 400u);
    const MapRect all = *grid.bounds();
    std::mt19937 random(3);
    std::uniform_real_distribution<float> x(all.left - 10, all.right + 10);
    std::uniform_real_distribution<float> z(all.bottom - 10, all.top + 10);
    for (int round = 0; round < 200; ++round) {
        const float x0 = x(random), x1 = x(random), z0 = z(random), z1 = z(random);
        const MapRect view{std::min(x0, x1), std::min(z0, z1), std::max(x0, x1), std::max(z0, z1)};
        std::vector<std::uint32_t> visited;
        grid.forEachIn(view, [&](const MapMark& m) { visited.push_back(m.entry); });
        std::vector<std::uint32_t> scanned;
        for (std::size_t entry = 0; entry < index.entries.size(); ++entry)
            if (hasMapPlace(index, entry)) {
                const auto t = *index.entries[entry].translation;
                if (view.contains(t[0].value(), t[2].value()))
                    scanned.push_back(std::uint32_t(entry));
            }
        std::sort(visited.begin(), visited.end());
        ASSERT_EQ(visited, scanned) << "round " << round;
    }
    std::size_t everything = 0;
    grid.forEachIn(all, [&](const MapMark&) { ++everything; });
    EXPECT_EQ(everything, grid.marks().size());
}

TEST(MarkGrid, AnEmptySceneHasNoMarksAndNoBounds) {
    const MarkGrid grid{SceneIndex{}};
    EXPECT_TRUE(grid.marks().empty());
    EXPECT_FALSE(grid.bounds());
    EXPECT_EQ(grid.nearest(0, 0, 100), nullptr);
    int visits = 0;
    grid.forEachIn({-1e30f, -1e30f, 1e30f, 1e30f}, [&](const MapMark&) { ++visits; });
    EXPECT_EQ(visits, 0);
}

} // namespace
