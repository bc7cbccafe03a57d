#include "game/objects/path_finding.h"

#include <algorithm>
#include <cstdlib>
#include <string>

#include "framework/config/qxlib_config.h"
#include "framework/core/qxlib.h"
#include "game/flow/game.h"
#include "runtime/core/application.h"
#include "runtime/core/object_manager.h"
#include "runtime/core/static_class.h"
#include "runtime/lang/construct.h"
#include "runtime/lang/string.h"
#include "runtime/lang/system.h"

QXLibPathFinding::Statics QXLibPathFinding::statics;

namespace {

mrc::Application* app() { return mrc::ApplicationImpl::getApplication(); }

void assertWith(bool condition, int32_t text) {
    if (!condition) QXLib::Assert(false, app()->staticClass->stringConstantOrNull(text));
}

int32_t nodeLimit() { return QXLibConfig::statics.PATH_WORK_LENGTH; }

// Grids of at least this many cells do not fit the 16-bit node values.
int32_t cellLimit() { return std::min(nodeLimit(), QXLibPathFinding::kNone); }

// Arrival directions: up, down, left, right.
constexpr int32_t kUp = 0, kDown = 1, kLeft = 2, kRight = 3;

// The game's route window and its route tables.
constexpr int32_t kRouteColumns = 50, kRouteRows = 30;
constexpr int32_t kRouteSlots = 20;

}  // namespace

void QXLibPathFinding::clinit() {
    statics.s_neighbours = app()->objectManager->newIntArray(16);
    JArray::fillInts(statics.s_neighbours, {0, -1, 0, 1, -1, 0, 1, 0, -1, -1, 1, -1, -1, 1, 1, 1});
}

void QXLibPathFinding::init() {
    m_parent = m_prev = m_next = m_g = m_h = nullptr;
    m_costStraight = m_costDiagonal = m_costTurn = 0;
    m_neighbours = 0;
    m_width = m_height = 0;
    m_grid = nullptr;
    m_blockMask = 0;
    m_path = nullptr;
    m_pathLast = 0;
    m_openHead = 0;
    m_ready = false;
}

void QXLibPathFinding::init(int32_t width, int32_t height, ByteArray* grid, int32_t costStraight,
                            int32_t costDiagonal, int32_t costTurn, int32_t neighbours, int32_t blockMask) {
    assertWith(neighbours == 4 || neighbours == 8, kNotFourOrEightText);
    const int64_t cells = static_cast<int64_t>(width) * height;
    if (width < 0 || height < 0 || cells >= cellLimit()) {
        const std::string text = "path finding: a grid of " + std::to_string(width) + " x " + std::to_string(height) +
                                 " cells needs fewer than " + std::to_string(cellLimit());
        QXLib::Assert(false, mrc::newString(text.c_str()));
    }
    m_width = width;
    m_height = height;
    m_grid = grid;
    m_costStraight = costStraight;
    m_costDiagonal = costDiagonal;
    m_costTurn = costTurn;
    m_neighbours = neighbours;
    m_blockMask = blockMask;
    mrc::ObjectManager* om = app()->objectManager;
    const int32_t n = nodeLimit();
    // Each array goes straight into a field of this (reachable) finder.
    m_parent = om->newShortArray(n);
    m_prev = om->newShortArray(n);
    m_next = om->newShortArray(n);
    m_g = om->newShortArray(n);
    m_h = om->newShortArray(n);
    m_path = om->newShortArray(n);
    m_pathLast = -1;
    m_openHead = -1;
    m_ready = true;
}

void QXLibPathFinding::initNoMask(int32_t width, int32_t height, ByteArray* grid, int32_t costStraight,
                                  int32_t costDiagonal, int32_t costTurn, int32_t neighbours) {
    init(width, height, grid, costStraight, costDiagonal, costTurn, neighbours, -1);
}

void QXLibPathFinding::release(bool keepPath) {
    m_ready = false;
    m_parent = m_prev = m_next = m_g = m_h = nullptr;
    m_grid = nullptr;
    if (!keepPath) {
        m_pathLast = -1;
        m_path = nullptr;
    }
    if (QXLibConfig::gcAfterRelease()) java_lang_System::gc();
}

void QXLibPathFinding::assertReady() { assertWith(m_ready, kNotReadyText); }

int32_t QXLibPathFinding::getPathLength() {
    assertReady();
    return m_pathLast + 1;
}

int32_t QXLibPathFinding::getPathX(int32_t i) {
    assertReady();
    const int32_t cell = JArray::getShort(m_path, i) & 0xFFFF;
    return m_width > 0 ? cell % m_width : 0;
}

int32_t QXLibPathFinding::getPathY(int32_t i) {
    assertReady();
    const int32_t cell = JArray::getShort(m_path, i) & 0xFFFF;
    return m_width > 0 ? cell / m_width : 0;
}

// The open list keeps ascending f = g + h; a cell goes before the first strictly greater f, so
// equal costs keep their insertion order.
void QXLibPathFinding::insertOpen(int32_t cell) {
    int16_t* prev = m_prev->elements();
    int16_t* next = m_next->elements();
    const int16_t* g = m_g->elements();
    const int16_t* h = m_h->elements();
    auto f = [&](int32_t c) { return (g[c] & 0xFFFF) + (h[c] & 0xFFFF); };
    const int32_t cost = f(cell);
    if (m_openHead < 0) {
        m_openHead = cell;
        prev[cell] = next[cell] = static_cast<int16_t>(kNone);
        return;
    }
    int32_t before = kNone;  // the cell the new one follows
    int32_t at = m_openHead;
    while (at != kNone && f(at) <= cost) {
        before = at;
        at = next[at] & 0xFFFF;
    }
    prev[cell] = static_cast<int16_t>(before);
    next[cell] = static_cast<int16_t>(at);
    if (at != kNone) prev[at] = static_cast<int16_t>(cell);
    if (before == kNone)
        m_openHead = cell;
    else
        next[before] = static_cast<int16_t>(cell);
}

void QXLibPathFinding::removeOpen(int32_t cell) {
    int16_t* prev = m_prev->elements();
    int16_t* next = m_next->elements();
    const int32_t p = prev[cell] & 0xFFFF;
    const int32_t n = next[cell] & 0xFFFF;
    if (p != kNone) next[p] = static_cast<int16_t>(n);
    if (n != kNone) prev[n] = static_cast<int16_t>(p);
    if (m_openHead == cell) m_openHead = n == kNone ? -1 : n;
    prev[cell] = next[cell] = static_cast<int16_t>(kNone);
}

void QXLibPathFinding::buildRoute(int32_t goal) {
    const int16_t* parent = m_parent->elements();
    int16_t* path = m_path->elements();
    const int32_t n = m_path->length;
    int32_t count = 0;
    for (int32_t cell = goal; cell != kNone && count < n; cell = parent[cell] & 0xFFFF) path[count++] = static_cast<int16_t>(cell);
    m_pathLast = count - 1;
}

void QXLibPathFinding::findPath(int32_t startX, int32_t startY, int32_t startDirection, int32_t goalX,
                                int32_t goalY) {
    assertReady();
    m_pathLast = -1;
    m_openHead = -1;
    const int32_t n = nodeLimit();
    const int64_t cells = static_cast<int64_t>(m_width) * m_height;
    // No search without the arrays, on a grid the 16-bit nodes cannot hold, or from outside it.
    if (!m_ready || isNull(m_parent) || isNull(m_prev) || isNull(m_next) || isNull(m_g) || isNull(m_h) ||
        isNull(m_path) || isNull(m_grid) || isNull(statics.s_neighbours) || m_width <= 0 || m_height <= 0 ||
        cells >= cellLimit() || cells > m_grid->length || m_parent->length < n || m_prev->length < n ||
        m_next->length < n || m_g->length < n || m_h->length < n || m_path->length < n ||
        statics.s_neighbours->length < 16)
        return;
    // Nothing below allocates: element pointers stay valid.
    int16_t* parent = m_parent->elements();
    int16_t* prev = m_prev->elements();
    int16_t* next = m_next->elements();
    int16_t* gs = m_g->elements();
    int16_t* hs = m_h->elements();
    std::fill(parent, parent + n, static_cast<int16_t>(kNone));
    std::fill(prev, prev + n, static_cast<int16_t>(kNone));
    std::fill(next, next + n, static_cast<int16_t>(kNone));
    std::fill(gs, gs + n, int16_t{0});
    std::fill(hs, hs + n, int16_t{0});
    std::fill(m_path->elements(), m_path->elements() + n, int16_t{0});
    if (startX < 0 || startX >= m_width || startY < 0 || startY >= m_height) return;

    const int8_t* grid = m_grid->elements();
    const int32_t* steps = statics.s_neighbours->elements();
    const int32_t mask = m_blockMask;
    const int32_t width = m_width, height = m_height;
    auto blocked = [&](int32_t x, int32_t y) { return (grid[x + width * y] & mask) != 0; };
    const int32_t goal = goalX >= 0 && goalX < width && goalY >= 0 && goalY < height ? goalX + width * goalY : -1;
    const int32_t neighbours = std::clamp(m_neighbours, 0, 8);

    int32_t direction = startDirection;
    int32_t current = startX + width * startY;
    for (;;) {
        removeOpen(current);
        const int32_t g = gs[current] & 0xFFFF;
        gs[current] = hs[current] = static_cast<int16_t>(kNone);
        if (current == goal) {
            buildRoute(goal);
            return;
        }
        const int32_t cx = current % width, cy = current / width;
        for (int32_t d = 0; d < neighbours; ++d) {
            const int32_t dx = steps[2 * d], dy = steps[2 * d + 1];
            const int32_t nx = cx + dx, ny = cy + dy;
            if (nx < 0 || nx >= width || ny < 0 || ny >= height) continue;
            // No cutting past a blocked side cell.
            if (dx != 0 && dy != 0 && (blocked(cx + dx, cy) || blocked(cx, cy + dy))) continue;
            const int32_t cell = nx + width * ny;
            if (blocked(nx, ny) || (gs[cell] & 0xFFFF) == kNone) continue;
            const int32_t newG = g + (d != direction ? m_costTurn : 0) + (dx != 0 && dy != 0 ? m_costDiagonal : m_costStraight);
            const bool open = (prev[cell] & 0xFFFF) != kNone || (next[cell] & 0xFFFF) != kNone || m_openHead == cell;
            if (!open) {
                const int32_t ex = std::abs(nx - goalX), ey = std::abs(ny - goalY);
                parent[cell] = static_cast<int16_t>(current);
                gs[cell] = static_cast<int16_t>(newG);
                hs[cell] = static_cast<int16_t>(m_costStraight * std::abs(ex - ey) + m_costDiagonal * std::min(ex, ey));
                insertOpen(cell);
            } else if ((gs[cell] & 0xFFFF) > newG) {
                parent[cell] = static_cast<int16_t>(current);
                gs[cell] = static_cast<int16_t>(newG);
                removeOpen(cell);
                insertOpen(cell);
            }
        }
        if (m_openHead < 0) {
            m_pathLast = -1;
            return;
        }
        current = m_openHead;
        const int32_t from = parent[current] & 0xFFFF;
        const int32_t px = from % width, py = from / width;
        const int32_t x = current % width, y = current / width;
        if (x == px)
            direction = y > py ? kDown : kUp;
        else
            direction = x < px ? kLeft : kRight;
    }
}

// ---- Game's route finder ----

PathFindingStatics Game::pathFinding;

void Game::initPathFinding() {
    mrc::ObjectManager* om = app()->objectManager;
    pathFinding.s_routeGrid = om->newByteArray(kRouteColumns * kRouteRows);
    grids.s_routeX = om->newByteArray(kRouteSlots * kRoutePoints);
    grids.s_routeY = om->newByteArray(kRouteSlots * kRoutePoints);
    grids.s_routePoint = om->newByteArray(kRouteSlots);
    objects.s_routeLength = om->newByteArray(kRouteSlots);
    objects.s_freeRoutes = kRouteSlots;
    pathFinding.s_liveRoutes = 0;
    pathFinding.s_pathFinder = mrc::newConstructed<QXLibPathFinding>();
    if (!isNull(pathFinding.s_pathFinder))
        pathFinding.s_pathFinder->init(kRouteColumns, kRouteRows, pathFinding.s_routeGrid, 10, 14, 0, 4, -1);
}

void Game::releasePathFinder() {
    pathFinding.s_routeGrid = nullptr;
    grids.s_routeX = nullptr;
    grids.s_routeY = nullptr;
    grids.s_routePoint = nullptr;
    objects.s_routeLength = nullptr;
    if (!isNull(pathFinding.s_pathFinder)) pathFinding.s_pathFinder->release(false);
    pathFinding.s_pathFinder = nullptr;
}

namespace mrc {

void registerPathFinding() {
    static bool registered = false;
    if (registered) return;
    registered = true;
    StaticClass::registerStatics("QXLibPathFinding", &QXLibPathFinding::statics);
    StaticClass::registerStatics("Game.pathFinding", &Game::pathFinding);
    StaticClass::setInitialiser(StaticInit::PathFindingNeighbours, &QXLibPathFinding::clinit);
    NewInstanceFactory::add<QXLibPathFinding>();
}

}  // namespace mrc
