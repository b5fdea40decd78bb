#include <gtest/gtest.h>
#include <sstream>

#include "addin_fixture.h"
#include "quill_runner.h"

namespace {
std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        out.push_back(line);
    return out;
}

// The files that differ between two snapshots, as absolute paths.
std::set<std::string> changedFiles(const fs::path& root, const TreeSnapshot& a,
                                   const TreeSnapshot& b) {
    std::set<std::string> out;
    for (const auto& [path, bytes] : b.files) {
        auto it = a.files.find(path);
        if (it == a.files.end() || it->second != bytes)
            out.insert((root / path).string());
    }
    return out;
}
} // namespace

class AddinDryRun : public AddinGame {
protected:
    // A dry run, then the real run with the same answers: the dry run changed
    // nothing, listed the paths in the order the real run wrote them, and
    // every file the real run changed is listed.
    void expectDryRunMatches(const fs::path& addin, bool yes, int status) {
        std::vector<std::string> args = {"addin", "apply", scene().string(), addin.string()};
        if (yes)
            args.push_back("--yes");
        const TreeSnapshot before = snapshot(root);
        std::vector<std::string> dry = args;
        dry.push_back("--dry-run");
        const QuillRun listed = quill(dry);
        EXPECT_EQ(listed.status, status) << listed.err;
        EXPECT_EQ(snapshot(root), before);
        const QuillRun real = quill(args);
        EXPECT_EQ(real.status, status) << real.err;
        EXPECT_EQ(real.err, listed.err);
        const TreeSnapshot after = snapshot(root);

        std::set<std::string> listedPaths;
        for (const std::string& line : lines(listed.out)) {
            const std::size_t blank = line.find(' ');
            ASSERT_NE(blank, std::string::npos) << line;
            const std::string verb = line.substr(0, blank);
            const std::string path = line.substr(blank + 1);
            EXPECT_TRUE(verb == "backup" || verb == "patch" || verb == "insert" ||
                        verb == "create" || verb == "overwrite")
                << line;
            const std::string rel = fs::path(path).lexically_relative(root).generic_string();
            EXPECT_TRUE(after.files.count(rel)) << line;
            // A file is created once; after that (or when it was there) it is overwritten.
            const bool there = before.files.count(rel) || listedPaths.count(path);
            if (verb == "create") {
                EXPECT_FALSE(there) << line;
            } else if (verb != "backup") {
                EXPECT_TRUE(there) << line;
            }
            listedPaths.insert(path);
        }
        for (const std::string& changed : changedFiles(root, before, after))
            EXPECT_TRUE(listedPaths.count(changed)) << "not listed: " << changed;
    }
};

TEST_F(AddinDryRun, ListsExactlyWhatAFirstRunChanges) {
    const fs::path addin = addinFile(packed(demoAddinSource()));
    const QuillRun listed =
        quill({"addin", "apply", scene().string(), addin.string(), "--dry-run"});
    const std::string m = mission.string() + "/";
    const std::string g = game.string() + "/";
    EXPECT_EQ(listed.out, "backup " + m + "tree.klz.sav\n" + "backup " + m + "cache.bin.sav\n" +
                              "backup " + m + "scene.4ds.sav\n" + "backup " + m +
                              "scene2.bin.sav\n" + "patch " + m + "tree.klz\n" + "patch " + m +
                              "cache.bin\n" + "patch " + m + "scene.4ds\n" + "insert " + m +
                              "scene2.bin\n" + "create " + g + "models/addin_car.i3d\n" +
                              "create " + g + "sounds/addin_horn.wav\n" + "create " + g +
                              "maps/addin_map.bmp\n" + "create " + g + "tables/addin_text.def\n" +
                              "overwrite " + g + "tables/addin_text.def\n");
    expectDryRunMatches(addin, false, 0);
}

TEST_F(AddinDryRun, MatchesTheRealRunWhenApplyingAgain) {
    const fs::path addin = addinFile(packed(demoAddinSource()));
    ASSERT_EQ(quill({"addin", "apply", scene().string(), addin.string()}).status, 0);
    expectDryRunMatches(addin, false, 1);
    expectDryRunMatches(addin, true, 0);
}

TEST_F(AddinDryRun, MatchesTheRealRunWhenANoStopsIt) {
    AddinSource s = demoAddinSource();
    s.patches[1] = std::vector<AddinPatchSource>{{{0xEE, 0xEF}, {0}}};
    expectDryRunMatches(addinFile(packed(s)), false, 1);
}

TEST_F(AddinDryRun, PackBuildsFromAFolderAndReportsMistakes) {
    const fs::path dir = root / "src";
    fs::create_directories(dir / "sounds");
    writeBytes(dir / "sounds" / "horn.wav", {1, 2});
    const std::string json = R"({"title": "Horn", "mission": "demo", "tree": []})";
    writeBytes(dir / "addin.json", Bytes(json.begin(), json.end()));
    const fs::path out = root / "horn.qxa";
    const QuillRun pack = quill({"addin", "pack", dir.string(), out.string()});
    ASSERT_EQ(pack.status, 0) << pack.err;
    const QuillRun run = quill({"addin", "apply", scene().string(), out.string()});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(readBytes(game / "sounds" / "horn.wav"), (Bytes{1, 2}));
    EXPECT_EQ(readBytes(mission / "tree.klz"), demo.treeKlz);
    EXPECT_TRUE(fs::exists(mission / "tree.klz.sav"));

    const std::string tooLong = R"({"title": "A title of 21 letters.", "mission": "demo"})";
    writeBytes(dir / "addin.json", Bytes(tooLong.begin(), tooLong.end()));
    const QuillRun refused = quill({"addin", "pack", dir.string(), out.string()});
    EXPECT_EQ(refused.status, 2);
    EXPECT_EQ(refused.err, "quill: The title is 22 characters long; at most 20 fit.\n");
    EXPECT_EQ(quill({"addin", "apply", scene().string()}).status, 2);
}
