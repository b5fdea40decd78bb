#include <gtest/gtest.h>

#include <stdexcept>

#include "scene_writer.h"

using Bytes = std::vector<std::uint8_t>;

TEST(SceneWriter, NestedChunksGetTheirWholeLengthIncludingHeaders) {
    SceneWriter w;
    EXPECT_EQ(w.beginChunk(0x4010), 0u);
    w.u8(0x7A);
    EXPECT_EQ(w.beginChunk(0x0010), 7u);
    w.string("ab");
    EXPECT_EQ(w.endChunk(), 9u);
    EXPECT_EQ(w.openChunks(), 1u);
    EXPECT_EQ(w.endChunk(), 16u);
    const Bytes want = {0x10, 0x40, 0x10, 0x00, 0x00, 0x00, 0x7A, 0x10,
                        0x00, 0x09, 0x00, 0x00, 0x00, 0x61, 0x62, 0x00};
    EXPECT_EQ(w.bytes(), want);
}

TEST(SceneWriter, WritesNumbersLittleEndian) {
    SceneWriter w;
    w.u16(0x1234);
    w.u32(0xA1B2C3D4);
    w.f32(1.0f);
    w.f32(-2.5f);
    const Bytes want = {0x34, 0x12, 0xD4, 0xC3, 0xB2, 0xA1, 0x00,
                        0x00, 0x80, 0x3F, 0x00, 0x00, 0x20, 0xC0};
    EXPECT_EQ(w.bytes(), want);
}

TEST(SceneWriter, RawBytesTextAndFill) {
    SceneWriter w;
    const std::uint8_t raw[] = {0x01, 0xAE};
    w.raw(raw);
    w.raw(std::string_view("Go"));
    w.fill(3, 0xCD);
    w.raw(std::span<const std::uint8_t>());
    const Bytes want = {0x01, 0xAE, 'G', 'o', 0xCD, 0xCD, 0xCD};
    EXPECT_EQ(w.bytes(), want);
    EXPECT_EQ(w.position(), want.size());
}

TEST(SceneWriter, LeafChunkHelpers) {
    SceneWriter w;
    w.chunkU32(0x4011, 2);
    w.chunkFloats(0x4042, {0.5f});
    w.chunkString(0xAE23, "x");
    const Bytes want = {0x11, 0x40, 0x0A, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00,
                        0x42, 0x40, 0x0A, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x3F,
                        0x23, 0xAE, 0x08, 0x00, 0x00, 0x00, 'x',  0x00};
    EXPECT_EQ(w.bytes(), want);
    EXPECT_EQ(w.openChunks(), 0u);
}

TEST(SceneWriter, EndWithoutOpenChunkThrows) {
    SceneWriter w;
    EXPECT_THROW(w.endChunk(), std::logic_error);
    w.beginChunk(1);
    w.endChunk();
    EXPECT_THROW(w.endChunk(), std::logic_error);
}

TEST(SceneWriter, PatchU32OverwritesInPlaceAndRefusesThePastEnd) {
    SceneWriter w;
    w.beginChunk(0x4000);
    w.u32(7);
    w.endChunk();
    w.patchU32(2, 0x01020304); // a lying length, as tests of malformed files want
    const Bytes want = {0x00, 0x40, 0x04, 0x03, 0x02, 0x01, 0x07, 0x00, 0x00, 0x00};
    EXPECT_EQ(w.bytes(), want);
    EXPECT_THROW(w.patchU32(7, 0), std::out_of_range);
    EXPECT_THROW(w.patchU32(100, 0), std::out_of_range);
}

TEST(SceneWriter, TakeHandsOverTheBytes) {
    SceneWriter w;
    w.u8(9);
    const Bytes taken = w.take();
    EXPECT_EQ(taken, Bytes{9});
}
