#pragma once
// Reading helpers for the tests: little-endian values and a strict chunk walk,
// written apart from the generator so that its layout is checked, not echoed.
#include <bit>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

struct Chunk {
    std::size_t offset = 0;
    std::uint16_t id = 0;
    std::uint32_t length = 0;
    std::size_t payload() const { return offset + 6; }
    std::size_t end() const { return offset + length; }
};

inline std::uint16_t readU16(const Bytes& b, std::size_t at) {
    return static_cast<std::uint16_t>(b.at(at) | (b.at(at + 1) << 8));
}

inline std::uint32_t readU32(const Bytes& b, std::size_t at) {
    return static_cast<std::uint32_t>(b.at(at)) | (static_cast<std::uint32_t>(b.at(at + 1)) << 8) |
           (static_cast<std::uint32_t>(b.at(at + 2)) << 16) |
           (static_cast<std::uint32_t>(b.at(at + 3)) << 24);
}

inline float readFloat(const Bytes& b, std::size_t at) {
    return std::bit_cast<float>(readU32(b, at));
}

inline std::uint32_t bitsOf(float f) {
    return std::bit_cast<std::uint32_t>(f);
}

inline Chunk chunkAt(const Bytes& b, std::size_t at) {
    return Chunk{at, readU16(b, at), readU32(b, at + 2)};
}

// The chunks that tile [begin, end) exactly, or nothing when a length is
// shorter than a header or runs past `end`, or the last chunk stops short.
inline std::optional<std::vector<Chunk>> tiles(const Bytes& b, std::size_t begin, std::size_t end) {
    std::vector<Chunk> chunks;
    std::size_t at = begin;
    while (at < end) {
        if (end - at < 6)
            return std::nullopt;
        const Chunk c = chunkAt(b, at);
        if (c.length < 6 || c.length > end - at)
            return std::nullopt;
        chunks.push_back(c);
        at += c.length;
    }
    return chunks;
}

inline std::optional<std::vector<Chunk>> childrenOf(const Bytes& b, const Chunk& c) {
    return tiles(b, c.payload(), c.end());
}

// Text of a string chunk: its payload without the final 0 byte.
inline std::string stringOf(const Bytes& b, const Chunk& c) {
    return std::string(b.begin() + static_cast<std::ptrdiff_t>(c.payload()),
                       b.begin() + static_cast<std::ptrdiff_t>(c.end() - 1));
}

inline bool bytesAt(const Bytes& b, std::size_t at, std::initializer_list<std::uint8_t> want) {
    if (at > b.size() || b.size() - at < want.size())
        return false;
    std::size_t i = at;
    for (std::uint8_t w : want) {
        if (b[i++] != w)
            return false;
    }
    return true;
}
