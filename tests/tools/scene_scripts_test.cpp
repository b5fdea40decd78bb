#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <set>

#include "chunk_walk.h"
#include "scene_generator.h"

namespace {

constexpr std::size_t NoScript = 0;

GeneratedScene make(std::uint32_t seed, std::size_t objects) {
    return generateScene(GeneratorOptions{seed, objects, std::nullopt});
}

bool fiveBytes(const Bytes& b, std::size_t at, std::uint8_t first) {
    return bytesAt(b, at, {first, 0x00, 0x00, 0x00, 0x00});
}

// The editor's script search in a data chunk: the offset of the script length
// field, or NoScript.
std::size_t editorScriptSearch(const Bytes& b, const Chunk& data) {
    for (std::size_t s = data.payload(); s + 5 <= data.end(); ++s) {
        if (fiveBytes(b, s, 0x01) && s + 13 <= b.size()) {
            const bool printable = std::all_of(b.begin() + static_cast<std::ptrdiff_t>(s + 9),
                                               b.begin() + static_cast<std::ptrdiff_t>(s + 13),
                                               [](std::uint8_t c) { return c >= 32; });
            if (printable || bytesAt(b, s + 9, {13, 10}))
                return s + 5;
        }
        if (fiveBytes(b, s, 0x05))
            return NoScript;
    }
    return NoScript;
}

// The analyser's tick test from an object's data chunk: the text start, or
// NoScript. It runs on through the following chunks until another chunk id.
std::size_t analyserScriptStart(const Bytes& b, std::size_t dataChunk) {
    for (std::size_t r = dataChunk + 2; r + 1 < b.size(); ++r) {
        if (b[r + 1] == 0xAE && (b[r] == 0x21 || b[r] == 0x23 || b[r] == 0x24 || b[r] == 0x51))
            return NoScript;
        if (fiveBytes(b, r, 0x01) && r + 5 < b.size() && b[r + 5] > 1)
            return r + 9;
    }
    return NoScript;
}

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](char c) {
        return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    });
    return text;
}

std::string scriptText(const Bytes& b, const GeneratedObject& o) {
    const auto begin = b.begin() + static_cast<std::ptrdiff_t>(o.scriptOffset + 4);
    return std::string(begin, begin + o.scriptLength);
}

} // namespace

TEST(GeneratedScripts, ScriptEndsExactlyAtItsDataChunksEnd) {
    const GeneratedScene s = make(31, 300);
    const Bytes& b = s.bytes;
    int scripts = 0;
    for (const GeneratedObject& o : s.objects) {
        if (o.script != ScriptState::Present)
            continue;
        ++scripts;
        EXPECT_TRUE(fiveBytes(b, o.scriptOffset - 5, 0x01)) << o.name;
        EXPECT_EQ(readU32(b, o.scriptOffset), o.scriptLength);
        EXPECT_EQ(o.scriptOffset + 4 + o.scriptLength, o.dataChunkOffset + o.dataChunkLength);
        EXPECT_GE(o.scriptLength & 0xFF, 2u) << "the analyser wants a length byte above 1";
        const std::string text = scriptText(b, o);
        EXPECT_TRUE(text.starts_with("\r\n") ||
                    std::all_of(text.begin(), text.begin() + 4,
                                [](char c) { return static_cast<unsigned char>(c) >= 32; }));
        EXPECT_TRUE(text.ends_with("end\r\n")) << o.name;
    }
    EXPECT_GT(scripts, 0);
}

TEST(GeneratedScripts, BothProgramsFindExactlyTheWrittenScripts) {
    for (std::uint32_t seed : {1u, 7u, 1930u}) {
        const GeneratedScene s = make(seed, 250);
        const Bytes& b = s.bytes;
        for (const GeneratedObject& o : s.objects) {
            if (!o.hasDefinition)
                continue;
            const bool present = o.script == ScriptState::Present;
            const std::size_t expected = present ? o.scriptOffset : NoScript;
            EXPECT_EQ(editorScriptSearch(b, chunkAt(b, o.dataChunkOffset)), expected) << o.name;
            EXPECT_EQ(analyserScriptStart(b, o.dataChunkOffset), present ? o.scriptOffset + 4 : 0)
                << o.name;
            if (o.script == ScriptState::NoScriptMarker) {
                EXPECT_TRUE(fiveBytes(b, o.dataChunkOffset + o.dataChunkLength - 5, 0x05));
            }
        }
    }
}

TEST(GeneratedScripts, ValuesLieAtTheirFixedDataOffsets) {
    const GeneratedScene s = make(12, 200);
    const Bytes& b = s.bytes;
    std::set<Material> materials;
    for (const GeneratedObject& o : s.objects) {
        const std::size_t data = o.dataChunkOffset + 6;
        if (o.kind == ObjectKind::Human) {
            EXPECT_EQ(o.definitionType, 27);
            EXPECT_EQ(b[data + 1], o.behaviour);
            EXPECT_EQ(b[data + 5], o.sex);
            EXPECT_EQ(readU32(b, data + 41), bitsOf(o.aggression));
            EXPECT_EQ(readU32(b, data + 65), bitsOf(o.weight));
            EXPECT_GE(o.aggression, 0.0f);
            EXPECT_LE(o.aggression, 1.0f);
        } else if (o.kind == ObjectKind::Thing) {
            EXPECT_EQ(o.definitionType, 35);
            EXPECT_EQ(readU32(b, data + 10), bitsOf(o.weight));
            EXPECT_EQ(b[data + 22], o.sound);
        } else if (o.kind == ObjectKind::Physical) {
            EXPECT_EQ(o.definitionType, 6);
            const Chunk c = chunkAt(b, o.dataChunkOffset);
            const std::string text =
                lower(std::string(b.begin() + static_cast<std::ptrdiff_t>(c.offset),
                                  b.begin() + static_cast<std::ptrdiff_t>(c.end())));
            const Material seen = text.find("glass") != std::string::npos   ? Material::Glass
                                  : text.find("brass") != std::string::npos ? Material::Brass
                                  : text.find("wood") != std::string::npos  ? Material::Wood
                                                                            : Material::None;
            EXPECT_EQ(seen, o.material) << o.name;
            materials.insert(seen);
        } else if (o.kind == ObjectKind::Vehicle) {
            EXPECT_EQ(o.definitionType, 4);
        } else if (o.kind == ObjectKind::ScriptOnly) {
            EXPECT_EQ(o.definitionType, 5);
            EXPECT_EQ(o.script, ScriptState::Present);
        } else {
            EXPECT_FALSE(o.hasDefinition) << o.name;
        }
    }
    EXPECT_EQ(materials.size(), 3u);
}

TEST(GeneratedScripts, ScriptsNameSceneActorsAndNoMaterialWords) {
    const GeneratedScene s = make(44, 120);
    std::set<std::string> names;
    for (const auto& o : s.objects)
        names.insert(o.name);
    int references = 0;
    for (const GeneratedObject& o : s.objects) {
        if (o.script != ScriptState::Present)
            continue;
        const std::string text = scriptText(s.bytes, o);
        for (const char* word : {"wood", "brass", "glass"})
            EXPECT_EQ(lower(text).find(word), std::string::npos) << o.name;
        for (std::size_t at = text.find("findactor "); at != std::string::npos;
             at = text.find("findactor ", at + 1)) {
            const std::size_t open = text.find('"', at);
            const std::size_t close = text.find('"', open + 1);
            ASSERT_NE(close, std::string::npos);
            EXPECT_TRUE(names.count(text.substr(open + 1, close - open - 1)));
            ++references;
        }
    }
    EXPECT_GT(references, 0);
}
