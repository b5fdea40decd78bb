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

// How many bytes the per-entry searches (data block, tick test, script
// location) stepped over: a test hook for their cost, which must grow with
// the file, not with the entries times the file.
struct ScanCost {
    std::int64_t bytesSearched = 0;
};

// Scans the last fifth of the file for init scripts whose name starts with
// "G" and for definition records whose first child is their name, at most
// MaxScanEntries of them, in file order.
std::vector<ScanEntry> scanScene(SceneBytes bytes, const ScanProgress& progress = {},
                                 ScanCost* cost = nullptr);

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

// The tick test and the script location for many entries of one scene.
// Entries asked in file order share the searches that pass over the same
// bytes, so a whole list costs about one pass over the file rather than one
// pass per entry; asked in any order, it answers as the functions above.
class ScriptFinder {
public:
    explicit ScriptFinder(SceneBytes bytes, ScanCost* cost = nullptr)
        : bytes_(bytes), cost_(cost) {}

    bool hasScript(std::int64_t entryPos);
    std::optional<ScriptSpan> locate(std::int64_t entryPos);

private:
    // The 1-based position of the first 24 AE or 51 AE at or after
    // `entryPos` (at least 1); 0 when the file ends first.
    std::int64_t dataBlock(std::int64_t entryPos);
    void searched(std::int64_t from, std::int64_t to);

    SceneBytes bytes_;
    ScanCost* cost_;
    // The last data-block search: from `blockFrom_` (0: none yet) the first
    // block is at `block_` (0: none up to the end of the file).
    std::int64_t blockFrom_ = 0;
    std::int64_t block_ = 0;
    // The last answers after a data block, by the block's position (0: none).
    std::int64_t tickBlock_ = 0;
    bool tick_ = false;
    std::int64_t spanBlock_ = 0;
    std::optional<ScriptSpan> span_;
};

// The script text's bytes; empty when there is none.
std::string scriptBytes(SceneBytes bytes, const std::optional<ScriptSpan>& span);
