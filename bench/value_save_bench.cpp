// A value save on the 20 MB / 45,000-entry generated scene in an offscreen
// main window: from the click on "Save" until "SAVED" is shown. Beside it, in
// the same run, a whole read of the same file, the floor of any check that the
// file on disk is still the indexed one.
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
#include "mdiform1.h"
#include "scene_generator.h"
#include "value_save.h"
#include "window_bench_support.h"

namespace {
using windowbench::QuietDialogs;

struct Loaded {
    QTemporaryDir dir;
    QuietDialogs dialogs;
    std::unique_ptr<MDIForm1> window;
    int entry = -1;
};

Loaded& loaded() {
    static Loaded l = [] {
        Loaded out;
        windowbench::writeLargeScene(out.dir, out.dialogs);
        return out;
    }();
    return l;
}

void BM_ReadWholeFile(benchmark::State& state) {
    baseline::readWholeFilePass(state, QFile::encodeName(loaded().dialogs.path).toStdString());
}

void BM_ValueSaveClickToSaved(benchmark::State& state) {
    Loaded& l = loaded();
    if (!l.window) {
        l.window = std::make_unique<MDIForm1>(l.dialogs);
        l.window->show();
        l.window->LoadMenu_Click();
        // A human in the middle of the file: its values lie apart.
        const auto& entries = l.window->sceneIndex.entries;
        for (std::size_t i = entries.size() / 2; i < entries.size(); ++i)
            if (entries[i].kind == 27 && entries[i].behaviourPos && !entries[i].nameOnly) {
                l.entry = int(i);
                break;
            }
        l.window->List2->setCurrentRow(l.entry);
        QApplication::processEvents();
    }
    MDIForm1& w = *l.window;
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        w.Text5->setText(QString::number(++round % 2 ? 1.5 : 2.5));
        w.FlagValueSave = -1;
        w.Label1->hide();
        state.ResumeTiming();
        w.SaveValue->click();
        QApplication::processEvents();
        if (!w.Label1->isVisible() || w.FlagValueSave != 0) {
            state.SkipWithError("the save did not end in SAVED");
        }
    }
    state.counters["entries"] = double(w.sceneIndex.entries.size());
    state.counters["messages"] = l.dialogs.messages;
}

// The edit layer's part of the save alone: plan, apply, read-back check and
// the in-place write, without the window.
void BM_CommitValueEdit(benchmark::State& state) {
    const std::string path = QFile::encodeName(loaded().dialogs.path).toStdString();
    std::vector<std::uint8_t> bytes;
    readWholeFile(path, bytes);
    SceneIndex index = buildSceneIndex(ByteView(bytes.data(), bytes.size()));
    std::size_t entry = index.entries.size() / 2;
    while (entry < index.entries.size() && !index.entries[entry].translationPos)
        ++entry;
    int round = 0;
    for (auto _ : state) {
        const std::string text = ++round % 2 ? "1.5" : "2.5";
        ValueSaveInput in;
        in.translation = {ValueField{text, readNumber(text, '.')},
                          ValueField{"2", readNumber("2", '.')},
                          ValueField{"3", readNumber("3", '.')}};
        const auto plan = std::get<ValueSavePlan>(planValueSave(index, entry, in));
        EditOutcome done =
            commitEdit(path, ByteView(bytes.data(), bytes.size()), index, plan.edit, plan.expect);
        if (!done.ok)
            state.SkipWithError(done.error.c_str());
        bytes = std::move(done.newBytes);
        index = std::move(done.newIndex);
    }
}

BENCHMARK(BM_ReadWholeFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CommitValueEdit)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ValueSaveClickToSaved)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    windowbench::runBenchmarks(argc, argv);
    loaded().window.reset();
    return 0;
}
