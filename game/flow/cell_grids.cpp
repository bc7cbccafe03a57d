// The cell grids and the tile probes: which grid owns a pixel point (the level grid, or the grid
// of a layer object standing there), the cell under the point and its flag bits. A probe selects
// the owning grid, reads it and puts the previous selection back, so callers never see a probe's
// selection. Hot: movement and AI probe every frame; nothing here allocates.
#include <utility>

#include "framework/sprite/sprite_instance.h"
#include "game/flow/game.h"
#include "game/objects/cobject.h"
#include "runtime/core/jarith.h"
#include "runtime/core/static_class.h"

CellGridStatics Game::grids;

namespace {

constexpr int32_t kLevelOnlyBits = 0x028A;  // a level cell with these never belongs to a layer
constexpr int32_t kFootprintBit = 0x0010;

// The cell word of the grid, or false when (column, row) lies outside it.
bool cellOf(ObjectArray* grid, int32_t column, int32_t row, int32_t& value) {
    if (isNull(grid) || column < 0 || column >= grid->length) return false;
    auto* cells = static_cast<ShortArray*>(grid->elements()[column]);
    if (isNull(cells) || row < 0 || row >= cells->length) return false;
    value = cells->elements()[row];
    return true;
}

bool levelGridCurrent() { return isNull(Game::overlayStatics.currentRoom); }

// Runs `read` on the cell under the point in the grid owning it, the selection restored after.
template <class Read>
auto probeAt(int32_t x, int32_t y, Read read) {
    Object* previous = Game::overlayStatics.currentRoom;
    Game::selectGridAt(x, y, false);
    auto result = read(Game::pixelToTileX(x), Game::pixelToTileY(y));
    Game::setCurrentRoom(static_cast<CObject*>(previous));
    return result;
}

}  // namespace

void Game::setCurrentRoom(CObject* o) {
    if (!isNull(o) && o->m_type == kLayerType) {
        overlayStatics.currentRoom = o;
        grids.s_currentGrid = static_cast<ObjectArray*>(JArray::getRef(grids.s_layerGrids, o->param(19)));
    } else {
        overlayStatics.currentRoom = nullptr;
        grids.s_currentGrid = grids.s_levelGrid;
    }
}

bool Game::testTableBit(int32_t column, int32_t row, int32_t mask) {
    int32_t cell;
    if (!cellOf(grids.s_currentGrid, column, row, cell)) return levelGridCurrent();
    return (cell & mask) != 0;
}

bool Game::testTableBitInside(int32_t column, int32_t row, int32_t mask) {
    int32_t cell;
    return cellOf(grids.s_currentGrid, column, row, cell) && (cell & mask) != 0;
}

int32_t Game::getTableCell(int32_t column, int32_t row) {
    int32_t cell;
    if (!cellOf(grids.s_currentGrid, column, row, cell)) return levelGridCurrent() ? 2 : 0;
    return cell;
}

void Game::selectGridAt(int32_t x, int32_t y, bool flag) {
    setCurrentRoom(nullptr);
    if (testTableBit(x >> 5, y >> 5, kLevelOnlyBits)) return;
    const int32_t cameraX = mathStatics.cameraX >> 14;
    const int32_t cameraY = mathStatics.cameraY >> 14;
    const bool inView = cameraY <= y && y < cameraY + kScreenHeight && cameraX <= x && x < cameraX + kScreenWidth;
    CObject* found = inView ? findObjectInRange(x, y, grids.s_viewObjects, 0, grids.s_viewObjectCount, flag, false)
                            : findObjectInRange(x, y, objects.s_layerObjects, 0,
                                                isNull(objects.s_layerObjects) ? 0 : objects.s_layerObjects->length,
                                                flag, false);
    if (!isNull(found) && found->m_type == kLayerType) setCurrentRoom(found);
}

bool Game::isBlockedAt(int32_t x, int32_t y, int32_t mask) {
    return probeAt(x, y, [mask](int32_t c, int32_t r) { return testTableBit(c, r, mask); });
}

bool Game::isBlockedAtB(int32_t x, int32_t y, int32_t mask) {
    return probeAt(x, y, [mask](int32_t c, int32_t r) { return testTableBitInside(c, r, mask); });
}

int32_t Game::cellValueAt(int32_t x, int32_t y) {
    return probeAt(x, y, [](int32_t c, int32_t r) { return getTableCell(c, r); });
}

int32_t Game::cellLeftOf(int32_t x, int32_t y) {
    return probeAt(x, y, [](int32_t c, int32_t) { return tileToPixelX(c); });
}

int32_t Game::cellTopOf(int32_t x, int32_t y) {
    return probeAt(x, y, [](int32_t, int32_t r) { return tileToPixelY(r); });
}

bool Game::isSegmentBlocked(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t mask) {
    using mrc::jdiv;
    int32_t dx = x1 - x0, dy = y1 - y0;
    if (abs(dx) < 16 && abs(dy) < 16) return false;
    constexpr int32_t kStep = 16;
    if (abs(dx) >= abs(dy)) {
        if (dx < 0) {
            std::swap(x0, x1);
            std::swap(y0, y1);
            dx = -dx;
            dy = -dy;
        }
        const int32_t base = y0 - jdiv(dy * x0, dx);
        for (int64_t x = x0; x <= x1; x += kStep) {
            const auto xi = static_cast<int32_t>(x);
            if (isBlockedAt(xi, base + jdiv(dy * xi, dx), mask)) return true;
        }
        return false;
    }
    if (dy < 0) {
        std::swap(x0, x1);
        std::swap(y0, y1);
        dx = -dx;
        dy = -dy;
    }
    // A vertical segment has no line through x = f(y) to solve: it stays on its column.
    const int32_t base = dx == 0 ? 0 : y0 - jdiv(dy * x0, dx);
    for (int64_t y = y0; y <= y1; y += kStep) {
        const auto yi = static_cast<int32_t>(y);
        const int32_t x = dx == 0 ? x0 : jdiv((yi - base) * dx, dy);
        if (isBlockedAt(x, yi, mask)) return true;
    }
    return false;
}

bool Game::scanRowBlocked(int32_t x, int32_t y, int32_t length, int32_t offset, int32_t direction, int32_t mask,
                          bool all) {
    const bool alongRow = (direction & 0x4106) != 0;
    if (!alongRow && (direction & 0x1418) == 0) return false;
    const int32_t start = alongRow ? x : y;
    const int64_t end = int64_t{start} + length;
    for (int64_t p = start; p < end; p = p == start ? p + 31 : p + 32) {
        const auto s = static_cast<int32_t>(p);
        const bool blocked = alongRow ? isBlockedAt(s, y + offset, mask) : isBlockedAt(x + offset, s, mask);
        if (blocked != all) return blocked;
    }
    return all;
}

bool Game::isPixelAreaBlocked(int32_t x, int32_t y, int32_t w, int32_t h, int32_t mask) {
    if (w < 0 || h < 0) return false;
    for (int64_t px = x; px <= int64_t{x} + w; ++px)
        for (int64_t py = y; py <= int64_t{y} + h; ++py)
            if (isBlockedAt(static_cast<int32_t>(px), static_cast<int32_t>(py), mask)) return true;
    return false;
}

void Game::markObjectFootprint(CObject* o, int32_t mode) {
    if (isNull(o) || o->m_type != 5 || isNull(o->m_sprite)) return;
    if (mode != 1 && !o->isSelectable()) return;
    const int32_t kind = o->param(CObject::PARAM_KIND);
    const int32_t x = o->m_sprite->x >> 14, y = o->m_sprite->y >> 14;
    int32_t w, h, top;
    if (o->param(CObject::PARAM_BOX_KIND) != 0) {
        w = getPackedShort(kind, 33);
        h = getPackedShort(kind, 34);
        top = y - h;
    } else {
        w = getPackedShort(kind, 31);
        h = getPackedShort(kind, 32);
        top = y + getPackedSigned(kind, 30) - h / 2;
    }
    setGridFlagsInRect(o->param(44), x - w / 2, top, w, h, mode, kFootprintBit);
}

void Game::resetObjects(ObjectArray* list) {
    const int32_t n = isNull(list) ? 0 : list->length;
    for (int32_t i = 0; i < n; ++i) selectTarget(static_cast<CObject*>(JArray::getRef(list, i)), 1);
}

int32_t Game::targetMaskForObject(CObject* o) {
    if (isNull(o)) return 0x0008;
    switch (o->m_type) {
        case 13: return 0x0400;
        case 15: {
            const int32_t v = o->param(17);
            return v == 1 ? 0x0040 : v == 2 ? 0x0080 : 0x0008;
        }
        case 17: return 0x1000;
        case 63: return 0x0800;
        default: return 0x0008;
    }
}

namespace mrc {

void registerCellGridStatics() {
    static bool registered = false;
    if (registered) return;
    registered = true;
    StaticClass::registerStatics("Game.grids", &Game::grids);
}

}  // namespace mrc
