#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "byte_view.h"
#include "file_access.h"
#include "scene_index.h"

struct ScriptFileSave {
    bool ok = false;
    bool fileChanged = false; // the file on disk is not the one that was indexed
    bool sameLength = false;
    std::uint64_t newLength = 0;
    // A same-length save: the blocks that changed, so a caller holding the
    // indexed bytes can bring them up to date without reading the file again.
    std::vector<InPlaceWrite> writtenInPlace;
    std::string error;
};

// Saves `text` as the script of `entry` in the scene file at `path` through
// the edit layer: planned from `indexed` (the bytes `index` was built from),
// checked by reading the new bytes back, and written all-or-nothing under the
// save lock, only while the file on disk still holds exactly `indexed`.
// Same-length saves too replace the file whole, so a kill leaves the old or
// the new script, never a mix.
ScriptFileSave saveScriptFile(const std::string& path, ByteView indexed, const SceneIndex& index,
                              std::size_t entry, std::string_view text, std::uint64_t loadedLength);
