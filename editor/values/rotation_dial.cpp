#include "rotation_dial.h"

#include <cmath>
#include <cstdlib>

#include "number_text.h"

namespace {
const double kPi = 4.0 * std::atan(1.0);
double rad(double degrees) {
    return degrees * kPi / 180.0;
}
double deg(double radians) {
    return radians * 180.0 / kPi;
}

// Arcsine in degrees by way of the arctangent; ±1 gives ±90.
double arcsineDegrees(double x) {
    const double c = 1.0 - x * x;
    if (c == 0)
        return x > 0 ? 90.0 : -90.0;
    return deg(std::atan(x / std::sqrt(c)));
}

float viaText(double value, std::string& text) {
    text = formatSingle(static_cast<float>(value));
    return std::strtof(text.c_str(), nullptr);
}

int toInt16(double v) {
    return static_cast<int>(roundHalfEven(v));
}

} // namespace

HorizontalFromSlider horizontalFromSlider(int slider) {
    const double psi = slider > 90 ? slider : slider - 180;
    HorizontalFromSlider out{};
    out.q0 = viaText(-std::sin(rad(psi)), out.q0Text);
    out.q2 = viaText(-std::cos(rad(psi)), out.q2Text);
    return out;
}

HorizontalFromStored horizontalFromStored(float q0) {
    double x = q0;
    if (std::fabs(x) > 1)
        x = 0;
    if (1.0 - x * x == 0)
        x = std::fabs(static_cast<double>(q0)) - 0.000000001;
    const double psi = deg(std::atan(x / std::sqrt(1.0 - x * x)));
    return {static_cast<int>(roundHalfEven(psi < 0 ? psi + 180 : psi)), psi};
}

VerticalFromStored verticalFromStored(float q3, float q1) {
    const double x3 = std::fabs(q3) > 1 ? 0.0 : static_cast<double>(q3);
    const double omega = -arcsineDegrees(x3);
    const double x1 = std::fabs(q1) > 1 ? 0.0 : static_cast<double>(q1);
    return {static_cast<int>(roundHalfEven(omega)), omega, formatDouble(arcsineDegrees(x1))};
}

VerticalFromSlider verticalFromSlider(int slider) {
    VerticalFromSlider out{};
    out.q3 = viaText(std::cos(rad(slider + 90.0)), out.q3Text);
    return out;
}

float q1FromAngle(double degrees) {
    return static_cast<float>(std::sin(rad(degrees)));
}

DialPoint needleEnd(int x, int y, int length, double angle) {
    const int dx = toInt16(length * std::sin(rad(angle)));
    const int dy = toInt16(length * std::cos(rad(angle)));
    return {x + dx, y - dy};
}

std::array<DialPoint, 3> horizontalNeedles(DialPoint c, double a) {
    return {needleEnd(c.x, c.y, 500, 2 * a + 180), needleEnd(c.x, c.y, 500, 2 * a),
            needleEnd(c.x, c.y, 150, 2 * a + 90)};
}

std::array<DialPoint, 3> verticalNeedles(DialPoint c, double a) {
    return {needleEnd(c.x, c.y, 240, 2 * a + 90), needleEnd(c.x, c.y, 240, 2 * a - 90),
            needleEnd(c.x, c.y, 150, 2 * a)};
}
