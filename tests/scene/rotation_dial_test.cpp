#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>

#include "number_text.h"
#include "rotation_dial.h"

namespace {
TEST(NumberText, GeneralFormatWithSevenOrFifteenDigits) {
    EXPECT_EQ(formatSingle(0.5f), "0.5");
    EXPECT_EQ(formatSingle(-6.123234e-17f), "-6.123234E-17");
    EXPECT_EQ(formatSingle(12345678.0f), "1.234568E+07");
    EXPECT_EQ(formatSingle(0.0f), "0");
    EXPECT_EQ(formatDouble(30.00000000000001), "30");
    EXPECT_EQ(roundHalfEven(2.5), 2);
    EXPECT_EQ(roundHalfEven(3.5), 4);
    EXPECT_EQ(roundHalfEven(-0.5), 0);
}

TEST(RotationDial, HorizontalSliderGivesQ0AndQ2) {
    const auto at90 = horizontalFromSlider(90);
    EXPECT_EQ(at90.q0Text, "1");
    EXPECT_EQ(at90.q2Text, "-6.123234E-17");
    const auto at91 = horizontalFromSlider(91);
    EXPECT_EQ(at91.q0Text, "-0.9998477");
    EXPECT_EQ(at91.q2Text, "0.01745241");
    EXPECT_FLOAT_EQ(at91.q0, -0.9998477f);
}

std::uint32_t bits(float f) {
    return std::bit_cast<std::uint32_t>(f);
}

// The components of whole degrees are fixed bits, the same on every system:
// the values at the quarter turns, where maths libraries differ most.
TEST(RotationDial, WholeDegreesGiveFixedBits) {
    EXPECT_EQ(bits(horizontalFromSlider(90).q2), 0xa48d3132u) << "-6.123234E-17";
    EXPECT_EQ(bits(horizontalFromSlider(90).q0), 0x3f800000u);
    EXPECT_EQ(bits(horizontalFromSlider(0).q0), 0x250d3133u) << "1.224647E-16";
    EXPECT_EQ(bits(horizontalFromSlider(0).q2), 0x3f800000u);
    EXPECT_EQ(horizontalFromSlider(0).q0Text, "1.224647E-16");
    EXPECT_EQ(bits(horizontalFromSlider(180).q0), 0xa50d3133u);
    EXPECT_EQ(horizontalFromSlider(180).q2Text, "1");
    EXPECT_EQ(bits(horizontalFromSlider(91).q2), 0x3c8ef85bu) << "0.01745241";
    EXPECT_EQ(bits(verticalFromSlider(0).q3), 0x248d3132u) << "6.123234E-17";
    EXPECT_EQ(verticalFromSlider(0).q3Text, "6.123234E-17");
    EXPECT_EQ(bits(verticalFromSlider(90).q3), 0xbf800000u);
    EXPECT_EQ(bits(verticalFromSlider(-30).q3), 0x3f000000u) << "-sin(-30) = 0.5";
    EXPECT_EQ(bits(q1FromAngle(30)), 0x3f000000u);
    EXPECT_EQ(bits(q1FromAngle(90)), 0x3f800000u);
    EXPECT_EQ(bits(q1FromAngle(180)), 0x250d3132u) << "sin(pi) as a single";
    EXPECT_EQ(bits(q1FromAngle(-180)), 0xa50d3132u);
    EXPECT_EQ(bits(q1FromAngle(-1)), 0xbc8ef859u);
    EXPECT_EQ(bits(q1FromAngle(0)), 0u);
}

#if defined(__GLIBC__)
// glibc's sine and cosine are correctly rounded at these arguments: the
// fixed components are what the formulas give there, at every whole degree.
TEST(RotationDial, FixedComponentsAreTheFormulasAtEveryWholeDegree) {
    const double pi = 4.0 * std::atan(1.0);
    auto viaText = [](double v) { return std::strtof(formatSingle(float(v)).c_str(), nullptr); };
    for (int v = 0; v <= 180; ++v) {
        const double psi = (v > 90 ? v : v - 180) * pi / 180.0;
        const HorizontalFromSlider h = horizontalFromSlider(v);
        EXPECT_EQ(bits(h.q0), bits(viaText(-std::sin(psi)))) << v;
        EXPECT_EQ(bits(h.q2), bits(viaText(-std::cos(psi)))) << v;
        EXPECT_EQ(h.q0Text, formatSingle(float(-std::sin(psi)))) << v;
        EXPECT_EQ(h.q2Text, formatSingle(float(-std::cos(psi)))) << v;
    }
    for (int w = -90; w <= 90; ++w) {
        const VerticalFromSlider r = verticalFromSlider(w);
        EXPECT_EQ(bits(r.q3), bits(viaText(std::cos((w + 90.0) * pi / 180.0)))) << w;
        EXPECT_EQ(r.q3Text, formatSingle(float(std::cos((w + 90.0) * pi / 180.0)))) << w;
    }
    for (int n = -180; n <= 180; ++n)
        EXPECT_EQ(bits(q1FromAngle(n)), bits(float(std::sin(n * pi / 180.0)))) << n;
    EXPECT_EQ(q1FromAngle(30.5), float(std::sin(30.5 * pi / 180.0))) << "not whole: the formula";
}
#endif

TEST(RotationDial, StoredComponentsComeBackAsTheSliderThatMadeThem) {
    for (int v = 0; v <= 180; ++v)
        EXPECT_EQ(horizontalFromStored(horizontalFromSlider(v).q0).slider, v) << v;
    for (int w = -90; w <= 90; ++w)
        EXPECT_EQ(verticalFromStored(verticalFromSlider(w).q3, 0).slider, w) << w;
    EXPECT_EQ(horizontalFromStored(-1.0f).slider, 90) << "the nudge keeps only the magnitude";
    EXPECT_EQ(horizontalFromStored(3.0f).slider, 0);
    const auto big = verticalFromStored(1.5f, -2.0f);
    EXPECT_EQ(big.slider, 0);
    EXPECT_EQ(big.q1AngleText, "0");
    EXPECT_EQ(verticalFromStored(0, q1FromAngle(30)).q1AngleText, "30");
    EXPECT_EQ(verticalFromStored(1.0f, 1.0f).slider, -90);
    EXPECT_EQ(q1FromAngle(30), 0.5f);
}

TEST(RotationDial, NeedlesPointByTheAngle) {
    const auto h0 = horizontalNeedles(0);
    EXPECT_EQ(h0[1].x, 1800);
    EXPECT_EQ(h0[1].y, 3360 - 500) << "Line11 straight up";
    EXPECT_EQ(h0[0].y, 3360 + 500) << "Line7 straight down";
    const auto h45 = horizontalNeedles(45);
    EXPECT_EQ(h45[1].x, 1800 + 500);
    EXPECT_EQ(h45[1].y, 3360);
    EXPECT_EQ(verticalFromSlider(-90).q3Text, "1");
    const auto vDown = verticalNeedles(-90);
    EXPECT_EQ(vDown[2].x, 3360);
    EXPECT_EQ(vDown[2].y, 3360 + 150) << "Line5 straight down";
}
} // namespace
