#pragma once
// Small hand-made scenes for the index rules: one helper per record kind,
// written with the sample writer so every length field is right unless a
// test patches it.
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "scene_writer.h"

namespace mini {
using Part = std::function<void(SceneWriter&)>;

inline constexpr std::uint16_t kHeader = 0x4C53;

// Header { objects section { objects }, definitions { defs }, init scripts { inits } };
// a section whose part is empty is left out.
inline std::vector<std::uint8_t> scene(const Part& objects, const Part& defs = {},
                                       const Part& inits = {}) {
    SceneWriter w;
    w.beginChunk(kHeader);
    w.beginChunk(0x4000);
    if (objects)
        objects(w);
    w.endChunk();
    if (defs) {
        w.beginChunk(0xAE20);
        defs(w);
        w.endChunk();
    }
    if (inits) {
        w.beginChunk(0xAE50);
        inits(w);
        w.endChunk();
    }
    w.endChunk();
    return w.take();
}

// An object record with type chunk, name, translation `at`, rotation, size and model.
inline void placedObject(SceneWriter& w, const std::string& name, std::uint32_t type,
                         std::array<float, 3> at, const Part& extra = {}) {
    w.beginChunk(0x4010);
    w.chunkU32(0x4011, type);
    w.chunkString(0x0010, name);
    w.chunkFloats(0x0020, {at[0], at[1], at[2]});
    w.chunkFloats(0x0022, {1.0f, 0.0f, 0.0f, 0.0f});
    w.chunkFloats(0x002D, {1.0f, 1.0f, 1.0f});
    w.chunkString(0x2012, name + ".i3d");
    if (extra)
        extra(w);
    w.endChunk();
}

// The same at (1.5, -2, 3.25).
inline void object(SceneWriter& w, const std::string& name, std::uint32_t type = 9,
                   const Part& extra = {}) {
    placedObject(w, name, type, {1.5f, -2.0f, 3.25f}, extra);
}

// A definition record: name, type, then data = values followed by an optional script.
inline void definition(SceneWriter& w, const std::string& name, std::uint8_t type,
                       const std::string& values, const std::string* script = nullptr) {
    w.beginChunk(0xAE21);
    w.chunkString(0xAE23, name);
    w.beginChunk(0xAE22);
    w.u8(type);
    w.endChunk();
    w.beginChunk(0xAE24);
    w.raw(values);
    if (script) {
        w.raw(std::string("\x01\x00\x00\x00\x00", 5));
        w.u32(static_cast<std::uint32_t>(script->size()));
        w.raw(*script);
    }
    w.endChunk();
    w.endChunk();
}

// An init-script record laid out as the game writes it: low bytes, the name
// with one trailing byte, 0, a low byte, then the text to the record's end.
inline void initScript(SceneWriter& w, const std::string& name, const std::string& text) {
    w.beginChunk(0xAE51);
    w.fill(5, 0x01);
    w.raw(name);
    w.u8('_');
    w.u8(0);
    w.u8(0x02);
    w.raw(text);
    w.endChunk();
}
} // namespace mini
