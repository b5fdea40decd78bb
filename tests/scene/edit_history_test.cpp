#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <variant>

#include "edit_history.h"
#include "file_access.h"
#include "insert_fields.h"
#include "insert_plan.h"
#include "mini_scene.h"
#include "scene_delete.h"
#include "scene_generator.h"
#include "scene_index.h"
#include "scene_verify.h"
#include "script_save.h"
#include "script_text.h"
#include "value_save.h"

namespace {
using Bytes = std::vector<std::uint8_t>;
namespace fs = std::filesystem;

ByteView view(const Bytes& b) {
    return ByteView(b.data(), b.size());
}

Bytes text(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

Bytes pattern(std::size_t n) {
    Bytes b(n);
    for (std::size_t i = 0; i < n; ++i)
        b[i] = static_cast<std::uint8_t>(i * 7 + 3);
    return b;
}

TEST(InverseEdit, GivesBackTheKeptBytesForEverySpliceShape) {
    const Bytes kept = pattern(64);
    struct Case {
        const char* what;
        Edit edit;
    };
    const std::vector<Case> cases = {
        {"an insertion where a length field lies", {{{8, 0, text("abc")}}, {{8, 3}, {0, 3}}}},
        {"adjacent splices, a field at the end of one",
         {{{10, 2, text("xyz")}, {12, 3, text("q")}}, {{15, -1}, {0, -1}}}},
        {"a removal with nothing inserted, a field just before it",
         {{{20, 5, {}}}, {{16, -5}, {0, -5}}}},
        {"two splices at one position", {{{30, 0, text("AB")}, {30, 2, text("C")}}, {{32, 1}}}},
        {"a splice that changes nothing beside one that does",
         {{{4, 0, {}}, {40, 1, text("ZZ")}}, {{44, 1}, {0, 1}}}},
        {"the first and the last byte", {{{0, 1, text("<<")}, {63, 1, {}}}, {{8, 0}}}},
        {"an in-place overwrite", {{{40, 4, text("WXYZ")}}, {}, true}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_FALSE(validateEdit(view(kept), c.edit));
        const Bytes after = applyEdit(view(kept), c.edit);
        ASSERT_NE(after, kept);
        const Edit back = inverseEdit(view(kept), c.edit);
        EXPECT_FALSE(validateEdit(view(after), back));
        EXPECT_EQ(applyEdit(view(after), back), kept);
        EXPECT_EQ(back.mayWriteInPlace, c.edit.mayWriteInPlace);
        EXPECT_EQ(back.keepsLength(), c.edit.keepsLength());
    }
}

TEST(ByteDigest, EveryBitAndTheLengthCount) {
    // Four-word blocks, one whole word and five single bytes after them.
    Bytes b = pattern(109);
    const ByteDigest base = digestOf(view(b));
    EXPECT_EQ(digestOf(view(Bytes(b))), base) << "content, not address";
    std::set<std::uint64_t> seen{base.hash};
    for (std::size_t i = 0; i < b.size(); ++i) {
        for (int bit = 0; bit < 8; ++bit) {
            b[i] ^= static_cast<std::uint8_t>(1u << bit);
            const ByteDigest d = digestOf(view(b));
            EXPECT_EQ(d.size, base.size);
            EXPECT_TRUE(seen.insert(d.hash).second) << "byte " << i << " bit " << bit;
            b[i] ^= static_cast<std::uint8_t>(1u << bit);
        }
    }
    // Zeros of every length up to two blocks.
    const Bytes zeros(70, 0);
    std::set<std::uint64_t> byLength;
    for (std::size_t n = 0; n <= zeros.size(); ++n)
        EXPECT_TRUE(byLength.insert(digestOf(ByteView(zeros.data(), n)).hash).second) << n;
}

enum class Kind { SameLengthScript, LongerScript, ShorterScript, Values, Insertion, Deletion };
constexpr Kind kKinds[] = {Kind::SameLengthScript, Kind::LongerScript, Kind::ShorterScript,
                           Kind::Values,           Kind::Insertion,    Kind::Deletion};

struct Planned {
    std::string caption;
    Edit edit;
    EditExpectation expect;
};

std::optional<double> readPlain(std::string_view s) {
    const std::string t(s);
    char* end = nullptr;
    const double v = std::strtod(t.c_str(), &end);
    if (t.empty() || end != t.c_str() + t.size())
        return std::nullopt;
    return v;
}

// Plans one edit of `kind` on a random entry of `b`; nothing when the scene
// offers no entry for it or the writer refuses.
std::optional<Planned> plan(Kind kind, const Bytes& b, const SceneIndex& index, std::mt19937& rng) {
    const std::size_t n = index.entries.size();
    const std::size_t entry = n ? rng() % n : 0;
    const std::string tag = std::to_string(rng() % 100000);
    auto scripted = [&]() -> std::optional<ScriptSaveResult> {
        const auto old = n ? readScript(view(b), index, entry) : std::nullopt;
        if (!old || old->size() < 8)
            return std::nullopt;
        std::string t = *old;
        if (kind == Kind::SameLengthScript)
            t[4 + rng() % (t.size() - 4)] = t[4] == 'Q' ? 'R' : 'Q';
        else if (kind == Kind::LongerScript)
            t += "wait " + tag + "\r\n";
        else
            t.resize(5 + rng() % (t.size() - 5));
        if (t == *old)
            return std::nullopt;
        return planScriptSave(view(b), index, entry, t, old->size());
    };
    switch (kind) {
    case Kind::SameLengthScript:
    case Kind::LongerScript:
    case Kind::ShorterScript:
        if (auto r = scripted(); r && r->plan)
            return Planned{"script " + tag, r->plan->edit, r->plan->expect};
        return std::nullopt;
    case Kind::Values: {
        if (!n)
            return std::nullopt;
        ValueSaveInput in;
        const std::string x = tag + ".25";
        in.translation = {
            {{x, readNumber(x)}, {"-2", readNumber("-2")}, {"0.5", readNumber("0.5")}}};
        auto r = planValueSave(index, entry, in);
        if (auto* p = std::get_if<ValueSavePlan>(&r); p && !p->nothingToWrite)
            return Planned{"values " + tag, p->edit, p->expect};
        return std::nullopt;
    }
    case Kind::Insertion: {
        static const char* const categories[] = {"human", "things", "light", "door", "building"};
        InsertFields f;
        f.modelchoice = categories[rng() % 5];
        f.name = "Neu" + tag;
        f.model = "house.i3d";
        f.translation = {"1.5", "-2", "3.25"};
        f.size = {"1", "2", "0.5"};
        f.q0 = "0.5";
        f.q2 = "0.8660254";
        f.vertical = "30";
        f.q3 = "-0.25";
        f.brightness = "2.5";
        f.colour = {"255", "128", "0"};
        f.thingWeight = "80";
        f.thingSound = 3;
        f.humanWeight = "75";
        f.aggression = "0.5";
        f.sex = "17";
        f.behaviour = 16;
        f.doorOption = 2;
        const InsertCheck checked = checkInsertFields(f, index, readPlain);
        if (!checked.values)
            return std::nullopt;
        auto r = planInsert(view(b), index, *checked.values);
        if (!r.plan)
            return std::nullopt;
        return Planned{"insert " + f.name, r.plan->edit, r.plan->expect};
    }
    case Kind::Deletion: {
        if (!n || isInitScriptEntry(index, entry))
            return std::nullopt;
        auto r = planDelete(view(b), index, entry);
        if (!r.plan)
            return std::nullopt;
        return Planned{"delete " + index.entries[entry].name, r.plan->edit, r.plan->expect};
    }
    }
    return std::nullopt;
}

GeneratedScene smallScene(std::uint32_t seed) {
    GeneratorOptions o;
    o.seed = seed;
    o.objectCount = 10;
    return generateScene(o);
}

TEST(InverseEdit, UndoesEveryKindOfEditOnAGeneratedScene) {
    const Bytes kept = smallScene(3).bytes;
    const SceneIndex index = buildSceneIndex(view(kept));
    for (Kind kind : kKinds) {
        SCOPED_TRACE(static_cast<int>(kind));
        std::mt19937 rng(11);
        // Insertions and deletions of a record with a definition: two splices.
        const std::size_t splices = kind == Kind::Insertion || kind == Kind::Deletion ? 2 : 1;
        std::optional<Planned> p;
        for (int tries = 0; (!p || p->edit.splices.size() < splices) && tries < 200; ++tries)
            p = plan(kind, kept, index, rng);
        ASSERT_TRUE(p && p->edit.splices.size() >= splices);
        const Bytes after = applyEdit(view(kept), p->edit);
        ASSERT_NE(after, kept);
        const Edit back = inverseEdit(view(kept), p->edit);
        EXPECT_EQ(applyEdit(view(after), back), kept);
        EXPECT_EQ(back.mayWriteInPlace && back.keepsLength(), kind == Kind::Values);
    }
}

// A scene file on disk, edited through the real commits, with the history the
// window would keep and, in the test only, a copy of every state it wrote.
class HistoryOnDisk : public ::testing::Test {
protected:
    // Some fifteen hundred commits, each flushed to disk: on a memory file
    // system, where there is one, the flushes cost nothing.
    fs::path dir =
        (fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path()) /
        (std::string("quill_edit_history_") +
         ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::path path = dir / "scene2.bin";
    Bytes current;
    SceneIndex index;
    EditHistory history;
    std::vector<Bytes> states;         // states[0] as generated, then what each step wrote
    std::vector<std::string> captions; // captions[i] turned states[i] into states[i + 1]
    std::size_t at = 0;                // the state the file holds

    void SetUp() override { fs::create_directories(dir); }
    void TearDown() override { fs::remove_all(dir); }

    void start(const Bytes& b) {
        std::ofstream(path, std::ios::binary | std::ios::trunc)
            .write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
        current = b;
        index = buildSceneIndex(view(current));
        history.clear();
        states = {b};
        captions.clear();
        at = 0;
    }
    Bytes onDisk() const {
        Bytes b;
        EXPECT_TRUE(readWholeFile(path.string(), b));
        return b;
    }
    // The file, and what the history offers, match state `at`.
    void expectInStep() const {
        EXPECT_TRUE(onDisk() == states[at]) << "the file is not the bytes of step " << at;
        EXPECT_EQ(history.canUndo(), at > 0);
        EXPECT_EQ(history.canRedo(), at + 1 < states.size());
        EXPECT_EQ(history.undoCaption(), at > 0 ? captions[at - 1] : "");
        EXPECT_EQ(history.redoCaption(), at + 1 < states.size() ? captions[at] : "");
    }
    void adopt(EditOutcome& out) {
        current = std::move(out.newBytes);
        index = std::move(out.newIndex);
    }

    bool commitNew(const Planned& p) {
        EditOutcome out = commitEdit(path.string(), view(current), index, p.edit, p.expect);
        if (!out.ok)
            return false;
        EXPECT_TRUE(history.record(p.caption, view(current), p.edit, view(out.newBytes)));
        states.resize(at + 1);
        captions.resize(at);
        states.push_back(out.newBytes);
        captions.push_back(p.caption);
        adopt(out);
        ++at;
        expectInStep();
        return true;
    }
    void undo() {
        const auto step = history.undoStep();
        ASSERT_TRUE(step);
        EditOutcome out =
            commitRestoringEdit(path.string(), view(current), index, step->edit, step->expected);
        ASSERT_TRUE(out.ok) << "undo of " << step->caption << ": " << out.error;
        history.undone();
        adopt(out);
        --at;
        expectInStep();
    }
    void redo() {
        const auto step = history.redoStep();
        ASSERT_TRUE(step);
        EditOutcome out =
            commitRestoringEdit(path.string(), view(current), index, step->edit, step->expected);
        ASSERT_TRUE(out.ok) << "redo of " << step->caption << ": " << out.error;
        history.redone();
        adopt(out);
        ++at;
        expectInStep();
    }
    std::optional<Planned> planSome(Kind kind, std::mt19937& rng) const {
        std::optional<Planned> p;
        for (int tries = 0; !p && tries < 100; ++tries)
            p = plan(kind, current, index, rng);
        return p;
    }
    // A random edit of a random kind that the edit layer accepts.
    Kind commitRandom(std::mt19937& rng) {
        for (int tries = 0; tries < 100; ++tries) {
            const Kind kind = kKinds[rng() % std::size(kKinds)];
            if (auto p = plan(kind, current, index, rng); p && commitNew(*p))
                return kind;
        }
        ADD_FAILURE() << "no edit could be committed";
        return Kind::Values;
    }
};

TEST_F(HistoryOnDisk, RandomEditsUndoAndRedoByteForByte) {
    std::map<Kind, int> committed;
    for (std::uint32_t seed = 1; seed <= 50; ++seed) {
        SCOPED_TRACE(seed);
        std::mt19937 rng(seed);
        start(smallScene(seed).bytes);
        for (int action = 0; action < 8; ++action) {
            const unsigned r = rng() % 5;
            if (r == 0 && history.canUndo())
                undo();
            else if (r == 1 && history.canRedo())
                redo();
            else
                ++committed[commitRandom(rng)];
            if (HasFatalFailure())
                return;
        }
        while (history.canUndo() && !HasFatalFailure())
            undo();
        EXPECT_EQ(at, 0u);
        while (history.canRedo() && !HasFatalFailure())
            redo();
        EXPECT_EQ(at, states.size() - 1);
        // A new edit after two undos drops the two steps it replaces.
        for (int i = 0; i < 2 && history.canUndo(); ++i)
            undo();
        const std::size_t kept = at;
        ++committed[commitRandom(rng)];
        EXPECT_EQ(states.size(), kept + 2);
        EXPECT_FALSE(history.canRedo());
        while (history.canUndo() && !HasFatalFailure())
            undo();
        EXPECT_EQ(at, 0u);
        if (HasFatalFailure())
            return;
    }
    for (Kind k : kKinds)
        EXPECT_GE(committed[k], 10) << "kind " << static_cast<int>(k) << " too rarely committed";
}

TEST_F(HistoryOnDisk, StepsThatWouldNotGiveBackTheRecordedBytesWriteNothing) {
    // A value save is undone in place, an insertion by replacing the file.
    for (Kind kind : {Kind::Values, Kind::Insertion}) {
        SCOPED_TRACE(static_cast<int>(kind));
        start(smallScene(4).bytes);
        std::mt19937 rng(4);
        const auto p = planSome(kind, rng);
        ASSERT_TRUE(p && commitNew(*p));
        const auto step = history.undoStep();
        ASSERT_TRUE(step);
        auto refused = [&](const ByteDigest& expected, bool changedOnDisk, const Bytes& file) {
            const EditOutcome out =
                commitRestoringEdit(path.string(), view(current), index, step->edit, expected);
            EXPECT_FALSE(out.ok);
            EXPECT_EQ(out.fileChanged, changedOnDisk);
            EXPECT_FALSE(out.error.empty());
            EXPECT_TRUE(onDisk() == file);
        };
        {
            SCOPED_TRACE("the file changed by another program");
            Bytes other = current;
            other.back() ^= 1;
            ASSERT_TRUE(replaceAtomically(path.string(), other));
            refused(step->expected, true, other);
            ASSERT_TRUE(replaceAtomically(path.string(), current));
        }
        {
            SCOPED_TRACE("a result other than the recorded one");
            ByteDigest wrong = step->expected;
            wrong.hash ^= 1;
            refused(wrong, false, current);
        }
        // Nothing was spoilt: the step still undoes and redoes.
        undo();
        redo();
        {
            SCOPED_TRACE("an edit committed without being recorded");
            const auto q = planSome(Kind::LongerScript, rng);
            ASSERT_TRUE(q);
            EditOutcome out = commitEdit(path.string(), view(current), index, q->edit, q->expect);
            ASSERT_TRUE(out.ok) << out.error;
            adopt(out);
            refused(step->expected, false, current);
        }
    }
}

TEST_F(HistoryOnDisk, AValueSaveIsUndoneInPlace) {
    start(smallScene(6).bytes);
    std::mt19937 rng(6);
    const auto p = planSome(Kind::Values, rng);
    ASSERT_TRUE(p && commitNew(*p));
    fs::create_hard_link(path, dir / "link.bin");
    undo();
    Bytes linked;
    ASSERT_TRUE(readWholeFile((dir / "link.bin").string(), linked));
    EXPECT_TRUE(linked == states[0]) << "written in place: the hard link sees it";
}

TEST_F(HistoryOnDisk, AnUndoThatWouldLeaveAConsistentFileInconsistentIsRefused) {
    // Three stray bytes at the end of Bad's record, which the deletion removes.
    const std::string script = "wait 10\r\n";
    const Bytes broken = mini::scene(
        [](SceneWriter& w) {
            mini::object(w, "Tom");
            mini::object(w, "Bad", 9, [](SceneWriter& x) { x.raw(std::string("\x01\x02\x03")); });
        },
        [&](SceneWriter& w) { mini::definition(w, "Tom", 35, std::string(30, '\x07'), &script); });
    ASSERT_FALSE(verifyScene(view(broken)).ok());
    start(broken);
    const auto d = planDelete(view(current), index, 1);
    ASSERT_TRUE(d.plan) << d.error;
    ASSERT_TRUE(commitNew({"delete Bad", d.plan->edit, d.plan->expect}));
    ASSERT_TRUE(verifyScene(view(current)).ok());
    const auto step = history.undoStep();
    const EditOutcome out =
        commitRestoringEdit(path.string(), view(current), index, step->edit, step->expected);
    EXPECT_FALSE(out.ok);
    EXPECT_FALSE(out.fileChanged);
    EXPECT_NE(out.error.find("consistent"), std::string::npos) << out.error;
    EXPECT_TRUE(onDisk() == current);
}

TEST(EditHistory, AnEditThatDoesNotFitItsBytesClearsTheHistory) {
    const Bytes before = pattern(32);
    Edit grow;
    grow.splices.push_back({4, 0, text("ab")});
    const Bytes after = applyEdit(view(before), grow);
    EditHistory h;
    ASSERT_TRUE(h.record("grow", view(before), grow, view(after)));
    EXPECT_EQ(h.keptBytes(), 2u);
    EXPECT_FALSE(h.record("stale", view(before), grow, view(before)));
    EXPECT_FALSE(h.canUndo());
    Edit outside;
    outside.splices.push_back({40, 1, {}});
    EXPECT_FALSE(h.record("outside", view(before), outside, view(before)));
}
} // namespace
