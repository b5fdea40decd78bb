// Any byte string must be read as an add-in or refused with a reason, without
// a crash or a read outside the buffer; what is accepted lies within it. The
// records of an accepted add-in are planned into a small scene, which must
// either refuse them or give a scene that still passes the whole-file check.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "addin_format.h"
#include "addin_scene.h"
#include "scene_generator.h"
#include "scene_verify.h"

namespace {
const GeneratedScene& smallScene() {
    static const GeneratedScene scene = [] {
        GeneratorOptions options;
        options.seed = 5;
        options.objectCount = 8;
        return generateScene(options);
    }();
    return scene;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // A private copy, so ASan catches any read past the end.
    const std::vector<std::uint8_t> bytes(data, data + size);
    const ByteView view(bytes.data(), bytes.size());
    const AddinRead read = readAddin(view);
    if (!read.addin) {
        if (read.error.empty())
            __builtin_trap();
        return 0;
    }
    const Addin& a = *read.addin;
    if (a.objectsOffset + a.objectsLength > size ||
        a.definitionsOffset + a.definitionsLength > size)
        __builtin_trap();
    for (FileGroup g : AllFileGroups)
        for (const AddinEntry& e : a.entries(g))
            if (e.offset + e.length > size || embeddedNameProblem(e.name))
                __builtin_trap();

    const GeneratedScene& scene = smallScene();
    const ByteView sceneView(scene.bytes.data(), scene.bytes.size());
    static const SceneIndex index = buildSceneIndex(sceneView);
    const SceneInsertionPlan plan = planSceneInsertion(
        sceneView, index, ByteView(bytes.data() + a.objectsOffset, a.objectsLength),
        ByteView(bytes.data() + a.definitionsOffset, a.definitionsLength));
    if (plan.insertion) {
        const std::vector<std::uint8_t> after = applyEdit(sceneView, plan.insertion->edit);
        if (!verifyScene(ByteView(after.data(), after.size())).ok())
            __builtin_trap();
    } else if (plan.error.empty()) {
        __builtin_trap();
    }
    return 0;
}
