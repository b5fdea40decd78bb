#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "byte_view.h"
#include "scene_edit.h"
#include "scene_index.h"

// The parts of a commit that every kind of commit shares.

// Why `newBytes` (indexed as `newIndex`) fail the whole-file check where `old`
// passes it; empty when they pass, or when `old` fails it too (a file that was
// inconsistent before may stay so).
std::optional<std::string> consistencyLost(ByteView old, const SceneIndex& oldIndex,
                                           const Edit& edit, ByteView newBytes,
                                           const SceneIndex& newIndex);

// Writes `newBytes`, the checked result of applying `edit` to `indexed`, to
// `path` under the save lock while the file still holds `indexed`: in place
// when the edit allows it, else replaced all-or-nothing. The outcome takes the
// bytes and their index when the write succeeded. With `held` the lock is the
// caller's and the file is replaced whole.
EditOutcome writeCheckedEdit(const std::string& path, ByteView indexed, const Edit& edit,
                             std::vector<std::uint8_t> newBytes, SceneIndex newIndex,
                             const SaveLocks* held = nullptr);
