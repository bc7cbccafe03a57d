#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "game/objects/cobject.h"
#include "tests/game/flow/paint_fixture.h"

namespace {

class RegionView : public mrc::test::PaintTest {
protected:
    void SetUp() override {
        PaintTest::SetUp();
        Game::allocLevelBuffers();
        Game::operations = ObjectOperationStatics{};
        Game::camera = CameraStatics{};
        Game::objects.s_player = nullptr;
        GameOverlay::overlayStatics.gameState = 7;
        GameOverlay::overlayStatics.gameSubState = 0;
    }
    // Band pixel (x, y): its 8-column stripe in red and green, its row in blue; 565-exact.
    static uint32_t bandColour(int32_t x, int32_t y) {
        const int32_t stripe = x / 8;
        return 0xFF000000u | uint32_t(stripe & 31) << 19 | uint32_t(stripe >> 5) << 10 | uint32_t(y & 31) << 3;
    }
    static int32_t stripeAt(Image* image, int32_t x, int32_t y) {
        const uint16_t p = at(image, x, y);
        return (p >> 11) + 32 * ((p >> 5) & 63);
    }
    static void paintBand(int32_t rows) {
        Graphics* g = Game::paintStatics.s_regionGraphics;
        for (int32_t y = 0; y < rows; ++y)
            for (int32_t x = 0; x < 1600; x += 8) {
                g->setColor(int32_t(bandColour(x, y)));
                g->fillRect(x, y, 8, 1);
            }
    }
    static int32_t& effect(int32_t i) { return Game::paintStatics.s_sceneEffect->elements()[i]; }
    // A view from screen row `top` of `rows` band rows at `scale` percent, widening to `last` percent.
    static void setView(int32_t top, int32_t rows, int32_t scale, int32_t last) {
        effect(1) = top, effect(2) = rows, effect(3) = scale << 14, effect(6) = last << 14;
        effect(8) = GameMath::mathStatics.cameraX;  // the band is current
    }
    static IntArray* record(std::initializer_list<std::pair<int32_t, int32_t>> fields) {
        IntArray* r = om()->newIntArray(17);
        for (auto [i, v] : fields) r->elements()[i] = v;
        return r;
    }
};

TEST_F(RegionView, RowsWidenFromTheScreenWidthAndStopPastTheScreen) {
    paintBand(240);
    Image* target = screen(800, 600);
    fill(target, 0xFFFFFFFF);
    setView(300, 240, 100, 200);
    Game::paintRegionView(target->getGraphics());
    // The top row is the band's own first row, 800 wide.
    for (int32_t x : {0, 9, 400, 799}) ASSERT_EQ(at(target, x, 300), rgb(bandColour(x, 0))) << x;
    // Every further row is wider and stays centred: its left edge moves into the band.
    EXPECT_GT(stripeAt(target, 0, 400), 0);
    EXPECT_GT(stripeAt(target, 0, 479), stripeAt(target, 0, 400));
    EXPECT_LT(stripeAt(target, 799, 479), 99);
    EXPECT_EQ(stripeAt(target, 0, 479) + stripeAt(target, 799, 479), 99);
    // Nothing above the view; the strip that begins on the screen is drawn whole (rows 460-491),
    // the next one would begin past it.
    EXPECT_EQ(at(target, 0, 299), 0xFFFF);
    EXPECT_NE(at(target, 400, 491), 0xFFFF);
    for (int32_t y : {492, 540, 599}) EXPECT_EQ(at(target, 400, y), 0xFFFF) << y;
}

TEST_F(RegionView, NarrowingRowsGiveBlackBesideTheBandAndTheScaleDropsRows) {
    paintBand(64);
    Image* target = screen();
    fill(target, 0xFFFFFFFF);
    setView(100, 64, 50, 50);  // 32 screen rows, the last 400 wide
    Game::paintRegionView(target->getGraphics());
    EXPECT_EQ(at(target, 400, 100), rgb(bandColour(400, 0)));
    EXPECT_EQ(at(target, 0, 131), 0);
    EXPECT_EQ(at(target, 799, 131), 0);
    EXPECT_EQ(at(target, 400, 131) & 0x1F, (rgb(bandColour(400, 62)) & 0x1F));  // every other band row
    EXPECT_EQ(at(target, 400, 132), 0xFFFF);
}

TEST_F(RegionView, AViewOfNoScreenRowsDrawsNothing) {
    paintBand(32);
    struct Case {
        int32_t rows, scale14;
    } cases[] = {{0, 100 << 14}, {20, 1 << 13}, {5, 10 << 14}, {-8, 100 << 14}};
    for (const Case& c : cases) {
        Image* target = screen();
        fill(target, 0xFFFFFFFF);
        setView(0, c.rows, 0, 200);
        effect(3) = c.scale14;
        Game::paintRegionView(target->getGraphics());
        for (int32_t y : {0, 1, 31}) ASSERT_EQ(at(target, 400, y), 0xFFFF) << c.rows << " " << c.scale14;
    }
}

TEST_F(RegionView, ACameraMoveRendersTheBandAgainFromTheMap) {
    paintBand(32);
    setView(0, 32, 100, 100);
    Image* target = screen();
    GameMath::mathStatics.cameraX = 2000 << 14;  // no map: the band becomes black
    Game::paintRegionView(target->getGraphics());
    EXPECT_EQ(effect(8), 2000 << 14);
    EXPECT_EQ(at(target, 400, 0), 0);
}

TEST_F(RegionView, ThePopupPassesTheRegionsLeftBandColumnAndWidth) {
    Game::stateStatics.playMode = 0;
    // A region 400 wide, 300 high at map column 1000: the view keeps its lowest 240 rows.
    Game::showPopup(2, 7, 8, 9, record({{4, 1}, {11, 1000}, {12, 64}, {13, 400}, {14, 300}}));
    EXPECT_EQ((std::vector<int32_t>{effect(15), effect(12), effect(16), effect(13), effect(14)}),
              (std::vector<int32_t>{1000, 600, 400, 400, 240}));
    EXPECT_EQ((std::vector<int32_t>{effect(1), effect(2), effect(3), effect(11)}), (std::vector<int32_t>{64, 300, 0, 1}));
    EXPECT_EQ(Game::operations.s_meterHold, 3);
    EXPECT_EQ(Game::stateStatics.playMode, 2);
    EXPECT_EQ(GameOverlay::overlayStatics.gameSubState, 4);
    // Outside the map the band is black.
    EXPECT_EQ(at(Game::paintStatics.s_regionImage, 1599, 0), 0);
}

TEST_F(RegionView, APopupOfTheScaledViewSetsItsScaleByMode) {
    struct Case {
        int32_t mode, scale, last;
    } cases[] = {{1, 100 << 14, 100 << 14}, {2, 50 << 14, 2456125}};
    for (const Case& c : cases) {
        Game::stateStatics.playMode = 0;
        GameMath::mathStatics.cameraY = 500 << 14;
        CObject::statics.s_moveDirection = 5;
        Game::showPopup(c.mode, 0, 0, 0, record({{4, 0}, {5, 0}, {12, 700}, {14, 90}}));
        EXPECT_EQ(effect(3), c.scale);
        EXPECT_EQ(effect(6), c.last);
        EXPECT_EQ(effect(7), ((149 - 100) << 14) / 434);
        EXPECT_EQ(effect(1), 700);
        EXPECT_EQ(effect(2), 500 - 700 + 480);  // to the screen's bottom: record[5] is 0
        EXPECT_EQ(effect(11), 0);
        EXPECT_EQ(CObject::statics.s_moveDirection, 0);
        EXPECT_EQ(Game::stateStatics.playMode, c.mode);
    }
}

TEST_F(RegionView, APopupMovesTheCameraUnlessItIsLocked) {
    GameMath::mathStatics.cameraX = 300 << 14;
    GameMath::mathStatics.cameraY = 100 << 14;
    struct Case {
        int32_t mode, before, after, meterHold;
    } cases[] = {{3, 1, 4, 2}, {3, 99, 99, 2}, {2, 1, 5, 3}, {2, 99, 99, 3}};
    for (const Case& c : cases) {
        Game::camera = CameraStatics{};
        Game::camera.s_cameraMode = c.before;
        Game::camera.s_cameraModeStep = 7;
        // A region whose rows 200 to 440 lie below the view: its middle row 320 is 220 rows into
        // the view, so the camera heads for the whole row 192 + 100.
        Game::showPopup(c.mode, 0, 0, 0, record({{4, 1}, {11, 1000}, {12, 200}, {13, 400}, {14, 240}}));
        SCOPED_TRACE(c.mode * 1000 + c.before);
        EXPECT_EQ(Game::camera.s_cameraMode, c.after);
        EXPECT_EQ(Game::camera.s_cameraModeStep, c.after == 99 ? 7 : 0);
        EXPECT_EQ(Game::operations.s_meterHold, c.meterHold);
        if (c.mode == 3) {
            // The hold keeps the view where it is; a locked camera keeps its old saved position.
            const bool held = c.after == 4;
            EXPECT_EQ(Game::camera.s_savedCameraX, held ? 300 << 14 : 0);
            EXPECT_EQ(Game::camera.s_savedCameraY, held ? 100 << 14 : 0);
        } else {
            // Without a player the view's centre column stays.
            EXPECT_EQ(Game::camera.s_cameraPointX, 300 + 400);
            EXPECT_EQ(Game::camera.s_cameraPointY, 100 + 192);
            EXPECT_EQ(Game::camera.s_savedCameraX, 0);
        }
    }
    // A region taller than the band is aimed at the middle of its lowest 240 rows: 480.
    Game::showPopup(2, 0, 0, 0, record({{4, 1}, {11, 1000}, {12, 200}, {13, 400}, {14, 400}}));
    EXPECT_EQ(Game::camera.s_cameraPointY, 100 + 352);
}

}  // namespace
