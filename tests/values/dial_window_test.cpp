#include "value_window_fixture.h"

#include "rotation_dial_view.h"

namespace {
using namespace entries;

QPoint end(RotationDialView* dial, const char* line, bool second = true) {
    auto* found = dial->findChild<DialLine*>(line);
    EXPECT_NE(found, nullptr) << line;
    if (!found)
        return {};
    return second ? QPoint(found->property("X2").toInt(), found->property("Y2").toInt())
                  : QPoint(found->property("X1").toInt(), found->property("Y1").toInt());
}

TEST_F(ValueWindow, DialEdgeCasesDrawAsTheFormulasSay) {
    open(mini::scene([](SceneWriter& w) {
        scripts::rotatedObject(w, "Up", {0.5f, 1.0f, 0.0f, 1.0f});
        scripts::rotatedObject(w, "Down", {0.5f, -1.0f, 0.0f, -1.0f});
    }));
    auto* h = control<RotationDialView>(window, "Shape1");
    auto* v = control<RotationDialView>(window, "Shape2");

    // A stored q3 or q1 of exactly 1 is 90 degrees; a save keeps them.
    clickEntry(0);
    EXPECT_EQ(slider("Slider2")->value(), -90);
    EXPECT_EQ(box("Text11")->text(), "90");
    clickEntry(1);
    EXPECT_EQ(slider("Slider2")->value(), 90);
    EXPECT_EQ(box("Text11")->text(), "-90");
    QTest::mouseClick(box("Text5"), Qt::LeftButton);
    clickSaveValue();
    EXPECT_EQ(onDisk(), original) << "-1 for q1 and q3 come back as saved";

    moveSlider("Slider1", 0);
    EXPECT_EQ(end(h, "Line11"), QPoint(1800, 3360 - 500)) << "straight up";
    EXPECT_EQ(end(h, "Line7", false), QPoint(1800, 3360 + 500)) << "straight down";
    EXPECT_EQ(box("Text4")->text(), "1");
    moveSlider("Slider1", 45);
    EXPECT_EQ(end(h, "Line11"), QPoint(1800 + 500, 3360)) << "pointing right";
    EXPECT_EQ(end(h, "Line12"), QPoint(1800, 3360 + 150));

    moveSlider("Slider2", 0);
    EXPECT_EQ(box("Text12")->text(), "6.123234E-17");
    EXPECT_EQ(end(v, "Line3", false), QPoint(3360 + 240, 3360)) << "the bar lies flat";
    EXPECT_EQ(end(v, "Line4"), QPoint(3360 - 240, 3360));
    EXPECT_EQ(end(v, "Line5"), QPoint(3360, 3360 - 150));

    // Text that is no number leaves q1 as the dial found it.
    typeInto("Text11", "abc");
    moveSlider("Slider2", 10);
    ASSERT_TRUE(window.pendingRotation.has_value());
    EXPECT_EQ((*window.pendingRotation)[1].value(), -1.0f);
}

} // namespace
