#include <QCheckBox>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>

#include "colours.h"
#include "listing_view.h"
#include "load_fixture.h"

namespace {

const QString FileUsedByAnother = "****** File used by another ******";

using Load = LoadFixture;

// What the window showed each time the progress bar moved.
struct DuringLoad {
    QString status;
    QColor statusColour;
    bool loadingPanelShown;
    QString caption1;
    QString caption2;
    bool blocked;
    int entriesShown;
    QString scriptBox;
    QString listingBox;
    QColor text5Colour;
    bool listingTicked;
    int progress;
};

TEST_F(Load, FillsTheThreeListsFromTheFile) {
    const GeneratedScene scene = sampleScene();
    const QString path = writeScene(dir, scene.bytes);
    load(path);

    ASSERT_EQ(dialogs.openDialogs().size(), 1u);
    EXPECT_EQ(dialogs.openDialogs()[0].text, "scene2 (*.bin)");
    EXPECT_TRUE(dialogs.messages().empty());
    EXPECT_EQ(window.filenameanalyse, path);
    EXPECT_EQ(window.pathCopy, path);
    EXPECT_EQ(window.fileTitle, "scene2.bin");
    EXPECT_EQ(control<QLabel>(window, "Label4")->text(), path);

    const std::vector<ExpectedEntry> expected = expectedEntries(scene);
    QAbstractItemView* all = list("List2");
    QAbstractItemView* ticked = list("List1");
    QAbstractItemView* unticked = list("List3");
    ASSERT_EQ(rowCount(all), int(expected.size()));
    ASSERT_EQ(window.sceneIndex.entries.size(), expected.size());
    int tickedSeen = 0;
    int untickedSeen = 0;
    for (int entry = 0; entry < rowCount(all); ++entry) {
        const ExpectedEntry& want = expected[std::size_t(entry)];
        EXPECT_EQ(rowText(all, entry), want.name);
        EXPECT_EQ(rowCheckState(all, entry), want.ticked ? Qt::Checked : Qt::Unchecked)
            << want.name.toStdString();
        QAbstractItemView* filtered = want.ticked ? ticked : unticked;
        const std::vector<int>& map = want.ticked ? window.list1ToList2 : window.list3ToList2;
        int& seen = want.ticked ? tickedSeen : untickedSeen;
        ASSERT_LT(seen, rowCount(filtered));
        EXPECT_EQ(rowText(filtered, seen), want.name);
        EXPECT_EQ(rowCheckState(filtered, seen), rowCheckState(all, entry));
        ASSERT_LT(std::size_t(seen), map.size());
        EXPECT_EQ(map[std::size_t(seen)], entry);
        ++seen;
    }
    EXPECT_EQ(rowCount(ticked), tickedSeen);
    EXPECT_EQ(rowCount(unticked), untickedSeen);
    EXPECT_EQ(window.list1ToList2.size(), std::size_t(tickedSeen));
    EXPECT_EQ(window.list3ToList2.size(), std::size_t(untickedSeen));
    EXPECT_GT(tickedSeen, 0);
    EXPECT_GT(untickedSeen, 0);

    EXPECT_EQ(window.MerkePosGameInit, int(scene.objects.size()));
    EXPECT_EQ(window.ModelLenPos, int(scene.objectsOffset + 2));
    EXPECT_EQ(window.GesamtLängeScriptPos, int(scene.definitionsOffset + 2));
    int definitions = 0;
    for (const GeneratedObject& object : scene.objects)
        definitions += object.hasDefinition ? 1 : 0;
    EXPECT_EQ(control<QLineEdit>(window, "Text24")->text(), QString::number(definitions));
    EXPECT_EQ(window.EditedIndex, rowCount(all) - 1);
    EXPECT_EQ(window.indexedFile, scene.bytes);
}

TEST_F(Load, EndsWithTheLastEntrySelectedAndReady) {
    const GeneratedScene scene = sampleScene();
    load(writeScene(dir, scene.bytes));

    QAbstractItemView* all = list("List2");
    ASSERT_GT(rowCount(all), 0);
    EXPECT_EQ(currentRow(all), rowCount(all) - 1);
    EXPECT_EQ(selectedRows(all), std::vector<int>{rowCount(all) - 1});
    auto* status = control<QLabel>(window, "Status");
    EXPECT_EQ(status->text(), " ---- Ready ---- ");
    EXPECT_EQ(foreColour(status), QColor(0, 128, 0));
    EXPECT_FALSE(control<QFrame>(window, "Frame1")->isVisible());
    EXPECT_EQ(window.RefreshAll, 0);
    EXPECT_EQ(window.PanelFilling, 0);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(Load, ShowsWorkingWhileTheIndexIsBuilt) {
    const GeneratedScene scene = sampleScene(400);
    const QString path = writeScene(dir, scene.bytes);
    auto* status = control<QLabel>(window, "Status");
    auto* bar = control<QProgressBar>(window, "ProgressBar1");
    auto* script = control<QPlainTextEdit>(window, "Text1");
    auto* listing = control<ListingView>(window, "RichTextBox1");
    auto* text5 = control<QLineEdit>(window, "Text5");
    auto* check = control<QCheckBox>(window, "Check1");
    script->setPlainText("old script");
    listing->setListing(ListingText("old listing"));
    setForeColour(text5, StatusRed);
    check->setChecked(false);
    control<QLabel>(window, "Label3(1)")->setText("old 1");
    control<QLabel>(window, "Label3(2)")->setText("old 2");

    std::vector<DuringLoad> seen;
    QObject::connect(bar, &QProgressBar::valueChanged, &window, [&](int value) {
        seen.push_back({status->text(), foreColour(status),
                        control<QFrame>(window, "Frame1")->isVisible(),
                        control<QLabel>(window, "Label3(1)")->text(),
                        control<QLabel>(window, "Label3(2)")->text(), window.VFL_Blocked,
                        rowCount(list("List2")), script->toPlainText(), listing->toPlainText(),
                        foreColour(text5), check->isChecked(), value});
    });
    load(path);

    // The index runs off the GUI thread; the bar shows its progress at least once.
    ASSERT_GE(seen.size(), 1u);
    int last = -1;
    for (const DuringLoad& moment : seen) {
        EXPECT_EQ(moment.status, "**** Working **** ");
        EXPECT_EQ(moment.statusColour, QColor(255, 0, 0));
        EXPECT_TRUE(moment.blocked);
        EXPECT_EQ(moment.caption1, "Reading scene2.bin");
        EXPECT_TRUE(moment.caption2.isEmpty());
        EXPECT_TRUE(moment.scriptBox.isEmpty());
        EXPECT_TRUE(moment.listingBox.isEmpty());
        EXPECT_EQ(moment.text5Colour, systemColour(SystemColour::WindowText));
        EXPECT_TRUE(moment.listingTicked);
        EXPECT_GE(moment.progress, last);
        EXPECT_LE(moment.progress, 51);
        last = moment.progress;
    }
    // The panel shows from the first step of the scan on.
    EXPECT_TRUE(seen.back().loadingPanelShown);
    EXPECT_EQ(seen.back().entriesShown, 0);
    EXPECT_EQ(status->text(), " ---- Ready ---- ");
}

TEST_F(Load, UnsavedValuesAreAskedAboutAndCancelKeepsTheFile) {
    const GeneratedScene scene = sampleScene();
    const QString path = writeScene(dir, scene.bytes);
    load(path);
    const int entries = rowCount(list("List2"));
    clickRow(list("List2"), 0);
    QLineEdit* x = control<QLineEdit>(window, "Text5");
    QTest::mouseClick(x, Qt::LeftButton);
    QTest::keyClicks(x, "7");
    ASSERT_EQ(window.FlagValueSave, -1);

    // Cancel: no open dialog, the typed value stays.
    dialogs.threeWayAnswers.push_back(Dialogs::Answer::Cancel);
    chooseMenu(window, "&File", "&Load");
    QTest::qWait(20);
    EXPECT_EQ(dialogs.openDialogs().size(), 1u);
    EXPECT_EQ(window.FlagValueSave, -1);
    EXPECT_TRUE(x->text().endsWith("7"));

    // No: the value is dropped and the dialog opens; cancelling it keeps the file.
    dialogs.threeWayAnswers.push_back(Dialogs::Answer::No);
    load(QString());
    ASSERT_EQ(dialogs.questions().size(), 2u);
    EXPECT_EQ(dialogs.questions()[1].text, "Save values?");
    EXPECT_EQ(window.FlagValueSave, 0);
    EXPECT_FALSE(window.SavePending);
    EXPECT_EQ(dialogs.openDialogs().size(), 2u);
    EXPECT_TRUE(dialogs.messages().empty());
    EXPECT_EQ(window.filenameanalyse, path);
    EXPECT_EQ(control<QLabel>(window, "Label4")->text(), path);
    EXPECT_EQ(rowCount(list("List2")), entries);
    EXPECT_EQ(currentRow(list("List2")), 0);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray onDisk = file.readAll();
    EXPECT_EQ(std::vector<std::uint8_t>(onDisk.begin(), onDisk.end()), scene.bytes);
}

TEST_F(Load, DoesNothingWhileBlocked) {
    window.VFL_Blocked = true;
    window.FlagValueSave = -1;
    chooseMenu(window, "&File", "&Load");
    QTest::qWait(20);
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_EQ(window.FlagValueSave, -1);
    window.VFL_Blocked = false;
}

TEST_F(Load, EmptyFileGivesEmptyListsAndFirstInitScriptAtOne) {
    load(writeScene(dir, {}));

    EXPECT_TRUE(dialogs.messages().empty());
    for (const char* name : {"List1", "List2", "List3"})
        EXPECT_EQ(rowCount(list(name)), 0) << name;
    EXPECT_EQ(window.MerkePosGameInit, 1);
    EXPECT_EQ(control<QLineEdit>(window, "Text24")->text(), "0");
    // Nothing of a scene was found in it, and the status says so.
    EXPECT_EQ(control<QLabel>(window, "Status")->text(),
              " ---- Not a scene: no objects or scripts found ---- ");
    EXPECT_FALSE(control<QFrame>(window, "Frame1")->isVisible());
    EXPECT_EQ(window.EditedIndex, -1);
}

TEST_F(Load, FirstInitScriptIsTakenFromEachFile) {
    const GeneratedScene withInits = sampleScene();
    ASSERT_FALSE(withInits.initScripts.empty());
    load(writeScene(dir, withInits.bytes));
    ASSERT_EQ(window.MerkePosGameInit, int(withInits.objects.size()));

    // The same objects without the init-script section.
    const std::vector<std::uint8_t> cut(withInits.bytes.begin(),
                                        withInits.bytes.begin() +
                                            std::ptrdiff_t(withInits.initScriptsOffset));
    load(writeScene(dir, cut, "other.bin"));
    EXPECT_EQ(rowCount(list("List2")), int(withInits.objects.size()));
    EXPECT_EQ(window.MerkePosGameInit, rowCount(list("List2")) + 1);
}

TEST_F(Load, StartPathLoadsWithoutTheDialog) {
    const GeneratedScene scene = sampleScene();
    const QString path = writeScene(dir, scene.bytes);
    FakeDialogs startDialogs;
    MDIForm1 started(startDialogs, path);
    started.show();
    auto* all = listView(started, "List2");
    EXPECT_TRUE(QTest::qWaitFor(
        [all, &scene] { return rowCount(all) == int(expectedEntries(scene).size()); }));
    EXPECT_EQ(started.filenameanalyse, path);
    EXPECT_EQ(currentRow(all), rowCount(all) - 1);
    EXPECT_TRUE(startDialogs.shown.empty());
}

TEST_F(Load, ExitDuringTheIndexDoesNothing) {
    const GeneratedScene scene = sampleScene(400);
    const QString path = writeScene(dir, scene.bytes);
    int exits = 0;
    QObject::connect(control<QProgressBar>(window, "ProgressBar1"), &QProgressBar::valueChanged,
                     &window, [&] {
                         ++exits;
                         window.ExitMenu->trigger();
                     });
    load(path);
    EXPECT_GT(exits, 0);
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(rowCount(list("List2")), int(expectedEntries(scene).size()));
}

} // namespace
