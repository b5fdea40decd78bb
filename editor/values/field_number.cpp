#include "field_number.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <optional>

#include "number_text.h"

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
    // `plain` is the number in from_chars' syntax: no sign, a dot.
    std::string plain;
    std::size_t i = 0;
    bool negative = false;
    if (text[i] == '+' || text[i] == '-') {
        negative = text[i] == '-';
        ++i;
    }
    std::size_t digits = 0;
    std::size_t wholeDigits = 0;
    std::optional<std::size_t> firstNonZero;
    bool point = false;
    for (; i < text.size(); ++i) {
        if (isDigit(text[i])) {
            if (text[i] != '0' && !firstNonZero)
                firstNonZero = digits;
            plain += text[i];
            ++digits;
            if (!point)
                ++wholeDigits;
        } else if (text[i] == decimalPoint && !point) {
            plain += '.';
            point = true;
        } else {
            break;
        }
    }
    if (digits == 0)
        return FieldNumber::notNumeric();
    long long exponent = 0;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        plain += 'e';
        ++i;
        bool exponentNegative = false;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
            exponentNegative = text[i] == '-';
            plain += text[i++];
        }
        std::size_t exponentDigits = 0;
        for (; i < text.size() && isDigit(text[i]); ++i, ++exponentDigits) {
            plain += text[i];
            // Held far beyond any double's exponent, so it cannot overflow.
            exponent = std::min(exponent * 10 + (text[i] - '0'), 1'000'000'000LL);
        }
        if (exponentDigits == 0)
            return FieldNumber::notNumeric();
        if (exponentNegative)
            exponent = -exponent;
    }
    if (i != text.size())
        return FieldNumber::notNumeric();

    double value = 0;
    const auto [end, error] = std::from_chars(plain.data(), plain.data() + plain.size(), value);
    if (end != plain.data() + plain.size())
        return FieldNumber::notNumeric();
    if (error == std::errc::result_out_of_range) {
        // Too large, or too small to be anything but zero: the power of ten
        // of the first significant digit tells them apart.
        const long long magnitude = static_cast<long long>(wholeDigits) -
                                    static_cast<long long>(firstNonZero.value_or(0)) - 1 + exponent;
        value = magnitude < 0 ? 0.0 : std::numeric_limits<double>::infinity();
    }
    return FieldNumber::number(negative ? -value : value);
}

std::optional<int> readWholeIn(std::string_view text, char decimalPoint, int low, int high) {
    const FieldNumber n = readNumber(text, decimalPoint);
    if (!n.numeric() || n.value != std::floor(n.value) || n.value < low || n.value > high)
        return std::nullopt;
    return static_cast<int>(n.value);
}

bool showsText(const ValueField& field, const std::string& shown) {
    return field.text == withDecimalPoint(shown, field.decimalPoint);
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
    if (showsText(field, shownForStored))
        return stored;
    if (!field.number.numeric())
        return std::nullopt;
    const std::optional<float> single = toSingle(field.number.value);
    if (!single)
        return std::nullopt;
    return StoredFloat::fromValue(*single);
}
