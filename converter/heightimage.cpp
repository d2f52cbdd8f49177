#include "converter/heightimage.h"

#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <string_view>

#include <png.h>

#include "converter/outputfile.h"

heightRange findHeightRange(const std::vector<std::vector<float>>& heightGrid) {
    heightRange range;
    for (const std::vector<float>& row : heightGrid) {
        for (const float height : row) {
            if (!std::isfinite(height)) continue;
            if (!range.anyFinite) {
                range.lowest = range.highest = height;
                range.anyFinite = true;
            } else if (height < range.lowest) {
                range.lowest = height;
            } else if (height > range.highest) {
                range.highest = height;
            }
        }
    }
    return range;
}

std::uint16_t heightLevel(float height, const heightRange& range) {
    if (std::isnan(height)) return 0;
    if (std::isinf(height)) return height > 0 ? 65535 : 0;
    // In double, so that the span of two floats far apart cannot overflow.
    const double span = double{range.highest} - range.lowest;
    if (!(span > 0)) return 0;
    const double level = (double{height} - range.lowest) / span * 65535.0;
    return static_cast<std::uint16_t>(std::lround(level));
}

namespace {

struct pngSink {
    outputFile* output;
    char message[256];
};

void appendToOutput(png_structp png, png_bytep data, png_size_t size) {
    auto* sink = static_cast<pngSink*>(png_get_io_ptr(png));
    sink->output->append(std::string_view(reinterpret_cast<const char*>(data), size));
}

void flushNothing(png_structp) {}

[[noreturn]] void keepMessageAndJump(png_structp png, png_const_charp message) {
    auto* sink = static_cast<pngSink*>(png_get_error_ptr(png));
    std::snprintf(sink->message, sizeof sink->message, "%s", message);
    png_longjmp(png, 1);
}

void ignoreWarning(png_structp, png_const_charp) {}

// The library reports errors by longjmp, so this frame holds nothing that
// needs destroying: the row buffer belongs to the caller.
bool encode(png_structp png, png_infop info, const std::vector<std::vector<float>>& heightGrid,
            const heightRange& range, png_bytep row) {
    if (setjmp(png_jmpbuf(png))) return false;
    const auto width = static_cast<png_uint_32>(heightGrid.front().size());
    const auto height = static_cast<png_uint_32>(heightGrid.size());
    png_set_user_limits(png, 0x7fffffff, 0x7fffffff);
    png_set_IHDR(png, info, width, height, 16, PNG_COLOR_TYPE_GRAY, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (const std::vector<float>& cells : heightGrid) {
        png_bytep byte = row;
        for (const float cell : cells) {
            // PNG stores 16-bit samples most significant byte first.
            const std::uint16_t level = heightLevel(cell, range);
            *byte++ = static_cast<png_byte>(level >> 8);
            *byte++ = static_cast<png_byte>(level & 0xff);
        }
        png_write_row(png, row);
    }
    png_write_end(png, info);
    return true;
}

}  // namespace

std::string writePng(outputFile& output, const std::vector<std::vector<float>>& heightGrid,
                     const heightRange& range) {
    if (heightGrid.empty() || heightGrid.front().empty()) return "a PNG needs at least one pixel";
    pngSink sink{&output, {}};
    png_structp png =
        png_create_write_struct(PNG_LIBPNG_VER_STRING, &sink, keepMessageAndJump, ignoreWarning);
    if (png == nullptr) return "out of memory";
    png_infop info = png_create_info_struct(png);
    if (info == nullptr) {
        png_destroy_write_struct(&png, nullptr);
        return "out of memory";
    }
    png_set_write_fn(png, &sink, appendToOutput, flushNothing);
    std::vector<png_byte> row(heightGrid.front().size() * 2);
    const bool done = encode(png, info, heightGrid, range, row.data());
    png_destroy_write_struct(&png, &info);
    return done ? std::string() : std::string(sink.message);
}

void writeRaw16(outputFile& output, const std::vector<std::vector<float>>& heightGrid,
                const heightRange& range) {
    std::vector<char> row;
    for (const std::vector<float>& cells : heightGrid) {
        row.clear();
        for (const float cell : cells) {
            const std::uint16_t level = heightLevel(cell, range);
            row.push_back(static_cast<char>(level & 0xff));
            row.push_back(static_cast<char>(level >> 8));
        }
        output.append(std::string_view(row.data(), row.size()));
    }
}
