// What the drawing view builds its pictures on: the index of bounds (what a query finds is
// what a look at every rectangle would find) and the one-pixel lines written into an image.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <limits>
#include <random>

#include "cad/ui/gui/pixel_lines.h"
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

namespace {

// The pixels of `image` that are not black, as (x, y) pairs.
std::vector<std::pair<int, int>> lit(const QImage& image)
{
    std::vector<std::pair<int, int>> out;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != qRgb(0, 0, 0)) out.emplace_back(x, y);
    return out;
}

QImage blank()
{
    QImage image(20, 10, QImage::Format_RGB32);
    image.fill(Qt::black);
    return image;
}

}  // namespace

TEST(PixelLines, DrawEveryPixelOfALineInsideTheImageAndNothingOutside)
{
    const QRgb white = qRgb(255, 255, 255);
    QImage image = blank();
    qxgui::PixelLines lines(image);
    lines.line(QPointF(2.5, 3.5), QPointF(6.5, 3.5), white);  // both ends included
    EXPECT_EQ(lit(image), (std::vector<std::pair<int, int>>{{2, 3}, {3, 3}, {4, 3}, {5, 3}, {6, 3}}));

    // From far outside across the image: one pixel in each column, none wrapped to another row.
    image = blank();
    qxgui::PixelLines across(image);
    across.line(QPointF(-1e6, 5.5), QPointF(1e6, 5.5), white);
    const auto row = lit(image);
    ASSERT_EQ(row.size(), 20u);
    for (const auto& [x, y] : row) EXPECT_EQ(y, 5);

    // Wholly outside, or not finite: nothing.
    image = blank();
    qxgui::PixelLines outside(image);
    outside.line(QPointF(-5, -5), QPointF(30, -1), white);
    outside.line(QPointF(25, 0), QPointF(25, 9), white);
    outside.line(QPointF(std::nan(""), 2), QPointF(5, 5), white);
    outside.line(QPointF(0, 0), QPointF(std::numeric_limits<double>::infinity(), 5), white);
    EXPECT_TRUE(lit(image).empty());
}

TEST(PixelLines, APathsSegmentsAndCurvesGoThroughTheTransform)
{
    QImage image = blank();
    qxgui::PixelLines lines(image);
    QPainterPath path(QPointF(0, 0));
    path.lineTo(QPointF(4, 0));
    path.cubicTo(QPointF(5, 0), QPointF(6, 0), QPointF(8, 0));  // a straight curve
    // A second piece, a single point; the whole moved one pixel right and two down.
    path.moveTo(QPointF(0, 3));
    path.lineTo(QPointF(0, 3));
    QTransform t = QTransform::fromTranslate(1.5, 2.5);
    lines.path(path, t, qRgb(1, 2, 3));
    const auto pixels = lit(image);
    std::vector<std::pair<int, int>> expected;
    for (int x = 1; x <= 9; ++x) expected.emplace_back(x, 2);
    expected.emplace_back(1, 5);
    std::sort(expected.begin(), expected.end(), [](auto a, auto b) { return a.second != b.second ? a.second < b.second : a.first < b.first; });
    EXPECT_EQ(pixels, expected);
}
