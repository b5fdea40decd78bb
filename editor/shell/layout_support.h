#pragma once
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSlider>
#include <QString>
#include <algorithm>

// Small helpers for building the main window's controls: every control that
// handlers or tests address gets its name as its object name.

template <class Control> Control* named(Control* control, const QString& name) {
    control->setObjectName(name);
    return control;
}

// A menu entry named like its handler's control.
inline QAction* menuItem(QMenu* menu, const QString& text, const QString& name) {
    return named(menu->addAction(text), name);
}

// A text box of the value panel; `width` in pixels, 0 leaves it to the layout.
inline QLineEdit* textBox(const QString& name, int width = 0) {
    auto* box = named(new QLineEdit, name);
    if (width > 0)
        box->setFixedWidth(width);
    return box;
}

// Widens a fixed-width text box, where its font needs it, so that `widest`
// shows whole: the box's frame and margins take 6 pixels a side.
inline void fitText(QLineEdit* box, const QString& widest) {
    const int needed = box->fontMetrics().horizontalAdvance(widest) + 12;
    if (box->width() < needed || box->minimumWidth() < needed)
        box->setFixedWidth(std::max(box->minimumWidth(), needed));
}

// A text box only the program writes to.
inline QLineEdit* holderBox(const QString& name, int width = 0) {
    auto* box = textBox(name, width);
    box->setReadOnly(true);
    return box;
}

inline QLabel* caption(const QString& text) {
    return new QLabel(text);
}

// Text box widths of the value panel, in pixels.
inline constexpr int ValueWidth = 60;
inline constexpr int SmallWidth = 40;

// A slider moving by 1, or by 5 a page, with a tick every `tickEvery`.
inline QSlider* slider(const QString& name, Qt::Orientation orientation, int minimum, int maximum,
                       int tickEvery) {
    auto* control = named(new QSlider(orientation), name);
    control->setRange(minimum, maximum);
    control->setSingleStep(1);
    control->setPageStep(5);
    control->setTickInterval(tickEvery);
    control->setTickPosition(orientation == Qt::Vertical ? QSlider::TicksRight
                                                         : QSlider::TicksBelow);
    return control;
}

// A panel of values that lies over others of its kind in the same place.
inline QGroupBox* kindFrame(const QString& name) {
    auto* frame = named(new QGroupBox, name);
    frame->setAutoFillBackground(true);
    return frame;
}

// Gives the controls of `root` named in `tips` their tooltip.
struct ToolTip {
    const char* control;
    const char* tip;
};
inline void setToolTips(QWidget* root, std::initializer_list<ToolTip> tips) {
    for (const ToolTip& tip : tips)
        if (auto* control = root->findChild<QWidget*>(tip.control))
            control->setToolTip(tip.tip);
}
