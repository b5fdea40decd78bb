// The main window on the 20 MB / 45,000-entry generated scene, offscreen:
// a load from "&Load" until the lists are filled, the last entry is shown and
// the script listing is built; the map's first paint and a pan or zoom frame;
// a longer-script save from the click on "Save"
// until the re-indexed file is shown again; an insertion and its undo; a
// selection change; and the peak memory above the empty window's over all of
// them.
#include <benchmark/benchmark.h>

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QWheelEvent>
#include <sys/resource.h>

#include "entry_list.h"
#include "insertform.h"
#include "listing_view.h"
#include "map_view.h"
#include "mdiform1.h"
#include "scene_generator.h"
#include "script_panel.h"
#include "script_text.h"
#include "window_bench_support.h"

namespace {
using windowbench::QuietDialogs;

// Peak resident memory of the process so far, in bytes.
double peakMemory() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) * 1024.0;
}

struct Bench {
    QTemporaryDir dir;
    QuietDialogs dialogs;
    std::unique_ptr<MDIForm1> window;
    std::uint64_t fileSize = 0;
    double emptyWindowPeak = 0;
};

Bench& bench() {
    static Bench b = [] {
        Bench out;
        out.fileSize = windowbench::writeLargeScene(out.dir, out.dialogs);
        out.window = std::make_unique<MDIForm1>(out.dialogs);
        out.window->show();
        QApplication::processEvents();
        out.emptyWindowPeak = peakMemory();
        return out;
    }();
    return b;
}

bool loadedAndShown(const MDIForm1& w) {
    return w.List2->count() > 40000 && w.List2->currentRow() == w.List2->count() - 1 &&
           !w.RichTextBox1->isEmpty() && !w.VFL_Blocked;
}

void BM_LoadUntilShown(benchmark::State& state) {
    Bench& b = bench();
    for (auto _ : state) {
        b.window->LoadMenu_Click();
        if (!loadedAndShown(*b.window))
            state.SkipWithError("the load did not end with the last entry shown");
    }
    state.counters["entries"] = double(b.window->List2->count());
    state.counters["file_MB"] = double(b.fileSize) / 1e6;
    state.counters["peak_MB_above_empty"] = (peakMemory() - b.emptyWindowPeak) / 1e6;
}

// A scripted object in the middle of the list.
int scriptedObject(const MDIForm1& w, int from) {
    for (int row = from; row < w.MerkePosGameInit; ++row)
        if (w.List2->isTicked(row) && w.sceneIndex.entries[std::size_t(row)].scriptPos)
            return row;
    return -1;
}

// The loaded scene with a scripted object in the middle of the list shown.
int showScriptedObject(MDIForm1& w) {
    if (!loadedAndShown(w))
        w.LoadMenu_Click();
    const int row = scriptedObject(w, w.List2->count() / 2);
    w.List2->setCurrentRow(row);
    return row;
}

// One more byte at the end of the script box: the next save makes it longer.
void typeAtScriptEnd(MDIForm1& w) {
    w.Text1->moveCursor(QTextCursor::End);
    w.Text1->insertPlainText("x");
}

void BM_LongerScriptSave(benchmark::State& state) {
    Bench& b = bench();
    MDIForm1& w = *b.window;
    const int row = showScriptedObject(w);
    for (auto _ : state) {
        state.PauseTiming();
        typeAtScriptEnd(w);
        state.ResumeTiming();
        w.SaveScript->click();
        if (w.Status->text() != " **** Saved ****" || w.List2->currentRow() != row)
            state.SkipWithError("the save did not end with the saved entry shown");
    }
    state.counters["peak_MB_above_empty"] = (peakMemory() - b.emptyWindowPeak) / 1e6;
}

void BM_SelectionChange(benchmark::State& state) {
    Bench& b = bench();
    MDIForm1& w = *b.window;
    if (!loadedAndShown(w))
        w.LoadMenu_Click();
    const int first = scriptedObject(w, w.List2->count() / 3);
    const int second = scriptedObject(w, 2 * w.List2->count() / 3);
    int round = 0;
    for (auto _ : state) {
        w.List2->setCurrentRow(++round % 2 ? first : second);
        QApplication::processEvents();
    }
}

// Undo of a longer-script save: from Ctrl+Z (the Undo action it triggers)
// until the file is written back and the re-indexed entry is shown again.
void BM_UndoLongerScriptSave(benchmark::State& state) {
    Bench& b = bench();
    MDIForm1& w = *b.window;
    const int row = showScriptedObject(w);
    for (auto _ : state) {
        state.PauseTiming();
        typeAtScriptEnd(w);
        w.SaveScript->click();
        const std::size_t saved = w.indexedFile.size();
        state.ResumeTiming();
        w.UndoMenu->trigger();
        QApplication::processEvents();
        if (w.indexedFile.size() != saved - 1 || w.List2->currentRow() != row ||
            w.Status->text() != " **** Saved ****")
            state.SkipWithError("the undo did not end with the entry shown again");
    }
}

// An insertion from the insert window's "Insert" on an object with a model,
// until the new entry is shown, and its undo, until the file is as before.
void BM_InsertAndUndo(benchmark::State& state) {
    Bench& b = bench();
    MDIForm1& w = *b.window;
    if (!loadedAndShown(w))
        w.LoadMenu_Click();
    // The insert window takes the model of the object shown.
    for (int row = 0; row < w.MerkePosGameInit; ++row) {
        w.List2->setCurrentRow(row);
        QApplication::processEvents();
        if (!w.Text2(12)->text().isEmpty())
            break;
    }
    w.CarMenu_Click();
    const std::size_t size = w.indexedFile.size();
    int round = 0;
    for (auto _ : state) {
        w.insertWindow->Text1->setText(QString("Bench car %1").arg(++round));
        w.insertWindow->insert->click();
        if (w.indexedFile.size() <= size || w.Status->text() != " **** Saved ****")
            state.SkipWithError(
                ("the insertion did not end with the new entry saved: " + w.Status->text() +
                 QString(" / %1 messages").arg(b.dialogs.messages))
                    .toStdString()
                    .c_str());
        w.UndoMenu->trigger();
        QApplication::processEvents();
        if (w.indexedFile.size() != size)
            state.SkipWithError("the undo did not end with the file as before");
    }
    w.insertWindow->close();
    state.counters["peak_MB_above_empty"] = (peakMemory() - b.emptyWindowPeak) / 1e6;
}

// The re-index that ends every length-changing edit, with the display.
void BM_ReindexShown(benchmark::State& state) {
    Bench& b = bench();
    MDIForm1& w = *b.window;
    if (!loadedAndShown(w))
        w.LoadMenu_Click();
    for (auto _ : state) {
        w.RefreshAll = -1;
        if (!w.FindModels())
            state.SkipWithError("the re-index failed");
    }
}

// Typing one character into the largest script of the scene, until the box
// has repainted (colours of the lines in view included).
void BM_TypeInLargestScript(benchmark::State& state) {
    Bench& b = bench();
    MDIForm1& w = *b.window;
    if (!loadedAndShown(w))
        w.LoadMenu_Click();
    const ByteView file(w.indexedFile.data(), w.indexedFile.size());
    int largest = -1;
    std::size_t largestSize = 0;
    for (int row = 0; row < w.List2->count(); ++row) {
        if (!w.List2->isTicked(row))
            continue;
        const auto script = readScript(file, w.sceneIndex, std::size_t(row));
        if (script && script->size() > largestSize) {
            largestSize = script->size();
            largest = row;
        }
    }
    w.List2->setCurrentRow(largest);
    QApplication::processEvents();
    w.Text1->moveCursor(QTextCursor::Start);
    for (auto _ : state) {
        w.Text1->insertPlainText("x");
        w.Text1->viewport()->repaint();
        state.PauseTiming();
        w.Text1->textCursor().deletePreviousChar();
        QApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["script_bytes"] = double(largestSize);
    state.counters["lines"] = double(w.Text1->document()->blockCount());
    w.scriptPanel->dropTyping();
}

// The entry of a mark in the middle of the map's list of marks.
int middleMarkEntry(const MapView& map) {
    const auto& marks = map.grid().marks();
    return marks.empty() ? -1 : int(marks[marks.size() / 2].entry);
}

// The map shown on the loaded scene: its marks taken from the index, fitted
// and painted once, as after a load.
MapView& shownMap(MDIForm1& w) {
    if (!loadedAndShown(w))
        w.LoadMenu_Click();
    w.ShowMap->setChecked(true);
    QApplication::processEvents();
    return *w.mapView;
}

void paintOnce(MapView& map, QImage& image) {
    image.fill(Qt::white);
    map.render(&image);
}

void BM_MapFirstPaint(benchmark::State& state) {
    MapView& map = shownMap(*bench().window);
    QImage image(map.size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        map.sceneChanged();
        map.fitAll();
        paintOnce(map, image);
    }
    state.counters["marks"] = double(map.grid().marks().size());
    state.counters["drawn"] = double(map.drawnMarks());
    state.counters["map_px"] = double(map.width() * map.height());
}

// Frames of a user panning and zooming: each step moves or zooms the view,
// then paints it. Half the frames are at the whole scene, the densest view.
void BM_MapPanZoomFrame(benchmark::State& state) {
    MapView& map = shownMap(*bench().window);
    QImage image(map.size(), QImage::Format_ARGB32_Premultiplied);
    map.fitAll();
    const QPointF middle(map.width() / 2.0, map.height() / 2.0);
    int frame = 0;
    for (auto _ : state) {
        switch (frame++ % 4) {
        case 0:
            map.fitAll();
            break;
        case 1: {
            QWheelEvent in(middle, map.mapToGlobal(middle), {}, {0, 120 * 4}, Qt::NoButton, {},
                           Qt::NoScrollPhase, false);
            QCoreApplication::sendEvent(&map, &in);
            break;
        }
        case 2:
            map.centreOn(middleMarkEntry(map));
            break;
        default:
            map.fitAll();
        }
        paintOnce(map, image);
    }
    state.counters["in_view_last"] = double(map.marksInView());
}

BENCHMARK(BM_LoadUntilShown)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LongerScriptSave)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UndoLongerScriptSave)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InsertAndUndo)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReindexShown)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SelectionChange)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TypeInLargestScript)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MapFirstPaint)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MapPanZoomFrame)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    windowbench::runBenchmarks(argc, argv);
    std::printf("peak memory above the empty window: %.1f MB for a %.1f MB scene\n",
                (peakMemory() - bench().emptyWindowPeak) / 1e6, double(bench().fileSize) / 1e6);
    bench().window.reset();
    return 0;
}
