#include <gtest/gtest.h>

#include "tests/game/world_fixture.h"

namespace {

class CObjectStateTest : public mrc::test::WorldTest {};

// The state tests over kind, state and sub-state.
TEST_F(CObjectStateTest, StateTestsTruthTable) {
    struct Case {
        int32_t kind, state, sub;
        bool visible, interacts, active, selectable, free, notKind8;
    };
    const Case cases[] = {
        {0, 0, 0, true, true, true, true, true, true},
        {0, 1, 0, true, true, true, true, true, true},
        {0, 5, 2, false, false, false, false, false, false},  // gone for good
        {0, 5, 0, true, false, false, false, true, false},    // dying: visible, no interaction
        {0, 6, 0, true, true, false, false, false, true},     // removed
        {0, 7, 0, false, false, false, false, false, false},  // hidden
        {0, 13, 1, false, false, false, false, false, false},
        {0, 8, 0, true, true, true, true, false, true},       // busy
        {0, 11, 0, true, true, true, true, false, true},
        {0, 14, 0, true, true, true, true, false, false},
        {0, 12, 0, true, true, true, true, true, true},       // scripted frame
        {9, 1, 0, true, false, false, false, true, false},    // kind 9 never interacts
        {8, 1, 0, true, true, true, true, true, false},       // kind 8: not that interaction
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "kind " << c.kind << " state " << c.state << " sub " << c.sub);
        CObject* o = object(1, 5, {{CObject::PARAM_KIND, c.kind}, {14, c.state}, {15, c.sub}});
        EXPECT_EQ(o->isVisibleState(), c.visible);
        EXPECT_EQ(o->canInteract(), c.interacts);
        EXPECT_EQ(o->isActive(), c.active);
        EXPECT_EQ(o->isSelectable(), c.selectable);
        EXPECT_EQ(o->isFreeToMove(), c.free);
        EXPECT_EQ(o->canInteractNotKind8(), c.notKind8);
        EXPECT_EQ(o->isVisibleNotState5(), c.visible && c.state != 5);
        EXPECT_EQ(o->isState7Or5Sub2(), c.state == 7 || (c.state == 5 && c.sub == 2));
        EXPECT_EQ(o->isState11Or5Sub0(), c.state == 11 || (c.state == 5 && c.sub == 0));
        EXPECT_EQ(o->isStateSetOrSub2(), c.sub == 2 || c.state != 0);
    }
    CObject* grabbed = object(1, 5, {{14, 1}});
    EXPECT_TRUE(grabbed->isSelectable());
    CObject::statics.s_effectObject = grabbed;
    EXPECT_FALSE(grabbed->isSelectable());
}

TEST_F(CObjectStateTest, EnabledUnlessPendingAndRecordTests) {
    CObject* on = object(1, 13, {{CObject::PARAM_FLAGS, 3}});
    CObject* off = object(2, 13);
    EXPECT_TRUE(CObject::isEnabledUnlessPending(on));
    EXPECT_FALSE(CObject::isEnabledUnlessPending(off));
    EXPECT_TRUE(CObject::isEnabledUnlessPending(nullptr));
    CObject::statics.s_pendingRelease = 1;
    for (CObject* o : {on, off, static_cast<CObject*>(nullptr)}) EXPECT_FALSE(CObject::isEnabledUnlessPending(o));

    EXPECT_TRUE(CObject::isRecordFlagged(params(7, {{0, 1}, {6, 1}})));
    EXPECT_TRUE(CObject::isRecordFlagged(params(7, {{0, 1}, {5, 1}})));
    EXPECT_FALSE(CObject::isRecordFlagged(params(7, {{0, 2}, {5, 1}})));
    EXPECT_FALSE(CObject::isRecordFlagged(params(7, {{0, 1}, {5, 2}})));
    for (int32_t op : {164, 165, 169, 170, 180, 181, 182})
        EXPECT_EQ(CObject::isObjectScriptOpcode(op), (op >= 165 && op <= 169) || op == 181) << op;
}

TEST_F(CObjectStateTest, RangesAndAnimationOffsetsNeedARecord) {
    CObject* free = object(1, 20, {{27, -1}, {28, 10}, {29, 20}, {30, 5}, {31, 6}});
    CObject* bound = object(1, 20, {{27, 0}, {28, 10}, {29, 20}, {30, 5}, {31, 6}});
    struct Case {
        int32_t v, range, limits;
    };
    for (const Case& c : {Case{3, 10, 5}, Case{15, 15, 6}, Case{25, 20, 6}, Case{5, 10, 5}}) {
        EXPECT_EQ(free->getParamRange(c.v), c.v);
        EXPECT_EQ(free->clampToLimits(c.v), c.v);
        EXPECT_EQ(bound->getParamRange(c.v), c.range);
        EXPECT_EQ(bound->clampToLimits(c.v), c.limits);
    }
    const std::pair<int32_t, int32_t> offsets[] = {{0, 44}, {14, 44}, {2, 46}, {16, 48}, {20, 52}, {24, 56},
                                                   {28, 60}, {32, 64}, {36, 68}, {4, 4},   {40, 40}, {-2, -2}};
    for (auto [v, expected] : offsets) {
        EXPECT_EQ(bound->recordAnimOffset(v), expected) << v;
        EXPECT_EQ(free->recordAnimOffset(v), v);
    }
}

TEST_F(CObjectStateTest, SettersOfFlagsLinksAndGauges) {
    CObject* o = object(1, 20, {{31, 0x418}, {7, 4}, {5, 9}, {41, 0x1010}, {22, 3}, {23, 4}});
    o->reactivateFlags();
    EXPECT_EQ(o->param(31), 0x1);
    o->setParam(31, 0x403);
    o->reactivateFlags();
    EXPECT_EQ(o->param(31), 0x403);
    o->markRemoved();
    EXPECT_EQ(o->param(31), 0x402);
    o->clearLinkIfMatches(3);
    EXPECT_EQ(o->param(7), 4);
    o->clearLinkIfMatches(4);
    EXPECT_EQ(o->param(7), -1);
    EXPECT_EQ(o->param(5), 0);
    o->restoreParam16AndUnlink();
    EXPECT_EQ((std::vector<int32_t>{o->param(16), o->param(22), o->param(23), o->param(41)}),
              (std::vector<int32_t>{0x1010, -1, -1, 0}));
    for (auto [c, v] : {std::pair{0, 3}, {1, 1}, {2, 2}, {3, 0}}) {
        o->setParam26FromCode(c);
        EXPECT_EQ(o->param(26), v);
    }
    o->setParam26FromCode(4);
    EXPECT_EQ(o->param(26), 0);

    CObject* g = object(1, 0, {{13, 5}, {16, 6}, {15, 7}, {17, 5}, {19, 9}, {18, 8}});
    EXPECT_EQ((std::vector<int32_t>{g->getGaugeValue(0), g->getGaugeValue(1), g->getGaugeValue(2), g->getGaugeValue(3)}),
              (std::vector<int32_t>{5, 6, 7, 0}));
    EXPECT_EQ((std::vector<int32_t>{g->getGaugeMax(0), g->getGaugeMax(1), g->getGaugeMax(2), g->getGaugeMax(3)}),
              (std::vector<int32_t>{5, 9, 8, 0}));
    EXPECT_TRUE(g->isGaugeFull(0));
    EXPECT_FALSE(g->isGaugeFull(1));
    EXPECT_FALSE(g->isGaugeFull(2));
    EXPECT_EQ(object(1, 85, {{12, 5}, {7, 1}, {8, 2}, {9, 3}})->getParamByType(), 2);
    EXPECT_EQ(object(1, 85, {{12, 4}, {9, 3}})->getParamByType(), 0);
    EXPECT_EQ(object(1, 84, {{9, 3}})->getParamByType(), 3);
    EXPECT_EQ(object(1, 86, {{9, 3}})->getParamByType(), 0);
    EXPECT_EQ(object(1, 86, {{1, 5 << 14}, {2, 3 << 14}})->getParamCellKey(), 3 * 256 + 5);
}

TEST_F(CObjectStateTest, LinkedObjectsAndListedSides) {
    GameObjectStatics& g = Game::objects;
    CObject* a = object(10, 12);
    CObject* b = object(11, 12);
    CObject* s = object(12, 5);
    g.s_attachedObjects = list({a, b});
    g.s_type5Objects = list({nullptr, s});
    g.s_kind0Objects = list({b});
    g.s_type15Objects = list({a});
    CObject* o = object(1, 20, {{3, 2}, {4, 1}, {23, 1}, {24, 0}});
    EXPECT_EQ(o->getLinkedByKind(), s);
    EXPECT_EQ(o->getLinkedObjectA(), b);
    EXPECT_EQ(o->getLinkedObjectB(), a);
    o->setParam(3, 0), o->setParam(4, 0);
    EXPECT_EQ(o->getLinkedByKind(), b);
    o->setParam(3, 3);
    EXPECT_EQ(o->getLinkedByKind(), a);
    o->setParam(3, 4);
    EXPECT_EQ(o->getLinkedByKind(), nullptr);
    o->setParam(3, 1), o->setParam(4, -1);
    EXPECT_EQ(o->getLinkedByKind(), nullptr);

    g.s_scriptObjects = list({object(1, 25, {{6, 0}, {8, 2}}), object(2, 25, {{6, 1}, {8, 2}}),
                              object(3, 25, {{6, 2}, {8, 3}}), object(4, 25, {{6, 3}, {8, 1}}),
                              object(5, 25, {{6, 7}, {8, 1}})});
    struct Case {
        int32_t direction, horizontal, vertical;
    };
    const Case cases[] = {{258, -5, 2 << 19}, {16388, -5, 2 << 19}, {1032, 3 << 19, 0}, {4112, 1 << 19, 0}, {7, -5, 0}};
    for (int32_t i = 0; i < 5; ++i) {
        EXPECT_EQ(CObject::directionOfListed(i), cases[i].direction);
        EXPECT_EQ(CObject::horizontalSpanOfListed(i, -5), cases[i].horizontal);
        EXPECT_EQ(CObject::verticalSpanOfListed(i, -5), cases[i].vertical);
    }
}

TEST_F(CObjectStateTest, CountsMatchesOnlyForEnabledType33) {
    struct Case {
        int32_t type, enabled, mode, otherK, other17;
        int32_t count;
    };
    const Case cases[] = {
        {33, 1, 0, 7, 7, 1}, {33, 1, 1, 7, 7, 0}, {33, 1, 1, 7, 6, 1}, {33, 1, 0, 6, 7, 0},
        {33, 1, 2, 7, 6, 0}, {33, 0, 0, 7, 7, 0}, {32, 1, 0, 7, 7, 0},
    };
    for (const Case& c : cases) {
        CObject* counter = object(1, c.type, {{0, c.enabled}, {3, 12}, {4, c.mode}, {5, 7}});
        CObject* other = object(2, 5, {{12, c.otherK}, {17, c.other17}});
        counter->countIfMatches(other);
        EXPECT_EQ(counter->param(10), c.count);
    }
}

TEST_F(CObjectStateTest, ActionAnimationOffsetSumsTheGroupsRecords) {
    auto record = [](std::map<int32_t, int32_t> values) {
        ShortArray* r = om()->newShortArray(14);
        for (int32_t i = 11; i <= 13; ++i) r->elements()[i] = -1;
        for (auto [i, v] : values) r->elements()[i] = static_cast<int16_t>(v);
        return r;
    };
    ObjectArray* group = om()->newObjectArray(mrc::kClass_ShortArray, 3);
    group->elements()[0] = record({{4, 9}, {11, 0}, {12, 0}});  // 4 (kind 9) + 8 (before n)
    group->elements()[1] = record({{11, 0}, {12, 1}, {13, 0}});  // record n
    group->elements()[2] = record({{4, 10}, {11, 0}});            // 4 (kind 10), after n
    Game::objects.s_actionRecords = om()->newObjectArray(mrc::kClass_ObjectArray, 3);
    Game::objects.s_actionRecords->elements()[2] = group;
    CObject* o = object(1, 20, {{3, 2}});
    EXPECT_EQ(o->actionAnimOffset(1, 0), 16);
    EXPECT_EQ(o->actionAnimOffset(1, 1), 20);
    EXPECT_EQ(o->actionAnimOffset(1, 2), 24);
    EXPECT_EQ(o->actionAnimOffset(0, 2), 16);
}

TEST_F(CObjectStateTest, FreeEffectInstanceIsTheFirstWithoutAnimation) {
    ObjectArray* instances = CObject::statics.s_effectInstances;
    EXPECT_EQ(CObject::findFreeEffectInstance(), -1);  // none made yet
    for (int32_t i = 0; i < 3; ++i) {
        auto* e = mrc::newObject<ASpriteInstance>();
        e->anim = i == 2 ? -1 : 4;
        instances->elements()[i] = e;
    }
    EXPECT_EQ(CObject::findFreeEffectInstance(), 2);
}

}  // namespace
