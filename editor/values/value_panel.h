#pragma once
#include <QColor>
#include <QString>
#include <QWidget>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "control_array.h"
#include "scene_index.h"
#include "value_save.h"

class QFont;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;
class RotationDialView;
class ColourSliders;
class SoundCombo;
class BehaviourCombo;

// The value panel: an entry's name, model, translation, size, rotation with
// its dials, and the light, thing and human frames. It shows an index record
// as the kind on display decides, and reads its fields back into what a value
// save takes. A value the record lacks shows as an empty field. Which entry
// it shows and whether its values are saved is the window's business.
class ValuePanel : public QWidget {
    Q_OBJECT
public:
    // `windowFont` is the font the window gives its controls; the text boxes
    // are sized for it.
    explicit ValuePanel(const QFont& windowFont);

    // Brightness and colour, shown for every entry whatever its kind.
    void showLightFields(const IndexRecord& record);
    // Light (2), thing (35) or human (27) frame; any other kind shows none.
    void showKindFrame(std::uint8_t kind);
    // Name, model, translation, rotation (with the dials) and size.
    void showCommonValues(const QString& entryText, const IndexRecord& record);
    // Init-script entries carry no object values: their fields are locked.
    void lockValueFields(bool initScript);
    // Any sound code but 0 to 8 (255 stands for a stored -1) leaves no item selected.
    void showThingValues(const IndexRecord& record);
    // A behaviour byte that is no item's code selects the first item.
    void showHumanValues(const IndexRecord& record);
    // No field shows a value of an earlier file; no kind frame is shown.
    void clearValues();
    // The value fields and labels that an edit turned red go back to window text.
    void resetMarks();

    // The fields as "Save" reads them for the entry of `record`, with the
    // rotation the dials turned (none: the stored one). The panel decides by
    // the kind it shows, so the window's display-only kinds save none of the
    // kind values; a light without a light block has no brightness or colour
    // to save.
    ValueSaveInput input(const IndexRecord& record,
                         const std::optional<std::array<StoredFloat, 4>>& turned) const;

    // What the panel shows while values are marked and not saved: the fields'
    // texts, the marks, the list choices and the slider positions.
    class State {
        friend class ValuePanel;
        struct Field {
            QWidget* widget;
            QString text;
            QColor colour;
        };
        std::vector<Field> fields_;
        std::array<int, 5> sliders_{};
        int sound_ = -1;
        int behaviour_ = -1;
    };
    State capture() const;
    // Puts a captured state back; the sliders and lists raise no handler.
    void restore(const State& state);

    // Set a dial from stored components; the slider moves without running its
    // click handler and the needles show the unrounded angle.
    void SyncHorizontalDial(float q0);
    void SyncVerticalDial(float q3, float q1);
    // The dials' needle figures for an angle in degrees.
    void drawHorizontalDial(double angle);
    void drawVerticalDial(double angle);

    QLineEdit* Text17;             // entry name
    QGroupBox* Frame2;             // shown for entries listed by name only
    ControlArray<QLineEdit> Text2; // 12: model
    QLineEdit* Text5;
    QLineEdit* Text6;
    QLineEdit* Text7;
    QLineEdit* Text8;
    QLineEdit* Text9;
    QLineEdit* Text10;
    QLineEdit* Text3;            // q0
    QLineEdit* Text4;            // q2
    QLineEdit* Text11;           // vertical angle in degrees
    QLineEdit* Text12;           // q3
    QSlider* Slider1;            // horizontal dial
    QSlider* Slider2;            // vertical dial
    RotationDialView* Shape1;    // horizontal dial figure
    RotationDialView* Shape2;    // vertical dial figure
    ControlArray<QLabel> Label3; // 0: "Vert"
    QLabel* Label30;             // "Horz"
    QPushButton* SaveValue;
    QPushButton* Command1; // "Delete"
    QLabel* Label1;        // "SAVED"

    QGroupBox* Frame3; // light
    QLineEdit* Text20; // brightness
    QSlider* Slider3;
    QSlider* Slider4;
    QSlider* Slider5;
    QLineEdit* Text14;
    QLineEdit* Text15;
    QLineEdit* Text16;
    QLabel* Label9;               // "Red"
    ControlArray<QLabel> Label11; // 0: "Green"
    QLabel* Label14;              // "Blue"
    QLabel* Picture4;             // colour swatch
    ColourSliders* lightColours;  // Slider3 .. Slider5, Text14 .. Text16 and Picture4

    QGroupBox* Frame8;  // thing
    QLineEdit* Text13;  // weight
    SoundCombo* Combo1; // sound, item data = code

    QGroupBox* Frame9;      // human
    QLineEdit* Text21;      // weight
    QLineEdit* Text22;      // aggression
    QLineEdit* Text23;      // sex
    BehaviourCombo* Combo3; // behaviour, item data = code

private:
    QWidget* buildDials(const QFont& windowFont);
    QGroupBox* buildLightFrame(const QFont& windowFont);
    QGroupBox* buildThingFrame(const QFont& windowFont);
    QGroupBox* buildHumanFrame(const QFont& windowFont);
    std::vector<QWidget*> markable() const;
};
