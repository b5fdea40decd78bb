#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// Script bytes as they are shown in the script editor box, and back. The box
// holds lines, so CR LF becomes a line break. Every other byte that a text box
// cannot show or keep (a lone CR or LF, the other control bytes except tab,
// and DEL) is shown as its Unicode control picture (U+2400 + byte, U+2421 for
// DEL), so that saving an unchanged script writes back exactly the bytes that
// were read. Text is Windows-1252; the result is UTF-8.
std::string scriptBytesToEditorText(std::string_view bytes);

// The inverse. A line break becomes CR LF. Empty when a character has no
// Windows-1252 byte; `badChar` then receives it.
std::optional<std::string> editorTextToScriptBytes(std::string_view utf8,
                                                   char32_t* badChar = nullptr);

// The number of bytes the editor text stands for: what editorTextToScriptBytes
// gives when every character has a Windows-1252 byte. A character without one
// counts as the single byte it takes once it is replaced.
std::size_t scriptByteLength(std::string_view utf8);
