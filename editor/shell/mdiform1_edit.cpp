#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <exception>
#include <new>

#include "colours.h"
#include "dialogs.h"
#include "entry_list.h"
#include "listing_view.h"
#include "mdiform1.h"
#include "mdiform1_change.h"
#include "script_listing.h"
#include "script_panel.h"
#include "value_panel.h"

namespace {
const QString CloseFile = "****** Close File ******";
const QString ReadyText = " ---- Ready ---- ";

// Unsaved value edits kept across a re-index for the entry on display: what
// the panel shows and the dial turns.
struct KeptValueEdits {
    ValuePanel::State panel;
    std::optional<std::array<StoredFloat, 4>> rotation;
    int editedIndex;
};

void restoreValueEdits(MDIForm1& w, const KeptValueEdits& kept) {
    const std::int16_t filling = w.PanelFilling;
    w.PanelFilling = -1;
    w.valuePanel->restore(kept.panel);
    w.PanelFilling = filling;
    w.pendingRotation = kept.rotation;
    w.FlagValueSave = -1;
    w.EditedIndex = w.shownRow() >= 0 ? w.shownRow() : kept.editedIndex;
}
} // namespace

int MDIForm1::shownRow() const {
    if (!shownEntry)
        return -1;
    const auto row = scene.entryOf(*shownEntry);
    return row ? static_cast<int>(*row) : -1;
}

bool MDIForm1::readyForEdit() const {
    return !VFL_Blocked && List2->count() > 0;
}

bool MDIForm1::settleBeforeChange() {
    return settlePendingEdits(List2->currentRow());
}

void MDIForm1::runSceneEdit(const WindowEdit& edit) {
    Status->clear();
    runEdit(edit);
}

bool MDIForm1::scriptPending() const {
    return shownEntry && scriptPanel->holdsTyping();
}

void MDIForm1::displayRowFromCode(int row) {
    showingFromCode_ = true;
    if (List2->currentRow() == row)
        List2_Click();
    else
        List2->setCurrentRow(row);
    showingFromCode_ = false;
}

MDIForm1::EditResult MDIForm1::runEdit(const WindowEdit& e, HistoryStepKind step) {
    const std::string path = scene.path();
    const bool withListing = Check1->isChecked();
    Edit edit;
    EditOutcome outcome;
    ListingText listing;
    bool listingBuilt = false;
    try {
        runBlocked(e.workCaption, [&](std::atomic<int>&) {
            auto committed = e.commit(path, scene.bytes(), scene.index());
            edit = std::move(committed.first);
            outcome = std::move(committed.second);
            if (outcome.ok && withListing && !edit.keepsLength()) {
                try {
                    listing = ListingText(buildScriptListing(
                        ByteView(outcome.newBytes.data(), outcome.newBytes.size()),
                        outcome.newIndex));
                    listingBuilt = true;
                } catch (const std::bad_alloc&) {
                    // A listing too large for memory leaves the box empty.
                }
            }
        });
    } catch (const std::exception& failure) {
        outcome = EditOutcome{};
        outcome.error = failure.what();
    }
    showNormalPointer();

    if (outcome.ok) {
        if (step == HistoryStepKind::Record)
            history.record(e.historyCaption, scene.bytes(), edit,
                           ByteView(outcome.newBytes.data(), outcome.newBytes.size()));
        else if (step == HistoryStepKind::Undo)
            history.undone();
        else
            history.redone();
    }
    const bool sameLayout = edit.keepsLength() && outcome.ok &&
                            outcome.newIndex.entries.size() == scene.index().entries.size();
    // A save leaves the panel showing what was saved; an undo or redo brings
    // back what the panel does not show, so the entry is shown again.
    const bool keepPanel = sameLayout && step == HistoryStepKind::Record;
    const std::optional<EntryKey> followed =
        shownEntry ? followEntry(*shownEntry, edit) : std::nullopt;

    const std::string reason = outcome.error;
    switch (scene.take(std::move(outcome))) {
    case OpenScene::Taken::Refused:
        VFL_Blocked = false;
        refreshHistoryActions();
        dialogs_.message(CloseFile, systemText(reason));
        return EditResult::Refused;
    case OpenScene::Taken::ChangedOnDisk: {
        // Nothing was written; what is on disk now is shown, and the steps of
        // the history no longer lead to it.
        VFL_Blocked = false;
        const int row = List2->currentRow();
        const FileResult indexed = reindexAfterChange(*this, row, ReadyText);
        if (!indexed) {
            dialogs_.message(CloseFile, systemText(indexed.error));
            return EditResult::Refused;
        }
        if (!e.changedText.isEmpty())
            dialogs_.message(e.changedText, e.changedTitle);
        return EditResult::ChangedOnDisk;
    }
    case OpenScene::Taken::Unconfirmed: {
        // The change may or may not be in the file: what it holds is shown.
        VFL_Blocked = false;
        const FileResult indexed = reindexAfterChange(*this, List2->currentRow(), ReadyText);
        dialogs_.message(systemText(reason), "Not confirmed on disk");
        if (!indexed)
            dialogs_.message(CloseFile, systemText(indexed.error));
        return EditResult::Refused;
    }
    case OpenScene::Taken::Saved:
        break;
    }

    shownEntry = followed;
    if (keepPanel) {
        // Positions and entries stay: the lists show the new index with the
        // same rows, and the panel keeps what it shows.
        const int row = List2->currentRow();
        const int row1 = List1->currentRow();
        const int row3 = List3->currentRow();
        showIndexInLists();
        List2->setCurrentRowQuietly(row);
        List1->setCurrentRowQuietly(row1);
        List3->setCurrentRowQuietly(row3);
    } else {
        // The value edits of an entry that is still there stay on screen
        // with it; those of a removed entry are gone with it.
        std::optional<KeptValueEdits> kept;
        const bool scriptKept = scriptPending();
        QString keptScript;
        if (FlagValueSave && shownEntry)
            kept = KeptValueEdits{valuePanel->capture(), pendingRotation, EditedIndex};
        if (scriptKept && shownEntry)
            keptScript = Text1->toPlainText();
        const QString lostName = FlagValueSave && !shownEntry ? Text17->text() : QString();
        if (FlagValueSave && !shownEntry)
            dropValueEdits();
        const int current = List2->currentRow();
        showIndexInLists();
        const int target = e.showAfter ? e.showAfter(edit) : current;
        if (listingBuilt)
            showScriptListing(std::move(listing));
        else if (withListing && !edit.keepsLength())
            RichTextBox1->clear();
        const std::optional<EntryKey> keptFor = shownEntry;
        scriptPanel->clear();
        setForeColour(Text5, systemColour(SystemColour::WindowText));
        if (target >= 0 && target < List2->count())
            displayRowFromCode(target);
        if (kept && shownEntry && keptFor && *shownEntry == *keptFor)
            restoreValueEdits(*this, *kept);
        else if (kept)
            dropValueEdits();
        if (scriptKept && shownEntry && keptFor && *shownEntry == *keptFor) {
            Text1->setPlainText(keptScript);
        }
        if (!lostName.isEmpty())
            dialogs_.message("The values typed for \"" + lostName +
                                 "\" were not saved: the entry is no longer in the file.",
                             "Values not saved");
    }
    VFL_Blocked = false;
    setForeColour(Status, StatusGreen);
    Status->setText(e.doneStatus);
    refreshHistoryActions();
    if (!keepPanel)
        emit indexed();
    return EditResult::Saved;
}

void MDIForm1::refreshHistoryActions() {
    const auto caption = [](const QString& verb, const std::string& what) {
        return what.empty() ? verb : verb + " " + QString::fromStdString(what);
    };
    UndoMenu->setEnabled(history.canUndo());
    RedoMenu->setEnabled(history.canRedo());
    UndoMenu->setText(caption("&Undo", history.undoCaption()));
    RedoMenu->setText(caption("&Redo", history.redoCaption()));
}

bool MDIForm1::settlePendingEdits(int showAfter) {
    if (SavePending)
        return false;
    const int row = shownRow();
    if (row < 0) {
        // Edits of no entry: there is nothing they could be saved into.
        dropValueEdits();
        return true;
    }
    SavePending = true;
    if (FlagValueSave) {
        switch (dialogs_.askYesNoCancel("Save values?", "Values not saved!")) {
        case Dialogs::Answer::Cancel:
            SavePending = false;
            return false;
        case Dialogs::Answer::Yes:
            if (!saveValuesOf(row)) {
                SavePending = false;
                return false;
            }
            break;
        case Dialogs::Answer::No:
            dropValueEdits();
            break;
        }
    }
    if (scriptPending()) {
        switch (dialogs_.askYesNoCancel("Save script?", "Script not saved!")) {
        case Dialogs::Answer::Cancel:
            SavePending = false;
            return false;
        case Dialogs::Answer::Yes:
            if (!saveScriptOf(row, showAfter)) {
                SavePending = false;
                return false;
            }
            break;
        case Dialogs::Answer::No:
            // The typing is dropped: the box shows the file's script again.
            scriptPanel->dropTyping();
            break;
        }
    }
    SavePending = false;
    return true;
}

void MDIForm1::UndoMenu_Click() {
    runHistoryStep(HistoryStepKind::Undo);
}

void MDIForm1::RedoMenu_Click() {
    runHistoryStep(HistoryStepKind::Redo);
}

void MDIForm1::runHistoryStep(HistoryStepKind kind) {
    const bool undo = kind == HistoryStepKind::Undo;
    if (VFL_Blocked || !(undo ? history.canUndo() : history.canRedo()) ||
        !settlePendingEdits(List2->currentRow()))
        return;
    const std::optional<RestoringStep> step = undo ? history.undoStep() : history.redoStep();
    if (!step)
        return;
    WindowEdit e;
    e.workCaption = (undo ? "Undoing " : "Redoing ") + QString::fromStdString(step->caption);
    e.commit = [&step](const std::string& path, ByteView bytes, const SceneIndex& index) {
        return CommittedEdit(step->edit,
                             commitRestoringEdit(path, bytes, index, step->edit, step->expected));
    };
    e.showAfter = [this](const Edit& edit) { return rowAfterHistoryStep(edit); };
    e.doneStatus = " **** Saved ****";
    e.changedTitle = undo ? "Not undone" : "Not redone";
    e.changedText = "The file was changed by another program since it was loaded. Nothing was "
                    "written. The file was read again.";
    runEdit(e, kind);
}

// After an undo or redo the entry whose record the step touched first is
// shown, or the entry on display when it is still there.
int MDIForm1::rowAfterHistoryStep(const Edit& edit) {
    if (shownEntry)
        if (const auto row = scene.entryOf(*shownEntry))
            return static_cast<int>(*row);
    if (!edit.splices.empty()) {
        const std::uint64_t at = mapPosition(edit, edit.splices.front().pos);
        const auto& entries = scene.index().entries;
        for (std::size_t i = 0; i < entries.size(); ++i) {
            const auto pos = entryPosition(entries, i);
            if (pos && *pos >= at)
                return static_cast<int>(i);
        }
    }
    return static_cast<int>(scene.index().entries.size()) - 1;
}
