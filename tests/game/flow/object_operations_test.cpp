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

class TimedModifiersTest : public ObjectOperationsTest {
protected:
    void SetUp() override {
        ObjectOperationsTest::SetUp();
        Game::initTimers(0);
        Game::initTimedModifiers();
        ObjectOperationStatics& s = Game::operations;
        s.s_interactionLoad = om()->newObjectArray(mrc::kClass_ByteArray, 2);
        JArray::setRef(s.s_interactionLoad, 1, om()->newByteArray(4));
        s.s_modifierDurations = om()->newObjectArray(mrc::kClass_ShortArray, 2);
        JArray::setRef(s.s_modifierDurations, 1, om()->newShortArray(4));
        durations()[2] = 30000;  // entry 2 lasts; entry 3 (0 ms) expires at the next frame
    }
    static int8_t* load() {
        return static_cast<ByteArray*>(JArray::getRef(Game::operations.s_interactionLoad, 1))->elements();
    }
    static int16_t* durations() {
        return static_cast<ShortArray*>(JArray::getRef(Game::operations.s_modifierDurations, 1))->elements();
    }
    // Raises load[1][b] by amount and records it, as the callers do.
    static void raise(int32_t b, int32_t amount) {
        load()[b] = static_cast<int8_t>(load()[b] + amount);
        Game::addTimedModifier(1, b, amount);
    }
};

TEST_F(TimedModifiersTest, ExpiredModifiersGiveBackExactlyTheirAmount) {
    raise(2, 7);
    raise(3, 5);
    raise(3, -2);
    EXPECT_EQ(Game::operations.s_timedModifierCount, 3);
    Game::updateEffects();
    EXPECT_EQ(load()[3], 0);
    EXPECT_EQ(load()[2], 7);
    EXPECT_EQ(Game::operations.s_timedModifierCount, 1);
    raise(3, 4);  // a freed record is taken again
    EXPECT_EQ(Game::operations.s_timedModifierCount, 2);
}

TEST_F(TimedModifiersTest, AFullTableGivesTheAmountBack) {
    for (int32_t i = 0; i < Game::kTimedModifierRecords; ++i) raise(2, 1);
    EXPECT_EQ(load()[2], 30);
    raise(2, 9);
    EXPECT_EQ(load()[2], 30);
    EXPECT_EQ(Game::operations.s_timedModifierCount, Game::kTimedModifierRecords);
}

}  // namespace
