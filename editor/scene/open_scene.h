#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "byte_view.h"
#include "scene_edit.h"
#include "scene_index.h"

// Names one entry across edits. List positions move when entries are added or
// removed and names need not be unique, so an entry is known by the position
// of its record in the file (the definition record for an init script), and
// by its place among entries that share that position.
struct EntryKey {
    std::uint64_t pos = 0;
    std::uint32_t occurrence = 0;
    bool operator==(const EntryKey&) const = default;
};

// The record position an entry is known by; empty for an entry without one.
std::optional<std::uint64_t> entryPosition(const IndexRecord& record);
// The same for entry i of `entries`, without building its record.
std::optional<std::uint64_t> entryPosition(const EntryTable& entries, std::size_t i);

// Where the entry's record lies after `edit`: empty when the edit removed or
// rewrote the bytes the record starts at with a change of length.
std::optional<EntryKey> followEntry(const EntryKey& key, const Edit& edit);

// A committed edit and its outcome, as the window takes them up.
using CommittedEdit = std::pair<Edit, EditOutcome>;

// Commits a writer's plan (anything holding `edit` and `expect`) through the
// edit layer; without a plan the outcome is refused with `refusal`.
template <class Plan>
CommittedEdit commitPlanned(const std::string& path, ByteView bytes, const SceneIndex& index,
                            Plan* plan, const std::string& refusal) {
    if (!plan) {
        EditOutcome refused;
        refused.error = refusal;
        return {Edit{}, std::move(refused)};
    }
    EditOutcome done = commitEdit(path, bytes, index, plan->edit, plan->expect);
    return {std::move(plan->edit), std::move(done)};
}

// The scene a window has open: the path, the bytes as read or last written,
// their index and whether the file passed the whole-file check when it was
// read. Every edit's outcome is taken up here and nowhere else; windows only
// read it.
class OpenScene {
public:
    // Unconfirmed: written, but not confirmed on disk; the file is to be read
    // again, like one changed on disk.
    enum class Taken { Saved, Refused, ChangedOnDisk, Unconfirmed };

    bool isOpen() const { return open_; }
    const std::string& path() const { return path_; }
    ByteView bytes() const { return ByteView(bytes_.data(), bytes_.size()); }
    const std::vector<std::uint8_t>& byteVector() const { return bytes_; }
    const SceneIndex& index() const { return index_; }

    // A file read from `path`. Edits recorded for an earlier reading no longer
    // apply: the caller clears its history.
    void adoptRead(std::string path, std::vector<std::uint8_t> bytes, SceneIndex index);
    void close();

    // The outcome of committing an edit of these bytes: written ones are
    // adopted with their index; a refusal or a file changed on disk keeps
    // everything as it was.
    Taken take(EditOutcome&& outcome);

    std::optional<EntryKey> keyOf(std::size_t entry) const;
    std::optional<std::size_t> entryOf(const EntryKey& key) const;

private:
    bool open_ = false;
    std::string path_;
    std::vector<std::uint8_t> bytes_;
    SceneIndex index_;
};
