#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// A script's bytes as the text box shows them, and back. CR LF is a line
// break ("\n"); a lone CR or LF, the other control bytes except tab, and DEL
// show as their Unicode control pictures; every other byte is its
// Windows-1252 character. Bytes -> text -> bytes gives back the same bytes.

// Script bytes to UTF-8 text for the box.
std::string scriptToView(std::string_view bytes);

// The box's UTF-8 text to script bytes; empty when a character has no byte,
// with that character in `badChar`.
std::optional<std::string> viewToScript(std::string_view utf8, char32_t* badChar = nullptr);

// The number of bytes the box's text stands for: a line break counts two,
// every other character one.
std::size_t viewByteLength(std::string_view utf8);
