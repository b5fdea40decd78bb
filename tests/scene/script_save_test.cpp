#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

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

std::uint32_t u32(const Bytes& b, std::size_t at) {
    return *view(b).u32(at);
}

// Applies a plan the way the edit layer does.
Bytes applyPlan(const Bytes& b, const ScriptSavePlan& plan) {
    return applyEdit(view(b), plan.edit);
}

// Plans, applies and checks a save; the check must accept it.
Bytes save(const Bytes& b, std::size_t entry, const std::string& text) {
    const SceneIndex idx = buildSceneIndex(view(b));
    const auto span = locateScript(view(b), idx, entry);
    EXPECT_TRUE(span.has_value());
    const ScriptSaveResult r = planScriptSave(view(b), idx, entry, text, span->textLength);
    EXPECT_TRUE(r.plan.has_value()) << r.error;
    if (!r.plan)
        return b;
    Bytes after = applyPlan(b, *r.plan);
    const EditCheck c = checkEdit(view(b), idx, r.plan->edit, view(after), r.plan->expect);
    EXPECT_TRUE(c.ok) << c.why;
    return after;
}

// The check's verdict on saving `text` as the script of `entry`.
EditCheck checkSave(const Bytes& b, std::size_t entry, const std::string& text) {
    const SceneIndex idx = buildSceneIndex(view(b));
    const auto span = locateScript(view(b), idx, entry);
    const ScriptSaveResult r = planScriptSave(view(b), idx, entry, text, span->textLength);
    EXPECT_TRUE(r.plan.has_value()) << r.error;
    const Bytes after = applyPlan(b, *r.plan);
    return checkEdit(view(b), idx, r.plan->edit, view(after), r.plan->expect);
}

// Every other entry keeps its name, tick and script text.
void expectOthersUnchanged(const Bytes& before, const Bytes& after, std::size_t edited) {
    const SceneIndex a = buildSceneIndex(view(before)), b = buildSceneIndex(view(after));
    ASSERT_EQ(a.entries.size(), b.entries.size());
    for (std::size_t i = 0; i < a.entries.size(); ++i) {
        EXPECT_EQ(a.entries[i].name, b.entries[i].name);
        EXPECT_EQ(a.entries[i].ticked, b.entries[i].ticked);
        if (i != edited) {
            EXPECT_EQ(readScript(view(before), a, i), readScript(view(after), b, i)) << i;
        }
    }
}

class ScriptSave : public ::testing::Test {
protected:
    GeneratedScene g = generateScene({21, 60, std::nullopt});
    std::size_t objectEntry = 0;
    std::size_t initEntry = 0;
    void SetUp() override {
        while (g.objects[objectEntry].script != ScriptState::Present)
            ++objectEntry;
        initEntry = g.objects.size() + 1;
    }
};

TEST_F(ScriptSave, UnchangedTextWritesNothing) {
    const SceneIndex idx = buildSceneIndex(view(g.bytes));
    for (std::size_t e : {objectEntry, initEntry}) {
        const std::string text = *readScript(view(g.bytes), idx, e);
        const auto r = planScriptSave(view(g.bytes), idx, e, text, text.size());
        ASSERT_TRUE(r.plan.has_value());
        EXPECT_TRUE(r.plan->sameLength);
        EXPECT_TRUE(r.plan->edit.lengthFields.empty());
        EXPECT_EQ(applyPlan(g.bytes, *r.plan), g.bytes);
    }
}

TEST_F(ScriptSave, SameLengthEditChangesOnlyTheChangedBytes) {
    const SceneIndex idx = buildSceneIndex(view(g.bytes));
    std::string text = *readScript(view(g.bytes), idx, objectEntry);
    text[3] = '#';
    text[4] = '#';
    text.back() = '!';
    const auto r = planScriptSave(view(g.bytes), idx, objectEntry, text, text.size());
    ASSERT_TRUE(r.plan.has_value());
    const Bytes after = applyPlan(g.bytes, *r.plan);
    ASSERT_EQ(after.size(), g.bytes.size());
    std::size_t differing = 0;
    for (std::size_t i = 0; i < after.size(); ++i)
        differing += after[i] != g.bytes[i];
    EXPECT_LE(differing, 3u);
    EXPECT_EQ(readScript(view(after), buildSceneIndex(view(after)), objectEntry), text);
}

TEST_F(ScriptSave, GrowingAndShrinkingMoveEveryCoveringLength) {
    for (std::size_t e : {objectEntry, initEntry}) {
        SCOPED_TRACE(e);
        const SceneIndex idx = buildSceneIndex(view(g.bytes));
        const std::string old = *readScript(view(g.bytes), idx, e);
        for (const std::string& text : {old + "wait 100\r\n\x80\xFF\t\r", old.substr(0, 5)}) {
            const Bytes after = save(g.bytes, e, text);
            const std::int64_t d =
                static_cast<std::int64_t>(text.size()) - static_cast<std::int64_t>(old.size());
            EXPECT_EQ(static_cast<std::int64_t>(after.size()),
                      static_cast<std::int64_t>(g.bytes.size()) + d);
            EXPECT_EQ(u32(after, 2), after.size());
            const VerifyReport v = verifyScene(view(after));
            EXPECT_TRUE(v.ok()) << v.problems.front().what;
            const SceneIndex ai = buildSceneIndex(view(after));
            EXPECT_EQ(readScript(view(after), ai, e), text);
            const auto lengthPos =
                e == objectEntry ? ai.gesamtLaengeScriptPos : ai.initSectionLengthPos;
            EXPECT_EQ(u32(after, *lengthPos),
                      static_cast<std::int64_t>(u32(g.bytes, *lengthPos)) + d);
            expectOthersUnchanged(g.bytes, after, e);
            // And back again: the inverse edit restores every byte.
            EXPECT_EQ(save(after, e, old), g.bytes);
        }
    }
}

TEST_F(ScriptSave, LastRecordInTheFileHasNoTail) {
    const std::size_t last = g.objects.size() + g.initScripts.size() - 1;
    const Bytes after = save(g.bytes, last, "end\r\n");
    EXPECT_TRUE(verifyScene(view(after)).ok());
    EXPECT_EQ(std::string(after.end() - 5, after.end()), "end\r\n");
}

TEST_F(ScriptSave, RefusesWhatItCannotSaveSoundly) {
    const SceneIndex idx = buildSceneIndex(view(g.bytes));
    const std::string text = *readScript(view(g.bytes), idx, objectEntry);
    EXPECT_FALSE(
        planScriptSave(view(g.bytes), idx, objectEntry, text, text.size() + 1).plan.has_value())
        << "the loaded length no longer matches the file";
    std::size_t unticked = 0;
    while (idx.entries[unticked].ticked)
        ++unticked;
    EXPECT_FALSE(planScriptSave(view(g.bytes), idx, unticked, "x", 0).plan.has_value());

    // A data chunk that does not end with the script: moving lengths would corrupt it.
    Bytes broken = g.bytes;
    const std::size_t c = *idx.entries[objectEntry].dataChunkPos;
    broken[c + 2] = static_cast<std::uint8_t>(broken[c + 2] + 1);
    const ScriptSaveResult r =
        planScriptSave(view(broken), idx, objectEntry, text + "x", text.size());
    EXPECT_FALSE(r.plan.has_value());
    EXPECT_NE(r.error.find("data chunk"), std::string::npos) << r.error;
}

TEST(ScriptSaveWorkedExample, ShrinkingByTenMovesTheTail) {
    const std::string oldText(100, 'a');
    const Bytes b =
        mini::scene([](SceneWriter& w) { mini::object(w, "Tom"); },
                    [&](SceneWriter& w) {
                        mini::definition(w, "Tom", 35, std::string(30, '\x07'), &oldText);
                        mini::definition(w, "Other", 4, "zz");
                    });
    const std::string newText(90, 'b');
    const Bytes after = save(b, 0, newText);
    ASSERT_EQ(after.size(), b.size() - 10);
    const SceneIndex idx = buildSceneIndex(view(b));
    const std::size_t textEnd = *idx.entries[0].scriptPos + 4 + 100;
    EXPECT_TRUE(std::equal(b.begin() + static_cast<std::ptrdiff_t>(textEnd), b.end(),
                           after.begin() + static_cast<std::ptrdiff_t>(textEnd - 10)));
    const std::size_t R = *idx.entries[0].definitionPos, C = *idx.entries[0].dataChunkPos;
    EXPECT_EQ(u32(after, R + 2), u32(b, R + 2) - 10);
    EXPECT_EQ(u32(after, C + 2), u32(b, C + 2) - 10);
    EXPECT_EQ(u32(after, *idx.entries[0].scriptPos), 90u);
}

// Texts after which the index would no longer find the script are refused by
// the check, with a reason, before anything could be written.
TEST_F(ScriptSave, TextsTheIndexWouldNotFindAgainAreRefused) {
    for (const std::string& text : {std::string(), std::string("\tif x"), std::string("\n\n\n\n"),
                                    std::string("\x01\0\0\0\0zzzz")}) {
        SCOPED_TRACE(text);
        const EditCheck c = checkSave(g.bytes, objectEntry, text);
        EXPECT_FALSE(c.ok);
        EXPECT_NE(c.why.find("would not be found again"), std::string::npos) << c.why;
    }
    for (const std::string& text :
         {std::string(), std::string("\tinit"), std::string("\x05\x05go")}) {
        SCOPED_TRACE(text);
        EXPECT_FALSE(checkSave(g.bytes, initEntry, text).ok);
    }
    EXPECT_TRUE(checkSave(g.bytes, objectEntry, "\r\nx").ok);
    EXPECT_TRUE(checkSave(g.bytes, initEntry, "go\t\x01").ok);
}

TEST(ChangedRuns, SplitsIntoMaximalDifferingRuns) {
    const auto runs = changedRuns("abcdefgh", "aXYdeZgh", 100);
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[0].pos, 101u);
    EXPECT_EQ(std::string(runs[0].bytes.begin(), runs[0].bytes.end()), "XY");
    EXPECT_EQ(runs[1].pos, 105u);
}
} // namespace

namespace {
TEST(ReadScriptFromFile, MatchesTheScriptInMemoryAndFailsOnShortFiles) {
    const GeneratedScene g = generateScene({31, 40, std::nullopt});
    const std::string path = ::testing::TempDir() + "read_script_from_file.bin";
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(g.bytes.data()),
               static_cast<std::streamsize>(g.bytes.size()));
    const SceneIndex idx = buildSceneIndex(view(g.bytes));
    std::size_t checked = 0;
    for (std::size_t i = 0; i < idx.entries.size(); ++i) {
        EXPECT_EQ(readScriptFromFile(path, idx, i), readScript(view(g.bytes), idx, i)) << i;
        checked += idx.entries[i].ticked;
    }
    EXPECT_GT(checked, 5u);
    std::filesystem::resize_file(path, g.bytes.size() - 3);
    EXPECT_FALSE(readScriptFromFile(path, idx, idx.entries.size() - 1).has_value());
    std::filesystem::remove(path);
    EXPECT_FALSE(readScriptFromFile(path, idx, 0).has_value());
}
} // namespace
