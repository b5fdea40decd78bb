#pragma once
#include <QWidget>
#include <array>

class QLabel;
class QLineEdit;
class QSlider;

// The red, green and blue sliders of a light with their number boxes and the
// colour preview, for the main window and the insert window.
//
// Use:
//   auto* colours = new ColourSliders({{"Slider3", "Slider4", "Slider5"},
//                                      {"Text14", "Text15", "Text16"},
//                                      {"Label9", "Label11(0)", "Label14"},
//                                      "Picture4"});
//   layout->addWidget(colours);            // the rows: label, slider, box
//   layout->addWidget(colours->preview()); // the preview goes where you like
//   connect(colours, &ColourSliders::sliderClicked, ...);
// sliderClicked(c) is raised when the user moves slider c (0 red, 1 green,
// 2 blue), never when code sets a slider through this class; the window's
// handler decides whether to follow it with takeSliderPositions() (the insert
// window always does, the main window after its guard).
class ColourSliders : public QWidget {
    Q_OBJECT
public:
    struct Names {
        std::array<QString, 3> sliders;
        std::array<QString, 3> boxes;
        std::array<QString, 3> labels;
        QString preview;
    };
    explicit ColourSliders(const Names& names, QWidget* parent = nullptr);

    QSlider* slider(int component) const { return sliders_.at(std::size_t(component)); }
    QLineEdit* box(int component) const { return boxes_.at(std::size_t(component)); }
    QLabel* label(int component) const { return labels_.at(std::size_t(component)); }
    QLabel* preview() const { return preview_; }

    // The boxes take the sliders' positions as whole numbers and the preview
    // shows RGB of them.
    void takeSliderPositions();
    // Shows three components as decimal texts (empty for none); the sliders
    // move to their whole numbers (halves to even, held to 0..255, 0 for
    // empty or non-numeric text) without raising sliderClicked, and the
    // preview shows those whole numbers.
    void showComponents(const std::array<QString, 3>& texts);

    // The preview's colour.
    QColor previewColour() const;

signals:
    void sliderClicked(int component);

private:
    void paintPreview(int red, int green, int blue);

    std::array<QSlider*, 3> sliders_{};
    std::array<QLineEdit*, 3> boxes_{};
    std::array<QLabel*, 3> labels_{};
    QLabel* preview_ = nullptr;
};
