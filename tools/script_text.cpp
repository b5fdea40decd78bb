#include <algorithm>
#include <string_view>

#include "scene_plan.h"

// Script texts in the game's script language. Object scripts find other
// actors of the scene by name and switch them on and off, preferring actors
// that have scripts themselves, so that scripts reach each other.
namespace scenegen {
namespace {

constexpr std::string_view Crlf = "\r\n";
constexpr std::size_t FillerLineMax = 66;
constexpr std::size_t FillerLineMin = 4; // "//" and the line end

struct ActorPools {
    std::vector<std::string_view> scripted;
    std::vector<std::string_view> any;
    std::vector<std::string_view> vehicles;
};

// `bytes` of comment lines; bytes must be 0 or at least FillerLineMin.
void appendFiller(std::string& text, std::size_t bytes) {
    while (bytes > 0) {
        std::size_t line = std::min(bytes, FillerLineMax);
        const std::size_t rest = bytes - line;
        if (rest > 0 && rest < FillerLineMin)
            line = bytes - FillerLineMin;
        text += "//";
        text.append(line - FillerLineMin, '.');
        text += Crlf;
        bytes -= line;
    }
}

std::string_view pick(const std::vector<std::string_view>& names, SceneRandom& random) {
    return names[random.below(static_cast<std::uint32_t>(names.size()))];
}

std::string_view pickActor(const ActorPools& pools, SceneRandom& random) {
    if (!pools.scripted.empty() && random.chance(60))
        return pick(pools.scripted, random);
    return pick(pools.any, random);
}

std::string_view pickState(SceneRandom& random) {
    const auto r = random.below(20);
    return r < 9 ? "active" : r < 18 ? "inactive" : "1";
}

std::string line(std::string_view command, std::size_t n, std::string_view rest = {}) {
    std::string s(command);
    s += ' ';
    s += std::to_string(n);
    if (!rest.empty()) {
        s += ", ";
        s += rest;
    }
    s += Crlf;
    return s;
}

std::string findActor(std::size_t variable, std::string_view name) {
    std::string quoted(1, '"');
    quoted += name;
    quoted += '"';
    return line("findactor", variable, quoted);
}

std::string objectBody(const ActorPools& pools, std::string_view self, SceneRandom& random) {
    const std::size_t actors = 1 + random.below(4);
    std::string s = line("dim_act", actors) + line("dim_flt", 2);
    for (std::size_t i = 0; i < actors; ++i)
        s += findActor(i, pools.any.empty() ? self : pickActor(pools, random));
    s += line("label", 1) + line("wait", 100 * (1 + random.below(30)));
    if (!random.chance(15)) {
        for (std::size_t i = 0; i < actors; ++i) {
            const std::string set = line("act_setstate", i, pickState(random));
            s += set;
            if (random.chance(10))
                s += set;
        }
    }
    if (random.chance(10))
        s += line("mission_objectives", 1 + random.below(40));
    if (random.chance(30))
        s += line("goto", 1);
    return s + "end" + std::string(Crlf);
}

std::string switchOn(const std::vector<std::string_view>& pool, std::size_t most,
                     std::string_view state, SceneRandom& random) {
    const std::size_t actors = std::min(pool.size(), most);
    std::string s = line("dim_act", std::max<std::size_t>(actors, 1));
    for (std::size_t i = 0; i < actors; ++i)
        s += findActor(i, pick(pool, random));
    for (std::size_t i = 0; i < actors; ++i)
        s += line("act_setstate", i, state);
    return s;
}

std::string initBody(std::string_view name, const ActorPools& pools, SceneRandom& random) {
    if (name == "GameInit") {
        const auto& pool = pools.scripted.empty() ? pools.any : pools.scripted;
        return switchOn(pool, 3, "active", random) + line("mission_objectives", 1) + "end\r\n";
    }
    if (name == "GameCars")
        return switchOn(pools.vehicles, 3, "inactive", random) + line("wait", 1000) + "end\r\n";
    if (name == "GameInitEnd")
        return line("wait", 500) + line("mission_objectives", 2) + "end\r\n";
    return line("wait", 100) + "end\r\n";
}

} // namespace

std::size_t ScriptText::length(std::size_t stretch) const {
    return head.size() + stretch + Crlf.size() + filler + body.size();
}

std::string ScriptText::render(std::size_t stretch) const {
    std::string text;
    text.reserve(length(stretch));
    text += head;
    const bool fillerLines = filler >= FillerLineMin;
    text.append(stretch + (fillerLines ? 0 : filler), '-');
    text += Crlf;
    if (fillerLines)
        appendFiller(text, filler);
    text += body;
    return text;
}

void planScripts(ScenePlan& plan, SceneRandom& random) {
    ActorPools pools;
    for (const auto& object : plan.objects) {
        const GeneratedObject& o = object.out;
        if (o.kind == ObjectKind::Light)
            continue;
        pools.any.push_back(o.name);
        if (o.script == ScriptState::Present)
            pools.scripted.push_back(o.name);
        if (o.kind == ObjectKind::Vehicle)
            pools.vehicles.push_back(o.name);
    }
    for (auto& object : plan.objects) {
        if (object.out.script != ScriptState::Present)
            continue;
        object.script.head = "// " + object.out.name;
        object.script.body = objectBody(pools, object.out.name, random);
    }
    for (auto& init : plan.inits) {
        init.script.head = "// " + init.name;
        init.script.body = initBody(init.name, pools, random);
    }
}

} // namespace scenegen
