// Pixel kernels of the Graphics natives, on plain native buffers: 16-bit targets with a clip
// rectangle, the three drawable source types, the eight drawRegion transforms and ARGB blending.
//
// Coordinates given to the kernels are absolute target coordinates (the caller has added its
// translation). Every kernel writes only inside the target's clip rectangle (the mask copy of the
// text painter only inside the target) and reads only inside the source it was given.
#pragma once

#include <cstddef>
#include <cstdint>

namespace mrc::gfx {

// The colour key of type 1 images: magenta, never drawn.
inline constexpr uint16_t kColorKey = 0xF81F;

// The largest image of this device: past it no size is an image, and every size computation
// stays inside 32 bits.
inline constexpr int64_t kMaxImagePixels = int64_t(1) << 26;
inline constexpr uint32_t kMaxImageWidth = 1u << 20;

// Image pixel types. Types 3 and above are byte stores that are allocated but never drawn.
enum PixelType : int32_t { kRgb565 = 0, kRgb565Keyed = 1, kArgb4444 = 2, kIndexed8 = 3 };

// MIDP anchors.
enum Anchor : int32_t {
    kHCenter = 1,
    kVCenter = 2,
    kLeft = 4,
    kRight = 8,
    kTop = 16,
    kBottom = 32,
    kBaseline = 64,
};

// MIDP drawRegion transforms.
enum Transform : int32_t {
    kTransNone = 0,
    kTransMirrorRot180 = 1,
    kTransMirror = 2,
    kTransRot180 = 3,
    kTransMirrorRot270 = 4,
    kTransRot90 = 5,
    kTransRot270 = 6,
    kTransMirrorRot90 = 7,
};

// ---- conversions ----------------------------------------------------------------------------

constexpr uint16_t argbToRgb565(uint32_t p) {
    return static_cast<uint16_t>(((p >> 8) & 0xF800) | ((p >> 5) & 0x07E0) | ((p & 0xFF) >> 3));
}
// The top four bits of each of the four bytes.
constexpr uint16_t argbToArgb4444(uint32_t p) {
    return static_cast<uint16_t>(((p >> 16) & 0xF000) | ((p >> 12) & 0x0F00) | ((p >> 8) & 0x00F0) |
                                 ((p >> 4) & 0x000F));
}
constexpr uint32_t rgb565ToArgb(uint16_t p) {
    uint32_t r = (p >> 11) * 255u / 31u;
    uint32_t g = ((p >> 5) & 0x3F) * 255u / 63u;
    uint32_t b = (p & 0x1F) * 255u / 31u;
    return 0xFF000000u | r << 16 | g << 8 | b;
}
// Each nibble × 17.
constexpr uint32_t argb4444ToArgb(uint16_t p) {
    return ((p >> 12) & 0xFu) * 17u << 24 | ((p >> 8) & 0xFu) * 17u << 16 | ((p >> 4) & 0xFu) * 17u << 8 |
           (p & 0xFu) * 17u;
}
// getRGB's conversion of one stored pixel of a drawable type.
constexpr uint32_t pixelToArgb(uint16_t p, int32_t type) {
    if (type == kArgb4444) return argb4444ToArgb(p);
    if (type == kRgb565Keyed && p == kColorKey) return 0;
    return rgb565ToArgb(p);
}
// dst + ((src - dst) × a >> 8) per 5/6/5 channel.
constexpr uint16_t blend565(uint16_t dst, uint16_t src, int32_t a) {
    int32_t dr = dst >> 11, dg = (dst >> 5) & 0x3F, db = dst & 0x1F;
    int32_t sr = src >> 11, sg = (src >> 5) & 0x3F, sb = src & 0x1F;
    dr += ((sr - dr) * a) >> 8;
    dg += ((sg - dg) * a) >> 8;
    db += ((sb - db) * a) >> 8;
    return static_cast<uint16_t>(dr << 11 | dg << 5 | db);
}

// Pixels per row of a 16-bit store: the width rounded up to even.
constexpr int32_t rowPitch(int32_t width) { return (width + 1) & ~1; }

// ---- targets and sources --------------------------------------------------------------------

// A 16-bit target: `pitch` pixels from one row to the next, at least pitch × height pixels, and
// the clip (left and top inclusive, right and bottom exclusive) inside 0..width × 0..height.
struct Canvas {
    uint16_t* pixels = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    int32_t pitch = 0;
    int32_t clipLeft = 0;
    int32_t clipTop = 0;
    int32_t clipRight = 0;
    int32_t clipBottom = 0;
    int32_t pixelType = kRgb565;  // drawRGB stores ARGB4444 into type 2 targets
};

// A drawable 16-bit source of `pitch` pixels per row.
struct Source {
    const uint16_t* pixels = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    int32_t pitch = 0;
    int32_t pixelType = kRgb565;
};

// ---- primitives (colour 0xAARRGGBB) -----------------------------------------------------------

// Alpha 0xFF fills; any lower alpha leaves the pixels as they are.
void fillRect(const Canvas& c, int32_t x, int32_t y, int32_t w, int32_t h, uint32_t colour);
// Cohen-Sutherland clipping, then Bresenham with both end points; alpha below 0xFF blends.
void drawLine(const Canvas& c, int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour);
// The four lines; covers (w + 1) × (h + 1) pixels.
void drawRect(const Canvas& c, int32_t x, int32_t y, int32_t w, int32_t h, uint32_t colour);
// Corner radius max(arcWidth - 2, 0) / 2; the shapes cover w × h pixels.
void drawRoundRect(const Canvas& c, int32_t x, int32_t y, int32_t w, int32_t h, int32_t arcWidth, uint32_t colour);
void fillRoundRect(const Canvas& c, int32_t x, int32_t y, int32_t w, int32_t h, int32_t arcWidth, uint32_t colour);
// Midpoint ellipse drawn by whole quadrants, chosen by the start and end angles.
void drawArc(const Canvas& c, int32_t x, int32_t y, int32_t w, int32_t h, int32_t start, int32_t arcAngle,
             uint32_t colour);
void fillArc(const Canvas& c, int32_t x, int32_t y, int32_t w, int32_t h, int32_t start, int32_t arcAngle,
             uint32_t colour);
// Quadrant mask of an arc: bit 0 upper right, 1 upper left, 2 lower left, 3 lower right.
uint32_t arcQuadrants(int32_t start, int32_t arcAngle);
void fillTriangle(const Canvas& c, int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x3, int32_t y3,
                  uint32_t colour);

// ---- images ---------------------------------------------------------------------------------

// Checks of drawRegion that failed, in the order they are reported.
enum RegionCheck : uint32_t {
    kCheckSource = 1,     // "drawRegion pSrc"
    kCheckXSrc = 2,       // "drawRegion x_src"
    kCheckYSrc = 4,       // "drawRegion y_src"
    kCheckTransform = 8,  // "drawRegion transform"
    kCheckPixelType = 16, // "m_pixelType"
};

// Anchor offset of a w × h box: -(w / 2) for HCENTER, else -w for RIGHT, else 0; likewise
// vertically with VCENTER and BOTTOM.
void anchorOffset(int32_t anchor, int32_t w, int32_t h, int32_t& dx, int32_t& dy);

// drawRegion at absolute (x, y). `source` may be null (a null image). Returns the failed checks;
// whatever failed, only the part of the region inside the source is read (nothing without a
// source or of an undrawable type). An unknown transform draws as TRANS_NONE.
uint32_t drawRegion(const Canvas& c, const Source* source, int32_t xSrc, int32_t ySrc, int32_t w, int32_t h,
                    int32_t transform, int32_t x, int32_t y, int32_t anchor);

// drawRGB of `rgb` (length elements) at absolute (x, y). False, drawing nothing, when a pixel of
// the clipped rectangle would lie outside the array.
bool drawRGB(const Canvas& c, const int32_t* rgb, int32_t length, int32_t offset, int32_t scanLength, int32_t x,
             int32_t y, int32_t w, int32_t h, bool processAlpha);

// Stores `pixel` wherever the w × h mask (one byte per pixel, non-zero = ink) is set, placed at
// (x, y) and cut to the target's bounds (the clip does not apply).
void copyMask(const Canvas& c, const uint8_t* mask, int32_t w, int32_t h, int32_t x, int32_t y, uint16_t pixel);

// ---- whole-store helpers ----------------------------------------------------------------------

// True when any of the width × height pixels equals the colour key.
bool containsColorKey(const uint16_t* pixels, int32_t width, int32_t height, int32_t pitch);

}  // namespace mrc::gfx
