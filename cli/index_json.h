#pragma once
#include <ostream>
#include <string>
#include <string_view>

#include "json_text.h"
#include "scene_index.h"

// The index as one JSON object, entries in list order. Names are the file's
// bytes read as Windows-1252; a float prints as the shortest text that reads
// back as the same 32-bit float, a non-finite one as "nan", "inf" or "-inf".
std::string indexToJson(const SceneIndex& index);
// The same, written to `out` piece by piece.
void writeIndexJson(const SceneIndex& index, std::ostream& out);

// A float as JSON: the shortest text that reads back as the same 32-bit float;
// a non-finite one as the string "nan", "inf" or "-inf".
std::string jsonNumber(float f);

// One line per entry: index, tick, kind, name.
std::string indexToText(const SceneIndex& index);
void writeIndexText(const SceneIndex& index, std::ostream& out);
