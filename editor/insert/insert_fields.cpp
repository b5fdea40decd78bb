#include "insert_fields.h"

#include <cmath>

#include "cp1252.h"
#include "field_number.h"
#include "number_text.h"
#include "rotation_dial.h"
#include "text_search.h"

namespace {

// A name chunk of 51 bytes or more is read as 8 characters: the object would
// not be listed again.
constexpr std::size_t MaxNameLength = 43;

InsertCheck refused(std::string title, std::string text) {
    InsertCheck c;
    c.refusal = {std::move(title), std::move(text)};
    return c;
}

// Windows-1252 letters compared without case: ASCII, the Latin-1 letters
// (C0..DE less D7 against E0..FE less F7), and Š/š, Œ/œ, Ž/ž, Ÿ/ÿ.
unsigned char foldCp1252(unsigned char c) {
    if (c >= 'A' && c <= 'Z')
        return static_cast<unsigned char>(c + 32);
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7)
        return static_cast<unsigned char>(c + 32);
    switch (c) {
    case 0x8A:
        return 0x9A;
    case 0x8C:
        return 0x9C;
    case 0x8E:
        return 0x9E;
    case 0x9F:
        return 0xFF;
    default:
        return c;
    }
}

bool equalsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (foldCp1252(static_cast<unsigned char>(a[i])) !=
            foldCp1252(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// Numbers in the fields. Numeric text beyond the double range reads as an
// infinite number: numeric, and refused by every range check that follows.
class Reader {
public:
    explicit Reader(char decimalPoint) : decimalPoint_(decimalPoint) {}

    std::optional<double> number(std::string_view text) const {
        const FieldNumber n = readNumber(text, decimalPoint_);
        if (!n.numeric())
            return std::nullopt;
        return n.value;
    }
    // A single: the nearest one, unless the number lies beyond the single range.
    std::optional<float> single(double v) const { return toSingle(v); }

private:
    char decimalPoint_;
};

std::string rotationText(const std::string& text, std::string_view designText) {
    return isUnsetRotation(text, designText) ? std::string("0") : text;
}

} // namespace

bool isUnsetRotation(std::string_view text, std::string_view designText) {
    return text.empty() || text == designText;
}

InsertCheck checkInsertFields(const InsertFields& f, const SceneIndex& index, char decimalPoint) {
    const auto category = categoryFromWord(f.modelchoice);
    if (!category)
        return refused("Category", "Choose a category in the Insert menu");
    const InsertCategory c = *category;
    const Reader r(decimalPoint);
    InsertValues v;
    v.category = c;

    // 1, 2, 3
    if (f.name.empty())
        return refused("Name", "Put Name");
    for (const auto& t : f.translation)
        if (t.empty())
            return refused("", "Fill all fields");
    for (const auto& t : f.size)
        if (t.empty())
            return refused("", "Fill all fields");
    const bool usesModel = c != InsertCategory::Light && c != InsertCategory::Other;
    if (usesModel && !containsNoCase(f.model, ".i3d"))
        return refused("", "Modeltype: *.i3d");

    // 4, 5 and the colour
    if (c == InsertCategory::Light) {
        const auto b = r.number(f.brightness);
        if (!b)
            return refused("Light brightness", "Put numeric");
        if (*b < 0 || *b >= 6)
            return refused("Light brightness", "Value 0 ... 5");
        v.brightness = static_cast<float>(*b);
        static constexpr const char* ColourTitles[3] = {"Red", "Green", "Blue"};
        for (int i = 0; i < 3; ++i) {
            const auto x = r.number(f.colour[i]);
            if (!x)
                return refused(ColourTitles[i], "Put numeric");
            if (*x < 0 || *x > 255)
                return refused(ColourTitles[i], "Value 0 ... 255");
            v.colour[i] = static_cast<float>(*x / 255.0);
        }
        v.lightKind = f.lightKind2 ? 2 : 1;
    }
    // 6
    if (c == InsertCategory::Things) {
        const auto w = r.number(f.thingWeight);
        if (!w)
            return refused("Weight", "Put numeric");
        const auto s = r.single(*w);
        if (!s)
            return refused("Weight", "Value out of range");
        v.thingWeight = *s;
        v.thingSound = f.thingSound;
    }
    // 7 .. 10, the sex's range and the behaviour
    if (c == InsertCategory::Human) {
        const auto a = r.number(f.aggression);
        if (!a)
            return refused("Aggression", "Put numeric");
        if (*a < 0 || *a > 1)
            return refused("Agression", "Value 0 ... 1");
        const auto w = r.number(f.humanWeight);
        if (!w)
            return refused("Weight", "Put numeric");
        const auto ws = r.single(*w);
        if (!ws)
            return refused("Weight", "Value out of range");
        const auto sex = r.number(f.sex);
        if (!sex)
            return refused("Sex", "Put numeric");
        const double sexByte = roundHalfEven(*sex);
        if (sexByte < 0 || sexByte > 255)
            return refused("Sex", "Value 0 ... 255");
        if (!f.behaviour || *f.behaviour < 0 || *f.behaviour > 255)
            return refused("Behaviour", "Choose a behaviour");
        v.aggression = static_cast<float>(*a);
        v.humanWeight = *ws;
        v.sex = static_cast<std::uint8_t>(sexByte);
        v.behaviour = static_cast<std::uint8_t>(*f.behaviour);
    }
    // 11, 12
    for (int i = 0; i < 3; ++i) {
        const auto t = r.number(f.translation[i]);
        if (!t)
            return refused("Translation", "Put numeric");
        const auto s = r.single(*t);
        if (!s)
            return refused("Translation", "Value out of range");
        v.translation[i] = *s;
    }
    for (int i = 0; i < 3; ++i) {
        const auto t = r.number(f.size[i]);
        if (!t)
            return refused("Size", "Put numeric");
        const auto s = r.single(*t);
        if (!s)
            return refused("Size", "Value out of range");
        v.size[i] = *s;
    }
    // 13, 14
    const auto vertical = r.number(rotationText(f.vertical, "Text11"));
    if (!vertical)
        return refused("Vert Rotation", "Put numeric");
    const double degrees = roundHalfEven(*vertical);
    if (degrees < -180 || degrees > 180)
        return refused("Vert Rotation", "Value -180 ... 180");
    const auto q0 = r.number(rotationText(f.q0, "Text9"));
    const auto q2 = r.number(rotationText(f.q2, "Text10"));
    const auto q3 = r.number(rotationText(f.q3, "Text12"));
    if (!q0 || !q2 || !q3 || std::fabs(*q0) > 1 || std::fabs(*q2) > 1 || std::fabs(*q3) > 1)
        return refused("Rotation", "Put numeric");
    v.rotation = {static_cast<float>(*q0), q1FromAngle(degrees), static_cast<float>(*q2),
                  static_cast<float>(*q3)};

    // The name and the model as the file stores them.
    const auto name = utf8ToCp1252(f.name);
    if (!name || name->find('\0') != std::string::npos)
        return refused("Name", "The name holds a character the file cannot store");
    if (name->size() > MaxNameLength)
        return refused("Name", "At most 43 characters");
    // 15
    for (std::size_t i = 0; i < index.entries.size(); ++i)
        if (equalsNoCase(index.entries.name(i), *name))
            return refused("Name already known", "Put another!");
    v.name = *name;
    if (usesModel) {
        const auto model = utf8ToCp1252(f.model);
        if (!model || model->find('\0') != std::string::npos)
            return refused("Model", "The model name holds a character the file cannot store");
        v.model = *model;
    }
    v.doorSound = f.doorOption == 3   ? DoorSound::Glass
                  : f.doorOption == 2 ? DoorSound::Brass
                                      : DoorSound::Wood;
    InsertCheck ok;
    ok.values = std::move(v);
    return ok;
}
