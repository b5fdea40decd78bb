#include "analyser_scene.h"
#include "form1_fixture.h"

namespace {

const std::string TommyScript = "findactor 1, \"Sam\"\r\nact_setstate 1, active\r\nend\r\n";

AnalyserScene::Built sampleScene() {
    return AnalyserScene()
        .object("Tommy", TommyScript)
        .object("lamp", "", untickedScript("wait 1\r\n"))
        .init("GameInit", "mission_objectives 1\r\n")
        .build();
}

TEST_F(Form1Test, StartWithoutAChosenFileAsksForOne) {
    open(sampleScene().bytes);
    start();
    ASSERT_EQ(dialogs.messages().size(), 1u);
    EXPECT_EQ(dialogs.messages()[0].text, "****** Select File ******");
    EXPECT_FALSE(window->busy);
    EXPECT_EQ(list2()->count(), 0);
}

TEST_F(Form1Test, ScanListsEntriesWithTicksAndShowsNothingUntilAClick) {
    open(sampleScene().bytes);
    chooseAndScan();
    EXPECT_EQ(find<QLabel>("Label3")->text(), "scene2.bin");
    ASSERT_EQ(list2()->count(), 3);
    EXPECT_EQ(list2()->item(0)->text(), "Tommy");
    EXPECT_EQ(list2()->item(0)->checkState(), Qt::Checked);
    EXPECT_EQ(list2()->item(1)->checkState(), Qt::Unchecked);
    EXPECT_EQ(list2()->item(2)->text(), "GameInit");
    EXPECT_EQ(text2(2)->text(), "     ***** Ready ***** ");
    EXPECT_EQ(textColour(text2(2)), QColor(0, 128, 0));
    EXPECT_TRUE(text1()->toPlainText().isEmpty());
    EXPECT_EQ(window->entryPos.size(), 3u);
    EXPECT_FALSE(window->busy);

    clickItem(list2(), 0);
    EXPECT_EQ(text1()->toPlainText(), "findactor 1, \"Sam\"\nact_setstate 1, active\nend\n");
    EXPECT_EQ(text2(0)->text(), QString::number(TommyScript.size()));
    EXPECT_EQ(text2(1)->text(), QString::number(TommyScript.size()));
    EXPECT_EQ(window->scriptLength, static_cast<std::int64_t>(TommyScript.size()));

    // The script location would find lamp's text; an unticked entry shows none.
    clickItem(list2(), 1);
    EXPECT_TRUE(text1()->toPlainText().isEmpty());
    EXPECT_EQ(text2(2)->text(), "  -- Nothing found -- ");
    EXPECT_TRUE(text2(0)->text().isEmpty());
    EXPECT_TRUE(dialogs.messages().empty());
}

TEST_F(Form1Test, TickBoxesDoNotChangeOnAClick) {
    open(sampleScene().bytes);
    chooseAndScan();
    clickTickBox(list2(), 0);
    clickTickBox(list2(), 1);
    EXPECT_EQ(list2()->item(0)->checkState(), Qt::Checked);
    EXPECT_EQ(list2()->item(1)->checkState(), Qt::Unchecked);
}

TEST_F(Form1Test, AnEmptyFileFindsNothing) {
    open({});
    chooseAndScan();
    EXPECT_EQ(list2()->count(), 0);
    EXPECT_EQ(text2(2)->text(), "  -- Nothing found -- ");
    EXPECT_FALSE(window->busy);
}

TEST_F(Form1Test, HandlersDoNothingWhileBusy) {
    open(sampleScene().bytes);
    chooseAndScan();
    window->busy = true;
    clickItem(list2(), 0);
    EXPECT_TRUE(text1()->toPlainText().isEmpty());
    QTest::mouseClick(find<QPushButton>("Command2"), Qt::LeftButton);
    QTest::qWait(20);
    EXPECT_EQ(list2()->count(), 3);
    buildTree();
    EXPECT_EQ(find<QTreeWidget>("TreeView1")->topLevelItemCount(), 0);
    window->busy = false;
}

TEST_F(Form1Test, DoubleClickOnAFileEmptiesTheListsAndTheScript) {
    open(sampleScene().bytes);
    chooseAndScan();
    clickItem(list2(), 0);
    buildTree();
    ASSERT_GT(find<QTreeWidget>("TreeView1")->topLevelItemCount(), 0);
    auto* files = find<QListWidget>("File1");
    doubleClickItem(files, 0);
    EXPECT_EQ(list2()->count(), 0);
    EXPECT_EQ(find<QTreeWidget>("TreeView1")->topLevelItemCount(), 0);
    EXPECT_TRUE(text1()->toPlainText().isEmpty());
    EXPECT_EQ(find<QLabel>("Label3")->text(), "scene2.bin");
}

TEST_F(Form1Test, FileListShowsOnlySceneFilesAndFoldersFollow) {
    open(sampleScene().bytes);
    writeScene(dir, {1}, "other.txt");
    writeScene(dir, {1}, "UPPER.BIN");
    QDir(dir.path()).mkdir("sub");
    window->setDirPath(dir.path());
    auto* files = find<QListWidget>("File1");
    QStringList names;
    for (int i = 0; i < files->count(); ++i)
        names << files->item(i)->text();
    EXPECT_EQ(names, (QStringList{"scene2.bin", "UPPER.BIN"}));

    auto* dirs = find<QListWidget>("Dir1");
    const auto sub = dirs->findItems("sub", Qt::MatchEndsWith);
    ASSERT_EQ(sub.size(), 1);
    doubleClickItem(dirs, dirs->row(sub.front()));
    EXPECT_EQ(window->dirPath(), QDir(dir.path()).filePath("sub"));
    EXPECT_EQ(files->count(), 0);
}

} // namespace
