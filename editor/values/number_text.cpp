#include "number_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace {
// As printf's "%.*G", but independent of the process's LC_NUMERIC, which a
// window library may have set from the user's environment.
std::string general(double value, int digits) {
    if (value == 0)
        return "0";
    if (std::isnan(value))
        return "NaN";
    if (std::isinf(value))
        return value > 0 ? "Infinity" : "-Infinity";
    char buf[40];
    const auto [end, error] =
        std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, digits);
    std::string text(buf, error == std::errc() ? end : buf);
    std::replace(text.begin(), text.end(), 'e', 'E');
    return text;
}
} // namespace

std::string formatSingle(float value) {
    return general(value, 7);
}

std::string formatDouble(double value) {
    return general(value, 15);
}

std::string withDecimalPoint(std::string text, char decimalPoint) {
    std::replace(text.begin(), text.end(), '.', decimalPoint);
    return text;
}

double roundHalfEven(double value) {
    return std::nearbyint(value);
}
