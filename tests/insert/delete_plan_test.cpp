#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "chunk_ids.h"
#include "file_access.h"
#include "insert_support.h"
#include "mini_scene.h"
#include "scene_delete.h"

namespace {

struct Deleted {
    Bytes after;
    EditCheck check;
    DeletePlan plan;
};

Deleted deleteEntry(const Bytes& before, std::size_t entry) {
    const SceneIndex index = buildSceneIndex(view(before));
    auto r = planDelete(view(before), index, entry);
    if (!r.plan)
        throw std::runtime_error("not planned: " + r.error);
    Deleted d;
    d.plan = std::move(*r.plan);
    d.after = applyEdit(view(before), d.plan.edit);
    d.check = checkEdit(view(before), index, d.plan.edit, view(d.after), d.plan.expect);
    return d;
}

// The first generated object that matches `pred`, with its list index.
template <typename Pred> std::size_t findObject(const GeneratedScene& s, Pred pred) {
    const SceneIndex index = buildSceneIndex(view(s.bytes));
    for (const GeneratedObject& o : s.objects) {
        if (o.nameOnly || !pred(o))
            continue;
        for (std::size_t i = 0; i < index.entries.size(); ++i)
            if (index.entries[i].recordPos == o.recordOffset)
                return i;
    }
    throw std::runtime_error("no such object in the sample");
}

} // namespace

TEST(Deletion, PlainAndLightObjectsLeaveTheDefinitionsAlone) {
    const GeneratedScene s = sampleScene(17, 60);
    for (ObjectKind k : {ObjectKind::Plain, ObjectKind::Light}) {
        const std::size_t e = findObject(s, [&](const GeneratedObject& o) {
            return o.kind == k && o.script != ScriptState::Present;
        });
        const IndexRecord rec = buildSceneIndex(view(s.bytes)).entries[e];
        const Deleted d = deleteEntry(s.bytes, e);
        ASSERT_TRUE(d.check.ok) << d.check.why;
        const std::uint32_t lr = u32At(s.bytes, *rec.recordPos + 2);
        EXPECT_EQ(d.after.size(), s.bytes.size() - lr);
        EXPECT_EQ(u32At(d.after, 2), d.after.size());
        EXPECT_EQ(u32At(d.after, s.definitionsOffset - lr + 2),
                  u32At(s.bytes, s.definitionsOffset + 2));
        EXPECT_TRUE(std::equal(s.bytes.begin() + *rec.recordPos + lr, s.bytes.end(),
                               d.after.begin() + *rec.recordPos));
        EXPECT_TRUE(verifyScene(view(d.after)).ok());
    }
}

TEST(Deletion, AScriptedObjectLosesBothRecords) {
    const GeneratedScene s = sampleScene(17, 60);
    const std::size_t e =
        findObject(s, [](const GeneratedObject& o) { return o.script == ScriptState::Present; });
    const IndexRecord rec = buildSceneIndex(view(s.bytes)).entries[e];
    ASSERT_TRUE(rec.ticked);
    const std::uint32_t lr = u32At(s.bytes, *rec.recordPos + 2);
    const std::uint32_t ld = u32At(s.bytes, *rec.definitionPos + 2);
    const Deleted d = deleteEntry(s.bytes, e);
    ASSERT_TRUE(d.check.ok) << d.check.why;
    EXPECT_EQ(d.after.size(), s.bytes.size() - lr - ld);
    EXPECT_EQ(u32At(d.after, 2), d.after.size());
    EXPECT_EQ(u32At(d.after, s.objectsOffset + 2), u32At(s.bytes, s.objectsOffset + 2) - lr);
    EXPECT_EQ(u32At(d.after, s.definitionsOffset - lr + 2),
              u32At(s.bytes, s.definitionsOffset + 2) - ld);
    EXPECT_EQ(d.check.newIndex.entries.size(), buildSceneIndex(view(s.bytes)).entries.size() - 1);
    EXPECT_EQ(d.check.newIndex.entries[e].name, buildSceneIndex(view(s.bytes)).entries[e + 1].name)
        << "the next entry now stands where the deleted one stood";

    // A script under a definition type without values of its own: the tick
    // alone takes the definition record along.
    const std::string script = "wait 10\r\n";
    const Bytes mini =
        mini::scene([](SceneWriter& w) { mini::object(w, "Tom"); },
                    [&](SceneWriter& w) { mini::definition(w, "Tom", 12, "", &script); });
    const IndexRecord tom = buildSceneIndex(view(mini)).entries[0];
    ASSERT_TRUE(tom.ticked);
    ASSERT_EQ(tom.kind, 12);
    const Deleted m = deleteEntry(mini, 0);
    ASSERT_TRUE(m.check.ok) << m.check.why;
    EXPECT_EQ(m.after.size(),
              mini.size() - u32At(mini, *tom.recordPos + 2) - u32At(mini, *tom.definitionPos + 2));
}

TEST(Deletion, KindsWithDefinitionValuesLoseTheirDefinition) {
    const GeneratedScene s = sampleScene(23, 80);
    for (ObjectKind k :
         {ObjectKind::Human, ObjectKind::Thing, ObjectKind::Physical, ObjectKind::Vehicle}) {
        const std::size_t e = findObject(s, [&](const GeneratedObject& o) {
            return o.kind == k && o.hasDefinition && o.definitionName == o.name;
        });
        const IndexRecord rec = buildSceneIndex(view(s.bytes)).entries[e];
        const Deleted d = deleteEntry(s.bytes, e);
        ASSERT_TRUE(d.check.ok) << d.check.why;
        EXPECT_EQ(d.after.size(), s.bytes.size() - u32At(s.bytes, *rec.recordPos + 2) -
                                      u32At(s.bytes, *rec.definitionPos + 2));
    }
    // Without a script too: the kind alone takes the definition along.
    for (std::uint8_t type : {4, 6, 27, 35}) {
        SCOPED_TRACE(int(type));
        const Bytes mini = mini::scene(
            [](SceneWriter& w) { mini::object(w, "Tom"); },
            [&](SceneWriter& w) { mini::definition(w, "Tom", type, std::string(70, '\x02')); });
        const IndexRecord tom = buildSceneIndex(view(mini)).entries[0];
        ASSERT_FALSE(tom.ticked);
        ASSERT_EQ(tom.kind, type);
        const Deleted d = deleteEntry(mini, 0);
        ASSERT_TRUE(d.check.ok) << d.check.why;
        EXPECT_EQ(d.after.size(), mini.size() - u32At(mini, *tom.recordPos + 2) -
                                      u32At(mini, *tom.definitionPos + 2));
    }
}

TEST(Deletion, TheLastObjectOfTheSectionGoesLikeAnyOther) {
    const Bytes before = mini::scene(
        [](SceneWriter& w) {
            mini::object(w, "a");
            mini::object(w, "b");
        },
        [](SceneWriter& w) { mini::definition(w, "a", 35, std::string(30, '\x07')); },
        [](SceneWriter& w) { mini::initScript(w, "GameInit", "end\r\n"); });
    const SceneIndex index = buildSceneIndex(view(before));
    const Deleted d = deleteEntry(before, 1);
    ASSERT_TRUE(d.check.ok) << d.check.why;
    const std::uint32_t lr = u32At(before, *index.entries[1].recordPos + 2);
    Bytes want(before.begin(), before.begin() + *index.entries[1].recordPos);
    want.insert(want.end(), before.begin() + *index.entries[1].recordPos + lr, before.end());
    // Only the header's and the objects section's lengths differ.
    want[2] = d.after[2];
    want[3] = d.after[3];
    want[*index.modelLenPos] = d.after[*index.modelLenPos];
    EXPECT_EQ(d.after, want);
    EXPECT_EQ(d.check.newIndex.entries.size(), 2u);
    EXPECT_EQ(d.check.newIndex.entries[1].name, "GameInit");
}

TEST(Deletion, InitScriptsCannotBeDeleted) {
    const Bytes before =
        mini::scene([](SceneWriter& w) { mini::object(w, "a"); }, {},
                    [](SceneWriter& w) { mini::initScript(w, "GameInit", "end\r\n"); });
    const auto r = planDelete(view(before), buildSceneIndex(view(before)), 1);
    EXPECT_FALSE(r.plan);
    EXPECT_TRUE(r.initScript);
    EXPECT_EQ(r.error, "Could not be deleted!");
}

TEST(Deletion, ADefinitionLeftBehindGoesToTheNextOfTheSameName) {
    // Two definitions name the first "twin": the deletion removes the one the
    // index kept (the last), and the other passes to the second "twin".
    const Bytes before = mini::scene(
        [](SceneWriter& w) {
            mini::object(w, "twin");
            mini::object(w, "twin");
        },
        [](SceneWriter& w) {
            mini::definition(w, "twin", 27, std::string(70, '\x02'));
            mini::definition(w, "twin", 35, std::string(30, '\x03'));
        });
    const SceneIndex index = buildSceneIndex(view(before));
    ASSERT_EQ(index.entries[0].kind, deftype::Thing);
    ASSERT_EQ(index.entries[1].kind, kind::Plain);
    const Deleted d = deleteEntry(before, 0);
    ASSERT_TRUE(d.check.ok) << d.check.why;
    EXPECT_EQ(d.after.size(), before.size() - u32At(before, *index.entries[0].recordPos + 2) -
                                  u32At(before, *index.entries[0].definitionPos + 2));
    ASSERT_EQ(d.check.newIndex.entries.size(), 1u);
    EXPECT_EQ(d.check.newIndex.entries[0].kind, deftype::Human);

    // "Tom.x" cut before its "." names "Tom", who comes first: both "Tom.x"
    // definitions are his. Deleting him leaves the first to "Tom.x".
    const Bytes dotted = mini::scene(
        [](SceneWriter& w) {
            mini::object(w, "Tom");
            mini::object(w, "Tom.x");
        },
        [](SceneWriter& w) {
            mini::definition(w, "Tom.x", 35, std::string(30, '\x03'));
            mini::definition(w, "Tom.x", 27, std::string(70, '\x02'));
        });
    const SceneIndex dottedIndex = buildSceneIndex(view(dotted));
    ASSERT_EQ(dottedIndex.entries[0].kind, deftype::Human);
    ASSERT_EQ(dottedIndex.entries[1].kind, kind::Plain);
    const Deleted t = deleteEntry(dotted, 0);
    ASSERT_TRUE(t.check.ok) << t.check.why;
    ASSERT_EQ(t.check.newIndex.entries.size(), 1u);
    EXPECT_EQ(t.check.newIndex.entries[0].kind, deftype::Thing);
}

TEST(Deletion, CommittedFileIsExactlyTheShortenedBytes) {
    const GeneratedScene s = sampleScene(29, 40);
    const auto dir = std::filesystem::temp_directory_path() / "qs_delete_commit";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    const auto path = (dir / "scene2.bin").string();
    {
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(s.bytes.data()),
                  static_cast<std::streamsize>(s.bytes.size()));
    }
    const SceneIndex index = buildSceneIndex(view(s.bytes));
    const std::size_t e =
        findObject(s, [](const GeneratedObject& o) { return o.script == ScriptState::Present; });
    const auto planned = planDelete(view(s.bytes), index, e);
    ASSERT_TRUE(planned.plan);
    const EditOutcome out =
        commitEdit(path, view(s.bytes), index, planned.plan->edit, planned.plan->expect);
    ASSERT_TRUE(out.ok) << out.error;
    Bytes onDisk;
    ASSERT_TRUE(readWholeFile(path, onDisk));
    EXPECT_EQ(onDisk, out.newBytes);
    EXPECT_EQ(onDisk.size(), u32At(onDisk, 2));
    for (const auto& f : std::filesystem::directory_iterator(dir))
        EXPECT_EQ(f.path().filename(), "scene2.bin") << "no temporary file is left";
    std::filesystem::remove_all(dir);
}
