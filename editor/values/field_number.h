#pragma once
#include <optional>
#include <string>
#include <string_view>

#include "scene_index.h"

// The number a value field holds. The caller reads the text in the user's
// number format; "Number" is finite, or infinite for numeric text whose
// magnitude lies beyond the double range (numeric, but it fits no target).
struct FieldNumber {
    enum class State { Empty, NotNumeric, Number };
    State state = State::Empty;
    double value = 0;

    bool numeric() const { return state == State::Number; }
    static FieldNumber number(double v) { return {State::Number, v}; }
    static FieldNumber notNumeric() { return {State::NotNumeric, 0}; }
};

// Reads a number written with `decimalPoint`: optional blanks around it, an
// optional sign, digits with at most one decimal point, an optional exponent
// ("e" or "E", optional sign, digits). Anything else, "inf" and "nan"
// included, is not numeric.
FieldNumber readNumber(std::string_view text, char decimalPoint = '.');

// One value field: the text it shows and the number read from it.
struct ValueField {
    std::string text;
    FieldNumber number;
};

// The single nearest to `value`; nothing when its magnitude is beyond the
// largest single (values that round to the largest single still fit).
std::optional<float> toSingle(double value);

// The single a field stands for. A field whose text is still exactly the text
// shown for the stored value (`shownForStored`) keeps the stored bits, so
// values written back unchanged are bit-identical although the panel shows
// only seven digits.
std::optional<StoredFloat> singleFor(const ValueField& field, const std::string& shownForStored,
                                     StoredFloat stored);
