#pragma once
// Internal to the index: first list position of each entry name. Open
// addressing over list positions alone (4 bytes a slot); the names are read
// back through `NameOf`, a callable from a position to its name.
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

template <class NameOf> class NameTable {
public:
    explicit NameTable(NameOf nameOf) : nameOf_(nameOf) {}

    void reserve(std::size_t n) {
        std::size_t cap = 16;
        while (cap < n * 2)
            cap *= 2;
        if (cap > slots_.size())
            rehash(cap);
    }

    // Keeps the first position recorded for a name; `nameOf(pos)` must give `name`.
    void addFirst(std::string_view name, std::uint32_t pos) {
        if ((used_ + 1) * 2 > slots_.size())
            rehash(slots_.empty() ? 16 : slots_.size() * 2);
        std::uint32_t& s = probe(name);
        if (s != kEmpty)
            return;
        s = pos;
        ++used_;
    }

    std::optional<std::size_t> find(std::string_view name) const {
        if (slots_.empty())
            return std::nullopt;
        const std::uint32_t s = const_cast<NameTable*>(this)->probe(name);
        if (s == kEmpty)
            return std::nullopt;
        return s;
    }

private:
    static constexpr std::uint32_t kEmpty = 0xFFFFFFFFu;

    static std::uint64_t hash(std::string_view s) {
        std::uint64_t h = 1469598103934665603ull; // FNV-1a
        for (unsigned char c : s) {
            h ^= c;
            h *= 1099511628211ull;
        }
        return h ^ (h >> 29);
    }

    std::uint32_t& probe(std::string_view name) {
        const std::size_t mask = slots_.size() - 1;
        for (std::size_t i = hash(name) & mask;; i = (i + 1) & mask) {
            std::uint32_t& s = slots_[i];
            if (s == kEmpty || nameOf_(s) == name)
                return s;
        }
    }

    void rehash(std::size_t cap) {
        std::vector<std::uint32_t> old = std::move(slots_);
        slots_.assign(cap, kEmpty);
        used_ = 0;
        for (const std::uint32_t s : old) {
            if (s != kEmpty) {
                probe(nameOf_(s)) = s;
                ++used_;
            }
        }
    }

    NameOf nameOf_;
    std::vector<std::uint32_t> slots_;
    std::size_t used_ = 0;
};
