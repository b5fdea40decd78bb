#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "byte_view.h"
#include "file_access.h"
#include "scene_index.h"

// What saving a script writes: either the changed bytes in place (same
// length), or the whole new file (length change) with every length field that
// covers the script moved by the change.
struct ScriptSavePlan {
    bool sameLength = false;
    std::int64_t lengthChange = 0;
    std::vector<InPlaceWrite> writes;
    std::vector<std::uint8_t> newFile;
};

struct ScriptSaveResult {
    std::optional<ScriptSavePlan> plan;
    std::string error; // why nothing may be written, when there is no plan
};

// Plans saving `newText` (bytes) as the script of `entry`, whose text was
// loaded with `loadedLength` bytes. Refuses, writing nothing, when the file no
// longer holds a script of that length there or its length fields do not
// enclose the script as the layout requires.
ScriptSaveResult planScriptSave(ByteView file, const SceneIndex& index, std::size_t entry,
                                std::string_view newText, std::uint64_t loadedLength);

// The runs of bytes that differ between `oldBytes` and `newBytes` (same size),
// as writes at `base` + their offset.
std::vector<InPlaceWrite> changedRuns(std::string_view oldBytes, std::string_view newBytes,
                                      std::uint64_t base);
