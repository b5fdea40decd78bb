#include "script_files.h"

#include <charconv>
#include <unordered_map>
#include <unordered_set>

#include "cp1252.h"
#include "text_search.h"

std::optional<std::size_t> resolveEntry(const SceneIndex& index, std::string_view ref) {
    std::size_t n = 0;
    const auto [end, ec] = std::from_chars(ref.data(), ref.data() + ref.size(), n);
    if (ec == std::errc() && end == ref.data() + ref.size() && n < index.entries.size())
        return n;
    for (std::size_t i = 0; i < index.entries.size(); ++i) {
        if (index.entries.name(i) == ref)
            return i;
    }
    return std::nullopt;
}

namespace {
constexpr std::size_t kMaxName = 255;
constexpr std::string_view kExtension = ".txt";

bool isReserved(unsigned char c) {
    return c < 32 || c == 127 ||
           std::string_view("/\\:*?\"<>|").find(static_cast<char>(c)) != std::string_view::npos;
}

// The Windows-1252 letter as case folding gives it: lower case, and the
// sharp s as "ss" (full folding), so names that a case-insensitive disk
// would take for one are found equal.
void appendFolded(std::string& out, unsigned char c) {
    if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7))
        c = static_cast<unsigned char>(c + 0x20);
    else if (c == 0x8A || c == 0x8C || c == 0x8E)
        c = static_cast<unsigned char>(c + 0x10);
    else if (c == 0x9F)
        c = 0xFF;
    if (c == 0xDF) {
        out += "ss";
        return;
    }
    out += static_cast<char>(c);
}

std::string folded(std::string_view cp1252) {
    std::string out;
    for (unsigned char c : cp1252)
        appendFolded(out, c);
    return out;
}

// CON, PRN, AUX, NUL, CONIN$, CONOUT$, COM1-9 and LPT1-9 name devices on
// Windows, and so do COM and LPT with a superscript 1, 2 or 3 (Windows-1252
// B9, B2, B3), whatever follows a dot and whatever blanks end the first part.
bool isDeviceName(std::string_view stem) {
    std::string first(stem.substr(0, stem.find('.')));
    while (!first.empty() && first.back() == ' ')
        first.pop_back();
    const std::string f = folded(first);
    if (f == "con" || f == "prn" || f == "aux" || f == "nul" || f == "conin$" || f == "conout$")
        return true;
    if (f.size() != 4 || (f.compare(0, 3, "com") != 0 && f.compare(0, 3, "lpt") != 0))
        return false;
    const auto digit = static_cast<unsigned char>(f[3]);
    return (digit >= '1' && digit <= '9') || digit == 0xB9 || digit == 0xB2 || digit == 0xB3;
}

void trimEnd(std::string& s) {
    while (!s.empty() && (s.back() == ' ' || s.back() == '.'))
        s.pop_back();
}

// The entry's name made safe, still in Windows-1252.
std::string safeStem(std::string_view name) {
    std::string out;
    for (unsigned char c : name)
        out += isReserved(c) ? '_' : static_cast<char>(c);
    trimEnd(out);
    if (out.empty() || out.find_first_not_of('.') == std::string::npos)
        out = "script";
    if (isDeviceName(out))
        out = '_' + out;
    return out;
}

// The file name of `stem` with `suffix`, cut so that its UTF-8 form fits the
// 255 bytes a file name may have; the cut stem is returned in `kept`.
std::string fitted(std::string stem, const std::string& suffix, std::string& kept) {
    for (;;) {
        const std::string name = cp1252ToUtf8(stem) + suffix + std::string(kExtension);
        if (name.size() <= kMaxName || stem.size() <= 1) {
            kept = stem;
            return name;
        }
        stem.pop_back();
        trimEnd(stem);
        if (stem.empty())
            stem.assign(1, 's');
    }
}
} // namespace

std::vector<std::string> scriptFileNames(const SceneIndex& index) {
    std::vector<std::string> names(index.entries.size());
    std::unordered_set<std::string> taken; // folded Windows-1252 names
    // For each stem, the suffix number its last name took: the names of every
    // number up to it are taken (names are never given back), so the search
    // for the next name of that stem starts after it.
    std::unordered_map<std::string, int> lastOfStem;
    for (std::size_t i = 0; i < index.entries.size(); ++i) {
        if (!index.entries.ticked(i) || !index.entries.scriptPos(i))
            continue;
        const std::string stem = safeStem(index.entries.name(i));
        int& last = lastOfStem[stem];
        for (int k = last + 1;; ++k) {
            std::string suffix;
            if (k != 1)
                suffix.append(1, '~').append(std::to_string(k));
            std::string kept;
            std::string name = fitted(stem, suffix, kept);
            if (taken.insert(folded(kept) + suffix).second) {
                names[i] = std::move(name);
                last = k;
                break;
            }
        }
    }
    return names;
}
