// scenegen: writes a sample scene2.bin, or the whole demo mission.
//   scenegen [--seed N] [--objects N] [--size BYTES] OUT
//   scenegen --demo DIR
//   scenegen --minimal PATTERN [--size BYTES] OUT   (records crafted to be as small as possible)
#include <charconv>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "demo_mission.h"
#include "minimal_scene.h"
#include "scene_generator.h"

namespace {

constexpr const char* Usage = "usage: scenegen [--seed N] [--objects N] [--size BYTES] OUT\n"
                              "       scenegen --demo DIR\n"
                              "       scenegen --minimal name-only|overlapping|long-names|"
                              "init-scripts|init-with-text [--size BYTES] OUT\n";

template <typename T> std::optional<T> parseNumber(std::string_view text) {
    T value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

bool writeFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        std::cerr << "scenegen: cannot write " << path.string() << '\n';
        return false;
    }
    return true;
}

int writeDemo(const std::filesystem::path& dir) {
    std::error_code error;
    std::filesystem::create_directories(dir, error);
    const DemoMission demo = makeDemoMission();
    const bool ok = writeFile(dir / "scene2.bin", demo.scene.bytes) &&
                    writeFile(dir / "tree.klz", demo.treeKlz) &&
                    writeFile(dir / "cache.bin", demo.cacheBin) &&
                    writeFile(dir / "scene.4ds", demo.scene4ds);
    return ok ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    GeneratorOptions options;
    std::optional<std::string> output;
    std::optional<std::string> demoDir;
    std::optional<MinimalRecords> minimal;
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == "--help" || arg == "-h") {
            std::cout << Usage;
            return 0;
        } else if (arg == "--seed" && hasValue) {
            const auto v = parseNumber<std::uint32_t>(args[++i]);
            if (!v)
                return std::cerr << Usage, 2;
            options.seed = *v;
        } else if (arg == "--objects" && hasValue) {
            const auto v = parseNumber<std::size_t>(args[++i]);
            if (!v)
                return std::cerr << Usage, 2;
            options.objectCount = *v;
        } else if (arg == "--size" && hasValue) {
            const auto v = parseNumber<std::size_t>(args[++i]);
            if (!v)
                return std::cerr << Usage, 2;
            options.targetSize = *v;
        } else if (arg == "--minimal" && hasValue) {
            minimal = minimalRecordsNamed(args[++i]);
            if (!minimal)
                return std::cerr << Usage, 2;
        } else if (arg == "--demo" && hasValue) {
            demoDir = std::string(args[++i]);
        } else if (!arg.starts_with("-") && !output) {
            output = std::string(arg);
        } else {
            return std::cerr << Usage, 2;
        }
    }
    if (demoDir && !output)
        return writeDemo(*demoDir);
    if (!output || demoDir)
        return std::cerr << Usage, 2;
    if (minimal)
        return writeFile(*output, minimalRecordScene(
                                      *minimal, options.targetSize.value_or(std::size_t{1} << 20))
                                      .bytes)
                   ? 0
                   : 1;
    return writeFile(*output, generateScene(options).bytes) ? 0 : 1;
}
