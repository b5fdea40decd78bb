#include "scene_writer.h"

#include <bit>
#include <cstring>
#include <limits>
#include <stdexcept>

std::uint32_t floatBits(float value) {
    static_assert(sizeof(float) == 4 && std::numeric_limits<float>::is_iec559);
    return std::bit_cast<std::uint32_t>(value);
}

std::size_t SceneWriter::beginChunk(std::uint16_t id) {
    const std::size_t start = bytes_.size();
    open_.push_back(start);
    u16(id);
    u32(0);
    return start;
}

std::uint32_t SceneWriter::endChunk() {
    if (open_.empty())
        throw std::logic_error("endChunk without an open chunk");
    const std::size_t start = open_.back();
    open_.pop_back();
    const std::size_t length = bytes_.size() - start;
    if (length > std::numeric_limits<std::uint32_t>::max())
        throw std::length_error("chunk longer than a u32 length can hold");
    patchU32(start + 2, static_cast<std::uint32_t>(length));
    return static_cast<std::uint32_t>(length);
}

std::uint8_t* SceneWriter::grow(std::size_t count) {
    const std::size_t old = bytes_.size();
    bytes_.resize(old + count);
    return bytes_.data() + old;
}

void SceneWriter::raw(std::span<const std::uint8_t> data) {
    if (!data.empty())
        std::memcpy(grow(data.size()), data.data(), data.size());
}

void SceneWriter::raw(std::string_view text) {
    if (!text.empty())
        std::memcpy(grow(text.size()), text.data(), text.size());
}

void SceneWriter::u8(std::uint8_t value) {
    *grow(1) = value;
}

void SceneWriter::u16(std::uint16_t value) {
    std::uint8_t* out = grow(2);
    out[0] = static_cast<std::uint8_t>(value & 0xFF);
    out[1] = static_cast<std::uint8_t>(value >> 8);
}

void SceneWriter::u32(std::uint32_t value) {
    std::uint8_t* out = grow(4);
    for (int i = 0; i < 4; ++i)
        out[i] = static_cast<std::uint8_t>((value >> (8 * i)) & 0xFF);
}

void SceneWriter::f32(float value) {
    u32(floatBits(value));
}

void SceneWriter::string(std::string_view text) {
    raw(text);
    u8(0);
}

void SceneWriter::fill(std::size_t count, std::uint8_t value) {
    if (count > 0)
        std::memset(grow(count), value, count);
}

void SceneWriter::chunkU32(std::uint16_t id, std::uint32_t value) {
    beginChunk(id);
    u32(value);
    endChunk();
}

void SceneWriter::chunkFloats(std::uint16_t id, std::initializer_list<float> values) {
    beginChunk(id);
    for (float v : values)
        f32(v);
    endChunk();
}

void SceneWriter::chunkString(std::uint16_t id, std::string_view text) {
    beginChunk(id);
    string(text);
    endChunk();
}

void SceneWriter::patchU32(std::size_t offset, std::uint32_t value) {
    if (offset > bytes_.size() || bytes_.size() - offset < 4)
        throw std::out_of_range("patchU32 past the written bytes");
    for (int i = 0; i < 4; ++i)
        bytes_[offset + i] = static_cast<std::uint8_t>((value >> (8 * i)) & 0xFF);
}
