#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTimer>
#include <exception>
#include <vector>

#include "colours.h"
#include "dialogs.h"
#include "display_panel.h"
#include "entry_list.h"
#include "mdiform1.h"
#include "panel_number.h"
#include "shown_kind.h"
#include "value_combos.h"
#include "value_save.h"

namespace {

const QString NotSavedTitle = "Values not saved";

// The panel's fields for `entry`, as "Save" reads them. The panel decides by
// the kind it shows, so the window's display-only kinds save none of the
// kind values; a light without a light block has no brightness or colour to
// save.
ValueSaveInput panelInput(MDIForm1& w, int entry) {
    const IndexRecord& record = w.sceneIndex.entries[static_cast<std::size_t>(entry)];
    ValueSaveInput in;
    in.translation = {panelField(w.Text5->text()), panelField(w.Text6->text()),
                      panelField(w.Text7->text())};
    in.size = {panelField(w.Text8->text()), panelField(w.Text9->text()),
               panelField(w.Text10->text())};
    in.verticalAngle = panelField(w.Text11->text());
    in.dialRotation = w.pendingRotation ? w.pendingRotation : record.rotation;
    in.panelKind = shownKind(record);
    switch (*in.panelKind) {
    case LightKind:
        if (record.brightnessPos)
            in.brightness = panelField(w.Text20->text());
        if (record.colourPos)
            in.colour = {panelField(w.Text14->text()), panelField(w.Text15->text()),
                         panelField(w.Text16->text())};
        break;
    case ThingKind:
        in.weight = panelField(w.Text13->text());
        // A thing is saved with a sound: without a chosen one, the first.
        in.soundCode = w.Combo1->code();
        if (!in.soundCode && w.Combo1->count() > 0)
            in.soundCode = w.Combo1->itemData(0).toInt();
        break;
    case HumanKind:
        in.aggression = panelField(w.Text22->text());
        in.weight = panelField(w.Text21->text());
        in.sex = panelField(w.Text23->text());
        // Without a chosen behaviour the stored one stays, and so does a
        // stored byte the list has no item for, until the user chooses one.
        if (!w.Combo3->showsUnlistedCode())
            in.behaviourCode = w.Combo3->code();
        break;
    default:
        break;
    }
    return in;
}

} // namespace

void MDIForm1::dropValueEdits() {
    FlagValueSave = 0;
    pendingRotation.reset();
    resetValueMarks(*this);
}

void MDIForm1::SaveValue_Click() {
    // The panel holds the values of the entry on display; with another row
    // selected (or none) there is nothing of that row to save.
    if (List2->currentRow() == shownRow())
        saveValuesOf(shownRow());
}

bool MDIForm1::saveValuesOf(int entry) {
    if (VFL_Blocked || List2->count() == 0 || entry >= MerkePosGameInit || entry < 0 ||
        entry >= static_cast<int>(sceneIndex.entries.size()))
        return false;
    const ValueSaveInput input = panelInput(*this, entry);
    const auto planned = planValueSave(sceneIndex, std::size_t(entry), input);
    if (const auto* refused = std::get_if<ValueSaveRefusal>(&planned)) {
        dialogs_.message(QString::fromStdString(refused->prompt),
                         QString::fromStdString(refused->title));
        return false;
    }
    if (std::get<ValueSavePlan>(planned).nothingToWrite) {
        dropValueEdits();
        return true;
    }
    const QString name = List2->itemText(entry);
    WindowEdit e;
    e.workCaption = "Saving " + name;
    e.historyCaption = "Save values - " + name.toStdString();
    e.commit = [entry, &input](const std::string& path, ByteView bytes, const SceneIndex& index) {
        auto plan = planValueSave(index, std::size_t(entry), input);
        auto* values = std::get_if<ValueSavePlan>(&plan);
        if (!values) {
            EditOutcome refusal;
            refusal.error = std::get<ValueSaveRefusal>(plan).prompt;
            return std::pair<Edit, EditOutcome>({}, std::move(refusal));
        }
        EditOutcome done = commitEdit(path, bytes, index, values->edit, values->expect);
        return std::pair<Edit, EditOutcome>(std::move(values->edit), std::move(done));
    };
    e.doneStatus = Status->text();
    e.changedTitle = NotSavedTitle;
    e.changedText = "The file was changed by another program since it was loaded. Nothing was "
                    "saved. The file was read again.";
    const QColor statusColour = foreColour(Status);
    const EditResult result = runEdit(e);
    if (result != EditResult::Saved) {
        if (result == EditResult::ChangedOnDisk)
            dropValueEdits();
        return false;
    }
    setForeColour(Status, statusColour);
    // A thing saved without a chosen sound was saved with the first.
    if (input.soundCode && Combo1->currentIndex() < 0) {
        PanelFilling = -1;
        Combo1->setCurrentIndex(0);
        PanelFilling = 0;
    }
    dropValueEdits();
    if (!savedNotice_) {
        savedNotice_ = new QTimer(this);
        savedNotice_->setSingleShot(true);
        connect(savedNotice_, &QTimer::timeout, Label1, &QLabel::hide);
    }
    Label1->show();
    savedNotice_->start(savedNoticeMilliseconds);
    return true;
}
