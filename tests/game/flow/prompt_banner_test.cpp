// The two-choice prompt on a stepped clock (opening, answer, confirm, blink, end) and the
// banner's slide in, hold and slide out.
#include <gtest/gtest.h>

#include "tests/game/game_fixture.h"

namespace {

using namespace mrc;

class PromptBannerTest : public test::GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        Game::initTimers(0);
        Game::timerStatics.gameTime = 10000;
    }
    void step(int32_t ms, int32_t keys = 0) {
        Game::timerStatics.gameTime += ms;
        in.keysPressed = keys;
        done = Game::updateTimedEffectSequence();
    }
    static int32_t answer() { return Game::layouts.s_promptPacked & 0xFF; }
    static int32_t blink() { return (Game::layouts.s_promptPacked >> 24) & 0xFF; }
    bool done = false;
};

TEST_F(PromptBannerTest, TheChoiceOpensTakesItsAnswerAndEndsASecondAfterTheConfirm) {
    Game::layouts.s_promptState = 3;
    Game::layouts.s_promptValueA = 9;
    step(0);
    EXPECT_EQ(Game::layouts.s_promptState, 4);
    step(400, 0x820);  // a confirm while opening is ignored
    EXPECT_EQ(Game::layouts.s_promptState, 4);
    step(100, 0x820);
    EXPECT_EQ(Game::layouts.s_promptState, 5);
    step(499, 0x102);
    EXPECT_EQ(Game::layouts.s_promptState, 5);
    EXPECT_EQ(answer(), 0) << "keys are not read while opening";
    step(1);
    EXPECT_EQ(Game::layouts.s_promptState, 6);
    step(10, 0x102);
    EXPECT_EQ(answer(), 1);
    step(10, 0x102);
    EXPECT_EQ(answer(), 0) << "up twice comes back to the first answer";
    step(10, 0x4004);
    EXPECT_EQ(answer(), 1);
    step(10, 0x800);
    EXPECT_EQ(Game::layouts.s_promptState, 7);
    std::vector<int32_t> phases;
    for (int i = 0; i < 4; ++i) {
        step(50);
        phases.push_back(blink());
    }
    EXPECT_EQ(phases, (std::vector<int32_t>{1, 0, 1, 0})) << "the chosen answer blinks every 50 ms";
    EXPECT_FALSE(done);
    step(799);
    EXPECT_FALSE(done);
    step(1);
    EXPECT_TRUE(done);
    EXPECT_EQ(Game::layouts.s_promptValueA, 0);
    EXPECT_EQ(answer(), 1);
    EXPECT_EQ(count("Game::setPlayerAnimState"), 15) << "the player's animation is set on every call";
}

TEST_F(PromptBannerTest, TheBannerSlides15PixelsPer100MsAndHoldsASecond) {
    int32_t* b = Game::layouts.s_slidingBanner->elements();
    b[0] = 1;
    b[1] = 300;
    b[2] = -300 << 14;
    b[3] = -1;
    st.frameTime = 100;
    Game::updateSlidingBanner();
    EXPECT_EQ(b[2], -285 << 14);
    int frames = 1;
    while (b[0] == 1 && frames < 100) {
        Game::updateSlidingBanner();
        ++frames;
    }
    EXPECT_EQ(frames, 20) << "2 s from -300";
    EXPECT_EQ(b[2], 0);
    ASSERT_NE(b[3], -1);
    Game::timerStatics.gameTime += 999;
    Game::updateSlidingBanner();
    EXPECT_EQ(b[0], 2);
    Game::timerStatics.gameTime += 1;
    Game::updateSlidingBanner();
    EXPECT_EQ(b[0], 3);
    EXPECT_EQ(b[3], -1);
    st.frameTime = 1000;
    Game::updateSlidingBanner();
    Game::updateSlidingBanner();
    EXPECT_EQ(b[0], 0);
    EXPECT_EQ(b[2], -300 << 14) << "it stops at its width";
}

}  // namespace
