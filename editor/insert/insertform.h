#pragma once
#include <QWidget>

class BehaviourCombo;
class ColourSliders;
class Dialogs;
class SceneEditor;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QSlider;
class RotationDialView;
class SoundCombo;

// The insert window "QXA Insert": a window of its own, owned by the main
// window, which presets and shows it from the "&Insert" menu. "insert" adds
// the object the fields describe to the open scene.
class insertform : public QWidget {
    Q_OBJECT
public:
    // `owner` is the main window; `scene` the open scene it edits.
    insertform(QWidget& owner, SceneEditor& scene, Dialogs& dialogs);

    // The category word the menu entry set: "human", "car", ... "uwall".
    QString modelchoice;

    // Position the dials from a q0 (horizontal) or q3 (vertical) text.
    void DisplaySlider1(const QString& q0);
    void DisplaySlider2(const QString& q3);

    // ---- Handlers.
    void Slider1_Click(); // the dial actions: Text9 and Text10, or Text12
    void Slider2_Click();
    void Slider3_Change(); // any colour slider
    void insert_Click();
    void cancel_Click();
    void Browse_Click();
    void Drive1_Change();
    void Dir1_Change();
    void File1_Click();
    void Cok_Click();
    void Command1_Click(); // the browser's "Cancel"

    // ---- Controls.
    QLabel* Label5;   // category heading
    QLineEdit* Text1; // name
    QLineEdit* Text8; // model file name
    QLineEdit* Text2;
    QLineEdit* Text3;
    QLineEdit* Text4;
    QLineEdit* Text5;
    QLineEdit* Text6;
    QLineEdit* Text7;
    QSlider* Slider1;
    QSlider* Slider2;
    RotationDialView* Shape1;
    RotationDialView* Shape2;
    QLineEdit* Text9;  // hidden q0
    QLineEdit* Text10; // hidden q2
    QLineEdit* Text11; // vertical angle, whole degrees
    QLineEdit* Text12; // hidden q3
    QPushButton* Browse;
    QPushButton* insert;
    QPushButton* cancel;

    QGroupBox* Frame4; // the model-file browser
    QComboBox* Drive1;
    QListWidget* Dir1;
    QListWidget* File1;
    QLineEdit* Text17;
    QPushButton* Cok;
    QPushButton* Command1;

    QGroupBox* Frame9; // human
    QLineEdit* Text21;
    BehaviourCombo* Combo3;
    QLineEdit* Text22;
    QLineEdit* Text23;

    QGroupBox* Frame8; // thing
    QLineEdit* Text18;
    SoundCombo* Combo1;

    QGroupBox* Frame2; // light
    QRadioButton* Option4;
    QRadioButton* Option5;
    QLineEdit* Text13;
    ColourSliders* colours; // Slider3 .. Slider5, Text14 .. Text16, Picture1
    QSlider* Slider3;
    QSlider* Slider4;
    QSlider* Slider5;
    QLineEdit* Text14;
    QLineEdit* Text15;
    QLineEdit* Text16;
    QLabel* Picture1;

    QGroupBox* Frame1; // door sound
    QRadioButton* Option1;
    QRadioButton* Option2;
    QRadioButton* Option3;

    QGroupBox* Frame3; // empty, for the plain model categories

    // The folder the browser shows.
    QString browsedFolder() const { return folder_; }

private:
    QWidget* buildFields();
    QWidget* buildDials();
    QGroupBox* buildBrowser();
    QGroupBox* buildHumanFrame();
    QGroupBox* buildThingFrame();
    QGroupBox* buildLightFrame();
    QGroupBox* buildDoorFrame();
    void connectHandlers();
    void showFolder(const QString& folder);

    SceneEditor& scene_;
    Dialogs& dialogs_;
    QString folder_;
};
