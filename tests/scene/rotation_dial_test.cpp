#include <gtest/gtest.h>

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
