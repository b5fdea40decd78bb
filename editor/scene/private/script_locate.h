#pragma once
#include <algorithm>
#include <cstdint>
#include <optional>

#include "byte_view.h"
#include "text_search.h"

// Looks for the script in the definition data chunk at `chunkPos` whose end is
// `chunkEnd`: the five bytes 01 00 00 00 00 followed by a u32 length and text
// whose first four bytes are printable (32 or more) or start with CR LF. Meeting
// 05 00 00 00 00 first means the object has no script. Returns the offset of
// the u32 script length. Inline: the index asks it of every definition.
inline std::optional<std::size_t> findObjectScript(ByteView f, std::size_t chunkPos,
                                                   std::uint64_t chunkEnd) {
    const std::size_t stop = static_cast<std::size_t>(std::min<std::uint64_t>(chunkEnd, f.size()));
    const auto* data = f.data();
    // Candidates are the bytes 01 and 05 that may start a marker, visited in
    // order. A 05 counts only before the next 01, so it is looked for only
    // up to there, and the 01 after a candidate only once the candidate is
    // refused: the text behind an accepted script start is never searched.
    std::size_t from = chunkPos + 6; // every candidate before it is done
    std::size_t next01 = findByte(data, from, stop, 0x01);
    while (true) {
        if (from > next01)
            next01 = findByte(data, from, stop, 0x01);
        const std::size_t s = findByte(data, from, next01, 0x05);
        if (s >= stop)
            return std::nullopt;
        from = s + 1;
        // 01 00 00 00 00 starts a script, 05 00 00 00 00 says there is none.
        if (!f.has(s, 5) || data[s + 1] || data[s + 2] || data[s + 3] || data[s + 4])
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
}
