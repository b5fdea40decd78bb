#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "byte_view.h"
#include "scene_index.h"

// What an "act_setstate" line sets its actor to.
enum class SwitchState : std::uint8_t { Active, Inactive, Unknown };

// One actor a script switches: the name in double quotes of the "findactor"
// line that bound the variable, as the file's bytes.
struct SwitchedActor {
    std::string name;
    SwitchState state = SwitchState::Unknown;
    bool operator==(const SwitchedActor&) const = default;
};

// The actors a script switches, in the order of its "act_setstate" lines.
// A line counts when the text after its comma (up to the line's end, without
// the carriage return) holds no letter "o"; its variable is the text between
// "act_setstate " and the comma, and its actor is named by the first
// "findactor " followed by that text anywhere in the script (a plain text
// search). A line whose variable is bound nowhere, or whose binding names no
// quoted actor, switches nothing. A repeat of the actor and state just before
// is dropped.
std::vector<SwitchedActor> switchedActors(std::string_view script);

// A link from the entry whose script switches an actor to an entry of that
// name (list indexes).
struct ScriptLink {
    std::size_t owner = 0;
    std::size_t actor = 0;
    SwitchState state = SwitchState::Unknown;
    bool operator==(const ScriptLink&) const = default;
};

// Every link of the scene between entries that have a place on the map: the
// owner is a scripted object, the actor any object of exactly that name. An
// actor named by several entries links to each of them.
std::vector<ScriptLink> sceneLinks(ByteView file, const SceneIndex& index);
