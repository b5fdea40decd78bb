#include "json_text.h"

#include "cp1252.h"

void appendJsonText(std::string& out, std::string_view bytes1252) {
    static constexpr char Hex[] = "0123456789abcdef";
    out += '"';
    // Printable ASCII without quote or backslash, as most names are, goes as it is.
    bool plain = true;
    for (const char c : bytes1252)
        plain = plain && c >= 0x20 && c < 0x7F && c != '"' && c != '\\';
    if (plain) {
        out.append(bytes1252);
        out += '"';
        return;
    }
    for (const char c : bytes1252) {
        const auto u = static_cast<unsigned char>(c);
        // Bytes from 0x80 on become characters whose UTF-8 bytes need no escape.
        if (u >= 0x80) {
            appendUtf8(out, cp1252ToUnicode(u));
            continue;
        }
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (u < 0x20) {
                out += "\\u00";
                out += Hex[u >> 4];
                out += Hex[u & 0xF];
            } else {
                out += c;
            }
        }
    }
    out += '"';
}

std::string jsonText(std::string_view bytes1252) {
    std::string out;
    appendJsonText(out, bytes1252);
    return out;
}
