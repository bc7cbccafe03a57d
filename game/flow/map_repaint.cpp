// The scroll-aware repaint of the map into the background buffer and the painting operations the
// world and object painters share.
#include <algorithm>
#include <cstdlib>

#include "framework/core/game_hooks.h"
#include "framework/sprite/sprite.h"
#include "framework/sprite/sprite_instance.h"
#include "game/flow/game.h"
#include "platform/lcdui/graphics.h"
#include "runtime/core/application.h"
#include "runtime/core/arrays.h"
#include "runtime/core/object_manager.h"
#include "runtime/lang/string.h"

namespace {

constexpr int32_t kCell = 32;
constexpr int32_t kShadowInstance = 10;
constexpr int32_t kOverlayInstance = 26, kOverlayInstanceSecond = 25;
constexpr int32_t kOverlayAnim = 386, kOverlayAnimSecond = 382;
constexpr int32_t kSoftKeySprite = 17;
constexpr int32_t kNoSoftKey = 4;
constexpr int32_t kCornerLeft = 751, kCornerRight = 799;

template <typename T>
T* elementOf(ObjectArray* a, int32_t i) {
    if (isNull(a) || i < 0 || i >= a->length || !a->data) return nullptr;
    Object* o = a->elements()[i];
    return isNull(o) || o->classId() != T::kClassId ? nullptr : static_cast<T*>(o);
}

// The sprite of map layer l, or null.
ASprite* layerSprite(ObjectArray* sprites, int32_t l) {
    ByteArray* slots = GameTiles::tileStatics.mapLayerSprite;
    if (isNull(slots) || l >= slots->length) return nullptr;
    return elementOf<ASprite>(sprites, uint8_t(slots->elements()[l]));
}

int32_t headerByte(int32_t i) {
    ByteArray* h = Game::levelView.s_levelHeader;
    return isNull(h) || i >= h->length ? -1 : h->elements()[i];
}

ASpriteInstance* hudInstance(int32_t i) { return elementOf<ASpriteInstance>(Game::stateStatics.hudInstances, i); }

ASpriteInstance* objectInstance(Object* object) {
    return isNull(object) || !gameHooks().objectInstance ? nullptr : gameHooks().objectInstance(object);
}

}  // namespace

bool Game::noGraphics(Graphics* g) {
    if (!isNull(g)) return false;
    mrc::ApplicationImpl::getApplication()->reportError("NullPointer");
    return true;
}

ASprite* Game::spriteSlot(int32_t n) { return elementOf<ASprite>(stateStatics.sprites, n); }

void Game::repaintMapBuffer(ObjectArray* layers, ObjectArray* sprites, int32_t x, int32_t y) {
    TileStatics& t = tileStatics;
    if (ASprite* s = layerSprite(sprites, 0)) s->setPalette(headerByte(2));
    if (t.mapLayerCount >= 2)
        if (ASprite* s = layerSprite(sprites, 1)) s->setPalette(headerByte(10));
    const int32_t w = t.bgViewWidth, h = t.bgViewHeight;
    const int32_t lastX = t.bgOriginX, lastY = t.bgOriginY;
    if (lastX != -1 && std::abs(x - lastX) < w && std::abs(y - lastY) < h) {
        int32_t top = std::max(y, lastY), bottom = std::min(y, lastY) + h;
        if (x < lastX) paintMapToBuffer(layers, sprites, x, top, lastX, bottom);
        else if (x > lastX) paintMapToBuffer(layers, sprites, lastX + w, top, x + w, bottom);
        if (y < lastY) paintMapToBuffer(layers, sprites, x, y, x + w, lastY);
        else if (y > lastY) paintMapToBuffer(layers, sprites, x, lastY + h, x + w, y + h);
    } else {
        paintMapToBuffer(layers, sprites, x, y, x + w, y + h);
    }
    t.bgOriginX = x;
    t.bgOriginY = y;
}

void Game::paintClippedFrame(Graphics* g, ObjectArray* layer, ASprite* sprite, int32_t x, int32_t y,
                             int32_t screenX, int32_t screenY, int32_t w, int32_t h) {
    if (isNull(layer) || noGraphics(g)) return;
    int32_t cx = g->getClipX(), cy = g->getClipY(), cw = g->getClipWidth(), ch = g->getClipHeight();
    g->setClip(screenX, screenY, w, h);
    int32_t c1 = std::min((x + w) / kCell, layer->length - 1);
    for (int32_t c = std::max(x / kCell, 0); c <= c1; ++c) {
        auto* column = elementOf<ShortArray>(layer, c);
        if (!column) continue;
        int32_t r1 = std::min((y + h) / kCell, column->length - 1);
        for (int32_t r = std::max(y / kCell, 0); r <= r1; ++r) {
            int32_t v = column->elements()[r];
            if (v >= 0) paintFrameWithGraphics(sprite, g, v, screenX + kCell * c - x, screenY + kCell * r - y, 0);
        }
    }
    g->setClip(cx, cy, cw, ch);
}

// The shared frame rectangle, zeroed.
IntArray* Game::clearedTempRect() {
    IntArray*& rect = textStatics.frameRectTemp;
    if (isNull(rect)) rect = mrc::ApplicationImpl::getApplication()->objectManager->newIntArray(4);
    if (!isNull(rect)) std::fill_n(rect->elements(), rect->length, 0);
    return rect;
}

IntArray* Game::instanceRectTemp(ASpriteInstance* instance) {
    if (isNull(instance) || isNull(instance->sprite)) return clearedTempRect();
    ASprite* s = instance->sprite;
    int32_t frame = instance->anim >= 0 ? s->getAnimFrameId(instance->anim, instance->aframe) : instance->aframe;
    return getFrameRectTemp(s, frame, instance->getX(), instance->getY(), instance->flags);
}

IntArray* Game::instanceFrameRectTemp(ASpriteInstance* instance) {
    if (isNull(instance) || isNull(instance->sprite)) return clearedTempRect();
    ASprite* s = instance->sprite;
    return getFrameRectTemp(s, s->getAnimFrameId(instance->anim, 0), instance->getX(), instance->getY(),
                            instance->flags);
}

void Game::buildCache(ASprite* sprite, int32_t palette, int32_t flags, ByteArray* usedModules) {
    if (isNull(sprite) || isNull(usedModules)) return;
    bool images = (flags & ASprite::kCacheImages) != 0;
    if (!images && !(flags & ASprite::kCachePixels)) return;
    IntArray* modes = sprite->paletteCacheMode;
    if (isNull(modes) || palette < 0 || palette >= modes->length || palette >= sprite->paletteCount) return;
    modes->elements()[palette] = flags;
    for (int32_t m = 0; m < usedModules->length && m < sprite->moduleCount; ++m) {
        if (usedModules->elements()[m] == 0) continue;
        auto* set = elementOf<ObjectArray>(images ? sprite->moduleImageCache : sprite->modulePixelCache, palette);
        if (set && m < set->length && !isNull(set->elements()[m])) continue;
        sprite->cacheModule(m, palette, flags);
    }
}

void Game::paintObjectShadow(Graphics* g, Object* object) {
    ASpriteInstance* shadow = hudInstance(kShadowInstance);
    ASpriteInstance* at = objectInstance(object);
    if (!shadow || !at) return;
    shadow->x = at->x;
    shadow->y = at->y;
    shadow->paint(g);
}

void Game::paintObjectOverlayInstance(Graphics* g, Object* object, bool second) {
    ASpriteInstance* effect = hudInstance(second ? kOverlayInstanceSecond : kOverlayInstance);
    ASpriteInstance* at = objectInstance(object);
    if (!effect || !at) return;
    int32_t anim = second ? kOverlayAnimSecond : kOverlayAnim;
    if (effect->anim != anim) effect->setAnim(anim);
    effect->x = at->x;
    effect->y = at->y;
    effect->paint(g);
    effect->updateAnim();
    // Held on its last frame by the end test, then started again.
    if (effect->isAnimEnded()) effect->setAnim(anim);
}

void Game::paintLayoutFrame(Graphics* g, int32_t frame, int32_t flags) {
    if (flags & kNoSoftKey) return;
    const GameInput::Statics& in = inputStatics;
    int32_t px = in.pointerPressX.load(), py = in.pointerPressY.load();
    bool pressed = in.pointerDown.load() != 0 && px >= kCornerLeft && px <= kCornerRight &&
                   py > kScreenHeight - in.softKeyBarHeight;
    paintFrameWithGraphics(spriteSlot(kSoftKeySprite), g, pressed ? frame + 1 : frame, kScreenWidth, kScreenHeight, 0);
}

void Game::drawStringAt(bool second, String* text, int32_t x, int32_t y) {
    Graphics* g = stateStatics.graphics;
    if (isNull(text) || isNull(g)) return;
    // The font engine reads UTF-8.
    const int32_t n = text->count();
    int32_t length = 0;
    for (int32_t i = 0; i < n; ++i) {
        char16_t c = text->charAtUnchecked(i);
        length += c < 0x80 ? 1 : c < 0x800 ? 2 : 3;
    }
    ByteArray* bytes = mrc::ApplicationImpl::getApplication()->objectManager->newByteArray(length);
    if (isNull(bytes)) return;
    int8_t* out = bytes->elements();
    for (int32_t i = 0, k = 0; i < n; ++i) {
        char16_t c = text->charAtUnchecked(i);
        if (c < 0x80) {
            out[k++] = int8_t(c);
        } else if (c < 0x800) {
            out[k++] = int8_t(0xC0 | c >> 6);
            out[k++] = int8_t(0x80 | (c & 0x3F));
        } else {
            out[k++] = int8_t(0xE0 | c >> 12);
            out[k++] = int8_t(0x80 | (c >> 6 & 0x3F));
            out[k++] = int8_t(0x80 | (c & 0x3F));
        }
    }
    textStatics.textFont = second ? 1 : 0;
    drawTextRun(g, stateStatics.fonts, nullptr, bytes, 0, length, x, y);
}
