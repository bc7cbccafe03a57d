#include "framework/sprite/sprite_instance.h"

#include <algorithm>

#include "framework/core/game_base.h"
#include "host/core/log.h"
#include "runtime/core/application.h"
#include "runtime/core/object_manager.h"

ASpriteInstance::Statics ASpriteInstance::statics;

namespace {

int32_t lengthOf(const JArray* a) { return isNull(a) || !a->data ? 0 : a->length; }

bool inside(const JArray* a, int32_t i) { return i >= 0 && i < lengthOf(a); }

// The box measuring starts from: what an instance that shows nothing measures.
void emptyBounds(IntArray* out) {
    if (lengthOf(out) < 4) return;
    int32_t* b = out->elements();
    b[0] = b[1] = 102400;
    b[2] = b[3] = -102400;
}

}  // namespace

void ASpriteInstance::init(ASprite* s, int32_t px, int32_t py, ASpriteInstance* p) {
    x = px << kFixedBits;
    y = py << kFixedBits;
    sprite = s;
    rect = mrc::ApplicationImpl::getApplication()->objectManager->newIntArray(4);
    parent = p;
}

bool ASpriteInstance::framesOf(int32_t a, Frames& out) {
    out = Frames{};
    if (isNull(sprite)) return false;
    out.count = sprite->animFrames(a, out.first);
    return out.count > 0;
}

int32_t ASpriteInstance::frameIdOf(int32_t a, int32_t k) {
    Frames f;
    if (!framesOf(a, f) || k < 0 || k >= f.count) return -1;
    int32_t i = f.first + k;
    return uint8_t(sprite->aframeFrame->elements()[i]) | (sprite->aframeFlags->elements()[i] & 0xC0) << 2;
}

int32_t ASpriteInstance::stillFrame() {
    return !isNull(sprite) && inside(sprite->frameModuleCount, aframe) ? aframe : -1;
}

void ASpriteInstance::setSprite(ASprite* s) {
    sprite = s;
    if (!stillMode() && lastFrame < 0) completeLastFrame();
}

void ASpriteInstance::completeLastFrame() {
    Frames f;
    framesOf(anim, f);
    if (step == 1) {
        lastFrame = f.count - 1;
    } else {
        lastFrame = 0;
        aframe = std::max(f.count - 1, 0);
    }
}

// ---- animation -----------------------------------------------------------------------------------

int32_t ASpriteInstance::setAnim(int32_t a) {
    anim = a;
    aframe = 0;
    time = 0;
    loopDataA = loopDataB = 0;
    loops = -1;
    ended = 0;
    step = 1;
    Frames f;
    framesOf(a, f);
    lastFrame = isNull(sprite) ? -1 : f.count - 1;
    return 1;
}

int32_t ASpriteInstance::setAnimLoop(int32_t a, int32_t n) {
    setAnim(a);
    loops = n;
    return 1;
}

void ASpriteInstance::setAnimWithStep(int32_t a, int32_t s, int32_t n) {
    setAnim(a);
    step = s;
    loops = n;
    if (!isNull(sprite)) completeLastFrame();  // else setSprite does
}

void ASpriteInstance::updateAnim() {
    ended = 0;
    int32_t steps = statics.logicStepsThisFrame;
    if (isNull(sprite) || stillMode() || steps < 1) return;
    Frames f;
    if (!framesOf(anim, f)) return;
    for (int32_t n = 0; n < steps; ++n) {
        if (aframe < 0 || aframe >= f.count) return;
        int32_t d = uint8_t(sprite->aframeTime->elements()[f.first + aframe]);
        if (d == 0) return;  // held for ever
        ++time;
        if (d > time) continue;
        time = 0;
        aframe += step;
        bool wrap = loops == -1 || loops > 0;
        if (step == 1) {
            if (aframe <= lastFrame) continue;
            aframe = wrap ? 0 : f.count - 1;
        } else {
            if (aframe >= lastFrame) continue;
            aframe = wrap ? f.count - 1 : 0;
        }
        ended = 1;
        if (wrap) {
            loopDataA = loopDataB = 0;
            if (loops != -1) --loops;
        }
    }
}

bool ASpriteInstance::isAnimEnded() {
    if (ended) {
        Frames f;
        framesOf(anim, f);
        aframe = std::max(f.count - 1, 0);
    }
    return ended != 0;
}

int32_t ASpriteInstance::getAnimDuration() {
    Frames f;
    if (!framesOf(anim, f)) return 0;
    int32_t total = 0;
    for (int32_t k = 0; k < f.count; ++k) total += uint8_t(sprite->aframeTime->elements()[f.first + k]);
    return total;
}

int32_t ASpriteInstance::setFrameAtTime(int32_t ms) {
    int32_t t = ms / kLogicStepMs;
    Frames f;
    if (!framesOf(anim, f)) return 0;
    int32_t sum = 0, found = -1;
    for (int32_t k = 0; k < f.count; ++k) {
        sum += uint8_t(sprite->aframeTime->elements()[f.first + k]);
        if (found < 0 && sum > t) found = k;
    }
    aframe = found >= 0 ? found : f.count - 1;
    return sum;
}

void ASpriteInstance::setFrameAtPercent(int32_t percent) {
    Frames f;
    if (!framesOf(anim, f)) return;
    aframe = sprite->getAnimFrame(anim, percent);
}

int32_t ASpriteInstance::getCurrentAnimLastFrame() { return getAnimLastFrame(anim); }

int32_t ASpriteInstance::getAnimLastFrame(int32_t a) {
    Frames f;
    return framesOf(a, f) ? frameIdOf(a, f.count - 1) : -1;
}

int32_t ASpriteInstance::getCurrentAnimFirstFrame() { return frameIdOf(anim, 0); }

void ASpriteInstance::jumpToLastFrame(ASpriteInstance* instance) {
    if (isNull(instance) || isNull(instance->sprite)) return;
    Frames f;
    instance->framesOf(instance->anim, f);
    instance->loops = 0;
    instance->aframe = std::max(f.count - 1, 0);
}

void ASpriteInstance::showFrame(ASpriteInstance* instance, int32_t frame) {
    if (isNull(instance)) return;
    instance->time = -1;
    instance->anim = -1;
    instance->aframe = frame;
}

void ASpriteInstance::advanceFrameClock(int32_t ms) {
    statics.logicStepAccumulator += ms;
    statics.logicStepsThisFrame = 0;
    while (statics.logicStepAccumulator >= kLogicStepMs) {
        statics.logicStepAccumulator -= kLogicStepMs;
        ++statics.logicStepsThisFrame;
    }
}

// ---- painting and measuring ----------------------------------------------------------------------

void ASpriteInstance::paint(Graphics* g) {
    if (isNull(sprite)) return;
    int32_t fx = x, fy = y, depth = 0;
    for (ASpriteInstance* p = parent; !isNull(p); p = p->parent) {
        if (++depth > kMaxParentDepth) {
            mrc_log("ASpriteInstance::paint: parent chain longer than %d instances", kMaxParentDepth);
            return;
        }
        fx += p->x;
        fy += p->y;
    }
    int32_t px = fx >> kFixedBits, py = fy >> kFixedBits;
    ASprite::statics.currentGraphics = g;
    if (!stillMode()) {
        if (frameIdOf(anim, aframe) >= 0) sprite->paintAFrame(anim, aframe, px, py, flags);
    } else if (anim >= 0) {
        if (anim < sprite->moduleCount) sprite->drawModule(anim, px, py, flags);
    } else if (aframe >= 0) {
        if (stillFrame() >= 0) sprite->paintFrame(aframe, px, py, flags);
    }
}

IntArray* ASpriteInstance::getRect() {
    if (isNull(rect)) rect = mrc::ApplicationImpl::getApplication()->objectManager->newIntArray(4);
    if (isNull(sprite) || isNull(rect)) return rect;
    int32_t px = x >> kFixedBits, py = y >> kFixedBits;
    if (!stillMode()) {
        if (frameIdOf(anim, aframe) >= 0) sprite->getAFrameBounds(rect, anim, aframe, px, py, flags);
        else emptyBounds(rect);
    } else if (anim >= 0) {
        if (anim < sprite->moduleCount) sprite->getModuleBounds(rect, anim, px, py, flags);
        else emptyBounds(rect);
    } else if (aframe >= 0) {
        if (stillFrame() >= 0) GameBase::getFrameRect(sprite, rect, aframe, px, py, flags);
        else emptyBounds(rect);
    }
    return rect;
}

// ---- rectangle records -----------------------------------------------------------------------------

int32_t ASpriteInstance::getRectCountAt(int32_t k) {
    if (isNull(sprite)) return 0;
    int32_t frame = stillMode() ? k : frameIdOf(anim, k);
    if (!inside(sprite->frameFirstRect, frame)) return 0;
    return sprite->getItemCount(frame);
}

bool ASpriteInstance::hasRect(int32_t frame, int32_t i) {
    if (isNull(sprite) || !inside(sprite->frameFirstRect, frame) || i < 0 || i >= sprite->getItemCount(frame))
        return false;
    return inside(sprite->frameRects, sprite->frameFirstRect->elements()[frame] + i);
}

int32_t ASpriteInstance::getRectCount() { return getRectCountAt(aframe); }

IntArray* ASpriteInstance::getRectWithOffsets(int32_t i) { return GameBase::getSpriteRect(this, i, true); }

IntArray* ASpriteInstance::getFModuleRect(int32_t k, int32_t i, bool withOffsets) {
    int32_t frame = isNull(sprite) ? -1 : frameIdOf(anim, k);
    if (!hasRect(frame, i)) return nullptr;
    IntArray* out = ASprite::statics.sharedRect;
    sprite->getAFrameRect(anim, k, i, 0, withOffsets, out);
    return out;
}

IntArray* GameBase::getSpriteRect(ASpriteInstance* instance, int32_t i, bool withOffsets) {
    if (isNull(instance) || isNull(instance->sprite)) return nullptr;
    if (instance->time >= 0) return instance->getFModuleRect(instance->aframe, i, withOffsets);
    ASprite* s = instance->sprite;
    int32_t frame = instance->aframe;
    if (!instance->hasRect(frame, i)) return nullptr;
    ByteArray* record = s->getFrameRectRecord(frame, i);
    if (isNull(record) || record->length < 4) return nullptr;
    IntArray* out = ASprite::statics.sharedRect;
    if (lengthOf(out) < 4) return nullptr;
    const int8_t* r = record->elements();
    int32_t* o = out->elements();
    o[0] = r[0];
    o[1] = r[1];
    o[2] = uint8_t(r[2]);
    o[3] = uint8_t(r[3]);
    return out;
}
