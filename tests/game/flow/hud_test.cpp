// The in-game HUD on a stepped clock, probed on a real picture: the health bar's fill and flash,
// the energy bars, the points gauge's clip, banner A's number, the chain counter's best, slide,
// end and pulse, and the HUD panel's placing.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "tests/game/flow/hud_fixture.h"

namespace mrc::test {
namespace {

// Bar origin: layout 6 element 4 (100, 50) plus frame 66's rectangle (10, 5); 100 x 10, filled 15 high.
constexpr int32_t kBarX = 110, kBarY = 55, kProbeY = 60;

TEST_F(HudTest, TheHealthBarFillsItsShareAndNeverLessThanTwoPixels) {
    const struct {
        int32_t health, maximum, fill;
    } cases[] = {{1, 1000, 2}, {500, 1000, 50}, {1000, 1000, 100}, {0, 1000, 0}, {5, 0, 0}};
    for (const auto& c : cases) {
        clear();
        setGauges({{13, c.health}, {17, c.maximum}});
        Game::paintHealthBar(g);
        if (c.fill > 0) {
            EXPECT_FALSE(is(kBarX + c.fill - 1, kProbeY, kBlack) || is(kBarX + c.fill - 1, kProbeY, kWhite))
                << c.health << " of " << c.maximum;
            EXPECT_FALSE(is(kBarX + c.fill - 1, kBarY + 14, kWhite)) << "the fill is 5 px taller than the bar";
        }
        if (c.fill < 100) {
            EXPECT_TRUE(is(kBarX + c.fill, kProbeY, kBlack)) << c.health << " of " << c.maximum;
        }
        EXPECT_TRUE(is(kBarX + 100, kProbeY, kWhite));
    }
}

TEST_F(HudTest, TheFlashRisesToFullTurnsAndEndsAtZero) {
    setGauges({{13, 500}, {17, 1000}});
    Game::hudGauges.s_healthFlashStep = 1;
    std::vector<std::pair<int32_t, int32_t>> seen;
    for (int i = 0; i < 13; ++i) {
        step(100);  // 20 percent a frame
        clear();
        Game::paintHealthBar(g);
        seen.emplace_back(Game::hudStatics.s_healthFlashLevel >> 14, Game::hudGauges.s_healthFlashStep);
        if (i == 5) {
            EXPECT_EQ(Game::hudStatics.s_barColour, 0xFF0000);
            EXPECT_TRUE(is(kBarX + 95, kProbeY, kRed)) << "the lost part flashes from the right end";
            EXPECT_FALSE(is(kBarX + 45, kProbeY, kRed)) << "the fill is drawn over the flash";
            EXPECT_FALSE(is(kBarX + 45, kProbeY, kBlack));
        }
    }
    const std::vector<std::pair<int32_t, int32_t>> expected = {{20, 1}, {40, 1}, {60, 1}, {80, 1}, {100, 1},
                                                               {100, -1}, {80, -1}, {60, -1}, {40, -1}, {20, -1},
                                                               {0, -1}, {0, 0}, {0, 0}};
    EXPECT_EQ(seen, expected);
    EXPECT_TRUE(is(kBarX + 95, kProbeY, kBlack)) << "no flash: the empty part is black again";
}

TEST_F(HudTest, TheEnergyPanelShowsEnergyAndItsAvailablePartAndAnEmptyMaximumNothing) {
    // Energy origin: (100, 50) + (10, 20); 100 x 6.
    constexpr int32_t x = 110, y = 72;
    setGauges({{15, 60}, {14, 30}, {18, 100}});
    Game::paintEnergyPanel(g);
    const uint16_t available = pixel(x + 10, y), energy = pixel(x + 45, y);
    EXPECT_NE(available, energy);
    EXPECT_FALSE(is(x + 45, y, kBlack) || is(x + 45, y, kWhite));
    EXPECT_TRUE(is(x + 60, y, kBlack));
    clear();
    setGauges({{18, 0}});
    Game::paintEnergyPanel(g);
    EXPECT_TRUE(is(x, y, kBlack)) << "a maximum of 0 fills nothing";
}

TEST_F(HudTest, ThePointsGaugeShowsItsPictureFromTheBottomUpToItsLevel) {
    // Element 5 at (300, 50) shows the 8 x 40 block; rectangle 0 of frame 33 is the whole block.
    const struct {
        int32_t points, topPainted;
    } cases[] = {{0, -1}, {50, 70}, {100, 50}};
    for (const auto& c : cases) {
        clear();
        setGauges({{16, c.points}, {19, 100}});
        Game::paintPointsGauge(g);
        for (int32_t y = kGaugeY; y < kGaugeY + 40; ++y)
            EXPECT_EQ(is(kGaugeX + 2, y, kRed), c.topPainted >= 0 && y >= c.topPainted) << c.points << " at " << y;
        EXPECT_EQ(g->getClipHeight(), 480) << "the clip is put back";
    }
    setGauges({{16, 5}, {19, 0}});
    clear();
    Game::paintPointsGauge(g);
    EXPECT_FALSE(is(kGaugeX + 2, kGaugeY + 39, kRed)) << "a maximum of 0 shows nothing";
}

TEST_F(HudTest, BannerAFollowsTheParameterOnlyWhenAsked) {
    int32_t* v = Game::hudStatics.s_sidePanel;
    const int32_t start[8] = {1, 7, 0, 9, 1, 0, 200, 300 << 14};
    std::copy(start, start + 8, v);
    player->setParam(5, 42);
    Game::paintSidePanel(g);
    EXPECT_EQ(v[1], 42);
    EXPECT_EQ(Game::textStatics.textArgs->elements()[0], 42);
    EXPECT_EQ(Game::textStatics.textArgs->elements()[1], 9);
    v[1] = 7;
    v[2] = 1;
    Game::paintSidePanel(g);
    EXPECT_EQ(v[1], 7);
    EXPECT_EQ(Game::textStatics.textArgs->elements()[0], 7);
}

TEST_F(HudTest, TheBestChainIsKeptUnsignedUpTo250) {
    const struct {
        int32_t hits, best;
    } cases[] = {{130, 130}, {251, 250}};
    for (const auto& c : cases) {
        Game::resetHudState();
        st.savedCounters->elements()[0] = 0;
        g_pendingCalls.clear();
        for (int32_t i = 0; i < c.hits; ++i) Game::countChainHit();
        EXPECT_EQ(st.savedCounters->elements()[0] & 0xFF, c.best);
        EXPECT_EQ(count("Game::emitRandomParticles"), c.hits / 5);
    }
    EXPECT_EQ(Game::hudStatics.s_chainBannerText, 14) << "the banner's text stops at 14";
}

TEST_F(HudTest, AChainSlidesInEndsAfter1501QuietMsAndSlidesOut) {
    // The chain number's instance: a 4 x 4 block at (500, 400); it is slid left by the offset.
    ASpriteInstance* number = instance(16, 2, 500, 400);
    Game::resetHudState();
    Game::countChainHit();
    auto paint = [&](int32_t ms) {
        step(ms);
        clear();
        Game::paintChainCounter(g);
    };
    auto shownAt = [&]() {
        for (int32_t x = 380; x <= 504; ++x)
            if (is(x, 401, kRed)) return x;
        return -1;
    };
    paint(0);
    EXPECT_EQ(shownAt(), 400) << "slid out by W = 100 at first";
    paint(250);
    EXPECT_EQ(shownAt(), 450) << "halfway";
    EXPECT_EQ(number->x, 500 << 14) << "the instance is put back";
    paint(250);
    EXPECT_EQ(Game::hudStatics.s_chainState, 2);
    paint(1000);
    EXPECT_EQ(Game::hudStatics.s_chainState, 2);
    EXPECT_EQ(shownAt(), 500);
    paint(1);  // 1501 ms after the hit
    EXPECT_EQ(Game::hudStatics.s_chainState, 3);
    paint(250);
    EXPECT_EQ(shownAt(), 450) << "sliding out";
    paint(249);
    EXPECT_EQ(Game::hudStatics.s_chainState, 3);
    EXPECT_EQ(Game::hudStatics.s_chainCount, 1);
    paint(1);
    EXPECT_EQ(Game::hudStatics.s_chainState, 0);
    EXPECT_EQ(Game::hudStatics.s_chainCount, 0) << "gone 500 ms later";
    // A hit while sliding out brings it back in.
    Game::countChainHit();
    paint(1501);
    EXPECT_EQ(Game::hudStatics.s_chainState, 3);
    Game::countChainHit();
    EXPECT_EQ(Game::hudStatics.s_chainState, 1);
    EXPECT_EQ(Game::hudStatics.s_chainCount, 2);
}

TEST_F(HudTest, TheChainNumberPulsesFrom200To100PercentInASecond) {
    instance(16, 2, 500, 400);
    Game::resetHudState();
    Game::countChainHit();
    IntArray* scale = Game::paintEffectRow(0);
    ASSERT_NE(scale, nullptr);
    const struct {
        int32_t ms, percent;
        bool pulse;
    } cases[] = {{0, 200, true}, {500, 150, true}, {250, 125, true}, {250, 125, false}};
    for (const auto& c : cases) {
        step(c.ms);
        scale->elements()[0] = -7;
        Game::paintChainCounter(g);
        EXPECT_EQ(scale->elements()[0], c.pulse ? c.percent : -7) << c.ms;
        EXPECT_EQ(Game::statics.paintEffectFlags & 0x1, 0) << "the scale bit is cleared after the number";
    }
    EXPECT_EQ(Game::hudStatics.s_chainTimerB, -1) << "released after a second";
}

TEST_F(HudTest, TheChainBannerSlidesInHoldsAndGoesAndAnEndingChainHidesIt) {
    Game::resetHudState();
    for (int i = 0; i < 5; ++i) Game::countChainHit();
    EXPECT_EQ(Game::hudStatics.s_chainBannerShown, 1);
    EXPECT_EQ(Game::hudStatics.s_chainBannerText, 5);
    step(501);
    Game::paintChainBanner(g);
    EXPECT_EQ(Game::hudStatics.s_chainBannerShown, 2);
    EXPECT_EQ(Game::hudStatics.s_chainBannerTime, 1500);
    step(1501);
    Game::paintChainBanner(g);
    EXPECT_EQ(Game::hudStatics.s_chainBannerShown, 0);
    EXPECT_EQ(Game::hudStatics.s_chainBannerTimer, -1);
    // Shown again, then the chain ends: hidden at once.
    Game::showChainBanner();
    Game::hudStatics.s_chainState = 2;
    step(1501);
    Game::paintChainCounter(g);
    EXPECT_EQ(Game::hudStatics.s_chainState, 3);
    EXPECT_EQ(Game::hudStatics.s_chainBannerShown, 0);
}

TEST_F(HudTest, TheHudPanelPlacesItsElementsAndPaintsTheGauges) {
    setGauges({{16, 100}, {19, 100}});
    Game::paintHudPanel(g, 320, 60, false);
    for (int32_t e : {4, 5}) {
        EXPECT_EQ(Game::getTableEntry1(6, e), 320);
        EXPECT_EQ(Game::getTableEntry2(6, e), 60);
    }
    EXPECT_TRUE(is(322, 61, kRed)) << "the points gauge at its new place";
    EXPECT_TRUE(is(kBarX + 50, kProbeY, kWhite)) << "no panels without full";
    clear();
    Game::objects.s_currentItem = 0;
    Game::paintHudPanel(g, kPanelX, kPanelY, true);
    EXPECT_FALSE(is(kBarX + 50, kProbeY, kWhite)) << "the health bar";
    EXPECT_FALSE(is(kBarX + 50, 72, kWhite)) << "the energy bars";
}

TEST_F(HudTest, ThePanelAnimationsRunToTheirEndAndThenLoopTheirBase) {
    ASpriteInstance* health = instance(20, 2, 0, 0);
    health->setAnimLoop(0, 0);
    Game::hudStatics.s_healthPanelStyle = 0;
    // Animation 0 is the only one: once ended, the base (41) differs and is started.
    for (int i = 0; i < 5; ++i) {
        step(100);
        ASpriteInstance::advanceFrameClock(100);
        Game::updateHudBars();
    }
    EXPECT_EQ(health->anim, 41);
}

}  // namespace
}  // namespace mrc::test
