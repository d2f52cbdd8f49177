#include "converter/heightgrid.h"

#include <algorithm>
#include <cmath>
#include <limits>

double truncatedMax(int axis, const std::vector<pvector>& points) {
    double m = -1.0;
    for (const pvector& p : points) {
        const float component = p[axis];
        if (m < component) m = std::trunc(component);
    }
    return m;
}

std::int32_t maxCoordinate(int axis, const std::vector<pvector>& points) {
    const double m = truncatedMax(axis, points);
    constexpr double largest = std::numeric_limits<std::int32_t>::max();
    return m >= largest ? std::numeric_limits<std::int32_t>::max() : static_cast<std::int32_t>(m);
}

bool gridFits(double rows, double cols) {
    return rows <= static_cast<double>(maxGridSide) && cols <= static_cast<double>(maxGridSide) &&
           rows * cols <= static_cast<double>(maxGridCells);
}

namespace {

// Index of the cell that coordinate selects along an extent of `size`, or -1
// when it selects none. Compares before converting, so no value overflows.
std::int32_t cellIndex(float coordinate, std::int32_t size) {
    if (!(coordinate > -1.0f) || !(coordinate < 2147483648.0f)) return -1;
    const auto index = static_cast<std::int32_t>(coordinate);
    return index < size ? index : -1;
}

}  // namespace

std::vector<std::vector<float>> buildHeightGrid(std::int32_t rows, std::int32_t cols,
                                                const std::vector<pvector>& points,
                                                float scale, std::size_t& skipped) {
    std::vector<std::vector<float>> heightGrid(static_cast<std::size_t>(std::max(rows, 0)));
    for (std::vector<float>& row : heightGrid) {
        row.assign(static_cast<std::size_t>(std::max(cols, 0)), 0.0f);
    }
    skipped = 0;
    for (const pvector& p : points) {
        const std::int32_t r = cellIndex(p[0], rows);
        const std::int32_t c = cellIndex(p[2], cols);
        if (r < 0 || c < 0) {
            ++skipped;
            continue;
        }
        heightGrid[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)] = scale * p[1];
    }
    return heightGrid;
}
