#pragma once
#include <cstddef>
#include <optional>
#include <ostream>
#include <string>

#include "scene_index.h"

// An entry named on the command line: a list index, or else an entry name.
// Names arrive as UTF-8 (quill.exe turns its wide arguments into UTF-8 too)
// and are compared with the scene's names as Windows-1252 bytes, so the
// conversion happens here, once. A name with a character Windows-1252 cannot
// hold names no entry. On failure the reason is printed to `err`.
std::optional<std::size_t> entryArgument(const SceneIndex& index, const std::string& ref,
                                         std::ostream& err);
