#include <gtest/gtest.h>

#include "cp1252.h"

namespace {
TEST(Cp1252, EveryByteRoundTripsThroughUtf8) {
    std::string all;
    for (int c = 0; c < 256; ++c)
        all += static_cast<char>(c);
    const std::string utf8 = cp1252ToUtf8(all);
    EXPECT_EQ(utf8ToCp1252(utf8), all);
    EXPECT_EQ(cp1252ToUtf8("\x80\x9F\xE4"), "\xE2\x82\xAC\xC5\xB8\xC3\xA4");
}

TEST(Cp1252, CharactersOutsideTheCodePageAreRefused) {
    char32_t bad = 0;
    EXPECT_FALSE(utf8ToCp1252("abc \xE2\x98\x83", &bad)); // a snowman
    EXPECT_EQ(bad, U'\u2603');
    EXPECT_FALSE(utf8ToCp1252("\xC3"));              // cut sequence
    EXPECT_EQ(utf8ToCp1252("\xE2\x80\x94"), "\x97"); // em dash
}

} // namespace
