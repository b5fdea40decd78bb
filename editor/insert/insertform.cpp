#include "insertform.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QVBoxLayout>

#include "colour_sliders.h"
#include "layout_support.h"
#include "rotation_dial.h"
#include "rotation_dial_view.h"
#include "value_combos.h"

// Left: heading, name, model, translation, size, the dials and the buttons.
// Right: the door-sound, light and empty frames in one place, below them the
// human and thing frames in one place. The browser lies along the bottom.
insertform::insertform(QWidget& owner, SceneEditor& scene, Dialogs& dialogs)
    : QWidget(&owner, Qt::Window), scene_(scene), dialogs_(dialogs) {
    setObjectName("insertform");
    setWindowTitle("QXA Insert");

    auto* layout = new QGridLayout(this);
    Label5 = named(new QLabel, "Label5");
    layout->addWidget(Label5, 0, 0, 1, 2);
    layout->addWidget(buildFields(), 1, 0);
    layout->addWidget(buildDials(), 2, 0);

    auto* buttons = new QHBoxLayout;
    Browse = named(new QPushButton("Browse"), "Browse");
    insert = named(new QPushButton("insert"), "insert");
    cancel = named(new QPushButton("cancel"), "cancel");
    buttons->addWidget(Browse);
    buttons->addStretch(1);
    buttons->addWidget(insert);
    buttons->addWidget(cancel);
    layout->addLayout(buttons, 3, 0);

    auto* panels = new QGridLayout;
    Frame1 = buildDoorFrame();
    Frame2 = buildLightFrame();
    Frame3 = kindFrame("Frame3");
    Frame3->setMinimumHeight(40);
    panels->addWidget(Frame3, 0, 0);
    panels->addWidget(Frame1, 0, 0, Qt::AlignTop | Qt::AlignLeft);
    panels->addWidget(Frame2, 0, 0, Qt::AlignTop | Qt::AlignLeft);
    Frame9 = buildHumanFrame();
    Frame8 = buildThingFrame();
    panels->addWidget(Frame9, 1, 0, Qt::AlignTop | Qt::AlignLeft);
    panels->addWidget(Frame8, 1, 0, Qt::AlignTop | Qt::AlignLeft);
    panels->setRowStretch(2, 1);
    // The empty frame lies above the door-sound and light panels where both
    // are shown, and covers them.
    Frame3->setAutoFillBackground(true);
    Frame3->raise();
    layout->addLayout(panels, 1, 1, 3, 1);
    // Room the window gains goes to the panels: the fields keep their columns.
    layout->setColumnStretch(1, 1);

    Frame4 = buildBrowser();
    layout->addWidget(Frame4, 4, 0, 1, 2);
    for (QWidget* panel : {Frame1, Frame2, Frame8, Frame9, Frame4})
        panel->hide();
    setToolTips(this, {{"Text1", "Name of the new entry (at most 42 characters)"},
                       {"Text8", "Model file of the new entry"},
                       {"Text2", "Translation X, in scene units"},
                       {"Text3", "Translation Y (height), in scene units"},
                       {"Text4", "Translation Z, in scene units"},
                       {"Text5", "Size X, a factor (1 = the model's own size)"},
                       {"Text6", "Size Y, a factor (1 = the model's own size)"},
                       {"Text7", "Size Z, a factor (1 = the model's own size)"},
                       {"Slider1", "Horizontal angle, in whole degrees"},
                       {"Slider2", "Vertical angle, in whole degrees"},
                       {"Text11", "Vertical angle in degrees, -180 to 180"},
                       {"Browse", "Choose the model file from a folder"},
                       {"insert", "Insert the new entry into the open scene"},
                       {"cancel", "Close this window without inserting (Escape)"},
                       {"Drive1", "Drive of the model folder"},
                       {"Dir1", "Folders; double-click to open one"},
                       {"File1", "Model files of the folder"},
                       {"Text17", "The chosen model file"},
                       {"Cok", "Take the chosen model file"},
                       {"Command1", "Close the browser (Escape)"},
                       {"Text21", "Weight of the human"},
                       {"Combo3", "Behaviour of the human"},
                       {"Text22", "Aggression of the human, 0 to 1"},
                       {"Text23", "Sex of the human, as a number"},
                       {"Text18", "Weight of the thing"},
                       {"Combo1", "Sound the thing makes"},
                       {"Text13", "Light brightness, 0 to 5"},
                       {"Slider3", "Light colour: red, 0 to 255"},
                       {"Slider4", "Light colour: green, 0 to 255"},
                       {"Slider5", "Light colour: blue, 0 to 255"},
                       {"Text14", "Light colour: red, 0 to 255"},
                       {"Text15", "Light colour: green, 0 to 255"},
                       {"Text16", "Light colour: blue, 0 to 255"},
                       {"Option4", "Light of kind 2"},
                       {"Option5", "Light of kind 1"},
                       {"Option1", "The door sounds of wood"},
                       {"Option2", "The door sounds of brass"},
                       {"Option3", "The door sounds of glass"}});
    connectHandlers();
}

QWidget* insertform::buildFields() {
    auto* box = new QWidget;
    auto* grid = new QGridLayout(box);
    grid->setContentsMargins(0, 0, 0, 0);
    Text1 = textBox("Text1");
    Text8 = textBox("Text8");
    grid->addWidget(named(caption("Name"), "Label1"), 0, 0);
    grid->addWidget(Text1, 0, 1, 1, 3);
    grid->addWidget(named(caption("Model"), "Label12"), 1, 0);
    grid->addWidget(Text8, 1, 1, 1, 3);
    const char* axes[] = {"X", "Y", "Z"};
    for (int c = 0; c < 3; ++c)
        grid->addWidget(caption(axes[c]), 2, c + 1, Qt::AlignHCenter);
    Text2 = textBox("Text2", ValueWidth);
    Text3 = textBox("Text3", ValueWidth);
    Text4 = textBox("Text4", ValueWidth);
    Text5 = textBox("Text5", ValueWidth);
    Text6 = textBox("Text6", ValueWidth);
    Text7 = textBox("Text7", ValueWidth);
    // Values come over from the main window as it shows them.
    for (QLineEdit* value : {Text2, Text3, Text4, Text5, Text6, Text7})
        fitText(value, "-00000.000");
    grid->addWidget(named(caption("Trans"), "Label10"), 3, 0);
    grid->addWidget(Text2, 3, 1);
    grid->addWidget(Text3, 3, 2);
    grid->addWidget(Text4, 3, 3);
    grid->addWidget(named(caption("Size"), "Label2"), 4, 0);
    grid->addWidget(Text5, 4, 1);
    grid->addWidget(Text6, 4, 2);
    grid->addWidget(Text7, 4, 3);
    grid->setColumnStretch(4, 1);
    return box;
}

QWidget* insertform::buildDials() {
    auto* box = new QWidget;
    auto* grid = new QGridLayout(box);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->addWidget(named(caption("Rotation"), "Label13"), 0, 0, 1, 4);
    Shape1 = new RotationDialView(DialKind::Horizontal,
                                  {HorizontalDialCentre.x, HorizontalDialCentre.y}, "Shape1");
    Shape2 = new RotationDialView(DialKind::Vertical, {VerticalDialCentre.x, VerticalDialCentre.y},
                                  "Shape2");
    Slider1 = makeDialSlider(DialKind::Horizontal, "Slider1");
    Slider2 = makeDialSlider(DialKind::Vertical, "Slider2");
    grid->addWidget(named(caption("Horz"), "Label3"), 1, 0);
    grid->addWidget(Slider1, 2, 0);
    grid->addWidget(Shape1, 2, 1);
    grid->addWidget(Shape2, 2, 2);
    grid->addWidget(named(caption("Vert"), "Label4"), 3, 2);
    grid->addWidget(Slider2, 4, 2);
    Text11 = textBox("Text11", SmallWidth);
    fitText(Text11, "-000.0000000000000"); // the vertical angle, as computed
    grid->addWidget(Text11, 4, 3);
    grid->setColumnStretch(4, 1);
    // The components travel through hidden boxes, as the dial actions write them.
    Text9 = textBox("Text9");
    Text10 = textBox("Text10");
    Text12 = textBox("Text12");
    for (QLineEdit* hidden : {Text9, Text10, Text12}) {
        hidden->setText(hidden->objectName());
        hidden->setParent(box);
        hidden->hide();
    }
    return box;
}

QGroupBox* insertform::buildBrowser() {
    auto* frame = named(new QGroupBox, "Frame4");
    auto* grid = new QGridLayout(frame);
    Drive1 = named(new QComboBox, "Drive1");
    Dir1 = named(new QListWidget, "Dir1");
    File1 = named(new QListWidget, "File1");
    Text17 = textBox("Text17");
    Cok = named(new QPushButton("Ok"), "Cok");
    Command1 = named(new QPushButton("Cancel"), "Command1");
    Dir1->setMaximumHeight(110);
    File1->setMaximumHeight(110);
    grid->addWidget(Drive1, 0, 0);
    grid->addWidget(Dir1, 1, 0);
    grid->addWidget(File1, 0, 1, 2, 1);
    grid->addWidget(Text17, 2, 0, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Cok);
    buttons->addWidget(Command1);
    grid->addLayout(buttons, 3, 0, 1, 2);
    return frame;
}

QGroupBox* insertform::buildHumanFrame() {
    auto* frame = kindFrame("Frame9");
    auto* grid = new QGridLayout(frame);
    Text21 = textBox("Text21", ValueWidth);
    Combo3 = new BehaviourCombo("Combo3");
    Text22 = textBox("Text22", ValueWidth);
    Text23 = textBox("Text23", ValueWidth);
    grid->addWidget(caption("Weight"), 0, 0);
    grid->addWidget(Text21, 0, 1);
    grid->addWidget(caption("Behaviour"), 1, 0);
    grid->addWidget(Combo3, 1, 1, 1, 2);
    grid->addWidget(caption("Aggression"), 2, 0);
    grid->addWidget(Text22, 2, 1);
    grid->addWidget(caption("(0 ...1)"), 2, 2);
    grid->addWidget(caption("Sex"), 3, 0);
    grid->addWidget(Text23, 3, 1);
    auto* sexes = new QVBoxLayout;
    sexes->addWidget(caption("(0 to 28 male"));
    sexes->addWidget(caption("29 to 31 female)"));
    grid->addLayout(sexes, 3, 2);
    return frame;
}

QGroupBox* insertform::buildThingFrame() {
    auto* frame = kindFrame("Frame8");
    auto* grid = new QGridLayout(frame);
    Text18 = textBox("Text18", ValueWidth);
    Combo1 = new SoundCombo("Combo1");
    grid->addWidget(caption("Weight"), 0, 0);
    grid->addWidget(Text18, 0, 1);
    grid->addWidget(caption("Sound"), 1, 0);
    grid->addWidget(Combo1, 1, 1);
    return frame;
}

QGroupBox* insertform::buildLightFrame() {
    auto* frame = kindFrame("Frame2");
    auto* grid = new QGridLayout(frame);
    Option4 = named(new QRadioButton("Kind 2"), "Option4");
    Option5 = named(new QRadioButton("Kind 1"), "Option5");
    Option5->setChecked(true);
    grid->addWidget(Option4, 0, 0);
    grid->addWidget(Option5, 0, 1);
    Text13 = textBox("Text13", ValueWidth);
    grid->addWidget(caption("Brightness:"), 1, 0);
    grid->addWidget(Text13, 1, 1);
    grid->addWidget(caption("(1...5)"), 1, 2);
    colours = new ColourSliders({{"Slider3", "Slider4", "Slider5"},
                                 {"Text14", "Text15", "Text16"},
                                 {"Label9", "Label11", "Label14"},
                                 "Picture1"});
    grid->addWidget(colours, 2, 0, 1, 3);
    grid->addWidget(colours->preview(), 3, 0, 1, 3);
    Slider3 = colours->slider(0);
    Slider4 = colours->slider(1);
    Slider5 = colours->slider(2);
    Text14 = colours->box(0);
    Text15 = colours->box(1);
    Text16 = colours->box(2);
    Picture1 = colours->preview();
    return frame;
}

QGroupBox* insertform::buildDoorFrame() {
    auto* frame = kindFrame("Frame1");
    auto* row = new QHBoxLayout(frame);
    row->addWidget(caption("Sound:"));
    Option1 = named(new QRadioButton("wood"), "Option1");
    Option2 = named(new QRadioButton("brass"), "Option2");
    Option3 = named(new QRadioButton("glass"), "Option3");
    for (QRadioButton* option : {Option1, Option2, Option3})
        row->addWidget(option);
    return frame;
}
