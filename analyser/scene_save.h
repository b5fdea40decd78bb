#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "file_access.h"
#include "scene_scan.h"

// The analyser's only write: a script replaced by text of the same length.

// The scene as it is after `text` replaces the script at `span`; fails (with
// the reason in `why`) when the text's length differs or the span does not
// lie inside the scanned bytes.
bool planSameLengthSave(const std::vector<std::uint8_t>& scanned, const ScriptSpan& span,
                        std::string_view text, std::vector<std::uint8_t>& updated,
                        std::string& why);

// Whether Trellis's own scan reads `updated` back as it read `scanned`: the
// same entries (names, ticks, positions), and the saved script (that of the
// entry at `entryPos`) whole at `span`. A byte the scan reads as a chunk
// boundary (AE) inside the new text would cut the script short for every
// later scan, so such a save is refused (reason in `why`).
bool rescanFindsSave(const std::vector<std::uint8_t>& scanned,
                     const std::vector<std::uint8_t>& updated, std::int64_t entryPos,
                     const ScriptSpan& span, std::string& why);

// Writes `updated` over the scene at `path`, all or nothing and under the
// scene's save lock, but only while the file still holds `scanned`: a file
// another program changed since the scan is left alone (`changed` is set).
FileResult writeScannedScene(const std::string& path, const std::vector<std::uint8_t>& scanned,
                             const std::vector<std::uint8_t>& updated);
