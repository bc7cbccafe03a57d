// Geometry taken from sprite data: the paths of a machine's parts, the rectangle records of the
// current frame; and the painters of an object's box, a coloured rectangle and the shared
// effect instances.
#include <cstdint>

#include "framework/sprite/sprite.h"
#include "framework/sprite/sprite_instance.h"
#include "game/flow/game.h"
#include "game/objects/cobject.h"
#include "platform/lcdui/graphics.h"
#include "runtime/core/application.h"
#include "runtime/core/object_manager.h"
#include "runtime/lang/construct.h"

namespace {

void nullPointer() { mrc::ApplicationImpl::getApplication()->reportError("NullPointer"); }

JArray* rangeRow(int32_t r) { return static_cast<JArray*>(JArray::getRef(Game::tables.s_rangeEntries, r)); }

// The speed toward the next position: about 16 x distance / frame time, from a 16.16 square
// root by eight Newton steps in 64-bit arithmetic. A frame time of 0 gives speed 0.
int32_t partSpeed(int64_t dx, int64_t dy, int32_t t) {
    if (t == 0) return 0;
    int64_t d2 = dx * dx + dy * dy;
    int32_t s = 0;
    if (d2 >= 32001 && d2 < 32768000) {
        d2 >>= 10;
        s = 5;
    }
    int64_t r = ((d2 << 16) + 0x10000) / 2;
    for (int32_t i = 0; i < 8 && r != 0; ++i) r = (r + (d2 << 32) / r) / 2;
    return static_cast<int32_t>(((((r >> 2) << s) << 4) / t) >> 14);
}

}  // namespace

void CObject::buildPartPaths() {
    ASprite* sprite = isNull(m_sprite) ? nullptr : m_sprite->sprite;
    if (isNull(sprite)) {
        nullPointer();
        return;
    }
    const int32_t x = m_sprite->getX(), y = m_sprite->y;
    const int32_t animations = isNull(sprite->animFrameCount) ? 0 : sprite->animFrameCount->length;
    int32_t row = param(69);
    for (int32_t a = 0; a < animations; ++a) {
        const int32_t n = sprite->getAnimLength(a);
        for (int32_t j = 0; j < Game::kChildCount; ++j) {
            auto* part = static_cast<CObject*>(JArray::getRef(Game::objects.s_layerObjects, param(50 + j)));
            if (isNull(part)) {
                nullPointer();
                return;
            }
            const int32_t w = part->getLayerWidth(), h = part->getLayerHeight();
            if (n <= 0) continue;
            for (int32_t f = 0; f < n; ++f) {
                const int32_t frame = sprite->getAnimFrameId(a, f);
                JArray* entry = rangeRow(row + f);
                JArray::setShort(entry, 0, x + w / 2 + sprite->getFModuleOffsetX(frame, j));
                JArray::setShort(entry, 1, sprite->getFrameDataShort(frame, j) + h / 2 + (y >> 14));
            }
            for (int32_t f = 0; f < n; ++f) {
                JArray* entry = rangeRow(row + f);
                JArray* next = rangeRow(f == n - 1 ? row : row + f + 1);
                const int64_t dx = JArray::getShort(next, 0) - JArray::getShort(entry, 0);
                const int64_t dy = JArray::getShort(next, 1) - JArray::getShort(entry, 1);
                JArray::setShort(entry, 4, partSpeed(dx, dy, sprite->getAFrameTime(a, f)));
            }
            row += n;
        }
    }
}

IntArray* CObject::getFrameRectRecord(int32_t k) {
    IntArray* rect = ASprite::statics.sharedRect;
    ASprite* sprite = isNull(m_sprite) ? nullptr : m_sprite->sprite;
    if (isNull(sprite)) {
        nullPointer();
        return rect;
    }
    const int32_t anim = m_sprite->anim, aframe = m_sprite->aframe;
    const int32_t fi = JArray::getShort(sprite->animFirstFrame, anim) + aframe;
    ByteArray* record = sprite->getFrameRectRecord(sprite->getAnimFrameId(anim, aframe), k);
    if (isNull(record)) {
        nullPointer();
        return rect;
    }
    JArray::setInt(rect, 0, JArray::getShort(sprite->aframeOffsetX, fi) - ((-JArray::getByte(record, 0)) & 0xFF));
    JArray::setInt(rect, 1, JArray::getShort(sprite->aframeOffsetY, fi) - ((-JArray::getByte(record, 1)) & 0xFF));
    JArray::setInt(rect, 2, JArray::getByte(record, 2) & 0xFF);
    JArray::setInt(rect, 3, JArray::getByte(record, 3) & 0xFF);
    return rect;
}

void CObject::paintColourRect(javax_microedition_lcdui_Graphics* g, IntArray* record, int32_t x, int32_t y) {
    if (JArray::getInt(record, 0) != 1 || JArray::getInt(record, 7) != 1 || JArray::getInt(record, 12) != 1) return;
    if (isNull(g)) {
        nullPointer();
        return;
    }
    g->setColorRGB(JArray::getInt(record, 8), JArray::getInt(record, 9), JArray::getInt(record, 10));
    g->fillRect(x, y, JArray::getInt(record, 2), JArray::getInt(record, 3));
}

void Game::paintObjectBoxes(Graphics* g, int32_t camX, int32_t camY, CObject* o, int32_t colour) {
    if (isNull(g) || isNull(o) || isNull(o->m_sprite)) {
        nullPointer();
        return;
    }
    const int32_t kind = o->param(CObject::PARAM_KIND);
    auto* anchor = static_cast<JArray*>(JArray::getRef(levelSetup.s_kindAnchors, kind));
    auto* records = static_cast<ObjectArray*>(JArray::getRef(objects.s_actionRecords, kind));
    auto* action = static_cast<JArray*>(JArray::getRef(records, 0));
    const int32_t ax = JArray::getShort(anchor, 0), ay = JArray::getShort(anchor, 1);
    const int32_t b0 = JArray::getShort(action, 0), b1 = JArray::getShort(action, 1);
    const int32_t b2 = JArray::getShort(action, 2), b3 = JArray::getShort(action, 3);
    const int32_t x = o->m_sprite->getX(), y = o->m_sprite->getY();
    const int32_t px = x + ax, py = y + ay;
    int32_t rx = 0, ry = 0, rw = 0, rh = 0;
    switch (o->param(CObject::PARAM_FACING)) {
        case CObject::kRight: rx = x + b0, ry = y + b1, rw = b2, rh = b3; break;
        case CObject::kDown: rx = px - b3 / 2, ry = py + b0 - ax, rw = b3, rh = b2; break;
        case CObject::kUp: rx = px - b3 / 2, ry = py + ax - b0 - b2, rw = b3, rh = b2; break;
        case CObject::kLeft: rx = px + ax - b0 - b2, ry = y + b1, rw = b2, rh = b3; break;
        default: break;
    }
    g->setColor(colour);
    g->drawRect(rx - camX, ry - camY, rw, rh);
    g->setColor(colour);
    g->drawRect(px - 32 - camX, py - 32 - camY, 64, 64);
}

void Game::createEffectInstances() {
    auto& effects = CObject::statics.s_effectInstances;
    effects = mrc::ApplicationImpl::getApplication()->objectManager->newObjectArray(mrc::kClass_ASpriteInstance,
                                                                                   CObject::kEffectInstanceCount);
    for (int32_t i = 0; i < CObject::kEffectInstanceCount; ++i) {
        auto* sprite = static_cast<ASprite*>(JArray::getRef(stateStatics.sprites, CObject::kEffectInstanceSprite));
        ASpriteInstance* instance =
            mrc::newConstructed<ASpriteInstance>(sprite, 0, 0, static_cast<ASpriteInstance*>(nullptr));
        if (!isNull(instance)) instance->anim = -1;
        JArray::setRef(effects, i, instance);
    }
}
