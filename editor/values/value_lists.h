#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

// The two fixed item lists of the value panels: the text each item shows and
// the code written to scene2.bin for it. The sound code is written as a
// 32-bit integer, the behaviour code as one byte.
struct CodedItem {
    std::string_view text;
    int code;
};

inline constexpr std::array<CodedItem, 9> SoundItems = {{{"Lath 1", 0},
                                                         {"Lath 2", 1},
                                                         {"Barrel 1", 2},
                                                         {"Barrel 2", 3},
                                                         {"Label", 4},
                                                         {"Box", 5},
                                                         {"Wood", 6},
                                                         {"Plate", 7},
                                                         {"No sound", 8}}};

inline constexpr std::array<CodedItem, 8> BehaviourItems = {{{"Duck", 0},
                                                             {"No reaction", 2},
                                                             {"No reaction on weapon", 4},
                                                             {"React when hit", 8},
                                                             {"Reaction on Player", 16},
                                                             {"React on Attack", 32},
                                                             {"React on Attack 2", 64},
                                                             {"Afraid", 128}}};

// The position of the item with `code`, when the list has one.
template <std::size_t N>
constexpr std::optional<int> itemWithCode(const std::array<CodedItem, N>& items, long long code) {
    for (std::size_t i = 0; i < N; ++i)
        if (items[i].code == code)
            return static_cast<int>(i);
    return std::nullopt;
}
