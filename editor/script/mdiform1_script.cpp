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
#include "entry_list.h"
#include "listing_view.h"
#include "mdiform1.h"
#include "script_codec.h"
#include "script_panel.h"
#include "script_save.h"

namespace {

const QString CloseFile = "****** Close File ******";
const QString SavedText = " **** Saved ****";
const QString NotSavedTitle = "Script not saved";

QString refusedCharacter(char32_t character) {
    const QString code = QString::number(uint(character), 16).toUpper().rightJustified(4, '0');
    return QString("The script holds the character \"%1\" (U+%2), which a scene file cannot "
                   "store. Nothing was saved.")
        .arg(QString::fromUcs4(&character, 1), code);
}

// The file on disk was no longer the one the index described, so nothing was
// written and the file was read again; when the same script is shown again
// the edit goes back into the box, so the user can save it over the new
// content knowingly.
void restoreEditAfterReload(MDIForm1& window, Dialogs& dialogs, int entry, const std::string& name,
                            const std::string& edited) {
    const auto& entries = window.sceneIndex.entries;
    const bool sameScript =
        window.List2->currentRow() == entry && entry < static_cast<int>(entries.size()) &&
        entries[static_cast<std::size_t>(entry)].name == name && window.Text1->isEnabled();
    if (sameScript) {
        window.scriptPanel->showEditedText(edited);
    }
    dialogs.message(sameScript ? "The file was changed by another program since it was loaded. "
                                 "Nothing was saved. The file was read again; your edit is "
                                 "still in the script box."
                               : "The file was changed by another program since it was loaded. "
                                 "Nothing was saved. The file was read again.",
                    NotSavedTitle);
}

} // namespace

void MDIForm1::SaveScript_Click() {
    const int entry = List2->currentRow();
    if (entry == shownRow())
        saveScriptOf(entry, entry);
}

bool MDIForm1::saveScriptOf(int entry, int showAfter) {
    if (List2->count() == 0 || VFL_Blocked)
        return false;
    if (Text2(7)->text().isEmpty() || Text2(5)->text() == "0")
        return false;
    bool numeric = false;
    const qulonglong loadedLength = Text2(5)->text().toULongLong(&numeric);
    if (entry < 0 || entry >= static_cast<int>(sceneIndex.entries.size()) || !numeric) {
        dialogs_.message(CloseFile, "No script is loaded for the selected entry.");
        return false;
    }
    const std::string edited = scriptPanel->editedText();
    char32_t refused = 0;
    const std::optional<std::string> bytes = editorTextToScriptBytes(edited, &refused);
    if (!bytes) {
        dialogs_.message(refusedCharacter(refused), NotSavedTitle);
        return false;
    }
    const QString name = List2->itemText(entry);
    WindowEdit e;
    e.workCaption = "Saving " + name;
    e.historyCaption = "Save script - " + name.toStdString();
    e.commit = [entry, &bytes, loadedLength](const std::string& path, ByteView file,
                                             const SceneIndex& index) {
        ScriptSaveResult planned =
            planScriptSave(file, index, std::size_t(entry), *bytes, loadedLength);
        return commitPlanned(path, file, index, planned.plan ? &*planned.plan : nullptr,
                             planned.error);
    };
    e.showAfter = [showAfter](const Edit&) { return showAfter; };
    e.doneStatus = SavedText;
    // restoreEditAfterReload tells the user when the file changed on disk.
    const std::string scriptName = sceneIndex.entries[std::size_t(entry)].name;
    AktIndex = entry;
    // Once saved, the box's text is the file's: it holds no unsaved typing.
    const QString shownBefore = scriptPanel->takeTypingAsShown();
    switch (runEdit(e)) {
    case EditResult::Saved:
        return true;
    case EditResult::ChangedOnDisk:
        restoreEditAfterReload(*this, dialogs_, entry, scriptName, edited);
        return false;
    case EditResult::Refused:
        scriptPanel->setShownText(shownBefore);
        return false;
    }
    return false;
}
