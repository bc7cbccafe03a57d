#include <gtest/gtest.h>

#include "platform/graphics/pixels.h"
#include "tests/framework/framework_fixture.h"

namespace {

using namespace formats;
using Image = javax_microedition_lcdui_Image;
using Graphics = javax_microedition_lcdui_Graphics;
using Pixels = std::vector<uint32_t>;

class SpriteEffects : public mrc::test::FrameworkTest {
protected:
    void SetUp() override {
        FrameworkTest::SetUp();
        makeEffectParams();
        s_picture = nullptr;
        statics()->addRoot(&s_picture);
        gameHooks().offScreenImage = [] { return s_picture; };
    }

    static IntArray* pixels(const Pixels& values) {
        std::vector<uint32_t> v(values.begin(), values.end());
        return ints(v);
    }
    static Pixels valuesOf(IntArray* a, int32_t n) {
        if (!a) return {};
        return Pixels(reinterpret_cast<uint32_t*>(a->elements()), reinterpret_cast<uint32_t*>(a->elements()) + n);
    }
    // `values` in the effect buffer itself, as the painter hands over a result of one effect to the next.
    static IntArray* inEffectBuffer(const Pixels& values) {
        IntArray* buffer = ASprite::effectBuffer();
        std::copy(values.begin(), values.end(), reinterpret_cast<uint32_t*>(buffer->elements()));
        return buffer;
    }
    static uint32_t add(uint32_t s, uint32_t d, int32_t level) {
        IntArray* src = pixels({s});
        IntArray* dst = pixels({d});
        GameBase::blendRowAdd(src, 0, dst, 0, 1, level);
        return uint32_t(dst->elements()[0]);
    }

    static inline Image* s_picture;
};

TEST_F(SpriteEffects, ScalingPicksTheNearestSourcePixels) {
    IntArray* src = pixels({1, 2, 3, 4, 5, 6, 7, 8});  // 4 × 2
    setEffectParam(0, 0, 50);
    setEffectParam(0, 1, -1);
    EXPECT_EQ(GameBase::getPaintScalePercent(), 50);
    IntArray* out = GameBase::scalePixels(src, 4, 2);
    EXPECT_EQ(out, ASprite::statics.effectPixelBuffer);
    EXPECT_EQ(valuesOf(out, 2), (Pixels{1, 3}));

    setEffectParam(0, 0, 150);
    EXPECT_EQ(valuesOf(GameBase::scalePixels(src, 4, 2), 18),
              (Pixels{1, 1, 2, 3, 3, 4, 1, 1, 2, 3, 3, 4, 5, 5, 6, 7, 7, 8}));  // 6 × 3

    // The mask keeps only the alpha bits it has; pixels beyond a short source come out as the mask.
    setEffectParam(0, 0, 100);
    setEffectParam(0, 1, 0x80);
    IntArray* shortSource = pixels({0xFF112233, 0x7F445566, 0xFFFFFFFF});
    EXPECT_EQ(valuesOf(GameBase::scalePixels(shortSource, 2, 2), 4), (Pixels{0x80112233, 0x00445566, 0x80FFFFFF,
                                                                              0x80000000}));

    setEffectParam(0, 0, -20);
    EXPECT_EQ(GameBase::getPaintScalePercent(), 0);
    IntArray* buffer = ASprite::statics.effectPixelBuffer;
    buffer->elements()[0] = 99;
    EXPECT_EQ(GameBase::scalePixels(src, 4, 2), buffer);
    EXPECT_EQ(buffer->elements()[0], 99) << "nothing to draw: the buffer unwritten";

    // Sides whose product overflows: refused, not taken for a size that fits.
    host::LogCapture log;
    setEffectParam(0, 0, 1500000000);
    EXPECT_EQ(GameBase::scalePixels(src, 255, 200), nullptr);
    EXPECT_TRUE(log.contains("do not fit the effect buffer"));
}

TEST_F(SpriteEffects, ScalingUpTheEffectBufferItselfKeepsItsInput) {
    setEffectParam(0, 0, 200);
    setEffectParam(0, 1, -1);
    Pixels source = {1, 2, 3, 4, 5, 6};  // 3 × 2
    Pixels expected = valuesOf(GameBase::scalePixels(pixels(source), 3, 2), 24);
    EXPECT_EQ(expected, (Pixels{1, 1, 2, 2, 3, 3, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6, 4, 4, 5, 5, 6, 6}));
    EXPECT_EQ(valuesOf(GameBase::scalePixels(inEffectBuffer(source), 3, 2), 24), expected);
}

TEST_F(SpriteEffects, UniformAlpha) {
    struct Case {
        int32_t percent;
        uint32_t alpha;
    } cases[] = {{150, 0xFF}, {100, 0xFF}, {50, 0x7F}, {0, 0}, {-5, 0}};
    for (const Case& c : cases) {
        setEffectParam(1, 0, c.percent);
        Pixels out = valuesOf(GameBase::applyAlphaToPixels(pixels({0xFF123456, 0x00ABCDEF}), 2, 1), 2);
        EXPECT_EQ(out, (Pixels{c.alpha << 24 | 0x123456, c.alpha << 24 | 0xABCDEF})) << c.percent;
    }
}

TEST_F(SpriteEffects, GreyFromTheRedChannelMirroredInOrInPlace) {
    Pixels source = {0xFFFF0000, 0x80400000, 0x00FF00FF, 0xFFFF00FF, 0xFF00FF00, 0xFF102030};  // 3 × 2
    Pixels grey = {0xFFFFFFFF, 0xFF404040, 0x00FFFFFF, 0x00FFFFFF, 0xFF000000, 0xFF101010};
    for (int32_t flags : {0, 1, 2, 3, 4}) {
        SCOPED_TRACE(flags);
        Pixels expected(6);
        for (int32_t y = 0; y < 2; ++y)
            for (int32_t x = 0; x < 3; ++x) {
                int32_t sx = (flags & 1) ? 2 - x : x, sy = (flags & 2) ? 1 - y : y;
                expected[std::size_t(y * 3 + x)] = grey[std::size_t(sy * 3 + sx)];
            }
        EXPECT_EQ(valuesOf(GameBase::grayscalePixels(pixels(source), 3, 2, flags), 6), expected);
        EXPECT_EQ(valuesOf(GameBase::grayscalePixels(inEffectBuffer(source), 3, 2, flags), 6), expected);
    }
}

TEST_F(SpriteEffects, EffectsThatCannotHoldTheirResult) {
    setEffectParam(0, 0, 300);
    log.clear();
    EXPECT_EQ(GameBase::scalePixels(pixels(Pixels(255 * 100, 1)), 255, 100), nullptr);
    EXPECT_TRUE(log.contains("do not fit the effect buffer"));
    EXPECT_EQ(GameBase::grayscalePixels(pixels({1, 2}), 2, 2, 0), nullptr) << "a source shorter than w × h";
    EXPECT_TRUE(pending(mrc::kClass_java_lang_ArrayIndexOutOfBoundsException));
    app()->clearPendingException();
    EXPECT_EQ(GameBase::applyAlphaToPixels(nullptr, 2, 2), nullptr);
    EXPECT_TRUE(log.contains("NullPointer"));
}

TEST_F(SpriteEffects, AdditiveAndMultiplicativePixels) {
    EXPECT_EQ(add(0x00808080, 0x00808080, 0), 0x00FFFFFFu);
    EXPECT_EQ(add(0x00000000, 0xFF123456, 0), 0x00123456u) << "the destination's alpha becomes 0";
    EXPECT_EQ(add(0xFF102030, 0x00000000, 16), 0x00202020u) << "the level moves blue into red";
    EXPECT_EQ(add(0xFF102030, 0x00000000, 250), 0x00FF2000u);
    EXPECT_EQ(add(0xFF102000, 0x00000000, 16), 0x00102000u) << "no blue: the level does nothing";
    EXPECT_EQ(add(0xFF000030, 0x00000000, 16), 0x00000030u) << "no red or green: the level does nothing";

    IntArray* dst = pixels({0xFF804020, 0x00FFFFFF});
    GameBase::blendRowMultiply(pixels({0x00402010, 0xFFFFFFFF}), 0, dst, 0, 2);
    EXPECT_EQ(valuesOf(dst, 2), (Pixels{0x00FF6028, 0x00FFFFFF}));
}

TEST_F(SpriteEffects, RowAndColumnBlenders) {
    IntArray* src = pixels({1, 2, 3, 4, 5, 6});  // 3 × 2
    IntArray* dst = pixels(Pixels(8, 0));
    EXPECT_EQ(GameBase::blendRowAdd(src, 3, dst, 1, 3, 0), 4);
    EXPECT_EQ(GameBase::blendRowAddReversed(src, 0, dst, 4, 3, 0), 7);
    EXPECT_EQ(valuesOf(dst, 8), (Pixels{0, 4, 5, 6, 3, 2, 1, 0}));

    dst = pixels(Pixels(4, 0));
    EXPECT_EQ(GameBase::blendColumnAddUp(src, 5, dst, 0, 2, 3, 0), 2);
    EXPECT_EQ(GameBase::blendColumnAddDown(src, 0, dst, 2, 2, 3, 0), 4);
    EXPECT_EQ(valuesOf(dst, 4), (Pixels{6, 3, 1, 4}));

    // Pixels outside either array are left alone; the index moves on as if written.
    dst = pixels(Pixels(2, 0));
    EXPECT_EQ(GameBase::blendRowAdd(src, 4, dst, 1, 4, 0), 5);
    EXPECT_EQ(valuesOf(dst, 2), (Pixels{0, 5}));
    EXPECT_EQ(GameBase::blendColumnAddUp(src, 1, dst, 0, 3, 3, 0), 3);
    EXPECT_EQ(valuesOf(dst, 2), (Pixels{2, 5}));
}

// The blend against the off-screen picture, checked against the walk the routine defines.
class ScreenBlends : public SpriteEffects {
protected:
    static constexpr int32_t kW = 3, kH = 2;
    static inline const Pixels kModule = {0x00100000, 0x00001000, 0x00000010, 0x00200000, 0x00002000, 0x00000020};

    void SetUp() override {
        SpriteEffects::SetUp();
        s_picture = Image::createBlankImage(12, 10);
        uint16_t* px = s_picture->pixels16();
        for (int32_t i = 0; i < 12 * 10; ++i) px[i] = static_cast<uint16_t>(0x0841 * (i % 7) + 0x1000 * (i % 3));
        m_target = Image::createBlankImage(12, 10);
    }
    // Area pixel (c, r) of the module drawn at (x, y): the picture under it plus its module pixel.
    uint16_t expected(int32_t x, int32_t y, int32_t c, int32_t r, int32_t flags) const {
        int32_t mx, my;
        if (!(flags & 4)) {
            my = (flags & 2) ? kH - 1 - r : r;
            mx = (flags & 1) ? kW - 1 - c : c;
        } else {
            mx = (flags & 1) ? kW - 1 - r : r;
            my = (flags & 2) ? c : kH - 1 - c;
        }
        uint32_t under = mrc::gfx::rgb565ToArgb(s_picture->pixels16()[(y + r) * 12 + x + c]);
        return mrc::gfx::argbToRgb565(addPixel(kModule[std::size_t(my * kW + mx)], under));
    }
    static uint32_t addPixel(uint32_t s, uint32_t d) {
        uint32_t out = 0;
        for (int shift = 0; shift <= 16; shift += 8)
            out |= std::min(((d >> shift) & 0xFF) + ((s >> shift) & 0xFF), 0xFFu) << shift;
        return out;
    }
    Image* m_target = nullptr;
};

TEST_F(ScreenBlends, EveryWalkAddsTheRightModulePixel) {
    GameBase::statics.paintEffectFlags = 0x0010;
    for (int32_t flags : {0, 1, 2, 3, 4, 5, 6, 7}) {
        SCOPED_TRACE(flags);
        Graphics* g = Graphics::newGraphics(m_target);
        GameBase::blendModuleOntoScreen(g, 4, 3, pixels(kModule), kW, kH, flags);
        int32_t aw = (flags & 4) ? kH : kW, ah = (flags & 4) ? kW : kH;
        std::vector<uint16_t> px = pixelsOf(m_target);
        for (int32_t r = 0; r < ah; ++r)
            for (int32_t c = 0; c < aw; ++c)
                EXPECT_EQ(px[std::size_t((3 + r) * 12 + 4 + c)], expected(4, 3, c, r, flags)) << c << "," << r;
    }
}

TEST_F(ScreenBlends, TheClipCutsTheReadAndTheDraw) {
    GameBase::statics.paintEffectFlags = 0x0010;
    for (int32_t flags : {0, 4}) {
        SCOPED_TRACE(flags);
        m_target = Image::createBlankImage(12, 10);
        Graphics* g = Graphics::newGraphics(m_target);
        g->setClip(5, 4, 7, 6);  // cuts the area's first column and first row
        GameBase::blendModuleOntoScreen(g, 4, 3, pixels(kModule), kW, kH, flags);
        int32_t aw = (flags & 4) ? kH : kW, ah = (flags & 4) ? kW : kH;
        std::vector<uint16_t> px = pixelsOf(m_target);
        for (int32_t r = 0; r < ah; ++r)
            for (int32_t c = 0; c < aw; ++c)
                EXPECT_EQ(px[std::size_t((3 + r) * 12 + 4 + c)], r == 0 || c == 0 ? 0 : expected(4, 3, c, r, flags))
                    << c << "," << r;
    }
}

TEST_F(ScreenBlends, AModuleInTheEffectBufferIsSetAsideBeforeTheScreenRead) {
    GameBase::statics.paintEffectFlags = 0x0030;
    Graphics* g = Graphics::newGraphics(m_target);
    GameBase::blendModuleOntoScreen(g, 4, 3, pixels(kModule), kW, kH, 1);
    std::vector<uint16_t> fromArray = pixelsOf(m_target);
    m_target = Image::createBlankImage(12, 10);
    g = Graphics::newGraphics(m_target);
    GameBase::blendModuleOntoScreen(g, 4, 3, inEffectBuffer(kModule), kW, kH, 1);
    EXPECT_EQ(pixelsOf(m_target), fromArray);
}

TEST_F(ScreenBlends, MultiplyingFollowsTheColumnOfAQuarterTurn) {
    GameBase::statics.paintEffectFlags = 0x0020;
    Graphics* g = Graphics::newGraphics(m_target);
    // Read as rows from the last column, the walk would leave the module.
    GameBase::blendModuleOntoScreen(g, 0, 0, pixels(kModule), kW, kH, 5);
    EXPECT_FALSE(app()->getPendingException());
    std::vector<uint16_t> px = pixelsOf(m_target);
    uint32_t under = mrc::gfx::rgb565ToArgb(s_picture->pixels16()[0]);
    uint32_t module = kModule[std::size_t(1 * kW + 2)];  // last column, read upward: bottom first
    uint32_t product = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        uint32_t c = (under >> shift) & 0xFF, k = (module >> shift) & 0xFF;
        product |= std::min(c + ((c * k) >> 6), 255u) << shift;
    }
    EXPECT_EQ(px[0], mrc::gfx::argbToRgb565(product));
}

TEST_F(ScreenBlends, WithoutThePictureNothingIsDrawn) {
    s_picture = nullptr;
    GameBase::statics.paintEffectFlags = 0x0010;
    log.clear();
    GameBase::blendModuleOntoScreen(Graphics::newGraphics(m_target), 0, 0, pixels(kModule), kW, kH, 0);
    EXPECT_TRUE(log.contains("NullPointer"));
    EXPECT_EQ(pixelsOf(m_target), std::vector<uint16_t>(120, 0));
}

// The painter's pixel routes: effects applied one after the other in the buffer.
TEST_F(SpriteEffects, ThePainterChainsTheEffects) {
    SpriteData d;
    d.modules = {{ModuleKind::Image, 2, 2, 0, 0, 0, {1, 2, 3, 0}, std::nullopt}};
    d.frames = {{{{0, 0, 0, 0}}, {}, std::nullopt}};
    d.palettes = {{0xFFFF00FF, 0xFF800000, 0xFF400000, 0xFF200000}};
    ASprite* s = newSprite(d);
    s->buildModuleCache(0, 0, -1, -1, -1, ASprite::kCachePixels);
    Image* target = Image::createBlankImage(8, 8);
    ASprite::setGraphics(target->getGraphics());

    // Scaled to 4 × 4, half transparent, grey and mirrored.
    GameBase::statics.paintEffectFlags = 0x0001 | 0x0002 | 0x1000;
    setEffectParam(0, 0, 200);
    setEffectParam(0, 1, -1);
    setEffectParam(1, 0, 100);
    s->drawModule(0, 1, 1, ASprite::kFlipX);
    EXPECT_TRUE(s->hasAlpha);
    std::vector<uint16_t> px = pixelsOf(target);
    auto at = [&](int32_t x, int32_t y) { return px[std::size_t(y * 8 + x)]; };
    uint16_t g80 = mrc::gfx::argbToRgb565(0xFF808080), g40 = mrc::gfx::argbToRgb565(0xFF404040),
             g20 = mrc::gfx::argbToRgb565(0xFF202020);
    EXPECT_EQ(at(1, 1), g40) << "mirrored: the right column first";
    EXPECT_EQ(at(4, 1), g80);
    EXPECT_EQ(at(1, 4), 0) << "the key colour stays see-through";
    EXPECT_EQ(at(4, 4), g20);
    EXPECT_EQ(at(5, 1), 0) << "4 × 4 only";

    // An image-cached module turns grey through its pixels, mirrored the same way.
    ASprite* t = newSprite(d);
    t->buildModuleCache(0, 0, -1, -1, -1, ASprite::kCacheImages);
    target = Image::createBlankImage(8, 8);
    ASprite::setGraphics(target->getGraphics());
    GameBase::statics.paintEffectFlags = 0x1000;
    t->drawModule(0, 0, 0, ASprite::kFlipX | ASprite::kFlipY);
    px = pixelsOf(target);
    // Read back from a 16-bit image, each red comes back through RGB565.
    auto greyVia565 = [](uint32_t c) {
        uint32_t r = (mrc::gfx::rgb565ToArgb(mrc::gfx::argbToRgb565(c)) >> 16) & 0xFF;
        return mrc::gfx::argbToRgb565(0xFF000000u | r << 16 | r << 8 | r);
    };
    EXPECT_EQ(at(0, 0), 0);
    EXPECT_EQ(at(1, 0), greyVia565(0xFF200000));
    EXPECT_EQ(at(0, 1), greyVia565(0xFF400000));
    EXPECT_EQ(at(1, 1), greyVia565(0xFF800000));
}

}  // namespace
