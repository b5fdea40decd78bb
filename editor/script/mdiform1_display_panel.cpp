#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QSlider>
#include <algorithm>
#include <array>
#include <cmath>
#include <optional>

#include "colours.h"
#include "cp1252.h"
#include "display_panel.h"
#include "mdiform1.h"
#include "number_text.h"
#include "panel_number.h"
#include "value_combos.h"

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

void showLightFields(MDIForm1& window, const IndexRecord& record) {
    window.Text20->setText(singleText(record.brightness));
    const std::array<QLineEdit*, 3> boxes = {window.Text14, window.Text15, window.Text16};
    const std::array<QSlider*, 3> sliders = {window.Slider3, window.Slider4, window.Slider5};
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
    setBackColour(window.Picture4, QColor(rgb[0], rgb[1], rgb[2]));
}

void showKindFrame(MDIForm1& window, std::uint8_t kind) {
    window.Frame3->setVisible(kind == 2);
    window.Frame8->setVisible(kind == 35);
    window.Frame9->setVisible(kind == 27);
}

void showCommonValues(MDIForm1& window, const QString& entryText, const IndexRecord& record) {
    window.Text17->setText(entryText);
    window.Text2(12)->setText(record.model ? QString::fromStdString(cp1252ToUtf8(*record.model))
                                           : QString());
    showSingles<3>({window.Text5, window.Text6, window.Text7}, record.translation);
    if (record.rotation) {
        const auto& q = *record.rotation;
        window.Text4->setText(singleText(q[2].value()));
        window.Text3->setText(singleText(q[0].value()));
        window.Text11->setText(singleText(q[1].value()));
        window.Text12->setText(singleText(q[3].value()));
        window.RotationXI = q[2].value();
        window.RotationZI = q[0].value();
        window.RotationYI = q[1].value();
        window.RotationÄI = q[3].value();
        window.SyncHorizontalDial(q[0].value());
        window.SyncVerticalDial(q[3].value(), q[1].value());
    } else {
        // No rotation (an init script): the dials rest at the identity
        // rotation, and the rotation fields stay empty.
        window.SyncHorizontalDial(1.0f);
        window.SyncVerticalDial(0.0f, 0.0f);
        for (QLineEdit* box : {window.Text4, window.Text3, window.Text11, window.Text12})
            box->clear();
    }
    showSingles<3>({window.Text8, window.Text9, window.Text10}, record.size);
}

void lockValueFields(MDIForm1& window, bool initScript) {
    const QColor back =
        systemColour(initScript ? SystemColour::Menu : SystemColour::WindowBackground);
    for (QLineEdit* box :
         {window.Text5, window.Text6, window.Text7, window.Text8, window.Text9, window.Text10}) {
        setBackColour(box, back);
        box->setReadOnly(initScript);
    }
    window.Slider1->setEnabled(!initScript);
    window.Slider2->setEnabled(!initScript);
}

// Any sound code but 0 to 8 (255 stands for a stored -1) leaves no item selected.
void showThingValues(MDIForm1& window, const IndexRecord& record) {
    window.PanelFilling = -1;
    window.Combo1->showCode(record.sound ? int(*record.sound) : -1);
    window.PanelFilling = 0;
    window.Text13->setText(singleText(record.weight));
}

// A behaviour byte that is no item's code selects the first item.
void showHumanValues(MDIForm1& window, const IndexRecord& record) {
    window.PanelFilling = -1;
    if (record.behaviour)
        window.Combo3->showCode(*record.behaviour);
    else
        window.Combo3->setCurrentIndex(-1);
    window.PanelFilling = 0;
    window.Text23->setText(record.sex ? QString::number(*record.sex) : QString());
    window.Text22->setText(singleText(record.aggression));
    window.Text21->setText(singleText(record.weight));
}

void resetValueMarks(MDIForm1& window) {
    const QColor text = systemColour(SystemColour::WindowText);
    const std::initializer_list<QWidget*> marked = {
        window.Text5,   window.Text6,     window.Text7,   window.Text8,  window.Text9,
        window.Text10,  window.Label3(0), window.Label30, window.Label9, window.Label11(0),
        window.Label14, window.Text20,    window.Text21,  window.Text22, window.Text23,
        window.Combo1,  window.Text13,    window.Combo3};
    for (QWidget* control : marked)
        setForeColour(control, text);
}

void clearEntryDisplay(MDIForm1& window) {
    const std::initializer_list<QLineEdit*> boxes = {
        window.Text17,   window.Text2(12), window.Text5,  window.Text6,  window.Text7,
        window.Text8,    window.Text9,     window.Text10, window.Text3,  window.Text4,
        window.Text11,   window.Text12,    window.Text13, window.Text14, window.Text15,
        window.Text16,   window.Text20,    window.Text21, window.Text22, window.Text23,
        window.Text2(5), window.Text2(7)};
    for (QLineEdit* box : boxes)
        box->clear();
    window.PanelFilling = -1;
    window.Combo1->setCurrentIndex(-1);
    window.Combo3->setCurrentIndex(-1);
    window.PanelFilling = 0;
    for (QSlider* colour : {window.Slider3, window.Slider4, window.Slider5}) {
        const QSignalBlocker quiet(colour);
        colour->setValue(0);
    }
    setBackColour(window.Picture4, QColor(0, 0, 0));
    window.SyncHorizontalDial(1.0f);
    window.SyncVerticalDial(0.0f, 0.0f);
    window.Text11->clear();
    showKindFrame(window, 255);
    window.Frame2->hide();
    window.Text1->clear();
    window.shownScriptText.clear();
    window.Text1->setEnabled(false);
    setBackColour(window.Text1, systemColour(SystemColour::InactiveCaptionText));
}
