#include <QCoreApplication>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QTimer>
#include <QTreeWidget>

#include "cp1252.h"
#include "dialogs.h"
#include "form1.h"
#include "script_tree.h"
#include "test_missions.h"

// "build tree" and the test step.

namespace {

constexpr int KeyRole = Qt::UserRole; // a node's key

QString fromScene(const std::string& bytes) {
    return QString::fromStdString(cp1252ToUtf8(bytes));
}

QTreeWidgetItem* nodeItem(const TreeNode& node) {
    auto* item = new QTreeWidgetItem(QStringList{fromScene(node.text)});
    if (!node.key.empty())
        item->setData(0, KeyRole, fromScene(node.key));
    return item;
}

} // namespace

void Form1::Command1_Click() {
    if (List2->count() == 0 || busy)
        return;
    busy = true;
    if (!rebuildScenePath()) {
        dialogs_.message("****** Select File ******", "Trellis");
        busy = false;
        return;
    }
    const BusyPointer pointer;
    TreeView1->clear();
    ProgressBar2->setValue(1);
    // The tree is built from the bytes the list was scanned from, so the
    // entries' positions are the ones the scan found.
    const TreeBuild tree = buildScriptTree(SceneBytes(scannedBytes_.data(), scannedBytes_.size()),
                                           entries_, [this](int value) {
                                               ProgressBar2->setValue(value);
                                               QCoreApplication::processEvents();
                                           });
    for (const std::string& text : tree.messages)
        dialogs_.message(fromScene(text), "Trellis");
    fillTree(tree);
    ProgressBar2->setValue(0);
    busy = false;
    emit treeBuilt();
}

void Form1::fillTree(const TreeBuild& tree) {
    TreeView1->setUpdatesEnabled(false);
    QList<QTreeWidgetItem*> tops;
    for (const TreeNode& top : tree.nodes) {
        QTreeWidgetItem* item = nodeItem(top);
        for (const TreeNode& child : top.children) {
            QTreeWidgetItem* childItem = nodeItem(child);
            for (const TreeNode& sub : child.children)
                childItem->addChild(nodeItem(sub));
            item->addChild(childItem);
        }
        tops.append(item);
    }
    TreeView1->addTopLevelItems(tops);
    TreeView1->setUpdatesEnabled(true);
}

void Form1::TreeView1_DblClick(QTreeWidgetItem* item) {
    if (busy || item == nullptr)
        return;
    // The markers are ASCII: they are found in the shown text as in the bytes.
    const QString name = QString::fromStdString(nodeEntryName(item->text(0).toStdString()));
    for (int row = 0; row < List2->count(); ++row) {
        if (List2->item(row)->text() == name) {
            List2->setCurrentRow(row);
            List2->scrollToItem(List2->item(row));
            return;
        }
    }
}

void Form1::TestLauf_Click() {
    if (busy)
        return;
    testStep = 0;
    testStepRun();
}

// One step: the mission's name in Label4, a scan of the file chosen in File1
// (the step's own path would be rebuilt from File1 by the scan anyway), and
// the tree a second later.
void Form1::testStepRun() {
    if (testStep >= static_cast<int>(TestMissions.size())) {
        Timer4->stop();
        return;
    }
    Label4->setText(TestMissions[static_cast<std::size_t>(testStep)]);
    scenePath = QString(TestMissionBase) + TestMissions[static_cast<std::size_t>(testStep)] +
                "\\scene2.bin";
    Timer1_Timer();
    Timer4->start();
}

void Form1::Timer4_Timer() {
    Timer4->stop();
    if (testStep >= static_cast<int>(TestMissions.size()))
        return;
    Command1_Click();
}
