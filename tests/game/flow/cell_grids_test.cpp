#include <gtest/gtest.h>

#include <random>

#include "tests/game/cell_grid_fixture.h"

namespace mrc::test {
namespace {

using CellGrids = CellGridTest;

std::vector<RecordedCall> probesAt(std::vector<std::pair<int32_t, int32_t>> points) {
    std::vector<RecordedCall> out;
    for (auto [x, y] : points) out.push_back({"findObjectInRange", {x, y}});
    return out;
}

TEST_F(CellGrids, PointProbesChooseTheOwningGrid) {
    struct Case {
        int32_t x, y, mask;
        bool blocked, blockedInside;
        int32_t value, left, top;
    };
    const Case cases[] = {
        {-1, 5, 0, true, false, 2, -32, 0},       // left of the level: the edge is a wall, any mask
        {0, 5, 2, true, true, 2, 0, 0},           // column 0
        {32, 5, 2, false, false, 0, 32, 0},
        {319, 255, 0x2000, true, true, 0x2000, 288, 224},
        {320, 0, 0, true, false, 2, 320, 0},      // right of the level
        {5, -1, 0, true, false, 2, 0, -32},
        {140, 100, 0x0200, true, true, 0x0200, 128, 96},  // 0x0200: never the layer's, though it stands there
        {170, 140, 0x0020, true, true, 0x0020, 164, 134}, // the layer's own cell, from its origin
        {110, 80, 0x0004, true, true, 0x0004, 100, 70},
        {200, 180, 0xFFFF, false, false, 0, 196, 166},    // the layer owns the point, its grid ends
        {90, 100, 0xFFFF, false, false, 0, 68, 70},       // left of the layer's origin: column -1
        {500, 100, 0xFFFF, true, false, 2, 480, 96},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << ", " << c.y);
        EXPECT_EQ(Game::isBlockedAt(c.x, c.y, c.mask), c.blocked);
        EXPECT_EQ(Game::isBlockedAtB(c.x, c.y, c.mask), c.blockedInside);
        EXPECT_EQ(Game::cellValueAt(c.x, c.y), c.value);
        EXPECT_EQ(Game::cellLeftOf(c.x, c.y), c.left);
        EXPECT_EQ(Game::cellTopOf(c.x, c.y), c.top);
    }
}

TEST_F(CellGrids, LevelCellsWithLevelBitsAndTheOutsideNeverAskForALayer) {
    Game::isBlockedAt(140, 100, 1);   // 0x0200
    Game::isBlockedAt(0, 0, 1);       // 0x0002
    Game::isBlockedAt(-40, 10, 1);    // outside
    EXPECT_TRUE(calls().empty());
    Game::isBlockedAt(170, 140, 1);
    EXPECT_EQ(calls(), probesAt({{170, 140}}));
}

TEST_F(CellGrids, SelectionSearchesTheViewListInsideTheViewAndAllLayersOutside) {
    // The view holds nothing: inside it the layer is not found.
    Game::grids.s_viewObjectCount = 0;
    EXPECT_EQ(Game::cellValueAt(170, 140), 0);
    // Outside the view the level's layer list is searched.
    Game::mathStatics.cameraX = 400 << 14;
    EXPECT_EQ(Game::cellValueAt(170, 140), 0x0020);
}

TEST_F(CellGrids, ProbesLeaveTheSelectionAsTheyFoundIt) {
    std::mt19937 random(20261210);
    std::uniform_int_distribution<int32_t> coordinate(-80, 400);
    ObjectArray* layerGrid = static_cast<ObjectArray*>(Game::grids.s_layerGrids->elements()[0]);
    for (int i = 0; i < 1000; ++i) {
        CObject* before = (random() & 1) ? layer : nullptr;
        Game::setCurrentRoom(before);
        const int32_t x = coordinate(random), y = coordinate(random);
        switch (i % 5) {
            case 0: Game::isBlockedAt(x, y, 0xFFFF); break;
            case 1: Game::isBlockedAtB(x, y, 0xFFFF); break;
            case 2: Game::cellValueAt(x, y); break;
            case 3: Game::cellLeftOf(x, y); break;
            default: Game::cellTopOf(x, y); break;
        }
        ASSERT_EQ(Game::overlayStatics.currentRoom, before) << x << ", " << y;
        ASSERT_EQ(Game::grids.s_currentGrid, before ? layerGrid : Game::grids.s_levelGrid);
    }
}

TEST_F(CellGrids, CellTestsOfTheCurrentGrid) {
    // Level grid current: outside is a wall for testTableBit and 2 for the value.
    EXPECT_TRUE(Game::testTableBit(-1, 0, 0));
    EXPECT_FALSE(Game::testTableBitInside(-1, 0, 0xFFFF));
    EXPECT_EQ(Game::getTableCell(10, 0), 2);
    EXPECT_EQ(Game::getTableCell(0, 7), 0x2000);
    // A layer current: outside is clear and 0.
    Game::setCurrentRoom(layer);
    EXPECT_FALSE(Game::testTableBit(3, 0, 0xFFFF));
    EXPECT_EQ(Game::getTableCell(0, -1), 0);
    EXPECT_EQ(Game::getTableCell(2, 2), 0x0020);
    // Anything but a type-50 object selects the level grid.
    Game::setCurrentRoom(object(2, 5));
    EXPECT_EQ(Game::overlayStatics.currentRoom, nullptr);
    EXPECT_EQ(Game::grids.s_currentGrid, Game::grids.s_levelGrid);
}

TEST_F(CellGrids, SegmentsAreSampledEvery16PixelsAlongTheLongerAxis) {
    struct Case {
        int32_t x0, y0, x1, y1;
        std::vector<std::pair<int32_t, int32_t>> samples;
    };
    const Case cases[] = {
        {0, 40, 15, 55, {}},                                  // too short on both axes: no probe
        {0, 40, 40, 40, {{0, 40}, {16, 40}, {32, 40}}},       // the far end only on a multiple of 16
        {40, 40, 0, 40, {{0, 40}, {16, 40}, {32, 40}}},       // walked from the left end
        {0, 40, 32, 40, {{0, 40}, {16, 40}, {32, 40}}},
        {0, 40, 40, 60, {{0, 40}, {16, 48}, {32, 56}}},
        {0, 40, 20, 80, {{0, 40}, {8, 56}, {16, 72}}},
        {10, 100, 10, 40, {{10, 40}, {10, 56}, {10, 72}, {10, 88}}},  // vertical: on its column
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x0 << "," << c.y0 << " - " << c.x1 << "," << c.y1);
        calls().clear();
        EXPECT_FALSE(Game::isSegmentBlocked(c.x0, c.y0, c.x1, c.y1, 0x0002));
        EXPECT_EQ(calls(), probesAt(c.samples));
    }
    // A short segment over a blocked cell is still clear; longer ones find it.
    EXPECT_FALSE(Game::isSegmentBlocked(0, 0, 15, 15, 0x0002));
    EXPECT_TRUE(Game::isSegmentBlocked(20, 100, 20, 0, 0x0002));
    EXPECT_TRUE(Game::isSegmentBlocked(100, 0, 40, 40, 0x0002));
}

TEST_F(CellGrids, RowScansSampleTheEdgeAndCombineBySetting) {
    calls().clear();
    EXPECT_FALSE(Game::scanRowBlocked(0, 40, 64, 0, CObject::kUp, 0x0002, false));
    EXPECT_EQ(calls(), probesAt({{0, 40}, {31, 40}, {63, 40}}));
    calls().clear();
    EXPECT_FALSE(Game::scanRowBlocked(40, 40, 40, 30, CObject::kRight, 0x0002, false));
    EXPECT_EQ(calls(), probesAt({{70, 40}, {70, 71}}));

    struct Case {
        int32_t x, y, length, offset, direction, mask;
        bool all, blocked;
    };
    const Case cases[] = {
        {0, 0, 64, 0, CObject::kUp, 0x0002, false, true},        // (0, 0) blocks
        {0, 0, 64, 0, CObject::kUp, 0x0002, true, false},        // (63, 0) is clear
        {0, 216, 96, 8, CObject::kDown, 0x2000, true, true},     // the whole floor
        {0, 0, 64, 0, CObject::kLeft, 0x0002, false, true},      // a column: (0, 0), (0, 31), (0, 63)
        {32, 0, 64, 0, CObject::kLeft, 0x0002, false, false},
        {0, 0, 0, 0, CObject::kUp, 0xFFFF, true, true},          // no samples: the setting
        {0, 0, -5, 0, CObject::kUp, 0xFFFF, false, false},
        {0, 0, 64, 0, 0, 0xFFFF, true, false},                   // no direction
        {0, 0, 64, 0, 0x0020, 0xFFFF, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y << " len " << c.length << " dir " << c.direction
                                        << " all " << c.all);
        EXPECT_EQ(Game::scanRowBlocked(c.x, c.y, c.length, c.offset, c.direction, c.mask, c.all), c.blocked);
    }
}

TEST_F(CellGrids, PixelAreasIncludeTheirEdges) {
    EXPECT_FALSE(Game::isPixelAreaBlocked(32, 0, 31, 10, 0x0002));
    EXPECT_TRUE(Game::isPixelAreaBlocked(32, 0, 32, 10, 0x0002));  // x + w = 64: column 2
    EXPECT_FALSE(Game::isPixelAreaBlocked(32, 0, 0, 0, 0x0002));
    EXPECT_TRUE(Game::isPixelAreaBlocked(31, 0, 0, 0, 0x0002));
    EXPECT_TRUE(Game::isPixelAreaBlocked(40, 200, 0, 24, 0x2000));  // y + h = 224: the floor
    EXPECT_FALSE(Game::isPixelAreaBlocked(40, 200, 0, 23, 0x2000));
    EXPECT_FALSE(Game::isPixelAreaBlocked(0, 0, -1, 5, 0xFFFF));
    EXPECT_FALSE(Game::isPixelAreaBlocked(0, 0, 5, -1, 0xFFFF));
}

TEST_F(CellGrids, FootprintsOfType5ObjectsGoToTheLevelGrid) {
    packedKinds({{{30, -8}, {31, 40}, {32, 20}, {33, 50}, {34, 60}}});
    CObject* centred = object(3, 5, {{44, -1}}, 50, 200, 150);
    CObject* standing = object(4, 5, {{44, -1}, {CObject::PARAM_BOX_KIND, 1}}, 50, 200, 150);
    CObject* inLayer = object(5, 5, {{44, 0}}, 50, 201, 150);
    CObject* dying = object(6, 5, {{44, -1}, {CObject::PARAM_STATE, 5}}, 50, 200, 150);
    Game::markObjectFootprint(centred, 0);
    Game::markObjectFootprint(standing, 1);
    Game::markObjectFootprint(inLayer, 0);
    Game::markObjectFootprint(dying, 0);  // refused while set...
    Game::markObjectFootprint(dying, 1);  // ...but always cleared
    Game::markObjectFootprint(object(7, 6, {{44, -1}}), 0);
    Game::markObjectFootprint(nullptr, 1);
    const std::vector<RecordedCall> expected = {
        {"setGridFlagsInRect", {-1, 180, 132, 40, 20, 0, 0x10}},
        {"setGridFlagsInRect", {-1, 175, 90, 50, 60, 1, 0x10}},
        {"setGridFlagsInRect", {0, 181, 132, 40, 20, 0, 0x10}},
        {"setGridFlagsInRect", {-1, 180, 132, 40, 20, 1, 0x10}},
    };
    EXPECT_EQ(calls(), expected);
}

TEST_F(CellGrids, MarkerBitsByTypeAndResetMarksEveryObject) {
    struct Case {
        int32_t type, p17, mask;
    };
    for (const Case& c : {Case{13, 0, 0x0400}, Case{15, 1, 0x0040}, Case{15, 2, 0x0080}, Case{15, 3, 0x0008},
                          Case{17, 0, 0x1000}, Case{63, 0, 0x0800}, Case{5, 0, 0x0008}, Case{10, 1, 0x0008}})
        EXPECT_EQ(Game::targetMaskForObject(object(1, c.type, {{17, c.p17}})), c.mask) << c.type;
    Game::resetObjects(list({object(1, 13, {}, 50, 10, 20), object(2, 15, {}, 50, 30, 40)}));
    const std::vector<RecordedCall> expected = {{"selectTarget", {10, 20, 1}}, {"selectTarget", {30, 40, 1}}};
    EXPECT_EQ(calls(), expected);
}

}  // namespace
}  // namespace mrc::test
