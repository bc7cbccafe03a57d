#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "framework/config/qxlib_config.h"
#include "game/objects/path_finding.h"
#include "runtime/core/static_class.h"
#include "runtime/lang/construct.h"
#include "tests/game/world_fixture.h"

namespace {

using Cells = std::vector<std::pair<int32_t, int32_t>>;

class PathFindingTest : public mrc::test::WorldTest {
protected:
    void SetUp() override {
        WorldTest::SetUp();
        QXLibPathFinding::clinit();
    }

    // A grid from rows of text: '#' blocks (value 1), anything else is free.
    ByteArray* grid(const std::vector<std::string>& rows) {
        m_width = static_cast<int32_t>(rows[0].size());
        m_height = static_cast<int32_t>(rows.size());
        ByteArray* g = om()->newByteArray(m_width * m_height);
        for (int32_t y = 0; y < m_height; ++y)
            for (int32_t x = 0; x < m_width; ++x) g->elements()[x + m_width * y] = rows[y][x] == '#' ? 1 : 0;
        m_grid = g;
        return g;
    }
    QXLibPathFinding* finder(const std::vector<std::string>& rows, int32_t turn, int32_t neighbours) {
        ByteArray* g = grid(rows);
        m_finder = mrc::newConstructed<QXLibPathFinding>();
        m_finder->init(m_width, m_height, g, 10, 14, turn, neighbours, -1);
        return m_finder;
    }
    static Cells route(QXLibPathFinding* f) {
        Cells cells;
        for (int32_t i = 0; i < f->getPathLength(); ++i) cells.emplace_back(f->getPathX(i), f->getPathY(i));
        return cells;
    }
    static int32_t turns(const Cells& cells) {
        int32_t count = 0;
        for (size_t i = 2; i < cells.size(); ++i) {
            const int32_t ax = cells[i - 1].first - cells[i].first, ay = cells[i - 1].second - cells[i].second;
            const int32_t bx = cells[i - 2].first - cells[i - 1].first, by = cells[i - 2].second - cells[i - 1].second;
            if (ax != bx || ay != by) ++count;
        }
        return count;
    }
    // Every step of the route moves to a free neighbour.
    void expectConnected(const Cells& cells, bool diagonal) {
        for (size_t i = 0; i < cells.size(); ++i) {
            EXPECT_EQ(m_grid->elements()[cells[i].first + m_width * cells[i].second], 0) << "blocked cell in route";
            if (i == 0) continue;
            const int32_t dx = std::abs(cells[i].first - cells[i - 1].first);
            const int32_t dy = std::abs(cells[i].second - cells[i - 1].second);
            EXPECT_LE(dx, 1);
            EXPECT_LE(dy, 1);
            EXPECT_GT(dx + dy, 0);
            if (!diagonal) {
                EXPECT_EQ(dx + dy, 1);
            }
        }
    }

    int32_t m_width = 0, m_height = 0;
    ByteArray* m_grid = nullptr;
    QXLibPathFinding* m_finder = nullptr;
};

TEST_F(PathFindingTest, TheInitialiserSlotFillsTheNeighbourTableInOrder) {
    // The game's registration puts the finder's initialiser in its start-up slot.
    auto initialiser = mrc::StaticClass::setInitialiser(mrc::StaticInit::PathFindingNeighbours, nullptr);
    mrc::StaticClass::setInitialiser(mrc::StaticInit::PathFindingNeighbours, initialiser);
    EXPECT_EQ(initialiser, &QXLibPathFinding::clinit);
    ASSERT_NE(QXLibPathFinding::statics.s_neighbours, nullptr);
    const int32_t* s = QXLibPathFinding::statics.s_neighbours->elements();
    EXPECT_EQ(std::vector<int32_t>(s, s + 16),
              (std::vector<int32_t>{0, -1, 0, 1, -1, 0, 1, 0, -1, -1, 1, -1, -1, 1, 1, 1}));
}

TEST_F(PathFindingTest, InitAllocatesTheNodeArraysAndReleaseDropsThem) {
    QXLibPathFinding* f = mrc::newConstructed<QXLibPathFinding>();
    EXPECT_FALSE(f->m_ready);
    EXPECT_EQ(f->m_parent, nullptr);
    f->init(5, 5, grid({"....."}), 10, 14, 0, 4, 3);
    EXPECT_TRUE(f->m_ready);
    EXPECT_EQ(f->m_pathLast, -1);
    EXPECT_EQ(f->m_openHead, -1);
    EXPECT_EQ(f->m_blockMask, 3);
    for (ShortArray* a : {f->m_parent, f->m_prev, f->m_next, f->m_g, f->m_h, f->m_path}) {
        ASSERT_NE(a, nullptr);
        EXPECT_EQ(a->length, QXLibConfig::statics.PATH_WORK_LENGTH);
    }
    f->initNoMask(1, 1, m_grid, 10, 14, 0, 8);
    EXPECT_EQ(f->m_blockMask, -1);
    f->findPath(0, 0, 0, 0, 0);
    f->release(true);
    EXPECT_FALSE(f->m_ready);
    EXPECT_EQ(f->m_parent, nullptr);
    EXPECT_EQ(f->m_grid, nullptr);
    EXPECT_EQ(f->m_pathLast, 0);  // the one-cell route is kept
    EXPECT_NE(f->m_path, nullptr);
    f->release(false);
    EXPECT_EQ(f->m_pathLast, -1);
    EXPECT_EQ(f->m_path, nullptr);
}

TEST_F(PathFindingTest, EmptyGridRouteRunsFromTheGoalBackToTheStart) {
    QXLibPathFinding* f = finder({".....", ".....", ".....", ".....", "....."}, 0, 4);
    f->findPath(0, 0, 1, 4, 4);
    const Cells cells = route(f);
    ASSERT_EQ(cells.size(), 9u);
    EXPECT_EQ(cells.front(), std::make_pair(4, 4));
    EXPECT_EQ(cells.back(), std::make_pair(0, 0));
    expectConnected(cells, false);

    f->findPath(2, 3, 0, 2, 3);  // start on the goal: one cell
    EXPECT_EQ(route(f), (Cells{{2, 3}}));
}

TEST_F(PathFindingTest, DiagonalsNeverCutABlockedCorner) {
    // The diagonal from (0, 1) to (1, 0) would pass the blocked (0, 0): the route goes round.
    QXLibPathFinding* f = finder({"#..", "..#", "..."}, 0, 8);
    f->findPath(0, 1, 0, 1, 0);
    Cells cells = route(f);
    expectConnected(cells, true);
    for (size_t i = 1; i < cells.size(); ++i) {
        const int32_t dx = cells[i].first - cells[i - 1].first, dy = cells[i].second - cells[i - 1].second;
        if (dx != 0 && dy != 0) {
            EXPECT_EQ(m_grid->elements()[cells[i - 1].first + m_width * cells[i].second], 0);
            EXPECT_EQ(m_grid->elements()[cells[i].first + m_width * cells[i - 1].second], 0);
        }
    }
    // Where only a cut corner connects the two cells, there is no route at all.
    f = finder({".#", "#."}, 0, 8);
    f->findPath(0, 0, 0, 1, 1);
    EXPECT_EQ(f->getPathLength(), 0);
    f = finder({"..", ".."}, 0, 8);
    f->findPath(0, 0, 0, 1, 1);
    EXPECT_EQ(route(f), (Cells{{1, 1}, {0, 0}}));  // an open corner takes the diagonal
}

TEST_F(PathFindingTest, EqualCostsExpandInInsertionOrder) {
    // Straight down an open field.
    QXLibPathFinding* f = finder({"...", "...", "..."}, 0, 4);
    f->findPath(1, 0, 1, 1, 2);
    EXPECT_EQ(route(f), (Cells{{1, 2}, {1, 1}, {1, 0}}));
    // Two routes of equal cost around a block: up is inserted before down, so the upper way wins.
    f = finder({"...", ".#.", "..."}, 0, 4);
    f->findPath(0, 1, 3, 2, 1);
    EXPECT_EQ(route(f), (Cells{{2, 1}, {2, 0}, {1, 0}, {0, 0}, {0, 1}}));
}

TEST_F(PathFindingTest, TurnPenaltyPrefersFewerTurns) {
    const std::vector<std::string> open = {"......", "......", "......", "......", "......", "......"};
    QXLibPathFinding* f = finder(open, 25, 4);
    f->findPath(0, 0, 3, 5, 5);
    Cells withPenalty = route(f);
    ASSERT_EQ(withPenalty.size(), 11u);
    EXPECT_EQ(turns(withPenalty), 1);
    expectConnected(withPenalty, false);

    f = finder(open, 0, 4);
    f->findPath(0, 0, 3, 5, 5);
    Cells withoutPenalty = route(f);
    ASSERT_EQ(withoutPenalty.size(), 11u);
    EXPECT_GT(turns(withoutPenalty), 1);  // straight runs are not preferred
}

TEST_F(PathFindingTest, UnreachableGoalsGiveNoRoute) {
    struct Case {
        const char* what;
        std::vector<std::string> rows;
        int32_t sx, sy, gx, gy;
    };
    const Case cases[] = {
        {"walled goal", {".....", "...#.", "..#.#", "...#.", "....."}, 0, 0, 3, 2},
        {"blocked goal", {"....", "...#"}, 0, 0, 3, 1},
        {"goal outside", {"....", "...."}, 0, 0, 4, 0},
        {"start outside", {"....", "...."}, -1, 0, 2, 0},
        {"start below", {"....", "...."}, 0, 2, 2, 0},
    };
    for (const Case& c : cases) {
        QXLibPathFinding* f = finder(c.rows, 0, 4);
        f->findPath(c.sx, c.sy, 0, c.gx, c.gy);
        EXPECT_EQ(f->m_pathLast, -1) << c.what;
        EXPECT_EQ(f->getPathLength(), 0) << c.what;
    }
}

TEST_F(PathFindingTest, AGridBeyondTheNodeLimitIsRefused) {
    // 100 x 90 cells do not fit the 9000 nodes: the assertion is logged and no search runs.
    QXLibPathFinding* f = mrc::newConstructed<QXLibPathFinding>();
    f->init(100, 90, om()->newByteArray(9000), 10, 14, 0, 4, -1);
    f->findPath(0, 0, 0, 1, 0);
    EXPECT_EQ(f->getPathLength(), 0);
    f->init(100, 89, om()->newByteArray(8900), 10, 14, 0, 4, -1);
    f->findPath(0, 0, 0, 99, 88);
    EXPECT_EQ(f->getPathLength(), 99 + 88 + 1);
}

TEST_F(PathFindingTest, GameSetUpPlansAcrossTheRouteWindow) {
    Game::initPathFinding();
    QXLibPathFinding* f = Game::pathFinding.s_pathFinder;
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(Game::pathFinding.s_routeGrid->length, 1500);
    EXPECT_EQ(Game::grids.s_routeX->length, 500);
    EXPECT_EQ(Game::grids.s_routeY->length, 500);
    EXPECT_EQ(Game::grids.s_routePoint->length, 20);
    EXPECT_EQ(Game::objects.s_routeLength->length, 20);
    EXPECT_EQ(Game::objects.s_freeRoutes, 20);
    EXPECT_EQ(Game::pathFinding.s_liveRoutes, 0);
    EXPECT_EQ(f->m_width, 50);
    EXPECT_EQ(f->m_height, 30);
    EXPECT_EQ(f->m_neighbours, 4);
    EXPECT_EQ(f->m_blockMask, -1);
    EXPECT_EQ(f->m_costTurn, 0);

    // A wall down column 25 with one gap at row 29: any non-zero value blocks.
    int8_t* g = Game::pathFinding.s_routeGrid->elements();
    for (int32_t y = 0; y < 29; ++y) g[25 + 50 * y] = static_cast<int8_t>(0x40);
    f->findPath(0, 0, 3, 49, 0);
    ASSERT_GT(f->getPathLength(), 0);
    EXPECT_EQ(f->getPathLength(), 49 + 29 * 2 + 1);
    EXPECT_EQ(f->getPathX(0), 49);
    EXPECT_EQ(f->getPathY(f->getPathLength() - 1), 0);

    Game::releasePathFinder();
    EXPECT_EQ(Game::pathFinding.s_pathFinder, nullptr);
    EXPECT_EQ(Game::pathFinding.s_routeGrid, nullptr);
    EXPECT_EQ(Game::grids.s_routeX, nullptr);
    EXPECT_EQ(Game::objects.s_routeLength, nullptr);
    EXPECT_FALSE(f->m_ready);
    EXPECT_EQ(f->m_pathLast, -1);
}

}  // namespace
