// The drawing view's index of bounds: what a query finds is what a look at every rectangle
// would find, for points, lines along an axis, rectangles over many cells and far ones.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "cad/ui/gui/spatial_grid.h"

namespace {

std::vector<int> everyOverlap(const std::vector<QRectF>& bounds, const QRectF& area)
{
    std::vector<int> found;
    for (std::size_t i = 0; i < bounds.size(); ++i)
        if (bounds[i].width() >= 0 && qxgui::overlaps(bounds[i], area)) found.push_back(int(i));
    return found;
}

}  // namespace

TEST(SpatialGrid, FindsWhatALookAtEveryRectangleFindsInOrder)
{
    std::mt19937 random(7);
    std::uniform_real_distribution<double> place(0, 1000), size(0, 5);
    std::vector<QRectF> bounds;
    for (int i = 0; i < 5000; ++i) {
        const double x = place(random), y = place(random);
        switch (i % 5) {
        case 0: bounds.emplace_back(x, y, 0, 0); break;               // a point
        case 1: bounds.emplace_back(x, y, size(random), 0); break;    // a line along x
        case 2: bounds.emplace_back(x, y, 0, size(random)); break;    // a line along y
        case 3: bounds.emplace_back(x / 2, y / 2, x, y); break;      // over many cells
        default: bounds.emplace_back(x, y, size(random), size(random));
        }
    }
    bounds.emplace_back(0, 0, -1, -1);  // nothing to find
    qxgui::SpatialGrid grid;
    grid.build(bounds);
    for (int q = 0; q < 200; ++q) {
        const double x = place(random) - 100, y = place(random) - 100, w = place(random) / (1 + q % 20);
        const QRectF area(x, y, w, w * 0.7);
        EXPECT_EQ(grid.query(area), everyOverlap(bounds, area)) << "query " << q;
    }
    // A point query on a point, and the edges of the whole.
    EXPECT_EQ(grid.query(QRectF(bounds[0].topLeft(), QSizeF(0, 0))), everyOverlap(bounds, QRectF(bounds[0].topLeft(), QSizeF(0, 0))));
    EXPECT_EQ(grid.query(QRectF(-1e6, -1e6, 3e6, 3e6)).size(), bounds.size() - 1);
    EXPECT_TRUE(grid.query(QRectF(2000, 2000, 10, 10)).empty());
}

TEST(SpatialGrid, FarAndBrokenCoordinatesNeitherCrashNorHideTheOthers)
{
    const double inf = std::numeric_limits<double>::infinity();
    std::vector<QRectF> bounds = {QRectF(0, 0, 1, 1), QRectF(1e300, 1e300, 1, 1), QRectF(std::nan(""), 0, 1, 1),
                                  QRectF(-inf, 0, 1, 1), QRectF(5, 5, 1, 1)};
    qxgui::SpatialGrid grid;
    grid.build(bounds);
    EXPECT_EQ(grid.query(QRectF(-1, -1, 10, 10)), (std::vector<int>{0, 4}));
    EXPECT_EQ(grid.query(QRectF(1e300, 1e300, 2, 2)), std::vector<int>{1});
    // Empty, then filled again: nothing of the old rectangles is left.
    grid.build({});
    EXPECT_TRUE(grid.query(QRectF(-1, -1, 10, 10)).empty());
    grid.build({QRectF(3, 3, 0, 0)});
    EXPECT_EQ(grid.query(QRectF(0, 0, 5, 5)), std::vector<int>{0});
}
