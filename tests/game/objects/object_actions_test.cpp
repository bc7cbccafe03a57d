#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/core/game_math.h"
#include "framework/core/game_overlay.h"
#include "framework/core/game_timers.h"
#include "game/objects/action_seams.h"
#include "game/pending.h"
#include "game/objects/motion_seams.h"
#include "game/objects/interaction_seams.h"
#include "game/objects/object_action_seams.h"
#include "tests/game/world_fixture.h"

namespace {

using namespace mrc;

// Everything the actions do outside themselves, in order.
std::vector<std::string> g_log;
void note(const std::string& what, int32_t v) {
    std::string s = what;
    s.append(" ").append(std::to_string(v));
    g_log.push_back(s);
}

// The action areas that touch: bit i for action i of an actor, bit 8 + i for the player's
// item action i.
uint32_t g_touching = 0;

class ObjectActionsTest : public test::WorldTest {
protected:
    void SetUp() override {
        WorldTest::SetUp();
        GameTimers::initTimers(0);
        GameTimers::updateGameTime();
        g_log.clear();
        g_touching = 0;
        actionSeams().playSoundForEvent = [](int32_t e) { note("event", e); };
        actionSeams().requestEffectSound = [](int32_t s) { note("sound", s); };
        motionSeams().onEvent = [](int32_t e, CObject* o) { note("on event", e * 100 + o->m_id); };
        ObjectActionSeams& a = objectActionSeams();
        a.resolveContact = [](CObject*, CObject*, ObjectArray*, int32_t, int32_t, int32_t, int32_t w, int32_t h,
                              int32_t isPlayer) -> int32_t {
            // Record i is 4 + i long: the action is recovered from the rectangle, whatever the facing.
            const int32_t action = (w > h ? w : h) - 4;
            return (g_touching >> (isPlayer ? 8 + action : action)) & 1;
        };
        a.remove = [](CObject* o) { note("remove", o->m_id); };
        a.releaseGroupMembers = [](CObject* o) { note("release group", o->m_id); };
        a.updateAutoScroll = [](bool force) { note("auto scroll", force); };
        a.setPlayerState = [](int32_t state, int32_t, CObject*) { note("player state", state); };
        a.onHitBy = [](CObject*, CObject*, int32_t mode, int32_t d) -> int32_t {
            note("hit", mode * 100000 + d);
            return 1;
        };
        a.resolveHitFromFront = [](CObject*, CObject* other) -> int32_t {
            note("front", other->m_id);
            return 0;
        };
        GameOverlay::overlayStatics.flagMask = 0;
        GameMath::mathStatics.cameraX = GameMath::mathStatics.cameraY = 0;
        Game::stateStatics.playMode = 0;
        player = object(1, 0, {{15, 30 << 14}, {18, 30 << 14}, {CObject::PARAM_SUBKIND, 0}}, 50, 300, 300);
        Game::objects.s_player = player;
        Game::objects.s_currentItem = 2;
        CObject::Statics& s = CObject::statics;
        s.s_itemSequence = s.s_lastActionKind = -1;
        s.s_actionPhase = 0;
        s.s_comboLevel = 0;
        s.s_inputDirection = CObject::kRight;
        neighbours(false);
        itemActions({0, 0, 0, 0, 0, 0});
    }
    void TearDown() override {
        actionSeams() = {};
        motionSeams() = {};
        objectActionSeams() = {};
        interactionSeams() = {};
        WorldTest::TearDown();
    }
    static void neighbours(bool present) {
        ObjectArray* row = present ? list({object(9, 5)}) : list({});
        CObject::statics.s_kindTables = om()->newObjectArray(kClass_ObjectArray, 1);
        JArray::setRef(CObject::statics.s_kindTables, 0, row);
    }
    // Record i of an actor or item: 4 + i long, 4 wide.
    static ShortArray* record(int32_t i, int32_t weight, int32_t kind = 0, int32_t field12 = 0) {
        ShortArray* r = om()->newShortArray(13);
        r->elements()[2] = static_cast<int16_t>(4 + i);
        r->elements()[3] = 4;
        r->elements()[4] = static_cast<int16_t>(kind);
        r->elements()[8] = static_cast<int16_t>(weight);
        r->elements()[12] = static_cast<int16_t>(field12);
        return r;
    }
    // Group 0's actions with these weights (kinds by index), and its rest and attack times.
    static void groupActions(std::vector<int32_t> weights, std::vector<int32_t> kinds = {}) {
        ObjectArray* records = om()->newObjectArray(kClass_ShortArray, static_cast<int32_t>(weights.size()));
        for (std::size_t i = 0; i < weights.size(); ++i) {
            JArray::setRef(records, static_cast<int32_t>(i),
                           record(static_cast<int32_t>(i), weights[i], i < kinds.size() ? kinds[i] : 0));
        }
        Game::objects.s_actionRecords = om()->newObjectArray(kClass_ObjectArray, 1);
        JArray::setRef(Game::objects.s_actionRecords, 0, records);
        ShortArray* table = om()->newShortArray(30);
        table->elements()[21] = 1000;  // rest
        table->elements()[22] = 400;   // attack
        Game::tables.s_summaryTable = table;
        Game::tables.s_summaryIndex = om()->newShortArray(1);
    }
    // The current item's records; record 1's short 12 is `release`.
    static void itemActions(std::vector<int32_t> offsets, int32_t release = 0) {
        ObjectArray* records = om()->newObjectArray(kClass_ShortArray, static_cast<int32_t>(offsets.size()));
        for (std::size_t i = 0; i < offsets.size(); ++i) {
            JArray::setRef(records, static_cast<int32_t>(i), record(static_cast<int32_t>(i), 0, 0, i == 1 ? release : 0));
        }
        Game::objects.s_itemSequenceTable = om()->newObjectArray(kClass_ObjectArray, 7);
        for (int32_t item = 0; item < 7; ++item) JArray::setRef(Game::objects.s_itemSequenceTable, item, records);
    }
    static CObject* actor(int32_t id = 20) {
        return object(id, 7, {{CObject::PARAM_KIND, 0}, {CObject::PARAM_FACING, CObject::kRight}, {28, -1}, {29, -1}},
                      50, 100, 100);
    }
    void advance(int32_t ms) {
        clock.advance(ms);
        GameTimers::updateGameTime();
    }
    CObject* player = nullptr;
};

// ---- the weighted attack choice ----

TEST_F(ObjectActionsTest, WeightsOneZeroThreePickFirstForZeroOneAndThirdForTwoToFour) {
    groupActions({1, 0, 3});
    g_touching = 0b111;
    // Seeds whose next pick, (seed' >>> 16) mod 5, is 0..4; 682's next value has the top bit
    // set, so only an unsigned shift gives pick 2.
    struct Case {
        int32_t seed, chosen;
    };
    for (const Case& c : {Case{0, 0}, Case{1, 0}, Case{3, 2}, Case{6, 2}, Case{8, 2}, Case{682, 2}}) {
        GameMath::mathStatics.randomSeed = c.seed;
        CObject* a = actor();
        a->setParam(42, -1);
        EXPECT_EQ(a->chooseAttack(player, 0), 1) << c.seed;
        EXPECT_EQ(a->param(42), c.chosen) << c.seed;
    }
}

TEST_F(ObjectActionsTest, OnlyTouchingActionsTakePartAndNoneLeavesTheChoiceAlone) {
    groupActions({5, 5, 5});
    g_touching = 0b100;
    GameMath::mathStatics.randomSeed = 0;
    CObject* a = actor();
    a->setParam(42, -1);
    EXPECT_EQ(a->chooseAttack(player, 0), 1);
    EXPECT_EQ(a->param(42), 2);
    g_touching = 0;
    a->setParam(42, 7);
    const int32_t seed = GameMath::mathStatics.randomSeed;
    EXPECT_EQ(a->chooseAttack(player, 0), 0);
    EXPECT_EQ(a->param(42), 7);
    EXPECT_EQ(GameMath::mathStatics.randomSeed, seed);  // no total, no draw
}

// ---- attack timing ----

TEST_F(ObjectActionsTest, AnActorThatMissesEverythingRestsOn) {
    groupActions({1, 1});
    CObject* a = actor();
    const int32_t timer = Game::timerAlloc();
    a->setParam(29, timer);
    EXPECT_EQ(CObject::attackCheck(a, player, 0), 0);  // still resting
    advance(1000);
    EXPECT_EQ(CObject::attackCheck(a, player, 0), 1);
    EXPECT_EQ(a->param(28), -1);
    EXPECT_EQ(a->param(29), timer);
    EXPECT_TRUE(g_log.empty());
    advance(999);
    EXPECT_EQ(CObject::attackCheck(a, player, 0), 0);  // the rest restarted
}

TEST_F(ObjectActionsTest, RestAttackAndRestAgain) {
    groupActions({1, 1}, {10, 3});
    CObject* a = actor(21);
    const int32_t timer = Game::timerAlloc();
    a->setParam(29, timer);
    advance(1000);
    g_touching = 0b01;  // action 0, kind 10: event 14
    EXPECT_EQ(CObject::attackCheck(a, player, 0), 0);
    EXPECT_EQ(a->param(28), timer);
    EXPECT_EQ(a->param(29), -1);
    EXPECT_EQ(g_log, std::vector<std::string>{"on event 1421"});
    advance(399);
    EXPECT_EQ(CObject::attackCheck(a, player, 0), 0);
    advance(1);
    EXPECT_EQ(CObject::attackCheck(a, player, 0), 0);  // attack chosen again: back to rest
    EXPECT_EQ(a->param(28), -1);
    EXPECT_EQ(a->param(29), timer);
    // Attacking with nothing to hit answers 1 and keeps attacking.
    a->setParam(28, timer);
    a->setParam(29, -1);
    advance(400);
    g_touching = 0;
    EXPECT_EQ(CObject::attackCheck(a, player, 0), 1);
    EXPECT_EQ(a->param(28), timer);
    // Off screen it cannot attack.
    a->m_sprite->x = 2000 << 14;
    EXPECT_EQ(CObject::attackCheck(a, player, 0), 1);
}

// ---- the player's push and the end of its actions ----

TEST_F(ObjectActionsTest, AStraightPushDoesNotRedirect) {
    CObject* block = object(30, 5, {}, 50, 340, 300);  // right of the player
    CObject::statics.s_inputDirection = CObject::kRight;
    ASSERT_EQ(player->directionToObject(block), CObject::kRight);
    CObject::reactToHit(player, block, list({block}), 1);
    EXPECT_TRUE(g_log.empty());
    EXPECT_EQ(CObject::statics.s_inputDirection, CObject::kRight);
    // Pushing it from the side turns the input toward it.
    CObject::statics.s_inputDirection = CObject::kUp;
    const int32_t d = player->directionToObject(block);
    CObject::reactToHit(player, block, list({block}), 1);
    EXPECT_EQ(g_log, (std::vector<std::string>{"hit " + std::to_string(d), "front 30"}));
    EXPECT_EQ(CObject::statics.s_inputDirection, d);
}

TEST_F(ObjectActionsTest, EndingASpinAlwaysRemovesAndAloneDrawsOneNumber) {
    Game::menuStatics.soundEffectsOn = 0;
    CObject* o = object(40, 302);
    struct Case {
        int32_t flags;  // the key-flag bits set
        bool neighbours;
        std::vector<std::string> sounds;
        int32_t draws;
    };
    const Case cases[] = {
        {0, false, {"sound 5"}, 1},
        {0, true, {"event 12"}, 0},
        {8, false, {}, 0},   // a bit of key flag 11: no cue at all
        {64, false, {}, 0},  // a bit of key flag 98 only
        {64, true, {}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "flags " << c.flags << " neighbours " << c.neighbours);
        neighbours(c.neighbours);
        GameOverlay::overlayStatics.flagMask = c.flags;
        g_log.clear();
        CObject::statics.s_itemSequence = 7;
        CObject::statics.s_actionPhase = 1;
        GameMath::mathStatics.randomSeed = 5;
        CObject::die(o, nullptr, 0, false);
        std::vector<std::string> expected = {"release group 40", "auto scroll 1"};
        expected.insert(expected.end(), c.sounds.begin(), c.sounds.end());
        expected.push_back("remove 40");
        EXPECT_EQ(g_log, expected);
        int32_t seed = 5;
        for (int32_t i = 0; i < c.draws; ++i) seed = static_cast<int32_t>(static_cast<uint32_t>(seed) * 1664525u + 1013904223u);
        EXPECT_EQ(GameMath::mathStatics.randomSeed, seed);
        EXPECT_EQ(CObject::statics.s_itemSequence, 8);
        EXPECT_EQ(CObject::statics.s_lastActionKind, 8);
        EXPECT_EQ(CObject::statics.s_actionPhase, 0);
    }
}

TEST_F(ObjectActionsTest, ThreeEndsOfTheSwingStepTheComboRound) {
    CObject* o = object(41, 302);
    for (int32_t expected : {1, 2, 0}) {
        CObject::statics.s_itemSequence = 0;
        CObject::die(o, nullptr, 0, true);
        EXPECT_EQ(CObject::statics.s_comboLevel, expected);
        EXPECT_EQ(CObject::statics.s_itemSequence, -1);  // the flag ends the action
    }
    // The combo window keeps the level for the next swing.
    CObject::startAction(0);
    EXPECT_EQ(CObject::statics.s_comboLevel, 0);
    CObject::statics.s_comboLevel = 2;
    CObject::startAction(0);
    EXPECT_EQ(CObject::statics.s_comboLevel, 2);
}

TEST_F(ObjectActionsTest, EndsWithThePhaseRaisedFinishTheAction) {
    CObject* o = object(42, 302, {}, 50, 300, 300);
    CObject::statics.s_effectObject = player;
    // Kind 0 with the phase: finished; no group member is ready, so the object goes.
    CObject::statics.s_itemSequence = 0;
    CObject::statics.s_actionPhase = 1;
    CObject::die(o, nullptr, 0, false);
    EXPECT_EQ(g_log.back(), "remove 42");
    EXPECT_TRUE(isNull(CObject::statics.s_effectObject));
    // Kind 1 with a timed release (short 12 of item record 1 is 2): the slot is released and
    // the action ends as kind 2 does.
    itemActions({0, 0, 0, 0, 0, 0}, 2);
    CObject::statics.s_actionTimer = Game::timerAlloc();
    const int32_t timer = CObject::statics.s_actionTimer;
    CObject::statics.s_itemSequence = 1;
    CObject::statics.s_actionPhase = 1;
    g_log.clear();
    CObject::die(o, nullptr, 0, false);
    EXPECT_EQ(CObject::statics.s_actionTimer, -1);
    EXPECT_FALSE(Game::isTimerSet(timer));
    EXPECT_EQ(CObject::statics.s_itemSequence, 2);
    EXPECT_EQ(g_log.back(), "remove 42");
    // Without the phase the action just ends.
    CObject::statics.s_itemSequence = 3;
    CObject::statics.s_actionPhase = 0;
    g_log.clear();
    CObject::die(o, nullptr, 0, false);
    EXPECT_EQ(g_log, (std::vector<std::string>{"release group 42", "auto scroll 1"}));
    EXPECT_EQ(CObject::statics.s_itemSequence, -1);
}

TEST_F(ObjectActionsTest, KillingWithoutAnActionTouchesOnlyTheStepStatics) {
    CObject::Statics& s = CObject::statics;
    s.s_stepIndex = 3;
    s.s_stepSpeed = 5 << 14;
    s.s_stepExtra = 9;
    s.s_comboLevel = 1;
    s.s_itemTimer = Game::timerAlloc();
    const int32_t timer = s.s_itemTimer;
    Game::killObject(object(43, 302));
    EXPECT_TRUE(g_log.empty());
    EXPECT_EQ(s.s_stepIndex, 0);
    EXPECT_EQ(s.s_stepSpeed, 0);
    EXPECT_EQ(s.s_stepExtra, 0);
    EXPECT_EQ(s.s_itemTimer, timer);
    EXPECT_TRUE(Game::isTimerSet(timer));
    EXPECT_EQ(s.s_comboLevel, 1);
    EXPECT_EQ(s.s_itemSequence, -1);
    EXPECT_EQ(s.s_comboTimer, -1);
    // While an action runs it ends first.
    s.s_itemSequence = 4;
    Game::killObject(object(44, 302));
    EXPECT_EQ(g_log, (std::vector<std::string>{"release group 44", "auto scroll 1"}));
    EXPECT_EQ(s.s_itemTimer, -1);
    EXPECT_EQ(s.s_itemSequence, -1);
}

TEST_F(ObjectActionsTest, ItemUseTestsItsAreasAndCues) {
    neighbours(true);
    CObject* o = object(45, 302, {}, 50, 300, 300);
    g_touching = 1u << 9;  // item area 1 only
    EXPECT_EQ(CObject::useItemOnTarget(o, nullptr, 0, 0), 1);
    EXPECT_EQ(CObject::statics.s_itemSequence, 1);
    // Item 3 without energy cannot use area 1.
    Game::objects.s_currentItem = 3;
    player->setParam(15, 0x2FFFF);
    g_log.clear();
    EXPECT_EQ(CObject::useItemOnTarget(o, nullptr, 0, 0), 0);
    EXPECT_EQ(CObject::statics.s_itemSequence, 0);
    // The mode flag: area 2, the energy spent and the cue, touching or not.
    Game::objects.s_currentItem = 4;
    g_log.clear();
    EXPECT_EQ(CObject::useItemOnTarget(o, nullptr, 0, 1), 0);
    EXPECT_EQ(g_log, std::vector<std::string>{"event 27"});
    EXPECT_EQ(CObject::statics.s_lastActionKind, 1);
    g_touching = 1u << 10;
    EXPECT_EQ(CObject::useItemOnTarget(o, nullptr, 0, 1), 1);
}

TEST_F(ObjectActionsTest, SequencesStepWhileTheyHaveRoom) {
    objectActionSeams().runSequence = [](IntArray*, int32_t x, int32_t y) { note("sequence", x * 1000 + y); };
    CObject* o = object(50, 31, {{4, 2}, {5, 3}, {17, 2}, {18, 1}}, 50, 64, 96);
    CObject::advanceStep(o);
    EXPECT_EQ(o->param(0), 1);
    EXPECT_EQ(g_log, std::vector<std::string>{"sequence 64096"});
    o->setParam(0, 0);
    o->setParam(17, 3);
    CObject::advanceStep(o);
    EXPECT_EQ(o->param(0), 0);
    EXPECT_EQ(g_log.size(), 1u);
}

// The block is faced only along `g_facing`.
int32_t g_facing = 0;

TEST_F(ObjectActionsTest, PullBackNeedsATargetBehindAndItsArea) {
    interactionSeams().isFacing = [](CObject*, CObject*) { return CObject::statics.s_inputDirection == g_facing; };
    CObject* o = object(60, 302, {}, 50, 300, 300);
    ObjectArray* blocks = list({object(61, 5, {}, 50, 260, 300)});
    g_facing = CObject::kLeft;
    EXPECT_FALSE(CObject::tryPullBack(o, blocks, 1));  // area 5 misses
    EXPECT_EQ(CObject::statics.s_inputDirection, CObject::kRight);
    EXPECT_TRUE(g_log.empty());
    g_touching = 1u << 13;
    CObject::statics.s_stepIndex = 4;
    EXPECT_TRUE(CObject::tryPullBack(o, blocks, 1));
    EXPECT_EQ(CObject::statics.s_inputDirection, CObject::kRight);
    EXPECT_EQ(CObject::statics.s_stepIndex, 0);
    EXPECT_EQ(CObject::statics.s_anchorX, player->m_sprite->x);
    EXPECT_EQ(CObject::statics.s_itemSequence, 5);
    EXPECT_EQ(CObject::statics.s_lastActionKind, 5);
    EXPECT_EQ(g_log, (std::vector<std::string>{"sound 5", "remove 60"}));
    // Nothing behind: no pull-back whatever the area.
    g_facing = CObject::kUp;
    EXPECT_FALSE(CObject::tryPullBack(o, blocks, 1));
}

int g_groupTests = 0;

TEST_F(ObjectActionsTest, SideStepsTryUpThenDownAndKeepTheNewInput) {
    g_groupTests = 0;
    game_pending::observer = [](const char* name) { g_groupTests += std::string(name) == "CObject::getNextFrameIndex"; };
    interactionSeams().isFacing = [](CObject*, CObject*) { return CObject::statics.s_inputDirection == g_facing; };
    CObject* o = object(62, 302, {}, 50, 300, 300);
    ObjectArray* blocks = list({object(63, 5, {}, 50, 300, 340)});
    g_facing = CObject::kDown;
    // The repeated move misses: the input comes back.
    EXPECT_EQ(CObject::moveWithSideStep(o, blocks, 1, 0), 0);
    EXPECT_EQ(CObject::statics.s_inputDirection, CObject::kRight);
    g_touching = 1u << 8;  // item area 0 touches
    EXPECT_EQ(CObject::moveWithSideStep(o, blocks, 1, 0), 1);
    EXPECT_EQ(CObject::statics.s_inputDirection, CObject::kDown);
    EXPECT_EQ(g_groupTests, 1) << "no faced target ahead: the group's type-21 test";
    // Ahead: the move itself succeeds.
    g_facing = CObject::kDown;
    EXPECT_EQ(CObject::moveWithSideStep(o, blocks, 1, 0), 1);
    // In another play mode there is no side step.
    CObject::statics.s_inputDirection = CObject::kRight;
    Game::stateStatics.playMode = 2;
    EXPECT_EQ(CObject::moveWithSideStep(o, blocks, 1, 0), 0);
    EXPECT_EQ(CObject::statics.s_inputDirection, CObject::kRight);
    game_pending::observer = nullptr;
}

TEST_F(ObjectActionsTest, FinishingWithTheFlagEndsAsKindFourAndRefreshesTheGauges) {
    CObject* o = object(64, 302, {}, 50, 300, 300);
    Game::hudGauges.s_gaugeTarget = -1;
    Game::hudGauges.s_hudPanelHomeX = 33;
    Game::applyDamageTo(o, nullptr, 0, true);
    EXPECT_EQ(CObject::statics.s_itemSequence, 4);
    EXPECT_EQ(CObject::statics.s_lastActionKind, 4);
    EXPECT_EQ(Game::hudGauges.s_gaugeFillStep, 128);
    EXPECT_EQ(Game::hudGauges.s_hudPanelX, 33);
    // The move's own cue (kind 0 alone: sound 5), then the end's.
    EXPECT_EQ(g_log, (std::vector<std::string>{"sound 5", "sound 5", "remove 64"}));
    // A given kind starts that action instead.
    g_log.clear();
    neighbours(true);
    Game::stopTimerAndApplyHit(o, nullptr, 0);
    EXPECT_EQ(CObject::statics.s_itemSequence, 3);
    EXPECT_EQ(g_log.back(), "remove 64");
}

}  // namespace
