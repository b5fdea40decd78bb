#pragma once
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "addin_pack.h"
#include "addin_samples.h"
#include "demo_mission.h"

namespace fs = std::filesystem;

using Bytes = std::vector<std::uint8_t>;

inline Bytes readBytes(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

inline void writeBytes(const fs::path& p, const Bytes& b) {
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
}

inline Bytes packed(const AddinSource& s) {
    PackResult r = packAddin(s);
    EXPECT_TRUE(r.ok()) << r.error;
    return r.bytes;
}

// Every file (with its bytes) and directory below a root, by relative path.
struct TreeSnapshot {
    std::map<std::string, Bytes> files;
    std::set<std::string> dirs;
    bool operator==(const TreeSnapshot&) const = default;
};

inline TreeSnapshot snapshot(const fs::path& root) {
    TreeSnapshot s;
    for (const auto& e : fs::recursive_directory_iterator(root)) {
        const std::string rel = e.path().lexically_relative(root).generic_string();
        if (e.is_directory())
            s.dirs.insert(rel);
        else
            s.files[rel] = readBytes(e.path());
    }
    return s;
}

// The demo mission in a game tree of its own: ROOT/game/missions/demo.
class AddinGame : public ::testing::Test {
protected:
    void SetUp() override {
        std::random_device rd;
        root = fs::temp_directory_path() /
               ("addin-test-" + std::to_string(rd()) + std::to_string(rd()));
        game = root / "game";
        mission = game / "missions" / "demo";
        fs::create_directories(mission);
        demo = makeDemoMission();
        writeBytes(scene(), demo.scene.bytes);
        writeBytes(mission / "tree.klz", demo.treeKlz);
        writeBytes(mission / "cache.bin", demo.cacheBin);
        writeBytes(mission / "scene.4ds", demo.scene4ds);
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(root, ec);
    }
    fs::path scene() const { return mission / "scene2.bin"; }
    // Writes an add-in file below the root and returns its path.
    fs::path addinFile(const Bytes& bytes, const std::string& name = "test.qxa") const {
        const fs::path p = root / name;
        writeBytes(p, bytes);
        return p;
    }

    fs::path root, game, mission;
    DemoMission demo;
};
