#include <QApplication>
#include <QCheckBox>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTimer>
#include <exception>

#include "addin_run.h"
#include "colours.h"
#include "dialogs.h"
#include "entry_list.h"
#include "file_access.h"
#include "listing_view.h"
#include "mdiform1.h"
#include "script_panel.h"

namespace {
const QString AddinTitle = "Quillscope";
const QString CompleteText = " **** complete ****";

QString fromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string toUtf8(const QString& text) {
    return text.toUtf8().toStdString();
}

// Waits `ms` milliseconds while window events run; 0 only lets them run.
void pauseWithEvents(int ms) {
    if (ms <= 0) {
        QCoreApplication::processEvents();
        return;
    }
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Shows the run in the loading panel and asks its questions with message boxes.
class WindowAddinHost : public AddinHost {
public:
    WindowAddinHost(MDIForm1& w, Dialogs& dialogs, QString title)
        : w_(w), dialogs_(dialogs), title_(std::move(title)) {}

    void caption(const AddinStep& step) override {
        if (!step.text.empty()) {
            w_.Label3(1)->setText(title_);
            w_.Label3(2)->setText(fromUtf8(step.text));
        }
        if (step.progress >= 0)
            w_.ProgressBar1->setValue(step.progress);
        if (step.blocking) {
            w_.VFL_Blocked = true;
            pauseWithEvents(w_.addinPauseMs);
        } else {
            QCoreApplication::processEvents();
        }
    }
    bool ask(const std::string& question) override {
        w_.showNormalPointer();
        const bool yes = dialogs_.askYesNo(fromUtf8(question), AddinTitle);
        w_.showHourglass();
        return yes;
    }

private:
    MDIForm1& w_;
    Dialogs& dialogs_;
    QString title_;
};
} // namespace

void MDIForm1::ADDinMenu_Click() {
    applyAddin({});
}

void MDIForm1::applyAddin(const QString& dropped) {
    if (VFL_Blocked || SavePending || List2->count() == 0)
        return;
    // The add-in reads the scene again when it is done: unsaved edits are
    // settled first.
    if (!settlePendingEdits(List2->currentRow()))
        return;
    const QString chosen =
        dropped.isEmpty() ? dialogs_.openFile(QString(), "ADDin (*.qxa)", sceneFolder()) : dropped;
    if (chosen.isEmpty() || filenameanalyse.isEmpty())
        return;
    const auto stop = [this] {
        Frame1->hide();
        showNormalPointer();
        VFL_Blocked = false;
    };
    const auto fail = [this, &stop](const QString& text, const QString& title) {
        stop();
        dialogs_.message(text, title.isEmpty() ? AddinTitle : title);
    };
    try {
        // Guards against a second add-in, a load or a save while this one runs.
        VFL_Blocked = true;
        showHourglass();
        Label3(2)->clear();
        Label3(1)->clear();
        Frame1->show();
        Frame1->raise();
        ProgressBar1->setValue(5);
        pauseWithEvents(addinPauseMs);

        const std::string addinPath = toUtf8(QFileInfo(chosen).absoluteFilePath());
        std::vector<std::uint8_t> addin;
        if (const FileResult read = readWholeFile(QFile::encodeName(chosen).toStdString(), addin);
            !read) {
            fail(fromUtf8(cantFindMessage(toUtf8(QFileInfo(chosen).fileName()))),
                 QString::fromLocal8Bit(read.error.c_str()));
            return;
        }
        AddinRequest request;
        request.scenePath = toUtf8(QFileInfo(filenameanalyse).absoluteFilePath());
        request.indexed = ByteView(indexedFile.data(), indexedFile.size());
        request.index = &sceneIndex;
        request.addinPath = addinPath;
        request.addin = ByteView(addin.data(), addin.size());
        // Reading and checking the whole add-in and planning every write runs
        // off the GUI thread; nothing is written yet.
        AddinPlanResult planned;
        runBlocked("Checking " + QFileInfo(chosen).fileName(),
                   [&planned, &request](std::atomic<int>&) { planned = planAddin(request); });
        VFL_Blocked = true;
        showHourglass();
        Frame1->show();
        Frame1->raise();
        if (!planned.plan) {
            fail(fromUtf8(planned.message), fromUtf8(planned.title));
            return;
        }

        WindowAddinHost host(*this, dialogs_, fromUtf8(planned.plan->title));
        const AddinRunResult run = runAddin(*planned.plan, request, host, false);
        if (run.status == AddinRunResult::Status::Stopped) {
            stop();
            return;
        }
        if (run.status == AddinRunResult::Status::Failed) {
            // A scene already changed is shown as it now is.
            if (run.sceneChanged)
                (void)FindModels();
            fail(fromUtf8(run.message), fromUtf8(run.title));
            return;
        }

        Frame1->hide();
        showNormalPointer();
        AktIndex = MerkePosGameInit;
        RefreshAllAfter = -1;
        Status->clear();
        RefreshAll = -1;
        if (Check1->isChecked())
            RichTextBox1->clear();
        scriptPanel->clear();
        setForeColour(Text5, systemColour(SystemColour::WindowText));
        if (const FileResult indexed = FindModels(); !indexed) {
            RefreshAllAfter = 0;
            fail(fromUtf8(cantFindMessage(toUtf8(QFileInfo(filenameanalyse).fileName()))),
                 QString::fromLocal8Bit(indexed.error.c_str()));
            return;
        }
        setForeColour(Status, StatusGreen);
        Status->setText(CompleteText);
        VFL_Blocked = false;
    } catch (const std::exception& failure) {
        fail(fromUtf8(cantFindMessage(toUtf8(QFileInfo(chosen).fileName()))),
             QString::fromLocal8Bit(failure.what()));
    }
}
