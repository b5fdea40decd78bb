#include "script_locate.h"

#include <algorithm>
#include <string_view>

using namespace std::string_view_literals;

namespace {
constexpr auto kScriptStart = "\x01\x00\x00\x00\x00"sv;
constexpr auto kNoScript = "\x05\x00\x00\x00\x00"sv;
} // namespace

std::optional<std::size_t> findObjectScript(ByteView f, std::size_t chunkPos,
                                            std::uint64_t chunkEnd) {
    const std::size_t stop = static_cast<std::size_t>(std::min<std::uint64_t>(chunkEnd, f.size()));
    const auto* data = f.data();
    for (std::size_t s = chunkPos + 6; s < stop; ++s) {
        if (data[s] != 0x01 && data[s] != 0x05)
            continue;
        if (f.matches(s, kNoScript))
            return std::nullopt;
        if (!f.matches(s, kScriptStart) || !f.has(s + 9, 4))
            continue;
        const auto* t = data + s + 9;
        const bool printable = t[0] >= 32 && t[1] >= 32 && t[2] >= 32 && t[3] >= 32;
        if (printable || (t[0] == 13 && t[1] == 10))
            return s + 5;
    }
    return std::nullopt;
}
