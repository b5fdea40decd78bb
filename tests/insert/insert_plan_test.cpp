#include <gtest/gtest.h>

#include <cstring>

#include "chunk_ids.h"
#include "insert_record.h"
#include "insert_support.h"
#include "mini_scene.h"
#include "record_templates.h"
#include "scene_delete.h"
#include "script_text.h"

namespace {

const std::vector<std::string> Categories = {"human", "car",    "truck", "policecar", "building",
                                             "door",  "things", "light", "other",     "uwall"};

struct Sections {
    std::size_t objects, objectsEnd, definitions, definitionsEnd;
};

Sections sectionsOf(const Bytes& b) {
    const SceneIndex i = buildSceneIndex(view(b));
    Sections s{};
    s.objects = *i.modelLenPos - 2;
    s.objectsEnd = s.objects + u32At(b, s.objects + 2);
    s.definitions = *i.gesamtLaengeScriptPos - 2;
    s.definitionsEnd = s.definitions + u32At(b, s.definitions + 2);
    return s;
}

bool sameRange(const Bytes& a, std::size_t at, const Bytes& b, std::size_t bt, std::size_t n) {
    return a.size() >= at + n && b.size() >= bt + n &&
           (n == 0 || std::memcmp(a.data() + at, b.data() + bt, n) == 0);
}

// Does the chunk run [from, to) hold a direct child of `id`?
bool hasChild(const Bytes& b, std::size_t from, std::size_t to, std::uint16_t id) {
    for (std::size_t p = from; p + 6 <= to; p += u32At(b, p + 2))
        if ((b[p] | (b[p + 1] << 8)) == id)
            return true;
    return false;
}

} // namespace

TEST(Insertion, EveryCategoryWritesItsRecordsAndKeepsTheRestByteForByte) {
    const Bytes before = sampleScene().bytes;
    const Sections s = sectionsOf(before);
    for (const std::string& category : Categories) {
        SCOPED_TRACE(category);
        const Inserted ins = insertInto(before, fieldsFor(category, "Neu Objekt"));
        ASSERT_TRUE(ins.check.ok) << ins.check.why;
        ASSERT_TRUE(verifyScene(view(ins.after)).ok());
        const Bytes object = buildObjectRecord(ins.values);
        const Bytes def = buildDefinitionRecord(ins.values);
        const std::size_t n = 10, m = 9;
        const std::size_t wantObject = category == "building" ? 106 + n + m
                                       : category == "light"  ? 229 + n
                                       : category == "other"  ? 156 + n
                                                              : 133 + n + m;
        EXPECT_EQ(object.size(), wantObject);
        EXPECT_EQ(def.size(), def.empty() ? 0 : 13 + n + templateFor(ins.values).bytes);
        EXPECT_EQ(def.empty(), category == "building" || category == "light");

        // Header and section lengths grew by what they cover.
        EXPECT_EQ(ins.after.size(), before.size() + object.size() + def.size());
        EXPECT_EQ(u32At(ins.after, 2), ins.after.size());
        EXPECT_EQ(u32At(ins.after, s.objects + 2), u32At(before, s.objects + 2) + object.size());
        const std::size_t defsAt = s.definitions + object.size();
        EXPECT_EQ(u32At(ins.after, defsAt + 2), u32At(before, s.definitions + 2) + def.size());

        // Untouched bytes, record bytes, moved bytes.
        EXPECT_TRUE(sameRange(before, 6, ins.after, 6, s.objects + 2 - 6));
        EXPECT_TRUE(sameRange(before, s.objects + 6, ins.after, s.objects + 6,
                              s.objectsEnd - s.objects - 6));
        EXPECT_TRUE(sameRange(object, 0, ins.after, s.objectsEnd, object.size()));
        EXPECT_TRUE(sameRange(before, s.objectsEnd, ins.after, s.objectsEnd + object.size(),
                              s.definitions + 2 - s.objectsEnd));
        EXPECT_TRUE(sameRange(before, s.definitions + 6, ins.after, defsAt + 6,
                              s.definitionsEnd - s.definitions - 6));
        EXPECT_TRUE(sameRange(def, 0, ins.after, s.definitionsEnd + object.size(), def.size()));
        const std::size_t tail = before.size() - s.definitionsEnd;
        EXPECT_TRUE(sameRange(before, s.definitionsEnd, ins.after, ins.after.size() - tail, tail));

        // The new entry stands where the first init script stood.
        const SceneIndex oldIndex = buildSceneIndex(view(before));
        EXPECT_EQ(ins.plan.newEntry, static_cast<std::size_t>(oldIndex.merkePosGameInit));
        const IndexRecord& e = ins.check.newIndex.entries.at(ins.plan.newEntry);
        EXPECT_EQ(e.name, "Neu Objekt");
        if (category != "light" && category != "other") {
            EXPECT_EQ(e.model, std::optional<std::string>("house.i3d"));
        }
    }
}

TEST(Insertion, CarOfTheTableGrowsSectionsAndHeaderAsStated) {
    const Bytes before = sampleScene(11).bytes;
    const Sections s = sectionsOf(before);
    InsertFields f = fieldsFor("car", "abc");
    f.model = "a.i3d";
    const Inserted ins = insertInto(before, f);
    ASSERT_TRUE(ins.check.ok) << ins.check.why;
    EXPECT_EQ(u32At(ins.after, s.objects + 2) - u32At(before, s.objects + 2), 141u);
    EXPECT_EQ(u32At(ins.after, s.definitions + 141 + 2) - u32At(before, s.definitions + 2), 2678u);
    EXPECT_EQ(u32At(ins.after, 2) - u32At(before, 2), 2819u);
    const auto car = *findTemplate("CAR1");
    EXPECT_TRUE(
        std::equal(car.begin(), car.end(), ins.after.begin() + s.definitionsEnd + 141 + 16));
    EXPECT_EQ(ins.check.newIndex.entries[ins.plan.newEntry].kind, deftype::Vehicle);
}

TEST(Insertion, OtherWithOneCharacterNameGetsTheSlashScript) {
    const Bytes before = sampleScene(3).bytes;
    const Inserted ins = insertInto(before, fieldsFor("other", "q"));
    ASSERT_TRUE(ins.check.ok) << ins.check.why;
    EXPECT_EQ(buildObjectRecord(ins.values).size(), 157u);
    const Bytes def = buildDefinitionRecord(ins.values);
    EXPECT_EQ(def.size(), 54u);
    const std::size_t e = ins.plan.newEntry;
    EXPECT_TRUE(ins.check.newIndex.entries[e].ticked);
    EXPECT_EQ(readScript(view(ins.after), ins.check.newIndex, e),
              std::optional<std::string>("//////////"));
    const Bytes object = buildObjectRecord(ins.values);
    EXPECT_TRUE(hasChild(object, 6, object.size(), chunk::Box));
    EXPECT_FALSE(hasChild(object, 6, object.size(), chunk::Model));
}

// The records of each category as the file must hold them, written out from
// the record tables: the name "Q1", the model "m.i3d" and the sample fields'
// values (translation 1.5, -2, 3.25; rotation 0.5, sin 30 degrees, 0.8660254,
// -0.25; size 1, 2, 0.5; colour 255, 128, 0; brightness 2.5; thing weight 80,
// sound 3; human behaviour 16, sex 17, aggression 0.5, weight 75).
TEST(Insertion, RecordsHoldTheConstantsOfTheRecordTables) {
    const std::string name = "10 00 09 00 00 00 51 31 00";
    const std::string place = "20 00 12 00 00 00 00 00 C0 3F 00 00 00 C0 00 00 50 40";
    const std::string rotation =
        "22 00 16 00 00 00 00 00 00 3F 00 00 00 3F D7 B3 5D 3F 00 00 80 BE";
    const std::string lightRotation =
        "22 00 16 00 00 00 C5 C5 33 3F 70 31 36 BF 2A BC 98 3C C4 27 5A BB";
    const std::string size = "2D 00 12 00 00 00 00 00 80 3F 00 00 00 40 00 00 00 3F";
    const std::string defaultReference = "2C 00 12 00 00 00 82 CA DD C4 5B 3F B3 C0 BD 59 8A 40";
    const Bytes sector = Bytes{} + std::string("Primary sector") + hex("00");
    const Bytes parent = hex("20 40 1B 00 00 00 10 00 15 00 00 00") + sector;
    const Bytes model = hex("12 20 0C 00 00 00") + std::string("m.i3d") + hex("00");
    const Bytes light = hex("40 40 67 00 00 00 41 40 0A 00 00 00 01 00 00 00"
                            "26 00 12 00 00 00 00 00 80 3F 81 80 00 3F 00 00 00 00"
                            "42 40 0A 00 00 00 00 00 20 40"
                            "43 40 0E 00 00 00 8F C2 05 40 CD CC 0C 40"
                            "44 40 0E 00 00 00 CD CC 4C 3E 00 00 80 40"
                            "45 40 0A 00 00 00 6B 00 00 00 46 40 15 00 00 00") +
                        sector;
    const Bytes box = hex("50 40 1E 00 00 00 00 00 00 BF 00 00 00 BF 00 00 00 BF"
                          "00 00 00 3F 00 00 00 3F 00 00 00 3F");
    const std::string defName = "23 AE 09 00 00 00 51 31 00";
    const struct {
        std::string category;
        Bytes object, definition; // the definition's head when it is longer
    } records[] = {
        {"car",
         hex("10 40 8C 00 00 00 11 40 0A 00 00 00 09 00 00 00" + name + place + rotation + size +
             defaultReference) +
             parent + model,
         hex("21 AE 75 0A 00 00" + defName + "22 AE 0A 00 00 00 04 00 00 00")},
        {"building",
         hex("10 40 71 00 00 00 11 40 0A 00 00 00 09 00 00 00" + name + place + rotation + size +
             "2C 00 12 00 00 00 14 20 DE C4 9A FA 9A C0 3A B3 0C 41") +
             model,
         {}},
        {"light",
         hex("10 40 E7 00 00 00 11 40 0A 00 00 00 02 00 00 00" + name + place + lightRotation +
             size + "2C 00 12 00 00 00 80 60 C2 BF 5E 4B 90 3F C5 20 EC 3F") +
             parent + light,
         {}},
        {"other",
         hex("10 40 9E 00 00 00 11 40 0A 00 00 00 06 00 00 00" + name + place + rotation + size +
             defaultReference) +
             parent + box,
         hex("21 AE 37 00 00 00" + defName +
             "22 AE 0A 00 00 00 05 00 00 00"
             "24 AE 1E 00 00 00 01 00 00 00 00 01 00 00 00 00"
             "0A 00 00 00") +
             std::string(10, '/')},
        {"things",
         hex("10 40 8C 00 00 00 11 40 0A 00 00 00 09 00 00 00" + name + place + rotation + size +
             defaultReference) +
             parent + model,
         hex("21 AE 3E 00 00 00" + defName +
             "22 AE 0A 00 00 00 23 00 00 00 24 AE 25 00 00 00 02 01 00 00 80 3F 00 00 80 3F"
             "00 00 A0 42 00 00 00 3F 0A D7 23 3C 03 00 00 00 01 FF FF FF FF")},
        {"human",
         hex("10 40 8C 00 00 00 11 40 0A 00 00 00 09 00 00 00" + name + place + rotation + size +
             defaultReference) +
             parent + model,
         hex("21 AE 82 00 00 00" + defName +
             "22 AE 0A 00 00 00 1B 00 00 00 24 AE 69 00 00 00 06 10 00 00 00 11 00 00 00 33 33 33"
             "3F 00 00 C8 42 00 00 A0 41 00 00 A0 41 00 00 A0 41 00 00 A0 41 33 33 33 3F 00 00 80"
             "3F 00 00 00 3F CC CC 4C 3F 00 00 80 3F 00 00 80 3F 00 00 80 3F CB CC 4C 3F 00 00 96"
             "42 00 00 00 3F 01 01 00 00 00 00 10 00 00 00") +
             std::string(16, '/')},
    };
    const Bytes before = sampleScene(31).bytes;
    const Sections s = sectionsOf(before);
    for (const auto& r : records) {
        SCOPED_TRACE(r.category);
        InsertFields f = fieldsFor(r.category, "Q1");
        f.model = "m.i3d";
        const Inserted ins = insertInto(before, f);
        ASSERT_TRUE(ins.check.ok) << ins.check.why;
        const std::size_t objectLength = r.object.size();
        EXPECT_EQ(Bytes(ins.after.begin() + s.objectsEnd,
                        ins.after.begin() + s.objectsEnd + objectLength),
                  r.object);
        const std::size_t def = s.definitionsEnd + objectLength;
        const std::size_t added = ins.after.size() - before.size() - objectLength;
        if (r.definition.empty()) {
            EXPECT_EQ(added, 0u);
            continue;
        }
        ASSERT_GE(ins.after.size(), def + r.definition.size());
        EXPECT_EQ(Bytes(ins.after.begin() + def, ins.after.begin() + def + r.definition.size()),
                  r.definition);
        EXPECT_EQ(added, u32At(r.definition, 2));
    }
}

TEST(Insertion, BuildingHasNoParentAndNoDefinition) {
    const Bytes before = sampleScene(5).bytes;
    const Sections s = sectionsOf(before);
    const Inserted ins = insertInto(before, fieldsFor("building", "B1"));
    ASSERT_TRUE(ins.check.ok) << ins.check.why;
    const Bytes object = buildObjectRecord(ins.values);
    EXPECT_EQ(object.size(), 106u + 2 + 9);
    EXPECT_FALSE(hasChild(object, 6, object.size(), chunk::Parent));
    EXPECT_TRUE(hasChild(object, 6, object.size(), chunk::Model));
    EXPECT_EQ(u32At(ins.after, s.definitions + object.size() + 2),
              u32At(before, s.definitions + 2));
}

TEST(Insertion, LightTakesTheFixedRotationAndItsValues) {
    const Bytes before = sampleScene(5).bytes;
    InsertFields f = fieldsFor("light", "L1");
    f.lightKind2 = true;
    f.colour = {"51", "255", "0"};
    f.model = "ignored.4ds";
    const Inserted ins = insertInto(before, f);
    ASSERT_TRUE(ins.check.ok) << ins.check.why;
    const Bytes object = buildObjectRecord(ins.values);
    EXPECT_EQ(object.size(), 229u + 2);
    // The rotation chunk follows the name chunk (9 bytes) and the translation chunk.
    const std::size_t rotation = 6 + 10 + 9 + 18 + 6;
    const Bytes fixed = {0xC5, 0xC5, 0x33, 0x3F, 0x70, 0x31, 0x36, 0xBF,
                         0x2A, 0xBC, 0x98, 0x3C, 0xC4, 0x27, 0x5A, 0xBB};
    EXPECT_TRUE(sameRange(object, rotation, fixed, 0, 16));
    const IndexRecord& e = ins.check.newIndex.entries[ins.plan.newEntry];
    EXPECT_EQ(e.kind, kind::Light);
    EXPECT_EQ(e.lightKind, std::optional<std::uint32_t>(2));
    EXPECT_EQ(e.colour->at(0).value(), static_cast<float>(51 / 255.0));
    EXPECT_EQ(e.colour->at(1).value(), 1.0f);
    EXPECT_EQ(e.brightness->value(), 2.5f);
}

TEST(Insertion, TemplatesArePatchedWithTheWindowsValues) {
    const Bytes before = sampleScene(9).bytes;
    InsertFields human = fieldsFor("human", "Paulie");
    human.behaviour = 128;
    human.sex = "30";
    human.aggression = "1";
    human.humanWeight = "95.5";
    Inserted ins = insertInto(before, human);
    ASSERT_TRUE(ins.check.ok) << ins.check.why;
    IndexRecord e = ins.check.newIndex.entries[ins.plan.newEntry];
    EXPECT_EQ(e.behaviour, std::optional<std::uint8_t>(128));
    EXPECT_EQ(e.sex, std::optional<std::uint8_t>(30));
    EXPECT_EQ(e.aggression->value(), 1.0f);
    EXPECT_EQ(e.weight->value(), 95.5f);
    EXPECT_TRUE(e.ticked);
    EXPECT_EQ(readScript(view(ins.after), ins.check.newIndex, ins.plan.newEntry),
              std::optional<std::string>(std::string(16, '/')));

    InsertFields thing = fieldsFor("things", "Fass");
    thing.thingSound = -1;
    thing.thingWeight = "12.25";
    ins = insertInto(before, thing);
    ASSERT_TRUE(ins.check.ok) << ins.check.why;
    e = ins.check.newIndex.entries[ins.plan.newEntry];
    EXPECT_EQ(e.sound, std::optional<std::uint8_t>(0xFF));
    EXPECT_EQ(e.weight->value(), 12.25f);
    const Bytes def = buildDefinitionRecord(ins.values);
    EXPECT_EQ(u32At(def, 6 + 11 + 38), 0xFFFFFFFFu) << "sound -1 as s32";

    for (int option : {1, 2, 3}) {
        InsertFields door = fieldsFor("door", "Tuer");
        door.doorOption = option;
        ins = insertInto(before, door);
        ASSERT_TRUE(ins.check.ok) << ins.check.why;
        EXPECT_EQ(ins.check.newIndex.entries[ins.plan.newEntry].material,
                  std::optional<std::uint8_t>(option));
    }
}

TEST(Insertion, InsertThenDeleteGivesTheOriginalBack) {
    const Bytes before = sampleScene(21).bytes;
    for (const std::string& category : Categories) {
        SCOPED_TRACE(category);
        const Inserted ins = insertInto(before, fieldsFor(category, "Temp"));
        ASSERT_TRUE(ins.check.ok) << ins.check.why;
        const auto del = planDelete(view(ins.after), ins.check.newIndex, ins.plan.newEntry);
        ASSERT_TRUE(del.plan) << del.error;
        const Bytes back = applyEdit(view(ins.after), del.plan->edit);
        EXPECT_TRUE(back == before);
        EXPECT_TRUE(checkEdit(view(ins.after), ins.check.newIndex, del.plan->edit, view(back),
                              del.plan->expect)
                        .ok);
    }
}

TEST(Insertion, ADefinitionNameAnOldEntryMatchesGoesToThatEntry) {
    // "Tom.1" cut before its "." is "Tom": the scan gives the new definition to
    // the old entry "Tom", as the game's editor does.
    const Bytes before =
        mini::scene([](SceneWriter& w) { mini::object(w, "Tom"); },
                    [](SceneWriter& w) { mini::definition(w, "x", 35, std::string(30, '\x07')); });
    const Inserted ins = insertInto(before, fieldsFor("human", "Tom.1"));
    ASSERT_TRUE(ins.check.ok) << ins.check.why;
    EXPECT_TRUE(ins.check.newIndex.entries[0].ticked) << "the old entry took the script";
    EXPECT_FALSE(ins.check.newIndex.entries[1].ticked);
    EXPECT_EQ(ins.check.newIndex.entries[1].name, "Tom.1");
}

TEST(Insertion, AnOrphanDefinitionAttachesToTheNewObject) {
    const std::string script = "wait 100\r\nend\r\n";
    const Bytes before = mini::scene(
        [](SceneWriter& w) { mini::object(w, "Tom"); },
        [&](SceneWriter& w) { mini::definition(w, "ghost", 5, std::string(4, '\x02'), &script); });
    const Inserted ins = insertInto(before, fieldsFor("door", "ghost"));
    ASSERT_TRUE(ins.check.ok) << ins.check.why;
    EXPECT_TRUE(ins.check.newIndex.entries[1].ticked);
    EXPECT_EQ(ins.check.newIndex.entries[1].material, std::optional<std::uint8_t>(2));
}

TEST(Insertion, SpecialNameBringsItsPreparedScene) {
    const Bytes before = sampleScene(13).bytes;
    const Sections s = sectionsOf(before);
    const Inserted ins = insertInto(before, fieldsFor("human", "VincenzoQXA"));
    ASSERT_TRUE(ins.check.ok) << ins.check.why;
    // The actor's data chunk keeps its length 105: the one known exception.
    const VerifyReport report = verifyScene(view(ins.after));
    EXPECT_TRUE(report.ok());
    ASSERT_FALSE(report.excused.empty());
    for (const ExcusedProblem& e : report.excused)
        EXPECT_EQ(e.exception, "VincenzoQXA");
    EXPECT_FALSE(verifyScene(view(ins.after), std::vector<KnownLayoutException>{}).ok())
        << "without the exception it is a fault";
    const std::size_t object = 133 + 11 + 9;
    EXPECT_EQ(u32At(ins.after, s.objects + 2) - u32At(before, s.objects + 2), object + 1549);
    EXPECT_EQ(u32At(ins.after, s.definitions + object + 1549 + 2) -
                  u32At(before, s.definitions + 2),
              13 + 11 + 2390 + 1236u);
    const auto vincp1 = *findTemplate("VINCP1");
    EXPECT_TRUE(
        std::equal(vincp1.begin(), vincp1.end(), ins.after.begin() + s.objectsEnd + object));
    const SceneIndex after = buildSceneIndex(view(ins.after));
    const SceneIndex old = buildSceneIndex(view(before));
    ASSERT_EQ(after.entries.size(), old.entries.size() + 11);
    const std::size_t e = ins.plan.newEntry;
    EXPECT_EQ(after.entries[e].name, "VincenzoQXA");
    EXPECT_TRUE(after.entries[e].ticked);
    EXPECT_EQ(readScript(view(ins.after), after, e)->size(), 2291u);
    EXPECT_EQ(after.entries[e + 1].name, "vinc detec1");
    EXPECT_TRUE(after.entries[e + 1].ticked);
    EXPECT_EQ(after.entries[e + 10].name, "2cvinc2");
    EXPECT_EQ(after.entries[e + 10].kind, deftype::Thing);
}
