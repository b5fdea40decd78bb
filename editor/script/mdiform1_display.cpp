#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QTimer>
#include <optional>
#include <string>
#include <vector>

#include "colours.h"
#include "dialogs.h"
#include "entry_list.h"
#include "file_access.h"
#include "mdiform1.h"
#include "script_panel.h"
#include "script_text.h"
#include "shown_kind.h"
#include "value_panel.h"

namespace {

const QString ReadyText = " ---- Ready ---- ";
const QString NoScriptText = " ---- No Script ---- ";

// The selected entry, when it has an index record.
std::optional<int> selectedEntry(const MDIForm1& window) {
    const int row = window.List2->currentRow();
    if (row < 0 || row >= static_cast<int>(window.sceneIndex.entries.size()))
        return std::nullopt;
    return row;
}

void showNoScriptStatus(MDIForm1& window) {
    setForeColour(window.Status, systemColour(SystemColour::ApplicationWorkspace));
    window.Status->setText(NoScriptText);
}

// The script's bytes as they are in the file now, at the indexed position.
std::optional<std::string> scriptOnDisk(const MDIForm1& window, int entry) {
    return readScriptFromFile(QFile::encodeName(window.filenameanalyse).toStdString(),
                              window.sceneIndex, static_cast<std::size_t>(entry));
}

// "org:" and "act:" count the script's bytes in the file.
void showScript(MDIForm1& window, int entry) {
    if (!window.List2->isTicked(entry)) {
        window.scriptPanel->showNoScript();
        showNoScriptStatus(window);
        return;
    }
    const std::optional<std::string> script = scriptOnDisk(window, entry);
    window.scriptPanel->showScript(script);
    if (!script) {
        showNoScriptStatus(window);
        return;
    }
    setForeColour(window.Status, StatusGreen);
    window.Status->setText(ReadyText);
}

// Selects a row from code while a mouse press on another row may still be
// handled: that press selects its row once this returns, so the selection
// is put back on the current row afterwards, without a selection event.
void keepSelectionOn(EntryListView* list, int row) {
    list->setCurrentRowQuietly(row);
    QTimer::singleShot(0, list, [list] {
        const QModelIndex current = list->currentIndex();
        if (current.isValid() && !list->selectionModel()->isSelected(current))
            list->selectionModel()->select(current, QItemSelectionModel::ClearAndSelect);
    });
}

// The category lists follow the entry on display. The row chosen is the one
// that stands for this very entry, so an entry that shares its name with an
// earlier one is not swapped for it.
void followInCategoryList(EntryListView* list, const std::vector<int>& toList2, int entry) {
    const int count = std::min(list->count(), static_cast<int>(toList2.size()));
    for (int row = 0; row < count; ++row) {
        if (toList2[static_cast<std::size_t>(row)] == entry) {
            list->setCurrentRow(row);
            return;
        }
    }
}

// Steps after the entry test and the pending values; returns early where the
// display ends.
void displayEntry(MDIForm1& window) {
    std::optional<int> entry = selectedEntry(window);
    if (entry)
        window.valuePanel->showLightFields(
            window.sceneIndex.entries[static_cast<std::size_t>(*entry)]);
    if (window.List2->count() == 0 || !entry || window.VFL_Blocked || window.SavePending)
        return;
    const IndexRecord& record = window.sceneIndex.entries[static_cast<std::size_t>(*entry)];
    const QString text = window.List2->itemText(*entry);
    window.shownEntry = window.scene.keyOf(static_cast<std::size_t>(*entry));
    const std::uint8_t kind = shownKind(record);
    ValuePanel& panel = *window.valuePanel;
    panel.showKindFrame(kind);
    if (record.nameOnly) {
        window.Frame2->show();
        window.Text17->setText(text);
        // A name has no script: the box is emptied, greyed and read-only, so
        // the script of the entry shown before cannot pass for this one's.
        {
            const QSignalBlocker quiet(window.Text1); // no typing to report
            window.scriptPanel->clear();
        }
        window.scriptPanel->showNoScript();
        return;
    }
    window.Frame2->hide();
    panel.showCommonValues(text, record);
    if (record.rotation) {
        const auto& q = *record.rotation;
        window.RotationXI = q[2].value();
        window.RotationZI = q[0].value();
        window.RotationYI = q[1].value();
        window.RotationÄI = q[3].value();
    }
    panel.lockValueFields(*entry >= window.MerkePosGameInit);
    if (kind == 35) {
        window.PanelFilling = -1;
        panel.showThingValues(record);
        window.PanelFilling = 0;
    }
    if (kind == 27) {
        window.PanelFilling = -1;
        panel.showHumanValues(record);
        window.PanelFilling = 0;
    }
    showScript(window, *entry);

    if (window.RefreshAllAfter) {
        if (window.AktIndex >= 0 && window.AktIndex < window.List2->count())
            window.List2->setCurrentRow(window.AktIndex);
        window.RefreshAllAfter = 0;
    }
    entry = selectedEntry(window);
    if (!entry)
        return;
    followInCategoryList(window.List1, window.list1ToList2, *entry);
    followInCategoryList(window.List3, window.list3ToList2, *entry);
}

} // namespace

void MDIForm1::List2_Click() {
    if (!VFL_Blocked && !SavePending) {
        const int edited = shownRow();
        const int clicked = List2->currentRow();
        // Unsaved edits belong to the entry on display: moving away from it
        // asks about them first, and Cancel stays with it.
        if (!showingFromCode_ && edited >= 0 && clicked != edited &&
            (FlagValueSave || scriptPending()) && !settlePendingEdits(clicked)) {
            keepSelectionOn(List2, edited);
            showNormalPointer();
            return;
        }
        if (List2->currentRow() != clicked)
            List2->setCurrentRowQuietly(clicked);
        VFL_Blocked = false;
        SavePending = false;
        setForeColour(Status, StatusGreen);
        Status->setText(ReadyText);
        displayEntry(*this);
    }
    showNormalPointer();
    SavePending = false;
}
