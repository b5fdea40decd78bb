#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "byte_view.h"

// A float as the four bytes stored in the file (bits in host order), so a
// value written back unchanged is bit-identical.
struct StoredFloat {
    std::uint32_t bits = 0;
    float value() const;
    static StoredFloat fromValue(float f);
    bool operator==(const StoredFloat&) const = default;
};

// What the index knows of one entry of the main list. A field the file does
// not provide for this entry is empty.
struct IndexRecord {
    std::string name; // the file's bytes (Windows-1252)
    bool ticked = false;
    bool nameOnly = false;
    std::uint8_t kind = 255;

    std::optional<std::uint32_t> recordPos;
    std::optional<std::uint32_t> translationPos;
    std::optional<std::array<StoredFloat, 3>> translation;
    std::optional<std::array<StoredFloat, 4>> rotation; // q0 .. q3
    std::optional<std::array<StoredFloat, 3>> size;
    std::optional<std::string> model;

    std::optional<std::uint32_t> lightKind;
    std::optional<StoredFloat> brightness;
    std::optional<std::uint32_t> brightnessPos;
    std::optional<std::array<StoredFloat, 3>> colour;
    std::optional<std::uint32_t> colourPos;

    std::optional<std::uint8_t> material; // 1 wood, 2 brass, 3 glass
    std::optional<StoredFloat> weight;
    std::optional<std::uint32_t> weightPos;
    std::optional<std::uint8_t> sound;
    std::optional<std::uint32_t> soundPos;
    std::optional<std::uint8_t> behaviour;
    std::optional<std::uint32_t> behaviourPos; // the sex byte lies at this position + 4
    std::optional<std::uint8_t> sex;
    std::optional<StoredFloat> aggression;
    std::optional<std::uint32_t> aggressionPos;

    std::optional<std::uint32_t> definitionPos; // 0xAE21 record, or 0xAE51 for init scripts
    std::optional<std::uint32_t> dataChunkPos;  // 0xAE24 chunk holding the script
    std::optional<std::uint32_t> scriptPos; // object: the u32 script length; init: first text byte
    std::optional<std::uint32_t> namePos;   // object: the name chunk the entry was listed under

    bool operator==(const IndexRecord&) const = default;
};

struct SceneIndex {
    std::uint64_t fileLength = 0;
    std::vector<IndexRecord> entries; // the main list, in file order

    std::optional<std::uint32_t> modelLenPos;           // objects section length field
    std::optional<std::uint32_t> gesamtLaengeScriptPos; // definitions section length field
    std::optional<std::uint32_t> definitionsLength;
    std::optional<std::uint32_t> initSectionLengthPos;
    std::optional<std::uint32_t> initSectionLength;
    // List index of the first init script; entry count + 1 when the file has none.
    std::int64_t merkePosGameInit = 1;
    bool hasInitSection = false;
    std::uint32_t definitionNameCount = 0;

    // Index of the last listed object's rotation, as the scan leaves it.
    std::optional<std::array<StoredFloat, 4>> lastRotation;

    bool operator==(const SceneIndex&) const = default;
};

// Called a bounded number of times (at most 52) with a progress step 0..51.
using IndexProgress = std::function<void(int)>;

// Builds the index of a scene file held in memory. Any byte string gives an
// index (possibly empty); the scan never reads outside the buffer.
SceneIndex buildSceneIndex(ByteView file, const IndexProgress& progress = {});
