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

// The one grammar of every number a user types, in the windows and on quill's
// command line: optional blanks (space, tab) around it, an optional sign ("+"
// or "-"), digits with at most one `decimalPoint`, an optional exponent ("e"
// or "E", optional sign, digits). Anything else is not numeric: group
// separators, "inf", "nan", hexadecimal. A magnitude beyond the double range
// reads as an infinite number; one too small for a double reads as zero of
// its sign. `decimalPoint` is one ASCII character that is no digit, sign,
// blank, "e" or "E"; quill passes the dot, the windows their locale's.
FieldNumber readNumber(std::string_view text, char decimalPoint);

// A code or a slider position: a number (readNumber) that is exactly a whole
// number within [low, high]; nothing otherwise. Codes are not rounded.
std::optional<int> readWholeIn(std::string_view text, char decimalPoint, int low, int high);

// One value field: the text it shows, the number read from it, and the
// decimal separator the text was shown and read with.
struct ValueField {
    std::string text;
    FieldNumber number;
    char decimalPoint = '.';
};

// Whether the field still shows exactly `shown`, a text written with a dot
// (formatSingle and the texts built on it) and shown with the field's
// separator.
bool showsText(const ValueField& field, const std::string& shown);

// The single nearest to `value`; nothing when its magnitude is beyond the
// largest single (values that round to the largest single still fit).
std::optional<float> toSingle(double value);

// The single a field stands for. A field whose text is still exactly the text
// shown for the stored value (`shownForStored`, see showsText) keeps the
// stored bits, so
// values written back unchanged are bit-identical although the panel shows
// only seven digits.
std::optional<StoredFloat> singleFor(const ValueField& field, const std::string& shownForStored,
                                     StoredFloat stored);
