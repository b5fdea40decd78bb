#pragma once
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// Letter case is ignored by contains-tests. ASCII letters differ from their
// capitals only in bit 0x20.
inline char asciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

// Whether `word` (lower-case ASCII) stands at `p`, letter case ignored.
inline bool wordAtNoCase(const char* p, std::string_view word) {
    for (std::size_t k = 0; k < word.size(); ++k) {
        if (asciiLower(p[k]) != word[k])
            return false;
    }
    return true;
}

// Whether `hay` ends with `word` (lower-case ASCII), letter case ignored.
inline bool endsWithNoCase(std::string_view hay, std::string_view word) {
    return hay.size() >= word.size() && wordAtNoCase(hay.data() + (hay.size() - word.size()), word);
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
        if (wordAtNoCase(c + 1, needle.substr(1)))
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

// The first byte `value` in [from, stop) of `data`, or stop. The sixteen
// bytes at `from` are looked at together first, as the byte is usually
// among them; memchr looks further.
inline std::size_t findByte(const std::uint8_t* data, std::size_t from, std::size_t stop,
                            std::uint8_t value) {
#if defined(__SSE2__)
    if (from + 16 <= stop) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + from));
        const auto mask = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_cmpeq_epi8(v, _mm_set1_epi8(static_cast<char>(value)))));
        if (mask)
            return from + static_cast<std::size_t>(std::countr_zero(mask));
        from += 16;
    }
#endif
    if (from >= stop)
        return stop;
    const void* hit = std::memchr(data + from, value, stop - from);
    return hit ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(hit) - data) : stop;
}
