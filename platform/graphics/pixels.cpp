#include "platform/graphics/pixels.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#endif

namespace mrc::gfx {

namespace {

// The clip, bounded by the target once more so that a careless caller cannot make a kernel write
// outside the pixels.
struct Clip {
    int32_t left, top, right, bottom;
    bool empty() const { return right <= left || bottom <= top; }
};

Clip clipOf(const Canvas& c) {
    if (!c.pixels || c.width <= 0 || c.height <= 0 || c.pitch < c.width) return {0, 0, 0, 0};
    return {std::max(c.clipLeft, 0), std::max(c.clipTop, 0), std::min(c.clipRight, c.width),
            std::min(c.clipBottom, c.height)};
}

inline uint16_t* at(const Canvas& c, int64_t x, int64_t y) { return c.pixels + y * c.pitch + x; }

// A pixel of a line: alpha 0xFF stores, anything lower blends.
inline void plotLine(const Canvas& c, const Clip& k, int64_t x, int64_t y, uint16_t pixel, int32_t alpha) {
    if (x < k.left || x >= k.right || y < k.top || y >= k.bottom) return;
    uint16_t* p = at(c, x, y);
    *p = alpha == 0xFF ? pixel : blend565(*p, pixel, alpha);
}

// A one-pixel fillRect, as the shapes plot their points.
inline void plotFill(const Canvas& c, const Clip& k, int64_t x, int64_t y, uint16_t pixel) {
    if (x < k.left || x >= k.right || y < k.top || y >= k.bottom) return;
    *at(c, x, y) = pixel;
}

#if defined(__x86_64__) && defined(__GNUC__)
// 32-byte aligned stores where the processor has them, as memset itself uses.
__attribute__((target("avx"))) void fillPixelsAvx(uint16_t* d, std::size_t n, uint16_t pixel) {
    const __m256i v = _mm256_set1_epi16(static_cast<int16_t>(pixel));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(d), v);
    std::size_t skip = (32 - (reinterpret_cast<uintptr_t>(d) & 31)) / 2;  // whole pixels: d is 2-aligned
    d += skip;
    n -= skip;
    for (; n >= 64; n -= 64, d += 64) {
        _mm256_store_si256(reinterpret_cast<__m256i*>(d), v);
        _mm256_store_si256(reinterpret_cast<__m256i*>(d + 16), v);
        _mm256_store_si256(reinterpret_cast<__m256i*>(d + 32), v);
        _mm256_store_si256(reinterpret_cast<__m256i*>(d + 48), v);
    }
    for (; n >= 16; n -= 16, d += 16) _mm256_store_si256(reinterpret_cast<__m256i*>(d), v);
    if (n > 0) _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + n - 16), v);  // the tail, overlapping
}
const bool kHasAvx = [] {
    __builtin_cpu_init();  // static initialisers may run before the library's own
    return __builtin_cpu_supports("avx") != 0;
}();
#endif

// n copies of a pixel, at the speed of memset: aligned vector stores (a pixel of two equal bytes
// is memset itself).
inline void fillPixels(uint16_t* d, std::size_t n, uint16_t pixel) {
    if ((pixel >> 8) == (pixel & 0xFF)) {
        std::memset(d, pixel & 0xFF, n * 2);
        return;
    }
#if defined(__x86_64__) && defined(__GNUC__)
    if (n >= 32 && kHasAvx) return fillPixelsAvx(d, n, pixel);
#endif
#if defined(__SSE2__)
    if (n >= 16) {
        for (; reinterpret_cast<uintptr_t>(d) & 15; --n) *d++ = pixel;
        const __m128i v = _mm_set1_epi16(static_cast<int16_t>(pixel));
        for (; n >= 32; n -= 32, d += 32) {
            _mm_store_si128(reinterpret_cast<__m128i*>(d), v);
            _mm_store_si128(reinterpret_cast<__m128i*>(d + 8), v);
            _mm_store_si128(reinterpret_cast<__m128i*>(d + 16), v);
            _mm_store_si128(reinterpret_cast<__m128i*>(d + 24), v);
        }
        for (; n >= 8; n -= 8, d += 8) _mm_store_si128(reinterpret_cast<__m128i*>(d), v);
    }
#endif
    for (; n > 0; --n) *d++ = pixel;
}

inline void span(const Canvas& c, const Clip& k, int64_t x, int64_t y, int64_t w, uint16_t pixel) {
    if (y < k.top || y >= k.bottom) return;
    int64_t l = std::max<int64_t>(x, k.left), r = std::min<int64_t>(x + w, k.right);
    if (r > l) fillPixels(at(c, l, y), std::size_t(r - l), pixel);
}

inline void column(const Canvas& c, const Clip& k, int64_t x, int64_t y, int64_t h, uint16_t pixel) {
    if (x < k.left || x >= k.right) return;
    int64_t t = std::max<int64_t>(y, k.top), b = std::min<int64_t>(y + h, k.bottom);
    for (int64_t row = t; row < b; ++row) *at(c, x, row) = pixel;
}

inline bool opaque(uint32_t colour) { return (colour >> 24) == 0xFF; }

}  // namespace

// ---- primitives -------------------------------------------------------------------------------

void fillRect(const Canvas& c, int32_t x, int32_t y, int32_t w, int32_t h, uint32_t colour) {
    Clip k = clipOf(c);
    int64_t l = std::max<int64_t>(x, k.left), t = std::max<int64_t>(y, k.top);
    int64_t r = std::min<int64_t>(int64_t(x) + w, k.right), b = std::min<int64_t>(int64_t(y) + h, k.bottom);
    if (r - l < 1 || b - t < 1 || !opaque(colour)) return;
    uint16_t pixel = argbToRgb565(colour);
    // Whole rows of a store without padding are one run.
    if (l == 0 && r == c.pitch) {
        fillPixels(at(c, 0, t), std::size_t((b - t) * c.pitch), pixel);
        return;
    }
    for (int64_t row = t; row < b; ++row) fillPixels(at(c, l, row), std::size_t(r - l), pixel);
}

void drawLine(const Canvas& c, int32_t ix1, int32_t iy1, int32_t ix2, int32_t iy2, uint32_t colour) {
    Clip k = clipOf(c);
    if (k.empty()) return;
    // Products of two 32-bit spans need more than 64 bits.
    auto along = [](int64_t a1, int64_t a2, int64_t b1, int64_t b2, int64_t b) {
        return a1 + static_cast<int64_t>(static_cast<__int128>(a2 - a1) * (b - b1) / (b2 - b1));
    };
    auto code = [&](int64_t x, int64_t y) {
        int out = 0;
        if (y < k.top) out |= 1;
        else if (y >= k.bottom) out |= 2;
        if (x >= k.right) out |= 4;
        else if (x < k.left) out |= 8;
        return out;
    };
    int64_t x1 = ix1, y1 = iy1, x2 = ix2, y2 = iy2;
    // Each pass moves one end point onto an edge; four passes settle any segment.
    for (int pass = 0;; ++pass) {
        int c1 = code(x1, y1), c2 = code(x2, y2);
        if ((c1 | c2) == 0) break;
        if ((c1 & c2) != 0 || pass == 8) return;
        int out = c1 ? c1 : c2;
        int64_t x, y;
        if (out & 1) {
            y = k.top;
            x = along(x1, x2, y1, y2, y);
        } else if (out & 2) {
            y = k.bottom - 1;
            x = along(x1, x2, y1, y2, y);
        } else if (out & 4) {
            x = k.right - 1;
            y = along(y1, y2, x1, x2, x);
        } else {
            x = k.left;
            y = along(y1, y2, x1, x2, x);
        }
        if (out == c1) {
            x1 = x;
            y1 = y;
        } else {
            x2 = x;
            y2 = y;
        }
    }

    uint16_t pixel = argbToRgb565(colour);
    int32_t alpha = static_cast<int32_t>(colour >> 24);
    int64_t dx = x2 > x1 ? x2 - x1 : x1 - x2, dy = y2 > y1 ? y2 - y1 : y1 - y2;
    int64_t sx = x2 >= x1 ? 1 : -1, sy = y2 >= y1 ? 1 : -1;
    bool steep = dy > dx;
    int64_t major = steep ? dy : dx, minor = steep ? dx : dy;
    int64_t err = 2 * minor - major;
    int64_t x = x1, y = y1;
    for (int64_t i = 0; i <= major; ++i) {
        plotLine(c, k, x, y, pixel, alpha);
        if (err > 0) {
            if (steep) x += sx;
            else y += sy;
            err -= 2 * major;
        }
        err += 2 * minor;
        if (steep) y += sy;
        else x += sx;
    }
}

void drawRect(const Canvas& c, int32_t x, int32_t y, int32_t w, int32_t h, uint32_t colour) {
    drawLine(c, x, y, x + w, y, colour);
    drawLine(c, x, y, x, y + h, colour);
    drawLine(c, x + w, y, x + w, y + h, colour);
    drawLine(c, x, y + h, x + w, y + h, colour);
}

namespace {

// Radius of the round rectangles; bounded so that absurd arcs cannot keep the corner walk going
// for billions of steps.
int64_t cornerRadius(int32_t arcWidth) { return std::min<int64_t>(std::max(arcWidth - 2, 0) / 2, 1 << 16); }

// The midpoint circle walk: calls step(px, py) for the first octant, from (0, r) on.
template <class Step>
void circleWalk(int64_t r, Step step) {
    int64_t px = 0, py = r, d = 1 - r, dE = 3, dSE = 5 - 2 * r;
    step(px, py);
    while (py > px) {
        if (d < 0) {
            d += dE;
            dE += 2;
            dSE += 2;
        } else {
            d += dSE;
            dE += 2;
            dSE += 4;
            --py;
        }
        ++px;
        step(px, py);
    }
}

}  // namespace

void drawRoundRect(const Canvas& c, int32_t x, int32_t y, int32_t w, int32_t h, int32_t arcWidth, uint32_t colour) {
    Clip k = clipOf(c);
    if (k.empty() || !opaque(colour) || w < 1 || h < 1) return;
    uint16_t pixel = argbToRgb565(colour);
    int64_t r = cornerRadius(arcWidth);
    int64_t left = x, top = y, right = int64_t(x) + w - 1, bottom = int64_t(y) + h - 1;
    span(c, k, left + r, top, right - left + 1 - 2 * r, pixel);
    span(c, k, left + r, bottom, right - left + 1 - 2 * r, pixel);
    column(c, k, left, top + r, bottom - top + 1 - 2 * r, pixel);
    column(c, k, right, top + r, bottom - top + 1 - 2 * r, pixel);
    int64_t cxL = left + r, cxR = right - r, cyT = top + r, cyB = bottom - r;
    circleWalk(r, [&](int64_t px, int64_t py) {
        plotFill(c, k, cxR + px, cyT - py, pixel);
        plotFill(c, k, cxR + py, cyT - px, pixel);
        plotFill(c, k, cxL - px, cyT - py, pixel);
        plotFill(c, k, cxL - py, cyT - px, pixel);
        plotFill(c, k, cxL - px, cyB + py, pixel);
        plotFill(c, k, cxL - py, cyB + px, pixel);
        plotFill(c, k, cxR + px, cyB + py, pixel);
        plotFill(c, k, cxR + py, cyB + px, pixel);
    });
}

void fillRoundRect(const Canvas& c, int32_t x, int32_t y, int32_t w, int32_t h, int32_t arcWidth, uint32_t colour) {
    Clip k = clipOf(c);
    if (k.empty() || !opaque(colour) || w < 1 || h < 1) return;
    uint16_t pixel = argbToRgb565(colour);
    int64_t r = cornerRadius(arcWidth);
    int64_t cxL = int64_t(x) + r, cxR = int64_t(x) + w - 1 - r, cyT = int64_t(y) + r, cyB = int64_t(y) + h - 1 - r;
    // Each step outlines the rectangle through its corner points; the outlines nest and fill
    // the band between the inner rectangle and the rounded edge.
    auto outline = [&](int64_t hx, int64_t hy) {
        int64_t l = cxL - hx, r2 = cxR + hx, t = cyT - hy, b = cyB + hy;
        span(c, k, l, t, r2 - l + 1, pixel);
        span(c, k, l, b, r2 - l + 1, pixel);
        column(c, k, l, t, b - t + 1, pixel);
        column(c, k, r2, t, b - t + 1, pixel);
    };
    circleWalk(r, [&](int64_t px, int64_t py) {
        outline(px, py);
        outline(py, px);
    });
    int64_t top = int64_t(y) + r, bottom = std::min<int64_t>(int64_t(y) + h - r, k.bottom);
    for (int64_t row = std::max<int64_t>(top, k.top); row < bottom; ++row)
        span(c, k, int64_t(x) + r, row, int64_t(w) - 2 * r, pixel);
}

uint32_t arcQuadrants(int32_t start, int32_t arcAngle) {
    auto normal = [](int64_t v) {
        if (v > 360) v = (v - 1) % 360 + 1;
        if (v < 0) v = v % 360 + 360;
        return v;
    };
    int64_t s = normal(start);
    int64_t e = normal(s + arcAngle);
    uint32_t endMask = 0;
    if (e >= 90) endMask = 1;
    if (e >= 180) endMask = 3;
    if (e >= 270) endMask = 7;
    if (e == 360) endMask = 15;
    uint32_t startMask = (s == 0 ? 1u : 0u) | (s < 91 ? 2u : 0u) | (s < 181 ? 4u : 0u) | (s < 271 ? 8u : 0u);
    return startMask & endMask;
}

namespace {

// Radii beyond this are no screen's ellipse; refusing them keeps the walk short and its
// products inside 64 bits.
constexpr int64_t kMaxRadius = 1 << 14;

// The midpoint ellipse walk over one quadrant: step(px, py) from (0, b) to (a, 0).
template <class Step>
void ellipseWalk(int64_t a, int64_t b, Step step) {
    int64_t a2 = a * a, b2 = b * b;
    int64_t px = 0, py = b;
    int64_t d = 4 * b2 - 4 * a2 * b + a2;  // four times the midpoint decision
    step(px, py);
    while (b2 * px < a2 * py) {
        ++px;
        if (d < 0) {
            d += 4 * (2 * b2 * px + b2);
        } else {
            --py;
            d += 4 * (2 * b2 * px + b2 - 2 * a2 * py);
        }
        step(px, py);
    }
    d = b2 * (2 * px + 1) * (2 * px + 1) + 4 * a2 * (py - 1) * (py - 1) - 4 * a2 * b2;
    while (py > 0) {
        --py;
        if (d > 0) {
            d += 4 * (a2 - 2 * a2 * py);
        } else {
            ++px;
            d += 4 * (2 * b2 * px - 2 * a2 * py + a2);
        }
        step(px, py);
    }
}

template <class Plot>
void arc(const Canvas& c, int32_t x, int32_t y, int32_t w, int32_t h, int32_t start, int32_t arcAngle,
         uint32_t colour, Plot plot) {
    Clip k = clipOf(c);
    if (k.empty() || !opaque(colour) || w < 0 || h < 0) return;
    int64_t a = w / 2, b = h / 2;
    if (a > kMaxRadius || b > kMaxRadius) return;
    uint32_t quadrants = arcQuadrants(start, arcAngle);
    if (quadrants == 0) return;
    int64_t cx = int64_t(x) + a, cy = int64_t(y) + b;
    uint16_t pixel = argbToRgb565(colour);
    ellipseWalk(a, b, [&](int64_t px, int64_t py) { plot(k, quadrants, cx, cy, px, py, pixel); });
}

}  // namespace

void drawArc(const Canvas& c, int32_t x, int32_t y, int32_t w, int32_t h, int32_t start, int32_t arcAngle,
             uint32_t colour) {
    arc(c, x, y, w, h, start, arcAngle, colour,
        [&](const Clip& k, uint32_t q, int64_t cx, int64_t cy, int64_t px, int64_t py, uint16_t pixel) {
            if (q & 1) plotFill(c, k, cx + px, cy - py, pixel);
            if (q & 2) plotFill(c, k, cx - px, cy - py, pixel);
            if (q & 4) plotFill(c, k, cx - px, cy + py, pixel);
            if (q & 8) plotFill(c, k, cx + px, cy + py, pixel);
        });
}

void fillArc(const Canvas& c, int32_t x, int32_t y, int32_t w, int32_t h, int32_t start, int32_t arcAngle,
             uint32_t colour) {
    arc(c, x, y, w, h, start, arcAngle, colour,
        [&](const Clip& k, uint32_t q, int64_t cx, int64_t cy, int64_t px, int64_t py, uint16_t pixel) {
            if (q & 1) span(c, k, cx, cy - py, px + 1, pixel);
            if (q & 2) span(c, k, cx - px, cy - py, px + 1, pixel);
            if (q & 4) span(c, k, cx - px, cy + py, px + 1, pixel);
            if (q & 8) span(c, k, cx, cy + py, px + 1, pixel);
        });
}

void fillTriangle(const Canvas& c, int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x3, int32_t y3,
                  uint32_t colour) {
    Clip k = clipOf(c);
    if (k.empty() || !opaque(colour)) return;
    std::array<int64_t, 2> v[3] = {{x1, y1}, {x2, y2}, {x3, y3}};
    std::stable_sort(std::begin(v), std::end(v), [](const auto& a, const auto& b) { return a[1] < b[1]; });
    auto slope = [](int64_t dx, int64_t dy) -> int64_t { return dy == 0 ? 0 : (dx * 256) / dy; };
    int64_t s13 = slope(v[2][0] - v[0][0], v[2][1] - v[0][1]);
    int64_t s12 = slope(v[1][0] - v[0][0], v[1][1] - v[0][1]);
    int64_t s23 = slope(v[2][0] - v[1][0], v[2][1] - v[1][1]);
    uint16_t pixel = argbToRgb565(colour);
    auto rows = [&](int64_t first, int64_t last, int64_t xa, int64_t sa, int64_t xb, int64_t sb) {
        // Rows above the clip only advance the edges.
        int64_t from = std::max<int64_t>(first, k.top), to = std::min<int64_t>(last, k.bottom - 1);
        if (from > first) {
            xa += sa * (from - first);
            xb += sb * (from - first);
        }
        for (int64_t row = from; row <= to; ++row) {
            int64_t l = std::min(xa, xb) >> 8, r = std::max(xa, xb) >> 8;
            span(c, k, l, row, r - l, pixel);
            xa += sa;
            xb += sb;
        }
    };
    int64_t xa = v[0][0] * 256;
    rows(v[0][1], v[1][1] - 1, xa, s13, xa, s12);
    rows(v[1][1], v[2][1], xa + s13 * (v[1][1] - v[0][1]), s13, v[1][0] * 256, s23);
}

// ---- images -------------------------------------------------------------------------------------

void anchorOffset(int32_t anchor, int32_t w, int32_t h, int32_t& dx, int32_t& dy) {
    dx = (anchor & kHCenter) ? -(w / 2) : (anchor & kRight) ? -w : 0;
    dy = (anchor & kVCenter) ? -(h / 2) : (anchor & kBottom) ? -h : 0;
}

namespace {

// Which destination cut (left, right, top, bottom) removes each source edge (left, right, top,
// bottom) under a transform: the inverse of the walk in the transform table.
constexpr int kCutOfSourceEdge[8][4] = {
    {0, 1, 2, 3},  // NONE: source left = destination left ...
    {0, 1, 3, 2},  // MIRROR_ROT180: rows upside down
    {1, 0, 2, 3},  // MIRROR
    {1, 0, 3, 2},  // ROT180
    {2, 3, 0, 1},  // MIRROR_ROT270: source columns run down, rows right
    {2, 3, 1, 0},  // ROT90: rows run left
    {3, 2, 0, 1},  // ROT270: columns run up
    {3, 2, 1, 0},  // MIRROR_ROT90
};

// One row of a blit, by source type; `d` and `s` advance together.
template <int Type>
inline uint16_t combine(uint16_t s, uint16_t d) {
    if constexpr (Type == kRgb565) {
        return s;
    } else if constexpr (Type == kRgb565Keyed) {
        return s == kColorKey ? d : s;
    } else {
        int32_t a = (s >> 12) * 17;
        uint16_t src = static_cast<uint16_t>(((s >> 7) & 0x1E) << 11 | ((s >> 2) & 0x3C) << 5 | ((s << 1) & 0x1E));
        return blend565(d, src, a);
    }
}

#if defined(__SSE2__)
template <int Type>
inline __m128i combine8(__m128i s, __m128i d) {
    if constexpr (Type == kRgb565) {
        return s;
    } else if constexpr (Type == kRgb565Keyed) {
        __m128i key = _mm_cmpeq_epi16(s, _mm_set1_epi16(static_cast<int16_t>(kColorKey)));
        return _mm_or_si128(_mm_and_si128(key, d), _mm_andnot_si128(key, s));
    } else {
        const __m128i m1e = _mm_set1_epi16(0x1E), m3c = _mm_set1_epi16(0x3C), m3f = _mm_set1_epi16(0x3F),
                      m1f = _mm_set1_epi16(0x1F);
        __m128i a = _mm_mullo_epi16(_mm_srli_epi16(s, 12), _mm_set1_epi16(17));
        __m128i sr = _mm_and_si128(_mm_srli_epi16(s, 7), m1e);
        __m128i sg = _mm_and_si128(_mm_srli_epi16(s, 2), m3c);
        __m128i sb = _mm_and_si128(_mm_slli_epi16(s, 1), m1e);
        __m128i dr = _mm_srli_epi16(d, 11);
        __m128i dg = _mm_and_si128(_mm_srli_epi16(d, 5), m3f);
        __m128i db = _mm_and_si128(d, m1f);
        // Channel differences times a stay within 16 bits (63 × 255), so 16-bit lanes suffice.
        dr = _mm_add_epi16(dr, _mm_srai_epi16(_mm_mullo_epi16(_mm_sub_epi16(sr, dr), a), 8));
        dg = _mm_add_epi16(dg, _mm_srai_epi16(_mm_mullo_epi16(_mm_sub_epi16(sg, dg), a), 8));
        db = _mm_add_epi16(db, _mm_srai_epi16(_mm_mullo_epi16(_mm_sub_epi16(sb, db), a), 8));
        return _mm_or_si128(_mm_or_si128(_mm_slli_epi16(dr, 11), _mm_slli_epi16(dg, 5)), db);
    }
}

// True when the eight source pixels leave the destination as it is.
template <int Type>
inline bool invisible8(__m128i s) {
    if constexpr (Type == kRgb565) {
        return false;
    } else if constexpr (Type == kRgb565Keyed) {
        return _mm_movemask_epi8(_mm_cmpeq_epi16(s, _mm_set1_epi16(static_cast<int16_t>(kColorKey)))) == 0xFFFF;
    } else {
        return _mm_movemask_epi8(_mm_cmpeq_epi16(_mm_srli_epi16(s, 12), _mm_setzero_si128())) == 0xFFFF;
    }
}

inline __m128i reverse8(__m128i v) {
    v = _mm_shufflelo_epi16(v, _MM_SHUFFLE(0, 1, 2, 3));
    v = _mm_shufflehi_epi16(v, _MM_SHUFFLE(0, 1, 2, 3));
    return _mm_shuffle_epi32(v, _MM_SHUFFLE(1, 0, 3, 2));
}
#endif

// d[i] from s[i], i < n.
template <int Type>
void rowForward(uint16_t* d, const uint16_t* s, int32_t n) {
    if constexpr (Type == kRgb565) {
        std::memmove(d, s, std::size_t(n) * 2);
        return;
    }
    int32_t i = 0;
#if defined(__SSE2__)
    for (; i + 8 <= n; i += 8) {
        __m128i sv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
        if (invisible8<Type>(sv)) continue;
        __m128i dv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + i));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i), combine8<Type>(sv, dv));
    }
#endif
    for (; i < n; ++i) d[i] = combine<Type>(s[i], d[i]);
}

// d[i] from s[-i], i < n: a mirrored row written left to right.
template <int Type>
void rowReversed(uint16_t* d, const uint16_t* s, int32_t n) {
    int32_t i = 0;
#if defined(__SSE2__)
    for (; i + 8 <= n; i += 8) {
        __m128i sv = reverse8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(s - i - 7)));
        if (invisible8<Type>(sv)) continue;
        __m128i dv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + i));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i), combine8<Type>(sv, dv));
    }
#endif
    for (; i < n; ++i) d[i] = combine<Type>(s[-i], d[i]);
}

// The walk of one blit: destination of source pixel (0, 0), steps per source pixel and row.
struct Walk {
    uint16_t* dst;
    std::ptrdiff_t du, dv;
    const uint16_t* src;
    std::ptrdiff_t srcPitch;
    int32_t w, h;
};

template <int Type>
void blit(const Walk& k) {
    const uint16_t* s = k.src;
    uint16_t* d = k.dst;
    if (k.du == 1) {
        for (int32_t v = 0; v < k.h; ++v, s += k.srcPitch, d += k.dv) rowForward<Type>(d, s, k.w);
    } else if (k.du == -1) {
        // Walk the destination row left to right and the source row backwards.
        for (int32_t v = 0; v < k.h; ++v, s += k.srcPitch, d += k.dv)
            rowReversed<Type>(d - (k.w - 1), s + (k.w - 1), k.w);
    } else {
        // Turned a quarter: a source column lands on a destination row. Gather the column, then
        // combine it along the row with the row kernels.
        constexpr int32_t kChunk = 256;
        uint16_t column[kChunk];
        for (int32_t u = 0; u < k.w; ++u) {
            for (int32_t v0 = 0; v0 < k.h; v0 += kChunk) {
                int32_t n = std::min(kChunk, k.h - v0);
                const uint16_t* sp = s + std::ptrdiff_t(v0) * k.srcPitch + u;
                for (int32_t i = 0; i < n; ++i, sp += k.srcPitch) column[i] = *sp;
                uint16_t* row = d + u * k.du + v0 * k.dv;
                if (k.dv == 1) rowForward<Type>(row, column, n);
                else rowReversed<Type>(row - (n - 1), column + (n - 1), n);
            }
        }
    }
}

}  // namespace

uint32_t drawRegion(const Canvas& c, const Source* source, int32_t xSrc, int32_t ySrc, int32_t w, int32_t h,
                    int32_t transform, int32_t x, int32_t y, int32_t anchor) {
    uint32_t failed = 0;
    bool knownTransform = transform >= 0 && transform <= 7;
    int t = knownTransform ? transform : 0;
    bool swap = t >= 4;

    // The destination box, anchored.
    int64_t dw = swap ? h : w, dh = swap ? w : h;
    int32_t ax, ay;
    anchorOffset(anchor, static_cast<int32_t>(dw), static_cast<int32_t>(dh), ax, ay);
    int64_t dx = int64_t(x) + ax, dy = int64_t(y) + ay;

    // Clip it; each cut of the destination removes the source edge that lands there.
    Clip k = clipOf(c);
    int64_t cut[4] = {std::max<int64_t>(0, k.left - dx), std::max<int64_t>(0, dx + dw - k.right),
                      std::max<int64_t>(0, k.top - dy), std::max<int64_t>(0, dy + dh - k.bottom)};
    const int* edge = kCutOfSourceEdge[t];
    int64_t sx = xSrc + cut[edge[0]], sw = int64_t(w) - cut[edge[0]] - cut[edge[1]];
    int64_t sy = ySrc + cut[edge[2]], sh = int64_t(h) - cut[edge[2]] - cut[edge[3]];
    dx += cut[0];
    dy += cut[2];
    dw -= cut[0] + cut[1];
    dh -= cut[2] + cut[3];
    if (sw < 1 || sh < 1 || k.empty()) return 0;

    if (!source || !source->pixels) failed |= kCheckSource;
    int64_t srcW = source ? source->width : 0, srcH = source ? source->height : 0;
    if (sx < 0 || sx + sw > srcW) failed |= kCheckXSrc;
    if (sy < 0 || sy + sh > srcH) failed |= kCheckYSrc;
    if (!knownTransform) failed |= kCheckTransform;
    if (failed & kCheckSource) return failed;
    int32_t type = source->pixelType;
    if (type < kRgb565 || type > kArgb4444) return failed | kCheckPixelType;

    if (failed & (kCheckXSrc | kCheckYSrc)) {
        // Read only what the source has: cut the region to it, and the destination with it.
        int64_t srcCut[4] = {std::max<int64_t>(0, -sx), std::max<int64_t>(0, sx + sw - srcW),
                             std::max<int64_t>(0, -sy), std::max<int64_t>(0, sy + sh - srcH)};
        if (srcCut[0] + srcCut[1] >= sw || srcCut[2] + srcCut[3] >= sh) return failed;
        int64_t destCut[4] = {0, 0, 0, 0};
        for (int e = 0; e < 4; ++e) destCut[edge[e]] = srcCut[e];
        sx += srcCut[0];
        sw -= srcCut[0] + srcCut[1];
        sy += srcCut[2];
        sh -= srcCut[2] + srcCut[3];
        dx += destCut[0];
        dy += destCut[2];
        dw -= destCut[0] + destCut[1];
        dh -= destCut[2] + destCut[3];
    }

    // Destination of source pixel (0, 0) and the steps, from the transform table.
    std::ptrdiff_t pitch = c.pitch;
    int64_t ox = 0, oy = 0;
    std::ptrdiff_t du = 1, dv = pitch;
    switch (t) {
        case kTransNone: break;
        case kTransMirrorRot180: oy = dh - 1; dv = -pitch; break;
        case kTransMirror: ox = dw - 1; du = -1; break;
        case kTransRot180: ox = dw - 1; oy = dh - 1; du = -1; dv = -pitch; break;
        case kTransMirrorRot270: du = pitch; dv = 1; break;
        case kTransRot90: ox = dw - 1; du = pitch; dv = -1; break;
        case kTransRot270: oy = dh - 1; du = -pitch; dv = 1; break;
        case kTransMirrorRot90: ox = dw - 1; oy = dh - 1; du = -pitch; dv = -1; break;
    }
    Walk walk{at(c, dx + ox, dy + oy), du, dv, source->pixels + sy * source->pitch + sx, source->pitch,
              static_cast<int32_t>(sw), static_cast<int32_t>(sh)};
    switch (type) {
        case kRgb565: blit<kRgb565>(walk); break;
        case kRgb565Keyed: blit<kRgb565Keyed>(walk); break;
        default: blit<kArgb4444>(walk); break;
    }
    return failed;
}

bool drawRGB(const Canvas& c, const int32_t* rgb, int32_t length, int32_t offset, int32_t scanLength, int32_t x,
             int32_t y, int32_t w, int32_t h, bool processAlpha) {
    Clip k = clipOf(c);
    int64_t l = std::max<int64_t>(x, k.left), t = std::max<int64_t>(y, k.top);
    int64_t r = std::min<int64_t>(int64_t(x) + w, k.right), b = std::min<int64_t>(int64_t(y) + h, k.bottom);
    if (r - l < 1 || b - t < 1) return true;
    int64_t cols = r - l, rows = b - t;
    int64_t first = int64_t(offset) + (t - y) * scanLength + (l - x);
    int64_t last = first + (rows - 1) * scanLength;
    if (!rgb || std::min(first, last) < 0 || std::max(first, last) + cols > length) return false;

    for (int64_t row = 0; row < rows; ++row) {
        const uint32_t* s = reinterpret_cast<const uint32_t*>(rgb + first + row * scanLength);
        uint16_t* d = at(c, l, t + row);
        if (c.pixelType == kArgb4444) {
            for (int64_t i = 0; i < cols; ++i) d[i] = argbToArgb4444(s[i]);
        } else if (processAlpha) {
            for (int64_t i = 0; i < cols; ++i) {
                uint32_t a = s[i] >> 24;
                if (a == 0xFF) d[i] = argbToRgb565(s[i]);
                else if (a != 0) d[i] = blend565(d[i], argbToRgb565(s[i]), static_cast<int32_t>(a));
            }
        } else {
            for (int64_t i = 0; i < cols; ++i) d[i] = argbToRgb565(s[i]);
        }
    }
    return true;
}

void copyMask(const Canvas& c, const uint8_t* mask, int32_t w, int32_t h, int32_t x, int32_t y, uint16_t pixel) {
    if (!c.pixels || !mask || w < 1 || h < 1) return;
    int64_t l = std::max<int64_t>(x, 0), t = std::max<int64_t>(y, 0);
    int64_t r = std::min<int64_t>(int64_t(x) + w, c.width), b = std::min<int64_t>(int64_t(y) + h, c.height);
    for (int64_t row = t; row < b; ++row) {
        const uint8_t* m = mask + (row - y) * w + (l - x);
        uint16_t* d = at(c, l, row);
        for (int64_t i = 0; i < r - l; ++i)
            if (m[i]) d[i] = pixel;
    }
}

bool containsColorKey(const uint16_t* pixels, int32_t width, int32_t height, int32_t pitch) {
    if (!pixels) return false;
    for (int32_t y = 0; y < height; ++y) {
        const uint16_t* row = pixels + std::ptrdiff_t(y) * pitch;
        if (std::find(row, row + width, kColorKey) != row + width) return true;
    }
    return false;
}

}  // namespace mrc::gfx
