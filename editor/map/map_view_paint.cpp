// How the map paints: marks from the bucket grid with a level of detail,
// the script links as arrows, the selection ring and the scale bar.
#include <QPainter>
#include <array>
#include <cmath>

#include "map_view.h"

namespace {

constexpr int LevelCell = 4;        // at most one mark per square of this side
constexpr int ScaleBarPixels = 100; // the scale bar is at most this wide

QColor kindColour(MarkKind kind) {
    switch (kind) {
    case MarkKind::Light:
        return QColor(255, 220, 0);
    case MarkKind::Human:
        return QColor(220, 60, 40);
    case MarkKind::Thing:
        return QColor(150, 100, 40);
    case MarkKind::Door:
        return QColor(40, 90, 220);
    case MarkKind::Car:
        return QColor(30, 160, 60);
    case MarkKind::Other:
        break;
    }
    return QColor(130, 130, 130);
}

QColor linkColour(SwitchState state) {
    switch (state) {
    case SwitchState::Active:
        return QColor(0, 150, 0);
    case SwitchState::Inactive:
        return QColor(200, 0, 0);
    case SwitchState::Unknown:
        break;
    }
    return QColor(90, 90, 90);
}

void drawShape(QPainter& painter, MarkKind kind, QPointF at) {
    const double r = MapMarkRadius;
    switch (kind) {
    case MarkKind::Light:
        painter.drawEllipse(at, r, r);
        return;
    case MarkKind::Human: {
        const QPointF triangle[3] = {at + QPointF(0, -r - 1), at + QPointF(r, r),
                                     at + QPointF(-r, r)};
        painter.drawPolygon(triangle, 3);
        return;
    }
    case MarkKind::Thing:
        painter.drawRect(QRectF(at.x() - r, at.y() - r, 2 * r, 2 * r));
        return;
    case MarkKind::Door:
        painter.drawRect(QRectF(at.x() - r, at.y() - r / 2, 2 * r, r));
        return;
    case MarkKind::Car: {
        const QPointF diamond[4] = {at + QPointF(0, -r - 1), at + QPointF(r + 1, 0),
                                    at + QPointF(0, r + 1), at + QPointF(-r - 1, 0)};
        painter.drawPolygon(diamond, 4);
        return;
    }
    case MarkKind::Other:
        break;
    }
    painter.drawRect(QRectF(at.x() - r / 2, at.y() - r / 2, r, r));
}

// One stamp per kind and tick, painted once: copying a small pixmap is the
// cheapest way to put thousands of marks on screen.
const QPixmap& stamp(MarkKind kind, bool ticked) {
    // Made on first use and kept for the program's life: a pixmap must not
    // outlive the application object, so none is destroyed at exit.
    static auto* stamps = new std::array<std::array<QPixmap, 2>, 6>();
    QPixmap& s = (*stamps)[std::size_t(kind)][ticked ? 1 : 0];
    if (s.isNull()) {
        const int side = 2 * MapMarkRadius + 5;
        s = QPixmap(side, side);
        s.fill(Qt::transparent);
        QPainter p(&s);
        p.setRenderHint(QPainter::Antialiasing);
        p.setBrush(kindColour(kind));
        p.setPen(ticked ? QPen(Qt::black, 1.6) : QPen(kindColour(kind).darker(130), 0.8));
        drawShape(p, kind, QPointF(side / 2.0, side / 2.0));
    }
    return s;
}

// 1, 2 or 5 times a power of ten, the largest not above `most`.
double niceLength(double most) {
    if (!(most > 0) || !std::isfinite(most))
        return 0;
    const double power = std::pow(10.0, std::floor(std::log10(most)));
    for (double step : {5.0, 2.0, 1.0})
        if (step * power <= most)
            return step * power;
    return power;
}

} // namespace

QString markKindName(MarkKind kind) {
    switch (kind) {
    case MarkKind::Light:
        return "light";
    case MarkKind::Human:
        return "human";
    case MarkKind::Thing:
        return "thing";
    case MarkKind::Door:
        return "door";
    case MarkKind::Car:
        return "car";
    case MarkKind::Other:
        break;
    }
    return "other";
}

double MapView::scaleBarUnits() const {
    return niceLength(ScaleBarPixels / scale_);
}

void MapView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), QColor(250, 250, 245));
    if (showLinks_)
        paintLinks(painter);
    else
        arrows_.clear();
    paintMarks(painter);
    paintScaleBar(painter);
}

void MapView::paintMarks(QPainter& painter) {
    const int columns = width() / LevelCell + 1;
    const int rows = height() / LevelCell + 1;
    occupied_.assign(std::size_t(columns) * std::size_t(rows), 0);
    drawn_ = 0;
    inView_ = 0;
    const double half = stamp(MarkKind::Other, false).width() / 2.0;
    grid_.forEachIn(visibleRect(), [&](const MapMark& mark) {
        ++inView_;
        const QPointF at = toScreen(mark.x, mark.z);
        const int cx = std::clamp(int(at.x()) / LevelCell, 0, columns - 1);
        const int cy = std::clamp(int(at.y()) / LevelCell, 0, rows - 1);
        std::uint8_t& cell = occupied_[std::size_t(cy) * std::size_t(columns) + std::size_t(cx)];
        if (cell)
            return;
        cell = 1;
        ++drawn_;
        if (mark.kind == MarkKind::Light) {
            painter.setBrush(QColor::fromRgb(mark.rgb));
            painter.setPen(mark.ticked ? QPen(Qt::black, 1.6) : QPen(QColor(120, 120, 120)));
            drawShape(painter, MarkKind::Light, at);
        } else {
            painter.drawPixmap(QPointF(at.x() - half, at.y() - half),
                               stamp(mark.kind, mark.ticked));
        }
    });
    const int current = current_ ? current_() : -1;
    if (const MapMark* mark = current >= 0 ? grid_.markOf(std::size_t(current)) : nullptr) {
        const QPointF at = toScreen(mark->x, mark->z);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(QColor(255, 0, 0), 2.5));
        painter.drawEllipse(at, MapMarkRadius + 5, MapMarkRadius + 5);
        painter.drawLine(at + QPointF(-MapMarkRadius - 10, 0), at + QPointF(-MapMarkRadius - 6, 0));
        painter.drawLine(at + QPointF(MapMarkRadius + 6, 0), at + QPointF(MapMarkRadius + 10, 0));
        painter.drawLine(at + QPointF(0, -MapMarkRadius - 10), at + QPointF(0, -MapMarkRadius - 6));
        painter.drawLine(at + QPointF(0, MapMarkRadius + 6), at + QPointF(0, MapMarkRadius + 10));
        painter.setRenderHint(QPainter::Antialiasing, false);
    }
}

void MapView::paintLinks(QPainter& painter) {
    arrows_.clear();
    const QRectF area = QRectF(rect()).adjusted(-2, -2, 2, 2);
    painter.setRenderHint(QPainter::Antialiasing);
    for (const ScriptLink& link : links()) {
        const MapMark* from = grid_.markOf(link.owner);
        const MapMark* to = grid_.markOf(link.actor);
        if (!from || !to || from == to)
            continue;
        const QPointF a = toScreen(from->x, from->z);
        const QPointF b = toScreen(to->x, to->z);
        if (!area.intersects(QRectF(a, b).normalized().adjusted(-1, -1, 1, 1)))
            continue;
        arrows_.emplace_back(link.owner, link.actor);
        const QColor colour = linkColour(link.state);
        painter.setPen(QPen(colour, 1.3));
        painter.drawLine(a, b);
        const double dx = b.x() - a.x(), dy = b.y() - a.y();
        const double length = std::hypot(dx, dy);
        if (length < 1)
            continue;
        // The head stops at the target mark's edge.
        const QPointF ux(dx / length, dy / length);
        const QPointF tip = b - ux * double(MapMarkRadius + 2);
        const QPointF side(-ux.y(), ux.x());
        const QPointF head[3] = {tip, tip - ux * 8.0 + side * 4.0, tip - ux * 8.0 - side * 4.0};
        painter.setBrush(colour);
        painter.drawPolygon(head, 3);
    }
    painter.setRenderHint(QPainter::Antialiasing, false);
}

void MapView::paintScaleBar(QPainter& painter) {
    const double units = scaleBarUnits();
    if (units <= 0 || !grid_.bounds())
        return;
    const int pixels = int(std::lround(units * scale_));
    const int x0 = 10, y0 = height() - 12;
    painter.setPen(QPen(Qt::black, 2));
    painter.drawLine(x0, y0, x0 + pixels, y0);
    painter.drawLine(x0, y0 - 4, x0, y0 + 2);
    painter.drawLine(x0 + pixels, y0 - 4, x0 + pixels, y0 + 2);
    painter.setPen(Qt::black);
    painter.drawText(QPoint(x0, y0 - 6), QString::number(units, 'g', 6) + " units");
}
