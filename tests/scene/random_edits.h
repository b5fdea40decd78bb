#pragma once
// Random edits of every kind a writer plans, for the undo and redo tests: each
// planned from the bytes and index it is given, as the windows would.
#include <optional>
#include <random>
#include <string>
#include <variant>
#include <vector>

#include "insert_fields.h"
#include "insert_plan.h"
#include "sample_insert_fields.h"
#include "scene_delete.h"
#include "scene_edit.h"
#include "scene_generator.h"
#include "scene_index.h"
#include "script_save.h"
#include "script_text.h"
#include "value_save.h"

enum class EditKind { SameLengthScript, LongerScript, ShorterScript, Values, Insertion, Deletion };
inline constexpr EditKind kEditKinds[] = {EditKind::SameLengthScript, EditKind::LongerScript,
                                          EditKind::ShorterScript,    EditKind::Values,
                                          EditKind::Insertion,        EditKind::Deletion};

struct PlannedEdit {
    std::string caption;
    Edit edit;
    EditExpectation expect;
};

// Plans one edit of `kind` on a random entry of `b`; nothing when the scene
// offers no entry for it or the writer refuses.
inline std::optional<PlannedEdit> planRandomEdit(EditKind kind, const std::vector<std::uint8_t>& b,
                                                 const SceneIndex& index, std::mt19937& rng) {
    const ByteView v(b.data(), b.size());
    const std::size_t n = index.entries.size();
    const std::size_t entry = n ? rng() % n : 0;
    const std::string tag = std::to_string(rng() % 100000);
    auto scripted = [&]() -> std::optional<ScriptSaveResult> {
        const auto old = n ? readScript(v, index, entry) : std::nullopt;
        if (!old || old->size() < 8)
            return std::nullopt;
        std::string t = *old;
        if (kind == EditKind::SameLengthScript)
            t[4 + rng() % (t.size() - 4)] = t[4] == 'Q' ? 'R' : 'Q';
        else if (kind == EditKind::LongerScript)
            t += "wait " + tag + "\r\n";
        else
            t.resize(5 + rng() % (t.size() - 5));
        if (t == *old)
            return std::nullopt;
        return planScriptSave(v, index, entry, t, old->size());
    };
    switch (kind) {
    case EditKind::SameLengthScript:
    case EditKind::LongerScript:
    case EditKind::ShorterScript:
        if (auto r = scripted(); r && r->plan)
            return PlannedEdit{"script " + tag, r->plan->edit, r->plan->expect};
        return std::nullopt;
    case EditKind::Values: {
        if (!n)
            return std::nullopt;
        ValueSaveInput in;
        const std::string x = tag + ".25";
        in.translation = {{{x, readNumber(x, '.')},
                           {"-2", readNumber("-2", '.')},
                           {"0.5", readNumber("0.5", '.')}}};
        auto r = planValueSave(index, entry, in);
        if (auto* p = std::get_if<ValueSavePlan>(&r); p && !p->nothingToWrite)
            return PlannedEdit{"values " + tag, p->edit, p->expect};
        return std::nullopt;
    }
    case EditKind::Insertion: {
        static const char* const categories[] = {"human", "things", "light", "door", "building"};
        const InsertFields f = sampleInsertFields(categories[rng() % 5], "Neu" + tag);
        const InsertCheck checked = checkInsertFields(f, index, '.');
        if (!checked.values)
            return std::nullopt;
        auto r = planInsert(v, index, *checked.values);
        if (!r.plan)
            return std::nullopt;
        return PlannedEdit{"insert " + f.name, r.plan->edit, r.plan->expect};
    }
    case EditKind::Deletion: {
        if (!n || isInitScriptEntry(index, entry))
            return std::nullopt;
        auto r = planDelete(v, index, entry);
        if (!r.plan)
            return std::nullopt;
        return PlannedEdit{"delete " + index.entries[entry].name, r.plan->edit, r.plan->expect};
    }
    }
    return std::nullopt;
}

inline GeneratedScene smallScene(std::uint32_t seed) {
    GeneratorOptions o;
    o.seed = seed;
    o.objectCount = 10;
    return generateScene(o);
}
