#pragma once
#include <optional>
#include <string>

#include "byte_view.h"
#include "insert_values.h"
#include "scene_edit.h"
#include "scene_index.h"

// Insertion as an edit: the object record (with the special name's objects
// after it) at the end of the objects section, the definition record (with the
// special name's definitions after it) at the end of the definitions section,
// and the length fields of the header and both sections.
struct InsertPlan {
    Edit edit;
    EditExpectation expect;
    std::size_t newEntry = 0; // List2 index of the new object afterwards
};

struct InsertPlanResult {
    std::optional<InsertPlan> plan;
    std::string error; // why the file cannot take the object
};

// `values` must have passed the insert window's checks.
InsertPlanResult planInsert(ByteView file, const SceneIndex& index, const InsertValues& values);

struct InsertOutcome {
    EditOutcome written;      // ok, fileChanged, error, the new bytes and index
    std::size_t newEntry = 0; // List2 index of the new object afterwards
};

// Plans the insertion and commits it to `path` through the edit layer.
InsertOutcome insertObjectFile(const std::string& path, ByteView indexed, const SceneIndex& index,
                               const InsertValues& values);
