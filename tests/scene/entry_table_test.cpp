// The compact entry table: every record reads back as it was stored, the
// single-field readers agree with it, and a crafted file of the smallest
// records cannot make the index outgrow a fixed multiple of the file.
#include <gtest/gtest.h>

#include <stdexcept>
#if defined(__GLIBC__)
#include <malloc.h>
#endif
#include <string>
#include <vector>

#include "minimal_scene.h"
#include "scene_index.h"

namespace {
// Heap bytes in use, where the C library tells; 0 elsewhere.
std::size_t heapInUse() {
#if defined(__GLIBC__) && (__GLIBC__ > 2 || __GLIBC_MINOR__ >= 33)
    const struct mallinfo2 m = mallinfo2();
    return m.uordblks + m.hblkhd;
#else
    return 0;
#endif
}

StoredFloat sf(float v) {
    return StoredFloat::fromValue(v);
}

// Records that exercise each group on its own and together.
std::vector<IndexRecord> sampleRecords() {
    std::vector<IndexRecord> out;

    IndexRecord plain;
    plain.name = "plain";
    out.push_back(plain);

    IndexRecord ghost; // what the index makes of a name-only object
    ghost.name = "ghost";
    ghost.nameOnly = true;
    ghost.recordPos = 12;
    ghost.namePos = 18;
    ghost.brightness = sf(2.0f);
    ghost.colour = std::array<StoredFloat, 3>{sf(0.5f), sf(0.5f), sf(0.5f)};
    out.push_back(ghost);

    IndexRecord halfDefault = ghost; // default brightness, one colour off
    halfDefault.name = "half";
    halfDefault.colour = std::array<StoredFloat, 3>{sf(0.5f), sf(0.5f), sf(0.25f)};
    out.push_back(halfDefault);

    IndexRecord brightOnly;
    brightOnly.name = "bright";
    brightOnly.brightness = sf(2.0f);
    out.push_back(brightOnly);

    IndexRecord lamp;
    lamp.name = "lamp";
    lamp.kind = 2;
    lamp.recordPos = 100;
    lamp.namePos = 106;
    lamp.translationPos = 130;
    lamp.translation = std::array<StoredFloat, 3>{sf(1.5f), sf(-2.0f), sf(3.25f)};
    lamp.rotation = std::array<StoredFloat, 4>{sf(1.0f), sf(0.0f), sf(0.5f), sf(-0.5f)};
    lamp.size = std::array<StoredFloat, 3>{sf(1.0f), sf(2.0f), sf(3.0f)};
    lamp.model = "lamp_with_a_long_model_name.i3d";
    lamp.lightKind = 3;
    lamp.brightness = sf(7.5f);
    lamp.brightnessPos = 220;
    lamp.colour = std::array<StoredFloat, 3>{sf(1.0f), sf(0.25f), sf(0.0f)};
    lamp.colourPos = 200;
    out.push_back(lamp);

    IndexRecord human;
    human.name = "Tom the scripted human of the harbour scene";
    human.ticked = true;
    human.kind = 27;
    human.recordPos = 300;
    human.translationPos = 340;
    human.rotation = std::array<StoredFloat, 4>{sf(0.0f), sf(1.0f), sf(0.0f), sf(0.0f)};
    human.behaviour = 8;
    human.behaviourPos = 5007;
    human.sex = 1;
    human.aggression = sf(0.5f);
    human.aggressionPos = 5047;
    human.weight = sf(80.0f);
    human.weightPos = 5071;
    human.definitionPos = 4990;
    human.dataChunkPos = 5000;
    human.scriptPos = 5100;
    out.push_back(human);

    IndexRecord thing;
    thing.name = "crate";
    thing.kind = 35;
    thing.material = 3;
    thing.sound = 0;
    thing.soundPos = 0;
    thing.weightPos = 4;
    out.push_back(thing);

    IndexRecord init; // an init script: no record, a definition and a script position
    init.name = "GameInitEnd";
    init.ticked = true;
    init.definitionPos = 0xFFFFFFFEu;
    init.scriptPos = 7000;
    out.push_back(init);

    IndexRecord noModel = lamp; // an empty model name is still a model name
    noModel.name.clear();
    noModel.model = "";
    out.push_back(noModel);

    IndexRecord huge; // longer than a block of the character store
    huge.name = std::string(70000, 'x') + "end";
    huge.model = std::string(65536, 'm');
    huge.namePos = 0;
    out.push_back(huge);
    return out;
}
} // namespace

TEST(EntryTable, RecordsReadBackAsStoredAndFieldReadersAgree) {
    const std::vector<IndexRecord> records = sampleRecords();
    EntryTable t;
    for (const IndexRecord& r : records)
        t.push_back(r);
    ASSERT_EQ(t.size(), records.size());
    for (std::size_t i = 0; i < records.size(); ++i) {
        SCOPED_TRACE(i);
        const IndexRecord& want = records[i];
        EXPECT_EQ(t[i], want);
        EXPECT_EQ(t.name(i), want.name);
        EXPECT_EQ(t.ticked(i), want.ticked);
        EXPECT_EQ(t.nameOnly(i), want.nameOnly);
        EXPECT_EQ(t.kind(i), want.kind);
        EXPECT_EQ(t.recordPos(i).optional(), want.recordPos);
        EXPECT_EQ(t.namePos(i).optional(), want.namePos);
        EXPECT_EQ(t.definitionPos(i).optional(), want.definitionPos);
        EXPECT_EQ(t.scriptPos(i).optional(), want.scriptPos);
        EXPECT_EQ(t.translationPos(i).optional(), want.translationPos);
    }
    // Fixed values, as the file and the builder give them.
    EXPECT_EQ(t[1].brightness->value(), 2.0f);
    EXPECT_EQ((*t[2].colour)[2].value(), 0.25f);
    EXPECT_EQ(t[4].model, "lamp_with_a_long_model_name.i3d");
    EXPECT_EQ(t[5].weightPos, 5071u);
    EXPECT_EQ(t[7].definitionPos, 0xFFFFFFFEu);
    EXPECT_EQ(t.back().name.size(), 70003u);
    EXPECT_EQ(t.back().model->size(), 65536u);
    EXPECT_EQ(t.front().name, "plain");

    std::size_t n = 0;
    for (const IndexRecord& r : t)
        EXPECT_EQ(r, records[n++]);
    EXPECT_EQ(n, records.size());
    EXPECT_EQ(t.end() - t.begin(), static_cast<std::ptrdiff_t>(records.size()));
    EXPECT_THROW(static_cast<void>(t.at(records.size())), std::out_of_range);

    // Enough names to fill several blocks of the character store.
    EntryTable many;
    for (int i = 0; i < 20000; ++i) {
        IndexRecord r;
        r.name = "entry " + std::to_string(i);
        r.model = "model" + std::to_string(i) + ".i3d";
        r.translationPos = static_cast<std::uint32_t>(i);
        many.push_back(r);
    }
    for (int i = 0; i < 20000; i += 7) {
        SCOPED_TRACE(i);
        EXPECT_EQ(many.name(static_cast<std::size_t>(i)), "entry " + std::to_string(i));
        EXPECT_EQ(many[static_cast<std::size_t>(i)].model, "model" + std::to_string(i) + ".i3d");
    }
}

TEST(EntryTable, ReplacingPoppingAndComparing) {
    const std::vector<IndexRecord> records = sampleRecords();
    EntryTable a;
    EntryTable b;
    for (const IndexRecord& r : records) {
        a.push_back(r);
        b.push_back(r);
    }
    EXPECT_TRUE(a == b);

    // Each record in place of each other: the others keep what they held.
    for (std::size_t i = 0; i < records.size(); ++i) {
        for (std::size_t j = 0; j < records.size(); ++j) {
            SCOPED_TRACE(testing::Message() << i << " <- " << j);
            EntryTable t = a;
            t.set(i, records[j]);
            EXPECT_EQ(t[i], records[j]);
            for (std::size_t k = 0; k < records.size(); ++k) {
                if (k != i) {
                    EXPECT_EQ(t[k], records[k]);
                }
            }
        }
    }

    IndexRecord changed = records[5];
    changed.weight = sf(81.0f);
    b.set(5, changed);
    EXPECT_FALSE(a == b);
    b.set(5, records[5]);
    EXPECT_TRUE(a == b);
    IndexRecord moved = records[4];
    moved.colourPos = 201;
    b.set(4, moved);
    EXPECT_FALSE(a == b);

    // A copy of a table of many entries (as the script save's shortcut makes
    // of the index) holds every one of them, whichever way it was made.
    const std::size_t many = 777;
    EntryTable big;
    for (std::size_t i = 0; i < many; ++i)
        big.push_back(records[i % records.size()]);
    const EntryTable copied(big);
    EntryTable assigned = a;
    assigned = big;
    const EntryTable* const made[] = {&copied, &assigned};
    for (const EntryTable* t : made) {
        ASSERT_EQ(t->size(), many);
        for (std::size_t i = 0; i < many; ++i)
            ASSERT_EQ((*t)[i], records[i % records.size()]) << i;
    }
    // Popped below its last blocks, it copies what it still holds.
    for (std::size_t i = 0; i < 300; ++i)
        big.pop_back();
    const EntryTable shorter(big);
    ASSERT_EQ(shorter.size(), many - 300);
    EXPECT_EQ(shorter.back(), records[(many - 301) % records.size()]);
    EXPECT_TRUE(shorter == big);

    a.pop_back();
    EXPECT_EQ(a.size(), records.size() - 1);
    EXPECT_EQ(a.back(), records[records.size() - 2]);
    a.push_back(records[0]);
    EXPECT_EQ(a.back(), records[0]);
    a.clear();
    EXPECT_TRUE(a.empty());
}

TEST(EntryTable, Pos32ActsLikeAnOptionalPosition) {
    Pos32 p;
    EXPECT_FALSE(p);
    EXPECT_FALSE(p.has_value());
    EXPECT_EQ(p.value_or(7), 7u);
    EXPECT_THROW(static_cast<void>(p.value()), std::bad_optional_access);
    p = 0u;
    EXPECT_TRUE(p);
    EXPECT_EQ(*p, 0u);
    p = 0xFFFFFFFEu;
    EXPECT_EQ(p.value(), 0xFFFFFFFEu);
    EXPECT_EQ(p.optional(), std::optional<std::uint32_t>(0xFFFFFFFEu));
    p = std::nullopt;
    EXPECT_EQ(p, Pos32{});
    EXPECT_EQ(Pos32(std::optional<std::uint32_t>(5)), Pos32(5u));
    EXPECT_FALSE(Pos32(std::optional<std::uint32_t>()));
}

// The smallest records a file can list an entry for, as densely as the index
// lets them lie: its memory stays within 8 bytes for each byte of the file.
TEST(EntryTable, IndexOfCraftedMinimalRecordsStaysWithinItsBound) {
    constexpr std::size_t kFile = std::size_t{3} << 20;
    constexpr std::size_t kBytesPerFileByte = 8;
    const struct {
        MinimalRecords kind;
        std::size_t recordBytes;
    } cases[] = {
        {MinimalRecords::NameOnly, 14},     {MinimalRecords::Overlapping, 8},
        {MinimalRecords::LongNames, 12},    {MinimalRecords::InitScripts, 6},
        {MinimalRecords::InitWithText, 11},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.kind));
        const MinimalScene s = minimalRecordScene(c.kind, kFile);
        const std::size_t heapBefore = heapInUse();
        const SceneIndex idx = buildSceneIndex(ByteView(s.bytes.data(), s.bytes.size()));
        const std::size_t heapAfter = heapInUse();
        // Every record is listed, so the file is as dense as it claims.
        ASSERT_EQ(idx.entries.size(), kFile / c.recordBytes);
        EXPECT_LE(idx.memoryBytes(), kBytesPerFileByte * s.bytes.size());
        // The accounting misses none of the tables the heap holds for the index
        // (the smallest is a fifth of the whole); the allocator's own
        // bookkeeping is estimated, within a few percent.
        EXPECT_LE(heapAfter - std::min(heapBefore, heapAfter), idx.memoryBytes() / 20 * 21 + 4096);
    }
    // What the records read as.
    const MinimalScene longNames = minimalRecordScene(MinimalRecords::LongNames, 48);
    const SceneIndex idx =
        buildSceneIndex(ByteView(longNames.bytes.data(), longNames.bytes.size()));
    ASSERT_EQ(idx.entries.size(), 4u);
    EXPECT_EQ(idx.entries[0].name.size(), 43u);
    EXPECT_EQ(idx.entries[0].name.substr(0, 6), std::string("\x10\x40\x06\x00\x00\x00", 6));
    EXPECT_EQ(idx.entries[1].recordPos, 24u);
    const MinimalScene inits = minimalRecordScene(MinimalRecords::InitWithText, 22);
    const SceneIndex initIdx = buildSceneIndex(ByteView(inits.bytes.data(), inits.bytes.size()));
    ASSERT_EQ(initIdx.entries.size(), 2u);
    EXPECT_EQ(initIdx.entries[1].definitionPos, 23u);
    EXPECT_EQ(initIdx.entries[1].scriptPos, 33u);
}
