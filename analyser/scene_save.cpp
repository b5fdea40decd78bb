#include "scene_save.h"

#include <algorithm>

bool planSameLengthSave(const std::vector<std::uint8_t>& scanned, const ScriptSpan& span,
                        std::string_view text, std::vector<std::uint8_t>& updated,
                        std::string& why) {
    const auto size = static_cast<std::int64_t>(scanned.size());
    if (span.start < 1 || span.length <= 0 || span.end() - 1 > size) {
        why = "The script lies outside the scanned file";
        return false;
    }
    if (static_cast<std::int64_t>(text.size()) != span.length) {
        why = "The text is not as long as the script";
        return false;
    }
    updated = scanned;
    std::copy(text.begin(), text.end(),
              updated.begin() + static_cast<std::ptrdiff_t>(span.offset()));
    return true;
}

FileResult writeScannedScene(const std::string& path, const std::vector<std::uint8_t>& scanned,
                             const std::vector<std::uint8_t>& updated) {
    FileResult result = replaceFileIfUnchanged(path, scanned, updated);
    if (result.changed)
        result.error = "The file was changed by another program since it was scanned";
    return result;
}
