#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "colour_sliders.h"
#include "colours.h"
#include "entry_list.h"
#include "insertform.h"
#include "mdiform1.h"
#include "number_text.h"
#include "panel_number.h"
#include "value_combos.h"

namespace {

// What a menu entry does to the model field Text8. States it does not name
// stay as the previous entry left them.
enum class ModelField {
    Unlock,               // unlocked only
    UnlockWindow,         // unlocked, window colour
    UnlockEnableWindow,   // unlocked, enabled, window colour
    LockDisableGreyEmpty, // locked, disabled, grey, emptied
};

struct MenuEntry {
    const char* word;
    const char* heading; // nullptr: the heading stays as it was
    ModelField model;
    const char* defaultModel; // nullptr: no model; with `alwaysDefault` the only model
    bool alwaysDefault;
    std::initializer_list<int> show; // frame numbers of the insert window
    std::initializer_list<int> hide;
};

QGroupBox* frame(insertform& w, int number) {
    switch (number) {
    case 1:
        return w.Frame1;
    case 2:
        return w.Frame2;
    case 3:
        return w.Frame3;
    case 4:
        return w.Frame4;
    case 8:
        return w.Frame8;
    default:
        return w.Frame9;
    }
}

void prepareModelField(insertform& w, const MenuEntry& e, const QString& mainModel) {
    QLineEdit* t = w.Text8;
    switch (e.model) {
    case ModelField::LockDisableGreyEmpty:
        t->setReadOnly(true);
        t->setEnabled(false);
        setBackColour(t, systemColour(SystemColour::ApplicationWorkspace));
        t->clear();
        return;
    case ModelField::UnlockEnableWindow:
        t->setEnabled(true);
        [[fallthrough]];
    case ModelField::UnlockWindow:
        setBackColour(t, systemColour(SystemColour::WindowBackground));
        [[fallthrough]];
    case ModelField::Unlock:
        t->setReadOnly(false);
        break;
    }
    t->setText(e.alwaysDefault || mainModel.isEmpty() ? QString(e.defaultModel) : mainModel);
}

} // namespace

void MDIForm1::connectInsertAndDelete() {
    connect(Command1, &QPushButton::clicked, this, &MDIForm1::Command1_Click);
    const std::pair<QAction*, void (MDIForm1::*)()> menus[] = {
        {HumanMenu, &MDIForm1::HumanMenu_Click},
        {CarMenu, &MDIForm1::CarMenu_Click},
        {TruckMenu, &MDIForm1::TruckMenu_Click},
        {PolicecarMenu, &MDIForm1::PolicecarMenu_Click},
        {BuildingMenu, &MDIForm1::BuildingMenu_Click},
        {DoorMenu, &MDIForm1::DoorMenu_Click},
        {ThingsMenu, &MDIForm1::ThingsMenu_Click},
        {LightMenu, &MDIForm1::LightMenu_Click},
        {OtherMenu, &MDIForm1::OtherMenu_Click},
        {InvisibleWallMenu, &MDIForm1::InvisibleWallMenu_Click},
    };
    for (const auto& [action, handler] : menus)
        connect(action, &QAction::triggered, this, handler);
}

void MDIForm1::PresetInsertForm() {
    insertform& w = *insertWindow;
    const int row = List2->currentRow();
    w.Text1->setText(row >= 0 && row < List2->count() ? List2->itemText(row) : QString());
    w.Text2->setText(Text5->text());
    w.Text3->setText(Text6->text());
    w.Text4->setText(Text7->text());
    w.Text5->setText(Text8->text());
    w.Text6->setText(Text9->text());
    w.Text7->setText(Text10->text());
    w.Text9->setText(Text3->text());
    w.Text10->setText(Text4->text());
    w.Text11->setText(Text11->text());
    w.Text12->setText(Text12->text());
    w.DisplaySlider1(Text3->text());
    w.DisplaySlider2(Text12->text());
}

namespace {

// One menu entry: nothing without a scene; otherwise heading, category, model
// field, panels, the selected object's values, and the window shown.
void runMenuEntry(MDIForm1& m, const MenuEntry& e) {
    if (m.List2->count() == 0)
        return;
    insertform& w = *m.insertWindow;
    if (e.heading)
        w.Label5->setText(e.heading);
    w.modelchoice = e.word;
    prepareModelField(w, e, m.Text2(12)->text());
    for (int f : e.show)
        frame(w, f)->show();
    for (int f : e.hide)
        frame(w, f)->hide();
    m.PresetInsertForm();
}

std::optional<IndexRecord> selectedRecord(MDIForm1& m) {
    const int row = m.List2->currentRow();
    if (row < 0 || row >= static_cast<int>(m.sceneIndex.entries.size()))
        return std::nullopt;
    return m.sceneIndex.entries[static_cast<std::size_t>(row)];
}

void showWindow(MDIForm1& m) {
    m.insertWindow->show();
    m.insertWindow->raise();
    m.insertWindow->activateWindow();
}

QString single(float v) {
    return shownText(formatSingle(v));
}

} // namespace

void MDIForm1::HumanMenu_Click() {
    runMenuEntry(*this, {"human",
                         "----------------- Human ----------------------",
                         ModelField::Unlock,
                         "Enemy12K.i3d",
                         false,
                         {9},
                         {1, 2, 3, 4, 8}});
    if (List2->count() == 0)
        return;
    insertform& w = *insertWindow;
    w.Text23->setText("17");
    w.Text22->setText(single(0.5f));
    w.Text21->setText("80");
    w.Combo3->setCurrentIndex(4);
    showWindow(*this);
}

void MDIForm1::CarMenu_Click() {
    runMenuEntry(*this, {"car",
                         "---------------------- car -----------------------",
                         ModelField::UnlockWindow,
                         "blackha00.i3d",
                         false,
                         {3},
                         {4, 8, 9}});
    if (List2->count() != 0)
        showWindow(*this);
}

void MDIForm1::TruckMenu_Click() {
    runMenuEntry(*this, {"truck",
                         "-------------------- truck -----------------------",
                         ModelField::UnlockWindow,
                         "Truck02.i3d",
                         false,
                         {3},
                         {4, 8, 9}});
    if (List2->count() != 0)
        showWindow(*this);
}

void MDIForm1::PolicecarMenu_Click() {
    runMenuEntry(*this, {"policecar",
                         "------------------ policecar ---------------------",
                         ModelField::UnlockWindow,
                         "polimTud00.i3d",
                         false,
                         {3},
                         {4, 8, 9}});
    if (List2->count() != 0)
        showWindow(*this);
}

void MDIForm1::BuildingMenu_Click() {
    runMenuEntry(*this, {"building",
                         "------------------ building ----------------------",
                         ModelField::UnlockWindow,
                         "4build10.i3d",
                         false,
                         {3},
                         {4, 8, 9}});
    if (List2->count() != 0)
        showWindow(*this);
}

void MDIForm1::DoorMenu_Click() {
    runMenuEntry(*this, {"door",
                         "--------------------- door -----------------------",
                         ModelField::UnlockEnableWindow,
                         "FMVVincOutDoor.i3d",
                         false,
                         {1},
                         {3, 4, 8, 9}});
    if (List2->count() == 0)
        return;
    // The door sound the index recorded: 0 or 1 wood, 2 brass, 3 glass;
    // anything else leaves the options as they were.
    const std::optional<IndexRecord> r = selectedRecord(*this);
    const int material = r && r->material ? *r->material : 0;
    QRadioButton* options[] = {insertWindow->Option1, insertWindow->Option1, insertWindow->Option2,
                               insertWindow->Option3};
    if (material >= 0 && material <= 3)
        options[material]->setChecked(true);
    showWindow(*this);
}

void MDIForm1::ThingsMenu_Click() {
    runMenuEntry(*this, {"things",
                         "------------------- things -----------------------",
                         ModelField::UnlockEnableWindow,
                         "xbarel 2.i3d",
                         false,
                         {8},
                         {4, 9}});
    if (List2->count() == 0)
        return;
    insertWindow->Combo1->setCurrentIndex(3);
    insertWindow->Text18->setText("80");
    showWindow(*this);
}

void MDIForm1::LightMenu_Click() {
    runMenuEntry(*this, {"light",
                         "------------------- light ------------------------",
                         ModelField::LockDisableGreyEmpty,
                         nullptr,
                         false,
                         {2},
                         {4, 8, 9}});
    if (List2->count() == 0)
        return;
    insertform& w = *insertWindow;
    const std::optional<IndexRecord> r = selectedRecord(*this);
    const float brightness = r && r->brightness ? r->brightness->value() : 0.0f;
    std::array<float, 3> colour{};
    if (r && r->colour)
        for (int i = 0; i < 3; ++i)
            colour[i] = (*r->colour)[i].value();
    w.Text13->setText(single(brightness));
    w.colours->showComponents(
        {single(colour[0] * 255), single(colour[1] * 255), single(colour[2] * 255)});
    (r && r->lightKind == std::optional<std::uint32_t>(2) ? w.Option4 : w.Option5)
        ->setChecked(true);
    showWindow(*this);
}

void MDIForm1::OtherMenu_Click() {
    runMenuEntry(
        *this,
        {"other", nullptr, ModelField::LockDisableGreyEmpty, nullptr, false, {3}, {4, 8, 9}});
    if (List2->count() != 0)
        showWindow(*this);
}

void MDIForm1::InvisibleWallMenu_Click() {
    runMenuEntry(*this, {"uwall",
                         "---------- Invisible Wall ------------------",
                         ModelField::UnlockEnableWindow,
                         "???.i3d",
                         true,
                         {1, 3},
                         {4, 8, 9}});
    if (List2->count() != 0)
        showWindow(*this);
}
