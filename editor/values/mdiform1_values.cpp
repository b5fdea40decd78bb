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
#include "entry_list.h"
#include "mdiform1.h"
#include "value_combos.h"
#include "value_panel.h"
#include "value_save.h"

namespace {

const QString NotSavedTitle = "Values not saved";

} // namespace

void MDIForm1::dropValueEdits() {
    FlagValueSave = 0;
    pendingRotation.reset();
    valuePanel->resetMarks();
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
    const ValueSaveInput input =
        valuePanel->input(sceneIndex.entries[static_cast<std::size_t>(entry)], pendingRotation);
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
        const auto* refused = std::get_if<ValueSaveRefusal>(&plan);
        return commitPlanned(path, bytes, index, std::get_if<ValueSavePlan>(&plan),
                             refused ? refused->prompt : std::string());
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
