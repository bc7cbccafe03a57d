// The player's box against the collision cells: box tests at a position, the leading edge in a
// direction, ledges beneath the box, runs of blocked cells and the side-step that slides a blocked
// move around a corner. All probes go through Game's cell tests, which leave the grid selection
// as they found it.
#include "framework/sprite/sprite_instance.h"
#include "game/flow/game.h"
#include "game/objects/cobject.h"
#include "runtime/core/jarith.h"

namespace {

constexpr int32_t kLedgeBit = 512;
constexpr int32_t kHeavyBit = 1024;
constexpr int32_t kStandBit = 16;

CObject::Statics& st() { return CObject::statics; }

// The player's box placed at an object's position, in pixels; false without a position.
struct PlayerBox {
    int32_t left = 0, top = 0, width = 0, height = 0;
    bool placed = false;
};

PlayerBox playerBoxAtPixels(int32_t x, int32_t y) {
    return {x - st().s_boxOffsetX, y - st().s_boxOffsetY, st().s_boxWidth, st().s_boxHeight, true};
}

PlayerBox playerBoxAt(CObject* o) {
    if (isNull(o) || isNull(o->m_sprite)) return {};
    return playerBoxAtPixels(o->m_sprite->x >> 14, o->m_sprite->y >> 14);
}

bool boxBlocked(const PlayerBox& b, int32_t mask) {
    return b.placed && Game::scanAreaBlocked(b.left, b.top, b.width, b.height, mask);
}

// Stops a run from walking a layer grid for ever: its outside is clear. Outside the level grid
// every cell blocks, so the level needs no bound.
struct RunBound {
    bool layer = !isNull(Game::overlayStatics.currentRoom);
    int32_t columns = 0, rows = 0;
    RunBound() {
        ObjectArray* grid = Game::grids.s_currentGrid;
        if (!layer || isNull(grid)) return;
        columns = grid->length;
        auto* first = columns > 0 ? static_cast<ShortArray*>(grid->elements()[0]) : nullptr;
        rows = isNull(first) ? 0 : first->length;
    }
    bool outsideX(int32_t x) const {
        const int32_t c = Game::pixelToTileX(x);
        return layer && (c < 0 || c >= columns);
    }
    bool outsideY(int32_t y) const {
        const int32_t r = Game::pixelToTileY(y);
        return layer && (r < 0 || r >= rows);
    }
};

int32_t runMask() { return Game::stateStatics.playMode != 0 ? 2 : 0x42; }

}  // namespace

// ---- box tests ----

bool CObject::isBoxBlocked(CObject* o) { return boxBlocked(playerBoxAt(o), statics.s_playerCollisionMask); }

bool CObject::isBoxBlockedAt(int32_t x, int32_t y) {
    return boxBlocked(playerBoxAtPixels(x, y), statics.s_playerCollisionMask);
}

bool CObject::isBoxBlockedAtMask(int32_t x, int32_t y, int32_t mask) {
    return boxBlocked(playerBoxAtPixels(x, y), mask);
}

bool CObject::isBoxBlockedMask(CObject* o, int32_t mask) { return boxBlocked(playerBoxAt(o), mask); }

bool Game::isRectBlocked(int32_t x, int32_t y, int32_t w, int32_t h, int32_t mask) {
    if (h <= 0) return false;
    const int32_t lastRow = y + h - 1, lastColumn = x + w - 1;
    for (int32_t cy = y;; cy = cy + kCellSize > lastRow ? lastRow : cy + kCellSize) {
        for (int32_t cx = x;; cx = cx + kCellSize > lastColumn ? lastColumn : cx + kCellSize) {
            if (isBlockedAt(cx, cy, mask)) return true;
            if (cx >= lastColumn) break;
        }
        if (cy >= lastRow) break;
    }
    return false;
}

bool Game::isTileMaskAt(CObject* o) {
    if (isNull(o) || isNull(o->m_sprite)) return false;
    return isBlockedAt(o->m_sprite->x >> 14, o->m_sprite->y >> 14, 0x2020);
}

// ---- edges and directions ----

bool CObject::collidesInDirection(CObject* o, int32_t direction, int32_t mask, int32_t distance, bool all) {
    const PlayerBox b = playerBoxAt(o);
    if (!b.placed) return false;
    if (direction & 0x408) return Game::scanRowBlocked(b.left, b.top, b.height, -distance, kLeft, mask, all);
    if (direction & 0x1010)
        return Game::scanRowBlocked(b.left + b.width - 1, b.top, b.height, distance, kRight, mask, all);
    if (direction & 0x102) return Game::scanRowBlocked(b.left, b.top, b.width, -distance, kUp, mask, all);
    if (direction & 0x4004)
        return Game::scanRowBlocked(b.left, b.top + b.height - 1, b.width, distance, kDown, mask, all);
    return false;
}

int32_t CObject::hitTestDirectional(CObject* object, CObject* attacker, int32_t direction) {
    if ((direction & 0xF79E) == 0 || isNull(object) || isNull(object->m_sprite)) return 0;
    if (!collidesInDirection(attacker, direction, kHeavyBit, 32, false)) return 0;
    return Game::computeBorderDistance(attacker, direction, 16, object->m_sprite->x >> 14, object->m_sprite->y >> 14,
                                       object->param(2) * 32, object->param(3) * 32);
}

bool Game::isPlayerBlockedInDirection(int32_t direction, int32_t n, int32_t mask) {
    if (isNull(CObject::statics.s_heldObject)) return false;
    const PlayerBox b = playerBoxAt(objects.s_player);
    if (!b.placed) return false;
    const int32_t d = kCellSize * n;
    switch (direction) {
        case CObject::kUp: return isBlockedAt(b.left, b.top - d, mask);
        case CObject::kLeft: return isBlockedAt(b.left - d, b.top, mask);
        case CObject::kRight: return isBlockedAt(b.left + b.width + d - 1, b.top, mask);
        case CObject::kDown: return isBlockedAt(b.left, b.top + b.height + d - 1, mask);
        default: return isBlockedAt(b.left, b.top, mask);
    }
}

bool CObject::probeCellForHeld(int32_t direction, int32_t n) {
    if (isNull(statics.s_heldObject)) return false;
    const PlayerBox b = playerBoxAt(Game::objects.s_player);
    if (!b.placed) return false;
    int32_t x = b.left, y = b.top;
    const int32_t d = 32 * n;
    switch (direction) {
        case kRight: x += d; break;
        case kUp: y -= d; break;
        case kLeft: x -= d; break;
        case kDown: y += d; break;
        default: break;
    }
    return probeLeavesBox(direction, statics.s_heldObject, x, y, b.width, b.height);
}

void CObject::probeBoxShifted(CObject* o, int32_t direction) {
    if (isNull(o) || isNull(o->m_sprite)) return;
    ASpriteInstance* s = o->m_sprite;
    const int32_t x = s->x, y = s->y;
    constexpr int32_t kCell = 32 << 14;
    Game::clearTarget(o);
    if (direction & 0x1010)
        s->x += kCell;
    else if (direction & 0x408)
        s->x -= kCell;
    else if (direction & 0x4004)
        s->y += kCell;
    else if (direction & 0x102)
        s->y -= kCell;
    Game::selectTarget(o, 0);
    s->x = x;
    s->y = y;
}

// ---- ledges ----

bool CObject::isEdgeClear(CObject* o, int32_t direction, bool ignoreLevelMask) {
    const PlayerBox b = playerBoxAt(o);
    if (!b.placed) return false;
    int32_t row;
    if (direction & 0x4004)
        row = b.top + b.height + 16;
    else if (direction & 0x102)
        row = b.top - 16;
    else
        return false;
    const int64_t end = int64_t{b.left} + b.width;
    for (int64_t c = b.left; c < end; c = c == b.left ? c + 31 : c + 32) {
        const auto ci = static_cast<int32_t>(c);
        if (Game::isBlockedAtB(ci, row, kLedgeBit)) continue;
        if (ignoreLevelMask || Game::isBlockedAtB(ci, row, statics.s_playerCollisionMask)) return false;
    }
    return true;
}

int32_t CObject::snapBeyondEdge(CObject* o) {
    const PlayerBox b = playerBoxAt(o);
    if (!b.placed || b.width < 0) return -1;
    const int32_t row = b.top + b.height + 16;
    int32_t c = b.left;
    while (Game::isBlockedAtB(c, row, kLedgeBit)) {
        c += 32;
        if (c > b.left + b.width) return -1;
    }
    const int32_t edge = Game::tileToPixelX(Game::pixelToTileX(c));
    const int32_t facing = o->param(PARAM_FACING);
    if (facing == kRight)
        o->m_sprite->x = (edge - b.width + statics.s_boxOffsetX) << 14;
    else if (facing == kLeft)
        o->m_sprite->x = (edge + 32 + statics.s_boxOffsetX) << 14;
    return edge;
}

bool CObject::canStandAfterStep(CObject* o, int32_t state, int32_t facing) {
    const int32_t saved = statics.s_playerCollisionMask;
    statics.s_playerCollisionMask &= ~kStandBit;
    bool free = !isBoxBlocked(o);
    const PlayerBox b = playerBoxAt(o);
    if (free && state == 5 && b.placed) {
        const int32_t x = o->m_sprite->x >> 14;
        const int32_t left = facing == kRight ? x : x - b.width;
        free = !Game::scanAreaBlocked(left, b.top, b.width, b.height, statics.s_playerCollisionMask);
    }
    statics.s_playerCollisionMask = saved;
    return free;
}

// ---- corners ----

void CObject::slideAroundCorner(CObject* o) {
    const PlayerBox b = playerBoxAt(o);
    if (!b.placed) return;
    struct Slide {
        int32_t request;
        int32_t x1, y1, x2, y2;
        int32_t firstFree, secondFree;
    };
    const int32_t right = b.left + b.width, bottom = b.top + b.height;
    const Slide slides[] = {
        {kRight, right, b.top, right, bottom - 1, kUp, kDown},
        {kLeft, b.left - 1, b.top, b.left - 1, bottom - 1, kUp, kDown},
        {kUp, b.left, b.top - 1, right - 1, b.top - 1, kLeft, kRight},
        {kDown, b.left, bottom, right - 1, bottom, kLeft, kRight},
    };
    for (const Slide& s : slides) {
        if (statics.s_moveDirection != s.request) continue;
        const bool first = Game::isBlockedAt(s.x1, s.y1, statics.s_playerCollisionMask);
        const bool second = Game::isBlockedAt(s.x2, s.y2, statics.s_playerCollisionMask);
        if (!first && second) statics.s_moveDirection |= s.firstFree;
        if (first && !second) statics.s_moveDirection |= s.secondFree;
        return;
    }
}

void CObject::snapToCellEdge(CObject* o, int32_t direction) {
    const PlayerBox b = playerBoxAt(o);
    if (!b.placed) return;
    if (direction == kRight) {
        const int32_t e = Game::findOnScreenObject(b.left + b.width - 32, b.top + b.height, 1, 0, 0);
        o->m_sprite->x = (e + 32 - b.width + statics.s_boxOffsetX) << 14;
    } else if (direction == kLeft) {
        const int32_t e = Game::findOnScreenObject(b.left + 32, b.top + b.height, 1, 1, 0);
        o->m_sprite->x = (e + statics.s_boxOffsetX) << 14;
    }
}

// ---- runs of cells ----

int32_t Game::findBlockedCellLeft(int32_t x, int32_t y) {
    const RunBound bound;
    const int32_t mask = runMask();
    do {
        x -= kCellSize;
        if (bound.outsideX(x)) return tileToPixelX(0);
    } while (!isBlockedAt(x, y, mask));
    const int32_t c = x / kCellSize;
    return c > 0 ? (c + 1) * kCellSize : c;
}

int32_t Game::findBlockedCellRight(int32_t x, int32_t y) {
    const RunBound bound;
    const int32_t mask = runMask();
    do {
        x += kCellSize;
        if (bound.outsideX(x)) return tileToPixelX(bound.columns);
    } while (!isBlockedAt(x, y, mask));
    return x / kCellSize * kCellSize;
}

int32_t Game::findBlockedRunAbove(int32_t x, int32_t y) {
    const RunBound bound;
    const int32_t mask = stateStatics.playMode != 0 ? 0 : 0x40;
    for (int32_t run = 0; run < 5;) {
        y -= kCellSize;
        if (bound.outsideY(y)) return tileToPixelY(0);
        run = isBlockedAt(x, y, mask) ? run + 1 : 0;
    }
    return (y / kCellSize + 1) * kCellSize;
}

int32_t Game::findBlockedCellBelow(int32_t x, int32_t y) {
    const RunBound bound;
    do {
        y += kCellSize;
        if (bound.outsideY(y)) return tileToPixelY(bound.rows);
    } while (!isBlockedAt(x, y, 2));
    return y / kCellSize * kCellSize;
}
