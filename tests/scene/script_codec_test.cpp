#include <gtest/gtest.h>

#include <random>

#include "script_codec.h"

namespace {
TEST(ScriptCodec, LinesBecomeLineBreaksAndStrayControlsPictures) {
    EXPECT_EQ(scriptBytesToEditorText("a\r\nb\tc"), "a\nb\tc");
    EXPECT_EQ(scriptBytesToEditorText("x\ny\rz"), "x\xE2\x90\x8Ay\xE2\x90\x8Dz");
    EXPECT_EQ(scriptBytesToEditorText(std::string("\x00\x7F\x80", 3)),
              "\xE2\x90\x80\xE2\x90\xA1\xE2\x82\xAC");
    EXPECT_EQ(editorTextToScriptBytes("typed\nline"), "typed\r\nline");
}

TEST(ScriptCodec, EveryByteStringRoundTrips) {
    std::mt19937 rng(1);
    for (int round = 0; round < 2000; ++round) {
        std::string bytes(rng() % 40, '\0');
        for (auto& c : bytes) {
            const char pick[] = {'\r', '\n', '\t', 'a', '\x81', '\x00', '\x7F', '\xE2'};
            c = (rng() % 2) ? pick[rng() % sizeof pick] : static_cast<char>(rng());
        }
        const auto back = editorTextToScriptBytes(scriptBytesToEditorText(bytes));
        ASSERT_TRUE(back.has_value());
        ASSERT_EQ(*back, bytes) << "round " << round;
    }
}

TEST(ScriptCodec, CharactersOutsideTheCodePageAreRefused) {
    char32_t bad = 0;
    EXPECT_FALSE(editorTextToScriptBytes("ok\n\xE2\x98\x83", &bad).has_value());
    EXPECT_EQ(bad, U'\u2603');
}
} // namespace
