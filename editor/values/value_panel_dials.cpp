#include <QLineEdit>
#include <QSignalBlocker>
#include <QSlider>

#include "panel_number.h"
#include "rotation_dial.h"
#include "rotation_dial_view.h"
#include "value_panel.h"

void ValuePanel::SyncHorizontalDial(float q0) {
    const HorizontalFromStored dial = horizontalFromStored(q0);
    {
        const QSignalBlocker quiet(Slider1);
        Slider1->setValue(dial.slider);
    }
    drawHorizontalDial(dial.angle);
}

void ValuePanel::SyncVerticalDial(float q3, float q1) {
    const VerticalFromStored dial = verticalFromStored(q3, q1);
    {
        const QSignalBlocker quiet(Slider2);
        Slider2->setValue(dial.slider);
    }
    drawVerticalDial(dial.angle);
    Text11->setText(shownText(dial.q1AngleText));
}

void ValuePanel::drawHorizontalDial(double angle) {
    Shape1->draw(angle);
}

void ValuePanel::drawVerticalDial(double angle) {
    Shape2->draw(angle);
}
