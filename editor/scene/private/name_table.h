#pragma once
// Internal to the index: first list position of each entry name. Open
// addressing; a slot keeps the name's hash, length and first bytes, so a
// probe reads no name but its own slot unless the name is longer than those
// bytes. The names are read back through `NameOf`, a callable from a position
// to its name.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string_view>
#include <vector>

// Starts fetching the cache line at `p` for a read soon after; changes nothing.
inline void prefetchLine(const void* p) {
#if defined(__GNUC__)
    __builtin_prefetch(p);
#else
    (void)p;
#endif
}

template <class NameOf> class NameTable {
public:
    explicit NameTable(NameOf nameOf) : nameOf_(nameOf) {}

    void reserve(std::size_t n) {
        std::size_t cap = 16;
        while (full(n, cap))
            cap *= 2;
        if (cap > slots_.size())
            rehash(cap);
    }

    // Keeps the first position recorded for a name; `nameOf(pos)` must give `name`.
    void addFirst(std::string_view name, std::uint32_t pos) { addHashed(name, hash(name), pos); }

    // addFirst for positions [0, n) in order, each with its name as `nameOf`
    // gives it. The slots are fetched a few names ahead of their use.
    void addAllFirst(std::uint32_t n) {
        reserve(used_ + n + 1);
        std::vector<std::uint32_t> hashes(n);
        for (std::uint32_t i = 0; i < n; ++i)
            hashes[i] = hash(nameOf_(i));
        for (std::uint32_t i = 0; i < n; ++i) {
            if (i + kAhead < n)
                prefetch(hashes[i + kAhead]);
            addHashed(nameOf_(i), hashes[i], i);
        }
    }

    std::optional<std::size_t> find(std::string_view name) const {
        if (slots_.empty())
            return std::nullopt;
        const Slot& s = const_cast<NameTable*>(this)->probe(name, hash(name));
        if (s.pos == kEmpty)
            return std::nullopt;
        return s.pos;
    }

    // Starts fetching the slot a find of `name` begins at; changes nothing.
    void prefetch(std::string_view name) const {
        if (!slots_.empty())
            prefetch(hash(name));
    }

private:
    static constexpr std::uint32_t kEmpty = 0xFFFFFFFFu;
    static constexpr std::uint32_t kAhead = 16;
    static constexpr std::size_t kHead = 22;

    struct Slot {
        std::uint32_t pos = kEmpty;
        std::uint32_t hash = 0;
        std::uint16_t length = 0; // of the name, or 0xFFFF for that or more
        char head[kHead] = {};    // the name's first bytes, zero after its end
    };

    static std::uint64_t load8(const char* p) {
        std::uint64_t v;
        std::memcpy(&v, p, 8);
        return v;
    }
    static std::uint64_t load4(const char* p) {
        std::uint32_t v;
        std::memcpy(&v, p, 4);
        return v;
    }
    static std::uint64_t mix(std::uint64_t h, std::uint64_t w) {
        h = (h ^ w) * 0x9E3779B97F4A7C15ull;
        return h ^ (h >> 32);
    }

    // Eight bytes at a time: the words before the last, then the last eight
    // (which may overlap them); a shorter name as its first and last bytes.
    static std::uint32_t hash(std::string_view s) {
        const char* p = s.data();
        const std::size_t n = s.size();
        std::uint64_t h = 0x243F6A8885A308D3ull ^ n;
        if (n >= 8) {
            for (std::size_t i = 0; i + 8 < n; i += 8)
                h = mix(h, load8(p + i));
            h = mix(h, load8(p + n - 8));
        } else if (n >= 4) {
            h = mix(h, load4(p) << 32 | load4(p + n - 4));
        } else if (n > 0) {
            const auto b = [p](std::size_t i) {
                return std::uint64_t{static_cast<unsigned char>(p[i])};
            };
            h = mix(h, b(0) << 16 | b(n / 2) << 8 | b(n - 1));
        }
        h = mix(h, n);
        return static_cast<std::uint32_t>(h);
    }

    void prefetch(std::uint32_t h) const { prefetchLine(&slots_[h & (slots_.size() - 1)]); }

    // More than 7 in 10 slots taken: probes grow long.
    static bool full(std::size_t used, std::size_t cap) { return used * 10 > cap * 7; }

    bool holds(const Slot& s, std::string_view name, std::uint32_t h) const {
        if (s.hash != h || s.length != std::min<std::size_t>(name.size(), 0xFFFF))
            return false;
        const std::size_t inHead = std::min(name.size(), kHead);
        if (inHead != 0 && std::memcmp(s.head, name.data(), inHead) != 0)
            return false;
        return name.size() <= kHead || nameOf_(s.pos) == name;
    }

    Slot& probe(std::string_view name, std::uint32_t h) {
        const std::size_t mask = slots_.size() - 1;
        for (std::size_t i = h & mask;; i = (i + 1) & mask) {
            Slot& s = slots_[i];
            if (s.pos == kEmpty || holds(s, name, h))
                return s;
        }
    }

    void addHashed(std::string_view name, std::uint32_t h, std::uint32_t pos) {
        if (full(used_ + 1, slots_.size()))
            rehash(slots_.empty() ? 16 : slots_.size() * 2);
        Slot& s = probe(name, h);
        if (s.pos != kEmpty)
            return;
        s.pos = pos;
        s.hash = h;
        s.length = static_cast<std::uint16_t>(std::min<std::size_t>(name.size(), 0xFFFF));
        if (!name.empty()) // an empty view may hold no pointer at all
            std::memcpy(s.head, name.data(), std::min(name.size(), kHead));
        ++used_;
    }

    // Moves every slot to its place in a table of `cap` slots; no name is read.
    void rehash(std::size_t cap) {
        std::vector<Slot> old = std::move(slots_);
        slots_.assign(cap, Slot{});
        const std::size_t mask = cap - 1;
        for (const Slot& s : old) {
            if (s.pos == kEmpty)
                continue;
            std::size_t i = s.hash & mask;
            while (slots_[i].pos != kEmpty)
                i = (i + 1) & mask;
            slots_[i] = s;
        }
    }

    NameOf nameOf_;
    std::vector<Slot> slots_;
    std::size_t used_ = 0;
};
