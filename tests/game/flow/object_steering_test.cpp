// Object operations over a level: placing around target links and footprints, the scene effect's
// target line, steering on a hit, pick-ups, the meter, the progress step, the event script's
// reset and the pending interaction; and the full modifier table's trace.
#include <gtest/gtest.h>

#include "framework/core/game_timers.h"
#include "runtime/io/byte_array_output_stream.h"
#include "runtime/io/print_stream.h"
#include "runtime/lang/system_class.h"
#include "tests/game/cell_grid_fixture.h"
#include "tests/game/game_fixture.h"

namespace mrc::test {
namespace {

class ObjectSteeringTest : public CellGridTest {
protected:
    void SetUp() override {
        CellGridTest::SetUp();
        Game::initObjectOperations();
        g_pendingCalls.clear();
        game_pending::observer = [](const char* name) { g_pendingCalls.emplace_back(name); };
    }
    void TearDown() override {
        game_pending::observer = nullptr;
        CellGridTest::TearDown();
    }
    static int pending(const char* name) {
        int n = 0;
        for (const std::string& s : g_pendingCalls) n += s == name;
        return n;
    }
    static int32_t line() { return JArray::getInt(Game::paintStatics.s_sceneEffect, 0); }
};

TEST_F(ObjectSteeringTest, PlacingMovesTargetLinksAndFootprintsAroundTheMove) {
    packedKinds({{{30, -8}, {31, 40}, {32, 20}}});
    const struct {
        int32_t type;
        std::vector<RecordedCall> expected;
    } cases[] = {
        {10, {{"clearTarget", {200, 150}}, {"selectTarget", {300, 250, 0}}}},
        {15, {{"clearTarget", {200, 150}}, {"selectTarget", {300, 250, 0}}}},
        {5,
         {{"setGridFlagsInRect", {-1, 180, 132, 40, 20, 1, 0x10}},
          {"setGridFlagsInRect", {-1, 280, 232, 40, 20, 0, 0x10}}}},
        {7, {}},
    };
    for (const auto& c : cases) {
        calls().clear();
        CObject* o = object(1, c.type, {{44, -1}}, 50, 200, 150);
        Game::placeObject(o, 300 << 14, 250 << 14);
        EXPECT_EQ(calls(), c.expected) << "type " << c.type;
        EXPECT_EQ(o->m_sprite->x, 300 << 14) << "type " << c.type;
        EXPECT_EQ(o->m_sprite->y, 250 << 14) << "type " << c.type;
    }
}

TEST_F(ObjectSteeringTest, TargetLineByModeAndAxis) {
    CObject* player = placePlayer(100, 200);  // cell (3, 6)
    player->setParam(7, 3);
    player->setParam(9, 2);
    // Up from the player's row to the first cell with a bit of 0x69A: row 2.
    useLevel(levelWith({{3, 2}}));
    Game::trackObject(0, true, 0, 0, false);
    EXPECT_EQ(line(), (32 * 2 + 32 * 2) << 14);
    // Nothing above: the walk ends at row -1.
    useLevel(empty());
    Game::trackObject(0, true, 0, 0, false);
    EXPECT_EQ(line(), (-32 + 64) << 14);
    // Inside a room the rows count from the room's top (the room's cells carry no bit of the mask).
    standardLevel();
    player->m_sprite->x = 140 << 14;
    player->m_sprite->y = 150 << 14;
    Game::setCurrentRoom(layer);
    Game::trackObject(0, true, 0, 0, false);
    EXPECT_EQ(line(), (kLayerY - 32 + 64) << 14);
    Game::setCurrentRoom(nullptr);

    Game::trackObject(0, false, 40, 1000, false);
    EXPECT_EQ(line(), (40 + 16 * 3 + 1) << 14);
    Game::trackObject(1, true, 40, 7, false);
    EXPECT_EQ(line(), (40 + 7) << 14);
    Game::trackObject(2, false, 40, 7, false);
    EXPECT_EQ(line(), (40 + 32 * 2 + 7) << 14);
}

TEST_F(ObjectSteeringTest, AHitSteersByTheFlagsAndStepsAtTheKindsSpeed) {
    packedKinds({{{20, 1000}}});
    ASpriteInstance::statics.logicStepsThisFrame = 1;
    Game::stateStatics.frameTime = 100;
    // Along x only: the direction from params[40]'s branch, y velocity 0.
    CObject* a = object(1, 7, {{3, 0}, {40, 1}}, 50, 100, 100);
    Game::hitObject(a, 50 << 14, 300 << 14, 0);
    EXPECT_EQ(a->param(19), -(1 << 14));
    EXPECT_EQ(a->param(20), 0);
    // Flags bit 0 turns it away from the point.
    CObject* b = object(2, 7, {{3, 0}, {40, 1}}, 50, 100, 100);
    Game::hitObject(b, 50 << 14, 300 << 14, 1);
    EXPECT_EQ(b->param(19), 1 << 14);
    // Otherwise towards the point on both axes, then a step along the velocity.
    CObject* c = object(3, 7, {{3, 0}}, 50, 100, 100);
    Game::hitObject(c, 100 << 14, 300 << 14, 0);
    EXPECT_EQ(c->param(19), 0);
    EXPECT_GT(c->param(20), 0);
    EXPECT_GT(c->m_sprite->y, 100 << 14);
    CObject* d = object(4, 7, {{3, 0}}, 50, 100, 100);
    Game::hitObject(d, 100 << 14, 300 << 14, 1);
    EXPECT_LT(d->param(20), 0) << "the flags, not a speed, reach the steering";
}

TEST_F(ObjectSteeringTest, ClearingAHitDropsTheTargetOrOrbits) {
    CObject* a = object(1, 7, {{40, 1}, {22, 5}, {23, 6}}, 50, 100, 100);
    Game::clearHit(a, 1, 2, 0, 0);
    EXPECT_EQ(a->param(22), -1);
    EXPECT_EQ(a->param(23), -1);
    CObject* b = object(2, 7, {{27, 10}}, 50, 100, 100);
    Game::clearHit(b, 300 << 14, 200 << 14, 100, 4);
    EXPECT_EQ(b->param(22), 300 << 14) << "the orbit takes the new centre";
    EXPECT_EQ(b->param(23), 200 << 14);
}

TEST_F(ObjectSteeringTest, APickupCountsAnimatesAndFillsTheGauges) {
    CObject* player = placePlayer(100, 100);
    ShortArray* record = om()->newShortArray(16);
    record->elements()[3] = 4;
    record->elements()[9] = 1;
    record->elements()[10] = 0;
    record->elements()[11] = 2;
    record->elements()[14] = 6;
    Game::levelSetup.s_typeRecords = om()->newObjectArray(kClass_ShortArray, 2);
    Game::levelSetup.s_typeRecords->elements()[1] = record;
    CObject* pickup = object(5, 16, {{2, 1}, {3, 9}}, 50, 100, 100);
    player->setParam(17, 100 << 14);  // the maxima of gauges 0 and 2
    player->setParam(18, 100 << 14);
    Game::collectPickup(pickup);
    EXPECT_EQ(record->elements()[14], 7);
    EXPECT_EQ(pickup->m_sprite->anim, 5);
    EXPECT_EQ(pickup->param(3), -1);
    EXPECT_EQ(pickup->param(10), 1);
    EXPECT_EQ(Game::operations.s_lastPickup, pickup);
    EXPECT_EQ(player->param(13), 1 << 14) << "gauge 0";
    EXPECT_EQ(player->param(15), 2 << 14) << "gauge 2";

    // Without a record it is still taken, with nothing to add.
    CObject* bare = object(6, 16, {{2, -1}, {3, 9}}, 50, 100, 100);
    Game::collectPickup(bare);
    EXPECT_EQ(bare->param(3), -1);
    EXPECT_EQ(bare->param(10), 1);
    EXPECT_EQ(Game::operations.s_lastPickup, bare);
}

TEST_F(ObjectSteeringTest, TheProgressStepWandersEverySevenThirds) {
    CObject* o = object(1, 7, {}, 50, 0, 0);
    for (int32_t distance : {3, 21, 24, 45}) {
        o->setParam(14, distance << 14);
        CObject::updateProgressStep(o);
    }
    EXPECT_EQ(Game::operations.s_progressStep, 15);
    EXPECT_EQ(Game::operations.s_lastProgressStep, 15);
    EXPECT_EQ(pending("CObject::randomWander"), 2) << "at steps 7 and 15";
}

TEST_F(ObjectSteeringTest, ResettingTheScriptFreesItsTimerAndSelection) {
    Game::initTimers(0);
    LayoutStatics& l = Game::layouts;
    l.s_scriptTimer = Game::timerAlloc();
    l.s_scriptIndex = 3;
    const int32_t timer = l.s_scriptTimer;
    // Track 2 waits for the player: selecting a type-1 object releases it, other types hold none.
    CinematicStatics& c = Game::cinematics;
    c.s_cineTrackCount = 3;
    c.s_cineTrackFlags = om()->newIntArray(3);
    c.s_cineTrackActor = om()->newIntArray(3);
    c.s_cineTrackActor->elements()[2] = -1;  // no actor to animate
    constexpr int32_t kWaits = 0x4;
    c.s_cineTrackFlags->elements()[2] = kWaits;
    Game::objects.s_selectedObject = object(2, 7, {{16, 2}});
    Game::checkSelectedObject();
    EXPECT_EQ(c.s_cineTrackFlags->elements()[2], kWaits) << "only types 1 and 3 hold a track";
    Game::objects.s_selectedObject = object(1, 1, {{16, 2}});
    Game::checkSelectedObject();
    EXPECT_EQ(c.s_cineTrackFlags->elements()[2], 0);
    Game::resetScriptState();
    EXPECT_EQ(l.s_scriptTimer, -1);
    EXPECT_EQ(l.s_scriptIndex, -1);
    EXPECT_FALSE(Game::isTimerSet(timer));
    EXPECT_EQ(Game::objects.s_selectedObject, nullptr);
}

TEST_F(ObjectSteeringTest, ResettingTheInteractionLetsTheHeldObjectGo) {
    ObjectOperationStatics& s = Game::operations;
    Game::objects.s_attachedObjects = list({object(1, 10), object(2, 10)});
    const struct {
        int32_t item, detach, state;
        int selects, detaches, newState;
    } cases[] = {{4, 1, 7, 1, 1, 0}, {4, -1, 7, 1, 0, 3}, {2, 1, 7, 0, 0, 3}};
    for (const auto& c : cases) {
        g_pendingCalls.clear();
        s.s_interactionPending[0] = s.s_interactionPending[1] = true;
        s.s_interactionObject = object(3, 7);
        s.s_detachIndex = c.detach;
        Game::objects.s_currentItem = c.item;
        GameOverlay::overlayStatics.gameState = c.state;
        GameOverlay::overlayStatics.gameSubState = 3;
        Game::resetInteraction(Game::objects.s_player);
        EXPECT_FALSE(s.s_interactionPending[0] || s.s_interactionPending[1]);
        EXPECT_EQ(s.s_interactionObject, nullptr);
        EXPECT_EQ(pending("Game::selectItem"), c.selects) << c.item << " " << c.detach;
        EXPECT_EQ(pending("CObject::detach"), c.detaches) << c.item << " " << c.detach;
        EXPECT_EQ(GameOverlay::overlayStatics.gameSubState, c.newState) << c.item << " " << c.detach;
        if (c.item == 4) {
            EXPECT_EQ(s.s_detachIndex, -1);
        }
    }
}

TEST_F(ObjectSteeringTest, AFullModifierTableTracesItsText) {
    installConstants({{452, "modifier table full"}});
    auto* captured = java_io_ByteArrayOutputStream::newInstance(256);
    java_io_PrintStream* saved = systemStatics.out;
    systemStatics.out = java_io_PrintStream::newInstance(captured);
    Game::initTimers(0);
    Game::initTimedModifiers();
    ObjectOperationStatics& s = Game::operations;
    s.s_interactionLoad = om()->newObjectArray(kClass_ByteArray, 1);
    JArray::setRef(s.s_interactionLoad, 0, om()->newByteArray(2));
    for (int32_t i = 0; i <= Game::kTimedModifierRecords; ++i) Game::addTimedModifier(0, 1, 1);
    systemStatics.out = saved;
    ByteArray* out = captured->toByteArray();
    const std::string printed(reinterpret_cast<const char*>(out->elements()), std::size_t(out->length));
    EXPECT_NE(printed.find("modifier table full"), std::string::npos) << printed;
    EXPECT_EQ(JArray::getByte(static_cast<ByteArray*>(JArray::getRef(s.s_interactionLoad, 0)), 1), -1)
        << "the 31st amount is given back";
}

}  // namespace
}  // namespace mrc::test
