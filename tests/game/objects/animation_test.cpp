#include <gtest/gtest.h>

#include "framework/sprite/sprite.h"
#include "game/pending.h"
#include "tests/game/cell_grid_fixture.h"

namespace {

using namespace mrc;
using test::CellGridTest;

constexpr int32_t kUp = 258, kDown = 16388, kLeft = 1032, kRight = 4112;

// A sprite of `count` animations, each one frame of the one frame, shown for `time` steps.
formats::SpriteData spriteWith(int32_t count, uint8_t time = 1) {
    formats::SpriteData s;
    s.modules.push_back({formats::ModuleKind::Image, 1, 1, 0, 0, 0, {0}, {}});
    s.frames.push_back({{{0, 0, 0, 0}}, {}, {}});
    for (int32_t i = 0; i < count; ++i) s.animations.push_back({{0, time, 0, 0, 0}});
    s.palettes = {{0xFF00FF00u}};
    return s;
}

class AnimationTest : public CellGridTest {
protected:
    void SetUp() override {
        CellGridTest::SetUp();
        seen().clear();
        game_pending::observer = [](const char* name) { seen().push_back(name); };
    }
    void TearDown() override {
        game_pending::observer = nullptr;
        CellGridTest::TearDown();
    }
    static std::vector<std::string>& seen() {
        static std::vector<std::string> names;
        return names;
    }
    static void setCell(int32_t c, int32_t r, int32_t v) {
        static_cast<ShortArray*>(Game::grids.s_levelGrid->elements()[c])->elements()[r] = static_cast<int16_t>(v);
    }
    static int32_t cell(int32_t c, int32_t r) {
        return static_cast<ShortArray*>(Game::grids.s_levelGrid->elements()[c])->elements()[r];
    }
    // An actor with an 80-animation sprite, running animation 79 with some time on it.
    CObject* actor(std::map<int32_t, int32_t> values = {}) {
        CObject* o = object(1, 5, values);
        o->m_sprite->sprite = newSprite(spriteWith(80));
        o->m_sprite->setAnim(79);
        o->m_sprite->time = 5;
        return o;
    }
};

// ---- actors ---------------------------------------------------------------------------------------

TEST_F(AnimationTest, ActorAnimationByStateAndFacing) {
    struct Case {
        int32_t state, sub, facing, offset, anim;
    };
    const Case cases[] = {
        {0, 1, kLeft, -1, 14}, {0, 0, kLeft, -1, 2},   {1, 0, kRight, -1, 61}, {3, 0, kDown, -1, 17},
        {4, 0, kUp, -1, 16},   {5, 3, kLeft, -1, 79},  {5, 1, kLeft, -1, 10},  {5, 0, kLeft, -1, 32},
        {6, 0, kLeft, -1, 22}, {6, 1, kLeft, -1, 26},  {6, 2, kLeft, -1, 2},   {8, 0, kLeft, -1, 28},
        {8, 0, kUp, -1, 28},   {11, 0, kRight, -1, 41}, {12, 0, kDown, -1, 13}, {14, 0, kLeft, -1, 6},
        {15, 0, kLeft, -1, 36}, {2, 0, kRight, -1, 3}, {7, 0, 4370, -1, 0},
        {5, 3, kLeft, 10, 12},  // an offset wins over the state
        {0, 0, kRight, 77, 79}, // 80 is past the sprite: nothing changes
    };
    for (const Case& c : cases) {
        CObject* o = actor({{CObject::PARAM_STATE, c.state}, {CObject::PARAM_SUBSTATE, c.sub},
                            {CObject::PARAM_FACING, c.facing}});
        CObject::selectAnimByState(o, c.offset);
        EXPECT_EQ(o->m_sprite->anim, c.anim) << c.state << "/" << c.sub << " " << c.facing;
        EXPECT_EQ(o->m_sprite->time, c.anim == 79 ? 5 : 0) << c.state;
    }
    // The current animation computed again restarts nothing.
    CObject* o = actor({{CObject::PARAM_STATE, 8}});
    CObject::selectAnimByState(o, -1);
    o->m_sprite->time = 3;
    CObject::selectAnimByState(o, -1);
    EXPECT_EQ(o->m_sprite->time, 3);
    // The unguarded family restarts past the sprite anyway.
    o->setAnim(200);
    EXPECT_EQ(o->m_sprite->anim, 200);
    CObject::setAnimForDirection(o, 10);
    EXPECT_EQ(o->m_sprite->anim, 10);
}

TEST_F(AnimationTest, OffsetsMapTheirBaseForTemplatedObjects) {
    ObjectArray* templates = om()->newObjectArray(kClass_CObject, 2);
    Game::objects.s_templates = templates;
    templates->elements()[0] = object(10, 80, {{8, 0}});
    templates->elements()[1] = object(11, 80, {{8, 1}});
    struct Case {
        int32_t record, state, base, mode, anim;
    };
    const Case cases[] = {
        {-1, 3, 16, 3, 19}, {-1, 0, 14, 0, 14}, {0, 3, 0, 1, 45},  {0, 3, 14, 1, 45}, {1, 3, 2, 0, 46},
        {0, 5, 16, 1, 49},  {1, 5, 20, 0, 52},  {0, 0, 24, 1, 57}, {1, 0, 28, 0, 60}, {0, 0, 32, 1, 65},
        {1, 0, 36, 0, 68},  {0, 0, 5, 1, 6},
    };
    for (const Case& c : cases) {
        CObject* o = actor({{CObject::PARAM_RECORD, c.record}});
        o->setAnimOffsetB(c.state, c.base);
        EXPECT_EQ(o->param(CObject::PARAM_MODE), c.mode) << c.record << " " << c.base;
        EXPECT_EQ(o->m_sprite->anim, c.anim) << c.record << " " << c.base;
        EXPECT_EQ(o->m_sprite->loops, 0);
    }
    CObject* o = actor({{CObject::PARAM_RECORD, -1}, {CObject::PARAM_MODE, 4}});
    o->setStateIfChanged(4, 16);
    EXPECT_EQ(o->m_sprite->anim, 79);
    o->setStateIfChanged(2, 16);
    EXPECT_EQ(o->m_sprite->anim, 18);
    EXPECT_EQ(o->m_sprite->loops, -1);
}

TEST_F(AnimationTest, RestartFamilyWritesItsParameters) {
    CObject* o = actor({{8, 1}, {CObject::PARAM_FLAGS, 2}, {13, 9}});
    o->setAnimVariant(3);
    EXPECT_EQ(o->m_sprite->anim, 35);
    o->setAnim20();
    EXPECT_EQ(o->m_sprite->anim, 52);
    EXPECT_EQ(o->param(13), 0);
    o->setAnimFacing1();
    EXPECT_EQ(o->m_sprite->anim, 5);
    o->setAnim14Or16();
    EXPECT_EQ(o->m_sprite->anim, 14);
    o->setAnim(15);
    o->setAnim14Or16();
    EXPECT_EQ(o->m_sprite->anim, 16);
    o->restartAnim();
    EXPECT_EQ(o->m_sprite->anim, 0);
    EXPECT_EQ(o->param(21), 1);
    EXPECT_EQ(o->param(27), 9);
    for (int32_t i : {28, 37, 38, 39}) EXPECT_EQ(o->param(i), -1) << i;
    o->setAnim0();
    EXPECT_EQ(o->param(12), -1);
    CObject::statics.s_interactionMode = 3;
    o->setAnim76();
    EXPECT_EQ(CObject::statics.s_interactionMode, 0);

    ObjectArray* templates = om()->newObjectArray(kClass_CObject, 3);
    Game::objects.s_templates = templates;
    for (int32_t i = 0; i < 3; ++i) templates->elements()[i] = object(10 + i, 80, {}, 50, 5, 5);
    CObject* hider = actor({{11, 0}, {12, 2}, {13, 0}});
    hider->setAnim58();
    EXPECT_EQ(hider->m_sprite->anim, 58);
    EXPECT_EQ(hider->m_sprite->loops, 0);
    EXPECT_EQ(static_cast<CObject*>(templates->elements()[0])->m_sprite->x, -16384000);
    EXPECT_EQ(static_cast<CObject*>(templates->elements()[2])->m_sprite->y, -16384000);
    EXPECT_EQ(static_cast<CObject*>(templates->elements()[1])->m_sprite->x, 5 << 14);

    // Leader actors switch through the layer maps only for params[1] == 1.
    ObjectArray* maps = om()->newObjectArray(kClass_ObjectArray, 4);
    CObject::statics.s_layerMaps = maps;
    for (int32_t r = 0; r < 4; ++r) {
        ObjectArray* entry = om()->newObjectArray(kClass_ShortArray, 1);
        maps->elements()[r] = entry;
        ShortArray* first = om()->newShortArray(1);
        entry->elements()[0] = first;
        first->elements()[0] = static_cast<int16_t>(40 + r);
    }
    CObject* leader = actor({{1, 1}, {16, 0}, {17, 2}, {19, 3}});
    leader->onHit(2);
    EXPECT_EQ(leader->m_sprite->anim, 42);
    EXPECT_EQ(leader->param(16), 2);
    EXPECT_EQ(leader->param(21), 2);
    leader->onHit(4);
    EXPECT_EQ(leader->m_sprite->anim, 43);
    EXPECT_EQ(leader->param(16), 3);
    leader->setParam(17, 3);
    leader->m_sprite->setAnim(1);
    leader->restoreActorAnim();  // 17 == 19: nothing
    EXPECT_EQ(leader->m_sprite->anim, 1);
    EXPECT_EQ(leader->param(21), 1);
    CObject* follower = actor({{1, 0}});
    follower->setActorAnim(2);
    EXPECT_EQ(follower->param(16), 2);
    EXPECT_EQ(follower->m_sprite->anim, 79);
}

TEST_F(AnimationTest, EndOfAnimationChainsPinThenSwitch) {
    struct Case {
        int32_t anim, mode, next;
        void (CObject::*op)();
    };
    const Case cases[] = {
        {14, 1, 16, &CObject::ifAnim14}, {14, 2, 15, &CObject::ifAnim14}, {17, 4, 13, &CObject::ifAnim17},
        {17, 0, 12, &CObject::ifAnim17}, {18, 0, 19, &CObject::ifAnim18},
    };
    for (const Case& c : cases) {
        CObject* o = actor({{CObject::PARAM_MODE, c.mode}});
        o->m_sprite->setAnim(c.anim);
        (o->*c.op)();
        EXPECT_EQ(o->m_sprite->anim, c.anim);  // still running
        o->m_sprite->ended = 1;
        (o->*c.op)();
        EXPECT_EQ(o->m_sprite->anim, c.next);
        o->m_sprite->setAnim(c.anim + 1);
        o->m_sprite->ended = 1;
        (o->*c.op)();
        EXPECT_EQ(o->m_sprite->anim, c.anim + 1);  // another animation: not its business
    }
    // Mode 1 with variant 6 at the end, except in the kept mode 10.
    CObject* o = actor({{CObject::PARAM_SUBKIND, 3}, {CObject::PARAM_FLAGS, 1}});
    o->m_sprite->ended = 1;
    o->lastFrameB();
    EXPECT_EQ(o->param(CObject::PARAM_SUBKIND), 1);
    EXPECT_EQ(o->m_sprite->anim, 22);
    o->setParam(CObject::PARAM_SUBKIND, 10);
    o->m_sprite->ended = 1;
    o->lastFrameC();
    EXPECT_EQ(o->param(CObject::PARAM_SUBKIND), 10);
    EXPECT_EQ(o->m_sprite->anim, 22);

    CObject* phase = actor({{13, 7}, {CObject::PARAM_FLAGS, 0}});
    phase->onStateAnim();
    EXPECT_EQ(phase->m_sprite->anim, 79);
    phase->m_sprite->ended = 1;
    phase->onStateAnim();
    EXPECT_EQ(phase->m_sprite->anim, 12);
    EXPECT_EQ(phase->param(13), 0);

    CObject* once = actor({{0, 1}});
    once->m_sprite->ended = 1;
    once->finishOnce();
    EXPECT_EQ(once->param(0), 0);
    EXPECT_EQ(Game::stateStatics.redraw, 1);
}

TEST_F(AnimationTest, BarriersCountEachKindOnceAndClearTheirCells) {
    useLevel(empty());
    for (int32_t c : {2, 3})
        for (int32_t r : {1, 2}) setCell(c, r, 0xA);
    CObject* b = actor({{CObject::PARAM_MODE, 2}, {7, 50}, {CObject::PARAM_FLAGS, 1}});
    struct Hit {
        int32_t damage, kind, strength, mask;
    };
    const Hit hits[] = {{10, 0, 40, 2}, {10, 1, 40, 2}, {10, 5, 40, 2}, {5, 9, 35, 10}, {5, 10, 35, 10},
                        {7, 3, 28, 14}, {7, 4, 28, 14}};
    for (const Hit& h : hits) {
        b->hitBarrier(h.damage, 99, h.kind);
        EXPECT_EQ(b->param(7), h.strength) << h.kind;
        EXPECT_EQ(b->param(CObject::PARAM_FLAGS), h.mask) << h.kind;
    }
    b->setParam(CObject::PARAM_FLAGS, 0);
    b->setParam(7, 101);
    b->hitBarrier(200, 0, 0);
    EXPECT_EQ(b->param(7), 101);
    b->setParam(CObject::PARAM_MODE, 3);
    b->setParam(7, 5);
    b->hitBarrier(200, 0, 0);
    EXPECT_EQ(b->param(7), 5);

    // Breaking it clears bit 8 of the cells above it: columns 2..3, rows 1..2 for a barrier in (2, 3).
    b->setParam(CObject::PARAM_MODE, 2);
    b->setParam(8, 2);
    b->setParam(9, 2);
    b->m_sprite->setPosition(70, 100);
    b->hitBarrier(5, 0, 0);
    EXPECT_EQ(b->param(CObject::PARAM_MODE), 5);
    EXPECT_EQ(b->m_sprite->anim, 18);
    for (int32_t c : {2, 3})
        for (int32_t r : {1, 2}) EXPECT_EQ(cell(c, r), 0x2) << c << "," << r;

    // Cells left of the grid or above it are skipped; the rest lose the bit.
    useLevel(empty());
    for (int32_t c : {0, 1})
        for (int32_t r : {0, 1}) setCell(c, r, 0xA);
    CObject* edge = actor({{8, 2}, {9, 3}});
    edge->m_sprite->setPosition(-20, 40);  // column -1, row 1: rows -2..0
    edge->clearGridUnderBarrier();
    EXPECT_EQ(cell(0, 0), 0x2);
    EXPECT_EQ(cell(0, 1), 0xA);
    EXPECT_EQ(cell(1, 0), 0xA);
}

TEST_F(AnimationTest, BarrierCellsCountFromTheCurrentLayerWhichComesBack) {
    useLevel(empty());
    setCell(1, 1, 0x8);
    setCell(2, 1, 0xA);
    CObject* room = object(1, Game::kLayerType, {{19, 0}}, 50, 96, 0);
    Game::grids.s_layerGrids = om()->newObjectArray(kClass_ObjectArray, 1);
    Game::grids.s_layerGrids->elements()[0] = grid({"4..", "...", "..S"});
    Game::setCurrentRoom(room);
    CObject* b = actor({{8, 1}, {9, 1}});
    b->m_sprite->setPosition(96 + 32, 64);  // column 1, row 2 of the layer: level cell (1, 1)
    b->clearGridUnderBarrier();
    EXPECT_EQ(cell(1, 1), 0);
    EXPECT_EQ(cell(2, 1), 0xA);
    EXPECT_EQ(Game::overlayStatics.currentRoom, room);
    EXPECT_EQ(Game::grids.s_currentGrid, Game::grids.s_layerGrids->elements()[0]);
}

TEST_F(AnimationTest, SwitchAndPlatePhases) {
    const int32_t switchAnims[] = {43, 44, 41, 42}, plateAnims[] = {42, 43, 40, 41};
    for (int32_t p = 0; p < 4; ++p) {
        CObject* s = actor({{8, 40}, {9, 41}, {10, 42}, {11, 43}, {12, 44}});
        s->setSwitchPhase(p);
        EXPECT_EQ(s->param(CObject::PARAM_SUBSTATE), p);
        EXPECT_EQ(s->m_sprite->anim, switchAnims[p]) << p;
        EXPECT_EQ(s->m_sprite->loops, p % 2 == 1 ? 0 : -1);
        CObject* plate = actor({{8, 40}, {9, 41}, {10, 42}, {11, 43}, {12, 44}});
        plate->setPlatePhase(p);
        EXPECT_EQ(plate->param(13), p);
        EXPECT_EQ(plate->m_sprite->anim, plateAnims[p]) << p;
    }
    CObject* a = actor({{9, 7}, {6, 1}, {16, 4}});
    CObject* b = actor({{8, 8}, {6, 1}});
    CObject* other = actor();
    a->m_type = 62;
    b->m_type = 63;
    Game::updateTriggerList(list({a, b, other}));
    EXPECT_EQ(a->m_sprite->anim, 7);
    EXPECT_EQ(a->param(15), 2);
    EXPECT_EQ(a->param(16), -1);
    EXPECT_EQ(b->m_sprite->anim, 8);
    EXPECT_EQ(b->param(13), 2);
    EXPECT_EQ(b->param(6), 0);
    EXPECT_EQ(other->m_sprite->anim, 79);
}

TEST_F(AnimationTest, PlatesFollowTheCellsUnderThemWhileThePlayerPushes) {
    // A plate at cells (1, 1) and (2, 1); 'H' carries the 1024 bit.
    struct Case {
        std::string row;
        int32_t all, up, state, param, phase;
    };
    const Case cases[] = {
        {".HH.", 1, 0, 21, 5, 3},  // every cell: down
        {".H..", 1, 0, 21, 5, 9},  // one is not enough
        {".H..", 0, 0, 21, 7, 3},  // one is
        {"....", 0, 0, 21, 7, 9},
        {"....", 0, 1, 21, 5, 1},  // a raised plate with nothing on it goes up
        {".H..", 0, 1, 21, 5, 9},
        {".HH.", 1, 0, 21, 4, 9},  // the player is not pushing
        {".HH.", 1, 0, 20, 5, 9},
        {".HH.", 1, 1, 21, 5, 9},  // both set: left alone
    };
    for (const Case& c : cases) {
        std::vector<std::string> rows = empty();
        rows[1].replace(0, 4, c.row);
        useLevel(rows);
        CObject::statics.s_playerState = c.state;
        CObject::statics.s_playerStateParam = c.param;
        CObject* plate = actor({{2, 2}, {3, 1}, {6, c.up}, {7, c.all}, {9, 41}, {11, 43}, {13, 9}});
        plate->m_sprite->setPosition(32, 32);
        plate->updateBlockedPhase();
        EXPECT_EQ(plate->param(13), c.phase) << c.row << " " << c.all << " " << c.up;
    }
}

// ---- the player ----------------------------------------------------------------------------------

class PlayerAnimationTest : public AnimationTest {
protected:
    static constexpr int32_t kCommonCount = 300;  // sprite 0
    static constexpr int32_t kItemCount = 420;    // reaches 402 + the item-dependent numbers
    void SetUp() override {
        AnimationTest::SetUp();
        // Each reachable from the statics before the next allocation (the fixture is not scanned).
        common = newSprite(spriteWith(kCommonCount, 2));
        CObject::statics.s_itemSprites->elements()[0] = common;
        items = newSprite(spriteWith(kItemCount));
        CObject::statics.s_itemSprites->elements()[1] = items;
        for (int32_t i = 0; i < CObject::kItemCount; ++i) CObject::statics.s_itemMarks->elements()[i] = i == 2 ? 0 : 1;
        player = object(1, 0, {}, 50, 40, 60);
        player->m_sprite->sprite = common;
        Game::objects.s_player = player;
        Game::objects.s_currentItem = 0;
        CObject::statics.s_inputDirection = kRight;
        CObject::statics.s_itemSequence = 0;
        CObject::statics.s_comboLevel = 0;
        seen().clear();
    }
    void select(int32_t state, int32_t p, int32_t offset = -1) {
        CObject::statics.s_playerState = state;
        CObject::statics.s_playerStateParam = p;
        player->m_sprite->setAnim(0);
        player->m_sprite->time = 7;
        CObject::selectAnimation(player->m_sprite, offset);
    }
    ASprite* common = nullptr;
    ASprite* items = nullptr;
    CObject* player = nullptr;
};

TEST_F(PlayerAnimationTest, NumbersByStateWithoutTheItemSet) {
    struct Case {
        int32_t state, p, facing, anim;
    };
    const Case cases[] = {
        {6, 1, kRight, 190},  {6, 3, kRight, 199}, {6, 4, kUp, 191},   {6, 7, kLeft, 206}, {6, 9, kRight, 3},
        {9, 5, kDown, 13},    {10, 0, kRight, 51}, {10, 7, kLeft, 128}, {10, 9, kLeft, 38}, {13, 1, kRight, 23},
        {13, 2, kRight, 100}, {14, 0, kLeft, 99},  {16, 0, kRight, 227}, {16, 1, kRight, 1}, {17, 2, kUp, 120},
        {17, 1, kDown, 125},  {21, 3, kRight, 144}, {25, 8, kLeft, 14}, {26, 0, kDown, 217},
        {10, 10, kUp, 0},     // index -2: the current animation stays
        {16, 5, kDown, 0},
    };
    for (const Case& c : cases) {
        CObject::statics.s_inputDirection = c.facing;
        select(c.state, c.p);
        EXPECT_EQ(player->m_sprite->sprite, common) << c.state << "/" << c.p;
        EXPECT_EQ(player->m_sprite->anim, c.anim) << c.state << "/" << c.p;
        EXPECT_EQ(CObject::statics.s_cinematicAnim, -1);
    }
    // Play mode decides the forward phases of state 22; mode 0 plays phase 0 once.
    CObject::statics.s_inputDirection = kRight;
    Game::stateStatics.playMode = 0;
    select(22, 0);
    EXPECT_EQ(player->m_sprite->anim, 3);
    EXPECT_EQ(player->m_sprite->loops, 0);
    player->m_sprite->time = 7;
    CObject::selectAnimation(player->m_sprite, -1);
    EXPECT_EQ(player->m_sprite->time, 7);  // the same number on the same sprite: no restart
    select(22, 1);
    EXPECT_EQ(player->m_sprite->anim, 7);
    Game::stateStatics.playMode = 2;
    select(22, 0);
    EXPECT_EQ(player->m_sprite->anim, 7);
    EXPECT_EQ(player->m_sprite->loops, -1);
    // An offset adds to the direction index, on sprite 0.
    select(0, 0, 30);
    EXPECT_EQ(player->m_sprite->anim, 33);
}

TEST_F(PlayerAnimationTest, ItemSetStatesUseTheItemSpriteAndOffsets) {
    struct Case {
        int32_t item, state, p, anim, cinematic;
        bool itemSprite;
    };
    const Case cases[] = {
        {0, 1, 0, 7, -1, true},       {1, 1, 0, 271, -1, true},   {2, 1, 0, 7, -1, false},
        {3, 3, 0, 161, -1, true},     {4, 2, 0, 413, -1, true},   {1, 11, 0, 377, 287, true},
        {1, 11, 2, 3, -1, true},      // the item offset undoes the table's -264
        {3, 18, 5, 3, -1, true},      {4, 18, 0, 531, 399, true},
        {0, 19, 0, 109, 83, true},    {1, 23, 0, 397, 307, true}, {0, 13, 3, 133, 107, true},
        {6, 7, 0, 29, 3, true},
    };
    for (const Case& c : cases) {
        Game::objects.s_currentItem = c.item;
        select(c.state, c.p);
        EXPECT_EQ(player->m_sprite->sprite, c.itemSprite ? items : common) << c.item << " " << c.state;
        if (c.anim < (c.itemSprite ? kItemCount : kCommonCount))
            EXPECT_EQ(player->m_sprite->anim, c.anim) << c.item << " " << c.state;
        else
            EXPECT_EQ(player->m_sprite->anim, 0) << c.item << " " << c.state;  // past the sprite: kept
        EXPECT_EQ(CObject::statics.s_cinematicAnim, c.cinematic) << c.item << " " << c.state;
    }
}

TEST_F(PlayerAnimationTest, OverlayCodesAndSpriteChanges) {
    // State 7, action kind 0, combo 0, facing left: number 28, overlay code 2 + the item's base.
    CObject::statics.s_inputDirection = kLeft;
    Game::objects.s_currentItem = 1;
    select(7, 0);
    EXPECT_EQ(CObject::statics.s_cinematicAnim, 202);
    EXPECT_EQ(player->m_sprite->anim, 28 + 264);
    Game::objects.s_currentItem = 2;
    select(7, 0);
    EXPECT_EQ(CObject::statics.s_cinematicAnim, 2);
    EXPECT_EQ(player->m_sprite->anim, 28);
    EXPECT_EQ(player->m_sprite->sprite, common);
    // Combo levels and action kinds.
    struct Case {
        int32_t kind, level, anim;
    };
    for (const Case& c : {Case{0, 1, 40}, Case{0, 2, 52}, Case{4, 0, 64}, Case{5, 0, 96}, Case{7, 0, 66},
                          Case{8, 0, 72}, Case{6, 0, 2}}) {
        CObject::statics.s_itemSequence = c.kind;
        CObject::statics.s_comboLevel = c.level;
        select(7, 0);
        EXPECT_EQ(player->m_sprite->anim, c.anim) << c.kind << " " << c.level;
    }
    // The same number on another sprite restarts.
    Game::objects.s_currentItem = 0;  // mark 1: the item sprite
    CObject::statics.s_playerState = 1;
    player->m_sprite->sprite = common;
    player->m_sprite->setAnim(6);
    player->m_sprite->time = 4;
    CObject::selectAnimation(player->m_sprite, -1);
    EXPECT_EQ(player->m_sprite->sprite, items);
    EXPECT_EQ(player->m_sprite->anim, 6);
    EXPECT_EQ(player->m_sprite->time, 0);
    player->m_sprite->time = 4;
    CObject::selectAnimation(player->m_sprite, -1);
    EXPECT_EQ(player->m_sprite->time, 4);
    // A number past the new sprite switches the sprite and keeps the animation.
    Game::objects.s_currentItem = 4;  // 109 + 402 on the item sprite of 420
    CObject::statics.s_playerState = 19;
    player->m_sprite->sprite = common;
    player->m_sprite->setAnim(299);
    CObject::selectAnimation(player->m_sprite, -1);
    EXPECT_EQ(player->m_sprite->anim, 299);
    EXPECT_EQ(player->m_sprite->sprite, items);
    // Without the item set, sprite 0.
    CObject::statics.s_inputDirection = kRight;
    CObject::statics.s_playerState = 10;
    CObject::statics.s_playerStateParam = 7;
    CObject::selectAnimation(player->m_sprite, -1);
    EXPECT_EQ(player->m_sprite->anim, 129);
    EXPECT_EQ(player->m_sprite->sprite, common);
}

TEST_F(PlayerAnimationTest, HeldObjectsAndTheEffectTables) {
    player->setParam(14, 1);  // holding: item bases change
    struct Case {
        int32_t item, state, anim;
    };
    for (const Case& c : {Case{0, 0, 114 + 3}, Case{0, 2, 110 + 3}, Case{2, 0, 126 + 3}, Case{3, 0, 260 + 3 + 146},
                          Case{3, 2, 11 + 146}, Case{1, 0, 3 + 264}}) {
        Game::objects.s_currentItem = c.item;
        select(c.state, 0);
        EXPECT_EQ(player->m_sprite->anim, c.anim) << c.item << " " << c.state;
    }
    EXPECT_EQ(CObject::itemAnimBase(8, 2, 1), 9);  // item 1 has no held base

    // States 12 and 24 read the grabbed object's rows.
    Game::objects.s_currentItem = 0;
    packedKinds({{{12, 1}, {29, 0}}});
    CObject::statics.s_effectObject = object(3, 5, {{CObject::PARAM_KIND, 0}});
    ObjectArray* aux = om()->newObjectArray(kClass_ShortArray, 2);
    Game::grids.s_auxRecords = aux;
    ShortArray* r0 = om()->newShortArray(16);
    ShortArray* r1 = om()->newShortArray(16);
    aux->elements()[0] = r0;
    aux->elements()[1] = r1;
    r1->elements()[10] = 20;
    r1->elements()[12] = -1;
    r1->elements()[13] = 30;
    r1->elements()[14] = 40;
    r0->elements()[10] = 50;
    r0->elements()[12] = 60;
    r0->elements()[13] = 70;
    ObjectArray* tableB = om()->newObjectArray(kClass_ObjectArray, 2);
    Game::motionTables.s_itemTableB = tableB;
    ObjectArray* rows = om()->newObjectArray(kClass_ShortArray, 2);
    tableB->elements()[1] = rows;
    ShortArray* b0 = om()->newShortArray(2);
    ShortArray* b1 = om()->newShortArray(2);
    rows->elements()[0] = b0;
    rows->elements()[1] = b1;
    b0->elements()[1] = 80;
    b1->elements()[1] = 90;
    CObject::statics.s_effectIndex = 1;
    struct Row {
        int32_t state, p, anim;
        bool itemSprite;
    };
    const Row table[] = {
        {12, 0, 23, false}, {12, 1, 0, false},   // a negative value keeps the animation
        {12, 2, 93, false}, {12, 4, 83, false},  {12, 7, 43, false}, {12, 8, 33, false},
        {12, 9, 3, true},   {24, 0, 53, false},  {24, 1, 63, false}, {24, 3, 64, false}, {24, 4, 73, false},
        {24, 2, 3, false},
    };
    for (const Row& r : table) {
        select(r.state, r.p);
        EXPECT_EQ(player->m_sprite->anim, r.anim) << r.state << "/" << r.p;
        EXPECT_EQ(player->m_sprite->sprite, r.itemSprite ? items : common) << r.state << "/" << r.p;
    }
}

TEST_F(PlayerAnimationTest, AnimationPairsSpreadOverBothSprites) {
    Game::objects.s_currentItem = 1;
    EXPECT_EQ(CObject::setPlayerAnimFromPair(player, 10, 0), 1);
    EXPECT_EQ(player->m_sprite->sprite, common);
    EXPECT_EQ(player->m_sprite->anim, 10);
    EXPECT_EQ(player->m_sprite->loops, 0);
    CObject::setPlayerAnimFromPair(player, kCommonCount + 10, -1);
    EXPECT_EQ(player->m_sprite->sprite, items);
    EXPECT_EQ(player->m_sprite->anim, 10 + 264);
    EXPECT_EQ(player->m_sprite->loops, -1);
}

TEST_F(PlayerAnimationTest, DiagonalsNeverBecomeTheFacing) {
    auto& s = CObject::statics;
    s.s_stepIndex = 4;
    s.s_inputDirection = kRight;
    CObject::setInput(4370);  // up-right shares the right bit
    EXPECT_EQ(s.s_inputDirection, kRight);
    EXPECT_EQ(s.s_moveDirection, 4370);
    EXPECT_EQ(s.s_stepIndex, 0);
    EXPECT_EQ(s.s_anchorX, 40 << 14);
    EXPECT_EQ(s.s_anchorY, 60 << 14);
    EXPECT_TRUE(seen().empty());
    CObject::setInput(1290);  // up-left shares nothing with right: the facing is reversed first
    EXPECT_EQ(s.s_inputDirection, kLeft);
    EXPECT_EQ(s.s_moveDirection, 1290);
    CObject::setInput(kUp);
    EXPECT_EQ(s.s_inputDirection, kUp);
    EXPECT_EQ(s.s_moveDirection, kUp);

    // Turning round swaps the four facings and feeds anything else back as it is.
    for (auto [from, to] : {std::pair{kUp, kDown}, {kDown, kUp}, {kLeft, kRight}, {kRight, kLeft}, {0, 0}}) {
        s.s_inputDirection = from;
        Game::getReverseFacing();
        EXPECT_EQ(s.s_inputDirection, to) << from;
        EXPECT_EQ(s.s_moveDirection, to) << from;
    }

    struct Turn {
        int32_t side, kind, facing;
    };
    for (const Turn& t : {Turn{1, 4, kLeft}, Turn{1, 3, kRight}, Turn{0, 4, kRight}, Turn{0, 2, kLeft}}) {
        CObject::turnPlayer(t.kind, object(2, 5, {{8, t.side}}));
        EXPECT_EQ(s.s_inputDirection, t.facing) << t.side << " " << t.kind;
    }
    Game::turnPlayer(kLeft);
    EXPECT_EQ(s.s_inputDirection, kLeft);
}

TEST_F(PlayerAnimationTest, MovesRestartTheLevelTimerAndTheIndicator) {
    Game::initTimers(0);
    auto& s = CObject::statics;
    ObjectArray* hud = om()->newObjectArray(kClass_ASpriteInstance, Game::kInstanceSlots);
    Game::stateStatics.hudInstances = hud;
    auto* indicator = newObject<ASpriteInstance>();
    hud->elements()[10] = indicator;
    Game::objects.s_levelTimer = -1;
    s.s_inputDirection = kDown;
    s.s_stepSpeed = 0;
    CObject::restartTimer(nullptr, 20500);
    EXPECT_GE(Game::objects.s_levelTimer, 0);
    EXPECT_EQ(indicator->anim, 9);  // the facing held before the call
    EXPECT_EQ(s.s_moveDirection, 20500);
    EXPECT_EQ(s.s_inputDirection, kDown);
    EXPECT_EQ(s.s_stepSpeed, 0x500000);
}

TEST_F(PlayerAnimationTest, SpeedsFromAnimationDurations) {
    auto& s = CObject::statics;
    ObjectArray* perItem = om()->newObjectArray(kClass_ObjectArray, 1);
    Game::objects.s_itemSequenceTable = perItem;
    ObjectArray* records = om()->newObjectArray(kClass_ShortArray, 1);
    perItem->elements()[0] = records;
    ShortArray* record = om()->newShortArray(20);
    records->elements()[0] = record;
    record->elements()[10] = 1;  // combo variants on
    record->elements()[12] = 1;  // phase 1 moves
    record->elements()[15] = 96;
    s.s_comboLevel = 1;
    s.s_playerStateParam = 1;
    player->m_sprite->setAnim(3);
    const int32_t t = player->m_sprite->getAnimDuration() * 1000 / 16;
    ASSERT_GT(t, 0);
    CObject::setJumpSpeeds();
    EXPECT_EQ(s.s_stepSpeed, ((96 << 14) / t) * 1000);
    EXPECT_EQ(s.s_stepExtra, ((96 << 14) / (t * t)) * 1000);
    s.s_playerStateParam = 0;  // phase 0 does not move
    CObject::setJumpSpeeds();
    EXPECT_EQ(s.s_stepSpeed, 0);
    EXPECT_EQ(s.s_stepExtra, 0);
    // An animation without frames lasts 0: no speed instead of a division by zero.
    s.s_playerStateParam = 1;
    player->m_sprite->setAnim(kCommonCount + 5);
    CObject::setJumpSpeeds();
    EXPECT_EQ(s.s_stepSpeed, 0);
    CObject::setTargetSpeed(player->m_sprite, nullptr, 12);
    EXPECT_EQ(s.s_targetId, 12);
    EXPECT_EQ(s.s_stepSpeed, 0);
    player->m_sprite->setAnim(3);
    CObject::setTargetSpeed(player->m_sprite, nullptr, 13);
    EXPECT_EQ(s.s_stepSpeed, ((45 << 14) / t) * 1000);

    s.s_playerStateParam = 2;
    EXPECT_EQ(CObject::clampPlayerStep(player, 1, 2, 77), 77);
    EXPECT_TRUE(seen().empty());
    s.s_playerStateParam = 1;
    Game::stateStatics.playMode = 2;
    CObject::clampPlayerStep(player, 1, 2, 77);
    Game::stateStatics.playMode = 0;
    CObject::clampPlayerStep(player, 1, 2, 77);
    EXPECT_EQ(seen(), (std::vector<std::string>{"Game::clampPlayerMove", "Game::clampPlayerMoveAlt"}));
}

}  // namespace

namespace {

class ActorUpdateTest : public AnimationTest {};

TEST_F(ActorUpdateTest, DirectionEffectsDrawOnceIntoAFreeInstance) {
    ObjectArray* effects = CObject::statics.s_effectInstances;
    for (int32_t i = 0; i < effects->length; ++i) {
        auto* e = newObject<ASpriteInstance>();
        e->anim = i == 3 ? -1 : 0;
        effects->elements()[i] = e;
    }
    struct Case {
        int32_t bits, base;
    };
    for (const Case& c : {Case{0x102 | 0x1010, 1}, Case{0x4004 | 0x408, 0}, Case{0x408, 3}, Case{0x1010, 2}}) {
        auto* e = static_cast<ASpriteInstance*>(effects->elements()[3]);
        e->anim = -1;
        Game::mathStatics.randomSeed = 1234;
        const int32_t r = static_cast<int32_t>((1234u * 1664525u + 1013904223u) >> 16) & 3;
        EXPECT_EQ(CObject::showDirectionEffect(c.bits), 3);
        EXPECT_EQ(e->anim, 4 * r + c.base) << c.bits;
        EXPECT_EQ(e->loops, 0);
    }
    Game::mathStatics.randomSeed = 99;
    EXPECT_EQ(CObject::showDirectionEffect(0x102), -1);  // none free: no draw either
    EXPECT_EQ(Game::mathStatics.randomSeed, 99);
}

TEST_F(ActorUpdateTest, GroupsLinkedChecksAndAdvancing) {
    CObject* a = actor({{CObject::PARAM_MODE, 5}});
    CObject* b = actor({{CObject::PARAM_MODE, 6}});
    CObject::updateGroup(list({a, b}));
    for (CObject* o : {a, b}) {
        EXPECT_EQ(o->m_sprite->anim, o->param(CObject::PARAM_MODE));
        EXPECT_EQ(o->m_sprite->loops, -1);
        EXPECT_EQ(o->param(13), 1);
        EXPECT_EQ(o->param(14), 2);
        EXPECT_EQ(o->param(15), -1);
    }

    ObjectArray* templates = om()->newObjectArray(kClass_CObject, 2);
    Game::objects.s_templates = templates;
    templates->elements()[0] = object(10, 80, {{8, 0}});
    templates->elements()[1] = object(11, 80, {{8, 1}});
    CObject* linked = actor({{CObject::PARAM_RECORD, 1}});
    CObject::linkedCheck(linked);
    EXPECT_EQ(linked->m_sprite->anim, 98);
    linked->setParam(CObject::PARAM_RECORD, 0);
    CObject::linkedCheck(linked);
    EXPECT_EQ(linked->m_sprite->anim, 99);

    // One logic step ends each one-frame animation: the ended flag shows an advance.
    ASpriteInstance::statics.logicStepsThisFrame = 1;
    ObjectArray* hud = om()->newObjectArray(kClass_ASpriteInstance, Game::kInstanceSlots);
    Game::stateStatics.hudInstances = hud;
    auto* overlay = newObject<ASpriteInstance>();
    hud->elements()[15] = overlay;
    overlay->sprite = a->m_sprite->sprite;
    overlay->setAnim(1);
    a->setParam(9, 10);
    CObject::statics.s_interactionMode = 4;
    a->m_sprite->setAnim(1);
    a->syncInstance();
    EXPECT_EQ(a->m_sprite->ended, 0);
    EXPECT_EQ(overlay->ended, 1);
    CObject::statics.s_interactionMode = 0;
    a->syncInstance();
    EXPECT_EQ(a->m_sprite->ended, 1);

    b->m_sprite->setAnim(1);
    CObject::statics.s_animAdvance = false;
    CObject::updateAnimOnce(b->m_sprite);
    EXPECT_EQ(b->m_sprite->ended, 0);
    EXPECT_TRUE(CObject::statics.s_animAdvance);
    CObject::updateAnimOnce(b->m_sprite);
    EXPECT_EQ(b->m_sprite->ended, 1);
    CObject::setFrameByPercent(b->m_sprite, 50);
    EXPECT_FALSE(CObject::statics.s_animAdvance);
    ASpriteInstance::statics.logicStepsThisFrame = 0;

    CObject* bare = object(3, 5, {});
    EXPECT_TRUE(CObject::isFrameEmpty(bare));
}

}  // namespace

namespace {

TEST_F(ActorUpdateTest, LinkedObjectsFollowTheFacingAnimations) {
    CObject* linked = actor();
    Game::objects.s_attachedObjects = list({actor(), linked});
    CObject* o = actor({{18, 2}, {23, 1}, {24, 1}, {CObject::PARAM_RECORD, -1}});
    o->m_sprite->setPosition(30, 40);
    o->faceLeftAnim();
    EXPECT_EQ(o->m_sprite->anim, 18);
    EXPECT_EQ(o->m_sprite->loops, 0);
    EXPECT_EQ(o->param(CObject::PARAM_MODE), 2);
    EXPECT_EQ(linked->m_sprite->anim, 20);
    EXPECT_EQ(linked->m_sprite->getX(), 30);
    EXPECT_EQ(linked->m_sprite->getY(), 40);
    EXPECT_EQ(linked->param(8), 6);

    ObjectArray* templates = om()->newObjectArray(kClass_CObject, 1);
    Game::objects.s_templates = templates;
    templates->elements()[0] = object(10, 80, {{8, 1}});
    o->setParam(CObject::PARAM_RECORD, 0);
    o->faceRightAnim();
    EXPECT_EQ(o->m_sprite->anim, 56);  // 56 has no mapping; the template's side gives state 0
    EXPECT_EQ(linked->m_sprite->anim, 28);

    o->placeLinked(10, 5, 7 << 14, 9 << 14, 3);
    EXPECT_EQ(linked->m_sprite->anim, 15);
    EXPECT_EQ(linked->m_sprite->getX(), 7);
    EXPECT_EQ(linked->m_sprite->getY(), 9);
    EXPECT_EQ(linked->param(8), 3);

    Game::stateStatics.sprites = om()->newObjectArray(kClass_ASprite, 4);
    ASprite* third = newSprite(spriteWith(30));
    Game::stateStatics.sprites->elements()[3] = third;
    CObject* effect = actor({{0, 4}});
    effect->setSpriteEntry3();
    EXPECT_EQ(effect->m_sprite->sprite, third);
    EXPECT_EQ(effect->m_sprite->anim, 21);
}

}  // namespace
