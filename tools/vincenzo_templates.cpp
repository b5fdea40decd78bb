#include <stdexcept>
#include <string_view>

#include "chunk_ids.h"
#include "scene_writer.h"
#include "template_writer.h"

// The prepared scene of the special name "VincenzoQXA": Vincenzo's actor
// definition (VINCS1) and the ten objects (VINCP1) and nine definitions
// (VINCP2) of his scene. Sizes are fixed by the editor's insertion.
namespace templates {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::size_t Vincs1Script = 2291;
constexpr std::size_t Vincp1Size = 1549;
constexpr std::size_t Vincp2Size = 1236;
// The two detector scripts share what the nine definitions leave of VINCP2.
constexpr std::size_t Detec1Script = 355;
constexpr std::size_t Detec2Script = 354;

constexpr std::string_view Sector = "Primary sector";
constexpr float DefaultReference[] = {-1774.328f, -5.601484f, 4.323454f};

struct Placed {
    std::string_view name;
    std::string_view model; // empty: a detector box with a script definition
    float x, y, z;
};

// In file order.
constexpr Placed Objects[] = {
    {"vinc detec1", "", -1772.5f, -5.6f, 6.0f},
    {"vinc detec2", "", -1768.0f, -5.6f, 11.5f},
    {"vinc_pos1", "Enemy12K.i3d", -1771.2f, -5.6f, 7.25f},
    {"vinc_pos2", "Enemy12K.i3d", -1766.8f, -5.6f, 12.75f},
    {"shotgun", "shotgunbox.i3d", -1770.9f, -4.9f, 8.0f},
    {"pos_tom", "TommyPos.i3d", -1774.0f, -5.6f, 4.5f},
    {"2bbat1", "2bbatbox.i3d", -1769.5f, -5.6f, 9.0f},
    {"2bbat2", "2bbatbox.i3d", -1769.0f, -5.6f, 9.5f},
    {"2cvinc", "2cvinc.i3d", -1767.5f, -5.6f, 10.0f},
    {"2cvinc2", "2cvinc.i3d", -1767.0f, -5.6f, 10.5f},
};

void objectRecord(SceneWriter& w, const Placed& o) {
    const bool detector = o.model.empty();
    w.beginChunk(chunk::ObjectRecord);
    w.chunkU32(chunk::ObjectType, detector ? 6 : 9);
    w.chunkString(chunk::Name, o.name);
    w.chunkFloats(chunk::Translation, {o.x, o.y, o.z});
    w.chunkFloats(chunk::Rotation, {0.0f, 0.0f, 1.0f, 0.0f});
    w.chunkFloats(chunk::Size, {1.0f, 1.0f, 1.0f});
    w.chunkFloats(chunk::ReferenceVector,
                  {DefaultReference[0], DefaultReference[1], DefaultReference[2]});
    w.beginChunk(chunk::Parent);
    w.chunkString(chunk::Name, Sector);
    w.endChunk();
    if (detector)
        w.chunkFloats(chunk::Box, {-0.5f, -0.5f, -0.5f, 0.5f, 0.5f, 0.5f});
    else
        w.chunkString(chunk::Model, o.model);
    w.endChunk();
}

// A script definition (type 5): u32 1, 0, u32 1, 0, the u32 script length and
// the text; the second 01 00 00 00 00 starts the script.
void scriptDefinition(SceneWriter& w, std::string_view name, const std::string& script) {
    w.beginChunk(chunk::DefinitionRecord);
    w.chunkString(chunk::DefinitionName, name);
    w.chunkU32(chunk::DefinitionType, 5);
    w.beginChunk(chunk::DefinitionData);
    w.u32(1);
    w.u8(0);
    w.u32(1);
    w.u8(0);
    w.u32(static_cast<std::uint32_t>(script.size()));
    w.raw(std::string_view(script));
    w.endChunk();
    w.endChunk();
}

// A thing with weight and sound (type 35), in THING1's layout.
void thingDefinition(SceneWriter& w, std::string_view name, float weight, std::uint8_t sound) {
    w.beginChunk(chunk::DefinitionRecord);
    w.chunkString(chunk::DefinitionName, name);
    w.chunkU32(chunk::DefinitionType, 35);
    w.beginChunk(chunk::DefinitionData);
    w.u8(2);
    w.u8(1);
    w.u32(0x3F800000);
    w.u32(0x3F800000);
    w.f32(weight);
    w.u32(0x3F000000);
    w.u32(0x3C23D70A);
    w.u32(sound);
    w.u8(1);
    w.u32(0xFFFFFFFF);
    w.endChunk();
    w.endChunk();
}

std::vector<std::string> vincenzoLines() {
    return {
        "dim_act 4",
        "dim_flt 3",
        "findactor 0, \"vinc detec1\"",
        "findactor 1, \"vinc detec2\"",
        "findactor 2, \"2cvinc\"",
        "findactor 3, \"2cvinc2\"",
        "// Vincenzo waits in his shop until the player walks in.",
        "label 1",
        "wait 200",
        "human_canwalk 0",
        "act_setstate 0, active",
        "act_setstate 1, inactive",
        "label 2",
        "wait 100",
        "human_looktoactor 0",
        "if_actorinrange 0, 4, 3",
        "goto 2",
        "label 3",
        "// The player is near: greet him and open the counter.",
        "human_talk 0, 1201",
        "wait 1500",
        "human_talk 0, 1202",
        "wait 1500",
        "act_setstate 2, active",
        "act_setstate 3, active",
        "act_setstate 1, active",
        "mission_objectives 12",
        "label 4",
        "wait 300",
        "if_actorinrange 1, 3, 5",
        "goto 4",
        "label 5",
        "// Shotgun and bats are on the counter; hand them over one by one.",
        "human_talk 0, 1203",
        "wait 1000",
        "act_setstate 2, inactive",
        "wait 500",
        "act_setstate 3, inactive",
        "mission_objectives 13",
        "human_canwalk 1",
        "human_walk 0, 2",
        "wait 2000",
        "act_setstate 0, inactive",
        "act_setstate 1, inactive",
        "end",
    };
}

std::vector<std::string> detectorLines(std::string_view who, std::string_view other) {
    return {
        "dim_act 2",
        "findactor 0, \"VincenzoQXA\"",
        "findactor 1, \"" + std::string(other) + "\"",
        "label 1",
        "wait 100",
        "// " + std::string(who) + " switches the next step on.",
        "act_setstate 1, active",
        "end",
    };
}

void expectSize(const SceneWriter& w, std::size_t size, const char* what) {
    if (w.position() != size)
        throw std::logic_error(std::string(what) + " has " + std::to_string(w.position()) +
                               " bytes instead of " + std::to_string(size));
}

} // namespace

// HUMAN3's parameters with Vincenzo's actor script. The data chunk's length
// field keeps HUMAN3's 105, as the game's own record has it: the script runs
// past the end its data chunk states.
std::vector<std::uint8_t> buildVincs1() {
    Bytes b = human3Head();
    const std::string script = scriptOfLength("VincenzoQXA", vincenzoLines(), Vincs1Script);
    SceneWriter w;
    w.u32(static_cast<std::uint32_t>(script.size()));
    w.raw(std::string_view(script));
    b.insert(b.end(), w.bytes().begin(), w.bytes().end());
    return b;
}

std::vector<std::uint8_t> buildVincp1() {
    SceneWriter w;
    for (const Placed& o : Objects)
        objectRecord(w, o);
    expectSize(w, Vincp1Size, "VINCP1");
    return w.take();
}

std::vector<std::uint8_t> buildVincp2() {
    SceneWriter w;
    scriptDefinition(
        w, "vinc detec1",
        scriptOfLength("vinc detec1", detectorLines("vinc detec1", "vinc_pos1"), Detec1Script));
    scriptDefinition(
        w, "vinc detec2",
        scriptOfLength("vinc detec2", detectorLines("vinc detec2", "vinc_pos2"), Detec2Script));
    for (std::string_view pos : {"vinc_pos1", "vinc_pos2", "pos_tom"})
        scriptDefinition(w, pos, std::string());
    thingDefinition(w, "2bbat1", 1.5f, 6);
    thingDefinition(w, "2bbat2", 1.5f, 6);
    thingDefinition(w, "2cvinc", 4.0f, 5);
    thingDefinition(w, "2cvinc2", 4.0f, 5);
    expectSize(w, Vincp2Size, "VINCP2");
    return w.take();
}

} // namespace templates
