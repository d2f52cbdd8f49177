#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "pvector/pvector.h"

// The largest grid the converter builds: at most maxGridSide rows and as many
// columns, and at most maxGridCells cells in all (32768 x 32768, 4 GiB).
inline constexpr std::int64_t maxGridSide = std::int64_t{1} << 20;
inline constexpr std::int64_t maxGridCells = std::int64_t{1} << 30;

// The largest component `axis` of points truncated toward zero, among the
// components greater than -1; -1 when there is none. NaNs never count. Exact
// for every float, however large, which a 32-bit result is not.
double truncatedMax(int axis, const std::vector<pvector>& points);

// truncatedMax as a signed 32-bit integer, saturated at INT32_MAX.
std::int32_t maxCoordinate(int axis, const std::vector<pvector>& points);

// Whether a grid of rows x cols is within the limits above.
bool gridFits(double rows, double cols);

// rows x cols cells, 0 where no point lands; each point puts scale * y into
// the cell that its truncated x (row) and z (column) select, later points
// overwriting earlier ones. Points that select no cell (x or z at or below
// -1, past the grid, or NaN) are left out and counted in `skipped`. Each row
// is allocated on its own; throws std::bad_alloc when memory runs out.
std::vector<std::vector<float>> buildHeightGrid(std::int32_t rows, std::int32_t cols,
                                                const std::vector<pvector>& points,
                                                float scale, std::size_t& skipped);
