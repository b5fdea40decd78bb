#pragma once
#include <string>
#include <string_view>

// Windows-1252 text (a name, a tree line) as a JSON string, quotes included:
// UTF-8, with the quote and the backslash escaped, LF, CR and tab as \n, \r
// and \t, every other C0 control byte as \u00XX. quill and Trellis print their
// JSON with it, so the same name reads the same in both.
std::string jsonText(std::string_view bytes1252);
// The same, appended to `out`.
void appendJsonText(std::string& out, std::string_view bytes1252);
