// Sweeps over the cells of a pixel rectangle: whether any cell blocks, where a moving box must stop
// before blocked cells, and which foreground cells to paint again over an object. Each axis is
// sampled at its start, 31 pixels further and then every 32, so both edges of every 32-pixel cell
// are reached with one sample per cell.
#include "framework/sprite/sprite_instance.h"
#include "game/flow/game.h"
#include "game/objects/cobject.h"
#include "runtime/core/application.h"
#include "runtime/core/object_manager.h"

namespace {

// The sampling rule's next coordinate after p on an axis starting at s.
int64_t nextSample(int64_t s, int64_t p) { return p == s ? p + 31 : p + 32; }

constexpr int32_t kMovesHorizontally = 0x1418, kMovesRight = 0x1010;
constexpr int32_t kMovesVertically = 0x4106, kMovesDown = 0x4004;
constexpr int32_t kMaxPushCells = 6;

// Room for the samples of a span of `length` pixels (length / 32 + 2), the list grown on need.
IntArray* sampleList(int32_t length) {
    const int32_t need = length / Game::kCellSize + 2;
    IntArray*& list = Game::grids.s_moveSamples;
    if (isNull(list) || list->length < need)
        list = mrc::ApplicationImpl::getApplication()->objectManager->newIntArray(need);
    return list;
}

// The push-out along one axis. `along` probes a point of the moving axis m and the sampled axis s.
struct Push {
    int32_t lead;    // the leading coordinate on the moving axis
    int32_t start;   // the sampled span on the other axis
    int32_t length;
    bool forward;    // towards larger coordinates
    bool vertical;
    int32_t mask;

    bool blocked(int32_t m, int32_t s) const {
        return vertical ? Game::isBlockedAt(s, m, mask) : Game::isBlockedAt(m, s, mask);
    }
    CObject* objectAt(int32_t m, int32_t s) const {
        const int32_t x = vertical ? s : m, y = vertical ? m : s;
        return Game::findObjectInRange(x, y, Game::grids.s_viewObjects, 0, Game::grids.s_viewObjectCount, false,
                                       false);
    }
    int32_t objectEdge(int32_t m, int32_t s) const {
        const int32_t x = vertical ? s : m, y = vertical ? m : s;
        return Game::findOnScreenObject(x, y, 1, forward ? 0 : 1, vertical ? 1 : 0);
    }
    int32_t cellEdge(int32_t m) const {
        return vertical ? Game::cellTopOf(start, m) : Game::cellLeftOf(m, start);
    }
};

int32_t pushOut(const Push& p, int32_t offset, int32_t size) {
    // Indexed afresh after every probe: the object queries may allocate and move the list's elements.
    const int32_t capacity = sampleList(p.length)->length;
    auto rows = [](int32_t i) -> int32_t& { return Game::grids.s_moveSamples->elements()[i]; };
    int32_t count = 0;
    bool object = false;
    const int64_t end = int64_t{p.start} + p.length;
    for (int64_t s = p.start; s < end && count < capacity; s = nextSample(p.start, s)) {
        const auto si = static_cast<int32_t>(s);
        if (!p.blocked(p.lead, si)) continue;
        rows(count++) = si;
        if (!object) object = !isNull(p.objectAt(p.lead, si));
    }
    if (count == 0) return p.forward ? p.lead + offset : p.lead + 1 - size + offset;

    auto allBlocked = [&](int32_t m) {
        for (int32_t i = 0; i < count; ++i)
            if (!p.blocked(m, rows(i))) return false;
        return true;
    };
    const int32_t step = p.forward ? Game::kCellSize : -Game::kCellSize;
    int32_t m = p.forward ? p.lead + Game::kCellSize : p.lead - 31;
    for (int32_t n = 1; n < kMaxPushCells && allBlocked(m); ++n) m += step;

    if (!object) return p.forward ? p.cellEdge(m) + offset : p.cellEdge(m) - size + offset + Game::kCellSize;
    int32_t edge = 0;
    for (int32_t i = 0; i < count; ++i) {
        const int32_t e = p.objectEdge(m - 2 * step, rows(i));
        if (i == 0 || (p.forward ? e > edge : e < edge)) edge = e;
    }
    return p.forward ? edge + offset + Game::kCellSize : edge - size + offset;
}

}  // namespace

bool Game::scanAreaBlocked(int32_t x, int32_t y, int32_t w, int32_t h, int32_t mask) {
    const int64_t bottom = int64_t{y} + h, right = int64_t{x} + w;
    for (int64_t row = y; row < bottom; row = nextSample(y, row))
        for (int64_t column = x; column < right; column = nextSample(x, column))
            if (isBlockedAt(static_cast<int32_t>(column), static_cast<int32_t>(row), mask)) return true;
    return false;
}

void Game::paintForegroundCells(javax_microedition_lcdui_Graphics* g, int32_t left, int32_t top, int32_t right,
                                int32_t bottom, int32_t baseY, int32_t centreX, bool alternate, bool variant) {
    const int32_t firstColumn = left / kCellSize, lastColumn = right / kCellSize;
    const int32_t topRow = top / kCellSize, bottomRow = bottom / kCellSize;
    const int32_t anchorRow = baseY / kCellSize;
    // Cells at or above this row that have nothing to paint cut the column off.
    const int32_t cutRow = baseY % kCellSize == 0 ? anchorRow - 1 : anchorRow;
    int32_t tested = alternate ? 6 : 4;
    const int32_t edgeMask = alternate ? (variant ? 6 : 70) : tested;
    const bool switchesMask = alternate && !variant;
    bool painted = false;

    ObjectArray* grid = grids.s_currentGrid;
    auto inside = [grid](int32_t c, int32_t r) {
        if (isNull(grid) || c < 0 || c >= grid->length) return false;
        auto* cells = static_cast<ShortArray*>(grid->elements()[c]);
        return !isNull(cells) && r >= 0 && r < cells->length;
    };
    auto column = [&](int32_t c, int32_t outer) {
        bool continuous = true;
        for (int32_t r = bottomRow; r >= topRow; --r) {
            if (!inside(c, r)) continue;
            const bool hit = testTableBit(c, r, tested);
            const bool edge = edgeMask != tested && testTableBit(c, r, edgeMask) && !testTableBit(outer, r, edgeMask);
            if (!hit && !edge) {
                if (r <= cutRow) continuous = false;
                continue;
            }
            if (kCellSize * r + kCellSize >= baseY || continuous) {
                paintMapCells(g, left, top, right, bottom, c, r, variant);
                if (switchesMask && !painted) tested = 70;
                painted = true;
            }
        }
    };
    const int32_t centreColumn = centreX / kCellSize;
    for (int32_t c = centreColumn; c <= lastColumn; ++c) column(c, c - 1);
    for (int32_t c = centreColumn - 1; c >= firstColumn; --c) column(c, c + 1);
}

int32_t Game::findMoveLimit(int32_t x, int32_t y, int32_t direction, int32_t mask, int32_t offset, int32_t offsetY,
                            int32_t w, int32_t h) {
    if (direction & kMovesHorizontally) return pushOut({x, y, h, (direction & kMovesRight) != 0, false, mask}, offset, w);
    if (direction & kMovesVertically) return pushOut({y, x, w, (direction & kMovesDown) != 0, true, mask}, offsetY, h);
    return x;
}
