#include "listing_text.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace {

// Lower-case partners of the code page's capitals outside ASCII.
std::array<unsigned char, 256> foldTable() {
    std::array<unsigned char, 256> table{};
    for (int b = 0; b < 256; ++b)
        table[std::size_t(b)] = static_cast<unsigned char>(b);
    for (int b = 'A'; b <= 'Z'; ++b)
        table[std::size_t(b)] = static_cast<unsigned char>(b + 32);
    for (int b = 0xC0; b <= 0xDE; ++b)
        if (b != 0xD7)
            table[std::size_t(b)] = static_cast<unsigned char>(b + 32);
    table[0x8A] = 0x9A; // S caron
    table[0x8C] = 0x9C; // OE
    table[0x8E] = 0x9E; // Z caron
    table[0x9F] = 0xFF; // Y diaeresis
    return table;
}

const std::array<unsigned char, 256> Fold = foldTable();

} // namespace

unsigned char foldCp1252(unsigned char byte) {
    return Fold[byte];
}

ListingText::ListingText(std::string bytes) : bytes_(std::move(bytes)) {
    const char* data = bytes_.data();
    const std::size_t size = bytes_.size();
    std::size_t from = 0;
    while (from < size) {
        const void* hit = std::memchr(data + from, '\n', size - from);
        if (!hit)
            break;
        const std::size_t lf = static_cast<std::size_t>(static_cast<const char*>(hit) - data);
        if (lf > 0 && data[lf - 1] == '\r') {
            longest_ = std::max(longest_, lf - 1 - starts_.back());
            starts_.push_back(lf + 1);
        }
        from = lf + 1;
    }
    longest_ = std::max(longest_, size - starts_.back());
}

std::string_view ListingText::line(std::size_t line) const {
    const std::size_t start = starts_[line];
    const std::size_t end = line + 1 < starts_.size() ? starts_[line + 1] - 2 : bytes_.size();
    return std::string_view(bytes_).substr(start, end - start);
}

std::size_t ListingText::lineOfCharacter(std::size_t position) const {
    // The last line whose first character is at or before `position`.
    std::size_t low = 0;
    std::size_t high = starts_.size();
    while (high - low > 1) {
        const std::size_t middle = low + (high - low) / 2;
        if (lineStartCharacter(middle) <= position)
            low = middle;
        else
            high = middle;
    }
    return low;
}

std::size_t ListingText::byteOfCharacter(std::size_t position) const {
    const std::size_t line = lineOfCharacter(position);
    const std::size_t column =
        std::min(position - lineStartCharacter(line), this->line(line).size());
    return starts_[line] + column;
}

std::size_t ListingText::characterOfByte(std::size_t byte) const {
    const auto after = std::upper_bound(starts_.begin(), starts_.end(), byte);
    const std::size_t line = static_cast<std::size_t>(after - starts_.begin()) - 1;
    const std::size_t column = std::min(byte - starts_[line], this->line(line).size());
    return lineStartCharacter(line) + column;
}

std::optional<std::size_t> ListingText::find(std::string_view needle, std::size_t from) const {
    if (from > characterCount())
        return std::nullopt;
    std::string folded(needle);
    for (char& c : folded)
        c = static_cast<char>(Fold[static_cast<unsigned char>(c)]);
    const std::size_t start = byteOfCharacter(from);
    if (folded.empty())
        return from;
    if (bytes_.size() < folded.size())
        return std::nullopt;
    const auto first = static_cast<unsigned char>(folded[0]);
    const std::size_t last = bytes_.size() - folded.size();
    for (std::size_t at = start; at <= last; ++at) {
        if (Fold[static_cast<unsigned char>(bytes_[at])] != first)
            continue;
        std::size_t k = 1;
        while (k < folded.size() && Fold[static_cast<unsigned char>(bytes_[at + k])] ==
                                        static_cast<unsigned char>(folded[k]))
            ++k;
        if (k == folded.size())
            return characterOfByte(at);
    }
    return std::nullopt;
}
