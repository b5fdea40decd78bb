#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "addin_pack.h"

// Sample add-ins for tests, the fuzzer's seeds and the demo mission.

struct AddinRecords {
    std::vector<std::uint8_t> objects;     // whole object records
    std::vector<std::uint8_t> definitions; // the definition records of those objects
    std::vector<std::string> names;        // the objects' names, in order
};

// `count` object records with their definition records, cut from a scene
// generated with `seed`. Only objects with a definition are taken, and none
// whose name contains or is contained in a name of `avoid` (ignoring case), so
// each name is a key no other entry's name holds.
AddinRecords donorRecords(std::uint32_t seed, std::size_t count,
                          const std::vector<std::string>& avoid);

// An add-in for the demo mission (samples/missions/demo): it patches the
// mission's tree.klz, cache.bin and scene.4ds, adds two scripted objects and
// carries a file for each group.
AddinSource demoAddinSource();
