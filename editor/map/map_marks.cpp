#include "map_marks.h"

#include <algorithm>
#include <cmath>

#include "chunk_ids.h"
#include "script_text.h"

namespace {

std::uint32_t colourOf(const IndexRecord& record) {
    if (!record.colour)
        return 0x808080;
    std::uint32_t rgb = 0;
    for (const StoredFloat& part : *record.colour) {
        const float f = part.value();
        // Out-of-range or unreadable channels are clamped so the swatch stays a colour.
        const float clamped = std::isfinite(f) ? std::clamp(f, 0.0f, 1.0f) : 0.0f;
        rgb = (rgb << 8) | std::uint32_t(std::lround(clamped * 255.0f));
    }
    return rgb;
}

} // namespace

MarkKind markKindOf(std::uint8_t code) {
    switch (code) {
    case kind::Light:
        return MarkKind::Light;
    case deftype::Human:
        return MarkKind::Human;
    case deftype::Thing:
        return MarkKind::Thing;
    case deftype::Physical:
        return MarkKind::Door;
    case deftype::Vehicle:
        return MarkKind::Car;
    default:
        return MarkKind::Other;
    }
}

bool hasMapPlace(const SceneIndex& index, std::size_t entry) {
    if (entry >= index.entries.size() || isInitScriptEntry(index, entry))
        return false;
    const IndexRecord& record = index.entries[entry];
    if (record.nameOnly || !record.translation)
        return false;
    const auto& t = *record.translation;
    return std::isfinite(t[0].value()) && std::isfinite(t[2].value());
}

MarkGrid::MarkGrid(const SceneIndex& index) {
    std::vector<MapMark> found;
    for (std::size_t entry = 0; entry < index.entries.size(); ++entry) {
        if (!hasMapPlace(index, entry))
            continue;
        const IndexRecord& record = index.entries[entry];
        MapMark mark;
        mark.x = (*record.translation)[0].value();
        mark.z = (*record.translation)[2].value();
        mark.entry = std::uint32_t(entry);
        mark.kind = markKindOf(record.kind);
        mark.ticked = record.ticked;
        mark.rgb = mark.kind == MarkKind::Light ? colourOf(record) : 0;
        found.push_back(mark);
    }
    byEntry_.assign(index.entries.size(), 0);
    if (found.empty())
        return;
    bounds_ = {found[0].x, found[0].z, found[0].x, found[0].z};
    for (const MapMark& m : found) {
        bounds_.left = std::min(bounds_.left, m.x);
        bounds_.right = std::max(bounds_.right, m.x);
        bounds_.bottom = std::min(bounds_.bottom, m.z);
        bounds_.top = std::max(bounds_.top, m.z);
    }
    // About four marks per bucket on a square grid over the longer side.
    const double width = double(bounds_.right) - bounds_.left;
    const double height = double(bounds_.top) - bounds_.bottom;
    const double side = std::max({width, height, 1e-3});
    const double perSide = std::clamp(std::sqrt(double(found.size()) / 4.0), 1.0, 1024.0);
    cellSize_ = float(side / perSide);
    columns_ = std::max(1, int(std::ceil(width / cellSize_)) + 1);
    rows_ = std::max(1, int(std::ceil(height / cellSize_)) + 1);
    const std::size_t cells = std::size_t(columns_) * std::size_t(rows_);
    cellStart_.assign(cells + 1, 0);
    std::vector<std::size_t> cellOf(found.size());
    for (std::size_t i = 0; i < found.size(); ++i) {
        cellOf[i] =
            std::size_t(row(found[i].z)) * std::size_t(columns_) + std::size_t(column(found[i].x));
        ++cellStart_[cellOf[i] + 1];
    }
    for (std::size_t c = 0; c < cells; ++c)
        cellStart_[c + 1] += cellStart_[c];
    marks_.resize(found.size());
    std::vector<std::uint32_t> next(cellStart_.begin(), cellStart_.end() - 1);
    for (std::size_t i = 0; i < found.size(); ++i) {
        const std::uint32_t at = next[cellOf[i]]++;
        marks_[at] = found[i];
        byEntry_[found[i].entry] = at + 1;
    }
}

std::optional<MapRect> MarkGrid::bounds() const {
    if (marks_.empty())
        return std::nullopt;
    return bounds_;
}

const MapMark* MarkGrid::markOf(std::size_t entry) const {
    if (entry >= byEntry_.size() || byEntry_[entry] == 0)
        return nullptr;
    return &marks_[byEntry_[entry] - 1];
}

int MarkGrid::column(float x) const {
    const double c = std::floor((double(x) - bounds_.left) / cellSize_);
    return int(std::clamp(c, 0.0, double(columns_ - 1)));
}

int MarkGrid::row(float z) const {
    const double r = std::floor((double(z) - bounds_.bottom) / cellSize_);
    return int(std::clamp(r, 0.0, double(rows_ - 1)));
}

const MapMark* MarkGrid::nearest(float x, float z, float radius) const {
    const MapMark* best = nullptr;
    float bestDistance = radius * radius;
    forEachIn({x - radius, z - radius, x + radius, z + radius}, [&](const MapMark& m) {
        const float dx = m.x - x, dz = m.z - z;
        const float d = dx * dx + dz * dz;
        if (d <= bestDistance) {
            bestDistance = d;
            best = &m;
        }
    });
    return best;
}
