#pragma once
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string_view>
#include <vector>

// Builds scene2.bin bytes chunk by chunk. A chunk is a u16 id, a u32 length
// that counts the whole chunk including these 6 header bytes, then its payload.
// Everything is written little-endian, whatever the host.
//
// Chunks nest: endChunk() closes the innermost open chunk and writes its
// length. Tests that need malformed files write a wrong length afterwards with
// patchU32() or cut bytes() short.
class SceneWriter {
public:
    static constexpr std::size_t HeaderSize = 6;

    // Starts a chunk and returns its offset.
    std::size_t beginChunk(std::uint16_t id);
    // Closes the innermost open chunk and returns its length; throws
    // std::logic_error when no chunk is open.
    std::uint32_t endChunk();

    void raw(std::span<const std::uint8_t> data);
    void raw(std::string_view text);
    void u8(std::uint8_t value);
    void u16(std::uint16_t value);
    void u32(std::uint32_t value);
    void f32(float value);
    // The text's bytes followed by one 0 byte.
    void string(std::string_view text);
    void fill(std::size_t count, std::uint8_t value);

    // Whole leaf chunks.
    void chunkU32(std::uint16_t id, std::uint32_t value);
    void chunkFloats(std::uint16_t id, std::initializer_list<float> values);
    void chunkString(std::uint16_t id, std::string_view text);

    // Overwrites four bytes already written; throws std::out_of_range past the end.
    void patchU32(std::size_t offset, std::uint32_t value);

    std::size_t position() const { return bytes_.size(); }
    std::size_t openChunks() const { return open_.size(); }
    void reserve(std::size_t bytes) { bytes_.reserve(bytes); }

    const std::vector<std::uint8_t>& bytes() const { return bytes_; }
    std::vector<std::uint8_t> take() { return std::move(bytes_); }

private:
    std::uint8_t* grow(std::size_t count);

    std::vector<std::uint8_t> bytes_;
    std::vector<std::size_t> open_;
};

// The stored bytes of a float, as SceneWriter::f32 writes them.
std::uint32_t floatBits(float value);
