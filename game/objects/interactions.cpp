// Object operations the per-type behaviours share: interaction entries, falling, being carried,
// the layer area an object stands in, loot, hits, the timed charge, effects launched at an
// angle and the event scripts' setters. Game thread only.
#include <cstdint>

#include "framework/sprite/sprite_instance.h"
#include "game/flow/game.h"
#include "game/objects/cobject.h"
#include "runtime/core/application.h"
#include "runtime/core/arrays.h"
#include "runtime/core/jarith.h"

namespace {

constexpr int32_t kFixed = 14;
constexpr int32_t kNoEntry = -1;
// Object parameters.
constexpr int32_t kHitBits = 1, kRow = 3, kHitPoints = 9, kWeight = 13, kState = 14, kTimer = 15, kLinkBits = 18,
                  kEntry = 21, kBoxKind = 40, kLayer = 44, kRoute = 48;
// Packed per-template fields.
constexpr int32_t kLootFirst = 24, kNoCorrection = 27, kBoxY = 30, kBoxW = 31, kBoxH = 32, kLandingWidth = 33;

constexpr int32_t kFallSpeed = 0x230000;  // 140 pixels per second
constexpr int32_t kMaxFallStep = 0x40000;  // 16 pixels
constexpr int32_t kLandingMask = 1674;
constexpr int32_t kEffectMask = 8422;
constexpr int32_t kAreaFreeMask = 8288;
constexpr int32_t kAreaExclude = -8289;
constexpr int32_t kLandedEvent = 4;
constexpr int32_t kHitSound = 7;

void nullPointer() { mrc::ApplicationImpl::getApplication()->reportError("NullPointer"); }

int32_t length(JArray* a) { return isNull(a) ? 0 : a->length; }
CObject* objectAt(ObjectArray* list, int32_t i) {
    auto* o = static_cast<CObject*>(JArray::getRef(list, i));
    return isNull(o) ? nullptr : o;
}

ASpriteInstance* spriteOf(CObject* o) {
    if (isNull(o) || isNull(o->m_sprite)) {
        nullPointer();
        return nullptr;
    }
    return o->m_sprite;
}

int32_t packed(CObject* o, int32_t field) { return Game::getPackedShort(o->param(kRow), field); }

// The route the object holds, freed.
void freeRoute(CObject* o) {
    const int32_t route = o->param(kRoute);
    if (route < 0) return;
    Game::clearByteAt(route);
    o->setParam(kRoute, -1);
}

void placeLoot(int32_t x, int32_t y, int32_t kind, int32_t count) {
    for (int32_t i = 0; i < count; ++i) Game::placeAtTile(x, y, kind);
}

// The bit a hit of this kind leaves in params[1] until the object is reset.
int32_t hitBit(int32_t kind) {
    switch (kind) {
        case 0:
        case 1:
        case 5: return 2;
        case 9:
        case 10: return 8;
        default: return 4;
    }
}

// The layer object whose member list is k.
CObject* layerWithList(ObjectArray* layers, int32_t k) {
    for (int32_t i = 0; i < length(layers); ++i)
        if (CObject* layer = objectAt(layers, i); layer != nullptr && layer->param(20) == k) return layer;
    return nullptr;
}

void stopObjectTimer(CObject* o, int32_t at) {
    Game::stopTimer(o->param(at));
    o->setParam(at, -1);
}

void startAnim(CObject* o, int32_t anim, int32_t loops) {
    if (ASpriteInstance* s = spriteOf(o)) s->setAnimLoop(anim, loops);
}

}  // namespace

// ---- interaction entries ----

int32_t CObject::findAndOccupySlot(int32_t group, CObject* o, CObject* other) {
    if (isNull(o)) {
        nullPointer();
        return 0;
    }
    const int32_t held = o->param(kEntry);
    const int32_t n = held != kNoEntry ? held : JArray::getByte(Game::operations.s_interactionCounts, group);
    for (int32_t j = 0; j < n; ++j) {
        const bool fits = o->param(kBoxKind) != 0 ? Game::isWithinTableLimitOnLayer(o, other, group, j)
                                                  : Game::isWithinTableLimit(o, group, j);
        if (!fits) continue;
        occupySlot(group, j, o);
        return 1;
    }
    return 0;
}

void CObject::occupySlot(int32_t group, int32_t entry, CObject* o) {
    if (isNull(o)) {
        nullPointer();
        return;
    }
    if (o->param(kEntry) != kNoEntry) Game::resetObjectAnim(group, o->param(kEntry), o);
    freeRoute(o);
    o->setParam(kEntry, entry);
    o->setParam(kLinkBits, static_cast<int32_t>((static_cast<uint32_t>(o->param(kLinkBits)) & 0xFFFF0000u) | 1u));
    auto* loads = static_cast<ByteArray*>(JArray::getRef(Game::operations.s_interactionLoad, group));
    JArray::setByte(loads, entry, JArray::getByte(loads, entry) + o->param(kWeight));
}

void CObject::releaseSlots() {
    freeRoute(this);
    if (param(kEntry) != kNoEntry) Game::resetObjectAnim(0, param(kEntry), this);
}

// ---- falling and carrying ----

void CObject::fallStep() {
    ASpriteInstance* s = spriteOf(this);
    if (s == nullptr) return;
    int32_t d = static_cast<int32_t>(Game::stateStatics.frameTime * kFallSpeed / 1000);
    if (d < 1) return;
    const int32_t keptX = s->x, keptY = s->y;
    for (;;) {
        const int32_t step = d < kMaxFallStep ? d : kMaxFallStep;
        s->y += step;
        d -= step;
        if (!canMoveWithBodyBox()) break;
        if (d < 1) return;  // still in the air: the fall goes on next frame
    }
    if (packed(this, kNoCorrection) != 1) {
        s->x = keptX;
        s->y = keptY;
        const int32_t w = packed(this, kLandingWidth);
        const int32_t cx = s->x >> kFixed, cy = s->y >> kFixed;
        int32_t shift;
        if (!Game::isBlockedAt(cx - w / 2, cy, kLandingMask))
            shift = w / 2;
        else if (Game::isBlockedAt(cx + w / 2, cy, kLandingMask))
            shift = 0;
        else
            shift = -(w / 2);
        moveWithCollision(shift, 32, 1, 32, kDown, kLandingMask, 0);
    }
    onEvent(kLandedEvent, this);
}

void CObject::moveCarried(int32_t dx, int32_t dy) {
    ASpriteInstance* s = spriteOf(this);
    if (s == nullptr) return;
    Game::markObjectFootprint(this, 1);
    const int32_t oldX = s->x, oldY = s->y;
    s->x += dx;
    s->y += dy;
    switch (param(kBoxKind)) {
        case 2: fallCheckSwim(this, oldX, oldY); break;
        case 0: fallCheck(this, oldX, oldY); break;
        default: break;
    }
    Game::markObjectFootprint(this, 0);
}

void CObject::moveRiders(int32_t dx, int32_t dy) {
    auto* riders = static_cast<ObjectArray*>(JArray::getRef(statics.s_kindHitTables, param(PARAM_SUBKIND)));
    for (int32_t i = length(riders) - 1; i >= 0; --i) {
        CObject* o = objectAt(riders, i);
        if (o == nullptr || o->param(kState) == 5 || o->param(kState) == 6) continue;
        o->moveCarried(dx, dy);
    }
}

// ---- the layer area ----

void CObject::checkAreaTrigger() {
    ASpriteInstance* s = spriteOf(this);
    if (s == nullptr) return;
    ObjectArray* layers = Game::objects.s_layerObjects;
    const int32_t x = s->x >> kFixed, y = s->y >> kFixed;
    if (CObject* under = Game::findObjectInRange(x, y, layers, 0, length(layers), false, true)) {
        // Already in that list: storing it again would leave a copy behind when it leaves.
        if (param(kLayer) == under->param(20)) return;
        if (Game::addLayerMember(this, under->param(20)) != 0) {
            setParam(kLayer, under->param(20));
            return;
        }
    }
    const int32_t w = packed(this, kBoxW), h = packed(this, kBoxH);
    const int32_t boxY = Game::getPackedSigned(param(kRow), kBoxY);
    const int32_t left = x - w / 2, top = y - h / 2 + boxY;
    if (param(kLayer) >= 0) {
        CObject* layer = layerWithList(layers, param(kLayer));
        bool inside = false;
        if (layer != nullptr && !isNull(layer->m_sprite)) {
            const int32_t lx = layer->m_sprite->x >> kFixed, ly = layer->m_sprite->y >> kFixed;
            inside = top >= ly && top + h <= ly + layer->getLayerHeight() && left >= lx &&
                     left + w <= lx + layer->getLayerWidth();
        }
        if (!inside) {
            removeMemberById(m_id, param(kLayer));
            setParam(kLayer, -1);
        }
    }
    if (param(kLayer) >= 0) return;
    if (CObject* holder = Game::findObjectContainingRect(left, top, w, h, layers, length(layers))) {
        if (Game::addLayerMember(this, holder->param(20)) != 0) setParam(kLayer, holder->param(20));
    } else if (hitTestRect(kAreaExclude)) {
        findFreeCellAround(this, w / 2, h / 2 - boxY, w, h, kAreaFreeMask);
    }
}

// ---- loot and hits ----

void CObject::dropLoot(bool doubled) {
    ASpriteInstance* s = spriteOf(this);
    if (s == nullptr) return;
    const int32_t x = s->x >> kFixed, y = s->y >> kFixed;
    const int32_t c1 = packed(this, kLootFirst + 1);
    placeLoot(x, y, 0, packed(this, kLootFirst));
    placeLoot(x, y, 1, doubled ? c1 * 2 : c1);
    placeLoot(x, y, 2, packed(this, kLootFirst + 2));
}

void CObject::takeHit(int32_t amount, CObject*, int32_t kind) {
    const int32_t required = param(kTimer);
    if (required >= 0 && (kind != required || (kind == 6 && Game::objects.s_currentItem != 0))) return;
    if (param(kHitPoints) < 1) return;
    const int32_t bit = hitBit(kind);
    if (param(kHitBits) & bit) return;
    setParam(kHitBits, (param(kHitBits) | bit) & ~1);
    setParam(kHitPoints, param(kHitPoints) - amount);
    if (param(kHitPoints) > 0) return;
    CObject* linked = objectAt(Game::objects.s_attachedObjects, param(0));
    startAnim(linked, param(10), 0);
    if (ASpriteInstance* s = spriteOf(this)) {
        const int32_t x = s->x >> kFixed, y = s->y >> kFixed;
        placeLoot(x, y, 0, param(12));
        placeLoot(x, y, 1, param(13));
        placeLoot(x, y, 2, param(14));
    }
    if (param(11) == 1) {
        Game::clearTarget(linked);
        if (linked != nullptr) {
            linked->setParam(2, 0);
            linked->setParam(3, 0);
        }
    }
    if ((param(PARAM_FACING) >= 1 || param(kTimer) == 6) && Game::menuStatics.soundEffectsOn)
        Game::requestEffectSound(kHitSound);
}

// ---- the timed charge ----

int32_t CObject::setChargeState(int32_t command, CObject* o) {
    const int32_t state = param(kState);
    if (state == 0) {
        if (command == 1) {
            setParam(kState, 1);
            setParam(kTimer, Game::timerAlloc());
        }
    } else if (state == 1 || state == 2) {
        if (command == 0) {
            dropByCharge(o);
            setParam(kState, 0);
            stopObjectTimer(this, kTimer);
            startAnim(this, param(11), -1);
        } else if (command == 2) {
            setParam(kState, 2);
            stopObjectTimer(this, kTimer);
            startAnim(this, param(10), -1);
        }
    }
    return 1;
}

void CObject::dropByCharge(CObject* o) {
    if (isNull(o)) {
        nullPointer();
        return;
    }
    const int32_t kind = param(kHitPoints);
    const int32_t d = o->getGaugeMax(kind) >> kFixed;
    int32_t count;
    switch (kind) {
        case 0: count = d / 60; break;
        case 1:
        case 2: count = d / 15; break;
        default: return;
    }
    if (param(kState) == 1) {
        const int32_t e = Game::getTimerElapsed(param(kTimer));
        const int32_t rate = e > 0 ? mrc::jdiv(param(8) << kFixed, e) : 0;
        if (rate <= 0) return;
        count = mrc::jdiv(count << kFixed, rate);
    } else if (param(kState) != 2) {
        return;
    }
    ASpriteInstance* s = spriteOf(this);
    if (s == nullptr) return;
    placeLoot(s->x >> kFixed, s->y >> kFixed, kind, count);
}

// ---- effects at an angle ----

void CObject::emitAtAngle(ASpriteInstance* instance, int32_t kind, int32_t angle) {
    if (isNull(instance)) {
        nullPointer();
        return;
    }
    const int32_t r1 = Game::random() & 31;
    const int32_t r2 = Game::random() & 31;
    int32_t direction, dx, dy;
    if (angle < 46 || angle >= 315) {
        direction = 4, dx = 16 + r1, dy = r2 - 16;
    } else if (angle <= 135) {
        direction = 2, dx = r2 - 16, dy = 16 + r1;
    } else if (angle <= 225) {
        direction = 3, dx = -16 - r1, dy = r2 - 16;
    } else {
        direction = 1, dx = r2 - 16, dy = -16 - r1;
    }
    const int32_t slot =
        Game::launchProjectile(Game::getEmitterSprite(kind), direction, instance->x + (dx << kFixed),
                               instance->y + (dy << kFixed), Game::getEmitterTypeField2(kind), 1, 1, -1, 0, -1, 0, 1);
    if (slot < 0) return;
    CObject* effect = objectAt(Game::objects.s_effectPool, slot);
    if (effect == nullptr || isNull(effect->m_sprite)) return;
    IntArray* r = Game::instanceRectTemp(effect->m_sprite);
    if (isNull(r) || r->length < 4) return;
    const int32_t* b = r->elements();
    if (!Game::isPixelAreaBlocked(b[0], b[1], b[2] - b[0], b[3] - b[1], kEffectMask)) return;
    effect->setParam(0, 0);
    effect->m_sprite->setSprite(nullptr);
    effect->setParam(3, 0);
    if (effect->param(1) != -1) stopObjectTimer(effect, 1);
}

// ---- setters of the event scripts ----

void CObject::setStateA(int32_t mode) {
    setParam(kState, mode);
    switch (mode) {
        case 0: setAnim2(); break;
        case 1: reappear(); break;
        case 2: setAnim58(); break;
        default: break;
    }
}

void CObject::setModeB(int32_t mode) {
    setParam(PARAM_ANIM, mode);
    switch (mode) {
        case 0: setAnim0(); break;
        case 1: clearTimers(); break;
        case 2: detachFromTable(); break;
        default: break;
    }
}

void CObject::activate(int32_t, int32_t b, int32_t) {
    if (b != 0) return;
    setParam(kState, 1);
    reappear();
}

void CObject::startPath(int32_t path) {
    setParam(kRow, path);
    setParam(PARAM_MODE, 2);
    setParam(kWeight, -1);
    setParam(PARAM_FACING, 0);
    applyPathSegment(this);
}

void Game::selectRecordFromParams(IntArray* params) {
    const int32_t m = JArray::getInt(params, 22);
    if (m < 0 || m >= 10 || m == layouts.s_currentPopup) return;
    layouts.s_currentPopup = m;
    activatePopup();
}

void Game::detachEffect(int32_t index) { CObject::detach(objectAt(objects.s_effectPool, index)); }
