#include <gtest/gtest.h>

#include "framework/sprite/sprite.h"
#include "tests/game/objects/object_actions_fixture.h"

namespace mrc::test {
namespace {

using Strings = std::vector<std::string>;

// Row 0 lands with the sideways correction, row 1 without; both 40 pixels wide on landing. Row 2
// carries loot counts 1, 2, 3.
class ObjectActions : public ObjectActionsTest {
protected:
    void SetUp() override {
        ObjectActionsTest::SetUp();
        packedKinds({{{33, 40}}, {{27, 1}, {33, 40}}, {{24, 1}, {25, 2}, {26, 3}}});
    }
};

constexpr int32_t kY = 100 << 14;

TEST_F(ObjectActions, FallsMoveByTheFrameTimeInTestedStepsOfAtMostSixteenPixels) {
    CObject* o = object(1, 5, {{3, 0}}, 50, 200, 100);
    frame(0);
    o->fallStep();
    EXPECT_TRUE(log().empty());
    EXPECT_EQ(o->m_sprite->y, kY);

    frame(6);  // 6 x 0x230000 / 1000 = 13762: about 0.84 pixel
    o->fallStep();
    EXPECT_EQ(log(), Strings({"at y " + std::to_string(kY + 13762)}));
    EXPECT_EQ(o->m_sprite->y, kY + 13762);

    // 286 ms: 40.04 pixels, as 16 + 16 + 8.04 with a test after each; still falling.
    o->m_sprite->y = kY;
    log().clear();
    frame(286);
    o->fallStep();
    EXPECT_EQ(log(), Strings({"at y " + std::to_string(kY + 0x40000), "at y " + std::to_string(kY + 0x80000),
                              "at y " + std::to_string(kY + 656015)}));
    EXPECT_EQ(o->m_sprite->y, kY + 656015);
}

TEST_F(ObjectActions, ALandingGoesBackAndCorrectsSidewaysTowardTheFreeSide) {
    struct Case {
        std::vector<std::pair<int, int>> blocked;  // cells of the level
        int32_t shift;
    };
    // The object's anchor (200, 100) is in cell (6, 3); 20 pixels left is cell 5, right cell 6.
    for (const Case& c : {Case{{}, 20}, Case{{{5, 3}}, -20}, Case{{{5, 3}, {6, 3}}, 0}}) {
        useLevel(levelWith(c.blocked));
        CObject* o = object(1, 5, {{3, 0}}, 50, 200, 100);
        log().clear();
        answers() = {true, false};
        frame(286);
        o->fallStep();
        EXPECT_EQ(log(), Strings({"at y " + std::to_string(kY + 0x40000), "at y " + std::to_string(kY + 0x80000),
                                  "clamp " + join({c.shift, 32, 1, 32, 0x102, 1674, 0}),
                                  "event 4"}))
            << c.shift;
        EXPECT_EQ(o->m_sprite->y, kY);
    }
    // Row 1 stays where the failed step put it, without a correction.
    CObject* o = object(2, 5, {{3, 1}}, 50, 200, 100);
    log().clear();
    answers() = {false};
    o->fallStep();
    EXPECT_EQ(log(), Strings({"at y " + std::to_string(kY + 0x40000), "event 4"}));
    EXPECT_EQ(o->m_sprite->y, kY + 0x40000);
}

TEST_F(ObjectActions, RidersAreCarriedLastFirstUnlessDestroyedOrRemoved) {
    CObject* carrier = object(1, 5, {{CObject::PARAM_SUBKIND, 0}});
    CObject* walker = object(2, 5, {{40, 0}}, 50, 10, 10);
    CObject* swimmer = object(3, 5, {{40, 2}}, 50, 20, 20);
    CObject* destroyed = object(4, 5, {{14, 5}}, 50, 30, 30);
    CObject* removed = object(5, 5, {{14, 6}}, 50, 40, 40);
    CObject::statics.s_kindHitTables = om()->newObjectArray(kClass_ObjectArray, 1);
    CObject::statics.s_kindHitTables->elements()[0] = list({walker, destroyed, nullptr, removed, swimmer});
    carrier->moveRiders(3 << 14, -2 << 14);
    EXPECT_EQ(logged("CObject::fall"), Strings({"CObject::fallCheckSwim", "CObject::fallCheck"}));
    EXPECT_EQ(std::vector<int32_t>({walker->m_sprite->x >> 14, walker->m_sprite->y >> 14, swimmer->m_sprite->x >> 14,
                                    swimmer->m_sprite->y >> 14, destroyed->m_sprite->x >> 14,
                                    removed->m_sprite->x >> 14}),
              std::vector<int32_t>({13, 8, 23, 18, 30, 40}));
}

TEST_F(ObjectActions, AHitKindCountsOnceUntilResetAndTheLastDropsLootAndSounds) {
    CObject* linked = object(9, 10, {{2, 5}, {3, 6}}, 50, 300, 300);
    Game::objects.s_attachedObjects = list({linked});
    CObject* o = object(1, 5,
                        {{0, 0}, {1, 1}, {9, 10}, {10, 7}, {11, 1}, {12, 1}, {13, 2}, {14, 0}, {15, -1}, {16, 1}},
                        50, 64, 96);
    o->takeHit(4, nullptr, 0);
    EXPECT_EQ(o->param(9), 6);
    EXPECT_EQ(o->param(1), 2);  // the kind's bit set, bit 0 cleared
    o->takeHit(4, nullptr, 5);  // the same bit as kind 0
    o->takeHit(4, nullptr, 0);
    EXPECT_EQ(o->param(9), 6);
    o->takeHit(4, nullptr, 3);
    EXPECT_EQ(o->param(9), 2);
    EXPECT_TRUE(log().empty());
    o->takeHit(5, nullptr, 10);
    EXPECT_EQ(o->param(9), -3);
    EXPECT_EQ(o->param(1), 14);
    EXPECT_EQ(log(), Strings({"loot 64 96 0", "loot 64 96 1", "loot 64 96 1", "Game::clearTarget", "sound 7"}));
    EXPECT_EQ(linked->m_sprite->anim, 7);
    EXPECT_EQ(linked->m_sprite->loops, 0);
    EXPECT_EQ(std::vector<int32_t>({linked->param(2), linked->param(3)}), std::vector<int32_t>({0, 0}));
    log().clear();
    o->setParam(1, 0);
    o->takeHit(1, nullptr, 4);  // no hit points left
    EXPECT_TRUE(log().empty());
}

TEST_F(ObjectActions, ARequiredHitKindAndItemGateTheHits) {
    struct Case {
        int32_t required, item, kind;
        bool counts;
    };
    for (const Case& c : {Case{3, 0, 3, true}, Case{3, 0, 4, false}, Case{6, 0, 6, true}, Case{6, 2, 6, false}}) {
        Game::objects.s_currentItem = c.item;
        CObject* o = object(1, 5, {{9, 10}, {15, c.required}});
        o->takeHit(1, nullptr, c.kind);
        EXPECT_EQ(o->param(9), c.counts ? 9 : 10) << c.required << " " << c.item << " " << c.kind;
    }
}

TEST_F(ObjectActions, LootCountsComeFromTheTemplateRow) {
    CObject* o = object(1, 5, {{3, 2}}, 50, 40, 50);
    o->dropLoot(true);
    EXPECT_EQ(logged("loot"), Strings({"loot 40 50 0", "loot 40 50 1", "loot 40 50 1", "loot 40 50 1",
                                       "loot 40 50 1", "loot 40 50 2", "loot 40 50 2", "loot 40 50 2"}));
}

TEST_F(ObjectActions, AChargePaysByItsTime) {
    // Gauge maxima: kind 0 600 (10 pick-ups), kind 1 150 (10), kind 2 30 (2).
    CObject* player = object(1, 0, {{17, 600 << 14}, {19, 150 << 14}, {18, 30 << 14}});
    struct Case {
        int32_t kind;
        bool full;
        int32_t ms;
        int count;
    };
    const Case cases[] = {
        {0, false, 2000, 10},  // exactly params[8]: the full count
        {0, false, 1000, 5}, {0, false, 0, 0}, {1, true, 500, 10}, {2, false, 2000, 2}, {3, false, 2000, 0},
    };
    for (const Case& c : cases) {
        CObject* charger = object(2, 61, {{8, 2000}, {9, c.kind}, {10, 3}, {11, 4}}, 50, 128, 64);
        EXPECT_EQ(charger->setChargeState(0, player), 1);  // idle: nothing
        EXPECT_EQ(charger->setChargeState(1, player), 1);
        EXPECT_EQ(charger->param(14), 1);
        const int32_t timer = charger->param(15);
        EXPECT_TRUE(Game::isTimerSet(timer));
        if (c.full) {
            charger->setChargeState(2, player);
            EXPECT_EQ(std::vector<int32_t>({charger->param(14), charger->param(15), charger->m_sprite->anim}),
                      std::vector<int32_t>({2, -1, 3}));
        }
        advance(c.ms);
        log().clear();
        EXPECT_EQ(charger->setChargeState(0, player), 1);
        EXPECT_EQ(static_cast<int>(logged("loot").size()), c.count) << c.kind << " " << c.ms;
        if (c.count > 0) {
            EXPECT_EQ(logged("loot")[0], "loot 128 64 " + std::to_string(c.kind));
        }
        EXPECT_EQ(std::vector<int32_t>({charger->param(14), charger->param(15), charger->m_sprite->anim,
                                        charger->m_sprite->loops}),
                  std::vector<int32_t>({0, -1, 4, -1}));
        EXPECT_FALSE(Game::isTimerSet(timer));
    }
}

TEST_F(ObjectActions, EffectsLeaveByTheQuarterOfTheirAngle) {
    static std::vector<std::vector<int32_t>> launches;
    launches.clear();
    interactionSeams().launchProjectile = [](int32_t direction, int32_t x, int32_t y) {
        launches.push_back({direction, x, y});
        return -1;
    };
    CObject* o = object(1, 5, {}, 50, 100, 200);
    struct Case {
        int32_t angle, direction;
    };
    for (const Case& c : {Case{0, 4}, Case{45, 4}, Case{46, 2}, Case{135, 2}, Case{136, 3}, Case{225, 3},
                          Case{226, 1}, Case{314, 1}, Case{315, 4}, Case{359, 4}}) {
        launches.clear();
        Game::mathStatics.randomSeed = 12345 + c.angle;
        uint32_t seed = 12345u + static_cast<uint32_t>(c.angle);
        seed = seed * 1664525u + 1013904223u;
        const int32_t r1 = static_cast<int32_t>(seed >> 16) & 31;
        seed = seed * 1664525u + 1013904223u;
        const int32_t r2 = static_cast<int32_t>(seed >> 16) & 31;
        const int32_t dx[] = {0, r2 - 16, r2 - 16, -16 - r1, 16 + r1};
        const int32_t dy[] = {0, -16 - r1, 16 + r1, r2 - 16, r2 - 16};
        CObject::emitAtAngle(o->m_sprite, 0, c.angle);
        ASSERT_EQ(launches.size(), 1u);
        EXPECT_EQ(launches[0], std::vector<int32_t>({c.direction, (100 + dx[c.direction]) << 14,
                                                     (200 + dy[c.direction]) << 14}))
            << c.angle;
    }
}

TEST_F(ObjectActions, AnEffectLaunchedIntoBlockedCellsIsUndone) {
    static CObject* effect = nullptr;
    ApplicationImpl::getApplication()->staticClass->addRoot(&effect);
    interactionSeams().launchProjectile = [](int32_t, int32_t x, int32_t y) {
        effect->m_sprite->x = x;
        effect->m_sprite->y = y;
        effect->setParam(0, 1);
        effect->setParam(1, Game::timerAlloc());
        effect->setParam(3, 5);
        return 0;
    };
    CObject* source = object(1, 5, {}, 50, 100, 100);
    for (const bool blocked : {false, true}) {
        useLevel(std::vector<std::string>(8, blocked ? "2222222222" : ".........."));
        effect = object(2, 302);
        formats::SpriteData data;  // one frame of one 1 x 1 module
        data.modules.push_back({formats::ModuleKind::Image, 1, 1, 0, 0, 0, {0}, {}});
        data.frames.push_back({{{0, 0, 0, 0}}, {}, {}});
        data.palettes = {{0xFF00FF00u}};
        effect->m_sprite->sprite = newSprite(data);
        Game::objects.s_effectPool = list({effect});
        CObject::emitAtAngle(source->m_sprite, 0, 0);
        const int32_t timer = blocked ? -1 : effect->param(1);
        EXPECT_EQ(std::vector<int32_t>({effect->param(0), effect->param(1), effect->param(3)}),
                  std::vector<int32_t>({blocked ? 0 : 1, timer, blocked ? 0 : 5}));
        EXPECT_EQ(effect->m_sprite->sprite == nullptr, blocked);
    }
}

TEST_F(ObjectActions, InteractionEntriesAreTakenFirstFitFreeingTheOldOnes) {
    static Strings tried;
    tried.clear();
    interactionSeams().isWithinTableLimit = [](CObject*, int32_t g, int32_t j) {
        tried.push_back("limit " + join({g, j}));
        return j == 2;
    };
    interactionSeams().isWithinTableLimitOnLayer = [](CObject*, CObject*, int32_t g, int32_t j) {
        tried.push_back("layer " + join({g, j}));
        return true;
    };
    auto& ops = Game::operations;
    ops.s_interactionCounts = om()->newByteArray(2);
    ops.s_interactionCounts->elements()[1] = 3;
    ops.s_interactionLoad = om()->newObjectArray(kClass_ByteArray, 2);
    ops.s_interactionLoad->elements()[0] = om()->newByteArray(10);
    ops.s_interactionLoad->elements()[1] = om()->newByteArray(10);
    Game::objects.s_routeLength = om()->newByteArray(20);
    Game::objects.s_routeLength->elements()[3] = 4;
    Game::objects.s_freeRoutes = 0;
    CObject* o = object(1, 5, {{13, 5}, {18, 0x70000}, {21, -1}, {40, 0}, {48, 3}});
    const std::vector<int32_t> before = paramsOf(o);

    EXPECT_EQ(CObject::findAndOccupySlot(0, o, nullptr), 0);  // no entries in group 0
    EXPECT_TRUE(tried.empty());
    EXPECT_EQ(paramsOf(o), before);

    EXPECT_EQ(CObject::findAndOccupySlot(1, o, nullptr), 1);
    EXPECT_EQ(tried, Strings({"limit 1 0", "limit 1 1", "limit 1 2"}));
    EXPECT_EQ(std::vector<int32_t>({o->param(21), o->param(18), o->param(48)}),
              std::vector<int32_t>({2, 0x70001, -1}));
    auto* loads = static_cast<ByteArray*>(ops.s_interactionLoad->elements()[1]);
    EXPECT_EQ(loads->elements()[2], 5);
    EXPECT_EQ(Game::objects.s_routeLength->elements()[3], 0);
    EXPECT_EQ(Game::objects.s_freeRoutes, 1);

    // Holding entry 2: only the entries below it are tried.
    tried.clear();
    EXPECT_EQ(CObject::findAndOccupySlot(1, o, nullptr), 0);
    EXPECT_EQ(tried, Strings({"limit 1 0", "limit 1 1"}));
    // Bound to layer areas: the layer test, and the old entry released first.
    tried.clear();
    o->setParam(40, 2);
    EXPECT_EQ(CObject::findAndOccupySlot(1, o, nullptr), 1);
    EXPECT_EQ(tried, Strings({"layer 1 0"}));
    EXPECT_EQ(o->param(21), 0);
    EXPECT_EQ(loads->elements()[0], 5);
    EXPECT_EQ(Game::objects.s_freeRoutes, 1);  // no route any more

    // Released: the entry's animation state is reset (no entry, low half of params[18] cleared).
    o->releaseSlots();
    EXPECT_EQ(o->param(21), -1);
    EXPECT_EQ(o->param(18) & 0xFFFF, 0);
}

TEST_F(ObjectActions, SettersOfTheEventScripts) {
    CObject* o = object(1, 5);
    o->setStateA(1);
    o->setModeB(1);
    o->activate(0, 1, 0);  // b set: nothing
    o->activate(0, 0, 0);
    o->startPath(6);
    EXPECT_EQ(log(), Strings({"CObject::reappear", "CObject::clearTimers", "CObject::reappear",
                              "CObject::applyPathSegment"}));
    EXPECT_EQ(std::vector<int32_t>({o->param(3), o->param(5), o->param(10), o->param(13), o->param(14), o->param(16)}),
              std::vector<int32_t>({6, 1, 2, -1, 1, 0}));
}


TEST_F(ObjectActions, AnObjectKeepsTheLayerAreaItStandsIn) {
    // Row 3: a box of 20 x 20 lifted 8 pixels; the standing box (these objects are bound to
    // layer areas) is 20 x 20 too.
    packedKinds({{}, {}, {}, {{30, -8}, {31, 20}, {32, 20}, {33, 20}, {34, 20}}});
    layer->setParam(20, 0);
    CObject* other = object(2, Game::kLayerType, {{20, 1}}, 50, 600, 600);
    Game::objects.s_layerObjects = list({layer, other});
    CObject::statics.s_layerMaps = om()->newObjectArray(kClass_ObjectArray, 1);
    CObject::statics.s_layerMaps->elements()[0] = Game::grids.s_layerGrids->elements()[0];  // 96 x 96
    CObject::statics.s_layerMembers = om()->newObjectArray(kClass_ObjectArray, 2);
    for (int32_t k = 0; k < 2; ++k) CObject::statics.s_layerMembers->elements()[k] = om()->newObjectArray(kClass_CObject, 3);
    auto members = [](int32_t k) {
        auto* a = static_cast<ObjectArray*>(CObject::statics.s_layerMembers->elements()[k]);
        return std::vector<Object*>(a->elements(), a->elements() + a->length);
    };
    static CObject* container = nullptr;
    static Strings asked;
    asked.clear();
    container = nullptr;
    ApplicationImpl::getApplication()->staticClass->addRoot(&container);
    interactionSeams().findObjectContainingRect = [](int32_t x, int32_t y, int32_t w, int32_t h, ObjectArray*,
                                                     int32_t count) {
        asked.push_back(join({x, y, w, h, count}));
        return container;
    };

    // The anchor over the layer object: it joins its list and nothing more is looked at.
    CObject* o = object(7, 5, {{3, 3}, {40, 2}, {44, -1}}, 50, 150, 120);
    o->checkAreaTrigger();
    EXPECT_EQ(o->param(44), 0);
    EXPECT_EQ(members(0), std::vector<Object*>({nullptr, nullptr, o}));
    EXPECT_TRUE(asked.empty());
    o->checkAreaTrigger();  // once in the list is enough
    EXPECT_EQ(members(0), std::vector<Object*>({nullptr, nullptr, o}));

    // Not found under the anchor but its box (x 140-160, y 102-122) still wholly inside the area
    // (100-196 x 70-166): kept.
    hits()[{150, 120}] = nullptr;
    o->checkAreaTrigger();
    EXPECT_EQ(o->param(44), 0);
    EXPECT_EQ(members(0), std::vector<Object*>({nullptr, nullptr, o}));
    EXPECT_TRUE(asked.empty());

    // Moved out: it leaves that list and joins the layer object that holds its box.
    Game::objects.s_layerObjects = list({other, layer});  // found by list number, not position
    o->m_sprite->x = 300 << 14;
    o->m_sprite->y = 200 << 14;
    container = other;
    o->checkAreaTrigger();
    EXPECT_EQ(asked, Strings({join({290, 182, 20, 20, 2})}));
    EXPECT_EQ(members(0), std::vector<Object*>({nullptr, nullptr, nullptr}));
    EXPECT_EQ(members(1), std::vector<Object*>({nullptr, nullptr, o}));
    EXPECT_EQ(o->param(44), 1);

    // Outside every area over cells of every bit: the free-cell search tests the standing box's
    // mask less everything but 0x2060, which has none of those bits, so it never runs.
    container = nullptr;
    useLevel(std::vector<std::string>(8, "XXXXXXXXXX"));
    Game::objects.s_layerObjects = list({other, layer});
    o->checkAreaTrigger();
    EXPECT_EQ(o->param(44), -1);
    EXPECT_TRUE(logged("CObject::findFreeCellAround").empty());
}

TEST_F(ObjectActions, ScriptsSelectAPopupAndDetachEffects) {
    Game::initPopups();
    Game::layouts.s_currentPopup = 3;
    for (int32_t m : {3, -1, 10}) Game::selectRecordFromParams(params(30, {{22, m}}));
    EXPECT_EQ(Game::layouts.s_currentPopup, 3);
    Game::openPopup();  // record 0, current while filled
    Game::layouts.s_currentPopup = 3;
    Game::selectRecordFromParams(params(30, {{22, 0}}));
    EXPECT_EQ(Game::layouts.s_currentPopup, 0);
    EXPECT_EQ(static_cast<IntArray*>(Game::layouts.s_popups->elements()[0])->elements()[0], 2);  // shown

    Game::objects.s_effectPool = list({object(1, 302)});
    Game::detachEffect(0);
    EXPECT_EQ(log(), Strings({"CObject::detach"}));
}

}  // namespace
}  // namespace mrc::test
