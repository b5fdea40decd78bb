#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "byte_view.h"
#include "scene_index.h"

// Where an entry's script text lies in the file.
struct ScriptSpan {
    bool initScript = false;
    std::uint64_t textPos = 0;    // first text byte
    std::uint64_t textLength = 0; // bytes
};

// Entries before `MerkePosGameInit` are objects; from it on, init scripts.
bool isInitScriptEntry(const SceneIndex& index, std::size_t entry);

// The script of a ticked entry: an object script is the u32 length at its
// script position and the text after it; an init script runs from its script
// position to the end of its record. Empty when the entry has no script or the
// text would reach past the end of the file.
std::optional<ScriptSpan> locateScript(ByteView file, const SceneIndex& index, std::size_t entry);

// The script's bytes, exactly as stored.
std::optional<std::string> readScript(ByteView file, const SceneIndex& index, std::size_t entry);

// The script's bytes read from the scene file at `path` at the positions the
// index gives: one open, two small reads. Empty when the file cannot be read
// or is too short.
std::optional<std::string> readScriptFromFile(const std::string& path, const SceneIndex& index,
                                              std::size_t entry);
