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

// An edit that rewrites text inside one script, away from every byte the
// index builder reads but the length fields that cover the script: the new
// bytes' index is the old one with positions from `movedFrom` on moved by
// `delta`, and a file that passed the whole-file check still passes it.
struct ScriptSplice {
    std::size_t entry = 0; // whose script the edit rewrites
    std::uint64_t movedFrom = 0;
    std::int64_t delta = 0;
};

// `edit` as such a splice of `old` (indexed as `index`) giving `newBytes`;
// empty when that cannot be shown from the bytes around the change.
std::optional<ScriptSplice> findScriptSplice(ByteView old, const SceneIndex& index,
                                             const Edit& edit, ByteView newBytes);
// Moves `index` in place to the bytes after `splice`.
void moveIndex(SceneIndex& index, const ScriptSplice& splice, ByteView newBytes);

// Writes `newBytes`, the checked result of applying `edit` to `indexed`, to
// `path` under the save lock while the file still holds `indexed`: in place
// when the edit allows it, else replaced all-or-nothing. The outcome takes the
// bytes and their index when the write succeeded. With `held` the lock is the
// caller's and the file is replaced whole.
EditOutcome writeCheckedEdit(const std::string& path, ByteView indexed, const Edit& edit,
                             std::vector<std::uint8_t> newBytes, SceneIndex newIndex,
                             const SaveLocks* held = nullptr);
