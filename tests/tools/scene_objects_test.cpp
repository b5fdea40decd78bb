#include <gtest/gtest.h>

#include <set>

#include "chunk_walk.h"
#include "scene_generator.h"

namespace {

GeneratedScene make(std::uint32_t seed, std::size_t objects) {
    return generateScene(GeneratorOptions{seed, objects, std::nullopt});
}

struct Listed {
    std::size_t record;
    std::string name;
    bool nameOnly;
};

// The editor's walk over the objects section: byte by byte from the section
// start + 1 to three bytes past its end, taking 10 40 as a record and 10 00 as
// the current record's name, then going on at the record's end.
std::vector<Listed> editorObjectWalk(const Bytes& b, std::size_t section) {
    std::vector<Listed> listed;
    const std::size_t end = section + readU32(b, section + 2);
    std::size_t record = 0;
    std::size_t recordEnd = 0;
    bool nameOnly = false;
    for (std::size_t p = section + 1; p < end + 3 && p + 1 < b.size();) {
        if (bytesAt(b, p, {0x10, 0x40})) {
            record = p;
            recordEnd = p + readU32(b, p + 2);
            p += 6;
            nameOnly = !bytesAt(b, p, {0x11, 0x40});
        } else if (bytesAt(b, p, {0x10, 0x00})) {
            std::uint32_t n = readU32(b, p + 2);
            if (n >= 51)
                n = 15;
            const std::string name(b.begin() + static_cast<std::ptrdiff_t>(p + 6),
                                   b.begin() + static_cast<std::ptrdiff_t>(p + n - 1));
            const bool translationFollows = bytesAt(b, p + n, {0x20, 0x00, 0x12, 0x00, 0x00, 0x00});
            if (nameOnly || translationFollows)
                listed.push_back({record, name, nameOnly});
            p = recordEnd;
        } else {
            ++p;
        }
    }
    return listed;
}

} // namespace

TEST(GeneratedObjects, TheEditorsByteWalkListsEveryObjectInOrder) {
    for (std::uint32_t seed : {1u, 2u, 3u, 99u}) {
        const GeneratedScene s = make(seed, 300);
        const auto listed = editorObjectWalk(s.bytes, s.objectsOffset);
        ASSERT_EQ(listed.size(), s.objects.size()) << "seed " << seed;
        for (std::size_t i = 0; i < listed.size(); ++i) {
            EXPECT_EQ(listed[i].record, s.objects[i].recordOffset);
            EXPECT_EQ(listed[i].name, s.objects[i].name);
            EXPECT_EQ(listed[i].nameOnly, s.objects[i].nameOnly);
        }
    }
}

TEST(GeneratedObjects, RecordsStartWithTypeNameTranslationRotationSize) {
    const GeneratedScene s = make(21, 120);
    const Bytes& b = s.bytes;
    std::set<std::string> names;
    for (const GeneratedObject& o : s.objects) {
        const Chunk record = chunkAt(b, o.recordOffset);
        ASSERT_EQ(record.id, 0x4010);
        EXPECT_EQ(record.length, o.recordLength);
        const auto kids = *childrenOf(b, record);
        std::size_t k = 0;
        if (!o.nameOnly) {
            ASSERT_EQ(kids[k].id, 0x4011);
            ASSERT_EQ(kids[k].length, 10u);
            EXPECT_EQ(readU32(b, kids[k].payload()), o.objectType);
            ++k;
        }
        ASSERT_EQ(kids[k].id, 0x0010);
        EXPECT_LT(kids[k].length, 51u);
        EXPECT_LT(o.name.size(), 44u);
        EXPECT_EQ(stringOf(b, kids[k]), o.name);
        EXPECT_TRUE(names.insert(o.name).second) << "duplicate " << o.name;
        EXPECT_EQ(o.name.find('.'), std::string::npos);
        const std::size_t t = kids[k + 1].payload();
        EXPECT_EQ(kids[k + 1].offset, kids[k].end());
        EXPECT_TRUE(bytesAt(b, kids[k + 1].offset, {0x20, 0x00, 0x12, 0x00, 0x00, 0x00}));
        EXPECT_EQ(t, o.translationOffset);
        EXPECT_TRUE(bytesAt(b, t + 12, {0x22, 0x00, 0x16, 0x00, 0x00, 0x00}));
        EXPECT_TRUE(bytesAt(b, t + 34, {0x2D, 0x00, 0x12, 0x00, 0x00, 0x00}));
        double norm = 0;
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(readU32(b, t + 4 * i), bitsOf(o.translation[i]));
            EXPECT_EQ(readU32(b, t + 40 + 4 * i), bitsOf(o.size[i]));
        }
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(readU32(b, t + 18 + 4 * i), bitsOf(o.rotation[i]));
            norm += static_cast<double>(o.rotation[i]) * o.rotation[i];
        }
        EXPECT_NEAR(norm, 1.0, 1e-5) << o.name;
        if (!o.model.empty()) {
            const auto model = std::find_if(kids.begin(), kids.end(),
                                            [](const Chunk& c) { return c.id == 0x2012; });
            ASSERT_NE(model, kids.end());
            EXPECT_EQ(stringOf(b, *model), o.model);
            EXPECT_TRUE(o.model.ends_with(".i3d"));
        }
    }
}

TEST(GeneratedObjects, LightsCarryKindColourAndBrightnessInTheirBlock) {
    const GeneratedScene s = make(8, 150);
    const Bytes& b = s.bytes;
    int lights = 0;
    for (const GeneratedObject& o : s.objects) {
        if (o.kind != ObjectKind::Light)
            continue;
        ++lights;
        EXPECT_EQ(o.objectType, 2u);
        const auto kids = *childrenOf(b, chunkAt(b, o.recordOffset));
        const auto block =
            std::find_if(kids.begin(), kids.end(), [](const Chunk& c) { return c.id == 0x4040; });
        ASSERT_NE(block, kids.end());
        const auto parts = *childrenOf(b, *block);
        ASSERT_GE(parts.size(), 3u);
        EXPECT_EQ(parts[0].id, 0x4041);
        EXPECT_EQ(readU32(b, parts[0].payload()), o.lightKind);
        EXPECT_EQ(parts[1].id, 0x0026);
        EXPECT_EQ(parts[1].length, 18u);
        EXPECT_EQ(parts[1].payload(), o.colourOffset);
        for (int i = 0; i < 3; ++i) {
            const float c = readFloat(b, o.colourOffset + 4 * i);
            EXPECT_EQ(bitsOf(c), bitsOf(o.colour[i]));
            EXPECT_GE(c, 0.0f);
            EXPECT_LE(c, 1.0f);
        }
        EXPECT_EQ(parts[2].id, 0x4042);
        EXPECT_EQ(parts[2].length, 10u);
        EXPECT_EQ(parts[2].payload(), o.brightnessOffset);
        EXPECT_EQ(readU32(b, o.brightnessOffset), bitsOf(o.brightness));
        EXPECT_GT(o.brightness, 0.0f);
        EXPECT_LT(o.brightness, 6.0f);
    }
    EXPECT_GT(lights, 0);
}

TEST(GeneratedObjects, EveryKindOccursFromSevenObjectsOn) {
    for (std::uint32_t seed = 1; seed <= 20; ++seed) {
        const GeneratedScene s = make(seed, 7);
        std::set<ObjectKind> kinds;
        for (const auto& o : s.objects)
            kinds.insert(o.kind);
        EXPECT_EQ(kinds.size(), 7u) << "seed " << seed;
    }
}

TEST(GeneratedObjects, EverySceneWithAPlainObjectHasANameOnlyRecord) {
    for (std::uint32_t seed = 1; seed <= 30; ++seed) {
        const GeneratedScene s = make(seed, 7 + seed % 5);
        const auto nameOnly = std::count_if(s.objects.begin(), s.objects.end(),
                                            [](const GeneratedObject& o) { return o.nameOnly; });
        EXPECT_GT(nameOnly, 0) << "seed " << seed;
        EXPECT_LT(static_cast<std::size_t>(nameOnly), s.objects.size());
    }
}
