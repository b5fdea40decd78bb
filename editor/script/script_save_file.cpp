#include "script_save_file.h"

#include "scene_edit.h"
#include "script_save.h"

ScriptFileSave saveScriptFile(const std::string& path, ByteView indexed, const SceneIndex& index,
                              std::size_t entry, std::string_view text,
                              std::uint64_t loadedLength) {
    ScriptFileSave out;
    ScriptSaveResult plan = planScriptSave(indexed, index, entry, text, loadedLength);
    if (!plan.plan) {
        out.error = plan.error;
        return out;
    }
    const EditOutcome done = commitEdit(path, indexed, index, plan.plan->edit, plan.plan->expect);
    if (!done.ok) {
        out.fileChanged = done.fileChanged;
        out.error = done.error;
        return out;
    }
    out.ok = true;
    out.sameLength = plan.plan->sameLength;
    out.newLength = done.newBytes.size();
    if (out.sameLength) {
        const Splice& s = plan.plan->edit.splices.front();
        out.writtenInPlace = changedRuns(
            indexed.text(s.pos, s.removed),
            std::string_view(reinterpret_cast<const char*>(s.inserted.data()), s.inserted.size()),
            s.pos);
    }
    return out;
}
