#pragma once
// What the window benchmarks share: the generated 20 MB / 45,000-entry scene in
// a folder of its own, a dialog seam that answers without a person, and a main
// that runs the benchmarks on the offscreen platform.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <cstdint>

#include "dialogs.h"
#include "scene_generator.h"

namespace windowbench {

// Answers the open dialog with the scene, every question with `answer`, and
// counts the messages.
class QuietDialogs : public Dialogs {
public:
    QString path;
    bool answer = false;
    int messages = 0;
    void message(const QString&, const QString&) override { ++messages; }
    bool askYesNo(const QString&, const QString&, bool) override { return answer; }
    Answer askYesNoCancel(const QString&, const QString&) override {
        return answer ? Answer::Yes : Answer::No;
    }
    QString openFile(const QString&, const QString&, const QString&) override { return path; }
};

// Writes the large generated scene as `dir`/scene2.bin, points `dialogs` at it
// and returns its size in bytes.
inline std::uint64_t writeLargeScene(const QTemporaryDir& dir, QuietDialogs& dialogs) {
    const GeneratedScene g = generateScene({2024, 45000, std::size_t{20} << 20});
    dialogs.path = dir.filePath("scene2.bin");
    QFile file(dialogs.path);
    file.open(QIODevice::WriteOnly);
    file.write(reinterpret_cast<const char*>(g.bytes.data()), qint64(g.bytes.size()));
    return g.bytes.size();
}

// Runs the registered benchmarks inside a QApplication on the offscreen platform.
inline void runBenchmarks(int& argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
}

} // namespace windowbench
