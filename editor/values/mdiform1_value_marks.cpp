#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSlider>
#include <cmath>

#include "colour_sliders.h"
#include "colours.h"
#include "entry_list.h"
#include "mdiform1.h"
#include "panel_number.h"
#include "rotation_dial.h"
#include "rotation_dial_view.h"
#include "value_combos.h"
#include "value_panel.h"

namespace {

// Raises the window's handler for a mouse click into a value text box.
class FieldClickFilter : public QObject {
public:
    FieldClickFilter(MDIForm1& window) : QObject(&window), window_(window) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonPress)
            window_.valueFieldClicked(static_cast<QWidget*>(watched));
        return QObject::eventFilter(watched, event);
    }

private:
    MDIForm1& window_;
};

} // namespace

void MDIForm1::connectValueHandlers() {
    auto* clicks = new FieldClickFilter(*this);
    for (QLineEdit* field : {Text5, Text6, Text7, Text8, Text9, Text10, Text11, Text13, Text20,
                             Text21, Text22, Text23}) {
        field->installEventFilter(clicks);
        // Typing marks as a click does; the display's own setText never does.
        connect(field, &QLineEdit::textEdited, this, [this, field] { valueFieldClicked(field); });
    }
    connect(Slider1, &QSlider::valueChanged, this, &MDIForm1::Slider1_Click);
    connect(Slider2, &QSlider::valueChanged, this, &MDIForm1::Slider2_Click);
    connect(lightColours, &ColourSliders::sliderClicked, this, [this](int component) {
        if (component == 0)
            Slider3_Click();
        else if (component == 1)
            Slider4_Click();
        else
            Slider5_Click();
    });
    connect(Combo1, &QComboBox::activated, this, &MDIForm1::Combo1_Click);
    connect(Combo3, &QComboBox::activated, this, &MDIForm1::Combo3_Click);
    connect(SaveValue, &QPushButton::clicked, this, &MDIForm1::SaveValue_Click);
}

// The guard of the value handlers: an object entry is selected and no file
// operation runs.
bool MDIForm1::valueEditAllowed() const {
    const int row = List2->currentRow();
    return !VFL_Blocked && List2->count() > 0 && row >= 0 && row < MerkePosGameInit &&
           row < static_cast<int>(sceneIndex.entries.size());
}

void MDIForm1::markValueEdit(QWidget* marked) {
    // The first mark after a save or a dropped edit starts afresh: dial
    // components left from a dropped edit are not saved with this one.
    if (!FlagValueSave)
        pendingRotation.reset();
    setForeColour(marked, StatusRed);
    FlagValueSave = -1;
    EditedIndex = List2->currentRow();
}

void MDIForm1::valueFieldClicked(QWidget* field) {
    // A click into the vertical angle marks the label of the dial it belongs
    // to, which a save resets. Without an object entry nothing could be
    // saved, so nothing is marked.
    if (valueEditAllowed())
        markValueEdit(field == Text11 ? static_cast<QWidget*>(Label3(0)) : field);
}

void MDIForm1::Combo1_Click() {
    if (valueEditAllowed() && !PanelFilling)
        markValueEdit(Combo1);
}

void MDIForm1::Combo3_Click() {
    if (valueEditAllowed() && !PanelFilling)
        markValueEdit(Combo3);
}

namespace {
// The rotation the dials change: what they changed before for this entry, or
// the stored one.
std::array<StoredFloat, 4>& dialRotation(MDIForm1& window, int entry) {
    if (!window.pendingRotation) {
        const IndexRecord& record = window.sceneIndex.entries[static_cast<std::size_t>(entry)];
        window.pendingRotation = record.rotation.value_or(std::array<StoredFloat, 4>{});
    }
    return *window.pendingRotation;
}
} // namespace

void MDIForm1::Slider1_Click() {
    if (!valueEditAllowed())
        return;
    markValueEdit(Label30);
    const int v = Slider1->value();
    valuePanel->drawHorizontalDial(v);
    const HorizontalFromSlider h = horizontalFromSlider(v);
    Text3->setText(shownText(h.q0Text));
    Text4->setText(shownText(h.q2Text));
    auto& q = dialRotation(*this, List2->currentRow());
    q[0] = StoredFloat::fromValue(h.q0);
    q[2] = StoredFloat::fromValue(h.q2);
}

void MDIForm1::Slider2_Click() {
    if (!valueEditAllowed())
        return;
    markValueEdit(Label3(0));
    const int w = Slider2->value();
    valuePanel->drawVerticalDial(w);
    const VerticalFromSlider v = verticalFromSlider(w);
    Text12->setText(shownText(v.q3Text));
    auto& q = dialRotation(*this, List2->currentRow());
    // Text that is no number leaves q1 as it was.
    const FieldNumber t = readPanelNumber(Text11->text());
    if (t.numeric() && std::isfinite(t.value))
        q[1] = StoredFloat::fromValue(q1FromAngle(t.value));
    q[3] = StoredFloat::fromValue(v.q3);
}

void MDIForm1::Slider3_Click() {
    if (!valueEditAllowed())
        return;
    lightColours->takeSliderPositions();
    markValueEdit(Label9);
}

void MDIForm1::Slider4_Click() {
    if (!valueEditAllowed())
        return;
    lightColours->takeSliderPositions();
    markValueEdit(Label11(0));
}

void MDIForm1::Slider5_Click() {
    if (!valueEditAllowed())
        return;
    lightColours->takeSliderPositions();
    markValueEdit(Label14);
}
