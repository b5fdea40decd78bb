#pragma once
#include <cstdint>
#include <filesystem>
#include <vector>

#include "file_access.h"

// Add-in files on disk, through the shared file access.

// Writes `bytes` as the plain file `path` (created or replaced),
// all-or-nothing; a link or anything but a plain file under that name is
// refused, never written through.
FileResult writeFileAtomically(const std::filesystem::path& path, ByteSpan bytes);

// Fails with the reason when `path` exists and is not a plain file.
FileResult checkWritableFile(const std::filesystem::path& path);

// Creates one directory; fails when something is in its place. Plain C++
// (std::filesystem), shaped to move into the shared file access.
FileResult createDirectory(const std::filesystem::path& path);
