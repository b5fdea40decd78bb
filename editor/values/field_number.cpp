#include "field_number.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace {
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// The boundary above which a double no longer rounds to the largest single:
// the largest single plus half its last place.
const double SingleLimit = (2.0 - std::ldexp(1.0, -24)) * std::ldexp(1.0, 127);
} // namespace

FieldNumber readNumber(std::string_view text, char decimalPoint) {
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    if (text.empty())
        return {};
    std::string plain;
    std::size_t i = 0;
    bool negative = false;
    if (text[i] == '+' || text[i] == '-') {
        negative = text[i] == '-';
        ++i;
    }
    std::size_t digits = 0;
    bool point = false;
    for (; i < text.size(); ++i) {
        if (isDigit(text[i])) {
            plain += text[i];
            ++digits;
        } else if (text[i] == decimalPoint && !point) {
            plain += '.';
            point = true;
        } else {
            break;
        }
    }
    if (digits == 0)
        return FieldNumber::notNumeric();
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        plain += 'e';
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-'))
            plain += text[i++];
        std::size_t exponentDigits = 0;
        for (; i < text.size() && isDigit(text[i]); ++i, ++exponentDigits)
            plain += text[i];
        if (exponentDigits == 0)
            return FieldNumber::notNumeric();
    }
    if (i != text.size())
        return FieldNumber::notNumeric();

    double value = 0;
    const auto [end, error] = std::from_chars(plain.data(), plain.data() + plain.size(), value);
    if (end != plain.data() + plain.size())
        return FieldNumber::notNumeric();
    if (error == std::errc::result_out_of_range) {
        // Too large, or too small to be anything but zero: tell them apart by
        // the exponent's sign as the text has it.
        const bool tiny = plain.find("e-") != std::string::npos;
        value = tiny ? 0.0 : std::numeric_limits<double>::infinity();
    }
    return FieldNumber::number(negative ? -value : value);
}

std::optional<float> toSingle(double value) {
    if (!std::isfinite(value) || std::fabs(value) >= SingleLimit)
        return std::nullopt;
    if (std::fabs(value) > std::numeric_limits<float>::max())
        return std::copysign(std::numeric_limits<float>::max(), value);
    return static_cast<float>(value);
}

std::optional<StoredFloat> singleFor(const ValueField& field, const std::string& shownForStored,
                                     StoredFloat stored) {
    if (field.text == shownForStored)
        return stored;
    if (!field.number.numeric())
        return std::nullopt;
    const std::optional<float> single = toSingle(field.number.value);
    if (!single)
        return std::nullopt;
    return StoredFloat::fromValue(*single);
}
