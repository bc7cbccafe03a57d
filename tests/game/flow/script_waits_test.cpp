// The script waits and timed screen pieces on a stepped clock: the confirm prompt's press and
// pages, the gauge refills, the overlay sequence, the blinking rectangle, the dimmed background,
// the scrolling text, the side panel's slide and the player's energy drain and refill.
#include <gtest/gtest.h>

#include <vector>

#include "tests/game/flow/hud_fixture.h"

namespace mrc::test {
namespace {

class ScriptWaitsTest : public HudTest {
protected:
    bool confirm(int32_t keys, bool skip = false) {
        in.keysPressed = keys;
        return Game::waitForConfirm(skip);
    }
};

TEST_F(ScriptWaitsTest, ASecondConfirmCountsOnlyFiveFramesAfterThePress) {
    Game::layouts.s_promptState = 1;
    Game::prompts.s_promptTimer = Game::timerAlloc();
    EXPECT_FALSE(confirm(0x800));
    EXPECT_TRUE(Game::prompts.s_promptPressed);
    confirm(0);
    confirm(0);
    EXPECT_FALSE(confirm(0x20)) << "3 frames after the press";
    EXPECT_EQ(Game::prompts.s_promptPage, 0);
    confirm(0);
    EXPECT_EQ(Game::prompts.s_promptPressFrames, 5);
    EXPECT_FALSE(confirm(0x820));
    EXPECT_EQ(Game::prompts.s_promptPage, 1) << "the page turns";
    EXPECT_FALSE(Game::prompts.s_promptPressed);
    // On the last page the prompt finishes and answers on the following call.
    Game::prompts.s_promptLastPage = true;
    confirm(0x800);
    for (int i = 0; i < 4; ++i) confirm(0);
    EXPECT_FALSE(confirm(0x800));
    EXPECT_EQ(Game::layouts.s_promptState, 2);
    EXPECT_TRUE(Game::prompts.s_promptDone);
    EXPECT_EQ(Game::prompts.s_promptPage, 0);
    EXPECT_TRUE(confirm(0));
}

TEST_F(ScriptWaitsTest, TheConfirmKeyPagesThePromptThatTheBoxesOpenAndPaint) {
    Game::layoutMenuItems(0, 0, 0, 0, 0, -1, true, true, 110, 0);  // paged and open: waiting for the key
    ASSERT_EQ(Game::layouts.s_promptState, 1);
    ASSERT_FALSE(Game::prompts.s_promptPressed);
    confirm(0x800);
    EXPECT_TRUE(Game::prompts.s_promptPressed) << "the painter shows the page whole with its marker";
    for (int i = 0; i < 4; ++i) confirm(0);
    confirm(0x800);
    EXPECT_EQ(Game::prompts.s_promptPage, 1) << "the painter's page counter turns";
    EXPECT_FALSE(Game::prompts.s_promptPressed);
}

TEST_F(ScriptWaitsTest, ASkippedOrFinishedPromptClearsTheKeysAndItsValues) {
    Game::layouts.s_promptState = 1;
    Game::layouts.s_promptValueA = 3;
    Game::prompts.s_promptValueB = 4;
    in.keysHeld = 0x820;
    in.keysRepeat = 1;
    in.keysDoublePressed = 2;
    in.lastPressMask = 4;
    in.stickyKeys = 8;
    EXPECT_TRUE(confirm(0x820, true));
    EXPECT_EQ(in.keysPressed | in.keysHeld | in.keysRepeat | in.keysDoublePressed | in.lastPressMask |
                  in.stickyKeys.load(),
              0);
    EXPECT_EQ(in.keyLockFrames.load(), 1);
    EXPECT_EQ(Game::layouts.s_promptValueA, 0);
    EXPECT_EQ(Game::prompts.s_promptValueB, 0);
    // The 300 ms delay of flag 0x10 before the prompt takes keys.
    Game::layouts.s_promptState = 0;
    Game::prompts.s_promptFlags = 0x10;
    Game::prompts.s_promptTimer = Game::timerAlloc();
    step(299);
    confirm(0);
    EXPECT_EQ(Game::layouts.s_promptState, 0);
    step(1);
    confirm(0);
    EXPECT_EQ(Game::layouts.s_promptState, 1);
    EXPECT_EQ(Game::prompts.s_promptTimer, -1);
}

TEST_F(ScriptWaitsTest, ARefillAddsByTheFrameAndEndsWhenSpentOrFull) {
    setGauges({{13, 0}, {17, 100}, {15, 90}, {18, 100}});
    HudStatics& h = Game::hudStatics;
    h.s_refillPending[0] = 10 << 14;
    h.s_refillRate[0] = 1 << 14;  // a unit a millisecond
    step(4);
    EXPECT_FALSE(Game::stepGaugeRefill());
    EXPECT_EQ(player->param(13), 4 << 14);
    EXPECT_EQ(h.s_refillPending[0], 6 << 14);
    // The energy gauge reports itself full: that refill ends while health goes on.
    h.s_refillPending[2] = 300 << 14;
    h.s_refillRate[2] = 50 << 14;
    EXPECT_TRUE(Game::stepGaugeRefill());
    EXPECT_EQ(player->param(15), 100 << 14);
    EXPECT_EQ(h.s_refillPending[2], 0);
    EXPECT_EQ(h.s_refillRate[2], 0);
    EXPECT_EQ(h.s_refillPending[0], 2 << 14);
    // Spent: the last step takes more than is pending.
    step(7);
    EXPECT_TRUE(Game::stepGaugeRefill());
    EXPECT_EQ(h.s_refillPending[0], 0);
    EXPECT_EQ(h.s_refillRate[0], 0);
    EXPECT_EQ(h.s_refillStep, 7 * (1 << 14)) << "the last step";
    EXPECT_FALSE(Game::stepGaugeRefill()) << "nothing pending";
    // A held script object: the wait ends at once.
    Game::objects.s_selectedObject = CObject::create(2, 1, 0, 0, om()->newIntArray(20));
    Game::objects.s_selectedObject->setParam(11, 3);
    Game::objects.s_selectedObjectFlag = true;
    EXPECT_TRUE(Game::stepGaugeRefill());
    Game::objects.s_selectedObject = nullptr;
    Game::objects.s_selectedObjectFlag = false;
}

TEST_F(ScriptWaitsTest, TheOverlayOpensShowsClosesAndEnds) {
    ASpriteInstance* overlay = instance(22, 2, 0, 0);
    HudStatics& h = Game::hudStatics;
    h.s_overlayAnimDuration = 300;
    Game::startOverlaySequence();
    EXPECT_EQ(overlay->anim, 55);
    step(299);
    EXPECT_FALSE(Game::checkTimerExpired());
    EXPECT_EQ(h.s_overlayAnimPhase, 0);
    step(1);
    EXPECT_FALSE(Game::checkTimerExpired());
    EXPECT_EQ(h.s_overlayAnimPhase, 1);
    EXPECT_EQ(overlay->anim, 56);
    EXPECT_TRUE(Game::checkTimerExpired());
    EXPECT_FALSE(Game::runTimedOverlay());
    EXPECT_EQ(overlay->anim, 57);
    step(299);
    EXPECT_FALSE(Game::runTimedOverlay());
    step(1);
    EXPECT_TRUE(Game::runTimedOverlay());
    EXPECT_EQ(h.s_overlayAnimPhase, -1);
    EXPECT_EQ(h.s_overlayAnimActive, 0);
    EXPECT_EQ(h.s_overlayAnimTimer, -1);
    EXPECT_TRUE(Game::runTimedOverlay());
}

TEST_F(ScriptWaitsTest, TheRectangleBlinksOnEvenCountsUntilItsLimit) {
    HudStatics& h = Game::hudStatics;
    h.s_blinkValue = 1;
    h.s_blinkTarget = 0;
    h.s_blinkColour = 0xFF0000;
    h.s_blinkPeriod = 100;
    h.s_blinkLimit = 3;
    h.s_blinkTimer = Game::timerAlloc();
    int32_t* r = Game::overlayStatics.boxRects->elements();
    r[4] = 10, r[5] = 10, r[6] = 5, r[7] = 5;
    std::vector<bool> shown;
    for (int i = 0; i < 6; ++i) {
        clear();
        Game::paintBlinkRect(g, 8);
        shown.push_back(is(12, 12, kRed));
        step(100);
    }
    EXPECT_EQ(shown, (std::vector<bool>{true, false, true, false, true, false}));
    EXPECT_EQ(h.s_blinkValue, h.s_blinkTarget);
    EXPECT_EQ(h.s_blinkTimer, -1);
    h.s_blinkValue = 1;
    clear();
    Game::paintBlinkRect(g, 7);
    EXPECT_FALSE(is(12, 12, kRed)) << "only with flag 8";
}

TEST_F(ScriptWaitsTest, TheBackgroundDimsFromHalfToFullInHalfASecond) {
    const struct {
        int32_t elapsed, alpha;
    } cases[] = {{-1, 127}, {0, 128}, {250, 191}, {500, 255}, {900, 255}};
    for (const auto& c : cases) {
        if (c.elapsed < 0) {
            Game::objects.s_levelTimer = -1;
        } else {
            Game::objects.s_levelTimer = Game::timerAlloc();
            step(c.elapsed);
        }
        Game::paintDimmedBackground(g);
        EXPECT_EQ(uint32_t(Game::overlayStatics.overlayBuffer->elements()[0]) >> 24, uint32_t(c.alpha)) << c.elapsed;
    }
}

TEST_F(ScriptWaitsTest, ThePointerScrollsTheTextBackAndItJumpsToItsEnd) {
    Game::MenuStatics& m = Game::menuStatics;
    m.scrollY = 480 << 14;
    m.scrollEnd = -(100 << 14);
    in.pointerDown = 1;
    in.pointerPressX = 400;
    in.pointerPressY = 100;
    step(10);
    st.redraw = 0;
    EXPECT_FALSE(Game::touchZone(false));
    EXPECT_EQ(m.scrollY, m.scrollEnd) << "back past 480: to the end";
    EXPECT_EQ(st.redraw, 1);
    in.pointerDown = 0;
    EXPECT_TRUE(Game::touchZone(false)) << "below its end it has run through";
    EXPECT_EQ(m.scrollY, 480 << 14);
    // Keys only count when asked: down speeds it up, up turns it back.
    in.keysHeld = 0x4004;
    Game::touchZone(true);
    EXPECT_EQ(m.scrollY, (480 << 14) - 10 * 1638);
    in.keysHeld = 0x102;
    Game::touchZone(false);
    EXPECT_EQ(m.scrollY, (480 << 14) - 10 * 1638 - 10 * 491);
}

TEST_F(ScriptWaitsTest, TheSidePanelSlidesInStopsAndSlidesOut) {
    int32_t* v = Game::hudStatics.s_sidePanel;
    v[0] = 1;
    v[6] = 200;
    v[7] = 800 << 14;
    int frames = 0;
    while (v[0] == 1 && frames < 100) {
        step(100);  // 15 pixels
        Game::updatePanelSlide();
        ++frames;
    }
    EXPECT_EQ(frames, 14);
    EXPECT_EQ(v[7], 600 << 14);
    EXPECT_EQ(v[0], 2);
    Game::updatePanelSlide();
    EXPECT_EQ(v[7], 600 << 14);
    v[0] = 3;
    for (int i = 0; i < 14; ++i) Game::updatePanelSlide();
    EXPECT_EQ(v[7], 800 << 14);
    EXPECT_EQ(v[0], 0);
}

TEST_F(ScriptWaitsTest, EnergyDrainsByItsKindAndRefillsOrFills) {
    ShortArray* index = om()->newShortArray(4);
    ShortArray* table = om()->newShortArray(8);
    table->elements()[5] = 40;
    Game::tables.s_summaryIndex = index;
    Game::tables.s_summaryTable = table;
    player->setParam(4, 0);
    setGauges({{14, 50}, {15, 80}, {18, 100}});
    step(62);
    Game::updatePlayerEnergy();
    EXPECT_EQ(player->param(14), (50 << 14) - 10158);
    EXPECT_EQ(player->param(15), (80 << 14) - 10158);
    // An upgrade of the held item lowers the drain: level 4 gives k = 15.
    Game::hudStatics.s_energyUpgradeOn = true;
    EXPECT_EQ(Game::getUpgradeLevelAlt(0), 0) << "not built yet: no lowering";
    // Empty: the energy refills, to the maximum within 100 ms with setting byte 3 at 2.
    setGauges({{14, 0}, {15, 0}});
    Game::flowStatics.s_settings->elements()[3] = 2;
    step(100);
    Game::updatePlayerEnergy();
    EXPECT_EQ(player->param(15), 100 << 14);
    Game::flowStatics.s_settings->elements()[3] = 0;
    setGauges({{15, 0}});
    Game::updatePlayerEnergy();
    EXPECT_EQ(player->param(15), (100 << 14) * 5 / 100 / 10);
    // Mode 1 fills the available part up to the energy.
    Game::hudStatics.s_energyMode = 1;
    setGauges({{14, 0}, {15, 30}});
    Game::updatePlayerEnergy();
    EXPECT_EQ(player->param(14), 10 << 14);
    Game::updatePlayerEnergy();
    Game::updatePlayerEnergy();
    Game::updatePlayerEnergy();
    EXPECT_EQ(player->param(14), 30 << 14);
    Game::hudStatics.s_savedEnergy = 7;
    Game::restoreObjectState(player);
    EXPECT_EQ(Game::hudStatics.s_energyMode, 0);
    EXPECT_EQ(player->param(14), 7);
}

}  // namespace
}  // namespace mrc::test
