#include "number_text.h"

#include <cfenv>
#include <cmath>
#include <cstdio>

namespace {
std::string general(double value, int digits) {
    if (value == 0)
        return "0";
    if (std::isnan(value))
        return "NaN";
    if (std::isinf(value))
        return value > 0 ? "Infinity" : "-Infinity";
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.*G", digits, value);
    return buf;
}
} // namespace

std::string formatSingle(float value) {
    return general(value, 7);
}

std::string formatDouble(double value) {
    return general(value, 15);
}

double roundHalfEven(double value) {
    return std::nearbyint(value);
}
