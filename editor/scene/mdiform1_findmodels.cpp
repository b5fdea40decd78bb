#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <algorithm>
#include <exception>
#include <future>
#include <limits>
#include <new>
#include <utility>

#include "colours.h"
#include "cp1252.h"
#include "entry_list.h"
#include "listing_view.h"
#include "map_view.h"
#include "mdiform1.h"
#include "scene_verify.h"
#include "script_edit_box.h"
#include "script_listing.h"
#include "script_panel.h"
#include "value_panel.h"

namespace {

// Index steps 0 .. 51 fill the first four fifths of the progress bar; the
// checks and the listing the rest.
constexpr int IndexShare = 40;
constexpr int ProgressEnd = 51;

std::int32_t positionField(const std::optional<std::uint32_t>& position) {
    if (!position || *position > std::uint32_t(std::numeric_limits<std::int32_t>::max()))
        return 0;
    return static_cast<std::int32_t>(*position);
}

// What the worker hands to the window.
struct Reindexed {
    FileResult read;
    std::vector<std::uint8_t> bytes;
    SceneIndex index;
    bool checked = false; // the whole-file check ran and `note` holds its verdict
    QString note;         // after the path in Label4: why the file is no good scene
    ListingText listing;
    bool listingBuilt = false;
};

// A short note on a file that is no scene file or fails the whole-file check.
QString fileNote(ByteView file, const SceneIndex& index) {
    if (!index.modelLenPos)
        return " (not a scene file)";
    const VerifyReport report = verifyScene(file, index);
    if (report.ok())
        return {};
    const std::uint64_t header = file.size() >= 6 ? *file.u32(2) : 0;
    if (file.size() < 6 || header != file.size())
        return QString(" (damaged: header length %1, file %2 bytes)").arg(header).arg(file.size());
    return QString(" (damaged: %1 at %2)")
        .arg(QString::fromStdString(report.problems.front().what))
        .arg(report.problems.front().offset);
}

} // namespace

FileResult MDIForm1::FindModels() {
    setForeColour(Status, StatusRed);
    Status->setText("**** Working **** ");
    Label3(2)->clear();
    Label3(1)->clear();

    const std::string path = QFile::encodeName(filenameanalyse).toStdString();
    const bool withListing = RefreshAll && Check1->isChecked();
    // The whole-file check is made when a file is loaded. Every edit after it
    // is refused unless the file still passes the check it passed, so the
    // re-index after an edit keeps the load's verdict.
    const bool checkFile = std::exchange(checkLoadedFile_, false);
    Reindexed result;
    try {
        runBlocked(
            "Reading " + QFileInfo(filenameanalyse).fileName(),
            [&result, &path, withListing, checkFile](std::atomic<int>& progress) {
                result.read = readWholeFile(path, result.bytes);
                if (!result.read)
                    return;
                const ByteView file(result.bytes.data(), result.bytes.size());
                result.index = buildSceneIndex(file, [&progress](int step) {
                    progress.store(step * IndexShare / ProgressEnd, std::memory_order_relaxed);
                });
                // The listing is built beside the whole-file check:
                // both only read the bytes and the index.
                std::future<void> listing;
                if (withListing)
                    listing = std::async(std::launch::async, [&result, file] {
                        try {
                            result.listing = ListingText(buildScriptListing(file, result.index));
                            result.listingBuilt = true;
                        } catch (const std::bad_alloc&) {
                            // A listing too large for memory leaves the box empty.
                        }
                    });
                if (checkFile) {
                    result.note = fileNote(file, result.index);
                    result.checked = true;
                }
                progress.store(IndexShare + 2, std::memory_order_relaxed);
                if (listing.valid())
                    listing.get();
                progress.store(ProgressEnd, std::memory_order_relaxed);
            });
    } catch (const std::exception& failure) {
        result.read = FileResult{false, failure.what()};
    }
    if (!result.read) {
        Status->clear();
        RefreshAll = 0;
        return result.read;
    }

    emptyEntryLists();
    RichTextBox1->clear();
    // What is on disk now is a new starting point: the steps of the history
    // no longer lead to it.
    scene.adoptRead(path, std::move(result.bytes), std::move(result.index));
    history.clear();
    refreshHistoryActions();
    if (result.checked)
        Label4->setText(filenameanalyse + result.note);
    showIndexInLists();

    VFL_Blocked = false;
    EditedIndex = List2->count() - 1;
    setForeColour(Status, StatusGreen);
    Status->setText(" ---- Ready ---- ");
    if (RefreshAll && List2->count() == 0) {
        // After a load the window shows only the loaded file, also when it
        // holds no entries.
        PanelFilling = -1;
        valuePanel->clearValues();
        PanelFilling = 0;
        scriptPanel->clear();
        scriptPanel->showNoScript();
        RefreshAll = 0;
    } else if (RefreshAll) {
        // Edits typed for the bytes that were on display cannot be placed in
        // what was read now.
        dropValueEdits();
        showingFromCode_ = true;
        List2->setCurrentRow(List2->count() - 1);
        PanelFilling = -1;
        List2_Click();
        PanelFilling = 0;
        showingFromCode_ = false;
        if (result.listingBuilt)
            showScriptListing(std::move(result.listing));
        RefreshAll = 0;
    }
    showNormalPointer();
    Frame1->hide();
    emit indexed();
    return {};
}

void MDIForm1::emptyEntryLists() {
    for (EntryListView* list : {List2, List1, List3})
        list->clear();
    list1ToList2.clear();
    list3ToList2.clear();
    shownEntry.reset();
}

void MDIForm1::showIndexInLists() {
    // Positions always describe this file: values kept from an earlier file
    // would point writers at the wrong bytes and make objects of this one pass
    // for init scripts.
    ModelLenPos = positionField(sceneIndex.modelLenPos);
    GesamtLängeScriptPos = positionField(sceneIndex.gesamtLaengeScriptPos);
    MerkePosGameInit = static_cast<int>(
        std::clamp<std::int64_t>(sceneIndex.merkePosGameInit, 0, std::numeric_limits<int>::max()));
    if (const auto& rotation = sceneIndex.lastRotation) {
        RotationXI = (*rotation)[0].value();
        RotationYI = (*rotation)[1].value();
        RotationZI = (*rotation)[2].value();
        RotationÄI = (*rotation)[3].value();
    }
    Text24->setText(QString::number(sceneIndex.definitionNameCount));
    fillEntryLists();
    // Every change of the open file passes here: the map follows it at once.
    mapView->sceneChanged();
}

void MDIForm1::fillEntryLists() {
    list1ToList2.clear();
    list3ToList2.clear();
    const auto& entries = sceneIndex.entries;
    for (int entry = 0; entry < static_cast<int>(entries.size()); ++entry)
        (entries.ticked(static_cast<std::size_t>(entry)) ? list1ToList2 : list3ToList2)
            .push_back(entry);
    List2->showEntries(&sceneIndex.entries, nullptr);
    List1->showEntries(&sceneIndex.entries, &list1ToList2);
    List3->showEntries(&sceneIndex.entries, &list3ToList2);
    // The script box checks and completes quoted names against these.
    QStringList names;
    names.reserve(static_cast<qsizetype>(entries.size()));
    for (std::size_t entry = 0; entry < entries.size(); ++entry)
        names.append(QString::fromStdString(cp1252ToUtf8(entries.name(entry))));
    scriptPanel->scriptBox->setEntryNames(names);
}
