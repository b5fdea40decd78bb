// Any byte string must give an index and a verify report without a crash,
// a hang or a read outside the buffer.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "scene_index.h"
#include "scene_verify.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // A private copy, so ASan catches any read past the end.
    std::vector<std::uint8_t> bytes(data, data + size);
    int calls = 0;
    const ByteView view(bytes.data(), bytes.size());
    const SceneIndex index = buildSceneIndex(view, [&](int) { ++calls; });
    if (calls > 52)
        __builtin_trap();
    for (const auto& e : index.entries) {
        if (e.scriptPos && *e.scriptPos >= size)
            __builtin_trap();
    }
    verifyScene(view);
    return 0;
}
