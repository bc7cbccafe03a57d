#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <tuple>
#include <vector>

#include "tests/game/flow/paint_fixture.h"

namespace {

using namespace formats;

class PaintEffects : public mrc::test::PaintTest {
protected:
    static std::vector<uint32_t> alphas(IntArray* a, int32_t n) {
        std::vector<uint32_t> out;
        for (int32_t i = 0; i < n; ++i) out.push_back(uint32_t(a->elements()[i]) >> 24);
        return out;
    }
    static inline std::vector<std::tuple<int32_t, int32_t, int32_t>> particles;
    static void record(int32_t kind, int32_t x, int32_t y) { particles.emplace_back(kind, x, y); }
};

// ---- smear ------------------------------------------------------------------------------------

TEST_F(PaintEffects, SmearRunsTowardsThePreviousResult) {
    IntArray* forward = ints({0xFFFF0000, 0xFFFF0000, 0xFFFF0000});
    Game::smearPixelsForward(3, forward, 64);
    EXPECT_EQ(row(forward), (std::vector<int32_t>{127 << 16, 191 << 16, 223 << 16}));
    IntArray* backward = ints({0xFF0000FF, 0xFF0000FF, 0xFF0000FF, 0xFF00FF00});
    Game::smearPixelsBackward(3, backward, 64);  // the fourth pixel is past n
    EXPECT_EQ(row(backward), (std::vector<int32_t>{223, 191, 127, int32_t(0xFF00FF00)}));
    IntArray* green = ints({0x00FF00, 0x00FF00});
    Game::smearPixelsForward(2, green, 0);  // strength 0 keeps the colours, alpha dropped
    EXPECT_EQ(row(green), (std::vector<int32_t>{0xFF00, 0xFF00}));
}

// ---- glint ------------------------------------------------------------------------------------

TEST_F(PaintEffects, GlintIsStrongestAtTheBandCentreAndOnlyOnVisiblePixels) {
    IntArray* buffer = useEffectBuffer(4096);
    struct Case {
        int32_t width;
        std::vector<uint32_t> expected;  // alpha of columns 0 .. 26
    };
    std::vector<uint32_t> wide(27, 0), narrow(27, 0);
    for (int32_t c = 3; c < 22; ++c) wide[std::size_t(c)] = uint32_t(255 - std::abs(c - 10 - 2) * 256 / 10);
    narrow[3] = 127;
    narrow[4] = 255;
    narrow[5] = 127;
    narrow[6] = 0;  // -1 before the clamp: no opaque white at the band's last column
    const Case cases[] = {{20, wide}, {5, narrow}};
    for (const Case& c : cases) {
        Game::paintEffectRow(2)->elements()[0] = 2 << 14;
        Game::paintEffectRow(2)->elements()[1] = c.width;
        std::vector<uint32_t> source(27 * 2, 0xFF808080);
        source[27 + 12] = 0x00808080;  // see-through
        source[27 + 4] = 0xFF000000;   // black
        IntArray* pixels = ints(source);
        Image* image = screen(27, 2);
        Game::drawRGBColumnBand(image->getGraphics(), 0, 0, pixels, 27, 2);
        EXPECT_EQ(alphas(buffer, 27), c.expected) << c.width;
        std::vector<uint32_t> second = c.expected;
        second[12] = second[4] = 0;
        EXPECT_EQ(alphas(buffer, 54), [&] {
            std::vector<uint32_t> both = c.expected;
            both.insert(both.end(), second.begin(), second.end());
            return both;
        }()) << c.width;
        for (int32_t i = 0; i < 54; ++i) EXPECT_EQ(buffer->elements()[i] & 0xFFFFFF, 0xFFFFFF);
        EXPECT_EQ(at(image, 2 + c.width / 2, 0), 0xFFFF);  // the band's centre
        EXPECT_EQ(at(image, 0, 0), 0);
    }
}

// ---- screen filter ----------------------------------------------------------------------------

TEST_F(PaintEffects, FilterRisesToItsTargetAndHoldsAndModeTwoCopiesBack) {
    useEffectBuffer(800 * 20);
    Image* picture = Game::stateStatics.overlayImage;
    Graphics* pg = picture->getGraphics();
    for (int32_t y = 0; y < 480; ++y) {
        pg->setColor(int32_t((y * 7 % 256) << 16 | (y * 3 % 256) << 8 | (y % 256)));
        pg->drawLine(0, y, 799, y);
    }
    Image* target = screen();
    Game::startScreenFilter(0, 300, 2);
    Game::paintScreenSmear(target->getGraphics());  // without the bit: nothing
    EXPECT_EQ(inkBox(target), (std::array<int32_t, 4>{0, 0, 0, 0}));
    Game::setFlags(0x80);
    ASpriteInstance::statics.logicStepsThisFrame = 1;
    for (int32_t step = 1; step <= 30; ++step) {
        Game::paintScreenSmear(target->getGraphics());
        EXPECT_EQ(Game::paintEffectRow(4)->elements()[2], 10 * step);
    }
    EXPECT_EQ(Game::paintEffectRow(4)->elements()[3], 1);
    Game::paintScreenSmear(target->getGraphics());
    EXPECT_EQ(Game::paintEffectRow(4)->elements()[2], 300);
    EXPECT_EQ(pixelsOf(target), pixelsOf(picture));

    // The fade: 30 steps down, then the bit lets go.
    Game::clearFlag(0x80);
    ASpriteInstance::statics.logicStepsThisFrame = 3;
    for (int32_t i = 0; i < 10; ++i) Game::paintScreenSmear(target->getGraphics());
    EXPECT_EQ(Game::paintEffectRow(4)->elements()[3], 3);
    EXPECT_EQ(GameBase::statics.paintEffectFlags & 0x80, 0);
    EXPECT_EQ(Game::stateStatics.overlayFlags & 0x80, 0);
}

TEST_F(PaintEffects, FilterSmearsEveryBandAlsoWithAOneRowBuffer) {
    for (int32_t rowsHeld : {1, 2, 7}) {
        useEffectBuffer(800 * rowsHeld);
        fill(Game::stateStatics.overlayImage, 0xFF0000);
        Image* target = screen();
        Game::startScreenFilter(64, 64, 1);
        Game::paintEffectRow(4)->elements()[3] = 1;
        Game::setFlags(0x80);
        Game::paintScreenSmear(target->getGraphics());
        // Each band restarts from black: its first pixel is half red.
        EXPECT_EQ(at(target, 0, 0), rgb(0x7F0000)) << rowsHeld;
        EXPECT_EQ(at(target, 799, 479), rgb(0xFF0000)) << rowsHeld;
        EXPECT_NE(at(target, 0, 479), 0) << rowsHeld;
    }
}

// ---- glow -------------------------------------------------------------------------------------

TEST_F(PaintEffects, GlowTooLargeForTheBufferIsRefusedAtCapture) {
    useEffectBuffer(1000);
    Game::stateStatics.bufferImage = screen();
    Game::paintStatics.s_glowModeNext = 0;
    int32_t* r = Game::paintStatics.s_glowRect->elements();
    r[0] = 100, r[1] = 100, r[2] = 120, r[3] = 110;  // S = 18 x 50 = 900: 3 S > 1000
    Game::captureGlowFromRect();
    EXPECT_EQ(printed(), "glow region too large\n");
    EXPECT_EQ(Game::paintStatics.s_glowMode, 2);
    Image* target = screen();
    Game::paintGlow(target->getGraphics());
    EXPECT_EQ(inkBox(target), (std::array<int32_t, 4>{0, 0, 0, 0}));

    // The filter's own check: a region larger than the buffer prints and leaves the pixels.
    Game::paintStatics.s_glowWidth = 40;
    Game::paintStatics.s_glowHeight = 40;
    IntArray* small = useEffectBuffer(100);
    small->elements()[0] = 5;
    Game::glowFilter(small, 0, 64, 64, 64);
    EXPECT_EQ(printed(), "glow region too large\nglow region too large\n");
    EXPECT_EQ(small->elements()[0], 5);
}

TEST_F(PaintEffects, GlowCapturesTheRegionAroundTheRectangleAndBrightensIt) {
    useEffectBuffer(49152);
    Image* background = screen();
    Game::stateStatics.bufferImage = background;
    Graphics* bg = background->getGraphics();
    bg->setColor(0x404040);
    bg->fillRect(200, 100, 40, 20);
    bg->setColor(0xFFFFFF);  // bright enough to enter the blur as black
    bg->fillRect(210, 105, 4, 4);
    int32_t* r = Game::paintStatics.s_glowRect->elements();
    r[0] = 200, r[1] = 100, r[2] = 240, r[3] = 120;
    Game::paintStatics.s_glowModeNext = 1;
    Game::captureGlowFromRect();
    const PaintStatics& s = Game::paintStatics;
    EXPECT_EQ(s.s_glowMode, 1);
    EXPECT_EQ((std::vector<int32_t>{s.s_glowX, s.s_glowY, s.s_glowWidth, s.s_glowHeight, s.s_glowSourceOffset}),
              (std::vector<int32_t>{185, 98, 70, 24, 28 * 70}));

    // Gain 0 adds nothing: the captured region comes back as it was.
    Image* target = screen();
    Game::drawGlow(target->getGraphics(), s.s_glowX, s.s_glowY, s.s_glowWidth, s.s_glowHeight, 64, 64, 0);
    for (int32_t y = 98; y < 122; ++y)
        for (int32_t x = 185; x < 255; ++x) ASSERT_EQ(at(target, x, y), at(background, x, y)) << x << "," << y;

    // With gain the grey brightens and its surroundings pick up light; white stays white.
    Game::drawGlow(target->getGraphics(), s.s_glowX, s.s_glowY, s.s_glowWidth, s.s_glowHeight, 58, 34, 72);
    EXPECT_GT(at(target, 225, 110) >> 11, at(background, 225, 110) >> 11);
    EXPECT_GT(at(target, 198, 110) >> 11, 0);
    EXPECT_EQ(at(target, 211, 106), 0xFFFF);
    EXPECT_EQ(at(target, 184, 110), 0);  // outside the region
}

// ---- the painter's hooks ----------------------------------------------------------------------

// A frame of: a gradient marker (filled, 0xFF01FF), two particle markers (outline, 0x00FF00), a
// replacement marker (outline, 0xFF00FF; marker colours carry no alpha byte) and an image module. Frame 1, the replacement, is one
// blue image module.
SpriteData hookSprite() {
    SpriteData d;
    SpriteModule gradient{ModuleKind::Filled, 20, 6, 0, 0, 0x00FF01FF, {}, std::nullopt};
    SpriteModule particle{ModuleKind::Outline, 2, 2, 0, 0, 0x0000FF00, {}, std::nullopt};
    SpriteModule marker{ModuleKind::Outline, 4, 4, 0, 0, 0x00FF00FF, {}, std::nullopt};
    SpriteModule image{ModuleKind::Image, 4, 4, 0, 0, 0, std::vector<uint8_t>(16, 1), std::nullopt};
    SpriteModule blue{ModuleKind::Image, 3, 3, 0, 0, 0, std::vector<uint8_t>(9, 2), std::nullopt};
    d.modules = {gradient, particle, marker, image, blue};
    d.frames.push_back({{{0, 0, 0, 0}, {1, 30, 1, 0}, {1, 40, 2, 0}, {2, 50, 0, 0}, {3, 60, 0, 0}}, {}, std::nullopt});
    d.frames.push_back({{{4, 0, 0, 0}}, {}, std::nullopt});
    d.animations = {{{0, 1, 0, 0, 0}}, {{1, 1, 0, 0, 0}}};
    d.palettes = {{0x00000000, 0xFF00FF00, 0xFF0000FF}};
    return d;
}

TEST_F(PaintEffects, HooksThroughTheSpritePainter) {
    static ASprite* sprite;
    statics()->addRoot(reinterpret_cast<Object**>(&sprite));
    sprite = newSprite(hookSprite());
    Game::stateStatics.sprites = om()->newObjectArray(mrc::kClass_ASprite, 6);
    Game::stateStatics.sprites->elements()[5] = sprite;
    particles.clear();
    Game::particleSink = &PaintEffects::record;
    GameMath::mathStatics.cameraX = 1000 << 14;
    GameMath::mathStatics.cameraY = 300 << 14;

    IntArray* edges = Game::paintEffectRow(13);
    edges->elements()[0] = int32_t(0xFFFF0000);  // A
    edges->elements()[1] = int32_t(0xFF0000FF);  // B
    edges->elements()[2] = GameMath::kDirLeft;
    int32_t* queue = Game::paintEffectRow(11)->elements();
    queue[0] = 3, queue[1] = 5, queue[2] = -1, queue[6] = 0;
    int32_t* frame = Game::paintEffectRow(3)->elements();
    frame[0] = 100, frame[1] = 20, frame[2] = 5, frame[3] = 1, frame[4] = 0, frame[5] = -1;
    Game::setFlags(0x800 | 0x8);

    Image* image = screen(200, 40);
    sprite->paintAFrameWithGraphics(image->getGraphics(), 0, 0, 10, 10, 0);
    sprite->paintAFrameWithGraphics(image->getGraphics(), 0, 0, 10, 10, 0);

    // Gradient: A to B over the 20 columns of the module, then B to A over the 10 columns right of it.
    EXPECT_EQ(at(image, 10, 10), rgb(0xFF0000));
    EXPECT_EQ(at(image, 10, 15), rgb(0xFF0000));
    EXPECT_EQ(at(image, 10, 16), 0);
    EXPECT_EQ(at(image, 29, 12), rgb(uint32_t(255 - 19 * 255 * 256 / 20 / 256) << 16 | 19 * (255 * 256 / 20) >> 8));
    EXPECT_EQ(at(image, 30, 12), rgb(0x0000FF));
    EXPECT_EQ(at(image, 39, 12), rgb(uint32_t(9 * (255 * 256 / 10) >> 8) << 16 | (255 - 9 * (255 * 256 / 10) / 256)));
    EXPECT_EQ(at(image, 40, 12), 0);
    // Two kinds then the end mark: the second paint emits nothing.
    using P = std::tuple<int32_t, int32_t, int32_t>;
    EXPECT_EQ(particles, (std::vector<P>{{3, (1000 + 40) << 14, (300 + 11) << 14}, {5, (1000 + 50) << 14, (300 + 12) << 14}}));
    EXPECT_EQ(queue[6], 2);
    // The replacement frame at its own place; the marker itself draws nothing.
    EXPECT_EQ(at(image, 100, 20), rgb(0x0000FF));
    EXPECT_EQ(at(image, 102, 22), rgb(0x0000FF));
    EXPECT_EQ(at(image, 60, 10), 0);
    EXPECT_EQ(at(image, 70, 10), rgb(0x00FF00));
    EXPECT_EQ(sprite->getModuleMapping(), -1);

    // Without the marker bits the markers do nothing at all.
    Game::clearFlag(0x800 | 0x8);
    Image* plain = screen(200, 40);
    sprite->paintAFrameWithGraphics(plain->getGraphics(), 0, 0, 10, 10, 0);
    EXPECT_EQ(at(plain, 100, 20), 0);
    EXPECT_EQ(particles.size(), 2u);
    sprite = nullptr;
}

struct EdgeCase {
    int32_t facing;
    std::array<int32_t, 4> ink;  // what is drawn around a 20 x 6 rectangle at (20, 20)
};

TEST_F(PaintEffects, GradientEdgesByFacing) {
    const EdgeCase cases[] = {
        {GameMath::kDirLeft, {20, 20, 30, 6}},
        {GameMath::kDirRight, {10, 20, 30, 6}},
        {GameMath::kDirUp, {20, 20, 20, 16}},
        {GameMath::kDirDown, {20, 20, 20, 10}},  // the extra rows lie inside, past the rectangle's end
        {2080, {0, 0, 0, 0}},
    };
    for (const EdgeCase& c : cases) {
        IntArray* edges = Game::paintEffectRow(13);
        edges->elements()[0] = int32_t(0xFFFF0000);
        edges->elements()[1] = int32_t(0xFF00FF00);
        edges->elements()[2] = c.facing;
        Image* image = screen(80, 60);
        Game::paintGradientEdges(image->getGraphics(), 20, 20, 20, 6);
        EXPECT_EQ(inkBox(image), c.ink) << c.facing;
    }
}

}  // namespace

namespace {

TEST_F(PaintEffects, GlintFollowsPixelCachedModulesThroughThePainter) {
    useEffectBuffer(4096);
    SpriteData d;
    d.modules = {{ModuleKind::Image, 12, 3, 0, 0, 0, std::vector<uint8_t>(36, 1), std::nullopt}};
    d.frames = {{{{0, 0, 0, 0}}, {}, std::nullopt}};
    d.animations = {{{0, 1, 0, 0, 0}}};
    d.palettes = {{0x00000000, 0xFF400000}, {0x00000000, 0xFF400000}};
    ASprite* sprite = newSprite(d);
    sprite->buildModuleCache(0, 0, -1, -1, -1, ASprite::kCachePixels);
    sprite->buildModuleCache(1, 0, -1, -1, -1, ASprite::kCacheImages);
    Game::paintEffectRow(2)->elements()[0] = 2 << 14;
    Game::paintEffectRow(2)->elements()[1] = 6;
    Game::setFlags(0x4);
    Image* image = screen(40, 10);
    sprite->paintAFrameWithGraphics(image->getGraphics(), 0, 0, 10, 2, 0);
    EXPECT_EQ(at(image, 10 + 5, 3), 0xFFFF);             // the band's centre: white
    EXPECT_EQ(at(image, 10 + 1, 3), rgb(0x400000));     // outside it: the module
    // An image-cached palette gets no glint.
    sprite->setPalette(1);
    Image* plain = screen(40, 10);
    sprite->paintAFrameWithGraphics(plain->getGraphics(), 0, 0, 10, 2, 0);
    EXPECT_EQ(at(plain, 10 + 5, 3), rgb(0x400000));
}

TEST_F(PaintEffects, GlowPulsesWithTheFrameTime) {
    useEffectBuffer(49152);
    ShortArray* table = om()->newShortArray(181);
    for (int32_t d = 0; d <= 180; ++d)
        table->elements()[d] = int16_t(std::lround(256 * std::sin(d * 3.14159265358979 / 180)));
    GameMath::mathStatics.angleTable = table;
    Image* background = screen();
    Game::stateStatics.bufferImage = background;
    Graphics* bg = background->getGraphics();
    bg->setColor(0x606060);
    bg->fillRect(100, 100, 60, 20);
    int32_t* r = Game::paintStatics.s_glowRect->elements();
    r[0] = 100, r[1] = 100, r[2] = 160, r[3] = 120;
    Game::captureGlowFromRect();
    Game::stateStatics.frameTime = 40;
    std::vector<std::vector<uint16_t>> pulse;
    for (int32_t frame = 0; frame < 50; ++frame) {
        Image* target = screen();
        Game::paintGlow(target->getGraphics());
        std::vector<uint16_t> around;  // light spilled beside and above the grey, and on it
        for (int32_t x : {86, 95, 130}) around.push_back(at(target, x, 110));
        around.push_back(at(target, 130, 99));
        pulse.push_back(around);
    }
    EXPECT_EQ(Game::paintStatics.s_glowTime, 2000);
    // A one-second period; within it the picture changes.
    for (int32_t k = 0; k < 25; ++k) EXPECT_EQ(pulse[std::size_t(k)], pulse[std::size_t(k + 25)]) << k;
    EXPECT_NE(pulse[0], pulse[12]);
    GameMath::mathStatics.angleTable = nullptr;
}

}  // namespace
