#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "byte_view.h"
#include "scene_index.h"

// The script listing: the script of every ticked entry, in list order, each
// under a header line with the entry's name. For every such entry:
//   CR LF, CR LF, n "*", " -- ", name, " -- ", n "*", CR LF, the script text.
// The result is Windows-1252 bytes, exactly as they lie in the file.
std::string buildScriptListing(ByteView file, const SceneIndex& index);

// Stars on each side of an init script's name: (48 - (length + 4)) / 2 cut to
// a whole number. A negative count means no stars.
std::int64_t initScriptStarCount(std::size_t nameLength);

// Stars on each side of an object script's name: (46 - (length + 4)) / 2 cut
// to a whole number, minus 2. A negative count means the header repeats the
// stars of the entry before it.
std::int64_t objectScriptStarCount(std::size_t nameLength);
