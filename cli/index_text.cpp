#include <sstream>
#include <string_view>

#include "cp1252.h"
#include "index_json.h"

namespace {
// A name as one line field: control bytes (C0, DEL and the C1 controls the
// code page leaves undefined) and the backslash as C escapes, so a name can
// never fake a line, a column or an escape of its own.
void appendEscaped(std::string& out, std::string_view name) {
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

// Written in pieces of about 64 KiB: the listing of a large scene is never
// held whole.
void writeIndexText(const SceneIndex& index, std::ostream& out) {
    constexpr std::size_t kFlushAt = 1 << 16;
    const EntryTable& entries = index.entries;
    std::string s;
    s.reserve(kFlushAt + 4096);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        s += std::to_string(i);
        s += entries.ticked(i) ? "\t[x]\t" : "\t[ ]\t";
        s += std::to_string(entries.kind(i));
        s += '\t';
        appendEscaped(s, entries.name(i));
        s += '\n';
        if (s.size() >= kFlushAt) {
            out.write(s.data(), static_cast<std::streamsize>(s.size()));
            s.clear();
        }
    }
    out.write(s.data(), static_cast<std::streamsize>(s.size()));
}

std::string indexToText(const SceneIndex& index) {
    std::ostringstream out;
    writeIndexText(index, out);
    return std::move(out).str();
}
