#include "map_view.h"

#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QToolTip>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "cp1252.h"
#include "open_scene.h"

namespace {

constexpr int PickRadius = 7;     // how near the pointer must be to a mark
constexpr double MinScale = 1e-6; // pixels per unit
constexpr double MaxScale = 1e4;
constexpr double ZoomStep = 1.25; // per wheel notch

QString number(float v) {
    return QString::number(double(v), 'g', 7);
}

} // namespace

MapView::MapView(const OpenScene& scene, QWidget* parent) : QWidget(parent), scene_(scene) {
    setObjectName("MapView");
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(100, 100);
    setToolTip("The scene from above, X across and Z up: the wheel zooms, dragging pans, "
               "F fits the scene, a click selects the entry");
}

void MapView::sceneChanged() {
    grid_ = scene_.isOpen() ? MarkGrid(scene_.index()) : MarkGrid();
    links_.reset();
    if (!fitted_ && grid_.bounds()) {
        fitAll();
        fitted_ = true;
        fitOnResize_ = true;
    } else if (!grid_.bounds()) {
        fitted_ = false;
    }
    update();
}

void MapView::centreOn(int entry) {
    if (entry < 0)
        return;
    if (const MapMark* mark = grid_.markOf(std::size_t(entry))) {
        fitOnResize_ = false;
        centreX_ = mark->x;
        centreZ_ = mark->z;
        update();
    }
}

void MapView::fitAll() {
    const auto b = grid_.bounds();
    if (!b)
        return;
    centreX_ = (double(b->left) + b->right) / 2;
    centreZ_ = (double(b->bottom) + b->top) / 2;
    const double w = std::max(double(b->right) - b->left, 1e-3);
    const double h = std::max(double(b->top) - b->bottom, 1e-3);
    const double margin = 2.0 * (MapMarkRadius + 4);
    const double sx = std::max(width() - margin, 10.0) / w;
    const double sz = std::max(height() - margin, 10.0) / h;
    scale_ = std::clamp(std::min(sx, sz), MinScale, MaxScale);
    update();
}

void MapView::setShowLinks(bool show) {
    showLinks_ = show;
    update();
}

const std::vector<ScriptLink>& MapView::links() {
    if (!links_)
        links_ = scene_.isOpen() ? sceneLinks(scene_.bytes(), scene_.index())
                                 : std::vector<ScriptLink>{};
    return *links_;
}

QPointF MapView::toScreen(float x, float z) const {
    return {width() / 2.0 + (double(x) - centreX_) * scale_,
            height() / 2.0 - (double(z) - centreZ_) * scale_};
}

QPointF MapView::toScene(QPointF screen) const {
    return {centreX_ + (screen.x() - width() / 2.0) / scale_,
            centreZ_ - (screen.y() - height() / 2.0) / scale_};
}

MapRect MapView::visibleRect() const {
    // A mark whose middle lies just outside still shows its edge.
    const double pad = MapMarkRadius + 2;
    const QPointF topLeft = toScene(QPointF(-pad, -pad));
    const QPointF bottomRight = toScene(QPointF(width() + pad, height() + pad));
    return {float(topLeft.x()), float(bottomRight.y()), float(bottomRight.x()), float(topLeft.y())};
}

int MapView::entryAt(QPointF screen) const {
    const QPointF at = toScene(screen);
    const MapMark* mark = grid_.nearest(float(at.x()), float(at.y()), float(PickRadius / scale_));
    return mark ? int(mark->entry) : -1;
}

void MapView::zoomAt(QPointF screen, double factor) {
    fitOnResize_ = false;
    const QPointF before = toScene(screen);
    scale_ = std::clamp(scale_ * factor, MinScale, MaxScale);
    // The scene point under the pointer stays under it.
    centreX_ = before.x() - (screen.x() - width() / 2.0) / scale_;
    centreZ_ = before.y() + (screen.y() - height() / 2.0) / scale_;
    update();
}

void MapView::wheelEvent(QWheelEvent* event) {
    const double notches = event->angleDelta().y() / 120.0;
    if (notches != 0)
        zoomAt(event->position(), std::pow(ZoomStep, notches));
    event->accept();
}

void MapView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return QWidget::mousePressEvent(event);
    pressAt_ = event->position();
    lastDrag_ = event->position();
    dragged_ = false;
}

void MapView::mouseMoveEvent(QMouseEvent* event) {
    if (!pressAt_)
        return;
    const QPointF at = event->position();
    if (!dragged_ && (at - *pressAt_).manhattanLength() < 4)
        return;
    dragged_ = true;
    fitOnResize_ = false;
    centreX_ -= (at.x() - lastDrag_.x()) / scale_;
    centreZ_ += (at.y() - lastDrag_.y()) / scale_;
    lastDrag_ = at;
    update();
}

void MapView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !pressAt_)
        return QWidget::mouseReleaseEvent(event);
    const bool click = !dragged_;
    pressAt_.reset();
    dragged_ = false;
    if (click) {
        const int entry = entryAt(event->position());
        if (entry >= 0)
            emit markClicked(entry);
    }
}

void MapView::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_F:
        fitAll();
        return;
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        zoomAt(rect().center(), ZoomStep);
        return;
    case Qt::Key_Minus:
        zoomAt(rect().center(), 1 / ZoomStep);
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

void MapView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (fitOnResize_)
        fitAll();
}

bool MapView::event(QEvent* event) {
    if (event->type() != QEvent::ToolTip)
        return QWidget::event(event);
    auto* help = static_cast<QHelpEvent*>(event);
    const int entry = entryAt(help->pos());
    if (entry < 0) {
        // Off the marks the widget's own tip explains the controls.
        return QWidget::event(event);
    }
    const IndexRecord& record = scene_.index().entries[std::size_t(entry)];
    const auto& t = *record.translation;
    const QString text = QString::fromUtf8(cp1252ToUtf8(record.name)) + "\n" +
                         markKindName(markKindOf(record.kind)) + "\n" + number(t[0].value()) +
                         ", " + number(t[1].value()) + ", " + number(t[2].value());
    QToolTip::showText(help->globalPos(), text, this);
    return true;
}
