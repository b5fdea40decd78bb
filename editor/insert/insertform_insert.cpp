#include <QButtonGroup>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <exception>

#include "colour_sliders.h"
#include "dialogs.h"
#include "entry_list.h"
#include "insert_fields.h"
#include "insert_plan.h"
#include "insertform.h"
#include "panel_number.h"
#include "scene_editor.h"
#include "value_combos.h"

namespace {

const QString CloseFile = "****** Close File ******";
const QString Title = "Insert";

std::string utf8(const QLineEdit* box) {
    return box->text().toStdString();
}

// A rotation field still empty or holding its design-time text becomes "0".
void settleRotationField(QLineEdit* box) {
    if (isUnsetRotation(utf8(box), box->objectName().toStdString()))
        box->setText("0");
}

} // namespace

void insertform::insert_Click() {
    Slider1_Click();
    Slider2_Click();
    if (!scene_.readyForEdit())
        return;
    for (QLineEdit* box : {Text9, Text10, Text11, Text12})
        settleRotationField(box);

    InsertFields f;
    f.modelchoice = modelchoice.toStdString();
    f.name = utf8(Text1);
    f.model = utf8(Text8);
    f.translation = {utf8(Text2), utf8(Text3), utf8(Text4)};
    f.size = {utf8(Text5), utf8(Text6), utf8(Text7)};
    f.q0 = utf8(Text9);
    f.q2 = utf8(Text10);
    f.vertical = utf8(Text11);
    f.q3 = utf8(Text12);
    f.brightness = utf8(Text13);
    f.colour = {utf8(Text14), utf8(Text15), utf8(Text16)};
    f.lightKind2 = Option4->isChecked();
    f.thingWeight = utf8(Text18);
    f.thingSound = Combo1->currentIndex();
    f.humanWeight = utf8(Text21);
    f.aggression = utf8(Text22);
    f.sex = utf8(Text23);
    f.behaviour = Combo3->code();
    f.doorOption = Option3->isChecked()   ? 3
                   : Option2->isChecked() ? 2
                   : Option1->isChecked() ? 1
                                          : 0;
    const InsertCheck checked =
        checkInsertFields(f, scene_.openScene().index(), localeDecimalPoint());
    if (!checked.values) {
        dialogs_.message(QString::fromStdString(checked.refusal.text),
                         QString::fromStdString(checked.refusal.title));
        return;
    }

    // Unsaved edits in the main window are settled before the lists change.
    if (!scene_.settleBeforeChange())
        return;
    const InsertValues values = *checked.values;
    const QString name = Text1->text();
    WindowEdit e;
    e.workCaption = "Inserting " + name;
    e.historyCaption = "Insert - " + name.toStdString();
    std::size_t newEntry = 0;
    e.commit = [&values, &newEntry](const std::string& path, ByteView bytes,
                                    const SceneIndex& index) {
        InsertPlanResult planned = planInsert(bytes, index, values);
        if (planned.plan)
            newEntry = planned.plan->newEntry;
        return commitPlanned(path, bytes, index, planned.plan ? &*planned.plan : nullptr,
                             planned.error);
    };
    // The new object stands where the first init script stood
    // (MerkePosGameInit), or after the last object of a file without init
    // scripts.
    e.showAfter = [&newEntry](const Edit&) { return static_cast<int>(newEntry); };
    e.doneStatus = " **** Saved ****";
    e.changedTitle = Title;
    e.changedText = "The file was changed by another program since it was loaded. Nothing was "
                    "written. The file was read again.";
    scene_.runSceneEdit(e);
}
