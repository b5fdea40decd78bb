#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// What the insert window's menu entry chose. The word is the window's
// `modelchoice`.
enum class InsertCategory {
    Human,
    Car,
    Truck,
    Policecar,
    Building,
    Door,
    Things,
    Light,
    Other,
    Uwall
};

std::string_view categoryWord(InsertCategory c);
std::optional<InsertCategory> categoryFromWord(std::string_view word);

// The name that brings its prepared scene along (exact, case-sensitive).
inline constexpr std::string_view SpecialName = "VincenzoQXA";

// Door sound, as the options Option1 .. Option3 choose it.
enum class DoorSound { Wood = 1, Brass = 2, Glass = 3 };

// Validated values of one new object. Texts are the file's bytes (Windows-1252).
struct InsertValues {
    InsertCategory category = InsertCategory::Other;
    std::string name;
    std::string model; // unused for "light" and "other"
    std::array<float, 3> translation{};
    std::array<float, 4> rotation{}; // q0 .. q3
    std::array<float, 3> size{};

    std::uint32_t lightKind = 1; // 2 when Option4 is selected
    float brightness = 0;
    std::array<float, 3> colour{}; // fractions 0 .. 1
    DoorSound doorSound = DoorSound::Wood;
    float thingWeight = 0;
    std::int32_t thingSound = -1; // list index of Combo1, -1 for none
    std::uint8_t behaviour = 0;
    std::uint8_t sex = 0;
    float aggression = 0;
    float humanWeight = 0;

    bool special() const { return name == SpecialName; }
};
