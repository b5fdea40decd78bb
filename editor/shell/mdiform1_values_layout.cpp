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
#include "rotation_dial.h"

namespace {

// Dial figures in twips of the dials' container, in the pose of angle 0.
const QColor DialBlue(0, 0, 255);

QPoint at(DialPoint p) {
    return {p.x, p.y};
}

DialView* horizontalDial() {
    auto* dial =
        named(new DialView(QRect(1200, 2760, 1201, 1201), QRect(1312, 2872, 975, 975)), "Shape1");
    const QColor fixed = systemColour(SystemColour::WindowText);
    dial->setLine("Line9", QLine(1200, 3360, 2400, 3360), fixed);
    dial->setLine("Line10", QLine(1800, 2760, 1800, 3960), fixed);
    const QPoint centre = at(HorizontalDialCentre);
    const auto ends = horizontalNeedles(0);
    dial->setLine("Line7", QLine(at(ends[0]), centre), DialBlue, 2);
    dial->setLine("Line11", QLine(centre, at(ends[1])), DialBlue, 2);
    dial->setLine("Line12", QLine(centre, at(ends[2])), DialBlue, 2);
    return dial;
}

DialView* verticalDial() {
    auto* dial =
        named(new DialView(QRect(2640, 2760, 1441, 1201), QRect(2872, 2872, 975, 975)), "Shape2");
    const QColor fixed = systemColour(SystemColour::WindowText);
    dial->setLine("Line1", QLine(3360, 2880, 3360, 3840), fixed);
    dial->setLine("Line2", QLine(2640, 3480, 4080, 3480), fixed);
    const QPoint centre = at(VerticalDialCentre);
    const auto ends = verticalNeedles(0);
    dial->setLine("Line3", QLine(at(ends[0]), centre), DialBlue, 2);
    dial->setLine("Line4", QLine(centre, at(ends[1])), DialBlue, 2);
    dial->setLine("Line5", QLine(centre, at(ends[2])), DialMagenta, 2);
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
    layout->addLayout(names, 0, 0, 1, 3);

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
    fields->setColumnStretch(4, 1);
    layout->addLayout(fields, 1, 0);
    layout->addWidget(buildDials(), 1, 1);

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
    layout->addLayout(buttons, 1, 2);

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
    layout->addWidget(kinds, 2, 0, 1, 3);
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
