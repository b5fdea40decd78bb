#pragma once
#include <QColor>
#include <QLine>
#include <QMap>
#include <QRect>
#include <QWidget>

// The figure of one rotation dial: a circle and named lines, placed in twips
// of the dials' container (15 twips a pixel). The widget covers `area` of
// that container; the dial handlers move the lines' ends.
class DialView : public QWidget {
    Q_OBJECT
public:
    DialView(const QRect& area, const QRect& circle, QWidget* parent = nullptr);

    void setLine(const QString& name, const QLine& twips, const QColor& colour, int width = 1);
    void moveLine(const QString& name, const QLine& twips);
    QLine line(const QString& name) const;
    QColor lineColour(const QString& name) const;
    QStringList lineNames() const { return lines_.keys(); }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    struct Figure {
        QLine twips;
        QColor colour;
        int width = 1;
    };
    QPointF toPixels(QPoint twips) const;

    QRect area_;
    QRect circle_;
    QMap<QString, Figure> lines_;
};
