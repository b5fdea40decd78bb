#include <gtest/gtest.h>

#include <random>

#include "demo_mission.h"
#include "mini_scene.h"
#include "scene_edit.h"
#include "scene_generator.h"
#include "scene_index.h"
#include "scene_verify.h"
#include "script_save.h"
#include "script_text.h"

namespace {
using Bytes = std::vector<std::uint8_t>;

ByteView view(const Bytes& b) {
    return ByteView(b.data(), b.size());
}

struct Scene {
    Bytes bytes;
    SceneIndex index;
};

Scene sceneOf(Bytes b) {
    SceneIndex idx = buildSceneIndex(view(b));
    return {std::move(b), std::move(idx)};
}

// Bytes that make or break what the index and the check look for: chunk ids
// (10 40, 10 00, 20..24 AE, 50 51 AE), script markers (01 / 05 and zeros),
// CR LF, the material words, and printable text.
std::uint8_t nastyByte(std::mt19937& rng) {
    static const std::uint8_t pool[] = {0x00, 0x00, 0x01, 0x05, 0x10, 0x40, 0xAE, 0x20, 0x21,
                                        0x22, 0x23, 0x24, 0x50, 0x51, 0x0D, 0x0A, 0x11, 'g',
                                        'l',  'a',  's',  'b',  'r',  'x',  ' ',  'Q'};
    if (rng() % 3 == 0)
        return static_cast<std::uint8_t>(32 + rng() % 95);
    return pool[rng() % sizeof pool];
}

Bytes nastyBytes(std::mt19937& rng, std::size_t max) {
    Bytes b(rng() % (max + 1));
    for (auto& c : b)
        c = nastyByte(rng);
    return b;
}

// A position near `at`: on it, a few bytes before or after, so splices land
// next to chunk headers, markers and length fields.
std::uint64_t near(std::uint64_t at, std::mt19937& rng) {
    const std::int64_t off = static_cast<std::int64_t>(rng() % 17) - 8;
    return static_cast<std::uint64_t>(
        std::max<std::int64_t>(0, static_cast<std::int64_t>(at) + off));
}

struct RandomEdit {
    Edit edit;
    EditExpectation expect;
};

// A script save as the writer plans it, of a random splice inside the text
// (often right at its start or end), given either as the writer's splice over
// the whole text or as the splice alone.
std::optional<RandomEdit> scriptEdit(const Scene& s, std::mt19937& rng) {
    const auto& e = s.index.entries;
    std::vector<std::size_t> scripted;
    for (std::size_t i = 0; i < e.size(); ++i)
        if (e.ticked(i))
            scripted.push_back(i);
    if (scripted.empty())
        return std::nullopt;
    const std::size_t entry = scripted[rng() % scripted.size()];
    const auto span = locateScript(view(s.bytes), s.index, entry);
    if (!span || span->textLength == 0)
        return std::nullopt;
    const std::uint64_t len = span->textLength;
    std::uint64_t at = rng() % 3 == 0   ? rng() % std::min<std::uint64_t>(len, 12)
                       : rng() % 2 == 0 ? len - rng() % std::min<std::uint64_t>(len, 12)
                                        : rng() % len;
    at = std::min(at, len);
    const std::uint64_t removed = rng() % (std::min<std::uint64_t>(9, len - at) + 1);
    const Bytes inserted = nastyBytes(rng, 9);
    std::string text(s.bytes.begin() + static_cast<std::ptrdiff_t>(span->textPos),
                     s.bytes.begin() + static_cast<std::ptrdiff_t>(span->textPos + len));
    text.replace(at, removed, std::string(inserted.begin(), inserted.end()));
    ScriptSaveResult r = planScriptSave(view(s.bytes), s.index, entry, text, len);
    if (!r.plan)
        return std::nullopt;
    RandomEdit out{std::move(r.plan->edit), std::move(r.plan->expect)};
    if (rng() % 2)
        out.edit.splices = {{span->textPos + at, removed, inserted}};
    return out;
}

// A splice anywhere, near a position the index holds, or over a length field
// or a name, with the length fields a script save of a random entry would
// move (or none): most of these the shortcut must decline.
std::optional<RandomEdit> strayEdit(const Scene& s, std::mt19937& rng) {
    const auto& e = s.index.entries;
    if (e.empty() || s.bytes.size() < 16)
        return std::nullopt;
    const std::size_t i = rng() % e.size();
    const IndexRecord r = e[i];
    std::vector<std::uint64_t> spots = {rng() % s.bytes.size(), 2, 4};
    for (const auto& p : {r.recordPos, r.namePos, r.definitionPos, r.dataChunkPos, r.scriptPos,
                          r.weightPos, r.translationPos, s.index.gesamtLaengeScriptPos,
                          s.index.initSectionLengthPos, s.index.modelLenPos})
        if (p)
            spots.push_back(*p);
    const std::uint64_t pos =
        std::min<std::uint64_t>(near(spots[rng() % spots.size()], rng), s.bytes.size());
    const std::uint64_t removed = rng() % (std::min<std::uint64_t>(6, s.bytes.size() - pos) + 1);
    Bytes inserted = nastyBytes(rng, 6);
    if (rng() % 3 == 0)
        inserted.resize(removed); // an overwrite of the same length
    RandomEdit out;
    out.edit.splices = {{pos, removed, inserted}};
    const std::size_t j = rng() % e.size();
    if (const auto text = readScript(view(s.bytes), s.index, j); text && rng() % 2) {
        ScriptSaveResult plan =
            planScriptSave(view(s.bytes), s.index, j, *text + "x", text->size());
        if (plan.plan)
            for (LengthFieldChange f : plan.plan->edit.lengthFields) {
                f.delta =
                    static_cast<std::int64_t>(inserted.size()) - static_cast<std::int64_t>(removed);
                out.edit.lengthFields.push_back(f);
            }
        out.expect.scripts.emplace_back(j, *text);
    }
    return out;
}

// The shortcut, against the whole index and the whole check, on random
// edits of generated scenes and the demo mission; accepted edits are kept
// now and then, so later edits work on scenes already changed.
TEST(SpliceReindex, RandomEditsGiveTheWholeIndexAndTheWholeVerdict) {
    std::vector<Bytes> originals;
    for (std::uint32_t seed : {3u, 17u, 2024u}) {
        GeneratorOptions o;
        o.seed = seed;
        o.objectCount = 8;
        originals.push_back(generateScene(o).bytes);
    }
    originals.push_back(makeDemoMission().scene.bytes);
    std::vector<Scene> scenes;
    for (const Bytes& b : originals)
        scenes.push_back(sceneOf(b));

    std::mt19937 rng(19);
    int tried = 0, shortcut = 0, accepted = 0, refused = 0;
    while (tried < 10000) {
        const std::size_t k = rng() % scenes.size();
        Scene& s = scenes[k];
        const auto planned = rng() % 3 ? scriptEdit(s, rng) : strayEdit(s, rng);
        if (!planned)
            continue;
        ++tried;
        const Edit& edit = planned->edit;
        if (validateEdit(view(s.bytes), edit)) {
            EXPECT_FALSE(spliceSceneIndex(view(s.bytes), s.index, edit, view(s.bytes)));
            continue;
        }
        const Bytes after = applyEdit(view(s.bytes), edit);
        const auto moved = spliceSceneIndex(view(s.bytes), s.index, edit, view(after));
        const SceneIndex whole = buildSceneIndex(view(after));
        if (moved) {
            ++shortcut;
            ASSERT_EQ(*moved, whole) << "edit " << tried << " at " << edit.splices[0].pos;
            // The whole-file verdict is kept: a file that passed still passes.
            ASSERT_TRUE(verifyScene(view(after), whole).ok() ||
                        !verifyScene(view(s.bytes), s.index).ok())
                << "edit " << tried;
        }
        const EditCheck quick =
            checkEdit(view(s.bytes), s.index, edit, view(after), planned->expect);
        const EditCheck full =
            checkEditWhole(view(s.bytes), s.index, edit, view(after), planned->expect);
        ASSERT_EQ(quick.ok, full.ok) << "edit " << tried << ": " << full.why << " / " << quick.why;
        ASSERT_EQ(quick.why, full.why) << "edit " << tried;
        if (!full.ok) {
            ++refused;
            continue;
        }
        ++accepted;
        ASSERT_EQ(quick.newIndex, full.newIndex) << "edit " << tried;
        if (after.size() < 3 * originals[k].size() && rng() % 4 == 0)
            s = Scene{after, full.newIndex};
        else if (rng() % 64 == 0)
            s = sceneOf(originals[k]);
    }
    // The shortcut must carry most script saves, and both verdicts must occur.
    EXPECT_GT(shortcut, 2500);
    EXPECT_GT(accepted, 2500);
    EXPECT_GT(refused, 1000);
}

// Cases the shortcut declines although the edit lies inside a script's text:
// each breaks one step of its argument, and the whole index tells otherwise.
TEST(SpliceReindex, DeclinesWhereTheTextIsReadAsStructure) {
    GeneratorOptions o;
    o.seed = 5;
    o.objectCount = 6;
    const Scene s = sceneOf(generateScene(o).bytes);
    std::size_t entry = 0;
    while (entry < s.index.entries.size() &&
           (!s.index.entries.ticked(entry) || isInitScriptEntry(s.index, entry)))
        ++entry;
    ASSERT_LT(entry, s.index.entries.size());
    const std::string text = *readScript(view(s.bytes), s.index, entry);
    ASSERT_GT(text.size(), 12u);
    struct Case {
        const char* what;
        std::string newText;
        bool shortcut;
    };
    const std::vector<Case> cases = {
        {"a line appended", text + "wait 1\r\n", true},
        {"the end cut off", text.substr(0, text.size() - 3), true},
        {"the first four bytes, which make the script found", "\x01\x02" + text.substr(2), false},
        {"the fourth byte replaced", text.substr(0, 3) + "\x05" + text.substr(4), false},
        {"the script emptied", "", false},
    };
    for (const Case& c : cases) {
        ScriptSaveResult r = planScriptSave(view(s.bytes), s.index, entry, c.newText, text.size());
        ASSERT_TRUE(r.plan) << c.what;
        const Bytes after = applyEdit(view(s.bytes), r.plan->edit);
        const auto moved = spliceSceneIndex(view(s.bytes), s.index, r.plan->edit, view(after));
        EXPECT_EQ(moved.has_value(), c.shortcut) << c.what;
        if (moved) {
            EXPECT_EQ(*moved, buildSceneIndex(view(after))) << c.what;
        }
    }
}

// Scripts whose text the index reads as values: a human's script placed
// right at the start of its data (its length field is the sex byte, its text
// the aggression and weight), a physical thing whose script gains the word
// that makes it glass. The shortcut declines; the whole index shows why.
TEST(SpliceReindex, DeclinesWhereTheIndexReadsTheScriptAsValues) {
    const std::string script(120, 'w');
    const std::string doorValues(20, 'v');
    struct Case {
        const char* what;
        Bytes bytes;
        std::string added;
        const char* changes; // the field of entry 0 the edit changes
    };
    const std::vector<Case> cases = {
        {"human, script first",
         mini::scene([](SceneWriter& w) { mini::object(w, "Man"); },
                     [&](SceneWriter& w) { mini::definition(w, "Man", 27, "", &script); }),
         "wait 1\r\n", "sex"},
        {"door gaining glass",
         mini::scene([](SceneWriter& w) { mini::object(w, "Door"); },
                     [&](SceneWriter& w) { mini::definition(w, "Door", 6, doorValues, &script); }),
         std::string(80, ' ') + "glass", "material"},
    };
    for (const Case& c : cases) {
        const Scene s = sceneOf(c.bytes);
        ASSERT_TRUE(s.index.entries.ticked(0)) << c.what;
        const std::string text = *readScript(view(s.bytes), s.index, 0);
        ScriptSaveResult r = planScriptSave(view(s.bytes), s.index, 0, text + c.added, text.size());
        ASSERT_TRUE(r.plan) << c.what;
        // The added text alone, so that no position lies in the bytes replaced.
        const auto span = locateScript(view(s.bytes), s.index, 0);
        r.plan->edit.splices = {
            {span->textPos + span->textLength, 0, Bytes(c.added.begin(), c.added.end())}};
        const Bytes after = applyEdit(view(s.bytes), r.plan->edit);
        const IndexRecord was = s.index.entries[0];
        const IndexRecord now = buildSceneIndex(view(after)).entries[0];
        EXPECT_TRUE(was.sex != now.sex || was.material != now.material) << c.what << c.changes;
        EXPECT_FALSE(spliceSceneIndex(view(s.bytes), s.index, r.plan->edit, view(after))) << c.what;
        const EditCheck quick =
            checkEdit(view(s.bytes), s.index, r.plan->edit, view(after), r.plan->expect);
        const EditCheck full =
            checkEditWhole(view(s.bytes), s.index, r.plan->edit, view(after), r.plan->expect);
        EXPECT_EQ(quick.ok, full.ok) << c.what;
        EXPECT_EQ(quick.why, full.why) << c.what;
    }
}

// A data chunk without a script that ends in a script marker with a text
// length of 2: the marker's text test reads the next record's header, whose
// length field reads as two printable bytes when that record is 8224 (0x2020)
// bytes long. Shortening the next record's script moves that field, and the
// first entry loses its script: the shortcut must decline.
TEST(SpliceReindex, DeclinesWhereAMarkerBeforeTheRecordReadsItsLength) {
    // Values long enough that no data chunk starts within reach of the field.
    const std::string markerEnd =
        std::string(90, 'v') + std::string("\x01\x00\x00\x00\x00\x02\x00\x00\x00", 9);
    auto build = [&](const std::string& script) {
        return mini::scene(
            [](SceneWriter& w) {
                mini::object(w, "A");
                mini::object(w, "B");
            },
            [&](SceneWriter& w) {
                mini::definition(w, "A", 4, markerEnd);
                mini::definition(w, "B", 4, std::string(70, 'u'), &script);
            });
    };
    std::string script(8000, 'w');
    Scene s = sceneOf(build(script));
    const std::uint32_t recordB = *s.index.entries.definitionPos(1);
    script.resize(script.size() + 0x2020 - *view(s.bytes).u32(recordB + 2), 'w');
    s = sceneOf(build(script));
    ASSERT_EQ(*view(s.bytes).u32(recordB + 2), 0x2020u);
    ASSERT_TRUE(s.index.entries.ticked(0));
    ScriptSaveResult r = planScriptSave(view(s.bytes), s.index, 1,
                                        script.substr(0, script.size() - 1), script.size());
    ASSERT_TRUE(r.plan);
    const Bytes after = applyEdit(view(s.bytes), r.plan->edit);
    EXPECT_FALSE(buildSceneIndex(view(after)).entries.ticked(0));
    EXPECT_FALSE(spliceSceneIndex(view(s.bytes), s.index, r.plan->edit, view(after)));
}
} // namespace
