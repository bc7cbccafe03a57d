#include <gtest/gtest.h>

#include "game/objects/cobject.h"
#include "tests/game/world_fixture.h"

namespace {

class ObjectOperationsTest : public mrc::test::WorldTest {};

TEST_F(ObjectOperationsTest, FlagsCountEverySettingAndClearOnlySetBits) {
    Game::initList40();
    GameTableStatics& t = Game::tables;
    Game::setFlagBits(3, 5, 1, 0);
    Game::setFlagBits(3, 5, 1, 0);  // set twice: counted twice
    EXPECT_EQ(JArray::getInt(t.s_flagList, 3), 1 << 5);
    EXPECT_EQ(t.s_counterA, 2);
    Game::setFlagBits(3, 6, 0, 0);  // not set: nothing changes
    EXPECT_EQ(t.s_counterA, 2);
    Game::setFlagBits(3, 5, 0, 0);
    EXPECT_EQ(JArray::getInt(t.s_flagList, 3), 0);
    EXPECT_EQ(t.s_counterA, 1);
    Game::setFlagBits(1, 31, 1, 1);
    Game::setFlagBits(1, 0, 1, 2);
    Game::setFlagBits(1, 2, 1, 7);  // no counter for an unknown category
    Game::setFlagBits(1, 32, 1, 1);  // no bit past 31, yet counted
    EXPECT_EQ(JArray::getInt(t.s_flagList, 1), static_cast<int32_t>(0x80000005u));
    EXPECT_EQ(t.s_counterB, 2);
    EXPECT_EQ(t.s_counterC, 1);
}

TEST_F(ObjectOperationsTest, ScriptTimerIsFreedWhenDone) {
    Game::initTimers(0);
    LayoutStatics& l = Game::layouts;
    l.s_scriptTimer = Game::timerAlloc();
    ASSERT_GE(l.s_scriptTimer, 0);
    EXPECT_FALSE(Game::timerDone(100000));
    EXPECT_GE(l.s_scriptTimer, 0);
    EXPECT_TRUE(Game::timerDone(0));
    EXPECT_EQ(l.s_scriptTimer, -1);
}

TEST_F(ObjectOperationsTest, PlacingNullDoesNothing) { Game::placeObject(nullptr, 1, 2); }

}  // namespace
