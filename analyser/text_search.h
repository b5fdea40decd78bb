#pragma once
#include <cstddef>
#include <string>
#include <string_view>

// Searches in script texts. The script language's words are found without
// regard to letter case (ASCII letters); names compare exactly.
namespace textsearch {

inline constexpr std::size_t npos = std::string_view::npos;

inline char fold(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// The first position at or after `from` where `needle` occurs, ignoring case.
inline std::size_t findNoCase(std::string_view text, std::string_view needle,
                              std::size_t from = 0) {
    if (needle.empty())
        return from <= text.size() ? from : npos;
    if (needle.size() > text.size())
        return npos;
    const char first = fold(needle[0]);
    const char firstUpper =
        (first >= 'a' && first <= 'z') ? static_cast<char>(first - 'a' + 'A') : first;
    for (std::size_t i = from; i + needle.size() <= text.size(); ++i) {
        if (text[i] != first && text[i] != firstUpper)
            continue;
        std::size_t k = 1;
        while (k < needle.size() && fold(text[i + k]) == fold(needle[k]))
            ++k;
        if (k == needle.size())
            return i;
    }
    return npos;
}

inline bool containsNoCase(std::string_view text, std::string_view needle) {
    return findNoCase(text, needle) != npos;
}

} // namespace textsearch
