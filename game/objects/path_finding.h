// QXLibPathFinding: routes between two cells of a grid of byte cells, with 4 or 8 neighbours,
// weighted straight and diagonal steps, an optional turn penalty and no cutting of blocked
// corners. Every node array is allocated by init and reused by each search; the open list is a
// cost-ordered doubly linked list threaded through those arrays, so a search allocates nothing.
// Node values are 16-bit: a grid has fewer than min(N, 65535) cells, N the configured node limit.
#pragma once

#include <cstdint>

#include "runtime/core/arrays.h"

class QXLibPathFinding : public Object {
public:
    MRC_CLASS(QXLibPathFinding, Object);
    MRC_REF_FIELDS(&QXLibPathFinding::m_parent, &QXLibPathFinding::m_prev, &QXLibPathFinding::m_next,
                   &QXLibPathFinding::m_g, &QXLibPathFinding::m_h, &QXLibPathFinding::m_grid,
                   &QXLibPathFinding::m_path);

    static constexpr int32_t kNone = 0xFFFF;  // no cell; in m_g and m_h: a closed cell
    static constexpr int32_t kNotFourOrEightText = 122;
    static constexpr int32_t kNotReadyText = 123;

    // Neighbour steps as (dx, dy): up, down, left, right, then the diagonals (-1, -1), (1, -1),
    // (-1, 1), (1, 1). The first four numbers are also the start directions of a search.
    struct Statics {
        IntArray* s_neighbours;  // int[16]
        MRC_REF_FIELDS(&Statics::s_neighbours);
    };
    static Statics statics;
    static void clinit();

    // ---- fields, in order ----
    ShortArray* m_parent;
    ShortArray* m_prev;
    ShortArray* m_next;
    ShortArray* m_g;
    ShortArray* m_h;
    int32_t m_costStraight;
    int32_t m_costDiagonal;
    int32_t m_costTurn;
    int32_t m_neighbours;
    int32_t m_width, m_height;
    ByteArray* m_grid;  // the caller's
    int32_t m_blockMask;
    ShortArray* m_path;  // the last route: the goal at 0 back to the start
    int32_t m_pathLast;  // -1: no route
    int32_t m_openHead;  // -1: empty
    bool m_ready;

    // The Java constructor: every field cleared, not ready.
    void init();
    void init(int32_t width, int32_t height, ByteArray* grid, int32_t costStraight, int32_t costDiagonal,
              int32_t costTurn, int32_t neighbours, int32_t blockMask);
    // Every bit of a cell blocks.
    void initNoMask(int32_t width, int32_t height, ByteArray* grid, int32_t costStraight, int32_t costDiagonal,
                    int32_t costTurn, int32_t neighbours);
    void release(bool keepPath);
    void findPath(int32_t startX, int32_t startY, int32_t startDirection, int32_t goalX, int32_t goalY);
    int32_t getPathLength();
    int32_t getPathX(int32_t i);
    int32_t getPathY(int32_t i);

private:
    void assertReady();
    void buildRoute(int32_t goal);
    void insertOpen(int32_t cell);
    void removeOpen(int32_t cell);
};

// ---- Game's route finder and route tables ----
struct PathFindingStatics {
    QXLibPathFinding* s_pathFinder;
    ByteArray* s_routeGrid;  // 50 x 30 cells, row by row
    int32_t s_liveRoutes;    // live route requests
    MRC_REF_FIELDS(&PathFindingStatics::s_pathFinder, &PathFindingStatics::s_routeGrid);
};

namespace mrc {
// Registers the finder's class, its statics and initialiser, and Game's route finder block; idempotent.
void registerPathFinding();
}  // namespace mrc
