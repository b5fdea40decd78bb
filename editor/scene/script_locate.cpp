#include "script_locate.h"

#include <algorithm>
#include <cstring>

#include "text_search.h"

std::optional<std::size_t> findObjectScript(ByteView f, std::size_t chunkPos,
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
