#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QVBoxLayout>

#include "colours.h"
#include "layout_support.h"
#include "mdiform1.h"

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
    const std::pair<const char*, int> behaviours[] = {{"Duck", 0},
                                                      {"No reaction", 2},
                                                      {"No reaction on weapon", 4},
                                                      {"React when hit", 8},
                                                      {"Reaction on Player", 16},
                                                      {"React on Attack", 32},
                                                      {"React on Attack 2", 64},
                                                      {"Afraid", 128}};
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
