#pragma once
// A small scene laid out by hand for the map: objects at known places, some
// with scripts that switch each other.
#include <array>
#include <string>

#include "mini_scene.h"

namespace mapscene {

// An object listed by its name only: no type chunk first.
inline void nameOnly(SceneWriter& w, const std::string& name) {
    w.beginChunk(0x4010);
    w.chunkString(0x0010, name);
    w.chunkFloats(0x0020, {9.0f, 9.0f, 9.0f});
    w.endChunk();
}

inline const std::string GuardScript = "dim_act 2\r\n"
                                       "findactor 0, \"Gate\"\r\n"
                                       "findactor 1, \"Lamp\"\r\n"
                                       "label 1\r\n"
                                       "act_setstate 0, active\r\n"
                                       "act_setstate 1, inactive\r\n"
                                       "end\r\n";
inline const std::string GateScript = "findactor 3, \"Guard\"\r\n"
                                      "act_setstate 3, inactive\r\n"
                                      "findactor 4, \"Nobody\"\r\n"
                                      "act_setstate 4, active\r\n";
inline const std::string CrateScript = "findactor 0, \"Crate\"\r\n"
                                       "act_setstate 0, on\r\n";

// List2 rows: 0 Guard (human, scripted), 1 Gate (door, scripted), 2 Lamp
// (light), 3 Crate (thing, scripted), 4 Car (car), 5 Pole (other), 6 Ghost
// (name only), 7 the init script "Start" that names Lamp.
inline std::vector<std::uint8_t> bytes() {
    return mini::scene(
        [](SceneWriter& w) {
            mini::placedObject(w, "Guard", 9, {10.0f, 1.0f, 20.0f});
            mini::placedObject(w, "Gate", 9, {-30.0f, 0.0f, 5.0f});
            mini::placedObject(w, "Lamp", 2, {0.0f, 4.0f, -40.0f});
            mini::placedObject(w, "Crate", 9, {50.0f, 0.0f, 0.0f});
            mini::placedObject(w, "Car", 9, {20.0f, 0.0f, -10.0f});
            mini::placedObject(w, "Pole", 9, {-5.0f, 0.0f, 35.0f});
            nameOnly(w, "Ghost");
        },
        [](SceneWriter& w) {
            mini::definition(w, "Guard", 27, std::string(40, '\0'), &GuardScript);
            mini::definition(w, "Gate", 6, std::string(8, '\0'), &GateScript);
            mini::definition(w, "Crate", 35, std::string(12, '\0'), &CrateScript);
            mini::definition(w, "Car", 4, std::string(8, '\0'));
        },
        [](SceneWriter& w) {
            mini::initScript(w, "Start", "findactor 0, \"Lamp\"\r\nact_setstate 0, active\r\n");
        });
}

} // namespace mapscene
