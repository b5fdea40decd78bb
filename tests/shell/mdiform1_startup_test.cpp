#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>

#include "fake_dialogs.h"
#include "insertform.h"
#include "mdiform1.h"
#include "window_driver.h"

namespace {

QStringList texts(const QList<QAction*>& actions) {
    QStringList found;
    for (QAction* action : actions)
        found << (action->isSeparator() ? QString("-") : action->text());
    return found;
}

class StartUp : public ::testing::Test {
protected:
    void SetUp() override {
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }
    FakeDialogs dialogs;
    MDIForm1 window{dialogs};
};

TEST_F(StartUp, CaptionSizeAndMenus) {
    EXPECT_EQ(window.windowTitle(), "Quillscope 4.01");
    EXPECT_EQ(window.size(), QSize(800, 570));
    const QList<QAction*> top = window.menuBar()->actions();
    EXPECT_EQ(texts(top), QStringList({"&File", "&Edit", "&View", "&Insert", "&ADDin", "I&nfo"}));
    ASSERT_EQ(top.size(), 6);
    ASSERT_NE(top[0]->menu(), nullptr);
    EXPECT_EQ(texts(top[0]->menu()->actions()),
              QStringList({"&Load", "&Reload", "&Save", "-", "&Exit"}));
    ASSERT_NE(top[1]->menu(), nullptr);
    const QList<QAction*> edit = top[1]->menu()->actions();
    EXPECT_EQ(texts(edit), QStringList({"&Undo", "&Redo", "-", "&Find in list"}));
    ASSERT_EQ(edit.size(), 4);
    EXPECT_EQ(edit[0]->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Z));
    EXPECT_EQ(edit[1]->shortcuts(),
              QList<QKeySequence>({QKeySequence(Qt::CTRL | Qt::Key_Y),
                                   QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)}));
    EXPECT_FALSE(edit[0]->isEnabled()) << "nothing to undo before a file is changed";
    ASSERT_NE(top[2]->menu(), nullptr);
    const QList<QAction*> view = top[2]->menu()->actions();
    EXPECT_EQ(texts(view), QStringList({"&Map", "Script &links on the map"}));
    ASSERT_EQ(view.size(), 2);
    EXPECT_EQ(view[0]->objectName(), "ShowMap");
    EXPECT_EQ(view[1]->objectName(), "ShowLinks");
    EXPECT_EQ(view[0]->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_M));
    for (QAction* toggle : view) {
        EXPECT_TRUE(toggle->isCheckable());
        EXPECT_FALSE(toggle->isChecked()) << "the listing alone, as before, until asked";
    }
    ASSERT_NE(top[3]->menu(), nullptr);
    EXPECT_EQ(texts(top[3]->menu()->actions()),
              QStringList({"&Human", "&Car", "&Truck", "P&olicecar", "&Building", "&Door",
                           "&Things", "&Light", "&Other", "&InvisibleWall"}));
    EXPECT_EQ(top[4]->menu(), nullptr);
    EXPECT_EQ(top[5]->menu(), nullptr);
}

TEST_F(StartUp, PanelsHiddenListingTickedAndStateEmpty) {
    for (const char* name : {"Frame6", "Frame7", "Frame2", "Label1", "Frame3", "Frame8", "Frame9",
                             "Frame1", "MapView"}) {
        auto* hidden = control<QWidget>(window, name);
        ASSERT_NE(hidden, nullptr);
        EXPECT_FALSE(hidden->isVisible()) << name;
    }
    for (const char* name : {"List2", "Option1", "Text1", "RichTextBox1", "Status", "Label4"}) {
        auto* shown = control<QWidget>(window, name);
        ASSERT_NE(shown, nullptr);
        EXPECT_TRUE(shown->isVisible()) << name;
    }
    auto* insert = control<insertform>(window, "insertform");
    ASSERT_NE(insert, nullptr);
    EXPECT_TRUE(control<QWidget>(*insert, "Frame4")->isHidden());
    EXPECT_FALSE(insert->isVisible());

    EXPECT_TRUE(control<QCheckBox>(window, "Check1")->isChecked());
    EXPECT_TRUE(control<QRadioButton>(window, "Option1")->isChecked());
    EXPECT_EQ(window.RefreshAll, 0);
    EXPECT_FALSE(window.SavePending);
    EXPECT_FALSE(window.VFL_Blocked);
    EXPECT_EQ(window.FlagValueSave, 0);
    EXPECT_TRUE(window.filenameanalyse.isEmpty());
    EXPECT_EQ(rowCount(listView(window, "List2")), 0);
}

TEST_F(StartUp, EveryNamedControlIsThere) {
    const QStringList lineEdits = {"Text2(1)", "Text2(3)",  "Text2(5)",  "Text2(7)", "Text2(8)",
                                   "Text2(9)", "Text2(10)", "Text2(12)", "Text3",    "Text4",
                                   "Text5",    "Text6",     "Text7",     "Text8",    "Text9",
                                   "Text10",   "Text11",    "Text12",    "Text13",   "Text14",
                                   "Text15",   "Text16",    "Text17",    "Text18",   "Text19",
                                   "Text20",   "Text21",    "Text22",    "Text23",   "Text24"};
    for (const QString& name : lineEdits)
        EXPECT_NE(window.findChild<QLineEdit*>(name), nullptr) << name.toStdString();
    for (const char* name : {"List1", "List2", "List3"})
        EXPECT_NE(window.findChild<QAbstractItemView*>(name), nullptr) << name;
    for (const char* name : {"Frame2", "Frame3", "Frame6", "Frame7", "Frame8", "Frame9"})
        EXPECT_NE(window.findChild<QGroupBox*>(name), nullptr) << name;
    for (const char* name : {"Slider1", "Slider2", "Slider3", "Slider4", "Slider5"})
        EXPECT_NE(window.findChild<QSlider*>(name), nullptr) << name;
    EXPECT_NE(window.findChild<QPlainTextEdit*>("Text1"), nullptr);
    EXPECT_NE(window.findChild<QAbstractScrollArea*>("RichTextBox1"), nullptr);
    for (const char* name : {"Status", "Label4", "Label3(1)", "Label3(2)", "Picture4"})
        EXPECT_NE(window.findChild<QLabel*>(name), nullptr) << name;
    EXPECT_NE(window.findChild<QProgressBar*>("ProgressBar1"), nullptr);
    for (const char* name : {"Shape1", "Shape2", "Frame1"})
        EXPECT_NE(window.findChild<QWidget*>(name), nullptr) << name;

    const std::vector<std::pair<QString, QString>> captions = {
        {"Option1", "All"},    {"Option2", "Scripts"}, {"Option3", "Things"},
        {"search2", "Search"}, {"SaveScript", "Save"}, {"SaveValue", "Save"},
        {"Command1", "Delete"}};
    for (const auto& [name, text] : captions) {
        auto* button = window.findChild<QAbstractButton*>(name);
        ASSERT_NE(button, nullptr) << name.toStdString();
        EXPECT_EQ(button->text(), text) << name.toStdString();
    }
    for (int item = 1; item <= 3; ++item)
        EXPECT_NE(window.findChild<QPushButton*>(QString("search(%1)").arg(item)), nullptr);

    const std::vector<std::pair<QString, QString>> labels = {
        {"Label1", "SAVED"}, {"Label3(0)", "Vert"},   {"Label30", "Horz"},
        {"Label9", "Red"},   {"Label11(0)", "Green"}, {"Label14", "Blue"}};
    for (const auto& [name, text] : labels) {
        auto* label = window.findChild<QLabel*>(name);
        ASSERT_NE(label, nullptr) << name.toStdString();
        EXPECT_EQ(label->text(), text) << name.toStdString();
    }
    EXPECT_EQ(control<QLineEdit>(window, "Text2(8)")->text(), "org:");
    EXPECT_EQ(control<QLineEdit>(window, "Text2(9)")->text(), "act:");
    EXPECT_EQ(control<QLineEdit>(window, "Text2(10)")->text(), "Length");
}

TEST_F(StartUp, SlidersHaveTheirRanges) {
    const std::vector<std::tuple<QString, Qt::Orientation, int, int, int>> sliders = {
        {"Slider1", Qt::Vertical, 0, 180, 10},
        {"Slider2", Qt::Horizontal, -90, 90, 10},
        {"Slider3", Qt::Horizontal, 0, 255, 20},
        {"Slider4", Qt::Horizontal, 0, 255, 20},
        {"Slider5", Qt::Horizontal, 0, 255, 20}};
    for (const auto& [name, orientation, minimum, maximum, ticks] : sliders) {
        auto* slider = control<QSlider>(window, name);
        ASSERT_NE(slider, nullptr);
        EXPECT_EQ(slider->orientation(), orientation) << name.toStdString();
        EXPECT_EQ(slider->minimum(), minimum) << name.toStdString();
        EXPECT_EQ(slider->maximum(), maximum) << name.toStdString();
        EXPECT_EQ(slider->singleStep(), 1) << name.toStdString();
        EXPECT_EQ(slider->pageStep(), 5) << name.toStdString();
        EXPECT_EQ(slider->tickInterval(), ticks) << name.toStdString();
    }
}

TEST_F(StartUp, SoundAndBehaviourListsCarryTheirCodes) {
    auto* sound = control<QComboBox>(window, "Combo1");
    ASSERT_NE(sound, nullptr);
    const QStringList sounds = {"Lath 1", "Lath 2", "Barrel 1", "Barrel 2", "Label",
                                "Box",    "Wood",   "Plate",    "No sound"};
    ASSERT_EQ(sound->count(), sounds.size());
    for (int item = 0; item < sound->count(); ++item) {
        EXPECT_EQ(sound->itemText(item), sounds[item]);
        EXPECT_EQ(sound->itemData(item).toInt(), item);
    }
    auto* behaviour = control<QComboBox>(window, "Combo3");
    ASSERT_NE(behaviour, nullptr);
    const std::vector<std::pair<QString, int>> behaviours = {{"Duck", 0},
                                                             {"No reaction", 2},
                                                             {"No reaction on weapon", 4},
                                                             {"React when hit", 8},
                                                             {"Reaction on Player", 16},
                                                             {"React on Attack", 32},
                                                             {"React on Attack 2", 64},
                                                             {"Afraid", 128}};
    ASSERT_EQ(behaviour->count(), int(behaviours.size()));
    for (int item = 0; item < behaviour->count(); ++item) {
        EXPECT_EQ(behaviour->itemText(item), behaviours[std::size_t(item)].first);
        EXPECT_EQ(behaviour->itemData(item).toInt(), behaviours[std::size_t(item)].second);
    }
}

TEST_F(StartUp, MaximisingRestoresTheFixedSize) {
    window.showMaximized();
    QTest::qWait(50);
    EXPECT_EQ(window.size(), QSize(800, 570));
    EXPECT_FALSE(window.isMaximized());
}

TEST_F(StartUp, InsertWindowFollowsMinimising) {
    auto* insert = control<insertform>(window, "insertform");
    ASSERT_NE(insert, nullptr);
    insert->show();
    window.showMinimized();
    EXPECT_TRUE(QTest::qWaitFor([insert] { return insert->isMinimized(); }));
    window.showNormal();
    EXPECT_TRUE(QTest::qWaitFor([insert] { return !insert->isMinimized(); }));
    EXPECT_EQ(window.size(), QSize(800, 570));
}

TEST_F(StartUp, ExitDoesNothingWhileBlocked) {
    window.VFL_Blocked = true;
    chooseMenu(window, "&File", "&Exit");
    QTest::qWait(20);
    EXPECT_TRUE(window.isVisible());
}

TEST_F(StartUp, ExitClosesEveryWindow) {
    auto* insert = control<insertform>(window, "insertform");
    ASSERT_NE(insert, nullptr);
    insert->show();
    chooseMenu(window, "&File", "&Exit");
    EXPECT_TRUE(QTest::qWaitFor([this] { return !window.isVisible(); }));
    EXPECT_FALSE(insert->isVisible());
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(StartUp, CloseRequestClosesEvenWhileBlocked) {
    auto* insert = control<insertform>(window, "insertform");
    ASSERT_NE(insert, nullptr);
    insert->show();
    window.VFL_Blocked = true;
    window.FlagValueSave = -1;
    EXPECT_TRUE(window.close());
    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(insert->isVisible());
    EXPECT_TRUE(dialogs.shown.empty());
}

} // namespace
