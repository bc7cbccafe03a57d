#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "tests/game/flow/paint_fixture.h"

namespace {

using mrc::gfx::blend565;

class Overlay : public mrc::test::PaintTest {};

TEST_F(Overlay, StripStartsDarkTranslucent) {
    IntArray* strip = GameOverlay::overlayStatics.overlayBuffer;
    ASSERT_NE(strip, nullptr);
    ASSERT_EQ(strip->length, 8000);
    for (int32_t v : row(strip)) ASSERT_EQ(uint32_t(v), 0xCC000000u);
}

TEST_F(Overlay, VerticalGradientWithoutAlphaDrawsOpaqueLinesAndRestoresTheClip) {
    Image* image = screen(40, 20);
    Graphics* g = image->getGraphics();
    g->setClip(3, 0, 5, 20);  // the gradient ignores the clip and gives it back
    Game::fillVerticalGradient(g, 0, 5, 20, 10, 0x00FF0000, 0);
    EXPECT_EQ(g->getClipX(), 3);
    EXPECT_EQ(g->getClipWidth(), 5);
    int32_t red = 0xFF << 8, step = (-255 << 8) / 10;
    for (int32_t r = 0; r < 10; ++r, red += step) {
        uint16_t expected = rgb(uint32_t(red >> 8) << 16);
        EXPECT_EQ(at(image, 0, 5 + r), expected) << r;
        EXPECT_EQ(at(image, 19, 5 + r), expected) << r;
        EXPECT_EQ(at(image, 20, 5 + r), 0) << r;
    }
    EXPECT_EQ(at(image, 0, 4), 0);
    EXPECT_EQ(at(image, 0, 15), 0);
    EXPECT_EQ(at(image, 0, 5), rgb(0xFF0000));
}

TEST_F(Overlay, TranslucentGradientRowsBlendOverWhatIsBelow) {
    Image* image = screen(10, 4);
    fill(image, 0x0000FF);
    // Alpha 0x80 throughout: every row blends its colour half over the blue.
    Game::fillVerticalGradient(image->getGraphics(), 0, 0, 10, 4, int32_t(0x80FF0000), int32_t(0x8000FF00));
    EXPECT_NE(at(image, 0, 0), rgb(0x0000FF));
    EXPECT_NE(at(image, 0, 0), rgb(0xFF0000));
    EXPECT_EQ(at(image, 0, 0), at(image, 9, 0));
}

TEST_F(Overlay, HorizontalGradientWithBothAlphasZeroDrawsNothing) {
    Image* image = screen(30, 10);
    fill(image, 0x123456);
    std::vector<uint16_t> before = pixelsOf(image);
    Game::fillHorizontalGradient(image->getGraphics(), 0, 0, 30, 10, 0x00FF0000, 0x0000FF00);
    EXPECT_EQ(pixelsOf(image), before);
}

TEST_F(Overlay, HorizontalGradientColumnsStepFromOneColourToTheOther) {
    Image* image = screen(8, 12);
    Game::fillHorizontalGradient(image->getGraphics(), 0, 0, 4, 12, int32_t(0xFF000000), int32_t(0xFFFF0000));
    int32_t red = 0;
    for (int32_t c = 0; c < 4; ++c, red += (255 << 8) / 4) {
        EXPECT_EQ(at(image, c, 0), rgb(uint32_t(red >> 8) << 16)) << c;
        EXPECT_EQ(at(image, c, 11), rgb(uint32_t(red >> 8) << 16)) << c;  // the strip tiles downwards
    }
    EXPECT_EQ(at(image, 4, 0), 0);
}

struct DirtyCase {
    int32_t x, y, w, h;
    bool stored;
    int32_t sx = 0, sy = 0, sw = 0, sh = 0;
};

TEST_F(Overlay, DirtyRectanglesAreClippedToTheScreen) {
    const DirtyCase cases[] = {
        {-10, -10, 30, 30, true, 0, 0, 20, 20},
        {790, 470, 30, 30, true, 790, 470, 10, 10},
        {0, 0, 800, 480, true, 0, 0, 800, 480},
        {801, 0, 5, 5, false},
        {0, 481, 5, 5, false},
        {-20, 0, 10, 5, false},   // wholly left
        {-10, 0, 10, 5, false},   // touches x = 0 with nothing left
        {800, 0, 5, 5, false},    // on the edge, cut to width 0
        {5, 5, 0, 7, false},
    };
    for (const DirtyCase& c : cases) {
        Game::stateStatics.dirtyCount = 0;
        Game::addDirtyRect(c.x, c.y, c.w, c.h);
        ASSERT_EQ(Game::stateStatics.dirtyCount, c.stored ? 1 : 0) << c.x << "," << c.y;
        if (!c.stored) continue;
        int64_t e = Game::stateStatics.dirtyRects->elements()[0];
        EXPECT_EQ(e, int64_t(uint64_t(uint32_t(c.sw | c.sh << 16)) << 32 | uint32_t(c.sx | c.sy << 16)));
    }
}

TEST_F(Overlay, TheTwentyFirstDirtyRectangleIsDroppedAndTheRepaintDrawsOnlyTheListed) {
    Game::stateStatics.bufferImage = screen();
    fill(Game::stateStatics.bufferImage, 0xFFFFFF);
    for (int32_t i = 0; i < 20; ++i) Game::addDirtyRect(i * 10, 0, 5, 5);
    Game::addDirtyRect(700, 400, 10, 10);
    EXPECT_EQ(Game::stateStatics.dirtyCount, 20);

    Image* target = screen();
    Graphics* g = target->getGraphics();
    Game::repaintDirtyRects(g);
    EXPECT_EQ(Game::stateStatics.dirtyCount, 0);
    EXPECT_EQ(at(target, 190, 4), 0xFFFF);
    EXPECT_EQ(at(target, 195, 0), 0);
    EXPECT_EQ(at(target, 705, 405), 0);
    EXPECT_EQ(g->getClipX(), 0);
    EXPECT_EQ(g->getClipWidth(), 800);
    EXPECT_EQ(g->getClipHeight(), 480);

    // Nothing listed: only the clip is reset.
    g->setClip(1, 2, 3, 4);
    Game::repaintDirtyRects(g);
    EXPECT_EQ(g->getClipY(), 0);
    EXPECT_EQ(g->getClipHeight(), 480);
}

TEST_F(Overlay, TranslucentBoxAtHalfOpacityUsesAlpha127) {
    Image* image = screen(100, 40);
    Game::drawTranslucentBox(image->getGraphics(), 0x00FF00, 50 << 14, 10, 10, 10, 10, 50, 20, 0, 0, 0);
    EXPECT_EQ(uint32_t(GameOverlay::overlayStatics.overlayBuffer->elements()[0]), 0x7F00FF00u);
    EXPECT_EQ(at(image, 10, 10), blend565(0, rgb(0x00FF00), 127));
    EXPECT_EQ(at(image, 59, 29), blend565(0, rgb(0x00FF00), 127));
    EXPECT_EQ(at(image, 60, 10), 0);
    EXPECT_EQ(at(image, 9, 10), 0);
}

// ---- stepped gradient -------------------------------------------------------------------------

TEST_F(Overlay, SteppedGradientMovesAnEighthPerStrip) {
    struct Case {
        int32_t w;
        std::vector<int32_t> widths;
    };
    const Case cases[] = {{50, {10, 10, 10, 10, 10}}, {100, {12, 12, 12, 12, 12, 12, 12, 12, 4}}};
    for (const Case& c : cases) {
        Image* image = screen(120, 4);
        Game::fillGradient(image->getGraphics(), 0, 0, c.w, 4, 0x000000, 0xFF0000);
        int32_t x = 0;
        for (std::size_t k = 0; k < c.widths.size(); ++k) {
            uint16_t expected = rgb(uint32_t(int32_t(k) * (255 * 256 / 8) >> 8) << 16);
            for (int32_t i = 0; i < c.widths[k]; ++i) EXPECT_EQ(at(image, x + i, 3), expected) << c.w << " strip " << k;
            x += c.widths[k];
        }
        EXPECT_EQ(x, c.w);
        EXPECT_EQ(at(image, c.w, 0), 0);
    }
    // Five strips stop half way; nine pass the end colour's channel (wrapping into the next).
    Image* image = screen(60, 1);
    Game::fillGradient(image->getGraphics(), 0, 0, 50, 1, 0x000000, 0xFF0000);
    EXPECT_EQ(at(image, 45, 0), rgb(uint32_t(4 * (255 * 256 / 8) >> 8) << 16));
}

// ---- effect switches --------------------------------------------------------------------------

TEST_F(Overlay, SwitchesSetAndClearEffectBits) {
    Game::setFlags(0x4 | 0x80);
    EXPECT_EQ(GameBase::statics.paintEffectFlags, 0x84);
    EXPECT_EQ(Game::stateStatics.overlayFlags, 0x84);
    Game::setFlags(0x1);
    EXPECT_EQ(Game::paintEffectRow(0)->elements()[1], -1);
    EXPECT_EQ(Game::stateStatics.overlayFlags, 0x84);
    Game::clearFlag(0x4);
    EXPECT_EQ(GameBase::statics.paintEffectFlags, 0x81);
    // The framework's forwarders reach the game's switches.
    GameBase::setFlags(0x800);
    EXPECT_EQ(GameBase::statics.paintEffectFlags, 0x881);
    Game::setTableInt(13, 2, 258);
    EXPECT_EQ(Game::paintEffectRow(13)->elements()[2], 258);
}

TEST_F(Overlay, ClearingTheFilterBitFadesTheFilterOut) {
    Game::startScreenFilter(0, 300, 1);
    EXPECT_EQ(GameBase::statics.paintEffectFlags, 0);  // starting alone raises nothing
    Game::setFlags(0x80);
    Game::clearFlag(0x80);
    EXPECT_EQ(GameBase::statics.paintEffectFlags & 0x80, 0x80);
    EXPECT_EQ(Game::paintEffectRow(4)->elements()[3], 2);
    Game::clearFlag(0x80);  // phase 2: still fading
    EXPECT_EQ(GameBase::statics.paintEffectFlags & 0x80, 0x80);
    Game::paintEffectRow(4)->elements()[3] = 3;
    Game::clearFlag(0x80);
    EXPECT_EQ(GameBase::statics.paintEffectFlags, 0);
    EXPECT_EQ(Game::stateStatics.overlayFlags, 0);
    // Any other value clears at once, 0x80 among them.
    Game::setFlags(0x80);
    Game::paintEffectRow(4)->elements()[3] = 0;
    Game::clearFlag(0x81);
    EXPECT_EQ(GameBase::statics.paintEffectFlags, 0);
}

TEST_F(Overlay, EffectStateRowsHaveTheirShapes) {
    const int32_t lengths[14] = {2, 1, 2, 6, 4, -1, -1, -1, 1, -1, -1, 7, -1, 3};
    for (int32_t r = 0; r < 14; ++r) {
        IntArray* a = Game::paintEffectRow(r);
        if (lengths[r] < 0) {
            EXPECT_EQ(a, nullptr) << r;
        } else {
            ASSERT_NE(a, nullptr) << r;
            EXPECT_EQ(a->length, lengths[r]) << r;
        }
    }
    EXPECT_EQ(gameHooks().offScreenImage(), Game::stateStatics.overlayImage);
    EXPECT_EQ(Game::stateStatics.overlayImage->width, 800);
}

// ---- overlay picture with one alpha -----------------------------------------------------------

TEST_F(Overlay, OverlayPictureIsDrawnInBandsWithOneAlpha) {
    useEffectBuffer(800 * 7);  // bands of 7 rows; the last of 480 mod 7 = 4
    fill(Game::stateStatics.overlayImage, 0xFF0000);
    Image* target = screen();
    fill(target, 0x0000FF);
    Game::drawOverlayImageAlpha(target->getGraphics(), 0x40, 0);
    uint16_t expected = blend565(rgb(0x0000FF), rgb(0xFF0000), 0x40);
    for (int32_t y : {0, 6, 7, 475, 476, 479}) {
        EXPECT_EQ(at(target, 0, y), expected) << y;
        EXPECT_EQ(at(target, 799, y), expected) << y;
    }
}

}  // namespace

namespace {

// ---- debug overlays -----------------------------------------------------------------------------

TEST_F(Overlay, CellColoursFollowTheFirstFlagInTheirOrder) {
    const int32_t cases[][2] = {{0x10 | 0x2, 0xFF8040}, {0x2 | 0x4, 0xFF0000}, {0x4, 0x00FF00}, {0x8, 0x0000FF},
                                {0x400, 0x00FFFF},      {0x800, 0x00FF80},   {0x200, 0xFF00FF}, {0x20, 0xDABA05},
                                {0x2000, 0xDAB000},     {0x1000, 0x808080},  {0x80, 0x20FF20},  {0x1, 0}};
    for (const auto& c : cases) EXPECT_EQ(Game::cellFlagColour(c[0]), c[1]) << c[0];
}

TEST_F(Overlay, CollisionOverlayOutlinesTheFlaggedCellsInView) {
    ObjectArray* grid = om()->newObjectArray(mrc::kClass_ShortArray, 40);
    Game::grids.s_levelGrid = grid;
    for (int32_t c = 0; c < 40; ++c) grid->elements()[c] = om()->newShortArray(20);
    auto cell = [&](int32_t c, int32_t r) -> int16_t& { return static_cast<ShortArray*>(grid->elements()[c])->elements()[r]; };
    cell(1, 0) = 0x2;     // at the view's top-left
    cell(3, 2) = 0x4;
    cell(5, 5) = 0x8;     // masked out
    cell(27, 15) = 0x2;   // the last column and row walked, drawn off the screen
    cell(28, 16) = 0x2;   // beyond
    GameMath::mathStatics.cameraX = 32 << 14;
    Image* image = screen();
    Game::paintCollisionOverlay(image->getGraphics(), 0x6);
    EXPECT_EQ(at(image, 0, 0), rgb(0xFF0000));
    EXPECT_EQ(at(image, 31, 31), rgb(0xFF0000));
    EXPECT_EQ(at(image, 15, 15), 0);
    EXPECT_EQ(at(image, 64, 64), rgb(0x00FF00));
    EXPECT_EQ(at(image, 128, 160), 0);
    std::array<int32_t, 4> ink = inkBox(image);
    EXPECT_EQ(ink, (std::array<int32_t, 4>{0, 0, 96, 96}));
}

}  // namespace

namespace {

TEST_F(Overlay, PaintersWithoutAGraphicsDrawNothing) {
    useEffectBuffer(800 * 4);
    Game::allocLevelBuffers();
    Game::setFlags(0x80);
    IntArray* pixels = ints({0xFFFFFFFF});
    Game::fillVerticalGradient(nullptr, 0, 0, 5, 5, 0, 0);
    Game::fillHorizontalGradient(nullptr, 0, 0, 5, 5, 0, 0);
    Game::drawTranslucentBox(nullptr, 0, 0, 1, 1, 0, 0, 5, 5, 0, 0, 0);
    Game::fillGradient(nullptr, 0, 0, 5, 5, 0, 0);
    Game::repaintDirtyRects(nullptr);
    Game::drawOverlayImageAlpha(nullptr, 0, 0);
    Game::drawBufferImage(nullptr);
    Game::drawRGBColumnBand(nullptr, 0, 0, pixels, 1, 1);
    Game::paintGradientEdges(nullptr, 0, 0, 5, 5);
    Game::paintScreenSmear(nullptr);
    Game::drawGlow(nullptr, 0, 0, 5, 5, 1, 1, 1);
    Game::paintScreenEffect(nullptr);
    Game::paintCollisionOverlay(nullptr, 0xFFFF);
    EXPECT_TRUE(log.contains("NullPointer"));
    EXPECT_EQ(app()->getPendingException(), nullptr);
}

}  // namespace
