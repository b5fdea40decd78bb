#include <bit>

#include "scene_plan.h"

// Object records (0x4010). Listed records start with the type chunk; the name
// chunk follows and then, without a gap, translation, rotation and size, which
// the editor reads at fixed distances. Name-only records start with the name.
namespace scenegen {
namespace {

constexpr std::string_view SectorName = "Primary sector";
// Constant parts of the game's light block.
constexpr std::uint32_t LightConeBits[] = {0x4005C28F, 0x400CCCCD};
constexpr std::uint32_t LightRangeBits[] = {0x3E4CCCCD, 0x40800000};
constexpr std::uint32_t LightFlagsValue = 107;
constexpr float BoxCorner = 0.5f;

void chunkBits(SceneWriter& w, std::uint16_t chunkId, std::span<const std::uint32_t> bits) {
    w.beginChunk(chunkId);
    for (std::uint32_t b : bits)
        w.u32(b);
    w.endChunk();
}

std::size_t chunkFloatsAt(SceneWriter& w, std::uint16_t chunkId, std::span<const float> values) {
    const std::size_t start = w.beginChunk(chunkId);
    for (float v : values)
        w.f32(v);
    w.endChunk();
    return start + SceneWriter::HeaderSize;
}

void writeLightBlock(SceneWriter& w, GeneratedObject& out) {
    w.beginChunk(id::LightBlock);
    w.chunkU32(id::LightKind, out.lightKind);
    out.colourOffset = chunkFloatsAt(w, id::LightColour, out.colour);
    out.brightnessOffset = chunkFloatsAt(w, id::LightBrightness, std::span(&out.brightness, 1));
    chunkBits(w, id::LightCone, LightConeBits);
    chunkBits(w, id::LightRange, LightRangeBits);
    w.chunkU32(id::LightFlags, LightFlagsValue);
    w.chunkString(id::LightSector, SectorName);
    w.endChunk();
}

void writeRecord(SceneWriter& w, ObjectPlan& plan, std::size_t spare) {
    GeneratedObject& out = plan.out;
    out.recordOffset = w.beginChunk(id::ObjectRecord);
    if (!out.nameOnly)
        w.chunkU32(id::ObjectType, out.objectType);
    w.chunkString(id::Name, out.name);
    out.translationOffset = chunkFloatsAt(w, id::Translation, out.translation);
    chunkFloatsAt(w, id::Rotation, out.rotation);
    chunkFloatsAt(w, id::Size, out.size);
    if (!out.nameOnly)
        chunkBits(w, id::ReferenceVector, plan.reference);
    if (plan.parent) {
        w.beginChunk(id::Parent);
        w.chunkString(id::Name, SectorName);
        w.endChunk();
    }
    if (!out.model.empty())
        w.chunkString(id::Model, out.model);
    if (out.kind == ObjectKind::Light)
        writeLightBlock(w, out);
    if (out.kind == ObjectKind::ScriptOnly && !out.nameOnly)
        w.chunkFloats(id::Box,
                      {-BoxCorner, -BoxCorner, -BoxCorner, BoxCorner, BoxCorner, BoxCorner});
    if (spare > 0) {
        w.beginChunk(id::Spare);
        w.fill(spare - SceneWriter::HeaderSize, 0);
        w.endChunk();
    }
    out.recordLength = w.endChunk();
}

} // namespace

void writeObjectsSection(SceneWriter& w, std::vector<ObjectPlan>& objects) {
    const std::size_t start = w.beginChunk(id::Objects);
    if (!objects.empty()) {
        for (std::size_t i = 0; i + 1 < objects.size(); ++i)
            writeRecord(w, objects[i], 0);
        // The last record takes the padding that keeps the section's length
        // field clean; measure it alone first.
        SceneWriter probe;
        writeRecord(probe, objects.back(), 0);
        const std::size_t unpadded = w.position() - start + probe.position();
        std::size_t spare = 0;
        while (!walkSafeLength(static_cast<std::uint32_t>(unpadded + spare)))
            spare = spare == 0 ? SceneWriter::HeaderSize : spare + 1;
        writeRecord(w, objects.back(), spare);
    }
    w.endChunk();
}

} // namespace scenegen
