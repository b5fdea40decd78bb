#include <gtest/gtest.h>
#ifndef _WIN32
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <functional>

#include "addin_fixture.h"
#include "addin_run.h"
#include "quill_runner.h"
#include "scene_index.h"
#include "scene_verify.h"

namespace {
std::uint32_t u32(const Bytes& b, std::size_t p) {
    return b[p] | (b[p + 1] << 8) | (b[p + 2] << 16) | (std::uint32_t(b[p + 3]) << 24);
}
void addU32(Bytes& b, std::size_t p, std::uint32_t d) {
    const std::uint32_t v = u32(b, p) + d;
    for (int i = 0; i < 4; ++i)
        b[p + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// The scene as the add-in's records should leave it: objects at the end of
// the objects section, definitions at the end of the definitions section that
// follows it, the three length fields grown.
Bytes expectedScene(const GeneratedScene& g, const AddinSource& s) {
    Bytes b = g.bytes;
    const std::size_t e = g.objectsOffset + u32(b, g.objectsOffset + 2);
    EXPECT_EQ(e, g.definitionsOffset);
    const std::size_t defEnd = e + u32(b, e + 2);
    addU32(b, 2, std::uint32_t(s.objects.size() + s.definitions.size()));
    addU32(b, g.objectsOffset + 2, std::uint32_t(s.objects.size()));
    addU32(b, e + 2, std::uint32_t(s.definitions.size()));
    b.insert(b.begin() + defEnd, s.definitions.begin(), s.definitions.end());
    b.insert(b.begin() + e, s.objects.begin(), s.objects.end());
    return b;
}

Bytes replaced(Bytes b, std::size_t at, const std::string& with) {
    std::copy(with.begin(), with.end(), b.begin() + at);
    return b;
}
} // namespace

class AddinApply : public AddinGame {
protected:
    QuillRun apply(const fs::path& addin, std::vector<std::string> options = {}) {
        std::vector<std::string> args = {"addin", "apply", scene().string(), addin.string()};
        args.insert(args.end(), options.begin(), options.end());
        return quill(args);
    }
};

TEST_F(AddinApply, DemoAddinChangesEachFileByteForByte) {
    const AddinSource source = demoAddinSource();
    ASSERT_FALSE(source.objects.empty());
    const fs::path addin = addinFile(packed(source));
    const QuillRun run = apply(addin);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");

    EXPECT_EQ(readBytes(mission / "tree.klz.sav"), demo.treeKlz);
    EXPECT_EQ(readBytes(mission / "cache.bin.sav"), demo.cacheBin);
    EXPECT_EQ(readBytes(mission / "scene.4ds.sav"), demo.scene4ds);
    EXPECT_EQ(readBytes(mission / "scene2.bin.sav"), demo.scene.bytes);
    EXPECT_EQ(readBytes(mission / "tree.klz"), replaced(demo.treeKlz, 0, "GifD"));
    EXPECT_EQ(readBytes(mission / "cache.bin"), replaced(demo.cacheBin, 0, "\x01\x04"));
    EXPECT_EQ(readBytes(mission / "scene.4ds"), replaced(demo.scene4ds, 0, "4DS\x01"));

    const Bytes after = readBytes(scene());
    EXPECT_EQ(after, expectedScene(demo.scene, source));
    EXPECT_TRUE(verifyScene(ByteView(after.data(), after.size())).ok());
    const SceneIndex index = buildSceneIndex(ByteView(after.data(), after.size()));
    const std::size_t objects = demo.scene.objects.size();
    ASSERT_EQ(index.entries.size(), objects + 2 + demo.scene.initScripts.size());
    std::vector<std::string> demoNames;
    for (const IndexRecord& r :
         buildSceneIndex(ByteView(demo.scene.bytes.data(), demo.scene.bytes.size())).entries)
        demoNames.push_back(r.name);
    const AddinRecords records = donorRecords(DemoSeed + 1, 2, demoNames);
    ASSERT_EQ(records.names.size(), 2u);
    EXPECT_EQ(index.entries[objects].name, source.key);
    EXPECT_EQ(index.entries[objects].name, records.names[0]);
    EXPECT_EQ(index.entries[objects + 1].name, records.names[1]);

    EXPECT_EQ(readBytes(game / "models" / "addin_car.i3d"), source.files[0][0].content);
    EXPECT_EQ(readBytes(game / "sounds" / "addin_horn.wav"), source.files[1][0].content);
    EXPECT_EQ(readBytes(game / "maps" / "addin_map.bmp"), source.files[2][0].content);
    // Both table groups go to "tables": the English one is written last.
    EXPECT_EQ(readBytes(game / "tables" / "addin_text.def"), source.files[4][0].content);
    // No temporary file is left behind.
    for (const auto& [path, bytes] : snapshot(root).files)
        EXPECT_EQ(path.find("quilltemp"), std::string::npos) << path;
}

TEST_F(AddinApply, AppliedTwiceAsksAndChangesNothing) {
    const fs::path addin = addinFile(packed(demoAddinSource()));
    ASSERT_EQ(apply(addin).status, 0);
    const TreeSnapshot once = snapshot(root);

    const QuillRun no = apply(addin);
    EXPECT_EQ(no.status, 1);
    EXPECT_EQ(no.err,
              "**Sorry, cannot mod your tree.klz!! Maybe it's modded already. Go on? ** No\n");
    EXPECT_EQ(snapshot(root), once);

    const QuillRun yes = apply(addin, {"--yes"});
    EXPECT_EQ(yes.status, 0) << yes.err;
    EXPECT_EQ(yes.err,
              "**Sorry, cannot mod your tree.klz!! Maybe it's modded already. Go on? ** Yes\n"
              "**Sorry, cannot mod your cache.bin!! Maybe it's modded already. Go on? ** Yes\n"
              "**Sorry, cannot mod your scene.4ds!! Maybe it's modded already. Go on? ** Yes\n"
              "**Sorry, cannot mod your scene2.bin!! Maybe it's modded already. Go on? ** Yes\n");
    // The backups hold the files as they were before the first run.
    EXPECT_EQ(snapshot(root), once);
    // Nothing was found, so nothing is written again.
    const QuillRun listed = apply(addin, {"--yes", "--dry-run"});
    EXPECT_EQ(listed.out.find("patch "), std::string::npos) << listed.out;
    EXPECT_EQ(listed.out.find("insert "), std::string::npos) << listed.out;
    EXPECT_EQ(readBytes(mission / "tree.klz.sav"), demo.treeKlz);
}

TEST_F(AddinApply, NoStopsAfterTheBackupsAndThePatchesBeforeIt) {
    AddinSource s = demoAddinSource();
    // tree.klz: the first patch is found, the second is not.
    s.patches[0] = std::vector<AddinPatchSource>{{{'G', 'i', 'f'}, {'X'}}, {{0xEE, 0xEE}, {1}}};
    const fs::path addin = addinFile(packed(s));
    const QuillRun run = apply(addin);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(readBytes(mission / "tree.klz"), replaced(demo.treeKlz, 0, "X"));
    EXPECT_EQ(readBytes(mission / "cache.bin"), demo.cacheBin);
    EXPECT_EQ(readBytes(scene()), demo.scene.bytes);
    for (const char* backup : {"tree.klz.sav", "cache.bin.sav", "scene.4ds.sav", "scene2.bin.sav"})
        EXPECT_TRUE(fs::exists(mission / backup)) << backup;
    EXPECT_FALSE(fs::exists(game / "models"));
    // The locks of the whole run are let go, their files removed.
    for (const auto& [path, bytes] : snapshot(root).files)
        EXPECT_EQ(path.find("quilltemp"), std::string::npos) << path;
}

TEST_F(AddinApply, YesEndsThePatchingOfThatFileAndGoesOnWithTheNext) {
    AddinSource s = demoAddinSource();
    // tree.klz: found, not found, then a block that would be found.
    s.patches[0] = std::vector<AddinPatchSource>{
        {{'G', 'i', 'f'}, {'X'}}, {{0xEE, 0xEE}, {1}}, {{'G', 'i', 'f'}, {'Y', 'Y'}}};
    // An empty cache.bin is left alone: nothing to search, nothing asked.
    writeBytes(mission / "cache.bin", {});
    const QuillRun run = apply(addinFile(packed(s)), {"--yes"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err,
              "**Sorry, cannot mod your tree.klz!! Maybe it's modded already. Go on? ** Yes\n");
    EXPECT_EQ(readBytes(mission / "tree.klz"), replaced(demo.treeKlz, 0, "X"));
    EXPECT_EQ(readBytes(mission / "cache.bin"), Bytes{});
    EXPECT_EQ(readBytes(mission / "scene.4ds"), replaced(demo.scene4ds, 0, "4DS\x01"));
    EXPECT_EQ(readBytes(scene()), expectedScene(demo.scene, s));
}

TEST_F(AddinApply, FileWithFlagZeroIsNeitherBackedUpNorChanged) {
    AddinSource s = demoAddinSource();
    s.patches[1].reset();
    ASSERT_EQ(apply(addinFile(packed(s))).status, 0);
    EXPECT_FALSE(fs::exists(mission / "cache.bin.sav"));
    EXPECT_EQ(readBytes(mission / "cache.bin"), demo.cacheBin);
    EXPECT_TRUE(fs::exists(mission / "tree.klz.sav"));
}

TEST_F(AddinApply, AnEmptyBackupIsRenewedAndAFullOneKept) {
    writeBytes(mission / "tree.klz.sav", {});
    writeBytes(mission / "cache.bin.sav", {1, 2, 3});
    ASSERT_EQ(apply(addinFile(packed(demoAddinSource()))).status, 0);
    EXPECT_EQ(readBytes(mission / "tree.klz.sav"), demo.treeKlz);
    EXPECT_EQ(readBytes(mission / "cache.bin.sav"), (Bytes{1, 2, 3}));
}

TEST_F(AddinApply, RefusedAddinsWriteNothing) {
    const Bytes good = packed(demoAddinSource());
    const TreeSnapshot before = snapshot(root);
    auto refusedWith = [&](const Bytes& bytes, const std::string& text,
                           const std::string& name = "test.qxa") {
        const fs::path p = addinFile(bytes, name);
        const TreeSnapshot withAddin = snapshot(root);
        const QuillRun run = apply(p);
        EXPECT_EQ(run.status, 2);
        EXPECT_NE(run.err.find(text), std::string::npos) << run.err;
        EXPECT_EQ(snapshot(root), withAddin);
        fs::remove(p);
    };
    for (std::size_t n : {0ul, 100ul, 273ul, 274ul, good.size() / 2, good.size() - 1})
        refusedWith(Bytes(good.begin(), good.begin() + n), "****** Can't find - test.qxa- ******");
    AddinSource other = demoAddinSource();
    other.mission = "mission2";
    refusedWith(packed(other), "** This ADDin is for Mission - mission2");
    refusedWith(good, "** No QXA ADDin File ** ", "test.bin");

    AddinSource traversal = demoAddinSource();
    traversal.files[3] = {{"ok.def", {1}}};
    Bytes bad = packed(traversal);
    const std::string name = "ok.def";
    const auto at = std::search(bad.begin(), bad.end(), name.begin(), name.end());
    std::copy_n("../..", 5, at); // "../..f": leaves the tables directory
    refusedWith(bad, "not a plain file name");

    // Records that would make two entries of one name.
    AddinSource clash = demoAddinSource();
    clash.key = "not in the scene";
    clash.objects.insert(clash.objects.end(),
                         demo.scene.bytes.begin() + demo.scene.objects[0].recordOffset,
                         demo.scene.bytes.begin() + demo.scene.objects[0].recordOffset +
                             demo.scene.objects[0].recordLength);
    refusedWith(packed(clash), "has the name of an entry the scene has already");

    AddinSource junk = demoAddinSource();
    junk.objects = {1, 2, 3};
    refusedWith(packed(junk), "are not whole records");
    EXPECT_EQ(snapshot(root).files.size(), before.files.size());
}

TEST_F(AddinApply, MissingMissionFileIsNamed) {
    fs::remove(mission / "scene.4ds");
    const fs::path p = addinFile(packed(demoAddinSource()));
    const TreeSnapshot before = snapshot(root);
    const QuillRun run = apply(p);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err,
              "****** Can't find - scene.4ds- ****** (The mission folder has no scene.4ds.)\n");
    EXPECT_EQ(snapshot(root), before);
}

TEST_F(AddinApply, WithoutAMissionsFolderNothingIsExtractedOrWritten) {
    const fs::path elsewhere = root / "game" / "mission" / "demo";
    fs::create_directories(elsewhere.parent_path());
    fs::rename(mission, elsewhere);
    const fs::path p = addinFile(packed(demoAddinSource()));
    const TreeSnapshot before = snapshot(root);
    const QuillRun run = quill({"addin", "apply", (elsewhere / "scene2.bin").string(), p.string()});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "**Sorry, can't extract models!! Directory - missions - missing! **\n");
    EXPECT_EQ(snapshot(root), before);
}

TEST_F(AddinApply, FilesLandInTheGameAboveTheNearestMissionsFolder) {
    // A folder whose name contains "mission" above the game.
    const fs::path top = root / "missionary";
    fs::create_directories(top);
    fs::rename(game, top / "game");
    game = top / "game";
    mission = game / "missions" / "demo";
    ASSERT_EQ(apply(addinFile(packed(demoAddinSource()))).status, 0);
    EXPECT_TRUE(fs::exists(game / "models" / "addin_car.i3d"));
    EXPECT_FALSE(fs::exists(root / "models"));
    EXPECT_FALSE(fs::exists(top / "models"));
}

TEST_F(AddinApply, ExistingFoldersAndFilesAreFoundWhateverTheirCase) {
    fs::rename(mission / "tree.klz", mission / "TREE.KLZ");
    fs::create_directories(game / "Models");
    fs::create_directories(game / "TABLES");
    writeBytes(game / "Models" / "ADDIN_CAR.I3D", {0});
    const QuillRun run = apply(addinFile(packed(demoAddinSource())), {"--dry-run"});
    EXPECT_NE(run.out.find("overwrite " + (game / "Models" / "ADDIN_CAR.I3D").string()),
              std::string::npos)
        << run.out;
    ASSERT_EQ(apply(addinFile(packed(demoAddinSource()))).status, 0);
    EXPECT_EQ(readBytes(mission / "TREE.KLZ"), replaced(demo.treeKlz, 0, "GifD"));
    EXPECT_EQ(readBytes(mission / "TREE.KLZ.sav"), demo.treeKlz);
    EXPECT_EQ(readBytes(game / "Models" / "ADDIN_CAR.I3D"), demoAddinSource().files[0][0].content);
    EXPECT_FALSE(fs::exists(game / "models"));
    EXPECT_FALSE(fs::exists(game / "tables"));
    EXPECT_TRUE(fs::exists(game / "TABLES" / "addin_text.def"));
}

TEST_F(AddinApply, SceneChangedSinceLoadingIsNotTouched) {
    const Bytes addin = packed(demoAddinSource());
    const SceneIndex index =
        buildSceneIndex(ByteView(demo.scene.bytes.data(), demo.scene.bytes.size()));
    Bytes changed = demo.scene.bytes;
    changed.back() ^= 1;
    writeBytes(scene(), changed);
    const TreeSnapshot before = snapshot(root);
    AddinRequest r;
    r.scenePath = scene().string();
    r.indexed = ByteView(demo.scene.bytes.data(), demo.scene.bytes.size());
    r.index = &index;
    r.addinPath = "x.qxa";
    r.addin = ByteView(addin.data(), addin.size());
    const AddinPlanResult plan = planAddin(r);
    EXPECT_FALSE(plan.plan);
    EXPECT_EQ(plan.message, "****** Can't find - scene2.bin- ******");
    EXPECT_EQ(plan.title, "The file was changed by another program since it was loaded.");
    EXPECT_EQ(snapshot(root), before);
}

TEST_F(AddinApply, ALinkUnderAFileNameIsRefusedBeforeAnythingIsWritten) {
    const fs::path outside = root / "outside.txt";
    writeBytes(outside, {7});
    fs::create_directories(game / "maps");
    fs::create_symlink(outside, game / "maps" / "addin_map.bmp");
    const fs::path p = addinFile(packed(demoAddinSource()));
    const TreeSnapshot before = snapshot(root);
    const QuillRun run = apply(p);
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("****** Can't find - addin_map.bmp- ******"), std::string::npos)
        << run.err;
    EXPECT_EQ(snapshot(root), before);
    EXPECT_EQ(readBytes(outside), (Bytes{7}));
}

namespace {
// Answers Yes and lets a test act as another program just before a write.
struct MeddlingHost : AddinHost {
    std::function<void(const AddinStep&)> meddle;
    bool ask(const std::string&) override { return true; }
    void acting(const AddinStep& step) override {
        if (meddle)
            meddle(step);
    }
};

// Everything below `root` but the ".sav" backups.
TreeSnapshot withoutBackups(TreeSnapshot s) {
    std::erase_if(s.files, [](const auto& f) { return f.first.ends_with(".sav"); });
    return s;
}
} // namespace

class AddinTransaction : public AddinApply {
protected:
    // Plans the add-in for the scene as on disk now; the test then changes
    // the disk before running the plan.
    AddinPlanResult plan(const AddinSource& source) {
        addin = packed(source);
        index = buildSceneIndex(ByteView(demo.scene.bytes.data(), demo.scene.bytes.size()));
        request.scenePath = scene().string();
        request.indexed = ByteView(demo.scene.bytes.data(), demo.scene.bytes.size());
        request.index = &index;
        request.addinPath = "x.qxa";
        request.addin = ByteView(addin.data(), addin.size());
        return planAddin(request);
    }
    AddinRunResult run(const AddinPlan& p) { return runAddin(p, request, host, false); }

    Bytes addin;
    SceneIndex index;
    AddinRequest request;
    MeddlingHost host;
};

// Another program changes one of the files between the plan and the run:
// the run writes nothing at all, not even a backup, and names that file.
TEST_F(AddinTransaction, AFileChangedBetweenPlanAndRunStopsItBeforeAnyWrite) {
    const struct {
        const char* name;
        std::function<void()> change;
    } cases[] = {
        {"tree.klz",
         [this] {
             writeBytes(mission / "tree.klz", {'G', 'i', 'f', 'X'});
         }},
        {"cache.bin",
         [this] {
             Bytes b = demo.cacheBin;
             b.push_back(1);
             writeBytes(mission / "cache.bin", b);
         }},
        {"scene2.bin",
         [this] {
             Bytes b = demo.scene.bytes;
             b.back() ^= 1;
             writeBytes(scene(), b);
         }},
        {"scene.4ds.sav", [this] { writeBytes(mission / "scene.4ds.sav", {9}); }},
        // A game file that was there, changed; one that was not, made; a
        // folder the run would make, made.
        {"addin_car.i3d", [this] { writeBytes(game / "models" / "addin_car.i3d", {2}); }},
        {"addin_map.bmp", [this] { writeBytes(game / "maps" / "addin_map.bmp", {3}); }},
        {"sounds", [this] { fs::create_directories(game / "sounds"); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(root);
        SetUp();
        fs::create_directories(game / "models");
        fs::create_directories(game / "maps");
        writeBytes(game / "models" / "addin_car.i3d", {1});
        const AddinPlanResult planned = plan(demoAddinSource());
        ASSERT_TRUE(planned.plan) << planned.message << planned.title;
        c.change();
        const TreeSnapshot before = snapshot(root);
        const AddinRunResult r = run(*planned.plan);
        EXPECT_EQ(r.status, AddinRunResult::Status::Failed);
        EXPECT_EQ(r.message, std::string("****** Can't find - ") + c.name + "- ******");
        EXPECT_EQ(r.title, "The file was changed by another program since it was read. No mission "
                           "or game file was changed.");
        EXPECT_FALSE(r.sceneChanged);
        EXPECT_EQ(snapshot(root), before);
    }
}

// A write fails halfway: what the run had changed is put back, the last
// first; the backups stay; what another program left is not touched.
TEST_F(AddinTransaction, AFailedWritePutsBackWhatTheRunChanged) {
    fs::create_directories(game / "maps");
    fs::create_directories(game / "models");
    fs::create_directories(game / "tables");
    writeBytes(game / "models" / "addin_car.i3d", {1});
    const TreeSnapshot before = snapshot(root);
    AddinSource twice = demoAddinSource();
    twice.files[4].push_back({"zz_last.def", {1}});
    const struct {
        const char* failing; // the file whose write fails
        std::function<void()> meddle;
        std::string reason;
        AddinSource source = demoAddinSource();
    } cases[] = {
        // After a table written twice (made, then overwritten): removed once.
        {"zz_last.def", [this] { fs::create_directories(game / "tables" / "zz_last.def"); },
         "Is a directory.", twice},
        // The last file of the run: everything else was written.
        {"addin_map.bmp", [this] { fs::create_directories(game / "maps" / "addin_map.bmp"); },
         "Is a directory."},
        // A later check: the scene changed after the patches were written.
        {"scene2.bin",
         [this] {
             Bytes b = demo.scene.bytes;
             b.back() ^= 1;
             writeBytes(scene(), b);
         },
         "The file was changed by another program since it was loaded."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.failing);
        const AddinPlanResult planned = plan(c.source);
        ASSERT_TRUE(planned.plan) << planned.message << planned.title;
        host.meddle = [&](const AddinStep& step) {
            if (step.name == c.failing)
                c.meddle();
        };
        const TreeSnapshot meddled = [&] {
            const AddinRunResult r = run(*planned.plan);
            EXPECT_EQ(r.status, AddinRunResult::Status::Failed);
            EXPECT_EQ(r.message, std::string("****** Can't find - ") + c.failing + "- ******");
            EXPECT_EQ(r.title, c.reason + " The files this add-in had changed were put back.");
            EXPECT_FALSE(r.sceneChanged);
            return snapshot(root);
        }();
        TreeSnapshot expected = before;
        if (std::string(c.failing) == "scene2.bin")
            expected.files["game/missions/demo/scene2.bin"] = readBytes(scene());
        else if (std::string(c.failing) == "zz_last.def")
            expected.dirs.insert("game/tables/zz_last.def");
        else
            expected.dirs.insert("game/maps/addin_map.bmp");
        EXPECT_EQ(withoutBackups(meddled), expected);
        // The backups were made before the first change and stay.
        EXPECT_EQ(readBytes(mission / "tree.klz.sav"), demo.treeKlz);
        EXPECT_EQ(readBytes(mission / "scene2.bin.sav"), demo.scene.bytes);
        // Put back as they were: no new folder, no temporary or lock file.
        EXPECT_FALSE(fs::exists(game / "sounds"));
        for (const auto& [path, bytes] : meddled.files)
            EXPECT_EQ(path.find("quilltemp"), std::string::npos) << path;
        fs::remove_all(game / "maps" / "addin_map.bmp");
        fs::remove_all(game / "tables" / "zz_last.def");
        writeBytes(scene(), demo.scene.bytes);
        for (const char* backup :
             {"tree.klz.sav", "cache.bin.sav", "scene.4ds.sav", "scene2.bin.sav"})
            fs::remove(mission / backup);
    }
}

// A file the run cannot put back (another program changed it after the run
// wrote it, or put a link where the run made a file) is named and left as it
// is; the others are put back.
TEST_F(AddinTransaction, AFileThatCannotBePutBackIsNamed) {
    fs::create_directories(game / "maps");
    fs::create_directories(game / "models");
    const fs::path outside = root / "outside.i3d";
    writeBytes(outside, {7});
    const AddinPlanResult planned = plan(demoAddinSource());
    ASSERT_TRUE(planned.plan);
    const Bytes theirs = {'t', 'h', 'e', 'i', 'r', 's'};
    host.meddle = [&](const AddinStep& step) {
        if (step.name == "addin_map.bmp") {
            writeBytes(mission / "cache.bin", theirs);
            fs::remove(game / "models" / "addin_car.i3d");
            fs::create_symlink(outside, game / "models" / "addin_car.i3d");
            fs::create_directories(game / "maps" / "addin_map.bmp");
        }
    };
    const AddinRunResult r = run(*planned.plan);
    EXPECT_EQ(r.status, AddinRunResult::Status::Failed);
    EXPECT_EQ(r.message, "****** Can't find - addin_map.bmp- ******");
    EXPECT_EQ(r.title, "Is a directory. These could not be put back: addin_car.i3d (Something "
                       "else is in its place now.); cache.bin (The file was changed by another "
                       "program since it was loaded.).");
    EXPECT_TRUE(fs::is_symlink(game / "models" / "addin_car.i3d"));
    EXPECT_EQ(readBytes(outside), (Bytes{7}));
    EXPECT_EQ(readBytes(mission / "cache.bin"), theirs);
    EXPECT_EQ(readBytes(mission / "tree.klz"), demo.treeKlz);
    EXPECT_EQ(readBytes(mission / "scene.4ds"), demo.scene4ds);
    EXPECT_EQ(readBytes(scene()), demo.scene.bytes);
    EXPECT_FALSE(fs::exists(game / "sounds"));
}

#ifndef _WIN32
namespace {
struct FileOwner {
    uid_t uid;
    gid_t gid;
    mode_t mode;
    bool operator==(const FileOwner&) const = default;
    friend std::ostream& operator<<(std::ostream& os, const FileOwner& o) {
        return os << "user " << o.uid << " group " << o.gid << " mode 0" << std::oct << o.mode
                  << std::dec;
    }
};

FileOwner ownerOf(const fs::path& p) {
    struct stat st {};
    EXPECT_EQ(::lstat(p.c_str(), &st), 0) << p;
    return {st.st_uid, st.st_gid, st.st_mode & 07777};
}

void giveTo(const fs::path& p, uid_t uid, gid_t gid, mode_t mode) {
    ASSERT_EQ(::chown(p.c_str(), uid, gid), 0) << p;
    ASSERT_EQ(::chmod(p.c_str(), mode), 0) << p;
}

constexpr uid_t kNobody = 65534;
} // namespace

// Owners other than the test's own need root: the cases are made with chown.
class AddinOwners : public AddinApply {
protected:
    void SetUp() override {
        AddinApply::SetUp();
        if (::geteuid() != 0)
            GTEST_SKIP() << "needs root to give files to another user";
    }
};

TEST_F(AddinOwners, BackupsAreNoMoreReadableThanTheirOriginals) {
    giveTo(mission / "tree.klz", 0, 0, 0600);
    giveTo(mission / "scene.4ds", kNobody, kNobody, 0640);
    // Set-user/group-id bits are never copied.
    giveTo(mission / "cache.bin", 0, 0, 06750);
    const QuillRun run = apply(addinFile(packed(demoAddinSource())));
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(readBytes(mission / "tree.klz.sav"), demo.treeKlz);
    EXPECT_EQ(ownerOf(mission / "tree.klz.sav"), (FileOwner{0, 0, 0600}));
    EXPECT_EQ(ownerOf(mission / "scene.4ds.sav"), (FileOwner{kNobody, kNobody, 0640}));
    EXPECT_EQ(ownerOf(mission / "cache.bin.sav"), (FileOwner{0, 0, 0750}));
    // The patched files themselves keep theirs.
    EXPECT_EQ(ownerOf(mission / "scene.4ds"), (FileOwner{kNobody, kNobody, 0640}));
}

TEST_F(AddinOwners, AnOverwrittenGameFileKeepsItsOwnerAndMode) {
    fs::create_directories(game / "models");
    writeBytes(game / "models" / "addin_car.i3d", {0});
    giveTo(game / "models" / "addin_car.i3d", kNobody, kNobody, 0600);
    const AddinSource source = demoAddinSource();
    const QuillRun run = apply(addinFile(packed(source)));
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(readBytes(game / "models" / "addin_car.i3d"), source.files[0][0].content);
    EXPECT_EQ(ownerOf(game / "models" / "addin_car.i3d"), (FileOwner{kNobody, kNobody, 0600}));
    for (const auto& [path, bytes] : snapshot(root).files)
        EXPECT_EQ(path.find("quilltemp"), std::string::npos) << path;
}

TEST_F(AddinOwners, ABackupThatCouldNotKeepItsOwnerIsRefusedBeforeAnyWrite) {
    // Everything is nobody's but cache.bin, which nobody may write but not own; tree.klz,
    // backed up before it, must not be either.
    for (const auto& e : fs::recursive_directory_iterator(root))
        giveTo(e.path(), kNobody, kNobody, e.is_directory() ? 0755 : 0644);
    giveTo(root, kNobody, kNobody, 0755);
    giveTo(mission / "cache.bin", 0, 0, 0666);
    const fs::path addin = addinFile(packed(demoAddinSource()));
    const TreeSnapshot before = snapshot(root);
    std::string err;
    int pipeFds[2];
    ASSERT_EQ(::pipe(pipeFds), 0);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(pipeFds[0]);
        if (::setgroups(0, nullptr) != 0 || ::setresgid(kNobody, kNobody, kNobody) != 0 ||
            ::setresuid(kNobody, kNobody, kNobody) != 0)
            ::_exit(99);
        const QuillRun run = apply(addin);
        (void)!::write(pipeFds[1], run.err.data(), run.err.size());
        ::_exit(run.status);
    }
    ::close(pipeFds[1]);
    char buf[512];
    for (ssize_t n; (n = ::read(pipeFds[0], buf, sizeof buf)) > 0;)
        err.append(buf, static_cast<std::size_t>(n));
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 2) << err;
    EXPECT_NE(err.find("****** Can't find - cache.bin- ******"), std::string::npos) << err;
    EXPECT_NE(err.find("could not keep"), std::string::npos) << err;
    EXPECT_EQ(snapshot(root), before);
    EXPECT_FALSE(fs::exists(mission / "tree.klz.sav"));
}
#endif

TEST_F(AddinApply, ABackupNameThatIsALinkStopsTheApplyBeforeAnyWrite) {
    const fs::path outside = root / "outside.sav";
    writeBytes(outside, {7});
    // A link to a file with content would otherwise pass for a kept backup.
    for (const char* link : {"scene2.bin.sav", "cache.bin.sav"}) {
        SCOPED_TRACE(link);
        fs::create_symlink(outside, mission / link);
        const fs::path p = addinFile(packed(demoAddinSource()));
        const TreeSnapshot before = snapshot(root);
        const QuillRun run = apply(p);
        EXPECT_EQ(run.status, 2);
        EXPECT_NE(run.err.find(std::string("****** Can't find - ") + link + "- ******"),
                  std::string::npos)
            << run.err;
        EXPECT_NE(run.err.find((mission / link).string() + " is a symbolic link"),
                  std::string::npos)
            << run.err;
        EXPECT_EQ(snapshot(root), before);
        EXPECT_TRUE(fs::is_symlink(mission / link));
        EXPECT_EQ(readBytes(outside), (Bytes{7}));
        fs::remove(mission / link);
    }
}
