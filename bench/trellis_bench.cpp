// Trellis: the scan of a 20 MB generated scene and the tree build of a scene
// at the limits (1,000 entries, 200 of them ticked, long scripts), each next
// to one memchr pass over the same buffer in the same run.
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>

#include "analyser_scene.h"
#include "baselines.h"
#include "scene_generator.h"
#include "scene_scan.h"
#include "script_tree.h"

namespace {

const std::vector<std::uint8_t>& bigScene() {
    static const std::vector<std::uint8_t> bytes =
        generateScene({2024, 20000, std::size_t{20} << 20}).bytes;
    return bytes;
}

bool holdsAE(std::size_t value) {
    for (int i = 0; i < 4; ++i)
        if (((value >> (8 * i)) & 0xFF) == 0xAE)
            return true;
    return false;
}

// A script of about 8 KB: 40 actors found and switched, four times over,
// among comment lines. Actors are other ticked objects, so cross-links form.
std::string longScript(int self, int ticked) {
    std::string s = "// script ";
    s += std::to_string(self) + "\r\n";
    for (int v = 0; v < 40; ++v)
        s += "findactor " + std::to_string(v) + ", \"t" +
             std::to_string((self * 7 + v * 13) % ticked) + "\"\r\n";
    for (int round = 0; round < 4; ++round) {
        for (int v = 0; v < 40; ++v) {
            s += "act_setstate " + std::to_string(v) + ", " + (v % 3 ? "active" : "inactive") +
                 "\r\n";
            s += "// " + std::string(20, '.') + "\r\n";
        }
    }
    if (self % 10 == 0)
        s += "mission_objectives 1\r\n";
    return s;
}

// Keeps the scene's length fields free of the byte AE, which the scans take
// for a chunk id, by a comment line of the right length at the end.
std::string settled(const std::string& name, const std::string& script) {
    for (std::size_t pad = 0;; ++pad) {
        const std::size_t length = script.size() + 4 + pad;
        const std::size_t data = 6 + 3 + 9 + length;
        const std::size_t record = 6 + (6 + name.size() + 1) + 10 + data;
        if (!holdsAE(length) && !holdsAE(data) && !holdsAE(record) && (length & 0xFF) >= 2)
            return script + "//" + std::string(pad, '/') + "\r\n";
    }
}

const std::vector<std::uint8_t>& limitScene() {
    static const std::vector<std::uint8_t> bytes = [] {
        AnalyserScene scene;
        int ticked = 0;
        for (int i = 0; i < 1000; ++i) {
            if (i % 5 == 0) {
                std::string name = "t";
                name += std::to_string(ticked);
                scene.object(name, settled(name, longScript(ticked, 200)));
                ++ticked;
            } else {
                std::string name = "plain";
                name += std::to_string(i);
                scene.object(name, "");
            }
        }
        return scene.build().bytes;
    }();
    return bytes;
}

void BM_MemchrPass20MB(benchmark::State& state) {
    baseline::memchrPass(state, bigScene());
}

void BM_Scan20MB(benchmark::State& state) {
    const auto& b = bigScene();
    std::size_t entries = 0;
    for (auto _ : state) {
        const auto found = scanScene(SceneBytes(b.data(), b.size()), [](int) {});
        entries = found.size();
        benchmark::DoNotOptimize(found.data());
    }
    state.counters["entries"] = static_cast<double>(entries);
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(b.size()));
}

void BM_MemchrPassLimitScene(benchmark::State& state) {
    baseline::memchrPass(state, limitScene());
}

void BM_TreeAtTheLimits(benchmark::State& state) {
    const auto& b = limitScene();
    const SceneBytes bytes(b.data(), b.size());
    const auto entries = scanScene(bytes);
    std::size_t ticked = 0;
    for (const auto& e : entries)
        ticked += e.ticked ? 1 : 0;
    std::size_t nodes = 0;
    for (auto _ : state) {
        const TreeBuild tree = buildScriptTree(bytes, entries, [](int) {});
        nodes = tree.nodes.size();
        benchmark::DoNotOptimize(tree.nodes.data());
    }
    state.counters["entries"] = static_cast<double>(entries.size());
    state.counters["ticked"] = static_cast<double>(ticked);
    state.counters["top_nodes"] = static_cast<double>(nodes);
    state.counters["MB"] = static_cast<double>(b.size()) / 1e6;
}

} // namespace

BENCHMARK(BM_MemchrPass20MB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Scan20MB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MemchrPassLimitScene)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TreeAtTheLimits)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
