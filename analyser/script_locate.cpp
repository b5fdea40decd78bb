#include <algorithm>

#include "scan_bytes.h"
#include "scene_scan.h"

// The tick test and the script location: from an entry's position to its
// data block, then to a script marker or the next chunk.
namespace {

using scanbytes::Bytes1;
using scanbytes::pairAt;

// The start of an object's data block (24 AE) or of an init-script record
// (51 AE), searched from `from` on; 0 when the file ends first.
std::int64_t dataBlockFrom(const Bytes1& b, std::int64_t from) {
    for (std::int64_t q = b.findHigh(from + 1); q != 0; q = b.findHigh(q + 1)) {
        const std::int64_t low = q - 1;
        if (low >= from && (b[low] == 0x24 || b[low] == 0x51))
            return low;
    }
    return 0;
}

bool anotherChunkAt(const Bytes1& b, std::int64_t r) {
    return pairAt(b, r, 0x21) || pairAt(b, r, 0x23) || pairAt(b, r, 0x24) || pairAt(b, r, 0x51);
}

// 01 00 00 00 00 followed by a script length whose low byte is above 1.
bool scriptMarkerAt(const Bytes1& b, std::int64_t r) {
    static constexpr std::uint8_t Marker[5] = {0x01, 0x00, 0x00, 0x00, 0x00};
    return b.has(r, 6) && b.equals(r, Marker, 5) && b[r + 5] > 0x01;
}

bool gameAt(const Bytes1& b, std::int64_t r) {
    return b.has(r, 4) && b.equals(r, reinterpret_cast<const std::uint8_t*>("Game"), 4);
}

// The first position at or after r where the marker search of the tick test
// and the script location can stop: a byte 01 (script marker), 0xAE (second
// byte of a chunk id: the pair starts one before) or "G" (a "Game" name).
std::int64_t nextCandidate(const Bytes1& b, std::int64_t r) {
    while (b.has(r, 1)) {
        const std::uint8_t v = b[r];
        if (v == 0x01 || v == 'G' || (b.has(r, 2) && b[r + 1] == scanbytes::ChunkHigh))
            return r;
        ++r;
    }
    return 0;
}

// After the data block at q: whether a script follows before another chunk.
// `last` is the last position looked at.
bool tickAfter(const Bytes1& b, std::int64_t q, std::int64_t& last) {
    last = q + 1;
    if (gameAt(b, q + 1))
        return true;
    for (std::int64_t r = nextCandidate(b, q + 2); r != 0; r = nextCandidate(b, r + 1)) {
        last = r;
        if (anotherChunkAt(b, r))
            return false;
        if (scriptMarkerAt(b, r))
            return true;
    }
    last = b.size();
    return false;
}

// After the data block at q: the script's text, if any. `last` is the last
// position looked at.
std::optional<ScriptSpan> spanAfter(const Bytes1& b, std::int64_t q, std::int64_t& last) {
    last = q + 1;
    std::int64_t start = 0;
    if (gameAt(b, q + 1)) {
        start = q + 18;
    } else {
        for (std::int64_t r = nextCandidate(b, q + 2); r != 0; r = nextCandidate(b, r + 1)) {
            last = r;
            if (anotherChunkAt(b, r))
                return std::nullopt;
            if (scriptMarkerAt(b, r)) {
                start = r + 9;
                break;
            }
            if (gameAt(b, r)) {
                // The text of an init script follows its name and the bytes
                // below 20 after it.
                std::int64_t t = r + 15;
                while (b.has(t, 1) && b[t] <= 19)
                    ++t;
                last = t;
                if (!b.has(t, 1))
                    return std::nullopt;
                start = t;
                break;
            }
        }
        if (start == 0) {
            last = b.size();
            return std::nullopt;
        }
    }
    // The text ends before the low byte of the next chunk id; a script that is
    // the last thing in the file runs to its end.
    const std::int64_t e = b.findHigh(start);
    last = e == 0 ? b.size() : e;
    const std::int64_t end = e == 0 ? b.size() + 1 : e - 1;
    if (end - start <= 0)
        return std::nullopt;
    return ScriptSpan{start, end - start};
}

} // namespace

void ScriptFinder::searched(std::int64_t from, std::int64_t to) {
    if (cost_ && to >= from)
        cost_->bytesSearched += to - from + 1;
}

std::int64_t ScriptFinder::dataBlock(std::int64_t entryPos) {
    const std::int64_t from = std::max<std::int64_t>(entryPos, 1);
    // No block lies between the last search's start and its block, so a
    // search from inside that stretch ends at the same block.
    if (blockFrom_ != 0 && from >= blockFrom_ && (block_ == 0 || from <= block_))
        return block_;
    const Bytes1 b(bytes_);
    const std::int64_t q = dataBlockFrom(b, from);
    searched(from, q == 0 ? b.size() : q + 1);
    blockFrom_ = from;
    block_ = q;
    return q;
}

bool ScriptFinder::hasScript(std::int64_t entryPos) {
    const std::int64_t q = dataBlock(entryPos);
    if (q == 0)
        return false;
    if (q != tickBlock_) {
        std::int64_t last = 0;
        tick_ = tickAfter(Bytes1(bytes_), q, last);
        searched(q + 2, last);
        tickBlock_ = q;
    }
    return tick_;
}

std::optional<ScriptSpan> ScriptFinder::locate(std::int64_t entryPos) {
    const std::int64_t q = dataBlock(entryPos);
    if (q == 0)
        return std::nullopt;
    if (q != spanBlock_) {
        std::int64_t last = 0;
        span_ = spanAfter(Bytes1(bytes_), q, last);
        searched(q + 2, last);
        spanBlock_ = q;
    }
    return span_;
}

bool objectHasScript(SceneBytes bytes, std::int64_t entryPos) {
    return ScriptFinder(bytes).hasScript(entryPos);
}

std::optional<ScriptSpan> locateScript(SceneBytes bytes, std::int64_t entryPos) {
    return ScriptFinder(bytes).locate(entryPos);
}

std::string scriptBytes(SceneBytes bytes, const std::optional<ScriptSpan>& span) {
    if (!span)
        return {};
    return Bytes1(bytes).text(span->start, span->length);
}
