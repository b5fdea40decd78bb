#include <algorithm>
#include <bit>
#include <cstring>
#include <stdexcept>
#include <string_view>

#include "scene_plan.h"

// The type-specific values at the start of a definition's data chunk. Humans,
// things and doors follow the game's own records (the editor's HUMAN3, THING1
// and DOOR templates) with the edited fields drawn at random.
namespace scenegen {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Payload offsets of the fields the editor reads.
constexpr std::size_t HumanBehaviour = 1;
constexpr std::size_t HumanSex = 5;
constexpr std::size_t HumanAggression = 41;
constexpr std::size_t HumanWeight = 65;
constexpr std::size_t ThingWeight = 10;
constexpr std::size_t ThingSound = 22;
constexpr std::size_t DoorLocked = 12;

constexpr std::uint8_t HumanValues[] = {
    0x06, 0x08, 0x00, 0x00, 0x00, 0x0A, 0x00, 0x00, 0x00, 0x33, 0x33, 0x33, 0x3F, 0x00, 0x00,
    0xC8, 0x42, 0x00, 0x00, 0xA0, 0x41, 0x00, 0x00, 0xA0, 0x41, 0x00, 0x00, 0xA0, 0x41, 0x00,
    0x00, 0xA0, 0x41, 0x33, 0x33, 0x33, 0x3F, 0x00, 0x00, 0x80, 0x3F, 0x99, 0x99, 0x59, 0x3F,
    0xCC, 0xCC, 0x4C, 0x3F, 0x00, 0x00, 0x80, 0x3F, 0x00, 0x00, 0x80, 0x3F, 0x00, 0x00, 0x80,
    0x3F, 0xCB, 0xCC, 0x4C, 0x3F, 0x00, 0x00, 0xA0, 0x42, 0x00, 0x00, 0x00, 0x3F, 0x01};
static_assert(sizeof(HumanValues) == 74);

constexpr std::uint8_t ThingValues[] = {
    0x02, 0x01, 0x00, 0x00, 0x80, 0x3F, 0x00, 0x00, 0x80, 0x3F, 0xBD, 0x41, 0xD3, 0x41, 0x00, 0x00,
    0x00, 0x3F, 0x0A, 0xD7, 0x23, 0x3C, 0xFF, 0xFF, 0xFF, 0xFF, 0x01, 0xFF, 0xFF, 0xFF, 0xFF};
static_assert(sizeof(ThingValues) == 31);

constexpr std::uint8_t DoorPrefix[] = {0x08, 0x00, 0x00, 0x00, 0x00, 0x01, 0x01,
                                       0xDB, 0x0F, 0xC9, 0x3F, 0x00, 0x00, 0x6E,
                                       0x12, 0x83, 0x3B, 0x6E, 0x12, 0x83, 0x3B};
constexpr std::uint8_t GlassDoorAngle[] = {0x5C, 0x77, 0xD6, 0x3F};
constexpr std::uint8_t GlassDoorSpeed[] = {0x01, 0x73, 0x42, 0x3B};
constexpr std::size_t SoundNameWidth = 16;

// The bytes of vehicle blocks: never 0 (so no marker can form) and never 0xAE.
constexpr std::uint8_t VehicleByteLow = 0x06;
constexpr std::uint8_t VehicleByteCount = 0xAE - VehicleByteLow;

void putU32(Bytes& bytes, std::size_t offset, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes[offset + i] = static_cast<std::uint8_t>((value >> (8 * i)) & 0xFF);
}

void putFloat(Bytes& bytes, std::size_t offset, float value) {
    putU32(bytes, offset, std::bit_cast<std::uint32_t>(value));
}

// What the script searches of both programs must not meet before the script.
bool valuesSafe(const Bytes& values) {
    const std::uint8_t* v = values.data();
    const std::size_t n = values.size();
    if (n == 0 || v[0] == 0)
        return false;
    for (std::size_t i = 0; i < n; ++i) {
        if (v[i] == 0xAE)
            return false;
        const bool markerStart = v[i] == ScriptMarker[0] || v[i] == NoScriptMarker[0];
        if (markerStart && n - i >= 5 && v[i + 1] == 0 && v[i + 2] == 0 && v[i + 3] == 0 &&
            v[i + 4] == 0)
            return false;
    }
    return true;
}

Bytes humanValues(GeneratedObject& out, SceneRandom& random) {
    Bytes v(std::begin(HumanValues), std::end(HumanValues));
    out.behaviour = random.chance(20) ? 0 : static_cast<std::uint8_t>(2u << random.below(7));
    out.sex = static_cast<std::uint8_t>(random.below(32));
    out.aggression = random.stepped(0.0, 1.0, 0.05);
    out.weight = random.stepped(50.0, 110.0, 0.5);
    v[HumanBehaviour] = out.behaviour;
    v[HumanSex] = out.sex;
    putFloat(v, HumanAggression, out.aggression);
    putFloat(v, HumanWeight, out.weight);
    return v;
}

Bytes thingValues(GeneratedObject& out, SceneRandom& random) {
    Bytes v(std::begin(ThingValues), std::end(ThingValues));
    out.weight = random.stepped(0.5, 80.0, 0.5);
    out.sound = static_cast<std::uint8_t>(random.below(9));
    putFloat(v, ThingWeight, out.weight);
    putU32(v, ThingSound, out.sound);
    return v;
}

void appendSoundName(Bytes& v, std::string_view name) {
    if (name.size() >= SoundNameWidth)
        throw std::logic_error("sound name too long");
    v.insert(v.end(), name.begin(), name.end());
    v.push_back(0);
    v.insert(v.end(), SoundNameWidth - name.size() - 1, 0xCD);
}

Bytes physicalValues(GeneratedObject& out, SceneRandom& random) {
    Bytes v(std::begin(DoorPrefix), std::end(DoorPrefix));
    const bool wall = out.name.starts_with("uwall");
    const std::uint32_t pick = wall ? 0 : random.below(3);
    if (pick == 0) {
        out.material = Material::Wood;
        v[DoorLocked] = wall ? 1 : 0;
        for (auto name : {"d_woodop.wav", "d_woodcl.wav", "d_woodlo.wav"})
            appendSoundName(v, name);
    } else if (pick == 1) {
        out.material = Material::Brass;
        for (auto name : {"d_brassop.wav", "d_brasscl.wav", "d_brasslo.wav"})
            appendSoundName(v, name);
    } else {
        // The game's glass door keeps the wooden "locked" sound; glass wins.
        out.material = Material::Glass;
        std::copy(std::begin(GlassDoorAngle), std::end(GlassDoorAngle), v.begin() + 7);
        std::copy(std::begin(GlassDoorSpeed), std::end(GlassDoorSpeed), v.begin() + 13);
        for (auto name : {"d_glass1op.wav", "d_glass1cl.wav", "d_woodlo.wav"})
            appendSoundName(v, name);
    }
    v.push_back(0);
    return v;
}

// u32 1, u32 block size, "COMP", then the block: stand-in bytes for the
// game's compressed vehicle data.
Bytes vehicleValues(SceneRandom& random) {
    std::uint32_t size = 0;
    do
        size = 1800 + random.below(900);
    while (!lengthClean(size) || (size & 0xFF) == 0);
    Bytes v(8 + size);
    putU32(v, 0, 1);
    putU32(v, 4, size);
    std::memcpy(v.data() + 8, "COMP", 4);
    std::uint8_t* block = v.data() + 12;
    const std::size_t count = size - 4;
    for (std::size_t i = 0; i < count; i += 8) {
        std::uint64_t bits = random.next();
        for (std::size_t k = i; k < count && k < i + 8; ++k, bits >>= 8)
            block[k] = static_cast<std::uint8_t>(VehicleByteLow + (bits & 0xFF) % VehicleByteCount);
    }
    return v;
}

} // namespace

void planDefinitionValues(ObjectPlan& plan, SceneRandom& random) {
    GeneratedObject& out = plan.out;
    if (out.kind == ObjectKind::ScriptOnly) {
        // The game's script-only layout: u32 1 and a 0 byte before the script
        // marker. Its bytes look like a marker too; both programs' plausibility
        // tests reject it (its "length" is 1, its "text" starts with 0).
        plan.values.assign(std::begin(ScriptMarker), std::end(ScriptMarker));
        return;
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
        switch (out.kind) {
        case ObjectKind::Human:
            plan.values = humanValues(out, random);
            break;
        case ObjectKind::Thing:
            plan.values = thingValues(out, random);
            break;
        case ObjectKind::Physical:
            plan.values = physicalValues(out, random);
            break;
        case ObjectKind::Vehicle:
            plan.values = vehicleValues(random);
            break;
        default:
            throw std::logic_error("no definition values for this kind");
        }
        if (valuesSafe(plan.values))
            return;
    }
    throw std::logic_error("no safe definition values found");
}

} // namespace scenegen
