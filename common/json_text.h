#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Windows-1252 text (a name, a tree line) as a JSON string, quotes included:
// UTF-8, with the quote and the backslash escaped, LF, CR and tab as \n, \r
// and \t, every other C0 control byte as \u00XX. quill and Trellis print their
// JSON with it, so the same name reads the same in both.
std::string jsonText(std::string_view bytes1252);
// The same, appended to `out`.
void appendJsonText(std::string& out, std::string_view bytes1252);

// The most bytes the JSON string of `n` bytes of text takes: a byte becomes
// at most six characters, and the quotes.
constexpr std::size_t jsonTextRoom(std::size_t n) {
    return 6 * n + 2;
}
// The same, written at `out`, which has room for jsonTextRoom(size) bytes;
// returns the end of what it wrote.
char* writeJsonText(char* out, std::string_view bytes1252);

// The decimal digits of `v` at `out`, which has room for ten; returns their
// end. What std::to_chars writes, without its generality: positions and
// counts are most of an index's numbers.
char* writeJsonUnsigned(char* out, std::uint32_t v);
