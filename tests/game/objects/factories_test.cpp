#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "framework/core/game_timers.h"
#include "game/objects/factory_seams.h"
#include "runtime/lang/construct.h"
#include "tests/game/world_fixture.h"

namespace {

using Ints = std::vector<int32_t>;

struct Calls {
    std::vector<std::tuple<int32_t, int32_t, int32_t, int32_t>> ranges;  // n, x, y, values length
    std::vector<std::tuple<CObject*, int32_t, bool, int32_t>> actions;    // child, kind, data null, offset
    std::vector<CObject*> segments;
};
Calls* g_seamCalls = nullptr;

class ObjectFactoriesTest : public mrc::test::WorldTest {
protected:
    void SetUp() override {
        WorldTest::SetUp();
        mrc::registerLevelSetupStatics();
        g_seamCalls = &m_calls;
        auto& seams = mrc::factorySeams();
        seams.setRangeEntry = [](int32_t n, int32_t x, int32_t y, IntArray* v) {
            g_seamCalls->ranges.emplace_back(n, x, y, isNull(v) ? -1 : v->length);
        };
        seams.parseActionData = [](CObject* o, int32_t kind, ByteArray* data, int32_t offset) {
            g_seamCalls->actions.emplace_back(o, kind, isNull(data), offset);
            return offset;
        };
        seams.applyPathSegment = [](CObject* o) { g_seamCalls->segments.push_back(o); };
        // A parameter block of 40: the template's values, then [20] = 99 as a mark of the block.
        seams.createFromTemplate = [](IntArray* t, bool) {
            IntArray* block = om()->newIntArray(40);
            for (int32_t i = 0; i < t->length; ++i) block->elements()[i] = t->elements()[i];
            block->elements()[20] = 99;
            return block;
        };
    }
    void TearDown() override {
        mrc::factorySeams() = {};
        g_seamCalls = nullptr;
        WorldTest::TearDown();
    }

    static Ints ints(IntArray* a) { return isNull(a) ? Ints{} : Ints(a->elements(), a->elements() + a->length); }
    static CObject* at(ObjectArray* list, int32_t i) { return static_cast<CObject*>(list->elements()[i]); }
    static bool animStarted(ASpriteInstance* s) { return s->loops == -1 && s->step == 1; }

    Calls m_calls;
};

TEST_F(ObjectFactoriesTest, PoolsHoldTheirFixedObjectsWithFreeMarkers) {
    Game::initTimers(0);
    Game::stateStatics.hudInstances = om()->newObjectArray(mrc::kClass_CObject, Game::kInstanceSlots);
    Game::stateStatics.hudInstances->elements()[13] =
        mrc::newConstructed<ASpriteInstance>(static_cast<ASprite*>(nullptr), 0, 0, static_cast<ASpriteInstance*>(nullptr));
    struct Case {
        const char* name;
        ObjectArray* (*make)();
        int32_t entries, type, id, length;
        Ints initial;
    };
    const Case cases[] = {
        {"projectiles", &Game::createObjectPool20, 20, 300, -1, 19, Ints(19, 0)},
        {"directional", [] { return Game::createObjectPoolB(77); }, 5, 305, 77, 13, Ints(13, 0)},
        {"tile objects", &Game::createObjectPoolC, 30, 301, -1, 9, Ints(9, 0)},
        {"table objects", &Game::createObjectPool10, 10, 306, -1, 3, Ints(3, 0)},
        {"effects", &Game::createObjectPool15, 15, 302, -1, 11, Ints{0, -1, 0, 0, 0, -1, 0, 0, 0, 0, 0}},
        {"emitters", &Game::createObjectPool30, 30, 303, -1, 1, Ints{-1}},
    };
    for (const Case& c : cases) {
        ObjectArray* pool = c.make();
        ASSERT_NE(pool, nullptr) << c.name;
        ASSERT_EQ(pool->length, c.entries) << c.name;
        for (int32_t i = 0; i < pool->length; ++i) {
            CObject* o = at(pool, i);
            ASSERT_NE(o, nullptr) << c.name;
            EXPECT_EQ(o->m_type, c.type) << c.name;
            EXPECT_EQ(o->m_id, c.id) << c.name;
            EXPECT_EQ(ints(o->m_params), c.initial) << c.name << " entry " << i;
            ASSERT_NE(o->m_sprite, nullptr);
            EXPECT_EQ(o->m_sprite->sprite, nullptr);
            EXPECT_EQ(o->m_sprite->x, 0);
            EXPECT_EQ(o->m_sprite->y, 0);
            EXPECT_FALSE(animStarted(o->m_sprite)) << c.name;  // no start animation
            if (i > 0) {
                EXPECT_NE(o->m_params, at(pool, i - 1)->m_params) << c.name << ": shared params";
            }
        }
    }
    // The tile pool also sets up the refill timer, the shadow index and HUD instance 13.
    EXPECT_EQ(CObject::statics.s_shadowIndex, -1);
    EXPECT_GE(CObject::statics.s_refillTimer, 0);
    EXPECT_TRUE(Game::isTimerSet(CObject::statics.s_refillTimer));
    auto* hud = static_cast<ASpriteInstance*>(Game::stateStatics.hudInstances->elements()[13]);
    EXPECT_EQ(hud->anim, 2);
    EXPECT_EQ(hud->loops, -1);
    EXPECT_EQ(hud->lastFrame, -1);  // no sprite
}

TEST_F(ObjectFactoriesTest, ChildrenTakeTheirIdsAfterTheRangeEntriesTheyOwn) {
    for (const Ints& counts : {Ints{}, Ints{2, 0}}) {
        m_calls = {};
        int32_t total = 0;
        for (int32_t c : counts) total += c;
        IntArray* ownerParams = params(70);
        for (int32_t i = 0; i < 70; ++i) ownerParams->elements()[i] = 1000 + i;
        CObject* owner = CObject::create(5, 83, 10, 20, ownerParams);
        IntArray* countArray = om()->newIntArray(static_cast<int32_t>(counts.size()));
        for (size_t i = 0; i < counts.size(); ++i) countArray->elements()[i] = counts[i];
        ObjectArray* layers = om()->newObjectArray(mrc::kClass_CObject, 25);
        owner->createChildren(countArray, layers, 3, 40);

        EXPECT_EQ(owner->param(69), 40);
        ASSERT_EQ(m_calls.ranges.size(), static_cast<size_t>(19 * total));
        for (size_t r = 0; r < m_calls.ranges.size(); ++r)
            EXPECT_EQ(m_calls.ranges[r], std::make_tuple(40 + static_cast<int32_t>(r), 0, 0, 3));
        ASSERT_EQ(m_calls.actions.size(), 19u);
        for (int32_t k = 0; k < 19; ++k) {
            CObject* child = at(layers, 3 + k);
            ASSERT_NE(child, nullptr);
            EXPECT_EQ(child->m_id, 16384 + (k + 1) * total + k) << "child " << k << " of T = " << total;
            EXPECT_EQ(child->m_type, 50);
            EXPECT_EQ(owner->param(50 + k), 3 + k);
            EXPECT_EQ(ints(child->m_params),
                      (Ints{1007, 1, 0, 1008 + 2 * k, 0, 0, 0, -1, -1, 1, 1009 + 2 * k, 1, 0, 0, 0}));
            EXPECT_FALSE(animStarted(child->m_sprite));
            EXPECT_EQ(m_calls.actions[k], std::make_tuple(child, 3 + k, true, 0));
        }
    }
}

TEST_F(ObjectFactoriesTest, ObjectsFromAListContinueTheIdCounterAtTheGenerator) {
    IntArray* record = params(21, {{5, 0}, {8, 4}, {9, 5}, {10, 6}, {11, 7}, {15, 9}});
    ObjectArray* list = om()->newObjectArray(mrc::kClass_CObject, 2);
    list->elements()[0] = CObject::create(1, 5, 0, 0, params(40));
    ObjectArray* same = Game::createObjectFromList(3, list, 555, 64, 96, record, 10);
    ASSERT_NE(same, nullptr);
    EXPECT_NE(same, list);
    EXPECT_EQ(same->length, 2);
    EXPECT_EQ(same->elements()[0], list->elements()[0]);
    EXPECT_EQ(record->elements()[20], 2);

    record->elements()[5] = 3;
    ObjectArray* grown = Game::createObjectFromList(3, list, 555, 64, 96, record, 10);
    ASSERT_EQ(grown->length, 5);
    EXPECT_EQ(grown->elements()[0], list->elements()[0]);
    EXPECT_EQ(grown->elements()[1], nullptr);
    for (int32_t k = 2; k < 5; ++k) {
        CObject* o = at(grown, k);
        EXPECT_EQ(o->m_id, 11 + (k - 2));
        EXPECT_EQ(o->m_type, 5);
        EXPECT_EQ(o->m_sprite->getX(), 64);
        EXPECT_EQ(o->m_sprite->getY(), 96);
        Ints expected(40, 0);
        expected[3] = 4, expected[4] = 5, expected[6] = 6, expected[7] = 7, expected[9] = 9;
        expected[20] = 99, expected[14] = 7, expected[8] = 7, expected[36] = 3;
        EXPECT_EQ(ints(o->m_params), expected);
        if (k > 2) {
            EXPECT_NE(o->m_params, at(grown, k - 1)->m_params);
        }
    }
}

TEST_F(ObjectFactoriesTest, TypeTenObjectsCopyTheirValuesAndAnimate) {
    IntArray* record = params(7, {{2, 5}, {3, 9}, {4, 11}, {5, 12}, {6, 3}});
    CObject* centred = Game::createObjectWithArray(100, 200, record);
    EXPECT_EQ(centred->m_type, 10);
    EXPECT_EQ(centred->m_id, -1);
    EXPECT_EQ(centred->m_sprite->getX(), 102);
    EXPECT_EQ(centred->m_sprite->getY(), 204);
    EXPECT_EQ(ints(centred->m_params), (Ints{11, 12, 0, 0, -1, 3, 0, 0, 0, 0}));
    EXPECT_TRUE(animStarted(centred->m_sprite));
    EXPECT_EQ(centred->m_sprite->anim, 3);

    IntArray* templ = params(12, {{0, 1}, {4, -1}, {5, 6}, {9, 8}, {10, 77}, {11, 78}});
    CObject* simple = Game::createObjectSimple(7, 8, templ);
    EXPECT_NE(simple->m_params, templ);
    EXPECT_EQ(ints(simple->m_params), (Ints{1, 0, 0, 0, -1, 6, 0, 0, 0, 8}));
    EXPECT_EQ(simple->m_sprite->anim, 6);
    EXPECT_TRUE(animStarted(simple->m_sprite));
}

TEST_F(ObjectFactoriesTest, TemplateTypesGainTheirExtraSlots) {
    const int32_t extra[] = {28, 2, 0, 24, 10, 3, 22, 2, 5};
    for (int32_t type = 80; type <= 88; ++type) {
        IntArray* p = params(8, {{4, 1}, {7, 42}});
        CObject* o = Game::createObjectFromDef(3, type, 0, 0, p);
        EXPECT_EQ(o->m_params->length, 8 + extra[type - 80]) << type;
        EXPECT_NE(o->m_params, p) << type;  // the grower's copy
        EXPECT_EQ(o->param(7), 42) << type;
        EXPECT_EQ(o->param(7 + extra[type - 80]), extra[type - 80] == 0 ? 42 : 0) << type;
    }
    IntArray* kept = params(8);
    EXPECT_EQ(Game::createObjectFromDef(3, 20, 0, 0, kept)->m_params, kept);

    for (auto [make, extraSlots] : {std::make_pair(&CObject::newWithFourExtraParams, 4),
                                    std::make_pair(&CObject::newWithOneExtraParam, 1)}) {
        IntArray* p = params(6, {{5, 9}});
        CObject* o = make(4, 20, 1, 2, p);
        EXPECT_NE(o->m_params, p);
        EXPECT_EQ(o->m_params->length, 6 + extraSlots);
        EXPECT_EQ(o->param(5), 9);
    }
}

TEST_F(ObjectFactoriesTest, SignsAndPickUpsGetLengthenedCopies) {
    Game::objects.s_type18Objects = om()->newObjectArray(mrc::kClass_CObject, 4);
    IntArray* templ = params(12, {{0, 5}, {11, 3}});
    Game::createObjectWithParams(9, 18, 30, 40, templ, 2, 6);
    CObject* sign = at(Game::objects.s_type18Objects, 2);
    ASSERT_NE(sign, nullptr);
    EXPECT_EQ(sign->m_id, 9);
    EXPECT_EQ(sign->m_type, 18);
    EXPECT_NE(sign->m_params, templ);
    EXPECT_EQ(sign->m_params->length, 17);
    EXPECT_EQ(sign->param(0), 5);
    EXPECT_EQ(sign->param(7), -1);
    EXPECT_EQ(sign->param(11), 6);
    EXPECT_EQ(templ->elements()[11], 3);

    Game::levelSetup.s_typeRecords = om()->newObjectArray(mrc::kClass_ShortArray, 3);
    ShortArray* r = om()->newShortArray(16);
    Game::levelSetup.s_typeRecords->elements()[2] = r;
    r->elements()[0] = 21, r->elements()[1] = 22, r->elements()[15] = 4;
    IntArray* pickup = params(10, {{2, 2}, {9, 5}});
    CObject* p = Game::createObjectWithParams7(12, 3, 4, pickup);
    EXPECT_EQ(p->m_type, 16);
    EXPECT_EQ(p->m_id, 12);
    EXPECT_EQ(ints(p->m_params), (Ints{21, 22, 2, 0, 1, 0, 0, 0, 0, 5, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(r->elements()[15], 5);
}

TEST_F(ObjectFactoriesTest, PartsOfAnOwnerWaitOffScreenOrAtTheOwner) {
    CObject* owner = CObject::create(31, 80, 50, 60, params(30, {{0, 7}, {1, 8}, {4, 13}}));
    CObject* a = owner->createPartsA(1);
    CObject* b = owner->createPartsB(2);
    CObject* c = owner->createPartsC(3);
    EXPECT_EQ(ints(a->m_params), (Ints{7, 8, 0, 0, 0, -1, 0, 0, 6, 0}));
    EXPECT_EQ(ints(b->m_params), (Ints{7, 8, 0, 0, -1, 13, 0, 0, 6, 0}));
    EXPECT_EQ(ints(c->m_params), ints(b->m_params));
    for (CObject* part : {a, b, c}) {
        EXPECT_EQ(part->m_id, 31);
        EXPECT_EQ(part->m_type, 10);
    }
    EXPECT_EQ(a->m_sprite->getX(), -100);
    EXPECT_EQ(b->m_sprite->getY(), -100);
    EXPECT_EQ(c->m_sprite->getX(), 50);
    EXPECT_EQ(c->m_sprite->getY(), 60);
    EXPECT_EQ(b->m_sprite->anim, 13);
    EXPECT_EQ(owner->param(25), 1);
    EXPECT_EQ(owner->param(24), 2);
    EXPECT_EQ(owner->param(23), 3);
}

TEST_F(ObjectFactoriesTest, ResetRunsEachObjectsPathSegmentInOrder) {
    ObjectArray* list = om()->newObjectArray(mrc::kClass_CObject, 3);
    for (int32_t i = 0; i < 3; ++i) list->elements()[i] = CObject::create(i, 20, 0, 0, params(20));
    Game::resetObjectArray(list);
    EXPECT_EQ(m_calls.segments, (std::vector<CObject*>{at(list, 0), at(list, 1), at(list, 2)}));
}

}  // namespace
