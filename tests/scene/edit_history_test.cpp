#include <gtest/gtest.h>

#include <set>

#include "edit_history.h"
#include "random_edits.h"

namespace {
using Bytes = std::vector<std::uint8_t>;

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

TEST(InverseEdit, UndoesEveryKindOfEditOnAGeneratedScene) {
    const Bytes kept = smallScene(3).bytes;
    const SceneIndex index = buildSceneIndex(view(kept));
    for (EditKind kind : kEditKinds) {
        SCOPED_TRACE(static_cast<int>(kind));
        std::mt19937 rng(11);
        // Insertions and deletions of a record with a definition: two splices.
        const std::size_t splices =
            kind == EditKind::Insertion || kind == EditKind::Deletion ? 2 : 1;
        std::optional<PlannedEdit> p;
        for (int tries = 0; (!p || p->edit.splices.size() < splices) && tries < 200; ++tries)
            p = planRandomEdit(kind, kept, index, rng);
        ASSERT_TRUE(p && p->edit.splices.size() >= splices);
        const Bytes after = applyEdit(view(kept), p->edit);
        ASSERT_NE(after, kept);
        const Edit back = inverseEdit(view(kept), p->edit);
        EXPECT_EQ(applyEdit(view(after), back), kept);
        EXPECT_EQ(back.mayWriteInPlace && back.keepsLength(), kind == EditKind::Values);
    }
}

// A scene file on disk, edited through the real commits, with the history the

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
