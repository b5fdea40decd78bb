#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "file_access.h"
#include "mini_scene.h"
#include "scene_edit.h"
#include "scene_index.h"
#include "scene_verify.h"
#include "script_text.h"

namespace {
using Bytes = std::vector<std::uint8_t>;
namespace fs = std::filesystem;

ByteView view(const Bytes& b) {
    return ByteView(b.data(), b.size());
}
std::uint32_t u32(const Bytes& b, std::size_t at) {
    return *view(b).u32(at);
}

class SceneEdit : public ::testing::Test {
protected:
    std::string script = "wait 10\r\n";
    Bytes scene = mini::scene(
        [](SceneWriter& w) {
            mini::object(w, "Tom");
            mini::object(w, "Ann");
        },
        [&](SceneWriter& w) {
            mini::definition(w, "Tom", 35, std::string(30, '\x07'), &script);
            mini::definition(w, "Ann", 35, std::string(30, '\x03'), &script);
        },
        [](SceneWriter& w) { mini::initScript(w, "Start", "go\r\n"); });
    SceneIndex index = buildSceneIndex(view(scene));

    // Replaces Tom's script text by `text`, covering lengths as a writer does.
    Edit growTom(const std::string& text) {
        const IndexRecord& tom = index.entries[0];
        Edit e;
        e.splices.push_back({*tom.scriptPos + 4u, script.size(), Bytes(text.begin(), text.end())});
        const auto why = coverWithChunks(
            view(scene), e,
            {0, *index.gesamtLaengeScriptPos - 2u, *tom.definitionPos, *tom.dataChunkPos});
        EXPECT_FALSE(why) << *why;
        e.lengthFields.push_back({*tom.scriptPos, static_cast<std::int64_t>(text.size()) -
                                                      static_cast<std::int64_t>(script.size())});
        return e;
    }
};

TEST_F(SceneEdit, CoveredSpliceMovesEveryLengthAndReadsBack) {
    const Edit e = growTom("wait 10\r\nwait 20\r\n");
    const Bytes after = applyEdit(view(scene), e);
    EXPECT_EQ(after.size(), scene.size() + 9);
    EXPECT_TRUE(verifyScene(view(after)).ok());
    EditExpectation x;
    x.scripts.emplace_back(0, "wait 10\r\nwait 20\r\n");
    const EditCheck c = checkEdit(view(scene), index, e, view(after), x);
    EXPECT_TRUE(c.ok) << c.why;
    // Ann's positions moved by the change, and the check knows it.
    EXPECT_EQ(c.newIndex.entries[1].scriptPos, *index.entries[1].scriptPos + 9);
    EXPECT_EQ(mapPosition(e, *index.entries[1].scriptPos), *index.entries[1].scriptPos + 9);
}

TEST_F(SceneEdit, ASpliceCrossingAChunkEndIsRefused) {
    Edit e;
    const std::size_t end =
        *index.entries[0].dataChunkPos + u32(scene, *index.entries[0].dataChunkPos + 2);
    e.splices.push_back({end - 2, 4, {}});
    EXPECT_TRUE(coverWithChunks(view(scene), e, {*index.entries[0].dataChunkPos}));
}

TEST_F(SceneEdit, MalformedEditsAreRefusedBeforeAnythingIsRead) {
    Edit outside;
    outside.splices.push_back({scene.size() - 1, 5, {}});
    EXPECT_TRUE(validateEdit(view(scene), outside));
    EXPECT_EQ(applyEdit(view(scene), outside), scene) << "skipped, never read past the end";
    Edit overlapping;
    overlapping.splices.push_back({10, 4, {}});
    overlapping.splices.push_back({12, 1, {}});
    EXPECT_TRUE(validateEdit(view(scene), overlapping));
    // The header's length field (bytes 2 to 5) against splices around it.
    const struct {
        std::uint64_t pos, removed;
        bool refused;
    } aroundField[] = {
        {0, 2, false}, // ends just before the field's first byte
        {0, 3, true},  // takes its first byte
        {5, 1, true},  // takes its last byte
        {6, 1, false}, // starts just after it
        {3, 2, true},  // inside it
        {1, 6, true},  // over all of it
    };
    for (const auto& c : aroundField) {
        Edit e;
        e.splices.push_back({c.pos, c.removed, {}});
        e.lengthFields.push_back({2, 0});
        const auto why = validateEdit(view(scene), e);
        EXPECT_EQ(why.has_value(), c.refused) << c.pos << "+" << c.removed;
        if (c.refused) {
            EXPECT_EQ(*why, "A length field of the change lies in bytes the change replaces.");
        }
    }
    Edit negative;
    negative.lengthFields.push_back({2, -static_cast<std::int64_t>(scene.size()) - 1});
    EXPECT_TRUE(validateEdit(view(scene), negative));
    const EditCheck c = checkEdit(view(scene), index, outside, view(scene), {});
    EXPECT_FALSE(c.ok);
}

// Splices at 10 (2 bytes by 5), 20 (1 byte inserted), 20 (4 bytes removed)
// and 30 (3 bytes overwritten), in order; and two out of order.
Edit spliced() {
    Edit e;
    e.splices.push_back({10, 2, Bytes(5, 0xAA)});
    e.splices.push_back({20, 0, Bytes(1, 0xBB)});
    e.splices.push_back({20, 4, {}});
    e.splices.push_back({30, 3, Bytes(3, 0xCC)});
    return e;
}

TEST(PositionMap, GivesWhatTheWalkGivesAtEverySpliceEdge) {
    const Edit e = spliced();
    const PositionMap map(e);
    const std::pair<std::uint64_t, std::uint64_t> cases[] = {
        {0, 0},   {9, 9},   {10, 10}, {11, 10}, {12, 15}, {19, 22}, {20, 24},
        {23, 24}, {24, 24}, {29, 29}, {30, 30}, {32, 30}, {33, 33}, {100, 100}};
    for (const auto& [from, to] : cases) {
        EXPECT_EQ(map(from), to) << from;
        EXPECT_EQ(mapPosition(e, from), to) << from;
    }
    EXPECT_EQ(PositionMap(Edit{})(7), 7u);

    // Out of order, the walk stops at the first splice past the position.
    Edit unordered;
    unordered.splices.push_back({20, 2, Bytes(3, 0)});
    unordered.splices.push_back({10, 0, Bytes(4, 0)});
    const PositionMap walked(unordered);
    EXPECT_EQ(walked(15), 15u);
    EXPECT_EQ(walked(21), 20u);
    EXPECT_EQ(walked(25), 30u);
}

TEST_F(SceneEdit, ALengthFieldIsRefusedInAnyOfManySplices) {
    Edit e = spliced();
    e.splices.push_back({40, 0, Bytes(2, 0)});
    ASSERT_FALSE(validateEdit(view(scene), e));
    // field position -> whether one of the splices reaches into its 4 bytes
    const std::pair<std::uint64_t, bool> cases[] = {
        {6, false}, {7, true},   {11, true},  {12, false}, {16, false},
        {17, true}, {23, true},  {24, false}, {26, false}, {27, true},
        {32, true}, {33, false}, {36, false}, {37, true},  {40, false}};
    for (const auto& [at, refused] : cases) {
        Edit f = e;
        f.lengthFields.push_back({at, 1});
        EXPECT_EQ(validateEdit(view(scene), f).has_value(), refused) << at;
    }
}

TEST_F(SceneEdit, ExpectedScriptsAreFoundInAnyOrderTheFirstOfAnEntryCounting) {
    const std::string longer = "wait 10\r\nwait 30\r\n";
    Edit e;
    for (std::size_t i : {0u, 1u})
        e.splices.push_back(
            {*index.entries[i].scriptPos + 4u, script.size(), Bytes(longer.begin(), longer.end())});
    std::vector<std::uint64_t> chunks{0, *index.gesamtLaengeScriptPos - 2u};
    for (std::size_t i : {0u, 1u}) {
        chunks.push_back(*index.entries[i].definitionPos);
        chunks.push_back(*index.entries[i].dataChunkPos);
    }
    ASSERT_FALSE(coverWithChunks(view(scene), e, chunks));
    for (std::size_t i : {0u, 1u})
        e.lengthFields.push_back({*index.entries[i].scriptPos,
                                  static_cast<std::int64_t>(longer.size() - script.size())});
    const Bytes after = applyEdit(view(scene), e);

    EditExpectation x;
    x.scripts.emplace_back(1, longer);
    x.scripts.emplace_back(0, longer);
    x.scripts.emplace_back(0, "other");
    EditCheck c = checkEdit(view(scene), index, e, view(after), x);
    EXPECT_TRUE(c.ok) << c.why;

    x.scripts.clear();
    x.scripts.emplace_back(1, "other");
    x.scripts.emplace_back(0, longer);
    x.scripts.emplace_back(1, longer);
    c = checkEdit(view(scene), index, e, view(after), x);
    EXPECT_FALSE(c.ok);
    EXPECT_NE(c.why.find("Ann"), std::string::npos) << c.why;

    x.scripts.clear();
    x.scripts.emplace_back(1, longer);
    c = checkEdit(view(scene), index, e, view(after), x);
    EXPECT_FALSE(c.ok) << "Tom's script changed unannounced";
    EXPECT_NE(c.why.find("Tom"), std::string::npos) << c.why;
}

TEST_F(SceneEdit, ChangesNobodyAskedForAreRefusedWithTheEntry) {
    // A same-length edit of Ann's weight that the writer did not declare.
    Edit e;
    e.splices.push_back({*index.entries[1].weightPos, 1, {0x42}});
    const Bytes after = applyEdit(view(scene), e);
    EditCheck c = checkEdit(view(scene), index, e, view(after), {});
    EXPECT_FALSE(c.ok);
    EXPECT_NE(c.why.find("Ann"), std::string::npos) << c.why;
    EXPECT_NE(c.why.find("weight"), std::string::npos) << c.why;
    // Declared, the same edit passes.
    EditExpectation x;
    IndexRecord ann = index.entries[1];
    ann.weight = buildSceneIndex(view(after)).entries[1].weight;
    x.records.emplace_back(1, ann);
    c = checkEdit(view(scene), index, e, view(after), x);
    EXPECT_TRUE(c.ok) << c.why;
}

TEST_F(SceneEdit, ABrokenLengthIsRefusedForAFileThatWasConsistent) {
    Edit e = growTom("wait 10\r\nwait 20\r\n");
    // The definition record's length forgotten: the index never reads it, so
    // every entry and script still reads back; only the whole file is wrong.
    const auto record = std::find_if(e.lengthFields.begin(), e.lengthFields.end(), [&](auto& f) {
        return f.pos == *index.entries[0].definitionPos + 2;
    });
    ASSERT_NE(record, e.lengthFields.end());
    e.lengthFields.erase(record);
    const Bytes after = applyEdit(view(scene), e);
    EditExpectation x;
    x.scripts.emplace_back(0, "wait 10\r\nwait 20\r\n");
    const EditCheck c = checkEdit(view(scene), index, e, view(after), x);
    EXPECT_FALSE(c.ok);
    EXPECT_EQ(c.why.rfind("After the change the file would no longer be consistent: ", 0), 0u)
        << c.why;

    // A file whose header length was wrong before may keep that fault.
    Bytes broken = scene;
    broken[2] ^= 0x01;
    const SceneIndex brokenIndex = buildSceneIndex(view(broken));
    ASSERT_FALSE(verifyScene(view(broken)).ok());
    const Edit fine = growTom("wait 10\r\nwait 20\r\n");
    const EditCheck kept =
        checkEdit(view(broken), brokenIndex, fine, view(applyEdit(view(broken), fine)), x);
    EXPECT_TRUE(kept.ok) << kept.why;
}

// Same-length edits that nobody declared, each refused by the check that
// guards what it breaks.
TEST(SceneEditRefusals, EachUndeclaredChangeIsRefusedForWhatItBreaks) {
    const std::string script = "wait 10\r\n";
    const Bytes scene = mini::scene(
        [](SceneWriter& w) {
            mini::object(w, "Tom");
            mini::object(w, "Ann");
            mini::object(w, "Bob");
            mini::object(w, "Lamp", 2, [](SceneWriter& l) {
                l.beginChunk(0x4040);
                l.chunkFloats(0x4042, {2.0f});
                l.endChunk();
            });
        },
        [&](SceneWriter& w) {
            mini::definition(w, "Tom", 35, std::string(30, '\x07'), &script);
            mini::definition(w, "Ann", 35, std::string(30, '\x03'), &script);
            mini::definition(w, "Bob", 5, std::string(20, '\x02'), &script);
        },
        [](SceneWriter& w) { mini::initScript(w, "Start", "go\r\n"); });
    const SceneIndex index = buildSceneIndex(view(scene));
    ASSERT_EQ(index.entries.size(), 5u);
    const IndexRecord &ann = index.entries[1], &bob = index.entries[2], &lamp = index.entries[3];
    ASSERT_TRUE(lamp.brightnessPos);
    const std::size_t b = *lamp.brightnessPos;
    // Bob's values made into a script start of the same text, ahead of his own.
    const Bytes earlyStart = {1,   0,   0,   0,   0,   9,   0,   0,    0,
                              'w', 'a', 'i', 't', ' ', '1', '0', '\r', '\n'};
    const struct {
        const char* what;
        std::size_t pos;
        Bytes bytes;
        std::string why; // the refusal starts so
    } cases[] = {
        {"a letter of Ann's script",
         *ann.scriptPos + 4,
         {'W'},
         "After the change the script of entry 1 (Ann) would read back differently."},
        {"Ann's script no longer looks like text",
         *ann.scriptPos + 4,
         {0x01},
         "After the change entry 1 (Ann) would read back with another script tick."},
        {"Ann's translation chunk renamed",
         *ann.translationPos - 6,
         {0x21},
         "After the change the file would list 4 entries instead of 5."},
        {"Bob's script found earlier", *bob.dataChunkPos + 6, earlyStart,
         "After the change entry 2 (Bob) would no longer be found where it belongs."},
        {"the init-script section renamed",
         *index.initSectionLengthPos - 2,
         {0x5F},
         "After the change entry 4 (Start) would be listed on the other side of the init "
         "scripts."},
        {"the last byte of the brightness chunk's length, just before the value",
         b - 1,
         {0x01},
         "After the change the file would no longer be consistent: "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Edit e;
        e.splices.push_back({c.pos, c.bytes.size(), c.bytes});
        const EditCheck check =
            checkEdit(view(scene), index, e, view(applyEdit(view(scene), e)), {});
        EXPECT_FALSE(check.ok);
        EXPECT_EQ(check.why.substr(0, c.why.size()), c.why);
    }
}

TEST_F(SceneEdit, AnUntouchedEntrysScriptMustReadBackUnchanged) {
    // Tom's declared change does not cover Ann's.
    Edit both = growTom("wait 10\r\nwait 20\r\n");
    both.splices.push_back({*index.entries[1].scriptPos + 4, 1, {'W'}});
    EditExpectation x;
    x.scripts.emplace_back(0, "wait 10\r\nwait 20\r\n");
    const EditCheck c = checkEdit(view(scene), index, both, view(applyEdit(view(scene), both)), x);
    EXPECT_FALSE(c.ok);
    EXPECT_EQ(c.why, "After the change the script of entry 1 (Ann) would read back differently.");
}

TEST_F(SceneEdit, InPlaceEditsOutsideValuePayloadsAreStillCheckedWhole) {
    // One byte of the header's length: the index reads nothing there, the
    // whole-file check does.
    Edit header;
    header.splices.push_back({3, 1, {0x7F}});
    EditCheck c = checkEdit(view(scene), index, header, view(applyEdit(view(scene), header)), {});
    EXPECT_FALSE(c.ok);
    EXPECT_NE(c.why.find("consistent"), std::string::npos) << c.why;
    // A same-length edit that starts in the translation's last float and
    // reaches into the rotation chunk's length, which the index skips.
    const std::size_t t = *index.entries[0].translationPos;
    ASSERT_EQ(u32(scene, t + 14), 22u) << "the rotation chunk's length";
    Edit straddle;
    straddle.splices.push_back({t + 10, 6, {scene[t + 10], scene[t + 11], 0x22, 0x00, 0x7F, 0}});
    const Bytes after = applyEdit(view(scene), straddle);
    ASSERT_EQ(buildSceneIndex(view(after)).entries[0].translation, index.entries[0].translation);
    c = checkEdit(view(scene), index, straddle, view(after), {});
    EXPECT_FALSE(c.ok);
    EXPECT_EQ(c.why.rfind("After the change the file would no longer be consistent: ", 0), 0u)
        << c.why;
    // One that starts in the rotation chunk's length, two bytes before the
    // rotation's first single (18 bytes after the translation), and ends in it.
    Edit early;
    early.splices.push_back({t + 16, 4, {0x01, 0x00, scene[t + 18], scene[t + 19]}});
    c = checkEdit(view(scene), index, early, view(applyEdit(view(scene), early)), {});
    EXPECT_EQ(c.why.rfind("After the change the file would no longer be consistent: ", 0), 0u)
        << c.why;
    // The same bytes wholly inside the translation are a value change only.
    Edit inside;
    inside.splices.push_back({t + 8, 4, {0, 0, 0x80, 0x3F}});
    EditExpectation x;
    x.mayChange.push_back(0);
    c = checkEdit(view(scene), index, inside, view(applyEdit(view(scene), inside)), x);
    EXPECT_TRUE(c.ok) << c.why;
    // Declared, a change of translation Z that runs on into the header of the
    // rotation chunk is still refused by the whole-file check.
    Edit runOn;
    const std::uint64_t tp = *index.entries[0].translationPos;
    runOn.splices.push_back({tp + 8, 8, Bytes(8, 0x01)});
    const Bytes runOnBytes = applyEdit(view(scene), runOn);
    EditExpectation runOnExpect;
    IndexRecord tom = index.entries[0];
    tom.translation = buildSceneIndex(view(runOnBytes)).entries[0].translation;
    runOnExpect.records.emplace_back(0, tom);
    c = checkEdit(view(scene), index, runOn, view(runOnBytes), runOnExpect);
    EXPECT_FALSE(c.ok);
    EXPECT_NE(c.why.find("consistent"), std::string::npos) << c.why;
}

class CommitEdit : public SceneEdit {
protected:
    fs::path dir = fs::temp_directory_path() /
                   (std::string("quill_commit_edit_") +
                    ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::path path = dir / "scene2.bin";
    void SetUp() override {
        fs::remove_all(dir);
        fs::create_directories(dir);
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(scene.data()),
                   static_cast<std::streamsize>(scene.size()));
    }
    void TearDown() override { fs::remove_all(dir); }
    Bytes onDisk() const {
        Bytes b;
        EXPECT_TRUE(readWholeFile(path.string(), b));
        return b;
    }
};

TEST_F(CommitEdit, WritesTheCheckedBytesAndNothingOnRefusal) {
    EditExpectation x;
    x.scripts.emplace_back(0, "wait 10\r\nwait 20\r\n");
    const EditOutcome ok =
        commitEdit(path.string(), view(scene), index, growTom("wait 10\r\nwait 20\r\n"), x);
    ASSERT_TRUE(ok.ok) << ok.error;
    EXPECT_EQ(onDisk(), ok.newBytes);
    EXPECT_EQ(readScript(view(ok.newBytes), ok.newIndex, 0), "wait 10\r\nwait 20\r\n");

    // Planned from the old bytes: the file on disk is no longer those.
    const EditOutcome stale = commitEdit(path.string(), view(scene), index, growTom("x"), {});
    EXPECT_FALSE(stale.ok);
    EXPECT_EQ(onDisk(), ok.newBytes);

    const Bytes now = onDisk();
    const SceneIndex nowIndex = buildSceneIndex(view(now));
    Edit lose; // the init script's text removed: the entry would lose its script
    lose.splices.push_back({*nowIndex.entries[2].scriptPos, 4, {}});
    ASSERT_FALSE(coverWithChunks(
        view(now), lose,
        {0, *nowIndex.initSectionLengthPos - 2u, *nowIndex.entries[2].definitionPos}));
    EditExpectation y;
    y.scripts.emplace_back(2, "");
    const EditOutcome refused = commitEdit(path.string(), view(now), nowIndex, lose, y);
    EXPECT_FALSE(refused.ok);
    EXPECT_FALSE(refused.fileChanged);
    EXPECT_EQ(onDisk(), now);
}

TEST_F(CommitEdit, AFileChangedOnDiskIsReportedAsSuch) {
    Bytes other = scene;
    other.back() ^= 1;
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(other.data()),
               static_cast<std::streamsize>(other.size()));
    EditExpectation x;
    x.scripts.emplace_back(0, "wait 1\r\n");
    const EditOutcome r = commitEdit(path.string(), view(scene), index, growTom("wait 1\r\n"), x);
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.fileChanged);
    EXPECT_EQ(onDisk(), other);
}

TEST_F(CommitEdit, InPlaceOnlyWhenAllowedAndLengthKept) {
    fs::create_hard_link(path, dir / "link.bin");
    Edit e;
    e.splices.push_back({*index.entries[1].weightPos, 1, {0x42}});
    e.mayWriteInPlace = true;
    EditExpectation x;
    x.mayChange.push_back(1);
    ASSERT_TRUE(commitEdit(path.string(), view(scene), index, e, x).ok);
    Bytes linked;
    ASSERT_TRUE(readWholeFile((dir / "link.bin").string(), linked));
    EXPECT_EQ(linked, onDisk()) << "written in place: the hard link sees it";
}
} // namespace
