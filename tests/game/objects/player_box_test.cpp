#include <gtest/gtest.h>

#include "tests/game/cell_grid_fixture.h"

namespace mrc::test {
namespace {

// The player's box is 40 x 60 with its feet at the position; the player stands at (60, 124),
// so its box is x 40-79, y 64-123: columns 1-2, rows 2-3.
class PlayerBox : public CellGridTest {
protected:
    void SetUp() override {
        CellGridTest::SetUp();
        CObject::statics.s_playerCollisionMask = 0x0002;
        player = placePlayer(60, 124);
    }
    static std::vector<std::pair<int32_t, int32_t>> probes() {
        std::vector<std::pair<int32_t, int32_t>> out;
        for (const auto& c : callsOf("findObjectInRange")) out.push_back({c.args[0], c.args[1]});
        return out;
    }
    int32_t playerX() const { return player->m_sprite->x >> 14; }

    CObject* player = nullptr;
};

using Points = std::vector<std::pair<int32_t, int32_t>>;

TEST_F(PlayerBox, RectanglesProbeTheirLastColumnAndRow) {
    struct Case {
        int32_t w, h;
        Points points;
    };
    const Case cases[] = {
        {40, 40, {{0, 40}, {32, 40}, {39, 40}, {0, 72}, {32, 72}, {39, 72}, {0, 79}, {32, 79}, {39, 79}}},
        {33, 1, {{0, 40}, {32, 40}}},
        {32, 32, {{0, 40}, {31, 40}, {0, 71}, {31, 71}}},
        {1, 1, {{0, 40}}},
        {40, 0, {}},
    };
    for (const Case& c : cases) {
        calls().clear();
        EXPECT_FALSE(Game::isRectBlocked(0, 40, c.w, c.h, 0x0002)) << c.w << " x " << c.h;
        EXPECT_EQ(probes(), c.points) << c.w << " x " << c.h;
    }
    useLevel(levelWith({{1, 2}}));
    EXPECT_TRUE(Game::isRectBlocked(0, 40, 40, 40, 0x0002));   // (39, 79): column 1, row 2
    EXPECT_FALSE(Game::isRectBlocked(0, 40, 32, 24, 0x0002));
}

TEST_F(PlayerBox, BoxTestsPlaceThePlayersBox) {
    // Rows are sampled at 64 and 95: both in row 2; a 60-pixel box starting on a cell edge
    // never samples its second row.
    useLevel(levelWith({{2, 3}}));
    EXPECT_FALSE(CObject::isBoxBlocked(player));
    useLevel(levelWith({{2, 2}}));
    EXPECT_TRUE(CObject::isBoxBlocked(player));         // x 40 + 31 = 71: column 2
    EXPECT_FALSE(CObject::isBoxBlockedMask(player, 0x0004));
    EXPECT_TRUE(CObject::isBoxBlockedAt(60, 124));
    EXPECT_FALSE(CObject::isBoxBlockedAt(60, 92));      // rows 1-2
    EXPECT_FALSE(CObject::isBoxBlockedAtMask(60, 124, 0x2000));
    EXPECT_FALSE(CObject::isBoxBlocked(nullptr));
    useLevel(levelWith({{1, 3}}, 'S'));
    EXPECT_TRUE(Game::isTileMaskAt(object(2, 5, {}, 50, 40, 100)));
    EXPECT_FALSE(Game::isTileMaskAt(object(2, 5, {}, 50, 40, 130)));
}

TEST_F(PlayerBox, LeadingEdgesByDirection) {
    struct Case {
        int32_t direction;
        Points points;
    };
    const Case cases[] = {
        {CObject::kLeft, {{8, 64}, {8, 95}}},
        {CObject::kRight, {{111, 64}, {111, 95}}},
        {CObject::kUp, {{40, 32}, {71, 32}}},
        {CObject::kDown, {{40, 155}, {71, 155}}},
        {CObject::kLeft | CObject::kUp, {{8, 64}, {8, 95}}},  // left is tested first
        {0x0020, {}},
    };
    for (const Case& c : cases) {
        calls().clear();
        EXPECT_FALSE(CObject::collidesInDirection(player, c.direction, 0x0002, 32, false)) << c.direction;
        EXPECT_EQ(probes(), c.points) << c.direction;
    }
}

TEST_F(PlayerBox, DirectionalHitsMeasureTheBorderDistanceOnlyAgainstHeavyCells) {
    CObject* plate = object(2, 5, {{2, 2}, {3, 1}}, 50, 200, 100);
    EXPECT_EQ(CObject::hitTestDirectional(plate, player, CObject::kRight), 0);
    useLevel(levelWith({{3, 2}}, 'H'));
    EXPECT_EQ(CObject::hitTestDirectional(plate, player, CObject::kRight), 7);
    EXPECT_EQ(CObject::hitTestDirectional(plate, player, 0x0020), 0);
    const std::vector<RecordedCall> expected = {{"computeBorderDistance", {CObject::kRight, 16, 200, 100, 64, 32}}};
    EXPECT_EQ(callsOf("computeBorderDistance"), expected);
}

TEST_F(PlayerBox, HeldObjectProbesLookBeyondTheBox) {
    EXPECT_FALSE(Game::isPlayerBlockedInDirection(CObject::kUp, 1, 0xFFFF));
    EXPECT_FALSE(CObject::probeCellForHeld(CObject::kRight, 2));
    EXPECT_TRUE(calls().empty());
    CObject::statics.s_heldObject = object(3, 10);
    struct Case {
        int32_t direction;
        std::pair<int32_t, int32_t> cell, probe;
    };
    const Case cases[] = {
        {CObject::kUp, {40, 32}, {40, 64 - 64}},
        {CObject::kLeft, {8, 64}, {40 - 64, 64}},
        {CObject::kRight, {111, 64}, {40 + 64, 64}},
        {CObject::kDown, {40, 155}, {40, 64 + 64}},
        {0, {40, 64}, {40, 64}},
    };
    for (const Case& c : cases) {
        calls().clear();
        EXPECT_FALSE(Game::isPlayerBlockedInDirection(c.direction, 1, 0x0002));
        EXPECT_TRUE(CObject::probeCellForHeld(c.direction, 2));
        const std::vector<RecordedCall> expected = {
            {"findObjectInRange", {c.cell.first, c.cell.second}},
            {"probeLeavesBox", {c.direction, c.probe.first, c.probe.second, 40, 60}}};
        EXPECT_EQ(calls(), expected) << c.direction;
    }
}

TEST_F(PlayerBox, ShiftedProbesMarkTheNextCellAndKeepThePosition) {
    CObject* crate = object(4, 10, {}, 50, 100, 100);
    struct Case {
        int32_t direction, x, y;
    };
    for (const Case& c : {Case{CObject::kRight, 132, 100}, Case{CObject::kLeft, 68, 100},
                          Case{CObject::kDown, 100, 132}, Case{CObject::kUp, 100, 68}, Case{0, 100, 100}}) {
        calls().clear();
        CObject::probeBoxShifted(crate, c.direction);
        const std::vector<RecordedCall> expected = {{"clearTarget", {100, 100}}, {"selectTarget", {c.x, c.y, 0}}};
        EXPECT_EQ(calls(), expected) << c.direction;
        EXPECT_EQ(crate->m_sprite->x, 100 << 14);
        EXPECT_EQ(crate->m_sprite->y, 100 << 14);
    }
}

TEST_F(PlayerBox, EdgesBelowAndAboveNeedTheLedgeBitInEveryColumn) {
    struct Case {
        std::vector<std::pair<int, int>> ledges, walls;
        int32_t width, direction;
        bool ignoreLevelMask, clear;
    };
    const Case cases[] = {
        {{{1, 4}, {2, 4}}, {}, 40, CObject::kDown, true, true},
        {{{1, 4}}, {}, 40, CObject::kDown, true, false},       // x 71: column 2 has no ledge
        {{{1, 4}}, {}, 40, CObject::kDown, false, true},       // ...but it is not blocked either
        {{{1, 4}}, {{2, 4}}, 40, CObject::kDown, false, false},
        {{{1, 4}}, {}, 31, CObject::kDown, true, true},        // one column only
        {{{1, 4}}, {}, 32, CObject::kDown, true, false},       // x 71 again
        {{}, {}, 0, CObject::kDown, true, true},               // no column at all
        {{{1, 1}, {2, 1}}, {}, 40, CObject::kUp, true, true},  // 16 above the box: row 1
        {{{1, 4}, {2, 4}}, {}, 40, CObject::kUp, true, false},
        {{{1, 4}, {2, 4}}, {}, 40, CObject::kLeft, true, false},
    };
    for (const Case& c : cases) {
        auto rows = levelWith(c.ledges, 'L');
        for (auto [column, row] : c.walls) rows[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)] = '2';
        useLevel(rows);
        CObject::statics.s_boxWidth = c.width;
        EXPECT_EQ(CObject::isEdgeClear(player, c.direction, c.ignoreLevelMask), c.clear)
            << c.width << " dir " << c.direction << " ignore " << c.ignoreLevelMask;
    }
}

TEST_F(PlayerBox, SnappingBeyondALedgeEnd) {
    useLevel(levelWith({{1, 4}}, 'L'));
    player->setParam(CObject::PARAM_FACING, CObject::kRight);
    EXPECT_EQ(CObject::snapBeyondEdge(player), 64);
    EXPECT_EQ(playerX(), 64 - 40 + 20);  // the box's right edge on x 64
    player->m_sprite->x = 60 << 14;
    player->setParam(CObject::PARAM_FACING, CObject::kLeft);
    EXPECT_EQ(CObject::snapBeyondEdge(player), 64);
    EXPECT_EQ(playerX(), 64 + 32 + 20);  // the box's left edge on x 96
    // The ledge runs past the box: nothing moves.
    useLevel(levelWith({{1, 4}, {2, 4}, {3, 4}}, 'L'));
    player->m_sprite->x = 60 << 14;
    EXPECT_EQ(CObject::snapBeyondEdge(player), -1);
    EXPECT_EQ(playerX(), 60);
    CObject::statics.s_boxWidth = -1;
    EXPECT_EQ(CObject::snapBeyondEdge(player), -1);
}

TEST_F(PlayerBox, StandingAfterAStepIgnoresBit16AndTestsTheSideInState5) {
    CObject::statics.s_playerCollisionMask = 0x0012;
    useLevel(levelWith({{1, 2}}, 'M'));  // bit 16 only, inside the box
    EXPECT_TRUE(CObject::canStandAfterStep(player, 4, CObject::kRight));
    EXPECT_EQ(CObject::statics.s_playerCollisionMask, 0x0012);
    useLevel(levelWith({{0, 2}}));  // left of the box
    EXPECT_TRUE(CObject::canStandAfterStep(player, 4, CObject::kLeft));
    EXPECT_TRUE(CObject::canStandAfterStep(player, 5, CObject::kRight));   // x 60-99
    EXPECT_FALSE(CObject::canStandAfterStep(player, 5, CObject::kLeft));   // x 20-59
    useLevel(levelWith({{2, 2}}));
    EXPECT_FALSE(CObject::canStandAfterStep(player, 4, CObject::kRight));
    EXPECT_EQ(CObject::statics.s_playerCollisionMask, 0x0012);
}

TEST_F(PlayerBox, CornersAddTheSideStepTowardsTheFreeCorner) {
    struct Case {
        int32_t request;
        std::vector<std::pair<int, int>> blocked;
        int32_t added;
    };
    const Case cases[] = {
        {CObject::kRight, {{2, 3}}, CObject::kUp},  // (80, 64) free, (80, 123) blocked
        {CObject::kRight, {{2, 2}}, CObject::kDown},
        {CObject::kRight, {{2, 2}, {2, 3}}, 0},
        {CObject::kRight, {}, 0},
        {CObject::kLeft, {{1, 3}}, CObject::kUp},   // x 39: column 1
        {CObject::kLeft, {{1, 2}}, CObject::kDown},
        {CObject::kUp, {{2, 1}}, CObject::kLeft},   // (40, 63) free, (79, 63) blocked
        {CObject::kUp, {{1, 1}}, CObject::kRight},
        {CObject::kDown, {{2, 3}}, CObject::kLeft},  // y 124: row 3
        {CObject::kDown, {{1, 3}}, CObject::kRight},
        // Diagonal requests are not slid.
        {CObject::kRight | CObject::kUp, {{2, 3}}, 0},
        {CObject::kDown | CObject::kLeft, {{1, 3}}, 0},
    };
    for (const Case& c : cases) {
        useLevel(levelWith(c.blocked));
        CObject::statics.s_moveDirection = c.request;
        CObject::slideAroundCorner(player);
        EXPECT_EQ(CObject::statics.s_moveDirection, c.request | c.added) << c.request;
    }
}

TEST_F(PlayerBox, SnappingToTheEdgeOfAnObject) {
    objectEdges()[{48, 124}] = 200;
    CObject::snapToCellEdge(player, CObject::kRight);
    EXPECT_EQ(playerX(), 200 + 32 - 40 + 20);
    player->m_sprite->x = 60 << 14;
    objectEdges()[{72, 124}] = 100;
    CObject::snapToCellEdge(player, CObject::kLeft);
    EXPECT_EQ(playerX(), 100 + 20);
    const std::vector<RecordedCall> expected = {{"findOnScreenObject", {48, 124, 1, 0, 0}},
                                                {"findOnScreenObject", {72, 124, 1, 1, 0}}};
    EXPECT_EQ(callsOf("findOnScreenObject"), expected);
}

TEST_F(PlayerBox, RunsOfCellsInTheLevelEndAtItsWall) {
    struct Case {
        const char* row;
        int32_t (*find)(int32_t, int32_t);
        int32_t x, result;
    };
    const Case cases[] = {
        {"G.........", Game::findBlockedCellLeft, 100, 0},   // column 0: 0, not 32
        {"..G.......", Game::findBlockedCellLeft, 200, 96},
        {"..........", Game::findBlockedCellLeft, 40, 0},    // the wall at column -1
        {"..2.......", Game::findBlockedCellLeft, 200, 96},
        {"..B.......", Game::findBlockedCellLeft, 200, 96},  // 0x40 is in 0x42
        {"......G...", Game::findBlockedCellRight, 100, 192},
        {"..........", Game::findBlockedCellRight, 200, 320},
    };
    for (const Case& c : cases) {
        useLevel({c.row});
        EXPECT_EQ(c.find(c.x, 10), c.result) << c.row << " from " << c.x;
    }
    // In play mode the mask is 2.
    Game::stateStatics.playMode = 1;
    useLevel({"..B....."});
    EXPECT_EQ(Game::findBlockedCellLeft(200, 10), 0);
    useLevel({"..2....."});
    EXPECT_EQ(Game::findBlockedCellLeft(200, 10), 96);
    Game::stateStatics.playMode = 0;

    // Vertical runs over one column.
    useLevel({".", "B", "B", "B", "B", "B", ".", "2"});
    EXPECT_EQ(Game::findBlockedRunAbove(10, 230), 64);  // five in a row: rows 5 to 1
    EXPECT_EQ(Game::findBlockedCellBelow(10, 10), 224);
    useLevel({".", "B", "B", ".", "B", "B", ".", "."});
    // Rows 5, 4, free 3 resets, 2, 1, free 0 resets, then the wall counts: -26 ... -154.
    EXPECT_EQ(Game::findBlockedRunAbove(10, 230), (-154 / 32 + 1) * 32);
    EXPECT_EQ(Game::findBlockedCellBelow(10, 10), 256);
}

TEST_F(PlayerBox, RunsInALayerGridEndAtItsBorder) {
    standardLevel();
    // Inside the layer's area beyond its grid every cell is clear: the run ends at the grid.
    Game::setCurrentRoom(layer);
    EXPECT_EQ(Game::findBlockedCellRight(150, 140), kLayerX + 96);
    EXPECT_EQ(Game::findBlockedCellLeft(150, 140), kLayerX);
    EXPECT_EQ(Game::findBlockedCellBelow(150, 80), kLayerY + 96);
    EXPECT_EQ(Game::findBlockedRunAbove(180, 150), kLayerY);
    EXPECT_EQ(Game::overlayStatics.currentRoom, layer);
    // With the level current the same runs go on to the level's wall.
    Game::setCurrentRoom(nullptr);
    EXPECT_EQ(Game::findBlockedCellRight(150, 140), 320);
}

}  // namespace
}  // namespace mrc::test
