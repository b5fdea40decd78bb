#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

#include "colours.h"
#include "dial_view.h"
#include "layout_support.h"
#include "mdiform1.h"

namespace {

constexpr int ValueWidth = 64;
constexpr int SmallWidth = 40;

QSlider* slider(const QString& name, Qt::Orientation orientation, int minimum, int maximum,
                int tickEvery) {
    auto* control = named(new QSlider(orientation), name);
    control->setRange(minimum, maximum);
    control->setSingleStep(1);
    control->setPageStep(5);
    control->setTickInterval(tickEvery);
    control->setTickPosition(orientation == Qt::Vertical ? QSlider::TicksRight
                                                         : QSlider::TicksBelow);
    return control;
}

QGroupBox* kindFrame(const QString& name) {
    auto* frame = named(new QGroupBox, name);
    frame->setAutoFillBackground(true);
    return frame;
}

// Dial figures in twips of the dials' container, in the pose of slider value 0.
const QPoint HorizontalCentre(1800, 3360);
const QPoint VerticalCentre(3360, 3360);
const QColor DialBlue(0, 0, 255);

DialView* horizontalDial() {
    auto* dial = named(new DialView(QRect(1200, 2760, 1201, 1201), QRect(1320, 2760, 975, 975)),
                       "Shape1");
    const QColor fixed = systemColour(SystemColour::WindowText);
    dial->setLine("Line9", QLine(1200, 3360, 2400, 3360), fixed);
    dial->setLine("Line10", QLine(1800, 2760, 1800, 3960), fixed);
    dial->setLine("Line7", QLine(QPoint(1800, 3860), HorizontalCentre), DialBlue, 2);
    dial->setLine("Line11", QLine(HorizontalCentre, QPoint(1800, 2860)), DialBlue, 2);
    dial->setLine("Line12", QLine(HorizontalCentre, QPoint(1950, 3360)), DialBlue, 2);
    return dial;
}

DialView* verticalDial() {
    auto* dial = named(new DialView(QRect(2640, 2760, 1441, 1201), QRect(2880, 2760, 975, 975)),
                       "Shape2");
    const QColor fixed = systemColour(SystemColour::WindowText);
    dial->setLine("Line1", QLine(3360, 2880, 3360, 3840), fixed);
    dial->setLine("Line2", QLine(2640, 3480, 4080, 3480), fixed);
    dial->setLine("Line3", QLine(QPoint(3600, 3360), VerticalCentre), DialBlue, 2);
    dial->setLine("Line4", QLine(VerticalCentre, QPoint(3120, 3360)), DialBlue, 2);
    dial->setLine("Line5", QLine(VerticalCentre, QPoint(3360, 3210)), DialMagenta, 2);
    return dial;
}

} // namespace

QWidget* MDIForm1::buildValuePanel() {
    auto* panel = new QWidget;
    auto* layout = new QGridLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);

    auto* names = new QHBoxLayout;
    Text17 = holderBox("Text17");
    Text2.add(12, holderBox("Text2(12)"));
    names->addWidget(caption("Name"));
    names->addWidget(Text17, 1);
    names->addWidget(caption("Model"));
    names->addWidget(Text2(12), 1);
    layout->addLayout(names, 0, 0, 1, 2);

    auto* fields = new QGridLayout;
    const char* axes[] = {"X", "Y", "Z"};
    for (int column = 0; column < 3; ++column)
        fields->addWidget(caption(axes[column]), 0, column + 1, Qt::AlignHCenter);
    Text5 = textBox("Text5", ValueWidth);
    Text6 = textBox("Text6", ValueWidth);
    Text7 = textBox("Text7", ValueWidth);
    Text8 = textBox("Text8", ValueWidth);
    Text9 = textBox("Text9", ValueWidth);
    Text10 = textBox("Text10", ValueWidth);
    Text3 = holderBox("Text3", ValueWidth);
    Text4 = holderBox("Text4", ValueWidth);
    Text12 = holderBox("Text12", ValueWidth);
    const QList<QList<QLineEdit*>> rows = {
        {Text5, Text6, Text7}, {Text8, Text9, Text10}, {Text3, Text4, Text12}};
    const char* rowCaptions[] = {"Trans", "Size", "Rotation"};
    for (int row = 0; row < 3; ++row) {
        fields->addWidget(caption(rowCaptions[row]), row + 1, 0);
        for (int column = 0; column < 3; ++column)
            fields->addWidget(rows[row][column], row + 1, column + 1);
    }
    fields->setRowStretch(4, 1);
    layout->addLayout(fields, 1, 0);
    layout->addWidget(buildDials(), 1, 1);

    // Entries listed by name only have no values: Frame2 covers the fields.
    Frame2 = kindFrame("Frame2");
    auto* nameOnly = new QVBoxLayout(Frame2);
    nameOnly->addWidget(caption("This entry is listed by name only: it has no values."), 0,
                        Qt::AlignCenter);
    layout->addWidget(Frame2, 1, 0, 1, 2);

    auto* kinds = new QWidget;
    kinds->setFixedHeight(92);
    auto* kindLayout = new QGridLayout(kinds);
    kindLayout->setContentsMargins(0, 0, 0, 0);
    Frame3 = buildLightFrame();
    Frame8 = buildThingFrame();
    Frame9 = buildHumanFrame();
    for (QGroupBox* frame : {Frame3, Frame8, Frame9})
        kindLayout->addWidget(frame, 0, 0);
    layout->addWidget(kinds, 2, 0);

    auto* buttons = new QVBoxLayout;
    Label1 = named(new QLabel("SAVED"), "Label1");
    setForeColour(Label1, StatusRed);
    QFont bold = Label1->font();
    bold.setBold(true);
    Label1->setFont(bold);
    SaveValue = named(new QPushButton("Save"), "SaveValue");
    Command1 = named(new QPushButton("Delete"), "Command1");
    buttons->addWidget(Label1, 0, Qt::AlignHCenter);
    buttons->addStretch(1);
    buttons->addWidget(SaveValue);
    buttons->addWidget(Command1);
    layout->addLayout(buttons, 2, 1);
    layout->setColumnStretch(0, 1);
    return panel;
}

QWidget* MDIForm1::buildDials() {
    auto* dials = new QWidget;
    auto* layout = new QGridLayout(dials);
    layout->setContentsMargins(0, 0, 0, 0);
    Label30 = named(new QLabel("Horz"), "Label30");
    Label3.add(0, named(new QLabel("Vert"), "Label3(0)"));
    Text11 = textBox("Text11", SmallWidth + 12);
    Shape1 = horizontalDial();
    Shape2 = verticalDial();
    Slider1 = slider("Slider1", Qt::Vertical, 0, 180, 10);
    Slider1->setInvertedAppearance(true);
    Slider1->setFixedHeight(Shape1->height());
    Slider2 = slider("Slider2", Qt::Horizontal, -90, 90, 10);
    Slider2->setFixedWidth(Shape2->width());

    layout->addWidget(Label30, 0, 0);
    auto* vertical = new QHBoxLayout;
    vertical->addWidget(Label3(0));
    vertical->addWidget(Text11);
    vertical->addStretch(1);
    layout->addLayout(vertical, 0, 2);
    layout->addWidget(Shape1, 1, 0);
    layout->addWidget(Slider1, 1, 1);
    layout->addWidget(Shape2, 1, 2);
    layout->addWidget(Slider2, 2, 2);
    layout->setRowStretch(3, 1);
    return dials;
}

QGroupBox* MDIForm1::buildLightFrame() {
    QGroupBox* frame = kindFrame("Frame3");
    auto* layout = new QGridLayout(frame);
    layout->setContentsMargins(6, 2, 6, 2);
    layout->setVerticalSpacing(1);
    Text20 = textBox("Text20", SmallWidth);
    layout->addWidget(caption("Brightness:"), 0, 0);
    layout->addWidget(Text20, 0, 1);
    layout->addWidget(caption("(1...5)"), 0, 2);
    Picture4 = named(new QLabel, "Picture4");
    Picture4->setFrameShape(QFrame::Box);
    Picture4->setFixedSize(60, 36);
    setBackColour(Picture4, QColor(0, 0, 0));
    layout->addWidget(Picture4, 1, 0, 2, 3, Qt::AlignLeft | Qt::AlignTop);

    Label9 = named(new QLabel("Red"), "Label9");
    Label11.add(0, named(new QLabel("Green"), "Label11(0)"));
    Label14 = named(new QLabel("Blue"), "Label14");
    Slider3 = slider("Slider3", Qt::Horizontal, 0, 255, 20);
    Slider4 = slider("Slider4", Qt::Horizontal, 0, 255, 20);
    Slider5 = slider("Slider5", Qt::Horizontal, 0, 255, 20);
    Text14 = holderBox("Text14", SmallWidth);
    Text15 = holderBox("Text15", SmallWidth);
    Text16 = holderBox("Text16", SmallWidth);
    const QList<QLabel*> labels = {Label9, Label11(0), Label14};
    const QList<QSlider*> sliders = {Slider3, Slider4, Slider5};
    const QList<QLineEdit*> boxes = {Text14, Text15, Text16};
    for (int row = 0; row < 3; ++row) {
        layout->addWidget(labels[row], row, 4);
        layout->addWidget(sliders[row], row, 5);
        layout->addWidget(boxes[row], row, 6);
    }
    layout->setColumnMinimumWidth(3, 12);
    layout->setColumnStretch(5, 1);
    return frame;
}

QGroupBox* MDIForm1::buildThingFrame() {
    QGroupBox* frame = kindFrame("Frame8");
    auto* layout = new QGridLayout(frame);
    Text13 = textBox("Text13", ValueWidth);
    Combo1 = named(new QComboBox, "Combo1");
    const char* sounds[] = {"Lath 1", "Lath 2", "Barrel 1", "Barrel 2", "Label",
                            "Box",    "Wood",   "Plate",    "No sound"};
    for (int code = 0; code < 9; ++code)
        Combo1->addItem(sounds[code], code);
    layout->addWidget(caption("Weight"), 0, 0);
    layout->addWidget(Text13, 0, 1);
    layout->addWidget(caption("kg"), 0, 2);
    layout->addWidget(caption("Sound"), 0, 4);
    layout->addWidget(Combo1, 0, 5);
    layout->setColumnMinimumWidth(3, 16);
    layout->setColumnStretch(6, 1);
    return frame;
}

QGroupBox* MDIForm1::buildHumanFrame() {
    QGroupBox* frame = kindFrame("Frame9");
    auto* layout = new QGridLayout(frame);
    layout->setContentsMargins(6, 2, 6, 2);
    Text23 = textBox("Text23", SmallWidth);
    Text22 = textBox("Text22", SmallWidth);
    Text21 = textBox("Text21", SmallWidth);
    Combo3 = named(new QComboBox, "Combo3");
    const std::pair<const char*, int> behaviours[] = {
        {"Duck", 0},         {"No reaction", 2},         {"No reaction on weapon", 4},
        {"React when hit", 8}, {"Reaction on Player", 16}, {"React on Attack", 32},
        {"React on Attack 2", 64}, {"Afraid", 128}};
    for (const auto& [text, code] : behaviours)
        Combo3->addItem(text, code);

    auto* sexRange = new QVBoxLayout;
    sexRange->setSpacing(0);
    sexRange->addWidget(caption("(0 to 28 male"));
    sexRange->addWidget(caption("29 to 31 female)"));
    layout->addWidget(caption("Sex"), 0, 0);
    layout->addWidget(Text23, 0, 1);
    layout->addLayout(sexRange, 0, 2);
    layout->addWidget(caption("Aggression"), 1, 0);
    layout->addWidget(Text22, 1, 1);
    layout->addWidget(caption("(0 ...1)"), 1, 2);
    layout->addWidget(caption("Weight"), 0, 4);
    layout->addWidget(Text21, 0, 5);
    layout->addWidget(caption("kg"), 0, 6);
    layout->addWidget(caption("Behaviour"), 1, 4);
    layout->addWidget(Combo3, 1, 5, 1, 2);
    layout->setColumnMinimumWidth(3, 16);
    layout->setColumnStretch(7, 1);
    return frame;
}
