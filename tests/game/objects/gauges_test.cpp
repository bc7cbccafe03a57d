#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/core/game_timers.h"
#include "game/pending.h"
#include "tests/game/world_fixture.h"

namespace {

using namespace mrc;

std::vector<std::string> g_hudCalls;

// A player with its three gauges (kind 0 max 100, kind 1 max 50, kind 2 max 30) and the HUD
// services recorded by name, in order.
class GaugesTest : public test::WorldTest {
protected:
    void SetUp() override {
        WorldTest::SetUp();
        Game::hudGauges = {};
        g_hudCalls.clear();
        game_pending::observer = [](const char* name) { g_hudCalls.emplace_back(name); };
        GameTimers::initTimers(0);
        GameTimers::updateGameTime();
        player = object(1, 0, {{13, 40}, {17, 100}, {16, 10}, {19, 50}, {15, 5}, {18, 30}});
        Game::objects.s_player = player;
    }
    void TearDown() override {
        game_pending::observer = nullptr;
        WorldTest::TearDown();
    }
    static ByteArray* schedule(int32_t kind) {
        return static_cast<ByteArray*>(JArray::getRef(CObject::statics.s_cyclicTables, kind));
    }
    static int32_t restarts() {
        int32_t n = 0;
        for (const std::string& c : g_hudCalls) n += c == "Game::restartTimerOf";
        return n;
    }
    CObject* player = nullptr;
};

TEST_F(GaugesTest, KindOneOverflowsIntoItsCounterAndBorrowsBack) {
    // Three maxima and a bit over: three overflows, the rest kept.
    EXPECT_FALSE(CObject::addToGauge(player, 1, 3 * 50 + 5));
    EXPECT_EQ(player->param(20), 3);
    EXPECT_EQ(player->param(16), 15);
    EXPECT_EQ(Game::hudGauges.s_gaugeOverflow, 1);

    // Past 99 overflows the counter stays at 99 and the value at the maximum.
    Game::hudGauges.s_gaugeOverflow = 0;
    EXPECT_FALSE(CObject::addToGauge(player, 1, 100 * 50));
    EXPECT_EQ(player->param(20), 99);
    EXPECT_EQ(player->param(16), 50);
    EXPECT_EQ(Game::hudGauges.s_gaugeOverflow, 0);

    // Below 0 with overflows left: one is borrowed.
    player->setParam(20, 1);
    player->setParam(16, 10);
    EXPECT_FALSE(CObject::addToGauge(player, 1, -20));
    EXPECT_EQ(player->param(20), 0);
    EXPECT_EQ(player->param(16), 40);
    // None left: 0 is reached and reported.
    EXPECT_TRUE(CObject::addToGauge(player, 1, -45));
    EXPECT_EQ(player->param(16), 0);
}

TEST_F(GaugesTest, KindOneWithoutAMaximumDoesNotLoop) {
    for (int32_t maximum : {0, -7}) {
        player->setParam(19, maximum);
        player->setParam(16, 0);
        player->setParam(20, 0);
        EXPECT_FALSE(CObject::addToGauge(player, 1, 1000)) << maximum;
        EXPECT_EQ(player->param(16), 0) << maximum;
        EXPECT_EQ(player->param(20), 0) << maximum;
    }
}

TEST_F(GaugesTest, KindsZeroAndTwoClampAndReportTheBound) {
    struct Case {
        int32_t kind, delta, value;
        bool bound;
    };
    for (const Case& c : {Case{0, 30, 70, false}, Case{0, 100, 100, true}, Case{0, -200, 0, true},
                          Case{2, 26, 30, true}, Case{2, -40, 0, true}, Case{2, 1, 1, false}}) {
        EXPECT_EQ(CObject::addToGauge(player, c.kind, c.delta), c.bound) << c.kind << " " << c.delta;
        EXPECT_EQ(player->getGaugeValue(c.kind), c.value) << c.kind << " " << c.delta;
    }
}

TEST_F(GaugesTest, HealthLossFlashesAndEveryChangeRestartsTheHudTimer) {
    CObject::addToGauge(player, 0, -10);
    EXPECT_EQ(Game::hudGauges.s_healthFlashStep, 1);
    EXPECT_EQ(g_hudCalls, (std::vector<std::string>{"Game::restartTimerOf", "Game::restartTimerOf"}));
    g_hudCalls.clear();
    EXPECT_FALSE(CObject::addToGauge(player, 0, 0));
    EXPECT_FALSE(CObject::addToGauge(player, 7, 5));  // no such gauge: only the timer
    EXPECT_EQ(restarts(), 1);
    EXPECT_EQ(player->param(13), 30);

    // With option 2 on, health changes are ignored (no flash).
    Game::hudGauges.s_healthFlashStep = 0;
    JArray::setByte(GameStatics::flowStatics.s_settings, 2, 2);
    EXPECT_FALSE(CObject::addToGauge(player, 0, -10));
    EXPECT_EQ(player->param(13), 30);
    EXPECT_EQ(Game::hudGauges.s_healthFlashStep, 0);
}

TEST_F(GaugesTest, SetGaugeCarriesClampsAndResetsThePanel) {
    Game::hudGauges.s_hudPanelHomeX = 17;
    EXPECT_TRUE(CObject::setGauge(player, 0, 500));
    EXPECT_EQ(player->param(13), 100);
    EXPECT_EQ(Game::hudGauges.s_gaugeFillStep, 128);
    EXPECT_EQ(Game::hudGauges.s_hudPanelX, 17);
    EXPECT_FALSE(CObject::setGauge(player, 1, 51));
    EXPECT_EQ(player->param(20), 1);
    EXPECT_EQ(player->param(16), 0);
    EXPECT_FALSE(CObject::setGauge(player, 1, -5));
    EXPECT_EQ(player->param(20), 0);
    EXPECT_EQ(player->param(16), 45);
    EXPECT_TRUE(CObject::setGauge(player, 1, -5));
    EXPECT_EQ(player->param(16), 0);
}

TEST_F(GaugesTest, RefillScanFindsTheSlotThatSpendsTheAmount) {
    CObject::statics.s_cyclicPosition = 10;
    // Empty schedule: the last slot examined, or the position when already at the limit.
    EXPECT_EQ(Game::scanCyclicTableForLimit(0, 41), (10 + 44) % 45);
    EXPECT_EQ(Game::scanCyclicTableForLimit(0, 40), 10);
    EXPECT_EQ(Game::scanCyclicTableForLimit(1, 20), 10);
    EXPECT_EQ(Game::scanCyclicTableForLimit(5, 99), 10);
    // Slots 12 and 13 take 5 each: 30 spends down to 20 at slot 13.
    JArray::setByte(schedule(1), 12, -5);
    JArray::setByte(schedule(1), 13, -5);
    EXPECT_EQ(Game::scanCyclicTableForLimit(1, 30), 13);
}

TEST_F(GaugesTest, RefillStepPaysTheSlotEvery500Ms) {
    CObject::statics.s_refillTimer = Game::timerAlloc();
    CObject::statics.s_cyclicPosition = 44;
    JArray::setByte(schedule(0), 44, 7);
    JArray::setByte(schedule(2), 44, 9);
    player->setParam(15, 30);  // kind 2 full: its schedule is dropped
    CObject::stepRefillSchedule();
    EXPECT_EQ(CObject::statics.s_cyclicPosition, 44);
    EXPECT_EQ(JArray::getByte(schedule(2), 44), 0);
    EXPECT_TRUE(g_hudCalls.empty());
    clock.advance(500);
    GameTimers::updateGameTime();
    CObject::stepRefillSchedule();
    EXPECT_EQ(CObject::statics.s_cyclicPosition, 0);
    EXPECT_EQ(JArray::getByte(schedule(0), 44), 0);
    EXPECT_EQ(JArray::getInt(CObject::statics.s_cyclicCounters, 0), 7);
    EXPECT_EQ(g_hudCalls, std::vector<std::string>{"Game::addToCounter"});
}

TEST_F(GaugesTest, ReleaseTimersStopsTheOwnedTimersAndFreesTheRoute) {
    Game::objects.s_routeLength = om()->newByteArray(4);
    JArray::setByte(Game::objects.s_routeLength, 2, 6);
    Game::objects.s_freeRoutes = 1;
    const int32_t a = Game::timerAlloc(), b = Game::timerAlloc(), kept = Game::timerAlloc();
    CObject* o = object(2, 20, {{28, a}, {29, -1}, {35, b}, {47, -1}, {7, kept}, {48, 2}});
    o->releaseTimers();
    EXPECT_FALSE(Game::isTimerSet(a));
    EXPECT_FALSE(Game::isTimerSet(b));
    EXPECT_TRUE(Game::isTimerSet(kept));
    for (int32_t i : {28, 29, 35, 47, 48}) EXPECT_EQ(o->param(i), -1) << i;
    EXPECT_EQ(JArray::getByte(Game::objects.s_routeLength, 2), 0);
    EXPECT_EQ(Game::objects.s_freeRoutes, 2);
    // A short object has none of these.
    object(3, 20, {}, 10)->releaseTimers();
}

TEST_F(GaugesTest, TypePropertiesDepthKeysAndTheLevelTimer) {
    EXPECT_EQ(CObject::getTypeProperty(object(1, 1, {{13, 8}})), 8);
    EXPECT_EQ(CObject::getTypeProperty(object(1, 3, {{6, 4}})), 4);
    EXPECT_EQ(CObject::getTypeProperty(object(1, 0, {{3, 2}})), 2);
    EXPECT_EQ(CObject::getTypeProperty(object(1, 9, {{3, 2}})), 0);
    EXPECT_EQ(Game::objectDepthKey(object(1, 87, {{10, 5}}, 50, 30, 40)), 0);
    EXPECT_EQ(Game::objectDepthKey(object(1, 87, {{10, 4}}, 50, 30, 40)), 40 * 256 + 30);

    Game::objects.s_levelTimer = -1;
    EXPECT_EQ(CObject::getLevelTimerElapsed(), -1);
    Game::objects.s_levelTimer = Game::timerAlloc();
    clock.advance(120);
    GameTimers::updateGameTime();
    EXPECT_EQ(CObject::getLevelTimerElapsed(), 120);
    EXPECT_FALSE(CObject::isLevelTimerElapsed(200));
    const int32_t id = Game::objects.s_levelTimer;
    CObject::clearSlot();
    EXPECT_EQ(Game::objects.s_levelTimer, -1);
    EXPECT_FALSE(Game::isTimerSet(id));
}

TEST_F(GaugesTest, RefillDisplayStartsOnlyWithRoomToFill) {
    CObject::Statics& s = CObject::statics;
    s.s_refillDisplayKind = -1;
    s.s_refillDisplayRate = 77;
    s.s_refillDisplayTimer = Game::timerAlloc();
    clock.advance(300);
    GameTimers::updateGameTime();
    // Health full to the last fixed-point unit: nothing to divide by, nothing starts.
    player->setParam(17, 100 << 14);
    player->setParam(13, 100 << 14);
    CObject* health = object(4, 40, {{0, 0}});
    CObject::startRefillDisplay(health);
    EXPECT_EQ(s.s_refillDisplayKind, -1);
    EXPECT_EQ(s.s_refillDisplayRate, 77);
    EXPECT_EQ(Game::getTimerElapsed(s.s_refillDisplayTimer), 300);
    // Another params[0] is no refill.
    CObject::startRefillDisplay(object(4, 40, {{0, 2}}));
    EXPECT_EQ(s.s_refillDisplayKind, -1);
    // Room left: kind 0 from the player's value, the timer from now.
    player->setParam(13, 60 << 14);
    CObject::startRefillDisplay(health);
    EXPECT_EQ(s.s_refillDisplayKind, 0);
    EXPECT_EQ(s.s_refillDisplayStart, 60 << 14);
    EXPECT_EQ(Game::getTimerElapsed(s.s_refillDisplayTimer), 0);
    // Params[0] 1 shows gauge 2.
    player->setParam(18, 30 << 14);
    CObject::startRefillDisplay(object(4, 40, {{0, 1}}));
    EXPECT_EQ(s.s_refillDisplayKind, 2);
    EXPECT_EQ(s.s_refillDisplayStart, 5);
}

TEST_F(GaugesTest, AnEmitterOffItsPlatformLetsGoOfItsParticle) {
    CObject* o = object(2, 20, {{7, 3}});
    EXPECT_FALSE(CObject::releaseEmitterUnlessLanding(o));
    EXPECT_EQ(o->param(7), -1);
    EXPECT_FALSE(CObject::releaseEmitterUnlessLanding(o));
    EXPECT_EQ(o->param(7), -1);
}

}  // namespace
