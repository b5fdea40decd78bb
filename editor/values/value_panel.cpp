#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QSlider>
#include <algorithm>
#include <array>
#include <cmath>
#include <optional>

#include "colours.h"
#include "cp1252.h"
#include "number_text.h"
#include "panel_number.h"
#include "value_combos.h"
#include "value_panel.h"

namespace {

// As the panel shows a single: with the user's decimal separator.
QString singleText(float value) {
    return shownText(formatSingle(value));
}

QString singleText(const std::optional<StoredFloat>& value) {
    return value ? singleText(value->value()) : QString();
}

template <std::size_t N>
void showSingles(const std::array<QLineEdit*, N>& boxes,
                 const std::optional<std::array<StoredFloat, N>>& values) {
    for (std::size_t i = 0; i < N; ++i)
        boxes[i]->setText(values ? singleText((*values)[i].value()) : QString());
}

// A colour component's whole number, from its text as formatSingle wrote it,
// held to the range a colour can take.
int colourComponent(const std::string& text) {
    const FieldNumber n = readNumber(text, '.');
    if (!n.numeric() || !std::isfinite(n.value))
        return 0;
    return static_cast<int>(std::clamp(roundHalfEven(n.value), 0.0, 255.0));
}

} // namespace

void ValuePanel::showLightFields(const IndexRecord& record) {
    Text20->setText(singleText(record.brightness));
    const std::array<QLineEdit*, 3> boxes = {Text14, Text15, Text16};
    const std::array<QSlider*, 3> sliders = {Slider3, Slider4, Slider5};
    std::array<int, 3> rgb = {0, 0, 0};
    for (std::size_t c = 0; c < 3; ++c) {
        std::string text;
        if (record.colour)
            text = formatSingle(static_cast<float>(double((*record.colour)[c].value()) * 255.0));
        boxes[c]->setText(shownText(text));
        rgb[c] = text.empty() ? 0 : colourComponent(text);
        const QSignalBlocker quiet(sliders[c]);
        sliders[c]->setValue(rgb[c]);
    }
    setBackColour(Picture4, QColor(rgb[0], rgb[1], rgb[2]));
}

void ValuePanel::showKindFrame(std::uint8_t kind) {
    Frame3->setVisible(kind == 2);
    Frame8->setVisible(kind == 35);
    Frame9->setVisible(kind == 27);
}

void ValuePanel::showCommonValues(const QString& entryText, const IndexRecord& record) {
    Text17->setText(entryText);
    Text2(12)->setText(record.model ? QString::fromStdString(cp1252ToUtf8(*record.model))
                                    : QString());
    showSingles<3>({Text5, Text6, Text7}, record.translation);
    if (record.rotation) {
        const auto& q = *record.rotation;
        Text4->setText(singleText(q[2].value()));
        Text3->setText(singleText(q[0].value()));
        Text11->setText(singleText(q[1].value()));
        Text12->setText(singleText(q[3].value()));
        SyncHorizontalDial(q[0].value());
        SyncVerticalDial(q[3].value(), q[1].value());
    } else {
        // No rotation (an init script): the dials rest at the identity
        // rotation, and the rotation fields stay empty.
        SyncHorizontalDial(1.0f);
        SyncVerticalDial(0.0f, 0.0f);
        for (QLineEdit* box : {Text4, Text3, Text11, Text12})
            box->clear();
    }
    showSingles<3>({Text8, Text9, Text10}, record.size);
}

void ValuePanel::lockValueFields(bool initScript) {
    const QColor back =
        systemColour(initScript ? SystemColour::Menu : SystemColour::WindowBackground);
    for (QLineEdit* box : {Text5, Text6, Text7, Text8, Text9, Text10}) {
        setBackColour(box, back);
        box->setReadOnly(initScript);
    }
    Slider1->setEnabled(!initScript);
    Slider2->setEnabled(!initScript);
}

void ValuePanel::showThingValues(const IndexRecord& record) {
    Combo1->showCode(record.sound ? int(*record.sound) : -1);
    Text13->setText(singleText(record.weight));
}

void ValuePanel::showHumanValues(const IndexRecord& record) {
    if (record.behaviour)
        Combo3->showCode(*record.behaviour);
    else
        Combo3->setCurrentIndex(-1);
    Text23->setText(record.sex ? QString::number(*record.sex) : QString());
    Text22->setText(singleText(record.aggression));
    Text21->setText(singleText(record.weight));
}

void ValuePanel::resetMarks() {
    const QColor text = systemColour(SystemColour::WindowText);
    const std::initializer_list<QWidget*> marked = {
        Text5,      Text6,   Text7,  Text8,  Text9,  Text10, Label3(0), Label30, Label9,
        Label11(0), Label14, Text20, Text21, Text22, Text23, Combo1,    Text13,  Combo3};
    for (QWidget* control : marked)
        setForeColour(control, text);
}

void ValuePanel::clearValues() {
    const std::initializer_list<QLineEdit*> boxes = {
        Text17, Text2(12), Text5,  Text6,  Text7,  Text8,  Text9,  Text10, Text3,  Text4,
        Text11, Text12,    Text13, Text14, Text15, Text16, Text20, Text21, Text22, Text23};
    for (QLineEdit* box : boxes)
        box->clear();
    Combo1->setCurrentIndex(-1);
    Combo3->setCurrentIndex(-1);
    for (QSlider* colour : {Slider3, Slider4, Slider5}) {
        const QSignalBlocker quiet(colour);
        colour->setValue(0);
    }
    setBackColour(Picture4, QColor(0, 0, 0));
    SyncHorizontalDial(1.0f);
    SyncVerticalDial(0.0f, 0.0f);
    Text11->clear();
    showKindFrame(255);
    Frame2->hide();
}
