#pragma once
// The baselines the benchmarks report their figures against, measured in the
// same run: one memchr pass over a buffer, and one read of a whole file.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "file_access.h"

namespace baseline {

// One pass of memchr over `b` for a byte the generator never writes in bulk
// (0xFF), counting its occurrences.
inline void memchrPass(benchmark::State& state, const std::vector<std::uint8_t>& b) {
    for (auto _ : state) {
        std::size_t hits = 0;
        const std::uint8_t* p = b.data();
        const std::uint8_t* end = b.data() + b.size();
        while ((p = static_cast<const std::uint8_t*>(std::memchr(p, 0xFF, end - p)))) {
            ++hits;
            ++p;
        }
        benchmark::DoNotOptimize(hits);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(b.size()));
}

// One read of the whole file at `path` into memory.
inline void readWholeFilePass(benchmark::State& state, const std::string& path) {
    std::vector<std::uint8_t> bytes;
    for (auto _ : state) {
        bytes.clear();
        benchmark::DoNotOptimize(readWholeFile(path, bytes).ok);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes.size()));
}

} // namespace baseline
