#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QVBoxLayout>

#include "colour_sliders.h"
#include "colours.h"
#include "layout_support.h"
#include "value_box_width.h"
#include "value_combos.h"
#include "value_panel.h"

QGroupBox* ValuePanel::buildLightFrame(const QFont& windowFont) {
    QGroupBox* frame = kindFrame("Frame3");
    auto* layout = new QGridLayout(frame);
    layout->setContentsMargins(6, 2, 6, 2);
    layout->setVerticalSpacing(1);
    Text20 = textBox("Text20");
    fitBox(Text20, BoxText::Single, windowFont);
    layout->addWidget(caption("Brightness:"), 0, 0);
    layout->addWidget(Text20, 0, 1);
    layout->addWidget(caption("(1...5)"), 0, 2);

    lightColours = new ColourSliders({{"Slider3", "Slider4", "Slider5"},
                                      {"Text14", "Text15", "Text16"},
                                      {"Label9", "Label11(0)", "Label14"},
                                      "Picture4"});
    Slider3 = lightColours->slider(0);
    Slider4 = lightColours->slider(1);
    Slider5 = lightColours->slider(2);
    Text14 = lightColours->box(0);
    Text15 = lightColours->box(1);
    Text16 = lightColours->box(2);
    for (QLineEdit* box : {Text14, Text15, Text16})
        fitBox(box, BoxText::Single, windowFont);
    Label9 = lightColours->label(0);
    Label11.add(0, lightColours->label(1));
    Label14 = lightColours->label(2);
    Picture4 = lightColours->preview();
    Picture4->setFixedSize(60, 36);
    layout->addWidget(Picture4, 1, 0, 2, 3, Qt::AlignLeft | Qt::AlignTop);
    layout->addWidget(lightColours, 0, 4, 3, 1);
    layout->setColumnMinimumWidth(3, 12);
    layout->setColumnStretch(4, 1);
    return frame;
}

QGroupBox* ValuePanel::buildThingFrame(const QFont& windowFont) {
    QGroupBox* frame = kindFrame("Frame8");
    auto* layout = new QGridLayout(frame);
    Text13 = textBox("Text13");
    fitBox(Text13, BoxText::Single, windowFont);
    Combo1 = new SoundCombo("Combo1");
    layout->addWidget(caption("Weight"), 0, 0);
    layout->addWidget(Text13, 0, 1);
    layout->addWidget(caption("kg"), 0, 2);
    layout->addWidget(caption("Sound"), 0, 4);
    layout->addWidget(Combo1, 0, 5);
    layout->setColumnMinimumWidth(3, 16);
    layout->setColumnStretch(6, 1);
    layout->setRowStretch(1, 1);
    return frame;
}

QGroupBox* ValuePanel::buildHumanFrame(const QFont& windowFont) {
    QGroupBox* frame = kindFrame("Frame9");
    auto* layout = new QGridLayout(frame);
    layout->setContentsMargins(6, 2, 6, 2);
    Text23 = textBox("Text23");
    fitBox(Text23, BoxText::Byte, windowFont);
    Text22 = textBox("Text22");
    fitBox(Text22, BoxText::Single, windowFont);
    Text21 = textBox("Text21");
    fitBox(Text21, BoxText::Single, windowFont);
    Combo3 = new BehaviourCombo("Combo3");

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
    layout->setAlignment(Text23, Qt::AlignLeft);
    layout->addWidget(caption("Weight"), 0, 4);
    layout->addWidget(Text21, 0, 5);
    layout->addWidget(caption("kg"), 0, 6);
    layout->addWidget(caption("Behaviour"), 1, 4);
    layout->addWidget(Combo3, 1, 5, 1, 2);
    layout->setColumnMinimumWidth(3, 16);
    layout->setColumnStretch(7, 1);
    return frame;
}
