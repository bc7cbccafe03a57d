// The eight packed-index encodings of sprite modules, decoded through a colour table into ARGB,
// on native buffers.
#pragma once

#include <cstddef>
#include <cstdint>

namespace mrc::sprite {

struct PixelSource {
    int32_t format = 0;        // one of ASprite's pixel formats
    const uint8_t* bytes = nullptr;  // the module's own bytes
    std::size_t size = 0;
    int32_t bitsPerPixel = 0;  // run-packed format: index bits of a code byte
    int32_t pixelMask = 0;
};

// Decodes `count` pixels into out[0..capacity): each index becomes colours[index]. Reads stop at
// the module's last byte (the pixels then missing are 0, see-through) and writes at `capacity`;
// the last packed byte or run may write past `count`, as the encodings do, within `capacity`.
// An unknown format writes nothing. Returns the pixels written.
int64_t decodePixels(const PixelSource& source, const uint32_t colours[256], int32_t* out, int64_t capacity,
                     int64_t count);

// Index bits and mask of the run-packed format for a palette of `colours` entries.
void runPackedIndexBits(int32_t colours, int32_t& bits, int32_t& mask);

}  // namespace mrc::sprite
