// Movement toward targets: unit vectors to a point, steps along them, orbits, aiming set-ups,
// the collision responses that undo or reroute a blocked move, and the approach of actors.
// Products wrap as Java ints; the unit vectors divide 64-bit dividends.
#include "framework/sprite/sprite.h"
#include "framework/sprite/sprite_instance.h"
#include "game/flow/game.h"
#include "game/objects/cobject.h"
#include "runtime/core/jarith.h"

using mrc::jdiv;
using mrc::jmul;

CObject::SegmentStatics CObject::segments;

namespace {

constexpr int32_t kPlainRootLimit = 32000;      // squared distances up to this take the root directly
constexpr int32_t kScaledRootLimit = 32768000;  // from here on there is no vector at all
constexpr int32_t kFullCircle = 360 << 14;

int32_t frameTime() { return static_cast<int32_t>(Game::stateStatics.frameTime); }

// v * frame time / 1000, the product wrapping as a Java int.
int32_t perFrame(int32_t v) { return jmul(v, frameTime()) / 1000; }

JArray* actionRecord(CObject* o) {
    auto* records = static_cast<ObjectArray*>(JArray::getRef(Game::objects.s_actionRecords, o->param(CObject::PARAM_KIND)));
    return static_cast<JArray*>(JArray::getRef(records, o->param(42)));
}

int32_t recordShort(JArray* record, int32_t i) { return isNull(record) ? 0 : JArray::getShort(record, i); }

int32_t kindEntry(CObject* o, int32_t i) { return Game::getPackedShort(o->param(CObject::PARAM_KIND), i); }

int32_t absolute(int32_t v) { return v < 0 ? -v : v; }

// Blocked by cells or standing on the player's box: the test the collision responses undo.
bool isObstructed(CObject* o) { return o->hitTestRect(0) || o->hitTestRectB(Game::objects.s_player); }

}  // namespace

void CObject::moveTowards(int32_t x, int32_t y, int32_t i, int32_t j, int32_t flags) {
    if (isNull(m_sprite)) return;
    int32_t dx = (x - m_sprite->x) >> 14, dy = (y - m_sprite->y) >> 14;
    if (flags & 1) {
        dx = -dx;
        dy = -dy;
    }
    int32_t d2 = jmul(dx, dx) + jmul(dy, dy);
    int32_t shift = 0;
    if (d2 > kPlainRootLimit) {
        if (d2 < kScaledRootLimit) {
            d2 >>= 10;
            shift = 5;
        } else {
            dx = dy = 0;
            d2 = 1;
        }
    }
    // The root of 0 is 0: a point on the object has no direction (nor has a squared distance
    // that wrapped negative).
    const int32_t r = d2 > 0 ? Game::sqrtFixed(d2, true) << shift : 0;
    if (r <= 0) {
        setParam(i, 0);
        setParam(j, 0);
        return;
    }
    setParam(i, static_cast<int32_t>((static_cast<int64_t>(dx) << 28) / r));
    setParam(j, static_cast<int32_t>((static_cast<int64_t>(dy) << 28) / r));
}

void CObject::moveToPoint(int32_t x, int32_t y, int32_t flags) {
    if (param(PARAM_BOX_KIND) == 0) moveTowards(x, y, 19, 20, flags);
    else Game::setDirectionTowardsX(this, x, 19, 20, flags);
}

void CObject::stepAlongVelocity(int32_t speed) {
    if (isNull(m_sprite)) return;
    m_sprite->x += jmul(jmul(param(19), frameTime()), speed) / 1000;
    if (param(PARAM_BOX_KIND) != 2) m_sprite->y += jmul(jmul(param(20), frameTime()), speed) / 1000;
}

void CObject::clearTargetAndStep(int32_t speed) {
    setParam(22, -1);
    setParam(23, -1);
    stepAlongVelocity(speed);
}

void CObject::setTargetInfo(int32_t x, int32_t y, int32_t d2) {
    setParam(22, x);
    setParam(23, y);
    if (!isNull(m_sprite)) setParam(24, Game::degreesFromRatio((m_sprite->x - x) >> 14, (m_sprite->y - y) >> 14));
    if (d2 <= kPlainRootLimit) setParam(27, Game::sqrtFixed(d2, true) >> 14);
    else if (d2 < kScaledRootLimit) setParam(27, (Game::sqrtFixed(d2 >> 10, true) << 5) >> 14);
}

void CObject::orbitTarget(int32_t x, int32_t y, int32_t speed, int32_t d2) {
    if (isNull(m_sprite)) return;
    if (x != param(22) || y != param(23)) {
        setTargetInfo(x, y, d2);
        setParam(25, (Game::random() % 360) << 14);
        setParam(26, 0);
    }
    const int32_t r = Game::max(param(27), 1);
    const int32_t w = jdiv(jmul(speed, kFullCircle), jmul(r, 102940) >> 14);
    setParam(24, param(24) + perFrame(w));
    const int32_t a = param(24) >> 14;
    m_sprite->x = x + jmul(jmul(Game::sin(a), r), 64);
    m_sprite->y = y + jmul(jmul(Game::sin(90 - a), r), 64);
    const int32_t b = param(25) >> 14, m = param(26) >> 14;
    m_sprite->x += jmul(jmul(Game::sin(b), m), 64);
    m_sprite->y += jmul(jmul(Game::sin(90 - b), m), 64);
    if (param(26) < 0x20000) setParam(26, Game::min(param(26) + perFrame(0x28000), 0x20000));
    int32_t wobble = param(25) + perFrame(2048000);
    if (wobble > kFullCircle) wobble -= kFullCircle;
    setParam(25, wobble);
}

void CObject::aimAlongAxisAtPlayer() {
    CObject* player = Game::objects.s_player;
    // Without a target object (params[45]) there is nothing to aim at.
    if (param(45) != 0 || isNull(player) || isNull(player->m_sprite) || isNull(m_sprite)) {
        setParam(19, 0);
        setParam(20, 0);
        return;
    }
    JArray* record = actionRecord(this);
    const int32_t kind = recordShort(record, 4);
    const int32_t h = kind == 9 || kind == 10 ? recordShort(record, 3) : 0;
    int32_t tx = player->m_sprite->getX(), ty = player->m_sprite->getY();
    const int32_t axis = param(41);
    if (axis & (0x102 | 0x4004)) {
        ty = m_sprite->getY();
    } else if (axis & (0x408 | 0x1010)) {
        tx = m_sprite->getX();
        ty += h / 2;
    }
    setParam(22, tx);
    setParam(23, ty);
    moveTowards(tx << 14, ty << 14, 19, 20, 0);
}

void CObject::startStepInFacing() {
    setParam(PARAM_SUBSTATE, 0);
    if (isNull(m_sprite)) return;
    const int32_t s = recordShort(actionRecord(this), 14);
    int32_t tx = m_sprite->getX(), ty = m_sprite->getY();
    const int32_t facing = param(PARAM_FACING);
    if (facing & 0x102) ty -= s;
    else if (facing & 0x4004) ty += s;
    if (facing & 0x408) tx -= s;
    else if (facing & 0x1010) tx += s;
    setParam(22, tx);
    setParam(23, ty);
    moveTowards(tx << 14, ty << 14, 19, 20, 0);
}

void CObject::aimBetweenPoints() {
    SegmentStatics& g = segments;
    const int32_t sx = g.s_segmentStart[0], sy = g.s_segmentStart[1];
    const int32_t ex = g.s_segmentEnd[0], ey = g.s_segmentEnd[1];
    const int32_t a = Game::degreesFromRatio(ex - sx, ey - sy) >> 14;
    g.s_segmentAngle = a << 14;
    setParam(26, 0);
    auto* row = static_cast<JArray*>(JArray::getRef(statics.s_slotTriples, g.s_segmentIndex));
    const int32_t startKind = isNull(row) ? 0 : JArray::getInt(row, 0);
    const int32_t endKind = isNull(row) ? 0 : JArray::getInt(row, 2);
    g.s_segmentFrom[0] = sx;
    g.s_segmentFrom[1] = sy;
    if (startKind != 0 && startKind != 5) {
        const int32_t k = startKind == 3 ? 140 : 70;
        g.s_segmentFrom[0] = sx + (Game::sin(a + 90) * k >> 8);
        g.s_segmentFrom[1] = sy + (Game::sin(-a) * k >> 8);
    }
    g.s_segmentTo[0] = ex;
    g.s_segmentTo[1] = ey;
    if (endKind != 0) {
        const int32_t k = endKind == 8 ? 140 : 70;
        g.s_segmentTo[0] = ex + (Game::sin(a - 90) * k >> 8);
        g.s_segmentTo[1] = ey + (Game::sin(180 - a) * k >> 8);
    }
    if (isNull(m_sprite)) return;
    m_sprite->setPosition(g.s_segmentFrom[0], g.s_segmentFrom[1]);
    moveTowards(g.s_segmentTo[0] << 14, g.s_segmentTo[1] << 14, 22, 23, 0);
    g.s_segmentDirection[0] = param(22);
    g.s_segmentDirection[1] = param(23);
    if (startKind != 0) m_sprite->setPosition(sx, sy);
}

bool CObject::isNearView() {
    if (param(0) < 0 || isNull(m_sprite)) return false;
    const int32_t px = m_sprite->getX(), py = m_sprite->getY();
    const int32_t cx = Game::mathStatics.cameraX >> 14, cy = Game::mathStatics.cameraY >> 14;
    return cy + Game::kScreenHeight >= py - 60 && py + 60 >= cy && cx + Game::kScreenWidth >= px - 100 && px + 100 >= cx;
}

bool CObject::isWithinTouchRadius(CObject* other, int32_t a, int32_t b, int32_t c) {
    return param(PARAM_BOX_KIND) == 0 ? Game::isWithinRadius(a, b, c)
                                      : Game::isWithinRadiusOnLayer(this, other, a, b, c);
}

bool CObject::isWithinReach(CObject* other, int32_t a, int32_t b) {
    return param(PARAM_BOX_KIND) == 0 ? Game::isWithinTableLimit(this, a, b)
                                      : Game::isWithinTableLimitOnLayer(this, other, a, b);
}

int32_t CObject::directionTo(CObject* other, int32_t kind, int32_t x, int32_t y) {
    if (kind == 13) {
        if (isNull(m_sprite)) return 0;
        const int32_t dx = m_sprite->getX() - x, dy = m_sprite->getY() - y;
        if (Game::stateStatics.playMode == 2 || absolute(dx) > absolute(dy)) return dx > 0 ? kRight : kLeft;
        return dy > 0 ? kDown : kUp;
    }
    if (isNull(other)) return 0;
    switch (other->m_type) {
        case 0: return statics.s_inputDirection;
        case 5: return other->param(PARAM_KIND) == 9 ? kDown : other->param(PARAM_FACING);
        case 300: return getMoveDirectionCode(other, this);
        case 85: return kLeft;
        default: return 0;
    }
}

void CObject::setFrameByProgress(int32_t total, int32_t done) {
    if (isNull(m_sprite) || isNull(m_sprite->sprite)) return;
    const int32_t percent = total < 1 || done < 1 ? 0 : 100 * done / total;
    m_sprite->aframe = m_sprite->sprite->getAnimFrame(m_sprite->anim, percent);
}

CObject* CObject::findNearType80() {
    ObjectArray* templates = Game::objects.s_templates;
    if (statics.s_interactionMode != 0 || isNull(templates) || isNull(m_sprite)) return nullptr;
    for (int32_t i = 0; i < templates->length; ++i) {
        auto* o = static_cast<CObject*>(templates->elements()[i]);
        if (isNull(o) || o->m_type != 80 || o->param(9) != 10 || isNull(o->m_sprite)) continue;
        if (absolute(o->m_sprite->getX() - m_sprite->getX()) < 20) return o;
    }
    return nullptr;
}

int32_t CObject::moveWithCollision(int32_t offsetX, int32_t offsetY, int32_t w, int32_t h, int32_t direction,
                                   int32_t mask, int32_t flag) {
    constexpr int32_t kAhead = 0x200000;
    int32_t code = 0;
    if (direction & 0x1010) code = 0x408;
    else if (direction & 0x408) code = 0x1010;
    if (direction & 0x4004) code |= 0x102;
    else if (direction & 0x102) code |= 0x4004;
    int32_t r = clampMoveToBlocked(this, offsetX, offsetY, w, h, code, mask, flag);
    const bool diagonal = (code & 0x1418) != 0 && (code & 0x4106) != 0;
    if (diagonal && (r & kAhead) == 0) r = clampMoveToBlocked(this, offsetX, offsetY, w, h, r, mask, flag);
    return r & kAhead;
}

void CObject::moveOnTouch(int32_t x, int32_t y) {
    if (param(PARAM_BOX_KIND) != 0) stepAlongVelocity(kindEntry(this, 20));
    else followPathStep(x, y);
}

void CObject::moveTo(int32_t x, int32_t y) {
    if (isNull(m_sprite) || !isObstructed(this)) return;
    m_sprite->x = x;
    m_sprite->y = y;
    if (param(48) >= 0) {
        Game::clearByteAt(param(48));
        setParam(48, -1);
    }
    if ((param(18) & 0xFFFF) == 2) {
        setParam(30, -param(30));
        return;
    }
    const int32_t s = perFrame(kindEntry(this, 20) << 14);
    const int32_t first = absolute(param(19)) < absolute(param(20)) ? 2 : 0;
    int32_t dx = 0, dy = 0;
    for (int32_t t = first; t < first + 4; ++t) {
        switch (t % 4) {
            case 0: dy = -s; break;
            case 1: dy = s; break;
            case 2: dx = s; break;
            default: dx = -s; break;
        }
        m_sprite->x = x + dx;
        m_sprite->y = y + dy;
        if (!isObstructed(this)) return;
        m_sprite->x = x;
        m_sprite->y = y;
    }
}

void CObject::sameRowCheck(CObject* other, int32_t x0) {
    if (isNull(m_sprite)) return;
    bool meets = false;
    if (!isNull(other) && !isNull(other->m_sprite) && other->m_type == 0 &&
        (m_sprite->y >> 14) == (other->m_sprite->y >> 14)) {
        const int32_t state = statics.s_playerState, p = statics.s_playerStateParam;
        if (!(state == 10 && p != 3 && p != 6)) {
            const int32_t left = (other->m_sprite->x >> 14) - statics.s_boxOffsetX;
            const int32_t right = left + statics.s_boxWidth;
            const int32_t c0 = left / 32 * 32, c1 = ((right - 1) / 32 + 1) * 32;
            const int32_t w = kindEntry(this, 33);
            const int32_t e0 = (m_sprite->x >> 14) - (w >> 1), e1 = e0 + w - 1;
            meets = (c0 <= e0 && e0 <= c1) || (c0 <= e1 && e1 <= c1);
        }
    }
    if (!meets && !hitTestRect((param(18) & 0x10000) ? 16 : 0) && !canMoveWithBodyBox()) return;
    m_sprite->x = x0;
    setParam(19, -param(19));
}

void CObject::updateBehaviour(CObject* target, int32_t mode) {
    if (isNull(m_sprite)) return;
    aimAlongAxisAtPlayer();
    const int32_t tx = param(22), ty = param(23);
    const int32_t v = param(30);
    const int32_t dx = perFrame(jmul(param(19), v)), dy = perFrame(jmul(param(20), v));
    const int32_t x = m_sprite->x, y = m_sprite->y;
    const int32_t ox = x >> 14, oy = y >> 14;
    const int32_t nx = (x + dx) >> 14, ny = (y + dy) >> 14;
    // Never onto or past the target: the component stops short instead.
    if (jmul(tx - nx, tx - ox) > 0) m_sprite->x = x + dx;
    else setParam(19, 0);
    if (jmul(ty - ny, ty - oy) > 0) m_sprite->y = y + dy;
    else setParam(20, 0);
    bool arrived;
    if (hitTestRect(0)) {
        m_sprite->x = x;
        m_sprite->y = y;
        arrived = !(absolute(tx - nx) >= statics.s_boxWidth && absolute(ty - ny) >= statics.s_boxHeight);
        if (!arrived) {
            restoreParam16AndUnlink();
            onEvent(7, this);
        }
    } else {
        arrived = param(19) == 0 && param(20) == 0;
    }
    if (arrived) {
        restoreParam16AndUnlink();
        JArray* record = actionRecord(this);
        if (!isNull(record)) JArray::setShort(record, 4, param(PARAM_SUBSTATE));
        onEvent(5, this);
        return;
    }
    if (absolute(param(19)) > absolute(param(20))) setParam(PARAM_FACING, nx < tx ? kRight : kLeft);
    else setParam(PARAM_FACING, ny < ty ? kDown : kUp);
    chooseAttack(target, mode);
    JArray* chosen = actionRecord(this);
    const int32_t kind = isNull(chosen) ? -1 : JArray::getShort(chosen, 4);
    if (kind != -1 && kind != param(PARAM_SUBSTATE)) {
        restoreParam16AndUnlink();
        onEvent(5, this);
    }
}
