// An object's box against the collision cells, placement beside the player, the attached parts
// that follow an object, the range records and the routes of waypoints.
#include "framework/sprite/sprite.h"
#include "framework/sprite/sprite_instance.h"
#include "game/flow/game.h"
#include "game/objects/cobject.h"
#include "runtime/core/jarith.h"

namespace {

constexpr int32_t kStandingMask = 0x069A;  // boxes that stand on their position
constexpr int32_t kCentredMask = 0x26FA;
constexpr int32_t kSlotMask = 78;
constexpr int32_t kFixedBits = 14;
constexpr int32_t kFractionBits = (1 << kFixedBits) - 1;

CObject* listed(ObjectArray* list, int32_t i) { return static_cast<CObject*>(JArray::getRef(list, i)); }

int32_t pixelX(CObject* o) { return o->m_sprite->x >> kFixedBits; }
int32_t pixelY(CObject* o) { return o->m_sprite->y >> kFixedBits; }
bool placed(CObject* o) { return !isNull(o) && !isNull(o->m_sprite); }

void hide(CObject* part) {
    if (!placed(part)) return;
    part->m_sprite->x = CObject::kHiddenPosition;
    part->m_sprite->y = CObject::kHiddenPosition;
}

// The cells around o's standing box (template entries 33 and 34, bottom on its position): the
// top of the cell holding its top, the bottom of the cell holding its position, the left edge of
// the cell holding its left edge and the right edge of the cell holding its right edge.
struct CellSpan {
    int32_t left, top, right, bottom;
};

CellSpan standingCells(CObject* o) {
    const int32_t kind = o->param(CObject::PARAM_KIND);
    const int32_t w = Game::getPackedShort(kind, 33), h = Game::getPackedShort(kind, 34);
    const int32_t x = pixelX(o), y = pixelY(o);
    const int32_t left = x - w / 2, top = y - h;
    return {Game::cellLeftOf(left, top), Game::cellTopOf(left, top),
            Game::cellLeftOf(left + w - 1, top) + Game::kCellSize, Game::cellTopOf(x, y) + Game::kCellSize};
}

// The player's box placed at pixel (x, y) overlaps the span, edges touching included.
bool playerBoxMeets(int32_t x, int32_t y, const CellSpan& cells) {
    const CObject::Statics& s = CObject::statics;
    const int32_t left = x - s.s_boxOffsetX, top = y - s.s_boxOffsetY;
    if (top + s.s_boxHeight < cells.top || top > cells.bottom) return false;
    return left + s.s_boxWidth >= cells.left && left <= cells.right;
}

// 1 when the template the object's record names has params[8] == 0, else 0; `fallback` without a
// record.
int32_t recordUnlocked(CObject* o, int32_t fallback) {
    const int32_t record = o->param(CObject::PARAM_RECORD);
    if (record < 0) return fallback;
    CObject* t = listed(Game::objects.s_templates, record);
    if (isNull(t)) return 0;
    return t->param(8) == 0 ? 1 : 0;
}

ShortArray* rangeRecord(int32_t i) { return static_cast<ShortArray*>(JArray::getRef(Game::tables.s_rangeEntries, i)); }

}  // namespace

// ---- boxes and tile tests ----

CObject::Box CObject::box() {
    const int32_t kind = param(PARAM_KIND);
    const int32_t x = isNull(m_sprite) ? 0 : pixelX(this), y = isNull(m_sprite) ? 0 : pixelY(this);
    Box b{};
    if (param(PARAM_BOX_KIND) != 0) {
        b.width = Game::getPackedShort(kind, 33);
        b.height = Game::getPackedShort(kind, 34);
        b.top = y - b.height;
        b.mask = kStandingMask;
    } else {
        b.width = Game::getPackedShort(kind, 31);
        b.height = Game::getPackedShort(kind, 32);
        b.top = y + Game::getPackedSigned(kind, 30) - b.height / 2;
        b.mask = kCentredMask;
    }
    b.left = x - b.width / 2;
    return b;
}

bool CObject::probeTiles() {
    if (isNull(m_sprite)) return false;
    const int32_t x = pixelX(this), y = pixelY(this);
    for (int32_t dx = -32; dx <= 32; dx += 32)
        for (int32_t dy = -32; dy <= 32; dy += 32)
            if (Game::isBlockedAt(x + dx, y + dy, 16)) return true;
    return false;
}

bool CObject::hitTestRect(int32_t exclude) {
    const Box b = box();
    return Game::isRectBlocked(b.left, b.top, b.width, b.height, b.mask & ~exclude);
}

bool CObject::hitTestRectB(CObject* player) {
    if (!placed(player)) return false;
    const Box b = box();
    const CellSpan cells{Game::cellLeftOf(b.left, b.top), Game::cellTopOf(b.left, b.top),
                         Game::cellLeftOf(b.left + b.width - 1, b.top) + Game::kCellSize,
                         Game::cellTopOf(b.left, b.top + b.height - 1) + Game::kCellSize};
    return playerBoxMeets(pixelX(player), pixelY(player), cells);
}

bool CObject::playerBoxTouchesCells(CObject* o) {
    if (!placed(o) || isNull(m_sprite)) return false;
    return playerBoxMeets(pixelX(this), pixelY(this), standingCells(o));
}

bool CObject::scriptRangeTest(int32_t x0, int32_t x1, int32_t y, CObject* o) {
    if (x0 >= x1 || !placed(o)) return false;
    const CellSpan cells = standingCells(o);
    if (y < cells.top || y >= cells.bottom) return false;
    for (int64_t x = x0; x < x1; x = x == x0 ? x + 31 : x + 32)
        if (x >= cells.left && x < cells.right) return true;
    return false;
}

bool CObject::isPlatformOnScreen() {
    if (m_type != 18 || param(PARAM_MODE) != 1 || isNull(m_sprite)) return false;
    const int32_t hw = param(1), hh = param(2);
    const int32_t left = pixelX(this) - hw, top = pixelY(this) - hh;
    const int32_t viewX = Game::mathStatics.cameraX >> kFixedBits, viewY = Game::mathStatics.cameraY >> kFixedBits;
    return left <= viewX + Game::kScreenWidth && left + 2 * hw >= viewX && top <= viewY + Game::kScreenHeight &&
           top + 2 * hh >= viewY;
}

bool CObject::isBelowThreshold() {
    const int32_t value = param(37), state = param(PARAM_STATE);
    if (value <= 0 || state == 5 || state == 6 || state == 11 || state == 14) return false;
    const int32_t rule = param(38), full = param(32);
    const bool below = rule == 1 ? value < full / 2 : rule > 1 && value < full;
    if (!below) return false;
    const int32_t aux = Game::getPackedSigned(param(PARAM_KIND), 12);
    if (aux >= 0 && JArray::getShort(static_cast<JArray*>(JArray::getRef(Game::grids.s_auxRecords, aux)), 11) == 2) {
        CObject* player = Game::objects.s_player;
        return !isNull(player) && player->placeOtherBeside(this, true);
    }
    return true;
}

// ---- placement ----

bool CObject::placeOtherBeside(CObject* other, bool testOnly) {
    if (!placed(other) || isNull(m_sprite)) return false;
    const int32_t x = pixelX(this), y = pixelY(this);
    const Box ob = other->box();
    const int32_t w = ob.width + 32, h = ob.height + 32;
    const int32_t top = other->param(PARAM_BOX_KIND) != 0
                            ? y - 32 - ob.height
                            : y + Game::getPackedSigned(other->param(PARAM_KIND), 30) - h / 2;
    const int32_t px = x - statics.s_boxOffsetX;
    const int32_t leftSlot = px - w, rightSlot = px + statics.s_boxWidth;
    bool leftBlocked = Game::isRectBlocked(leftSlot, top, w, h, kSlotMask);
    const bool rightBlocked = Game::isRectBlocked(rightSlot, top, w, h, kSlotMask);
    // Pushing right with room on the right: the other goes there.
    if (statics.s_inputDirection == kRight && !rightBlocked) leftBlocked = true;
    if (testOnly) return !(leftBlocked && rightBlocked);

    Game::markObjectFootprint(other, 1);
    auto turn = [&](int32_t facing, int32_t otherFacing, int32_t slotX) {
        statics.s_stepIndex = 0;
        statics.s_anchorX = m_sprite->x;
        statics.s_anchorY = m_sprite->y;
        statics.s_inputDirection = statics.s_moveDirection = facing;
        other->setParam(PARAM_FACING, otherFacing);
        other->m_sprite->x = (slotX + w / 2) << kFixedBits;
        other->m_sprite->y = m_sprite->y & ~kFractionBits;
    };
    if (!leftBlocked)
        turn(kLeft, kRight, leftSlot);
    else if (!rightBlocked)
        turn(kRight, kLeft, rightSlot);
    // Both blocked: nothing moves, yet the footprint stays cleared and the answer is true.
    return true;
}

bool CObject::snapToTileEdge(int32_t direction, int32_t maxStep, CObject* other) {
    if (!placed(other) || isNull(m_sprite)) return false;
    const int32_t kw = Game::getPackedShort(param(PARAM_KIND), 33);
    const int32_t half = (kw & ~1) / 2;
    const bool right = (direction & 0x1010) != 0;
    const int32_t edge = pixelX(other) - statics.s_boxOffsetX;
    int32_t target;
    if (right) {
        const int32_t r = edge + statics.s_boxWidth;
        target = half + 32 * ((r - 1) / 32 + 1);
    } else {
        target = half + edge / 32 * 32 - kw;
    }
    const int32_t x = m_sprite->x;
    const int32_t step = Game::min(Game::abs((target << kFixedBits) - x), maxStep);
    m_sprite->x = target << kFixedBits;
    const bool blocked = hitTestRect(16);
    m_sprite->x = x;
    if (blocked) return false;
    const int32_t speed = param(19);
    if (right) {
        m_sprite->x = x + step;
        if (speed < 0) setParam(19, -speed);
    } else {
        m_sprite->x = x - step;
        if (speed >= 1) setParam(19, -speed);
    }
    return true;
}

bool CObject::moveTowardsRangeBase(bool fromOwn, int32_t duration) {
    CObject* part = listed(Game::objects.s_type15Objects, param(PARAM_MODE));
    if (!placed(part)) return false;
    const int32_t own = param(PARAM_FLAGS);
    const int32_t base = JArray::getShort(rangeRecord(own), 2);
    const int32_t ownX = JArray::getShort(rangeRecord(own), 0);
    const int32_t baseX = JArray::getShort(rangeRecord(base), 0);
    const int32_t target = fromOwn ? baseX : ownX, origin = fromOwn ? ownX : baseX;
    const auto frameTime = static_cast<int32_t>(Game::stateStatics.frameTime);
    int32_t step = mrc::jdiv((param(PARAM_FACING) * frameTime) << kFixedBits, duration);
    if (origin > target) step = -step;
    const int32_t x = part->m_sprite->x;
    if ((target - ((x + step) >> kFixedBits)) * (target - (x >> kFixedBits)) > 0) {
        part->m_sprite->x = x + step;
        return false;
    }
    part->m_sprite->x = target << kFixedBits;
    return true;
}

// ---- attached parts ----

void CObject::placeLinkedFrame(int32_t frame, int32_t x, int32_t y, int32_t v) {
    CObject* part = listed(Game::objects.s_attachedObjects, param(PARAM_ATTACHED));
    if (!placed(part)) return;
    part->m_sprite->x = x;
    part->m_sprite->y = y;
    part->setParam(8, v);
    ASpriteInstance::showFrame(part->m_sprite, frame);
}

void CObject::resetLinkedTarget() { hide(listed(Game::objects.s_attachedObjects, param(23))); }

void CObject::resetLinkedPosition() {
    CObject* part = listed(Game::objects.s_attachedObjects, param(PARAM_ATTACHED));
    const int32_t mode = statics.s_interactionMode;
    if (!(mode == 4 || mode == 5 || mode == 7) || isNull(m_sprite)) {
        hide(part);
        return;
    }
    if (!placed(part)) return;
    part->m_sprite->x = m_sprite->x;
    part->m_sprite->y = m_sprite->y;
    ASprite* sprite = m_sprite->sprite;
    const int32_t frame = isNull(sprite) ? 0 : sprite->getAnimFrameId(m_sprite->anim + 1, m_sprite->aframe);
    ASpriteInstance::showFrame(part->m_sprite, frame);
}

void CObject::setParam18(int32_t fallback, int32_t value) { setParam(18, getFlagOrDefault(fallback, value)); }

int32_t CObject::getFlagOrDefault(int32_t fallback, int32_t value) {
    return value >= 0 ? value : recordUnlocked(this, fallback);
}

int32_t CObject::checkUnlocked(int32_t fallback) { return recordUnlocked(this, fallback); }

// ---- range records ----

int32_t CObject::getBaseType() { return JArray::getShort(rangeRecord(param(PARAM_FLAGS)), 2); }

int32_t CObject::getBaseDistance() {
    const int32_t own = JArray::getShort(rangeRecord(param(PARAM_FLAGS)), 0);
    return Game::abs(own - JArray::getShort(rangeRecord(getBaseType()), 0));
}

// ---- routes ----

namespace {

int32_t routePoint(int32_t route, int32_t ahead, ByteArray* axis) {
    auto& g = Game::grids;
    const int32_t length = JArray::getByte(Game::objects.s_routeLength, route) & 0xFF;
    int32_t point = (JArray::getByte(g.s_routePoint, route) & 0xFF) + ahead;
    if (point >= length) point = length - 1;
    const int32_t cell = JArray::getByte(axis, route * Game::kRoutePoints + point) & 0xFF;
    return cell * Game::kCellSize + Game::kCellSize / 2;
}

}  // namespace

int32_t Game::getPathPointX(int32_t route) { return routePoint(route, 0, grids.s_routeX); }
int32_t Game::getPathPointY(int32_t route) { return routePoint(route, 0, grids.s_routeY); }

bool Game::advancePathPoint(int32_t route) {
    const int32_t next = (JArray::getByte(grids.s_routePoint, route) & 0xFF) + 1;
    const bool wraps = next >= (JArray::getByte(objects.s_routeLength, route) & 0xFF);
    JArray::setByte(grids.s_routePoint, route, wraps ? 0 : next);
    return wraps;
}

int32_t Game::directionToPathPoint(int32_t x, int32_t y, int32_t route, int32_t ahead) {
    const int32_t dx = routePoint(route, ahead, grids.s_routeX) - x;
    const int32_t dy = routePoint(route, ahead, grids.s_routeY) - y;
    int32_t direction = dy < 0 ? CObject::kUp : dy > 0 ? CObject::kDown : 0;
    if (dx < 0) direction |= CObject::kLeft;
    if (dx > 0) direction |= CObject::kRight;
    return direction;
}
