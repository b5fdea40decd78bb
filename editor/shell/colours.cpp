#include "colours.h"

#include <QApplication>
#include <QPalette>
#include <QWidget>

QColor systemColour(SystemColour which) {
    const QPalette palette = QApplication::palette();
    switch (which) {
    case SystemColour::Menu:
        return palette.color(QPalette::Button);
    case SystemColour::WindowBackground:
        return palette.color(QPalette::Base);
    case SystemColour::WindowText:
        return palette.color(QPalette::Text);
    case SystemColour::ApplicationWorkspace:
        return palette.color(QPalette::Dark);
    case SystemColour::InactiveCaptionText:
        return palette.color(QPalette::Midlight);
    }
    return palette.color(QPalette::Text);
}

void setForeColour(QWidget* control, const QColor& colour) {
    QPalette palette = control->palette();
    for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        palette.setColor(role, colour);
    control->setPalette(palette);
}

QColor foreColour(const QWidget* control) {
    return control->palette().color(QPalette::Text);
}

void setBackColour(QWidget* control, const QColor& colour) {
    QPalette palette = control->palette();
    palette.setColor(QPalette::Base, colour);
    palette.setColor(QPalette::Window, colour);
    control->setPalette(palette);
    control->setAutoFillBackground(true);
}

QColor backColour(const QWidget* control) {
    return control->palette().color(QPalette::Base);
}
