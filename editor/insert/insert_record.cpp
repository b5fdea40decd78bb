#include "insert_record.h"

#include <bit>
#include <stdexcept>

#include "chunk_ids.h"
#include "record_templates.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint32_t BuildingReference[3] = {0xC4DE2014, 0xC09AFA9A, 0x410CB33A};
constexpr std::uint32_t LightReference[3] = {0xBFC26080, 0x3F904B5E, 0x3FEC20C5};
constexpr std::uint32_t DefaultReference[3] = {0xC4DDCA82, 0xC0B33F5B, 0x408A59BD};
constexpr std::uint32_t LightCone[2] = {0x4005C28F, 0x400CCCCD};  // 2.09, 2.2
constexpr std::uint32_t LightRange[2] = {0x3E4CCCCD, 0x40800000}; // 0.2, 4.0
constexpr std::uint32_t LightFlags = 107;
constexpr std::uint32_t BoxCorners[6] = {0xBF000000, 0xBF000000, 0xBF000000,
                                         0x3F000000, 0x3F000000, 0x3F000000};
constexpr std::string_view Sector = "Primary sector";

constexpr std::uint32_t ModelObject = 9;
constexpr std::uint32_t LightObject = 2;
constexpr std::uint32_t OtherObject = 6;
constexpr std::uint32_t ScriptDefinition = 5;
constexpr std::string_view OtherScript = "//////////";

// Patched fields of the copied templates, from the template's first byte.
constexpr std::size_t HumanBehaviour = 17;
constexpr std::size_t HumanSex = 21;
constexpr std::size_t HumanAggression = 57;
constexpr std::size_t HumanWeight = 81;
constexpr std::size_t ThingWeight = 26;
constexpr std::size_t ThingSound = 38;

// Little-endian chunk writing into a byte vector; chunks nest.
class Chunks {
public:
    void u8(std::uint8_t v) { b_.push_back(v); }
    void u16(std::uint16_t v) {
        u8(static_cast<std::uint8_t>(v));
        u8(static_cast<std::uint8_t>(v >> 8));
    }
    void u32(std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            u8(static_cast<std::uint8_t>(v >> (8 * i)));
    }
    void text(std::string_view s) { b_.insert(b_.end(), s.begin(), s.end()); }
    void begin(std::uint16_t id) {
        open_.push_back(b_.size());
        u16(id);
        u32(0);
    }
    void end() {
        const std::size_t start = open_.back();
        open_.pop_back();
        patchU32(b_, start + 2, static_cast<std::uint32_t>(b_.size() - start));
    }
    void bits(std::uint16_t id, std::span<const std::uint32_t> values) {
        begin(id);
        for (std::uint32_t v : values)
            u32(v);
        end();
    }
    void floats(std::uint16_t id, std::span<const float> values) {
        begin(id);
        for (float v : values)
            u32(std::bit_cast<std::uint32_t>(v));
        end();
    }
    void word(std::uint16_t id, std::uint32_t v) { bits(id, std::span(&v, 1)); }
    void string(std::uint16_t id, std::string_view s) {
        begin(id);
        text(s);
        u8(0);
        end();
    }
    static void patchU32(Bytes& b, std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            b.at(at + i) = static_cast<std::uint8_t>(v >> (8 * i));
    }
    Bytes take() { return std::move(b_); }

private:
    Bytes b_;
    std::vector<std::size_t> open_;
};

bool isModelObject(InsertCategory c) {
    return c != InsertCategory::Light && c != InsertCategory::Other;
}

void lightBlock(Chunks& w, const InsertValues& v) {
    w.begin(chunk::LightBlock);
    w.word(chunk::LightKind, v.lightKind);
    w.floats(chunk::LightColour, v.colour);
    w.floats(chunk::LightBrightness, std::span(&v.brightness, 1));
    w.bits(chunk::LightCone, LightCone);
    w.bits(chunk::LightRange, LightRange);
    w.word(chunk::LightFlags, LightFlags);
    w.string(chunk::LightSector, Sector);
    w.end();
}

std::span<const std::uint8_t> templateBytes(const std::string& name) {
    const auto t = findTemplate(name);
    if (!t)
        throw std::logic_error("record template " + name + " is missing");
    return *t;
}

} // namespace

TemplateUse templateFor(const InsertValues& v) {
    switch (v.category) {
    case InsertCategory::Human:
        return v.special() ? TemplateUse{"VINCS1", 2390} : TemplateUse{"HUMAN3", 115};
    case InsertCategory::Car:
        return {"CAR1", 2662};
    case InsertCategory::Truck:
        return {"CAR2", 2377};
    case InsertCategory::Policecar:
        return {"CAR3", 2443};
    case InsertCategory::Door:
        return {v.doorSound == DoorSound::Glass   ? "DOOR3"
                : v.doorSound == DoorSound::Brass ? "DOOR2"
                                                  : "DOOR1",
                86};
    case InsertCategory::Things:
        return {"THING1", 47};
    case InsertCategory::Uwall:
        return {"WALL", 86};
    case InsertCategory::Other:
        return {"", 40};
    case InsertCategory::Building:
    case InsertCategory::Light:
        break;
    }
    return {};
}

std::vector<std::uint8_t> buildObjectRecord(const InsertValues& v) {
    const InsertCategory c = v.category;
    Chunks w;
    w.begin(chunk::ObjectRecord);
    w.word(chunk::ObjectType, c == InsertCategory::Light   ? LightObject
                              : c == InsertCategory::Other ? OtherObject
                                                           : ModelObject);
    w.string(chunk::Name, v.name);
    w.floats(chunk::Translation, v.translation);
    if (c == InsertCategory::Light)
        w.bits(chunk::Rotation, LightRotationBits);
    else
        w.floats(chunk::Rotation, v.rotation);
    w.floats(chunk::Size, v.size);
    w.bits(chunk::ReferenceVector, c == InsertCategory::Building ? BuildingReference
                                   : c == InsertCategory::Light  ? LightReference
                                                                 : DefaultReference);
    if (c != InsertCategory::Building) {
        w.begin(chunk::Parent);
        w.string(chunk::Name, Sector);
        w.end();
    }
    if (isModelObject(c))
        w.string(chunk::Model, v.model);
    if (c == InsertCategory::Light)
        lightBlock(w, v);
    if (c == InsertCategory::Other)
        w.bits(chunk::Box, BoxCorners);
    w.end();
    return w.take();
}

std::vector<std::uint8_t> buildDefinitionRecord(const InsertValues& v) {
    const TemplateUse use = templateFor(v);
    if (use.bytes == 0)
        return {};
    Chunks w;
    w.begin(chunk::DefinitionRecord);
    w.string(chunk::DefinitionName, v.name);
    if (v.category == InsertCategory::Other) {
        w.word(chunk::DefinitionType, ScriptDefinition);
        w.begin(chunk::DefinitionData);
        w.u32(1);
        w.u8(0);
        w.u32(1);
        w.u8(0);
        w.u32(static_cast<std::uint32_t>(OtherScript.size()));
        w.text(OtherScript);
        w.end();
        w.end();
        return w.take();
    }
    const std::size_t at = 6 + 7 + v.name.size();
    const auto t = templateBytes(use.name);
    if (t.size() < use.bytes)
        throw std::logic_error("record template " + use.name + " is too short");
    w.text(std::string_view(reinterpret_cast<const char*>(t.data()), use.bytes));
    w.end();
    Bytes b = w.take();
    if (v.category == InsertCategory::Human) {
        b[at + HumanBehaviour] = v.behaviour;
        b[at + HumanSex] = v.sex;
        Chunks::patchU32(b, at + HumanAggression, std::bit_cast<std::uint32_t>(v.aggression));
        Chunks::patchU32(b, at + HumanWeight, std::bit_cast<std::uint32_t>(v.humanWeight));
    } else if (v.category == InsertCategory::Things) {
        Chunks::patchU32(b, at + ThingWeight, std::bit_cast<std::uint32_t>(v.thingWeight));
        Chunks::patchU32(b, at + ThingSound, static_cast<std::uint32_t>(v.thingSound));
    }
    return b;
}

std::string_view categoryWord(InsertCategory c) {
    switch (c) {
    case InsertCategory::Human:
        return "human";
    case InsertCategory::Car:
        return "car";
    case InsertCategory::Truck:
        return "truck";
    case InsertCategory::Policecar:
        return "policecar";
    case InsertCategory::Building:
        return "building";
    case InsertCategory::Door:
        return "door";
    case InsertCategory::Things:
        return "things";
    case InsertCategory::Light:
        return "light";
    case InsertCategory::Other:
        return "other";
    case InsertCategory::Uwall:
        return "uwall";
    }
    return {};
}

std::optional<InsertCategory> categoryFromWord(std::string_view word) {
    for (int i = 0; i <= static_cast<int>(InsertCategory::Uwall); ++i) {
        const auto c = static_cast<InsertCategory>(i);
        if (categoryWord(c) == word)
            return c;
    }
    return std::nullopt;
}
