#include <QLineEdit>
#include <QSignalBlocker>
#include <QSlider>

#include "mdiform1.h"
#include "panel_number.h"
#include "rotation_dial.h"
#include "rotation_dial_view.h"

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
    Text11->setText(shownText(dial.q1AngleText));
}

void MDIForm1::drawHorizontalDial(double angle) {
    Shape1->draw(angle);
}

void MDIForm1::drawVerticalDial(double angle) {
    Shape2->draw(angle);
}
