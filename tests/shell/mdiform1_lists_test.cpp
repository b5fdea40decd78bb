#include <QElapsedTimer>

#include "load_fixture.h"

namespace {

using Lists = LoadFixture;

QListWidgetItem* firstWith(QListWidget* list, Qt::CheckState state) {
    for (int row = 0; row < list->count(); ++row)
        if (list->item(row)->checkState() == state)
            return list->item(row);
    return nullptr;
}

TEST_F(Lists, UserCannotChangeTicks) {
    load(writeScene(dir, sampleScene().bytes));
    auto* scripts = control<QWidget>(window, "Frame6");
    auto* things = control<QWidget>(window, "Frame7");
    for (const char* name : {"List2", "List1", "List3"}) {
        // Bring the list in front, as the option buttons do.
        scripts->setVisible(QString(name) == "List1");
        things->setVisible(QString(name) == "List3");
        QListWidget* shown = list(name);
        ASSERT_TRUE(QTest::qWaitFor([shown] { return shown->isVisible(); }));
        for (Qt::CheckState state : {Qt::Checked, Qt::Unchecked}) {
            QListWidgetItem* item = firstWith(shown, state);
            if (!item)
                continue;
            clickTickBox(shown, item);
            EXPECT_EQ(item->checkState(), state) << name;
            const Qt::CheckState beforeKey = item->checkState();
            shown->setCurrentItem(item);
            QTest::keyClick(shown, Qt::Key_Space);
            EXPECT_EQ(item->checkState(), beforeKey) << name;
        }
    }
    EXPECT_NE(firstWith(list("List2"), Qt::Checked), nullptr);
    EXPECT_NE(firstWith(list("List2"), Qt::Unchecked), nullptr);
}

TEST_F(Lists, ManyEntriesLoadInOneBatch) {
    const GeneratedScene scene = sampleScene(20000, 3);
    const std::vector<ExpectedEntry> expected = expectedEntries(scene);
    QElapsedTimer clock;
    clock.start();
    load(writeScene(dir, scene.bytes));
    RecordProperty("load_ms", int(clock.elapsed()));

    QListWidget* all = list("List2");
    ASSERT_EQ(all->count(), int(window.sceneIndex.entries.size()));
    ASSERT_GT(all->count(), 5001);
    EXPECT_EQ(list("List1")->count() + list("List3")->count(), all->count());
    for (int entry = 0; entry < all->count(); entry += 997) {
        EXPECT_EQ(all->item(entry)->text(), expected[std::size_t(entry)].name);
        EXPECT_EQ(all->item(entry)->checkState() == Qt::Checked,
                  expected[std::size_t(entry)].ticked);
    }
    EXPECT_EQ(all->currentRow(), all->count() - 1);
}

} // namespace
