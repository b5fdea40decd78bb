#pragma once
#include <optional>
#include <string>
#include <string_view>

// Scene text is one byte per character in Windows-1252. The five bytes the code
// page leaves undefined (81, 8D, 8F, 90, 9D) map to the C1 controls of the same
// value, so every byte string decodes and encodes back to itself.

// Bytes to UTF-8.
std::string cp1252ToUtf8(std::string_view bytes);

// UTF-8 to bytes; empty when a character has no Windows-1252 byte (or the
// input is not valid UTF-8). `badChar`, when given, receives the offending
// code point.
std::optional<std::string> utf8ToCp1252(std::string_view utf8, char32_t* badChar = nullptr);

// The Unicode code point of one Windows-1252 byte.
char32_t cp1252ToUnicode(unsigned char byte);
// The Windows-1252 byte of a code point, if any.
std::optional<unsigned char> unicodeToCp1252(char32_t cp);

// Appends the UTF-8 form of a code point.
void appendUtf8(std::string& out, char32_t cp);
// Writes it at `out`, which has room for four bytes; returns the end.
char* writeUtf8(char* out, char32_t cp);
