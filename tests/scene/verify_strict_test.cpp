#include <gtest/gtest.h>

#include "mini_scene.h"
#include "scene_generator.h"
#include "scene_index.h"
#include "scene_verify.h"

// The whole-file check against the mutations that a lax check let through:
// length fields that still tile but no longer say what the index reads, name
// chunks changed inside their records, and sections moved into other chunks.
namespace {
using Bytes = std::vector<std::uint8_t>;

VerifyReport check(const Bytes& b) {
    return verifyScene(ByteView(b.data(), b.size()));
}
void putU32(Bytes& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}
std::uint32_t getU32(const Bytes& b, std::size_t at) {
    return *ByteView(b.data(), b.size()).u32(at);
}
std::string problems(const VerifyReport& r) {
    std::string s;
    for (const auto& p : r.problems)
        s += std::to_string(p.offset) + ": " + p.what + "\n";
    return s;
}

class StrictVerify : public ::testing::Test {
protected:
    std::string script = "wait 10\r\n";
    Bytes scene = mini::scene(
        [](SceneWriter& w) {
            mini::object(w, "Tom");
            mini::object(w, "Ann", 2, [](SceneWriter& x) {
                x.beginChunk(0x4040);
                x.chunkU32(0x4041, 1);
                x.chunkFloats(0x0026, {1.0f, 0.5f, 0.25f});
                x.chunkFloats(0x4042, {2.0f});
                x.endChunk();
            });
        },
        [&](SceneWriter& w) {
            mini::definition(w, "Tom", 35, std::string(30, '\x07'), &script);
            mini::definition(w, "Ann", 4, "zz");
        },
        [](SceneWriter& w) { mini::initScript(w, "Start", "go\r\n"); });
    SceneIndex index = buildSceneIndex(ByteView(scene.data(), scene.size()));
    void SetUp() override { ASSERT_TRUE(check(scene).ok()) << problems(check(scene)); }
};

TEST_F(StrictVerify, RecordOrSectionLengthSetToSixIsReported) {
    const std::size_t starts[] = {
        *index.entries[0].recordPos,     *index.entries[1].recordPos,
        *index.modelLenPos - 2u,         *index.gesamtLaengeScriptPos - 2u,
        *index.entries[0].definitionPos, *index.entries[2].definitionPos,
        *index.initSectionLengthPos - 2u};
    for (std::size_t at : starts) {
        SCOPED_TRACE(at);
        Bytes b = scene;
        putU32(b, at + 2, 6);
        EXPECT_FALSE(check(b).ok());
    }
}

TEST_F(StrictVerify, ContainersInsideRecordsMustTileToo) {
    Bytes b = scene;
    const std::size_t light = *index.entries[1].colourPos - 6 - 10 - 6; // the 0x4040 block
    ASSERT_EQ(getU32(b, light) & 0xFFFFu, 0x4040u);
    putU32(b, light + 2, getU32(b, light + 2) - 10); // the brightness falls outside the block
    const VerifyReport r = check(b);
    EXPECT_FALSE(r.ok());
}

TEST_F(StrictVerify, NameChunksChangedInsideTheirRecordsAreReported) {
    // The object's name chunk swallows its terminating 0 and the next byte.
    Bytes b = scene;
    const std::size_t name = *index.entries[0].namePos;
    putU32(b, name + 2, getU32(b, name + 2) - 1);
    EXPECT_FALSE(check(b).ok());
    // The definition name without its 0 byte: same length, text changed.
    Bytes d = scene;
    const std::size_t defName = *index.entries[0].definitionPos + 6;
    d[defName + 6 + 3] = 'x';
    const VerifyReport r = check(d);
    EXPECT_FALSE(r.ok());
    EXPECT_NE(problems(r).find("0 byte"), std::string::npos) << problems(r);
}

TEST_F(StrictVerify, ASectionWrappedInAnUnknownChunkIsReported) {
    // Wrap the definitions section in a chunk 0x7777 and fix every length
    // around it, so all lengths tile; the index still finds the section by
    // its bytes, but it is no longer where the layout puts it.
    const std::size_t s = *index.gesamtLaengeScriptPos - 2;
    const std::uint32_t len = getU32(scene, s + 2);
    Bytes b(scene.begin(), scene.begin() + static_cast<std::ptrdiff_t>(s));
    b.insert(b.end(), {0x77, 0x77, 0, 0, 0, 0});
    putU32(b, s + 2, len + 6);
    b.insert(b.end(), scene.begin() + static_cast<std::ptrdiff_t>(s), scene.end());
    putU32(b, 2, static_cast<std::uint32_t>(b.size()));
    const VerifyReport r = check(b);
    EXPECT_FALSE(r.ok());
    EXPECT_NE(problems(r).find("definitions section"), std::string::npos) << problems(r);
    EXPECT_NE(problems(r).find(std::to_string(s + 6)), std::string::npos) << problems(r);
}

TEST_F(StrictVerify, RecordsOutsideTheirSectionAreReported) {
    // A definition record put at the top level, lengths fixed.
    Bytes b = scene;
    const std::size_t objEnd = *index.modelLenPos - 2 + getU32(scene, *index.modelLenPos);
    const std::size_t defs = *index.gesamtLaengeScriptPos - 2;
    ASSERT_EQ(objEnd, defs);
    putU32(b, defs + 2, 6 + getU32(b, *index.entries[0].definitionPos + 2));
    // The section now holds only the first record; the second is at the top level.
    const VerifyReport r = check(b);
    EXPECT_FALSE(r.ok());
}

TEST_F(StrictVerify, LengthsThatSwallowWhatFollowsAreReported) {
    // Tom's record grown over Ann's: everything still tiles, but a record holds a record.
    Bytes b = scene;
    const std::size_t tom = *index.entries[0].recordPos, ann = *index.entries[1].recordPos;
    putU32(b, tom + 2, getU32(b, tom + 2) + getU32(b, ann + 2));
    EXPECT_FALSE(check(b).ok());
    // The translation grown over the rotation and size: the object would vanish from the list.
    Bytes t = scene;
    const std::size_t tr = *index.entries[0].translationPos - 6;
    putU32(t, tr + 2, 18 + 22 + 18);
    const VerifyReport r = check(t);
    EXPECT_FALSE(r.ok());
    EXPECT_NE(problems(r).find("where its length is 18"), std::string::npos) << problems(r);
}

TEST(StrictVerifyParent, AParentChunkHoldsItsNameAndNoMore) {
    const Bytes good = mini::scene([](SceneWriter& w) {
        mini::object(w, "Tom", 9, [](SceneWriter& x) {
            x.beginChunk(0x4020);
            x.chunkString(0x0010, "Primary sector");
            x.endChunk();
        });
    });
    ASSERT_TRUE(check(good).ok()) << problems(check(good));
    // Set to 6, the parent's name chunk becomes a second name of the object.
    const SceneIndex idx = buildSceneIndex(ByteView(good.data(), good.size()));
    Bytes b = good;
    const std::size_t parent = *idx.entries[0].translationPos - 6 + 18 + 22 + 18 +
                               getU32(good, *idx.entries[0].translationPos - 6 + 58 + 2);
    ASSERT_EQ(getU32(b, parent) & 0xFFFFu, 0x4020u);
    putU32(b, parent + 2, 6);
    const VerifyReport r = check(b);
    EXPECT_FALSE(r.ok());
    EXPECT_NE(problems(r).find("second name chunk"), std::string::npos) << problems(r);
}

TEST(StrictVerifyGenerated, GeneratedScenesPassAndEveryRandomLengthChangeFails) {
    const GeneratedScene g = generateScene({5, 40, std::nullopt});
    ASSERT_TRUE(check(g.bytes).ok()) << problems(check(g.bytes));
    // Any single length field of a record or section moved by one is found.
    for (const auto& o : g.objects) {
        for (int d : {-1, 1}) {
            Bytes b = g.bytes;
            putU32(b, o.recordOffset + 2, getU32(b, o.recordOffset + 2) + d);
            EXPECT_FALSE(check(b).ok()) << o.recordOffset;
        }
    }
}

TEST(KnownExceptions, ProblemsInsideANamedRecordAreExcusedByName) {
    const std::string script = "wait 1\r\n";
    Bytes b =
        mini::scene([](SceneWriter& w) { mini::object(w, "Odd"); },
                    [&](SceneWriter& w) { mini::definition(w, "Odd", 27, "params", &script); });
    const SceneIndex idx = buildSceneIndex(ByteView(b.data(), b.size()));
    // The data chunk's length reads short of what follows it inside the record.
    const std::size_t data = *idx.entries[0].dataChunkPos;
    putU32(b, data + 2, 11);
    const std::vector<KnownLayoutException> list = {
        {"Odd", "its data chunk length is kept as the template has it",
         [](ByteView f, std::uint64_t rec, std::uint16_t id) {
             return id == 0xAE21 && definitionRecordName(f, rec) == "Odd";
         }}};
    const ByteView v(b.data(), b.size());
    EXPECT_FALSE(verifyScene(v).ok()) << "without the exception the record is a problem";
    const VerifyReport r = verifyScene(v, list);
    EXPECT_TRUE(r.ok()) << problems(r);
    ASSERT_FALSE(r.excused.empty());
    EXPECT_EQ(r.excused[0].exception, "Odd");
    // The same fault in a record of another name is still a problem.
    Bytes other = b;
    const std::size_t nameAt = *idx.entries[0].definitionPos + 6 + 6;
    other[nameAt] = 'E';
    EXPECT_FALSE(verifyScene(ByteView(other.data(), other.size()), list).ok());
}
} // namespace
