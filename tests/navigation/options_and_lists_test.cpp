#include "navigation_fixture.h"

namespace {

using navigation::searchScene;

bool shown(QWidget* frame) {
    return frame->isVisible();
}

TEST_F(Navigation, OptionButtonsBringTheirListInFront) {
    loadScene(searchScene());
    auto* scripts = control<QWidget>(window, "Frame6");
    auto* things = control<QWidget>(window, "Frame7");
    ASSERT_FALSE(shown(scripts));
    ASSERT_FALSE(shown(things));

    click("Option2");
    EXPECT_TRUE(shown(scripts));
    EXPECT_FALSE(shown(things));
    click("Option3");
    EXPECT_FALSE(shown(scripts));
    EXPECT_TRUE(shown(things));
    click("Option1");
    EXPECT_FALSE(shown(scripts));
    EXPECT_FALSE(shown(things));
    click("Option3");
    click("Option2");
    EXPECT_TRUE(shown(scripts));
    EXPECT_FALSE(shown(things));
}

TEST_F(Navigation, ScriptListClickSelectsTheSameEntryInTheFullList) {
    loadScene(searchScene());
    click("Option2");
    QAbstractItemView* scripts = list("List1");
    ASSERT_EQ(rowCount(scripts), 5);
    clickRow(scripts, 2);
    EXPECT_EQ(currentText("List1"), "Tom");
    EXPECT_EQ(currentRow(list("List2")), 6);
    clickRow(scripts, 0);
    EXPECT_EQ(currentRow(list("List2")), 1);
    EXPECT_EQ(currentText("List2"), "2zuvav3");
    clickRow(scripts, 4);
    EXPECT_EQ(currentText("List2"), "ZuvavInit");
    EXPECT_EQ(currentRow(list("List2")), 8);
}

TEST_F(Navigation, ThingListClickSelectsTheSameEntryInTheFullList) {
    loadScene(searchScene());
    click("Option3");
    QAbstractItemView* things = list("List3");
    ASSERT_EQ(rowCount(things), 4);
    clickRow(things, 1);
    EXPECT_EQ(currentText("List3"), "Lamp");
    EXPECT_EQ(currentRow(list("List2")), 2);
    clickRow(things, 3);
    EXPECT_EQ(currentRow(list("List2")), 5);
    EXPECT_EQ(currentText("List2"), "bigZUVAV");
    QTest::keyClick(things, Qt::Key_Home);
    EXPECT_EQ(currentRow(list("List2")), 0);
    EXPECT_EQ(currentText("List2"), "Door1");
}

// The ticks show which entries have a script: clicks on the tick box, on the
// row and the space key leave them as they are, in every list.
TEST_F(Navigation, TickBoxClicksLeaveTheTicks) {
    loadScene(searchScene());
    const std::pair<const char*, const char*> listsAndOptions[] = {
        {"List2", "Option1"}, {"List1", "Option2"}, {"List3", "Option3"}};
    int clicked = 0;
    for (const auto& [name, option] : listsAndOptions) {
        click(option);
        QAbstractItemView* shownList = list(name);
        ASSERT_TRUE(QTest::qWaitFor([shownList] { return shownList->isVisible(); })) << name;
        for (Qt::CheckState state : {Qt::Checked, Qt::Unchecked}) {
            const int row = firstRowWith(shownList, state);
            if (row < 0)
                continue;
            clickTickBox(shownList, row);
            EXPECT_EQ(rowCheckState(shownList, row), state) << name;
            clickRow(shownList, row);
            QTest::keyClick(shownList, Qt::Key_Space);
            EXPECT_EQ(rowCheckState(shownList, row), state) << name;
            ++clicked;
        }
    }
    // List2 has both kinds, List1 only ticked and List3 only unticked entries.
    EXPECT_EQ(clicked, 4);
    const Qt::CheckState expected[] = {Qt::Unchecked, Qt::Checked,   Qt::Unchecked,
                                       Qt::Checked,   Qt::Unchecked, Qt::Unchecked,
                                       Qt::Checked,   Qt::Checked,   Qt::Checked};
    for (int row = 0; row < 9; ++row)
        EXPECT_EQ(rowCheckState(list("List2"), row), expected[row]) << row;
}

} // namespace
