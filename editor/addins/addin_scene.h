#pragma once
#include <optional>
#include <string>

#include "byte_view.h"
#include "scene_edit.h"
#include "scene_index.h"

// The insertion of an add-in's records into scene2.bin, as an edit of the
// edit layer: the object records go to the end of the objects section, the
// definition records to the end of the definitions section, which must follow
// the objects section directly; the sections' and the file header's length
// fields grow with them.
struct SceneInsertion {
    Edit edit;
    EditExpectation expect;
};

// Plans the insertion and checks it in memory (read-back of the new entries,
// every other entry unchanged, the whole-file check). The object bytes must be
// whole object records, the definition bytes whole definition records. On
// failure, the reason for the user.
struct SceneInsertionPlan {
    std::optional<SceneInsertion> insertion;
    std::string error;
};
SceneInsertionPlan planSceneInsertion(ByteView scene, const SceneIndex& index, ByteView objects,
                                      ByteView definitions);

// The end of the objects section (where the add-in's objects go), or nothing
// when the scene has none within the file.
std::optional<std::uint64_t> objectsSectionEnd(ByteView scene, const SceneIndex& index);

// Whether `scene` from `from` on contains `key`, ignoring letter case
// (Windows-1252 letters).
bool containsKeyNoCase(ByteView scene, std::uint64_t from, std::string_view key);
