#pragma once

// Reads a grayscale PNG back, as a viewer would, for the tests to check.

#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <vector>

#include <png.h>

struct decodedPng {
    bool ok = false;
    png_uint_32 width = 0, height = 0;
    int bitDepth = 0, colorType = 0;
    std::vector<std::uint16_t> samples;  // row after row
};

// libpng reports errors by longjmp, so nothing here needs destroying.
inline bool decodeInto(png_structp png, png_infop info, std::FILE* file, decodedPng& image) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_init_io(png, file);
    png_read_info(png, info);
    png_get_IHDR(png, info, &image.width, &image.height, &image.bitDepth, &image.colorType,
                 nullptr, nullptr, nullptr);
    if (image.bitDepth != 16 || image.colorType != PNG_COLOR_TYPE_GRAY) return true;
    std::vector<png_byte> row(image.width * 2);
    for (png_uint_32 y = 0; y < image.height; ++y) {
        png_read_row(png, row.data(), nullptr);
        for (png_uint_32 x = 0; x < image.width; ++x) {
            image.samples.push_back(static_cast<std::uint16_t>(row[2 * x] << 8 | row[2 * x + 1]));
        }
    }
    png_read_end(png, nullptr);
    return true;
}

inline decodedPng readPng(const char* path) {
    decodedPng image;
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) return image;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    image.ok = decodeInto(png, info, file, image);
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(file);
    return image;
}
