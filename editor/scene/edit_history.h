#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "byte_view.h"
#include "scene_edit.h"
#include "scene_index.h"

// Undo and redo as edits of the edit layer. A committed edit is kept as its
// splices only (the bytes it removed and the bytes it inserted, never a whole
// file) together with digests of the file before and after it; undoing
// applies the inverse splices to the current bytes and accepts the result only
// when it has the digest of the bytes before the edit.

// The edit that turns applyEdit(old, edit) back into `old` exactly. `edit`
// must pass validateEdit(old, edit). Its splices lie at their positions in the
// new bytes, each removing what the edit inserted there and inserting the old
// bytes it removed; its length fields lie where the edit moved them, with the
// negated delta. Splices that change nothing are left out. mayWriteInPlace
// carries over: an in-place edit is undone in place.
Edit inverseEdit(ByteView old, const Edit& edit);

// Identifies a byte buffer for comparison within one run of the program (the
// hash is not stable across byte orders, so it is never stored in a file).
struct ByteDigest {
    std::uint64_t size = 0;
    std::uint64_t hash = 0;
    bool operator==(const ByteDigest&) const = default;
};

ByteDigest digestOf(ByteView bytes);

// One undo or redo: `edit` applies to the current bytes and must give bytes
// whose digest is `expected`.
struct RestoringStep {
    std::string caption;
    Edit edit;
    ByteDigest expected;
};

// The committed edits of one open file, oldest first, and how many of them
// are in effect. Not thread-safe: the steps it hands out are copies, so a
// commit may run elsewhere while the history stays with its window.
class EditHistory {
public:
    // After `edit` was committed, turning `before` into `after`. Drops the
    // steps that could have been redone. An edit that does not fit `before`
    // or `after` (validateEdit fails, or the lengths disagree) cannot be
    // undone: the whole history is cleared, since the older steps no longer
    // lead to the current bytes, and false is returned.
    bool record(const std::string& caption, ByteView before, const Edit& edit, ByteView after);

    bool canUndo() const { return applied_ > 0; }
    bool canRedo() const { return applied_ < steps_.size(); }
    // The caption of the step the next undo or redo would take; empty when none.
    std::string undoCaption() const;
    std::string redoCaption() const;

    // The step to commit to undo (redo) the latest applied (next undone) edit.
    std::optional<RestoringStep> undoStep() const;
    std::optional<RestoringStep> redoStep() const;
    // After undoStep's (redoStep's) edit was committed.
    void undone();
    void redone();

    void clear();

    // Bytes held by the recorded splices, for a caller that wants a bound.
    std::uint64_t keptBytes() const;

private:
    struct Step {
        std::string caption;
        Edit forward;  // before -> after, in before's positions
        Edit backward; // after -> before, in after's positions
        ByteDigest before;
        ByteDigest after;
    };
    std::vector<Step> steps_;
    std::size_t applied_ = 0;
};

// Commits an undo or redo step: `edit` is applied to `indexed` (the bytes
// `index` was built from); the result must have the digest `expected`, or
// nothing is written and the reason says so. A result that fails the
// whole-file check where `indexed` passes it is refused too. Then, under the
// save lock, and only while the file at `path` still holds `indexed`, it is
// written as commitEdit writes (in place when the edit allows it, else
// replaced all-or-nothing). The outcome carries the new bytes and their index.
// Touches nothing but the file: may run off the GUI thread.
EditOutcome commitRestoringEdit(const std::string& path, ByteView indexed, const SceneIndex& index,
                                const Edit& edit, const ByteDigest& expected);
