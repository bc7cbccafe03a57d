#include <gtest/gtest.h>

#include "tests/game/cell_grid_fixture.h"

namespace mrc::test {
namespace {

// Kind 0: centred box 40 x 20 lifted 8, standing box 50 x 60. Kind 1: 20 x 20 both ways. Kind 2:
// as kind 0 with auxiliary record 0. The player's box is 40 x 60 with its feet at the position.
class ObjectBoxes : public CellGridTest {
protected:
    void SetUp() override {
        CellGridTest::SetUp();
        packedKinds({{{12, -1}, {30, -8}, {31, 40}, {32, 20}, {33, 50}, {34, 60}},
                     {{12, -1}, {30, 0}, {31, 20}, {32, 20}, {33, 20}, {34, 20}},
                     {{12, 0}, {30, -8}, {31, 40}, {32, 20}, {33, 50}, {34, 60}}});
        player = placePlayer(160, 160);
    }
    static void at(CObject* o, int32_t x, int32_t y) {
        o->m_sprite->x = x << 14;
        o->m_sprite->y = y << 14;
    }
    static int32_t px(CObject* o) { return o->m_sprite->x >> 14; }
    static int32_t py(CObject* o) { return o->m_sprite->y >> 14; }

    CObject* player = nullptr;
};

TEST_F(ObjectBoxes, BoxesByKindAndTheirMasks) {
    CObject* centred = object(2, 5, {}, 50, 200, 100);
    CObject* standing = object(3, 5, {{CObject::PARAM_BOX_KIND, 1}}, 50, 200, 100);
    const CObject::Box a = centred->box(), b = standing->box();
    EXPECT_EQ(std::vector<int32_t>({a.left, a.top, a.width, a.height, a.mask}),
              std::vector<int32_t>({180, 82, 40, 20, 0x26FA}));
    EXPECT_EQ(std::vector<int32_t>({b.left, b.top, b.width, b.height, b.mask}),
              std::vector<int32_t>({175, 40, 50, 60, 0x069A}));

    struct Case {
        char cell;
        bool standingBox;
        int32_t exclude;
        bool blocked;
    };
    // The centred box covers columns 5-6, rows 2-3; the cell is (6, 3).
    const Case cases[] = {
        {'S', false, 0, true},       {'S', false, -8289, true},   // 0x20 is in 0x2060
        {'2', false, 0, true},       {'2', false, -8289, false},  // the mask without the argument's bits
        {'S', true, 0, false},       {'2', true, 0, true},
        {'2', true, -8289, false},   {'M', true, 16, false},      {'M', true, 0, true},
    };
    for (const Case& c : cases) {
        useLevel(levelWith({{6, 3}}, c.cell));
        EXPECT_EQ((c.standingBox ? standing : centred)->hitTestRect(c.exclude), c.blocked)
            << c.cell << " standing " << c.standingBox << " exclude " << c.exclude;
    }
}

TEST_F(ObjectBoxes, TileProbesFindTheDiagonalCell) {
    CObject* o = object(2, 5, {}, 50, 100, 100);
    EXPECT_FALSE(o->probeTiles());
    useLevel(levelWith({{2, 4}}, 'M'));  // (68, 132): x - 32, y + 32
    EXPECT_TRUE(o->probeTiles());
    useLevel(levelWith({{6, 3}}, 'M'));  // x + 64: out of reach
    EXPECT_FALSE(o->probeTiles());
}

TEST_F(ObjectBoxes, PlayerBoxAgainstTheCellsOfABox) {
    CObject* o = object(2, 5, {}, 50, 200, 100);  // centred cells: x 160-224, y 64-128
    struct Case {
        int32_t x, y;
        bool meets;
    };
    for (const Case& c : {Case{140, 124, true}, Case{139, 124, false}, Case{244, 124, true}, Case{245, 124, false},
                          Case{200, 64, true}, Case{200, 63, false}, Case{200, 188, true}, Case{200, 189, false}}) {
        at(player, c.x, c.y);
        EXPECT_EQ(o->hitTestRectB(player), c.meets) << c.x << ", " << c.y;
    }
    // The standing box's cells: x 160-256, y 32-128; the player box placed at this object.
    CObject* self = object(4, 5, {}, 50, 0, 0);
    for (const Case& c : {Case{140, 124, true}, Case{139, 124, false}, Case{276, 124, true}, Case{277, 124, false},
                          Case{200, 32, true}, Case{200, 31, false}}) {
        at(self, c.x, c.y);
        EXPECT_EQ(self->playerBoxTouchesCells(o), c.meets) << c.x << ", " << c.y;
    }
}

TEST_F(ObjectBoxes, RangeTestsSampleTheSpanAgainstTheCells) {
    CObject* o = object(2, 5, {}, 50, 200, 100);  // x 160-256, y 32-128
    CObject* self = object(3, 5);
    struct Case {
        int32_t x0, x1, y;
        bool inside;
    };
    for (const Case& c : {Case{100, 100, 50, false}, Case{170, 170, 50, false}, Case{100, 163, 50, false},
                          Case{100, 164, 50, true}, Case{100, 164, 128, false}, Case{100, 164, 32, true},
                          Case{100, 164, 31, false}, Case{256, 400, 50, false}, Case{255, 256, 50, true},
                          Case{300, 100, 50, false}})
        EXPECT_EQ(self->scriptRangeTest(c.x0, c.x1, c.y, o), c.inside) << c.x0 << "-" << c.x1 << " at " << c.y;
}

TEST_F(ObjectBoxes, PlatformsOnScreenIncludeTheViewEdges) {
    struct Case {
        int32_t type, mode, x, y;
        bool onScreen;
    };
    const Case cases[] = {
        {18, 1, 805, 100, true},  {18, 1, 810, 100, true},  {18, 1, 811, 100, false},
        {18, 1, -10, 100, true},  {18, 1, -11, 100, false}, {18, 1, 100, 490, true},
        {18, 1, 100, 491, false}, {18, 2, 100, 100, false}, {17, 1, 100, 100, false},
    };
    for (const Case& c : cases) {
        CObject* o = object(2, c.type, {{1, 10}, {2, 10}, {CObject::PARAM_MODE, c.mode}}, 50, c.x, c.y);
        EXPECT_EQ(o->isPlatformOnScreen(), c.onScreen) << c.type << " mode " << c.mode << " at " << c.x << ", " << c.y;
    }
    Game::mathStatics.cameraX = 1000 << 14;
    EXPECT_FALSE(object(2, 18, {{1, 10}, {2, 10}, {CObject::PARAM_MODE, 1}}, 50, 805, 100)->isPlatformOnScreen());
}

TEST_F(ObjectBoxes, PlacingBesideThePlayer) {
    // The other's slot is 72 x 52 from y 126; left slot x 68-139 (columns 2-4), right slot x
    // 180-251 (columns 5-7), rows 3-5.
    struct Case {
        const char* name;
        std::vector<std::pair<int, int>> blocked;
        int32_t input;
        bool possible;
        int32_t playerFacing, otherFacing, otherX;
    };
    const Case cases[] = {
        {"both free: left", {}, 0, true, CObject::kLeft, CObject::kRight, 104},
        {"pushing right: right", {}, CObject::kRight, true, CObject::kRight, CObject::kLeft, 216},
        {"left blocked: right", {{3, 4}}, 0, true, CObject::kRight, CObject::kLeft, 216},
        {"right blocked: left", {{6, 4}}, CObject::kRight, true, CObject::kLeft, CObject::kRight, 104},
        {"both blocked", {{3, 4}, {6, 4}}, 0, false, 0, CObject::kUp, 300},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        useLevel(levelWith(c.blocked));
        CObject* other = object(5, 5, {{44, -1}, {CObject::PARAM_FACING, CObject::kUp}}, 50, 300, 40);
        player->m_sprite->y = (160 << 14) + 123;
        CObject::statics.s_inputDirection = c.input;
        CObject::statics.s_moveDirection = 0;
        CObject::statics.s_stepIndex = 3;
        calls().clear();
        EXPECT_EQ(player->placeOtherBeside(other, true), c.possible);
        EXPECT_TRUE(callsOf("setGridFlagsInRect").empty());
        EXPECT_EQ(px(other), 300);

        EXPECT_TRUE(player->placeOtherBeside(other, false));  // true even when nothing moved
        const std::vector<RecordedCall> cleared = {{"setGridFlagsInRect", {-1, 280, 22, 40, 20, 1, 0x10}}};
        EXPECT_EQ(callsOf("setGridFlagsInRect"), cleared);
        EXPECT_EQ(other->param(CObject::PARAM_FACING), c.otherFacing);
        EXPECT_EQ(px(other), c.otherX);
        if (!c.possible) {
            EXPECT_EQ(other->m_sprite->y, 40 << 14);
            EXPECT_EQ(CObject::statics.s_stepIndex, 3);
            EXPECT_EQ(CObject::statics.s_inputDirection, c.input);
            continue;
        }
        EXPECT_EQ(other->m_sprite->y, 160 << 14);  // the player's y without its fraction
        EXPECT_EQ(CObject::statics.s_inputDirection, c.playerFacing);
        EXPECT_EQ(CObject::statics.s_moveDirection, c.playerFacing);
        EXPECT_EQ(CObject::statics.s_stepIndex, 0);
        EXPECT_EQ(CObject::statics.s_anchorX, player->m_sprite->x);
        EXPECT_EQ(CObject::statics.s_anchorY, player->m_sprite->y);
    }
}

TEST_F(ObjectBoxes, LowValuesAskWhetherTheObjectCanBePlacedBeside) {
    struct Case {
        int32_t value, rule, full, state;
        bool below;
    };
    const Case cases[] = {
        {4, 1, 10, 0, true},  {5, 1, 10, 0, false}, {9, 2, 10, 0, true},  {10, 2, 10, 0, false},
        {1, 0, 10, 0, false}, {0, 1, 10, 0, false}, {4, 1, 10, 5, false}, {4, 1, 10, 6, false},
        {4, 1, 10, 11, false}, {4, 1, 10, 14, false}, {4, 1, 10, 7, true},
    };
    for (const Case& c : cases) {
        CObject* o = object(2, 5, {{37, c.value}, {38, c.rule}, {32, c.full}, {CObject::PARAM_STATE, c.state}});
        EXPECT_EQ(o->isBelowThreshold(), c.below) << c.value << " rule " << c.rule << " state " << c.state;
    }
    // An auxiliary record with entry 11 = 2: the answer is whether a slot beside the player is free.
    Game::grids.s_auxRecords = om()->newObjectArray(kClass_ShortArray, 1);
    ShortArray* aux = om()->newShortArray(12);
    aux->elements()[11] = 2;
    Game::grids.s_auxRecords->elements()[0] = aux;
    CObject* held = object(2, 5, {{CObject::PARAM_KIND, 2}, {37, 4}, {38, 1}, {32, 10}}, 50, 300, 40);
    EXPECT_TRUE(held->isBelowThreshold());
    useLevel(levelWith({{3, 4}, {6, 4}}));
    EXPECT_FALSE(held->isBelowThreshold());
    EXPECT_EQ(px(held), 300);
    aux->elements()[11] = 1;
    EXPECT_TRUE(held->isBelowThreshold());
}

TEST_F(ObjectBoxes, SnappingToTheTileEdgeBesideThePlayer) {
    // Kind 1: 20 wide, standing. The player box's right edge R = 64 snaps to 64 + 10.
    CObject* o = object(2, 5, {{CObject::PARAM_KIND, 1}, {CObject::PARAM_BOX_KIND, 1}, {19, -3}}, 50, 50, 100);
    at(player, 44, 160);
    EXPECT_TRUE(o->snapToTileEdge(CObject::kRight, 100 << 14, player));
    EXPECT_EQ(o->m_sprite->x, 74 << 14);
    EXPECT_EQ(o->param(19), 3);
    // The step is limited; left: L = 100, target 10 + 96 - 20 = 86.
    at(o, 100, 100);
    at(player, 120, 160);
    o->setParam(19, 2);
    EXPECT_TRUE(o->snapToTileEdge(CObject::kLeft, 5 << 14, player));
    EXPECT_EQ(o->m_sprite->x, 95 << 14);
    EXPECT_EQ(o->param(19), -2);
    // Blocked at the target: nothing moves.
    useLevel(levelWith({{2, 2}}));  // the box at x 86: 76-95, y 80-99
    at(o, 100, 100);
    EXPECT_FALSE(o->snapToTileEdge(CObject::kLeft, 5 << 14, player));
    EXPECT_EQ(o->m_sprite->x, 100 << 14);
    EXPECT_EQ(o->param(19), -2);
}

TEST_F(ObjectBoxes, MovingBetweenRangeRecords) {
    Game::tables.s_rangeEntries = om()->newObjectArray(kClass_ShortArray, 2);
    ShortArray* own = om()->newShortArray(3);
    ShortArray* base = om()->newShortArray(3);
    own->elements()[0] = 40;
    own->elements()[2] = 1;
    base->elements()[0] = 100;
    base->elements()[2] = -1;
    Game::tables.s_rangeEntries->elements()[0] = own;
    Game::tables.s_rangeEntries->elements()[1] = base;
    CObject* part = object(3, 15, {}, 50, 50, 0);
    Game::objects.s_type15Objects = list({part});
    Game::stateStatics.frameTime = 100;
    CObject* o = object(2, 15, {{CObject::PARAM_MODE, 0}, {CObject::PARAM_FLAGS, 0}, {CObject::PARAM_FACING, 10}});
    EXPECT_EQ(o->getBaseType(), 1);
    EXPECT_EQ(o->getBaseDistance(), 60);

    // 10 x 100 ms << 14 / 1000: one pixel per call.
    EXPECT_FALSE(o->moveTowardsRangeBase(true, 1000));
    EXPECT_EQ(part->m_sprite->x, 51 << 14);
    part->m_sprite->x = (99 << 14) + 8192;  // half a pixel short: the step reaches the base
    EXPECT_TRUE(o->moveTowardsRangeBase(true, 1000));
    EXPECT_EQ(part->m_sprite->x, 100 << 14);
    EXPECT_FALSE(o->moveTowardsRangeBase(false, 1000));
    EXPECT_EQ(part->m_sprite->x, 99 << 14);
    part->m_sprite->x = 41 << 14;
    EXPECT_TRUE(o->moveTowardsRangeBase(false, 1000));
    EXPECT_EQ(part->m_sprite->x, 40 << 14);
}

TEST_F(ObjectBoxes, AttachedPartsFollowOrHide) {
    CObject* target = object(3, 10, {}, 50, 10, 10);
    CObject* linked = object(4, 11, {}, 50, 20, 20);
    Game::objects.s_attachedObjects = list({target, linked});
    CObject* o = object(2, 5, {{23, 0}, {CObject::PARAM_ATTACHED, 1}}, 50, 300, 200);

    o->placeLinkedFrame(3, 1000, 2000, 9);
    EXPECT_EQ(std::vector<int32_t>({linked->m_sprite->x, linked->m_sprite->y, linked->param(8), linked->m_sprite->anim,
                                    linked->m_sprite->time, linked->m_sprite->aframe}),
              std::vector<int32_t>({1000, 2000, 9, -1, -1, 3}));

    o->resetLinkedTarget();
    EXPECT_EQ(target->m_sprite->x, -1638400);
    EXPECT_EQ(target->m_sprite->y, -1638400);

    for (int32_t mode : {4, 5, 7}) {
        CObject::statics.s_interactionMode = mode;
        linked->m_sprite->x = 0;
        o->resetLinkedPosition();
        EXPECT_EQ(px(linked), 300) << mode;
        EXPECT_EQ(py(linked), 200) << mode;
        EXPECT_EQ(linked->m_sprite->time, -1) << mode;
    }
    CObject::statics.s_interactionMode = 3;
    o->resetLinkedPosition();
    EXPECT_EQ(linked->m_sprite->x, CObject::kHiddenPosition);
    EXPECT_EQ(linked->m_sprite->y, CObject::kHiddenPosition);
}

TEST_F(ObjectBoxes, FlagsFromTheRecordsTemplate) {
    Game::objects.s_templates = list({object(5, 80, {{8, 0}}), object(6, 80, {{8, 5}})});
    struct Case {
        int32_t record, fallback, value, flag;
    };
    const Case cases[] = {
        {-1, 7, 3, 3}, {-1, 7, -1, 7}, {0, 7, -1, 1}, {1, 7, -1, 0}, {1, 7, 0, 0}, {0, 7, 5, 5},
    };
    for (const Case& c : cases) {
        CObject* o = object(2, 20, {{CObject::PARAM_RECORD, c.record}});
        EXPECT_EQ(o->getFlagOrDefault(c.fallback, c.value), c.flag) << c.record << " " << c.value;
        o->setParam18(c.fallback, c.value);
        EXPECT_EQ(o->param(18), c.flag);
        if (c.value < 0) {
            EXPECT_EQ(o->checkUnlocked(c.fallback), c.flag);
        }
    }
}

TEST_F(ObjectBoxes, RoutesWrapAndAimAtTheirPoints) {
    Game::grids.s_routeX = om()->newByteArray(50);
    Game::grids.s_routeY = om()->newByteArray(50);
    Game::grids.s_routePoint = om()->newByteArray(2);
    Game::objects.s_routeLength = om()->newByteArray(2);
    const std::pair<int8_t, int8_t> points[] = {{1, 1}, {2, 1}, {2, 3}};
    for (int i = 0; i < 3; ++i) {
        Game::grids.s_routeX->elements()[25 + i] = points[i].first;
        Game::grids.s_routeY->elements()[25 + i] = points[i].second;
    }
    Game::objects.s_routeLength->elements()[1] = 3;

    EXPECT_EQ(Game::getPathPointX(1), 48);
    EXPECT_EQ(Game::getPathPointY(1), 48);
    EXPECT_FALSE(Game::advancePathPoint(1));
    EXPECT_EQ(Game::getPathPointX(1), 80);
    EXPECT_FALSE(Game::advancePathPoint(1));
    EXPECT_EQ(Game::getPathPointY(1), 112);
    EXPECT_TRUE(Game::advancePathPoint(1));
    EXPECT_EQ(Game::grids.s_routePoint->elements()[1], 0);

    struct Case {
        int32_t x, y, ahead, direction;
    };
    const Case cases[] = {
        {48, 48, 0, 0},                                  // on the point
        {0, 0, 0, CObject::kDown | CObject::kRight},
        {100, 100, 0, CObject::kUp | CObject::kLeft},
        {48, 0, 0, CObject::kDown},
        {0, 48, 0, CObject::kRight},
        {80, 48, 1, 0},
        {80, 112, 9, 0},                                 // past the end: the last point
        {80, 0, 9, CObject::kDown},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Game::directionToPathPoint(c.x, c.y, 1, c.ahead), c.direction) << c.x << ", " << c.y << " +" << c.ahead;
}

}  // namespace
}  // namespace mrc::test
