// The popup records: opening into a full table, removing with the shift of the later records,
// the argument setters' state test, resuming and the counter goal.
#include <gtest/gtest.h>

#include <vector>

#include "game/objects/cobject.h"
#include "runtime/core/arrays.h"
#include "tests/game/game_fixture.h"

namespace mrc::test {
namespace {

class PopupsTest : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        Game::initPopups();
    }
    static IntArray* record(int32_t i) {
        return static_cast<IntArray*>(JArray::getRef(Game::layouts.s_popups, i));
    }
    static int32_t field(int32_t i, int32_t f) { return JArray::getInt(record(i), f); }
    static std::vector<int32_t> states() {
        std::vector<int32_t> s;
        for (int32_t i = 0; i < 10; ++i) s.push_back(field(i, 0));
        return s;
    }
    // A popup opened, tagged in argument 3 and shown.
    static int32_t show(int32_t tag, int32_t display = 2) {
        const int32_t i = Game::openPopup();
        Game::setPopupArg1(display);
        Game::setPopupArg3(tag);
        Game::activatePopup();
        return i;
    }
};

TEST_F(PopupsTest, AnEleventhOpenFailsAndChangesNothing) {
    for (int32_t i = 0; i < 10; ++i) EXPECT_EQ(show(100 + i), i);
    const std::vector<int32_t> before = states();
    EXPECT_EQ(before, (std::vector<int32_t>{4, 4, 4, 4, 4, 4, 4, 4, 4, 2}));
    EXPECT_EQ(Game::openPopup(), -1);
    EXPECT_EQ(states(), before);
    EXPECT_EQ(Game::layouts.s_currentPopup, 9);
    // Also with no current record.
    Game::layouts.s_currentPopup = -1;
    EXPECT_EQ(Game::openPopup(), -1);
    EXPECT_EQ(Game::layouts.s_currentPopup, -1);
    EXPECT_EQ(states(), before);
}

TEST_F(PopupsTest, OpeningResetsTheFieldsOfAReusedRecord) {
    show(7);
    Game::setPopupStyle(1);
    Game::removePopup(0);
    EXPECT_EQ(Game::openPopup(), 0);
    EXPECT_EQ(field(0, 0), 1);
    for (int32_t f = 1; f < 20; ++f) EXPECT_EQ(field(0, f), -1) << f;
    EXPECT_EQ(field(0, 20), 0);
}

TEST_F(PopupsTest, RemovingTheFirstOfThreeShiftsTheOthersAndMakesTheLastCurrent) {
    show(100);
    show(101);
    show(102);
    Game::resumePopup(0);
    ASSERT_EQ(Game::layouts.s_currentPopup, 0);
    Game::removePopup(0);
    EXPECT_EQ(field(0, 3), 101);
    EXPECT_EQ(field(1, 3), 102);
    EXPECT_EQ(field(9, 3), 100);
    EXPECT_EQ(field(9, 0), 0);
    EXPECT_EQ(field(9, 18), -1);
    EXPECT_EQ(Game::layouts.s_currentPopup, 1);
    EXPECT_EQ(field(1, 0), 2);
    EXPECT_EQ(field(0, 0), 4);
    // A free record or a negative index: nothing.
    const std::vector<int32_t> before = states();
    Game::removePopup(-1);
    Game::removePopup(9);
    EXPECT_EQ(states(), before);
    EXPECT_EQ(Game::layouts.s_currentPopup, 1);
}

TEST_F(PopupsTest, ATimeLimitPopupOwnsATimerUntilRemoved) {
    Game::initTimers(0);
    const int32_t i = show(5, 1);
    const int32_t timer = field(i, 18);
    ASSERT_GE(timer, 0);
    EXPECT_TRUE(Game::isTimerSet(timer));
    Game::removePopup(i);
    EXPECT_FALSE(Game::isTimerSet(timer));
    EXPECT_EQ(Game::layouts.s_currentPopup, -1);
}

TEST_F(PopupsTest, SettersFillOnlyARecordBeingFilledAndResumeOnlyAWaitingOne) {
    const int32_t a = show(100);
    Game::setPopupArg1(3);
    Game::setPopupArg2(3);
    Game::setPopupArg3(3);
    EXPECT_EQ(field(a, 1), 2);
    EXPECT_EQ(field(a, 2), -1);
    EXPECT_EQ(field(a, 3), 100);
    // The target search with a counter kind outside 2-5 keeps the target.
    const int32_t b = Game::openPopup();
    Game::setPopupArg2(7);
    Game::popups.s_popupTarget = nullptr;
    Game::setPopupTargetById(0);
    EXPECT_EQ(Game::popups.s_popupTarget, nullptr);
    // The masks have no state test; mask C also sets the marker display.
    Game::setPopupItemMaskC(8);
    EXPECT_EQ((std::vector<int32_t>{field(b, 1), field(b, 15), field(b, 16), field(b, 17), field(b, 19)}),
              (std::vector<int32_t>{5, 0, 0, 8, 0}));
    Game::setPopupItemMaskB(4);
    EXPECT_EQ(Game::getPopupItemMaskB(), 4);
    EXPECT_EQ(field(b, 19), 1);
    Game::activatePopup();
    const std::vector<int32_t> before = states();
    Game::resumePopup(b);  // current already
    Game::resumePopup(5);  // free
    EXPECT_EQ(states(), before);
    Game::resumePopup(a);
    EXPECT_EQ(field(a, 0), 2);
    EXPECT_EQ(field(b, 0), 4);
    EXPECT_EQ(Game::layouts.s_currentPopup, a);
}

TEST_F(PopupsTest, ACounterReachingItsTotalGoesInTheSameUpdate) {
    const int32_t i = Game::openPopup();
    Game::setPopupArg1(4);
    Game::setPopupArg2(6);
    JArray::setInt(record(i), 6, 2);
    JArray::setInt(record(i), 7, 3);
    Game::activatePopup();
    CObject::statics.s_goalCountA = 5;
    CObject::statics.s_goalCountB = 3;
    Game::updatePopupGoal();
    EXPECT_EQ(field(i, 0), 2);
    CObject::statics.s_goalCountA = 6;
    Game::updatePopupGoal();
    EXPECT_EQ(field(i, 0), 0);
    EXPECT_EQ(Game::layouts.s_currentPopup, -1);
}

TEST_F(PopupsTest, ClearingFreesEveryRecord) {
    show(1);
    show(2);
    Game::clearPopups(false);
    EXPECT_EQ(states(), std::vector<int32_t>(10, 0));
    EXPECT_EQ(Game::layouts.s_currentPopup, -1);
}

}  // namespace
}  // namespace mrc::test
