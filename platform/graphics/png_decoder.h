// PNG images into the 16-bit stores of Image, through libpng.
//
// Every read stays inside the byte range given: a file cut short or corrupt ends the scan or
// the decoding with a trace, never a read beyond it.
#pragma once

#include <cstddef>
#include <cstdint>

namespace mrc::gfx {

struct PngHeader {
    int32_t width = 0;
    int32_t height = 0;
    int32_t bitDepth = 0;
    int32_t colorType = 0;
    int32_t paletteSize = 0;  // PLTE length / 3
    bool hasTransparency = false;  // a tRNS chunk
    bool complete = false;         // the scan reached IEND inside the range
};

// Walks the chunks after the 8 signature bytes (not compared): IHDR, PLTE and tRNS fill the
// header, IEND ends the walk, anything else is skipped with its CRC. Only the first IHDR counts,
// as for libpng. False when the range holds no IHDR or its size is not a positive 31-bit number.
bool readPngHeader(const uint8_t* data, std::size_t length, PngHeader& header);

// The pixel type of the image a PNG becomes: ARGB4444 (2) for the colour types with an alpha
// channel (grey with alpha included: its alpha is kept), RGB565 (0) for the others.
int32_t pngPixelType(const PngHeader& header);

// Decodes into width × height pixels, `pitch` pixels per row. Type 0 stores RGB565, with
// transparent pixels of a tRNS chunk as the colour key; type 2 stores ARGB4444. Any colour type
// and bit depth is first brought to 8-bit RGB or RGBA. Pixels beyond the PNG's own size are
// left alone. Palette images go row by row through a table of stored values. A file larger than
// the biggest image allowed is refused before its rows are allocated. False, with a trace, when
// libpng fails; rows finished by then stay written.
bool decodePng(const uint8_t* data, std::size_t length, uint16_t* pixels, int32_t width, int32_t height,
               int32_t pitch, int32_t pixelType);

}  // namespace mrc::gfx
