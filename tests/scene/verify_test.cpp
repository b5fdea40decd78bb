#include <gtest/gtest.h>

#include "mini_scene.h"
#include "minimal_scene.h"
#include "scene_generator.h"
#include "scene_verify.h"

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
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (std::uint32_t(b[at + 3]) << 24);
}

bool mentions(const VerifyReport& r, std::uint64_t offset) {
    for (const auto& p : r.problems)
        if (p.offset == offset)
            return true;
    return false;
}

// A small scene, and one whose chunks outnumber a block of the tree's nodes
// (a quarter of a million), so the nodes past the first block are read too.
constexpr std::size_t kSceneObjects[] = {50, 30000};

TEST(SceneVerify, GeneratedSceneIsConsistentAndCounted) {
    for (const std::size_t objects : kSceneObjects) {
        SCOPED_TRACE(objects);
        const GeneratedScene g = generateScene({3, objects, std::nullopt});
        const VerifyReport r = check(g.bytes);
        EXPECT_TRUE(r.ok()) << (r.problems.empty() ? "" : r.problems.front().what);
        EXPECT_EQ(r.objects, g.objects.size());
        std::size_t defs = 0, scripts = 0;
        for (const auto& o : g.objects) {
            defs += o.hasDefinition;
            scripts += o.script == ScriptState::Present;
        }
        EXPECT_EQ(r.definitions, defs);
        EXPECT_EQ(r.scripts, scripts);
    }
}

// The header, an early record, the last script and the file end, each broken
// alone.
void brokenLengthsAreReported(const GeneratedScene& g) {
    const GeneratedObject* scripted = nullptr;
    for (const auto& o : g.objects)
        if (o.script == ScriptState::Present)
            scripted = &o;
    ASSERT_NE(scripted, nullptr);

    Bytes header = g.bytes;
    putU32(header, 2, getU32(header, 2) + 1);
    EXPECT_TRUE(mentions(check(header), 2));

    Bytes record = g.bytes;
    putU32(record, g.objects[3].recordOffset + 2,
           getU32(record, g.objects[3].recordOffset + 2) - 1);
    EXPECT_FALSE(check(record).ok());

    Bytes script = g.bytes;
    putU32(script, scripted->scriptOffset, scripted->scriptLength - 1);
    EXPECT_TRUE(mentions(check(script), scripted->scriptOffset));

    Bytes cut = g.bytes;
    cut.resize(cut.size() - 3);
    EXPECT_FALSE(check(cut).ok());
}

TEST(SceneVerify, EachBrokenLengthIsReportedAtItsOffset) {
    for (const std::size_t objects : kSceneObjects) {
        SCOPED_TRACE(objects);
        brokenLengthsAreReported(generateScene({3, objects, std::nullopt}));
    }
}

TEST(SceneVerify, ShortOrEmptyFilesAreProblemsNotCrashes) {
    EXPECT_FALSE(check({}).ok());
    EXPECT_FALSE(check({1, 2, 3}).ok());
    Bytes zeroLength = mini::scene([](SceneWriter& w) { mini::object(w, "a"); });
    putU32(zeroLength, 12 + 2, 0);
    EXPECT_FALSE(check(zeroLength).ok());
}

// A file of many broken records lists the first problems and counts the rest.
TEST(SceneVerify, ManyProblemsAreListedUpToTheLimitAndCounted) {
    // 1500 init-script records outside any section, one problem each.
    const MinimalScene s = minimalRecordScene(MinimalRecords::InitScripts, 1500 * 6);
    const VerifyReport r = check(s.bytes);
    EXPECT_FALSE(r.ok());
    ASSERT_EQ(r.problems.size(), 1000u);
    EXPECT_EQ(r.moreProblems, 500u);
    EXPECT_EQ(r.problems.front().offset, 12u);
    EXPECT_EQ(r.problems.front().what, "record 0xAE51 lies outside its section");
    EXPECT_EQ(r.problems.back().offset, 12u + 999u * 6u);

    const MinimalScene few = minimalRecordScene(MinimalRecords::InitScripts, 1000 * 6);
    const VerifyReport all = check(few.bytes);
    EXPECT_EQ(all.problems.size(), 1000u);
    EXPECT_EQ(all.moreProblems, 0u);

    // More chunks than a file of its size usually holds, past a block of the
    // tree's nodes: each is still found and counted once.
    const MinimalScene dense = minimalRecordScene(MinimalRecords::InitScripts, 300000 * 6);
    const VerifyReport counted = check(dense.bytes);
    EXPECT_EQ(counted.problems.size() + counted.moreProblems, 300000u);
}
} // namespace
