// Level set-up routines: the switches of objects of types 1 and 15 with their timers, the
// per-frame cycle, the event-script tables, and the return from a dialogue to play.
#include <gtest/gtest.h>

#include "tests/game/world_fixture.h"

namespace {

using namespace mrc;

class LevelSetupTest : public test::WorldTest {
protected:
    void SetUp() override {
        WorldTest::SetUp();
        Game::initTimers(0);
        Game::timerStatics.gameTime = 1000;
    }
};

TEST_F(LevelSetupTest, SwitchingAnObjectStartsAndStopsItsTimer) {
    CObject* one = object(1, 1, {{11, 2}, {18, -1}});
    CObject* fifteen = object(2, 15, {{11, 5}, {9, 0}, {18, -1}});
    CObject* plain = object(3, 1, {{11, 0}, {18, -1}});
    Game::objects.s_type1Objects = list({one, plain});
    Game::objects.s_type15Objects = list({fifteen});
    Game::scriptSetType1ObjectParam(0, 8, 1);
    EXPECT_EQ(one->param(8), 1);
    EXPECT_EQ(one->param(11), 1);
    EXPECT_NE(one->param(18), -1);
    EXPECT_TRUE(Game::isTimerSet(one->param(18)));
    const int32_t timer = one->param(18);
    Game::scriptSetType1ObjectParam(0, 8, 0);
    EXPECT_EQ(one->param(18), -1);
    EXPECT_FALSE(Game::isTimerSet(timer));
    Game::scriptSetType1ObjectParam(1, 8, 1);
    EXPECT_EQ(plain->param(18), -1) << "an object without a state takes the value only";
    Game::scriptSetType15ObjectParam(0, 8, 1);
    EXPECT_EQ(fifteen->param(9), 1) << "the type-15 state field";
    EXPECT_EQ(fifteen->param(11), 5);
    EXPECT_NE(fifteen->param(18), -1);
    Game::scriptSetType1ObjectParam(0, 3, 7);
    EXPECT_EQ(one->param(3), 7);
}

TEST_F(LevelSetupTest, TheCycleScrollsType15AndTimesTheSwitchedState) {
    IntArray* p = params(30, {{11, 0}, {24, 0}, {25, 10}, {8, 1}, {9, 2}, {10, 2}, {18, -1}});
    Game::stateStatics.frameTime = 1000;
    GameOverlay::overlayStatics.gameState = 7;
    GameOverlay::overlayStatics.gameSubState = 0;
    CObject::updateCycleAndTimer(15, p);
    EXPECT_EQ(p->elements()[24], 5 << 14);
    EXPECT_EQ(p->elements()[9], 3) << "state 2 goes to 3 during play";
    ASSERT_NE(p->elements()[18], -1);
    CObject::updateCycleAndTimer(15, p);
    EXPECT_EQ(p->elements()[24], 10 << 14);
    Game::timerStatics.gameTime += 2000;
    CObject::updateCycleAndTimer(15, p);
    EXPECT_EQ(p->elements()[24], -20 << 14) << "wrapped once past params[25]";
    EXPECT_EQ(p->elements()[9], 1) << "after params[10] seconds";
    EXPECT_EQ(p->elements()[18], -1);
}

TEST_F(LevelSetupTest, ScriptTablesFollowTheHeader) {
    IntArray* header = params(6, {{0, 4}, {4, 100}, {5, 8}});
    Game::allocScriptTables(header);
    EXPECT_EQ(Game::layouts.s_scriptBytes->length, 100);
    EXPECT_EQ(Game::layouts.s_scriptOffsets->length, 4);
    EXPECT_EQ(Game::layouts.s_scriptCommandCounts->length, 4);
    EXPECT_EQ(Game::layouts.s_scriptTimers->length, 10);
    EXPECT_EQ(Game::layouts.s_scriptIndex, -1);
    EXPECT_EQ(Game::layouts.s_scriptTimer, -1);
    EXPECT_EQ(std::vector<int32_t>(header->elements(), header->elements() + 6), std::vector<int32_t>(6, 0))
        << "the header is cleared";
    Game::restartScriptTimer();
    EXPECT_NE(Game::layouts.s_scriptTimer, -1);
}

TEST_F(LevelSetupTest, ReturningToPlayHoldsTheCameraUnlessItIsLocked) {
    struct Case {
        int32_t mode;
        int32_t expectedMode;
        bool saved;
    };
    for (const Case& c : {Case{1, 4, true}, Case{5, 4, true}, Case{99, 99, false}}) {
        Game::stateStatics.playMode = 3;
        CObject::statics.s_moveDirection = 0x1010;
        Game::camera = CameraStatics{c.mode, 7, 11, 12, nullptr, 0, 0};
        GameMath::mathStatics.cameraX = 300 << 14;
        GameMath::mathStatics.cameraY = 40 << 14;
        Game::overlayStatics.gameState = 7;
        Game::overlayStatics.gameSubState = 1;
        Game::returnToPlay();
        EXPECT_EQ(Game::stateStatics.playMode, 2) << c.mode;
        EXPECT_EQ(CObject::statics.s_moveDirection, 0) << c.mode;
        EXPECT_EQ(Game::camera.s_cameraMode, c.expectedMode);
        EXPECT_EQ(Game::camera.s_cameraModeStep, c.saved ? 0 : 7) << c.mode;
        EXPECT_EQ(Game::camera.s_savedCameraX, c.saved ? 300 << 14 : 11) << c.mode;
        EXPECT_EQ(Game::camera.s_savedCameraY, c.saved ? 40 << 14 : 12) << c.mode;
        EXPECT_EQ(Game::overlayStatics.gameState, 7) << "the state stays";
        EXPECT_EQ(Game::overlayStatics.gameSubState, 0) << c.mode;
    }
    GameMath::mathStatics.cameraX = GameMath::mathStatics.cameraY = 0;
}

}  // namespace
