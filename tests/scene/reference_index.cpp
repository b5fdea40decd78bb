#include "reference_index.h"

#include <algorithm>
#include <string>

namespace {
struct Ref {
    const std::vector<std::uint8_t>& b;
    SceneIndex idx;

    std::size_t L() const { return b.size(); }
    bool in(std::uint64_t pos, std::uint64_t n) const { return pos + n <= L(); }
    int byteAt(std::uint64_t p) const { return in(p, 1) ? b[p] : -1; }
    bool two(std::uint64_t p, int lo, int hi) const {
        return in(p, 2) && b[p] == lo && b[p + 1] == hi;
    }
    std::optional<std::uint32_t> u32(std::uint64_t p) const {
        if (!in(p, 4))
            return std::nullopt;
        return b[p] | (b[p + 1] << 8) | (b[p + 2] << 16) | (std::uint32_t(b[p + 3]) << 24);
    }
    std::optional<std::uint32_t> len(std::uint64_t p) const {
        auto l = u32(p + 2);
        return (l && *l >= 6) ? l : std::nullopt;
    }
    std::string bytes(std::uint64_t p, std::uint64_t n) const {
        std::string s;
        for (std::uint64_t i = 0; i < n && in(p + i, 1); ++i)
            s += char(b[p + i]);
        return s;
    }
    static std::string lower(std::string s) {
        for (auto& c : s)
            if (c >= 'A' && c <= 'Z')
                c = char(c + 32);
        return s;
    }
    static bool has(const std::string& hay, const std::string& needle) {
        return lower(hay).find(needle) != std::string::npos;
    }
    std::optional<StoredFloat> f32(std::uint64_t p) const {
        auto v = u32(p);
        return v ? std::optional<StoredFloat>(StoredFloat{*v}) : std::nullopt;
    }
    template <int N> std::optional<std::array<StoredFloat, N>> fl(std::uint64_t p) const {
        std::array<StoredFloat, N> a{};
        for (int i = 0; i < N; ++i) {
            auto v = f32(p + 4 * i);
            if (!v)
                return std::nullopt;
            a[i] = *v;
        }
        return a;
    }
    static std::uint32_t nameLen(std::uint32_t n) { return n >= 51 ? 15 : n; }
    std::string nameAt(std::uint64_t p, std::uint32_t n) const {
        n = nameLen(n);
        return bytes(p + 6, n >= 7 ? n - 7 : 0);
    }

    void run() {
        idx.fileLength = L();
        std::optional<std::uint64_t> s;
        for (std::uint64_t q = 4; in(q, 2); ++q)
            if (two(q, 0x00, 0x40)) {
                s = q;
                break;
            }
        if (L() > 0 && s) {
            idx.modelLenPos = std::uint32_t(*s + 2);
            std::uint64_t secEnd = *s + u32(*s + 2).value_or(0);
            objects(*s, secEnd);
            definitions(secEnd);
        }
        if (!idx.hasInitSection)
            idx.merkePosGameInit = std::int64_t(idx.entries.size()) + 1;
    }

    void objects(std::uint64_t s, std::uint64_t secEnd) {
        std::uint64_t p = s + 1;
        bool open = false;
        IndexRecord cur;
        std::uint64_t recEnd = 0;
        while (p < secEnd + 3 && in(p, 2)) {
            if (two(p, 0x10, 0x40) && len(p)) {
                cur = IndexRecord{};
                cur.recordPos = std::uint32_t(p);
                recEnd = p + *len(p);
                open = true;
                p += 6;
                if (two(p, 0x11, 0x40)) {
                    if (byteAt(p + 6) == 2)
                        cur.kind = 2;
                } else {
                    cur.nameOnly = true;
                    cur.brightness = StoredFloat::fromValue(2.0f);
                    cur.colour = std::array<StoredFloat, 3>{StoredFloat::fromValue(0.5f),
                                                            StoredFloat::fromValue(0.5f),
                                                            StoredFloat::fromValue(0.5f)};
                }
                continue;
            }
            if (two(p, 0x10, 0x00) && len(p) && open) {
                std::uint32_t n = *len(p);
                cur.name = nameAt(p, n);
                std::uint64_t t = p + nameLen(n);
                bool listed = cur.nameOnly;
                if (!cur.nameOnly && bytes(t, 6) == std::string("\x20\x00\x12\x00\x00\x00", 6)) {
                    listed = true;
                    std::uint64_t tp = t + 6;
                    if (in(tp, 52)) {
                        cur.translationPos = std::uint32_t(tp);
                        cur.translation = fl<3>(tp);
                        cur.rotation = fl<4>(tp + 18);
                        cur.size = fl<3>(tp + 40);
                        std::uint64_t q = tp + 52;
                        if (recEnd > q)
                            tail(cur, q, std::min<std::uint64_t>(recEnd, L()));
                    }
                }
                if (listed)
                    idx.entries.push_back(cur);
                open = false;
                p = recEnd > p ? recEnd : p + 1;
                continue;
            }
            ++p;
        }
    }

    void tail(IndexRecord& r, std::uint64_t q, std::uint64_t e) {
        if (has(bytes(q, e - q), ".i3d")) {
            for (std::uint64_t c = q; c + 2 <= e && len(c);) {
                if (two(c, 0x12, 0x20)) {
                    r.model = bytes(c + 6, *len(c) >= 7 ? *len(c) - 7 : 0);
                    break;
                }
                c += *len(c);
            }
        }
        std::uint64_t c = q;
        while (c + 2 <= e) {
            if (two(c, 0x26, 0x00)) {
                if (fl<3>(c + 6)) {
                    r.colour = fl<3>(c + 6);
                    r.colourPos = std::uint32_t(c + 6);
                }
                c += 18;
            } else if (two(c, 0x42, 0x40)) {
                if (f32(c + 6)) {
                    r.brightness = f32(c + 6);
                    r.brightnessPos = std::uint32_t(c + 6);
                }
                c += 10;
            } else if (two(c, 0x41, 0x40)) {
                if (u32(c + 6))
                    r.lightKind = u32(c + 6);
                c += 10;
            } else if (two(c, 0x40, 0x40)) {
                c += 6;
            } else if (len(c)) {
                c += *len(c);
            } else {
                break;
            }
        }
    }

    std::optional<std::size_t> find(const std::string& name) const {
        std::string cut = name;
        bool dotted = name.find('.') != std::string::npos;
        if (dotted)
            cut = name.substr(0, name.find('.'));
        for (std::size_t i = 0; i < idx.entries.size(); ++i)
            if (idx.entries.name(i) == name || (dotted && idx.entries.name(i) == cut))
                return i;
        return std::nullopt;
    }

    void definitions(std::uint64_t p) {
        std::string defName;
        int defType = 0;
        std::optional<std::uint32_t> defPos;
        while (in(p, 2)) {
            if (byteAt(p + 1) != 0xAE) {
                ++p;
                continue;
            }
            int id = byteAt(p);
            if (id == 0x20) {
                if (u32(p + 2)) {
                    idx.gesamtLaengeScriptPos = std::uint32_t(p + 2);
                    idx.definitionsLength = u32(p + 2);
                }
                p += 6;
            } else if (id == 0x21) {
                defPos = std::uint32_t(p);
                p += 6;
            } else if (id == 0x50) {
                if (u32(p + 2)) {
                    idx.initSectionLengthPos = std::uint32_t(p + 2);
                    idx.initSectionLength = u32(p + 2);
                }
                idx.hasInitSection = true;
                idx.merkePosGameInit = std::int64_t(idx.entries.size());
                p += 6;
            } else if (id == 0x23 && len(p)) {
                defName = nameAt(p, *len(p));
                idx.definitionNameCount++;
                p += nameLen(*len(p));
            } else if (id == 0x22 && len(p)) {
                defType = std::max(0, byteAt(p + 6));
                p += *len(p);
            } else if (id == 0x24 && len(p)) {
                data(p, *len(p), defName, defType, defPos);
                p += *len(p);
            } else if (id == 0x51 && len(p)) {
                init(p, *len(p));
                p += *len(p);
            } else {
                ++p;
            }
        }
    }

    void data(std::uint64_t d, std::uint32_t n, const std::string& name, int type,
              std::optional<std::uint32_t> defPos) {
        auto w = find(name);
        if (w) {
            IndexRecord r = idx.entries[*w];
            bool known = true;
            if (type == 6) {
                std::string t = bytes(d, n);
                r.material = has(t, "glass") ? 3 : has(t, "brass") ? 2 : 1;
            } else if (type == 35) {
                if ((r.weight = f32(d + 16)))
                    r.weightPos = std::uint32_t(d + 16);
                if (byteAt(d + 28) >= 0) {
                    r.sound = std::uint8_t(byteAt(d + 28));
                    r.soundPos = std::uint32_t(d + 28);
                }
            } else if (type == 27) {
                if (byteAt(d + 7) >= 0) {
                    r.behaviour = std::uint8_t(byteAt(d + 7));
                    r.behaviourPos = std::uint32_t(d + 7);
                }
                if (byteAt(d + 11) >= 0)
                    r.sex = std::uint8_t(byteAt(d + 11));
                if ((r.aggression = f32(d + 47)))
                    r.aggressionPos = std::uint32_t(d + 47);
                if ((r.weight = f32(d + 71)))
                    r.weightPos = std::uint32_t(d + 71);
            } else if (type != 4) {
                known = false;
            }
            if (known) {
                r.kind = std::uint8_t(type);
                if (defPos)
                    r.definitionPos = defPos;
            }
            idx.entries.set(*w, r);
        }
        const std::string start("\x01\x00\x00\x00\x00", 5), none("\x05\x00\x00\x00\x00", 5);
        for (std::uint64_t s = d + 6; s < d + n && in(s, 1); ++s) {
            if (bytes(s, 5) == none)
                return;
            if (bytes(s, 5) != start || !in(s + 9, 4))
                continue;
            bool ok = (b[s + 9] >= 32 && b[s + 10] >= 32 && b[s + 11] >= 32 && b[s + 12] >= 32) ||
                      (b[s + 9] == 13 && b[s + 10] == 10);
            if (!ok)
                continue;
            if (w) {
                IndexRecord r = idx.entries[*w];
                r.scriptPos = std::uint32_t(s + 5);
                r.definitionPos = defPos;
                r.dataChunkPos = std::uint32_t(d);
                r.ticked = true;
                r.kind = std::uint8_t(type);
                idx.entries.set(*w, r);
            }
            return;
        }
    }

    void init(std::uint64_t r, std::uint32_t n) {
        std::uint64_t end = std::min<std::uint64_t>(r + n, L());
        std::uint64_t start = r + 8;
        while (start < end && b[start] < 32)
            ++start;
        std::uint64_t zero = start;
        while (zero < end && b[zero] != 0)
            ++zero;
        std::string run = start < zero ? bytes(start, zero - start) : std::string();
        IndexRecord rec;
        rec.name = run.empty() ? run : run.substr(0, run.size() - 1);
        if (has(run, "gameinitend"))
            rec.name = "GameInitEnd";
        rec.ticked = true;
        if (zero < end) {
            std::uint64_t s = zero + 1;
            while (s < end && b[s] < 32)
                ++s;
            if (s < end) {
                rec.definitionPos = std::uint32_t(r);
                rec.scriptPos = std::uint32_t(s);
            }
        }
        idx.entries.push_back(rec);
    }
};
} // namespace

SceneIndex referenceIndex(const std::vector<std::uint8_t>& file) {
    Ref r{file, {}};
    r.run();
    return r.idx;
}
