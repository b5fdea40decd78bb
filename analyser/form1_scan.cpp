#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPalette>
#include <QProgressBar>
#include <QSignalBlocker>
#include <QTimer>
#include <QTreeWidget>
#include <exception>

#include "cp1252.h"
#include "dialogs.h"
#include "file_access.h"
#include "form1.h"
#include "scene_save.h"
#include "script_box.h"
#include "script_view_text.h"

// Start, the scan, showing a script and saving it.

namespace {

const QColor Red(255, 0, 0);
const QColor Green(0, 128, 0);

QColor windowText() {
    return QApplication::palette().color(QPalette::WindowText);
}

std::string nativePath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

QListWidgetItem* entryItem(const ScanEntry& entry) {
    auto* item = new QListWidgetItem(QString::fromStdString(cp1252ToUtf8(entry.name)));
    // Only the scan sets ticks: a click on the box leaves it as it is.
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    item->setCheckState(entry.ticked ? Qt::Checked : Qt::Unchecked);
    return item;
}

} // namespace

BusyPointer::BusyPointer() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

BusyPointer::~BusyPointer() {
    QApplication::restoreOverrideCursor();
}

void Form1::setStatus(const QString& text, const QColor& colour) {
    QPalette palette = Text2(2)->palette();
    palette.setColor(QPalette::Text, colour);
    Text2(2)->setPalette(palette);
    Text2(2)->setText(text);
}

void Form1::Command2_Click() {
    if (busy)
        return;
    forgetShownScript();
    {
        const QSignalBlocker blocker(List2);
        List2->clear();
    }
    entries_.clear();
    entryPos.clear();
    setStatus("    **** Working **** ", windowText());
    Timer1->start();
}

void Form1::Timer1_Timer() {
    Timer1->stop();
    busy = true;
    const BusyPointer pointer;
    scan();
    busy = false;
    emit scanned();
}

void Form1::scan() {
    TreeView1->clear();
    if (!rebuildScenePath()) {
        dialogs_.message("****** Select File ******", "Trellis");
        Text2(2)->clear();
        return;
    }
    forgetShownScript();
    {
        const QSignalBlocker blocker(List2);
        List2->clear();
    }
    std::vector<std::uint8_t> bytes;
    FileResult read;
    try {
        read = readWholeFile(nativePath(scenePath), bytes);
    } catch (const std::exception& failure) {
        read = FileResult{false, failure.what()};
    }
    if (!read) {
        Text2(2)->clear();
        dialogs_.message("****** File not readable ******", QString::fromStdString(read.error));
        return;
    }
    ticks = 0;
    entries_ = scanScene(SceneBytes(bytes.data(), bytes.size()), [this](int done) {
        ticks = done;
        showProgress();
        ticks = done + 1;
        QCoreApplication::processEvents();
    });
    scannedBytes_ = std::move(bytes);
    scannedPath_ = scenePath;
    found = static_cast<int>(entries_.size());
    entryPos.clear();
    {
        const QSignalBlocker blocker(List2);
        List2->setUpdatesEnabled(false);
        for (const ScanEntry& entry : entries_) {
            List2->addItem(entryItem(entry));
            entryPos.push_back(entry.entryPos);
        }
        List2->setUpdatesEnabled(true);
    }
    if (found == 0) {
        setStatus("  -- Nothing found -- ", windowText());
        List2->clear();
    } else {
        setStatus("     ***** Ready ***** ", Green);
        busy = false;
        List2->setFocus();
        if (selectedRow() >= 0)
            List2_Click();
    }
    ProgressBar1->setValue(0);
    ticks = 0;
}

void Form1::showProgress() {
    if (ticks < ProgressBarSteps)
        ProgressBar1->setValue(ticks);
    else
        Text2(1)->setText(QString::number(ticks));
}

void Form1::forgetShownScript() {
    Text1->clearScript();
    Text2(0)->clear();
    Text2(1)->clear();
    shown_.reset();
    scriptStart = scriptEnd = scriptLength = 0;
    dirty = false;
}

void Form1::List2_Click() {
    if (busy)
        return;
    showEntry();
}

int Form1::selectedRow() const {
    const QList<QListWidgetItem*> selected = List2->selectedItems();
    return selected.isEmpty() ? -1 : List2->row(selected.front());
}

void Form1::showEntry() {
    const int row = selectedRow();
    if (row < 0 || row >= static_cast<int>(entries_.size()))
        return;
    const ScanEntry& entry = entries_[static_cast<std::size_t>(row)];
    savedEntryPos = entryPos[static_cast<std::size_t>(row)];
    const SceneBytes bytes(scannedBytes_.data(), scannedBytes_.size());
    const auto span = entry.ticked ? locateScript(bytes, savedEntryPos) : std::nullopt;
    const bool wasDirty = dirty;
    forgetShownScript();
    if (!span) {
        setStatus("  -- Nothing found -- ", windowText());
        return;
    }
    shown_ = span;
    scriptStart = span->start;
    scriptEnd = span->end();
    scriptLength = span->length;
    Text2(0)->setText(QString::number(scriptLength));
    Text2(1)->setText(QString::number(scriptLength));
    Text1->loadScript(scriptBytes(bytes, span));
    // An edit that was not saved is gone now: so is its mark.
    if (wasDirty)
        Text2(2)->clear();
}

void Form1::Text1_Change() {
    setStatus("     ---- Not Saved! ----", Red);
    Text2(1)->setText(QString::number(Text1->byteLength()));
    dirty = true;
}

void Form1::Save_Click() {
    if (busy)
        return;
    List2->setFocus();
    if (Text2(0)->text().isEmpty() || Text2(0)->text() == "0")
        return;
    if (Text2(1)->text() != Text2(0)->text()) {
        dialogs_.message("****** Length different ******", "Trellis");
        return;
    }
    if (!shown_ || !rebuildScenePath())
        return;
    if (scenePath != scannedPath_) {
        dialogs_.message("****** File not saved ******",
                         "The chosen file is not the one scanned: press Start first");
        return;
    }
    char32_t bad = 0;
    const auto text = viewToScript(Text1->viewText(), &bad);
    if (!text) {
        dialogs_.message(QString("The character %1 (U+%2) cannot be written to a scene file.")
                             .arg(QString::fromUcs4(&bad, 1))
                             .arg(static_cast<uint>(bad), 4, 16, QLatin1Char('0')),
                         "****** File not saved ******");
        return;
    }
    std::vector<std::uint8_t> updated;
    std::string why;
    FileResult written;
    if (!planSameLengthSave(scannedBytes_, *shown_, *text, updated, why)) {
        written = FileResult{false, why};
    } else if (!rescanFindsSave(scannedBytes_, updated, savedEntryPos, *shown_, why)) {
        dialogs_.message(QString::fromStdString(why), "****** File not saved ******");
        return;
    } else {
        try {
            written = writeScannedScene(nativePath(scenePath), scannedBytes_, updated);
        } catch (const std::exception& failure) {
            written = FileResult{false, failure.what()};
        }
    }
    if (!written) {
        dialogs_.message("****** File not saved ******", QString::fromStdString(written.error));
        return;
    }
    // From now on the written bytes are what the file must hold.
    scannedBytes_ = std::move(updated);
    const int row = selectedRow();
    if (row >= 0 && row < static_cast<int>(entryPos.size()))
        entryPos[static_cast<std::size_t>(row)] = savedEntryPos;
    dirty = false;
    setStatus("     **** Saved ****", Green);
    showEntry();
}
