#include <QElapsedTimer>

#include "load_fixture.h"

namespace {

using Lists = LoadFixture;

TEST_F(Lists, UserCannotChangeTicks) {
    load(writeScene(dir, sampleScene().bytes));
    auto* scripts = control<QWidget>(window, "Frame6");
    auto* things = control<QWidget>(window, "Frame7");
    for (const char* name : {"List2", "List1", "List3"}) {
        // Bring the list in front, as the option buttons do.
        scripts->setVisible(QString(name) == "List1");
        things->setVisible(QString(name) == "List3");
        QAbstractItemView* shown = list(name);
        ASSERT_TRUE(QTest::qWaitFor([shown] { return shown->isVisible(); }));
        for (Qt::CheckState state : {Qt::Checked, Qt::Unchecked}) {
            const int row = firstRowWith(shown, state);
            if (row < 0)
                continue;
            clickTickBox(shown, row);
            EXPECT_EQ(rowCheckState(shown, row), state) << name;
            clickRow(shown, row);
            QTest::keyClick(shown, Qt::Key_Space);
            EXPECT_EQ(rowCheckState(shown, row), state) << name;
        }
    }
    EXPECT_GE(firstRowWith(list("List2"), Qt::Checked), 0);
    EXPECT_GE(firstRowWith(list("List2"), Qt::Unchecked), 0);
}

TEST_F(Lists, ManyEntriesLoadInOneBatch) {
    const GeneratedScene scene = sampleScene(20000, 3);
    const std::vector<ExpectedEntry> expected = expectedEntries(scene);
    QElapsedTimer clock;
    clock.start();
    load(writeScene(dir, scene.bytes));
    RecordProperty("load_ms", int(clock.elapsed()));

    QAbstractItemView* all = list("List2");
    ASSERT_EQ(rowCount(all), int(window.sceneIndex.entries.size()));
    ASSERT_GT(rowCount(all), 5001);
    EXPECT_EQ(rowCount(list("List1")) + rowCount(list("List3")), rowCount(all));
    for (int entry = 0; entry < rowCount(all); entry += 997) {
        EXPECT_EQ(rowText(all, entry), expected[std::size_t(entry)].name);
        EXPECT_EQ(rowTicked(all, entry), expected[std::size_t(entry)].ticked);
    }
    EXPECT_EQ(currentRow(all), rowCount(all) - 1);
}

} // namespace
