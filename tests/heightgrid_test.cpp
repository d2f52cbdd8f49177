#include "converter/heightgrid.h"

#include <cmath>
#include <limits>
#include <vector>

#include <gtest/gtest.h>

namespace {

const float nan = std::numeric_limits<float>::quiet_NaN();

TEST(MaxCoordinate, TruncatesTowardZero) {
    struct Case { float x; int expected; };
    const Case cases[] = {{2.9f, 2},  {0.999f, 0}, {-0.5f, 0},         {-1.5f, -1},
                          {-1.0f, -1}, {nan, -1},   {3.0f, 3},          {1e9f, 1000000000},
                          {3e9f, 2147483647}, {1e30f, 2147483647}, {-3e9f, -1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.x);
        EXPECT_EQ(maxCoordinate(0, {pvector(c.x, 0, 0)}), c.expected);
    }
    EXPECT_EQ(maxCoordinate(0, {}), -1);
}

TEST(MaxCoordinate, LargestOverAllPointsOfTheAxis) {
    const std::vector<pvector> points = {pvector(1.2f, 50, 3), pvector(3.7f, 0, nan),
                                         pvector(-7, 0, 0.5f), pvector(2, 0, 1)};
    EXPECT_EQ(maxCoordinate(0, points), 3);
    EXPECT_EQ(maxCoordinate(1, points), 50);
    EXPECT_EQ(maxCoordinate(2, points), 3);
    EXPECT_EQ(truncatedMax(2, {pvector(0, 0, 3e9f)}), 3e9);
}

TEST(GridFits, Limits) {
    EXPECT_TRUE(gridFits(0, 0));
    EXPECT_TRUE(gridFits(32768, 32768));
    EXPECT_TRUE(gridFits(1048576, 1024));
    EXPECT_FALSE(gridFits(32768, 32769));
    EXPECT_FALSE(gridFits(1048577, 1));
    EXPECT_FALSE(gridFits(1, 3000000001.0));
}

TEST(BuildHeightGrid, LaterPointWinsAndUnreachedCellsAreZero) {
    const std::vector<pvector> points = {pvector(1.2f, 4, 2), pvector(0.5f, 7, 0.2f),
                                         pvector(1.9f, 5, 2.5f), pvector(-0.5f, 3, 1)};
    std::size_t skipped = 99;
    const auto grid = buildHeightGrid(2, 3, points, 2.0f, skipped);
    const std::vector<std::vector<float>> expected = {{14, 6, 0}, {0, 0, 10}};
    EXPECT_EQ(grid, expected);
    EXPECT_EQ(skipped, 0u);
}

TEST(BuildHeightGrid, ScaleTimesHeightRoundedOnceToFloat) {
    std::size_t skipped = 0;
    const auto zero = buildHeightGrid(1, 1, {pvector(0, -3, 0)}, 0.0f, skipped);
    EXPECT_TRUE(std::signbit(zero[0][0]));
    const float y = 0.1f, scale = 3.0f;
    const auto grid = buildHeightGrid(1, 1, {pvector(0, y, 0)}, scale, skipped);
    EXPECT_EQ(grid[0][0], scale * y);
    const auto huge = buildHeightGrid(1, 1, {pvector(0, 3e38f, 0)}, 10.0f, skipped);
    EXPECT_TRUE(std::isinf(huge[0][0]));
}

TEST(BuildHeightGrid, PointsThatSelectNoCellAreSkipped) {
    const std::vector<pvector> points = {pvector(-1, 1, 0),    pvector(0, 1, -1.5f),
                                         pvector(nan, 1, 0),   pvector(5, 1, 0),
                                         pvector(0, 1, 3e9f),  pvector(0, nan, 0)};
    std::size_t skipped = 0;
    const auto grid = buildHeightGrid(1, 1, points, 1.0f, skipped);
    EXPECT_EQ(skipped, 5u);
    EXPECT_TRUE(std::isnan(grid[0][0]));
}

TEST(BuildHeightGrid, EmptyAndColumnlessGrids) {
    std::size_t skipped = 0;
    EXPECT_TRUE(buildHeightGrid(0, 0, {}, 1.0f, skipped).empty());
    const auto columnless = buildHeightGrid(2, 0, {pvector(1, 1, -2)}, 1.0f, skipped);
    ASSERT_EQ(columnless.size(), 2u);
    EXPECT_TRUE(columnless[0].empty() && columnless[1].empty());
    EXPECT_EQ(skipped, 1u);
}

}  // namespace
