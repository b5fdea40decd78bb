#pragma once
#include <QColor>
#include <QString>
#include <array>
#include <optional>
#include <vector>

#include "scene_index.h"

class MDIForm1;
class QWidget;

// What the value panel shows while values are marked and not saved: the
// fields' texts, the marks, the list choices, the slider positions and the
// dial turns. Taken before a re-index and put back when the same entry is on
// display again, so unsaved values stay with their entry.
class ValuePanelState {
public:
    static ValuePanelState capture(MDIForm1& window);
    void restore(MDIForm1& window) const;

private:
    struct Field {
        QWidget* widget;
        QString text;
        QColor colour;
    };
    std::vector<Field> fields_;
    std::array<int, 5> sliders_{};
    int sound_ = -1;
    int behaviour_ = -1;
    std::optional<std::array<StoredFloat, 4>> rotation_;
    int editedIndex_ = -1;
};
