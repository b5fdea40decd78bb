#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <variant>

#include "field_number.h"
#include "scene_edit.h"
#include "scene_index.h"

// What a value save writes into one entry. A field left empty is not written:
// its bytes stay as they are. The main window's "Save" gives every field of
// the entry's kind; `quill values set` gives the fields it was told.
struct ValueSaveInput {
    std::optional<std::array<ValueField, 3>> translation; // Text5 .. Text7
    std::optional<std::array<ValueField, 3>> size;        // Text8 .. Text10
    // The vertical angle in degrees (Text11): q1 = the sine of it rounded to
    // whole degrees; a text still as shown for the stored q1 keeps q1.
    std::optional<ValueField> verticalAngle;
    // q0, q2 and q3 as the dials set them (q1 is taken from the angle).
    std::optional<std::array<StoredFloat, 4>> dialRotation;

    std::optional<ValueField> brightness;            // Text20
    std::optional<std::array<ValueField, 3>> colour; // Text14 .. Text16, 0 to 255
    std::optional<ValueField> weight;                // Text13 (thing) or Text21 (human)
    std::optional<ValueField> aggression;            // Text22
    std::optional<ValueField> sex;                   // Text23
    std::optional<int> soundCode;                    // a code of the sound list
    std::optional<int> behaviourCode;                // a code of the behaviour list
    // The kind whose fields the input holds, when it is not the stored one:
    // the window's display-only kinds have no kind fields and no fixed light
    // rotation.
    std::optional<std::uint8_t> panelKind;
};

// The first check that fails: the message box's prompt and title.
struct ValueSaveRefusal {
    std::string prompt;
    std::string title; // may be empty
};

struct ValueSavePlan {
    Edit edit; // in-place writes only
    EditExpectation expect;
    IndexRecord record; // the entry as it reads after the save
    // The entry has no values in the file (listed by name only): there is
    // nothing to write.
    bool nothingToWrite = false;
};

// The fixed rotation every light is saved with (four singles).
inline constexpr std::array<std::uint8_t, 16> LightRotationBytes = {
    0xC5, 0xC5, 0x33, 0x3F, 0x70, 0x31, 0x36, 0xBF, 0x2A, 0xBC, 0x98, 0x3C, 0xC4, 0x27, 0x5A, 0xBB};

// The kinds with fields of their own.
inline constexpr std::uint8_t LightKind = 2;
inline constexpr std::uint8_t HumanKind = 27;
inline constexpr std::uint8_t ThingKind = 35;

// Checks the fields in the editor's fixed order (the completeness of
// translation and size, the kind's own fields, translation, size, the
// vertical angle) and plans the writes at the positions the index found for
// `entry`. Fields of another kind, and fields whose position the file lacks,
// are not written.
std::variant<ValueSavePlan, ValueSaveRefusal>
planValueSave(const SceneIndex& index, std::size_t entry, const ValueSaveInput& input);

// The texts the value panel shows for stored values, written with a dot; a
// field still showing this text with its own separator (showsText) is
// unchanged.
std::string shownSingle(StoredFloat value);
std::string shownColour(StoredFloat fraction); // the fraction times 255
std::string shownAngle(StoredFloat q1);        // Text11 for a stored q1
