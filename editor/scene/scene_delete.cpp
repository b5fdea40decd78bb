#include "scene_delete.h"

#include "chunk_ids.h"

namespace {

DeletePlanResult refuse(std::string why) {
    DeletePlanResult r;
    r.error = std::move(why);
    return r;
}

// The chunk of `id` at `pos` with its length, when it lies within the file.
std::optional<std::uint32_t> chunkAt(ByteView f, std::uint64_t pos, std::uint16_t id) {
    const auto len = f.u32(pos + 2);
    if (f.u16(pos) != id || !len || *len < chunk::HeaderSize || pos + *len > f.size())
        return std::nullopt;
    return len;
}

bool startsWithNameAndDot(std::string_view name, std::string_view prefix) {
    return name.size() > prefix.size() && name.substr(0, prefix.size()) == prefix &&
           name[prefix.size()] == '.';
}

} // namespace

bool deletesDefinition(const IndexRecord& e) {
    switch (e.kind) {
    case deftype::Vehicle:
    case 5:
    case deftype::Physical:
    case deftype::Human:
    case deftype::Thing:
        return true;
    default:
        return e.ticked;
    }
}

DeletePlanResult planDelete(ByteView f, const SceneIndex& index, std::size_t i,
                            std::optional<std::uint8_t> decidingKind) {
    if (i >= index.entries.size())
        return refuse("No such entry.");
    if (static_cast<std::int64_t>(i) >= index.merkePosGameInit || !index.entries[i].recordPos) {
        DeletePlanResult r;
        r.initScript = true;
        r.error = "Could not be deleted!";
        return r;
    }
    const IndexRecord& e = index.entries[i];
    if (!index.modelLenPos || *index.modelLenPos < 2)
        return refuse("The file has no objects section.");
    const std::uint64_t objects = *index.modelLenPos - 2;
    const auto objectsLength = chunkAt(f, objects, chunk::Objects);
    const auto recordLength = chunkAt(f, *e.recordPos, chunk::ObjectRecord);
    if (!objectsLength || !recordLength)
        return refuse("The object's record cannot be found where the index put it.");

    DeletePlan plan;
    plan.edit.splices.push_back({*e.recordPos, *recordLength, {}});
    std::vector<std::uint64_t> covering{0, objects};
    IndexRecord decided = e;
    decided.kind = decidingKind.value_or(e.kind);
    if (deletesDefinition(decided) && e.definitionPos) {
        const auto defLength = chunkAt(f, *e.definitionPos, chunk::DefinitionRecord);
        if (!defLength || !index.gesamtLaengeScriptPos || *index.gesamtLaengeScriptPos < 2 ||
            !chunkAt(f, *index.gesamtLaengeScriptPos - 2, chunk::Definitions))
            return refuse("The object's definition record cannot be found where the index put "
                          "it.");
        if (*e.definitionPos < *e.recordPos + *recordLength)
            return refuse("The object's definition record lies before its object record.");
        plan.edit.splices.push_back({*e.definitionPos, *defLength, {}});
        covering.push_back(*index.gesamtLaengeScriptPos - 2);
    }
    if (auto why = coverWithChunks(f, plan.edit, covering))
        return refuse(*why);

    plan.expect.removedEntries.push_back(i);
    // Definitions left behind (or a second definition of the same name) attach
    // to the next entry named like them: the deleted name, that name cut
    // before its first ".", or the deleted name followed by "." and more.
    const std::string& name = e.name;
    const auto dot = name.find('.');
    for (std::size_t k = 0; k < index.entries.size(); ++k) {
        if (k == i || !index.entries.recordPos(k))
            continue;
        const std::string_view other = index.entries.name(k);
        if (other == name || (dot != std::string::npos && other == name.substr(0, dot)) ||
            startsWithNameAndDot(other, name))
            plan.expect.mayChange.push_back(k);
    }
    return {std::move(plan), {}, false};
}

DeleteOutcome deleteObjectFile(const std::string& path, ByteView indexed, const SceneIndex& index,
                               std::size_t entry) {
    DeleteOutcome out;
    DeletePlanResult planned = planDelete(indexed, index, entry);
    if (!planned.plan) {
        out.initScript = planned.initScript;
        out.written.error = planned.error;
        return out;
    }
    out.written = commitEdit(path, indexed, index, planned.plan->edit, planned.plan->expect);
    return out;
}
