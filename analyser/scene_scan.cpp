#include "scene_scan.h"

#include <cmath>
#include <cstring>

#include "scan_bytes.h"

namespace {

using scanbytes::Bytes1;

// Progress as the byte-wise scan shows it: at every position p it visits, a
// step is shown when 5 * (p - s) > ticks * step + 1. Positions the fast path
// skips are visited ones, so their steps are shown all the same.
class ScanTicks {
public:
    ScanTicks(std::int64_t start, const ScanProgress& progress)
        : start_(start), step_(static_cast<double>(start) / 30.0), progress_(progress) {}

    // Every position from `from` to `to` inclusive is visited.
    void visit(std::int64_t from, std::int64_t to) {
        while (from <= to) {
            const std::int64_t next = nextFiring(from);
            if (next > to)
                return;
            fire();
            from = next + 1;
        }
    }

private:
    bool fires(std::int64_t p) const {
        return 5.0 * static_cast<double>(p - start_) > ticks_ * step_ + 1.0;
    }
    // The first position at or after `from` where a step is shown.
    std::int64_t nextFiring(std::int64_t from) const {
        if (fires(from))
            return from;
        const double limit = (ticks_ * step_ + 1.0) / 5.0;
        std::int64_t p = start_ + static_cast<std::int64_t>(std::floor(limit));
        if (p < from)
            p = from;
        while (p > from && fires(p - 1))
            --p;
        while (!fires(p))
            ++p;
        return p;
    }
    void fire() {
        if (progress_)
            progress_(ticks_);
        ++ticks_;
    }

    std::int64_t start_;
    double step_;
    const ScanProgress& progress_;
    int ticks_ = 0;
};

bool pairAt(const Bytes1& b, std::int64_t p, std::uint8_t low) {
    return b.has(p, 2) && b[p] == low && b[p + 1] == scanbytes::ChunkHigh;
}

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

} // namespace

std::vector<ScanEntry> scanScene(SceneBytes bytes, const ScanProgress& progress) {
    std::vector<ScanEntry> entries;
    const Bytes1 b(bytes);
    const std::int64_t length = b.size();
    if (length == 0)
        return entries;
    const auto s = static_cast<std::int64_t>(std::nearbyint(0.8 * static_cast<double>(length)));
    ScanTicks ticks(s, progress);
    auto add = [&entries](std::string name, bool ticked, std::int64_t pos) {
        if (entries.size() < MaxScanEntries)
            entries.push_back({std::move(name), ticked, pos});
    };

    std::int64_t p = s;
    while (p <= length) {
        // Only a pair whose second byte is AE can start anything; the
        // positions before it just pass.
        const std::int64_t high = b.findHigh(p + 1);
        const std::int64_t candidate = high == 0 ? length + 1 : high - 1;
        ticks.visit(p, std::min(candidate - 1, length));
        if (candidate > length)
            break;
        p = candidate;
        ticks.visit(p, p);

        if (pairAt(b, p, 0x51)) {
            p += 11;
            if (b.has(p, 1) && b[p] == 'G') {
                const std::int64_t marker = p - 12;
                std::int64_t end = p;
                while (b.has(end, 1) && b[end] >= 29)
                    ++end;
                // The byte before the end of the run is not part of the name.
                std::string name = end - p > 1 ? b.text(p, end - p - 1) : std::string();
                p = end;
                if (!name.empty())
                    add(std::move(name), true, marker);
            }
        }
        if (pairAt(b, p, 0x21)) {
            p += 6;
            if (pairAt(b, p, 0x23)) {
                p += 6;
                const std::int64_t n = p;
                const std::int64_t a = b.findHigh(p);
                if (a == 0)
                    break;
                p = a;
                // The name runs to the byte before the next chunk id, zero
                // byte included; the list shows it up to its first zero byte.
                std::string name = a - 1 - n > 0 ? b.text(n, a - 1 - n) : std::string();
                name.resize(std::strlen(name.c_str()));
                if (entries.size() < MaxScanEntries)
                    add(std::move(name), objectHasScript(bytes, a), a);
            }
        }
        ++p;
    }
    return entries;
}

bool objectHasScript(SceneBytes bytes, std::int64_t entryPos) {
    const Bytes1 b(bytes);
    const std::int64_t q = dataBlockFrom(b, std::max<std::int64_t>(entryPos, 1));
    if (q == 0)
        return false;
    if (gameAt(b, q + 1))
        return true;
    for (std::int64_t r = nextCandidate(b, q + 2); r != 0; r = nextCandidate(b, r + 1)) {
        if (anotherChunkAt(b, r))
            return false;
        if (scriptMarkerAt(b, r))
            return true;
    }
    return false;
}

std::optional<ScriptSpan> locateScript(SceneBytes bytes, std::int64_t entryPos) {
    const Bytes1 b(bytes);
    const std::int64_t q = dataBlockFrom(b, std::max<std::int64_t>(entryPos, 1));
    if (q == 0)
        return std::nullopt;
    std::int64_t start = 0;
    if (gameAt(b, q + 1)) {
        start = q + 18;
    } else {
        for (std::int64_t r = nextCandidate(b, q + 2); r != 0; r = nextCandidate(b, r + 1)) {
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
                if (!b.has(t, 1))
                    return std::nullopt;
                start = t;
                break;
            }
        }
        if (start == 0)
            return std::nullopt;
    }
    // The text ends before the low byte of the next chunk id; a script that is
    // the last thing in the file runs to its end.
    const std::int64_t e = b.findHigh(start);
    const std::int64_t end = e == 0 ? b.size() + 1 : e - 1;
    if (end - start <= 0)
        return std::nullopt;
    return ScriptSpan{start, end - start};
}

std::string scriptBytes(SceneBytes bytes, const std::optional<ScriptSpan>& span) {
    if (!span)
        return {};
    return Bytes1(bytes).text(span->start, span->length);
}
