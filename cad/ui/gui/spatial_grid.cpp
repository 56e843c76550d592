#include "cad/ui/gui/spatial_grid.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace qxgui {

namespace {

constexpr double kMembersPerCell = 4;
constexpr int kMaxCellsPerSide = 1024;
constexpr long kMaxCellsPerMember = 16;

bool usable(const QRectF& r)
{
    return r.width() >= 0 && r.height() >= 0 && std::isfinite(r.left()) && std::isfinite(r.top()) && std::isfinite(r.right()) &&
           std::isfinite(r.bottom());
}

}  // namespace

int SpatialGrid::column(double x) const
{
    // Clamped while still a double: a far-away coordinate must not overflow the conversion.
    const double c = std::floor((x - m_area.left()) / m_cellWidth);
    return int(std::clamp(c, 0.0, double(m_columns - 1)));
}

int SpatialGrid::row(double y) const
{
    const double r = std::floor((y - m_area.top()) / m_cellHeight);
    return int(std::clamp(r, 0.0, double(m_rows - 1)));
}

SpatialGrid::CellRange SpatialGrid::cellsOf(const QRectF& r) const
{
    return {column(r.left()), row(r.top()), column(r.right()), row(r.bottom())};
}

void SpatialGrid::build(std::vector<QRectF> bounds)
{
    m_bounds = std::move(bounds);
    m_area = QRectF(0, 0, -1, -1);  // none yet
    m_large.clear();
    m_members.clear();
    for (const QRectF& r : m_bounds)
        if (usable(r)) m_area = unite(m_area, r);
    // About as many cells as members over kMembersPerCell, in the shape of the area.
    const double count = std::max(1.0, double(m_bounds.size()) / kMembersPerCell);
    const double w = std::max(m_area.width(), 1e-9), h = std::max(m_area.height(), 1e-9);
    const double side = std::sqrt(count / (w * h));
    m_columns = int(std::clamp(std::ceil(w * side), 1.0, double(kMaxCellsPerSide)));
    m_rows = int(std::clamp(std::ceil(h * side), 1.0, double(kMaxCellsPerSide)));
    m_cellWidth = w / m_columns;
    m_cellHeight = h / m_rows;

    // Two passes: count each cell's members, then place them, so that the cells share one array.
    const std::size_t cells = std::size_t(m_columns) * std::size_t(m_rows);
    std::vector<std::uint32_t> counts(cells + 1, 0);
    const auto eachCell = [&](const CellRange& c, auto&& visit) {
        for (int y = c.y0; y <= c.y1; ++y)
            for (int x = c.x0; x <= c.x1; ++x) visit(std::size_t(y) * std::size_t(m_columns) + std::size_t(x));
    };
    const auto isLarge = [](const CellRange& c) { return long(c.x1 - c.x0 + 1) * long(c.y1 - c.y0 + 1) > kMaxCellsPerMember; };
    for (std::size_t i = 0; i < m_bounds.size(); ++i) {
        if (!usable(m_bounds[i])) continue;
        const CellRange c = cellsOf(m_bounds[i]);
        if (isLarge(c)) m_large.push_back(int(i));
        else eachCell(c, [&](std::size_t cell) { ++counts[cell + 1]; });
    }
    for (std::size_t cell = 0; cell < cells; ++cell) counts[cell + 1] += counts[cell];
    m_starts = counts;
    m_members.assign(m_starts.back(), 0);
    for (std::size_t i = 0; i < m_bounds.size(); ++i) {
        if (!usable(m_bounds[i])) continue;
        const CellRange c = cellsOf(m_bounds[i]);
        if (!isLarge(c)) eachCell(c, [&](std::size_t cell) { m_members[counts[cell]++] = int(i); });
    }
    m_seen.assign(m_bounds.size(), 0);
    m_query = 0;
}

std::vector<int> SpatialGrid::query(const QRectF& area) const
{
    std::vector<int> found;
    if (m_bounds.empty() || !usable(m_area) || !overlaps(area, m_area)) return found;
    const CellRange c = cellsOf(area);
    // Most of the grid in view: one pass over every rectangle is cheaper and in order already.
    if (long(c.x1 - c.x0 + 1) * long(c.y1 - c.y0 + 1) * 2 > long(m_columns) * long(m_rows)) {
        for (std::size_t i = 0; i < m_bounds.size(); ++i)
            if (usable(m_bounds[i]) && overlaps(m_bounds[i], area)) found.push_back(int(i));
        return found;
    }
    if (++m_query == 0) {  // the marks wrapped: start them again
        std::fill(m_seen.begin(), m_seen.end(), 0);
        m_query = 1;
    }
    const auto take = [&](int i) {
        if (m_seen[std::size_t(i)] == m_query || !overlaps(m_bounds[std::size_t(i)], area)) return;
        m_seen[std::size_t(i)] = m_query;
        found.push_back(i);
    };
    for (int y = c.y0; y <= c.y1; ++y)
        for (int x = c.x0; x <= c.x1; ++x) {
            const std::size_t cell = std::size_t(y) * std::size_t(m_columns) + std::size_t(x);
            for (std::uint32_t k = m_starts[cell]; k < m_starts[cell + 1]; ++k) take(m_members[k]);
        }
    for (int i : m_large) take(i);
    std::sort(found.begin(), found.end());
    return found;
}

}  // namespace qxgui
