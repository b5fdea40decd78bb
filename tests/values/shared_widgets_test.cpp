#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>
#include <gtest/gtest.h>

#include "colour_sliders.h"
#include "colours.h"
#include "rotation_dial_view.h"
#include "value_combos.h"

namespace {

int prop(const RotationDialView& dial, const char* line, const char* end) {
    auto* found = dial.findChild<DialLine*>(line);
    EXPECT_NE(found, nullptr) << line;
    return found ? found->property(end).toInt() : 0;
}

TEST(SharedWidgets, DialsDrawAroundTheCentreTheyAreGiven) {
    RotationDialView horizontal(DialKind::Horizontal, {1800, 3360}, "Shape1");
    EXPECT_EQ(prop(horizontal, "Line11", "X2"), 1800);
    EXPECT_EQ(prop(horizontal, "Line11", "Y2"), 2860) << "angle 0 points up";
    EXPECT_EQ(prop(horizontal, "Line7", "Y1"), 3860);
    EXPECT_EQ(prop(horizontal, "Line7", "X2"), 1800) << "the other end stays at the centre";
    EXPECT_EQ(prop(horizontal, "Line9", "X1"), 1200);
    horizontal.draw(45);
    EXPECT_EQ(prop(horizontal, "Line11", "X2"), 2300);
    EXPECT_EQ(prop(horizontal, "Line11", "Y2"), 3360);
    EXPECT_EQ(prop(horizontal, "Line12", "X2"), 1800);
    EXPECT_EQ(prop(horizontal, "Line12", "Y2"), 3510);

    // Another window places its dial elsewhere: every line moves with it.
    RotationDialView vertical(DialKind::Vertical, {1000, 500}, "Shape2");
    vertical.draw(-90);
    EXPECT_EQ(prop(vertical, "Line5", "X2"), 1000);
    EXPECT_EQ(prop(vertical, "Line5", "Y2"), 650) << "2a = -180 points down";
    EXPECT_EQ(prop(vertical, "Line1", "Y1"), 20);
    EXPECT_EQ(prop(vertical, "Line2", "Y1"), 620);
    EXPECT_EQ(vertical.lineColour("Line5"), DialMagenta);
    EXPECT_EQ(vertical.lineNames().size(), 5);

    QSlider* h = makeDialSlider(DialKind::Horizontal, "Slider1");
    QSlider* v = makeDialSlider(DialKind::Vertical, "Slider2");
    EXPECT_EQ(h->orientation(), Qt::Vertical);
    EXPECT_EQ(h->maximum(), 180);
    EXPECT_EQ(v->minimum(), -90);
    EXPECT_EQ(v->pageStep(), 5);
    delete h;
    delete v;
}

TEST(SharedWidgets, ListsCarryTheirCodes) {
    SoundCombo sound("Combo1");
    ASSERT_EQ(sound.count(), 9);
    EXPECT_EQ(sound.itemText(8), "No sound");
    EXPECT_FALSE(sound.code()) << "nothing chosen yet";
    QSignalSpy chosen(&sound, &QComboBox::activated);
    sound.showCode(5);
    EXPECT_EQ(sound.currentText(), "Box");
    EXPECT_EQ(sound.code(), 5);
    sound.showCode(255);
    EXPECT_FALSE(sound.code());

    BehaviourCombo behaviour("Combo3");
    ASSERT_EQ(behaviour.count(), 8);
    behaviour.showCode(8);
    EXPECT_EQ(behaviour.currentText(), "React when hit");
    EXPECT_EQ(behaviour.code(), 8);
    behaviour.showCode(3);
    EXPECT_EQ(behaviour.currentText(), "Duck");
    EXPECT_EQ(behaviour.code(), 0);
    EXPECT_TRUE(behaviour.showsUnlistedCode()) << "a save keeps the stored 3";
    EXPECT_EQ(chosen.count(), 0) << "code is no user";
    behaviour.setFocus();
    QTest::keyClick(&behaviour, Qt::Key_Down);
    QTest::keyClick(&behaviour, Qt::Key_Up);
    EXPECT_EQ(behaviour.code(), 0);
    EXPECT_FALSE(behaviour.showsUnlistedCode()) << "the user chose Duck";
    behaviour.showCode(16);
    EXPECT_FALSE(behaviour.showsUnlistedCode());
}

TEST(SharedWidgets, ColourSlidersFollowTheirSliders) {
    ColourSliders colours(
        {{"S3", "S4", "S5"}, {"T14", "T15", "T16"}, {"L9", "L11", "L14"}, "Preview"});
    EXPECT_EQ(colours.label(1)->text(), "Green");
    EXPECT_EQ(colours.preview()->objectName(), "Preview");
    QSignalSpy clicked(&colours, &ColourSliders::sliderClicked);
    colours.showComponents({"255", "127.5", "63.75"});
    EXPECT_EQ(clicked.count(), 0);
    EXPECT_EQ(colours.box(1)->text(), "127.5");
    EXPECT_EQ(colours.slider(1)->value(), 128) << "halves to even";
    EXPECT_EQ(colours.slider(2)->value(), 64);
    EXPECT_EQ(colours.previewColour(), QColor(255, 128, 64));
    colours.showComponents({"", "300", "x"});
    EXPECT_EQ(colours.previewColour(), QColor(0, 255, 0));

    colours.showComponents({"255", "0", "0"});
    colours.slider(1)->setFocus();
    QTest::keyClick(colours.slider(1), Qt::Key_PageUp);
    ASSERT_EQ(clicked.count(), 1);
    EXPECT_EQ(clicked.at(0).at(0).toInt(), 1);
    EXPECT_EQ(colours.box(1)->text(), "0") << "the window decides whether to follow";
    colours.takeSliderPositions();
    EXPECT_EQ(colours.box(0)->text(), "255");
    EXPECT_EQ(colours.box(1)->text(), "5");
    EXPECT_EQ(colours.previewColour(), QColor(255, 5, 0));
}

} // namespace
