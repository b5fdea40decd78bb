#include "index_json.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <sstream>
#include <vector>

#include "cp1252.h"

namespace {
// A float JSON has no number for, as a string; empty for a finite one.
std::string_view nonFiniteText(float f) {
    if (std::isnan(f))
        return "\"nan\"";
    if (std::isinf(f))
        return f > 0 ? "\"inf\"" : "\"-inf\"";
    return {};
}
} // namespace

std::string jsonNumber(float f) {
    if (const std::string_view t = nonFiniteText(f); !t.empty())
        return std::string(t);
    char buf[32];
    return std::string(buf, std::to_chars(buf, buf + sizeof buf, f).ptr);
}

namespace {
// Floats repeat across a scene (0, 1, the same sizes and turns), and their
// shortest text takes tens of nanoseconds to find: the text of each is kept
// by bit pattern in a small table, looked up before it is found again.
class FloatTexts {
public:
    // Writes what std::to_chars writes for `f`. `p` has room for 32 bytes,
    // and bytes past the text's end within them may be overwritten.
    char* write(char* p, float f) {
        const auto bits = std::bit_cast<std::uint32_t>(f);
        Slot& s = slots_[(bits * 0x9E3779B1u) >> (32 - kBits)];
        if (s.length != 0 && s.bits == bits) {
            std::memcpy(p, s.text, sizeof s.text);
            return p + s.length;
        }
        char* end = std::to_chars(p, p + 32, f).ptr;
        const auto length = static_cast<std::size_t>(end - p);
        if (length <= sizeof s.text) {
            s.bits = bits;
            s.length = static_cast<std::uint8_t>(length);
            std::memcpy(s.text, p, length);
        }
        return end;
    }

private:
    // 4096 slots of 24 bytes: the table stays in the processor's cache.
    static constexpr int kBits = 12;
    struct Slot {
        std::uint32_t bits = 0;
        std::uint8_t length = 0; // 0: empty
        char text[16] = {};
    };
    std::vector<Slot> slots_ = std::vector<Slot>(std::size_t{1} << kBits);
};

// Writes the JSON into a buffer through a cursor: each entry first makes room
// for its largest possible text, so no piece checks for room on its own.
class JsonOut {
public:
    // The most one number takes, and the most an entry takes besides its
    // name and model: its keys and punctuation, 32 numbers, and spare.
    static constexpr std::size_t kNumberRoom = 32;
    static constexpr std::size_t kEntryRoom = 1024 + 32 * kNumberRoom;
    static constexpr std::size_t kFlushAt = 1 << 16;

    explicit JsonOut(std::ostream& out) : out_(out), buf_(kFlushAt + 8192), p_(buf_.data()) {}

    // The largest text str() makes of `n` bytes.
    static std::size_t strRoom(std::size_t n) { return jsonTextRoom(n); }

    // Room for `n` more bytes; what is written so far goes out first when
    // the buffer is past its flush mark.
    void room(std::size_t n) {
        if (used() >= kFlushAt)
            flush();
        if (buf_.size() - used() < n) {
            const std::size_t at = used();
            buf_.resize(at + n);
            p_ = buf_.data() + at;
        }
    }
    void flush() {
        out_.write(buf_.data(), static_cast<std::streamsize>(used()));
        p_ = buf_.data();
    }

    void lit(std::string_view t) {
        std::memcpy(p_, t.data(), t.size());
        p_ += t.size();
    }
    void key(std::string_view k) {
        *p_++ = '"';
        lit(k);
        lit("\":");
    }
    void str(std::string_view bytes1252) { p_ = writeJsonText(p_, bytes1252); }
    void num(float f) {
        if (const std::string_view t = nonFiniteText(f); !t.empty())
            lit(t);
        else
            p_ = floats_.write(p_, f);
    }
    void num(std::int64_t v) {
        if (v >= 0 && v <= 0xFFFFFFFF)
            p_ = writeJsonUnsigned(p_, static_cast<std::uint32_t>(v));
        else
            p_ = std::to_chars(p_, p_ + kNumberRoom, v).ptr;
    }
    void null() { lit("null"); }
    // Turns the last character written (a ",") into `c`.
    void replaceLast(char c) { p_[-1] = c; }

    template <class T> void opt(std::string_view k, const std::optional<T>& v) {
        key(k);
        if (v)
            num(static_cast<std::int64_t>(*v));
        else
            null();
        *p_++ = ',';
    }
    void optF(std::string_view k, const std::optional<StoredFloat>& v) {
        key(k);
        if (v)
            num(v->value());
        else
            null();
        *p_++ = ',';
    }
    template <std::size_t N>
    void optA(std::string_view k, const std::optional<std::array<StoredFloat, N>>& v) {
        key(k);
        if (v) {
            *p_++ = '[';
            for (std::size_t i = 0; i < N; ++i) {
                if (i)
                    *p_++ = ',';
                num((*v)[i].value());
            }
            *p_++ = ']';
        } else {
            null();
        }
        *p_++ = ',';
    }

private:
    std::size_t used() const { return static_cast<std::size_t>(p_ - buf_.data()); }

    std::ostream& out_;
    std::vector<char> buf_;
    char* p_;
    FloatTexts floats_;
};

void entry(JsonOut& j, std::size_t i, const IndexRecord& r) {
    j.room(JsonOut::kEntryRoom + JsonOut::strRoom(r.name.size()) +
           JsonOut::strRoom(r.model ? r.model->size() : 0));
    j.lit("{\"index\":");
    j.num(static_cast<std::int64_t>(i));
    j.lit(",");
    j.key("name");
    j.str(r.name);
    j.lit(",\"ticked\":");
    j.lit(r.ticked ? "true" : "false");
    j.lit(",\"name_only\":");
    j.lit(r.nameOnly ? "true" : "false");
    j.lit(",\"kind\":");
    j.num(std::int64_t{r.kind});
    j.lit(",");
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
    j.lit(",");
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
    j.replaceLast('}');
}
} // namespace

void writeIndexJson(const SceneIndex& index, std::ostream& out) {
    JsonOut j(out);
    j.room(1024);
    j.lit("{\"file_length\":");
    j.num(static_cast<std::int64_t>(index.fileLength));
    j.lit(",");
    j.opt("ModelLenPos", index.modelLenPos);
    j.opt("GesamtLängeScriptPos", index.gesamtLaengeScriptPos);
    j.key("MerkePosGameInit");
    j.num(index.merkePosGameInit);
    j.lit(",");
    j.opt("init_section_length_pos", index.initSectionLengthPos);
    j.lit("\"entries\":[");
    for (std::size_t i = 0; i < index.entries.size(); ++i) {
        entry(j, i, index.entries[i]);
        if (i + 1 < index.entries.size())
            j.lit(",");
    }
    j.room(8);
    j.lit("]}\n");
    j.flush();
}

std::string indexToJson(const SceneIndex& index) {
    std::ostringstream out;
    writeIndexJson(index, out);
    return std::move(out).str();
}
