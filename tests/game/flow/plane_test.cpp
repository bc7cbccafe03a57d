#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "tests/game/flow/paint_fixture.h"

namespace {

class Plane : public mrc::test::PaintTest {
protected:
    // Plane image pixel (x, y): its column and row in the colour, always opaque.
    static uint32_t planeColour(int32_t x, int32_t y) { return 0xFF000000u | uint32_t(x / 8 % 32) << 19 | uint32_t(y) << 10; }
    static void paintPlaneImage() {
        Graphics* g = Game::paintStatics.s_regionGraphics;
        for (int32_t y = 0; y < 64; ++y)
            for (int32_t x = 0; x < 1600; x += 8) {
                g->setColor(int32_t(planeColour(x, y)));
                g->fillRect(x, y, 8, 1);
            }
    }
    static void setPlane(int32_t top, int32_t height, int32_t squeeze, int32_t rows) {
        int32_t* p = Game::paintStatics.s_sceneEffect->elements();
        p[1] = top, p[2] = height, p[3] = squeeze << 14;
        p[12] = 0, p[13] = 1600, p[14] = rows, p[15] = 0, p[16] = 1600;
    }
};

TEST_F(Plane, BuffersAreMadeOnceAndServeTheSpritePainter) {
    Game::allocLevelBuffers();
    PaintStatics& s = Game::paintStatics;
    ASSERT_NE(s.s_regionImage, nullptr);
    EXPECT_EQ(s.s_regionImage->width, 1600);
    EXPECT_EQ(s.s_regionImage->height, 240);
    EXPECT_EQ(s.s_regionPixels->length, 51200);
    EXPECT_EQ(s.s_regionOut->length, 102400);
    EXPECT_EQ(Game::paintStatics.s_sceneEffect->elements()[8], -1);
    EXPECT_EQ(gameHooks().pixelWorkBuffer(), s.s_regionOut);
    Image* image = s.s_regionImage;
    Game::paintStatics.s_sceneEffect->elements()[8] = 5;
    Game::paintStatics.s_sceneEffect->elements()[10] = 5;
    Game::allocLevelBuffers();
    EXPECT_EQ(s.s_regionImage, image);
    EXPECT_EQ(Game::paintStatics.s_sceneEffect->elements()[8], -1);
    EXPECT_EQ(Game::paintStatics.s_sceneEffect->elements()[10], 0);
}

TEST_F(Plane, ResamplingStretchesRowsAndGivesBlackOutsideTheSource) {
    IntArray* src = ints({1, 2, 3, 4, 5, 6, 7, 8});
    IntArray* out = om()->newIntArray(8);
    Game::resampleRows(src, 4, 0, 0, 4, 2, out, 2 << 14, 2, 0, 0, 0);
    const int32_t black = int32_t(0xFF000000);
    EXPECT_EQ(row(out), (std::vector<int32_t>{1, 3, 5, 7, 5, 7, black, black}));
    // The offset and the width step per row: a shifted row, then a stretched one.
    auto firstFour = [&] { return std::vector<int32_t>(out->elements(), out->elements() + 4); };
    Game::resampleRows(src, 4, 1, 0, 2, 1, out, 2 << 14, 2, 0, 0, 1 << 14);
    EXPECT_EQ(firstFour(), (std::vector<int32_t>{2, 3, 3, 4}));
    Game::resampleRows(src, 4, 1, 0, 2, 1, out, 2 << 14, 2, 0, 2 << 14, 0);
    EXPECT_EQ(firstFour(), (std::vector<int32_t>{2, 3, 2, 2}));
}

TEST_F(Plane, UnsqueezedPlaneCopiesTheImageRowsUnderTheView) {
    Game::allocLevelBuffers();
    paintPlaneImage();
    setPlane(100, 64, 0, 64);
    GameMath::mathStatics.cameraX = 100 << 14;
    Image* target = screen();
    Game::paintScreenEffect(target->getGraphics());
    for (int32_t y = 0; y < 64; ++y)
        for (int32_t x : {0, 7, 8, 399, 799})
            ASSERT_EQ(at(target, x, 100 + y), rgb(planeColour(100 + x, y))) << x << "," << y;
    EXPECT_EQ(at(target, 0, 99), 0);
    EXPECT_EQ(at(target, 0, 164), 0);
}

TEST_F(Plane, RowsBeyondTheLastWholeStripAreNeverDrawn) {
    Game::allocLevelBuffers();
    paintPlaneImage();
    setPlane(100, 50, 0, 50);  // 50 rows in use: one strip of 32 (rows 18..49), the top 18 rows never
    Image* target = screen();
    Game::paintScreenEffect(target->getGraphics());
    EXPECT_EQ(at(target, 10, 150 - 1), rgb(planeColour(10, 49)));
    EXPECT_EQ(at(target, 10, 150 - 32), rgb(planeColour(10, 18)));
    EXPECT_EQ(at(target, 10, 150 - 33), 0);
}

TEST_F(Plane, SqueezedPlaneNarrowsTowardsItsTop) {
    Game::allocLevelBuffers();
    paintPlaneImage();
    setPlane(100, 64, 50, 64);
    GameMath::mathStatics.cameraX = 400 << 14;
    Image* target = screen();
    Game::paintScreenEffect(target->getGraphics());
    // The bottom row is close to the image; the top row shows more columns in the same width.
    int32_t bottomColumns = 0, topColumns = 0;
    uint16_t lastBottom = 0xFFFF, lastTop = 0xFFFF;
    for (int32_t x = 0; x < 800; ++x) {
        uint16_t b = at(target, x, 163), t = at(target, x, 100);
        bottomColumns += b != lastBottom;
        topColumns += t != lastTop;
        lastBottom = b;
        lastTop = t;
    }
    EXPECT_GT(topColumns, bottomColumns);
    EXPECT_EQ(at(target, 400, 163) & 0x07E0, rgb(planeColour(800, 63)) & 0x07E0);  // the row itself
}

}  // namespace
