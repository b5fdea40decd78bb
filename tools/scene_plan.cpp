#include <algorithm>
#include <bit>
#include <cctype>
#include <cmath>
#include <string_view>

#include "scene_plan.h"

namespace scenegen {
namespace {

constexpr double Pi = 3.14159265358979323846;

struct KindInfo {
    ObjectKind kind;
    std::uint32_t weight; // share among the kinds beyond the first of each
    std::uint32_t objectType;
    std::uint8_t definitionType; // 0: no definition record
    std::uint32_t scriptPercent;
    std::array<std::string_view, 5> bases;
};

// Name bases avoid ".", the material words and "Game", which the programs
// look for inside names and script texts.
constexpr std::array<KindInfo, 7> Kinds = {{
    {ObjectKind::Plain, 20, 9, 0, 0, {"building", "fence", "tree", "sign", "kiosk"}},
    {ObjectKind::Light, 15, 2, 0, 0, {"lamp", "streetlight", "omni", "spot", "neon"}},
    {ObjectKind::Human, 15, 9, 27, 50, {"Tommy", "Paulie", "Sam", "Salieri", "Sarah"}},
    {ObjectKind::Thing, 15, 9, 35, 30, {"crate", "barrel", "bottle", "box", "radio"}},
    {ObjectKind::Physical, 15, 9, 6, 40, {"door", "gate", "uwall", "shutter", "hatch"}},
    {ObjectKind::Vehicle, 10, 9, 4, 15, {"car", "truck", "policecar", "taxi", "bus"}},
    {ObjectKind::ScriptOnly, 10, 6, 5, 100, {"trigger", "timer", "alarm", "detector", "spawn"}},
}};

// Reference vectors and the fixed light rotation as the game stores them.
constexpr std::array<std::uint32_t, 3> DefaultReference = {0xC4DDCA82, 0xC0B33F5B, 0x408A59BD};
constexpr std::array<std::uint32_t, 3> BuildingReference = {0xC4DE2014, 0xC09AFA9A, 0x410CB33A};
constexpr std::array<std::uint32_t, 3> LightReference = {0xBFC26080, 0x3F904B5E, 0x3FEC20C5};
constexpr std::array<std::uint32_t, 4> LightRotation = {0x3F33C5C5, 0xBF363170, 0x3C98BC2A,
                                                        0xBB5A27C4};

const KindInfo& infoFor(ObjectKind kind) {
    return *std::find_if(Kinds.begin(), Kinds.end(),
                         [kind](const KindInfo& k) { return k.kind == kind; });
}

ObjectKind weightedKind(SceneRandom& random) {
    std::uint32_t total = 0;
    for (const auto& k : Kinds)
        total += k.weight;
    std::uint32_t pick = random.below(total);
    for (const auto& k : Kinds) {
        if (pick < k.weight)
            return k.kind;
        pick -= k.weight;
    }
    return ObjectKind::Plain;
}

std::vector<ObjectKind> chooseKinds(std::size_t count, SceneRandom& random) {
    std::vector<ObjectKind> kinds;
    kinds.reserve(count);
    for (std::size_t i = 0; i < count; ++i)
        kinds.push_back(i < Kinds.size() ? Kinds[i].kind : weightedKind(random));
    for (std::size_t i = kinds.size(); i > 1; --i)
        std::swap(kinds[i - 1], kinds[random.below(static_cast<std::uint32_t>(i))]);
    return kinds;
}

// A unit quaternion whose stored bytes hold no 0xAE; drawn again rather than
// nudged, which could cost the unit length.
std::array<float, 4> randomRotation(SceneRandom& random) {
    for (;;) {
        const double phi = (random.unit() * 180.0 - 89.0) * Pi / 180.0;
        double q[4] = {std::sin(phi), 0.0, std::cos(phi), 0.0};
        if (random.chance(25)) {
            q[1] = std::sin((random.unit() * 20.0 - 10.0) * Pi / 180.0);
            q[3] = -std::sin((random.unit() * 20.0 - 10.0) * Pi / 180.0);
        }
        const double norm = std::sqrt(q[0] * q[0] + q[1] * q[1] + q[2] * q[2] + q[3] * q[3]);
        std::array<float, 4> out{};
        for (int i = 0; i < 4; ++i)
            out[i] = static_cast<float>(q[i] / norm);
        if (std::all_of(out.begin(), out.end(), [](float f) { return cleanFloat(f) == f; }))
            return out;
    }
}

std::array<float, 3> randomSize(SceneRandom& random) {
    if (random.chance(60))
        return {1.0f, 1.0f, 1.0f};
    const float s = random.stepped(0.5, 2.0, 0.05);
    if (random.chance(50))
        return {cleanFloat(s), cleanFloat(s), cleanFloat(s)};
    return {cleanFloat(s), cleanFloat(random.stepped(0.5, 3.0, 0.05)), cleanFloat(s)};
}

void planLight(GeneratedObject& out, SceneRandom& random) {
    out.lightKind = random.chance(50) ? 2 : 1;
    for (float& c : out.colour) {
        do
            c = static_cast<float>(random.below(256)) / 255.0f;
        while (cleanFloat(c) != c);
    }
    out.brightness = cleanFloat(random.stepped(0.5, 5.0, 0.1));
    for (int i = 0; i < 4; ++i)
        out.rotation[i] = std::bit_cast<float>(LightRotation[i]);
}

std::string modelName(const KindInfo& info, std::string_view base, SceneRandom& random) {
    std::string model(base);
    std::transform(model.begin(), model.end(), model.begin(), [](char c) {
        return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    });
    if (info.kind != ObjectKind::Human) {
        const auto n = random.below(30) + 1;
        if (n < 10)
            model += '0';
        model += std::to_string(n);
    }
    return model + ".i3d";
}

ObjectPlan planObject(std::size_t index, ObjectKind kind, SceneRandom& random) {
    const KindInfo& info = infoFor(kind);
    ObjectPlan plan;
    GeneratedObject& out = plan.out;
    const std::string_view base =
        info.bases[random.below(static_cast<std::uint32_t>(info.bases.size()))];
    out.name = std::string(base) + std::to_string(index + 1);
    out.kind = kind;
    out.nameOnly =
        (kind == ObjectKind::Plain || kind == ObjectKind::ScriptOnly) && random.chance(20);
    out.objectType = out.nameOnly ? 0 : info.objectType;
    out.translation = {cleanFloat(random.stepped(-1500.0, 1500.0, 0.01)),
                       cleanFloat(random.stepped(-4.0, 40.0, 0.01)),
                       cleanFloat(random.stepped(-1500.0, 1500.0, 0.01))};
    out.rotation = randomRotation(random);
    out.size = randomSize(random);
    plan.parent = kind != ObjectKind::Plain && random.chance(70);
    plan.reference = kind == ObjectKind::Plain   ? BuildingReference
                     : kind == ObjectKind::Light ? LightReference
                                                 : DefaultReference;
    if (kind == ObjectKind::Light)
        planLight(out, random);
    else if (kind != ObjectKind::ScriptOnly)
        out.model = modelName(info, base, random);

    if (info.definitionType != 0) {
        out.hasDefinition = true;
        out.definitionType = info.definitionType;
        out.definitionName = out.name;
        if (random.chance(20))
            out.definitionName += ".00" + std::to_string(random.below(3) + 1);
        if (random.chance(info.scriptPercent))
            out.script = ScriptState::Present;
        else
            out.script = random.chance(50) ? ScriptState::NoScriptMarker : ScriptState::Absent;
        planDefinitionValues(plan, random);
    }
    return plan;
}

// Every scene with a plain object gets at least one name-only record.
void ensureNameOnly(std::vector<ObjectPlan>& objects) {
    if (std::any_of(objects.begin(), objects.end(),
                    [](const ObjectPlan& p) { return p.out.nameOnly; }))
        return;
    const auto plain = std::find_if(objects.begin(), objects.end(), [](const ObjectPlan& p) {
        return p.out.kind == ObjectKind::Plain;
    });
    if (plain != objects.end()) {
        plain->out.nameOnly = true;
        plain->out.objectType = 0;
    }
}

} // namespace

float cleanFloat(float value) {
    const std::uint32_t bits = std::bit_cast<std::uint32_t>(value);
    for (int i = 3; i >= 0; --i) {
        if (((bits >> (8 * i)) & 0xFF) != 0xAE)
            continue;
        // The nearest patterns without it: this byte AF over zeros, or AD over
        // FF bytes. Neither carries into the bytes above.
        const std::uint32_t below = (1u << (8 * i)) - 1;
        const std::uint32_t up = (bits | below) + 1;
        const std::uint32_t down = (bits & ~below) - 1;
        return std::bit_cast<float>(up - bits <= bits - down ? up : down);
    }
    return value;
}

bool lengthClean(std::uint32_t length) {
    for (int i = 0; i < 4; ++i) {
        if (((length >> (8 * i)) & 0xFF) == 0xAE)
            return false;
    }
    return true;
}

bool walkSafeLength(std::uint32_t length) {
    if (!lengthClean(length))
        return false;
    for (int i = 0; i < 3; ++i) {
        const auto lo = (length >> (8 * i)) & 0xFF;
        const auto hi = (length >> (8 * (i + 1))) & 0xFF;
        if (lo == 0x10 && (hi == 0x00 || hi == 0x40))
            return false;
    }
    return true;
}

ScenePlan planScene(const GeneratorOptions& options) {
    SceneRandom random(options.seed);
    ScenePlan plan;
    const auto kinds = chooseKinds(options.objectCount, random);
    plan.objects.reserve(kinds.size());
    for (std::size_t i = 0; i < kinds.size(); ++i)
        plan.objects.push_back(planObject(i, kinds[i], random));
    ensureNameOnly(plan.objects);
    for (std::string_view name : {"GameInit", "GameCars", "GameInitEnd", "MusicInit"})
        plan.inits.push_back(InitPlan{std::string(name), {}});
    planScripts(plan, random);
    return plan;
}

} // namespace scenegen
