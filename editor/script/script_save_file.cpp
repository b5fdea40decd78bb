#include "script_save_file.h"

#include <algorithm>
#include <cstring>

#include "file_access.h"
#include "script_save.h"

ScriptFileSave saveScriptFile(const std::string& path, ByteView indexed, const SceneIndex& index,
                              std::size_t entry, std::string_view text,
                              std::uint64_t loadedLength) {
    ScriptFileSave out;
    std::vector<std::uint8_t> current;
    if (auto r = readWholeFile(path, current); !r) {
        out.error = r.error;
        return out;
    }
    if (current.size() != indexed.size() ||
        (!current.empty() && std::memcmp(current.data(), indexed.data(), current.size()) != 0)) {
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
    if (out.sameLength) {
        for (const InPlaceWrite& w : plan.plan->writes)
            std::copy(w.bytes.begin(), w.bytes.end(),
                      current.begin() + static_cast<std::ptrdiff_t>(w.pos));
        out.fileAfter = std::move(current);
    } else {
        out.fileAfter = std::move(plan.plan->newFile);
    }
    out.newLength = out.fileAfter.size();
    return out;
}
