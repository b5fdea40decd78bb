#include "script_codec.h"

#include "cp1252.h"

namespace {
constexpr char32_t kPictures = 0x2400; // control pictures for 00..1F
constexpr char32_t kDelPicture = 0x2421;

bool needsPicture(unsigned char b) {
    return (b < 0x20 && b != '\t') || b == 0x7F;
}
} // namespace

std::string scriptBytesToEditorText(std::string_view bytes) {
    std::string plain;
    plain.reserve(bytes.size());
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 16);
    auto flush = [&] {
        out += cp1252ToUtf8(plain);
        plain.clear();
    };
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') {
            plain += '\n';
            ++i;
        } else if (needsPicture(b)) {
            flush();
            const char32_t cp = b == 0x7F ? kDelPicture : kPictures + b;
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            plain += static_cast<char>(b);
        }
    }
    flush();
    return out;
}

std::optional<std::string> editorTextToScriptBytes(std::string_view utf8, char32_t* badChar) {
    std::string out;
    out.reserve(utf8.size() + utf8.size() / 16);
    std::size_t start = 0;
    // Runs of ordinary text go through the code page; pictures and line breaks are mapped here.
    auto plainRun = [&](std::size_t end) -> bool {
        auto bytes = utf8ToCp1252(utf8.substr(start, end - start), badChar);
        if (!bytes)
            return false;
        out += *bytes;
        return true;
    };
    for (std::size_t i = 0; i < utf8.size();) {
        const auto b0 = static_cast<unsigned char>(utf8[i]);
        if (b0 == '\n') {
            if (!plainRun(i))
                return std::nullopt;
            out += "\r\n";
            start = ++i;
            continue;
        }
        if (b0 == 0xE2 && i + 2 < utf8.size()) {
            const char32_t cp = ((b0 & 0x0F) << 12) |
                                ((static_cast<unsigned char>(utf8[i + 1]) & 0x3F) << 6) |
                                (static_cast<unsigned char>(utf8[i + 2]) & 0x3F);
            if ((cp >= kPictures && cp < kPictures + 0x20) || cp == kDelPicture) {
                if (!plainRun(i))
                    return std::nullopt;
                out += static_cast<char>(cp == kDelPicture ? 0x7F : cp - kPictures);
                start = i += 3;
                continue;
            }
        }
        ++i;
    }
    if (!plainRun(utf8.size()))
        return std::nullopt;
    return out;
}

std::size_t scriptByteLength(std::string_view utf8) {
    // One byte per character, two for a line break (CR LF).
    std::size_t bytes = 0;
    for (const char c : utf8) {
        const auto b = static_cast<unsigned char>(c);
        if ((b & 0xC0) != 0x80)
            ++bytes;
        if (b == '\n')
            ++bytes;
    }
    return bytes;
}
