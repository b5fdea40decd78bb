#pragma once
// Internal to the index: first list position of each entry name. Open
// addressing over views into the scanned bytes; the bytes must outlive it.
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

class NameTable {
public:
    void reserve(std::size_t n) {
        std::size_t cap = 16;
        while (cap < n * 2)
            cap *= 2;
        if (cap > slots_.size())
            rehash(cap);
    }

    // Keeps the first position recorded for a name.
    void addFirst(std::string_view name, std::size_t pos) {
        if ((used_ + 1) * 2 > slots_.size())
            rehash(slots_.empty() ? 16 : slots_.size() * 2);
        Slot& s = probe(name, hash(name));
        if (s.pos != kEmpty)
            return;
        s = Slot{name, hash(name), pos};
        ++used_;
    }

    std::optional<std::size_t> find(std::string_view name) const {
        if (slots_.empty())
            return std::nullopt;
        const Slot& s = const_cast<NameTable*>(this)->probe(name, hash(name));
        if (s.pos == kEmpty)
            return std::nullopt;
        return s.pos;
    }

private:
    static constexpr std::size_t kEmpty = SIZE_MAX;
    struct Slot {
        std::string_view name;
        std::uint64_t hash = 0;
        std::size_t pos = kEmpty;
    };

    static std::uint64_t hash(std::string_view s) {
        std::uint64_t h = 1469598103934665603ull; // FNV-1a
        for (unsigned char c : s) {
            h ^= c;
            h *= 1099511628211ull;
        }
        return h ^ (h >> 29);
    }

    static bool equal(std::string_view a, std::string_view b) {
        if (a.size() != b.size())
            return false;
        for (std::size_t i = 0; i < a.size(); ++i) {
            if (a[i] != b[i])
                return false;
        }
        return true;
    }

    Slot& probe(std::string_view name, std::uint64_t h) {
        const std::size_t mask = slots_.size() - 1;
        for (std::size_t i = h & mask;; i = (i + 1) & mask) {
            Slot& s = slots_[i];
            if (s.pos == kEmpty || (s.hash == h && equal(s.name, name)))
                return s;
        }
    }

    void rehash(std::size_t cap) {
        std::vector<Slot> old = std::move(slots_);
        slots_.assign(cap, Slot{});
        used_ = 0;
        for (const Slot& s : old) {
            if (s.pos != kEmpty) {
                probe(s.name, s.hash) = s;
                ++used_;
            }
        }
    }

    std::vector<Slot> slots_;
    std::size_t used_ = 0;
};
