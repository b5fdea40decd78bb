#include "insert_commands.h"

#include <cmath>
#include <map>

#include "cp1252.h"
#include "entry_argument.h"
#include "field_number.h"
#include "file_access.h"
#include "insert_plan.h"
#include "insert_presets.h"
#include "kind_options.h"
#include "scene_delete.h"
#include "script_files.h"

namespace {

constexpr const char* InsertUsage =
    "usage: quill insert SCENE --category CATEGORY --name NAME [--like ENTRY] [--model FILE]\n"
    "         [--translation X,Y,Z] [--size X,Y,Z] [--horizontal-dial V] [--vertical-dial W]\n"
    "         [--vertical-angle DEG] [--weight W] [--sound CODE] [--behaviour CODE] [--sex N]\n"
    "         [--aggression A] [--brightness B] [--colour R,G,B] [--door-sound wood|brass|glass]\n"
    "         [--light-kind 1|2]\n"
    "CATEGORY: human, car, truck, policecar, building, door, things, light, other, invisiblewall\n";

int fail(std::ostream& err, const std::string& what) {
    err << "quill: " << what << '\n';
    return 2;
}

// Codes and dial positions; numbers on the command line use a dot, whatever
// the locale.
std::optional<int> wholeIn(std::string_view text, int lo, int hi) {
    return readWholeIn(text, '.', lo, hi);
}

bool splitThree(const std::string& text, std::array<std::string, 3>& out) {
    const auto a = text.find(',');
    const auto b = a == std::string::npos ? a : text.find(',', a + 1);
    if (b == std::string::npos || text.find(',', b + 1) != std::string::npos)
        return false;
    out = {text.substr(0, a), text.substr(a + 1, b - a - 1), text.substr(b + 1)};
    return true;
}

struct Scene {
    std::vector<std::uint8_t> bytes;
    SceneIndex index;
    ByteView view() const { return ByteView(bytes.data(), bytes.size()); }
};

bool load(const std::string& path, Scene& s, std::ostream& err) {
    if (auto r = readWholeFile(path, s.bytes); !r) {
        fail(err, "cannot read " + path + ": " + r.error);
        return false;
    }
    s.index = buildSceneIndex(s.view());
    return true;
}

// Applies the options after the preset; returns an error for a bad option.
std::optional<std::string> applyOptions(const std::map<std::string, std::string>& o,
                                        InsertPreset& p) {
    InsertFields& f = p.fields;
    auto has = [&](const char* k) { return o.count(k) > 0; };
    if (has("--name"))
        f.name = o.at("--name");
    if (has("--model"))
        f.model = o.at("--model");
    if (has("--translation") && !splitThree(o.at("--translation"), f.translation))
        return "--translation takes X,Y,Z";
    if (has("--size") && !splitThree(o.at("--size"), f.size))
        return "--size takes X,Y,Z";
    if (has("--colour") && !splitThree(o.at("--colour"), f.colour))
        return "--colour takes R,G,B";
    if (has("--horizontal-dial")) {
        const auto v = wholeIn(o.at("--horizontal-dial"), 0, 180);
        if (!v)
            return "--horizontal-dial takes a whole number 0 to 180";
        p.horizontalDial = *v;
    }
    if (has("--vertical-dial")) {
        const auto v = wholeIn(o.at("--vertical-dial"), -90, 90);
        if (!v)
            return "--vertical-dial takes a whole number -90 to 90";
        p.verticalDial = *v;
    }
    if (has("--vertical-angle"))
        f.vertical = o.at("--vertical-angle");
    if (has("--weight"))
        (f.modelchoice == "human" ? f.humanWeight : f.thingWeight) = o.at("--weight");
    if (has("--sound")) {
        const auto v = wholeIn(o.at("--sound"), 0, 8);
        if (!v)
            return "Sound: a code of the sound list (0 to 8)";
        f.thingSound = *v;
    }
    if (has("--behaviour")) {
        const auto v = wholeIn(o.at("--behaviour"), 0, 128);
        if (!v || (*v != 0 && (*v & (*v - 1)) != 0) || *v == 1)
            return "Behaviour: a code of the behaviour list (0, 2, 4, 8, 16, 32, 64, 128)";
        f.behaviour = *v;
    }
    if (has("--sex"))
        f.sex = o.at("--sex");
    if (has("--aggression"))
        f.aggression = o.at("--aggression");
    if (has("--brightness"))
        f.brightness = o.at("--brightness");
    if (has("--door-sound")) {
        const std::string& d = o.at("--door-sound");
        f.doorOption = d == "wood" ? 1 : d == "brass" ? 2 : d == "glass" ? 3 : 0;
        if (!f.doorOption)
            return "--door-sound takes wood, brass or glass";
    }
    if (has("--light-kind")) {
        const auto v = wholeIn(o.at("--light-kind"), 1, 2);
        if (!v)
            return "--light-kind takes 1 or 2";
        f.lightKind2 = *v == 2;
    }
    return std::nullopt;
}

} // namespace

int cmdInsert(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    static const std::vector<std::string> known = {"--category",
                                                   "--name",
                                                   "--like",
                                                   "--model",
                                                   "--translation",
                                                   "--size",
                                                   "--horizontal-dial",
                                                   "--vertical-dial",
                                                   "--vertical-angle",
                                                   "--weight",
                                                   "--sound",
                                                   "--behaviour",
                                                   "--sex",
                                                   "--aggression",
                                                   "--brightness",
                                                   "--colour",
                                                   "--door-sound",
                                                   "--light-kind"};
    if (args.size() < 2 || args[1].starts_with("--")) {
        err << InsertUsage;
        return 2;
    }
    std::map<std::string, std::string> o;
    for (std::size_t i = 2; i < args.size(); i += 2) {
        if (std::find(known.begin(), known.end(), args[i]) == known.end() || i + 1 >= args.size()) {
            err << InsertUsage;
            return 2;
        }
        o[args[i]] = args[i + 1];
    }
    if (!o.count("--category") || !o.count("--name")) {
        err << InsertUsage;
        return 2;
    }
    const auto category = categoryFromMenuName(o["--category"]);
    if (!category)
        return fail(err, "no category " + o["--category"]);
    for (const auto& [option, value] : o)
        if (auto lacking =
                refuseKindOption(option, ownerOfCategory(*category), "category " + o["--category"]))
            return fail(err, *lacking);
    Scene s;
    if (!load(args[1], s, err))
        return 2;
    if (s.index.entries.empty())
        return fail(err, args[1] + " lists no objects: there is no scene to insert into");
    std::optional<IndexRecord> like;
    if (o.count("--like")) {
        const auto e = entryArgument(s.index, o["--like"], err);
        if (!e)
            return 2;
        like = s.index.entries[*e];
    }
    InsertPreset preset = insertPreset(*category, like ? &*like : nullptr);
    if (auto bad = applyOptions(o, preset))
        return fail(err, *bad);
    applyDials(preset);
    const InsertCheck checked = checkInsertFields(preset.fields, s.index, '.');
    if (!checked.values) {
        const InsertRefusal& r = checked.refusal;
        err << (r.title.empty() ? r.text : r.title + ": " + r.text) << '\n';
        return 2;
    }
    const InsertOutcome done = insertObjectFile(args[1], s.view(), s.index, *checked.values);
    if (!done.written.ok)
        return fail(err, "cannot insert into " + args[1] + ": " + done.written.error);
    out << "inserted " << o["--name"] << " as entry " << done.newEntry << '\n';
    return 0;
}

int cmdDelete(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.size() != 3)
        return fail(err, "usage: quill delete SCENE ENTRY");
    Scene s;
    if (!load(args[1], s, err))
        return 2;
    const auto e = entryArgument(s.index, args[2], err);
    if (!e)
        return 2;
    const DeleteOutcome done = deleteObjectFile(args[1], s.view(), s.index, *e);
    if (done.initScript) {
        err << "Delete Model: Could not be deleted!\n";
        return 2;
    }
    if (!done.written.ok)
        return fail(err, "cannot delete from " + args[1] + ": " + done.written.error);
    out << "deleted " << cp1252ToUtf8(s.index.entries[*e].name) << '\n';
    return 0;
}
