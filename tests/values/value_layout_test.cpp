#include <QGroupBox>
#include <QLineEdit>

#include "load_fixture.h"
#include "value_box_width.h"

namespace {

// A box shows its whole text when the caret at the end has not pushed the
// start out of view: the text then runs from the caret's place at the start
// to its place at the end.
bool showsWhole(QLineEdit* box, const QString& text) {
    box->setText(text);
    box->home(false);
    box->grab();
    const int start = box->inputMethodQuery(Qt::ImCursorRectangle).toRect().center().x();
    box->end(false);
    box->grab();
    const int end = box->inputMethodQuery(Qt::ImCursorRectangle).toRect().center().x();
    box->home(false);
    return end - start >= box->fontMetrics().horizontalAdvance(text) - 1;
}

// The box lies inside the window, uncovered by the window's edges.
bool insideWindow(QWidget* box, QWidget* window) {
    const QRect at(box->mapTo(window, QPoint(0, 0)), box->size());
    return window->rect().contains(at);
}

class ValueLayout : public LoadFixture {
protected:
    void expectWhole(const char* frame, std::initializer_list<const char*> boxes, BoxText kind,
                     std::initializer_list<const char*> samples = {}) {
        if (frame) {
            for (const char* other : {"Frame3", "Frame8", "Frame9"})
                control<QGroupBox>(window, other)->setVisible(QString(other) == frame);
        }
        for (const char* name : boxes) {
            QLineEdit* box = control<QLineEdit>(window, name);
            ASSERT_NE(box, nullptr);
            ASSERT_TRUE(box->isVisible()) << name;
            EXPECT_TRUE(insideWindow(box, &window)) << name;
            QStringList texts = {longestText(kind, box->font())};
            for (const char* sample : samples)
                texts.append(sample);
            for (const QString& text : texts)
                EXPECT_TRUE(showsWhole(box, text)) << name << " " << text.toStdString();
        }
    }
};

TEST_F(ValueLayout, EveryValueBoxShowsItsLongestText) {
    const char* singles = "-0.9991097";
    expectWhole(nullptr,
                {"Text5", "Text6", "Text7", "Text8", "Text9", "Text10", "Text3", "Text4", "Text12"},
                BoxText::Single, {singles, "-1.234568E+38", "-0.0001234568"});
    expectWhole(nullptr, {"Text11"}, BoxText::AngleDouble,
                {"-179.999999999999", "-1.23456789012345E-44"});
    expectWhole("Frame3", {"Text20", "Text14", "Text15", "Text16"}, BoxText::Single,
                {"4.903842", "193.249"});
    expectWhole("Frame8", {"Text13"}, BoxText::Single, {"97.30212"});
    expectWhole("Frame9", {"Text21", "Text22"}, BoxText::Single, {"-0.9991097"});
    expectWhole("Frame9", {"Text23"}, BoxText::Byte, {"255"});
}

TEST_F(ValueLayout, TheKindFramesAndDialsStayInsideTheWindow) {
    for (const char* name : {"Shape1", "Shape2", "Slider1", "Slider2", "SaveValue", "Command1"})
        EXPECT_TRUE(insideWindow(control<QWidget>(window, name), &window)) << name;
    for (const char* frame : {"Frame3", "Frame8", "Frame9"}) {
        auto* box = control<QGroupBox>(window, frame);
        box->show();
        EXPECT_TRUE(insideWindow(box, &window)) << frame;
        for (QWidget* child : box->findChildren<QWidget*>()) {
            if (child->isVisible()) {
                EXPECT_TRUE(insideWindow(child, &window))
                    << frame << " " << child->objectName().toStdString();
            }
        }
        box->hide();
    }
}

} // namespace
