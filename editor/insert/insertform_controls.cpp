#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QShortcut>
#include <QSignalBlocker>
#include <QSlider>
#include <cmath>

#include "colour_sliders.h"
#include "insertform.h"

#include "panel_number.h"
#include "rotation_dial.h"
#include "rotation_dial_view.h"
#include <QShortcut>

namespace {

// A number as the main window shows it: with the user's decimal separator.
std::optional<double> readShown(const QString& text) {
    const FieldNumber n = readPanelNumber(text);
    if (!n.numeric() || !std::isfinite(n.value))
        return std::nullopt;
    return n.value;
}

const QString ParentFolder = "..";

} // namespace

void insertform::connectHandlers() {
    // The dials act on every change the user makes (a click, a drag, a key).
    connect(Slider1, &QSlider::valueChanged, this, &insertform::Slider1_Click);
    connect(Slider2, &QSlider::valueChanged, this, &insertform::Slider2_Click);
    connect(colours, &ColourSliders::sliderClicked, this, &insertform::Slider3_Change);
    connect(insert, &QPushButton::clicked, this, &insertform::insert_Click);
    connect(cancel, &QPushButton::clicked, this, &insertform::cancel_Click);
    // Escape closes the model browser when it is open, else cancels the window.
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this, [this] {
        if (Frame4->isVisible())
            Command1_Click();
        else
            cancel_Click();
    });
    connect(Browse, &QPushButton::clicked, this, &insertform::Browse_Click);
    connect(Cok, &QPushButton::clicked, this, &insertform::Cok_Click);
    connect(Command1, &QPushButton::clicked, this, &insertform::Command1_Click);
    connect(Drive1, &QComboBox::activated, this, &insertform::Drive1_Change);
    connect(Dir1, &QListWidget::itemActivated, this, &insertform::Dir1_Change);
    connect(File1, &QListWidget::itemClicked, this, &insertform::File1_Click);
}

void insertform::Slider1_Click() {
    const int v = Slider1->value();
    Shape1->draw(v);
    const HorizontalFromSlider h = horizontalFromSlider(v);
    Text9->setText(shownText(h.q0Text));
    Text10->setText(shownText(h.q2Text));
}

void insertform::Slider2_Click() {
    const int w = Slider2->value();
    Shape2->draw(w);
    Text12->setText(shownText(verticalFromSlider(w).q3Text));
}

void insertform::DisplaySlider1(const QString& q0) {
    const auto v = readShown(q0);
    if (!v)
        return;
    const HorizontalFromStored dial = horizontalFromStored(static_cast<float>(*v));
    {
        const QSignalBlocker quiet(Slider1);
        Slider1->setValue(dial.slider);
    }
    Shape1->draw(dial.angle);
}

void insertform::DisplaySlider2(const QString& q3) {
    if (q3.isEmpty() || q3 == "Text12")
        return;
    const auto v = readShown(q3);
    if (!v)
        return;
    const VerticalFromStored dial = verticalFromStored(static_cast<float>(*v), 0.0f);
    {
        const QSignalBlocker quiet(Slider2);
        Slider2->setValue(dial.slider);
    }
    Shape2->draw(dial.angle);
}

void insertform::Slider3_Change() {
    colours->takeSliderPositions();
}

void insertform::cancel_Click() {
    hide();
    Frame1->hide();
    Frame2->hide();
}

void insertform::Browse_Click() {
    if (Drive1->count() == 0)
        for (const QFileInfo& drive : QDir::drives())
            Drive1->addItem(drive.absoluteFilePath());
    if (folder_.isEmpty())
        showFolder(QDir::currentPath());
    Frame4->show();
}

void insertform::Drive1_Change() {
    showFolder(Drive1->currentText());
    Text17->clear();
}

void insertform::Dir1_Change() {
    const QListWidgetItem* item = Dir1->currentItem();
    if (!item)
        return;
    showFolder(QDir(folder_).absoluteFilePath(item->text()));
    Text17->clear();
}

void insertform::File1_Click() {
    if (const QListWidgetItem* item = File1->currentItem())
        Text17->setText(item->text());
}

void insertform::Cok_Click() {
    QString model = Text17->text();
    if (!model.isEmpty() && (model.endsWith("4ds") || model.endsWith("4DS")))
        model = model.left(model.size() - 3) + "i3d";
    Text8->setText(model);
    Frame4->hide();
}

void insertform::Command1_Click() {
    Frame4->hide();
}

void insertform::showFolder(const QString& folder) {
    const QDir dir(folder);
    folder_ = dir.absolutePath();
    Dir1->clear();
    File1->clear();
    if (!dir.isRoot())
        Dir1->addItem(ParentFolder);
    Dir1->addItems(dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase));
    File1->addItems(dir.entryList(QDir::Files | QDir::Hidden, QDir::Name | QDir::IgnoreCase));
}
