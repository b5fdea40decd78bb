#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "byte_view.h"
#include "scene_index.h"

// The names of the definition records of the definitions section, in file
// order, read as the index reads them (a name chunk of 51 bytes or more holds
// 8 characters). Walks the section by its chunk lengths; a malformed chunk ends
// the walk.
std::vector<std::string> definitionNames(ByteView file, const SceneIndex& index);

// Whether the index would attach a definition named `defName` to an entry
// named `entryName`: the names are equal, or the entry's name is the
// definition's name cut before its first ".".
bool definitionMatches(std::string_view defName, std::string_view entryName);
