#include <QLineEdit>
#include <QSignalBlocker>
#include <QSlider>

#include "dial_view.h"
#include "mdiform1.h"
#include "rotation_dial.h"

namespace {

// Each needle line keeps one end at the dial centre; only its other end moves.
void moveFirstEnd(DialView* dial, const QString& line, DialPoint end) {
    const QLine now = dial->line(line);
    dial->moveLine(line, QLine(QPoint(end.x, end.y), now.p2()));
}

void moveSecondEnd(DialView* dial, const QString& line, DialPoint end) {
    const QLine now = dial->line(line);
    dial->moveLine(line, QLine(now.p1(), QPoint(end.x, end.y)));
}

} // namespace

void MDIForm1::SyncHorizontalDial(float q0) {
    const HorizontalFromStored dial = horizontalFromStored(q0);
    {
        const QSignalBlocker quiet(Slider1);
        Slider1->setValue(dial.slider);
    }
    drawHorizontalDial(dial.angle);
}

void MDIForm1::SyncVerticalDial(float q3, float q1) {
    const VerticalFromStored dial = verticalFromStored(q3, q1);
    {
        const QSignalBlocker quiet(Slider2);
        Slider2->setValue(dial.slider);
    }
    drawVerticalDial(dial.angle);
    Text11->setText(QString::fromStdString(dial.q1AngleText));
}

void MDIForm1::drawHorizontalDial(double angle) {
    const auto ends = horizontalNeedles(angle);
    moveFirstEnd(Shape1, "Line7", ends[0]);
    moveSecondEnd(Shape1, "Line11", ends[1]);
    moveSecondEnd(Shape1, "Line12", ends[2]);
}

void MDIForm1::drawVerticalDial(double angle) {
    const auto ends = verticalNeedles(angle);
    moveFirstEnd(Shape2, "Line3", ends[0]);
    moveSecondEnd(Shape2, "Line4", ends[1]);
    moveSecondEnd(Shape2, "Line5", ends[2]);
}
