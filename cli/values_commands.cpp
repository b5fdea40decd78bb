#include "values_commands.h"

#include <charconv>
#include <cmath>
#include <sstream>

#include "cp1252.h"
#include "entry_argument.h"
#include "file_access.h"
#include "index_json.h"
#include "kind_options.h"
#include "rotation_dial.h"
#include "scene_edit.h"
#include "script_files.h"
#include "value_save.h"

namespace {

constexpr const char* SetUsage =
    "usage: quill values set SCENE ENTRY [--translation X,Y,Z] [--size X,Y,Z]\n"
    "         [--vertical-angle DEG] [--horizontal-dial V] [--vertical-dial W]\n"
    "         [--weight W] [--sound CODE] [--behaviour CODE] [--sex N] [--aggression A]\n"
    "         [--brightness B] [--colour R,G,B]\n"
    "Numbers use a dot as the decimal separator.\n";

int fail(std::ostream& err, const std::string& what) {
    err << "quill: " << what << '\n';
    return 2;
}

// A refused check, as the editor's message box would show it.
int refuse(std::ostream& err, const ValueSaveRefusal& r) {
    if (r.title.empty())
        err << r.prompt << '\n';
    else
        err << r.title << ": " << r.prompt << '\n';
    return 2;
}

struct Scene {
    std::vector<std::uint8_t> bytes;
    SceneIndex index;
    ByteView view() const { return ByteView(bytes.data(), bytes.size()); }
};

// Loads SCENE and finds ENTRY, which must be an object with values.
std::optional<std::size_t> loadEntry(const std::string& path, const std::string& ref, Scene& s,
                                     std::ostream& err) {
    if (auto r = readWholeFile(path, s.bytes); !r) {
        fail(err, "cannot read " + path + ": " + r.error);
        return std::nullopt;
    }
    s.index = buildSceneIndex(s.view());
    const auto e = entryArgument(s.index, ref, err);
    if (!e)
        return std::nullopt;
    const IndexRecord& r = s.index.entries[*e];
    if (static_cast<std::int64_t>(*e) >= s.index.merkePosGameInit) {
        fail(err, "entry " + ref + " is an init script: it has no values");
        return std::nullopt;
    }
    if (r.nameOnly || !r.translationPos || !r.translation || !r.rotation || !r.size) {
        fail(err, "entry " + ref + " has no values in the file");
        return std::nullopt;
    }
    return e;
}

// ---- values get

template <std::size_t N> std::string numbers(const std::optional<std::array<StoredFloat, N>>& v) {
    if (!v)
        return "null";
    std::string s = "[";
    for (std::size_t i = 0; i < N; ++i) {
        if (i)
            s += ',';
        s += jsonNumber((*v)[i].value());
    }
    return s + "]";
}

std::string single(const std::optional<StoredFloat>& v) {
    return v ? jsonNumber(v->value()) : "null";
}

template <class T> std::string whole(const std::optional<T>& v) {
    return v ? std::to_string(static_cast<std::int64_t>(*v)) : "null";
}

// ---- values set: option parsing

std::vector<std::string> splitComma(const std::string& text) {
    std::vector<std::string> parts;
    std::string part;
    std::istringstream in(text);
    while (std::getline(in, part, ','))
        parts.push_back(part);
    if (!text.empty() && text.back() == ',')
        parts.push_back("");
    return parts;
}

ValueField field(const std::string& text) {
    return {text, readNumber(text, '.')};
}

std::optional<std::array<ValueField, 3>> triple(const std::string& text) {
    const std::vector<std::string> parts = splitComma(text);
    if (parts.size() != 3)
        return std::nullopt;
    return std::array<ValueField, 3>{field(parts[0]), field(parts[1]), field(parts[2])};
}

// A whole number within [low, high], as a slider or list takes it.
std::optional<int> wholeIn(const std::string& text, int low, int high) {
    return readWholeIn(text, '.', low, high);
}

} // namespace

int cmdValuesGet(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.size() != 4)
        return fail(err, "usage: quill values get SCENE ENTRY");
    Scene s;
    const auto e = loadEntry(args[2], args[3], s, err);
    if (!e)
        return 2;
    const IndexRecord& r = s.index.entries[*e];
    out << "{\"index\":" << *e << ",\"name\":" << jsonText(r.name) << ",\"kind\":" << int(r.kind)
        << ",\"translation\":" << numbers(r.translation) << ",\"rotation\":" << numbers(r.rotation)
        << ",\"size\":" << numbers(r.size);
    if (r.kind == LightKind)
        out << ",\"light_kind\":" << whole(r.lightKind)
            << ",\"brightness\":" << single(r.brightness) << ",\"colour\":" << numbers(r.colour);
    if (r.kind == ThingKind)
        out << ",\"weight\":" << single(r.weight) << ",\"sound\":" << whole(r.sound);
    if (r.kind == HumanKind)
        out << ",\"behaviour\":" << whole(r.behaviour) << ",\"sex\":" << whole(r.sex)
            << ",\"aggression\":" << single(r.aggression) << ",\"weight\":" << single(r.weight);
    out << "}\n";
    return 0;
}

int cmdValuesSet(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.size() < 4 || (args.size() - 4) % 2 != 0) {
        err << SetUsage;
        return 2;
    }
    Scene s;
    const auto e = loadEntry(args[2], args[3], s, err);
    if (!e)
        return 2;
    const IndexRecord& r = s.index.entries[*e];
    ValueSaveInput in;
    std::array<StoredFloat, 4> dials = *r.rotation;
    bool dialled = false;
    for (std::size_t i = 4; i < args.size(); i += 2) {
        const std::string& option = args[i];
        const std::string& value = args[i + 1];
        if (isValuePanelKindOption(option))
            if (auto lacking = refuseKindOption(option, ownerOfKind(r.kind), "entry " + args[3]))
                return fail(err, *lacking);
        if (option == "--translation" || option == "--size" || option == "--colour") {
            auto three = triple(value);
            if (!three)
                return fail(err, option + " takes three numbers separated by commas");
            if (option == "--translation")
                in.translation = three;
            else if (option == "--size")
                in.size = three;
            else {
                for (const ValueField& c : *three)
                    if (!wholeIn(c.text, 0, 255))
                        return refuse(err, {"Value 0 ... 255", "Colour"});
                in.colour = three;
            }
        } else if (option == "--vertical-angle") {
            in.verticalAngle = field(value);
        } else if (option == "--horizontal-dial") {
            const auto v = wholeIn(value, 0, 180);
            if (!v)
                return refuse(err, {"Value 0 ... 180", "Horz"});
            const HorizontalFromSlider h = horizontalFromSlider(*v);
            dials[0] = StoredFloat::fromValue(h.q0);
            dials[2] = StoredFloat::fromValue(h.q2);
            dialled = true;
        } else if (option == "--vertical-dial") {
            const auto w = wholeIn(value, -90, 90);
            if (!w)
                return refuse(err, {"Value -90 ... 90", "Vert"});
            dials[3] = StoredFloat::fromValue(verticalFromSlider(*w).q3);
            dialled = true;
        } else if (option == "--weight") {
            in.weight = field(value);
        } else if (option == "--aggression") {
            in.aggression = field(value);
        } else if (option == "--sex") {
            in.sex = field(value);
        } else if (option == "--brightness") {
            in.brightness = field(value);
        } else if (option == "--sound" || option == "--behaviour") {
            const auto code = wholeIn(value, 0, 255);
            const bool sound = option == "--sound";
            if (!code)
                return refuse(err, sound ? ValueSaveRefusal{"No such sound", "Sound"}
                                         : ValueSaveRefusal{"No such behaviour", "Behaviour"});
            (sound ? in.soundCode : in.behaviourCode) = *code;
        } else {
            err << SetUsage;
            return 2;
        }
    }
    if (dialled)
        in.dialRotation = dials;

    const auto planned = planValueSave(s.index, *e, in);
    if (const auto* refused = std::get_if<ValueSaveRefusal>(&planned))
        return refuse(err, *refused);
    const ValueSavePlan& plan = std::get<ValueSavePlan>(planned);
    if (plan.edit.splices.empty())
        return 0;
    const EditOutcome done = commitEdit(args[2], s.view(), s.index, plan.edit, plan.expect);
    if (!done.ok)
        return fail(err, "cannot save the values in " + args[2] + ": " + done.error);
    out << "saved " << args[3] << '\n';
    return 0;
}
