#include "addin_samples.h"

#include <algorithm>

#include "demo_mission.h"
#include "scene_generator.h"

namespace {
std::uint32_t u32At(const std::vector<std::uint8_t>& b, std::size_t p) {
    return static_cast<std::uint32_t>(b[p]) | (static_cast<std::uint32_t>(b[p + 1]) << 8) |
           (static_cast<std::uint32_t>(b[p + 2]) << 16) |
           (static_cast<std::uint32_t>(b[p + 3]) << 24);
}

// A name that one of `names` contains, ignoring case, would be found by the
// key-name test there.
bool clashes(const std::string& name, const std::vector<std::string>& names) {
    auto lower = [](std::string t) {
        for (char& c : t)
            c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
        return t;
    };
    const std::string n = lower(name);
    return std::any_of(names.begin(), names.end(), [&](const std::string& other) {
        const std::string o = lower(other);
        return o.find(n) != std::string::npos || n.find(o) != std::string::npos;
    });
}

std::vector<std::uint8_t> bytesOf(const std::string& s) {
    return {s.begin(), s.end()};
}

// The first `n` bytes of `file` at a place where they occur once.
AddinPatchSource patchAt(const std::vector<std::uint8_t>& file, std::size_t at, std::size_t n,
                         std::vector<std::uint8_t> replacement) {
    return {{file.begin() + static_cast<std::ptrdiff_t>(at),
             file.begin() + static_cast<std::ptrdiff_t>(at + n)},
            std::move(replacement)};
}
} // namespace

AddinRecords donorRecords(std::uint32_t seed, std::size_t count,
                          const std::vector<std::string>& avoid) {
    GeneratorOptions options;
    options.seed = seed;
    options.objectCount = std::max<std::size_t>(count * 3, 12);
    const GeneratedScene donor = generateScene(options);
    AddinRecords out;
    for (const GeneratedObject& o : donor.objects) {
        if (out.names.size() == count)
            break;
        if (!o.hasDefinition || o.nameOnly || clashes(o.name, avoid) || clashes(o.name, out.names))
            continue;
        const auto record = donor.bytes.begin() + static_cast<std::ptrdiff_t>(o.recordOffset);
        out.objects.insert(out.objects.end(), record,
                           record + static_cast<std::ptrdiff_t>(o.recordLength));
        const std::size_t len = u32At(donor.bytes, o.definitionOffset + 2);
        const auto def = donor.bytes.begin() + static_cast<std::ptrdiff_t>(o.definitionOffset);
        out.definitions.insert(out.definitions.end(), def, def + static_cast<std::ptrdiff_t>(len));
        out.names.push_back(o.name);
    }
    return out;
}

AddinSource demoAddinSource() {
    const DemoMission demo = makeDemoMission();
    std::vector<std::string> names;
    for (const GeneratedObject& o : demo.scene.objects)
        names.push_back(o.name);
    for (const GeneratedInitScript& i : demo.scene.initScripts)
        names.push_back(i.name);
    AddinRecords records = donorRecords(DemoSeed + 1, 2, names);

    AddinSource s;
    s.title = "Demo add-in";
    s.mission = "demo";
    s.key = records.names.empty() ? "demo add-in" : records.names.front();
    s.text = "Two more objects for the demo mission.";
    // Magic bytes at the start of each file: found once, changed to mark the file.
    s.patches[0] = std::vector{patchAt(demo.treeKlz, 0, 4, bytesOf("GifD"))};
    s.patches[1] = std::vector{patchAt(demo.cacheBin, 0, 2, {0x01, 0x04})};
    s.patches[2] = std::vector{patchAt(demo.scene4ds, 0, 4, bytesOf("4DS\x01"))};
    s.objects = std::move(records.objects);
    s.definitions = std::move(records.definitions);
    s.files[0] = {{"addin_car.i3d", bytesOf("model bytes\n")}};
    s.files[1] = {{"addin_horn.wav", bytesOf("RIFF sound bytes\n")}};
    s.files[2] = {{"addin_map.bmp", bytesOf("BM map bytes\n")}};
    s.files[3] = {{"addin_text.def", bytesOf("Deutscher Text\r\n")}};
    s.files[4] = {{"addin_text.def", bytesOf("English text\r\n")}};
    return s;
}
