#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>

#include "edit_history.h"
#include "file_access.h"
#include "mini_scene.h"
#include "random_edits.h"
#include "scene_verify.h"

namespace {
using Bytes = std::vector<std::uint8_t>;
namespace fs = std::filesystem;

ByteView view(const Bytes& b) {
    return ByteView(b.data(), b.size());
}

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

    bool commitNew(const PlannedEdit& p) {
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
    std::optional<PlannedEdit> planSome(EditKind kind, std::mt19937& rng) const {
        std::optional<PlannedEdit> p;
        for (int tries = 0; !p && tries < 100; ++tries)
            p = planRandomEdit(kind, current, index, rng);
        return p;
    }
    // A random edit of a random kind that the edit layer accepts.
    EditKind commitRandom(std::mt19937& rng) {
        for (int tries = 0; tries < 100; ++tries) {
            const EditKind kind = kEditKinds[rng() % std::size(kEditKinds)];
            if (auto p = planRandomEdit(kind, current, index, rng); p && commitNew(*p))
                return kind;
        }
        ADD_FAILURE() << "no edit could be committed";
        return EditKind::Values;
    }
};

TEST_F(HistoryOnDisk, RandomEditsUndoAndRedoByteForByte) {
    std::map<EditKind, int> committed;
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
    for (EditKind k : kEditKinds)
        EXPECT_GE(committed[k], 10) << "kind " << static_cast<int>(k) << " too rarely committed";
}

TEST_F(HistoryOnDisk, StepsThatWouldNotGiveBackTheRecordedBytesWriteNothing) {
    // A value save is undone in place, an insertion by replacing the file.
    for (EditKind kind : {EditKind::Values, EditKind::Insertion}) {
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
            const auto q = planSome(EditKind::LongerScript, rng);
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
    const auto p = planSome(EditKind::Values, rng);
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

} // namespace
