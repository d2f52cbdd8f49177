#pragma once

#include <cstdint>
#include <string>
#include <vector>

class outputFile;

// The finite heights' span, which the 16-bit forms map onto 0..65535.
struct heightRange {
    float lowest = 0.0f;
    float highest = 0.0f;
    bool anyFinite = false;
};

heightRange findHeightRange(const std::vector<std::vector<float>>& heightGrid);

// height mapped linearly from range.lowest..range.highest onto 0..65535 and
// rounded; 0 throughout a flat range. Infinities clamp to the ends, NaN is 0.
std::uint16_t heightLevel(float height, const heightRange& range);

// Appends the grid as a 16-bit grayscale PNG, one pixel per cell, row 0 at
// the top. Returns what went wrong inside the PNG library, or an empty string;
// failures to write are left in output's error().
std::string writePng(outputFile& output, const std::vector<std::vector<float>>& heightGrid,
                     const heightRange& range);

// Appends the same levels as little-endian 16-bit words, row after row.
void writeRaw16(outputFile& output, const std::vector<std::vector<float>>& heightGrid,
                const heightRange& range);
