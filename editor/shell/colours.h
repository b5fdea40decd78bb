#pragma once
#include <QColor>

class QWidget;

// The fixed colours of the status line and the edit marks.
inline const QColor StatusRed(255, 0, 0);
inline const QColor StatusGreen(0, 128, 0);
inline const QColor DialMagenta(192, 0, 192);

// System colours by their Windows index, as the editor's controls use them.
enum class SystemColour {
    Menu = 4,
    WindowBackground = 5,
    WindowText = 8,
    ApplicationWorkspace = 12,
    InactiveCaptionText = 19,
};

// The colour the running style gives to a system colour.
QColor systemColour(SystemColour which);

// Text colour of a control (labels, text boxes, buttons, combo boxes).
void setForeColour(QWidget* control, const QColor& colour);
QColor foreColour(const QWidget* control);

// Background colour of a control; text boxes paint their base with it.
void setBackColour(QWidget* control, const QColor& colour);
QColor backColour(const QWidget* control);
