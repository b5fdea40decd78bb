#include <QCheckBox>
#include <QCoreApplication>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <algorithm>
#include <exception>
#include <limits>

#include "colours.h"
#include "cp1252.h"
#include "mdiform1.h"

namespace {

QString entryText(const IndexRecord& record) {
    return QString::fromUtf8(cp1252ToUtf8(record.name));
}

// Ticks show whether an entry has a script. Only the index sets them: the
// items are not user-checkable, so a click on a tick box changes nothing.
QListWidgetItem* entryItem(const QString& text, bool ticked) {
    auto* item = new QListWidgetItem(text);
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    item->setCheckState(ticked ? Qt::Checked : Qt::Unchecked);
    return item;
}

std::int32_t positionField(const std::optional<std::uint32_t>& position) {
    if (!position || *position > std::uint32_t(std::numeric_limits<std::int32_t>::max()))
        return 0;
    return static_cast<std::int32_t>(*position);
}

// Fills or empties a list in one batch: no repaints and no selection events
// per item.
class BatchFill {
public:
    explicit BatchFill(QListWidget* list) : list_(list), blocked_(list->blockSignals(true)) {
        list_->setUpdatesEnabled(false);
        list_->clear();
    }
    ~BatchFill() {
        list_->setUpdatesEnabled(true);
        list_->blockSignals(blocked_);
    }
    BatchFill(const BatchFill&) = delete;
    BatchFill& operator=(const BatchFill&) = delete;

private:
    QListWidget* list_;
    bool blocked_;
};

} // namespace

FileResult MDIForm1::FindModels() {
    setForeColour(Status, StatusRed);
    Status->setText("**** Working **** ");
    Label3(2)->clear();
    Label3(1)->clear();
    ProgressBar1->setValue(0);
    Frame1->show();
    Frame1->raise();
    showHourglass();
    VFL_Blocked = true;

    std::vector<std::uint8_t> bytes;
    SceneIndex index;
    FileResult result;
    try {
        result = readWholeFile(QFile::encodeName(filenameanalyse).toStdString(), bytes);
        if (result) {
            emptyEntryLists();
            RichTextBox1->clear();
            // The scan reports at most 52 steps; each lets the window repaint.
            index = buildSceneIndex(ByteView(bytes.data(), bytes.size()), [this](int step) {
                ProgressBar1->setValue(step);
                QCoreApplication::processEvents();
            });
        }
    } catch (const std::exception& failure) {
        result = FileResult{false, failure.what()};
    }
    if (!result) {
        Status->clear();
        Frame1->hide();
        showNormalPointer();
        VFL_Blocked = false;
        RefreshAll = 0;
        return result;
    }

    sceneIndex = std::move(index);
    indexedFile = std::move(bytes);
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

    VFL_Blocked = false;
    EditedIndex = List2->count() - 1;
    setForeColour(Status, StatusGreen);
    Status->setText(" ---- Ready ---- ");
    if (RefreshAll) {
        List2->setCurrentRow(List2->count() - 1);
        PanelFilling = -1;
        List2_Click();
        PanelFilling = 0;
        if (Check1->isChecked())
            showScriptListing();
        RefreshAll = 0;
    }
    showNormalPointer();
    Frame1->hide();
    emit indexed();
    return {};
}

void MDIForm1::emptyEntryLists() {
    sceneIndex = SceneIndex{};
    indexedFile.clear();
    list1ToList2.clear();
    list3ToList2.clear();
    for (QListWidget* list : {List2, List1, List3})
        BatchFill emptied(list);
}

void MDIForm1::fillEntryLists() {
    list1ToList2.clear();
    list3ToList2.clear();
    BatchFill all(List2);
    BatchFill ticked(List1);
    BatchFill unticked(List3);
    const auto& entries = sceneIndex.entries;
    for (int entry = 0; entry < static_cast<int>(entries.size()); ++entry) {
        const IndexRecord& record = entries[static_cast<std::size_t>(entry)];
        const QString text = entryText(record);
        List2->addItem(entryItem(text, record.ticked));
        if (record.ticked) {
            List1->addItem(entryItem(text, true));
            list1ToList2.push_back(entry);
        } else {
            List3->addItem(entryItem(text, false));
            list3ToList2.push_back(entry);
        }
    }
}
