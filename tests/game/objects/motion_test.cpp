#include <gtest/gtest.h>

#include <cmath>

#include "framework/sprite/sprite.h"
#include "game/objects/motion_seams.h"
#include "game/objects/object_action_seams.h"
#include "tests/game/cell_grid_fixture.h"

namespace {

using namespace mrc;

using test::CellGridTest;

constexpr int32_t kUp = 258, kDown = 16388, kLeft = 1032, kRight = 4112;

class MotionTest : public CellGridTest {
protected:
    void SetUp() override {
        CellGridTest::SetUp();
        mrc::motionSeams() = {};
        events().clear();
        Game::stateStatics.frameTime = 100;
        Game::stateStatics.playMode = 0;
    }
    void TearDown() override {
        mrc::motionSeams() = {};
        mrc::objectActionSeams() = {};
        CellGridTest::TearDown();
    }
    static std::vector<std::pair<int32_t, CObject*>>& events() {
        static std::vector<std::pair<int32_t, CObject*>> recorded;
        return recorded;
    }
    static void recordEvents() {
        mrc::motionSeams().onEvent = [](int32_t event, CObject* o) { events().push_back({event, o}); };
    }
    static ObjectArray* shortRecords(std::initializer_list<std::map<int32_t, int32_t>> records, int32_t length) {
        ObjectArray* a = om()->newObjectArray(kClass_ShortArray, static_cast<int32_t>(records.size()));
        int32_t i = 0;
        for (const auto& r : records) {
            ShortArray* s = om()->newShortArray(length);
            for (const auto& [k, v] : r) s->elements()[k] = static_cast<int16_t>(v);
            a->elements()[i++] = s;
        }
        return a;
    }
    // The next value of the game's generator from `seed` (the high 16 bits, unsigned).
    static int32_t nextRandom(int32_t seed) {
        return static_cast<int32_t>((static_cast<uint32_t>(seed) * 1664525u + 1013904223u) >> 16);
    }
    static int32_t px(CObject* o) { return o->m_sprite->x >> 14; }
    static int32_t py(CObject* o) { return o->m_sprite->y >> 14; }
};

// ---- directions and ballistic motion ------------------------------------------------------------

TEST_F(MotionTest, KeysBecomeOneDirectionByPlayMode) {
    struct Case {
        int32_t mode, keys, direction;
    };
    const Case cases[] = {
        {0, 0x80 | 0x200, 4370}, {0, 0x80, 1290},    {0, 0x2000 | 0x8000, 17420}, {0, 0x8000, 20500},
        {0, 0x102 | 0x408, 1290}, {0, 0x4004 | 0x1010, 20500}, {0, 0x102, kUp}, {0, 0x4004, kDown},
        {0, 0x408 | 0x1010, kLeft}, {0, 0x1010, kRight}, {0, 0, 0},
        {1, 0x408, 0}, {1, 0x200, 0}, {3, 0x102, 0},
        {2, 0x408 | 0x1010, kLeft}, {2, 0x1010 | 0x102, kRight}, {2, 0x102, 0},
    };
    for (const Case& c : cases) {
        Game::stateStatics.playMode = c.mode;
        EXPECT_EQ(Game::remapKeys(c.keys), c.direction) << c.mode << " " << c.keys;
    }
}

TEST_F(MotionTest, DirectionToAnObjectFromTheItemPoint) {
    CObject* player = object(1, 0, {}, 50, 100, 100);
    Game::objects.s_currentItem = 1;
    Game::motionTables.s_itemOffsets = shortRecords({{}, {{0, 10}, {1, -20}}}, 2);  // item point (110, 80)
    struct Case {
        int32_t x, y, direction;
    };
    const Case cases[] = {
        {110, 130, kDown},  {160, 80, kRight}, {110, 80, kDown}, {60, 80, kLeft}, {110, 30, kUp},
        {140, 110, kDown},  // on the diagonal dy = dx
        {140, 50, kRight},  // on dy = -dx, right of it
        {80, 110, kDown},   // dy = -dx below: down
    };
    for (const Case& c : cases) {
        CObject* other = object(2, 40, {}, 50, c.x, c.y);
        EXPECT_EQ(player->directionToObject(other), c.direction) << c.x << "," << c.y;
    }
    // A type-5 object aims at the centre of its kind box; record 1 in play mode 2.
    ObjectArray* boxes = om()->newObjectArray(kClass_ObjectArray, 2);
    Game::motionTables.s_kindBoxes = boxes;
    boxes->elements()[1] = shortRecords({{{0, -100}, {2, 0}, {1, 0}, {3, 0}}, {{0, 0}, {1, -200}, {3, 0}}}, 4);
    CObject* box = object(3, 5, {{CObject::PARAM_KIND, 1}}, 50, 110, 90);
    EXPECT_EQ(player->directionToObject(box), kLeft);
    Game::stateStatics.playMode = 2;
    EXPECT_EQ(player->directionToObject(box), kUp);
    // Type 21 adds 16 px per unit of params[2], params[3].
    CObject* area = object(4, 21, {{2, 0}, {3, -2}}, 50, 110, 81);
    EXPECT_EQ(player->directionToObject(area), kUp);
}

TEST_F(MotionTest, ArcsAndFallsFromHeightAndFrameTime) {
    auto& s = CObject::statics;
    s.s_arcHeight = 128;
    s.s_arcDistance = 0;
    s.s_velocityX = 77;
    s.s_accelX = 88;
    CObject::startArc();
    EXPECT_EQ(s.s_velocityY, -853 << 14);
    EXPECT_EQ(s.s_accelY, ((853 << 14) / 300) * 1000);
    EXPECT_EQ(s.s_velocityX, 77);  // no sideways distance: untouched
    EXPECT_EQ(s.s_accelX, 88);

    s.s_arcDistance = 900;
    s.s_inputDirection = kLeft;
    CObject::startArc();
    EXPECT_EQ(s.s_velocityX, -1638400);
    EXPECT_EQ(s.s_accelX, -(2000 << 14));
    s.s_inputDirection = kRight;
    CObject::startArc();
    EXPECT_EQ(s.s_velocityX, 1638400);
    EXPECT_EQ(s.s_accelX, 2000 << 14);

    Game::stateStatics.frameTime = 100;
    CObject::startFall();
    EXPECT_EQ(s.s_velocityY, 0);
    EXPECT_EQ(s.s_accelY, 1024 << 14);
    CObject::startShortFall();  // 128 px in 200 ms
    EXPECT_EQ(s.s_accelY, (128 * 2000000 / 200 / 200) << 14);
}

TEST_F(MotionTest, IntegrationStopsAtTheTurningPointAndLimitsStateTwentyFive) {
    auto& s = CObject::statics;
    Game::stateStatics.frameTime = 50;
    struct Case {
        int32_t v, a, state, expected;
    };
    const Case cases[] = {
        {100 << 14, -(40000 << 14), 0, 0},        // would reverse: stops
        {-1000, 100000, 0, 0},                     // -1000 + 5000 >= 1: stops
        {-10000, 100000, 0, -5000},
        {100 << 14, 1000 << 14, 0, (100 << 14) + ((1000 << 14) / 1000) * 50},
        {3276000, 1000 << 14, 25, 3276800},       // at most 200 px/s down in state 25
    };
    for (const Case& c : cases) {
        s.s_playerState = c.state;
        s.s_velocityX = s.s_velocityY = c.v;
        s.s_accelX = s.s_accelY = c.a;
        CObject::integrateVelocity();
        EXPECT_EQ(s.s_velocityY, c.expected) << c.v;
    }
    s.s_playerState = 25;
    s.s_velocityX = -3276700;
    s.s_accelX = -(1000 << 14);
    CObject::integrateVelocity();
    EXPECT_EQ(s.s_velocityX, -3276800);
}

TEST_F(MotionTest, PulsesRunDownThenUpEveryHalfSecond) {
    struct Case {
        int32_t t, a, b;
    };
    for (const Case& c : {Case{0, 70, 40}, Case{249, 56, 26}, Case{250, 55, 25}, Case{499, 69, 39}, Case{1000, 70, 40}}) {
        CObject::updatePulse(c.t);
        EXPECT_EQ(CObject::statics.s_pulseA, c.a) << c.t;
        EXPECT_EQ(CObject::statics.s_pulseB, c.b) << c.t;
    }
}

TEST_F(MotionTest, DirectionHelpersAndTemplateAnimations) {
    EXPECT_EQ(CObject::oppositeDirectionOrSame(kUp), kDown);
    EXPECT_EQ(CObject::oppositeDirectionOrSame(kRight), kLeft);
    EXPECT_EQ(CObject::oppositeDirectionOrSame(1290), 1290);
    EXPECT_EQ(CObject::directionIndex(kRight), 3);
    EXPECT_EQ(CObject::directionIndex(4370), 0);
    CObject::statics.s_boxOffsetX = 20;
    CObject::statics.s_boxWidth = 40;
    EXPECT_EQ(CObject::facingOffsetX(kRight), 20);
    EXPECT_EQ(CObject::facingOffsetX(kLeft), -20);
    Game::objects.s_currentItem = 0;
    Game::motionTables.s_itemOffsets = shortRecords({{{0, 3}, {1, 4}}}, 2);
    EXPECT_EQ(CObject::negatedItemOffsetX(1), -4 << 14);
    EXPECT_EQ(CObject::negatedItemOffsetY(-10), 6 << 14);

    packedKinds({{{28, 2}}, {{28, -3}}});
    CObject* o = object(1, 5, {{CObject::PARAM_FACING, kLeft}});
    EXPECT_EQ(CObject::getAnimForDirection(0, o), 1);
    EXPECT_EQ(CObject::getAnimForDirection(3, o), 0);
    EXPECT_EQ(CObject::getAnimForDirection(5, o), 12);
    o->setParam(CObject::PARAM_KIND, 1);  // negative entry: n = 0
    o->setParam(CObject::PARAM_FACING, kUp);
    EXPECT_EQ(CObject::getAnimForDirection(5, o), 2);
}

TEST_F(MotionTest, PlayerStateOffsetTables) {
    EXPECT_EQ(CObject::stateAnimOffset9(1, 5), 13);
    EXPECT_EQ(CObject::stateAnimOffset9(1, 3), 1);
    EXPECT_EQ(CObject::stateAnimOffset21(2, 3), 143);
    EXPECT_EQ(CObject::stateAnimOffset21(2, 8), 2);
    EXPECT_EQ(CObject::stateAnimOffset25(0, 9), 12);
    EXPECT_EQ(CObject::stateAnimOffset25(0, 5), 0);
    struct Case {
        int32_t item, p, a, b;
    };
    const Case cases[] = {
        {0, 0, 118, 110}, {2, 1, 122, 110}, {1, 0, 110, 0}, {1, 2, -264, 0}, {3, 1, 114, 114},
        {3, 2, -146, -146}, {4, 0, 118, 126}, {4, 5, -402, 126}, {5, 0, 0, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Game::itemAnimOffset(0, c.item, c.p), c.a) << c.item << " " << c.p;
        EXPECT_EQ(Game::itemAnimOffsetB(0, c.item, c.p), c.b) << c.item << " " << c.p;
    }
}

// ---- object state changes -----------------------------------------------------------------------

TEST_F(MotionTest, DeathTurnsADownwardObjectSidewaysByOneDraw) {
    CObject* o = object(1, 5, {{CObject::PARAM_FACING, kLeft}});
    Game::mathStatics.randomSeed = 5;
    o->startDeath();
    EXPECT_EQ(o->param(CObject::PARAM_STATE), 5);
    EXPECT_EQ(o->param(CObject::PARAM_SUBSTATE), 0);
    EXPECT_EQ(o->param(CObject::PARAM_FACING), kLeft);
    EXPECT_EQ(Game::mathStatics.randomSeed, 5);  // no draw
    for (int32_t seed : {0, 1, 2, 3, 12345, -77}) {
        o->setParam(CObject::PARAM_FACING, kDown);
        Game::mathStatics.randomSeed = seed;
        o->startDeath();
        EXPECT_EQ(o->param(CObject::PARAM_FACING), (nextRandom(seed) & 1) ? kRight : kLeft) << seed;
        EXPECT_EQ(Game::mathStatics.randomSeed, static_cast<int32_t>(static_cast<uint32_t>(seed) * 1664525u + 1013904223u));
    }
}

TEST_F(MotionTest, ModeSwitchesStartTheirVariants) {
    CObject* o = object(1, 5, {{CObject::PARAM_FLAGS, 1}});
    o->m_sprite->anim = 99;
    struct Case {
        int32_t old, m, mode, anim, phase;
    };
    const Case cases[] = {
        {0, 0, 0, 22, 5},   {0, 1, 1, 22, 5},  {0, 2, 2, 23, 0}, {0, 3, 3, 25, 5},  {0, 5, 5, 33, 0},
        {0, 6, 6, 36, 0},   {0, 7, 7, 35, 5},  {1, 8, 8, 31, 5}, {3, 8, 8, 99, 5},  {2, 8, 2, 99, 5},
        {0, 10, 10, 28, 0}, {0, 4, 4, 99, 5},
        {10, 3, 10, 26, 1}, {10, 6, 10, 30, 2}, {10, 7, 10, 29, 3}, {10, 0, 10, 99, 5},
    };
    for (const Case& c : cases) {
        o->setParam(CObject::PARAM_SUBKIND, c.old);
        o->setParam(13, 5);
        o->m_sprite->anim = 99;
        o->setAnimFromState(c.m);
        EXPECT_EQ(o->param(CObject::PARAM_SUBKIND), c.mode) << c.old << "->" << c.m;
        EXPECT_EQ(o->m_sprite->anim, c.anim) << c.old << "->" << c.m;
        EXPECT_EQ(o->param(13), c.phase) << c.old << "->" << c.m;
    }
}

TEST_F(MotionTest, ScriptedFramesSlotsAndPaintEffectParameters) {
    packedKinds({{}, {{20, 0xFFFF}}});
    Game::objects.s_actionRecords = om()->newObjectArray(kClass_ObjectArray, 2);
    Game::objects.s_actionRecords->elements()[1] = shortRecords({{}, {{4, 6}}}, 8);
    CObject* o = object(1, 5, {{CObject::PARAM_KIND, 1}, {42, 1}, {CObject::PARAM_FACING, kRight}});
    o->startScriptedFrame();
    EXPECT_EQ(o->param(CObject::PARAM_STATE), 12);
    EXPECT_EQ(o->param(CObject::PARAM_SUBSTATE), 6);
    EXPECT_EQ(o->param(30), 0xFFFF);  // unsigned
    EXPECT_EQ(o->param(CObject::PARAM_SAVED_FACING), kRight);

    ObjectArray* slots = om()->newObjectArray(kClass_IntArray, 2);
    Game::objects.s_slotRecords = slots;
    slots->elements()[1] = params(4, {{3, 1}});
    o->setParam(CObject::PARAM_SUBKIND, 1);
    o->detachFromTable();
    EXPECT_EQ(static_cast<IntArray*>(slots->elements()[1])->elements()[3], 0);
    EXPECT_EQ(o->param(CObject::PARAM_SUBKIND), -1);
    o->detachFromTable();
    EXPECT_EQ(o->param(CObject::PARAM_SUBKIND), -1);

    makeEffectParams(14);
    setEffectParam(11, 6, 9);
    GameBase::statics.paintEffectFlags = 0;
    for (int32_t i = 20; i < 24; ++i) o->setParam(i, i * 2);
    o->setPaintEffectParams(20, 23);
    IntArray* row = Game::paintEffectRow(11);
    EXPECT_EQ(std::vector<int32_t>(row->elements(), row->elements() + 7), (std::vector<int32_t>{40, 42, 44, 46, 0, 0, 0}));
    EXPECT_EQ(GameBase::statics.paintEffectFlags, 0x800);
}

TEST_F(MotionTest, RandomActionsSkipTheCurrentAndPassiveTemplates) {
    ObjectArray* templates = om()->newObjectArray(kClass_CObject, 6);
    Game::objects.s_templates = templates;
    for (int32_t i = 0; i < 6; ++i) templates->elements()[i] = object(10 + i, 80, {{CObject::PARAM_MODE, i == 5 ? 2 : 3}});
    // Linked templates in params[9..16]; only template 5 is active, listed at c = 4.
    CObject* o = object(1, 5, {{9, 0}, {10, 1}, {11, 2}, {12, 5}, {13, 3}, {14, 4}, {15, 0}, {16, 1}, {20, 0}});
    for (int32_t seed : {0, 1, 2, 3, 4, 5, 6, 7, 99}) {
        Game::mathStatics.randomSeed = seed;
        EXPECT_EQ(o->chooseRandomAction(), 4) << seed;
    }
    // The active one is the current one: every try fails, the last try's c is the answer.
    o->setParam(20, 5);
    for (int32_t seed : {0, 1, 2, 3, 4, 5, 6, 7}) {
        Game::mathStatics.randomSeed = seed;
        const int32_t r = (nextRandom(seed) & 7) + 1;
        EXPECT_EQ(o->chooseRandomAction(), (r + 8) % 9) << seed;
    }
}

// ---- movement toward targets --------------------------------------------------------------------

TEST_F(MotionTest, UnitVectorsInTheirDistanceBands) {
    CObject* o = object(1, 5, {}, 50, 1000, 1000);
    struct Case {
        int32_t dx, dy;
        bool scaled, none;
    };
    const Case cases[] = {
        {160, 80, false, false},    // d2 = 32000: the plain root
        {99, 149, true, false},     // d2 = 32002: the scaled root
        {-26, 177, true, false},
        {5632, 1024, false, true},  // d2 = 32768000: no vector
        {0, 0, false, true},        // on the object: no division
        {3, 4, false, false},
    };
    for (const Case& c : cases) {
        o->moveTowards((1000 + c.dx) << 14, (1000 + c.dy) << 14, 19, 20, 0);
        const int64_t d2 = int64_t{c.dx} * c.dx + int64_t{c.dy} * c.dy;
        if (c.none) {
            EXPECT_EQ(o->param(19), 0) << c.dx;
            EXPECT_EQ(o->param(20), 0) << c.dx;
            continue;
        }
        // The game's root (eight Newton steps) of the band's argument.
        const int64_t root = c.scaled ? int64_t{Game::sqrtFixed(static_cast<int32_t>(d2 >> 10), true)} << 5
                                      : Game::sqrtFixed(static_cast<int32_t>(d2), true);
        EXPECT_EQ(o->param(19), (int64_t{c.dx} << 28) / root) << c.dx;
        EXPECT_EQ(o->param(20), (int64_t{c.dy} << 28) / root) << c.dx;
        EXPECT_NEAR(std::hypot(o->param(19), o->param(20)), 16384, 200) << c.dx;
        // Away from the point.
        o->moveTowards((1000 + c.dx) << 14, (1000 + c.dy) << 14, 21, 22, 1);
        EXPECT_EQ(o->param(21), -((int64_t{c.dx} << 28) / root));
    }
}

TEST_F(MotionTest, TargetDistanceKeepsItsValueInTheTopBand) {
    CObject* o = object(1, 5, {}, 50, 100, 100);
    o->setTargetInfo(50 << 14, 100 << 14, 2500);
    EXPECT_EQ(o->param(22), 50 << 14);
    EXPECT_EQ(o->param(27), 50);
    EXPECT_NEAR(o->param(24), 0, 1 << 13);  // seen from the point: along +x
    o->setTargetInfo(0, 0, 32000);
    EXPECT_EQ(o->param(27), Game::sqrtFixed(32000, true) >> 14);  // the unscaled root
    o->setTargetInfo(0, 0, 1000000);
    EXPECT_EQ(o->param(27), (Game::sqrtFixed(1000000 >> 10, true) << 5) >> 14);
    o->setTargetInfo(0, 0, 32768000);
    EXPECT_EQ(o->param(27), (Game::sqrtFixed(1000000 >> 10, true) << 5) >> 14);
    EXPECT_EQ(o->param(22), 0);
}

TEST_F(MotionTest, OrbitRadiusAtLeastOneWobbleCappedAndKeptOnTheSamePoint) {
    ShortArray* table = om()->newShortArray(181);
    for (int32_t i = 0; i <= 180; ++i) table->elements()[i] = static_cast<int16_t>(i);
    Game::mathStatics.angleTable = table;
    CObject* o = object(1, 5, {{22, -1}, {23, -1}}, 50, 100, 100);
    Game::mathStatics.randomSeed = 7;
    o->orbitTarget(100 << 14, 100 << 14, 1, 0);  // squared distance 0: radius 0, used as 1
    EXPECT_EQ(o->param(27), 0);
    EXPECT_EQ(Game::mathStatics.randomSeed, static_cast<int32_t>(7u * 1664525u + 1013904223u));
    int32_t wobbleAngle = ((nextRandom(7) % 360) << 14) + 100 * 2048000 / 1000;
    if (wobbleAngle > (360 << 14)) wobbleAngle -= 360 << 14;
    EXPECT_EQ(o->param(25), wobbleAngle);
    EXPECT_EQ(o->param(26), 16384);
    const int32_t angle = o->param(24);
    o->orbitTarget(100 << 14, 100 << 14, 1, 0);
    // w = (1 * (360 << 14)) / ((1 * 102940) >> 14) degrees per second << 14.
    EXPECT_EQ(o->param(24) - angle, 100 * ((360 << 14) / 6) / 1000);
    for (int32_t i = 0; i < 10; ++i) o->orbitTarget(100 << 14, 100 << 14, 1, 0);
    EXPECT_EQ(o->param(26), 0x20000);
    // Another point starts a new wobble.
    o->orbitTarget(200 << 14, 100 << 14, 1, 10000);
    EXPECT_EQ(o->param(26), 16384);
    EXPECT_NEAR(o->param(27), 100, 1);
}

class MoveToTest : public MotionTest {
protected:
    void SetUp() override {
        MotionTest::SetUp();
        placePlayer(300, 250);
        // Kind 0: speed 320 px/s (32 px a frame), a centred 20 x 20 box; side-plane width 20.
        packedKinds({{{20, 320}, {31, 20}, {32, 20}, {33, 20}, {34, 20}}});
    }
    // 20 x 10 empty cells: every box of these tests inside.
    static std::vector<std::string> wide() { return std::vector<std::string>(10, std::string(20, '.')); }
    CObject* walker(int32_t x, int32_t y, std::map<int32_t, int32_t> values = {}) {
        values[48] = values.count(48) ? values[48] : -1;
        return object(5, 5, values, 50, x, y);
    }
};

TEST_F(MoveToTest, TriesStartAcrossTheLargerSpeedComponent) {
    struct Case {
        std::vector<std::pair<int, int>> blocked;
        int32_t vx, vy;
        int32_t x, y;
    };
    // The walker comes back from a blocked cell (5, 5) to try around (80, 80).
    const Case cases[] = {
        {{{5, 5}}, 1, 0, 80, 48},                          // first try: up
        {{{5, 5}, {2, 1}}, 1, 0, 80, 112},                 // then down
        {{{5, 5}, {2, 1}, {2, 3}}, 1, 0, 112, 112},        // right keeps the +s vertical
        {{{5, 5}, {2, 1}, {2, 3}, {3, 3}}, 1, 0, 48, 112}, // left too
        {{{5, 5}, {2, 1}, {2, 3}, {3, 3}, {1, 3}}, 1, 0, 80, 80},
        {{{5, 5}}, 0, 1, 112, 80},                         // vertical speed: right first
        {{{5, 5}, {3, 2}}, 0, 1, 48, 80},
        {{{5, 5}, {3, 2}, {1, 2}}, 0, 1, 48, 48},          // then up, keeping the -s
        {{{5, 5}, {3, 2}, {1, 2}, {1, 1}}, 0, 1, 48, 112},
    };
    for (const Case& c : cases) {
        useLevel(levelWith(c.blocked));
        CObject* o = walker(176, 176, {{19, c.vx}, {20, c.vy}, {48, 3}});
        Game::objects.s_routeLength = om()->newByteArray(5);
        Game::objects.s_routeLength->elements()[3] = 9;
        Game::objects.s_freeRoutes = 1;
        o->moveTo(80 << 14, 80 << 14);
        EXPECT_EQ(px(o), c.x) << c.blocked.size() << " " << c.vx;
        EXPECT_EQ(py(o), c.y) << c.blocked.size() << " " << c.vx;
        EXPECT_EQ(o->param(48), -1);
        EXPECT_EQ(Game::objects.s_routeLength->elements()[3], 0);
        EXPECT_EQ(Game::objects.s_freeRoutes, 2);
    }
}

TEST_F(MoveToTest, AFreeObjectKeepsEverythingAndKindTwoOnlyTurns) {
    useLevel(levelWith({{5, 5}}));
    CObject* free = walker(80, 80, {{48, 3}});
    free->moveTo(10 << 14, 10 << 14);
    EXPECT_EQ(px(free), 80);
    EXPECT_EQ(free->param(48), 3);
    CObject* turning = walker(176, 176, {{18, 0x10002}, {30, 55}});
    turning->moveTo(80 << 14, 80 << 14);
    EXPECT_EQ(px(turning), 80);
    EXPECT_EQ(py(turning), 80);
    EXPECT_EQ(turning->param(30), -55);
}

TEST_F(MoveToTest, CollisionMovesRunOnceOrTwiceForDiagonals) {
    static std::vector<int32_t> codes;
    static int32_t answer;
    codes.clear();
    mrc::motionSeams().clampMoveToBlocked = [](CObject*, int32_t, int32_t, int32_t, int32_t, int32_t code, int32_t,
                                               int32_t) {
        codes.push_back(code);
        return answer;
    };
    CObject* o = walker(80, 80);
    answer = 0x200000 | 0x408;
    EXPECT_EQ(o->moveWithCollision(1, 2, 3, 4, 0x1010, 5, 1), 0x200000);
    EXPECT_EQ(codes, (std::vector<int32_t>{0x408}));
    codes.clear();
    EXPECT_EQ(o->moveWithCollision(1, 2, 3, 4, 0x1010 | 0x4004, 5, 1), 0x200000);  // reported at once
    EXPECT_EQ(codes, (std::vector<int32_t>{0x408 | 0x102}));
    codes.clear();
    answer = 0x4004;
    EXPECT_EQ(o->moveWithCollision(1, 2, 3, 4, 0x408 | 0x102, 5, 1), 0);
    EXPECT_EQ(codes, (std::vector<int32_t>{0x1010 | 0x4004, 0x4004}));
}

TEST_F(MoveToTest, SideWalkersTurnAtThePlayerOnTheirRow) {
    // The player's box 280..320 spans the cells 256..320.
    struct Case {
        int32_t x, y, state, param;
        bool turns;
    };
    useLevel(wide());
    const Case cases[] = {
        {330, 250, 0, 0, true},    // left edge 320 on the cell edge
        {340, 250, 0, 0, false},   // 330..349: past it
        {246, 250, 0, 0, false},   // 236..255 ends before the cells
        {250, 250, 0, 0, true},    // right edge 259
        {330, 251, 0, 0, false},   // a pixel lower
        {330, 249, 0, 0, false},
        {330, 250, 10, 1, false},  // state 10 hides the player
        {330, 250, 10, 3, true},
        {330, 250, 10, 6, true},
    };
    for (const Case& c : cases) {
        CObject::statics.s_playerState = c.state;
        CObject::statics.s_playerStateParam = c.param;
        CObject* o = walker(c.x, c.y, {{CObject::PARAM_BOX_KIND, 1}, {19, 700}});
        o->m_sprite->y += 100;  // the fraction does not count
        o->sameRowCheck(Game::objects.s_player, 17 << 14);
        const bool turned = px(o) == 17;
        EXPECT_EQ(turned, c.turns) << c.x << " " << c.y << " " << c.state << " " << c.param;
        EXPECT_EQ(o->param(19), turned ? -700 : 700);
    }
    // Away from the player it turns only where it is blocked or the body box says so.
    CObject::statics.s_playerState = 0;
    CObject* o = walker(200, 250, {{CObject::PARAM_BOX_KIND, 1}, {19, 700}});
    o->sameRowCheck(Game::objects.s_player, 17 << 14);
    EXPECT_EQ(px(o), 200);
    mrc::motionSeams().canMoveWithBodyBox = [](CObject*) { return true; };
    o->sameRowCheck(Game::objects.s_player, 17 << 14);
    EXPECT_EQ(px(o), 17);
}

class ApproachTest : public MoveToTest {
protected:
    void SetUp() override {
        MoveToTest::SetUp();
        recordEvents();
        useLevel(wide());
        attacks = 0;
        // Every action area is tested once per choice; none touches.
        mrc::objectActionSeams().resolveContact = [](CObject*, CObject*, ObjectArray*, int32_t, int32_t, int32_t,
                                                     int32_t, int32_t, int32_t) {
            ++attacks;
            return 0;
        };
        Game::objects.s_actionRecords = om()->newObjectArray(kClass_ObjectArray, 1);
        Game::objects.s_actionRecords->elements()[0] = shortRecords({{{4, 2}}}, 20);
    }
    CObject* actor(int32_t x, int32_t y, int32_t axis) {
        return walker(x, y, {{30, 100}, {CObject::PARAM_SUBSTATE, 2}, {41, axis}, {42, 0}});
    }
    static int32_t recordKind() {
        return static_cast<ShortArray*>(static_cast<ObjectArray*>(Game::objects.s_actionRecords->elements()[0])->elements()[0])
            ->elements()[4];
    }
    static inline int32_t attacks = 0;
};

TEST_F(ApproachTest, ActorsCloseInWithoutPassingTheirTarget) {
    CObject* o = actor(100, 250, 0x102);  // aims along x at the player at (300, 250)
    o->updateBehaviour(nullptr, 0);
    EXPECT_EQ(px(o), 110);
    EXPECT_EQ(o->param(CObject::PARAM_FACING), kRight);
    EXPECT_EQ(attacks, 1);
    EXPECT_TRUE(events().empty());

    CObject* near = actor(295, 250, 0x102);
    near->setParam(CObject::PARAM_SUBSTATE, 3);
    const int32_t x = near->m_sprite->x;
    near->updateBehaviour(nullptr, 0);
    EXPECT_EQ(near->m_sprite->x, x);  // a step would pass 300: it stops short
    EXPECT_EQ(near->param(19), 0);
    ASSERT_EQ(events().size(), 1u);
    EXPECT_EQ(events()[0].first, 5);
    EXPECT_EQ(recordKind(), 3);  // the arrival stores the sub-state as the action's kind
}

TEST_F(ApproachTest, BlockedFarAwaySendsSevenThenStillAims) {
    useLevel(levelWith({{3, 3}}));
    CObject* o = actor(100, 100, 0);
    o->updateBehaviour(nullptr, 0);
    EXPECT_EQ(px(o), 100);
    EXPECT_EQ(py(o), 100);
    ASSERT_EQ(events().size(), 1u);
    EXPECT_EQ(events()[0].first, 7);
    EXPECT_EQ(events()[0].second, o);
    EXPECT_EQ(o->param(CObject::PARAM_FACING), kRight);
    EXPECT_EQ(attacks, 1);
    // A new action of another kind ends the approach.
    mrc::objectActionSeams().resolveContact = [](CObject* a, CObject*, ObjectArray*, int32_t, int32_t, int32_t, int32_t,
                                                 int32_t, int32_t) {
        a->setParam(CObject::PARAM_SUBSTATE, 4);
        return 0;
    };
    events().clear();
    o->updateBehaviour(nullptr, 0);
    ASSERT_EQ(events().size(), 2u);
    EXPECT_EQ(events()[1].first, 5);
}

}  // namespace

namespace {

TEST_F(MotionTest, SegmentsAimFromOffsetEnds) {
    ShortArray* table = om()->newShortArray(181);
    for (int32_t i = 0; i <= 180; ++i) table->elements()[i] = static_cast<int16_t>(i);
    Game::mathStatics.angleTable = table;
    auto& g = CObject::segments;
    g.s_segmentStart[0] = 0;
    g.s_segmentStart[1] = 0;
    g.s_segmentEnd[0] = 100;
    g.s_segmentEnd[1] = 0;
    g.s_segmentIndex = 1;
    auto* row = static_cast<IntArray*>(CObject::statics.s_slotTriples->elements()[1]);
    row->elements()[0] = 3;  // 140 px
    row->elements()[2] = 8;  // 140 px
    CObject* o = object(1, 5, {{26, 9}}, 50, 7, 7);
    o->aimBetweenPoints();
    EXPECT_EQ(g.s_segmentAngle, 0);
    EXPECT_EQ(o->param(26), 0);
    EXPECT_EQ(g.s_segmentFrom[0], 90 * 140 >> 8);  // sin(90)
    EXPECT_EQ(g.s_segmentFrom[1], 0);               // sin(0)
    EXPECT_EQ(g.s_segmentTo[0], 100 + (90 * 140 >> 8));
    EXPECT_EQ(g.s_segmentTo[1], 180 * 140 >> 8);
    EXPECT_EQ(g.s_segmentDirection[0], o->param(22));
    EXPECT_GT(g.s_segmentDirection[0], 0);
    EXPECT_GT(g.s_segmentDirection[1], 0);
    EXPECT_EQ(px(o), 0);  // back at the start
    // Start kind 0 and end kind 0: the plain points, the instance left at the start.
    row->elements()[0] = 0;
    row->elements()[2] = 0;
    o->aimBetweenPoints();
    EXPECT_EQ(g.s_segmentFrom[0], 0);
    EXPECT_EQ(g.s_segmentTo[0], 100);
    EXPECT_NEAR(g.s_segmentDirection[0], 16384, 8);
    EXPECT_EQ(g.s_segmentDirection[1], 0);
}

TEST_F(MotionTest, DirectionsToPointsAndObjects) {
    CObject* o = object(1, 5, {}, 50, 100, 100);
    EXPECT_EQ(o->directionTo(nullptr, 13, 50, 90), kRight);
    EXPECT_EQ(o->directionTo(nullptr, 13, 150, 90), kLeft);
    EXPECT_EQ(o->directionTo(nullptr, 13, 95, 50), kDown);
    EXPECT_EQ(o->directionTo(nullptr, 13, 95, 150), kUp);
    Game::stateStatics.playMode = 2;
    EXPECT_EQ(o->directionTo(nullptr, 13, 95, 50), kRight);
    CObject::statics.s_inputDirection = kUp;
    EXPECT_EQ(o->directionTo(object(2, 0, {}), 1, 0, 0), kUp);
    EXPECT_EQ(o->directionTo(object(3, 5, {{CObject::PARAM_KIND, 9}, {CObject::PARAM_FACING, kLeft}}), 1, 0, 0), kDown);
    EXPECT_EQ(o->directionTo(object(4, 5, {{CObject::PARAM_KIND, 2}, {CObject::PARAM_FACING, kLeft}}), 1, 0, 0), kLeft);
    EXPECT_EQ(o->directionTo(object(5, 85, {}), 1, 0, 0), kLeft);
    EXPECT_EQ(o->directionTo(object(6, 7, {}), 1, 0, 0), 0);
}

TEST_F(MotionTest, ViewMarginsStepsAndNearbyTemplates) {
    Game::mathStatics.cameraX = 0;
    Game::mathStatics.cameraY = 0;
    struct Case {
        int32_t x, y;
        bool near;
    };
    for (const Case& c : {Case{900, 100, true}, Case{901, 100, false}, Case{-100, 100, true}, Case{-101, 100, false},
                          Case{100, 540, true}, Case{100, 541, false}, Case{100, -60, true}, Case{100, -61, false}}) {
        EXPECT_EQ(object(1, 5, {}, 50, c.x, c.y)->isNearView(), c.near) << c.x << "," << c.y;
    }
    EXPECT_FALSE(object(1, 5, {{0, -1}}, 50, 10, 10)->isNearView());

    CObject* o = object(1, 5, {{19, 16384}, {20, -16384}}, 50, 100, 100);
    o->stepAlongVelocity(50);
    EXPECT_EQ(px(o), 105);
    EXPECT_EQ(py(o), 95);
    o->setParam(CObject::PARAM_BOX_KIND, 2);
    o->clearTargetAndStep(50);
    EXPECT_EQ(px(o), 110);
    EXPECT_EQ(py(o), 95);
    EXPECT_EQ(o->param(22), -1);

    Game::objects.s_actionRecords = om()->newObjectArray(kClass_ObjectArray, 1);
    Game::objects.s_actionRecords->elements()[0] = shortRecords({{{14, 40}}}, 16);
    CObject* stepper = object(2, 5, {{CObject::PARAM_FACING, kLeft}, {CObject::PARAM_SUBSTATE, 4}}, 50, 100, 100);
    stepper->startStepInFacing();
    EXPECT_EQ(stepper->param(CObject::PARAM_SUBSTATE), 0);
    EXPECT_EQ(stepper->param(22), 60);
    EXPECT_EQ(stepper->param(23), 100);
    EXPECT_EQ(stepper->param(19), -16384);

    ObjectArray* templates = om()->newObjectArray(kClass_CObject, 3);
    Game::objects.s_templates = templates;
    templates->elements()[0] = object(10, 80, {{9, 10}}, 50, 120, 0);
    templates->elements()[1] = object(11, 81, {{9, 10}}, 50, 100, 0);
    templates->elements()[2] = object(12, 80, {{9, 10}}, 50, 81, 0);
    CObject::statics.s_interactionMode = 0;
    EXPECT_EQ(o->findNearType80(), templates->elements()[0]);  // o is at 110: 10 px away
    o->m_sprite->setPosition(100, 100);
    EXPECT_EQ(o->findNearType80(), templates->elements()[2]);  // 20 px is too far; type 81 does not count
    CObject::statics.s_interactionMode = 1;
    EXPECT_EQ(o->findNearType80(), nullptr);
}

}  // namespace
