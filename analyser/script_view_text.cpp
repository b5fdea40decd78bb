#include "script_view_text.h"

#include "cp1252.h"

namespace {

constexpr char32_t PictureBase = 0x2400; // U+2400 .. U+241F stand for bytes 00 .. 1F
constexpr char32_t DeletePicture = 0x2421;

// The next code point of `utf8` at `i`, moving `i` past it; nothing when the
// text is not valid UTF-8 there.
std::optional<char32_t> nextCodePoint(std::string_view utf8, std::size_t& i) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    std::size_t extra = 0;
    char32_t cp = 0;
    if (lead < 0x80) {
        ++i;
        return lead;
    } else if ((lead & 0xE0) == 0xC0) {
        extra = 1;
        cp = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2;
        cp = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3;
        cp = lead & 0x07;
    } else {
        return std::nullopt;
    }
    if (i + extra >= utf8.size())
        return std::nullopt;
    for (std::size_t k = 1; k <= extra; ++k) {
        const auto next = static_cast<unsigned char>(utf8[i + k]);
        if ((next & 0xC0) != 0x80)
            return std::nullopt;
        cp = (cp << 6) | (next & 0x3F);
    }
    i += extra + 1;
    return cp;
}

} // namespace

std::string scriptToView(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 8);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') {
            out += '\n';
            ++i;
        } else if (b < 0x20 && b != '\t') {
            appendUtf8(out, PictureBase + b);
        } else if (b == 0x7F) {
            appendUtf8(out, DeletePicture);
        } else {
            appendUtf8(out, cp1252ToUnicode(b));
        }
    }
    return out;
}

std::optional<std::string> viewToScript(std::string_view utf8, char32_t* badChar) {
    std::string out;
    out.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) {
        const auto cp = nextCodePoint(utf8, i);
        if (!cp) {
            if (badChar)
                *badChar = 0xFFFD;
            return std::nullopt;
        }
        if (*cp == '\n') {
            out += "\r\n";
        } else if (*cp >= PictureBase && *cp < PictureBase + 0x20) {
            out += static_cast<char>(*cp - PictureBase);
        } else if (*cp == DeletePicture) {
            out += '\x7F';
        } else if (const auto byte = unicodeToCp1252(*cp)) {
            out += static_cast<char>(*byte);
        } else {
            if (badChar)
                *badChar = *cp;
            return std::nullopt;
        }
    }
    return out;
}

std::size_t viewByteLength(std::string_view utf8) {
    std::size_t bytes = 0;
    for (const char c : utf8) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '\n')
            bytes += 2;
        else if ((u & 0xC0) != 0x80)
            ++bytes;
    }
    return bytes;
}
