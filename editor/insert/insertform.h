#pragma once
#include <QWidget>

class QGroupBox;

// The insert window: a window of its own, owned by the main window, which
// presets and shows it from the "&Insert" menu.
class insertform : public QWidget {
    Q_OBJECT
public:
    explicit insertform(QWidget* owner = nullptr);

    QGroupBox* Frame4; // the model-file browser
};
