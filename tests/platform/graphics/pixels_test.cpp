#include "platform/graphics/pixels.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "tests/platform/graphics/pixel_target.h"

namespace {

using namespace mrc::gfx;
using mrc::test::PixelTarget;
using mrc::test::rows;

constexpr uint32_t kWhite = 0xFFFFFFFF;

// ---- conversions ------------------------------------------------------------------------------

TEST(PixelConversion, ColourWordsBecomeTheStoredFormats) {
    EXPECT_EQ(argbToRgb565(0xFF123456), 0x11AA);
    EXPECT_EQ(argbToRgb565(0x00FF00FF), kColorKey);
    EXPECT_EQ(argbToArgb4444(0x80FF0000), 0x8F00);
    EXPECT_EQ(argbToArgb4444(0x12345678), 0x1357);
    EXPECT_EQ(rgb565ToArgb(0xFFFF), 0xFFFFFFFFu);
    EXPECT_EQ(rgb565ToArgb(0x0000), 0xFF000000u);
    EXPECT_EQ(rgb565ToArgb(0x8410), 0xFF838183u);  // floor(16 × 255 / 31) = 131, floor(32 × 255 / 63) = 129
    EXPECT_EQ(argb4444ToArgb(0xF0A5), 0xFF00AA55u);
    EXPECT_EQ(pixelToArgb(kColorKey, kRgb565Keyed), 0u);
    EXPECT_EQ(pixelToArgb(kColorKey, kRgb565), 0xFFFF00FFu);
    EXPECT_EQ(blend565(0x0000, 0xF800, 128), 0x7800);
    EXPECT_EQ(rowPitch(15), 16);
    EXPECT_EQ(rowPitch(16), 16);
}

// ---- fillRect ---------------------------------------------------------------------------------

struct RectCase {
    const char* name;
    int32_t x, y, w, h;
    uint32_t colour;
    int32_t clip[4];
    std::string expected;
};

TEST(PixelFillRect, CutsToTheClipAndHonoursAlpha) {
    const RectCase cases[] = {
        {"inside", 1, 1, 3, 2, kWhite, {0, 0, 6, 4}, rows({"......", ".###..", ".###..", "......"})},
        {"above left", -2, -1, 4, 3, kWhite, {0, 0, 6, 4}, rows({"##....", "##....", "......", "......"})},
        {"below right", 4, 2, 10, 10, kWhite, {0, 0, 6, 4}, rows({"......", "......", "....##", "....##"})},
        {"zero width", 1, 1, 0, 5, kWhite, {0, 0, 6, 4}, rows({"......", "......", "......", "......"})},
        {"negative", 1, 1, -3, 2, kWhite, {0, 0, 6, 4}, rows({"......", "......", "......", "......"})},
        {"clip", 0, 0, 6, 4, kWhite, {2, 1, 5, 3}, rows({"......", "..###.", "..###.", "......"})},
        {"alpha 0", 0, 0, 6, 4, 0x00FFFFFF, {0, 0, 6, 4}, rows({"......", "......", "......", "......"})},
    };
    for (const RectCase& c : cases) {
        PixelTarget t(6, 4);
        fillRect(t.clipped(c.clip[0], c.clip[1], c.clip[2], c.clip[3]), c.x, c.y, c.w, c.h, c.colour);
        EXPECT_EQ(t.picture(), c.expected) << c.name;
        EXPECT_TRUE(t.guardsIntact()) << c.name;
    }
}

TEST(PixelFillRect, HugeRectanglesStayInsideTheTarget) {
    PixelTarget t(5, 3);
    fillRect(t.canvas(), INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, kWhite);
    fillRect(t.canvas(), INT32_MAX - 1, 0, INT32_MAX, 3, kWhite);
    EXPECT_EQ(t.picture(), rows({".....", ".....", "....."}));
    fillRect(t.canvas(), -5, -5, INT32_MAX, INT32_MAX, kWhite);
    EXPECT_EQ(t.picture(), rows({"#####", "#####", "#####"}));
    EXPECT_TRUE(t.guardsIntact());
}

TEST(PixelFillRect, VectorFillsCoverExactlyTheSpanAtEveryAlignmentAndLength) {
    // Spans of 0-100 pixels from every start inside two vector widths, in a 140-pixel row, with
    // colours of two equal and of two different bytes (memset and the vector stores).
    for (uint32_t colour : {0xFF123456u, 0xFF000000u}) {
        uint16_t pixel = argbToRgb565(colour);
        for (int32_t x = 0; x < 33; ++x)
            for (int32_t w = 0; w <= 100; ++w) {
                PixelTarget t(140, 2, 0x7BEF);
                fillRect(t.canvas(), x, 1, w, 1, colour);
                for (int32_t i = 0; i < 140; ++i) {
                    ASSERT_EQ(t.at(i, 0), 0x7BEF);
                    ASSERT_EQ(t.at(i, 1), i >= x && i < x + w ? pixel : 0x7BEF) << x << " " << w << " " << i;
                }
                ASSERT_TRUE(t.guardsIntact());
            }
    }
    // Whole rows of a store without padding fill as one run.
    PixelTarget t(64, 5, 0x7BEF);
    fillRect(t.clipped(0, 1, 64, 4), -3, -3, 100, 100, kWhite);
    for (int32_t y = 0; y < 5; ++y)
        for (int32_t x = 0; x < 64; ++x) ASSERT_EQ(t.at(x, y), y >= 1 && y < 4 ? 0xFFFF : 0x7BEF) << x << " " << y;
    EXPECT_TRUE(t.guardsIntact());
}

// ---- lines and outlines ---------------------------------------------------------------------

struct LineCase {
    const char* name;
    int32_t x1, y1, x2, y2;
    int32_t clip[4];
    std::string expected;
};

TEST(PixelDrawLine, BresenhamWithBothEndsAndCohenSutherlandClipping) {
    const LineCase cases[] = {
        {"horizontal", 0, 0, 5, 0, {0, 0, 6, 4}, rows({"######", "......", "......", "......"})},
        {"shallow", 0, 0, 5, 3, {0, 0, 6, 4}, rows({"#.....", ".##...", "...##.", ".....#"})},
        {"backwards", 5, 3, 0, 0, {0, 0, 6, 4}, rows({"#.....", ".##...", "...##.", ".....#"})},
        {"steep", 1, 0, 2, 3, {0, 0, 6, 4}, rows({".#....", ".#....", "..#...", "..#..."})},
        {"point", 2, 2, 2, 2, {0, 0, 6, 4}, rows({"......", "......", "..#...", "......"})},
        {"through", -2, 1, 7, 1, {0, 0, 6, 4}, rows({"......", "######", "......", "......"})},
        // End points moved onto the clip edges by integer division, then walked anew.
        {"clipped", 0, 0, 5, 3, {1, 0, 4, 4}, rows({".##...", "...#..", "......", "......"})},
        {"outside", -5, -1, 10, -1, {0, 0, 6, 4}, rows({"......", "......", "......", "......"})},
        {"far", INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, {0, 0, 6, 4}, rows({"#.....", ".#....", "..#...", "...#.."})},
    };
    for (const LineCase& c : cases) {
        PixelTarget t(6, 4);
        drawLine(t.clipped(c.clip[0], c.clip[1], c.clip[2], c.clip[3]), c.x1, c.y1, c.x2, c.y2, kWhite);
        EXPECT_EQ(t.picture(), c.expected) << c.name;
        EXPECT_TRUE(t.guardsIntact()) << c.name;
    }
}

TEST(PixelDrawLine, TranslucentColourBlendsEachChannel) {
    PixelTarget t(3, 1, 0x0000);
    drawLine(t.canvas(), 1, 0, 1, 0, 0x80FFFFFF);
    EXPECT_EQ(t.at(1, 0), 0x7BEF);  // 31 × 128 >> 8 = 15, 63 × 128 >> 8 = 31
    EXPECT_EQ(t.at(0, 0), 0);
}

TEST(PixelDrawRect, OutlineCoversOneMorePixelEachWay) {
    PixelTarget t(6, 4);
    drawRect(t.canvas(), 1, 0, 3, 2, kWhite);
    EXPECT_EQ(t.picture(), rows({".####.", ".#..#.", ".####.", "......"}));
    PixelTarget one(3, 3);
    drawRect(one.canvas(), 0, 0, 0, 0, kWhite);
    EXPECT_EQ(one.picture(), rows({"#..", "...", "..."}));
}

TEST(PixelRoundRect, CornersFromTheMidpointCircle) {
    PixelTarget filled(8, 6), outline(8, 6), square(6, 4), ring(6, 4);
    fillRoundRect(filled.canvas(), 0, 0, 8, 6, 6, kWhite);
    drawRoundRect(outline.canvas(), 0, 0, 8, 6, 6, kWhite);
    fillRoundRect(square.canvas(), 0, 0, 6, 4, 2, kWhite);
    drawRoundRect(ring.canvas(), 0, 0, 6, 4, 0, kWhite);
    EXPECT_EQ(filled.picture(),
              rows({".######.", "########", "########", "########", "########", ".######."}));
    EXPECT_EQ(outline.picture(),
              rows({".######.", "#......#", "#......#", "#......#", "#......#", ".######."}));
    EXPECT_EQ(square.picture(), rows({"######", "######", "######", "######"}));
    EXPECT_EQ(ring.picture(), rows({"######", "#....#", "#....#", "######"}));
}

TEST(PixelRoundRect, ShapesStayInTheirBoxAndTheClip) {
    for (int arc : {0, 4, 9, 30, 1000, INT32_MAX}) {
        PixelTarget t(40, 30);
        fillRoundRect(t.clipped(3, 3, 38, 27), 5, 4, 30, 20, arc, kWhite);
        drawRoundRect(t.clipped(3, 3, 38, 27), 1, 2, 30, 20, arc, kWhite);
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 40; ++x)
                if (t.at(x, y)) {
                    EXPECT_TRUE(x >= 3 && x < 38 && y >= 3 && y < 27) << x << "," << y << " arc " << arc;
                    EXPECT_TRUE((x >= 5 && x < 35 && y >= 4 && y < 24) || (x >= 1 && x < 31 && y >= 2 && y < 22));
                }
        EXPECT_TRUE(t.guardsIntact());
    }
}

// ---- arcs ---------------------------------------------------------------------------------------

TEST(PixelArc, QuadrantsFromTheStartAndEndAngles) {
    struct Case {
        int32_t start, arc;
        uint32_t quadrants;
    } cases[] = {
        {0, 360, 15}, {0, 90, 1}, {90, 90, 2}, {180, 90, 4}, {270, 90, 8}, {0, 180, 3},
        {0, 45, 0},   {45, 90, 0}, {-90, 90, 8}, {400, 50, 0}, {90, 270, 14}, {360, 360, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(arcQuadrants(c.start, c.arc), c.quadrants) << c.start << " " << c.arc;
}

TEST(PixelArc, MidpointEllipseOutlineAndFill) {
    PixelTarget fill(7, 5), outline(7, 5), quarter(7, 5);
    fillArc(fill.canvas(), 0, 0, 7, 5, 0, 360, kWhite);
    drawArc(outline.canvas(), 0, 0, 7, 5, 0, 360, kWhite);
    drawArc(quarter.canvas(), 0, 0, 7, 5, 0, 90, kWhite);
    EXPECT_EQ(fill.picture(), rows({"..###..", ".#####.", "#######", ".#####.", "..###.."}));
    EXPECT_EQ(outline.picture(), rows({"..###..", ".#...#.", "#.....#", ".#...#.", "..###.."}));
    EXPECT_EQ(quarter.picture(), rows({"...##..", ".....#.", "......#", ".......", "......."}));
}

TEST(PixelArc, LargeAndNegativeSizesAreHarmless) {
    PixelTarget t(8, 8);
    drawArc(t.canvas(), -4, -4, -3, 20, 0, 360, kWhite);
    fillArc(t.canvas(), INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, 0, 360, kWhite);
    fillArc(t.canvas(), -100, -100, 216, 216, 0, 360, kWhite);  // covers the target
    EXPECT_EQ(t.picture(), rows({"########", "########", "########", "########", "########", "########",
                                 "########", "########"}));
    EXPECT_TRUE(t.guardsIntact());
}

// ---- triangles ----------------------------------------------------------------------------------

TEST(PixelTriangle, SpansFromFixedPointEdges) {
    PixelTarget a(6, 6), b(6, 6);
    fillTriangle(a.canvas(), 0, 0, 4, 0, 0, 4, kWhite);
    fillTriangle(b.canvas(), 0, 4, 0, 0, 4, 0, kWhite);  // any vertex order
    const std::string expected = rows({"####..", "###...", "##....", "#.....", "......", "......"});
    EXPECT_EQ(a.picture(), expected);
    EXPECT_EQ(b.picture(), expected);

    PixelTarget c(7, 5);
    fillTriangle(c.canvas(), 3, 0, 0, 4, 6, 4, kWhite);
    EXPECT_EQ(c.picture(), rows({".......", "..#....", ".###...", "#####..", "######."}));
}

TEST(PixelTriangle, FarVerticesAreCutToTheClip) {
    PixelTarget t(6, 4);
    fillTriangle(t.clipped(1, 1, 5, 3), -1000000, -1000000, 1000000, -1000000, 0, 1000000, kWhite);
    EXPECT_EQ(t.picture(), rows({"......", ".####.", ".####.", "......"}));
    fillTriangle(t.canvas(), INT32_MIN, INT32_MIN, INT32_MAX, INT32_MIN, 0, INT32_MAX, kWhite);
    EXPECT_TRUE(t.guardsIntact());
}

// ---- drawRegion ---------------------------------------------------------------------------------

// An independent reading of the transform table: first destination pixel and the steps per
// source pixel and per source row, for a region of w × h at the anchored top-left (x, y).
struct Placement {
    int64_t fx, fy, px, py, rx, ry;
};
Placement placement(int transform, int64_t x, int64_t y, int64_t w, int64_t h) {
    switch (transform) {
        case 1: return {x, y + h - 1, 1, 0, 0, -1};
        case 2: return {x + w - 1, y, -1, 0, 0, 1};
        case 3: return {x + w - 1, y + h - 1, -1, 0, 0, -1};
        case 4: return {x, y, 0, 1, 1, 0};
        case 5: return {x + h - 1, y, 0, 1, -1, 0};
        case 6: return {x, y + w - 1, 0, -1, 1, 0};
        case 7: return {x + h - 1, y + w - 1, 0, -1, -1, 0};
        default: return {x, y, 1, 0, 0, 1};
    }
}

uint16_t referenceCombine(uint16_t s, uint16_t d, int type) {
    if (type == kRgb565Keyed) return s == kColorKey ? d : s;
    if (type == kArgb4444) {
        int a = (s >> 12) * 17;
        int sr = ((s >> 8) & 15) << 1, sg = ((s >> 4) & 15) << 2, sb = (s & 15) << 1;
        int dr = d >> 11, dg = (d >> 5) & 63, db = d & 31;
        dr += ((sr - dr) * a) >> 8;
        dg += ((sg - dg) * a) >> 8;
        db += ((sb - db) * a) >> 8;
        return static_cast<uint16_t>(dr << 11 | dg << 5 | db);
    }
    return s;
}

// Draws the region pixel by pixel with the table, keeping only what falls inside the clip.
void referenceRegion(PixelTarget& t, const int clip[4], const std::vector<uint16_t>& src, int srcPitch, int type,
                     int sx, int sy, int w, int h, int transform, int x, int y, int anchor) {
    int64_t bw = transform >= 4 ? h : w, bh = transform >= 4 ? w : h;
    int64_t ax = (anchor & 1) ? -(bw / 2) : (anchor & 8) ? -bw : 0;
    int64_t ay = (anchor & 2) ? -(bh / 2) : (anchor & 32) ? -bh : 0;
    Placement p = placement(transform, x + ax, y + ay, w, h);
    for (int v = 0; v < h; ++v)
        for (int u = 0; u < w; ++u) {
            int64_t dx = p.fx + u * p.px + v * p.rx, dy = p.fy + u * p.py + v * p.ry;
            if (dx < clip[0] || dx >= clip[2] || dy < clip[1] || dy >= clip[3]) continue;
            uint16_t& d = t.at(static_cast<int>(dx), static_cast<int>(dy));
            d = referenceCombine(src[std::size_t(sy + v) * srcPitch + sx + u], d, type);
        }
}

TEST(PixelDrawRegion, EveryTransformAndAnchorMatchesTheTableInsideAnyClip) {
    std::mt19937 rng(1234);
    const int sw = 7, sh = 5, pitch = rowPitch(sw);
    std::vector<uint16_t> src(std::size_t(pitch) * sh);
    for (std::size_t i = 0; i < src.size(); ++i) src[i] = static_cast<uint16_t>(i + 1);
    Source source{src.data(), sw, sh, pitch, kRgb565};
    const int anchors[] = {0, 4 | 16, 1 | 16, 8 | 16, 4 | 2, 1 | 2, 8 | 2, 4 | 32, 1 | 32, 8 | 32, 64 | 4};
    for (int i = 0; i < 3000; ++i) {
        int transform = i % 8;
        int anchor = anchors[(i / 8) % std::size(anchors)];
        int x = int(rng() % 40) - 10, y = int(rng() % 36) - 10;
        int rx = int(rng() % sw), ry = int(rng() % sh);
        int w = 1 + int(rng() % (sw - rx)), h = 1 + int(rng() % (sh - ry));
        int clip[4] = {int(rng() % 10), int(rng() % 10), 0, 0};
        clip[2] = clip[0] + int(rng() % 20);
        clip[3] = clip[1] + int(rng() % 16);
        clip[2] = std::min(clip[2], 24);
        clip[3] = std::min(clip[3], 20);

        PixelTarget got(24, 20), want(24, 20);
        uint32_t failed = drawRegion(got.clipped(clip[0], clip[1], clip[2], clip[3]), &source, rx, ry, w, h,
                                     transform, x, y, anchor);
        referenceRegion(want, clip, src, pitch, kRgb565, rx, ry, w, h, transform, x, y, anchor);
        ASSERT_EQ(failed, 0u);
        ASSERT_EQ(got.picture({}), want.picture({})) << "case " << i << " transform " << transform;
        ASSERT_EQ(std::vector<uint16_t>(got.pixels(), got.pixels() + 24 * 20),
                  std::vector<uint16_t>(want.pixels(), want.pixels() + 24 * 20))
            << "case " << i << " transform " << transform << " anchor " << anchor;
        ASSERT_TRUE(got.guardsIntact());
    }
}

TEST(PixelDrawRegion, KeyedAndTranslucentSourcesOverWideRows) {
    // Wide enough for the eight-pixel paths, with tails, every transform.
    std::mt19937 rng(99);
    const int sw = 37, sh = 21, pitch = rowPitch(sw);
    for (int type : {kRgb565, kRgb565Keyed, kArgb4444}) {
        std::vector<uint16_t> src(std::size_t(pitch) * sh);
        for (auto& p : src) p = static_cast<uint16_t>(rng());
        if (type == kRgb565Keyed)
            for (std::size_t i = 0; i < src.size(); i += 1 + rng() % 3) src[i] = kColorKey;
        if (type == kArgb4444)
            for (int i = 0; i < 16; ++i) src[i] &= 0x0FFF;  // a run of fully transparent pixels
        Source source{src.data(), sw, sh, pitch, type};
        for (int transform = 0; transform < 8; ++transform) {
            PixelTarget got(64, 48), want(64, 48);
            for (int y = 0; y < 48; ++y)
                for (int x = 0; x < 64; ++x) got.at(x, y) = want.at(x, y) = static_cast<uint16_t>(x * 977 + y * 131);
            const int clip[4] = {2, 1, 61, 47};
            drawRegion(got.clipped(2, 1, 61, 47), &source, 1, 2, 35, 19, transform, 26, 22, 1 | 2);
            referenceRegion(want, clip, src, pitch, type, 1, 2, 35, 19, transform, 26, 22, 1 | 2);
            ASSERT_EQ(std::vector<uint16_t>(got.pixels(), got.pixels() + 64 * 48),
                      std::vector<uint16_t>(want.pixels(), want.pixels() + 64 * 48))
                << "type " << type << " transform " << transform;
        }
    }
}

TEST(PixelDrawRegion, TranslucentPixelValues) {
    const uint16_t src[2] = {0xFF00, 0x8F00};  // opaque red; red at alpha 8
    Source source{src, 2, 1, 2, kArgb4444};
    PixelTarget t(2, 1, 0x0000);
    drawRegion(t.canvas(), &source, 0, 0, 2, 1, 0, 0, 0, 0);
    // a = 255 is not quite opaque: red 15 sits at the top of the field (30), 30 × 255 >> 8 = 29.
    EXPECT_EQ(t.at(0, 0), 29 << 11);
    // 0x8F00: a = 136, red 30 × 136 >> 8 = 15.
    EXPECT_EQ(t.at(1, 0), 15 << 11);
}

TEST(PixelDrawRegion, RotatedRegionSwapsItsSize) {
    std::vector<uint16_t> src(10 * 20, 0xFFFF);
    Source source{src.data(), 10, 20, 10, kRgb565};
    PixelTarget t(30, 30);
    drawRegion(t.canvas(), &source, 0, 0, 10, 20, kTransRot90, 0, 0, kTop | kLeft);
    int count = 0, maxX = 0, maxY = 0;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 30; ++x)
            if (t.at(x, y)) ++count, maxX = std::max(maxX, x), maxY = std::max(maxY, y);
    EXPECT_EQ(count, 200);
    EXPECT_EQ(maxX, 19);
    EXPECT_EQ(maxY, 9);
}

TEST(PixelDrawRegion, LeftCutOfAMirrorLosesTheRightmostSourceColumns) {
    const uint16_t src[4] = {1, 2, 3, 4};
    Source source{src, 4, 1, 4, kRgb565};
    PixelTarget t(4, 1);
    drawRegion(t.canvas(), &source, 0, 0, 4, 1, kTransMirror, -1, 0, 0);
    EXPECT_EQ(t.at(0, 0), 3);
    EXPECT_EQ(t.at(1, 0), 2);
    EXPECT_EQ(t.at(2, 0), 1);
    EXPECT_EQ(t.at(3, 0), 0);
}

TEST(PixelDrawRegion, FailedChecksReadOnlyInsideTheSource) {
    // A 4 × 2 source in a store exactly its size: any read beyond it is caught by the sanitizer.
    std::vector<uint16_t> src = {1, 2, 3, 4, 5, 6, 7, 8};
    Source source{src.data(), 4, 2, 4, kRgb565};
    struct Case {
        const char* name;
        int sx, sy, w, h, transform;
        uint32_t failed;
        std::vector<uint16_t> row0;
    } cases[] = {
        {"beyond right", 2, 0, 4, 1, 0, kCheckXSrc, {3, 4, 0, 0, 0, 0}},
        {"beyond right, mirrored", 2, 0, 4, 1, 2, kCheckXSrc, {0, 0, 4, 3, 0, 0}},
        {"left of the source", -1, 0, 3, 1, 0, kCheckXSrc, {0, 1, 2, 0, 0, 0}},
        {"below", 0, 1, 2, 3, 0, kCheckYSrc, {5, 6, 0, 0, 0, 0}},
        {"wholly outside", 9, 9, 2, 2, 0, kCheckXSrc | kCheckYSrc, {0, 0, 0, 0, 0, 0}},
        {"unknown transform", 0, 0, 2, 1, 9, kCheckTransform, {1, 2, 0, 0, 0, 0}},
        {"negative transform", 0, 0, 2, 1, -1, kCheckTransform, {1, 2, 0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        PixelTarget t(6, 3);
        EXPECT_EQ(drawRegion(t.canvas(), &source, c.sx, c.sy, c.w, c.h, c.transform, 0, 0, 0), c.failed) << c.name;
        EXPECT_EQ(std::vector<uint16_t>(t.pixels(), t.pixels() + 6), c.row0) << c.name;
        EXPECT_TRUE(t.guardsIntact());
    }
    PixelTarget t(6, 3);
    EXPECT_EQ(drawRegion(t.canvas(), nullptr, 0, 0, 2, 2, 0, 0, 0, 0), kCheckSource | kCheckXSrc | kCheckYSrc);
    Source bytes{src.data(), 4, 2, 4, kIndexed8};
    EXPECT_EQ(drawRegion(t.canvas(), &bytes, 0, 0, 2, 2, 0, 0, 0, 0), kCheckPixelType);
    EXPECT_EQ(t.picture({}), rows({"......", "......", "......"}));
    // A region clipped away entirely checks nothing.
    EXPECT_EQ(drawRegion(t.canvas(), nullptr, 0, 0, 2, 2, 0, 100, 0, 0), 0u);
}

// ---- drawRGB ------------------------------------------------------------------------------------

TEST(PixelDrawRGB, OpaqueAlphaAndArgb4444Targets) {
    const int32_t rgb[4] = {int32_t(0x80FF0000), int32_t(0x00FFFFFF), int32_t(0xFF00FF00), 0x12345678};
    PixelTarget plain(4, 1, 0x0000), alpha(4, 1, 0x0000), argb(4, 1, 0x0000);
    EXPECT_TRUE(drawRGB(plain.canvas(), rgb, 4, 0, 4, 0, 0, 4, 1, false));
    EXPECT_TRUE(drawRGB(alpha.canvas(), rgb, 4, 0, 4, 0, 0, 4, 1, true));
    EXPECT_TRUE(drawRGB(argb.canvas(kArgb4444), rgb, 4, 0, 4, 0, 0, 4, 1, true));
    EXPECT_EQ(std::vector<uint16_t>(plain.pixels(), plain.pixels() + 4),
              (std::vector<uint16_t>{0xF800, 0xFFFF, 0x07E0, argbToRgb565(0x12345678)}));
    // Half red over black; alpha 0 leaves the pixel; 0x12 blends a little.
    EXPECT_EQ(std::vector<uint16_t>(alpha.pixels(), alpha.pixels() + 4),
              (std::vector<uint16_t>{0x7800, 0x0000, 0x07E0, blend565(0, argbToRgb565(0x12345678), 0x12)}));
    EXPECT_EQ(std::vector<uint16_t>(argb.pixels(), argb.pixels() + 4),
              (std::vector<uint16_t>{0x8F00, 0x0FFF, 0xF0F0, 0x1357}));
}

TEST(PixelDrawRGB, ClippingMovesTheSourceIndex) {
    // 3 × 3 source rows of scan length 4 (the fourth column unused), drawn at (-1, -1).
    std::vector<int32_t> rgb(12);
    for (int i = 0; i < 12; ++i) rgb[i] = int32_t(0xFF000000 | (i * 8) << 16);
    PixelTarget t(2, 2);
    EXPECT_TRUE(drawRGB(t.canvas(), rgb.data(), 12, 0, 4, -1, -1, 3, 3, false));
    EXPECT_EQ(t.at(0, 0), argbToRgb565(uint32_t(rgb[5])));
    EXPECT_EQ(t.at(1, 0), argbToRgb565(uint32_t(rgb[6])));
    EXPECT_EQ(t.at(0, 1), argbToRgb565(uint32_t(rgb[9])));
    EXPECT_EQ(t.at(1, 1), argbToRgb565(uint32_t(rgb[10])));
}

TEST(PixelDrawRGB, ReadsNothingOutsideTheArray) {
    std::vector<int32_t> rgb(6, int32_t(0xFFFFFFFF));
    struct Case {
        int offset, scan, x, y, w, h;
        bool ok;
    } cases[] = {
        {0, 3, 0, 0, 3, 2, true},
        {0, -3, 0, 0, 3, 1, true},
        {3, -3, 0, 0, 3, 2, true},   // bottom-up rows
        {1, 3, 0, 0, 3, 2, false},   // last pixel one beyond
        {-1, 3, 0, 0, 3, 1, false},
        {0, 3, 0, 0, 3, 3, false},
        {0, -3, 0, 0, 3, 2, false},
        {100, 3, 50, 0, 3, 2, true},  // clipped away: nothing read, nothing checked
        {0, INT32_MAX, 0, 0, 1, 2, false},
    };
    for (const Case& c : cases) {
        PixelTarget t(4, 3);
        EXPECT_EQ(drawRGB(t.canvas(), rgb.data(), 6, c.offset, c.scan, c.x, c.y, c.w, c.h, false), c.ok)
            << c.offset << " " << c.scan;
        if (!c.ok) {
            EXPECT_EQ(t.picture(), rows({"....", "....", "...."}));
        }
    }
}

// ---- masks and keys -----------------------------------------------------------------------------

TEST(PixelMask, CopiesOnlyInkAndStaysInsideTheTarget) {
    const uint8_t mask[9] = {1, 1, 1, 1, 0, 1, 1, 1, 1};
    PixelTarget t(4, 3);
    copyMask(t.clipped(0, 0, 1, 1), mask, 3, 3, -1, 1, 0xFFFF);  // the clip does not apply
    copyMask(t.canvas(), mask, 3, 3, 3, -2, 0xFFFF);
    copyMask(t.canvas(), mask, 3, 3, 100, 100, 0xFFFF);
    copyMask(t.canvas(), mask, 3, 3, INT32_MIN, INT32_MAX, 0xFFFF);
    EXPECT_EQ(t.picture(), rows({"...#", "##..", ".#.."}));
    EXPECT_TRUE(t.guardsIntact());
}

TEST(PixelKey, FoundOnlyInsideTheRows) {
    std::vector<uint16_t> px = {1, 2, kColorKey, 4, 5, 6};  // width 2, pitch 3: the key is padding
    EXPECT_FALSE(containsColorKey(px.data(), 2, 2, 3));
    px[4] = kColorKey;
    EXPECT_TRUE(containsColorKey(px.data(), 2, 2, 3));
}

}  // namespace
