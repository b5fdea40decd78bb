#pragma once
#include <array>
#include <string>

// The two rotation dials. The horizontal dial (slider 0..180) sets q0 and q2,
// the vertical dial (slider -90..90) sets q3; q1 travels as an angle in degrees.
// Angles are degrees; components pass through their seven-digit text, so the
// stored bits are those of the text the panel shows.

struct HorizontalFromSlider {
    std::string q0Text; // shown in Text3
    std::string q2Text; // shown in Text4
    float q0;
    float q2;
};
HorizontalFromSlider horizontalFromSlider(int slider);

struct HorizontalFromStored {
    int slider;
    double angle; // unrounded, for the needle figure
};
HorizontalFromStored horizontalFromStored(float q0);

struct VerticalFromStored {
    int slider;
    double angle;
    std::string q1AngleText; // shown in Text11
};
VerticalFromStored verticalFromStored(float q3, float q1);

struct VerticalFromSlider {
    std::string q3Text; // shown in Text12
    float q3;
};
VerticalFromSlider verticalFromSlider(int slider);

// The components a slider position gives are the same bits on every system.

// q1 for an angle in degrees typed into Text11; a whole angle from -180 to
// 180 gives the same bits on every system.
float q1FromAngle(double degrees);

// The moving end of a needle line of `length` at `angle` degrees (0 straight
// up, clockwise) whose other end is fixed at (x, y); screen y grows downwards.
struct DialPoint {
    int x;
    int y;
};
DialPoint needleEnd(int x, int y, int length, double angle);

// The dial centres, in twips of the dials' container.
inline constexpr DialPoint HorizontalDialCentre{1800, 3360};
inline constexpr DialPoint VerticalDialCentre{3360, 3360};

// The moving ends of the needle lines of a dial centred at `centre`, in
// drawing order: horizontal Line7, Line11, Line12; vertical Line3, Line4,
// Line5. Without a centre, the main window's dials.
std::array<DialPoint, 3> horizontalNeedles(DialPoint centre, double angle);
std::array<DialPoint, 3> verticalNeedles(DialPoint centre, double angle);
inline std::array<DialPoint, 3> horizontalNeedles(double angle) {
    return horizontalNeedles(HorizontalDialCentre, angle);
}
inline std::array<DialPoint, 3> verticalNeedles(double angle) {
    return verticalNeedles(VerticalDialCentre, angle);
}
