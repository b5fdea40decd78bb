#include "cp1252.h"
#include "index_json.h"

namespace {
// A name as one line field: control bytes (C0, DEL and the C1 controls the
// code page leaves undefined) and the backslash as C escapes, so a name can
// never fake a line, a column or an escape of its own.
void appendEscaped(std::string& out, const std::string& name) {
    static const char* const hex = "0123456789abcdef";
    std::string plain;
    auto flush = [&] {
        out += cp1252ToUtf8(plain);
        plain.clear();
    };
    for (unsigned char c : name) {
        const bool undefined = c == 0x81 || c == 0x8D || c == 0x8F || c == 0x90 || c == 0x9D;
        if (c >= 32 && c != 127 && c != '\\' && !undefined) {
            plain += static_cast<char>(c);
            continue;
        }
        flush();
        switch (c) {
        case '\n':
            out += "\\n";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\\':
            out += "\\\\";
            break;
        default:
            out += "\\x";
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    flush();
}
} // namespace

std::string indexToText(const SceneIndex& index) {
    std::string out;
    out.reserve(index.entries.size() * 40);
    for (std::size_t i = 0; i < index.entries.size(); ++i) {
        const IndexRecord& r = index.entries[i];
        out += std::to_string(i);
        out += r.ticked ? "\t[x]\t" : "\t[ ]\t";
        out += std::to_string(r.kind);
        out += '\t';
        appendEscaped(out, r.name);
        out += '\n';
    }
    return out;
}
