#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <algorithm>
#include <exception>
#include <string>

#include "colours.h"
#include "dialogs.h"
#include "editor_box.h"
#include "entry_list.h"
#include "listing_view.h"
#include "mdiform1.h"
#include "script_codec.h"
#include "script_save_file.h"

namespace {

const QString CloseFile = "****** Close File ******";
const QString SavedText = " **** Saved ****";
const QString NotSavedTitle = "Script not saved";

QString systemText(const std::string& description) {
    return QString::fromLocal8Bit(description.c_str());
}

QString refusedCharacter(char32_t character) {
    const QString code = QString::number(uint(character), 16).toUpper().rightJustified(4, '0');
    return QString("The script holds the character \"%1\" (U+%2), which a scene file cannot "
                   "store. Nothing was saved.")
        .arg(QString::fromUcs4(&character, 1), code);
}

// The file on disk is no longer the one the index describes, so nothing was
// written. The file is read again; when the same script is shown again the
// edit goes back into the box, so the user can save it over the new content
// knowingly.
void reloadAfterOutsideChange(MDIForm1& window, Dialogs& dialogs, int entry,
                              const std::string& edited) {
    const std::string name = window.sceneIndex.entries[static_cast<std::size_t>(entry)].name;
    window.AktIndex = entry;
    window.RefreshAllAfter = -1;
    window.RefreshAll = -1;
    const FileResult indexed = window.FindModels();
    if (!indexed) {
        window.RefreshAllAfter = 0;
        dialogs.message(CloseFile, systemText(indexed.error));
        return;
    }
    const auto& entries = window.sceneIndex.entries;
    const bool sameScript =
        window.List2->currentRow() == entry && entry < static_cast<int>(entries.size()) &&
        entries[static_cast<std::size_t>(entry)].name == name && window.Text1->isEnabled();
    if (sameScript)
        showEditorText(window.Text1, edited);
    dialogs.message(sameScript ? "The file was changed by another program since it was loaded. "
                                 "Nothing was saved. The file was read again; your edit is "
                                 "still in the script box."
                               : "The file was changed by another program since it was loaded. "
                                 "Nothing was saved. The file was read again.",
                    NotSavedTitle);
}

} // namespace

void MDIForm1::SaveScript_Click() {
    if (List2->count() == 0 || VFL_Blocked)
        return;
    if (Text2(7)->text().isEmpty() || Text2(5)->text() == "0")
        return;
    try {
        const int entry = List2->currentRow();
        bool numeric = false;
        const qulonglong loadedLength = Text2(5)->text().toULongLong(&numeric);
        if (entry < 0 || entry >= static_cast<int>(sceneIndex.entries.size()) || !numeric) {
            dialogs_.message(CloseFile, "No script is loaded for the selected entry.");
            return;
        }
        const std::string edited = editorBoxText(Text1);
        char32_t refused = 0;
        const std::optional<std::string> bytes = editorTextToScriptBytes(edited, &refused);
        if (!bytes) {
            dialogs_.message(refusedCharacter(refused), NotSavedTitle);
            return;
        }

        // The save runs off the GUI thread; the index and the indexed bytes it
        // reads stay as they are meanwhile, because every handler that could
        // change them is guarded by VFL_Blocked.
        ScriptFileSave saved;
        const std::string path = QFile::encodeName(filenameanalyse).toStdString();
        runBlocked("Saving " + List2->itemText(entry), [&](std::atomic<int>&) {
            saved =
                saveScriptFile(path, ByteView(indexedFile.data(), indexedFile.size()), sceneIndex,
                               static_cast<std::size_t>(entry), *bytes, loadedLength);
        });
        if (saved.fileChanged) {
            reloadAfterOutsideChange(*this, dialogs_, entry, edited);
            return;
        }
        if (!saved.ok) {
            VFL_Blocked = false;
            dialogs_.message(CloseFile, systemText(saved.error));
            return;
        }
        AktIndex = entry;
        if (saved.sameLength) {
            for (const InPlaceWrite& w : saved.writtenInPlace)
                std::copy(w.bytes.begin(), w.bytes.end(),
                          indexedFile.begin() + static_cast<std::ptrdiff_t>(w.pos));
        } else {
            RefreshAllAfter = -1;
            Status->clear();
            VFL_Blocked = true;
            RefreshAll = -1;
            if (Check1->isChecked())
                RichTextBox1->clear();
            Text1->clear();
            setForeColour(Text5, systemColour(SystemColour::WindowText));
            const FileResult indexed = FindModels();
            if (!indexed) {
                RefreshAllAfter = 0;
                dialogs_.message(CloseFile, systemText(indexed.error));
                return;
            }
        }
        setForeColour(Status, StatusGreen);
        Status->setText(SavedText);
    } catch (const std::exception& failure) {
        showNormalPointer();
        VFL_Blocked = false;
        dialogs_.message(CloseFile, systemText(failure.what()));
    }
}
