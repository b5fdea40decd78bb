#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>

#include "analyser_scene.h"
#include "form1_fixture.h"

namespace {

QStringList topTexts(QTreeWidget* tree) {
    QStringList texts;
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        texts << tree->topLevelItem(i)->text(0);
    return texts;
}

AnalyserScene chain() {
    return AnalyserScene()
        .object("boss", "findactor 1, \"Sam\"\r\nact_setstate 1, active\r\n")
        .object("Sam", "findactor 1, \"Joe\"\r\nact_setstate 1, inactive\r\n")
        .object("Joe", "findactor 1, \"Bob\"\r\nact_setstate 1, active\r\n")
        .init("GameInit", "mission_objectives 1\r\n");
}

TEST_F(Form1Test, BuildTreeShowsTheReferenceTreeWithKeys) {
    open(chain().build().bytes);
    chooseAndScan();
    buildTree();
    auto* tree = find<QTreeWidget>("TreeView1");
    EXPECT_EQ(topTexts(tree),
              (QStringList{"boss", "Sam", "---- 1----> Joe", "Start/End: |-->  GameInit"}));
    QTreeWidgetItem* boss = tree->topLevelItem(0);
    EXPECT_EQ(boss->data(0, Qt::UserRole).toString(), "boss 0");
    ASSERT_EQ(boss->childCount(), 1);
    EXPECT_EQ(boss->child(0)->text(0), "Sam   -active-");
    EXPECT_EQ(boss->child(0)->data(0, Qt::UserRole).toString(), "Sam   -active- 0 0");
    ASSERT_EQ(boss->child(0)->childCount(), 1);
    EXPECT_EQ(boss->child(0)->child(0)->text(0), "Joe   -inact-  -- 1-->");
    EXPECT_EQ(find<QProgressBar>("ProgressBar2")->value(), 0);
    EXPECT_FALSE(window->busy);
    EXPECT_TRUE(dialogs.messages().empty());
}

TEST_F(Form1Test, DoubleClickOnANodeShowsTheEntryItNames) {
    open(chain().build().bytes);
    chooseAndScan();
    buildTree();
    auto* tree = find<QTreeWidget>("TreeView1");
    auto* list = find<QListWidget>("List2");
    const std::vector<std::pair<QTreeWidgetItem*, QString>> nodes = {
        {tree->topLevelItem(2), "Joe"},                     // "---- 1----> Joe"
        {tree->topLevelItem(0)->child(0), "Sam"},           // "Sam   -active-"
        {tree->topLevelItem(0)->child(0)->child(0), "Joe"}, // with its back link
        {tree->topLevelItem(3), "GameInit"},
        {tree->topLevelItem(0), "boss"},
    };
    for (const auto& [node, name] : nodes) {
        ASSERT_NE(node, nullptr);
        emit tree->itemDoubleClicked(node, 0);
        ASSERT_NE(list->currentItem(), nullptr);
        EXPECT_EQ(list->currentItem()->text(), name) << node->text(0).toStdString();
    }
    // The script of the entry is shown, as a click on it shows it.
    EXPECT_TRUE(find<QPlainTextEdit>("Text1")->toPlainText().contains("findactor"));
}

TEST_F(Form1Test, TreeOverflowShowsItsMessageAndNoTree) {
    AnalyserScene many;
    for (int i = 0; i < 202; ++i)
        many.object("s" + std::to_string(i), "wait 1\r\n");
    open(many.build().bytes);
    chooseAndScan();
    buildTree();
    EXPECT_EQ(find<QTreeWidget>("TreeView1")->topLevelItemCount(), 0);
    ASSERT_EQ(dialogs.messages().size(), 1u);
    EXPECT_EQ(dialogs.messages()[0].text,
              "****** Index overflow (P) ****** Tree not complete! ******");
}

TEST_F(Form1Test, TreeWithoutAChosenFileAsksForOne) {
    open(chain().build().bytes);
    chooseAndScan();
    find<QListWidget>("File1")->clearSelection();
    buildTree();
    ASSERT_EQ(dialogs.messages().size(), 1u);
    EXPECT_EQ(dialogs.messages()[0].text, "****** Select File ******");
    EXPECT_FALSE(window->busy);
}

TEST_F(Form1Test, TestStepScansTheChosenFileAndBuildsTheTree) {
    open(chain().build().bytes);
    auto* files = find<QListWidget>("File1");
    files->setCurrentRow(0);
    QSignalSpy built(window.get(), &Form1::treeBuilt);
    QTest::mouseClick(find<QPushButton>("TestLauf"), Qt::LeftButton);
    EXPECT_EQ(find<QLabel>("Label4")->text(), "00Menu");
    EXPECT_EQ(list2()->count(), 4);
    ASSERT_TRUE(built.wait(5000));
    EXPECT_EQ(find<QTreeWidget>("TreeView1")->topLevelItemCount(), 4);
    EXPECT_EQ(window->testStep, 0);
}

} // namespace
