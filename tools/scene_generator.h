#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Sample scene2.bin files for tests, benchmarks and the demo mission.
//
// Layout: a header chunk at offset 0 whose length is the file length; in it a
// small scene-info chunk, the objects section (0x4000), the definitions section
// (0xAE20) directly after it and the init-script section (0xAE50) last. The
// bytes are chosen so that the byte scans of both programs find exactly what
// was written: no 0xAE byte in the definitions and init-script sections other
// than in chunk ids, no 00 40 pair before the objects section, no length field
// that a byte-wise walk could take for an id, script length and text bytes that
// pass the script plausibility tests.

enum class ObjectKind : std::uint8_t { Plain, Light, Human, Thing, Physical, Vehicle, ScriptOnly };

// Absent: the definition data ends after its values; NoScriptMarker: it ends
// with 05 00 00 00 00; Present: 01 00 00 00 00, u32 length, text to the end.
enum class ScriptState : std::uint8_t { Absent, NoScriptMarker, Present };

// As the editor derives it from a physical thing's data text.
enum class Material : std::uint8_t { None = 0, Wood = 1, Brass = 2, Glass = 3 };

struct GeneratorOptions {
    std::uint32_t seed = 1;
    std::size_t objectCount = 40;
    // When set and larger than the scene's natural size, object scripts grow
    // by comment lines until the file has about this many bytes.
    std::optional<std::size_t> targetSize;
};

// What was written for one object record, with absolute file offsets.
struct GeneratedObject {
    std::string name;
    ObjectKind kind = ObjectKind::Plain;
    bool nameOnly = false;        // first child is the name chunk, not 0x4011
    std::uint32_t objectType = 0; // payload of 0x4011; 0 when name-only
    std::size_t recordOffset = 0;
    std::size_t recordLength = 0;
    std::size_t translationOffset = 0; // translation X; rotation and size follow
    std::array<float, 3> translation{};
    std::array<float, 4> rotation{};
    std::array<float, 3> size{};
    std::string model; // payload of 0x2012 without its 0 byte; empty when none

    // Lights only.
    std::uint32_t lightKind = 0;
    std::array<float, 3> colour{};
    float brightness = 0;
    std::size_t colourOffset = 0; // red; green and blue follow
    std::size_t brightnessOffset = 0;

    bool hasDefinition = false;
    std::string definitionName; // the name, or the name + "." + a suffix
    std::uint8_t definitionType = 0;
    std::size_t definitionOffset = 0; // the 0xAE21 record
    std::size_t dataChunkOffset = 0;  // the 0xAE24 chunk
    std::size_t dataChunkLength = 0;

    // Definition values: humans (behaviour, sex, aggression, weight), things
    // (weight, sound), physical things (material).
    std::uint8_t behaviour = 0;
    std::uint8_t sex = 0;
    float aggression = 0;
    float weight = 0;
    std::uint8_t sound = 0;
    Material material = Material::None;

    ScriptState script = ScriptState::Absent;
    std::size_t scriptOffset = 0; // the u32 script length; the text follows it
    std::uint32_t scriptLength = 0;
};

struct GeneratedInitScript {
    std::string name; // as both programs read it: without the stored trailing byte
    std::size_t recordOffset = 0;
    std::size_t recordLength = 0;
    std::size_t textOffset = 0; // the text runs to the record's end
    std::size_t textLength = 0;
};

struct GeneratedScene {
    std::vector<std::uint8_t> bytes;
    std::size_t objectsOffset = 0;
    std::size_t definitionsOffset = 0;
    std::size_t initScriptsOffset = 0;
    std::vector<GeneratedObject> objects; // in file order
    std::vector<GeneratedInitScript> initScripts;
};

// Deterministic for a seed; every kind occurs once objectCount is 7 or more.
GeneratedScene generateScene(const GeneratorOptions& options);
