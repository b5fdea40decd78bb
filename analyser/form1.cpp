#include "form1.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QStorageInfo>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "script_box.h"

namespace {

constexpr int PathRole = Qt::UserRole; // a Dir1 item's full path

template <class Control> Control* named(Control* control, const char* name) {
    control->setObjectName(QString::fromUtf8(name));
    return control;
}

QLineEdit* statusBox(const char* name, int width) {
    auto* box = named(new QLineEdit, name);
    box->setReadOnly(true);
    box->setFocusPolicy(Qt::NoFocus);
    if (width > 0)
        box->setFixedWidth(width);
    return box;
}

} // namespace

Form1::Form1(Dialogs& dialogs, const QString& startFolder, QWidget* parent)
    : QWidget(parent), dialogs_(dialogs) {
    setObjectName("Form1");
    setWindowTitle("Trellis");
    Drive1 = named(new QComboBox, "Drive1");
    Dir1 = named(new QListWidget, "Dir1");
    File1 = named(new QListWidget, "File1");
    Label3 = named(new QLabel, "Label3");
    Command2 = named(new QPushButton("Start"), "Command2");
    List2 = named(new QListWidget, "List2");
    Text1 = named(new ScriptBox, "Text1");
    Text2.add(0, statusBox("Text2(0)", 70));
    Text2.add(1, statusBox("Text2(1)", 70));
    Text2.add(2, statusBox("Text2(2)", 0));
    Save = named(new QPushButton("Save"), "Save");
    Command1 = named(new QPushButton("build tree"), "Command1");
    TreeView1 = named(new QTreeWidget, "TreeView1");
    ProgressBar1 = named(new QProgressBar, "ProgressBar1");
    ProgressBar2 = named(new QProgressBar, "ProgressBar2");
    TestLauf = named(new QPushButton("test"), "TestLauf");
    Label4 = named(new QLabel, "Label4");
    Timer1 = named(new QTimer(this), "Timer1");
    Timer4 = named(new QTimer(this), "Timer4");
    Timer1->setInterval(200);
    Timer4->setInterval(1000);

    ProgressBar1->setRange(0, ProgressBarSteps);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);
    ProgressBar2->setTextVisible(false);
    ProgressBar2->setRange(0, 100);
    // Thin bars, so that an idle one does not pass for an empty text box.
    for (QProgressBar* bar : {ProgressBar1, ProgressBar2})
        bar->setMaximumHeight(fontMetrics().height() / 2 + 4);
    ProgressBar2->setValue(0);
    TreeView1->header()->hide();
    TreeView1->setColumnCount(1);
    List2->setSelectionMode(QAbstractItemView::SingleSelection);

    buildLayout();
    makeFileLists();

    connect(Command2, &QPushButton::clicked, this, &Form1::Command2_Click);
    connect(Timer1, &QTimer::timeout, this, &Form1::Timer1_Timer);
    connect(Timer4, &QTimer::timeout, this, &Form1::Timer4_Timer);
    connect(List2, &QListWidget::itemSelectionChanged, this, &Form1::List2_Click);
    connect(Text1, &QPlainTextEdit::textChanged, this, &Form1::Text1_Change);
    connect(Save, &QPushButton::clicked, this, &Form1::Save_Click);
    connect(Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
    connect(TestLauf, &QPushButton::clicked, this, &Form1::TestLauf_Click);
    connect(TreeView1, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* item) { TreeView1_DblClick(item); });

    setDirPath(startFolder.isEmpty() ? QDir::currentPath() : startFolder);
}

void Form1::buildLayout() {
    auto* files = new QVBoxLayout;
    files->addWidget(Drive1);
    files->addWidget(Dir1, 3);
    files->addWidget(File1, 2);
    files->addWidget(Label3);
    files->addWidget(Command2);
    files->addWidget(ProgressBar1);
    auto* test = new QHBoxLayout;
    test->addWidget(TestLauf);
    test->addWidget(Label4, 1);
    files->addLayout(test);

    auto* lengths = new QHBoxLayout;
    lengths->addWidget(new QLabel("org:"));
    lengths->addWidget(Text2(0));
    lengths->addWidget(new QLabel("act:"));
    lengths->addWidget(Text2(1));
    lengths->addWidget(Text2(2), 1);
    lengths->addWidget(Save);
    auto* script = new QVBoxLayout;
    script->addWidget(Text1, 1);
    script->addLayout(lengths);

    auto* tree = new QVBoxLayout;
    tree->addWidget(Command1);
    tree->addWidget(ProgressBar2);
    tree->addWidget(TreeView1, 1);

    auto* columns = new QHBoxLayout(this);
    columns->addLayout(files, 3);
    columns->addWidget(List2, 3);
    columns->addLayout(script, 7);
    columns->addLayout(tree, 5);
    resize(1280, 720);
}

// ---- Drive, directory and file lists.

void Form1::makeFileLists() {
    fillDrives();
    connect(Drive1, &QComboBox::activated, this, [this] { Drive1_Change(); });
    connect(Dir1, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { setDirPath(item->data(PathRole).toString()); });
    connect(File1, &QListWidget::itemActivated, this, [this] { File1_DblClick(); });
}

void Form1::fillDrives() {
    Drive1->clear();
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (volume.isValid() && volume.isReady() && Drive1->findText(volume.rootPath()) < 0)
            Drive1->addItem(volume.rootPath());
    }
}

void Form1::Drive1_Change() {
    setDirPath(Drive1->currentText());
}

void Form1::setDirPath(const QString& path) {
    const QFileInfo info(path);
    if (!info.isDir())
        return;
    dirPath_ = QDir::cleanPath(info.absoluteFilePath());
    Dir1_Change();
}

void Form1::Dir1_Change() {
    fillDir1();
    fillFile1();
    Label3->clear();
}

// As a directory list shows a folder: the folders above it, the folder
// itself, and its subfolders one level deeper.
void Form1::fillDir1() {
    Dir1->clear();
    QStringList chain;
    for (QDir up(dirPath_);;) {
        chain.prepend(up.absolutePath());
        if (!up.cdUp())
            break;
    }
    int depth = 0;
    for (const QString& folder : chain) {
        const QString name = depth == 0 ? folder : QDir(folder).dirName();
        auto* item = new QListWidgetItem(QString(depth * 2, QLatin1Char(' ')) + name, Dir1);
        item->setData(PathRole, folder);
        ++depth;
    }
    Dir1->setCurrentRow(Dir1->count() - 1);
    const QDir here(dirPath_);
    for (const QString& sub :
         here.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase)) {
        auto* item = new QListWidgetItem(QString(depth * 2, QLatin1Char(' ')) + sub, Dir1);
        item->setData(PathRole, here.filePath(sub));
    }
    const QStorageInfo volume(dirPath_);
    const int drive = Drive1->findText(volume.rootPath());
    if (drive >= 0)
        Drive1->setCurrentIndex(drive);
}

void Form1::fillFile1() {
    File1->clear();
    QDir here(dirPath_);
    here.setNameFilters({"*.bin"});
    here.setFilter(QDir::Files);
    here.setSorting(QDir::Name | QDir::IgnoreCase);
    File1->addItems(here.entryList());
}

bool Form1::rebuildScenePath() {
    const QListWidgetItem* chosen = File1->currentItem();
    if (!chosen || !chosen->isSelected())
        return false;
    scenePath = QDir(dirPath_).filePath(chosen->text());
    return true;
}

void Form1::File1_DblClick() {
    if (busy)
        return;
    if (const QListWidgetItem* chosen = File1->currentItem())
        Label3->setText(chosen->text());
    {
        const QSignalBlocker blocker(List2);
        List2->clear();
    }
    entries_.clear();
    entryPos.clear();
    TreeView1->clear();
    forgetShownScript();
}
