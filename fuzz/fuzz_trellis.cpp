// Trellis's scan, script location and tree build over any bytes: nothing may
// read outside the buffer, and every script found must lie inside it. The
// input also serves as one script text for the child rules, and the script
// box's text conversion must give back every byte string unchanged.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "scene_scan.h"
#include "script_tree.h"
#include "script_view_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const SceneBytes bytes(data, size);
    const auto entries = scanScene(bytes, [](int) {});
    if (entries.size() > MaxScanEntries)
        std::abort();
    for (const ScanEntry& entry : entries) {
        objectHasScript(bytes, entry.entryPos);
        if (const auto span = locateScript(bytes, entry.entryPos)) {
            if (span->start < 1 || span->length <= 0 ||
                span->end() - 1 > static_cast<std::int64_t>(size))
                std::abort();
        }
    }
    const TreeBuild tree = buildScriptTree(bytes, entries);
    if (tree.nodes.size() > ParentsVisited)
        std::abort();

    const std::string text(reinterpret_cast<const char*>(data), size);
    const ScriptChildren children = readChildren(text);
    if (children.children.size() > ChildSlots)
        std::abort();
    const std::string view = scriptToView(text);
    const auto back = viewToScript(view);
    if (!back || *back != text || viewByteLength(view) != size)
        std::abort();
    viewToScript(text); // arbitrary bytes as the box's UTF-8 text
    return 0;
}
