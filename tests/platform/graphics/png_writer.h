// PNG files written by libpng itself, in memory, for the decoder's tests and benchmarks.
#pragma once

#include <png.h>

#include <cstdint>
#include <vector>

namespace mrc::test {

struct PngPicture {
    int width = 0;
    int height = 0;
    int colorType = PNG_COLOR_TYPE_RGB;
    int bitDepth = 8;
    bool interlaced = false;
    // One byte per sample below 8 bits (packed by libpng), two big-endian bytes at 16 bits.
    std::vector<uint8_t> samples;
    std::vector<png_color> palette;
    std::vector<uint8_t> paletteAlpha;  // tRNS of a paletted image
    bool keyColour = false;             // tRNS of a grey or RGB image
    png_color_16 key{};
};

inline std::vector<uint8_t> writePng(const PngPicture& p) {
    std::vector<uint8_t> out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return {};
    }
    png_set_write_fn(
        png, &out,
        [](png_structp s, png_bytep data, png_size_t n) {
            auto* v = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(s));
            v->insert(v->end(), data, data + n);
        },
        nullptr);
    png_set_IHDR(png, info, p.width, p.height, p.bitDepth, p.colorType,
                 p.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (!p.palette.empty()) png_set_PLTE(png, info, p.palette.data(), static_cast<int>(p.palette.size()));
    if (!p.paletteAlpha.empty())
        png_set_tRNS(png, info, p.paletteAlpha.data(), static_cast<int>(p.paletteAlpha.size()), nullptr);
    if (p.keyColour) png_set_tRNS(png, info, nullptr, 0, &p.key);
    png_write_info(png, info);
    if (p.bitDepth < 8) png_set_packing(png);
    int channels = p.colorType == PNG_COLOR_TYPE_RGB ? 3 : p.colorType == PNG_COLOR_TYPE_RGBA ? 4
                   : p.colorType == PNG_COLOR_TYPE_GRAY_ALPHA ? 2 : 1;
    std::size_t rowBytes = std::size_t(p.width) * channels * (p.bitDepth == 16 ? 2 : 1);
    std::vector<png_bytep> rows(p.height);
    for (int y = 0; y < p.height; ++y) rows[y] = const_cast<png_bytep>(p.samples.data() + y * rowBytes);
    png_write_image(png, rows.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

}  // namespace mrc::test
