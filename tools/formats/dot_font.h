// The project's own dot-matrix font: ASCII 32-126 on a 5 x 7 grid, drawn as bitmap-font sprites
// in two sizes. Glyph 0 is the space; glyph g (1..94) is the character 32 + g.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/formats/sprite_file.h"

namespace formats {

inline constexpr int32_t kDotFontFirst = 33;
inline constexpr int32_t kDotFontLast = 126;
inline constexpr int32_t kDotFontColumns = 5;
inline constexpr int32_t kDotFontRows = 7;

// Row r of character c (bit 4 the leftmost dot); 0 outside 32..126.
uint8_t dotFontRow(int32_t c, int32_t r);

// A bitmap-font sprite: each dot `scale` pixels (with a one-pixel gap from scale 3 on), one
// palette per ink colour (index 0 transparent, 1 the ink).
SpriteData dotMatrixFont(int32_t scale, const std::vector<uint32_t>& inks);

// The glyph table for the font: byte[256], characters 33..126 to glyphs 1..94.
std::vector<uint8_t> dotFontGlyphTable();

}  // namespace formats
