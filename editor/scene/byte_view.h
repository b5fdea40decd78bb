#pragma once
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string_view>

// Bounds-checked little-endian reads over a file held in memory. A read that
// would reach past the end yields nothing; no read ever leaves the buffer.
class ByteView {
public:
    ByteView() = default;
    ByteView(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    std::size_t size() const { return size_; }
    const std::uint8_t* data() const { return data_; }

    bool has(std::size_t pos, std::size_t n) const { return pos <= size_ && n <= size_ - pos; }

    std::optional<std::uint8_t> u8(std::size_t pos) const {
        if (!has(pos, 1))
            return std::nullopt;
        return data_[pos];
    }
    std::optional<std::uint16_t> u16(std::size_t pos) const {
        if (!has(pos, 2))
            return std::nullopt;
        return u16At(pos);
    }
    std::optional<std::uint32_t> u32(std::size_t pos) const {
        if (!has(pos, 4))
            return std::nullopt;
        return u32At(pos);
    }
    // Caller has checked has(pos, 2).
    std::uint16_t u16At(std::size_t pos) const {
        if constexpr (std::endian::native == std::endian::little) {
            std::uint16_t v;
            std::memcpy(&v, data_ + pos, 2); // one load
            return v;
        }
        return static_cast<std::uint16_t>(data_[pos] | (data_[pos + 1] << 8));
    }
    // Caller has checked has(pos, 4).
    std::uint32_t u32At(std::size_t pos) const {
        if constexpr (std::endian::native == std::endian::little) {
            std::uint32_t v;
            std::memcpy(&v, data_ + pos, 4);
            return v;
        }
        return static_cast<std::uint32_t>(data_[pos]) |
               (static_cast<std::uint32_t>(data_[pos + 1]) << 8) |
               (static_cast<std::uint32_t>(data_[pos + 2]) << 16) |
               (static_cast<std::uint32_t>(data_[pos + 3]) << 24);
    }
    bool matches(std::size_t pos, std::string_view bytes) const {
        if (!has(pos, bytes.size()))
            return false;
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            if (data_[pos + i] != static_cast<std::uint8_t>(bytes[i]))
                return false;
        }
        return true;
    }
    // The bytes [pos, pos + n), cut at the end of the buffer.
    std::string_view text(std::size_t pos, std::size_t n) const {
        if (pos >= size_)
            return {};
        if (n > size_ - pos)
            n = size_ - pos;
        return {reinterpret_cast<const char*>(data_ + pos), n};
    }

private:
    const std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
};
