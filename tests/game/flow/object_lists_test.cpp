#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "tests/game/world_fixture.h"

namespace {

using Ints = std::vector<int32_t>;

class ObjectListsTest : public mrc::test::WorldTest {
protected:
    static Ints keysOf(ObjectArray* a, int32_t n) {
        Ints keys;
        for (int32_t i = 0; i < n; ++i) keys.push_back(static_cast<CObject*>(a->elements()[i])->m_sortKey);
        return keys;
    }
    static void fillDisplayList(const Ints& keys) {
        ObjectArray* d = Game::flowStatics.s_displayList;
        for (std::size_t i = 0; i < keys.size(); ++i) {
            CObject* o = object(static_cast<int32_t>(i), 29);
            o->m_sortKey = keys[i];
            d->elements()[i] = o;
        }
    }
    static std::vector<int32_t> counters() {
        ByteArray* c = Game::stateStatics.savedCounters;
        return Ints(c->elements(), c->elements() + c->length);
    }
};

TEST_F(ObjectListsTest, FindsObjectsByTypeAndId) {
    GameObjectStatics& g = Game::objects;
    g.s_attachedObjects = list({object(4, 12), nullptr, object(9, 13), object(9, 17)});
    g.s_scriptObjects = list({object(9, 29), object(9, 24)});
    g.s_templates = list({object(3, 80)});
    EXPECT_EQ(Game::findObjectIndexById(0, 1234), 0);
    EXPECT_EQ(Game::findObjectIndexById(11, 9), 2);
    EXPECT_EQ(Game::findObjectIndexById(17, 4), 0);
    EXPECT_EQ(Game::findObjectIndexById(24, 9), 0);  // the first object with the id, whatever its type
    EXPECT_EQ(Game::findObjectIndexById(86, 3), 0);
    EXPECT_EQ(Game::findObjectIndexById(85, 3), -1);  // 85 has no list
    EXPECT_EQ(Game::findObjectIndexById(88, 3), -1);
    EXPECT_EQ(Game::findObjectIndexById(29, 9), -1);  // not among the listed types
    EXPECT_EQ(Game::findObjectIndexById(5, 9), -1);   // no list
    EXPECT_EQ(Game::findObjectIndexById(12, 5), -1);

    g.s_player = object(0, 0);
    g.s_type69Objects = list({object(1, 69), object(2, 69)});
    EXPECT_EQ(Game::getEntryByType(0, 7), g.s_player);
    EXPECT_EQ(Game::getEntryByType(9, 1)->m_id, 2);
    EXPECT_EQ(Game::getEntryByType(7, 2)->m_id, 9);
    EXPECT_EQ(Game::getEntryByType(4, 0), nullptr);
    const Ints types = {0, 1, 15, 5, 60, -1, 80, 13, 20, 69, -1};
    for (int32_t code = 0; code <= 10; ++code) EXPECT_EQ(Game::listCodeToType(code), types[code]);

    g.s_scriptObjects = list({object(1, 29, {{9, 4}}), object(2, 24, {{9, 4}}), object(3, 29, {{9, 4}})});
    EXPECT_EQ(Game::findType29ById(4, 0), 0);
    EXPECT_EQ(Game::findType29ById(4, 1), 2);
    EXPECT_EQ(Game::findType29ById(4, 3), -1);
    EXPECT_EQ(Game::findType29ById(5, 0), -1);
}

TEST_F(ObjectListsTest, FindIndexStopsAtTheFirstNonNegativeAnswer) {
    auto records = [](std::vector<Ints> rows) {
        ObjectArray* a = om()->newObjectArray(mrc::kClass_IntArray, static_cast<int32_t>(rows.size()));
        for (std::size_t i = 0; i < rows.size(); ++i) a->elements()[i] = params(2, {{0, rows[i][0]}, {1, rows[i][1]}});
        return a;
    };
    EXPECT_EQ(Game::findIndex(records({{5, -1}, {5, 7}}), 5), 7);
    EXPECT_EQ(Game::findIndex(records({{5, 3}, {5, 7}}), 5), 3);
    EXPECT_EQ(Game::findIndex(records({{4, 3}, {5, -2}}), 5), -2);  // the last negative answer
    EXPECT_EQ(Game::findIndex(records({{4, 3}}), 5), -1);
    EXPECT_EQ(Game::findIndex(nullptr, 5), -1);
}

TEST_F(ObjectListsTest, SortsTheDisplayListByKey) {
    fillDisplayList({30, 10, 20});
    Game::sortDisplayList(0, 2);
    EXPECT_EQ(keysOf(Game::flowStatics.s_displayList, 3), (Ints{10, 20, 30}));

    // Full lists of random keys with many repeats, and sub-ranges that leave the rest alone.
    std::mt19937 random(7);
    for (int32_t round = 0; round < 40; ++round) {
        const int32_t n = 1 + static_cast<int32_t>(random() % Game::kDisplayListLength);
        Ints keys(static_cast<std::size_t>(n));
        for (int32_t& k : keys) k = static_cast<int32_t>(random() % (round % 2 ? 5 : 100000)) - 2;
        fillDisplayList(keys);
        const int32_t lo = round % 3 == 0 ? static_cast<int32_t>(random() % static_cast<uint32_t>(n)) : 0;
        Game::sortDisplayList(lo, n - 1);
        Ints expected = keys;
        std::sort(expected.begin() + lo, expected.end());
        EXPECT_EQ(keysOf(Game::flowStatics.s_displayList, n), expected) << "round " << round;
    }
}

TEST_F(ObjectListsTest, TalliesCountKindsAndCountersUpTo250) {
    GameStateStatics::StateStatics& g = Game::stateStatics;
    g.savedCounters->elements()[2] = 17;
    ObjectArray* type5 = list({object(1, 5, {{3, 4}}), object(2, 5, {{3, 9}}), object(3, 5, {{3, 4}}),
                               nullptr, object(4, 5, {{3, 0}})});
    ObjectArray* type69 = list({object(5, 69, {{0, 0}}), object(6, 69, {{0, 1}}), object(7, 69, {{0, 1}}),
                                object(8, 69, {{0, 2}})});
    Game::tallyLevelCollectibles(type5, type69);
    Ints counts(g.kindCounts->elements(), g.kindCounts->elements() + 15);
    Ints expectedCounts(15, -1);
    expectedCounts[0] = expectedCounts[4] = 0;
    EXPECT_EQ(counts, expectedCounts);
    EXPECT_EQ(g.kindIndex->elements()[4], 0);
    EXPECT_EQ(g.kindIndex->elements()[0], 4);
    EXPECT_EQ(g.kindIndex->elements()[1], -1);  // 0xFFFF
    EXPECT_EQ(counters(), (Ints{0, 2, 17, 0, 0, 0, 0, 1, 0, 2, 0}));

    EXPECT_EQ(Game::findNextPresentKind(0), 0);
    EXPECT_EQ(Game::findNextPresentKind(1), 4);
    EXPECT_EQ(Game::findNextPresentKind(5), -1);
    EXPECT_EQ(Game::findNextPresentKind(15), -1);
    CObject* collectible = object(9, 5, {{3, 4}});
    Game::incKindCount(collectible);
    EXPECT_EQ(g.kindCounts->elements()[4], 1);
    Game::incKindCount(object(9, 5, {{3, 5}}));  // absent kind (255): stays
    EXPECT_EQ(g.kindCounts->elements()[5], -1);
    g.kindCounts->elements()[4] = static_cast<int8_t>(254);
    Game::incKindCount(collectible);
    EXPECT_EQ(g.kindCounts->elements()[4] & 0xFF, 255);

    struct Case {
        int32_t stored, read, after;
    };
    const Case cases[] = {{0, 0, 1}, {249, 249, 250}, {250, 250, 250}, {253, 250, 253}, {254, 250, 254},
                          {255, -1, 0}};  // 255 turns into 0
    for (const Case& c : cases) {
        g.savedCounters->elements()[3] = static_cast<int8_t>(c.stored);
        EXPECT_EQ(Game::lookupByte(3), c.read) << c.stored;
        EXPECT_EQ(Game::incSavedCounter(3), c.read);
        EXPECT_EQ(g.savedCounters->elements()[3] & 0xFF, c.after) << c.stored;
    }
}

TEST_F(ObjectListsTest, PoolsSlotsSparksAndTheCellTable) {
    GameObjectStatics& g = Game::objects;
    for (int32_t i = 0; i < 17; ++i) g.s_levelPool->elements()[i] = object(i, 40);
    g.s_levelPoolSlots->elements()[2] = 5;
    g.s_levelPoolSlots->elements()[3] = -1;
    Game::releasePoolSlot(2);
    EXPECT_EQ(static_cast<CObject*>(g.s_levelPool->elements()[5])->m_type, -1);
    EXPECT_EQ(g.s_levelPoolSlots->elements()[2], -1);
    Game::releasePoolSlot(3);
    EXPECT_EQ(static_cast<CObject*>(g.s_levelPool->elements()[0])->m_type, 40);
    Game::resetPooledObjects();
    for (int32_t i = 0; i < 17; ++i) EXPECT_EQ(static_cast<CObject*>(g.s_levelPool->elements()[i])->m_type, -1);
    for (int32_t i = 0; i < 13; ++i) EXPECT_EQ(g.s_levelPoolSlots->elements()[i], -1);

    g.s_sparkList = params(4, {{0, 3}, {2, 8}});
    g.s_sparkCount = 2;
    Game::clearSparks();
    EXPECT_EQ(Ints(g.s_sparkList->elements(), g.s_sparkList->elements() + 4), Ints(4, -1));
    EXPECT_EQ(g.s_sparkCount, 0);

    ObjectArray* grid = om()->newObjectArray(mrc::kClass_IntArray, 2);
    IntArray* row = params(3);
    grid->elements()[0] = row;
    g.s_speakers = grid;
    Game::releaseLevelGrid();
    EXPECT_EQ(g.s_speakers, nullptr);
    EXPECT_EQ(grid->elements()[0], nullptr);
    Game::releaseLevelGrid();  // no table: nothing

    g.s_routeLength = om()->newByteArray(4);
    g.s_routeLength->elements()[2] = 6;
    g.s_freeRoutes = 1;
    Game::clearByteAt(2);
    Game::clearByteAt(-1);
    EXPECT_EQ(g.s_routeLength->elements()[2], 0);
    EXPECT_EQ(g.s_freeRoutes, 2);
}

TEST_F(ObjectListsTest, ScriptCommandsUntilTheFirstWait) {
    LayoutStatics& g = Game::layouts;
    // Script 0: two commands (lengths 1 and 0), then a wait; script 1 starts at the wait.
    const std::vector<uint8_t> code = {10, 1, 0, 0, 20, 0, 170, 0};
    g.s_scriptBytes = bytes(code);
    g.s_scriptOffsets = params(2, {{0, 0}, {1, 6}});
    g.s_scriptCommandCounts = om()->newByteArray(2);
    struct Case {
        int32_t script, count;
        bool expected;
    };
    for (const Case& c : {Case{0, 2, true}, Case{0, 3, false}, Case{1, 1, false}, Case{1, 0, true}, Case{1, -1, true}}) {
        g.s_scriptCommandCounts->elements()[c.script] = static_cast<int8_t>(c.count);
        EXPECT_EQ(Game::countLevelEntries(c.script), c.expected) << c.script << "/" << c.count;
    }
}

TEST_F(ObjectListsTest, SmallParameterOperations) {
    const std::pair<int32_t, int32_t> keyParams[] = {{10, 9}, {11, 9}, {17, 9}, {20, 9}, {12, 10}, {13, 12}, {61, 12},
                                                     {63, 12}, {15, 16}, {21, 17}, {62, 13}, {302, 8}};
    for (auto [type, index] : keyParams) EXPECT_EQ(Game::getTypeKeyParam(object(1, type, {{index, 77}})), 77) << type;
    EXPECT_EQ(Game::getTypeKeyParam(object(1, 5, {{0, 77}})), 0);

    IntArray* p = params(50);
    Game::setParamForType(p, 4, 0);
    Game::setParamForType(p, 5, 5);
    Game::setParamForType(p, 6, 40);
    Game::setParamForType(p, 7, 41);
    EXPECT_EQ((Ints{p->elements()[11], p->elements()[46], p->elements()[33]}), (Ints{4, 5, 6}));
    Game::clearParamLinks(p);
    EXPECT_EQ((Ints{p->elements()[16], p->elements()[18], p->elements()[19], p->elements()[17]}), (Ints{-1, -1, -1, 0}));

    CObject* o = object(1, 20, {{18, 0x12345678}}, 50, 10, 0);
    Game::setParam18Low(o, 0x7777ABCD);
    EXPECT_EQ(o->param(18), 0x1234ABCD);
    Game::orParam18High(o, 0x4001FFFF);
    EXPECT_EQ(o->param(18), 0x5235ABCD);
    Game::setDirectionTowardsX(o, 5 << 14, 22, 23, 0);
    EXPECT_EQ(o->param(22), -1 << 14);
    Game::setDirectionTowardsX(o, 10 << 14, 22, 23, 1);
    EXPECT_EQ(o->param(22), -1 << 14);
    Game::setDirectionTowardsX(o, 11 << 14, 22, 23, 0);
    EXPECT_EQ(o->param(22), 1 << 14);
    EXPECT_EQ(o->param(23), 0);

    EXPECT_TRUE(Game::isSpecialListedObject(object(1, 15, {{8, 1}})));
    EXPECT_FALSE(Game::isSpecialListedObject(object(1, 1, {{8, 2}})));
    EXPECT_TRUE(Game::isSpecialListedObject(object(1, 61, {{13, 1}})));
    EXPECT_TRUE(Game::isSpecialListedObject(object(1, 13, {{11, 1}})));
    EXPECT_FALSE(Game::isSpecialListedObject(object(1, 13, {{11, 0}})));
    EXPECT_FALSE(Game::isSpecialListedObject(object(1, 5, {{8, 1}})));

    GameObjectStatics& g = Game::objects;
    g.s_selectedObject = object(1, 15, {{9, 3}});
    EXPECT_TRUE(Game::isScriptObjectFree());
    g.s_selectedObjectFlag = true;
    EXPECT_FALSE(Game::isScriptObjectFree());
    g.s_selectedObject->setParam(9, 2);
    EXPECT_TRUE(Game::isScriptObjectFree());
}

TEST_F(ObjectListsTest, PlacesThePlayerBesideTheSelectedObject) {
    GameObjectStatics& g = Game::objects;
    g.s_player = object(0, 0);
    struct Case {
        int32_t type, side, x, y;
    };
    // The selected object at (100, 200): its cell centre (116, 216); n = 2.
    const Case cases[] = {{1, 0, 180, 184}, {1, 1, 180, 216}, {15, 1, 180, 216 + 96}, {1, 2, 84, 280},
                          {1, 3, 116, 280}, {15, 3, 116 + 128, 280}, {1, 9, 116, 216}};
    for (const Case& c : cases) {
        g.s_selectedObject = object(1, c.type, {{2, 4}, {3, 3}}, 50, 100, 200);
        Game::placePlayerBeside(c.side, 2);
        EXPECT_EQ(g.s_player->m_sprite->x, c.x << 14) << c.type << "/" << c.side;
        EXPECT_EQ(g.s_player->m_sprite->y, c.y << 14) << c.type << "/" << c.side;
    }
}

TEST_F(ObjectListsTest, SpriteSlotsGiveObjectsTheirSprites) {
    GameObjectStatics& g = Game::objects;
    Game::stateStatics.sprites = om()->newObjectArray(mrc::kClass_ASprite, 6);
    for (int32_t i = 0; i < 6; ++i) Game::stateStatics.sprites->elements()[i] = mrc::newObject<ASprite>();
    g.s_spriteSlots = om()->newByteArray(200);
    for (int32_t i = 0; i < 200; ++i) g.s_spriteSlots->elements()[i] = -1;
    g.s_spriteSlots->elements()[(6 - 4) * 30 + 3] = 2;
    g.s_spriteSlots->elements()[24 + 1] = 4;
    EXPECT_EQ(Game::getSpriteSlot(6, 3), 2);
    EXPECT_EQ(Game::getSpriteSlot(5, 3), -1);
    struct Case {
        int32_t group, index;
        int32_t sprite;  // -1: none given
    };
    for (const Case& c : {Case{6, 3, 2}, Case{8, 1, 4}, Case{26, 5, 5}, Case{5, 3, -1}}) {
        CObject* o = object(1, 29, {{0, c.group}, {1, c.index}});
        Game::applySpriteToObject(o);
        EXPECT_EQ(o->m_sprite->sprite, c.sprite < 0 ? nullptr : Game::stateStatics.sprites->elements()[c.sprite]) << c.group;
    }
}

TEST_F(ObjectListsTest, LevelSpritesAreDroppedButTheSharedOnesKept) {
    GameObjectStatics& g = Game::objects;
    ObjectArray* sprites = om()->newObjectArray(mrc::kClass_ASprite, 20);
    Game::stateStatics.sprites = sprites;
    for (int32_t i = 0; i < 20; ++i) sprites->elements()[i] = mrc::newObject<ASprite>();
    Object* shared = sprites->elements()[10];
    sprites->elements()[12] = shared;  // another slot of the kept sprite
    g.s_spriteSlots = bytes({0xFF, 12, 3, 11, 0xFF, 18});
    CObject::statics.s_itemSprites->elements()[1] = sprites->elements()[3];

    Game::releaseLevelSprites(false);
    EXPECT_EQ(CObject::statics.s_itemSprites->elements()[1], nullptr);
    EXPECT_NE(sprites->elements()[18], nullptr);

    Game::releaseLevelSprites(true);
    for (int32_t slot : {18, 19, 3}) EXPECT_EQ(sprites->elements()[slot], nullptr) << slot;
    for (int32_t slot : {10, 11, 12, 0}) EXPECT_NE(sprites->elements()[slot], nullptr) << slot;
    EXPECT_EQ((std::vector<int8_t>(g.s_spriteSlots->elements(), g.s_spriteSlots->elements() + 6)),
              (std::vector<int8_t>{-1, 12, -1, 11, -1, 18}));  // slot 18 was already dropped: its byte stays
}

TEST_F(ObjectListsTest, SharedSpritesDrawFromTheSourcesData) {
    ObjectArray* sprites = om()->newObjectArray(mrc::kClass_ASprite, 6);
    Game::stateStatics.sprites = sprites;
    for (int32_t i = 0; i < 6; ++i) sprites->elements()[i] = mrc::newObject<ASprite>();
    auto* source = static_cast<ASprite*>(sprites->elements()[1]);
    source->paletteCount = 2;
    source->moduleCount = 3;
    source->moduleX = om()->newShortArray(3);
    source->palettes = om()->newObjectArray(mrc::kClass_IntArray, 2);
    source->paletteCacheMode = params(2, {{0, 1}, {1, 1}});
    source->currentPalette = 1;
    Game::objects.s_spriteSlots = bytes({0xFF, 4, 5, 0xFF});

    Game::shareSpriteData(1, 1, 4, false);  // resources 1-3: slots 4 and 5
    ASSERT_NE(source->moduleImageCache, nullptr);
    EXPECT_EQ(source->moduleImageCache->length, 2);
    EXPECT_EQ(static_cast<ObjectArray*>(source->moduleImageCache->elements()[1])->length, 3);
    EXPECT_EQ((Ints{source->paletteCacheMode->elements()[0], source->paletteCacheMode->elements()[1]}),
              (Ints{ASprite::kCacheImages, ASprite::kCacheImages}));
    for (int32_t slot : {4, 5}) {
        auto* target = static_cast<ASprite*>(sprites->elements()[slot]);
        EXPECT_EQ(target->moduleX, source->moduleX);
        EXPECT_EQ(target->palettes, source->palettes);
        EXPECT_EQ(target->moduleImageCache, source->moduleImageCache);
        EXPECT_EQ(target->paletteCacheMode, source->paletteCacheMode);
        EXPECT_EQ(target->paletteCount, 2);
        EXPECT_EQ(target->currentPalette, 0);
    }
    EXPECT_EQ(static_cast<ASprite*>(sprites->elements()[2])->moduleX, nullptr);

    Game::shareSpriteData(1, 2, 4, true);  // slots 2 and 3
    EXPECT_EQ(static_cast<ASprite*>(sprites->elements()[3])->moduleX, source->moduleX);
    EXPECT_EQ(static_cast<ASprite*>(sprites->elements()[0])->moduleX, nullptr);
    Game::shareSpriteData(-1, 0, 6, true);  // no source: nothing
    EXPECT_EQ(static_cast<ASprite*>(sprites->elements()[0])->moduleX, nullptr);
}

TEST_F(ObjectListsTest, EmitterSlotsAndTheirDrawKeys) {
    GameObjectStatics& g = Game::objects;
    g.s_slotRecords = om()->newObjectArray(mrc::kClass_IntArray, 2);
    for (int32_t i = 0; i < 2; ++i) g.s_slotRecords->elements()[i] = params(14, {{3, 1}, {4, 1}, {11, 100}, {12, 50}});
    g.s_emitterPool = list({object(1, 303, {{0, 0}}, 50, 10, 20), object(2, 303, {{0, 1}}, 50, 30, 40)});
    CObject* owner18 = object(3, 18, {{7, 0}, {5, 4}});
    g.s_slotOwners = list({owner18, object(4, 86, {}, 50, 1, 2)});
    auto record = [&](int32_t slot) { return static_cast<IntArray*>(g.s_slotRecords->elements()[slot]); };

    EXPECT_EQ(Game::slotDrawKey(static_cast<CObject*>(g.s_emitterPool->elements()[0])), 20 * 256 + 10);
    EXPECT_EQ(Game::slotDrawKey(static_cast<CObject*>(g.s_emitterPool->elements()[1])), 2 * 256 + 1);  // owner's
    record(1)->elements()[5] = 12;
    EXPECT_EQ(Game::slotDrawKey(static_cast<CObject*>(g.s_emitterPool->elements()[1])), 40 * 256 + 30 + 123680);

    Game::setEntry(1, 5 << 14, -(3 << 14));
    EXPECT_EQ(record(1)->elements()[0], 100 + (5 << 14));
    EXPECT_EQ(static_cast<CObject*>(g.s_emitterPool->elements()[1])->m_sprite->y, 50 - (3 << 14));
    Game::setEntry(2, 1, 1);  // outside the records: nothing
    Game::clearEntry(0);
    Game::setEntryValue(0, 9);
    EXPECT_EQ(record(0)->elements()[3], 0);
    EXPECT_EQ(record(0)->elements()[13], 9);

    Game::freeSlotRecord(0);
    EXPECT_EQ(record(0)->elements()[4], 0);
    EXPECT_EQ(owner18->param(7), -1);  // its link to slot 0 dropped
    EXPECT_EQ(g.s_slotOwners->elements()[0], nullptr);
    EXPECT_EQ(static_cast<CObject*>(g.s_emitterPool->elements()[0])->param(0), -1);
}

TEST_F(ObjectListsTest, ClearingTheObjectListsZeroesTheCountsAndNullsOnlyOnRequest) {
    Game::FlowStatics& f = Game::flowStatics;
    Game::grids.s_viewObjects = om()->newObjectArray(mrc::kClass_CObject, 20);
    std::vector<ObjectArray*> lists = {f.s_displayList, f.objectPool40,   f.objectPool15, Game::grids.s_viewObjects,
                                       f.objectPool20B, f.objectPool60A};
    auto fill = [&] {
        for (ObjectArray* a : lists) {
            a->elements()[0] = object(1, 5);
            a->elements()[a->length - 1] = object(2, 5);
        }
        f.s_displayCount = 7;
        f.s_hitListACount = 3;
        f.s_type0Count = 1;
        f.s_specialCount = 2;
        f.s_frontType5Count = 3;
        f.s_type20Count = 4;
        Game::grids.s_viewObjectCount = 5;
    };
    auto counts = [&] {
        return Ints{f.s_displayCount,    f.s_hitListACount, f.s_type0Count, f.s_specialCount,
                    f.s_frontType5Count, f.s_type20Count,   Game::grids.s_viewObjectCount};
    };

    fill();
    Game::clearObjectLists(false);
    EXPECT_EQ(counts(), Ints(7, 0));
    for (ObjectArray* a : lists) {
        EXPECT_NE(a->elements()[0], nullptr);
        EXPECT_NE(a->elements()[a->length - 1], nullptr);
    }

    fill();
    Game::clearObjectLists(true);
    EXPECT_EQ(counts(), Ints(7, 0));
    for (ObjectArray* a : lists)
        for (int32_t i = 0; i < a->length; ++i) EXPECT_EQ(a->elements()[i], nullptr) << a->length << " " << i;

    Game::grids.s_viewObjects = nullptr;  // a missing list is skipped
    Game::clearObjectLists(true);
    EXPECT_EQ(f.s_displayList->elements()[0], nullptr);
}

TEST_F(ObjectListsTest, LayerSpritesTakeTheHeaderPalettesTheyHave) {
    ObjectArray* sprites = om()->newObjectArray(mrc::kClass_ASprite, 4);
    Game::stateStatics.sprites = sprites;
    for (int32_t i = 0; i < 4; ++i) sprites->elements()[i] = mrc::newObject<ASprite>();
    auto* layer0 = static_cast<ASprite*>(sprites->elements()[3]);
    auto* layer1 = static_cast<ASprite*>(sprites->elements()[1]);
    layer0->paletteCount = 3;
    layer1->paletteCount = 2;
    GameTiles::tileStatics.mapLayerSprite = bytes({3, 1});
    GameTiles::tileStatics.mapLayerCount = 1;
    Game::levelView.s_levelHeader = bytes({0, 0, 2, 0, 0, 0, 100, 100, 0, 0, 1});

    Game::applyLayerPalettes();  // one layer: layer 1's sprite is left alone
    EXPECT_EQ(layer0->currentPalette, 2);
    EXPECT_EQ(layer1->currentPalette, 0);

    GameTiles::tileStatics.mapLayerCount = 2;
    Game::applyLayerPalettes();
    EXPECT_EQ(layer0->currentPalette, 2);
    EXPECT_EQ(layer1->currentPalette, 1);

    Game::levelView.s_levelHeader = bytes({0, 0, 3, 0, 0, 0, 100, 100, 0, 0, 2});  // at the palette counts: kept
    Game::applyLayerPalettes();
    EXPECT_EQ(layer0->currentPalette, 2);
    EXPECT_EQ(layer1->currentPalette, 1);

    Game::levelView.s_levelHeader = bytes({0, 0, 0, 0, 0, 0, 100, 100, 0, 0, 0});
    Game::applyLayerPalettes();
    EXPECT_EQ(layer0->currentPalette, 0);
    EXPECT_EQ(layer1->currentPalette, 0);
    for (int32_t i : {0, 2}) EXPECT_EQ(static_cast<ASprite*>(sprites->elements()[i])->currentPalette, 0);
}

}  // namespace
