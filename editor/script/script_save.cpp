#include "script_save.h"

#include <algorithm>

#include "script_text.h"

namespace {
constexpr std::uint64_t kU32Max = 0xFFFFFFFFu;
constexpr std::uint64_t kMissing = ~std::uint64_t{0};

struct LengthField {
    std::uint64_t pos;
    std::uint32_t value;
};

ScriptSaveResult refuse(std::string why) {
    return ScriptSaveResult{std::nullopt, std::move(why)};
}

// The length fields that cover the script, each checked to enclose its text.
std::optional<std::vector<LengthField>> coveringFields(ByteView f, const SceneIndex& index,
                                                       const IndexRecord& rec, const ScriptSpan& s,
                                                       std::string& why) {
    const std::uint64_t textEnd = s.textPos + s.textLength;
    std::vector<LengthField> fields;
    // The length field of a chunk must reach at least to `end` (or exactly to it,
    // for the chunks the script closes).
    // Positions are the chunk start; kMissing when the index has none.
    auto add = [&](std::uint64_t chunkPos, std::uint64_t end, bool exact, const char* what) {
        const std::uint64_t at = chunkPos + 2;
        const auto v = chunkPos == kMissing ? std::nullopt : f.u32(at);
        if (!v || at < 2 || at >= s.textPos) {
            why = std::string("The ") + what + " of the script cannot be found.";
            return false;
        }
        const std::uint64_t chunkEnd = at - 2 + *v;
        if (exact ? chunkEnd != end : chunkEnd < end) {
            why = std::string("The ") + what + " does not enclose the script as it should.";
            return false;
        }
        fields.push_back({at, *v});
        return true;
    };
    auto chunkAt = [](const std::optional<std::uint32_t>& lengthOrChunk, std::uint64_t back) {
        return lengthOrChunk ? std::uint64_t{*lengthOrChunk} - back : kMissing;
    };
    if (!add(0, textEnd, false, "file header"))
        return std::nullopt;
    const std::uint64_t R = chunkAt(rec.definitionPos, 0);
    if (s.initScript) {
        if (!add(chunkAt(index.initSectionLengthPos, 2), textEnd, false,
                 "init-script section length") ||
            !add(R, textEnd, true, "init-script record"))
            return std::nullopt;
    } else {
        const std::uint64_t C = chunkAt(rec.dataChunkPos, 0);
        if (!add(chunkAt(index.gesamtLaengeScriptPos, 2), textEnd, false,
                 "definitions section length") ||
            !add(R, textEnd, true, "definition record") ||
            !add(C, textEnd, true, "script's data chunk"))
            return std::nullopt;
        // The script's own u32 length: locateScript read the text length from it.
        fields.push_back({*rec.scriptPos, static_cast<std::uint32_t>(s.textLength)});
    }
    return fields;
}
} // namespace

std::vector<InPlaceWrite> changedRuns(std::string_view oldBytes, std::string_view newBytes,
                                      std::uint64_t base) {
    std::vector<InPlaceWrite> out;
    std::size_t i = 0;
    const std::size_t n = std::min(oldBytes.size(), newBytes.size());
    while (i < n) {
        if (oldBytes[i] == newBytes[i]) {
            ++i;
            continue;
        }
        std::size_t j = i;
        while (j < n && oldBytes[j] != newBytes[j])
            ++j;
        InPlaceWrite w;
        w.pos = base + i;
        w.bytes.assign(newBytes.begin() + static_cast<std::ptrdiff_t>(i),
                       newBytes.begin() + static_cast<std::ptrdiff_t>(j));
        out.push_back(std::move(w));
        i = j;
    }
    return out;
}

ScriptSaveResult planScriptSave(ByteView file, const SceneIndex& index, std::size_t entry,
                                std::string_view newText, std::uint64_t loadedLength) {
    const auto span = locateScript(file, index, entry);
    if (!span)
        return refuse("The entry has no script in the file.");
    if (span->textLength != loadedLength)
        return refuse("The script in the file is not the one that was loaded.");

    ScriptSavePlan plan;
    plan.lengthChange =
        static_cast<std::int64_t>(newText.size()) - static_cast<std::int64_t>(loadedLength);
    plan.sameLength = plan.lengthChange == 0;
    plan.edit.splices.push_back({span->textPos, span->textLength,
                                 std::vector<std::uint8_t>(newText.begin(), newText.end())});
    plan.expect.scripts.emplace_back(entry, std::string(newText));
    if (plan.sameLength)
        return ScriptSaveResult{std::move(plan), {}};

    std::string why;
    const auto fields = coveringFields(file, index, index.entries[entry], *span, why);
    if (!fields)
        return refuse(why);
    for (const auto& fld : *fields) {
        const std::int64_t v = static_cast<std::int64_t>(fld.value) + plan.lengthChange;
        if (v < 0 || static_cast<std::uint64_t>(v) > kU32Max)
            return refuse("The new script does not fit the file's length fields.");
        plan.edit.lengthFields.push_back({fld.pos, plan.lengthChange});
    }
    return ScriptSaveResult{std::move(plan), {}};
}

ScriptSaveResult planScriptSaves(ByteView file, const SceneIndex& index,
                                 const std::vector<std::pair<std::size_t, std::string>>& texts) {
    ScriptSavePlan all;
    all.sameLength = true;
    for (const auto& [entry, text] : texts) {
        const auto span = locateScript(file, index, entry);
        ScriptSaveResult one =
            planScriptSave(file, index, entry, text, span ? span->textLength : 0);
        if (!one.plan)
            return refuse("Entry " + std::to_string(entry) + " (" + index.entries[entry].name +
                          "): " + one.error);
        ScriptSavePlan& p = *one.plan;
        all.sameLength = all.sameLength && p.sameLength;
        all.lengthChange += p.lengthChange;
        for (Splice& sp : p.edit.splices)
            all.edit.splices.push_back(std::move(sp));
        all.edit.lengthFields.insert(all.edit.lengthFields.end(), p.edit.lengthFields.begin(),
                                     p.edit.lengthFields.end());
        all.expect.scripts.insert(all.expect.scripts.end(), p.expect.scripts.begin(),
                                  p.expect.scripts.end());
    }
    std::sort(all.edit.splices.begin(), all.edit.splices.end(),
              [](const Splice& a, const Splice& b) { return a.pos < b.pos; });
    return ScriptSaveResult{std::move(all), {}};
}
