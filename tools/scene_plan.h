#pragma once
// Internals of the scene generator: the plan of a scene (what to write) and
// the writers that lay it out. Not for use outside tools/.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "chunk_ids.h"
#include "scene_generator.h"
#include "scene_random.h"
#include "scene_writer.h"

namespace scenegen {

namespace id {
// The ids the editor reads, and the generator's own below.
using namespace chunk;
inline constexpr std::uint16_t Header = 0x4C53;
inline constexpr std::uint16_t SceneInfo = 0x3010;
// Padding child that keeps the objects section's length field harmless for
// the editor's byte-wise walk; skipped by its length like any unknown child.
inline constexpr std::uint16_t Spare = 0x7F00;
} // namespace id

inline constexpr std::uint8_t ScriptMarker[5] = {0x01, 0x00, 0x00, 0x00, 0x00};
inline constexpr std::uint8_t NoScriptMarker[5] = {0x05, 0x00, 0x00, 0x00, 0x00};

// A script as lines: a comment line first, then `filler` bytes of comment
// lines, then the body. `stretch` extra characters on the first line let the
// writers move a length field off an unwanted value without touching the body.
struct ScriptText {
    std::string head; // without its line end
    std::string body; // lines ending CR LF
    std::size_t filler = 0;

    std::size_t length(std::size_t stretch) const;
    std::string render(std::size_t stretch) const;
};

struct ObjectPlan {
    GeneratedObject out;
    bool parent = false;
    std::array<std::uint32_t, 3> reference{}; // stored bits of 0x002C
    std::vector<std::uint8_t> values;         // definition data before script or marker
    ScriptText script;
};

struct InitPlan {
    std::string name;
    ScriptText script;
};

struct ScenePlan {
    std::vector<ObjectPlan> objects;
    std::vector<InitPlan> inits;
};

ScenePlan planScene(const GeneratorOptions& options);
void planDefinitionValues(ObjectPlan& plan, SceneRandom& random);
void planScripts(ScenePlan& plan, SceneRandom& random);

// The nearest float without the byte 0xAE in its stored form, so that no
// value can pass for the high byte of a chunk id.
float cleanFloat(float value);
// No byte of the stored u32 is 0xAE.
bool lengthClean(std::uint32_t length);
// Also clean of 10 00 and 10 40 pairs, which the editor's byte-wise object
// walk would take for a name or a record.
bool walkSafeLength(std::uint32_t length);

// Section lengths as the writers below will lay them out.
std::size_t definitionsSectionSize(std::vector<ObjectPlan>& objects);
std::size_t initScriptsSectionSize(const std::vector<InitPlan>& inits);

// Write a whole section and fill in the plan's offsets.
void writeObjectsSection(SceneWriter& writer, std::vector<ObjectPlan>& objects);
void writeDefinitionsSection(SceneWriter& writer, std::vector<ObjectPlan>& objects);
void writeInitScriptsSection(SceneWriter& writer, const std::vector<InitPlan>& inits,
                             std::vector<GeneratedInitScript>& written);

} // namespace scenegen
