// The index of a scene after an edit that rewrites text inside one script,
// taken from the index before it: every byte the index builder reads lies
// outside the rewritten text (or is a length field that moved as the layout
// says), so its walk over the new bytes takes the same steps, and everything
// past the text only moves by the length change. Each condition below is one
// step of that argument; when one does not hold, the caller indexes the new
// bytes whole.
#include <algorithm>
#include <cstring>

#include "chunk_ids.h"
#include "edit_commit.h"
#include "index_builder.h"
#include "scene_edit.h"
#include "script_text.h"
#include "text_search.h"
#include "verify_exceptions.h"

namespace {
// The bytes [from, to) of the old file are replaced; every byte from `to` on
// lies `delta` further on afterwards.
struct ChangedRun {
    std::uint64_t from = 0;
    std::uint64_t to = 0;
    std::int64_t delta = 0;
};

// The bytes of a definition data chunk that its type's values are read from
// (offset from the chunk start, width): a thing's weight and sound, a human's
// behaviour, sex, aggression and weight.
constexpr std::pair<std::uint64_t, std::uint64_t> kValueBytes[] = {
    {index_detail::kThingWeight, 4},     {index_detail::kThingSound, 1},
    {index_detail::kHumanBehaviour, 1},  {index_detail::kHumanSex, 1},
    {index_detail::kHumanAggression, 4}, {index_detail::kHumanWeight, 4}};
// Furthest those values reach from the chunk's start (a human's weight).
constexpr std::uint64_t kValueReach = index_detail::kHumanWeight + 4;
// A script marker's text test reads up to 12 bytes past the marker's start.
constexpr std::uint64_t kMarkerReach = 16;
// What the walk over object records reads past a record's end at most (a
// light colour's floats behind a chunk header that the end cuts off).
constexpr std::uint64_t kTailOvershoot = 24;
// What the walk reads from an object's name chunk on when the record is not
// listed: the name (read as at most 50 bytes) and the translation header.
constexpr std::uint64_t kNameReach = 56;

std::optional<ChangedRun> changedRun(ByteView old, const Edit& edit) {
    if (edit.splices.size() != 1)
        return std::nullopt;
    const Splice& s = edit.splices.front();
    if (!old.has(s.pos, s.removed))
        return std::nullopt;
    const std::uint8_t* was = old.data() + s.pos;
    const std::vector<std::uint8_t>& now = s.inserted;
    const std::size_t common = std::min<std::size_t>(s.removed, now.size());
    std::size_t head = 0;
    while (head < common && was[head] == now[head])
        ++head;
    std::size_t tail = 0;
    while (tail < common - head && was[s.removed - 1 - tail] == now[now.size() - 1 - tail])
        ++tail;
    return ChangedRun{s.pos + head, s.pos + s.removed - tail,
                      static_cast<std::int64_t>(now.size()) - static_cast<std::int64_t>(s.removed)};
}

// The script around the run and the length fields that cover it.
struct ScriptAround {
    std::size_t entry = 0;
    std::optional<std::uint64_t> dataChunk; // object scripts
    std::vector<std::uint64_t> fields;      // ascending
};

std::optional<ScriptAround> objectScript(ByteView old, const SceneIndex& index, std::size_t i,
                                         const ChangedRun& run) {
    const EntryTable& t = index.entries;
    const Pos32 S = t.scriptPos(i), R = t.definitionPos(i), C = t.dataChunkPos(i);
    if (!S || !R || !C || !index.gesamtLaengeScriptPos)
        return std::nullopt;
    const auto chunkLength = old.u32(*C + 2), recordLength = old.u32(*R + 2),
               textLength = old.u32(*S);
    if (!chunkLength || !recordLength || !textLength)
        return std::nullopt;
    const std::uint64_t end = std::uint64_t{*C} + *chunkLength;
    // The text is the data chunk's and the record's last bytes; the run lies
    // past the chunk's values and the four bytes that make the script found.
    if (end > old.size() || std::uint64_t{*R} + *recordLength != end ||
        std::uint64_t{*S} + 4 + *textLength != end || *R >= *C ||
        *index.gesamtLaengeScriptPos >= *R || run.from < *C + kValueReach || run.from < *S + 8u ||
        run.to > end)
        return std::nullopt;
    return ScriptAround{i, *C, {2, *index.gesamtLaengeScriptPos, *R + 2u, *C + 2u, *S}};
}

std::optional<ScriptAround> initScript(ByteView old, const SceneIndex& index, std::size_t i,
                                       const ChangedRun& run) {
    const Pos32 S = index.entries.scriptPos(i), R = index.entries.definitionPos(i);
    if (!S || !R || !index.initSectionLengthPos)
        return std::nullopt;
    const auto recordLength = old.u32(*R + 2);
    if (!recordLength)
        return std::nullopt;
    const std::uint64_t end = std::uint64_t{*R} + *recordLength;
    // The init script's name and first text byte lie before the run.
    if (end > old.size() || *index.initSectionLengthPos >= *R || run.from <= *S || run.to > end)
        return std::nullopt;
    return ScriptAround{i, std::nullopt, {2, *index.initSectionLengthPos, *R + 2u}};
}

std::optional<ScriptAround> scriptAround(ByteView old, const SceneIndex& index,
                                         const ChangedRun& run) {
    const EntryTable& t = index.entries;
    for (std::size_t i = 0; i < t.size(); ++i) {
        const Pos32 S = t.scriptPos(i);
        if (!t.ticked(i) || !S || *S > run.from)
            continue;
        if (isInitScriptEntry(index, i)) {
            const Pos32 R = t.definitionPos(i);
            const auto len = R ? old.u32(*R + 2) : std::nullopt;
            if (len && std::uint64_t{*R} + *len >= run.to)
                return initScript(old, index, i, run);
        } else if (const Pos32 C = t.dataChunkPos(i)) {
            const auto len = old.u32(*C + 2);
            if (len && std::uint64_t{*C} + *len >= run.to && *C < run.from)
                return objectScript(old, index, i, run);
        }
    }
    return std::nullopt;
}

// The new bytes are the old ones with the run replaced and the length fields
// moved by the run's length change; nothing else differs.
bool onlyRunAndFieldsDiffer(ByteView old, ByteView now, const ChangedRun& run,
                            const std::vector<std::uint64_t>& fields) {
    if (static_cast<std::int64_t>(now.size()) != static_cast<std::int64_t>(old.size()) + run.delta)
        return false;
    std::uint64_t at = 0;
    for (const std::uint64_t f : fields) {
        if (f < at || f + 4 > run.from)
            return false;
        const auto was = old.u32(f), is = now.u32(f);
        if (!was || !is ||
            static_cast<std::int64_t>(*is) != static_cast<std::int64_t>(*was) + run.delta ||
            std::memcmp(old.data() + at, now.data() + at, f - at) != 0)
            return false;
        at = f + 4;
    }
    const std::uint64_t movedTo =
        static_cast<std::uint64_t>(static_cast<std::int64_t>(run.to) + run.delta);
    return std::memcmp(old.data() + at, now.data() + at, run.from - at) == 0 &&
           std::memcmp(old.data() + run.to, now.data() + movedTo, old.size() - run.to) == 0;
}

// The children of [from, to) tile it as the walk over a record's tail takes
// them (light values of their fixed lengths, light blocks entered), so that
// walk reads nothing outside.
bool tailTiles(ByteView f, std::uint64_t from, std::uint64_t to, int depth) {
    for (std::uint64_t c = from; c < to;) {
        const auto id = f.u16(c);
        const auto len = f.u32(c + 2);
        if (!id || !len || *len < chunk::HeaderSize || c + *len > to)
            return false;
        if ((*id == chunk::LightColour && *len != 18) ||
            ((*id == chunk::LightBrightness || *id == chunk::LightKind) && *len != 10))
            return false;
        if (*id == chunk::LightBlock &&
            (depth > 16 || !tailTiles(f, c + chunk::HeaderSize, c + *len, depth + 1)))
            return false;
        c += *len;
    }
    return true;
}

// The walk over the objects section reads nothing at or after `firstChange`.
bool objectsWalkBefore(ByteView old, ByteView now, const SceneIndex& index,
                       std::uint64_t firstChange) {
    if (!index.modelLenPos)
        return false;
    const auto sectionLength = old.u32(*index.modelLenPos);
    const std::uint64_t start = *index.modelLenPos - 2u;
    if (!sectionLength || start + 6 > firstChange)
        return false;
    const std::uint64_t sectionEnd = start + *sectionLength;
    const EntryTable& t = index.entries;
    std::size_t objects = 0;
    while (objects < t.size() && t.recordPos(objects))
        ++objects;
    if (objects == 0)
        return false;
    // Every object listed before the last: its reads, past its record's end at most a little.
    std::uint64_t reach = 0;
    for (std::size_t i = 0; i + 1 < objects; ++i) {
        const auto len = old.u32(*t.recordPos(i) + 2);
        if (!len)
            return false;
        const entry_store::Body* b = t.body(i);
        const std::uint64_t model = b && b->model.present() ? b->model.len : 0;
        reach = std::max(reach, *t.recordPos(i) + std::uint64_t{*len} + kTailOvershoot + model);
        if (const Pos32 n = t.namePos(i))
            reach = std::max(reach, *n + kNameReach);
        if (b && b->translationPos)
            reach = std::max<std::uint64_t>(reach, *b->translationPos + placement::End);
    }
    if (reach > firstChange)
        return false;
    // The last listed object: a record of the usual layout, read within itself.
    const std::size_t last = objects - 1;
    const Pos32 record = t.recordPos(last), name = t.namePos(last), tp = t.translationPos(last);
    if (!name)
        return false;
    const auto nameLength = old.u32(*name + 2), recordLength = old.u32(*record + 2);
    if (!nameLength || !recordLength || *nameLength >= index_detail::kLongNameLength)
        return false;
    const std::uint64_t end = std::uint64_t{*record} + *recordLength;
    const std::uint64_t nameEnd = std::uint64_t{*name} + *nameLength;
    if (end > firstChange || nameEnd > end || *record + std::uint64_t{13} > end)
        return false;
    if (!t.nameOnly(last) && (!tp || std::uint64_t{*tp} != nameEnd + chunk::HeaderSize ||
                              end < *tp + std::uint64_t{placement::End} ||
                              !tailTiles(old, *tp + placement::End, end, 0)))
        return false;
    // Behind it the walk stops only at bytes 10, up to three bytes past the section.
    const std::uint64_t limit = sectionEnd + 3;
    if (limit + 1 > std::min(old.size(), now.size()))
        return false;
    for (std::uint64_t p = end; p < limit; ++p) {
        if (old.data()[p] == 0x10 || now.data()[p] == 0x10)
            return false;
    }
    return true;
}

// No definition data chunk that the scan may read before the length field at
// `field` reaches it: none starts within its values' reach (other than
// `own`), and no script marker ends close enough for its text test to look
// at it. The scan over definitions starts at `scanStart`.
bool fieldOutOfReach(ByteView f, std::uint64_t field, std::uint64_t scanStart,
                     std::optional<std::uint64_t> own, bool markers) {
    const std::uint8_t* d = f.data();
    const std::uint64_t stop = field - 2;
    for (std::uint64_t p =
             std::max(scanStart, field > kValueReach + 5 ? field - kValueReach - 5 : 0);
         p + 1 < stop; ++p) {
        if (d[p] == 0x24 && d[p + 1] == 0xAE && p != own)
            return false;
    }
    if (!markers)
        return true;
    for (std::uint64_t s = std::max(scanStart, field > kMarkerReach ? field - kMarkerReach : 0);
         s < stop; ++s) {
        if ((d[s] == 0x01 || d[s] == 0x05) && f.has(s, 5) && !d[s + 1] && !d[s + 2] && !d[s + 3] &&
            !d[s + 4])
            return false;
    }
    return true;
}

// Every script the check compares, other than the edited one, lies wholly
// before or wholly after the change, its length field untouched.
bool otherScriptsApart(ByteView old, const SceneIndex& index, const ScriptAround& around,
                       const ChangedRun& run) {
    auto apart = [&](std::uint64_t from, std::uint64_t to) {
        if (from == to)
            return true;
        if (!(to <= run.from || from >= run.to))
            return false;
        return std::none_of(around.fields.begin(), around.fields.end(),
                            [&](std::uint64_t f) { return from < f + 4 && f < to; });
    };
    const EntryTable& t = index.entries;
    for (std::size_t i = 0; i < t.size(); ++i) {
        if (i == around.entry || !t.ticked(i) || !t.scriptPos(i))
            continue;
        const auto span = locateScript(old, index, i);
        if (!span)
            return false;
        const std::uint64_t lengthAt = span->initScript ? std::uint64_t{*t.definitionPos(i)} + 2
                                                        : std::uint64_t{*t.scriptPos(i)};
        if (!apart(lengthAt, lengthAt + 4) ||
            !apart(span->textPos, span->textPos + span->textLength))
            return false;
    }
    return true;
}

bool anyException(ByteView f, std::uint64_t record) {
    const auto id = f.u16(record);
    for (const KnownLayoutException& e : knownLayoutExceptions()) {
        if (id && e.matches && e.matches(f, record, *id))
            return true;
    }
    return false;
}
} // namespace

std::optional<ScriptSplice> findScriptSplice(ByteView old, const SceneIndex& index,
                                             const Edit& edit, ByteView now) {
    const auto run = changedRun(old, edit);
    if (!run || now.size() >= Pos32::kNone || index.fileLength != old.size())
        return std::nullopt;
    const Splice& s = edit.splices.front();
    if (s.removed > 0 && run->to <= s.pos)
        return std::nullopt;
    const auto around = scriptAround(old, index, *run);
    if (!around || !onlyRunAndFieldsDiffer(old, now, *run, around->fields) || !old.has(0, 6) ||
        old.data()[4] != now.data()[4] || old.data()[5] != now.data()[5])
        return std::nullopt;
    const std::uint64_t firstChange = around->fields[1];
    if (!objectsWalkBefore(old, now, index, firstChange))
        return std::nullopt;
    const std::uint64_t scanStart = *index.modelLenPos - 2u + *old.u32(*index.modelLenPos);
    for (std::size_t k = 1; k < around->fields.size(); ++k) {
        const std::uint64_t f = around->fields[k];
        const bool scriptLength = around->dataChunk && f == around->fields.back();
        if (!fieldOutOfReach(old, f, scanStart, around->dataChunk, !scriptLength))
            return std::nullopt;
    }
    const Pos32 record = index.entries.definitionPos(around->entry);
    if (anyException(old, *record) || anyException(now, *record))
        return std::nullopt;
    if (const auto C = around->dataChunk) {
        // The values a definition's type takes from its data chunk, and its
        // material read from the whole chunk, come out the same.
        for (const auto& [offset, width] : kValueBytes) {
            if (std::memcmp(old.data() + *C + offset, now.data() + *C + offset, width) != 0)
                return std::nullopt;
        }
        const std::string_view was = old.text(*C, *old.u32(*C + 2));
        const std::string_view is = now.text(*C, *now.u32(*C + 2));
        for (const char* word : {"glass", "brass"}) {
            if (containsNoCase(was, word) != containsNoCase(is, word))
                return std::nullopt;
        }
    }
    // No position lies in the changed bytes or just before them (a value
    // there would straddle them), nor in bytes the splice replaces (where the
    // check maps positions to its start).
    const std::uint64_t near = run->from - std::min<std::uint64_t>(run->from, 4);
    auto inside = [&](const std::optional<std::uint32_t>& p) {
        return p && ((*p >= near && *p < run->to) || (*p > s.pos && *p < s.pos + s.removed));
    };
    if (index.entries.holdsPositionIn(near, run->to) ||
        index.entries.holdsPositionIn(s.pos + 1, s.pos + s.removed) || inside(index.modelLenPos) ||
        inside(index.gesamtLaengeScriptPos) || inside(index.initSectionLengthPos) ||
        !otherScriptsApart(old, index, *around, *run))
        return std::nullopt;
    return ScriptSplice{around->entry, run->to, run->delta};
}

void moveIndex(SceneIndex& index, const ScriptSplice& splice, ByteView now) {
    index.entries.movePositions(splice.movedFrom, splice.delta);
    auto move = [&](std::optional<std::uint32_t>& p) {
        if (p && *p >= splice.movedFrom)
            p = static_cast<std::uint32_t>(static_cast<std::int64_t>(*p) + splice.delta);
    };
    move(index.modelLenPos);
    move(index.gesamtLaengeScriptPos);
    move(index.initSectionLengthPos);
    if (index.gesamtLaengeScriptPos)
        index.definitionsLength = now.u32(*index.gesamtLaengeScriptPos);
    if (index.initSectionLengthPos)
        index.initSectionLength = now.u32(*index.initSectionLengthPos);
    index.fileLength = now.size();
}

std::optional<SceneIndex> spliceSceneIndex(ByteView old, const SceneIndex& oldIndex,
                                           const Edit& edit, ByteView newBytes) {
    const auto splice = findScriptSplice(old, oldIndex, edit, newBytes);
    if (!splice)
        return std::nullopt;
    SceneIndex moved = oldIndex;
    moveIndex(moved, *splice, newBytes);
    return moved;
}
