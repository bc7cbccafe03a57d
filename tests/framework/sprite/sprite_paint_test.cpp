#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <string>

#include "platform/graphics/pixels.h"
#include "tests/framework/framework_fixture.h"

namespace {

using namespace formats;
using Image = javax_microedition_lcdui_Image;
using Graphics = javax_microedition_lcdui_Graphics;

constexpr uint16_t kBackground = 0x4208;

// Module indices of the painting sprite.
enum : int32_t {
    kPicture = 0,   // 4 × 3, twelve distinct opaque colours
    kShadow = 1,    // 3 × 2: see-through, translucent black, black
    kMarker = 2,    // outline 0xFF00FF
    kGradient = 3,  // filled 0xFF01FF
    kParticle = 4,  // outline 0x00FF00
    kFilled = 5,    // filled 0x336699, 6 × 2
    kOutline = 6,   // outline 0x112233, 5 × 4
    kTall = 7,      // 16 × 8
};

class SpritePainting : public mrc::test::FrameworkTest {
protected:
    void SetUp() override {
        FrameworkTest::SetUp();
        s_calls.clear();
    }

    static SpriteData paintSprite() {
        SpriteData d;
        SpriteModule picture{ModuleKind::Image, 4, 3, 0, 0, 0, {}, std::nullopt};
        for (uint8_t i = 0; i < 12; ++i) picture.indices.push_back(static_cast<uint8_t>(3 + i));
        d.modules = {
            picture,
            {ModuleKind::Image, 3, 2, 0, 0, 0, {0, 1, 2, 2, 1, 0}, std::nullopt},
            {ModuleKind::Outline, 4, 4, 0, 0, 0xFF00FF, {}, std::nullopt},
            {ModuleKind::Filled, 4, 4, 0, 0, 0xFF01FF, {}, std::nullopt},
            {ModuleKind::Outline, 2, 2, 0, 0, 0x00FF00, {}, std::nullopt},
            {ModuleKind::Filled, 6, 2, 0, 0, 0x336699, {}, std::nullopt},
            {ModuleKind::Outline, 5, 4, 0, 0, 0x112233, {}, std::nullopt},
            {ModuleKind::Image, 16, 8, 0, 0, 0, std::vector<uint8_t>(128, 3), std::nullopt},
        };
        // Frame 0: the picture, the shadow over its corner, a filled bar; frame 1: one module
        // at (10, 5), set by the tests; frame 2: frame 0 nested at (20, 1); frame 3: itself.
        d.frames = {
            {{{kPicture, 2, 1, 0}, {kShadow, 4, 3, 0}, {kFilled, -3, 6, 0}}, {}, std::nullopt},
            {{{kPicture, 10, 5, 0}}, {}, std::nullopt},
            {{{0, 20, 1, 0x10}}, {}, std::nullopt},
            {{{3, 1, 1, 0x10}}, {}, std::nullopt},
        };
        d.animations = {{{0, 1, 7, -2, 0}, {1, 1, 0, 0, 0x01}}};
        std::vector<uint32_t> palette = {0x00000000, 0x88000000, 0xFF000000};
        std::vector<uint32_t> other = {0x00000000, 0x88000000, 0xFF000000};
        for (uint32_t i = 0; i < 13; ++i) {
            palette.push_back(0xFF000000u | (i * 15 + 40) << 16 | (200 - i * 13) << 8 | (i * 7 + 60));
            other.push_back(0xFF000000u | (i * 11 + 90) << 16 | (i * 17) << 8 | (250 - i * 9));
        }
        d.palettes = {palette, other};
        return d;
    }

    static Image* screen(int32_t w, int32_t h) {
        Image* image = Image::createBlankImage(w, h);
        Graphics* g = image->getGraphics();
        g->setColor(static_cast<int32_t>(mrc::gfx::rgb565ToArgb(kBackground)));
        g->fillRect(0, 0, w, h);
        ASprite::setGraphics(g);
        return image;
    }
    static std::array<int32_t, 4> measureFrame(ASprite* s, int32_t frame, int32_t x, int32_t y, int32_t flags) {
        IntArray* out = om()->newIntArray(4);
        GameBase::getFrameRect(s, out, frame, x, y, flags);
        return {out->elements()[0], out->elements()[1], out->elements()[2], out->elements()[3]};
    }
    static void setFrameModule(ASprite* s, int32_t j, int32_t module, int32_t x, int32_t y, int32_t flags) {
        s->fmModule->elements()[j] = static_cast<int8_t>(module);
        s->fmOffsetX->elements()[j] = static_cast<int16_t>(x);
        s->fmOffsetY->elements()[j] = static_cast<int16_t>(y);
        s->fmFlags->elements()[j] = static_cast<int8_t>(flags);
    }

    std::size_t logCount(const std::string& needle) const {
        std::vector<std::string> lines = log.lines();
        return std::size_t(std::count_if(lines.begin(), lines.end(),
                                         [&](const std::string& l) { return l.find(needle) != std::string::npos; }));
    }
    static std::vector<uint8_t> hexBytes(const std::string& hex) {
        std::vector<uint8_t> out;
        for (std::size_t i = 0; i + 1 < hex.size(); i += 2) out.push_back(uint8_t(std::stoi(hex.substr(i, 2), nullptr, 16)));
        return out;
    }

    static inline std::vector<std::string> s_calls;
};

TEST_F(SpritePainting, CacheModesOneTwoAndFourPaintTheSamePixels) {
    std::vector<uint8_t> file = spriteFile(paintSprite());
    for (int32_t palette : {0, 1}) {
        std::vector<std::vector<uint16_t>> results;
        for (int32_t mode : {ASprite::kCacheNone, ASprite::kCacheImages, ASprite::kCachePixels}) {
            SCOPED_TRACE(testing::Message() << "palette " << palette << ", mode " << mode);
            ASprite* s = mrc::newObject<ASprite>();
            ASSERT_TRUE(s->load(bytes(file), 0));
            if (mode != ASprite::kCacheNone) {
                s->buildModuleCache(palette, 0, -1, -1, -1, mode);
                s->releasePixelData();
            }
            s->setPalette(palette);
            Image* target = screen(40, 30);
            ASprite::statics.currentGraphics->setClip(3, 0, 30, 14);
            s->paintFrame(0, 1, 2, 0);
            s->paintFrame(0, 20, 8, 0);  // cut by the clip
            s->paintAFrame(0, 0, 5, 15, 0);
            results.push_back(pixelsOf(target));
        }
        EXPECT_EQ(results[0], results[1]);
        EXPECT_EQ(results[0], results[2]);
        EXPECT_NE(std::count(results[0].begin(), results[0].end(), kBackground), 0);
    }
}

TEST_F(SpritePainting, FlipsAndQuarterTurnsPlaceTheModule) {
    ASprite* s = newSprite(paintSprite());
    s->buildModuleCache(0, 0, -1, -1, -1, ASprite::kCacheImages);
    // The picture (4 × 3) at offset (10, 5) of frame 1, painted at (100, 50).
    struct Case {
        int32_t moduleFlags, paintFlags;
        std::array<int32_t, 4> box;  // x, y, w, h
    } cases[] = {
        {0, 0, {110, 55, 4, 3}},    {0, 1, {86, 55, 4, 3}},     {0, 2, {110, 42, 4, 3}},    {0, 3, {86, 42, 4, 3}},
        {0, 4, {105, 60, 3, 4}},    {0, 5, {105, 36, 3, 4}},    {0, 6, {92, 60, 3, 4}},     {0, 7, {92, 36, 3, 4}},
        {4, 0, {110, 55, 3, 4}},    {4, 1, {87, 55, 3, 4}},     {4, 2, {110, 41, 3, 4}},    {4, 3, {86, 42, 3, 4}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "module flags " << c.moduleFlags << ", paint flags " << c.paintFlags);
        setFrameModule(s, 3, kPicture, 10, 5, c.moduleFlags);
        Image* target = screen(160, 100);
        s->paintFrame(1, 100, 50, c.paintFlags);
        EXPECT_EQ(inkBox(target, kBackground), c.box);
        auto m = measureFrame(s, 1, 100, 50, c.paintFlags);
        EXPECT_EQ(m, (std::array<int32_t, 4>{c.box[0], c.box[1], c.box[0] + c.box[2], c.box[1] + c.box[3]}));
    }
}

TEST_F(SpritePainting, MirroringTurnsTheImage) {
    ASprite* s = newSprite(paintSprite());
    s->buildModuleCache(0, 0, -1, -1, -1, ASprite::kCacheImages);
    setFrameModule(s, 3, kPicture, 0, 0, 0);
    uint16_t first = mrc::gfx::argbToRgb565(uint32_t(static_cast<IntArray*>(s->palettes->elements()[0])->elements()[3]));
    // Where the module's first pixel lands in its 4 × 3 box at (10, 10).
    struct Case {
        int32_t flags, x, y;
    } cases[] = {{0, 0, 0}, {1, 3, 0}, {2, 0, 2}, {3, 3, 2}};
    for (const Case& c : cases) {
        Image* target = screen(20, 20);
        int32_t px = (c.flags & 1) ? 14 : 10, py = (c.flags & 2) ? 13 : 10;
        s->paintFrame(1, px, py, c.flags);
        EXPECT_EQ(pixelsOf(target)[std::size_t((10 + c.y) * 20 + 10 + c.x)], first) << c.flags;
    }
}

TEST_F(SpritePainting, AMirroredModuleLandsByItsWidth) {
    SpriteData d = paintSprite();
    d.frames[1].modules[0] = {kOutline, 10, 0, 0};
    d.modules[kOutline].width = 20;
    ASprite* s = newSprite(d);
    EXPECT_EQ(measureFrame(s, 1, 100, 0, ASprite::kFlipX)[0], 70);
}

TEST_F(SpritePainting, MeasuredBoxes) {
    SpriteData d = paintSprite();
    d.frames[1].modules[0] = {kTall, 2, 3, 0};
    ASprite* s = newSprite(d);
    EXPECT_EQ(measureFrame(s, 1, 0, 0, ASprite::kRotate90), (std::array<int32_t, 4>{3, 2, 11, 18}));
    // Frame 0: picture (2, 1) 4 × 3, shadow (4, 3) 3 × 2, bar (-3, 6) 6 × 2.
    EXPECT_EQ(measureFrame(s, 0, 10, 20, 0), (std::array<int32_t, 4>{7, 21, 17, 28}));
    // Nested at (20, 1) without the size correction.
    EXPECT_EQ(measureFrame(s, 2, 10, 20, 0), (std::array<int32_t, 4>{27, 22, 37, 29}));

    IntArray* out = om()->newIntArray(4);
    s->getAFrameBounds(out, 0, 0, 10, 20, 0);  // animation frame 0 moves frame 0 by (7, -2)
    EXPECT_EQ(intsOf(out, 4), (std::vector<int32_t>{14, 19, 24, 26}));
    s->getAFrameBounds(out, 0, 1, 10, 20, 0);  // frame 1 (16 × 8 at (2, 3)) mirrored by the animation frame
    EXPECT_EQ(intsOf(out, 4), (std::vector<int32_t>{-8, 23, 8, 31}));
    s->getModuleBounds(out, kOutline, -50, 7, 0);
    EXPECT_EQ(intsOf(out, 4), (std::vector<int32_t>{-50, 7, -45, 11}));
    s->getModuleBounds(out, kOutline, 0, 0, ASprite::kRotate90);
    EXPECT_EQ(intsOf(out, 4), (std::vector<int32_t>{0, 0, 4, 5}));
    EXPECT_EQ(ASprite::statics.measureMode, 0);

    // Nothing drawn, not even rectangles; modules outside the clip still count.
    Image* target = screen(30, 30);
    ASprite::statics.currentGraphics->setClip(0, 0, 5, 5);
    EXPECT_EQ(measureFrame(s, 0, 100, 100, 0), (std::array<int32_t, 4>{97, 101, 107, 108}));
    EXPECT_EQ(inkBox(target, kBackground), (std::array<int32_t, 4>{0, 0, 0, 0}));
    IntArray* empty = om()->newIntArray(4);
    GameBase::getFrameRect(s, empty, 1, 0, 0, 0);
    EXPECT_EQ(intsOf(empty, 4), (std::vector<int32_t>{2, 3, 18, 11}));
}

TEST_F(SpritePainting, RectangleModulesIgnoreTheCaches) {
    SpriteData d = paintSprite();
    d.paletteSection = false;  // a sprite without palettes still draws its rectangles
    d.frames[1].modules = {{kFilled, 0, 0, 0}, {kOutline, 10, 0, 0}};
    ASprite* s = newSprite(d);
    Image* target = screen(20, 10);
    s->paintFrame(1, 1, 1, 0);
    std::vector<uint16_t> px = pixelsOf(target);
    uint16_t filled = mrc::gfx::argbToRgb565(0xFF336699), outline = mrc::gfx::argbToRgb565(0xFF112233);
    EXPECT_EQ(px[1 * 20 + 1], filled);
    EXPECT_EQ(px[2 * 20 + 6], filled);
    EXPECT_EQ(px[3 * 20 + 1], kBackground);
    EXPECT_EQ(px[1 * 20 + 11], outline);
    EXPECT_EQ(px[5 * 20 + 16], outline) << "drawRect covers w + 1 by h + 1";
    EXPECT_EQ(px[3 * 20 + 13], kBackground);
    EXPECT_FALSE(app()->getPendingException());
}

TEST_F(SpritePainting, ClipRejectionIsStrict) {
    gameHooks().paintGradientEdges = [](Graphics*, int32_t x, int32_t y, int32_t w, int32_t h) {
        s_calls.push_back("gradient " + std::to_string(x) + "," + std::to_string(y) + " " + std::to_string(w) + "x" +
                          std::to_string(h));
    };
    ASprite* s = newSprite(paintSprite());
    screen(40, 40);
    ASprite::statics.currentGraphics->setClip(10, 10, 10, 10);
    for (auto [x, y] : {std::pair{6, 12}, {5, 12}, {19, 12}, {20, 12}, {12, 6}, {12, 5}, {12, 19}, {12, 20}})
        s->drawModule(kGradient, x, y, 0);
    EXPECT_EQ(s_calls, (std::vector<std::string>{"gradient 6,12 4x4", "gradient 19,12 4x4", "gradient 12,6 4x4",
                                                 "gradient 12,19 4x4"}));
}

TEST_F(SpritePainting, MarkerModulesCallTheGame) {
    gameHooks().paintEffectSpriteFrame = [](Graphics*) {
        s_calls.push_back("attachment flags " + std::to_string(GameBase::statics.paintEffectFlags));
    };
    gameHooks().emitQueuedParticleAt = [](Graphics*, int32_t x, int32_t y) {
        s_calls.push_back("particle " + std::to_string(x) + "," + std::to_string(y));
    };
    SpriteData d = paintSprite();
    d.frames[1].modules = {{kMarker, 1, 1, 0}, {kParticle, 5, 6, 0}};
    ASprite* s = newSprite(d);
    Image* target = screen(20, 20);
    struct Case {
        int32_t flags;
        std::vector<std::string> calls;
        bool drawn;  // the particle module drawn as a rectangle
    } cases[] = {
        {0, {}, true},
        {0x0008, {"attachment flags 8"}, true},
        {0x0040, {"attachment flags 80"}, true},
        {0x0800, {"particle 5,6"}, false},
        {0x0848, {"attachment flags 2136", "particle 5,6"}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.flags);
        s_calls.clear();
        screen(20, 20);
        target = static_cast<Image*>(ASprite::statics.currentGraphics->target);
        GameBase::statics.paintEffectFlags = c.flags;
        s->paintFrame(1, 0, 0, 0);
        EXPECT_EQ(s_calls, c.calls);
        EXPECT_EQ(GameBase::statics.paintEffectFlags, c.flags) << "bit 0x10 only around the attachment";
        EXPECT_EQ(inkBox(target, kBackground)[2] != 0, c.drawn) << "the marker itself never draws";
    }
}

TEST_F(SpritePainting, PixelCachedModulesAndTheColumnBand) {
    gameHooks().drawRGBColumnBand = [](Graphics*, int32_t x, int32_t y, IntArray* pixels, int32_t w, int32_t h) {
        s_calls.push_back("band " + std::to_string(x) + "," + std::to_string(y) + " " + std::to_string(w) + "x" +
                          std::to_string(h) + (pixels ? "" : " null"));
    };
    ASprite* s = newSprite(paintSprite());
    s->buildModuleCache(0, 0, -1, -1, -1, ASprite::kCachePixels);
    GameBase::statics.paintEffectFlags = 0x0004;
    Image* plain = screen(20, 20);
    s->drawModule(kPicture, 2, 3, 0);
    EXPECT_EQ(s_calls, (std::vector<std::string>{"band 2,3 4x3"}));

    // Drawn mirrored, a pixel-cached module stays as it is.
    GameBase::statics.paintEffectFlags = 0;
    Image* mirrored = screen(20, 20);
    s->drawModule(kPicture, 2, 3, ASprite::kFlipX);
    EXPECT_EQ(pixelsOf(mirrored), pixelsOf(plain));

    s->buildModuleCache(1, 0, -1, -1, -1, ASprite::kCacheImages);
    s->setPalette(1);
    GameBase::statics.paintEffectFlags = 0x0004;
    s_calls.clear();
    s->drawModule(kPicture, 2, 3, 0);
    EXPECT_TRUE(s_calls.empty()) << "only for pixel-cached palettes";
}

TEST_F(SpritePainting, MappingsReplaceModules) {
    ASprite* s = newSprite(paintSprite());
    s->applyModuleMapping(2, bytes({kFilled, 0, kOutline, 0}));
    IntArray* out = om()->newIntArray(4);
    s->setModuleMapping(2);
    s->getModuleBounds(out, kFilled, 0, 0, 0);
    EXPECT_EQ(intsOf(out, 4), (std::vector<int32_t>{0, 0, 5, 4}));
    s->setModuleMapping(7);  // an empty slot maps nothing
    s->getModuleBounds(out, kFilled, 0, 0, 0);
    EXPECT_EQ(intsOf(out, 4), (std::vector<int32_t>{0, 0, 6, 2}));
}

TEST_F(SpritePainting, NestingEndsAtALimit) {
    // Frames 0-19 each nest the next one, which a paint of frame 0 follows 16 deep only.
    SpriteData d;
    d.modules = {{ModuleKind::Filled, 1, 1, 0, 0, 0x336699, {}, std::nullopt}};
    for (int32_t k = 0; k < 20; ++k) d.frames.push_back({{{0, 1, 0, 0}, {k + 1, 1, 0, 0x10}}, {}, std::nullopt});
    d.frames.push_back({{{0, 1, 0, 0}}, {}, std::nullopt});
    d.paletteSection = false;
    ASprite* s = newSprite(d);
    Image* target = screen(40, 4);
    log.clear();
    s->paintFrame(0, 0, 0, 0);
    EXPECT_EQ(logCount("nested deeper than 16"), 1u);
    EXPECT_EQ(ASprite::statics.nesting, 0);
    EXPECT_EQ(inkBox(target, kBackground), (std::array<int32_t, 4>{1, 0, 16, 1}));
}

TEST_F(SpritePainting, AFrameInsideItselfIsSkippedAndTracedOncePerPaint) {
    // Frame 0 holds a filled module and itself three times: followed to the depth limit that is
    // 3^16 paints; frame 1 reaches frame 0 through itself and frame 0.
    SpriteData d;
    d.modules = {{ModuleKind::Filled, 2, 2, 0, 0, 0x336699, {}, std::nullopt}};
    d.frames = {{{{0, 0, 0, 0}, {0, 3, 0, 0x10}, {0, 6, 0, 0x10}, {0, 9, 0, 0x10}}, {}, std::nullopt},
                {{{1, 0, 0, 0x10}, {0, 0, 4, 0x10}}, {}, std::nullopt}};
    d.animations = {{{1, 1, 0, 0, 0}}};
    d.paletteSection = false;
    ASprite* s = newSprite(d);
    Image* target = screen(20, 10);
    log.clear();
    s->paintFrame(0, 0, 0, 0);
    EXPECT_EQ(inkBox(target, kBackground), (std::array<int32_t, 4>{0, 0, 2, 2}));
    EXPECT_EQ(logCount("frame 0 contains itself"), 1u);
    s->paintAFrame(0, 0, 0, 0, 0);
    EXPECT_EQ(inkBox(target, kBackground), (std::array<int32_t, 4>{0, 0, 2, 6}));
    EXPECT_EQ(logCount("contains itself"), 2u);
    EXPECT_EQ(measureFrame(s, 1, 0, 0, 0), (std::array<int32_t, 4>{0, 4, 2, 6}));
    EXPECT_EQ(ASprite::statics.nesting, 0);
    EXPECT_EQ(app()->getPendingException(), nullptr);

    // The fuzzer's sprite of self-nesting frames, as found.
    std::vector<uint8_t> found = hexBytes(
        "0000010000000100fe0000ff0004040300000000000010000000000010000000000010010003000000000000");
    ASprite* fuzzed = mrc::newObject<ASprite>();
    fuzzed->load(bytes(found), 0);
    for (int32_t frame = 0; frame < 2; ++frame) {
        fuzzed->paintFrame(frame, 5, 5, 0);
        measureFrame(fuzzed, frame, 0, 0, 0);
    }
    fuzzed->paintAFrame(0, 0, 5, 5, 0);
    EXPECT_EQ(ASprite::statics.nesting, 0);
    app()->clearPendingException();
}

TEST_F(SpritePainting, AChainOfFramesNestingTheNextManyTimesEndsAtAStepLimit) {
    // Frames 0-14 each hold the next one four times: 4^15 leaves, though no frame holds itself.
    SpriteData d;
    d.modules = {{ModuleKind::Filled, 1, 1, 0, 0, 0x336699, {}, std::nullopt}};
    for (int32_t k = 0; k < 15; ++k) {
        SpriteFrame f;
        for (int16_t j = 0; j < 4; ++j) f.modules.push_back({k + 1, j, 0, 0x10});
        d.frames.push_back(f);
    }
    d.frames.push_back({{{0, 0, 0, 0}}, {}, std::nullopt});
    d.paletteSection = false;
    ASprite* s = newSprite(d);
    screen(80, 4);
    log.clear();
    s->paintFrame(0, 0, 0, 0);
    EXPECT_EQ(logCount("paint ended after 65536 frame modules"), 1u);
    // Measuring is a paint too: it ends at the limit with what it reached, short of the 46 columns.
    std::array<int32_t, 4> bounds = measureFrame(s, 0, 0, 0, 0);
    EXPECT_EQ(bounds[0], 0);
    EXPECT_GT(bounds[2], 1);
    EXPECT_LT(bounds[2], 46);
    EXPECT_EQ(logCount("paint ended"), 2u);
    EXPECT_EQ(ASprite::statics.nesting, 0);
}

TEST_F(SpritePainting, AModuleOutsideTheTablesRaisesOncePerPaint) {
    // Frame 0 names module 7 of a one-module sprite; frame 1 holds frame 0 eight times.
    SpriteData d;
    d.modules = {{ModuleKind::Filled, 2, 2, 0, 0, 0x336699, {}, std::nullopt}};
    d.frames = {{{{7, 0, 0, 0}, {0, 0, 0, 0}}, {}, std::nullopt}, {{}, {}, std::nullopt}};
    for (int16_t k = 0; k < 8; ++k) d.frames[1].modules.push_back({0, int16_t(k * 3), 0, 0x10});
    d.paletteSection = false;
    ASprite* s = newSprite(d);
    Image* target = screen(30, 4);
    auto objectsMadeBy = [&](int32_t frame) {
        app()->clearPendingException();
        int32_t before = om()->objectCount();
        s->paintFrame(frame, 0, 0, 0);
        EXPECT_TRUE(pending(mrc::kClass_java_lang_ArrayIndexOutOfBoundsException));
        return om()->objectCount() - before;
    };
    int32_t one = objectsMadeBy(0);
    int32_t eight = objectsMadeBy(1);
    if (!std::getenv("MRC_GC_STRESS")) {
        EXPECT_EQ(eight, one) << "one exception for the whole paint";
    }
    // The good module of every copy is still painted.
    EXPECT_EQ(inkBox(target, kBackground), (std::array<int32_t, 4>{0, 0, 23, 2}));
    app()->clearPendingException();
}

TEST_F(SpritePainting, BadIndicesDrawNothing) {
    ASprite* s = newSprite(paintSprite());
    Image* target = screen(10, 10);
    for (auto paint : std::initializer_list<void (*)(ASprite*)>{
             [](ASprite* s) { s->paintFrame(9, 0, 0, 0); },
             [](ASprite* s) { s->paintAFrame(0, 5, 0, 0, 0); },
             [](ASprite* s) { s->paintFModule(0, 40, 0, 0, 0); },
             [](ASprite* s) { s->drawModule(-1, 0, 0, 0); },
         }) {
        paint(s);
        EXPECT_TRUE(pending(mrc::kClass_java_lang_ArrayIndexOutOfBoundsException));
        app()->clearPendingException();
    }
    EXPECT_EQ(inkBox(target, kBackground), (std::array<int32_t, 4>{0, 0, 0, 0}));
    ASprite::setGraphics(nullptr);
    log.clear();
    s->drawModule(kFilled, 0, 0, 0);
    EXPECT_TRUE(log.contains("NullPointer"));
}

TEST_F(SpritePainting, FrameRectangles) {
    SpriteData d = paintSprite();
    d.rectSection = true;
    d.frames[0].rects = {{-3, 4, 10, 200}, {1, -2, 3, 4}};
    d.animations = {{{0, 1, 7, -2, 0}, {0, 1, 7, -2, 0x03}}};
    ASprite* s = newSprite(d);
    IntArray* out = om()->newIntArray(4);
    struct Case {
        int32_t aframe, i;
        bool withOffsets;
        std::vector<int32_t> rect;
    } cases[] = {
        {0, 0, false, {-3, 4, 10, 200}},   {0, 0, true, {4, 2, 10, 200}},
        {1, 1, false, {-4, -2, 3, 4}},     {1, 1, true, {3, -4, 3, 4}},
        {1, 0, true, {0, -206, 10, 200}},
    };
    for (const Case& c : cases) {
        s->getAFrameRect(0, c.aframe, c.i, 99, c.withOffsets, out);
        EXPECT_EQ(intsOf(out, 4), c.rect) << c.aframe << " " << c.i << " " << c.withOffsets;
    }
    EXPECT_EQ(ASprite::getAFrameRectTemp(s, 0, 0, 1, false), ASprite::statics.sharedRect);
    EXPECT_EQ(intsOf(ASprite::statics.sharedRect, 4), (std::vector<int32_t>{1, -2, 3, 4}));
    EXPECT_EQ(ASprite::getAFrameRectTemp(nullptr, 0, 0, 1, false), nullptr);
    EXPECT_EQ(GameBase::getSpriteFrameRect(s, 0, 0), ASprite::statics.sharedRect);
    EXPECT_EQ(intsOf(ASprite::statics.sharedRect, 4), (std::vector<int32_t>{253, 4, 10, 200}));
    EXPECT_EQ(GameBase::getSpriteFrameRect(nullptr, 0, 0), nullptr);
}

TEST_F(SpritePainting, WithGraphicsEntries) {
    ASprite* s = newSprite(paintSprite());
    Image* a = screen(20, 20);
    Graphics* ga = ASprite::statics.currentGraphics;
    Image* b = screen(20, 20);
    s->paintAFrameWithGraphics(ga, 0, 0, 0, 0, 0);
    EXPECT_EQ(ASprite::statics.currentGraphics, ga);
    EXPECT_NE(inkBox(a, kBackground)[2], 0);
    EXPECT_EQ(inkBox(b, kBackground)[2], 0);
    GameBase::paintFrameWithGraphics(s, b->getGraphics(), 1, 0, 0, 0);
    EXPECT_NE(inkBox(b, kBackground)[2], 0);
}

}  // namespace
