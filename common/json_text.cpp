#include "json_text.h"

#include <cstring>

#include "cp1252.h"

char* writeJsonText(char* out, std::string_view bytes1252) {
    static constexpr char Hex[] = "0123456789abcdef";
    *out++ = '"';
    // Printable ASCII without quote or backslash, as most names are, goes as it is.
    bool plain = true;
    for (const char c : bytes1252)
        plain = plain && c >= 0x20 && c < 0x7F && c != '"' && c != '\\';
    if (plain) {
        if (!bytes1252.empty()) // an empty view may hold no pointer at all
            std::memcpy(out, bytes1252.data(), bytes1252.size());
        out += bytes1252.size();
        *out++ = '"';
        return out;
    }
    for (const char c : bytes1252) {
        const auto u = static_cast<unsigned char>(c);
        // Bytes from 0x80 on become characters whose UTF-8 bytes need no escape.
        if (u >= 0x80) {
            out = writeUtf8(out, cp1252ToUnicode(u));
            continue;
        }
        switch (c) {
        case '"':
        case '\\':
            *out++ = '\\';
            *out++ = c;
            break;
        case '\n':
            *out++ = '\\';
            *out++ = 'n';
            break;
        case '\r':
            *out++ = '\\';
            *out++ = 'r';
            break;
        case '\t':
            *out++ = '\\';
            *out++ = 't';
            break;
        default:
            if (u < 0x20) {
                std::memcpy(out, "\\u00", 4);
                out[4] = Hex[u >> 4];
                out[5] = Hex[u & 0xF];
                out += 6;
            } else {
                *out++ = c;
            }
        }
    }
    *out++ = '"';
    return out;
}

namespace {
constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233"
    "34353637383940414243444546474849505152535455565758596061626364656667"
    "6869707172737475767778798081828384858687888990919293949596979899";
} // namespace

char* writeJsonUnsigned(char* out, std::uint32_t v) {
    int n = 1;
    for (std::uint64_t limit = 10; n < 10 && v >= limit; limit *= 10)
        ++n;
    char* p = out + n;
    while (v >= 100) {
        p -= 2;
        std::memcpy(p, kDigitPairs + 2 * (v % 100), 2);
        v /= 100;
    }
    if (v >= 10) {
        p -= 2;
        std::memcpy(p, kDigitPairs + 2 * v, 2);
    } else {
        *--p = static_cast<char>('0' + v);
    }
    return out + n;
}

void appendJsonText(std::string& out, std::string_view bytes1252) {
    const std::size_t at = out.size();
    out.resize(at + jsonTextRoom(bytes1252.size()));
    out.resize(static_cast<std::size_t>(writeJsonText(out.data() + at, bytes1252) - out.data()));
}

std::string jsonText(std::string_view bytes1252) {
    std::string out;
    appendJsonText(out, bytes1252);
    return out;
}
