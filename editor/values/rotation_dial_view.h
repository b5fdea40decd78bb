#pragma once
#include <QColor>
#include <QLine>
#include <QObject>
#include <QWidget>

class QSlider;

// The figure of one rotation dial, for the main window and the insert window.
//
// Use:
//   auto* Shape1 = new RotationDialView(DialKind::Horizontal, {1800, 3360}, "Shape1");
//   auto* Slider1 = makeDialSlider(DialKind::Horizontal, "Slider1");
//   Shape1->draw(angle);   // a: the slider value, or the unrounded stored angle
// The figure is placed in twips (15 twips a pixel) around `centre`, in the
// coordinates of the dials' container as the dial formulas use them
// (rotation_dial.h): a circle of diameter 975, two fixed crosshair lines and
// three moving needle lines whose one end stays at the centre. The lines are
// child objects named as the figure's lines ("Line7", "Line9" .. "Line12"
// horizontal; "Line1" .. "Line5" vertical) with the properties X1, Y1, X2, Y2
// in twips, so `dial->findChild<DialLine*>("Line11")->property("X2")` reads an
// end point.

enum class DialKind { Horizontal, Vertical };

class DialLine : public QObject {
    Q_OBJECT
    Q_PROPERTY(int X1 READ x1)
    Q_PROPERTY(int Y1 READ y1)
    Q_PROPERTY(int X2 READ x2)
    Q_PROPERTY(int Y2 READ y2)
    Q_PROPERTY(QColor BorderColor READ colour)
public:
    DialLine(const QString& name, const QLine& twips, const QColor& colour, int width,
             QObject* parent);
    int x1() const { return twips_.x1(); }
    int y1() const { return twips_.y1(); }
    int x2() const { return twips_.x2(); }
    int y2() const { return twips_.y2(); }
    QLine twips() const { return twips_; }
    QColor colour() const { return colour_; }
    int width() const { return width_; }
    void setTwips(const QLine& twips) { twips_ = twips; }

private:
    QLine twips_;
    QColor colour_;
    int width_;
};

class RotationDialView : public QWidget {
    Q_OBJECT
public:
    RotationDialView(DialKind kind, QPoint centre, const QString& objectName,
                     QWidget* parent = nullptr);

    // Moves the needles to the dial angle `angle` in degrees (the needles turn
    // by twice the angle, as the dial formulas say).
    void draw(double angle);

    DialKind kind() const { return kind_; }
    QPoint centre() const { return centre_; }
    // The line of that name in twips; a null line for an unknown name.
    QLine line(const QString& name) const;
    QColor lineColour(const QString& name) const;
    QStringList lineNames() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    DialLine* addLine(const QString& name, const QLine& twips, const QColor& colour, int width);
    DialLine* lineNamed(const QString& name) const;
    QPointF toPixels(QPoint twips) const;

    DialKind kind_;
    QPoint centre_;
    QRect area_;   // twips the widget covers
    QRect circle_; // twips
    QList<DialLine*> lines_;
};

// The slider of a dial: horizontal dial vertical 0 to 180, vertical dial
// horizontal -90 to 90; small change 1, large change 5, a tick every 10.
QSlider* makeDialSlider(DialKind kind, const QString& objectName);
