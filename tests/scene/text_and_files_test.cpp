#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <utility>

#include "cp1252.h"
#include "text_search.h"

namespace {
// 1 for "glass" anywhere, else 2 for "brass", else 0, in any letter case, at
// every place a word can stand: before, across and after each 16-byte step.
TEST(TextSearch, GlassBeforeBrassInAnyCaseAnywhere) {
    struct Case {
        std::string hay;
        int expected;
    };
    const std::string x14(14, 'x');
    const Case cases[] = {
        {"", 0},
        {"glas", 0},
        {"glass", 1},
        {"GLASS", 1},
        {"brass", 2},
        {"BrAsS", 2},
        {"brass and glass", 1},
        {"Glass, brass", 1},
        {"bras s gla ss", 0},
        {"gbgbgbgbgbgbgbgbgbgbgbgbgbgbgbgbgbgbgbglasgbras", 0},
        {x14 + "glass" + x14, 1},
        {x14 + x14 + "xxbrasS", 2},
        {x14 + x14 + "xxxglass", 1},
        {std::string(48, 'b') + "rass", 2},
        {std::string(17, 'x') + "glass", 1},
        {std::string(17, 'x') + "Brass", 2},
        {std::string(31, '\0') + "GLASs" + std::string(3, '\0'), 1},
        {"\xC7lass \x87lass \xE2rass", 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(containsWhichNoCase(c.hay, "glass", "brass"), c.expected) << c.hay;
}

// Only the last four bytes count, in either case; a name no longer than the
// word is the word or not.
TEST(TextSearch, EndsWithI3dInAnyCase) {
    const std::pair<std::string_view, bool> cases[] = {
        {"", false},
        {".i3", false},
        {".i3d", true},
        {".I3D", true},
        {"car.I3d", true},
        {"car.i3d ", false},
        {"car.i3dx", false},
        {"car.4ds", false},
        {"cari3d", false},
        {"car.j3d", false},
        {"car.\3113d", false}, // 0xC9 in place of I
        {std::string_view("a\0.i3d", 6), true},
    };
    for (const auto& [hay, expected] : cases)
        EXPECT_EQ(endsWithNoCase(hay, ".i3d"), expected) << hay;
}

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
