#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "scene_index.h"

// Resolves a command-line entry reference: a main-list index, or else the
// first entry whose name is exactly the given bytes.
std::optional<std::size_t> resolveEntry(const SceneIndex& index, std::string_view ref);

// One file name per scripted entry, made from the entry's name: safe on every
// system (no path separators, no reserved characters, not "." or ".."),
// unique regardless of letter case, ending ".txt". Entries without a script
// get an empty name.
std::vector<std::string> scriptFileNames(const SceneIndex& index);
