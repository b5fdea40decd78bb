#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "scene_index.h"

// How the map draws an entry, from its kind code.
enum class MarkKind : std::uint8_t { Light, Human, Thing, Door, Car, Other };
MarkKind markKindOf(std::uint8_t code);

// An entry has a place on the map when it is an object (not an init script),
// is listed with its record (not by name only) and has a finite translation.
bool hasMapPlace(const SceneIndex& index, std::size_t entry);

// One entry seen from above: X across, Z up.
struct MapMark {
    float x = 0;
    float z = 0;
    std::uint32_t entry = 0; // List2 index
    MarkKind kind = MarkKind::Other;
    bool ticked = false;
    std::uint32_t rgb = 0; // lights: their colour as 0xRRGGBB
};

struct MapRect {
    float left = 0;
    float bottom = 0; // smallest Z
    float right = 0;
    float top = 0; // largest Z
    bool contains(float x, float z) const {
        return x >= left && x <= right && z >= bottom && z <= top;
    }
};

// The marks of a scene in a uniform grid of buckets over their bounds, so a
// view visits only the buckets it overlaps and a pick looks at a few buckets.
class MarkGrid {
public:
    MarkGrid() = default;
    explicit MarkGrid(const SceneIndex& index);

    const std::vector<MapMark>& marks() const { return marks_; }
    // The smallest rectangle holding every mark; empty when there is none.
    std::optional<MapRect> bounds() const;
    // The mark of a List2 index; null when the entry has no place.
    const MapMark* markOf(std::size_t entry) const;

    // Calls `visit(mark)` for every mark inside `view`.
    template <class Visit> void forEachIn(const MapRect& view, Visit&& visit) const {
        if (marks_.empty())
            return;
        const int c0 = column(view.left), c1 = column(view.right);
        const int r0 = row(view.bottom), r1 = row(view.top);
        for (int r = r0; r <= r1; ++r)
            for (int c = c0; c <= c1; ++c) {
                const std::size_t cell = std::size_t(r) * std::size_t(columns_) + std::size_t(c);
                for (std::uint32_t i = cellStart_[cell]; i < cellStart_[cell + 1]; ++i)
                    if (view.contains(marks_[i].x, marks_[i].z))
                        visit(marks_[i]);
            }
    }

    // The mark nearest to (x, z) within `radius`; null when none is.
    const MapMark* nearest(float x, float z, float radius) const;

private:
    int column(float x) const;
    int row(float z) const;

    std::vector<MapMark> marks_; // sorted by bucket
    std::vector<std::uint32_t> cellStart_;
    std::vector<std::uint32_t> byEntry_; // List2 index -> position in marks_ + 1; 0: none
    MapRect bounds_;
    float cellSize_ = 1;
    int columns_ = 0;
    int rows_ = 0;
};
