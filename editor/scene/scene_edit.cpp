#include "scene_edit.h"

#include <algorithm>

#include "edit_commit.h"
#include "file_access.h"
#include "large_bytes.h"
#include "scene_verify.h"

namespace {
constexpr std::uint64_t kU32Max = 0xFFFFFFFFu;

std::int64_t spliceDelta(const Splice& s) {
    return static_cast<std::int64_t>(s.inserted.size()) - static_cast<std::int64_t>(s.removed);
}

void putU32(std::vector<std::uint8_t>& b, std::uint64_t pos, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b[pos + i] = static_cast<std::uint8_t>(v >> (8 * i));
}
} // namespace

std::int64_t Edit::lengthChange() const {
    std::int64_t d = 0;
    for (const Splice& s : splices)
        d += spliceDelta(s);
    return d;
}

bool Edit::keepsLength() const {
    for (const Splice& s : splices)
        if (spliceDelta(s) != 0)
            return false;
    for (const LengthFieldChange& f : lengthFields)
        if (f.delta != 0)
            return false;
    return true;
}

std::optional<std::string> coverWithChunks(ByteView old, Edit& edit,
                                           const std::vector<std::uint64_t>& chunkStarts) {
    for (std::uint64_t start : chunkStarts) {
        const auto len = old.u32(start + 2);
        if (!len || *len < 6)
            return "A length field that covers the change cannot be found.";
        const std::uint64_t end = start + *len;
        std::int64_t delta = 0;
        for (const Splice& s : edit.splices) {
            const std::uint64_t sEnd = s.pos + s.removed;
            if (s.pos < start + 6 || s.pos > end)
                continue;
            if (sEnd > end)
                return "A change crosses the end of the chunk that holds it.";
            delta += spliceDelta(s);
        }
        const std::int64_t v = static_cast<std::int64_t>(*len) + delta;
        if (v < 6 || static_cast<std::uint64_t>(v) > kU32Max)
            return "The change does not fit the file's length fields.";
        edit.lengthFields.push_back({start + 2, delta});
    }
    return std::nullopt;
}

std::uint64_t mapPosition(const Edit& edit, std::uint64_t oldPos) {
    std::int64_t shift = 0;
    for (const Splice& s : edit.splices) {
        if (oldPos < s.pos)
            break;
        if (oldPos < s.pos + s.removed)
            return static_cast<std::uint64_t>(static_cast<std::int64_t>(s.pos) + shift);
        shift += spliceDelta(s);
    }
    return static_cast<std::uint64_t>(static_cast<std::int64_t>(oldPos) + shift);
}

PositionMap::PositionMap(const Edit& edit) : edit_(edit) {
    shiftBefore_.reserve(edit.splices.size() + 1);
    std::int64_t shift = 0;
    std::uint64_t prevEnd = 0;
    for (const Splice& s : edit.splices) {
        // Ordered and disjoint, the splices' starts and ends both ascend.
        if (s.pos < prevEnd || s.removed > ~std::uint64_t{0} - s.pos)
            ordered_ = false;
        else
            prevEnd = s.pos + s.removed;
        shiftBefore_.push_back(shift);
        shift += spliceDelta(s);
    }
    shiftBefore_.push_back(shift);
}

std::uint64_t PositionMap::operator()(std::uint64_t oldPos) const {
    if (!ordered_)
        return mapPosition(edit_, oldPos);
    const auto& sp = edit_.splices;
    // The splices that start at or before oldPos; only the last of them can hold it.
    const auto k = static_cast<std::size_t>(
        std::upper_bound(sp.begin(), sp.end(), oldPos,
                         [](std::uint64_t p, const Splice& s) { return p < s.pos; }) -
        sp.begin());
    if (k > 0 && oldPos < sp[k - 1].pos + sp[k - 1].removed)
        return static_cast<std::uint64_t>(static_cast<std::int64_t>(sp[k - 1].pos) +
                                          shiftBefore_[k - 1]);
    return static_cast<std::uint64_t>(static_cast<std::int64_t>(oldPos) + shiftBefore_[k]);
}

std::vector<std::uint8_t> applyEdit(ByteView old, const Edit& edit) {
    std::vector<std::uint8_t> out;
    reserveLarge(out, static_cast<std::size_t>(static_cast<std::int64_t>(old.size()) +
                                               std::max<std::int64_t>(edit.lengthChange(), 0)));
    std::uint64_t at = 0;
    for (const Splice& s : edit.splices) {
        if (s.pos < at || !old.has(s.pos, s.removed))
            continue;
        out.insert(out.end(), old.data() + at, old.data() + s.pos);
        out.insert(out.end(), s.inserted.begin(), s.inserted.end());
        at = s.pos + s.removed;
    }
    out.insert(out.end(), old.data() + at, old.data() + old.size());
    const PositionMap moved(edit);
    for (const LengthFieldChange& f : edit.lengthFields) {
        const std::uint64_t p = moved(f.pos);
        const auto v = ByteView(out.data(), out.size()).u32(p);
        if (v)
            putU32(out, p, static_cast<std::uint32_t>(static_cast<std::int64_t>(*v) + f.delta));
    }
    return out;
}

std::optional<std::pair<std::uint64_t, std::uint64_t>> inPlaceSpan(const Edit& edit) {
    if (!edit.mayWriteInPlace || !edit.keepsLength() || edit.splices.empty())
        return std::nullopt;
    const std::uint64_t from = edit.splices.front().pos;
    const Splice& last = edit.splices.back();
    const std::uint64_t to = last.pos + last.removed;
    if (to - from > MaxInPlaceSpan)
        return std::nullopt;
    return std::pair{from, to};
}

EditOutcome commitEdit(const std::string& path, ByteView indexed, const SceneIndex& index,
                       const Edit& edit, const EditExpectation& expect, const SaveLocks* held) {
    EditOutcome out;
    if (auto bad = validateEdit(indexed, edit)) {
        out.error = *bad;
        return out;
    }
    std::vector<std::uint8_t> newBytes = applyEdit(indexed, edit);
    EditCheck check =
        checkEdit(indexed, index, edit, ByteView(newBytes.data(), newBytes.size()), expect);
    if (!check.ok) {
        out.error = check.why;
        return out;
    }
    return writeCheckedEdit(path, indexed, edit, std::move(newBytes), std::move(check.newIndex),
                            held);
}

EditOutcome writeCheckedEdit(const std::string& path, ByteView indexed, const Edit& edit,
                             std::vector<std::uint8_t> newBytes, SceneIndex newIndex,
                             const SaveLocks* held) {
    EditOutcome out;
    const ByteSpan expected(indexed.data(), indexed.size());
    const ByteSpan replacement(newBytes.data(), newBytes.size());
    FileResult written;
    if (held) {
        written = replaceFileIfUnchanged(path, expected, replacement, *held);
    } else if (const auto span = inPlaceSpan(edit)) {
        // One write of the span's new bytes: the unchanged bytes between the
        // splices are written as they are, so a kill leaves the old or the new
        // values, never some of each.
        const auto from = newBytes.begin() + static_cast<std::ptrdiff_t>(span->first);
        const auto to = newBytes.begin() + static_cast<std::ptrdiff_t>(span->second);
        written = writeInPlaceIfUnchanged(
            path, expected, {InPlaceWrite{span->first, std::vector<std::uint8_t>(from, to)}});
    } else {
        written = replaceFileIfUnchanged(path, expected, replacement);
    }
    if (!written) {
        out.fileChanged = written.changed;
        out.unconfirmed = written.unconfirmed;
        // A failed flush, or a failed write whose old bytes could not go
        // back: the file may hold the change, the old bytes or some of each.
        out.error = written.unconfirmed ? "The change could not be confirmed on disk (" +
                                              written.error + "). Read the file again to check it."
                                        : written.error;
        return out;
    }
    out.ok = true;
    out.newBytes = std::move(newBytes);
    out.newIndex = std::move(newIndex);
    return out;
}
