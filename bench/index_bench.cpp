// Index build, script save and the digest an undo checks its result with, on
// a 20 MB generated scene, each against a baseline measured in the same run
// over the same buffer.
#include <benchmark/benchmark.h>

#include <cstring>

#include "baselines.h"
#include "edit_history.h"
#include "scene_generator.h"
#include "scene_index.h"
#include "script_save.h"
#include "script_text.h"

namespace {
const GeneratedScene& bigScene() {
    static const GeneratedScene g = generateScene({2024, 20000, std::size_t{20} << 20});
    return g;
}

void BM_MemchrPass(benchmark::State& state) {
    baseline::memchrPass(state, bigScene().bytes);
}

void BM_DigestOf(benchmark::State& state) {
    const auto& b = bigScene().bytes;
    for (auto _ : state)
        benchmark::DoNotOptimize(digestOf(ByteView(b.data(), b.size())));
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(b.size()));
}

void BM_BuildIndex(benchmark::State& state) {
    const auto& b = bigScene().bytes;
    std::size_t entries = 0;
    for (auto _ : state) {
        SceneIndex idx = buildSceneIndex(ByteView(b.data(), b.size()));
        entries = idx.entries.size();
        benchmark::DoNotOptimize(idx);
    }
    state.counters["entries"] = static_cast<double>(entries);
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(b.size()));
}

// One copy of the file's bytes: the floor for any edit that rewrites the file.
void BM_CopyFile(benchmark::State& state) {
    const auto& b = bigScene().bytes;
    for (auto _ : state) {
        std::vector<std::uint8_t> copy(b);
        benchmark::DoNotOptimize(copy.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(b.size()));
}

// Plans a length-changing save of the first object script: the whole new file in memory.
void BM_ScriptSaveGrow(benchmark::State& state) {
    const auto& g = bigScene();
    const ByteView v(g.bytes.data(), g.bytes.size());
    const SceneIndex idx = buildSceneIndex(v);
    std::size_t entry = 0;
    while (entry < idx.entries.size() && !idx.entries[entry].ticked)
        ++entry;
    const std::uint32_t len = *v.u32(*idx.entries[entry].scriptPos);
    const std::string text(len + 17, 'x');
    for (auto _ : state) {
        ScriptSaveResult r = planScriptSave(v, idx, entry, text, len);
        const auto out = applyEdit(v, r.plan->edit);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(g.bytes.size()));
}
} // namespace

BENCHMARK(BM_MemchrPass)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DigestOf)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BuildIndex)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CopyFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScriptSaveGrow)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
