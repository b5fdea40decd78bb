#pragma once
// Shared by the insertion and deletion tests: a generated scene, the checks
// the edit layer runs, and fields that pass the insert window's checks.
#include <optional>
#include <string>
#include <vector>

#include "insert_fields.h"
#include "insert_plan.h"
#include "sample_insert_fields.h"
#include "scene_edit.h"
#include "scene_generator.h"
#include "scene_index.h"
#include "scene_verify.h"

using Bytes = std::vector<std::uint8_t>;

inline ByteView view(const Bytes& b) {
    return ByteView(b.data(), b.size());
}

inline std::uint32_t u32At(const Bytes& b, std::size_t at) {
    return *view(b).u32(at);
}

// Bytes written out in hexadecimal, blanks between them ignored.
inline Bytes hex(const std::string& text) {
    Bytes b;
    for (std::size_t i = 0; i + 1 < text.size();) {
        if (text[i] == ' ') {
            ++i;
            continue;
        }
        b.push_back(static_cast<std::uint8_t>(std::stoi(text.substr(i, 2), nullptr, 16)));
        i += 2;
    }
    return b;
}

inline Bytes operator+(Bytes a, const std::string& text) {
    a.insert(a.end(), text.begin(), text.end());
    return a;
}

inline Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

inline GeneratedScene sampleScene(std::uint32_t seed = 7, std::size_t objects = 40) {
    GeneratorOptions o;
    o.seed = seed;
    o.objectCount = objects;
    return generateScene(o);
}

inline InsertFields fieldsFor(const std::string& category, const std::string& name) {
    return sampleInsertFields(category, name);
}

struct Inserted {
    InsertValues values;
    InsertPlan plan;
    Bytes after;
    EditCheck check;
};

// Checks the fields, plans, applies and runs the edit layer's read-back check.
inline Inserted insertInto(const Bytes& before, const InsertFields& fields) {
    const SceneIndex index = buildSceneIndex(view(before));
    Inserted out;
    const InsertCheck checked = checkInsertFields(fields, index, '.');
    if (!checked.values)
        throw std::runtime_error("refused: " + checked.refusal.title + ": " + checked.refusal.text);
    out.values = *checked.values;
    auto planned = planInsert(view(before), index, out.values);
    if (!planned.plan)
        throw std::runtime_error("not planned: " + planned.error);
    out.plan = std::move(*planned.plan);
    out.after = applyEdit(view(before), out.plan.edit);
    out.check = checkEdit(view(before), index, out.plan.edit, view(out.after), out.plan.expect);
    return out;
}
