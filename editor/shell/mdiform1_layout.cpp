#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "colours.h"
#include "entry_list.h"
#include "layout_support.h"
#include "mdiform1.h"

namespace {

EntryListView* entryList(const QString& name) {
    return named(new EntryListView, name);
}

// A list with its search box and button below it.
QGroupBox* listFrame(const QString& title, EntryListView* list, QLineEdit* searchBox,
                     QPushButton* searchButton) {
    auto* frame = new QGroupBox(title);
    frame->setAutoFillBackground(true);
    auto* layout = new QVBoxLayout(frame);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(list);
    auto* row = new QHBoxLayout;
    row->addWidget(searchBox);
    row->addWidget(searchButton);
    layout->addLayout(row);
    return frame;
}

QPushButton* button(const QString& text, const QString& name) {
    return named(new QPushButton(text), name);
}

} // namespace

void MDIForm1::buildMenus() {
    FileMenu = named(menuBar()->addMenu("&File"), "FileMenu");
    LoadMenu = menuItem(FileMenu, "&Load", "LoadMenu");
    LoadMenu->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    ReloadMenu = menuItem(FileMenu, "&Reload", "ReloadMenu");
    ReloadMenu->setShortcut(QKeySequence(Qt::Key_F5));
    SaveMenu = menuItem(FileMenu, "&Save", "SaveMenu");
    SaveMenu->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    FileMenu->addSeparator();
    ExitMenu = menuItem(FileMenu, "&Exit", "ExitMenu");
    ExitMenu->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));

    EditMenu = named(menuBar()->addMenu("&Edit"), "EditMenu");
    UndoMenu = menuItem(EditMenu, "&Undo", "UndoMenu");
    UndoMenu->setShortcut(QKeySequence::Undo);
    RedoMenu = menuItem(EditMenu, "&Redo", "RedoMenu");
    RedoMenu->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    UndoMenu->setEnabled(false);
    RedoMenu->setEnabled(false);
    EditMenu->addSeparator();
    FindListMenu = menuItem(EditMenu, "&Find in list", "FindListMenu");
    FindListMenu->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));

    buildViewMenu();

    InsertMenu = named(menuBar()->addMenu("&Insert"), "InsertMenu");
    HumanMenu = menuItem(InsertMenu, "&Human", "HumanMenu");
    CarMenu = menuItem(InsertMenu, "&Car", "CarMenu");
    TruckMenu = menuItem(InsertMenu, "&Truck", "TruckMenu");
    PolicecarMenu = menuItem(InsertMenu, "P&olicecar", "PolicecarMenu");
    BuildingMenu = menuItem(InsertMenu, "&Building", "BuildingMenu");
    DoorMenu = menuItem(InsertMenu, "&Door", "DoorMenu");
    ThingsMenu = menuItem(InsertMenu, "&Things", "ThingsMenu");
    LightMenu = menuItem(InsertMenu, "&Light", "LightMenu");
    OtherMenu = menuItem(InsertMenu, "&Other", "OtherMenu");
    InvisibleWallMenu = menuItem(InsertMenu, "&InvisibleWall", "InvisibleWallMenu");

    // These two menus are commands themselves.
    ADDinMenu = named(menuBar()->addAction("&ADDin"), "ADDinMenu");
    InfoMenu = named(menuBar()->addAction("I&nfo"), "InfoMenu");
    InfoMenu->setShortcut(QKeySequence(Qt::Key_F1));
}

void MDIForm1::buildControls() {
    QFont small = font();
    small.setPointSize(8);
    setFont(small);

    auto* central = new QWidget;
    auto* grid = new QGridLayout(central);
    grid->setContentsMargins(6, 4, 6, 4);
    grid->setSpacing(6);
    grid->addWidget(buildListPanel(), 0, 0, 2, 1);
    grid->addWidget(buildValuePanel(), 0, 1);
    grid->addWidget(buildScriptPanel(), 1, 1);
    grid->addWidget(buildStatusLine(), 2, 0, 1, 2);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(1, 1);
    setCentralWidget(central);
    buildLoadingPanel(central);
}

QWidget* MDIForm1::buildListPanel() {
    auto* panel = new QWidget;
    panel->setFixedWidth(220);
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);

    Option1 = named(new QRadioButton("All"), "Option1");
    Option2 = named(new QRadioButton("Scripts"), "Option2");
    Option3 = named(new QRadioButton("Things"), "Option3");
    Option1->setChecked(true);
    auto* options = new QHBoxLayout;
    for (QRadioButton* option : {Option1, Option2, Option3})
        options->addWidget(option);
    layout->addLayout(options);

    List2 = entryList("List2");
    List1 = entryList("List1");
    List3 = entryList("List3");
    Text2.add(1, textBox("Text2(1)"));
    Text18 = textBox("Text18");
    Text19 = textBox("Text19");
    for (int item = 1; item <= 3; ++item)
        search.add(item, button("Search", QString("search(%1)").arg(item)));

    // Frame6 and Frame7 lie over the full list; the option buttons choose
    // which one is in front.
    auto* lists = new QGridLayout;
    lists->addWidget(listFrame("All", List2, Text2(1), search(1)), 0, 0);
    Frame6 = named(listFrame("Scripts", List1, Text18, search(2)), "Frame6");
    Frame7 = named(listFrame("Things", List3, Text19, search(3)), "Frame7");
    lists->addWidget(Frame6, 0, 0);
    lists->addWidget(Frame7, 0, 0);
    layout->addLayout(lists, 1);
    return panel;
}

QWidget* MDIForm1::buildStatusLine() {
    auto* line = new QWidget;
    auto* layout = new QHBoxLayout(line);
    layout->setContentsMargins(0, 0, 0, 0);
    Status = named(new QLabel, "Status");
    Status->setFixedWidth(150);
    Status->setFrameShape(QFrame::Panel);
    Status->setFrameShadow(QFrame::Sunken);
    layout->addWidget(Status);
    Label4 = named(new QLabel, "Label4");
    Label4->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    layout->addWidget(Label4, 1);
    layout->addWidget(caption("Definitions:"));
    Text24 = holderBox("Text24", 50);
    layout->addWidget(Text24);
    return line;
}

void MDIForm1::buildLoadingPanel(QWidget* over) {
    Frame1 = named(new QFrame(over), "Frame1");
    Frame1->setFrameShape(QFrame::Box);
    Frame1->setAutoFillBackground(true);
    // One row in the status line, over the path while work runs: the caption
    // says what runs, and no control the user may reach is covered.
    auto* layout = new QHBoxLayout(Frame1);
    layout->setContentsMargins(4, 0, 4, 0);
    Label3.add(1, named(new QLabel, "Label3(1)"));
    Label3.add(2, named(new QLabel, "Label3(2)"));
    ProgressBar1 = named(new QProgressBar, "ProgressBar1");
    // The index reports steps 0 to 51; the other file operations stay below that.
    ProgressBar1->setRange(0, 51);
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setFixedWidth(200);
    Frame1->installEventFilter(this);
    layout->addWidget(Label3(1), 1);
    layout->addWidget(Label3(2));
    layout->addWidget(ProgressBar1);
}

bool MDIForm1::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Frame1 && event->type() == QEvent::Show)
        placeLoadingPanel();
    return QMainWindow::eventFilter(watched, event);
}

void MDIForm1::placeLoadingPanel() {
    QWidget* over = Frame1->parentWidget();
    Frame1->setGeometry(QRect(Label4->mapTo(over, QPoint(0, 0)), Label4->size()));
}
