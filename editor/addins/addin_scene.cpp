#include "addin_scene.h"

#include <algorithm>
#include <set>
#include <string_view>

#include "chunk_ids.h"

namespace {
std::uint8_t foldCp1252(std::uint8_t c) {
    if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7))
        return static_cast<std::uint8_t>(c + 0x20);
    if (c == 0x8A || c == 0x8C || c == 0x8E)
        return static_cast<std::uint8_t>(c + 0x10); // Š Œ Ž
    if (c == 0x9F)
        return 0xFF; // Ÿ
    return c;
}

// The records of `bytes`, which must be tiled exactly by chunks of `id`.
std::optional<std::string> checkTiled(ByteView bytes, std::uint16_t id, const char* what,
                                      std::vector<std::uint64_t>& starts) {
    for (std::uint64_t p = 0; p < bytes.size();) {
        const auto got = bytes.u16(p);
        const auto len = bytes.u32(p + 2);
        if (!got || !len || *got != id || *len < chunk::HeaderSize || *len > bytes.size() - p)
            return std::string("The add-in's ") + what + " are not whole records (at byte " +
                   std::to_string(p) + " of them).";
        starts.push_back(p);
        p += *len;
    }
    return std::nullopt;
}

// The names the definition records carry (0xAE23 children).
std::vector<std::string> definitionNames(ByteView defs, const std::vector<std::uint64_t>& starts) {
    std::vector<std::string> names;
    for (std::uint64_t s : starts) {
        const std::uint64_t end = s + defs.u32At(s + 2);
        for (std::uint64_t c = s + chunk::HeaderSize; c + chunk::HeaderSize <= end;) {
            const std::uint32_t len = defs.u32At(c + 2);
            if (len < chunk::HeaderSize || len > end - c)
                break;
            if (defs.u16At(c) == chunk::DefinitionName && len >= 7)
                names.emplace_back(defs.text(c + chunk::HeaderSize, len - 7));
            c += len;
        }
    }
    return names;
}

// The records alone in a scene of their own: how they read without the
// mission around them.
std::vector<std::uint8_t> standaloneScene(ByteView objects, ByteView definitions) {
    std::vector<std::uint8_t> b;
    auto u16 = [&](std::uint16_t v) {
        b.push_back(static_cast<std::uint8_t>(v));
        b.push_back(static_cast<std::uint8_t>(v >> 8));
    };
    auto u32 = [&](std::uint64_t v) {
        for (int i = 0; i < 4; ++i)
            b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    };
    const std::uint64_t total = 3 * chunk::HeaderSize + objects.size() + definitions.size();
    u16(0x4C4D);
    u32(total);
    u16(chunk::Objects);
    u32(chunk::HeaderSize + objects.size());
    b.insert(b.end(), objects.data(), objects.data() + objects.size());
    u16(chunk::Definitions);
    u32(chunk::HeaderSize + definitions.size());
    b.insert(b.end(), definitions.data(), definitions.data() + definitions.size());
    return b;
}

SceneInsertionPlan refused(std::string why) {
    SceneInsertionPlan p;
    p.error = std::move(why);
    return p;
}
} // namespace

std::optional<std::uint64_t> objectsSectionEnd(ByteView scene, const SceneIndex& index) {
    if (!index.modelLenPos)
        return std::nullopt;
    const auto lo = scene.u32(*index.modelLenPos);
    if (!lo)
        return std::nullopt;
    const std::uint64_t e = std::uint64_t(*index.modelLenPos) - 2 + *lo;
    if (e > scene.size())
        return std::nullopt;
    return e;
}

bool containsKeyNoCase(ByteView scene, std::uint64_t from, std::string_view key) {
    if (from > scene.size())
        return false;
    if (key.empty())
        return true;
    const std::uint8_t* begin = scene.data() + from;
    const std::uint8_t* end = scene.data() + scene.size();
    return std::search(begin, end, key.begin(), key.end(), [](std::uint8_t a, char b) {
               return foldCp1252(a) == foldCp1252(static_cast<std::uint8_t>(b));
           }) != end;
}

SceneInsertionPlan planSceneInsertion(ByteView scene, const SceneIndex& index, ByteView objects,
                                      ByteView definitions) {
    const auto e = objectsSectionEnd(scene, index);
    if (!e)
        return refused("The scene has no objects section within the file.");
    std::vector<std::uint64_t> objectStarts;
    std::vector<std::uint64_t> definitionStarts;
    if (auto bad = checkTiled(objects, chunk::ObjectRecord, "object records", objectStarts))
        return refused(*bad);
    if (auto bad = checkTiled(definitions, chunk::DefinitionRecord, "definition records",
                              definitionStarts))
        return refused(*bad);

    SceneInsertion ins;
    std::vector<std::uint64_t> covering = {0, *index.modelLenPos - 2};
    if (objects.size() > 0)
        ins.edit.splices.push_back({*e, 0, {objects.data(), objects.data() + objects.size()}});
    if (definitions.size() > 0) {
        // The definitions are taken to follow the objects section directly.
        if (!index.gesamtLaengeScriptPos || *index.gesamtLaengeScriptPos != *e + 2)
            return refused("The definitions section does not follow the objects section.");
        const auto ld = scene.u32(*e + 2);
        if (!ld || *ld < chunk::HeaderSize || *ld > scene.size() - *e)
            return refused("The definitions section's length leaves the file.");
        ins.edit.splices.push_back(
            {*e + *ld, 0, {definitions.data(), definitions.data() + definitions.size()}});
        covering.push_back(*e);
    }
    if (auto bad = coverWithChunks(scene, ins.edit, covering))
        return refused(*bad);

    const std::vector<std::uint8_t> alone = standaloneScene(objects, definitions);
    const SceneIndex aloneIndex = buildSceneIndex(ByteView(alone.data(), alone.size()));
    const std::size_t oldObjects =
        index.hasInitSection ? static_cast<std::size_t>(std::clamp<std::int64_t>(
                                   index.merkePosGameInit, 0, std::int64_t(index.entries.size())))
                             : index.entries.size();
    std::set<std::string> existing;
    for (std::size_t i = 0; i < index.entries.size(); ++i)
        existing.emplace(index.entries.name(i));
    for (std::size_t i = 0; i < aloneIndex.entries.size(); ++i) {
        const IndexRecord& added = aloneIndex.entries[i];
        if (existing.count(added.name))
            return refused("The add-in's object \"" + added.name +
                           "\" has the name of an entry the scene has already.");
        ins.expect.addedEntries.emplace_back(oldObjects + i, added);
    }
    // A definition for an object the scene has already may now belong to it.
    for (const std::string& name : definitionNames(definitions, definitionStarts)) {
        const std::string_view stem = std::string_view(name).substr(0, name.find('.'));
        for (std::size_t i = 0; i < index.entries.size(); ++i)
            if (index.entries.name(i) == name || index.entries.name(i) == stem)
                ins.expect.mayChange.push_back(i);
    }

    std::vector<std::uint8_t> after = applyEdit(scene, ins.edit);
    const EditCheck check =
        checkEdit(scene, index, ins.edit, ByteView(after.data(), after.size()), ins.expect);
    if (!check.ok)
        return refused(check.why);
    SceneInsertionPlan out;
    out.insertion = std::move(ins);
    return out;
}
