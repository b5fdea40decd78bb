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

namespace {

bool sameEntries(const std::vector<ScanEntry>& a, const std::vector<ScanEntry>& b) {
    return std::equal(
        a.begin(), a.end(), b.begin(), b.end(), [](const ScanEntry& x, const ScanEntry& y) {
            return x.name == y.name && x.ticked == y.ticked && x.entryPos == y.entryPos;
        });
}

} // namespace

bool rescanFindsSave(const std::vector<std::uint8_t>& scanned,
                     const std::vector<std::uint8_t>& updated, std::int64_t entryPos,
                     const ScriptSpan& span, std::string& why) {
    const SceneBytes before(scanned.data(), scanned.size());
    const SceneBytes after(updated.data(), updated.size());
    const auto saved = locateScript(after, entryPos);
    if (!saved || saved->start != span.start || saved->length != span.length) {
        why = "After saving, the scan would not find this script again whole (it would read " +
              std::to_string(saved ? saved->length : 0) + " of its " + std::to_string(span.length) +
              " bytes): the byte AE (\xC2\xAE) ends a script for the scan. Nothing was written.";
        return false;
    }
    if (!sameEntries(scanScene(before), scanScene(after))) {
        why = "After saving, the scan would not find the same entries and ticks. Nothing was "
              "written.";
        return false;
    }
    return true;
}
