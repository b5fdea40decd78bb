#include <gtest/gtest.h>

#include "listing_text.h"
#include "script_codec.h"

namespace {

// Lines end only at CR LF; a lone CR or LF is a character of its line, as the
// view shows it (a control picture).
TEST(ListingText, LinesEndAtCrLfOnly) {
    const ListingText text(std::string("ab\r\nc\rd\ne\r\r\n\r\nlast"));
    ASSERT_EQ(text.lineCount(), 4u);
    EXPECT_EQ(text.line(0), "ab");
    EXPECT_EQ(text.line(1), "c\rd\ne\r");
    EXPECT_EQ(text.line(2), "");
    EXPECT_EQ(text.line(3), "last");
    EXPECT_EQ(text.longestLine(), 6u);
    // The character count is that of the text the editor codec shows.
    const std::string shown = scriptBytesToEditorText(text.bytes());
    std::size_t characters = 0;
    for (const char c : shown)
        characters += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
    EXPECT_EQ(text.characterCount(), characters);
}

TEST(ListingText, CharacterAndBytePositionsMapBothWays) {
    const ListingText text(std::string("ab\r\ncde\r\n\r\nf"));
    // Shown: "ab\ncde\n\nf": characters 0..9.
    const std::size_t bytes[] = {0, 1, 2, 4, 5, 6, 7, 9, 11, 12};
    for (std::size_t position = 0; position < 10; ++position) {
        EXPECT_EQ(text.byteOfCharacter(position), bytes[position]) << position;
        EXPECT_EQ(text.characterOfByte(bytes[position]), position) << position;
    }
    EXPECT_EQ(text.lineOfCharacter(2), 0u);
    EXPECT_EQ(text.lineOfCharacter(3), 1u);
    EXPECT_EQ(text.lineOfCharacter(7), 2u);
    EXPECT_EQ(text.lineOfCharacter(8), 3u);
    EXPECT_EQ(text.lineOfCharacter(100), 3u);
}

TEST(ListingText, FindIgnoresLetterCaseOfTheCodePage) {
    // "Édith" with a capital E acute (C9) and "ŠKODA" with S caron (8A).
    const ListingText text(std::string("x\r\n\xC9"
                                       "dith \x8AKODA\r\nend"));
    EXPECT_EQ(text.find("\xE9"
                        "DITH",
                        0),
              std::optional<std::size_t>(2));
    EXPECT_EQ(text.find("\x9Akoda", 0), std::optional<std::size_t>(8));
    EXPECT_EQ(text.find("END", 0), std::optional<std::size_t>(14));
    EXPECT_EQ(text.find("dith", 4), std::nullopt);
    EXPECT_EQ(text.find("x", 1), std::nullopt);
    EXPECT_EQ(text.find("x", 100), std::nullopt);
    EXPECT_EQ(text.find("", 4), std::optional<std::size_t>(4));
    // The multiplication sign has no lower case: it is no capital of the division sign.
    EXPECT_EQ(ListingText(std::string("\xF7")).find("\xD7", 0), std::nullopt);
}

TEST(ListingText, EmptyListingHasOneEmptyLine) {
    const ListingText text;
    EXPECT_EQ(text.lineCount(), 1u);
    EXPECT_EQ(text.characterCount(), 0u);
    EXPECT_EQ(text.byteOfCharacter(5), 0u);
    EXPECT_EQ(text.find("a", 0), std::nullopt);
}

} // namespace
