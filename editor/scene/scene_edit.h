#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "byte_view.h"
#include "file_access.h"
#include "scene_index.h"

// Every change to a scene goes one way:
//   plan (a writer builds an Edit from the indexed bytes),
//   applyEdit (pure: the new bytes),
//   checkEdit (pure: the new bytes indexed again must read back as the writer
//              meant and leave everything else as it was),
//   commitEdit (all of the above, then the write under the scene's save lock).
// Writers never write files themselves.

// `removed` bytes at `pos` (a position in the old bytes) are replaced by
// `inserted`. A splice with removed == inserted.size() overwrites in place.
struct Splice {
    std::uint64_t pos = 0;
    std::uint64_t removed = 0;
    std::vector<std::uint8_t> inserted;
};

// A u32 length field at `pos` (old bytes) that grows or shrinks by `delta`.
struct LengthFieldChange {
    std::uint64_t pos = 0;
    std::int64_t delta = 0;
};

struct Edit {
    // Ascending by pos, non-overlapping; positions in the old bytes.
    std::vector<Splice> splices;
    // Length fields that cover the splices; none lies inside a splice.
    std::vector<LengthFieldChange> lengthFields;
    // Only for a few bytes at fixed positions (the value save): the write may
    // go in place instead of replacing the whole file. Ignored unless every
    // splice keeps its length and no length field changes.
    bool mayWriteInPlace = false;

    std::int64_t lengthChange() const;
    bool keepsLength() const;
};

// Adds to `edit` the length field of each chunk that starts at one of
// `chunkStarts` in `old`, moved by the net change of the splices that lie in
// that chunk (a splice that starts at the chunk's end, inserting there, counts
// as inside). Returns the reason when a chunk is missing, a splice crosses a
// chunk's end, or a field would leave the u32 range.
std::optional<std::string> coverWithChunks(ByteView old, Edit& edit,
                                           const std::vector<std::uint64_t>& chunkStarts);

// Why the edit cannot be applied to `old`: a splice outside the file, splices
// out of order or overlapping, a length field outside the file or inside a
// replaced range, or a length leaving the u32 range. Empty when it can.
std::optional<std::string> validateEdit(ByteView old, const Edit& edit);

// The new bytes. The edit must lie within `old` (validateEdit); splices that
// do not are skipped, so no byte outside `old` is ever read.
std::vector<std::uint8_t> applyEdit(ByteView old, const Edit& edit);

// Where an old position lies after the edit (positions inside a removed or
// replaced range map to the splice's start).
std::uint64_t mapPosition(const Edit& edit, std::uint64_t oldPos);

// mapPosition for many positions of one edit: each costs a binary search over
// the splices instead of a walk through them. Gives what mapPosition gives for
// any edit; one whose splices are out of order is mapped by the walk. The edit
// must outlive the map and stay unchanged.
class PositionMap {
public:
    explicit PositionMap(const Edit& edit);
    std::uint64_t operator()(std::uint64_t oldPos) const;

private:
    const Edit& edit_;
    bool ordered_ = true;
    // The net change of splices [0, i) at i; one more than there are splices.
    std::vector<std::int64_t> shiftBefore_;
};

// What the writer meant to change, for the read-back check. Every entry not
// named here must read back unchanged: name, tick, kind, script text and
// values, with its positions moved by the edit.
struct EditExpectation {
    // Old list indices of the entries the edit removes.
    std::vector<std::size_t> removedEntries;
    // New list indices of the entries the edit adds, each with the record it
    // must read back as (positions are not compared; a field left empty here
    // is not compared either).
    std::vector<std::pair<std::size_t, IndexRecord>> addedEntries;
    // Old list index -> the script bytes it must hold afterwards.
    std::vector<std::pair<std::size_t, std::string>> scripts;
    // Old list index -> the record it must read back as afterwards (values,
    // name, tick, kind; positions are compared after moving them by the edit).
    std::vector<std::pair<std::size_t, IndexRecord>> records;
    // Old list indices whose reading the edit changes as a known consequence
    // of the layout (e.g. a definition left behind that another entry of the
    // same name then takes); these are not compared.
    std::vector<std::size_t> mayChange;
};

// The index of `newBytes` (applyEdit(old, edit)) when the edit only rewrites
// text inside one script where the index reads nothing: the old index with
// the positions behind the change moved by its length change, exactly what
// buildSceneIndex(newBytes) gives. Empty when that cannot be shown from the
// bytes around the change; then only a whole new index will do.
std::optional<SceneIndex> spliceSceneIndex(ByteView old, const SceneIndex& oldIndex,
                                           const Edit& edit, ByteView newBytes);

struct EditCheck {
    bool ok = false;
    std::string why; // the first difference found, for the user
    SceneIndex newIndex;
};

// Checks `newBytes` against `oldIndex` as `expect` says; a file whose old
// bytes passed the whole-file check must pass it afterwards. An edit that only
// rewrites the text of the one script `expect` names, away from everything the
// index reads, is checked by moving the old index (spliceSceneIndex) and
// reading that script back; any other by checkEditWhole. Both give the same
// verdict and the same new index.
EditCheck checkEdit(ByteView old, const SceneIndex& oldIndex, const Edit& edit, ByteView newBytes,
                    const EditExpectation& expect);
// The check made in full: the new bytes indexed whole, every entry compared,
// the whole-file check run.
EditCheck checkEditWhole(ByteView old, const SceneIndex& oldIndex, const Edit& edit,
                         ByteView newBytes, const EditExpectation& expect);

struct EditOutcome {
    bool ok = false;
    // The file on disk is no longer the indexed one: nothing was written and
    // the caller should re-index.
    bool fileChanged = false;
    // The new bytes reached the file but flushing them to disk failed: the
    // caller should read the file again.
    bool unconfirmed = false;
    std::string error; // why nothing was written (the system's description for I/O)
    std::vector<std::uint8_t> newBytes;
    SceneIndex newIndex;
};

// The largest span of the file an in-place edit writes with one write; a
// wider in-place edit (values in two sections) replaces the file instead.
inline constexpr std::uint64_t MaxInPlaceSpan = 64 * 1024;

// The one span [first, second) an edit may write in place: from its first
// splice to the end of its last, when it allows writing in place, keeps the
// length and spans at most MaxInPlaceSpan bytes.
std::optional<std::pair<std::uint64_t, std::uint64_t>> inPlaceSpan(const Edit& edit);

// Plans nothing: applies, checks and writes `edit`. Under the scene's save
// lock it confirms the file at `path` still holds `indexed`, then replaces it
// all-or-nothing (or writes in place when the edit allows it). On any failure
// the file is as it was. With `held`, the caller holds the scene's save lock
// there (a change of several files) and the edit replaces the file whole.
EditOutcome commitEdit(const std::string& path, ByteView indexed, const SceneIndex& index,
                       const Edit& edit, const EditExpectation& expect,
                       const SaveLocks* held = nullptr);
