#pragma once
#include <cstddef>
#include <string_view>

// Letter case is ignored by contains-tests; `needle` must be lower-case ASCII.
inline char asciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

inline bool containsNoCase(std::string_view hay, std::string_view needle) {
    if (needle.empty())
        return true;
    if (hay.size() < needle.size())
        return false;
    const std::size_t last = hay.size() - needle.size();
    for (std::size_t i = 0; i <= last; ++i) {
        if (asciiLower(hay[i]) != needle[0])
            continue;
        std::size_t k = 1;
        while (k < needle.size() && asciiLower(hay[i + k]) == needle[k])
            ++k;
        if (k == needle.size())
            return true;
    }
    return false;
}
