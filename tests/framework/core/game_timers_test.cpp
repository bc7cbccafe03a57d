#include <gtest/gtest.h>

#include <optional>

#include "framework/core/game_base.h"
#include "host/core/clock.h"
#include "runtime/core/arrays.h"
#include "tests/framework/framework_fixture.h"

namespace {

class GameTimersTest : public mrc::test::FrameworkTest {
protected:
    void SetUp() override {
        FrameworkTest::SetUp();
        GameTimers::initTimers(0);
        at(1000);
    }
    // The frame clock as a frame starting at `ms` sets it.
    void at(uint32_t ms) {
        clock.set(ms);
        GameTimers::updateGameTime();
    }
    static int64_t entry(int32_t id) { return GameTimers::timerStatics.timerTable->elements()[id]; }

    host::ManualClock clock{0};
};

TEST_F(GameTimersTest, ElapsedAtItsDurationAndThenCountsFromThatFrame) {
    int32_t id = GameTimers::timerAlloc();
    EXPECT_EQ(id, 0);
    at(1499);
    EXPECT_FALSE(GameTimers::isTimerElapsed(id, 500));
    EXPECT_EQ(GameTimers::getTimerElapsed(id), 499);
    at(1500);
    EXPECT_TRUE(GameTimers::isTimerElapsed(id, 500));
    EXPECT_EQ(entry(id), 1500);
    at(1600);
    EXPECT_EQ(GameTimers::getTimerElapsed(id), 100);
    EXPECT_FALSE(GameTimers::isTimerElapsed(id, 500));
}

TEST_F(GameTimersTest, PausedHoldsMinusElapsedAtLeastThreeAndResumesFromIt) {
    int32_t id = GameTimers::timerAlloc();
    at(1001);
    GameTimers::pauseTimer(id);
    EXPECT_EQ(entry(id), -3);
    EXPECT_TRUE(GameTimers::isTimerBelowMinusTwo(id));
    EXPECT_TRUE(GameTimers::isTimerSet(id));
    EXPECT_EQ(GameTimers::getTimerElapsed(id), 3);
    at(5000);
    EXPECT_FALSE(GameTimers::isTimerElapsed(id, 0));
    GameTimers::pauseTimer(id);  // already paused: unchanged
    EXPECT_EQ(entry(id), -3);
    GameTimers::resumeTimer(id);
    EXPECT_EQ(entry(id), 4997);
    EXPECT_FALSE(GameTimers::isTimerBelowMinusTwo(id));
    GameTimers::resumeTimer(id);  // running: unchanged
    EXPECT_EQ(entry(id), 4997);
    at(5010);
    EXPECT_EQ(GameTimers::getTimerElapsed(id), 13);

    at(5110);
    GameTimers::pauseTimer(id);
    EXPECT_EQ(entry(id), -113);
    at(6000);
    GameTimers::restartTimer(id);  // a paused timer restarts running from now
    EXPECT_EQ(entry(id), 6000);
}

TEST_F(GameTimersTest, IdsOutsideTheTableCountAsNotSet) {
    for (int32_t id : {-1, -230, 230, INT32_MAX}) {
        SCOPED_TRACE(id);
        EXPECT_TRUE(GameTimers::isTimerElapsed(id, 0));
        EXPECT_TRUE(GameTimers::isTimerElapsed(id, INT32_MAX));
        EXPECT_FALSE(GameTimers::isTimerSet(id));
        EXPECT_FALSE(GameTimers::isTimerBelowMinusTwo(id));
        EXPECT_EQ(GameTimers::getTimerElapsed(id), 0);
        GameTimers::pauseTimer(id);
        GameTimers::resumeTimer(id);
        GameTimers::restartTimer(id);
        GameTimers::stopTimer(id);
    }
    EXPECT_EQ(app()->getPendingException(), nullptr);
}

TEST_F(GameTimersTest, AllocTakesTheLowestFreeEntry) {
    for (int32_t k = 0; k < 4; ++k) EXPECT_EQ(GameTimers::timerAlloc(), k);
    GameTimers::stopTimer(1);
    EXPECT_FALSE(GameTimers::isTimerSet(1));
    EXPECT_TRUE(GameTimers::isTimerElapsed(1, 100));  // stopped: elapsed and not started
    EXPECT_FALSE(GameTimers::isTimerSet(1));
    GameTimers::timerStatics.timerTable->elements()[2] = -2;  // counts as taken
    GameTimers::stopTimer(3);
    at(2000);
    EXPECT_EQ(GameTimers::timerAlloc(), 1);
    EXPECT_EQ(entry(1), 2000);
    EXPECT_EQ(GameTimers::timerAlloc(), 3);
    GameTimers::resetTimers();
    for (int32_t k = 0; k < GameTimers::kTimerCount; ++k) ASSERT_EQ(entry(k), -1);
}

TEST_F(GameTimersTest, FullTableGivesMinusOneWithATrace) {
    GameTimers::initTimers(-229);
    ASSERT_EQ(GameTimers::timerStatics.timerTable->length, 1);
    EXPECT_EQ(GameTimers::timerAlloc(), 0);
    EXPECT_EQ(GameTimers::timerAlloc(), -1);
    EXPECT_TRUE(log.contains("no free timer"));
    GameTimers::initTimers(5);
    EXPECT_EQ(GameTimers::timerStatics.timerTable->length, 235);
    EXPECT_EQ(entry(234), -1);
}

TEST_F(GameTimersTest, PauseAllAndResumeAllLeaveFreeEntriesFree) {
    int32_t a = GameTimers::timerAlloc();
    at(1100);
    int32_t b = GameTimers::timerAlloc();
    at(1200);
    GameTimers::pauseAllTimers();
    EXPECT_EQ(entry(a), -200);
    EXPECT_EQ(entry(b), -100);
    EXPECT_EQ(entry(b + 1), -1);
    at(9000);
    GameTimers::resumeAllTimers();
    EXPECT_EQ(GameTimers::getTimerElapsed(a), 200);
    EXPECT_EQ(GameTimers::getTimerElapsed(b), 100);
    EXPECT_EQ(entry(b + 1), -1);
}

TEST_F(GameTimersTest, FrameClockIsTheThirtyTwoBitTickCount) {
    clock.set(0xFFFFFFF0u);
    clock.advance(0x20);
    GameTimers::updateGameTime();
    EXPECT_EQ(GameTimers::timerStatics.gameTime, 0x10);
}

}  // namespace
