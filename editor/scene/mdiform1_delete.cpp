#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QProgressBar>
#include <algorithm>

#include "colours.h"
#include "dialogs.h"
#include "entry_list.h"
#include "mdiform1.h"
#include "mdiform1_change.h"
#include "scene_delete.h"
#include "shown_kind.h"

namespace {
const QString Title = "Delete Model";
} // namespace

void MDIForm1::Command1_Click() {
    if (VFL_Blocked || List2->count() == 0)
        return;
    const int entry = List2->currentRow();
    if (entry < 0 || entry >= static_cast<int>(sceneIndex.entries.size()))
        return;
    if (entry >= MerkePosGameInit) {
        dialogs_.message("Could not be deleted!", Title);
        return;
    }
    const QString name = List2->itemText(entry);
    if (!dialogs_.askYesNo("Do you really want to delete\r\n\r\n- " + name + " - ?", Title, true))
        return;

    VFL_Blocked = true;
    setForeColour(Status, StatusRed);
    Status->setText("**** Working **** ");
    ProgressBar1->setValue(1);
    Label3(2)->clear();
    Label3(1)->clear();
    Frame1->show();
    pauseWithEvents(deletePauseMs);
    const std::uint8_t kind = shownKind(sceneIndex.entries[std::size_t(entry)]);
    WindowEdit e;
    e.workCaption = "Deleting " + name;
    e.historyCaption = "Delete - " + name.toStdString();
    e.commit = [entry, kind](const std::string& path, ByteView bytes, const SceneIndex& index) {
        DeletePlanResult planned = planDelete(bytes, index, std::size_t(entry), kind);
        return commitPlanned(path, bytes, index, planned.plan ? &*planned.plan : nullptr,
                             planned.error);
    };
    // The entry that now stands in the deleted one's place is shown.
    e.showAfter = [this, entry](const Edit&) { return std::min(entry, List2->count() - 1); };
    e.doneStatus = " **** Deleted ****";
    e.changedTitle = Title;
    e.changedText = "The file was changed by another program since it was loaded. Nothing was "
                    "written. The file was read again.";
    runEdit(e);
    Frame1->hide();
    PanelFilling = 0;
}
