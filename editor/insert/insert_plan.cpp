#include "insert_plan.h"

#include <algorithm>
#include <bit>
#include <unordered_set>

#include "chunk_ids.h"
#include "definition_names.h"
#include "insert_record.h"
#include "record_templates.h"
#include "text_search.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// The objects of VINCP1 in file order, and whether VINCP2 gives each a script
// the index finds.
struct PreparedObject {
    std::string_view name;
    bool scripted;
};
constexpr PreparedObject PreparedObjects[] = {
    {"vinc detec1", true}, {"vinc detec2", true}, {"vinc_pos1", false}, {"vinc_pos2", false},
    {"shotgun", false},    {"pos_tom", false},    {"2bbat1", false},    {"2bbat2", false},
    {"2cvinc", false},     {"2cvinc2", false},
};
// The definition names of VINCP2 in file order.
constexpr std::string_view PreparedDefinitions[] = {
    "vinc detec1", "vinc detec2", "vinc_pos1", "vinc_pos2", "pos_tom",
    "2bbat1",      "2bbat2",      "2cvinc",    "2cvinc2",
};

template <std::size_t N> std::array<StoredFloat, N> stored(const std::array<float, N>& v) {
    std::array<StoredFloat, N> out;
    for (std::size_t i = 0; i < N; ++i)
        out[i] = StoredFloat::fromValue(v[i]);
    return out;
}

// What the new object reads back as from its object record alone.
IndexRecord objectReading(const InsertValues& v) {
    IndexRecord r;
    r.name = v.name;
    r.translation = stored(v.translation);
    r.size = stored(v.size);
    if (v.category == InsertCategory::Light) {
        std::array<StoredFloat, 4> q;
        for (int i = 0; i < 4; ++i)
            q[i].bits = LightRotationBits[i];
        r.rotation = q;
        r.lightKind = v.lightKind;
        r.brightness = StoredFloat::fromValue(v.brightness);
        r.colour = stored(v.colour);
    } else {
        r.rotation = stored(v.rotation);
    }
    if (v.category != InsertCategory::Light && v.category != InsertCategory::Other &&
        containsNoCase(v.model, ".i3d"))
        r.model = v.model;
    return r;
}

// Adds what the new object's own definition record makes of it.
void addDefinitionReading(const InsertValues& v, IndexRecord& r) {
    switch (v.category) {
    case InsertCategory::Human:
        r.ticked = true; // the template's script
        r.behaviour = v.behaviour;
        r.sex = v.sex;
        r.aggression = StoredFloat::fromValue(v.aggression);
        r.weight = StoredFloat::fromValue(v.humanWeight);
        break;
    case InsertCategory::Things:
        r.weight = StoredFloat::fromValue(v.thingWeight);
        r.sound = static_cast<std::uint8_t>(v.thingSound);
        break;
    case InsertCategory::Door:
        r.material = static_cast<std::uint8_t>(v.doorSound);
        break;
    case InsertCategory::Uwall:
        r.material = 1;
        break;
    case InsertCategory::Other:
        r.ticked = true; // "//////////"
        break;
    default:
        break;
    }
}

std::size_t objectCount(const SceneIndex& index) {
    std::size_t n = 0;
    for (std::size_t i = 0; i < index.entries.size(); ++i)
        if (index.entries.recordPos(i))
            ++n;
    return n;
}

InsertPlanResult refuse(std::string why) {
    InsertPlanResult r;
    r.error = std::move(why);
    return r;
}

// A section chunk of `id` whose length field lies at `lengthPos`: its start.
std::optional<std::uint64_t> sectionAt(ByteView f, std::optional<std::uint32_t> lengthPos,
                                       std::uint16_t id) {
    if (!lengthPos || *lengthPos < 2)
        return std::nullopt;
    const std::uint64_t start = *lengthPos - 2;
    const auto len = f.u32(start + 2);
    if (f.u16(start) != id || !len || *len < chunk::HeaderSize || start + *len > f.size())
        return std::nullopt;
    return start;
}

} // namespace

InsertPlanResult planInsert(ByteView f, const SceneIndex& index, const InsertValues& v) {
    const auto objects = sectionAt(f, index.modelLenPos, chunk::Objects);
    if (!objects)
        return refuse("The file has no objects section that could take the object.");
    const Bytes definition = buildDefinitionRecord(v);
    const auto definitions = sectionAt(f, index.gesamtLaengeScriptPos, chunk::Definitions);
    if (!definition.empty() && !definitions)
        return refuse("The file has no definitions section that could take the object's "
                      "definition.");

    InsertPlan plan;
    Splice objectSplice{*objects + *f.u32(*objects + 2), 0, buildObjectRecord(v)};
    if (v.special()) {
        const auto extra = findTemplate("VINCP1");
        objectSplice.inserted.insert(objectSplice.inserted.end(), extra->begin(), extra->end());
    }
    plan.edit.splices.push_back(std::move(objectSplice));
    std::vector<std::uint64_t> covering{0, *objects};
    if (!definition.empty()) {
        Splice defSplice{*definitions + *f.u32(*definitions + 2), 0, definition};
        if (v.special()) {
            const auto extra = findTemplate("VINCP2");
            defSplice.inserted.insert(defSplice.inserted.end(), extra->begin(), extra->end());
        }
        if (defSplice.pos < plan.edit.splices.front().pos)
            return refuse("The definitions section lies before the objects section.");
        plan.edit.splices.push_back(std::move(defSplice));
        covering.push_back(*definitions);
    }
    if (auto why = coverWithChunks(f, plan.edit, covering))
        return refuse(*why);

    // The entries the edit adds, in List2 order after the old objects.
    const std::size_t first = objectCount(index);
    plan.newEntry = first;
    std::vector<IndexRecord> added{objectReading(v)};
    if (v.special())
        for (const PreparedObject& o : PreparedObjects) {
            IndexRecord r;
            r.name = o.name;
            added.push_back(std::move(r));
        }

    // A definition attaches to the first entry named like it: an old entry of
    // that name takes it from the new object, and an old definition that no
    // old entry took may now attach to a new object.
    std::unordered_set<std::string_view> oldNames;
    for (std::size_t i = 0; i < first; ++i)
        oldNames.insert(index.entries.name(i));
    auto oldOwner = [&](std::string_view def) -> std::optional<std::size_t> {
        for (std::size_t i = 0; i < first; ++i)
            if (definitionMatches(def, index.entries.name(i)))
                return i;
        return std::nullopt;
    };
    auto takenByOld = [&](std::string_view def) {
        const auto dot = def.find('.');
        return oldNames.count(def) ||
               (dot != std::string_view::npos && oldNames.count(def.substr(0, dot)));
    };
    std::vector<bool> uncertain(added.size(), false);
    auto newOwner = [&](std::string_view def) -> std::optional<std::size_t> {
        for (std::size_t k = 0; k < added.size(); ++k)
            if (definitionMatches(def, added[k].name))
                return k;
        return std::nullopt;
    };
    if (!definition.empty()) {
        if (takenByOld(v.name))
            plan.expect.mayChange.push_back(*oldOwner(v.name));
        else if (newOwner(v.name) == std::size_t{0})
            addDefinitionReading(v, added[0]);
        if (v.special())
            for (std::string_view def : PreparedDefinitions) {
                if (takenByOld(def)) {
                    plan.expect.mayChange.push_back(*oldOwner(def));
                } else if (auto k = newOwner(def)) {
                    for (const PreparedObject& o : PreparedObjects)
                        if (o.name == def && added[*k].name == def)
                            added[*k].ticked = o.scripted;
                }
            }
    }
    for (const std::string& def : definitionNames(f, index)) {
        if (takenByOld(def))
            continue;
        if (auto k = newOwner(def))
            uncertain[*k] = true;
    }
    for (std::size_t k = 0; k < added.size(); ++k) {
        if (uncertain[k]) {
            // Only the object record's own values are certain; the tick comes
            // from whichever definitions the scan attaches.
            IndexRecord r = k == 0 ? objectReading(v) : IndexRecord{};
            r.name = added[k].name;
            added[k] = std::move(r);
        }
    }
    if (std::find(uncertain.begin(), uncertain.end(), true) != uncertain.end()) {
        const Bytes trial = applyEdit(f, plan.edit);
        const SceneIndex after = buildSceneIndex(ByteView(trial.data(), trial.size()));
        for (std::size_t k = 0; k < added.size(); ++k)
            if (uncertain[k] && first + k < after.entries.size())
                added[k].ticked = after.entries[first + k].ticked;
    }
    for (std::size_t k = 0; k < added.size(); ++k)
        plan.expect.addedEntries.emplace_back(first + k, std::move(added[k]));
    return {std::move(plan), {}};
}

InsertOutcome insertObjectFile(const std::string& path, ByteView indexed, const SceneIndex& index,
                               const InsertValues& values) {
    InsertOutcome out;
    InsertPlanResult planned = planInsert(indexed, index, values);
    if (!planned.plan) {
        out.written.error = planned.error;
        return out;
    }
    out.newEntry = planned.plan->newEntry;
    out.written = commitEdit(path, indexed, index, planned.plan->edit, planned.plan->expect);
    return out;
}
