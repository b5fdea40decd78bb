#include <gtest/gtest.h>

#include "insert_support.h"
#include "mini_scene.h"

namespace {

const Bytes& scene() {
    static const Bytes b = mini::scene([](SceneWriter& w) {
        mini::object(w, "Tommy");
        mini::object(w, "\xC9t\xE9");
    });
    return b;
}

InsertRefusal refusal(const InsertFields& f) {
    const InsertCheck c = checkInsertFields(f, buildSceneIndex(view(scene())), '.');
    EXPECT_FALSE(c.values) << f.modelchoice;
    return c.refusal;
}

void expectRefused(const InsertFields& f, const std::string& title, const std::string& text) {
    const InsertRefusal r = refusal(f);
    EXPECT_EQ(r.title, title);
    EXPECT_EQ(r.text, text);
}

bool passes(const InsertFields& f) {
    return checkInsertFields(f, buildSceneIndex(view(scene())), '.').values.has_value();
}

} // namespace

TEST(InsertChecks, TheFifteenChecksInTheirOrder) {
    // Each step breaks one more field; the earliest failing check answers.
    InsertFields f = fieldsFor("human", "tommy");
    expectRefused(f, "Name already known", "Put another!");
    f.vertical = "181";
    expectRefused(f, "Vert Rotation", "Value -180 ... 180");
    f.vertical = "x";
    expectRefused(f, "Vert Rotation", "Put numeric");
    f.size[2] = "1,5x";
    expectRefused(f, "Size", "Put numeric");
    f.translation[1] = "nan";
    expectRefused(f, "Translation", "Put numeric");
    f.sex = "m";
    expectRefused(f, "Sex", "Put numeric");
    f.humanWeight = "heavy";
    expectRefused(f, "Weight", "Put numeric");
    f.aggression = "1.01";
    expectRefused(f, "Agression", "Value 0 ... 1");
    f.aggression = "-";
    expectRefused(f, "Aggression", "Put numeric");
    f.model = "car.4ds";
    expectRefused(f, "", "Modeltype: *.i3d");
    f.size[0] = "";
    expectRefused(f, "", "Fill all fields");
    f.name = "";
    expectRefused(f, "Name", "Put Name");
}

TEST(InsertChecks, CategoryRulesAndEdges) {
    InsertFields f = fieldsFor("car", "New");
    f.model = "CAR.I3D";
    EXPECT_TRUE(passes(f));
    for (const char* c : {"light", "other"}) {
        f = fieldsFor(c, "New");
        f.model = "car.4ds";
        EXPECT_TRUE(passes(f)) << c << ": the model field is not read";
    }
    f = fieldsFor("light", "New");
    f.brightness = "6";
    expectRefused(f, "Light brightness", "Value 0 ... 5");
    f.brightness = "5.99";
    EXPECT_TRUE(passes(f));
    f.brightness = "bright";
    expectRefused(f, "Light brightness", "Put numeric");
    f = fieldsFor("things", "New");
    f.thingWeight = "";
    expectRefused(f, "Weight", "Put numeric");
    f = fieldsFor("human", "New");
    f.aggression = "1";
    EXPECT_TRUE(passes(f));
    f.aggression = "-0.1";
    expectRefused(f, "Agression", "Value 0 ... 1");
    f = fieldsFor("human", "New");
    f.vertical = "180";
    EXPECT_TRUE(passes(f));
    f = fieldsFor("door", "éTÉ");
    expectRefused(f, "Name already known", "Put another!");
}

TEST(InsertChecks, FieldsWithoutAMessageOfTheirOwnAreRefusedClearly) {
    InsertFields f = fieldsFor("light", "New");
    f.colour[1] = "green";
    expectRefused(f, "Green", "Put numeric");
    f.colour[1] = "256";
    expectRefused(f, "Green", "Value 0 ... 255");
    f = fieldsFor("human", "New");
    f.sex = "256";
    expectRefused(f, "Sex", "Value 0 ... 255");
    f.sex = "-1";
    expectRefused(f, "Sex", "Value 0 ... 255");
    f = fieldsFor("human", "New");
    f.behaviour.reset();
    expectRefused(f, "Behaviour", "Choose a behaviour");
    // A name chunk of 51 bytes or more would not be listed again: 43
    // characters (a chunk of 50) is the longest name.
    f = fieldsFor("things", std::string(44, 'n'));
    expectRefused(f, "Name", "At most 43 characters");
    EXPECT_TRUE(passes(fieldsFor("things", std::string(43, 'n'))));
    f = fieldsFor("things", "Ж");
    expectRefused(f, "Name", "The name holds a character the file cannot store");
    f = fieldsFor("things", "New");
    f.translation[0] = "1e39";
    expectRefused(f, "Translation", "Value out of range");
}

TEST(InsertChecks, ValuesAsTheFileTakesThem) {
    InsertFields f = fieldsFor("human", "New");
    f.q0 = "Text9";
    f.q2 = "";
    f.q3 = "Text12";
    f.vertical = "30.5";
    f.sex = "16.5";
    const InsertCheck c = checkInsertFields(f, buildSceneIndex(view(scene())), '.');
    ASSERT_TRUE(c.values);
    EXPECT_EQ(c.values->rotation[0], 0.0f);
    EXPECT_EQ(c.values->rotation[1], 0.5f) << "sin of 30.5 rounded half to even: 30";
    EXPECT_EQ(c.values->rotation[2], 0.0f);
    EXPECT_EQ(c.values->rotation[3], 0.0f);
    EXPECT_EQ(c.values->sex, 16) << "halves to even";
    EXPECT_EQ(c.values->behaviour, 16);
}
