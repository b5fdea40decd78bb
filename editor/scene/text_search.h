#pragma once
#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string_view>

// Letter case is ignored by contains-tests. ASCII letters differ from their
// capitals only in bit 0x20.
inline char asciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

// `needle` must be lower-case ASCII and start with a letter or a non-letter
// that has no capital (such as ".").
inline bool containsNoCase(std::string_view hay, std::string_view needle) {
    if (needle.empty())
        return true;
    if (hay.size() < needle.size())
        return false;
    const char first = needle[0];
    const char upper = (first >= 'a' && first <= 'z') ? static_cast<char>(first - 32) : first;
    const char* p = hay.data();
    const char* last = hay.data() + (hay.size() - needle.size());
    // Candidates come from memchr on both spellings of the first character.
    const char* nextLower = nullptr;
    const char* nextUpper = nullptr;
    auto seek = [&](const char* from, char c) -> const char* {
        const void* hit = std::memchr(from, c, static_cast<std::size_t>(last - from) + 1);
        return hit ? static_cast<const char*>(hit) : last + 1;
    };
    nextLower = seek(p, first);
    nextUpper = upper == first ? last + 1 : seek(p, upper);
    while (true) {
        const char* c = nextLower < nextUpper ? nextLower : nextUpper;
        if (c > last)
            return false;
        std::size_t k = 1;
        while (k < needle.size() && asciiLower(c[k]) == needle[k])
            ++k;
        if (k == needle.size())
            return true;
        if (c == nextLower)
            nextLower = c + 1 > last ? last + 1 : seek(c + 1, first);
        else
            nextUpper = c + 1 > last ? last + 1 : seek(c + 1, upper);
    }
}

// 1 when `hay` contains `a`, else 2 when it contains `b`, else 0; letter case
// is ignored. Both words are lower-case ASCII and start with a letter. One
// pass over `hay` for both words.
int containsWhichNoCase(std::string_view hay, std::string_view a, std::string_view b);
