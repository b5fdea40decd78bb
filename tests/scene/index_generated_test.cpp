#include <gtest/gtest.h>

#include <random>

#include "reference_index.h"
#include "scene_generator.h"
#include "scene_index.h"
#include "scene_verify.h"
#include "script_text.h"

namespace {
std::uint32_t bits(float f) {
    return StoredFloat::fromValue(f).bits;
}

template <std::size_t N>
void expectFloats(const std::optional<std::array<StoredFloat, N>>& got,
                  const std::array<float, N>& want, const std::string& what) {
    ASSERT_TRUE(got) << what;
    for (std::size_t i = 0; i < N; ++i)
        EXPECT_EQ((*got)[i].bits, bits(want[i])) << what << "[" << i << "]";
}

std::uint8_t expectedKind(const GeneratedObject& o) {
    const std::uint8_t t = o.definitionType;
    if (o.hasDefinition &&
        (t == 4 || t == 6 || t == 27 || t == 35 || o.script == ScriptState::Present))
        return t;
    return (!o.nameOnly && o.objectType == 2) ? 2 : 255;
}

void expectObject(const IndexRecord& e, const GeneratedObject& o) {
    SCOPED_TRACE(o.name);
    EXPECT_EQ(e.name, o.name);
    EXPECT_EQ(e.nameOnly, o.nameOnly);
    EXPECT_EQ(e.kind, expectedKind(o));
    EXPECT_EQ(e.recordPos, o.recordOffset);
    EXPECT_EQ(e.ticked, o.script == ScriptState::Present);
    if (!o.nameOnly) {
        EXPECT_EQ(e.translationPos, o.translationOffset);
        expectFloats<3>(e.translation, o.translation, "translation");
        expectFloats<4>(e.rotation, o.rotation, "rotation");
        expectFloats<3>(e.size, o.size, "size");
        EXPECT_EQ(e.model.value_or(""), o.model);
    }
    if (o.kind == ObjectKind::Light && !o.nameOnly) {
        EXPECT_EQ(e.lightKind, o.lightKind);
        EXPECT_EQ(e.colourPos, o.colourOffset);
        expectFloats<3>(e.colour, o.colour, "colour");
        EXPECT_EQ(e.brightnessPos, o.brightnessOffset);
        ASSERT_TRUE(e.brightness);
        EXPECT_EQ(e.brightness->bits, bits(o.brightness));
    }
    if (o.script == ScriptState::Present) {
        EXPECT_EQ(e.scriptPos, o.scriptOffset);
        EXPECT_EQ(e.dataChunkPos, o.dataChunkOffset);
        EXPECT_EQ(e.definitionPos, o.definitionOffset);
    }
    if (!o.hasDefinition)
        return;
    const std::size_t d = o.dataChunkOffset;
    switch (o.definitionType) {
    case 27:
        EXPECT_EQ(e.behaviour, o.behaviour);
        EXPECT_EQ(e.behaviourPos, d + 7);
        EXPECT_EQ(e.sex, o.sex);
        EXPECT_EQ(e.aggression->bits, bits(o.aggression));
        EXPECT_EQ(e.weight->bits, bits(o.weight));
        break;
    case 35:
        EXPECT_EQ(e.weight->bits, bits(o.weight));
        EXPECT_EQ(e.sound, o.sound);
        EXPECT_EQ(e.soundPos, d + 28);
        break;
    case 6:
        EXPECT_EQ(e.material, static_cast<std::uint8_t>(o.material));
        break;
    default:
        break;
    }
}

TEST(SceneIndexGenerated, EveryEntryMatchesWhatTheGeneratorWrote) {
    for (std::uint32_t seed : {1u, 7u, 42u, 1234u}) {
        SCOPED_TRACE(seed);
        const GeneratedScene g = generateScene({seed, 80, std::nullopt});
        const ByteView v(g.bytes.data(), g.bytes.size());
        const SceneIndex idx = buildSceneIndex(v);
        ASSERT_EQ(idx.entries.size(), g.objects.size() + g.initScripts.size());
        EXPECT_EQ(idx.modelLenPos, g.objectsOffset + 2);
        EXPECT_EQ(idx.gesamtLaengeScriptPos, g.definitionsOffset + 2);
        EXPECT_EQ(idx.initSectionLengthPos, g.initScriptsOffset + 2);
        EXPECT_EQ(idx.merkePosGameInit, static_cast<std::int64_t>(g.objects.size()));
        for (std::size_t i = 0; i < g.objects.size(); ++i)
            expectObject(idx.entries[i], g.objects[i]);
        for (std::size_t k = 0; k < g.initScripts.size(); ++k) {
            const auto& want = g.initScripts[k];
            const std::size_t i = g.objects.size() + k;
            EXPECT_EQ(idx.entries[i].name, want.name);
            EXPECT_EQ(idx.entries[i].definitionPos, want.recordOffset);
            EXPECT_EQ(idx.entries[i].scriptPos, want.textOffset);
            EXPECT_EQ(readScript(v, idx, i)->size(), want.textLength);
        }
        const VerifyReport r = verifyScene(v);
        EXPECT_TRUE(r.ok()) << r.problems.front().what;
        EXPECT_EQ(r.objects, g.objects.size());
        EXPECT_EQ(r.initScripts, g.initScripts.size());
    }
}

bool sameIndex(const SceneIndex& a, const SceneIndex& b, std::string& diff) {
    auto note = [&](const std::string& s) {
        diff = s;
        return false;
    };
    if (a.entries.size() != b.entries.size())
        return note("entry count " + std::to_string(a.entries.size()) + " vs " +
                    std::to_string(b.entries.size()));
    if (a.modelLenPos != b.modelLenPos || a.gesamtLaengeScriptPos != b.gesamtLaengeScriptPos ||
        a.merkePosGameInit != b.merkePosGameInit ||
        a.initSectionLengthPos != b.initSectionLengthPos ||
        a.definitionNameCount != b.definitionNameCount)
        return note("section positions");
    for (std::size_t i = 0; i < a.entries.size(); ++i) {
        const IndexRecord &x = a.entries[i], &y = b.entries[i];
        const bool same =
            x.name == y.name && x.ticked == y.ticked && x.nameOnly == y.nameOnly &&
            x.kind == y.kind && x.recordPos == y.recordPos &&
            x.translationPos == y.translationPos && x.translation == y.translation &&
            x.rotation == y.rotation && x.size == y.size && x.model == y.model &&
            x.lightKind == y.lightKind && x.brightness == y.brightness &&
            x.brightnessPos == y.brightnessPos && x.colour == y.colour &&
            x.colourPos == y.colourPos && x.material == y.material && x.weight == y.weight &&
            x.weightPos == y.weightPos && x.sound == y.sound && x.soundPos == y.soundPos &&
            x.behaviour == y.behaviour && x.behaviourPos == y.behaviourPos && x.sex == y.sex &&
            x.aggression == y.aggression && x.aggressionPos == y.aggressionPos &&
            x.definitionPos == y.definitionPos && x.dataChunkPos == y.dataChunkPos &&
            x.scriptPos == y.scriptPos;
        if (!same)
            return note("entry " + std::to_string(i) + " (" + x.name + ")");
    }
    return true;
}

// The fast scan and a plain one-byte-at-a-time reading of the same rules agree
// on generated scenes and on damaged copies of them: flipped bytes, cut ends.
TEST(SceneIndexGenerated, FastScanAgreesWithPlainReadingOnDamagedFiles) {
    const GeneratedScene g = generateScene({99, 40, std::nullopt});
    std::mt19937 rng(5);
    for (int round = 0; round < 200; ++round) {
        std::vector<std::uint8_t> b = g.bytes;
        if (round > 0) {
            const int flips = 1 + round % 6;
            for (int k = 0; k < flips; ++k) {
                const std::size_t at = rng() % b.size();
                const std::uint8_t choices[] = {0x00, 0x10, 0x40, 0xAE, 0x20, 0x21, 0x23,
                                                0x24, 0x51, 0x01, 0x05, 0xFF, 0x06};
                b[at] = (rng() % 2) ? choices[rng() % sizeof choices]
                                    : static_cast<std::uint8_t>(rng());
            }
            if (round % 5 == 0)
                b.resize(rng() % b.size());
        }
        std::string diff;
        ASSERT_TRUE(
            sameIndex(buildSceneIndex(ByteView(b.data(), b.size())), referenceIndex(b), diff))
            << "round " << round << ": " << diff;
    }
}
} // namespace
