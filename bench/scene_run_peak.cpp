// The open scene's memory over a run as the editor makes it, without a window:
// load, a longer script save, an insertion, undo, redo, each taken up by
// OpenScene and recorded in the history as the window's edit runner does.
// Prints the resident set at start (the empty program), its peak over the
// run, and the peak above the start as a multiple of the file's size.
//   scene_run_peak SCENE
#include <cstdio>
#include <fstream>
#include <string>

#include "edit_history.h"
#include "file_access.h"
#include "insert_fields.h"
#include "insert_plan.h"
#include "open_scene.h"
#include "sample_insert_fields.h"
#include "scene_index.h"
#include "script_save.h"
#include "script_text.h"

namespace {
// A line of /proc/self/status in kB ("VmRSS", "VmHWM").
long statusKb(const std::string& key) {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind(key + ":", 0) == 0)
            return std::stol(line.substr(key.size() + 1));
    }
    return -1;
}

bool take(const char* what, OpenScene& scene, EditHistory& history, CommittedEdit done,
          bool record) {
    if (!done.second.ok) {
        std::fprintf(stderr, "%s refused: %s\n", what, done.second.error.c_str());
        return false;
    }
    if (record)
        history.record(what, scene.bytes(), done.first,
                       ByteView(done.second.newBytes.data(), done.second.newBytes.size()));
    scene.take(std::move(done.second));
    std::printf("after %-12s VmRSS %6ld kB  VmHWM %6ld kB\n", what, statusKb("VmRSS"),
                statusKb("VmHWM"));
    return true;
}

bool restore(const char* what, OpenScene& scene, EditHistory& history, bool undo) {
    const auto step = undo ? history.undoStep() : history.redoStep();
    if (!step)
        return false;
    EditOutcome out =
        commitRestoringEdit(scene.path(), scene.bytes(), scene.index(), step->edit, step->expected);
    if (!take(what, scene, history, {step->edit, std::move(out)}, false))
        return false;
    undo ? history.undone() : history.redone();
    return true;
}
} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: scene_run_peak SCENE\n");
        return 2;
    }
    const std::string path = argv[1];
    const long start = statusKb("VmRSS");
    OpenScene scene;
    EditHistory history;
    {
        std::vector<std::uint8_t> bytes;
        if (!readWholeFile(path, bytes)) {
            std::fprintf(stderr, "cannot read %s\n", path.c_str());
            return 1;
        }
        SceneIndex index = buildSceneIndex(ByteView(bytes.data(), bytes.size()));
        scene.adoptRead(path, std::move(bytes), std::move(index));
    }
    const double fileMb = static_cast<double>(scene.bytes().size()) / 1e6;
    std::printf("loaded %.1f MB, index %.1f MB  VmRSS %ld kB\n", fileMb,
                static_cast<double>(scene.index().memoryBytes()) / 1e6, statusKb("VmRSS"));

    std::size_t entry = 0;
    while (entry < scene.index().entries.size() && !scene.index().entries.ticked(entry))
        ++entry;
    const auto text = readScript(scene.bytes(), scene.index(), entry);
    if (!text)
        return 1;
    ScriptSaveResult save =
        planScriptSave(scene.bytes(), scene.index(), entry, *text + "wait 1\r\n", text->size());
    if (!take("script save", scene, history,
              commitPlanned(path, scene.bytes(), scene.index(), save.plan ? &*save.plan : nullptr,
                            save.error),
              true))
        return 1;

    const InsertCheck checked =
        checkInsertFields(sampleInsertFields("human", "PeakRunNeu"), scene.index(), '.');
    InsertPlanResult insert = checked.values
                                  ? planInsert(scene.bytes(), scene.index(), *checked.values)
                                  : InsertPlanResult{};
    if (!take("insertion", scene, history,
              commitPlanned(path, scene.bytes(), scene.index(),
                            insert.plan ? &*insert.plan : nullptr, "the insertion was refused"),
              true))
        return 1;
    if (!restore("undo", scene, history, true) || !restore("undo", scene, history, true) ||
        !restore("redo", scene, history, false) || !restore("redo", scene, history, false))
        return 1;

    const long peak = statusKb("VmHWM");
    std::printf("start %ld kB, peak %ld kB, peak above start %.1f MB = %.2f x the file\n", start,
                peak, static_cast<double>(peak - start) / 1e3,
                static_cast<double>(peak - start) / 1e3 / fileMb);
    return 0;
}
