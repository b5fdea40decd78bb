#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

#include "colours.h"
#include "layout_support.h"
#include "rotation_dial.h"
#include "rotation_dial_view.h"
#include "value_box_width.h"
#include "value_panel.h"

namespace {
QPoint at(DialPoint p) {
    return {p.x, p.y};
}
} // namespace

// Rows: the entry's name with the Save and Delete buttons; the model; the
// translation, size and rotation fields beside the dials; the kind frames.
// Frame2 lies over everything below the name, for entries that have no values.
ValuePanel::ValuePanel(const QFont& windowFont) {
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setVerticalSpacing(3);

    auto* top = new QHBoxLayout;
    Text17 = holderBox("Text17");
    top->addWidget(caption("Name"));
    top->addWidget(Text17, 1);
    Label1 = named(new QLabel("SAVED"), "Label1");
    setForeColour(Label1, StatusRed);
    QFont bold = Label1->font();
    bold.setBold(true);
    Label1->setFont(bold);
    Label1->hide();
    SaveValue = named(new QPushButton("Save"), "SaveValue");
    Command1 = named(new QPushButton("Delete"), "Command1");
    top->addWidget(Label1);
    top->addWidget(SaveValue);
    top->addWidget(Command1);
    layout->addLayout(top, 0, 0, 1, 2);

    auto* model = new QHBoxLayout;
    Text2.add(12, holderBox("Text2(12)"));
    model->addWidget(caption("Model"));
    model->addWidget(Text2(12), 1);
    layout->addLayout(model, 1, 0, 1, 2);

    auto* fields = new QGridLayout;
    fields->setHorizontalSpacing(3);
    fields->setVerticalSpacing(2);
    const char* axes[] = {"X", "Y", "Z"};
    for (int column = 0; column < 3; ++column)
        fields->addWidget(caption(axes[column]), 0, column + 1, Qt::AlignHCenter);
    Text5 = textBox("Text5");
    Text6 = textBox("Text6");
    Text7 = textBox("Text7");
    Text8 = textBox("Text8");
    Text9 = textBox("Text9");
    Text10 = textBox("Text10");
    Text3 = holderBox("Text3");
    Text4 = holderBox("Text4");
    Text12 = holderBox("Text12");
    const QList<QList<QLineEdit*>> rows = {
        {Text5, Text6, Text7}, {Text8, Text9, Text10}, {Text3, Text4, Text12}};
    const char* rowCaptions[] = {"Trans", "Size", "Rot."};
    for (int row = 0; row < 3; ++row) {
        fields->addWidget(caption(rowCaptions[row]), row + 1, 0);
        for (int column = 0; column < 3; ++column) {
            fitBox(rows[row][column], BoxText::Single, windowFont);
            fields->addWidget(rows[row][column], row + 1, column + 1);
        }
    }
    fields->setRowStretch(4, 1);
    layout->addLayout(fields, 2, 0);
    layout->addWidget(buildDials(windowFont), 2, 1, Qt::AlignRight | Qt::AlignTop);

    auto* kinds = new QWidget;
    auto* kindLayout = new QGridLayout(kinds);
    kindLayout->setContentsMargins(0, 0, 0, 0);
    Frame3 = buildLightFrame(windowFont);
    Frame8 = buildThingFrame(windowFont);
    Frame9 = buildHumanFrame(windowFont);
    // The frames keep their place while hidden, so the script panel below
    // does not move with the kind on display.
    for (QGroupBox* frame : {Frame3, Frame8, Frame9}) {
        QSizePolicy policy = frame->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        frame->setSizePolicy(policy);
        kindLayout->addWidget(frame, 0, 0);
        frame->hide();
    }
    layout->addWidget(kinds, 3, 0, 1, 2);

    // Entries listed by name only: their name stays in view above the frame.
    Frame2 = kindFrame("Frame2");
    auto* nameOnly = new QVBoxLayout(Frame2);
    nameOnly->addWidget(caption("This entry is listed by name only: it has no values."), 0,
                        Qt::AlignCenter);
    layout->addWidget(Frame2, 1, 0, 3, 2);
    Frame2->hide();
    layout->setColumnStretch(0, 1);
}

// Horz over the horizontal dial and its slider, Vert over the vertical dial
// with its slider below, the vertical angle Text11 under both.
QWidget* ValuePanel::buildDials(const QFont& windowFont) {
    auto* dials = new QWidget;
    auto* layout = new QGridLayout(dials);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    Label30 = named(new QLabel("Horz"), "Label30");
    Label3.add(0, named(new QLabel("Vert"), "Label3(0)"));
    Text11 = textBox("Text11");
    fitBox(Text11, BoxText::AngleDouble, windowFont);
    Shape1 = new RotationDialView(DialKind::Horizontal, at(HorizontalDialCentre), "Shape1");
    Shape2 = new RotationDialView(DialKind::Vertical, at(VerticalDialCentre), "Shape2");
    Slider1 = makeDialSlider(DialKind::Horizontal, "Slider1");
    Slider1->setFixedHeight(Shape1->height());
    Slider2 = makeDialSlider(DialKind::Vertical, "Slider2");
    Slider2->setFixedWidth(Shape2->width());

    layout->addWidget(Label30, 0, 0);
    layout->addWidget(Label3(0), 0, 2);
    layout->addWidget(Shape1, 1, 0);
    layout->addWidget(Slider1, 1, 1);
    layout->addWidget(Shape2, 1, 2);
    layout->addWidget(Slider2, 2, 2);
    layout->addWidget(Text11, 3, 0, 1, 3, Qt::AlignRight);
    layout->setRowStretch(4, 1);
    return dials;
}
