#include "value_panel_state.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QSlider>

#include "colour_sliders.h"
#include "colours.h"
#include "mdiform1.h"
#include "value_combos.h"

namespace {
std::vector<QWidget*> markable(MDIForm1& w) {
    return {w.Text5,      w.Text6,   w.Text7,  w.Text8,  w.Text9,   w.Text10,    w.Text3,
            w.Text4,      w.Text11,  w.Text12, w.Text13, w.Text14,  w.Text15,    w.Text16,
            w.Text20,     w.Text21,  w.Text22, w.Text23, w.Label30, w.Label3(0), w.Label9,
            w.Label11(0), w.Label14, w.Combo1, w.Combo3};
}

std::array<QSlider*, 5> sliders(MDIForm1& w) {
    return {w.Slider1, w.Slider2, w.Slider3, w.Slider4, w.Slider5};
}
} // namespace

ValuePanelState ValuePanelState::capture(MDIForm1& w) {
    ValuePanelState state;
    for (QWidget* widget : markable(w)) {
        const auto* box = qobject_cast<QLineEdit*>(widget);
        state.fields_.push_back({widget, box ? box->text() : QString(), foreColour(widget)});
    }
    const auto all = sliders(w);
    for (std::size_t i = 0; i < all.size(); ++i)
        state.sliders_[i] = all[i]->value();
    state.sound_ = w.Combo1->currentIndex();
    state.behaviour_ = w.Combo3->currentIndex();
    state.rotation_ = w.pendingRotation;
    state.editedIndex_ = w.EditedIndex;
    return state;
}

void ValuePanelState::restore(MDIForm1& w) const {
    const std::int16_t filling = w.PanelFilling;
    w.PanelFilling = -1;
    const auto all = sliders(w);
    for (std::size_t i = 0; i < all.size(); ++i) {
        const QSignalBlocker quiet(all[i]);
        all[i]->setValue(sliders_[i]);
    }
    for (const Field& f : fields_) {
        if (auto* box = qobject_cast<QLineEdit*>(f.widget))
            box->setText(f.text);
        setForeColour(f.widget, f.colour);
    }
    w.drawHorizontalDial(sliders_[0]);
    w.drawVerticalDial(sliders_[1]);
    w.lightColours->showComponents({w.Text14->text(), w.Text15->text(), w.Text16->text()});
    w.Combo1->setCurrentIndex(sound_);
    w.Combo3->setCurrentIndex(behaviour_);
    w.PanelFilling = filling;
    w.pendingRotation = rotation_;
    w.FlagValueSave = -1;
    w.EditedIndex = w.shownRow() >= 0 ? w.shownRow() : editedIndex_;
}
