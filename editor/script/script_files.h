#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "scene_index.h"

// Resolves a command-line entry reference: a main-list index, or else the
// first entry whose name is exactly the given bytes.
std::optional<std::size_t> resolveEntry(const SceneIndex& index, std::string_view ref);

// One file name per scripted entry, made from the entry's name, in UTF-8 and
// ending ".txt". Safe on every system: no path separators, reserved
// characters or control bytes; no Windows device name (CON, PRN, AUX, NUL,
// CONIN$, CONOUT$, COM1-9, LPT1-9, COM and LPT with a superscript 1-3, also
// with an extension); no trailing dots or blanks; at most
// 255 bytes. Unique under full case folding of the Windows-1252 letters (Été
// and été, Straße and STRASSE), with "~2", "~3" ... added where needed. A name
// that leaves nothing usable becomes "script". Entries without a script get
// an empty name.
std::vector<std::string> scriptFileNames(const SceneIndex& index);
