#include "mdiform1.h"
#include "script_panel.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTimer>
#include <exception>

#include "colours.h"
#include "dialogs.h"
#include "entry_list.h"
#include "insertform.h"
#include "listing_view.h"

namespace {
// 12000 x 8550 twips at 96 dots per inch.
const QSize FixedSize(800, 570);
const QString FileUsedByAnother = "****** File used by another ******";
const QString NotASceneText = " ---- Not a scene: no objects or scripts found ---- ";
} // namespace

MDIForm1::MDIForm1(Dialogs& dialogs, const QString& startPath, QWidget* parent)
    : QMainWindow(parent), dialogs_(dialogs) {
    setObjectName("MDIForm1");
    setWindowTitle("Quillscope 4.01");
    buildMenus();
    buildControls();
    setFixedSize(FixedSize);
    connect(LoadMenu, &QAction::triggered, this, &MDIForm1::LoadMenu_Click);
    connect(ExitMenu, &QAction::triggered, this, &MDIForm1::ExitMenu_Click);
    connect(UndoMenu, &QAction::triggered, this, &MDIForm1::UndoMenu_Click);
    connect(RedoMenu, &QAction::triggered, this, &MDIForm1::RedoMenu_Click);
    connect(ReloadMenu, &QAction::triggered, this, &MDIForm1::ReloadMenu_Click);
    connect(SaveMenu, &QAction::triggered, this, &MDIForm1::SaveMenu_Click);
    connect(FindListMenu, &QAction::triggered, this, &MDIForm1::FindListMenu_Click);
    connect(ADDinMenu, &QAction::triggered, this, &MDIForm1::ADDinMenu_Click);
    connect(InfoMenu, &QAction::triggered, this, &MDIForm1::InfoMenu_Click);
    connect(List2, &EntryListView::currentRowChanged, this, &MDIForm1::List2_Click);
    connectScriptHandlers();
    connectNavigation();
    connectMap();
    MDIForm_Load();
    connectInsertAndDelete();
    setUpDesktop();
    if (!startPath.isEmpty()) {
        const QString path = QFileInfo(startPath).absoluteFilePath();
        QTimer::singleShot(0, this, [this, path] {
            if (VFL_Blocked)
                return;
            FlagValueSave = 0;
            SavePending = false;
            openScene(path);
        });
    }
}

MDIForm1::~MDIForm1() {
    showNormalPointer();
}

void MDIForm1::MDIForm_Load() {
    const std::initializer_list<QWidget*> hiddenAtStart = {Frame6, Frame7, Frame2, Label1,
                                                           Frame3, Frame8, Frame9, Frame1};
    for (QWidget* hidden : hiddenAtStart)
        hidden->hide();
    insertWindow = new insertform(*this, *this, dialogs_);
    insertWindow->Frame4->hide();
    SavePending = false;
    Check1->setChecked(true);
    RefreshAll = 0;
}

void MDIForm1::LoadMenu_Click() {
    if (VFL_Blocked)
        return;
    // Unsaved edits of the file on display are saved or dropped as the user
    // says; Cancel keeps them and the file.
    if (!settlePendingEdits(List2->currentRow()))
        return;
    const QString path = dialogs_.openFile(QString(), "scene2 (*.bin)", sceneFolder());
    if (path.isEmpty())
        return;
    openScene(path);
}

// The path of the file on display stays until a new file has passed the test
// and has been read: the lists, the index and every writer keep describing
// one file.
void MDIForm1::openScene(const QString& path) {
    const QString shownPath = filenameanalyse;
    const QString shownTitle = fileTitle;
    const QString shownLabel = Label4->text();
    const auto keepShownFile = [&] {
        filenameanalyse = shownPath;
        fileTitle = shownTitle;
        Label4->setText(shownLabel);
    };
    try {
        // Refuses a file that another program holds or that we may not write.
        const FileResult probe = probeReadWrite(QFile::encodeName(path).toStdString());
        if (!probe) {
            VFL_Blocked = false;
            dialogs_.message(FileUsedByAnother, QString::fromLocal8Bit(probe.error));
            return;
        }
        filenameanalyse = path;
        fileTitle = QFileInfo(path).fileName();
        Label4->setText(path);
        Status->clear();
        VFL_Blocked = true;
        pathCopy = path;
        RefreshAll = -1;
        RichTextBox1->clear();
        scriptPanel->clear();
        setForeColour(Text5, systemColour(SystemColour::WindowText));
        Check1->setChecked(true);
        checkLoadedFile_ = true;
        const FileResult indexed = FindModels();
        if (!indexed) {
            VFL_Blocked = false;
            keepShownFile();
            dialogs_.message(FileUsedByAnother, QString::fromLocal8Bit(indexed.error));
            return;
        }
        // Marks of the file shown before mean nothing in this one.
        dropValueEdits();
        if (sceneIndex.entries.empty() && !sceneIndex.modelLenPos &&
            !sceneIndex.gesamtLaengeScriptPos) {
            setForeColour(Status, StatusRed);
            Status->setText(NotASceneText);
        }
    } catch (const std::exception& failure) {
        VFL_Blocked = false;
        RefreshAll = 0;
        keepShownFile();
        showNormalPointer();
        Frame1->hide();
        dialogs_.message(FileUsedByAnother, QString::fromLocal8Bit(failure.what()));
    }
}

void MDIForm1::ExitMenu_Click() {
    if (VFL_Blocked)
        return;
    close();
}

void MDIForm1::closeEvent(QCloseEvent* event) {
    // A running write finishes its all-or-nothing replace first; the window
    // closes when the work has ended.
    if (workRunning()) {
        closeAfterWork_ = true;
        event->ignore();
        return;
    }
    // Closing the main window ends the program: unsaved edits are saved or
    // dropped as the user says first, and Cancel keeps the window open.
    if (!SavePending && !settlePendingEdits(List2->currentRow())) {
        event->ignore();
        return;
    }
    for (QWidget* child : findChildren<QWidget*>()) {
        if (child->isWindow() && child->isVisible())
            child->close();
    }
    event->accept();
}

void MDIForm1::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    MDIForm_Resize();
}

void MDIForm1::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        MDIForm_Resize();
}

void MDIForm1::MDIForm_Resize() {
    if (!isMinimized()) {
        // The window has one size: maximising gives it back.
        const Qt::WindowStates enlarged = Qt::WindowMaximized | Qt::WindowFullScreen;
        if (windowState() & enlarged)
            setWindowState(windowState() & ~enlarged);
        if (size() != FixedSize)
            resize(FixedSize);
    }
    // The insert window goes down and comes back with the main window.
    if (insertWindow) {
        const Qt::WindowStates follows = isMinimized() ? Qt::WindowMinimized : Qt::WindowNoState;
        if (insertWindow->windowState() != follows)
            insertWindow->setWindowState(follows);
    }
}

void MDIForm1::showHourglass() {
    if (hourglass_)
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    hourglass_ = true;
}

void MDIForm1::showNormalPointer() {
    if (!hourglass_)
        return;
    QApplication::restoreOverrideCursor();
    hourglass_ = false;
}
