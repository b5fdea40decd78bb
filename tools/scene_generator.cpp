#include "scene_generator.h"

#include "scene_plan.h"

namespace scenegen {
namespace {

// Near and far clip of the scene-info chunk. Neither value's bytes hold the
// pair 00 40, which would be taken for the objects section (2.0f would).
constexpr float NearClip = 1.0f;
constexpr float FarClip = 300.0f;

// Spreads `extra` bytes of comment lines over the object scripts, or over the
// init scripts when no object has one.
void addFiller(ScenePlan& plan, std::size_t extra) {
    std::vector<ScriptText*> scripts;
    for (auto& object : plan.objects) {
        if (object.out.script == ScriptState::Present)
            scripts.push_back(&object.script);
    }
    if (scripts.empty()) {
        for (auto& init : plan.inits)
            scripts.push_back(&init.script);
    }
    if (scripts.empty())
        return;
    const std::size_t each = extra / scripts.size();
    const std::size_t rest = extra % scripts.size();
    for (std::size_t i = 0; i < scripts.size(); ++i)
        scripts[i]->filler += each + (i < rest ? 1 : 0);
}

} // namespace
} // namespace scenegen

GeneratedScene generateScene(const GeneratorOptions& options) {
    using namespace scenegen;
    ScenePlan plan = planScene(options);
    GeneratedScene scene;
    SceneWriter w;
    if (options.targetSize)
        w.reserve(*options.targetSize + *options.targetSize / 64);
    w.beginChunk(id::Header);
    w.chunkFloats(id::SceneInfo, {NearClip, FarClip});
    scene.objectsOffset = w.position();
    writeObjectsSection(w, plan.objects);
    // Only the scripts grow, so the size target is met with the objects
    // section already written.
    const std::size_t natural =
        w.position() + definitionsSectionSize(plan.objects) + initScriptsSectionSize(plan.inits);
    if (options.targetSize && *options.targetSize > natural)
        addFiller(plan, *options.targetSize - natural);
    scene.definitionsOffset = w.position();
    writeDefinitionsSection(w, plan.objects);
    scene.initScriptsOffset = w.position();
    writeInitScriptsSection(w, plan.inits, scene.initScripts);
    w.endChunk();
    scene.bytes = w.take();
    scene.objects.reserve(plan.objects.size());
    for (auto& object : plan.objects)
        scene.objects.push_back(std::move(object.out));
    return scene;
}
