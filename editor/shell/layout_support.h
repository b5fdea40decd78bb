#pragma once
#include <QLabel>
#include <QLineEdit>
#include <QString>

// Small helpers for building the main window's controls: every control that
// handlers or tests address gets its name as its object name.

template <class Control> Control* named(Control* control, const QString& name) {
    control->setObjectName(name);
    return control;
}

// A text box of the value panel; `width` in pixels, 0 leaves it to the layout.
inline QLineEdit* textBox(const QString& name, int width = 0) {
    auto* box = named(new QLineEdit, name);
    if (width > 0)
        box->setFixedWidth(width);
    return box;
}

// A text box only the program writes to.
inline QLineEdit* holderBox(const QString& name, int width = 0) {
    auto* box = textBox(name, width);
    box->setReadOnly(true);
    return box;
}

inline QLabel* caption(const QString& text) { return new QLabel(text); }
