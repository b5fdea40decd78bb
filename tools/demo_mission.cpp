#include "demo_mission.h"

#include <algorithm>
#include <string>

#include "scene_writer.h"

namespace {

constexpr std::size_t TreeLinks = 8;
constexpr std::uint16_t TreeGridSide = 8;
constexpr std::uint16_t NoLink = 0xFFFF;
constexpr std::size_t CacheEntries = 6;
constexpr std::uint16_t CacheHeaderId = 0x0400;
constexpr std::uint16_t CacheObjectId = 0x0100;
constexpr std::uint16_t FourDsVersion = 29;
constexpr std::uint64_t FourDsTimestamp = 0x01C24E8A5F3D2000ULL;
constexpr std::size_t FourDsFrames = 5;

std::vector<const GeneratedObject*> modelObjects(const GeneratedScene& scene, std::size_t most) {
    std::vector<const GeneratedObject*> found;
    for (const auto& o : scene.objects) {
        if (found.size() == most)
            break;
        if (!o.model.empty())
            found.push_back(&o);
    }
    return found;
}

void shortString(SceneWriter& w, const std::string& text) {
    w.u8(static_cast<std::uint8_t>(std::min<std::size_t>(text.size(), 255)));
    w.raw(std::string_view(text).substr(0, 255));
}

void u64(SceneWriter& w, std::uint64_t value) {
    w.u32(static_cast<std::uint32_t>(value & 0xFFFFFFFFu));
    w.u32(static_cast<std::uint32_t>(value >> 32));
}

} // namespace

std::vector<std::uint8_t> makeTreeKlz(const GeneratedScene& scene) {
    const auto objects = modelObjects(scene, TreeLinks);
    SceneWriter w;
    w.raw("GifC");
    w.u32(5);
    w.u32(static_cast<std::uint32_t>(objects.size()));
    for (std::size_t i = 0; i < objects.size(); ++i) {
        w.u32(static_cast<std::uint32_t>(i));
        shortString(w, objects[i]->name);
    }
    w.u16(TreeGridSide);
    w.u16(TreeGridSide);
    for (std::uint16_t cell = 0; cell < TreeGridSide * TreeGridSide; ++cell)
        w.u16(objects.empty() || cell % 3 == 0 ? NoLink
                                               : static_cast<std::uint16_t>(cell % objects.size()));
    return w.take();
}

std::vector<std::uint8_t> makeCacheBin(const GeneratedScene& scene) {
    SceneWriter w;
    w.beginChunk(CacheHeaderId);
    w.u32(1);
    for (const GeneratedObject* o : modelObjects(scene, CacheEntries)) {
        w.beginChunk(CacheObjectId);
        w.u32(static_cast<std::uint32_t>(o->name.size()));
        w.raw(o->name);
        w.u32(static_cast<std::uint32_t>(o->model.size()));
        w.raw(o->model);
        for (float v : o->translation)
            w.f32(v);
        for (float v : o->rotation)
            w.f32(v);
        for (float v : o->size)
            w.f32(v);
        w.endChunk();
    }
    w.endChunk();
    return w.take();
}

std::vector<std::uint8_t> makeScene4ds(const GeneratedScene& scene) {
    SceneWriter w;
    w.raw(std::string_view("4DS\0", 4));
    w.u16(FourDsVersion);
    u64(w, FourDsTimestamp);
    const char* textures[] = {"BRICK01.BMP", "ROOF02.BMP", "STREET3.BMP"};
    w.u16(3);
    for (const char* texture : textures) {
        w.u32(0x00800000);
        for (float c : {0.6f, 0.6f, 0.6f, 1.0f, 1.0f, 1.0f, 0.0f, 0.0f, 0.0f, 1.0f})
            w.f32(c);
        shortString(w, texture);
    }
    const auto objects = modelObjects(scene, FourDsFrames);
    w.u16(static_cast<std::uint16_t>(objects.size()));
    for (const GeneratedObject* o : objects) {
        w.u8(1); // visual frame
        w.u8(0);
        w.u16(0x2A00);
        w.u16(0); // parent: none
        for (float v : o->translation)
            w.f32(v);
        for (float v : o->size)
            w.f32(v);
        for (float v : o->rotation)
            w.f32(v);
        w.u8(9);
        shortString(w, o->model.substr(0, o->model.size() - 4));
        w.u8(0);
    }
    w.u8(0);
    return w.take();
}

DemoMission makeDemoMission() {
    DemoMission demo;
    demo.scene = generateScene(GeneratorOptions{DemoSeed, DemoObjectCount, std::nullopt});
    demo.treeKlz = makeTreeKlz(demo.scene);
    demo.cacheBin = makeCacheBin(demo.scene);
    demo.scene4ds = makeScene4ds(demo.scene);
    return demo;
}
