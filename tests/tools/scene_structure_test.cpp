#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "chunk_walk.h"
#include "scene_generator.h"

namespace {

constexpr std::uint16_t ObjectsId = 0x4000;
constexpr std::uint16_t DefinitionsId = 0xAE20;
constexpr std::uint16_t InitScriptsId = 0xAE50;

GeneratedScene make(std::uint32_t seed, std::size_t objects) {
    return generateScene(GeneratorOptions{seed, objects, std::nullopt});
}

// Every record of a section tiled by its children, recursing into the
// containers the format defines (light block, parent).
void expectTiled(const Bytes& b, const Chunk& c, int depth = 0) {
    const auto children = childrenOf(b, c);
    ASSERT_TRUE(children) << "chunk " << std::hex << c.id << " at " << std::dec << c.offset;
    for (const Chunk& child : *children) {
        const bool container =
            child.id == 0x4010 || child.id == 0x4040 || child.id == 0x4020 || child.id == 0xAE21;
        if (container && depth < 3)
            expectTiled(b, child, depth + 1);
    }
}

class SceneStructure : public ::testing::TestWithParam<std::pair<std::uint32_t, std::size_t>> {};

} // namespace

TEST(SceneGenerator, SameSeedGivesTheSameBytes) {
    EXPECT_EQ(make(17, 60).bytes, make(17, 60).bytes);
    EXPECT_NE(make(17, 60).bytes, make(18, 60).bytes);
}

TEST_P(SceneStructure, HeaderCoversTheFileAndHoldsTheSectionsInOrder) {
    const auto [seed, count] = GetParam();
    const GeneratedScene s = make(seed, count);
    const Bytes& b = s.bytes;
    const Chunk header = chunkAt(b, 0);
    ASSERT_EQ(header.length, b.size());
    const auto sections = childrenOf(b, header);
    ASSERT_TRUE(sections);
    ASSERT_EQ(sections->size(), 4u);
    EXPECT_EQ((*sections)[1].id, ObjectsId);
    EXPECT_EQ((*sections)[1].offset, s.objectsOffset);
    EXPECT_EQ((*sections)[2].id, DefinitionsId);
    EXPECT_EQ((*sections)[2].offset, s.definitionsOffset);
    EXPECT_EQ((*sections)[2].offset, (*sections)[1].end());
    EXPECT_EQ((*sections)[3].id, InitScriptsId);
    EXPECT_EQ((*sections)[3].offset, s.initScriptsOffset);
    EXPECT_EQ((*sections)[0].id, 0x3010) << "the scene-info chunk, a leaf";
    for (std::size_t i = 1; i < sections->size(); ++i)
        expectTiled(b, (*sections)[i]);
}

TEST_P(SceneStructure, ObjectsSectionIsTheFirstZeroFortyPairFromOffsetFour) {
    const auto [seed, count] = GetParam();
    const GeneratedScene s = make(seed, count);
    std::size_t at = 4;
    while (at + 1 < s.bytes.size() && !bytesAt(s.bytes, at, {0x00, 0x40}))
        ++at;
    EXPECT_EQ(at, s.objectsOffset);
}

TEST_P(SceneStructure, SectionsHoldOnlyTheirRecordKind) {
    const auto [seed, count] = GetParam();
    const GeneratedScene s = make(seed, count);
    const auto expectAll = [&](std::size_t offset, std::uint16_t recordId, std::size_t want) {
        const auto records = childrenOf(s.bytes, chunkAt(s.bytes, offset));
        ASSERT_TRUE(records);
        EXPECT_EQ(records->size(), want);
        for (const Chunk& r : *records)
            EXPECT_EQ(r.id, recordId) << "at " << r.offset;
    };
    const auto defs = std::count_if(s.objects.begin(), s.objects.end(),
                                    [](const GeneratedObject& o) { return o.hasDefinition; });
    expectAll(s.objectsOffset, 0x4010, s.objects.size());
    expectAll(s.definitionsOffset, 0xAE21, static_cast<std::size_t>(defs));
    expectAll(s.initScriptsOffset, 0xAE51, s.initScripts.size());
}

TEST_P(SceneStructure, DefinitionRecordsAreNameTypeDataInThatOrder) {
    const auto [seed, count] = GetParam();
    const GeneratedScene s = make(seed, count);
    std::map<std::size_t, const GeneratedObject*> byOffset;
    for (const auto& o : s.objects) {
        if (o.hasDefinition)
            byOffset[o.definitionOffset] = &o;
    }
    const auto records = childrenOf(s.bytes, chunkAt(s.bytes, s.definitionsOffset));
    ASSERT_TRUE(records);
    ASSERT_EQ(records->size(), byOffset.size());
    for (const Chunk& r : *records) {
        ASSERT_TRUE(byOffset.count(r.offset)) << "record at " << r.offset;
        const GeneratedObject& o = *byOffset[r.offset];
        const auto kids = childrenOf(s.bytes, r);
        ASSERT_TRUE(kids);
        ASSERT_EQ(kids->size(), 3u);
        EXPECT_EQ((*kids)[0].id, 0xAE23);
        EXPECT_EQ(stringOf(s.bytes, (*kids)[0]), o.definitionName);
        EXPECT_EQ((*kids)[1].id, 0xAE22);
        EXPECT_EQ(s.bytes[(*kids)[1].payload()], o.definitionType);
        EXPECT_EQ((*kids)[2].id, 0xAE24);
        EXPECT_EQ((*kids)[2].offset, o.dataChunkOffset);
        EXPECT_EQ((*kids)[2].length, o.dataChunkLength);
        const bool exact = o.definitionName == o.name;
        const bool suffixed = o.definitionName.starts_with(o.name + ".") &&
                              o.definitionName.size() > o.name.size() + 1;
        EXPECT_TRUE(exact || suffixed) << o.definitionName << " for " << o.name;
    }
}

TEST_P(SceneStructure, NoZeroAeByteOutsideChunkIdsAfterTheObjects) {
    const auto [seed, count] = GetParam();
    const GeneratedScene s = make(seed, count);
    std::vector<std::size_t> idHighBytes;
    const auto addChunks = [&](const std::vector<Chunk>& chunks) {
        for (const Chunk& c : chunks)
            idHighBytes.push_back(c.offset + 1);
    };
    for (std::size_t offset : {s.definitionsOffset, s.initScriptsOffset}) {
        const Chunk section = chunkAt(s.bytes, offset);
        addChunks({section});
        const auto records = childrenOf(s.bytes, section);
        ASSERT_TRUE(records);
        addChunks(*records);
        for (const Chunk& r : *records) {
            if (r.id == 0xAE21)
                addChunks(*childrenOf(s.bytes, r));
        }
    }
    std::sort(idHighBytes.begin(), idHighBytes.end());
    std::vector<std::size_t> found;
    for (std::size_t i = s.definitionsOffset; i < s.bytes.size(); ++i) {
        if (s.bytes[i] == 0xAE)
            found.push_back(i);
    }
    EXPECT_EQ(found, idHighBytes);
}

INSTANTIATE_TEST_SUITE_P(Seeds, SceneStructure,
                         ::testing::Values(std::pair<std::uint32_t, std::size_t>{1, 0},
                                           std::pair<std::uint32_t, std::size_t>{2, 1},
                                           std::pair<std::uint32_t, std::size_t>{3, 7},
                                           std::pair<std::uint32_t, std::size_t>{4, 40},
                                           std::pair<std::uint32_t, std::size_t>{5, 250},
                                           std::pair<std::uint32_t, std::size_t>{1930, 40}));
