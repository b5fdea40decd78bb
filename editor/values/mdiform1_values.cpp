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
#include "value_combos.h"
#include "value_save.h"

namespace {

const QString CloseFile = "****** Close File ******";
const QString NotSavedTitle = "Values not saved";
constexpr std::uint8_t ZuvavKind = 55;

// The panel's fields for the selected entry, as "Save" reads them.
ValueSaveInput panelInput(MDIForm1& w, int entry) {
    const IndexRecord& record = w.sceneIndex.entries[static_cast<std::size_t>(entry)];
    ValueSaveInput in;
    in.translation = {panelField(w.Text5->text()), panelField(w.Text6->text()),
                      panelField(w.Text7->text())};
    in.size = {panelField(w.Text8->text()), panelField(w.Text9->text()),
               panelField(w.Text10->text())};
    in.verticalAngle = panelField(w.Text11->text());
    in.dialRotation =
        w.pendingRotation && w.pendingRotationEntry == entry ? w.pendingRotation : record.rotation;
    switch (record.kind) {
    case LightKind:
        in.brightness = panelField(w.Text20->text());
        in.colour = {panelField(w.Text14->text()), panelField(w.Text15->text()),
                     panelField(w.Text16->text())};
        break;
    case ThingKind:
        in.weight = panelField(w.Text13->text());
        // A thing is saved with a sound: without a chosen one, the first.
        if (!w.Combo1->code())
            w.Combo1->setCurrentIndex(0);
        in.soundCode = w.Combo1->code();
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

// The selection display gives every entry named "Zuvav" a kind of its own in
// the index; the file knows nothing of it. These entries are left out of the
// read-back comparison and get their kind back afterwards.
std::vector<std::size_t> zuvavEntries(const SceneIndex& index) {
    std::vector<std::size_t> found;
    for (std::size_t i = 0; i < index.entries.size(); ++i)
        if (index.entries[i].kind == ZuvavKind && index.entries[i].name == "Zuvav")
            found.push_back(i);
    return found;
}

void endMarks(MDIForm1& w) {
    w.FlagValueSave = 0;
    w.pendingRotation.reset();
    w.pendingRotationEntry = -1;
    resetValueMarks(w);
}

} // namespace

void MDIForm1::SaveValue_Click() {
    const int entry = List2->currentRow();
    if (VFL_Blocked || List2->count() == 0 || entry >= MerkePosGameInit || entry < 0 ||
        entry >= static_cast<int>(sceneIndex.entries.size())) {
        SavePending = false;
        return;
    }
    // Saving pending edits on another entry's click: when the edited entry
    // could not be selected again, the panel does not hold this entry's values.
    if (SavePending && entry != EditedIndex) {
        SavePending = false;
        return;
    }
    const auto planned = planValueSave(sceneIndex, std::size_t(entry), panelInput(*this, entry));
    if (const auto* refused = std::get_if<ValueSaveRefusal>(&planned)) {
        dialogs_.message(QString::fromStdString(refused->prompt),
                         QString::fromStdString(refused->title));
        SavePending = false;
        return;
    }
    ValueSavePlan plan = std::get<ValueSavePlan>(planned);
    if (plan.nothingToWrite) {
        endMarks(*this);
        SavePending = false;
        return;
    }
    const std::vector<std::size_t> zuvav = zuvavEntries(sceneIndex);
    plan.expect.mayChange = zuvav;
    if (sceneIndex.entries[std::size_t(entry)].kind == ZuvavKind)
        plan.expect.records.clear();

    showHourglass();
    EditOutcome outcome = commitEdit(QFile::encodeName(filenameanalyse).toStdString(),
                                     ByteView(indexedFile.data(), indexedFile.size()), sceneIndex,
                                     plan.edit, plan.expect);
    showNormalPointer();
    SavePending = false;
    if (outcome.fileChanged) {
        // The values typed are not saved over a file someone else changed;
        // the file is read again and the entry shown as it now is.
        endMarks(*this);
        AktIndex = entry;
        RefreshAll = -1;
        RefreshAllAfter = -1;
        const FileResult indexed = FindModels();
        dialogs_.message(indexed ? "The file was changed by another program since it was loaded. "
                                   "Nothing was saved. The file was read again."
                                 : QString::fromLocal8Bit(indexed.error.c_str()),
                         indexed ? NotSavedTitle : CloseFile);
        return;
    }
    if (!outcome.ok) {
        dialogs_.message(CloseFile, QString::fromLocal8Bit(outcome.error.c_str()));
        return;
    }
    indexedFile = std::move(outcome.newBytes);
    sceneIndex = std::move(outcome.newIndex);
    for (std::size_t i : zuvav)
        if (i < sceneIndex.entries.size())
            sceneIndex.entries[i].kind = ZuvavKind;

    endMarks(*this);
    if (!savedNotice_) {
        savedNotice_ = new QTimer(this);
        savedNotice_->setSingleShot(true);
        connect(savedNotice_, &QTimer::timeout, Label1, &QLabel::hide);
    }
    Label1->show();
    savedNotice_->start(savedNoticeMilliseconds);
}
