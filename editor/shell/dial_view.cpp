#include "dial_view.h"

#include <QPainter>

namespace {
constexpr double TwipsPerPixel = 15.0;
}

DialView::DialView(const QRect& area, const QRect& circle, QWidget* parent)
    : QWidget(parent), area_(area), circle_(circle) {
    setFixedSize(sizeHint());
}

void DialView::setLine(const QString& name, const QLine& twips, const QColor& colour, int width) {
    lines_[name] = Figure{twips, colour, width};
    update();
}

void DialView::moveLine(const QString& name, const QLine& twips) {
    lines_[name].twips = twips;
    update();
}

QLine DialView::line(const QString& name) const {
    return lines_.value(name).twips;
}

QColor DialView::lineColour(const QString& name) const {
    return lines_.value(name).colour;
}

QSize DialView::sizeHint() const {
    return QSize(qRound(area_.width() / TwipsPerPixel) + 1,
                 qRound(area_.height() / TwipsPerPixel) + 1);
}

QPointF DialView::toPixels(QPoint twips) const {
    return QPointF((twips.x() - area_.left()) / TwipsPerPixel,
                   (twips.y() - area_.top()) / TwipsPerPixel);
}

void DialView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(palette().color(QPalette::WindowText), 1));
    painter.drawEllipse(QRectF(toPixels(circle_.topLeft()),
                               QSizeF(circle_.width(), circle_.height()) / TwipsPerPixel));
    for (const Figure& figure : lines_) {
        painter.setPen(QPen(figure.colour, figure.width));
        painter.drawLine(toPixels(figure.twips.p1()), toPixels(figure.twips.p2()));
    }
}
