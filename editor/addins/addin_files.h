#pragma once
#include <cstdint>
#include <filesystem>
#include <vector>

#include "file_access.h"

// What add-ins need of the file system beyond the shared file access: new
// files written all-or-nothing and new directories. Plain C++ with a POSIX and
// a Windows branch, shaped to move into the shared file access.

// Creates the file `path`, which must not exist, with `bytes`: the content is
// written to a temporary file beside it (its name contains "quilltemp.save"),
// flushed, and only then given the final name. A failure leaves no file.
FileResult createFileAtomically(const std::filesystem::path& path,
                                const std::vector<std::uint8_t>& bytes);

// Replaces the existing file `path` (through the shared file access) or
// creates it, all-or-nothing either way.
FileResult writeFileAtomically(const std::filesystem::path& path,
                               const std::vector<std::uint8_t>& bytes, bool exists);

// Creates one directory; fails when something is in its place.
FileResult createDirectory(const std::filesystem::path& path);
