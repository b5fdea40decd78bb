#pragma once
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "file_access.h"

// Where an add-in's files go. Paths are handled as std::filesystem paths;
// names from the add-in arrive as UTF-8 (converted from Windows-1252).
// pathFromUtf8 and pathToUtf8 come with file access.

// Equality of file names ignoring letter case (ASCII and the Latin letters of
// Windows-1252), as the game's own file system compares them.
bool sameNameNoCase(std::string_view a, std::string_view b);
// `hay` contains `needle`, ignoring letter case as above.
bool containsNameNoCase(std::string_view hay, std::string_view needle);

// The add-in is for the mission in `missionDir` when the mission folder's own
// name contains the add-in's mission name (ignoring letter case). Only the
// mission folder is looked at: a folder above it that happens to contain the
// name does not make another mission match.
bool missionNameMatches(const std::filesystem::path& missionDir, std::string_view missionUtf8);

// The game's directory: the parent of the path component named "missions"
// (any letter case) nearest above the mission folder. Nothing when there is
// none.
std::optional<std::filesystem::path> gameDirectoryOf(const std::filesystem::path& missionDir);

// The entry of `dir` named `name` ignoring letter case: the exact spelling
// when it exists, otherwise the first other spelling. Nothing when there is
// none; `error` is set when the folder cannot be listed.
std::optional<std::filesystem::path> findNoCase(const std::filesystem::path& dir,
                                                std::string_view nameUtf8, std::string& error);
