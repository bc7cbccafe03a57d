// Animation choices of actors and level objects: the restart family, the selectors, the
// operations that wait for an animation's end, and the phase machines of barriers, switches,
// plates and leader actors, which are animation choices with a few parameter writes.
#include "framework/sprite/sprite.h"
#include "framework/sprite/sprite_instance.h"
#include "game/flow/game.h"
#include "game/objects/cobject.h"

namespace {

constexpr int32_t kHiddenFixed = -1000 << 14;

int32_t animationCount(ASprite* sprite) {
    return isNull(sprite) || isNull(sprite->animFrameCount) ? 0 : sprite->animFrameCount->length;
}

CObject* objectAt(ObjectArray* list, int32_t i) { return static_cast<CObject*>(JArray::getRef(list, i)); }

ASpriteInstance* hudInstance(int32_t i) {
    return static_cast<ASpriteInstance*>(JArray::getRef(Game::stateStatics.hudInstances, i));
}

CObject* templateOf(CObject* o) { return objectAt(Game::objects.s_templates, o->param(CObject::PARAM_RECORD)); }

// Restart once: the restart, then no repeats.
void restartOnce(ASpriteInstance* instance, int32_t n) {
    if (!isNull(instance)) instance->setAnimLoop(n, 0);
}

int32_t floorDiv32(int32_t v) { return v >> 5; }

}  // namespace

// ---- the restart family ---------------------------------------------------------------------------

void CObject::restartInstance(ASpriteInstance* instance, int32_t n) {
    if (!isNull(instance)) instance->setAnim(n);
}

void CObject::guardedRestart(ASpriteInstance* instance, int32_t n) {
    if (isNull(instance) || n == instance->anim) return;
    if (!isNull(instance->sprite) && n >= animationCount(instance->sprite)) return;
    instance->setAnim(n);
}

void CObject::setAnim(int32_t n) { restartInstance(m_sprite, n); }
void CObject::setAnimLooped(int32_t n) { setAnim(n); }
void CObject::setAnimIndex(int32_t n) { setAnim(n); }
void CObject::setAnim2() { setAnim(2); }

void CObject::setAnim58() {
    restartOnce(m_sprite, 58);
    for (int32_t i : {11, 12, 13}) {
        CObject* hidden = objectAt(Game::objects.s_templates, param(i));
        if (isNull(hidden) || isNull(hidden->m_sprite)) continue;
        hidden->m_sprite->x = kHiddenFixed;
        hidden->m_sprite->y = kHiddenFixed;
    }
}

void CObject::setAnimVariant(int32_t n) { setAnim(n + 16 * param(PARAM_FLAGS)); }
void CObject::setAnimVariant6() { setAnimVariant(6); }
void CObject::setAnimVariant9() { setAnimVariant(9); }
void CObject::setAnimVariant15() { setAnimVariant(15); }
void CObject::setAnimVariant19() { setAnimVariant(19); }

void CObject::setAnim12() {
    setParam(13, 0);
    setAnimVariant(12);
}
void CObject::setAnim17() {
    setParam(13, 0);
    setAnimVariant(17);
}
void CObject::setAnim20() {
    setParam(13, 0);
    setAnimVariant(20);
}
void CObject::setAnim7() {
    setParam(13, 0);
    setAnimVariant(7);
}

void CObject::setAnimTo12() { setAnim(12); }
void CObject::setAnimTo17() { setAnim(17); }
void CObject::setAnim0() {
    setAnim(0);
    setParam(12, -1);
}

void CObject::setAnim14Or16() { setAnim(!isNull(m_sprite) && m_sprite->anim == 15 ? 16 : 14); }

void CObject::setAnim76() {
    setAnim(76);
    statics.s_interactionMode = 0;
}

void CObject::restartAnim() {
    setAnim(0);
    setParam(21, param(8));
    setParam(27, 9);
    setParam(28, -1);
    for (int32_t i : {37, 38, 39}) setParam(i, -1);
}

void CObject::setAnimFacing(int32_t base) { setAnim(param(8) == 1 ? base + 4 : base); }
void CObject::setAnimFacing1() { setAnimFacing(1); }
void CObject::setAnimFacing0() { setAnimFacing(0); }

void CObject::setAnimOffset(int32_t state, int32_t base) {
    const bool hasTemplate = param(PARAM_RECORD) >= 0;
    int32_t stored = state;
    if (hasTemplate) {
        CObject* t = templateOf(this);
        stored = !isNull(t) && t->param(8) == 0 ? 1 : 0;
    }
    setParam(PARAM_MODE, stored);
    if (hasTemplate) {
        switch (base) {
            case 0:
            case 14: base = 44; break;
            case 2: base = 46; break;
            case 16: base = 48; break;
            case 20: base = 52; break;
            case 24: base = 56; break;
            case 28: base = 60; break;
            case 32: base = 64; break;
            case 36: base = 68; break;
            default: break;
        }
    }
    setAnim(base + stored);
}

void CObject::setAnimOffsetB(int32_t state, int32_t base) {
    setAnimOffset(state, base);
    if (!isNull(m_sprite)) m_sprite->loops = 0;
}

void CObject::setStateIfChanged(int32_t state, int32_t base) {
    if (param(PARAM_MODE) != state) setAnimOffset(state, base);
}

void CObject::setSpriteEntry3() {
    setSprite(static_cast<ASprite*>(JArray::getRef(Game::stateStatics.sprites, 3)), 0);
    setAnim(param(0) + 17);
}

void CObject::placeLinked(int32_t base, int32_t offset, int32_t x, int32_t y, int32_t side) {
    CObject* linked = objectAt(Game::objects.s_attachedObjects, param(24));
    if (isNull(linked)) return;
    linked->setAnim(base + offset);
    if (!isNull(linked->m_sprite)) {
        linked->m_sprite->x = x;
        linked->m_sprite->y = y;
    }
    linked->setParam(8, side);
}

void CObject::placeLinkedAnim(int32_t base, int32_t offset, int32_t side) {
    CObject* linked = objectAt(Game::objects.s_attachedObjects, param(23));
    if (isNull(linked)) return;
    linked->setAnim(base + offset);
    if (!isNull(linked->m_sprite) && !isNull(m_sprite)) {
        linked->m_sprite->x = m_sprite->x;
        linked->m_sprite->y = m_sprite->y;
    }
    linked->setParam(8, side);
}

void CObject::faceLeftAnim() {
    setAnimOffsetB(param(18), param(PARAM_RECORD) >= 0 ? 48 : 16);
    placeLinkedAnim(param(18), 18, 6);
}

void CObject::faceRightAnim() {
    setAnimOffsetB(param(18), param(PARAM_RECORD) >= 0 ? 56 : 24);
    placeLinkedAnim(param(18), 26, 6);
}

void CObject::setActorAnim(int32_t record) {
    setParam(PARAM_FACING, record);
    if (param(1) != 1) return;
    auto* maps = static_cast<ObjectArray*>(JArray::getRef(statics.s_layerMaps, record));
    auto* first = static_cast<ShortArray*>(JArray::getRef(maps, 0));
    if (isNull(first)) return;
    setAnim(JArray::getShort(first, 0));
}

// ---- selectors ------------------------------------------------------------------------------------

void CObject::selectAnimByState(CObject* o, int32_t offset) {
    if (isNull(o) || isNull(o->m_sprite)) return;
    const int32_t d = directionIndex(o->param(PARAM_FACING));
    const int32_t sub = o->param(PARAM_SUBSTATE);
    int32_t n = d;
    if (offset >= 0) {
        n = d + offset;
    } else {
        switch (o->param(PARAM_STATE)) {
            case 0: n = sub == 1 ? d + 12 : d; break;
            case 1: n = d + 58 + o->actionAnimOffset(o->param(42), sub); break;
            case 3:
            case 4: n = d + 16; break;
            case 5:
                if (sub == 3) return;  // keeps whatever runs
                n = sub == 1 ? d + 8 : d + 30;
                break;
            case 6: n = sub == 0 ? d + 20 : sub == 1 ? d + 24 : d; break;
            case 8: n = 28; break;
            case 11: n = d + 38; break;
            case 12: n = d + 12; break;
            case 14: n = d + 4; break;
            case 15: n = d + 34; break;
            default: break;
        }
    }
    guardedRestart(o->m_sprite, n);
}

void CObject::setAnimForDirection(CObject* o, int32_t base) {
    if (isNull(o)) return;
    int32_t n = base;
    switch (o->param(PARAM_FACING)) {
        case kDown: n = base + 1; break;
        case kLeft: n = base + 2; break;
        case kRight: n = base + 3; break;
        default: break;
    }
    guardedRestart(o->m_sprite, n);
}

void CObject::animForDirection() {
    int32_t n;
    switch (statics.s_inputDirection) {
        case kUp: n = 8; break;
        case kDown: n = 9; break;
        case kLeft: n = 10; break;
        case kRight: n = 11; break;
        default: return;
    }
    restartInstance(hudInstance(10), n);
}

int32_t CObject::showDirectionEffect(int32_t bits) {
    const int32_t index = findFreeEffectInstance();
    if (index < 0) return -1;
    const int32_t r = Game::random() & 3;
    auto* instance = static_cast<ASpriteInstance*>(JArray::getRef(statics.s_effectInstances, index));
    if (bits & 0x102) restartOnce(instance, 4 * r + 1);
    else if (bits & 0x4004) restartOnce(instance, 4 * r);
    else if (bits & 0x408) restartOnce(instance, 4 * r + 3);
    else if (bits & 0x1010) restartOnce(instance, 4 * r + 2);
    return index;
}

void CObject::linkedCheck(CObject* o) {
    if (isNull(o)) return;
    CObject* t = templateOf(o);
    o->setAnim(!isNull(t) && t->param(8) != 0 ? 98 : 99);
}

// ---- end-of-animation chains ---------------------------------------------------------------------

namespace {

// The ended flag, the frame pinned to the animation's last one when it is set.
bool endedPinned(ASpriteInstance* instance) { return !isNull(instance) && instance->isAnimEnded(); }

int32_t currentAnim(ASpriteInstance* instance) { return isNull(instance) ? -1 : instance->anim; }

}  // namespace

void CObject::onStateAnim() {
    const int32_t phase = param(13);
    if (phase != 1 && phase != 2 && phase != 7) return;
    if (endedPinned(m_sprite)) setAnim12();
}

void CObject::ifAnim14() {
    if (currentAnim(m_sprite) == 14 && endedPinned(m_sprite)) setAnim(param(PARAM_MODE) == 1 ? 16 : 15);
}

void CObject::ifAnim17() {
    if (currentAnim(m_sprite) == 17 && endedPinned(m_sprite)) setAnim(param(PARAM_MODE) == 4 ? 13 : 12);
}

void CObject::ifAnim18() {
    if (currentAnim(m_sprite) == 18 && endedPinned(m_sprite)) setAnim(19);
}

void CObject::finishOnce() {
    if (param(0) != 1 || isNull(m_sprite)) return;
    if (endedPinned(m_sprite)) {
        setParam(0, 0);
        Game::stateStatics.redraw = 1;
    } else {
        m_sprite->updateAnim();
    }
}

void CObject::updateLinkedEffect() {
    if (statics.s_shadowIndex < 0) {
        statics.s_shadowIndex = -1;
        return;
    }
    ASpriteInstance* effect = hudInstance(13);
    if (isNull(effect) || endedPinned(effect)) statics.s_shadowIndex = -1;
    else effect->updateAnim();
}

bool CObject::isFrameEmpty(CObject* o) {
    if (isNull(o) || isNull(o->m_sprite) || isNull(o->m_sprite->sprite)) return true;
    ASpriteInstance* i = o->m_sprite;
    if (i->anim >= 0 && i->aframe >= 0) return i->sprite->getFlippedItemCount(i->anim, i->aframe) == 0;
    if (i->aframe < 0) return true;
    return i->sprite->getItemCount(i->aframe) == 0;
}

void CObject::syncInstance() {
    if (!isNull(m_sprite) && !(param(9) == 10 && statics.s_interactionMode == 4)) m_sprite->updateAnim();
    if (ASpriteInstance* overlay = hudInstance(15); !isNull(overlay)) overlay->updateAnim();
}

void CObject::updateAnimOnce(ASpriteInstance* instance) {
    if (statics.s_animAdvance && !isNull(instance)) instance->updateAnim();
    statics.s_animAdvance = true;
}

void CObject::setFrameByPercent(ASpriteInstance* instance, int32_t percent) {
    if (!isNull(instance) && !isNull(instance->sprite)) instance->aframe = instance->sprite->getAnimFrame(instance->anim, percent);
    statics.s_animAdvance = false;
}

void CObject::animateUnlessPhase(CObject* o) {
    if (isNull(o) || isNull(o->m_sprite)) return;
    const int32_t phase = o->param(PARAM_SUBSTATE);
    if (phase != 1 && phase != 3) o->m_sprite->updateAnim();
}

void CObject::updateGroup(ObjectArray* list) {
    if (isNull(list)) return;
    for (int32_t i = 0; i < list->length; ++i) {
        CObject* o = objectAt(list, i);
        if (isNull(o)) continue;
        o->setParam(13, 1);
        o->setParam(14, 2);
        o->setParam(15, -1);
        o->setAnim(o->param(PARAM_MODE));
    }
}

// ---- barriers -------------------------------------------------------------------------------------

void CObject::setBarrierMode(int32_t m) {
    setParam(PARAM_MODE, m);
    switch (m) {
        case 0: setAnimTo12(); break;
        case 1:
        case 2: setAnim14Or16(); break;
        case 3:
        case 4: setAnim(17); break;
        case 5: clearGridUnderBarrier(); break;
        default: break;
    }
}

void CObject::updateBarrierMode() {
    switch (param(PARAM_MODE)) {
        case 1:
        case 2: ifAnim14(); break;
        case 3:
        case 4: ifAnim17(); break;
        case 5: ifAnim18(); break;
        default: break;
    }
}

void CObject::hitBarrier(int32_t damage, int32_t, int32_t kind) {
    if (param(PARAM_MODE) != 2 || param(7) >= 101) return;
    int32_t bit = 4;
    if (kind == 0 || kind == 1 || kind == 5) bit = 2;
    else if (kind == 9 || kind == 10) bit = 8;
    if (param(PARAM_FLAGS) & bit) return;
    setParam(PARAM_FLAGS, (param(PARAM_FLAGS) | bit) & ~1);
    setParam(7, param(7) - damage);
    if (param(7) <= 0) setBarrierMode(5);
}

void CObject::clearGridUnderBarrier() {
    setAnim(18);
    auto* previous = static_cast<CObject*>(Game::overlayStatics.currentRoom);
    Game::setCurrentRoom(nullptr);
    // Without a current layer the cells count from the level's origin.
    int32_t originX = 0, originY = 0;
    if (!isNull(previous) && !isNull(previous->m_sprite)) {
        originX = previous->m_sprite->getX();
        originY = previous->m_sprite->getY();
    }
    if (!isNull(m_sprite)) {
        const int32_t column = floorDiv32(m_sprite->getX() - originX);
        const int32_t row = floorDiv32(m_sprite->getY() - originY);
        ObjectArray* grid = Game::grids.s_currentGrid;
        const int32_t columns = isNull(grid) ? 0 : grid->length;
        for (int32_t c = column; c < column + param(8); ++c) {
            if (c < 0 || c >= columns) continue;
            auto* cells = static_cast<ShortArray*>(grid->elements()[c]);
            if (isNull(cells)) continue;
            for (int32_t r = row - param(9); r < row; ++r) {
                if (r >= 0 && r < cells->length) cells->elements()[r] = static_cast<int16_t>(cells->elements()[r] & ~8);
            }
        }
    }
    Game::setCurrentRoom(!isNull(previous) && previous->m_type == Game::kLayerType ? previous : nullptr);
}

// ---- switches and plates --------------------------------------------------------------------------

void CObject::setSwitchPhase(int32_t p) {
    setParam(PARAM_SUBSTATE, p);
    switch (p) {
        case 0: setAnim(param(11)); break;
        case 1: restartOnce(m_sprite, param(12)); break;
        case 2: setAnim(param(9)); break;
        case 3: restartOnce(m_sprite, param(10)); break;
        default: break;
    }
}

void CObject::setPlatePhase(int32_t p) {
    setParam(13, p);
    switch (p) {
        case 0: setAnim(param(10)); break;
        case 1: restartOnce(m_sprite, param(11)); break;
        case 2: setAnim(param(8)); break;
        case 3: restartOnce(m_sprite, param(9)); break;
        default: break;
    }
}

void CObject::setState2() {
    setParam(6, 0);
    setParam(17, 0);
    setParam(15, 2);
    setAnim(param(9));
    setParam(16, -1);
}

void CObject::setState2B() {
    setParam(6, 0);
    setParam(13, 2);
    setAnim(param(8));
}

void Game::updateTriggerList(ObjectArray* list) {
    if (isNull(list)) return;
    for (int32_t i = 0; i < list->length; ++i) {
        CObject* o = objectAt(list, i);
        if (isNull(o)) continue;
        if (o->m_type == 62) o->setState2();
        else if (o->m_type == 63) o->setState2B();
    }
}

void CObject::setSwitchPressed() {
    setParam(15, 1);
    restartOnce(m_sprite, param(12));
    setParam(6, 0);
    setParam(18, 0);
    Game::stopTimer(param(16));
    setParam(16, -1);
}

void CObject::stopParamTimer() {
    if (param(16) < 0) return;
    Game::stopTimer(param(16));
    setParam(16, -1);
}

void CObject::setPlateDown() {
    setParam(13, 3);
    restartOnce(m_sprite, param(9));
}

void CObject::setPlateUp() {
    setParam(13, 1);
    restartOnce(m_sprite, param(11));
    setParam(6, 0);
}

void CObject::updateBlockedPhase() {
    const int32_t playerParam = statics.s_playerStateParam;
    if (statics.s_playerState != 21 || (playerParam != 5 && playerParam != 7)) return;
    if (param(6) != 0 && param(7) != 0) return;
    if (isNull(m_sprite)) return;
    const int32_t x = m_sprite->getX(), y = m_sprite->getY();
    const bool all = param(7) == 1;
    bool result = all;
    for (int32_t c = 0; c < param(2) && result == all; ++c) {
        for (int32_t r = 0; r < param(3); ++r) {
            if (Game::isBlockedAt(x + c * 32, y + r * 32, 1024) != all) {
                result = !all;
                break;
            }
        }
    }
    if (param(6) == 1) {
        if (!result) setPlateUp();
    } else if (result) {
        setPlateDown();
    }
}

// ---- actors with a leader table --------------------------------------------------------------------

void CObject::onHit(int32_t kind) {
    if (kind == 2 || kind == 3) {
        if (param(17) != param(16)) setActorAnim(param(17));
    } else if (kind == 1 || kind == 4) {
        if (param(17) != param(19)) setActorAnim(param(19));
    }
    setParam(21, kind);
}

void CObject::restoreActorAnim() {
    if (param(17) != param(19)) setActorAnim(param(19));
    setParam(21, 1);
}

void CObject::restoreActorAnimB() { restoreActorAnim(); }

void CObject::updateFlags() {
    if (param(21) == 0 || param(35) != 1 || param(22) != 10) return;
    Game::stopTimer(param(41));
    setParam(41, -1);
    setActorAnim(param(19));
    setParam(22, 0);
}
