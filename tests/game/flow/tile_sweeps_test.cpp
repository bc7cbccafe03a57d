#include <gtest/gtest.h>

#include "tests/game/cell_grid_fixture.h"

namespace mrc::test {
namespace {

using TileSweeps = CellGridTest;

std::vector<int32_t> probedRows() {
    std::vector<int32_t> rows;
    for (const auto& c : CellGridTest::callsOf("findObjectInRange")) rows.push_back(c.args[1]);
    return rows;
}

TEST_F(TileSweeps, AreasAreSampledAtBothEdgesOfEachCell) {
    struct Case {
        int32_t h;
        std::vector<int32_t> rows;
    };
    for (const Case& c : {Case{0, {}}, Case{-3, {}}, Case{1, {40}}, Case{32, {40, 71}}, Case{33, {40, 71}},
                          Case{64, {40, 71, 103}}, Case{65, {40, 71, 103}}}) {
        calls().clear();
        EXPECT_FALSE(Game::scanAreaBlocked(40, 40, 1, c.h, 0xFFFF)) << c.h;
        EXPECT_EQ(probedRows(), c.rows) << c.h;
    }
    EXPECT_TRUE(Game::scanAreaBlocked(40, 200, 1, 33, 0x2000));   // y + 31 reaches the floor
    EXPECT_FALSE(Game::scanAreaBlocked(40, 200, 1, 24, 0x2000));  // 224 is past the area
    EXPECT_TRUE(Game::scanAreaBlocked(33, 0, 32, 1, 0x0002));     // 33 + 31 = 64: column 2
    EXPECT_FALSE(Game::scanAreaBlocked(33, 0, 31, 1, 0x0002));
}

struct PaintCase {
    const char* name;
    std::vector<std::string> level;
    int32_t baseY;
    bool alternate, variant;
    std::vector<std::pair<int32_t, int32_t>> painted;
};

class ForegroundCells : public CellGridTest, public testing::WithParamInterface<PaintCase> {};

TEST_P(ForegroundCells, PaintsTheCellsInFrontOfTheObject) {
    const PaintCase& c = GetParam();
    useLevel(c.level);
    // The box covers columns 1-2 and rows 2-6; its centre is in column 1.
    Game::paintForegroundCells(nullptr, 40, 64, 80, 223, c.baseY, 40, c.alternate, c.variant);
    std::vector<RecordedCall> expected;
    for (auto [column, row] : c.painted) expected.push_back({"paintMapCells", {column, row, c.variant ? 1 : 0}});
    EXPECT_EQ(calls(), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ForegroundCells,
    testing::Values(
        // Column 1 is cut at the gap above the feet: the tiles above it stay behind the object.
        PaintCase{"CutAboveAGap", {"....", "....", ".4..", ".4..", "....", ".4..", ".4.."}, 200, false, false,
                  {{1, 6}, {1, 5}}},
        PaintCase{"ContinuousColumn", {"....", "....", ".4..", ".4..", ".4..", ".4..", ".4.."}, 200, false, false,
                  {{1, 6}, {1, 5}, {1, 4}, {1, 3}, {1, 2}}},
        // A gap in the feet's row counts only when the feet are inside that row.
        PaintCase{"GapInTheFeetRowOnABoundary", {"....", "....", "....", "....", "..4.", "..4.", "...."}, 192, false,
                  false, {{2, 5}, {2, 4}}},
        PaintCase{"GapInTheFeetRowInside", {"....", "....", "....", "....", "..4.", "..4.", "...."}, 200, false,
                  false, {}},
        // Alternate mask 6 takes bit 2; its first painted cell adds 64 for the rest of the call.
        PaintCase{"AlternateSwitchesTheMask", {"....", "....", "....", "....", "....", "BB..", ".2.."}, 200, true,
                  false, {{1, 6}, {1, 5}}},
        PaintCase{"VariantKeepsTheMask", {"....", "....", "....", "....", "....", "BB..", ".2.."}, 200, true, true,
                  {{1, 6}}},
        PaintCase{"EdgeBesideTheSameBits", {"....", "....", "....", "....", "....", "BB..", "...."}, 192, true,
                  false, {}},
        // An edge: the cell has the edge mask and its outer neighbour has not.
        PaintCase{"EdgeWithoutNeighbour", {"....", "....", "....", "....", "....", ".B..", "...."}, 192, true,
                  false, {{1, 5}}},
        PaintCase{"NoEdgeWithoutAlternate", {"....", "....", "....", "....", "....", ".B..", "...."}, 192, false,
                  false, {}},
        // The second sweep goes left from the centre column minus one; here that is column 0,
        // outside the box's columns, so nothing.
        PaintCase{"RightSweepOnly", {"....", "....", "....", "....", "....", "....", "4444"}, 200, false, false,
                  {{1, 6}, {2, 6}}}),
    [](const testing::TestParamInfo<PaintCase>& info) { return std::string(info.param.name); });

TEST_F(TileSweeps, ForegroundCellsSweepBothSidesOfTheCentreAndSkipTheOutside) {
    useLevel({"4444", "4444"});
    // Box over columns 0-5 (beyond the map's 4), rows 0-1; centre in column 2.
    Game::paintForegroundCells(nullptr, 0, 0, 191, 63, 64, 70, false, false);
    std::vector<std::pair<int32_t, int32_t>> painted;
    for (const auto& c : callsOf("paintMapCells")) painted.push_back({c.args[0], c.args[1]});
    const std::vector<std::pair<int32_t, int32_t>> expected = {{2, 1}, {2, 0}, {3, 1}, {3, 0},
                                                               {1, 1}, {1, 0}, {0, 1}, {0, 0}};
    EXPECT_EQ(painted, expected);
}

// A wall three cells thick in rows 1-2 (columns 3-5), the cell beyond it free in row 2 only.
const std::vector<std::string> kWall = {"..........",
                                        "...XXXX...",
                                        "...XXX....",
                                        "..........",
                                        "..........",
                                        "..........",
                                        "..........",
                                        ".........."};

TEST_F(TileSweeps, MoveLimitsPushOutOfBlockedCells) {
    useLevel(kWall);
    struct Case {
        int32_t x, y, direction, offset, offsetY, w, h, limit;
    };
    const Case cases[] = {
        // Right from column 3: columns 4, 5 blocked in both rows, column 6 free in row 2.
        {100, 40, CObject::kRight, 5, 0, 20, 40, 192 + 5},
        // Left from column 5: column 4 and 3 blocked, column 2 free: its edge - w + offset + 32.
        {170, 40, CObject::kLeft, 5, 0, 20, 40, 64 - 20 + 5 + 32},
        // No blocked row at the leading edge.
        {40, 40, CObject::kRight, 5, 0, 20, 40, 40 + 5},
        {40, 40, CObject::kLeft, 5, 0, 20, 40, 40 + 1 - 20 + 5},
        // Down from row 1 at column 3-4: row 2 blocked in both columns, row 3 free.
        {100, 40, CObject::kDown, 0, 3, 40, 20, 96 + 3},
        // Up from row 2: row 1 blocked, row 0 free: its top - h + offsetY + 32.
        {100, 80, CObject::kUp, 0, 3, 40, 20, 0 - 20 + 3 + 32},
        {100, 40, 0x0020, 5, 3, 20, 40, 100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y << " dir " << c.direction);
        EXPECT_EQ(Game::findMoveLimit(c.x, c.y, c.direction, 0xFFFF, c.offset, c.offsetY, c.w, c.h), c.limit);
    }
}

TEST_F(TileSweeps, MoveLimitsStopAfterSixCells) {
    useLevel({"XXXXXXXXXXX", "XXXXXXXXXXX"});
    EXPECT_EQ(Game::findMoveLimit(6, 0, CObject::kRight, 0xFFFF, 0, 0, 20, 40), 192);
    EXPECT_EQ(Game::findMoveLimit(300, 0, CObject::kLeft, 0xFFFF, 0, 0, 20, 40), 96 - 20 + 32);
}

TEST_F(TileSweeps, MoveLimitsAgainstObjectsUseTheirEdges) {
    useLevel(kWall);
    CObject* block = object(9, 10);
    hits()[{100, 71}] = block;
    objectEdges()[{132, 40}] = 150;  // two cells before the free column 6 (x = 196)
    objectEdges()[{132, 71}] = 170;
    EXPECT_EQ(Game::findMoveLimit(100, 40, CObject::kRight, 0xFFFF, 5, 0, 20, 40), 170 + 5 + 32);
    const std::vector<RecordedCall> edges = {{"findOnScreenObject", {132, 40, 1, 0, 0}},
                                             {"findOnScreenObject", {132, 71, 1, 0, 0}}};
    EXPECT_EQ(callsOf("findOnScreenObject"), edges);

    calls().clear();
    hits()[{170, 40}] = block;
    objectEdges()[{139, 40}] = 90;  // two cells before the free column 2 (x = 75)
    objectEdges()[{139, 71}] = 80;
    // Left: the smallest edge, minus w, plus offset.
    EXPECT_EQ(Game::findMoveLimit(170, 40, CObject::kLeft, 0xFFFF, 5, 0, 20, 40), 80 - 20 + 5);
    const std::vector<RecordedCall> leftEdges = {{"findOnScreenObject", {139, 40, 1, 1, 0}},
                                                 {"findOnScreenObject", {139, 71, 1, 1, 0}}};
    EXPECT_EQ(callsOf("findOnScreenObject"), leftEdges);

    // Down from row 1 over columns 3-4: rows 1 and 2 blocked, row 3 free; edges from row 1.
    calls().clear();
    hits()[{100, 40}] = block;
    objectEdges()[{100, 40}] = 60;
    objectEdges()[{131, 40}] = 50;
    EXPECT_EQ(Game::findMoveLimit(100, 40, CObject::kDown, 0xFFFF, 5, 3, 40, 20), 60 + 3 + 32);
    const std::vector<RecordedCall> downEdges = {{"findOnScreenObject", {100, 40, 1, 0, 1}},
                                                 {"findOnScreenObject", {131, 40, 1, 0, 1}}};
    EXPECT_EQ(callsOf("findOnScreenObject"), downEdges);
}

}  // namespace
}  // namespace mrc::test
