#include "json_text.h"

#include "cp1252.h"

std::string jsonText(std::string_view bytes1252) {
    static constexpr char Hex[] = "0123456789abcdef";
    std::string out = "\"";
    for (const char c : cp1252ToUtf8(bytes1252)) {
        const auto u = static_cast<unsigned char>(c);
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
    return out + "\"";
}
