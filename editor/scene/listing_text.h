#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The script listing's bytes (Windows-1252) split into lines for a view that
// draws only the lines on screen. A line ends at each CR LF pair, which the
// view shows as one line break; every other byte is one character (control
// bytes are shown as their pictures). So a character position, counted over
// the text the view shows, maps to a byte by adding one per line break before it.
class ListingText {
public:
    ListingText() = default;
    explicit ListingText(std::string bytes);

    const std::string& bytes() const { return bytes_; }
    std::size_t lineCount() const { return starts_.size(); }
    std::size_t longestLine() const { return longest_; }
    // The bytes of a line, without its line break.
    std::string_view line(std::size_t line) const;
    // Characters shown in all: the bytes less one per line break.
    std::size_t characterCount() const { return bytes_.size() - (starts_.size() - 1); }

    std::size_t lineStartCharacter(std::size_t line) const { return starts_[line] - line; }
    // The line that holds character position `position` (clamped to the text).
    std::size_t lineOfCharacter(std::size_t position) const;
    std::size_t byteOfCharacter(std::size_t position) const;
    std::size_t characterOfByte(std::size_t byte) const;

    // The first place at or after character `from` where `needle` (bytes)
    // stands, letters compared without regard to case; a character position.
    std::optional<std::size_t> find(std::string_view needle, std::size_t from) const;

private:
    std::string bytes_;
    std::vector<std::size_t> starts_{0}; // byte offset of each line's first byte
    std::size_t longest_ = 0;
};

// The lower-case form of a Windows-1252 byte (letters of the code page only).
unsigned char foldCp1252(unsigned char byte);
