#include "colour_sliders.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QSlider>
#include <algorithm>
#include <cmath>

#include "colours.h"
#include "number_text.h"
#include "panel_number.h"

namespace {
const char* const Captions[3] = {"Red", "Green", "Blue"};

// A component's whole number from the text a box shows, as the display
// wrote it, held to the range a colour can take.
int wholeComponent(const QString& text) {
    const FieldNumber n = readPanelNumber(text);
    if (!n.numeric() || !std::isfinite(n.value))
        return 0;
    return static_cast<int>(std::clamp(roundHalfEven(n.value), 0.0, 255.0));
}
} // namespace

ColourSliders::ColourSliders(const Names& names, QWidget* parent) : QWidget(parent) {
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setVerticalSpacing(1);
    for (int c = 0; c < 3; ++c) {
        const auto i = std::size_t(c);
        labels_[i] = new QLabel(Captions[c]);
        labels_[i]->setObjectName(names.labels[i]);
        sliders_[i] = new QSlider(Qt::Horizontal);
        sliders_[i]->setObjectName(names.sliders[i]);
        sliders_[i]->setRange(0, 255);
        sliders_[i]->setSingleStep(1);
        sliders_[i]->setPageStep(5);
        sliders_[i]->setTickInterval(20);
        sliders_[i]->setTickPosition(QSlider::TicksBelow);
        boxes_[i] = new QLineEdit;
        boxes_[i]->setObjectName(names.boxes[i]);
        boxes_[i]->setReadOnly(true);
        layout->addWidget(labels_[i], c, 0);
        layout->addWidget(sliders_[i], c, 1);
        layout->addWidget(boxes_[i], c, 2);
        connect(sliders_[i], &QSlider::valueChanged, this, [this, c] { emit sliderClicked(c); });
    }
    layout->setColumnStretch(1, 1);
    preview_ = new QLabel(this);
    preview_->setObjectName(names.preview);
    preview_->setFrameShape(QFrame::Box);
    paintPreview(0, 0, 0);
}

void ColourSliders::takeSliderPositions() {
    for (std::size_t i = 0; i < 3; ++i)
        boxes_[i]->setText(QString::number(sliders_[i]->value()));
    paintPreview(sliders_[0]->value(), sliders_[1]->value(), sliders_[2]->value());
}

void ColourSliders::showComponents(const std::array<QString, 3>& texts) {
    std::array<int, 3> rgb{};
    for (std::size_t i = 0; i < 3; ++i) {
        boxes_[i]->setText(texts[i]);
        rgb[i] = wholeComponent(texts[i]);
        const QSignalBlocker quiet(sliders_[i]);
        sliders_[i]->setValue(rgb[i]);
    }
    paintPreview(rgb[0], rgb[1], rgb[2]);
}

QColor ColourSliders::previewColour() const {
    return backColour(preview_);
}

void ColourSliders::paintPreview(int red, int green, int blue) {
    setBackColour(preview_, QColor(red, green, blue));
}
