#include <QSignalSpy>
#include <map>

#include "number_text.h"
#include "rotation_dial.h"
#include "rotation_dial_view.h"
#include "script_fixture.h"

namespace {

QString single(float value) {
    return QString::fromStdString(formatSingle(value));
}

QPoint point(DialPoint end) {
    return QPoint(end.x, end.y);
}

class DisplayValues : public ScriptWindow {
protected:
    QSlider* slider(const char* name) { return control<QSlider>(window, name); }
    QComboBox* combo(const char* name) { return control<QComboBox>(window, name); }
    RotationDialView* dial(const char* name) { return control<RotationDialView>(window, name); }

    void expectRotation(const std::array<float, 4>& q) {
        EXPECT_EQ(box("Text3")->text(), single(q[0]));
        EXPECT_EQ(box("Text4")->text(), single(q[2]));
        EXPECT_EQ(box("Text12")->text(), single(q[3]));
        const HorizontalFromStored horizontal = horizontalFromStored(q[0]);
        const VerticalFromStored vertical = verticalFromStored(q[3], q[1]);
        EXPECT_EQ(box("Text11")->text(), QString::fromStdString(vertical.q1AngleText));
        EXPECT_EQ(slider("Slider1")->value(), horizontal.slider);
        EXPECT_EQ(slider("Slider2")->value(), vertical.slider);
        const auto h = horizontalNeedles(horizontal.angle);
        EXPECT_EQ(dial("Shape1")->line("Line7").p1(), point(h[0]));
        EXPECT_EQ(dial("Shape1")->line("Line11").p2(), point(h[1]));
        EXPECT_EQ(dial("Shape1")->line("Line12").p2(), point(h[2]));
        const auto v = verticalNeedles(vertical.angle);
        EXPECT_EQ(dial("Shape2")->line("Line3").p1(), point(v[0]));
        EXPECT_EQ(dial("Shape2")->line("Line4").p2(), point(v[1]));
        EXPECT_EQ(dial("Shape2")->line("Line5").p2(), point(v[2]));
        EXPECT_EQ(window.RotationZI, q[0]);
        EXPECT_EQ(window.RotationYI, q[1]);
        EXPECT_EQ(window.RotationXI, q[2]);
        EXPECT_EQ(window.RotationÄI, q[3]);
    }
};

TEST_F(DisplayValues, GeneratedObjectsShowTheirValues) {
    const GeneratedScene scene = sampleScene(60, 11);
    open(scene.bytes);
    std::map<std::string, int> names;
    for (const GeneratedObject& object : scene.objects)
        ++names[object.name];

    // The display's own setting of sliders and combo boxes is no user action.
    std::vector<QSignalSpy*> spies;
    for (const char* name : {"Slider1", "Slider2", "Slider3", "Slider4", "Slider5"})
        spies.push_back(new QSignalSpy(slider(name), &QSlider::valueChanged));
    std::vector<int> fillingFlags;
    for (const char* name : {"Combo1", "Combo3"})
        QObject::connect(combo(name), &QComboBox::currentIndexChanged, &window,
                         [&] { fillingFlags.push_back(window.PanelFilling); });

    int checked[4] = {0, 0, 0, 0};
    for (std::size_t entry = 0; entry < scene.objects.size(); ++entry) {
        const GeneratedObject& object = scene.objects[entry];
        if (object.nameOnly || names[object.name] > 1)
            continue;
        SCOPED_TRACE(object.name);
        clickEntry(int(entry));
        EXPECT_EQ(box("Text17")->text(), QString::fromStdString(cp1252ToUtf8(object.name)));
        EXPECT_EQ(box("Text2(12)")->text(), QString::fromStdString(cp1252ToUtf8(object.model)));
        const char* translation[] = {"Text5", "Text6", "Text7"};
        const char* size[] = {"Text8", "Text9", "Text10"};
        for (int axis = 0; axis < 3; ++axis) {
            EXPECT_EQ(box(translation[axis])->text(), single(object.translation[axis]));
            EXPECT_EQ(box(size[axis])->text(), single(object.size[axis]));
        }
        expectRotation(object.rotation);
        const bool defined = object.hasDefinition;
        if (object.kind == ObjectKind::Light) {
            ++checked[0];
            EXPECT_EQ(box("Text20")->text(), single(object.brightness));
            EXPECT_EQ(box("Text14")->text(), single(float(double(object.colour[0]) * 255.0)));
            EXPECT_EQ(box("Text16")->text(), single(float(double(object.colour[2]) * 255.0)));
        } else if (defined && object.definitionType == 35) {
            ++checked[1];
            EXPECT_EQ(box("Text13")->text(), single(object.weight));
            EXPECT_EQ(combo("Combo1")->currentIndex(), object.sound <= 8 ? int(object.sound) : -1);
        } else if (defined && object.definitionType == 27) {
            ++checked[2];
            EXPECT_EQ(box("Text23")->text(), QString::number(object.sex));
            EXPECT_EQ(box("Text22")->text(), single(object.aggression));
            EXPECT_EQ(box("Text21")->text(), single(object.weight));
            const int item = combo("Combo3")->findData(int(object.behaviour));
            EXPECT_EQ(combo("Combo3")->currentIndex(), item < 0 ? 0 : item);
        } else {
            ++checked[3];
        }
    }
    for (int kind = 0; kind < 4; ++kind)
        EXPECT_GT(checked[kind], 0) << kind;
    for (QSignalSpy* spy : spies) {
        EXPECT_EQ(spy->count(), 0);
        delete spy;
    }
    ASSERT_FALSE(fillingFlags.empty());
    for (int flag : fillingFlags)
        EXPECT_EQ(flag, -1);
}

TEST_F(DisplayValues, LightColourComesAsWholeNumbers) {
    open(scripts::displayScene());
    clickEntry(0);
    EXPECT_EQ(box("Text20")->text(), "2.5");
    EXPECT_EQ(box("Text14")->text(), "255");
    EXPECT_EQ(box("Text15")->text(), "127.5");
    EXPECT_EQ(box("Text16")->text(), "63.75");
    // Halves go to the even neighbour.
    EXPECT_EQ(slider("Slider3")->value(), 255);
    EXPECT_EQ(slider("Slider4")->value(), 128);
    EXPECT_EQ(slider("Slider5")->value(), 64);
    EXPECT_EQ(backColour(control<QWidget>(window, "Picture4")), QColor(255, 128, 64));
}

TEST_F(DisplayValues, ValuesTheFileLacksShowEmpty) {
    open(scripts::displayScene());
    clickEntry(6);
    EXPECT_EQ(box("Text20")->text(), "");
    EXPECT_EQ(box("Text14")->text(), "");
    EXPECT_EQ(box("Text5")->text(), "1.5");
    clickEntry(8);
    for (const char* name : {"Text5", "Text8", "Text3", "Text11", "Text12", "Text2(12)"})
        EXPECT_EQ(box(name)->text(), "") << name;
}

TEST_F(DisplayValues, UnknownCodesSelectAsTheListsAllow) {
    open(scripts::displayScene());
    clickEntry(2);
    EXPECT_EQ(box("Text13")->text(), "7.25");
    // A stored sound of -1 is read as 255: no sound item is selected.
    EXPECT_EQ(combo("Combo1")->currentIndex(), -1);
    clickEntry(4);
    EXPECT_EQ(box("Text23")->text(), "30");
    EXPECT_EQ(box("Text22")->text(), "0.75");
    EXPECT_EQ(box("Text21")->text(), "80");
    // Behaviour 3 is no single bit: the first item.
    EXPECT_EQ(combo("Combo3")->currentText(), "Duck");
}

TEST_F(DisplayValues, DialsFollowTheStoredRotation) {
    open(mini::scene([](SceneWriter& w) {
        scripts::rotatedObject(w, "Straight", {0.0f, 0.0f, 0.0f, 0.0f});
        scripts::rotatedObject(w, "Backwards", {-1.0f, 0.5f, 0.0f, 0.3f});
        scripts::rotatedObject(w, "Beyond", {0.5f, 2.0f, 0.0f, 1.5f});
    }));
    clickEntry(0);
    EXPECT_EQ(slider("Slider1")->value(), 0);
    EXPECT_EQ(slider("Slider2")->value(), 0);
    EXPECT_EQ(dial("Shape1")->line("Line11").p2(), QPoint(1800, 2860));
    EXPECT_EQ(dial("Shape1")->line("Line7").p1(), QPoint(1800, 3860));
    EXPECT_EQ(dial("Shape1")->line("Line12").p2(), QPoint(1950, 3360));
    EXPECT_EQ(dial("Shape2")->line("Line3").p1(), QPoint(3600, 3360));
    EXPECT_EQ(dial("Shape2")->line("Line4").p2(), QPoint(3120, 3360));
    EXPECT_EQ(dial("Shape2")->line("Line5").p2(), QPoint(3360, 3210));
    expectRotation({0.0f, 0.0f, 0.0f, 0.0f});

    // The nudge away from 1 uses |q0|: -1 comes back as 90.
    clickEntry(1);
    EXPECT_EQ(slider("Slider1")->value(), 90);
    EXPECT_EQ(box("Text11")->text(), "30");
    expectRotation({-1.0f, 0.5f, 0.0f, 0.3f});

    // Magnitudes above 1 count as 0.
    clickEntry(2);
    EXPECT_EQ(slider("Slider1")->value(), 30);
    EXPECT_EQ(slider("Slider2")->value(), 0);
    EXPECT_EQ(box("Text11")->text(), "0");
}

} // namespace
