// The per-kind object painters: the dispatcher that places an object's instance for the camera,
// chooses remap and palette and the painter by type, and the painters of the kinds that need more
// than their instance (effects around a call, progress frames, strips, tile layers, linked
// objects, markers).
#include <algorithm>
#include <cstdlib>

#include "framework/sprite/sprite.h"
#include "framework/sprite/sprite_instance.h"
#include "framework/tiles/game_tiles.h"
#include "game/flow/game.h"
#include "game/objects/cobject.h"
#include "platform/lcdui/graphics.h"
#include "runtime/core/application.h"
#include "runtime/core/arrays.h"
#include "runtime/core/object_manager.h"
#include "runtime/core/static_class.h"

namespace {

using Graphics = javax_microedition_lcdui_Graphics;

// Paint-effect bits switched on around single calls.
constexpr int32_t kEffectGlint = 4, kEffectTint = 16, kEffectParams = 0x800, kEffectLevel = 0x100;
constexpr int32_t kGlintRow = 2, kLevelRow = 8;
constexpr int32_t kGlintWidth = 20;
constexpr int32_t kShadowInstance = 13, kMarkerInstance = 5, kTemplateOverlayInstance = 15;
constexpr int32_t kAttachmentFrameBase = 146;
constexpr int32_t kScreenWidth = 800, kScreenHeight = 480;

ASpriteInstance* hudInstance(int32_t i) {
    ObjectArray* a = Game::stateStatics.hudInstances;
    if (isNull(a) || i < 0 || i >= a->length) return nullptr;
    auto* h = static_cast<ASpriteInstance*>(a->elements()[i]);
    return isNull(h) ? nullptr : h;
}


int32_t at(IntArray* p, int32_t i) { return isNull(p) || i < 0 || i >= p->length ? 0 : p->elements()[i]; }

void paintShown(Graphics* g, ASpriteInstance* i) {
    if (i != nullptr && !isNull(g)) i->paint(g);
}

void paintFrameAt(Graphics* g, ASprite* s, int32_t frame, int32_t x, int32_t y, int32_t flags) {
    Game::paintFrameWithGraphics(s, g, frame, x, y, flags);
}

// Element 13 of emitter slot n's record.
int32_t emitterLimit(int32_t n) {
    return at(mrc::elementOrNull<IntArray>(Game::objects.s_slotRecords, n), 13);
}

}  // namespace

// ---- the dispatcher ----

void CObject::drawByKind(Graphics* g, bool layered) {
    ASpriteInstance* instance = isNull(m_sprite) ? nullptr : m_sprite;
    if (instance == nullptr) return;
    ASprite* sprite = isNull(instance->sprite) ? nullptr : instance->sprite;
    const int32_t t = m_type;
    if (sprite == nullptr && t != 50 && t != 300 && t != 301 && t != 303) return;
    IntArray* p = m_params;
    Game::computeLayerOffset(instance, t, layered ? 1 : 0, p);

    const bool playerLike = t == 0 || t == 1 || (t == 5 && isVisibleState());
    if (t != 0 && t != 1 && t != 5 && sprite != nullptr) sprite->setPalette(Game::getTypeKeyParam(this));
    bool clipped = false;
    int32_t clip[4] = {};
    if (playerLike) {
        const KindPaintStatics& k = Game::kindPaint;
        if (t == 0 && k.s_playerClipOn && !isNull(g) && !isNull(k.s_playerClipRect)) {
            clip[0] = g->getClipX(), clip[1] = g->getClipY(), clip[2] = g->getClipWidth(), clip[3] = g->getClipHeight();
            clipped = true;
            g->clipRect(at(k.s_playerClipRect, 0) - (Game::mathStatics.cameraX >> 14),
                        at(k.s_playerClipRect, 1) - (Game::mathStatics.cameraY >> 14), at(k.s_playerClipRect, 2),
                        at(k.s_playerClipRect, 3));
        }
        if (sprite != nullptr) sprite->setModuleMapping(param(2));
        bool region = false;
        if (t == 0) {
            const int32_t state = statics.s_playerState, sequence = statics.s_itemSequence;
            region = state != 9 && state != 10 && state != 25 && !(state == 7 && (sequence == 7 || sequence == 8)) &&
                     Game::stateStatics.playMode == 0;
        } else if (t == 1) {
            region = param(10) == 1 && Game::stateStatics.playMode == 0;
        } else {
            region = isVisibleNotState5() && param(40) == 0;
        }
        if (region) paintFrameAndCheckRegion(g, getAnimForDirection(t, this), instance->x >> 14, instance->y >> 14, 0);
        if (sprite != nullptr) sprite->setPalette(getTypeProperty(this));
    }

    if (t == 15 && param(11) == 0) {
        Game::setFlags(kEffectGlint);
        Game::setTableInt(kGlintRow, 0, param(24));
        Game::setTableInt(kGlintRow, 1, kGlintWidth);
        paintShown(g, instance);
        Game::clearFlag(kEffectGlint);
    } else {
        switch (t) {
            case 0: paintWithShadow(g); break;
            case 5: paintByType(g); break;
            case 12: paintRepeatedToScreenEdge(g, instance, p); break;
            case 16: Game::paintListInstance(g, this); break;
            case 50: paintKind50(g, instance, p); break;
            case 61: paintKind61(g, instance, p); break;
            case 69: paintKind69(g, this); break;
            case 80: case 81: case 83: case 84: case 85: case 86: case 87: case 88: paintByKind80To88(g, this); break;
            case 300: paintKind300(g, instance, p); break;
            case 301: Game::startObjectSound(g, instance, p); break;
            case 302: paintKind302(g, instance, p); break;
            case 303: paintEmitterParticles(g, instance, p); break;
            case 306: paintKind306Effects(g, instance, p); break;
            default: paintShown(g, instance); break;
        }
    }
    if (clipped) g->setClip(clip[0], clip[1], clip[2], clip[3]);
    Game::computeLayerOffsetAlt(instance, t, layered ? 1 : 0, p);
}

// ---- painters of objects ----

int32_t CObject::paintPart(int32_t i, int32_t x, int32_t y, Graphics* g) {
    if (i < 0) return i;
    ASpriteInstance* e = mrc::elementOrNull<ASpriteInstance>(statics.s_effectInstances, i);
    if (e == nullptr) return i;
    ShortArray* r = mrc::elementOrNull<ShortArray>(Game::kindPaint.s_kindRects, param(3));
    auto rect = [&](int32_t k) { return isNull(r) || k >= r->length ? 0 : int32_t(r->elements()[k]); };
    e->x = x + ((std::abs(rect(2) / 2) + rect(0)) << 14);
    e->y = y + ((rect(1) - std::abs(rect(3) / 2)) << 14);
    paintShown(g, e);
    if (e->isAnimEnded()) {
        e->aframe = std::max(0, e->getCurrentAnimLastFrame() - e->getCurrentAnimFirstFrame());
        e->anim = -1;
        return -1;
    }
    e->updateAnim();
    return i;
}

void CObject::paintInstance(Graphics* g, CObject* o) {
    if (!isNull(o) && !isNull(o->m_sprite)) paintShown(g, o->m_sprite);
}

void CObject::paintKind80(Graphics* g, CObject* o) {
    if (isNull(o) || isNull(o->m_sprite)) return;
    ASpriteInstance* instance = o->m_sprite;
    paintShown(g, instance);
    ASprite* sprite = isNull(instance->sprite) ? nullptr : instance->sprite;
    const int32_t ox = instance->x >> 14, oy = instance->y >> 14;
    const int32_t kind = o->param(9);
    if (o->param(27) >= 0 && kind != 9 && kind != 10 && sprite != nullptr) {
        CObject* templ = mrc::elementOrNull<CObject>(Game::objects.s_templates, o->param(27));
        const int32_t n = instance->getRectCount();
        IntArray* r = Game::getSpriteRect(instance, n - 1, true);
        if (templ != nullptr && !isNull(r)) {
            const int32_t rx = r->elements()[0] + ox, ry = r->elements()[1] + oy;
            const int32_t side = templ->param(8);
            if (side == 0 || side == 1)
                sprite->paintAFrameWithGraphics(g, side == 0 ? 74 : 75, o->param(32), rx, ry, instance->flags);
        }
    }
    if (kind == 10 && statics.s_interactionMode == 0) {
        ASpriteInstance* overlay = hudInstance(kTemplateOverlayInstance);
        IntArray* top = instance->getFModuleRect(instance->aframe, 0, false);
        if (overlay != nullptr) {
            overlay->x = instance->x;
            overlay->y = instance->y + (at(top, 1) << 14);
            paintShown(g, overlay);
        }
    }
}

void CObject::paintKind81(Graphics* g, CObject* o) {
    if (isNull(o)) return;
    paintInstance(g, o);
    ObjectArray* linked = Game::objects.s_type15Objects;
    CObject* l = mrc::elementOrNull<CObject>(linked, o->param(9));
    if (l == nullptr || isNull(l->m_sprite)) return;
    ASpriteInstance* li = l->m_sprite;
    if (o->param(15) != 0) {
        CObject* place = mrc::elementOrNull<CObject>(linked, o->param(10));
        if (place != nullptr && !isNull(place->m_sprite)) {
            li->x = place->m_sprite->x;
            li->y = place->m_sprite->y;
        }
    } else {
        const int32_t b = o->getBaseType();
        const int32_t linkedEntry = Game::getShortAt(b, 2);
        const int32_t e = linkedEntry >= 0 ? linkedEntry : b;
        li->x = Game::getShortAt(e, 0) << 14;
        li->y = Game::getShortAt(e, 1) << 14;
    }
    Game::computeLayerOffset(li, l->m_type, 1, l->m_params);
    paintShown(g, li);
    Game::computeLayerOffsetAlt(li, l->m_type, 1, l->m_params);
}

void CObject::paintKind86(Graphics* g, CObject* o) {
    if (isNull(o) || isNull(o->m_sprite)) return;
    const int32_t state = o->param(18) & 0xFFFF;
    if (state != 1 && state != 2) return;
    o->setPaintEffectParams(37, 37);
    paintShown(g, o->m_sprite);
    Game::clearFlag(kEffectParams);
    o->setPaintEffectParams(38, 39);
    ASpriteInstance* instance = o->m_sprite;
    if (!isNull(instance->sprite)) paintFrameAt(g, instance->sprite, 0, instance->x >> 14, instance->y >> 14, 0);
    Game::clearFlag(kEffectParams);
}

void CObject::paintKind87(Graphics* g, CObject* o) {
    if (!isNull(o) && o->param(10) != 6) paintInstance(g, o);
}

void CObject::paintKind88(Graphics* g, CObject* o) {
    if (isNull(o) || o->param(5) != 1) return;
    o->setPaintEffectParams(12, 12);
    paintInstance(g, o);
    Game::clearFlag(kEffectParams);
}

void CObject::paintKind69(Graphics* g, CObject* o) {
    if (isNull(o)) return;
    if (o->param(4) == 0) {
        paintInstance(g, o);
        return;
    }
    if (o->param(4) != 1) return;
    switch (o->param(5)) {
        case 1: case 2: paintInstance(g, o); break;
        case 3: paintWithAttachments(g, o, 37); break;
        case 4: case 5:
            paintWithAttachments(g, o, 37);
            Game::paintPromptBox(g);
            break;
        case 6: paintWithAttachments(g, o, 36); break;
        case 7: paintWithAttachments(g, o, 38); break;
        default: break;
    }
}

void CObject::paintWithAttachments(Graphics* g, CObject* o, int32_t anim) {
    if (isNull(o) || isNull(o->m_sprite)) return;
    ASpriteInstance* instance = o->m_sprite;
    paintShown(g, instance);
    ASprite* sprite = isNull(instance->sprite) ? nullptr : instance->sprite;
    if (sprite == nullptr) return;
    const int32_t ox = instance->x >> 14, oy = instance->y >> 14;
    const int32_t frame = o->param(0) + kAttachmentFrameBase;
    const int32_t markers = statics.s_markerCount;
    if (sprite->getFlippedItemCount(anim, instance->aframe) > 0 && markers > 0) {
        ASprite::setGraphics(g);
        for (int32_t k = 0; k < markers; ++k) {
            IntArray* r = ASprite::getAFrameRectTemp(sprite, anim, instance->aframe, k, false);
            const int32_t x = at(r, 0) + ox, y = at(r, 1) + oy;
            for (int32_t m = 0; m < sprite->getFModuleCount(frame); ++m) sprite->paintFModule(frame, m, x, y, 0);
        }
    }
    int32_t n = 0;
    if (instance->time >= 0 && instance->anim >= 0) n = sprite->getFlippedItemCount(instance->anim, instance->aframe);
    else if (instance->aframe >= 0) n = sprite->getItemCount(instance->aframe);
    if (n <= 0) return;
    IntArray* r = Game::getSpriteRect(instance, markers, true);
    if (!isNull(r)) paintFrameAt(g, sprite, frame, r->elements()[0] + ox, r->elements()[1] + oy, 0);
}

// ---- painters of instances ----

void CObject::paintRepeatedToScreenEdge(Graphics* g, ASpriteInstance* i, IntArray* p) {
    if (isNull(i)) return;
    paintShown(g, i);
    const int32_t step = (at(p, 11) >> 14) - 1;
    if (step < 1) return;  // a step below one pixel would never reach the edge
    const int32_t x = i->x;
    for (int32_t px = (x >> 14) + step; px < kScreenWidth + 1; px += step) {
        i->x = px << 14;
        paintShown(g, i);
    }
    i->x = x;
}

void CObject::paintKind61(Graphics* g, ASpriteInstance* i, IntArray* p) {
    if (isNull(i)) return;
    const int32_t state = at(p, 14);
    if (state == 2) {
        paintShown(g, i);
        return;
    }
    if (state != 1 || isNull(i->sprite)) return;
    const int32_t anim = at(p, 5);
    const int32_t last = i->sprite->getAnimLength(anim) - 1;
    const int32_t elapsed = Game::getTimerElapsed(at(p, 15));
    const int32_t d = elapsed > 0 ? (at(p, 8) << 14) / elapsed : 0;
    const int32_t f = d > 0 ? (last * 16384) / d : 0;
    i->sprite->paintAFrameWithGraphics(g, anim, std::min(last, f), i->x >> 14, i->y >> 14, 0);
}

void CObject::paintKind300(Graphics* g, ASpriteInstance* i, IntArray* p) {
    if (isNull(i) || at(p, 0) != 1) return;
    const bool tint = at(p, 11) != 0;
    if (tint) Game::setFlags(kEffectTint);
    if (!isNull(i->sprite)) {
        i->sprite->setModuleMapping(at(p, 17));
        i->sprite->setPalette(at(p, 18));
    }
    paintShown(g, i);
    if (tint) Game::clearFlag(kEffectTint);
}

void CObject::paintKind302(Graphics* g, ASpriteInstance* i, IntArray* p) {
    if (isNull(i) || at(p, 0) != 1 || at(p, 1) >= 0) return;
    const bool tint = (at(p, 6) & kEffectTint) != 0;
    if (tint) Game::setFlags(kEffectTint);
    if (!isNull(i->sprite)) {
        if (at(p, 8) >= 0) i->sprite->setPalette(at(p, 8));
        if (at(p, 7) >= 0) i->sprite->setModuleMapping(at(p, 7));
    }
    paintShown(g, i);
    if (tint) Game::clearFlag(kEffectTint);
}

void CObject::paintKind306Effects(Graphics* g, ASpriteInstance* i, IntArray* p) {
    if (isNull(i) || at(p, 0) != 1) return;
    Game::setFlags(kEffectTint | kEffectLevel);
    Game::setTableInt(kLevelRow, 0, 2 * Game::hudStatics.s_chainCount);
    paintShown(g, i);
    Game::clearFlag(kEffectTint | kEffectLevel);
}

void CObject::paintEmitterParticles(Graphics* g, ASpriteInstance*, IntArray* p) {
    if (at(p, 0) >= 0) Game::paintEmitter(g, at(p, 0));
}

void CObject::paintKind50(Graphics* g, ASpriteInstance* i, IntArray* p) {
    if (isNull(i)) return;
    auto* grid = mrc::elementOrNull<ObjectArray>(statics.s_layerMaps, at(p, 16));
    auto* sprite = mrc::elementOrNull<ASprite>(statics.s_layerGroupValues, at(p, 18));
    if (grid == nullptr || sprite == nullptr) return;
    sprite->setPalette(at(p, 2));
    // A negative offset starts the source inside the layer; a positive one the screen.
    auto window = [](int32_t offset, int32_t screen, int32_t& src, int32_t& dst, int32_t& size) {
        if (offset < 0) {
            src = -offset >> 14, dst = 0, size = screen;
        } else {
            src = 0, dst = offset >> 14, size = screen - (offset >> 14);
        }
    };
    int32_t sx, dx, w, sy, dy, h;
    window(i->x, kScreenWidth, sx, dx, w);
    window(i->y, kScreenHeight, sy, dy, h);
    if (sprite->tileMode) GameTiles::paintTileLayerA(g, grid, sprite, i, sx, sy, dx, dy, w, h);
    else Game::paintClippedFrame(g, grid, sprite, sx, sy, dx, dy, w, h);
}

// ---- Game's painters of objects ----

void Game::paintEmitter(Graphics* g, int32_t n) { paintParticles(g, n, emitterLimit(n)); }

void Game::paintPlayerShadow(Graphics* g) {
    if (CObject::statics.s_shadowIndex < 0) return;
    ASpriteInstance* shadow = hudInstance(kShadowInstance);
    if (shadow == nullptr) return;
    computeLayerOffset(shadow, -1, 1, nullptr);
    paintShown(g, shadow);
    computeLayerOffsetAlt(shadow, -1, 1, nullptr);
}

void Game::paintHudObject(Graphics* g, CObject* o) {
    if (isNull(o) || isNull(o->m_sprite)) return;
    const int32_t mode = stateStatics.playMode;
    auto p = [&](int32_t i) { return o->param(i); };
    const KindPaintStatics& k = kindPaint;
    const bool shown = (p(0) == 1 && p(1) == 1 && mode == 0 && !k.s_markerBlockA && !k.s_markerBlockB) ||
                       (p(0) == 1 && p(1) == 1 && mode == 2 && p(4) == 1 && CObject::statics.s_playerState == 0) ||
                       (mode == 2 && p(4) == 0 && p(10) == 1);
    ASpriteInstance* marker = hudInstance(kMarkerInstance);
    if (!shown || marker == nullptr) return;
    marker->x = ((p(2) >> 1) << 14) - mathStatics.cameraX + o->m_sprite->x;
    marker->y = o->m_sprite->y - mathStatics.cameraY;
    paintShown(g, marker);
}

void Game::setPlayerClipRect(int32_t x, int32_t y, int32_t w, int32_t h) {
    KindPaintStatics& k = kindPaint;
    if (isNull(k.s_playerClipRect)) k.s_playerClipRect = mrc::ApplicationImpl::getApplication()->objectManager->newIntArray(4);
    if (isNull(k.s_playerClipRect)) return;
    int32_t* r = k.s_playerClipRect->elements();
    r[0] = x, r[1] = y, r[2] = w, r[3] = h;
    k.s_playerClipOn = w > 0 && h > 0;
}

KindPaintStatics Game::kindPaint;

namespace mrc {

void registerKindPaintStatics() {
    static bool registered = false;
    if (registered) return;
    registered = true;
    StaticClass::registerStatics("Game.kindPaint", &Game::kindPaint);
}

}  // namespace mrc
