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

// After block `failedAt` of `writes` failed with `failed`: puts the old bytes
// of every block up to it (which may be written in part) back from
// `expected`, each with `write(pos, bytes, size)`, true when written. When
// one cannot be, the file holds neither version: the failure is returned as
// unconfirmed and says so.
template <class Write>
FileResult putBackBlocks(FileResult failed, ByteSpan expected,
                         const std::vector<InPlaceWrite>& writes, std::size_t failedAt,
                         Write write) {
    for (std::size_t k = 0; k <= failedAt; ++k)
        if (!write(writes[k].pos, expected.data() + writes[k].pos, writes[k].bytes.size()))
            failed.unconfirmed = true;
    if (failed.unconfirmed)
        failed.error += "; the old bytes could not be put back";
    return failed;
}

// How long a save waits for another save of the same file to finish.
inline constexpr int kLockWaitMilliseconds = 30000;

// Blocks in which a file is compared with the bytes a save expects.
inline constexpr std::size_t kCompareBlock = 1 << 17;

} // namespace qsfile
