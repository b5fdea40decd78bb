#include <gtest/gtest.h>

#include <bit>
#include <filesystem>
#include <fstream>
#include <optional>

#include "file_access.h"
#include "quill_runner.h"
#include "scene_generator.h"
#include "value_save.h"

namespace {
namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

class QuillValues : public ::testing::Test {
protected:
    fs::path dir = fs::temp_directory_path() /
                   (std::string("quill_values_test_") +
                    ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::path scene = dir / "scene2.bin";
    GeneratedScene g = generateScene({12, 60, std::nullopt});
    SceneIndex index;

    void SetUp() override {
        fs::remove_all(dir);
        fs::create_directories(dir);
        std::ofstream(scene, std::ios::binary)
            .write(reinterpret_cast<const char*>(g.bytes.data()), std::streamsize(g.bytes.size()));
        index = buildSceneIndex(ByteView(g.bytes.data(), g.bytes.size()));
    }
    void TearDown() override { fs::remove_all(dir); }

    Bytes onDisk() {
        Bytes b;
        EXPECT_TRUE(readWholeFile(scene.string(), b));
        return b;
    }
    std::size_t firstOfKind(std::uint8_t kind) {
        for (std::size_t i = 0; i < index.entries.size(); ++i) {
            const IndexRecord& r = index.entries[i];
            if (r.kind == kind && r.translationPos && !r.nameOnly &&
                (kind != HumanKind || r.behaviourPos) && (kind != ThingKind || r.soundPos) &&
                (kind != LightKind || r.colourPos))
                return i;
        }
        ADD_FAILURE() << "no entry of kind " << int(kind);
        return 0;
    }
    QuillRun set(std::size_t entry, std::vector<std::string> options) {
        std::vector<std::string> args = {"values", "set", scene.string(), std::to_string(entry)};
        args.insert(args.end(), options.begin(), options.end());
        return quill(args);
    }
    std::vector<std::size_t> changedBytes() {
        const Bytes now = onDisk();
        std::vector<std::size_t> at;
        EXPECT_EQ(now.size(), g.bytes.size());
        for (std::size_t i = 0; i < std::min(now.size(), g.bytes.size()); ++i)
            if (now[i] != g.bytes[i])
                at.push_back(i);
        return at;
    }
};

TEST_F(QuillValues, GetPrintsTheStoredValuesOfTheKind) {
    const std::size_t human = firstOfKind(HumanKind);
    const QuillRun run = quill({"values", "get", scene.string(), std::to_string(human)});
    ASSERT_EQ(run.status, 0) << run.err;
    for (const char* key : {"\"translation\":[", "\"rotation\":[", "\"size\":[",
                            "\"behaviour\":", "\"sex\":", "\"aggression\":", "\"weight\":"})
        EXPECT_NE(run.out.find(key), std::string::npos) << key;
    EXPECT_EQ(run.out.find("\"colour\""), std::string::npos);
    const IndexRecord& r = index.entries[human];
    EXPECT_NE(run.out.find("\"sex\":" + std::to_string(*r.sex)), std::string::npos);

    const QuillRun light =
        quill({"values", "get", scene.string(), std::to_string(firstOfKind(LightKind))});
    EXPECT_NE(light.out.find("\"colour\":["), std::string::npos);
    EXPECT_NE(light.out.find("\"brightness\":"), std::string::npos);
}

TEST_F(QuillValues, SetChangesOnlyWhatIsNamed) {
    const std::size_t thing = firstOfKind(ThingKind);
    const IndexRecord& r = index.entries[thing];
    QuillRun run = set(thing, {"--translation", "1.5,2,-3"});
    ASSERT_EQ(run.status, 0) << run.err;
    for (std::size_t at : changedBytes()) {
        EXPECT_GE(at, *r.translationPos);
        EXPECT_LT(at, *r.translationPos + 12);
    }
    run = set(thing, {"--sound", "8", "--weight", "12.25"});
    ASSERT_EQ(run.status, 0) << run.err;
    const Bytes now = onDisk();
    EXPECT_EQ(now[*r.soundPos], 8);
    EXPECT_EQ(std::bit_cast<float>(std::uint32_t(now[*r.weightPos] | now[*r.weightPos + 1] << 8 |
                                                 now[*r.weightPos + 2] << 16 |
                                                 std::uint32_t(now[*r.weightPos + 3]) << 24)),
              12.25f);

    // The dials: slider 90 gives q0 = 1; q1 and q3 stay.
    const std::size_t plain = firstOfKind(4);
    const IndexRecord& p = index.entries[plain];
    ASSERT_EQ(set(plain, {"--horizontal-dial", "90"}).status, 0);
    for (std::size_t at : changedBytes()) {
        const bool q0q2 = (at >= *p.translationPos + 18 && at < *p.translationPos + 22) ||
                          (at >= *p.translationPos + 26 && at < *p.translationPos + 30);
        const bool earlier = (at >= *r.translationPos && at < *r.translationPos + 12) ||
                             (at >= *r.soundPos && at < *r.soundPos + 4) ||
                             (at >= *r.weightPos && at < *r.weightPos + 4);
        EXPECT_TRUE(q0q2 || earlier) << at;
    }

    // A light's rotation is the fixed one whichever rotation option is named.
    const std::size_t light = firstOfKind(LightKind);
    ASSERT_EQ(set(light, {"--vertical-dial", "-90"}).status, 0);
    const Bytes lit = onDisk();
    const std::size_t t = *index.entries[light].translationPos;
    EXPECT_TRUE(std::equal(LightRotationBytes.begin(), LightRotationBytes.end(),
                           lit.begin() + std::ptrdiff_t(t + 18)));
}

TEST_F(QuillValues, RefusalsPrintTheCheckAndWriteNothing) {
    const std::size_t human = firstOfKind(HumanKind);
    const std::size_t thing = firstOfKind(ThingKind);
    const std::size_t light = firstOfKind(LightKind);
    struct Case {
        std::size_t entry;
        std::vector<std::string> options;
        std::string line;
    };
    const std::vector<Case> cases = {
        {human, {"--aggression", "x", "--translation", "y,1,1"}, "Aggression: Put numeric\n"},
        {human, {"--aggression", "2"}, "Agression: Value 0 ... 1\n"},
        {human, {"--translation", "1,,2"}, "Fill all fields\n"},
        {human, {"--sex", "300"}, "Sex: Value 0 ... 255\n"},
        {human, {"--vertical-angle", "181"}, "Vert Rotation: Value -180 ... 180\n"},
        {human, {"--vertical-angle", "nan"}, "Vert Rotation: Put numeric\n"},
        {human, {"--size", "1,inf,1"}, "Size: Put numeric\n"},
        {human, {"--behaviour", "3"}, "Behaviour: No such behaviour\n"},
        {thing, {"--sound", "9"}, "Sound: No such sound\n"},
        {thing, {"--weight", "1,5"}, "Weight: Put numeric\n"},
        {light, {"--brightness", "6"}, "Light brightness: Value 0 ... 5\n"},
        {light, {"--colour", "0,256,0"}, "Colour: Value 0 ... 255\n"},
        {human, {"--horizontal-dial", "181"}, "Horz: Value 0 ... 180\n"},
    };
    for (const Case& c : cases) {
        const QuillRun run = set(c.entry, c.options);
        EXPECT_EQ(run.status, 2) << c.line;
        EXPECT_EQ(run.err, c.line);
    }
    const QuillRun wrongKind = set(light, {"--weight", "3"});
    EXPECT_EQ(wrongKind.status, 2);
    EXPECT_NE(wrongKind.err.find("has no weight"), std::string::npos);
    const QuillRun init = set(index.entries.size() - 1, {"--size", "1,1,1"});
    EXPECT_EQ(init.status, 2);
    EXPECT_TRUE(changedBytes().empty());
}

// values set and insert read a number typed on the command line alike: the
// weight set on a thing and the weight of a thing inserted are the same, or
// both commands refuse the text.
TEST_F(QuillValues, SetAndInsertReadNumbersAlike) {
    const std::size_t thing = firstOfKind(ThingKind);
    struct Case {
        std::string text;
        std::optional<float> weight; // nothing: refused
    };
    const std::vector<Case> cases = {
        {"+2", 2.0f},
        {"-2.5E1", -25.0f},
        {" 7.25 ", 7.25f},
        {"1.", 1.0f},
        {"1,5", std::nullopt},
        {"1.500", 1.5f},
        {"1,500", std::nullopt},
        {"inf", std::nullopt},
        {"nan", std::nullopt},
        {"0x10", std::nullopt},
        {"1e400", std::nullopt},
    };
    int inserted = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const QuillRun set = this->set(thing, {"--weight", c.text});
        const std::string name = "Fass" + std::to_string(inserted);
        const QuillRun insert =
            quill({"insert", scene.string(), "--category", "things", "--name", name,
                   "--translation", "0,0,0", "--size", "1,1,1", "--weight", c.text});
        if (!c.weight) {
            EXPECT_EQ(set.status, 2);
            EXPECT_EQ(insert.status, 2);
            EXPECT_TRUE(set.err.starts_with("Weight: ")) << set.err;
            EXPECT_TRUE(insert.err.starts_with("Weight: ")) << insert.err;
            continue;
        }
        ASSERT_EQ(set.status, 0) << set.err;
        ASSERT_EQ(insert.status, 0) << insert.err;
        ++inserted;
        const Bytes now = onDisk();
        const SceneIndex after = buildSceneIndex(ByteView(now.data(), now.size()));
        // The definitions section lies behind the objects and moves with
        // every insertion: the weight is read where the file now has it.
        ASSERT_TRUE(after.entries.at(thing).weight);
        EXPECT_EQ(after.entries.at(thing).weight->value(), *c.weight);
        const IndexRecord& added = after.entries.at(std::size_t(after.merkePosGameInit) - 1);
        EXPECT_EQ(added.name, name);
        ASSERT_TRUE(added.weight);
        EXPECT_EQ(added.weight->value(), *c.weight);
    }
    EXPECT_EQ(inserted, 5);
}

} // namespace
