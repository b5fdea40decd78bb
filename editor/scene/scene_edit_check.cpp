#include <algorithm>
#include <set>

#include "chunk_ids.h"
#include "edit_commit.h"
#include "scene_edit.h"
#include "scene_verify.h"
#include "script_text.h"

namespace {
// Compares the value fields of two records (positions are compared apart).
// `expectedOnly`: compare only the fields `want` holds.
std::optional<std::string> valuesDiffer(const IndexRecord& want, const IndexRecord& got,
                                        bool expectedOnly) {
#define QS_FIELD(f, label)                                                                         \
    if ((!expectedOnly || want.f) && want.f != got.f)                                              \
        return std::string(label);
    QS_FIELD(model, "model")
    QS_FIELD(translation, "translation")
    QS_FIELD(rotation, "rotation")
    QS_FIELD(size, "size")
    QS_FIELD(lightKind, "light kind")
    QS_FIELD(brightness, "brightness")
    QS_FIELD(colour, "colour")
    QS_FIELD(material, "material")
    QS_FIELD(weight, "weight")
    QS_FIELD(sound, "sound")
    QS_FIELD(behaviour, "behaviour")
    QS_FIELD(sex, "sex")
    QS_FIELD(aggression, "aggression")
#undef QS_FIELD
    if (want.name != got.name)
        return std::string("name");
    if (want.ticked != got.ticked)
        return std::string("script tick");
    if (want.nameOnly != got.nameOnly)
        return std::string("listing");
    if (!expectedOnly && want.kind != got.kind)
        return std::string("kind");
    return std::nullopt;
}

std::optional<std::string> positionsDiffer(const PositionMap& map, const IndexRecord& before,
                                           const IndexRecord& after) {
    auto moved = [&](const std::optional<std::uint32_t>& p) -> std::optional<std::uint64_t> {
        if (!p)
            return std::nullopt;
        return map(*p);
    };
    auto same = [&](const std::optional<std::uint32_t>& a, const std::optional<std::uint32_t>& b) {
        const auto m = moved(a);
        return m.has_value() == b.has_value() && (!m || *m == *b);
    };
    if (!same(before.recordPos, after.recordPos) ||
        !same(before.translationPos, after.translationPos) ||
        !same(before.brightnessPos, after.brightnessPos) ||
        !same(before.colourPos, after.colourPos) || !same(before.weightPos, after.weightPos) ||
        !same(before.soundPos, after.soundPos) || !same(before.behaviourPos, after.behaviourPos) ||
        !same(before.aggressionPos, after.aggressionPos) ||
        !same(before.definitionPos, after.definitionPos) ||
        !same(before.dataChunkPos, after.dataChunkPos) || !same(before.scriptPos, after.scriptPos))
        return std::string("position");
    return std::nullopt;
}

// The payloads of the fixed-length value chunks and value fields the index
// read for some entry: bytes the whole-file check never reads as structure.
// An edit that keeps every length and only overwrites such bytes leaves that
// check's verdict as it was, so it need not run again over the whole file.
bool onlyValuePayloads(const SceneIndex& index, const Edit& edit) {
    if (!edit.keepsLength())
        return false;
    // The value ranges [from, to), ordered by start; a splice lies in one of
    // them when the ranges that start at or before it reach far enough.
    std::vector<std::pair<std::uint64_t, std::uint64_t>> ranges;
    auto add = [&](Pos32 at, std::uint64_t offset, std::uint64_t length) {
        if (at)
            ranges.emplace_back(*at + offset, *at + offset + length);
    };
    const EntryTable& entries = index.entries;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (const entry_store::Body* b = entries.body(i)) {
            add(b->translationPos, 0, 12);
            add(b->translationPos, placement::Rotation, 16);
            add(b->translationPos, placement::Size, 12);
            add(b->brightnessPos, 0, 4);
            add(b->colourPos, 0, 12);
        }
        if (const entry_store::Definition* d = entries.definition(i)) {
            add(d->weightPos, 0, 4);
            add(d->soundPos, 0, 4);
            add(d->behaviourPos, 0, 1);
            add(d->behaviourPos, 4, 1);
            add(d->aggressionPos, 0, 4);
        }
    }
    std::sort(ranges.begin(), ranges.end());
    std::vector<std::uint64_t> reach(ranges.size()); // the furthest end of ranges [0, i]
    for (std::size_t i = 0; i < ranges.size(); ++i)
        reach[i] = std::max(ranges[i].second, i ? reach[i - 1] : 0);
    for (const Splice& s : edit.splices) {
        const auto k = static_cast<std::size_t>(
            std::upper_bound(ranges.begin(), ranges.end(), s.pos,
                             [](std::uint64_t p, const auto& r) { return p < r.first; }) -
            ranges.begin());
        if (k == 0 || s.pos + s.removed > reach[k - 1])
            return false;
    }
    return true;
}

EditCheck refuse(std::string why) {
    EditCheck c;
    c.why = std::move(why);
    return c;
}

std::string entryLabel(const IndexRecord& r, std::size_t i) {
    return "entry " + std::to_string(i) + " (" + r.name + ")";
}

// The script's bytes where they lie, without a copy: 20 MB of scripts are
// compared on every save.
std::optional<std::string_view> scriptText(ByteView file, const SceneIndex& index,
                                           std::size_t entry) {
    const auto span = locateScript(file, index, entry);
    if (!span)
        return std::nullopt;
    return file.text(span->textPos, span->textLength);
}

std::optional<std::string> scriptReadBack(ByteView newBytes, const SceneIndex& newIndex,
                                          std::size_t newAt, const std::string& want,
                                          const IndexRecord& before, std::size_t i) {
    const auto got = readScript(newBytes, newIndex, newAt);
    if (got && *got == want)
        return std::nullopt;
    return "After saving, the script of " + entryLabel(before, i) +
           " would not be found again as saved" +
           (got ? std::string(" (the file would give back other text)")
                : std::string(" (the entry would lose its script)")) +
           ". Object scripts must start with four printable characters or a line break; "
           "init scripts with a printable character.";
}
} // namespace

std::optional<std::string> validateEdit(ByteView old, const Edit& edit) {
    std::uint64_t prevEnd = 0;
    for (const Splice& s : edit.splices) {
        if (s.pos < prevEnd || !old.has(s.pos, s.removed))
            return "The change does not lie within the file.";
        prevEnd = s.pos + s.removed;
    }
    // Ordered and disjoint, the splices' ends ascend too: the first splice
    // that ends after a field's first byte is the only one that can reach it.
    const auto& splices = edit.splices;
    for (const LengthFieldChange& f : edit.lengthFields) {
        const auto v = old.u32(f.pos);
        if (!v)
            return "A length field of the change lies outside the file.";
        const auto s = std::partition_point(splices.begin(), splices.end(), [&](const Splice& x) {
            return x.pos + x.removed <= f.pos;
        });
        if (s != splices.end() && s->pos < f.pos + 4)
            return "A length field of the change lies in bytes the change replaces.";
        const std::int64_t moved = static_cast<std::int64_t>(*v) + f.delta;
        if (moved < 0 || moved > 0xFFFFFFFFll)
            return "The change does not fit the file's length fields.";
    }
    return std::nullopt;
}

namespace {
// The check of an edit that only rewrites the text of the script it names:
// every other entry reads back as it was with its positions moved, and the
// whole-file verdict stands, so only that script's read-back is left to make.
std::optional<EditCheck> checkScriptSplice(ByteView old, const SceneIndex& oldIndex,
                                           const Edit& edit, ByteView newBytes,
                                           const EditExpectation& expect) {
    if (!expect.removedEntries.empty() || !expect.addedEntries.empty() || !expect.records.empty() ||
        !expect.mayChange.empty() || expect.scripts.size() != 1)
        return std::nullopt;
    const auto splice = findScriptSplice(old, oldIndex, edit, newBytes);
    const auto& [entry, text] = expect.scripts.front();
    if (!splice || splice->entry != entry)
        return std::nullopt;
    EditCheck out;
    out.newIndex = oldIndex;
    moveIndex(out.newIndex, *splice, newBytes);
    if (auto why =
            scriptReadBack(newBytes, out.newIndex, entry, text, oldIndex.entries[entry], entry))
        return refuse(*why);
    out.ok = true;
    return out;
}
} // namespace

EditCheck checkEdit(ByteView old, const SceneIndex& oldIndex, const Edit& edit, ByteView newBytes,
                    const EditExpectation& expect) {
    if (auto bad = validateEdit(old, edit))
        return refuse(*bad);
    if (auto quick = checkScriptSplice(old, oldIndex, edit, newBytes, expect))
        return std::move(*quick);
    return checkEditWhole(old, oldIndex, edit, newBytes, expect);
}

EditCheck checkEditWhole(ByteView old, const SceneIndex& oldIndex, const Edit& edit,
                         ByteView newBytes, const EditExpectation& expect) {
    if (auto bad = validateEdit(old, edit))
        return refuse(*bad);

    EditCheck out;
    out.newIndex = buildSceneIndex(newBytes);
    const auto& before = oldIndex.entries;
    const auto& after = out.newIndex.entries;

    const std::set<std::size_t> removed(expect.removedEntries.begin(), expect.removedEntries.end());
    std::set<std::size_t> added;
    for (const auto& a : expect.addedEntries)
        added.insert(a.first);
    if (after.size() + removed.size() != before.size() + added.size())
        return refuse("After the change the file would list " + std::to_string(after.size()) +
                      " entries instead of " +
                      std::to_string(before.size() - removed.size() + added.size()) + ".");

    for (const auto& [j, want] : expect.addedEntries) {
        if (j >= after.size())
            return refuse("The new entry would not be found in the file.");
        if (auto d = valuesDiffer(want, after[j], true))
            return refuse("The new entry " + want.name + " would not read back as written (" + *d +
                          ").");
    }

    std::vector<std::pair<std::size_t, IndexRecord>> records = expect.records;
    std::sort(records.begin(), records.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    const std::set<std::size_t> mayChange(expect.mayChange.begin(), expect.mayChange.end());
    // The expected scripts by entry; of two for one entry, the first given counts.
    std::vector<const std::pair<std::size_t, std::string>*> scripts;
    scripts.reserve(expect.scripts.size());
    for (const auto& sc : expect.scripts)
        scripts.push_back(&sc);
    std::stable_sort(scripts.begin(), scripts.end(),
                     [](const auto* a, const auto* b) { return a->first < b->first; });
    const PositionMap moved(edit);

    std::size_t j = 0;
    for (std::size_t i = 0; i < before.size(); ++i) {
        if (removed.count(i))
            continue;
        while (added.count(j))
            ++j;
        const std::size_t newAt = j++;
        if (mayChange.count(i))
            continue;
        const IndexRecord was = before[i];
        const IndexRecord now = after[newAt];
        const auto sit =
            std::lower_bound(scripts.begin(), scripts.end(), i,
                             [](const auto* s, std::size_t e) { return s->first < e; });
        const bool scriptExpected = sit != scripts.end() && (*sit)->first == i;
        if (scriptExpected) {
            if (auto why = scriptReadBack(newBytes, out.newIndex, newAt, (*sit)->second, was, i))
                return refuse(*why);
        }
        if (isInitScriptEntry(oldIndex, i) != isInitScriptEntry(out.newIndex, newAt))
            return refuse("After the change " + entryLabel(was, i) +
                          " would be listed on the other side of the init scripts.");
        const IndexRecord* want = &was;
        const auto it = std::lower_bound(records.begin(), records.end(), i,
                                         [](const auto& r, std::size_t e) { return r.first < e; });
        if (it != records.end() && it->first == i)
            want = &it->second;
        if (auto d = valuesDiffer(*want, now, false))
            return refuse("After the change " + entryLabel(was, i) +
                          " would read back with another " + *d + ".");
        if (auto d = positionsDiffer(moved, was, now))
            return refuse("After the change " + entryLabel(was, i) +
                          " would no longer be found where it belongs.");
        if (!scriptExpected &&
            scriptText(newBytes, out.newIndex, newAt) != scriptText(old, oldIndex, i)) {
            return refuse("After the change the script of " + entryLabel(was, i) +
                          " would read back differently.");
        }
    }

    auto sectionMoved = [&](const std::optional<std::uint32_t>& a,
                            const std::optional<std::uint32_t>& b) {
        return a.has_value() != b.has_value() || (a && moved(*a) != *b);
    };
    if (oldIndex.hasInitSection != out.newIndex.hasInitSection ||
        sectionMoved(oldIndex.modelLenPos, out.newIndex.modelLenPos) ||
        sectionMoved(oldIndex.gesamtLaengeScriptPos, out.newIndex.gesamtLaengeScriptPos) ||
        sectionMoved(oldIndex.initSectionLengthPos, out.newIndex.initSectionLengthPos))
        return refuse("After the change a section of the file would no longer be found where it "
                      "belongs.");

    if (auto lost = consistencyLost(old, oldIndex, edit, newBytes, out.newIndex))
        return refuse(*lost);
    out.ok = true;
    return out;
}

std::optional<std::string> consistencyLost(ByteView old, const SceneIndex& oldIndex,
                                           const Edit& edit, ByteView newBytes,
                                           const SceneIndex& newIndex) {
    if (onlyValuePayloads(oldIndex, edit))
        return std::nullopt;
    // The old bytes are checked only when the new ones fail: a file that was
    // inconsistent before may stay so, one that was consistent must stay so.
    if (const VerifyReport r = verifyScene(newBytes, newIndex);
        !r.ok() && verifyScene(old, oldIndex).ok())
        return "After the change the file would no longer be consistent: " +
               r.problems.front().what + " at offset " + std::to_string(r.problems.front().offset) +
               ".";
    return std::nullopt;
}
