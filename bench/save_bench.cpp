// A length-changing script save of a 20 MB scene on disk, against writing one
// copy of the file in the same run: the floor for any save that must leave the
// old or the new file after a kill. And the demo add-in applied with quill to
// the 20 MB / 45,000-entry scene.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "addin_pack.h"
#include "addin_samples.h"
#include "demo_mission.h"
#include "file_access.h"
#include "quill_commands.h"
#include "scene_generator.h"
#include "scene_index.h"
#include "script_save_file.h"
#include "script_text.h"

namespace {
namespace fs = std::filesystem;

const GeneratedScene& bigScene() {
    static const GeneratedScene g = generateScene({2024, 20000, std::size_t{20} << 20});
    return g;
}

// Beside the build, not in /tmp: on many systems /tmp is memory, where a
// flush costs nothing and the comparison says little.
fs::path benchFolder() {
    const fs::path p = fs::current_path() / "save_bench_files";
    fs::create_directories(p);
    return p;
}

// Baseline: the bytes written once to a new file and flushed to disk, as a
// copy of the scene would be.
void BM_WriteOneCopy(benchmark::State& state) {
    const auto& b = bigScene().bytes;
    const fs::path path = benchFolder() / "copy.bin";
    for (auto _ : state) {
        state.PauseTiming();
        fs::remove(path);
        state.ResumeTiming();
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
        std::size_t done = 0;
        while (fd >= 0 && done < b.size()) {
            const ssize_t n = ::write(fd, b.data() + done, b.size() - done);
            if (n <= 0)
                break;
            done += static_cast<std::size_t>(n);
        }
        if (fd < 0 || done != b.size() || ::fsync(fd) != 0)
            state.SkipWithError("write failed");
        ::close(fd);
    }
    fs::remove(path);
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(b.size()));
}

// The whole save as the editor and quill do it: plan, apply, index the new
// bytes and check them, take the save lock, write the temporary file, flush
// it, compare the file on disk with the indexed bytes, rename, flush the
// folder. Rounds alternately grow the script and shrink it back.
void BM_ScriptSaveLengthChange(benchmark::State& state) {
    const auto& g = bigScene();
    const fs::path path = benchFolder() / "scene2.bin";
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(g.bytes.data()),
               static_cast<std::streamsize>(g.bytes.size()));
    std::vector<std::uint8_t> bytes = g.bytes;
    SceneIndex idx = buildSceneIndex(ByteView(bytes.data(), bytes.size()));
    std::size_t entry = 0;
    while (!idx.entries[entry].ticked)
        ++entry;
    const std::string original = *readScript(ByteView(bytes.data(), bytes.size()), idx, entry);
    bool grow = true;
    for (auto _ : state) {
        const std::string text = grow ? original + "wait 1\r\n" : original;
        const std::uint64_t loaded = grow ? original.size() : original.size() + 8;
        const ScriptFileSave r = saveScriptFile(path.string(), ByteView(bytes.data(), bytes.size()),
                                                idx, entry, text, loaded);
        state.PauseTiming();
        if (!r.ok)
            state.SkipWithError(r.error.c_str());
        readWholeFile(path.string(), bytes);
        idx = buildSceneIndex(ByteView(bytes.data(), bytes.size()));
        grow = !grow;
        state.ResumeTiming();
    }
    fs::remove(path);
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(g.bytes.size()));
}
void writeFile(const fs::path& path, const std::vector<std::uint8_t>& b) {
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
}

// `quill addin apply` of the demo add-in (three patched files, two objects,
// five embedded files) to a mission whose scene2.bin is the 20 MB /
// 45,000-entry scene: reading and indexing the scene, planning, and the run.
// Between rounds (not timed) the mission is laid anew.
void BM_AddinApply(benchmark::State& state) {
    static const GeneratedScene g = generateScene({2024, 45000, std::size_t{20} << 20});
    const DemoMission demo = makeDemoMission();
    const fs::path game = benchFolder() / "game";
    const fs::path mission = game / "missions" / "demo";
    AddinSource source = demoAddinSource();
    source.key = "quill bench key"; // a name the large scene does not hold
    const PackResult addin = packAddin(source);
    const fs::path addinPath = benchFolder() / "demo.qxa";
    writeFile(addinPath, addin.bytes);
    const std::vector<std::string> args = {"addin", "apply", (mission / "scene2.bin").string(),
                                           addinPath.string()};
    for (auto _ : state) {
        state.PauseTiming();
        fs::remove_all(game);
        fs::create_directories(mission);
        writeFile(mission / "scene2.bin", g.bytes);
        writeFile(mission / "tree.klz", demo.treeKlz);
        writeFile(mission / "cache.bin", demo.cacheBin);
        writeFile(mission / "scene.4ds", demo.scene4ds);
        state.ResumeTiming();
        std::ostringstream out, err;
        if (runQuill(args, out, err) != 0) {
            state.SkipWithError(err.str().c_str());
            break;
        }
    }
    fs::remove_all(game);
    fs::remove(addinPath);
}
} // namespace

BENCHMARK(BM_AddinApply)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_WriteOneCopy)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ScriptSaveLengthChange)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_MAIN();
