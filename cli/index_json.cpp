#include "index_json.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <sstream>

#include "cp1252.h"

namespace {
// Appends what jsonNumber gives, without a string of its own.
void appendJsonNumber(std::string& out, float f) {
    if (std::isnan(f)) {
        out += "\"nan\"";
        return;
    }
    if (std::isinf(f)) {
        out += f > 0 ? "\"inf\"" : "\"-inf\"";
        return;
    }
    char buf[32];
    const auto r = std::to_chars(buf, buf + sizeof buf, f);
    out.append(buf, r.ptr);
}

void appendInteger(std::string& out, std::int64_t v) {
    char buf[24];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    out.append(buf, r.ptr);
}
} // namespace

std::string jsonNumber(float f) {
    std::string out;
    appendJsonNumber(out, f);
    return out;
}

namespace {
class JsonOut {
public:
    std::string s;

    void key(const char* k) {
        s += '"';
        s += k;
        s += "\":";
    }
    void str(std::string_view bytes1252) { appendJsonText(s, bytes1252); }
    void num(float f) { appendJsonNumber(s, f); }
    void num(std::int64_t v) { appendInteger(s, v); }
    void null() { s += "null"; }

    template <class T> void opt(const char* k, const std::optional<T>& v) {
        key(k);
        if (v)
            num(static_cast<std::int64_t>(*v));
        else
            null();
        s += ',';
    }
    void optF(const char* k, const std::optional<StoredFloat>& v) {
        key(k);
        if (v)
            num(v->value());
        else
            null();
        s += ',';
    }
    template <std::size_t N>
    void optA(const char* k, const std::optional<std::array<StoredFloat, N>>& v) {
        key(k);
        if (v) {
            s += '[';
            for (std::size_t i = 0; i < N; ++i) {
                if (i)
                    s += ',';
                num((*v)[i].value());
            }
            s += ']';
        } else {
            null();
        }
        s += ',';
    }
};

void entry(JsonOut& j, std::size_t i, const IndexRecord& r) {
    j.s += "{\"index\":";
    j.num(static_cast<std::int64_t>(i));
    j.s += ',';
    j.key("name");
    j.str(r.name);
    j.s += ",\"ticked\":";
    j.s += r.ticked ? "true" : "false";
    j.s += ",\"name_only\":";
    j.s += r.nameOnly ? "true" : "false";
    j.s += ",\"kind\":";
    j.num(std::int64_t{r.kind});
    j.s += ',';
    j.opt("record_pos", r.recordPos);
    j.opt("translation_pos", r.translationPos);
    j.optA("translation", r.translation);
    j.optA("rotation", r.rotation);
    j.optA("size", r.size);
    j.key("model");
    if (r.model)
        j.str(*r.model);
    else
        j.null();
    j.s += ',';
    j.opt("light_kind", r.lightKind);
    j.optF("brightness", r.brightness);
    j.opt("brightness_pos", r.brightnessPos);
    j.optA("colour", r.colour);
    j.opt("colour_pos", r.colourPos);
    j.opt("material", r.material);
    j.optF("weight", r.weight);
    j.opt("weight_pos", r.weightPos);
    j.opt("sound", r.sound);
    j.opt("sound_pos", r.soundPos);
    j.opt("behaviour", r.behaviour);
    j.opt("behaviour_pos", r.behaviourPos);
    j.opt("sex", r.sex);
    j.optF("aggression", r.aggression);
    j.opt("aggression_pos", r.aggressionPos);
    j.opt("definition_pos", r.definitionPos);
    j.opt("data_chunk_pos", r.dataChunkPos);
    j.opt("script_pos", r.scriptPos);
    j.s.back() = '}';
}
} // namespace

void writeIndexJson(const SceneIndex& index, std::ostream& out) {
    constexpr std::size_t kFlushAt = 1 << 16;
    JsonOut j;
    j.s.reserve(kFlushAt + 4096);
    j.s += "{\"file_length\":" + std::to_string(index.fileLength) + ",";
    j.opt("ModelLenPos", index.modelLenPos);
    j.opt("GesamtLängeScriptPos", index.gesamtLaengeScriptPos);
    j.key("MerkePosGameInit");
    j.num(index.merkePosGameInit);
    j.s += ',';
    j.opt("init_section_length_pos", index.initSectionLengthPos);
    j.s += "\"entries\":[";
    for (std::size_t i = 0; i < index.entries.size(); ++i) {
        if (i)
            j.s += ',';
        entry(j, i, index.entries[i]);
        if (j.s.size() >= kFlushAt) {
            out.write(j.s.data(), static_cast<std::streamsize>(j.s.size()));
            j.s.clear();
        }
    }
    j.s += "]}\n";
    out.write(j.s.data(), static_cast<std::streamsize>(j.s.size()));
}

std::string indexToJson(const SceneIndex& index) {
    std::ostringstream out;
    writeIndexJson(index, out);
    return std::move(out).str();
}
