#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

// Trellis's own byte scans over a scene2.bin held in memory. Positions named
// "1-based" count the file's first byte as 1; all others are 0-based offsets.
// No function here reads outside the span it is given.

using SceneBytes = std::span<const std::uint8_t>;

// One line of the analyser's list.
struct ScanEntry {
    std::string name; // Windows-1252 bytes, up to the first zero byte
    bool ticked = false;
    // As the scan records it: the 0-based offset of an init-script marker
    // (51 AE), or the 1-based position of the first AE byte after an object
    // name. Either way the script search starts there.
    std::int64_t entryPos = 0;
};

inline constexpr std::size_t MaxScanEntries = 1001;
// Progress steps shown in the progress bar; later steps go to the status box.
inline constexpr int ProgressBarSteps = 30;

// Called with the number of steps done before this one; a few dozen calls per scan.
using ScanProgress = std::function<void(int ticks)>;

// Scans the last fifth of the file for init scripts whose name starts with
// "G" and for definition records whose first child is their name, at most
// MaxScanEntries of them, in file order.
std::vector<ScanEntry> scanScene(SceneBytes bytes, const ScanProgress& progress = {});

// Whether the object whose entry starts at `entryPos` carries a script.
bool objectHasScript(SceneBytes bytes, std::int64_t entryPos);

// A script's text: 1-based first byte and its length (always above 0).
struct ScriptSpan {
    std::int64_t start = 0;
    std::int64_t length = 0;
    std::int64_t end() const { return start + length; } // 1-based, one past the last byte
    std::size_t offset() const { return static_cast<std::size_t>(start - 1); }
};

// The script of the entry whose search starts at `entryPos`, if any.
std::optional<ScriptSpan> locateScript(SceneBytes bytes, std::int64_t entryPos);

// The script text's bytes; empty when there is none.
std::string scriptBytes(SceneBytes bytes, const std::optional<ScriptSpan>& span);
