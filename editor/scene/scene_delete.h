#pragma once
#include <cstddef>
#include <optional>
#include <string>

#include "byte_view.h"
#include "scene_edit.h"
#include "scene_index.h"

// Deletion as an edit: the object record of one entry and, for a vehicle,
// script, physical thing, human or thing (kinds 4, 5, 6, 27, 35) or a ticked
// entry, its definition record; with the length fields of the header and both
// sections.
struct DeletePlan {
    Edit edit;
    EditExpectation expect;
};

struct DeletePlanResult {
    std::optional<DeletePlan> plan;
    std::string error;
    bool initScript = false; // the entry is an init script, which cannot be deleted
};

// `decidingKind`, when given, stands for the entry's kind in the choice of
// whether its definition record goes too (the window's display-only kinds).
DeletePlanResult planDelete(ByteView file, const SceneIndex& index, std::size_t entry,
                            std::optional<std::uint8_t> decidingKind = std::nullopt);

// Whether a deletion of `entry` removes its definition record too.
bool deletesDefinition(const IndexRecord& entry);

struct DeleteOutcome {
    EditOutcome written; // ok, fileChanged, error, the new bytes and index
    bool initScript = false;
};

// Plans the deletion of `entry` and commits it to `path` through the edit layer.
DeleteOutcome deleteObjectFile(const std::string& path, ByteView indexed, const SceneIndex& index,
                               std::size_t entry);
