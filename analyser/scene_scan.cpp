#include "scene_scan.h"

#include <cmath>
#include <cstring>

#include "scan_bytes.h"

namespace {

using scanbytes::Bytes1;
using scanbytes::pairAt;

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

} // namespace

std::vector<ScanEntry> scanScene(SceneBytes bytes, const ScanProgress& progress, ScanCost* cost) {
    std::vector<ScanEntry> entries;
    const Bytes1 b(bytes);
    const std::int64_t length = b.size();
    if (length == 0)
        return entries;
    const auto s = static_cast<std::int64_t>(std::nearbyint(0.8 * static_cast<double>(length)));
    ScanTicks ticks(s, progress);
    // Entries come in file order, so the finder's searches only move forward.
    ScriptFinder scripts(bytes, cost);
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
                    add(std::move(name), scripts.hasScript(a), a);
            }
        }
        ++p;
    }
    return entries;
}
