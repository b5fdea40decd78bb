#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "byte_view.h"
#include "file_access.h"
#include "scene_edit.h"
#include "scene_index.h"

// Saving a script as an edit of the scene: one splice over the old text, the
// length fields that cover it moved by the change (the script's own length,
// its data chunk, its record, its section, the file header), and the
// expectation that the saved text reads back exactly and nothing else moves.
struct ScriptSavePlan {
    bool sameLength = false;
    std::int64_t lengthChange = 0;
    Edit edit;
    EditExpectation expect;
};

struct ScriptSaveResult {
    std::optional<ScriptSavePlan> plan;
    std::string error; // why nothing may be written, when there is no plan
};

// Plans saving `newText` (bytes) as the script of `entry`, whose text was
// loaded with `loadedLength` bytes. Refuses, writing nothing, when the file no
// longer holds a script of that length there or its length fields do not
// enclose the script as the layout requires. Whether the saved text reads
// back is the edit layer's check (checkEdit), made before anything is written.
ScriptSaveResult planScriptSave(ByteView file, const SceneIndex& index, std::size_t entry,
                                std::string_view newText, std::uint64_t loadedLength);

// Plans saving several scripts at once, as one edit (so they are written
// all-or-nothing together): each entry with its new text, its text as loaded
// being the one in `file`. Refused, naming the entry, when one of them cannot
// be planned.
ScriptSaveResult planScriptSaves(ByteView file, const SceneIndex& index,
                                 const std::vector<std::pair<std::size_t, std::string>>& texts);

// The runs of bytes that differ between `oldBytes` and `newBytes` (same size),
// as writes at `base` + their offset.
std::vector<InPlaceWrite> changedRuns(std::string_view oldBytes, std::string_view newBytes,
                                      std::uint64_t base);
