#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "file_access.h"
#include "quill_runner.h"
#include "scene_generator.h"
#include "scene_index.h"
#include "scene_verify.h"

namespace {
namespace fs = std::filesystem;

std::vector<std::uint8_t> slurp(const fs::path& p) {
    std::vector<std::uint8_t> b;
    EXPECT_TRUE(readWholeFile(p.string(), b));
    return b;
}

class QuillInsert : public ::testing::Test {
protected:
    fs::path dir = fs::temp_directory_path() /
                   (std::string("quill_insert_test_") +
                    ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::path scene = dir / "scene2.bin";
    GeneratedScene g = generateScene({12, 40, std::nullopt});
    void SetUp() override {
        fs::remove_all(dir);
        fs::create_directories(dir);
        std::ofstream(scene, std::ios::binary)
            .write(reinterpret_cast<const char*>(g.bytes.data()),
                   static_cast<std::streamsize>(g.bytes.size()));
    }
    void TearDown() override { fs::remove_all(dir); }
    SceneIndex index() {
        const auto b = slurp(scene);
        return buildSceneIndex(ByteView(b.data(), b.size()));
    }
    QuillRun insert(std::vector<std::string> extra) {
        std::vector<std::string> args{"insert", scene.string()};
        args.insert(args.end(), extra.begin(), extra.end());
        return quill(args);
    }
};

} // namespace

TEST_F(QuillInsert, EveryMenuEntryInsertsAndDeletingGivesTheFileBack) {
    for (const char* category : {"Human", "car", "TRUCK", "policecar", "building", "door", "things",
                                 "light", "other", "InvisibleWall"}) {
        SCOPED_TRACE(category);
        std::vector<std::string> args{"--category",    category,   "--name", "Neu",
                                      "--translation", "1.5,2,-3", "--size", "1,1,1"};
        // Each category takes the options of its own fields.
        const std::string c = category;
        if (c == "Human")
            args.insert(args.end(), {"--weight", "70", "--sex", "3", "--aggression", "0.2",
                                     "--behaviour", "2"});
        if (c == "things")
            args.insert(args.end(), {"--weight", "5", "--sound", "2"});
        if (c == "light")
            args.insert(args.end(),
                        {"--brightness", "3", "--colour", "10,20,30", "--light-kind", "2"});
        if (c == "door")
            args.insert(args.end(), {"--door-sound", "brass"});
        const QuillRun r = insert(args);
        ASSERT_EQ(r.status, 0) << r.err;
        const auto after = slurp(scene);
        EXPECT_TRUE(verifyScene(ByteView(after.data(), after.size())).ok());
        const SceneIndex i = index();
        const auto e = static_cast<std::size_t>(i.merkePosGameInit) - 1;
        EXPECT_EQ(i.entries[e].name, "Neu");
        EXPECT_EQ(r.out, "inserted Neu as entry " + std::to_string(e) + "\n");
        const QuillRun d = quill({"delete", scene.string(), "Neu"});
        ASSERT_EQ(d.status, 0) << d.err;
        EXPECT_EQ(slurp(scene), g.bytes);
    }
}

TEST_F(QuillInsert, PresetsOfTheMenuEntryAndOfALikeEntry) {
    ASSERT_EQ(insert({"--category", "things", "--name", "Fass", "--translation", "0,0,0", "--size",
                      "1,1,1"})
                  .status,
              0);
    SceneIndex i = index();
    std::size_t e = static_cast<std::size_t>(i.merkePosGameInit) - 1;
    EXPECT_EQ(i.entries[e].model, std::optional<std::string>("xbarel 2.i3d"));
    EXPECT_EQ(i.entries[e].sound, std::optional<std::uint8_t>(3));
    EXPECT_EQ(i.entries[e].weight->value(), 80.0f);

    // A light without a selection: the window shows brightness 0 and black.
    const QuillRun light = insert(
        {"--category", "light", "--name", "Lampe", "--translation", "0,0,0", "--size", "1,1,1"});
    ASSERT_EQ(light.status, 0) << light.err;
    i = index();
    e = static_cast<std::size_t>(i.merkePosGameInit) - 1;
    EXPECT_EQ(i.entries[e].brightness->value(), 0.0f);
    for (int k = 0; k < 3; ++k)
        EXPECT_EQ(i.entries[e].colour->at(k).value(), 0.0f);
    EXPECT_EQ(i.entries[e].lightKind, std::optional<std::uint32_t>(1));

    // --like copies translation, size and model as the window copies the selection.
    std::size_t src = 0;
    while (!i.entries[src].model || i.entries[src].nameOnly)
        ++src;
    const IndexRecord like = i.entries[src];
    ASSERT_EQ(
        insert({"--category", "building", "--name", "Copy", "--like", std::to_string(src)}).status,
        0);
    i = index();
    e = static_cast<std::size_t>(i.merkePosGameInit) - 1;
    EXPECT_EQ(i.entries[e].model, like.model);
    for (int k = 0; k < 3; ++k) {
        EXPECT_FLOAT_EQ(i.entries[e].translation->at(k).value(), like.translation->at(k).value());
        EXPECT_FLOAT_EQ(i.entries[e].size->at(k).value(), like.size->at(k).value());
    }

    // Like an object that records no light values: the window shows them as 0.
    ASSERT_FALSE(like.brightness);
    const QuillRun dark =
        insert({"--category", "light", "--name", "Dunkel", "--like", std::to_string(src)});
    ASSERT_EQ(dark.status, 0) << dark.err;
    i = index();
    e = static_cast<std::size_t>(i.merkePosGameInit) - 1;
    EXPECT_EQ(i.entries[e].brightness->value(), 0.0f);
    EXPECT_EQ(i.entries[e].colour->at(1).value(), 0.0f);
}

TEST_F(QuillInsert, ChecksPrintTitleAndPromptAndWriteNothing) {
    const QuillRun empty = insert({"--category", "car", "--name", "x"});
    EXPECT_EQ(empty.status, 2);
    EXPECT_EQ(empty.err, "Fill all fields\n");
    const QuillRun known = insert({"--category", "car", "--name", index().entries[0].name,
                                   "--translation", "0,0,0", "--size", "1,1,1"});
    EXPECT_EQ(known.err, "Name already known: Put another!\n");
    const QuillRun model = insert({"--category", "car", "--name", "n", "--translation", "0,0,0",
                                   "--size", "1,1,1", "--model", "car.4ds"});
    EXPECT_EQ(model.err, "Modeltype: *.i3d\n");
    const QuillRun comma =
        insert({"--category", "car", "--name", "n", "--translation", "0,5,0,0", "--size", "1,1,1"});
    EXPECT_EQ(comma.status, 2);
    const QuillRun aggr = insert({"--category", "human", "--name", "n", "--translation", "0,0,0",
                                  "--size", "1,1,1", "--aggression", "1.5"});
    EXPECT_EQ(aggr.err, "Agression: Value 0 ... 1\n");
    const QuillRun behaviour = insert({"--category", "human", "--name", "n", "--translation",
                                       "0,0,0", "--size", "1,1,1", "--behaviour", "3"});
    EXPECT_EQ(behaviour.status, 2);
    EXPECT_EQ(quill({"insert", scene.string(), "--category", "uwall", "--name", "n"}).status, 2)
        << "the menu entry is InvisibleWall";
    struct Foreign {
        const char *category, *option, *value, *message;
    };
    for (const Foreign& f : {
             Foreign{"human", "--brightness", "9",
                     "category human has no brightness (only a light has)"},
             Foreign{"Human", "--colour", "300,1,1",
                     "category Human has no colour (only a light has)"},
             Foreign{"car", "--weight", "5",
                     "category car has no weight (only a human or thing has)"},
             Foreign{"light", "--sound", "2", "category light has no sound (only a thing has)"},
             Foreign{"things", "--sex", "1", "category things has no sex (only a human has)"},
             Foreign{"door", "--aggression", "1",
                     "category door has no aggression (only a human has)"},
             Foreign{"other", "--behaviour", "2",
                     "category other has no behaviour (only a human has)"},
             Foreign{"human", "--light-kind", "2",
                     "category human has no light-kind (only a light has)"},
             Foreign{"building", "--door-sound", "glass",
                     "category building has no door-sound (only a door has)"},
         }) {
        SCOPED_TRACE(f.option);
        const QuillRun r = insert({"--category", f.category, "--name", "n", "--translation",
                                   "0,0,0", "--size", "1,1,1", f.option, f.value});
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.err, std::string("quill: ") + f.message + "\n");
    }
    EXPECT_EQ(slurp(scene), g.bytes);
}

TEST_F(QuillInsert, DeleteRefusesInitScripts) {
    const SceneIndex i = index();
    const QuillRun r = quill({"delete", scene.string(), std::to_string(i.merkePosGameInit)});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "Delete Model: Could not be deleted!\n");
    EXPECT_EQ(quill({"delete", scene.string(), "no such entry"}).status, 2);
    EXPECT_EQ(slurp(scene), g.bytes);
}

TEST_F(QuillInsert, TheSpecialNameVerifiesWithItsKnownException) {
    const QuillRun r = insert({"--category", "human", "--name", "VincenzoQXA", "--translation",
                               "0,0,0", "--size", "1,1,1"});
    ASSERT_EQ(r.status, 0) << r.err;
    const QuillRun v = quill({"verify", scene.string()});
    EXPECT_EQ(v.status, 0) << v.out;
    EXPECT_NE(v.out.find("known exception VincenzoQXA"), std::string::npos) << v.out;
    EXPECT_EQ(index().entries.size(),
              generateScene({12, 40, std::nullopt}).objects.size() + 11 + g.initScripts.size());
}
