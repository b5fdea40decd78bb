#include <QApplication>
#include <QLineEdit>

#include "navigation_fixture.h"

namespace {

using navigation::searchScene;

TEST_F(Navigation, SearchIgnoresLetterCase) {
    loadScene(searchScene());
    type("Text2(1)", "ZUVAV");
    click("search(1)");
    EXPECT_EQ(currentText("List2"), "2zuvav3");
    EXPECT_EQ(currentRow(list("List2")), 1);
    EXPECT_EQ(dialogs.shown.size(), 1u); // the open dialog only
}

TEST_F(Navigation, RepeatedSearchFindsTheNextThenNothingThenStartsOver) {
    loadScene(searchScene());
    QAbstractItemView* all = list("List2");
    type("Text2(1)", "zuvav");
    for (int expected : {1, 3, 5, 8}) {
        click("search(1)");
        EXPECT_EQ(currentRow(all), expected);
    }
    selectRow(all, 4);
    click("search(1)");
    EXPECT_EQ(currentRow(all), 4) << "no match selects nothing";
    click("search(1)");
    EXPECT_EQ(currentRow(all), 1);
    click("search(1)");
    EXPECT_EQ(currentRow(all), 3);
    EXPECT_EQ(dialogs.shown.size(), 1u) << "a list search shows no message";
}

TEST_F(Navigation, ScriptListSearchSelectsTheMappedEntry) {
    loadScene(searchScene());
    click("Option2");
    type("Text18", "zuvav");
    const std::pair<int, int> hits[] = {{0, 1}, {1, 3}, {4, 8}};
    for (const auto& [row, entry] : hits) {
        click("search(2)");
        EXPECT_EQ(currentRow(list("List1")), row);
        EXPECT_EQ(currentRow(list("List2")), entry);
    }
    click("search(2)");
    EXPECT_EQ(currentRow(list("List1")), 4);
    click("search(2)");
    EXPECT_EQ(currentRow(list("List1")), 0);
    EXPECT_EQ(currentRow(list("List2")), 1);
}

TEST_F(Navigation, ThingListSearchSelectsTheMappedEntry) {
    loadScene(searchScene());
    click("Option3");
    type("Text19", "BOX");
    click("search(3)");
    EXPECT_EQ(currentRow(list("List3")), 2);
    EXPECT_EQ(currentRow(list("List2")), 4);
    type("Text19", "Zuvav");
    click("search(3)");
    EXPECT_EQ(currentRow(list("List3")), 3);
    EXPECT_EQ(currentText("List2"), "bigZUVAV");
}

TEST_F(Navigation, TheThreeSearchesShareTheLastHit) {
    loadScene(searchScene());
    type("Text2(1)", "Tom");
    click("search(1)");
    ASSERT_EQ(currentRow(list("List2")), 6);
    click("Option3");
    type("Text19", "Box");
    // List3 has four entries: a search that starts after row 6 finds nothing...
    click("search(3)");
    EXPECT_EQ(currentRow(list("List3")), -1);
    EXPECT_EQ(currentRow(list("List2")), 6);
    // ...and the one after it starts at the first entry.
    click("search(3)");
    EXPECT_EQ(currentText("List3"), "Box");
    EXPECT_EQ(currentRow(list("List2")), 4);
}

TEST_F(Navigation, LastHitSurvivesALoad) {
    loadScene(searchScene());
    type("Text2(1)", "zuvav");
    click("search(1)");
    ASSERT_EQ(currentRow(list("List2")), 1);
    load(scenePath);
    ASSERT_EQ(currentRow(list("List2")), 8);
    click("search(1)");
    EXPECT_EQ(currentRow(list("List2")), 3);
}

TEST_F(Navigation, SearchesWaitForAFile) {
    type("Text2(1)", "zuvav");
    click("search(1)");
    type("Text2(3)", "wait");
    click("search2");
    EXPECT_EQ(currentRow(list("List2")), -1);
    EXPECT_TRUE(dialogs.shown.empty());
    loadScene(searchScene());
    click("search(1)");
    EXPECT_EQ(currentRow(list("List2")), 1) << "the search before loading kept no hit";
}

} // namespace

namespace {

// Enter in a list's search box runs that list's search.
TEST_F(Navigation, EnterInASearchBoxSearches) {
    loadScene(searchScene());
    const auto pressEnter = [this](const char* name) {
        QLineEdit* box = control<QLineEdit>(window, name);
        box->setFocus();
        QTest::keyClick(box, Qt::Key_Return);
    };
    type("Text2(1)", "zuvav");
    pressEnter("Text2(1)");
    EXPECT_EQ(currentRow(list("List2")), 1);
    // Each search starts after the last hit of any of the three.
    window.lastListHit = -1;
    click("Option2");
    type("Text18", "zuvav");
    pressEnter("Text18");
    EXPECT_EQ(currentRow(list("List1")), 0);
    EXPECT_EQ(currentRow(list("List2")), 1);
    window.lastListHit = -1;
    click("Option3");
    type("Text19", "BOX");
    pressEnter("Text19");
    EXPECT_EQ(currentRow(list("List3")), 2);
    EXPECT_EQ(currentRow(list("List2")), 4);
}

// The caption boxes beside the lengths are passed by Tab.
TEST_F(Navigation, CaptionBoxesAreNoTabStops) {
    loadScene(searchScene());
    for (const char* name : {"Text2(10)", "Text2(8)", "Text2(9)"}) {
        QLineEdit* caption = control<QLineEdit>(window, name);
        EXPECT_FALSE(caption->focusPolicy() & Qt::TabFocus) << name;
    }
}

} // namespace
