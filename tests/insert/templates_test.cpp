#include <gtest/gtest.h>

#include <map>

#include "insert_support.h"
#include "record_templates.h"
#include "template_writer.h"

namespace {

Bytes templateBytes(const std::string& name) {
    const auto t = findTemplate(name);
    if (!t)
        throw std::runtime_error("no template " + name);
    return Bytes(t->begin(), t->end());
}

std::string soundField(const std::string& name) {
    return name + '\0' + std::string(15 - name.size(), '\xCD');
}

// The door parameters as the insertion's template table gives them.
Bytes doorHead() {
    return hex("22 AE 0A 00 00 00 06 00 00 00 24 AE 4C 00 00 00"
               "08 00 00 00 00 01 01 DB 0F C9 3F 00 00 6E 12 83 3B 6E 12 83 3B");
}

} // namespace

TEST(RecordTemplates, SizesAndNames) {
    const std::map<std::string, std::size_t> sizes = {
        {"THING1", 47}, {"DOOR1", 86},    {"DOOR2", 86},    {"DOOR3", 86},
        {"WALL", 86},   {"HUMAN3", 115},  {"CAR1", 2662},   {"CAR2", 2377},
        {"CAR3", 2443}, {"VINCS1", 2390}, {"VINCP1", 1549}, {"VINCP2", 1236}};
    EXPECT_EQ(recordTemplates().size(), sizes.size());
    for (const auto& [name, size] : sizes)
        EXPECT_EQ(templateBytes(name).size(), size) << name;
    EXPECT_FALSE(findTemplate("thing1")) << "names are exact";
}

TEST(RecordTemplates, SmallTemplatesByteForByte) {
    EXPECT_EQ(templateBytes("THING1"), hex("22 AE 0A 00 00 00 23 00 00 00 24 AE 25 00 00 00"
                                           "02 01 00 00 80 3F 00 00 80 3F BD 41 D3 41 00 00"
                                           "00 3F 0A D7 23 3C FF FF FF FF 01 FF FF FF FF"));
    const Bytes door1 = doorHead() + soundField("d_woodop.wav") + soundField("d_woodcl.wav") +
                        soundField("d_woodlo.wav") + std::string(1, '\0');
    EXPECT_EQ(templateBytes("DOOR1"), door1);
    EXPECT_EQ(templateBytes("DOOR2"), doorHead() + soundField("d_brassop.wav") +
                                          soundField("d_brasscl.wav") +
                                          soundField("d_brasslo.wav") + std::string(1, '\0'));
    Bytes door3 = doorHead() + soundField("d_glass1op.wav") + soundField("d_glass1cl.wav") +
                  soundField("d_woodlo.wav") + std::string(1, '\0');
    const Bytes angle = hex("5C 77 D6 3F"), speed = hex("01 73 42 3B");
    std::copy(angle.begin(), angle.end(), door3.begin() + 23);
    std::copy(speed.begin(), speed.end(), door3.begin() + 29);
    EXPECT_EQ(templateBytes("DOOR3"), door3);
    Bytes wall = door1;
    wall[28] = 0x01;
    EXPECT_EQ(templateBytes("WALL"), wall);
    EXPECT_EQ(templateBytes("HUMAN3"), hex("22 AE 0A 00 00 00 1B 00 00 00 24 AE 69 00 00 00"
                                           "06 08 00 00 00 0A 00 00 00 33 33 33 3F 00 00 C8"
                                           "42 00 00 A0 41 00 00 A0 41 00 00 A0 41 00 00 A0"
                                           "41 33 33 33 3F 00 00 80 3F 99 99 59 3F CC CC 4C"
                                           "3F 00 00 80 3F 00 00 80 3F 00 00 80 3F CB CC 4C"
                                           "3F 00 00 A0 42 00 00 00 3F 01 01 00 00 00 00 10"
                                           "00 00 00") +
                                           std::string(16, '/'));
}

TEST(RecordTemplates, VehiclesHoldACompressedBlock) {
    for (const char* name : {"CAR1", "CAR2", "CAR3"}) {
        const Bytes b = templateBytes(name);
        EXPECT_EQ(Bytes(b.begin(), b.begin() + 12), hex("22 AE 0A 00 00 00 04 00 00 00 24 AE"))
            << name;
        EXPECT_EQ(u32At(b, 12), b.size() - 10) << name << ": the data chunk ends the template";
        EXPECT_EQ(u32At(b, 16), 1u) << name;
        EXPECT_EQ(u32At(b, 20), b.size() - 24) << name << ": size of what follows";
        EXPECT_EQ(std::string(b.begin() + 24, b.begin() + 28), "COMP") << name;
    }
}

TEST(RecordTemplates, VincenzoActorKeepsTheStatedLength105) {
    const Bytes b = templateBytes("VINCS1");
    const Bytes human = templateBytes("HUMAN3");
    EXPECT_TRUE(std::equal(human.begin(), human.begin() + 95, b.begin()))
        << "the HUMAN3 parameters, data chunk length 105 included";
    EXPECT_EQ(u32At(b, 12), 105u);
    EXPECT_EQ(u32At(b, 95), 2291u);
    const std::string script(b.begin() + 99, b.end());
    EXPECT_EQ(script.size(), 2291u);
    EXPECT_EQ(script.substr(script.size() - 5), "end\r\n");
    for (char c : script)
        EXPECT_TRUE(c == '\r' || c == '\n' || (c >= 32 && c < 127));
}

TEST(RecordTemplates, PreparedScenesTileIntoTheirRecords) {
    const Bytes objects = templateBytes("VINCP1");
    const std::vector<std::string> objectNames = {
        "vinc detec1", "vinc detec2", "vinc_pos1", "vinc_pos2", "shotgun",
        "pos_tom",     "2bbat1",      "2bbat2",    "2cvinc",    "2cvinc2"};
    std::size_t p = 0, n = 0;
    while (p < objects.size()) {
        ASSERT_EQ(objects[p] | (objects[p + 1] << 8), 0x4010);
        const std::size_t len = u32At(objects, p + 2);
        ASSERT_LT(n, objectNames.size());
        // The name chunk follows the type chunk.
        EXPECT_EQ(
            std::string(objects.begin() + p + 22, objects.begin() + p + 22 + objectNames[n].size()),
            objectNames[n]);
        p += len;
        ++n;
    }
    EXPECT_EQ(p, objects.size());
    EXPECT_EQ(n, 10u);

    const Bytes defs = templateBytes("VINCP2");
    const std::vector<std::pair<std::string, int>> defNames = {
        {"vinc detec1", 5}, {"vinc detec2", 5}, {"vinc_pos1", 5}, {"vinc_pos2", 5}, {"pos_tom", 5},
        {"2bbat1", 35},     {"2bbat2", 35},     {"2cvinc", 35},   {"2cvinc2", 35}};
    p = 0;
    n = 0;
    while (p < defs.size()) {
        ASSERT_EQ(defs[p] | (defs[p + 1] << 8), 0xAE21);
        ASSERT_LT(n, defNames.size());
        const auto& [name, type] = defNames[n];
        const std::size_t nameLen = u32At(defs, p + 8);
        EXPECT_EQ(std::string(defs.begin() + p + 12, defs.begin() + p + 6 + nameLen - 1), name);
        const std::size_t typeChunk = p + 6 + nameLen;
        EXPECT_EQ(defs[typeChunk + 6], type) << name;
        const std::size_t data = typeChunk + 10;
        EXPECT_EQ(data + u32At(defs, data + 2), p + u32At(defs, p + 2)) << name;
        p += u32At(defs, p + 2);
        ++n;
    }
    EXPECT_EQ(p, defs.size());
    EXPECT_EQ(n, 9u);
}

TEST(RecordTemplates, GeneratorWritesTheCarriedFiles) {
    for (const auto& t : templates::buildRecordTemplates())
        EXPECT_EQ(templateBytes(t.name), t.bytes) << t.name;
}
