#include "insert_presets.h"

#include <cctype>

#include "cp1252.h"
#include "number_text.h"
#include "rotation_dial.h"

namespace {

std::string defaultModel(InsertCategory c) {
    switch (c) {
    case InsertCategory::Human:
        return "Enemy12K.i3d";
    case InsertCategory::Car:
        return "blackha00.i3d";
    case InsertCategory::Truck:
        return "Truck02.i3d";
    case InsertCategory::Policecar:
        return "polimTud00.i3d";
    case InsertCategory::Building:
        return "4build10.i3d";
    case InsertCategory::Door:
        return "FMVVincOutDoor.i3d";
    case InsertCategory::Things:
        return "xbarel 2.i3d";
    case InsertCategory::Uwall:
        return "???.i3d";
    case InsertCategory::Light:
    case InsertCategory::Other:
        break;
    }
    return {};
}

std::string text(StoredFloat f) {
    return formatSingle(f.value());
}

} // namespace

std::optional<InsertCategory> categoryFromMenuName(std::string_view name) {
    std::string lower;
    for (char c : name)
        lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (lower == "invisiblewall")
        return InsertCategory::Uwall;
    if (lower == "uwall")
        return std::nullopt;
    return categoryFromWord(lower);
}

InsertPreset insertPreset(InsertCategory c, const IndexRecord* like) {
    InsertPreset p;
    InsertFields& f = p.fields;
    f.modelchoice = std::string(categoryWord(c));
    f.model = defaultModel(c);
    if (like && like->model && !like->model->empty() && c != InsertCategory::Uwall &&
        c != InsertCategory::Light && c != InsertCategory::Other)
        f.model = cp1252ToUtf8(*like->model);
    if (c == InsertCategory::Human) {
        f.sex = "17";
        f.aggression = "0.5";
        f.humanWeight = "80";
        f.behaviour = 16; // "Reaction on Player"
    }
    if (c == InsertCategory::Things) {
        f.thingSound = 3; // "Barrel 2"
        f.thingWeight = "80";
    }
    if (c == InsertCategory::Light) {
        // The window shows the selected entry's light values, and 0 for what
        // the index records none of (or with nothing selected).
        const float brightness = like && like->brightness ? like->brightness->value() : 0.0f;
        f.brightness = formatSingle(brightness);
        for (int i = 0; i < 3; ++i) {
            const float fraction = like && like->colour ? (*like->colour)[i].value() : 0.0f;
            f.colour[i] = formatSingle(fraction * 255.0f);
        }
        f.lightKind2 = like && like->lightKind == std::optional<std::uint32_t>(2);
    }
    if (!like)
        return p;

    f.name = cp1252ToUtf8(like->name);
    if (like->translation)
        for (int i = 0; i < 3; ++i)
            f.translation[i] = text((*like->translation)[i]);
    if (like->size)
        for (int i = 0; i < 3; ++i)
            f.size[i] = text((*like->size)[i]);
    if (like->rotation) {
        const auto& q = *like->rotation;
        f.q0 = text(q[0]);
        f.q2 = text(q[2]);
        f.q3 = text(q[3]);
        p.horizontalDial = horizontalFromStored(q[0].value()).slider;
        const VerticalFromStored v = verticalFromStored(q[3].value(), q[1].value());
        p.verticalDial = v.slider;
        f.vertical = v.q1AngleText;
    }
    if (c == InsertCategory::Door && like->material) {
        const int m = *like->material;
        if (m <= 3)
            f.doorOption = m == 0 ? 1 : m;
    }
    return p;
}

void applyDials(InsertPreset& p) {
    const HorizontalFromSlider h = horizontalFromSlider(p.horizontalDial);
    p.fields.q0 = h.q0Text;
    p.fields.q2 = h.q2Text;
    p.fields.q3 = verticalFromSlider(p.verticalDial).q3Text;
}
