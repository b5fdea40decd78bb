#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <functional>
#include <map>

#include "field_number.h"
#include "number_text.h"
#include "scene_generator.h"
#include "value_save.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

ValueField field(const std::string& text) {
    return {text, readNumber(text, '.')};
}

float singleAt(const Bytes& b, std::size_t pos) {
    std::uint32_t bits = 0;
    std::memcpy(&bits, b.data() + pos, 4);
    return std::bit_cast<float>(bits);
}

// Every field of the entry's kind as the panel shows it after a display.
ValueSaveInput asShown(const IndexRecord& r) {
    ValueSaveInput in;
    in.translation = {field(shownSingle((*r.translation)[0])),
                      field(shownSingle((*r.translation)[1])),
                      field(shownSingle((*r.translation)[2]))};
    in.size = {field(shownSingle((*r.size)[0])), field(shownSingle((*r.size)[1])),
               field(shownSingle((*r.size)[2]))};
    in.verticalAngle = field(shownAngle((*r.rotation)[1]));
    in.dialRotation = r.rotation;
    if (r.kind == LightKind) {
        in.brightness = field(shownSingle(*r.brightness));
        in.colour = {field(shownColour((*r.colour)[0])), field(shownColour((*r.colour)[1])),
                     field(shownColour((*r.colour)[2]))};
    } else if (r.kind == ThingKind) {
        in.weight = field(shownSingle(*r.weight));
        in.soundCode = *r.sound <= 8 ? int(*r.sound) : 0;
    } else if (r.kind == HumanKind) {
        in.aggression = field(shownSingle(*r.aggression));
        in.weight = field(shownSingle(*r.weight));
        in.sex = field(std::to_string(*r.sex));
        in.behaviourCode = std::nullopt;
    }
    return in;
}

struct Scene {
    GeneratedScene generated;
    SceneIndex index;
    ByteView view() const { return ByteView(generated.bytes.data(), generated.bytes.size()); }
};

Scene scene(std::uint32_t seed = 5) {
    GeneratorOptions options;
    options.seed = seed;
    options.objectCount = 80;
    Scene s{generateScene(options), {}};
    s.index = buildSceneIndex(s.view());
    return s;
}

// The byte positions at which two files differ.
std::vector<std::size_t> changed(const Bytes& a, const Bytes& b) {
    std::vector<std::size_t> at;
    EXPECT_EQ(a.size(), b.size());
    for (std::size_t i = 0; i < std::min(a.size(), b.size()); ++i)
        if (a[i] != b[i])
            at.push_back(i);
    return at;
}

Bytes applied(const Scene& s, std::size_t entry, const ValueSaveInput& in) {
    auto planned = planValueSave(s.index, entry, in);
    EXPECT_TRUE(std::holds_alternative<ValueSavePlan>(planned));
    if (!std::holds_alternative<ValueSavePlan>(planned))
        return s.generated.bytes;
    const ValueSavePlan& plan = std::get<ValueSavePlan>(planned);
    EXPECT_TRUE(plan.edit.mayWriteInPlace);
    EXPECT_TRUE(plan.edit.keepsLength());
    Bytes out = applyEdit(s.view(), plan.edit);
    const EditCheck check =
        checkEdit(s.view(), s.index, plan.edit, ByteView(out.data(), out.size()), plan.expect);
    EXPECT_TRUE(check.ok) << check.why;
    return out;
}

ValueSaveRefusal refusal(const Scene& s, std::size_t entry, const ValueSaveInput& in) {
    auto planned = planValueSave(s.index, entry, in);
    EXPECT_TRUE(std::holds_alternative<ValueSaveRefusal>(planned));
    if (auto* r = std::get_if<ValueSaveRefusal>(&planned))
        return *r;
    return {};
}

// The first entry of each kind the panel treats apart.
std::map<std::uint8_t, std::size_t> entriesByKind(const SceneIndex& index) {
    std::map<std::uint8_t, std::size_t> found;
    for (std::size_t i = 0; i < index.entries.size(); ++i) {
        const IndexRecord& r = index.entries[i];
        if (r.translationPos && !r.nameOnly && !found.count(r.kind) &&
            (r.kind != LightKind || r.colourPos) && (r.kind != ThingKind || r.soundPos) &&
            (r.kind != HumanKind || r.behaviourPos))
            found[r.kind] = i;
    }
    return found;
}

TEST(FieldNumbers, OneGrammarWithTheCallersSeparator) {
    using S = FieldNumber::State;
    const double inf = HUGE_VAL;
    const std::string zeros(400, '0');
    struct Case {
        std::string text;
        char point;
        S state;
        double value;
    };
    const std::vector<Case> cases = {
        {"12.5", '.', S::Number, 12.5},
        {" -3e2 ", '.', S::Number, -300},
        {"\t+2\t", '.', S::Number, 2},
        {"+2", '.', S::Number, 2},
        {".5", '.', S::Number, 0.5},
        {"1.", '.', S::Number, 1},
        {"1e-2", '.', S::Number, 0.01},
        {"1,5", ',', S::Number, 1.5},
        {"-1,5E+1", ',', S::Number, -15},
        {"202,54", ',', S::Number, 202.54},
        {"", '.', S::Empty, 0},
        {" \t ", ',', S::Empty, 0},
        // One separator, the caller's; group separators of either kind.
        {"1,5", '.', S::NotNumeric, 0},
        {"1.5", ',', S::NotNumeric, 0},
        {"1.500", ',', S::NotNumeric, 0},
        {"1,500", '.', S::NotNumeric, 0},
        {"1,500.5", '.', S::NotNumeric, 0},
        {"1 000", '.', S::NotNumeric, 0},
        {"1.2.3", '.', S::NotNumeric, 0},
        {"1,2,3", ',', S::NotNumeric, 0},
        {".", '.', S::NotNumeric, 0},
        {",", ',', S::NotNumeric, 0},
        // Signs and exponents.
        {"--1", '.', S::NotNumeric, 0},
        {"+-1", '.', S::NotNumeric, 0},
        {"+", '.', S::NotNumeric, 0},
        {"- 1", '.', S::NotNumeric, 0},
        {"1-", '.', S::NotNumeric, 0},
        {"1e", '.', S::NotNumeric, 0},
        {"1e+", '.', S::NotNumeric, 0},
        {"e5", '.', S::NotNumeric, 0},
        {"1e5.5", '.', S::NotNumeric, 0},
        {"1e2,5", ',', S::NotNumeric, 0},
        // Words and other notations.
        {"inf", '.', S::NotNumeric, 0},
        {"-inf", '.', S::NotNumeric, 0},
        {"nan", '.', S::NotNumeric, 0},
        {"NaN", '.', S::NotNumeric, 0},
        {"Infinity", ',', S::NotNumeric, 0},
        {"0x10", '.', S::NotNumeric, 0},
        {"12a", '.', S::NotNumeric, 0},
        // Beyond the double range: infinite, or zero of its sign.
        {"1e400", '.', S::Number, inf},
        {"-1e400", '.', S::Number, -inf},
        {"1e99999999999999999999", '.', S::Number, inf},
        {"1e-400", '.', S::Number, 0.0},
        {"-1e-400", '.', S::Number, -0.0},
        {"1" + zeros, '.', S::Number, inf},
        {"0," + zeros + "1", ',', S::Number, 0.0},
        {"1" + zeros + "e-5", '.', S::Number, inf},
        {"1" + zeros + "e-390", '.', S::Number, 1e10},
        {"0." + zeros + "1e-5", '.', S::Number, 0.0},
    };
    for (const Case& c : cases) {
        const FieldNumber n = readNumber(c.text, c.point);
        const std::string shown = c.text.substr(0, 24) + " with " + c.point;
        EXPECT_EQ(n.state, c.state) << shown;
        if (c.state != S::Number)
            continue;
        EXPECT_EQ(n.value, c.value) << shown;
        EXPECT_EQ(std::signbit(n.value), std::signbit(c.value)) << shown;
    }
}

TEST(FieldNumbers, CodesAreWholeNumbersInTheirRange) {
    EXPECT_EQ(readWholeIn("+2", '.', 0, 8), 2);
    EXPECT_EQ(readWholeIn("8.0", '.', 0, 8), 8);
    EXPECT_EQ(readWholeIn("-90", ',', -90, 90), -90);
    EXPECT_EQ(readWholeIn("2,5", ',', 0, 8), std::nullopt);
    EXPECT_EQ(readWholeIn("9", '.', 0, 8), std::nullopt);
    EXPECT_EQ(readWholeIn("1e400", '.', 0, 8), std::nullopt);
}

TEST(FieldNumbers, SinglesAndShownTexts) {
    EXPECT_EQ(toSingle(3.4028235e38), FLT_MAX) << "the largest single's own text";
    EXPECT_FALSE(toSingle(3.41e38));
    EXPECT_EQ(toSingle(0.1), 0.1f);

    EXPECT_EQ(withDecimalPoint("-6.123234E-17", ','), "-6,123234E-17");
    // A stored single one place above 0.1 shows as "0.1"; the shown text,
    // with the field's own separator, keeps those bits.
    const StoredFloat stored{std::bit_cast<std::uint32_t>(0.1f) + 1};
    ASSERT_EQ(shownSingle(stored), "0.1");
    const auto comma = [](const std::string& text) {
        return ValueField{text, readNumber(text, ','), ','};
    };
    EXPECT_EQ(singleFor(comma("0,1"), "0.1", stored)->bits, stored.bits);
    EXPECT_EQ(singleFor(comma("0,10"), "0.1", stored)->bits, std::bit_cast<std::uint32_t>(0.1f));
    EXPECT_FALSE(singleFor(comma("0.1"), "0.1", stored)) << "a dot is no separator here";
    EXPECT_EQ(singleFor(field("0.1"), "0.1", stored)->bits, stored.bits);
}

TEST(ValueSave, FieldsAsShownWriteBackTheSameBytes) {
    const Scene s = scene();
    const auto kinds = entriesByKind(s.index);
    ASSERT_TRUE(kinds.count(LightKind) && kinds.count(ThingKind) && kinds.count(HumanKind));
    for (const auto& [kind, entry] : kinds) {
        SCOPED_TRACE(int(kind));
        const IndexRecord& r = s.index.entries[entry];
        const Bytes out = applied(s, entry, asShown(r));
        const std::vector<std::size_t> diff = changed(s.generated.bytes, out);
        if (kind != LightKind) {
            EXPECT_TRUE(diff.empty()) << diff.size() << " bytes changed";
            continue;
        }
        // A light is saved with the fixed rotation and nothing else changes.
        for (std::size_t at : diff) {
            EXPECT_GE(at, *r.translationPos + 18);
            EXPECT_LT(at, *r.translationPos + 34);
        }
        EXPECT_EQ(0,
                  std::memcmp(out.data() + *r.translationPos + 18, LightRotationBytes.data(), 16));
    }
}

TEST(ValueSave, NewValuesLandAtTheirPositionsOnly) {
    const Scene s = scene();
    for (const auto& [kind, entry] : entriesByKind(s.index)) {
        SCOPED_TRACE(int(kind));
        const IndexRecord& r = s.index.entries[entry];
        ValueSaveInput in = asShown(r);
        in.translation = {field("1.5"), field("-2"), field("3e3")};
        in.size = {field("0.5"), field("2"), field("4")};
        in.verticalAngle = field("30");
        std::vector<std::pair<std::size_t, std::size_t>> allowed = {
            {*r.translationPos, 12}, {*r.translationPos + 18, 16}, {*r.translationPos + 40, 12}};
        if (kind == LightKind) {
            in.brightness = field("5.99");
            in.colour = {field("255"), field("128"), field("0")};
            allowed.push_back({*r.colourPos, 12});
            allowed.push_back({*r.brightnessPos, 4});
        } else if (kind == ThingKind) {
            in.weight = field("97.5");
            in.soundCode = 8;
            allowed.push_back({*r.weightPos, 4});
            allowed.push_back({*r.soundPos, 4});
        } else if (kind == HumanKind) {
            in.aggression = field("1");
            in.weight = field("80.25");
            in.sex = field("30.5");
            in.behaviourCode = 8;
            allowed.push_back({*r.behaviourPos, 1});
            allowed.push_back({*r.behaviourPos + 4, 1});
            allowed.push_back({*r.aggressionPos, 4});
            allowed.push_back({*r.weightPos, 4});
        }
        const Bytes out = applied(s, entry, in);
        for (std::size_t at : changed(s.generated.bytes, out)) {
            bool listed = false;
            for (const auto& [pos, n] : allowed)
                listed = listed || (at >= pos && at < pos + n);
            EXPECT_TRUE(listed) << "byte " << at << " changed";
        }
        const std::size_t t = *r.translationPos;
        EXPECT_EQ(singleAt(out, t + 8), 3000.0f);
        EXPECT_EQ(singleAt(out, t + 44), 2.0f);
        if (kind == LightKind) {
            EXPECT_EQ(singleAt(out, *r.colourPos + 4), float(128 / 255.0));
            EXPECT_EQ(singleAt(out, *r.brightnessPos), 5.99f);
        } else {
            EXPECT_EQ(singleAt(out, t + 22), 0.5f) << "q1 = sin 30";
            EXPECT_EQ(singleAt(out, t + 18), singleAt(s.generated.bytes, t + 18));
        }
        if (kind == ThingKind) {
            EXPECT_EQ(0, std::memcmp(out.data() + *r.soundPos, "\x08\0\0\0", 4));
        }
        if (kind == HumanKind) {
            EXPECT_EQ(out[*r.behaviourPos], 8);
            EXPECT_EQ(out[*r.behaviourPos + 4], 30) << "halves to even";
            EXPECT_EQ(singleAt(out, *r.weightPos), 80.25f);
        }
    }
}

TEST(ValueSave, ChecksComeInTheirOrder) {
    const Scene s = scene();
    const auto kinds = entriesByKind(s.index);
    const std::size_t human = kinds.at(HumanKind);
    const ValueSaveInput shown = asShown(s.index.entries[human]);
    struct Case {
        std::function<void(ValueSaveInput&)> change;
        std::string prompt, title;
    };
    const std::vector<Case> cases = {
        {[](ValueSaveInput& in) {
             (*in.size)[2] = field("");
             in.aggression = field("x");
         },
         "Fill all fields", ""},
        {[](ValueSaveInput& in) {
             in.aggression = field("inf");
             (*in.translation)[0] = field("x");
         },
         "Put numeric", "Aggression"},
        {[](ValueSaveInput& in) { in.aggression = field("1.01"); }, "Value 0 ... 1", "Agression"},
        {[](ValueSaveInput& in) { in.aggression = field("-0.1"); }, "Value 0 ... 1", "Agression"},
        {[](ValueSaveInput& in) { in.weight = field("nan"); }, "Put numeric", "Weight"},
        {[](ValueSaveInput& in) { in.weight = field("1e39"); }, "Number out of range", "Weight"},
        {[](ValueSaveInput& in) { in.sex = field("x"); }, "Put numeric", "Sex"},
        {[](ValueSaveInput& in) { in.sex = field("255.5"); }, "Value 0 ... 255", "Sex"},
        {[](ValueSaveInput& in) { in.sex = field("-1"); }, "Value 0 ... 255", "Sex"},
        {[](ValueSaveInput& in) {
             (*in.translation)[2] = field("y");
             (*in.size)[0] = field("y");
         },
         "Put numeric", "Translation"},
        {[](ValueSaveInput& in) { (*in.translation)[1] = field("-1e300"); }, "Number out of range",
         "Translation"},
        {[](ValueSaveInput& in) {
             (*in.size)[1] = field("y");
             in.verticalAngle = field("");
         },
         "Put numeric", "Size"},
        {[](ValueSaveInput& in) { in.verticalAngle = field(""); }, "Put numeric", "Vert Rotation"},
        {[](ValueSaveInput& in) { in.verticalAngle = field("180.6"); }, "Value -180 ... 180",
         "Vert Rotation"},
        {[](ValueSaveInput& in) { in.verticalAngle = field("1e10"); }, "Value -180 ... 180",
         "Vert Rotation"},
    };
    for (const Case& c : cases) {
        ValueSaveInput in = shown;
        c.change(in);
        const ValueSaveRefusal r = refusal(s, human, in);
        EXPECT_EQ(r.prompt, c.prompt) << c.title;
        EXPECT_EQ(r.title, c.title) << c.prompt;
    }
    for (const char* angle : {"180.5", "-180", "-180.5"}) {
        ValueSaveInput in = shown;
        in.verticalAngle = field(angle);
        EXPECT_TRUE(std::holds_alternative<ValueSavePlan>(planValueSave(s.index, human, in)))
            << angle;
    }

    const std::size_t light = kinds.at(LightKind);
    ValueSaveInput lit = asShown(s.index.entries[light]);
    lit.brightness = field("6");
    (*lit.translation)[0] = field("x");
    EXPECT_EQ(refusal(s, light, lit).prompt, "Value 0 ... 5");
    lit.brightness = field("abc");
    EXPECT_EQ(refusal(s, light, lit).title, "Light brightness");
    lit.brightness = field("5.9");
    EXPECT_EQ(refusal(s, light, lit).title, "Translation");

    const std::size_t thing = kinds.at(ThingKind);
    ValueSaveInput th = asShown(s.index.entries[thing]);
    th.weight = field("");
    EXPECT_EQ(refusal(s, thing, th).title, "Weight");
    th = asShown(s.index.entries[thing]);
    th.soundCode = 9;
    EXPECT_EQ(refusal(s, thing, th).title, "Sound");
}

TEST(ValueSave, UntouchedFieldsKeepTheirBitsAndTheStoredBehaviour) {
    const Scene s = scene();
    const std::size_t human = entriesByKind(s.index).at(HumanKind);
    const IndexRecord& r = s.index.entries[human];
    ValueSaveInput in = asShown(r);
    in.weight = field("12");
    const Bytes out = applied(s, human, in);
    EXPECT_EQ(out[*r.behaviourPos], s.generated.bytes[*r.behaviourPos]);
    EXPECT_EQ(singleAt(out, *r.weightPos), 12.0f);
    EXPECT_EQ(changed(s.generated.bytes, out).size() <= 4, true);

    // A dial that turned changes q0 and q2 only; the untouched angle keeps q1.
    ValueSaveInput turned = asShown(r);
    (*turned.dialRotation)[0] = StoredFloat::fromValue(1.0f);
    const Bytes dialled = applied(s, human, turned);
    EXPECT_EQ(singleAt(dialled, *r.translationPos + 18), 1.0f);
    EXPECT_EQ(std::memcmp(dialled.data() + *r.translationPos + 22,
                          s.generated.bytes.data() + *r.translationPos + 22, 4),
              0);
}

TEST(ValueSave, EntriesWithoutValuesWriteNothing) {
    const Scene s = scene();
    for (std::size_t i = 0; i < s.index.entries.size(); ++i) {
        if (!s.index.entries[i].nameOnly)
            continue;
        ValueSaveInput in;
        in.translation = {field("1"), field("2"), field("3")};
        auto planned = planValueSave(s.index, i, in);
        ASSERT_TRUE(std::holds_alternative<ValueSavePlan>(planned));
        EXPECT_TRUE(std::get<ValueSavePlan>(planned).nothingToWrite);
        EXPECT_TRUE(std::get<ValueSavePlan>(planned).edit.splices.empty());
        return;
    }
    FAIL() << "no name-only entry generated";
}

} // namespace
