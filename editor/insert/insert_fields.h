#pragma once
#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "insert_values.h"
#include "scene_index.h"

// The insert window's fields as text (UTF-8), read before the checks.
struct InsertFields {
    std::string modelchoice;
    std::string name;                       // Text1
    std::string model;                      // Text8
    std::array<std::string, 3> translation; // Text2 .. Text4
    std::array<std::string, 3> size;        // Text5 .. Text7
    std::string q0;                         // Text9
    std::string q2;                         // Text10
    std::string vertical;                   // Text11, whole degrees
    std::string q3;                         // Text12
    std::string brightness;                 // Text13
    std::array<std::string, 3> colour;      // Text14 .. Text16, 0 .. 255
    bool lightKind2 = false;                // Option4 (else Option5)
    std::string thingWeight;                // Text18
    int thingSound = -1;                    // list index of Combo1
    std::string humanWeight;                // Text21
    std::string aggression;                 // Text22
    std::string sex;                        // Text23
    std::optional<int> behaviour;           // item data of the selected Combo3 entry
    int doorOption = 0;                     // 1 .. 3: which of Option1 .. Option3 is selected
};

struct InsertRefusal {
    std::string title;
    std::string text;
};

struct InsertCheck {
    std::optional<InsertValues> values;
    InsertRefusal refusal; // when values is empty
};

// A rotation field still holding its design-time text, or empty, counts as "0".
bool isUnsetRotation(std::string_view text, std::string_view designText);

// The insert window's checks in their order; the first that fails is returned.
// `index` is the open file's index (check 15 compares the name with its entries).
// Numbers are read with readNumber and `decimalPoint`.
InsertCheck checkInsertFields(const InsertFields& fields, const SceneIndex& index,
                              char decimalPoint);
