#include "edit_history.h"

#include <bit>
#include <cstring>

#include "edit_commit.h"

namespace {
// A four-lane multiply-rotate hash over 64-bit words: each lane takes every
// fourth word, so the multiplications of one block run side by side.
constexpr std::uint64_t kPrime1 = 0x9E3779B185EBCA87ull;
constexpr std::uint64_t kPrime2 = 0xC2B2AE3D27D4EB4Full;
constexpr std::uint64_t kPrime3 = 0x165667B19E3779F9ull;
constexpr std::uint64_t kPrime4 = 0x85EBCA77C2B2AE63ull;
constexpr std::uint64_t kPrime5 = 0x27D4EB2F165667C5ull;

std::uint64_t word(const std::uint8_t* p) {
    std::uint64_t w;
    std::memcpy(&w, p, sizeof w);
    return w;
}

std::uint64_t mixIn(std::uint64_t lane, std::uint64_t w) {
    return std::rotl(lane + w * kPrime2, 31) * kPrime1;
}

std::uint64_t fold(std::uint64_t h, std::uint64_t lane) {
    return (h ^ mixIn(0, lane)) * kPrime1 + kPrime4;
}

std::int64_t spliceDelta(const Splice& s) {
    return static_cast<std::int64_t>(s.inserted.size()) - static_cast<std::int64_t>(s.removed);
}
} // namespace

ByteDigest digestOf(ByteView bytes) {
    const std::uint8_t* p = bytes.data();
    const std::size_t n = bytes.size();
    std::size_t i = 0;
    std::uint64_t h = kPrime5;
    if (n >= 32) {
        std::uint64_t a = kPrime1 + kPrime2, b = kPrime2, c = 0, d = 0 - kPrime1;
        for (; i + 32 <= n; i += 32) {
            a = mixIn(a, word(p + i));
            b = mixIn(b, word(p + i + 8));
            c = mixIn(c, word(p + i + 16));
            d = mixIn(d, word(p + i + 24));
        }
        h = std::rotl(a, 1) + std::rotl(b, 7) + std::rotl(c, 12) + std::rotl(d, 18);
        h = fold(fold(fold(fold(h, a), b), c), d);
    }
    h += static_cast<std::uint64_t>(n);
    for (; i + 8 <= n; i += 8)
        h = std::rotl(h ^ mixIn(0, word(p + i)), 27) * kPrime1 + kPrime4;
    for (; i < n; ++i)
        h = std::rotl(h ^ (p[i] * kPrime5), 11) * kPrime1;
    h ^= h >> 33;
    h *= kPrime2;
    h ^= h >> 29;
    h *= kPrime3;
    h ^= h >> 32;
    return {static_cast<std::uint64_t>(n), h};
}

Edit inverseEdit(ByteView old, const Edit& edit) {
    Edit back;
    back.mayWriteInPlace = edit.mayWriteInPlace;
    // The net change of the splices before the current one: where its start
    // lies in the new bytes.
    std::int64_t shift = 0;
    for (const Splice& s : edit.splices) {
        if (!old.has(s.pos, s.removed))
            continue;
        if (s.removed != 0 || !s.inserted.empty()) {
            Splice b;
            b.pos = static_cast<std::uint64_t>(static_cast<std::int64_t>(s.pos) + shift);
            b.removed = s.inserted.size();
            b.inserted.assign(old.data() + s.pos, old.data() + s.pos + s.removed);
            back.splices.push_back(std::move(b));
        }
        shift += spliceDelta(s);
    }
    const PositionMap moved(edit);
    for (const LengthFieldChange& f : edit.lengthFields)
        back.lengthFields.push_back({moved(f.pos), -f.delta});
    return back;
}

bool EditHistory::record(const std::string& caption, ByteView before, const Edit& edit,
                         ByteView after) {
    if (validateEdit(before, edit) ||
        static_cast<std::int64_t>(before.size()) + edit.lengthChange() !=
            static_cast<std::int64_t>(after.size())) {
        clear();
        return false;
    }
    steps_.resize(applied_);
    steps_.push_back({caption, edit, inverseEdit(before, edit), digestOf(before), digestOf(after)});
    applied_ = steps_.size();
    return true;
}

std::string EditHistory::undoCaption() const {
    return canUndo() ? steps_[applied_ - 1].caption : std::string();
}

std::string EditHistory::redoCaption() const {
    return canRedo() ? steps_[applied_].caption : std::string();
}

std::optional<RestoringStep> EditHistory::undoStep() const {
    if (!canUndo())
        return std::nullopt;
    const Step& s = steps_[applied_ - 1];
    return RestoringStep{s.caption, s.backward, s.before};
}

std::optional<RestoringStep> EditHistory::redoStep() const {
    if (!canRedo())
        return std::nullopt;
    const Step& s = steps_[applied_];
    return RestoringStep{s.caption, s.forward, s.after};
}

void EditHistory::undone() {
    if (canUndo())
        --applied_;
}

void EditHistory::redone() {
    if (canRedo())
        ++applied_;
}

void EditHistory::clear() {
    steps_.clear();
    applied_ = 0;
}

std::uint64_t EditHistory::keptBytes() const {
    std::uint64_t n = 0;
    for (const Step& s : steps_)
        for (const Edit* e : {&s.forward, &s.backward})
            for (const Splice& sp : e->splices)
                n += sp.inserted.size();
    return n;
}

EditOutcome commitRestoringEdit(const std::string& path, ByteView indexed, const SceneIndex& index,
                                const Edit& edit, const ByteDigest& expected) {
    EditOutcome out;
    if (auto bad = validateEdit(indexed, edit)) {
        out.error = *bad;
        return out;
    }
    std::vector<std::uint8_t> newBytes = applyEdit(indexed, edit);
    const ByteView result(newBytes.data(), newBytes.size());
    if (digestOf(result) != expected) {
        out.error = "The scene is no longer as this step left it: undoing or redoing it would not "
                    "give back the file as it was. Nothing was written.";
        return out;
    }
    SceneIndex newIndex;
    if (const auto splice = findScriptSplice(indexed, index, edit, result)) {
        // Rewritten script text only: the index moves, the whole-file verdict stands.
        newIndex = index;
        moveIndex(newIndex, *splice, result);
    } else {
        newIndex = buildSceneIndex(result);
        if (auto lost = consistencyLost(indexed, index, edit, result, newIndex)) {
            out.error = *lost;
            return out;
        }
    }
    return writeCheckedEdit(path, indexed, edit, std::move(newBytes), std::move(newIndex));
}
