#pragma once
#include <QPointF>
#include <QWidget>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "map_marks.h"
#include "script_links.h"

class OpenScene;

// Half the size of a mark, in pixels.
inline constexpr int MapMarkRadius = 4;
class QPainter;

// The open scene seen from above: X across, Z up the screen. One widget
// paints every mark from a bucket grid, visiting only the buckets in view and
// drawing at most one mark per few pixels when zoomed out. The wheel zooms at
// the pointer, dragging pans, F fits the whole scene.
class MapView : public QWidget {
    Q_OBJECT
public:
    explicit MapView(const OpenScene& scene, QWidget* parent = nullptr);

    // The open scene's index changed: the marks are taken again at once, the
    // script links when they are next drawn. The first scene with marks is
    // fitted into the view.
    void sceneChanged();
    // The List2 index drawn as selected; a negative one: none.
    void setCurrentEntry(std::function<int()> current) { current_ = std::move(current); }
    // Moves the view so the entry's mark is in the middle, when it has one.
    void centreOn(int entry);
    // Fits every mark into the view.
    void fitAll();
    // Fits every mark again at the next change of size, until the user zooms
    // or pans: a view just put on screen gets its size only then.
    void fitWhenSized() { fitOnResize_ = true; }
    // Draws the script links as arrows from a script's owner to its actors.
    void setShowLinks(bool show);
    bool showsLinks() const { return showLinks_; }

    const MarkGrid& grid() const { return grid_; }
    const std::vector<ScriptLink>& links();
    // Where a scene point lies in the widget, and back.
    QPointF toScreen(float x, float z) const;
    QPointF toScene(QPointF screen) const;
    double pixelsPerUnit() const { return scale_; }
    // The length of the scale bar in scene units, and its width in pixels.
    double scaleBarUnits() const;
    // How many marks the last paint drew, and how many lay in view.
    int drawnMarks() const { return drawn_; }
    int marksInView() const { return inView_; }
    // The List2 index of the mark under a widget point; -1: none.
    int entryAt(QPointF screen) const;
    // The arrows the last paint drew, as (owner, actor) List2 indexes.
    const std::vector<std::pair<std::size_t, std::size_t>>& drawnArrows() const { return arrows_; }

signals:
    // A click on a mark (not a drag).
    void markClicked(int entry);

protected:
    void paintEvent(QPaintEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    MapRect visibleRect() const;
    void zoomAt(QPointF screen, double factor);
    void paintMarks(QPainter& painter);
    void paintLinks(QPainter& painter);
    void paintScaleBar(QPainter& painter);

    const OpenScene& scene_;
    MarkGrid grid_;
    std::optional<std::vector<ScriptLink>> links_;
    std::function<int()> current_;
    bool showLinks_ = false;
    bool fitted_ = false;
    bool fitOnResize_ = true;
    double centreX_ = 0;
    double centreZ_ = 0;
    double scale_ = 1; // pixels per scene unit
    std::optional<QPointF> pressAt_;
    QPointF lastDrag_;
    bool dragged_ = false;
    int drawn_ = 0;
    int inView_ = 0;
    std::vector<std::pair<std::size_t, std::size_t>> arrows_;
    std::vector<std::uint8_t> occupied_;
};

// The kind as the map's tooltip names it.
QString markKindName(MarkKind kind);
