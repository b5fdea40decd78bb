#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <optional>

#include "mini_scene.h"
#include "scene_index.h"
#include "script_text.h"

namespace {
using Bytes = std::vector<std::uint8_t>;

SceneIndex indexOf(const Bytes& b) {
    return buildSceneIndex(ByteView(b.data(), b.size()));
}

// Offset of the first occurrence of `needle` in `b` at or after `from`.
std::size_t find(const Bytes& b, const std::string& needle, std::size_t from = 0) {
    const Bytes n(needle.begin(), needle.end());
    auto it =
        std::search(b.begin() + static_cast<std::ptrdiff_t>(from), b.end(), n.begin(), n.end());
    EXPECT_NE(it, b.end()) << "missing bytes in fixture";
    return static_cast<std::size_t>(it - b.begin());
}

const std::string kTranslationHead("\x20\x00\x12\x00\x00\x00", 6);
const std::string kScript =
    "dim_act 1\r\nfindactor 1, \"Tom\"\r\nact_setstate 1, active\r\nend\r\n";

std::string humanValues() {
    std::string v(70, '\x07');
    v[1] = 8;  // behaviour
    v[5] = 1;  // sex
    v[41] = 0; // aggression 0.5f = 00 00 00 3F
    v[42] = 0;
    v[43] = 0;
    v[44] = 0x3F;
    return v;
}

TEST(SceneIndexRules, EmptyAndSectionlessFilesGiveEmptyIndex) {
    const SceneIndex empty = indexOf({});
    EXPECT_TRUE(empty.entries.empty());
    EXPECT_EQ(empty.merkePosGameInit, 1);
    EXPECT_FALSE(empty.modelLenPos);

    const SceneIndex noObjects = indexOf({0x53, 0x4C, 12, 0, 0, 0, 1, 2, 0x40, 0x00, 5, 6});
    EXPECT_TRUE(noObjects.entries.empty());
    EXPECT_FALSE(noObjects.modelLenPos);
    EXPECT_EQ(noObjects.merkePosGameInit, 1);
}

TEST(SceneIndexRules, HumanWithScriptHasEveryFieldAtItsPosition) {
    const std::string values = humanValues();
    const Bytes b =
        mini::scene([](SceneWriter& w) { mini::object(w, "Tom"); },
                    [&](SceneWriter& w) { mini::definition(w, "Tom", 27, values, &kScript); });
    const SceneIndex idx = indexOf(b);
    ASSERT_EQ(idx.entries.size(), 1u);
    const IndexRecord& e = idx.entries[0];
    EXPECT_EQ(e.name, "Tom");
    EXPECT_TRUE(e.ticked);
    EXPECT_FALSE(e.nameOnly);
    EXPECT_EQ(e.kind, 27);
    EXPECT_EQ(idx.modelLenPos, 8u);
    EXPECT_EQ(e.recordPos, 12u);
    const std::size_t tp = find(b, kTranslationHead) + 6;
    EXPECT_EQ(e.translationPos, tp);
    ASSERT_TRUE(e.translation && e.rotation && e.size);
    EXPECT_EQ((*e.translation)[2].value(), 3.25f);
    EXPECT_EQ((*e.rotation)[0].value(), 1.0f);
    EXPECT_EQ((*e.size)[1].value(), 1.0f);
    EXPECT_EQ(e.model, "Tom.i3d");
    EXPECT_FALSE(e.brightness);

    const std::size_t def = find(b, std::string("\x21\xAE", 2));
    const std::size_t data = find(b, std::string("\x24\xAE", 2));
    EXPECT_EQ(idx.gesamtLaengeScriptPos, def - 4);
    EXPECT_EQ(e.definitionPos, def);
    EXPECT_EQ(e.dataChunkPos, data);
    EXPECT_EQ(e.behaviourPos, data + 7);
    EXPECT_EQ(e.behaviour, 8);
    EXPECT_EQ(e.sex, 1);
    EXPECT_EQ(e.aggressionPos, data + 47);
    EXPECT_EQ(e.aggression->value(), 0.5f);
    EXPECT_EQ(e.weightPos, data + 71);
    EXPECT_EQ(e.scriptPos, data + 6 + values.size() + 5);
    EXPECT_EQ(idx.definitionNameCount, 1u);
    EXPECT_EQ(idx.merkePosGameInit, 2);
    EXPECT_EQ(readScript(ByteView(b.data(), b.size()), idx, 0), kScript);
}

TEST(SceneIndexRules, LightBlockAndNameOnlyDefaults) {
    const Bytes b = mini::scene([](SceneWriter& w) {
        mini::object(w, "lamp", 2, [](SceneWriter& w) {
            w.beginChunk(0x4040);
            w.chunkU32(0x4041, 3);
            w.chunkFloats(0x0026, {1.0f, 0.25f, 0.0f});
            w.chunkFloats(0x4042, {7.5f});
            w.endChunk();
        });
        w.beginChunk(0x4010);
        w.chunkString(0x0010, "ghost");
        w.endChunk();
        // Light values that equal the name-only defaults, all or in part.
        mini::object(w, "dim", 2, [](SceneWriter& w) {
            w.beginChunk(0x4040);
            w.chunkU32(0x4041, 4);
            w.chunkFloats(0x0026, {0.5f, 0.5f, 0.5f});
            w.chunkFloats(0x4042, {2.0f});
            w.endChunk();
        });
        mini::object(w, "half", 2, [](SceneWriter& w) {
            w.beginChunk(0x4040);
            w.chunkFloats(0x4042, {2.0f});
            w.endChunk();
        });
    });
    const SceneIndex idx = indexOf(b);
    ASSERT_EQ(idx.entries.size(), 4u);
    const IndexRecord& lamp = idx.entries[0];
    EXPECT_EQ(lamp.kind, 2);
    EXPECT_EQ(lamp.lightKind, 3u);
    EXPECT_EQ(lamp.colourPos, find(b, std::string("\x26\x00\x12\x00", 4)) + 6);
    EXPECT_EQ((*lamp.colour)[1].value(), 0.25f);
    EXPECT_EQ(lamp.brightness->value(), 7.5f);
    EXPECT_EQ(lamp.brightnessPos, find(b, std::string("\x42\x40\x0A\x00", 4)) + 6);

    const IndexRecord& ghost = idx.entries[1];
    EXPECT_TRUE(ghost.nameOnly);
    EXPECT_EQ(ghost.name, "ghost");
    EXPECT_EQ(ghost.kind, 255);
    EXPECT_FALSE(ghost.translationPos);
    EXPECT_EQ(ghost.brightness->value(), 2.0f);
    EXPECT_EQ((*ghost.colour)[2].value(), 0.5f);
    EXPECT_FALSE(ghost.colourPos);

    const IndexRecord dim = idx.entries[2];
    EXPECT_FALSE(dim.nameOnly);
    EXPECT_EQ(dim.lightKind, 4u);
    EXPECT_EQ(dim.brightness->value(), 2.0f);
    ASSERT_TRUE(dim.colour);
    EXPECT_EQ((*dim.colour)[0].value(), 0.5f);
    EXPECT_EQ(dim.colourPos, find(b, std::string("\x26\x00\x12\x00", 4), *dim.recordPos) + 6);
    EXPECT_EQ(dim.brightnessPos, find(b, std::string("\x42\x40\x0A\x00", 4), *dim.recordPos) + 6);
    const IndexRecord half = idx.entries[3];
    EXPECT_EQ(half.brightness->value(), 2.0f);
    EXPECT_FALSE(half.colour) << "only a record's own light values are held";
    EXPECT_FALSE(half.colourPos);
    EXPECT_FALSE(half.lightKind);
    EXPECT_TRUE(half.translationPos);
}

TEST(SceneIndexRules, ObjectsThatCannotBeReadAreNotListed) {
    const std::string longName(44, 'L'); // a chunk of 51 bytes
    const Bytes b = mini::scene([&](SceneWriter& w) {
        mini::object(w, longName);
        w.beginChunk(0x4010); // the name is not followed by the translation
        w.chunkU32(0x4011, 9);
        w.chunkString(0x0010, "lost");
        w.chunkFloats(0x002D, {1, 1, 1});
        w.endChunk();
        mini::object(w, "kept");
    });
    const SceneIndex idx = indexOf(b);
    ASSERT_EQ(idx.entries.size(), 1u);
    EXPECT_EQ(idx.entries[0].name, "kept");
}

// A model chunk names the model only when the bytes after the size say
// ".i3d" in any letter case, in the model's name or after it.
TEST(SceneIndexRules, ModelNameNeedsI3dInTheRecordTail) {
    struct Case {
        const char* model;
        const char* after; // a chunk after the model's, or nothing
        std::optional<std::string> expected;
    };
    const Case cases[] = {
        {"crate.4ds", nullptr, std::nullopt},
        {"crate.I3D", nullptr, "crate.I3D"},
        {"crate", "spare.i3D", "crate"},
        {"crate.i3", "d", std::nullopt},
    };
    for (const Case& c : cases) {
        const Bytes b = mini::scene([&](SceneWriter& w) {
            w.beginChunk(0x4010);
            w.chunkU32(0x4011, 9);
            w.chunkString(0x0010, "box");
            w.chunkFloats(0x0020, {1.0f, 2.0f, 3.0f});
            w.chunkFloats(0x0022, {1.0f, 0.0f, 0.0f, 0.0f});
            w.chunkFloats(0x002D, {1.0f, 1.0f, 1.0f});
            w.chunkString(0x2012, c.model);
            if (c.after)
                w.chunkString(0x4020, c.after);
            w.endChunk();
        });
        const SceneIndex idx = indexOf(b);
        ASSERT_EQ(idx.entries.size(), 1u) << c.model;
        EXPECT_EQ(idx.entries[0].model, c.expected) << c.model;
    }

    // A record that ends inside its model chunk: the ".i3d" past its end does not count.
    Bytes cut = mini::scene([](SceneWriter& w) { mini::object(w, "crate"); });
    const std::size_t record = *indexOf(cut).entries[0].recordPos;
    const std::size_t dot = find(cut, "crate.i3d") + 5;
    const auto len = static_cast<std::uint32_t>(dot - record);
    std::memcpy(cut.data() + record + 2, &len, 4);
    const SceneIndex idx = indexOf(cut);
    ASSERT_EQ(idx.entries.size(), 1u);
    EXPECT_FALSE(idx.entries[0].model);
}

TEST(SceneIndexRules, DefinitionsAttachByNameAndValues) {
    std::string thing(30, '\x07');
    thing[22] = 17;
    const Bytes b = mini::scene(
        [](SceneWriter& w) {
            for (const char* n : {"door", "crate", "crate", "pane", "gate", "Tom", "Tom.1"})
                mini::object(w, n);
        },
        [&](SceneWriter& w) {
            mini::definition(w, "door.001", 6, "wood and BRASS");
            mini::definition(w, "crate", 35, thing, &kScript);
            mini::definition(w, "pane", 6, "brass then glass");
            mini::definition(w, "gate", 6, "iron");
            mini::definition(w, "nobody", 4, "x", &kScript);
            mini::definition(w, "Tom.1", 5, "", &kScript);
        });
    const SceneIndex idx = indexOf(b);
    ASSERT_EQ(idx.entries.size(), 7u);
    // "Tom.1" cut before its "." names "Tom", which comes first in the list.
    EXPECT_TRUE(idx.entries[5].ticked);
    EXPECT_EQ(idx.entries[5].kind, 5);
    EXPECT_FALSE(idx.entries[6].ticked) << "the entry named exactly so stands later";
    EXPECT_EQ(idx.entries[6].kind, 255);
    EXPECT_EQ(idx.entries[0].kind, 6);
    EXPECT_EQ(idx.entries[0].material, 2);
    EXPECT_EQ(idx.entries[1].kind, 35);
    EXPECT_TRUE(idx.entries[1].ticked);
    EXPECT_EQ(idx.entries[1].sound, 17);
    EXPECT_EQ(idx.entries[1].soundPos, *idx.entries[1].dataChunkPos + 28);
    EXPECT_EQ(idx.entries[1].weightPos, *idx.entries[1].dataChunkPos + 16);
    EXPECT_FALSE(idx.entries[2].ticked) << "the second object of a name gets nothing";
    EXPECT_EQ(idx.entries[2].kind, 255);
    EXPECT_EQ(idx.entries[3].material, 3);
    EXPECT_EQ(idx.entries[4].material, 1);
    EXPECT_EQ(idx.definitionNameCount, 6u);
}

TEST(SceneIndexRules, ScriptStartMustLookLikeText) {
    const std::string crlf = "\r\nend\r\n";
    const std::string binary = std::string("\x02\x03\x04\x05", 4) + "text";
    // A script start whose text is not text, then a "no script" marker.
    const std::string rejectedThenNone = std::string("\x01\x00\x00\x00\x00\x04\x00\x00\x00"
                                                     "\x02\x02\x02\x02"
                                                     "\x05\x00\x00\x00\x00",
                                                     18);
    // A "no script" marker in the text behind the script changes nothing.
    const std::string marked = kScript + std::string("\x05\x00\x00\x00\x00", 5);
    const Bytes b = mini::scene(
        [](SceneWriter& w) {
            for (const char* n : {"a", "b", "c", "d", "e", "f", "g"})
                mini::object(w, n);
        },
        [&](SceneWriter& w) {
            mini::definition(w, "a", 5, "", &crlf);
            mini::definition(w, "b", 5, "", &binary);
            mini::definition(w, "c", 5, std::string("\x05\x00\x00\x00\x00", 5), &kScript);
            mini::definition(w, "d", 5, std::string("\x01\x07\x05\x00\x00\x00\x00", 7), &kScript);
            mini::definition(w, "e", 5, rejectedThenNone, &kScript);
            mini::definition(w, "f", 5, std::string("\x05\x07\x01\x07\x05\x00\x00\x00\x01", 9),
                             &kScript);
            mini::definition(w, "g", 5, "", &marked);
        });
    const SceneIndex idx = indexOf(b);
    ASSERT_EQ(idx.entries.size(), 7u);
    EXPECT_TRUE(idx.entries[0].ticked);
    EXPECT_EQ(idx.entries[0].kind, 5);
    EXPECT_FALSE(idx.entries[1].ticked);
    EXPECT_FALSE(idx.entries[2].ticked) << "05 00 00 00 00 ends the search";
    EXPECT_FALSE(idx.entries[3].ticked) << "05 00 00 00 00 after a lone 01";
    EXPECT_FALSE(idx.entries[4].ticked) << "05 00 00 00 00 after a rejected start";
    EXPECT_TRUE(idx.entries[5].ticked) << "neither 05 07 nor 05 00 00 00 01 ends the search";
    EXPECT_EQ(idx.entries[5].scriptPos, *idx.entries[5].dataChunkPos + 6 + 9 + 5);
    EXPECT_TRUE(idx.entries[6].ticked);
    EXPECT_EQ(readScript(ByteView(b.data(), b.size()), idx, 6), marked);
}

TEST(SceneIndexRules, InitScriptsFollowTheObjects) {
    const Bytes b = mini::scene([](SceneWriter& w) { mini::object(w, "Tom"); }, {},
                                [](SceneWriter& w) {
                                    mini::initScript(w, "Gintro", "wait 10\r\n");
                                    mini::initScript(w, "xxGAMEINITENDyy", "end\r\n");
                                    mini::initScript(w, "  two blanks", "wait 5\r\n");
                                });
    const SceneIndex idx = indexOf(b);
    ASSERT_EQ(idx.entries.size(), 4u);
    EXPECT_EQ(idx.entries[3].name, "  two blanks") << "blanks are printable: the name keeps them";
    EXPECT_EQ(idx.merkePosGameInit, 1);
    EXPECT_EQ(idx.entries[1].name, "Gintro");
    EXPECT_TRUE(idx.entries[1].ticked);
    EXPECT_EQ(idx.entries[1].kind, 255);
    EXPECT_FALSE(idx.entries[1].recordPos);
    EXPECT_EQ(idx.entries[2].name, "GameInitEnd");
    EXPECT_EQ(idx.initSectionLengthPos, find(b, std::string("\x50\xAE", 2)) + 2);
    const ByteView v(b.data(), b.size());
    EXPECT_EQ(readScript(v, idx, 1), "wait 10\r\n");
    EXPECT_EQ(readScript(v, idx, 2), "end\r\n");

    // A definition found after the init scripts attaches to one by its name,
    // also a name longer than any the name table holds whole.
    const std::string longName = "an_init_script_with_a_long_name";
    Bytes withLate = mini::scene([](SceneWriter& w) { mini::object(w, "Tom"); }, {},
                                 [&](SceneWriter& w) { mini::initScript(w, longName, "end\r\n"); });
    SceneWriter late;
    mini::definition(late, longName, 27, humanValues());
    const Bytes lateBytes = late.take();
    withLate.insert(withLate.end(), lateBytes.begin(), lateBytes.end());
    const SceneIndex lateIdx = indexOf(withLate);
    ASSERT_EQ(lateIdx.entries.size(), 2u);
    EXPECT_EQ(lateIdx.entries[1].name, longName);
    EXPECT_EQ(lateIdx.entries[1].behaviour, 8);
}

TEST(SceneIndexRules, DegenerateChunkLengthsNeitherHangNorCrash) {
    // Records, names and definition chunks whose length is 0 or below the header size.
    Bytes b = mini::scene(
        [](SceneWriter& w) {
            w.raw(std::string("\x10\x40\x00\x00\x00\x00\x10\x00\x03\x00\x00\x00", 12));
            mini::object(w, "ok");
        },
        [](SceneWriter& w) {
            w.raw(std::string("\x23\xAE\x00\x00\x00\x00\x24\xAE\x01\x00\x00\x00", 12));
            w.raw(std::string("\x51\xAE\x00\x00\x00\x00\x22\xAE\x02\x00\x00\x00", 12));
        });
    const SceneIndex idx = indexOf(b);
    ASSERT_EQ(idx.entries.size(), 1u);
    EXPECT_EQ(idx.entries[0].name, "ok");
}

TEST(SceneIndexRules, ProgressIsReportedABoundedNumberOfTimes) {
    const Bytes b = mini::scene([](SceneWriter& w) {
        for (int i = 0; i < 300; ++i)
            mini::object(w, std::string("o").append(std::to_string(i)));
    });
    int calls = 0, last = -1;
    buildSceneIndex(ByteView(b.data(), b.size()), [&](int step) {
        EXPECT_GT(step, last);
        last = step;
        ++calls;
    });
    EXPECT_GT(calls, 10);
    EXPECT_LE(calls, 52);
}
} // namespace
