#pragma once
#include <QString>
#include <QWidget>
#include <cstdint>
#include <optional>
#include <vector>

#include "control_array.h"
#include "scene_scan.h"

class Dialogs;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QProgressBar;
class QPushButton;
class QTimer;
class QTreeWidget;
class QTreeWidgetItem;
class ScriptBox;
struct TreeBuild;

// Shows the busy pointer while it lives.
class BusyPointer {
public:
    BusyPointer();
    ~BusyPointer();
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;
};

// Trellis's one window: choose a scene2.bin, scan it for scripted objects,
// show and edit a script in place (same length only), and build the script
// reference tree. Long work lets the window's events run between steps;
// `busy` keeps the handlers that must not run meanwhile out, and nothing that
// arrives then is replayed afterwards.
class Form1 : public QWidget {
    Q_OBJECT
public:
    explicit Form1(Dialogs& dialogs, const QString& startFolder = {}, QWidget* parent = nullptr);

    // ---- Controls, by their names.
    QComboBox* Drive1;
    QListWidget* Dir1;
    QListWidget* File1;
    QLabel* Label3;
    QPushButton* Command2; // "Start"
    QListWidget* List2;
    ScriptBox* Text1;
    ControlArray<QLineEdit> Text2; // 0 "org:", 1 "act:", 2 status
    QPushButton* Save;
    QPushButton* Command1; // "build tree"
    QTreeWidget* TreeView1;
    QProgressBar* ProgressBar1;
    QProgressBar* ProgressBar2;
    QPushButton* TestLauf;
    QLabel* Label4;
    QTimer* Timer1; // deferred scan after "Start"
    QTimer* Timer4; // deferred tree build after a test step

    // ---- Window state.
    QString scenePath;
    bool busy = false;
    std::vector<std::int64_t> entryPos; // one per List2 entry
    int found = 0;
    std::int64_t scriptStart = 0; // 1-based
    std::int64_t scriptEnd = 0;   // 1-based, one past the last byte
    std::int64_t scriptLength = 0;
    std::int64_t savedEntryPos = 0;
    bool dirty = false;
    int ticks = 0;
    int testStep = 0;

    // The folders the directory and file lists show (as the lists' Path).
    QString dirPath() const { return dirPath_; }
    void setDirPath(const QString& path);

    // ---- Handlers.
    void Drive1_Change();
    void Dir1_Change();
    void File1_DblClick();
    void Command2_Click();
    void Timer1_Timer();
    void List2_Click();
    void Text1_Change();
    void Save_Click();
    void Command1_Click();
    void TestLauf_Click();
    // A double click on a tree node that names an entry selects that entry
    // and shows its script.
    void TreeView1_DblClick(QTreeWidgetItem* item);
    void Timer4_Timer();

signals:
    void scanned(); // a scan ended
    void treeBuilt();

private:
    void buildLayout();
    void makeFileLists();
    void fillDrives();
    void fillDir1();
    void fillFile1();
    bool rebuildScenePath();
    void scan();
    void showProgress();
    void showEntry();
    int selectedRow() const; // -1 when no entry is selected
    void forgetShownScript();
    void setStatus(const QString& text, const QColor& colour);
    void fillTree(const TreeBuild& tree);
    void testStepRun();

    Dialogs& dialogs_;
    QString dirPath_;
    // What the last scan read: the entries of List2 and the file's bytes.
    // Scripts are shown from these bytes, and a save goes ahead only while
    // the file on disk still holds them.
    QString scannedPath_;
    std::vector<std::uint8_t> scannedBytes_;
    std::vector<ScanEntry> entries_;
    std::optional<ScriptSpan> shown_;
};
