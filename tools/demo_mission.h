#pragma once
#include <cstdint>
#include <vector>

#include "scene_generator.h"

// The demo mission of samples/missions/demo: scene2.bin from the generator and
// small stand-ins for the mission's other files. The stand-ins are short binary
// files in the shape of the game's (magic, version, a few records naming the
// scene's objects), enough for add-ins to find and patch byte runs in them;
// nothing reads them beyond that.

inline constexpr std::uint32_t DemoSeed = 1996;
inline constexpr std::size_t DemoObjectCount = 40;

struct DemoMission {
    GeneratedScene scene;
    std::vector<std::uint8_t> treeKlz;
    std::vector<std::uint8_t> cacheBin;
    std::vector<std::uint8_t> scene4ds;
};

DemoMission makeDemoMission();

std::vector<std::uint8_t> makeTreeKlz(const GeneratedScene& scene);
std::vector<std::uint8_t> makeCacheBin(const GeneratedScene& scene);
std::vector<std::uint8_t> makeScene4ds(const GeneratedScene& scene);
