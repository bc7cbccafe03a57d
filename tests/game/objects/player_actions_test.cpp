#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/core/game_overlay.h"
#include "framework/core/game_timers.h"
#include "game/objects/action_seams.h"
#include "tests/game/world_fixture.h"

namespace {

using namespace mrc;

std::vector<std::string> g_sounds;

// A player with gauge 2 at 30 of 30 (fixed point), optionally one neighbour in its kind table;
// the event sounds and effect sounds are recorded in order.
class PlayerActionsTest : public test::WorldTest {
protected:
    void SetUp() override {
        WorldTest::SetUp();
        GameTimers::initTimers(0);
        GameTimers::updateGameTime();
        g_sounds.clear();
        actionSeams().playSoundForEvent = [](int32_t e) { g_sounds.push_back("event " + std::to_string(e)); };
        actionSeams().requestEffectSound = [](int32_t s) { g_sounds.push_back("sound " + std::to_string(s)); };
        GameOverlay::overlayStatics.flagMask = 0;
        player = object(1, 0, {{15, 30 << 14}, {18, 30 << 14}, {CObject::PARAM_SUBKIND, 0}});
        Game::objects.s_player = player;
        Game::objects.s_currentItem = 0;
        CObject::statics.s_itemSequence = -1;
        CObject::statics.s_lastActionKind = -1;
    }
    void TearDown() override {
        actionSeams() = {};
        WorldTest::TearDown();
    }
    void neighbours(bool present) {
        ObjectArray* row = present ? list({object(2, 5)}) : list({});
        CObject::statics.s_kindTables = om()->newObjectArray(kClass_ObjectArray, 1);
        JArray::setRef(CObject::statics.s_kindTables, 0, row);
    }
    CObject* player = nullptr;
};

TEST_F(PlayerActionsTest, NoneKeepsTheLastKindAndPlaysNothing) {
    neighbours(true);
    CObject::startAction(2);
    CObject::statics.s_actionPhase = 3;
    g_sounds.clear();
    CObject::startAction(-1);
    EXPECT_EQ(CObject::statics.s_itemSequence, -1);
    EXPECT_EQ(CObject::statics.s_lastActionKind, 2);
    EXPECT_EQ(CObject::statics.s_actionPhase, 0);
    EXPECT_TRUE(g_sounds.empty());
}

TEST_F(PlayerActionsTest, CuesByKindItemAndComboLevel) {
    neighbours(true);
    struct Case {
        int32_t item, kind, combo;
        const char* cue;  // nullptr: silent
    };
    const Case cases[] = {
        {0, 0, 1, "event 10"}, {0, 0, 2, "event 12"}, {0, 2, 0, "event 11"}, {0, 3, 0, "event 12"},
        {4, 2, 0, "event 27"}, {4, 3, 0, "event 26"}, {1, 1, 0, "event 29"}, {1, 0, 2, "event 28"},
        {0, 5, 0, "event 10"}, {0, 7, 0, "event 10"}, {0, 4, 0, nullptr},    {0, 6, 0, nullptr},
        {0, 9, 0, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "item " << c.item << " kind " << c.kind << " combo " << c.combo);
        g_sounds.clear();
        Game::objects.s_currentItem = c.item;
        CObject::statics.s_comboLevel = c.combo;
        CObject::statics.s_comboTimer = Game::timerAlloc();  // the window still open
        CObject::startAction(c.kind);
        EXPECT_EQ(CObject::statics.s_itemSequence, c.kind);
        EXPECT_EQ(CObject::statics.s_lastActionKind, c.kind);
        EXPECT_EQ(g_sounds, c.cue ? std::vector<std::string>{c.cue} : std::vector<std::string>{});
    }
    // Key flag 11 silences every cue.
    g_sounds.clear();
    GameOverlay::overlayStatics.flagMask = 11;
    CObject::startAction(2);
    EXPECT_TRUE(g_sounds.empty());
}

TEST_F(PlayerActionsTest, AloneThePlayerHearsSoundFiveOrTheSwing) {
    neighbours(false);
    CObject::startAction(2);
    EXPECT_EQ(g_sounds, std::vector<std::string>{"sound 5"});
    g_sounds.clear();
    Game::objects.s_currentItem = 3;
    CObject::startAction(1);
    ASSERT_EQ(g_sounds.size(), 1u);
    EXPECT_TRUE(g_sounds[0] == "event 30" || g_sounds[0] == "event 31") << g_sounds[0];
    EXPECT_EQ(player->param(15), 18 << 14);  // the swing spends 12 of gauge 2
}

TEST_F(PlayerActionsTest, ComboWindowClosesAfter500Ms) {
    neighbours(true);
    CObject::statics.s_comboTimer = Game::timerAlloc();
    CObject::statics.s_comboLevel = 2;
    clock.advance(499);
    GameTimers::updateGameTime();
    CObject::startAction(0);
    EXPECT_EQ(CObject::statics.s_comboLevel, 2);
    clock.advance(1);
    GameTimers::updateGameTime();
    CObject::startAction(0);
    EXPECT_EQ(CObject::statics.s_comboLevel, 0);
}

}  // namespace

namespace {

class ActionAreasTest : public mrc::test::WorldTest {};

TEST_F(ActionAreasTest, RectanglesByFacing) {
    ShortArray* record = om()->newShortArray(9);
    const int16_t values[] = {10, -4, 30, 8};
    for (int32_t i = 0; i < 4; ++i) JArray::setShort(record, i, values[i]);
    // Actor at (100, 200), anchor offset (6, -20): anchor point (106, 180).
    struct Case {
        int32_t facing, x, y, w, h;
    };
    for (const Case& c : {Case{4112, 110, 196, 30, 8}, Case{1032, 72, 196, 30, 8}, Case{16388, 102, 184, 8, 30},
                          Case{258, 102, 146, 8, 30}, Case{1290, 0, 0, 0, 0}}) {
        const CObject::ActionRect r = CObject::placeActionRect(100, 200, 6, -20, record, c.facing);
        EXPECT_EQ(r.x, c.x) << c.facing;
        EXPECT_EQ(r.y, c.y) << c.facing;
        EXPECT_EQ(r.w, c.w) << c.facing;
        EXPECT_EQ(r.h, c.h) << c.facing;
    }
}

}  // namespace
