// Direction codes from keys and between objects, the player's ballistic arcs and falls, the two
// blink pulses, and the per-state animation offsets of the player.
#include "framework/sprite/sprite_instance.h"
#include "game/flow/game.h"
#include "game/objects/cobject.h"
#include "runtime/core/jarith.h"

using mrc::jdiv;

Game::MotionTableStatics Game::motionTables;

namespace {

constexpr int32_t kHorizontal = 0x1418;
constexpr int32_t kUpBit = 0x102, kDownBit = 0x4004, kLeftBit = 0x408, kRightBit = 0x1010;

int32_t frameTime() { return static_cast<int32_t>(Game::stateStatics.frameTime); }

// Entry i of the short record `index` of a table of short[]; 0 outside.
int32_t shortOf(ObjectArray* table, int32_t index, int32_t i) {
    return JArray::getShort(static_cast<ShortArray*>(JArray::getRef(table, index)), i);
}

int32_t itemOffset(int32_t axis) {
    return shortOf(Game::motionTables.s_itemOffsets, Game::objects.s_currentItem, axis);
}

// A fall from rest covering the arc height in (span - frame time) ms.
void startFallOver(int32_t span) {
    CObject::Statics& s = CObject::statics;
    const int32_t t = span - frameTime();
    s.s_velocityY = 0;
    s.s_accelY = jdiv(jdiv(s.s_arcHeight * 2000000, t), t) << 14;
}

int32_t integrateAxis(int32_t v, int32_t a, int32_t t) {
    int32_t next = v + (a / 1000) * t;
    // Motion stops at the turning point instead of reversing.
    if ((v > 0 && next < 0) || (v < 0 && next >= 1)) next = 0;
    return next;
}

}  // namespace

int32_t CObject::oppositeDirectionOrSame(int32_t d) {
    switch (d) {
        case kUp: return kDown;
        case kDown: return kUp;
        case kLeft: return kRight;
        case kRight: return kLeft;
        default: return d;
    }
}

int32_t CObject::directionIndex(int32_t d) {
    switch (d) {
        case kLeft: return 2;
        case kRight: return 3;
        case kDown: return 1;
        default: return 0;
    }
}

int32_t CObject::facingOffsetX(int32_t d) {
    return (d & kRightBit) != 0 ? statics.s_boxOffsetX : statics.s_boxOffsetX - statics.s_boxWidth;
}

int32_t CObject::negatedItemOffsetX(int32_t v) { return -(itemOffset(0) + v) << 14; }
int32_t CObject::negatedItemOffsetY(int32_t v) { return -(itemOffset(1) + v) << 14; }

int32_t Game::remapKeys(int32_t keys) {
    const int32_t mode = stateStatics.playMode;
    if (mode == 2) return (keys & kLeftBit) ? kDirLeft : (keys & kRightBit) ? kDirRight : 0;
    if (mode != 0) return 0;
    if (keys & 0x200) return 4370;
    if (keys & 0x80) return 1290;
    if (keys & 0x2000) return 17420;
    if (keys & 0x8000) return 20500;
    const bool up = (keys & kUpBit) != 0, down = (keys & kDownBit) != 0;
    if (!up && !down) return (keys & kLeftBit) ? kDirLeft : (keys & kRightBit) ? kDirRight : 0;
    if (keys & kLeftBit) return up ? 1290 : 17420;
    if (keys & kRightBit) return up ? 4370 : 20500;
    return up ? kDirUp : kDirDown;
}

int32_t CObject::directionToObject(CObject* other) {
    if (isNull(m_sprite) || isNull(other) || isNull(other->m_sprite)) return kDown;
    const int32_t ox = m_sprite->x + (itemOffset(0) << 14);
    const int32_t oy = m_sprite->y + (itemOffset(1) << 14);
    int32_t tx = other->m_sprite->x, ty = other->m_sprite->y;
    if (other->m_type == 5) {
        auto* records = static_cast<ObjectArray*>(JArray::getRef(Game::motionTables.s_kindBoxes, other->param(PARAM_KIND)));
        const int32_t record = Game::stateStatics.playMode == 2 ? 1 : 0;
        tx += (shortOf(records, record, 0) + shortOf(records, record, 2) / 2) << 14;
        ty += (shortOf(records, record, 1) + shortOf(records, record, 3) / 2) << 14;
    } else if (other->m_type == 21) {
        tx += (other->param(2) * 16) << 14;
        ty += (other->param(3) * 16) << 14;
    }
    const int32_t dx = tx - ox, dy = ty - oy;
    if (dy >= dx) return dy >= -dx ? kDown : kLeft;
    return dy >= -dx ? kRight : kUp;
}

int32_t CObject::getAnimForDirection(int32_t k, CObject* o) {
    if (k == 0) return 1;
    if (k != 5) return 0;
    int32_t n = isNull(o) ? 0 : Game::getPackedSigned(o->param(PARAM_KIND), 28);
    if (n < 0) n = 0;
    const int32_t facing = isNull(o) ? 0 : o->param(PARAM_FACING);
    if (facing & kDownBit) return 4 * n + 3;
    if (facing & kLeftBit) return 4 * n + 4;
    if (facing & kRightBit) return 4 * n + 5;
    return 4 * n + 2;
}

void CObject::startArc() {
    Statics& s = statics;
    const int32_t h = s.s_arcHeight, w = s.s_arcDistance;
    s.s_velocityY = (h * -2000 / 300) << 14;
    s.s_accelY = (-s.s_velocityY / 300) * 1000;
    if (w <= 0) return;
    s.s_velocityX = 1638400;
    s.s_accelX = (w * 2000000 / 900 / 900 - 222) << 14;
    if (s.s_inputDirection & kLeftBit) {
        s.s_velocityX = -s.s_velocityX;
        s.s_accelX = -s.s_accelX;
    }
}

void CObject::startFall() { startFallOver(600); }
void CObject::startShortFall() { startFallOver(300); }

void CObject::integrateVelocity() {
    Statics& s = statics;
    const int32_t t = frameTime();
    s.s_velocityX = integrateAxis(s.s_velocityX, s.s_accelX, t);
    s.s_velocityY = integrateAxis(s.s_velocityY, s.s_accelY, t);
    if (s.s_playerState == 25) {
        constexpr int32_t kLimit = 3276800;  // 200 px/s
        if (s.s_velocityY > kLimit) s.s_velocityY = kLimit;
        if (s.s_velocityX > kLimit) s.s_velocityX = kLimit;
        if (s.s_velocityX < -kLimit) s.s_velocityX = -kLimit;
    }
}

void CObject::updatePulse(int32_t t) {
    const int32_t p = t % 500;
    const int32_t k = p * 30 / 500;
    if (p < 250) {
        statics.s_pulseA = 70 - k;
        statics.s_pulseB = 40 - k;
    } else {
        statics.s_pulseA = 40 + k;
        statics.s_pulseB = 10 + k;
    }
}

int32_t CObject::stateAnimOffset9(int32_t base, int32_t p) {
    switch (p) {
        case 2: return base + 4;
        case 4: return base + 8;
        case 5: return base + 12;
        case 6: return base + 16;
        default: return base;
    }
}

int32_t Game::itemAnimOffset(int32_t base, int32_t item, int32_t p) {
    switch (item) {
        case 0:
        case 2: return p == 0 ? base + 118 : p == 1 ? base + 122 : base;
        case 1: return p == 0 ? base + 110 : p == 1 ? base + 114 : base - 264;
        case 3: return p == 0 ? base + 110 : p == 1 ? base + 114 : base - 146;
        case 4: return p == 0 ? base + 118 : p == 1 ? base + 122 : base - 402;
        default: return base;
    }
}

int32_t Game::itemAnimOffsetB(int32_t base, int32_t item, int32_t p) {
    switch (item) {
        case 0:
        case 2: return base + 110;
        case 3: return p == 0 ? base + 110 : p == 1 ? base + 114 : base - 146;
        case 4: return base + 126;
        default: return base;
    }
}

int32_t CObject::stateAnimOffset21(int32_t base, int32_t p) {
    static constexpr int32_t kOffsets[] = {4, 89, 93, 141, 145, 149, 153, 157};
    return p >= 0 && p < 8 ? base + kOffsets[p] : base;
}

int32_t CObject::stateAnimOffset25(int32_t base, int32_t p) {
    switch (p) {
        case 1:
        case 6: return base + 4;
        case 2:
        case 7: return base + 8;
        case 3:
        case 8:
        case 9: return base + 12;
        case 4: return base + 16;
        default: return base;
    }
}

static_assert((CObject::kLeft | CObject::kRight) == kHorizontal);
