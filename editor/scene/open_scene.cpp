#include "open_scene.h"

#include <utility>

std::optional<std::uint64_t> entryPosition(const IndexRecord& record) {
    if (record.recordPos)
        return *record.recordPos;
    if (record.definitionPos)
        return *record.definitionPos;
    if (record.namePos)
        return *record.namePos;
    return std::nullopt;
}

std::optional<std::uint64_t> entryPosition(const EntryTable& entries, std::size_t i) {
    if (const Pos32 p = entries.recordPos(i))
        return *p;
    if (const Pos32 p = entries.definitionPos(i))
        return *p;
    if (const Pos32 p = entries.namePos(i))
        return *p;
    return std::nullopt;
}

std::optional<EntryKey> followEntry(const EntryKey& key, const Edit& edit) {
    for (const Splice& s : edit.splices) {
        const bool inside = key.pos >= s.pos && key.pos < s.pos + s.removed;
        if (inside && s.inserted.size() != s.removed)
            return std::nullopt;
    }
    return EntryKey{mapPosition(edit, key.pos), key.occurrence};
}

void OpenScene::adoptRead(std::string path, std::vector<std::uint8_t> bytes, SceneIndex index) {
    open_ = true;
    path_ = std::move(path);
    bytes_ = std::move(bytes);
    index_ = std::move(index);
}

void OpenScene::close() {
    open_ = false;
    path_.clear();
    bytes_.clear();
    index_ = SceneIndex{};
}

OpenScene::Taken OpenScene::take(EditOutcome&& outcome) {
    if (outcome.fileChanged)
        return Taken::ChangedOnDisk;
    if (outcome.unconfirmed)
        return Taken::Unconfirmed;
    if (!outcome.ok)
        return Taken::Refused;
    bytes_ = std::move(outcome.newBytes);
    index_ = std::move(outcome.newIndex);
    return Taken::Saved;
}

std::optional<EntryKey> OpenScene::keyOf(std::size_t entry) const {
    if (entry >= index_.entries.size())
        return std::nullopt;
    const auto pos = entryPosition(index_.entries, entry);
    if (!pos)
        return std::nullopt;
    EntryKey key{*pos, 0};
    for (std::size_t i = 0; i < entry; ++i)
        if (entryPosition(index_.entries, i) == pos)
            ++key.occurrence;
    return key;
}

std::optional<std::size_t> OpenScene::entryOf(const EntryKey& key) const {
    std::uint32_t seen = 0;
    for (std::size_t i = 0; i < index_.entries.size(); ++i) {
        if (entryPosition(index_.entries, i) != key.pos)
            continue;
        if (seen++ == key.occurrence)
            return i;
    }
    return std::nullopt;
}
