#include "rotation_dial_view.h"

#include <QPainter>
#include <QSlider>

#include "colours.h"
#include "rotation_dial.h"

namespace {
constexpr double TwipsPerPixel = 15.0;
constexpr int CircleDiameter = 975;
const QColor NeedleBlue(0, 0, 255);

QPoint at(DialPoint p) {
    return {p.x, p.y};
}
DialPoint from(QPoint p) {
    return {p.x(), p.y()};
}
} // namespace

DialLine::DialLine(const QString& name, const QLine& twips, const QColor& colour, int width,
                   QObject* parent)
    : QObject(parent), twips_(twips), colour_(colour), width_(width) {
    setObjectName(name);
}

RotationDialView::RotationDialView(DialKind kind, QPoint centre, const QString& objectName,
                                   QWidget* parent)
    : QWidget(parent), kind_(kind), centre_(centre) {
    setObjectName(objectName);
    const int r = CircleDiameter / 2;
    circle_ = QRect(centre.x() - r, centre.y() - r, CircleDiameter, CircleDiameter);
    const QColor fixed = systemColour(SystemColour::WindowText);
    const int x = centre.x();
    const int y = centre.y();
    if (kind == DialKind::Horizontal) {
        area_ = QRect(x - 600, y - 600, 1201, 1201);
        addLine("Line9", QLine(x - 600, y, x + 600, y), fixed, 1);
        addLine("Line10", QLine(x, y - 600, x, y + 600), fixed, 1);
        addLine("Line7", QLine(centre, centre), NeedleBlue, 2);
        addLine("Line11", QLine(centre, centre), NeedleBlue, 2);
        addLine("Line12", QLine(centre, centre), NeedleBlue, 2);
    } else {
        area_ = QRect(x - 720, y - 600, 1441, 1201);
        addLine("Line1", QLine(x, y - 480, x, y + 480), fixed, 1);
        addLine("Line2", QLine(x - 720, y + 120, x + 720, y + 120), fixed, 1);
        addLine("Line3", QLine(centre, centre), NeedleBlue, 2);
        addLine("Line4", QLine(centre, centre), NeedleBlue, 2);
        addLine("Line5", QLine(centre, centre), DialMagenta, 2);
    }
    draw(0);
    setFixedSize(sizeHint());
}

DialLine* RotationDialView::addLine(const QString& name, const QLine& twips, const QColor& colour,
                                    int width) {
    auto* line = new DialLine(name, twips, colour, width, this);
    lines_.append(line);
    return line;
}

DialLine* RotationDialView::lineNamed(const QString& name) const {
    for (DialLine* line : lines_)
        if (line->objectName() == name)
            return line;
    return nullptr;
}

void RotationDialView::draw(double angle) {
    // Line7 and Line3 keep their second end at the centre and move the first;
    // the others keep the first end at the centre.
    const bool horizontal = kind_ == DialKind::Horizontal;
    const auto ends = horizontal ? horizontalNeedles(from(centre_), angle)
                                 : verticalNeedles(from(centre_), angle);
    const char* names[3] = {horizontal ? "Line7" : "Line3", horizontal ? "Line11" : "Line4",
                            horizontal ? "Line12" : "Line5"};
    lineNamed(names[0])->setTwips(QLine(at(ends[0]), centre_));
    lineNamed(names[1])->setTwips(QLine(centre_, at(ends[1])));
    lineNamed(names[2])->setTwips(QLine(centre_, at(ends[2])));
    update();
}

QLine RotationDialView::line(const QString& name) const {
    const DialLine* found = lineNamed(name);
    return found ? found->twips() : QLine();
}

QColor RotationDialView::lineColour(const QString& name) const {
    const DialLine* found = lineNamed(name);
    return found ? found->colour() : QColor();
}

QStringList RotationDialView::lineNames() const {
    QStringList names;
    for (const DialLine* line : lines_)
        names.append(line->objectName());
    return names;
}

QSize RotationDialView::sizeHint() const {
    return QSize(qRound(area_.width() / TwipsPerPixel) + 1,
                 qRound(area_.height() / TwipsPerPixel) + 1);
}

QPointF RotationDialView::toPixels(QPoint twips) const {
    return QPointF((twips.x() - area_.left()) / TwipsPerPixel,
                   (twips.y() - area_.top()) / TwipsPerPixel);
}

void RotationDialView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(palette().color(QPalette::WindowText), 1));
    painter.drawEllipse(QRectF(toPixels(circle_.topLeft()),
                               QSizeF(circle_.width(), circle_.height()) / TwipsPerPixel));
    for (const DialLine* line : lines_) {
        painter.setPen(QPen(line->colour(), line->width()));
        painter.drawLine(toPixels(line->twips().p1()), toPixels(line->twips().p2()));
    }
}

QSlider* makeDialSlider(DialKind kind, const QString& objectName) {
    const bool horizontal = kind == DialKind::Horizontal;
    auto* slider = new QSlider(horizontal ? Qt::Vertical : Qt::Horizontal);
    slider->setObjectName(objectName);
    slider->setRange(horizontal ? 0 : -90, horizontal ? 180 : 90);
    slider->setSingleStep(1);
    slider->setPageStep(5);
    slider->setTickInterval(10);
    slider->setTickPosition(horizontal ? QSlider::TicksRight : QSlider::TicksBelow);
    // The horizontal dial's slider counts up from the top.
    slider->setInvertedAppearance(horizontal);
    return slider;
}
