#include "text_search.h"

#include <algorithm>

int containsWhichNoCase(std::string_view hay, std::string_view a, std::string_view b) {
    const std::size_t shortest = std::min(a.size(), b.size());
    if (shortest == 0 || hay.size() < shortest)
        return containsNoCase(hay, a) ? 1 : containsNoCase(hay, b) ? 2 : 0;
    const char* p = hay.data();
    const std::size_t last = hay.size() - shortest; // the last start either word may have
    bool foundB = false;
    // Looks at a start whose first byte is either word's first letter.
    auto at = [&](std::size_t i) {
        const std::size_t room = hay.size() - i;
        if (a.size() <= room && wordAtNoCase(p + i, a))
            return true;
        if (!foundB && b.size() <= room && wordAtNoCase(p + i, b))
            foundB = true;
        return false;
    };
    std::size_t i = 0;
#if defined(__SSE2__)
    // Sixteen starts at a time: a letter and its capital differ only in bit 0x20.
    const __m128i bit = _mm_set1_epi8(0x20);
    const __m128i firstA = _mm_set1_epi8(a[0]);
    const __m128i firstB = _mm_set1_epi8(b[0]);
    for (; i + 16 <= last + 1; i += 16) {
        const __m128i v =
            _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i)), bit);
        unsigned mask = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, firstA), _mm_cmpeq_epi8(v, firstB))));
        while (mask) {
            if (at(i + static_cast<std::size_t>(std::countr_zero(mask))))
                return 1;
            mask &= mask - 1;
        }
    }
#endif
    for (; i <= last; ++i) {
        const char c = static_cast<char>(p[i] | 0x20);
        if ((c == a[0] || c == b[0]) && at(i))
            return 1;
    }
    return foundB ? 2 : 0;
}
