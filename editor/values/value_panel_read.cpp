#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QSlider>

#include "colour_sliders.h"
#include "colours.h"
#include "panel_number.h"
#include "shown_kind.h"
#include "value_combos.h"
#include "value_panel.h"

ValueSaveInput ValuePanel::input(const IndexRecord& record,
                                 const std::optional<std::array<StoredFloat, 4>>& turned) const {
    ValueSaveInput in;
    in.translation = {panelField(Text5->text()), panelField(Text6->text()),
                      panelField(Text7->text())};
    in.size = {panelField(Text8->text()), panelField(Text9->text()), panelField(Text10->text())};
    in.verticalAngle = panelField(Text11->text());
    in.dialRotation = turned ? turned : record.rotation;
    in.panelKind = shownKind(record);
    switch (*in.panelKind) {
    case LightKind:
        if (record.brightnessPos)
            in.brightness = panelField(Text20->text());
        if (record.colourPos)
            in.colour = {panelField(Text14->text()), panelField(Text15->text()),
                         panelField(Text16->text())};
        break;
    case ThingKind:
        in.weight = panelField(Text13->text());
        // A thing is saved with a sound: without a chosen one, the first.
        in.soundCode = Combo1->code();
        if (!in.soundCode && Combo1->count() > 0)
            in.soundCode = Combo1->itemData(0).toInt();
        break;
    case HumanKind:
        in.aggression = panelField(Text22->text());
        in.weight = panelField(Text21->text());
        in.sex = panelField(Text23->text());
        // Without a chosen behaviour the stored one stays, and so does a
        // stored byte the list has no item for, until the user chooses one.
        if (!Combo3->showsUnlistedCode())
            in.behaviourCode = Combo3->code();
        break;
    default:
        break;
    }
    return in;
}

std::vector<QWidget*> ValuePanel::markable() const {
    return {Text5,   Text6,     Text7,  Text8,      Text9,   Text10, Text3,  Text4,  Text11,
            Text12,  Text13,    Text14, Text15,     Text16,  Text20, Text21, Text22, Text23,
            Label30, Label3(0), Label9, Label11(0), Label14, Combo1, Combo3};
}

ValuePanel::State ValuePanel::capture() const {
    State state;
    for (QWidget* widget : markable()) {
        const auto* box = qobject_cast<QLineEdit*>(widget);
        state.fields_.push_back({widget, box ? box->text() : QString(), foreColour(widget)});
    }
    const std::array<QSlider*, 5> all = {Slider1, Slider2, Slider3, Slider4, Slider5};
    for (std::size_t i = 0; i < all.size(); ++i)
        state.sliders_[i] = all[i]->value();
    state.sound_ = Combo1->currentIndex();
    state.behaviour_ = Combo3->currentIndex();
    return state;
}

void ValuePanel::restore(const State& state) {
    const std::array<QSlider*, 5> all = {Slider1, Slider2, Slider3, Slider4, Slider5};
    for (std::size_t i = 0; i < all.size(); ++i) {
        const QSignalBlocker quiet(all[i]);
        all[i]->setValue(state.sliders_[i]);
    }
    for (const State::Field& f : state.fields_) {
        if (auto* box = qobject_cast<QLineEdit*>(f.widget))
            box->setText(f.text);
        setForeColour(f.widget, f.colour);
    }
    drawHorizontalDial(state.sliders_[0]);
    drawVerticalDial(state.sliders_[1]);
    lightColours->showComponents({Text14->text(), Text15->text(), Text16->text()});
    Combo1->setCurrentIndex(state.sound_);
    Combo3->setCurrentIndex(state.behaviour_);
}
