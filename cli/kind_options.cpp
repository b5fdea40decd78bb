#include "kind_options.h"

#include <array>

#include "value_save.h"

namespace {

struct KindOption {
    std::string_view option;
    unsigned owners;
    std::string_view ownersText;
    bool valuePanel; // the main window's value panel has the field too
};

constexpr std::array<KindOption, 9> KindOptions = {{
    {"--weight", HumanOwner | ThingOwner, "human or thing", true},
    {"--sound", ThingOwner, "thing", true},
    {"--behaviour", HumanOwner, "human", true},
    {"--sex", HumanOwner, "human", true},
    {"--aggression", HumanOwner, "human", true},
    {"--brightness", LightOwner, "light", true},
    {"--colour", LightOwner, "light", true},
    {"--light-kind", LightOwner, "light", false},
    {"--door-sound", DoorOwner, "door", false},
}};

const KindOption* find(std::string_view option) {
    for (const KindOption& k : KindOptions)
        if (k.option == option)
            return &k;
    return nullptr;
}

} // namespace

unsigned ownerOfKind(std::uint8_t kind) {
    switch (kind) {
    case HumanKind:
        return HumanOwner;
    case ThingKind:
        return ThingOwner;
    case LightKind:
        return LightOwner;
    default:
        return NoOwner;
    }
}

unsigned ownerOfCategory(InsertCategory category) {
    switch (category) {
    case InsertCategory::Human:
        return HumanOwner;
    case InsertCategory::Things:
        return ThingOwner;
    case InsertCategory::Light:
        return LightOwner;
    case InsertCategory::Door:
        return DoorOwner;
    default:
        return NoOwner;
    }
}

bool isValuePanelKindOption(std::string_view option) {
    const KindOption* k = find(option);
    return k && k->valuePanel;
}

std::optional<std::string> refuseKindOption(std::string_view option, unsigned owner,
                                            const std::string& subject) {
    const KindOption* k = find(option);
    if (!k || (k->owners & owner) != 0)
        return std::nullopt;
    return subject + " has no " + std::string(option.substr(2)) + " (only a " +
           std::string(k->ownersText) + " has)";
}
