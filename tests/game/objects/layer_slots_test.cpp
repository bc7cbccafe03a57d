#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "game/pending.h"
#include "tests/game/world_fixture.h"

namespace {

using Ints = std::vector<int32_t>;

std::vector<std::string> g_pending;

class LayerSlotsTest : public mrc::test::WorldTest {
protected:
    void SetUp() override {
        WorldTest::SetUp();
        mrc::registerLevelSetupStatics();
        Game::levelSetup = {};
        g_pending.clear();
        game_pending::observer = [](const char* name) { g_pending.emplace_back(name); };
    }
    void TearDown() override {
        game_pending::observer = nullptr;
        WorldTest::TearDown();
    }

    static CObject* layer(std::map<int32_t, int32_t> values) {
        if (!values.count(8)) values[8] = -1;
        return CObject::create(0, 50, 0, 0, params(70, values));
    }
    static Ints bytes(ByteArray* a) {
        Ints out;
        for (int32_t i = 0; !isNull(a) && i < a->length; ++i) out.push_back(a->elements()[i] & 0xFF);
        return out;
    }
    static Ints slotsOf(CObject* o) { return {o->param(16), o->param(17), o->param(18), o->param(19)}; }
    static CObject* at(ObjectArray* list, int32_t i) { return static_cast<CObject*>(list->elements()[i]); }
};

TEST_F(LayerSlotsTest, SharedTemplatesTakeOneSlotAndUnsharedObjectsTheirOwn) {
    CObject::statics.s_heldObject = CObject::create(1, 5, 0, 0, params(20));
    ObjectArray* layers = list({
        layer({{0, 3}, {3, 7}}),                           // slot 0, group 0
        layer({{0, 5}, {3, 7}}),                           // shares slot 0, group 1
        layer({{0, 3}, {3, 7}, {12, 1}}),                  // its own slot 1, kind 255
        layer({{0, 3}, {3, 2}, {8, 7}}),                   // slot 2; second key shares slot 0
        layer({{0, 9}, {3, 2}, {15, 51}, {32, 9}, {33, 7}}),  // slot 2; further keys slot 3 and 0
    });
    CObject::assignKindSlots(layers);
    EXPECT_EQ(slotsOf(at(layers, 0)), (Ints{0, 0, 0, 0}));
    EXPECT_EQ(slotsOf(at(layers, 1)), (Ints{0, 0, 1, 0}));
    EXPECT_EQ(slotsOf(at(layers, 2)), (Ints{1, 1, 0, 1}));
    EXPECT_EQ(slotsOf(at(layers, 3)), (Ints{2, 0, 0, 2}));
    EXPECT_EQ(slotsOf(at(layers, 4)), (Ints{2, 2, 2, 2}));
    EXPECT_EQ(at(layers, 4)->param(39), 3);
    EXPECT_EQ(at(layers, 4)->param(40), 0);

    EXPECT_EQ(bytes(CObject::statics.s_layerSlotKinds), (Ints{7, 255, 2, 9}));
    EXPECT_EQ(bytes(CObject::statics.s_layerGroupKeys), (Ints{3, 5, 9}));
    EXPECT_EQ(CObject::statics.s_layerGroupValues->length, 3);
    EXPECT_EQ(CObject::statics.s_layerMaps->length, 4);
    EXPECT_EQ(Game::grids.s_layerGrids->length, 4);
    ASSERT_EQ(CObject::statics.s_layerMembers->length, 5);
    for (int32_t i = 0; i < 5; ++i)
        EXPECT_EQ(static_cast<ObjectArray*>(CObject::statics.s_layerMembers->elements()[i])->length, 25);
    EXPECT_EQ(CObject::statics.s_heldObject, nullptr);

    // Lookups by group key.
    CObject::statics.s_layerGroupValues->elements()[1] = layers;
    EXPECT_EQ(CObject::lookupKeyedValue(5), layers);
    EXPECT_EQ(CObject::lookupKeyedValue(4), nullptr);
    EXPECT_EQ(CObject::indexOfKey(9), 2);
    EXPECT_EQ(CObject::indexOfKey(4), -1);
    EXPECT_EQ(CObject::countKeysExcept(3, 9), 1);

    // A set-up of kind 4 writes the slot numbers and keeps every table.
    ByteArray* kinds = CObject::statics.s_layerSlotKinds;
    ObjectArray* members = CObject::statics.s_layerMembers;
    Game::levelSetup.s_levelSetupKind = 4;
    ObjectArray* again = list({layer({{0, 1}, {3, 4}}), layer({{0, 2}, {3, 4}})});
    CObject::assignKindSlots(again);
    EXPECT_EQ(slotsOf(at(again, 1)), (Ints{0, 0, 1, 0}));
    EXPECT_EQ(CObject::statics.s_layerSlotKinds, kinds);
    EXPECT_EQ(CObject::statics.s_layerMembers, members);
    EXPECT_EQ(bytes(kinds), (Ints{7, 255, 2, 9}));
}

TEST_F(LayerSlotsTest, NextDistinctGroupFindsTheFirstNewSecondValueOfAGroup) {
    // (params[0], params[2]) per object.
    const std::vector<std::pair<int32_t, int32_t>> values = {{1, 4}, {2, 6}, {1, 4}, {1, 8}, {1, 5}, {1, 8}};
    ObjectArray* list = om()->newObjectArray(mrc::kClass_CObject, static_cast<int32_t>(values.size()));
    for (size_t i = 0; i < values.size(); ++i) list->elements()[i] = layer({{0, values[i].first}, {2, values[i].second}});
    struct Case {
        int32_t b, start, a, expected;
    };
    const Case cases[] = {
        {0, 6, 1, 6},   // empty range: start
        {0, 9, 1, 9},
        {0, 0, 1, 0},   // the first object opens value 4
        {0, 1, 1, 3},   // 4 at index 2 was seen at 0: 8 opens at 3
        {4, 1, 1, 3},   // b = 4 skipped: 8 opens at 3
        {0, 3, 1, 3},
        {8, 4, 1, 4},   // 5 at 4
        {8, 5, 1, 6},   // no candidate: the list length
        {0, 5, 1, 6},   // 8 at 5 was seen at 3: the scan goes on to the end
        {0, 0, 3, 6},   // no member of group 3
    };
    for (const Case& c : cases)
        EXPECT_EQ(CObject::nextDistinctGroup(c.b, list, c.start, c.a), c.expected)
            << "b " << c.b << " start " << c.start << " a " << c.a;
    EXPECT_TRUE(CObject::anyUsesKind(list, 6, 1, 8, 0));
    EXPECT_FALSE(CObject::anyUsesKind(list, 3, 1, 8, 0));
}

TEST_F(LayerSlotsTest, EventFlagsChooseThePopupMaskAndAreConsumed) {
    struct Case {
        Ints flags;
        int32_t mask;
        int32_t field;     // the current popup's mask field that takes the mask (15 A, 16 B, 17 C)
        int32_t selector;  // its item frame selector
        int32_t hits;
    };
    const Case cases[] = {
        {{}, 0x40, 15, -1, 0},
        {{0x1}, 0x40, 15, -1, 0},  // neither the mask nor another event
        {{0x2, 0x40, 0x41}, 0x40, 16, 1, 2},
        {{0x2}, 0x40, 17, 0, 0},  // another event was seen
    };
    Game::initPopups();
    ASSERT_EQ(Game::openPopup(), 0);
    auto* popup = static_cast<IntArray*>(Game::layouts.s_popups->elements()[0]);
    for (const Case& c : cases) {
        CObject* o = CObject::create(1, 20, 0, 0, params(25, {{19, 3}}));
        Game::levelSetup.s_eventFlagList = om()->newIntArray(8);
        for (size_t i = 0; i < c.flags.size(); ++i) Game::levelSetup.s_eventFlagList->elements()[i] = c.flags[i];
        Game::levelSetup.s_eventFlagCount = static_cast<int32_t>(c.flags.size());
        o->consumeEventFlags(c.mask);
        for (int32_t f = 15; f <= 17; ++f) EXPECT_EQ(popup->elements()[f], f == c.field ? c.mask : 0) << f;
        EXPECT_EQ(popup->elements()[19], c.selector);
        EXPECT_EQ(o->param(19), 3 + c.hits);
        EXPECT_EQ(Game::levelSetup.s_eventFlagCount, 0);
    }
}

TEST_F(LayerSlotsTest, KindRowsMemberListsAndTheEffectPool) {
    CObject::statics.s_kindCount = 3;
    CObject::allocTypeLists();
    ASSERT_EQ(CObject::statics.s_kindTables->length, 3);
    ASSERT_EQ(static_cast<ObjectArray*>(CObject::statics.s_kindHitTables->elements()[2])->length, 30);
    CObject* owner = CObject::create(1, 5, 0, 0, params(40, {{12, 2}}));
    auto* row = static_cast<ObjectArray*>(CObject::statics.s_kindTables->elements()[2]);
    CObject* plain = CObject::create(2, 5, 0, 0, params(40));
    CObject* idle21 = CObject::create(3, 21, 0, 0, params(40));
    CObject* ready21 = CObject::create(4, 21, 0, 0, params(40, {{18, 1}}));
    row->elements()[0] = plain;
    row->elements()[7] = idle21;
    row->elements()[29] = ready21;
    EXPECT_EQ(owner->countKindEntries(), 3);
    EXPECT_EQ(owner->countNeighbours(), 2);
    static_cast<ObjectArray*>(CObject::statics.s_kindHitTables->elements()[2])->elements()[3] = plain;
    owner->clearKindRows();
    EXPECT_EQ(owner->countKindEntries(), 0);
    EXPECT_EQ(static_cast<ObjectArray*>(CObject::statics.s_kindHitTables->elements()[2])->elements()[3], nullptr);

    // Member lists: the last match from the end goes.
    CObject::statics.s_layerMembers = om()->newObjectArray(mrc::kClass_ObjectArray, 2);
    ObjectArray* members = om()->newObjectArray(mrc::kClass_CObject, 25);
    CObject::statics.s_layerMembers->elements()[1] = members;
    CObject* first = CObject::create(9, 15, 0, 0, params(20));
    CObject* second = CObject::create(9, 15, 0, 0, params(20));
    members->elements()[20] = first;
    members->elements()[24] = second;
    CObject::removeMemberById(9, 1);
    EXPECT_EQ(members->elements()[24], nullptr);
    EXPECT_EQ(members->elements()[20], first);
    CObject* room = layer({{20, 1}});
    CObject::removeFromOwnList(second, room);  // not listed: nothing
    EXPECT_EQ(members->elements()[20], first);
    CObject::removeFromOwnList(first, room);
    EXPECT_EQ(members->elements()[20], nullptr);

    Game::objects.s_effectPool = Game::createObjectPool15();
    for (int32_t i = 0; i < 15; ++i) at(Game::objects.s_effectPool, i)->setParam(0, 1);
    EXPECT_EQ(CObject::findFreeInPool15(), -1);
    at(Game::objects.s_effectPool, 11)->setParam(0, 0);
    EXPECT_EQ(CObject::findFreeInPool15(), 11);
}

TEST_F(LayerSlotsTest, IdsBecomeListIndices) {
    Game::objects.s_type15Objects = list({CObject::create(40, 15, 0, 0, params(5)), CObject::create(41, 15, 0, 0, params(5))});
    Game::objects.s_templates = list({CObject::create(70, 80, 0, 0, params(20)), CObject::create(71, 80, 0, 0, params(20))});
    CObject* t81 = CObject::create(1, 81, 0, 0, params(60, {{9, 41}, {10, 99}}));
    CObject* t83 = CObject::create(2, 83, 0, 0, params(60, {{46, 40}, {47, -1}, {48, 41}, {49, 5}}));
    CObject* t86 = CObject::create(3, 86, 0, 0, params(60, {{8, 71}, {9, -3}, {16, 70}}));
    Game::resolveLinkIds(list({t81, t83, t86}));
    EXPECT_EQ(t81->param(9), 1);
    EXPECT_EQ(t81->param(10), -1);
    EXPECT_EQ((Ints{t83->param(46), t83->param(47), t83->param(48), t83->param(49)}), (Ints{0, -1, 1, -1}));
    EXPECT_EQ((Ints{t86->param(8), t86->param(9), t86->param(16)}), (Ints{1, -3, 0}));

    // Record ids (16-bit little-endian) in level data.
    ByteArray* data = om()->newByteArray(12);
    auto put = [&](int32_t at, int32_t v) {
        data->elements()[at] = static_cast<int8_t>(v);
        data->elements()[at + 1] = static_cast<int8_t>(v >> 8);
    };
    auto u16 = [&](int32_t at) { return (data->elements()[at] & 0xFF) | (data->elements()[at + 1] & 0xFF) << 8; };
    put(6, 41);
    Game::remapRecordId(data, 1, 2);  // kind 1: untouched
    EXPECT_EQ(u16(6), 41);
    Game::remapRecordId(data, 2, 2);
    EXPECT_EQ(u16(6), 1);
    put(6, 300);
    Game::remapRecordId(data, 2, 2);
    EXPECT_EQ(u16(6), 0xFFFF);

    // Key tables: records (key, index).
    auto records = [&](std::vector<Ints> rows) {
        ObjectArray* a = om()->newObjectArray(mrc::kClass_IntArray, static_cast<int32_t>(rows.size()));
        for (size_t i = 0; i < rows.size(); ++i) {
            IntArray* r = om()->newIntArray(2);
            r->elements()[0] = rows[i][0];
            r->elements()[1] = rows[i][1];
            a->elements()[i] = r;
        }
        return a;
    };
    ObjectArray* listA = records({{500, 3}});
    ObjectArray* listB = records({{600, 7}});
    put(4, 600);
    put(8, 500);
    CObject::patchRecord(data, 1, 0, listA, listB);
    EXPECT_EQ(u16(4), 7);
    EXPECT_EQ(u16(8), 3);
    put(4, 123);
    CObject::patchRecord(data, 3, 0, listA, listB);  // other kinds: untouched
    EXPECT_EQ(u16(4), 123);
    CObject::patchRecord(data, 2, 0, listA, listB);
    EXPECT_EQ(u16(4), 0xFFFF);
}

TEST_F(LayerSlotsTest, SealedLayersFillTheirGridsAndDropTheirPickUps) {
    // 19 layers over two grids; layer 4 lists a type-15 object and a type-20 one.
    Game::grids.s_layerGrids = om()->newObjectArray(mrc::kClass_Object, 2);
    for (int32_t g = 0; g < 2; ++g) {
        ObjectArray* grid = om()->newObjectArray(mrc::kClass_ShortArray, 3);
        Game::grids.s_layerGrids->elements()[g] = grid;
        for (int32_t c = 0; c < 3; ++c) grid->elements()[c] = om()->newShortArray(2);
    }
    Game::objects.s_layerObjects = om()->newObjectArray(mrc::kClass_CObject, 19);
    CObject::statics.s_layerMembers = om()->newObjectArray(mrc::kClass_ObjectArray, 19);
    CObject* machine = CObject::create(1, 83, 0, 0, params(70));
    for (int32_t j = 0; j < 19; ++j) {
        Game::objects.s_layerObjects->elements()[j] = layer({{19, j == 4 ? 1 : 0}, {20, j}});
        CObject::statics.s_layerMembers->elements()[j] = om()->newObjectArray(mrc::kClass_CObject, 25);
        machine->setParam(50 + j, 18 - j);
    }
    auto* members = static_cast<ObjectArray*>(CObject::statics.s_layerMembers->elements()[4]);
    CObject* pickUp = CObject::create(30, 15, 90, 80, params(10));
    CObject* other = CObject::create(31, 20, 90, 80, params(10));
    members->elements()[24] = pickUp;
    members->elements()[23] = other;
    Game::objects.s_type5Objects = list({CObject::create(40, 5, 0, 0, params(20, {{14, 13}}))});

    machine->sealLinkedLayers();
    for (int32_t g = 0; g < 2; ++g) {
        auto* grid = static_cast<ObjectArray*>(Game::grids.s_layerGrids->elements()[g]);
        for (int32_t c = 0; c < 3; ++c)
            for (int32_t r = 0; r < 2; ++r) EXPECT_EQ(static_cast<ShortArray*>(grid->elements()[c])->elements()[r], 1);
    }
    EXPECT_EQ(members->elements()[24], nullptr);
    EXPECT_EQ(pickUp->m_sprite->x, 0);
    EXPECT_EQ(pickUp->m_sprite->y, 0);
    EXPECT_EQ(members->elements()[23], other);
    for (int32_t j = 0; j < 19; ++j) EXPECT_EQ(at(Game::objects.s_layerObjects, j)->param(22), 99);
    EXPECT_EQ(at(Game::objects.s_type5Objects, 0)->param(14), 7);
}

TEST_F(LayerSlotsTest, SlotValuesLinkBothWays) {
    Game::objects.s_templates = list({CObject::create(70, 80, 0, 0, params(20)), CObject::create(71, 84, 0, 0, params(20))});
    CObject* o = CObject::create(1, 80, 0, 0, params(20));
    o->setSlotValue(2, 1);
    EXPECT_EQ(o->param(13), 1);
    EXPECT_EQ(at(Game::objects.s_templates, 1)->param(11), 2);
}

}  // namespace
