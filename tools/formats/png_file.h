// PNG files from ARGB pixels: 8-bit RGBA (colour type 6), no interlace, every row filtered with
// the Up filter, zlib-compressed.
#pragma once

#include <cstdint>
#include <vector>

namespace formats {

// `argb` holds width × height pixels row by row (0xAARRGGBB). Empty for a size that is not
// positive or pixels that do not match it.
std::vector<uint8_t> pngFile(int32_t width, int32_t height, const std::vector<uint32_t>& argb);

}  // namespace formats
