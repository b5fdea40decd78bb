#pragma once
#include <cmath>
#include <cstdint>

// SplitMix64: tiny, and the same numbers on every platform and standard
// library, which the standard distributions do not promise.
class SceneRandom {
public:
    explicit SceneRandom(std::uint64_t seed) : state_(seed) {}

    std::uint64_t next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }

    // 0 .. n-1; n must be positive.
    std::uint32_t below(std::uint32_t n) { return static_cast<std::uint32_t>(next() % n); }
    bool chance(std::uint32_t percent) { return below(100) < percent; }
    // [0, 1)
    double unit() { return static_cast<double>(next() >> 11) * (1.0 / 9007199254740992.0); }
    // A value in [lo, hi] rounded to `step`.
    float stepped(double lo, double hi, double step) {
        const double v = lo + unit() * (hi - lo);
        return static_cast<float>(std::round(v / step) * step);
    }

private:
    std::uint64_t state_;
};
