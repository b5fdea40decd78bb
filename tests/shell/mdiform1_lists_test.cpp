#include <QElapsedTimer>
#include <QSignalSpy>
#include <memory>

#include "load_fixture.h"

namespace {

using Lists = LoadFixture;

TEST_F(Lists, ManyEntriesLoadInOneBatch) {
    const GeneratedScene scene = sampleScene(20000, 3);
    const std::vector<ExpectedEntry> expected = expectedEntries(scene);
    // One batch: each list's model is reset once with all its rows, never
    // filled row by row (which costs a signal and a layout per entry).
    std::vector<std::unique_ptr<QSignalSpy>> resets, inserts;
    for (const char* name : {"List2", "List1", "List3"}) {
        QAbstractItemModel* model = list(name)->model();
        resets.push_back(std::make_unique<QSignalSpy>(model, &QAbstractItemModel::modelReset));
        inserts.push_back(std::make_unique<QSignalSpy>(model, &QAbstractItemModel::rowsInserted));
    }
    QElapsedTimer clock;
    clock.start();
    load(writeScene(dir, scene.bytes));
    RecordProperty("load_ms", int(clock.elapsed()));
    for (std::size_t k = 0; k < resets.size(); ++k) {
        EXPECT_EQ(inserts[k]->count(), 0) << k;
        EXPECT_GE(resets[k]->count(), 1) << k;
        EXPECT_LE(resets[k]->count(), 2) << k << ": emptied, then filled at once";
    }

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
