#include "framework/sprite/pixel_decoder.h"

#include <algorithm>

#include "framework/sprite/sprite.h"

namespace mrc::sprite {

namespace {

// Writes bounded by the buffer; the count of pixels decoded so far runs on regardless, so that
// the decoding stops where the encoding says.
struct Writer {
    int32_t* out;
    int64_t capacity;
    const uint32_t* colours;
    int64_t n = 0;

    void put(uint32_t index) {
        if (n < capacity) out[n] = static_cast<int32_t>(colours[index & 0xFF]);
        ++n;
    }
    void run(uint32_t index, int64_t length) {
        int32_t c = static_cast<int32_t>(colours[index & 0xFF]);
        int64_t end = std::min(n + length, capacity);
        if (end > n) std::fill(out + n, out + end, c);
        n += length;
    }
};

// Bits per pixel of the fixed-width formats: each byte holds 8 / bits pixels, high bits first.
void unpackBits(const PixelSource& s, Writer& w, int64_t count, int bits) {
    const uint32_t mask = (1u << bits) - 1;
    for (std::size_t i = 0; i < s.size && w.n < count; ++i) {
        uint32_t b = s.bytes[i];
        for (int shift = 8 - bits; shift >= 0; shift -= bits) w.put((b >> shift) & mask);
    }
}

void unpackThreeBits(const PixelSource& s, Writer& w, int64_t count) {
    std::size_t i = 0;
    while (w.n < count && i < s.size) {
        uint32_t b0 = s.bytes[i++];
        w.put(b0 >> 5);
        w.put((b0 >> 2) & 7);
        if (w.n >= count || i >= s.size) break;
        uint32_t b1 = s.bytes[i++];
        w.put(((b0 << 1) & 6) | (b1 >> 7));
        w.put((b1 >> 4) & 7);
        w.put((b1 >> 1) & 7);
        if (w.n >= count || i >= s.size) break;
        uint32_t b2 = s.bytes[i++];
        w.put(((b1 << 2) & 4) | ((b2 >> 6) & 3));
        w.put((b2 >> 3) & 7);
        w.put(b2 & 7);
    }
}

}  // namespace

int64_t decodePixels(const PixelSource& s, const uint32_t colours[256], int32_t* out, int64_t capacity,
                     int64_t count) {
    Writer w{out, capacity, colours};
    if (!s.bytes) return 0;
    switch (s.format) {
        case ASprite::kPixelsI8:
            for (std::size_t i = 0; i < s.size && w.n < count; ++i) w.put(s.bytes[i]);
            break;
        case ASprite::kPixelsI4: unpackBits(s, w, count, 4); break;
        case ASprite::kPixelsI3: unpackThreeBits(s, w, count); break;
        case ASprite::kPixelsI2: unpackBits(s, w, count, 2); break;
        case ASprite::kPixelsI1: unpackBits(s, w, count, 1); break;
        case ASprite::kPixelsRunPacked:
            for (std::size_t i = 0; i < s.size && w.n < count; ++i) {
                uint32_t b = s.bytes[i];
                w.run(b & uint32_t(s.pixelMask), int64_t(b >> s.bitsPerPixel) + 1);
            }
            break;
        case ASprite::kPixelsRun27F1:
            for (std::size_t i = 0; i < s.size && w.n < count;) {
                uint32_t b = s.bytes[i++];
                if (b < 128) {
                    w.put(b);
                } else {
                    if (i >= s.size) break;
                    w.run(s.bytes[i++], b - 128);
                }
            }
            break;
        case ASprite::kPixelsRun56F2:
            for (std::size_t i = 0; i < s.size && w.n < count;) {
                uint32_t b = s.bytes[i++];
                if (b > 127) {
                    for (uint32_t k = 0; k < b - 128 && i < s.size; ++k) w.put(s.bytes[i++]);
                } else {
                    if (i >= s.size) break;
                    w.run(s.bytes[i++], b);
                }
            }
            break;
        default: return 0;
    }
    // Data that ends early leaves the rest of the module see-through rather than stale.
    if (w.n < count) {
        int64_t from = std::min(w.n, capacity), to = std::min(count, capacity);
        if (to > from) std::fill(out + from, out + to, 0);
        w.n = count;
    }
    return std::min(w.n, capacity);
}

void runPackedIndexBits(int32_t colours, int32_t& bits, int32_t& mask) {
    int32_t v = colours - 1, m = 1, b = 0;
    if (colours != 1) {
        while (v != 0) {
            v >>= 1;
            m <<= 1;
            ++b;
        }
    }
    bits = b;
    mask = m - 1;
}

}  // namespace mrc::sprite
