#pragma once
#include <cstdint>
#include <cstring>
#include <span>
#include <string>

// 1-based access to the file's bytes, as the analyser's scans count them.
// Every read is bounds-checked by the caller through has().
namespace scanbytes {

inline constexpr std::uint8_t ChunkHigh = 0xAE; // second byte of every id the scans look for

class Bytes1 {
public:
    explicit Bytes1(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    std::int64_t size() const { return static_cast<std::int64_t>(bytes_.size()); }
    // Whether n bytes from 1-based position p lie inside the file.
    bool has(std::int64_t p, std::int64_t n) const {
        return p >= 1 && n >= 0 && p - 1 + n <= size();
    }
    std::uint8_t operator[](std::int64_t p) const {
        return bytes_[static_cast<std::size_t>(p - 1)];
    }

    bool equals(std::int64_t p, const std::uint8_t* what, std::size_t n) const {
        return std::memcmp(bytes_.data() + (p - 1), what, n) == 0;
    }
    std::string text(std::int64_t p, std::int64_t n) const {
        if (!has(p, n))
            return {};
        return std::string(reinterpret_cast<const char*>(bytes_.data()) + (p - 1),
                           static_cast<std::size_t>(n));
    }
    // The 1-based position of the first 0xAE at or after p; 0 when none.
    std::int64_t findHigh(std::int64_t p) const {
        if (p < 1)
            p = 1;
        if (p > size())
            return 0;
        const auto* from = bytes_.data() + (p - 1);
        const auto* hit = static_cast<const std::uint8_t*>(
            std::memchr(from, ChunkHigh, static_cast<std::size_t>(size() - (p - 1))));
        return hit ? static_cast<std::int64_t>(hit - bytes_.data()) + 1 : 0;
    }

private:
    std::span<const std::uint8_t> bytes_;
};

// Whether the bytes at p are the chunk id `low` AE.
inline bool pairAt(const Bytes1& b, std::int64_t p, std::uint8_t low) {
    return b.has(p, 2) && b[p] == low && b[p + 1] == ChunkHigh;
}

} // namespace scanbytes
