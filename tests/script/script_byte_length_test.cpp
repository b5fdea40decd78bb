#include <gtest/gtest.h>
#include <random>
#include <string>

#include "script_codec.h"

namespace {

// "act:" counts the box's text with scriptByteLength; "org:" counts the bytes
// read. They agree for every script shown unchanged.
TEST(ScriptByteLength, CountsTheBytesTheShownTextStandsFor) {
    for (int byte = 0; byte < 256; ++byte) {
        const std::string one(1, char(byte));
        EXPECT_EQ(scriptByteLength(scriptBytesToEditorText(one)), 1u) << byte;
    }
    std::mt19937 random(5);
    std::uniform_int_distribution<int> anyByte(0, 255);
    for (int round = 0; round < 200; ++round) {
        std::string bytes;
        for (int i = round % 40; i > 0; --i)
            bytes += i % 7 == 0 ? std::string("\r\n") : std::string(1, char(anyByte(random)));
        const std::string shown = scriptBytesToEditorText(bytes);
        EXPECT_EQ(scriptByteLength(shown), bytes.size());
        const auto back = editorTextToScriptBytes(shown);
        ASSERT_TRUE(back.has_value());
        EXPECT_EQ(scriptByteLength(shown), back->size());
    }
}

TEST(ScriptByteLength, LineBreaksAreTwoBytesAndForeignCharactersOne) {
    EXPECT_EQ(scriptByteLength(""), 0u);
    EXPECT_EQ(scriptByteLength("a\nb"), 4u);
    EXPECT_EQ(scriptByteLength("\xC3\xA9"), 1u);         // é
    EXPECT_EQ(scriptByteLength("\xCE\xA9"), 1u);         // Ω, refused by the save
    EXPECT_EQ(scriptByteLength("\xF0\x9F\x98\x80"), 1u); // an emoji
}

} // namespace
