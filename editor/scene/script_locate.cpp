#include "script_locate.h"

#include <algorithm>
#include <cstring>

namespace {
constexpr std::uint64_t kOnes = 0x0101010101010101ull;
constexpr std::uint64_t kHighs = 0x8080808080808080ull;

// True when one of the eight bytes of v is zero.
constexpr bool hasZeroByte(std::uint64_t v) {
    return ((v - kOnes) & ~v & kHighs) != 0;
}

// True when one of the eight bytes at p is 01 or 05, the first byte of a marker.
bool mayHoldMarker(const std::uint8_t* p) {
    std::uint64_t v;
    std::memcpy(&v, p, sizeof v);
    return hasZeroByte(v ^ kOnes) || hasZeroByte(v ^ (kOnes * 5));
}
} // namespace

std::optional<std::size_t> findObjectScript(ByteView f, std::size_t chunkPos,
                                            std::uint64_t chunkEnd) {
    const std::size_t stop = static_cast<std::size_t>(std::min<std::uint64_t>(chunkEnd, f.size()));
    const auto* data = f.data();
    for (std::size_t s = chunkPos + 6; s < stop; ++s) {
        if (s + 8 <= stop && !mayHoldMarker(data + s)) {
            s += 7;
            continue;
        }
        // 01 00 00 00 00 starts a script, 05 00 00 00 00 says there is none.
        if ((data[s] != 0x01 && data[s] != 0x05) || !f.has(s, 5) || data[s + 1] || data[s + 2] ||
            data[s + 3] || data[s + 4])
            continue;
        if (data[s] == 0x05)
            return std::nullopt;
        if (!f.has(s + 9, 4))
            continue;
        const auto* t = data + s + 9;
        const bool printable = t[0] >= 32 && t[1] >= 32 && t[2] >= 32 && t[3] >= 32;
        if (printable || (t[0] == 13 && t[1] == 10))
            return s + 5;
    }
    return std::nullopt;
}
