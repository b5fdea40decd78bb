// Insertion and deletion on the 20 MB / 45,000-entry generated scene in an
// offscreen main window, from the click ("insert" in the insert window,
// "Delete" answered Yes) until the re-index is shown with its status text.
// The deletion's half-second pause is set to zero. Beside them, in the same
// run, a whole read of the file: the floor of the check that the file on disk
// is still the indexed one.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include "baselines.h"
#include "entry_list.h"
#include "file_access.h"
#include "insertform.h"
#include "mdiform1.h"
#include "scene_generator.h"
#include "window_bench_support.h"

namespace {
using windowbench::QuietDialogs;

struct Loaded {
    QTemporaryDir dir;
    QuietDialogs dialogs;
    std::unique_ptr<MDIForm1> window;
    int inserted = 0;
};

Loaded& loaded() {
    static Loaded l = [] {
        Loaded out;
        windowbench::writeLargeScene(out.dir, out.dialogs);
        out.dialogs.answer = true;
        return out;
    }();
    return l;
}

MDIForm1& window() {
    Loaded& l = loaded();
    if (!l.window) {
        l.window = std::make_unique<MDIForm1>(l.dialogs);
        l.window->deletePauseMs = 0;
        l.window->show();
        l.window->LoadMenu_Click();
        // An object in the middle of the file presets the insert window.
        l.window->List2->setCurrentRow(int(l.window->sceneIndex.entries.size() / 2));
        QApplication::processEvents();
        l.window->CarMenu_Click();
    }
    return *l.window;
}

// Inserts one car through the window; true when it is shown afterwards.
bool insertOne(MDIForm1& w) {
    const QString name = QString("Bench car %1").arg(++loaded().inserted);
    w.insertWindow->Text1->setText(name);
    w.insertWindow->insert->click();
    QApplication::processEvents();
    return w.Status->text() == " **** Saved ****" && w.List2->currentRow() >= 0 &&
           w.List2->itemText(w.List2->currentRow()) == name;
}

void BM_ReadWholeFile(benchmark::State& state) {
    baseline::readWholeFilePass(state, QFile::encodeName(loaded().dialogs.path).toStdString());
}

void BM_InsertClickToShown(benchmark::State& state) {
    MDIForm1& w = window();
    for (auto _ : state)
        if (!insertOne(w))
            state.SkipWithError("the insertion was not shown");
    state.counters["entries"] = double(w.sceneIndex.entries.size());
    state.counters["messages"] = loaded().dialogs.messages;
}

void BM_DeleteClickToShown(benchmark::State& state) {
    MDIForm1& w = window();
    for (auto _ : state) {
        state.PauseTiming();
        const bool ready = insertOne(w);
        state.ResumeTiming();
        if (!ready) {
            state.SkipWithError("the object to delete was not inserted");
            break;
        }
        const int row = w.List2->currentRow();
        w.Command1->click();
        QApplication::processEvents();
        if (w.Status->text() != " **** Deleted ****" || w.List2->currentRow() != row)
            state.SkipWithError("the deletion was not shown");
    }
    state.counters["entries"] = double(w.sceneIndex.entries.size());
}

BENCHMARK(BM_ReadWholeFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InsertClickToShown)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DeleteClickToShown)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    windowbench::runBenchmarks(argc, argv);
    loaded().window.reset();
    return 0;
}
