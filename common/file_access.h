#pragma once
#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// The one way the programs touch files on disk. Every call opens, works and
// closes; nothing stays open between calls. Failures carry the operating
// system's description of the error.
//
// Reads take regular files only: a folder, FIFO, socket or device is refused
// with a message and never opened for reading or waited on. A file that
// changes length while it is read is an error, never a crash.
struct FileResult {
    bool ok = true;
    std::string error; // the system's description when !ok
    // Set when a save was refused because the file no longer holds the bytes
    // the caller expected (another program changed it): nothing was written.
    bool changed = false;
    // Set when the bytes reached the file but flushing them to disk failed,
    // or when a write failed and the old bytes could not be put back: the
    // file may hold the new bytes, the old ones or some of each, so callers
    // read it again.
    bool unconfirmed = false;
    explicit operator bool() const { return ok; }
};

struct InPlaceWrite {
    std::uint64_t pos = 0;
    std::vector<std::uint8_t> bytes;
};

using ByteSpan = std::span<const std::uint8_t>;

// Reads the whole file into `out`.
FileResult readWholeFile(const std::string& path, std::vector<std::uint8_t>& out);

// Reads `length` bytes at `pos`; fails when the file is shorter.
FileResult readFileRange(const std::string& path, std::uint64_t pos, std::uint64_t length,
                         std::vector<std::uint8_t>& out);

// Opens the file for reading and writing and closes it again: fails when the
// file is missing, not a regular file, read-only, otherwise not writable by
// us, or locked by another program.
FileResult probeReadWrite(const std::string& path);

// ---- Saving a file the user edits (scene2.bin, Trellis's scene) ----
//
// Both calls below run under the file's save lock: a lock file beside the file
// (named "<file>.quilltemp.save.lock") that two saves of one file take in
// turn, so they never interleave. A save removes only a lock file it created
// itself; an empty file already under that name (a killed save leaves one) is
// used and left in place. Anything else under that name (a file with content,
// a link, a folder, a FIFO, a device) is never used, written or removed: the
// save is refused with a message naming the path and what is there. A symbolic link is
// followed: the link's target is what is checked and replaced, and the link
// stays a link. Under the lock the file must still hold exactly `expected`;
// otherwise nothing is written and the result has `changed` set.

// Replaces the file's whole content with `replacement`, all-or-nothing: a
// temporary file whose name contains "quilltemp.save" and is unique to this
// save is written beside the file, readable only by its owner, flushed to
// disk, given the file's owner, group and mode (never set-user/group-id bits),
// checked against `expected` once more and renamed over the file; then the
// folder is flushed. Refused, writing nothing, when the user may not write the
// file, or when the replacement could not keep the file's owner and group.
// Other hard links to the file keep the old content (the rename splits them).
FileResult replaceFileIfUnchanged(const std::string& path, ByteSpan expected, ByteSpan replacement);

// ---- Several files written as one change (an add-in's files) ----

// The save locks of several files, held together until release() or the end
// of the holder. Taken by takeSaveLocks; a save of one of these files that is
// handed the holder (the overloads below) uses the lock held here instead of
// taking it again.
class SaveLocks {
public:
    SaveLocks();
    ~SaveLocks();
    SaveLocks(SaveLocks&&) noexcept;
    SaveLocks& operator=(SaveLocks&&) noexcept;

    // Whether the save lock of the file at `path` is among those held.
    bool holds(const std::string& path) const;
    // Whether the lock whose lock file is `lockPath` (as saveLockPath gives
    // it) is among those held.
    bool holdsLockFile(const std::string& lockPath) const;
    std::size_t size() const { return lockPaths_.size(); }
    // Lets go of every lock, the last taken first; lock files this holder
    // created are removed as a single save removes its own.
    void release();

    // One lock as the platform holds it; the deleter lets it go.
    struct Held;
    struct LetGo {
        void operator()(Held* held) const;
    };
    using HeldLock = std::unique_ptr<Held, LetGo>;

private:
    friend FileResult takeSaveLocks(const std::vector<std::string>& paths, SaveLocks& locks,
                                    std::size_t* failed);
    std::vector<std::string> lockPaths_;
    std::vector<HeldLock> held_;
};

// The path of the lock file that guards saves of `path`: beside the file a
// symbolic link leads to, or beside `path` when nothing is there yet (a file
// about to be created; its folder should exist). A folder's lock lies beside
// the folder.
std::string saveLockPath(const std::string& path);

// Takes the save locks of all `paths` (each as a save of that file takes it),
// in the order of their lock files' paths, each once: two callers that lock
// overlapping sets this way never wait on each other in a circle. On failure
// nothing is held, `failed` (when given) receives the index in `paths` of
// the file whose lock could not be taken, and the reason names its lock file.
FileResult takeSaveLocks(const std::vector<std::string>& paths, SaveLocks& locks,
                         std::size_t* failed = nullptr);

// replaceFileIfUnchanged for a file whose save lock `held` holds already;
// refused, writing nothing, when it does not.
FileResult replaceFileIfUnchanged(const std::string& path, ByteSpan expected, ByteSpan replacement,
                                  const SaveLocks& held);

// Writes each block at its position in the file (a few bytes at fixed
// positions; the length never changes). Every block must lie inside the file,
// or nothing is written. When a write fails, the blocks already written are
// put back from `expected` before the failure is returned (as `unconfirmed`
// when they cannot be); a failed flush after all blocks were written is
// returned as `unconfirmed`. A kill between
// two blocks can leave only some of them written, so callers give one block
// (one span of the file) or use replaceFileIfUnchanged.
FileResult writeInPlaceIfUnchanged(const std::string& path, ByteSpan expected,
                                   const std::vector<InPlaceWrite>& writes);

// Without the content check, for tools and tests. Same guarantees otherwise.
FileResult writeInPlace(const std::string& path, const std::vector<InPlaceWrite>& writes);
FileResult replaceAtomically(const std::string& path, const std::vector<std::uint8_t>& bytes);

// True for a name this library gives its temporary and lock files.
bool isQuillTemporaryName(const std::string& fileName);

// ---- Files inside a folder the user named (script export and import) ----
// `name` is a single file name. Symbolic links inside the folder are never
// followed; anything but a plain file under that name is refused.

// Reads the plain file `name` in `dir`.
FileResult readFileInFolder(const std::string& dir, const std::string& name,
                            std::vector<std::uint8_t>& out);

// Fails with the reason when `name` in `dir` exists and is not a plain file
// (a link, folder, FIFO ...); a missing name is fine.
FileResult checkWritableNameInFolder(const std::string& dir, const std::string& name);

// Writes `bytes` as the plain file `name` in `dir`, all-or-nothing (a
// temporary file in `dir` renamed over the name). A link under that name is
// replaced, never written through.
FileResult writeFileInFolder(const std::string& dir, const std::string& name, ByteSpan bytes);

// ---- Copies that keep the owner of a file (backups, replaced game files) ----

// Fails with the reason when a new file made by this user could not be given
// the owner of the file at `path` (a link is followed): the file is another
// user's and this process may not give files away. With `group`, also when
// the file's group is not one of this user's. Looks only; writes nothing.
FileResult checkCopyKeepsOwner(const std::string& path, bool group);

// Writes `bytes` as the plain file `name` in `dir` as writeFileInFolder
// does, as a copy of the file `original` (a link is followed): the copy gets
// its owner, group and mode, never the set-user/group-id bits. It is written
// readable only by its owner and widened to that mode once complete, so it is
// never more readable than the original. Refused, writing nothing under
// `name`, when the owner cannot be kept and the original is not this user's;
// when only the group cannot be kept, the copy has this user's group and no
// permissions for its group.
FileResult writeCopyInFolder(const std::string& dir, const std::string& name, ByteSpan bytes,
                             const std::string& original);

// Writes `bytes` as the plain file `name` in `dir` as writeFileInFolder
// does; a plain file already under that name keeps its owner, group and mode
// (never set-user/group-id bits), and is refused, unchanged, when the
// replacement could not keep its owner and group (the rule of
// replaceFileIfUnchanged).
FileResult replaceFileInFolder(const std::string& dir, const std::string& name, ByteSpan bytes);

// ---- Paths ----
// Paths travel through the programs as UTF-8 strings on every system; these
// two are the only conversions to and from the system's own path form (wide
// text on Windows), so no name is ever squeezed through a narrower code page.
std::filesystem::path pathFromUtf8(std::string_view utf8);
std::string pathToUtf8(const std::filesystem::path& path);

// A whole file held in memory for tools that only read. It is read, not
// mapped: a mapping of a file that another program truncates kills the
// reader with SIGBUS.
class MappedFile {
public:
    MappedFile() = default;
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    FileResult open(const std::string& path);
    const std::uint8_t* data() const { return bytes_.get(); }
    std::size_t size() const { return size_; }

private:
    // Gives back the memory of the bytes: `mapped` bytes of an anonymous
    // mapping, or an array when 0.
    struct Release {
        Release() : mapped(0) {}
        explicit Release(std::size_t m) : mapped(m) {}
        void operator()(std::uint8_t* p) const;
        std::size_t mapped;
    };
    // Takes a copy of bytes read some other way.
    void take(const std::vector<std::uint8_t>& bytes);

    // Not zero-filled first: the read writes every byte of it.
    std::unique_ptr<std::uint8_t[], Release> bytes_;
    std::size_t size_ = 0;
};
