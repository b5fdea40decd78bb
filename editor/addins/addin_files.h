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

// Writes `bytes` as the backup `path` of the file `original`, as
// writeFileAtomically does; the backup gets the original's owner, group and
// mode and is never more readable than the original (writeCopyInFolder).
FileResult writeBackupFile(const std::filesystem::path& path, const std::filesystem::path& original,
                           ByteSpan bytes);

// As writeFileAtomically; a file already at `path` keeps its owner, group and
// mode, or is refused unchanged when they could not be kept.
FileResult overwriteFile(const std::filesystem::path& path, ByteSpan bytes);

// Fails with the reason when `path` exists and is not a plain file.
FileResult checkWritableFile(const std::filesystem::path& path);

// Creates one directory; fails when something is in its place. Plain C++
// (std::filesystem), shaped to move into the shared file access.
FileResult createDirectory(const std::filesystem::path& path);
