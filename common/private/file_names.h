#pragma once
#include <string>

#include "file_access.h"

// Names of the files a save creates beside the file it saves, and small
// helpers shared by the POSIX and Windows branches of file access.
namespace qsfile {

// The part of `fileName` the temporary and lock names start with: the name
// itself, or, for a name so long that the suffixes would break the 255-byte
// limit, a cut of it with a hash of the whole name.
std::string nameTag(const std::string& fileName);

// "<tag>.quilltemp.save.lock"
std::string lockName(const std::string& tag);

// "<tag>.quilltemp.save.<16 hex digits>", different on every call.
std::string temporaryName(const std::string& tag);

// False when `name` is empty, ".", "..", or holds a path separator.
bool isSingleName(const std::string& name);

FileResult failure(std::string what);
FileResult changedOnDisk();

// The platform's save, with or without the content check (`expected` null),
// taking the file's save lock unless `held` holds it already.
FileResult saveReplace(const std::string& path, const ByteSpan* expected, ByteSpan replacement,
                       const SaveLocks* held = nullptr);

// Takes the platform's save lock whose lock file is `lockPath`, waiting for
// another save as a single save does.
FileResult takeSaveLock(const std::string& lockPath, SaveLocks::HeldLock& out);

// Refuses a save handed locks that do not include the file's own.
FileResult lockNotHeld(const std::string& lockPath);
FileResult saveInPlace(const std::string& path, const ByteSpan* expected,
                       const std::vector<InPlaceWrite>& writes);

// How long a save waits for another save of the same file to finish.
inline constexpr int kLockWaitMilliseconds = 30000;

// Blocks in which a file is compared with the bytes a save expects.
inline constexpr std::size_t kCompareBlock = 1 << 17;

} // namespace qsfile
