#include "script_save_file.h"

#include <cstring>

#include "file_access.h"
#include "script_save.h"

ScriptFileSave saveScriptFile(const std::string& path, ByteView indexed, const SceneIndex& index,
                              std::size_t entry, std::string_view text,
                              std::uint64_t loadedLength) {
    ScriptFileSave out;
    // Mapped rather than read: the file is only compared and copied from.
    MappedFile current;
    if (auto r = current.open(path); !r) {
        out.error = r.error;
        return out;
    }
    if (current.size() != indexed.size() ||
        (current.size() != 0 && std::memcmp(current.data(), indexed.data(), current.size()) != 0)) {
        out.fileChanged = true;
        out.error = "The file was changed by another program since it was loaded.";
        return out;
    }
    ScriptSaveResult plan =
        planScriptSave(ByteView(current.data(), current.size()), index, entry, text, loadedLength);
    if (!plan.plan) {
        out.error = plan.error;
        return out;
    }
    const FileResult written = plan.plan->sameLength ? writeInPlace(path, plan.plan->writes)
                                                     : replaceAtomically(path, plan.plan->newFile);
    if (!written) {
        out.error = written.error;
        return out;
    }
    out.ok = true;
    out.sameLength = plan.plan->sameLength;
    out.newLength = out.sameLength ? current.size() : plan.plan->newFile.size();
    if (out.sameLength)
        out.writtenInPlace = std::move(plan.plan->writes);
    return out;
}
