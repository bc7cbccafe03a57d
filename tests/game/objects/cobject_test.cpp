#include <gtest/gtest.h>

#include "framework/core/game_hooks.h"
#include "framework/core/game_timers.h"
#include "runtime/lang/construct.h"
#include "tests/game/world_fixture.h"

namespace {

using Ints = std::vector<int32_t>;

class CObjectTest : public mrc::test::WorldTest {
protected:
    static Ints ints(Object* o) {
        auto* a = static_cast<IntArray*>(o);
        return isNull(a) ? Ints{} : Ints(a->elements(), a->elements() + a->length);
    }
    static std::vector<Ints> rows(ObjectArray* a) {
        std::vector<Ints> out;
        for (int32_t i = 0; !isNull(a) && i < a->length; ++i) out.push_back(ints(a->elements()[i]));
        return out;
    }
    // Whether setAnim ran on the instance (it sets the loop count to -1 and the step to 1).
    static bool animStarted(ASpriteInstance* s) { return s->loops == -1 && s->step == 1; }
};

// What each type shows at creation: its start animation, a still frame, or nothing.
TEST_F(CObjectTest, ConstructorChoosesTheStartAnimationByType) {
    struct Case {
        int32_t type, param4, param5;
        bool started;
        int32_t anim, frame, time;
    };
    const Case cases[] = {
        {0, 7, 9, true, 0, 0, 0},      // the player: animation 0
        {3, 7, 9, true, 9, 0, 0},      // types 1-9: params[5]
        {12, 3, 9, false, -1, 3, -1},  // types 10-21: still frame params[4]
        {12, -1, 9, true, 9, 0, 0},    // ... or params[5] when params[4] < 0
        {21, 2, 9, false, -1, 2, -1},
        {18, 3, 9, false, 0, 0, 0},    // type 18: nothing at all
        {83, 4, 9, true, 4, 0, 0},     // types 80-87: params[4]
        {29, 4, 9, false, 0, 0, 0},    // other types from 22 up: nothing
        {300, 4, 9, false, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        CObject* o = object(42, c.type, {{4, c.param4}, {5, c.param5}}, 20, 10, -3);
        ASSERT_NE(o, nullptr);
        EXPECT_EQ(o->m_id, 42);
        EXPECT_EQ(o->m_type, c.type);
        ASSERT_NE(o->m_sprite, nullptr);
        EXPECT_EQ(o->m_sprite->x, 10 << 14);
        EXPECT_EQ(o->m_sprite->y, -3 << 14);
        EXPECT_EQ(o->m_sprite->sprite, nullptr);
        EXPECT_EQ(animStarted(o->m_sprite), c.started);
        EXPECT_EQ(o->m_sprite->anim, c.anim);
        EXPECT_EQ(o->m_sprite->aframe, c.frame);
        EXPECT_EQ(o->m_sprite->time, c.time);
    }
}

TEST_F(CObjectTest, Type23PausesItsTimerAtOnce) {
    Game::initTimers(0);
    Game::updateGameTime();
    CObject* o = object(1, 23, {{0, 1}, {1, 2}, {CObject::PARAM_LINK_ID, -1}});
    EXPECT_FALSE(animStarted(o->m_sprite));
    const int32_t timer = o->param(CObject::PARAM_LINK_ID);
    ASSERT_GE(timer, 0);
    EXPECT_EQ(o->param(8), 2000);
    EXPECT_TRUE(Game::isTimerBelowMinusTwo(timer));
    const int32_t elapsed = Game::getTimerElapsed(timer);
    clock.advance(800);
    Game::updateGameTime();
    EXPECT_EQ(Game::getTimerElapsed(timer), elapsed);  // paused where it started
}

TEST_F(CObjectTest, TheOtherConstructorsSetTheirFixedValues) {
    ASprite* sprite = mrc::newObject<ASprite>();
    auto* o = mrc::newObject<CObject>();
    o->CObjectWithSprite(5, 3, 4, sprite, params(20, {{15, 7}, {16, 8}, {0, 9}}));
    EXPECT_EQ(o->m_id, 0);
    EXPECT_EQ(o->m_type, 5);
    EXPECT_EQ(o->m_sprite->sprite, sprite);
    EXPECT_EQ(o->m_sprite->x, 3 << 14);
    EXPECT_FALSE(animStarted(o->m_sprite));
    EXPECT_EQ(o->param(15), -1);
    EXPECT_EQ(o->param(16), 1);
    EXPECT_EQ(o->param(0), 9);

    auto* instance = mrc::newConstructed<ASpriteInstance>(sprite, 37, 5, static_cast<ASpriteInstance*>(nullptr));
    auto* adopted = mrc::newObject<CObject>();
    adopted->CObjectFromInstance(instance, -1, -1, nullptr);
    EXPECT_EQ(adopted->m_sprite, instance);
    EXPECT_EQ(adopted->m_id, -1);
    EXPECT_EQ(adopted->m_type, -1);
    EXPECT_EQ(adopted->m_params, nullptr);
    EXPECT_EQ(adopted->m_sortKey, 5 * 256 + 37);
}

TEST_F(CObjectTest, SetSpriteNeedsAnInstanceAndASprite) {
    ASprite* sprite = mrc::newObject<ASprite>();
    CObject* o = object(1, 29);
    o->setSprite(nullptr, 0);
    EXPECT_EQ(o->m_sprite->sprite, nullptr);
    o->setSprite(sprite, 1);
    EXPECT_EQ(o->m_sprite->sprite, sprite);
    auto* bare = mrc::newObject<CObject>();
    bare->setSprite(sprite, 0);  // no instance: nothing
    EXPECT_EQ(bare->m_sprite, nullptr);
}

TEST_F(CObjectTest, GrowersKeepOldValuesAndSetTheirOwn) {
    const Ints old = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17};
    auto make = [&] {
        IntArray* p = params(static_cast<int32_t>(old.size()));
        for (std::size_t i = 0; i < old.size(); ++i) p->elements()[i] = old[i];
        return CObject::create(5, 29, 0, 0, p);
    };
    CObject* a = make();
    a->growParams(3);
    Ints expected = old;
    expected.insert(expected.end(), {0, 0, 0});
    EXPECT_EQ(paramsOf(a), expected);

    CObject* b = make();
    b->growParams2();
    expected = old;
    expected.insert(expected.end(), {0, 0});
    expected[10] = expected[11] = 0;
    EXPECT_EQ(paramsOf(b), expected);

    CObject* c = make();
    c->growParams7();
    expected = old;
    expected.insert(expected.end(), 7, 0);
    expected[10] = 2;
    expected[13] = -1;
    expected[16] = 0;
    EXPECT_EQ(paramsOf(c), expected);
}

TEST_F(CObjectTest, GrowParamsWithListIndexFindsItsScriptObject) {
    Game::objects.s_scriptObjects = list({nullptr, object(3, 24), object(8, 29), object(8, 29)});
    struct Case {
        int32_t link, id;
        int32_t length, param11;
    };
    const Case cases[] = {
        {2, 8, 13, 2},   // the first object with the id
        {3, 3, 13, 1},
        {3, 99, 13, 77},  // none: params[11] stays
        {1, 8, 12, 77},   // other links: nothing at all
    };
    for (const Case& c : cases) {
        CObject* o = CObject::create(c.id, 24, 0, 0, params(12, {{7, c.link}, {11, 77}}));
        o->growParamsWithListIndex();
        EXPECT_EQ(o->m_params->length, c.length);
        EXPECT_EQ(o->param(11), c.param11);
    }
}

TEST_F(CObjectTest, InitialiserSetsEveryTableAndStartValue) {
    const CObject::Statics& s = CObject::statics;
    EXPECT_EQ(rows(s.s_rowTable3x9), (std::vector<Ints>{{8, 0, 1, 2, 5, 3, 8, 6, 8}, {8, 0, 3, 8, 2, 5, 8, 6, 8},
                                                         {8, 7, 0, 7, 3, 7, 3, 6, 8}}));
    EXPECT_EQ(rows(s.s_slotTriples), (std::vector<Ints>{{5, 4, 0}, {2, 4, 7}, {2, 4, 7}, {2, 4, 7}, {2, 4, 7},
                                                         {0, 4, 0}, {0, 4, 0}, {0, 4, 0}, {3, 0, 8}, {0, 4, 6}}));
    EXPECT_EQ(ints(s.s_pair21), (Ints{2, 1}));
    EXPECT_EQ(ints(s.s_pair37), (Ints{3, 7}));
    EXPECT_EQ(ints(s.s_stepTiles), (Ints{2, 3, 5}));
    EXPECT_EQ(ints(s.s_stepSpeeds), (Ints{280, 280, 280, 280}));
    EXPECT_EQ(ints(s.s_countedItems), (Ints{0, 1, 2, 3, 4}));
    EXPECT_EQ(ints(s.s_itemAnims), (Ints{1, 0, 2, 0, 0, 0, 0, 5, 4, 6, 4, 4, 4, 4}));
    EXPECT_EQ(ints(s.s_itemSpriteOffsets), Ints(7, 1));
    EXPECT_EQ(ints(s.s_directions), (Ints{258, 1032, 16388, 4112}));
    EXPECT_EQ(s.s_effectInstances->length, 10);
    EXPECT_EQ(s.s_itemSprites->length, 3);
    EXPECT_EQ(s.s_itemMarks->length, 7);
    EXPECT_EQ(s.s_cyclicTables->length, 3);
    EXPECT_EQ(static_cast<ByteArray*>(s.s_cyclicTables->elements()[2])->length, 45);
    const Ints values = {s.s_playerStateParam, s.s_inputDirection, s.s_moveDirection, s.s_boxWidth, s.s_boxHeight,
                         s.s_itemSequence, s.s_playerCollisionMask, s.s_cinematicAnim, s.s_shadowIndex,
                         s.s_lastActionKind, s.s_targetId, s.s_refillDisplayTimer, s.s_refillTimer};
    EXPECT_EQ(values, (Ints{-1, 16388, 16388, 16, 16, -1, 0x26FA, -1, -1, -1, 16388, -1, -1}));
    EXPECT_TRUE(s.s_animAdvance);
    const GameObjectStatics& g = Game::objects;
    EXPECT_EQ((Ints{g.s_levelTimer, g.s_previousItem, g.s_currentItem, g.s_nextItem, g.s_playerFlags}),
              (Ints{-1, -1, 1, -1, 0}));
    EXPECT_EQ(statics()->checkRoots(), 0);
}

TEST_F(CObjectTest, FrameworkReachesTheObjectsInstance) {
    CObject* o = object(1, 29);
    ASSERT_NE(gameHooks().objectInstance, nullptr);
    EXPECT_EQ(gameHooks().objectInstance(o), o->m_sprite);
    EXPECT_EQ(gameHooks().objectInstance(om()->newIntArray(2)), nullptr);
    EXPECT_EQ(gameHooks().objectInstance(nullptr), nullptr);
    EXPECT_EQ(mrc::NewInstanceFactory::newInstance(mrc::kClass_CObject)->classId(), mrc::kClass_CObject);
}

}  // namespace
