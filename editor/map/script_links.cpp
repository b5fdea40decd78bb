#include "script_links.h"

#include <algorithm>
#include <unordered_map>

#include "map_marks.h"
#include "script_text.h"

namespace {

constexpr std::string_view SetState = "act_setstate";
constexpr std::string_view FindActor = "findactor ";

// The first match wins, as the analyser's tree reads the same lines.
SwitchState stateOf(std::string_view state) {
    if (state.find("inactive") != std::string_view::npos)
        return SwitchState::Inactive;
    if (state.find("active") != std::string_view::npos)
        return SwitchState::Active;
    if (state.find('i') != std::string_view::npos)
        return SwitchState::Inactive;
    if (state.find('a') != std::string_view::npos)
        return SwitchState::Active;
    return SwitchState::Unknown;
}

// The quoted name after the "findactor " line that binds `variable`; empty
// when there is none.
std::string_view boundActor(std::string_view script, std::string_view variable) {
    const std::string key = std::string(FindActor) + std::string(variable);
    const std::size_t f = script.find(key);
    if (f == std::string_view::npos)
        return {};
    const std::size_t open = script.find('"', f);
    if (open == std::string_view::npos)
        return {};
    const std::size_t close = script.find('"', open + 1);
    if (close == std::string_view::npos)
        return {};
    return script.substr(open + 1, close - open - 1);
}

} // namespace

std::vector<SwitchedActor> switchedActors(std::string_view script) {
    std::vector<SwitchedActor> actors;
    std::size_t from = 0;
    while (from < script.size()) {
        const std::size_t a = script.find(SetState, from);
        if (a == std::string_view::npos)
            break;
        const std::size_t comma = script.find(',', a);
        if (comma == std::string_view::npos)
            break;
        std::size_t end = script.find('\n', comma);
        if (end == std::string_view::npos)
            end = script.size();
        // A carriage return before the line feed holds none of the letters looked for.
        const std::string_view state = script.substr(comma + 1, end - comma - 1);
        from = end + 1;
        if (state.find('o') != std::string_view::npos)
            continue;
        // The variable starts after "act_setstate" and one blank.
        const std::size_t varStart = a + SetState.size() + 1;
        if (varStart >= comma)
            continue;
        const std::string_view name = boundActor(script, script.substr(varStart, comma - varStart));
        if (name.empty())
            continue;
        SwitchedActor actor{std::string(name), stateOf(state)};
        if (actors.empty() || !(actors.back() == actor))
            actors.push_back(std::move(actor));
    }
    return actors;
}

std::vector<ScriptLink> sceneLinks(ByteView file, const SceneIndex& index) {
    std::unordered_multimap<std::string_view, std::size_t> placed;
    for (std::size_t entry = 0; entry < index.entries.size(); ++entry)
        if (hasMapPlace(index, entry))
            placed.emplace(index.entries.name(entry), entry);
    std::vector<ScriptLink> links;
    for (std::size_t owner = 0; owner < index.entries.size(); ++owner) {
        if (!index.entries[owner].ticked || !hasMapPlace(index, owner))
            continue;
        const std::optional<std::string> script = readScript(file, index, owner);
        if (!script)
            continue;
        for (const SwitchedActor& actor : switchedActors(*script)) {
            auto [first, last] = placed.equal_range(actor.name);
            std::vector<std::size_t> targets;
            for (auto it = first; it != last; ++it)
                targets.push_back(it->second);
            std::sort(targets.begin(), targets.end());
            for (std::size_t target : targets)
                links.push_back({owner, target, actor.state});
        }
    }
    return links;
}
