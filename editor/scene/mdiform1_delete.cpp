#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QProgressBar>
#include <exception>

#include "colours.h"
#include "dialogs.h"
#include "entry_list.h"
#include "mdiform1.h"
#include "mdiform1_change.h"
#include "scene_delete.h"

namespace {
const QString Title = "Delete Model";
const QString CloseFile = "****** Close File ******";
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
    if (!dialogs_.askYesNo("Do you really want to delete\r\n\r\n- " + name + " - ?", Title))
        return;

    VFL_Blocked = true;
    setForeColour(Status, StatusRed);
    Status->setText("**** Working **** ");
    ProgressBar1->setValue(1);
    Label3(2)->clear();
    Label3(1)->clear();
    Frame1->show();
    pauseWithEvents(deletePauseMs);
    try {
        // The deletion runs off the GUI thread; the index and the indexed
        // bytes stay as they are meanwhile, because every handler that could
        // change them is guarded by VFL_Blocked.
        DeleteOutcome done;
        const std::string path = QFile::encodeName(filenameanalyse).toStdString();
        runBlocked("Deleting " + name, [&](std::atomic<int>&) {
            done = deleteObjectFile(path, ByteView(indexedFile.data(), indexedFile.size()),
                                    sceneIndex, static_cast<std::size_t>(entry));
        });
        if (done.initScript) {
            Frame1->hide();
            VFL_Blocked = false;
            dialogs_.message("Could not be deleted!", Title);
            return;
        }
        if (done.written.fileChanged) {
            reloadAfterOutsideChange(*this, dialogs_, Title);
            return;
        }
        if (!done.written.ok) {
            Frame1->hide();
            Status->clear();
            VFL_Blocked = false;
            PanelFilling = 0;
            dialogs_.message(CloseFile, systemText(done.written.error));
            return;
        }
        const FileResult indexed = reindexAfterChange(*this, entry, " **** Deleted ****");
        if (!indexed)
            dialogs_.message(CloseFile, systemText(indexed.error));
    } catch (const std::exception& failure) {
        showNormalPointer();
        Frame1->hide();
        VFL_Blocked = false;
        PanelFilling = 0;
        dialogs_.message(CloseFile, systemText(failure.what()));
    }
}
