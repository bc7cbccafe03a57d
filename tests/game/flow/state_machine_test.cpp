// The frame step and the state machine: frame time and logic steps, the history ring, the rule
// for the effect timers of gameplay, state ticks, the resume step by state and the overlay target.
#include <gtest/gtest.h>

#include "framework/sprite/sprite_instance.h"
#include "host/core/clock.h"
#include "host/core/log.h"
#include "platform/lcdui/graphics.h"
#include "platform/lcdui/image.h"
#include "tests/game/game_fixture.h"

namespace {

using namespace mrc;
constexpr int32_t kProbe = 9;  // a state of no screen

class StateMachineTest : public test::GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        game = newGame();
        state(kProbe, 0);
    }
    Game* game = nullptr;
};

TEST_F(StateMachineTest, FrameTimeIsClampedAndCarriedIntoLogicSteps) {
    const struct {
        std::vector<uint32_t> frames;  // ms between frames
        int64_t lastTime;
        int32_t lastSteps, carried;
    } cases[] = {
        {{250}, 100, 1, 38},      // a long frame counts as 100 ms
        {{100}, 100, 1, 38},      // exactly 100 stays
        {{31, 31}, 31, 1, 0},     // no step, then one
        {{30}, 30, 0, 30},
        {{62, 62, 62}, 62, 1, 0},
        {{124}, 100, 1, 38},
    };
    for (const auto& c : cases) {
        host::ManualClock clock(10000);
        st.lastFrameTicks = 10000;
        ASpriteInstance::statics.logicStepAccumulator = 0;
        for (uint32_t ms : c.frames) {
            clock.advance(ms);
            game->runFrame();
        }
        EXPECT_EQ(st.frameTime, c.lastTime) << c.frames.size() << " frames from " << c.frames[0];
        EXPECT_EQ(ASpriteInstance::statics.logicStepsThisFrame, c.lastSteps) << c.frames[0];
        EXPECT_EQ(ASpriteInstance::statics.logicStepAccumulator, c.carried) << c.frames[0];
        EXPECT_EQ(st.frameStartTicks, int64_t(clock.now()));
    }
}

TEST_F(StateMachineTest, AClockThatGoesBackGivesAFrameOfNothing) {
    host::ManualClock clock(5000);
    st.lastFrameTicks = 6000;
    ASpriteInstance::statics.logicStepAccumulator = 10;
    game->runFrame();
    EXPECT_EQ(st.frameTime, 0);
    EXPECT_EQ(ASpriteInstance::statics.logicStepsThisFrame, 0);
    EXPECT_EQ(ASpriteInstance::statics.logicStepAccumulator, 10);
}

TEST_F(StateMachineTest, HistoryRingKeepsTheLastTenStatesLeft) {
    ov.stateHistoryIndex = 0;
    std::vector<int32_t> indexes;
    for (int32_t i = 1; i <= 11; ++i) {
        Game::setState(i, i + 100);  // leaves state i - 1 with sub-step i + 99
        indexes.push_back(ov.stateHistoryIndex);
    }
    EXPECT_EQ(indexes, (std::vector<int32_t>{1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 1}));
    auto entry = [&](int32_t i) { return uint16_t(ov.stateHistory->elements()[i]); };
    EXPECT_EQ(entry(1), uint16_t(10 | (110 << 8))) << "the eleventh change overwrote the oldest entry";
    EXPECT_EQ(entry(0), uint16_t(9 | (109 << 8)));
    EXPECT_EQ(entry(2), uint16_t(1 | (101 << 8)));
    // popState walks back and leaves redraw and ticks alone.
    st.redraw = 0;
    st.stateTicks = 7;
    Game::popState();
    EXPECT_EQ(ov.gameState, 10);
    EXPECT_EQ(ov.gameSubState, 110);
    EXPECT_EQ(ov.stateHistoryIndex, 0);
    EXPECT_EQ(st.redraw, 0);
    EXPECT_EQ(st.stateTicks, 7);
    // pushState writes as setState does, without a change.
    Game::pushState();
    EXPECT_EQ(ov.stateHistoryIndex, 1);
    EXPECT_EQ(entry(1), uint16_t(10 | (110 << 8)));
    EXPECT_EQ(ov.gameState, 10);
}

TEST_F(StateMachineTest, EffectTimersOfGameplayPauseInSubStepsTwoAndFive) {
    const struct {
        int32_t fromState, fromSub, toState, toSub;
        int pauses, resumes;
    } cases[] = {
        {14, 0, 7, 2, 1, 0}, {14, 0, 7, 5, 1, 0}, {7, 2, 7, 0, 0, 1}, {7, 2, 7, 5, 1, 0},
        {7, 0, 7, 1, 0, 0},  {4, 5, 7, 0, 0, 1},  // the current sub-step alone decides
        {7, 2, 4, 1, 0, 0},  // leaving gameplay touches nothing
    };
    for (const auto& c : cases) {
        state(c.fromState, c.fromSub);
        test::g_pendingCalls.clear();
        Game::setState(c.toState, c.toSub);
        EXPECT_EQ(count("Game::pauseTimersOfType23Objects"), c.pauses) << c.fromState << "." << c.fromSub << " -> "
                                                                       << c.toState << "." << c.toSub;
        EXPECT_EQ(count("Game::resumeTimersOfType23Objects"), c.resumes) << c.fromState << "." << c.fromSub;
    }
}

TEST_F(StateMachineTest, TicksRestartExceptOnEnteringGameplay) {
    const struct {
        int32_t from, to;
        int32_t ticks;
    } cases[] = {{14, 7, 40}, {7, 7, 40}, {14, 2, 0}, {3, 3, 0}, {7, 4, 0}};
    for (const auto& c : cases) {
        state(c.from, 0);
        st.stateTicks = 40;
        st.redraw = 0;
        Game::setState(c.to, 0);
        EXPECT_EQ(st.stateTicks, c.ticks) << c.from << " -> " << c.to;
        EXPECT_EQ(st.redraw, 1);
    }
    // Forms of setState.
    state(5, 3);
    Game::setSubstate(4);
    EXPECT_EQ(ov.gameState, 5);
    EXPECT_EQ(ov.gameSubState, 4);
    Game::setStateOnly(6);
    EXPECT_EQ(ov.gameSubState, 0);
}

TEST_F(StateMachineTest, StatesWithoutAScreenCountTicksAndPaintNothing) {
    host::ManualClock clock(1000);
    st.lastFrameTicks = 1000;
    auto* image = javax_microedition_lcdui_Image::createBlankImage(8, 8);
    QXLib::canvasStatics.currentGraphics = image->getGraphics();
    for (int32_t s : {8, 9, 21, 50}) {
        state(s, 0);
        st.stateTicks = 0;
        ASpriteInstance::statics.logicStepAccumulator = 0;
        clock.advance(100);
        std::vector<uint16_t> before = pixelsOf(image);
        game->runFrame();
        EXPECT_EQ(st.stateTicks, 1) << s;
        EXPECT_EQ(pixelsOf(image), before) << s;
    }
}

TEST_F(StateMachineTest, AStateThatChangesStateStillCountsTheFramesSteps) {
    host::ManualClock clock(1000);
    st.lastFrameTicks = 1000 - 130;
    ASpriteInstance::statics.logicStepAccumulator = 0;
    Game::stateUpdates[kProbe] = [](Game*) { Game::setState(7, 0); };
    st.stateTicks = 5;
    game->runFrame();
    EXPECT_EQ(ov.gameState, 7);
    EXPECT_EQ(st.stateTicks, 5 + 1) << "gameplay keeps the count and the update's steps are added";
}

TEST_F(StateMachineTest, ResumeStepByState) {
    const struct {
        int32_t state, sub;
        bool timersResumed;
        int pauseMenus;
    } cases[] = {
        {7, 0, false, 1},  // gameplay: the pause menu, timers stay paused
        {2, 0, true, 0},   // loading
        {10, 0, false, 0}, // sub-menu: nothing
        {3, 1, true, 0},
        {4, 3, false, 0},
    };
    for (const auto& c : cases) {
        state(c.state, c.sub);
        test::g_pendingCalls.clear();
        GameTimers::initTimers(0);
        GameTimers::timerStatics.gameTime = 100000;
        const int32_t timer = GameTimers::timerAlloc();
        GameTimers::timerStatics.gameTime = 100500;
        GameTimers::pauseTimer(timer);
        in.keysPressed = 0x820;
        in.keyLockFrames = 3;
        st.redraw = 0;
        GameStatics::flowStatics.pendingResume = 1;
        game->updateState();
        EXPECT_EQ(GameStatics::flowStatics.pendingResume.load(), 0);
        EXPECT_EQ(in.keysPressed, 0);
        EXPECT_EQ(in.keyLockFrames.load(), 0);
        EXPECT_EQ(st.redraw, 1);
        EXPECT_EQ(!GameTimers::isTimerBelowMinusTwo(timer), c.timersResumed) << c.state;
        EXPECT_EQ(ov.gameState == 4 && ov.gameSubState == 1 && Game::layouts.s_menu == 1, c.pauseMenus == 1)
            << c.state;
    }
    // Menus that return to their first item.
    for (int32_t menu : {14, 6, 2, 3, 4, 5, 8, 1, 0}) {
        state(4, menu);
        Game::layouts.s_menu = menu;
        Game::layouts.s_menuCursor = 3;
        Game::layouts.s_menuPhase = 1;
        GameStatics::flowStatics.pendingResume = 1;
        game->updateState();
        const bool expected = menu != 1 && menu != 0;
        EXPECT_EQ(Game::layouts.s_menuCursor, expected ? 4 : 3) << menu;
    }
}

TEST_F(StateMachineTest, OverlayOnceRoutesOneFrameThroughTheOverlayImage) {
    host::ManualClock clock(1000);
    auto* screen = javax_microedition_lcdui_Image::createBlankImage(16, 16);
    auto* overlay = javax_microedition_lcdui_Image::createBlankImage(16, 16);
    QXLib::canvasStatics.currentGraphics = screen->getGraphics();
    st.overlayImage = overlay;
    st.overlayGraphics = overlay->getGraphics();
    static javax_microedition_lcdui_Graphics* target;
    Game::statePaints[kProbe] = [](Game*, javax_microedition_lcdui_Graphics* g) {
        target = g;
        g->setColor(0xFF0000);
        g->fillRect(0, 0, 4, 4);
    };
    st.overlayOnce = 1;
    game->runFrame();
    EXPECT_EQ(target, st.overlayGraphics);
    EXPECT_EQ(pixelsOf(screen)[0], 0xF800) << "the overlay image was shown";
    EXPECT_EQ(st.overlayOnce, 0);
    game->runFrame();
    EXPECT_EQ(target, QXLib::canvasStatics.currentGraphics) << "the next frame paints directly";
    Game::statePaints[kProbe] = nullptr;
}

TEST_F(StateMachineTest, StateChangesAreTracedWithTheirFrameWhenAsked) {
    host::LogCapture log;
    host::setTraceStates(true);
    state(1, 3);
    st.frameNumber = 41;
    Game::setState(2, 0);
    host::setTraceStates(false);
    Game::setState(3, 1);
    EXPECT_EQ(log.lines(), (std::vector<std::string>{"state 1.3 -> 2.0 at frame 41"}));
}

TEST_F(StateMachineTest, BootLoadsTheControlImagesAndEntersStartUp) {
    state(0, 0);
    GameTimers::initTimers(0);
    const int32_t timer = GameTimers::timerAlloc();
    game->updateState();
    EXPECT_EQ(ov.gameState, Game::kStateStartup);
    EXPECT_EQ(ov.gameSubState, 1);
    EXPECT_FALSE(GameTimers::isTimerSet(timer)) << "every timer was reset";
    EXPECT_FALSE(isNull(st.hudImages));
}

}  // namespace
