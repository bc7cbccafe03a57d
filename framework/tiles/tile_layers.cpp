#include <algorithm>
#include <vector>

#include "framework/core/game_base.h"
#include "framework/core/game_hooks.h"
#include "framework/sprite/sprite.h"
#include "framework/sprite/sprite_instance.h"
#include "framework/tiles/game_tiles.h"
#include "host/core/log.h"
#include "platform/lcdui/graphics.h"
#include "platform/lcdui/image.h"
#include "runtime/core/application.h"
#include "runtime/lang/system.h"

GameTiles::TileStatics GameTiles::tileStatics;

namespace {

using Graphics = javax_microedition_lcdui_Graphics;
using Image = javax_microedition_lcdui_Image;
constexpr int32_t kCell = GameTiles::kCell;

void report(const char* tag) { mrc::ApplicationImpl::getApplication()->reportError(tag); }
int32_t lengthOf(const JArray* a) { return isNull(a) || !a->data ? 0 : a->length; }

template <class T>
T* elementAs(ObjectArray* a, int32_t i, uint16_t classId) {
    if (i < 0 || i >= lengthOf(a)) return nullptr;
    Object* o = a->elements()[i];
    return Object::instanceOf(o, classId) ? static_cast<T*>(o) : nullptr;
}

ShortArray* columnOf(ObjectArray* layer, int32_t c) { return elementAs<ShortArray>(layer, c, mrc::kClass_ShortArray); }
ObjectArray* layerOf(ObjectArray* layers, int32_t l) {
    return elementAs<ObjectArray>(layers, l, mrc::kClass_ObjectArray);
}
ASprite* spriteOf(ObjectArray* sprites, int32_t i) { return elementAs<ASprite>(sprites, i, mrc::kClass_ASprite); }

// The cell's value; -1 (empty) outside the layer.
int32_t cellOf(ObjectArray* layer, int32_t c, int32_t r) {
    ShortArray* column = columnOf(layer, c);
    return r >= 0 && r < lengthOf(column) ? column->elements()[r] : -1;
}

// The sprite of layer l: sprites[mapLayerSprite[l]] (unsigned).
ASprite* layerSprite(ObjectArray* sprites, int32_t l) {
    ByteArray* table = GameTiles::tileStatics.mapLayerSprite;
    if (l < 0 || l >= lengthOf(table)) return nullptr;
    return spriteOf(sprites, uint8_t(table->elements()[l]));
}

int32_t layersInUse(ObjectArray* layers) {
    return std::min(GameTiles::tileStatics.mapLayerCount, lengthOf(layers));
}

int32_t floorDiv(int32_t a, int32_t b) { return a >= 0 ? a / b : -((-int64_t(a) + b - 1) / b); }
int32_t ceilDiv(int32_t a, int32_t b) { return -floorDiv(-a, b); }

// Calls paint(c, r, x, y) for the cells of the layer that meet the map window (srcX, srcY,
// width, height), row by row, with (x, y) where the cell lands: (dstX + 32 c - srcX, dstY + 32 r
// - srcY). Cells outside the layer are not visited.
template <class Paint>
void forEachCell(ObjectArray* layer, int32_t srcX, int32_t srcY, int32_t dstX, int32_t dstY, int32_t width,
                 int32_t height, Paint paint) {
    int32_t c0 = std::max(srcX / kCell, 0), c1 = std::min((srcX + width) / kCell, lengthOf(layer) - 1);
    int32_t r0 = std::max(srcY / kCell, 0), r1 = std::min((srcY + height) / kCell, lengthOf(columnOf(layer, 0)) - 1);
    for (int32_t r = r0; r <= r1; ++r)
        for (int32_t c = c0; c <= c1; ++c) paint(c, r, dstX + kCell * c - srcX, dstY + kCell * r - srcY);
}

// Animation frame k of animation t, painted at (x, y) into g; nothing for an animation or frame
// the sprite does not have.
void paintCell(Graphics* g, ASprite* sprite, int32_t t, int32_t k, int32_t x, int32_t y) {
    int32_t first;
    int32_t count = isNull(sprite) ? 0 : sprite->animFrames(t & 0xFFFF, first);
    if (k < 0 || k >= count) return;
    ASprite::statics.currentGraphics = g;
    sprite->paintAFrame(t & 0xFFFF, k, x, y, 0);
}

int32_t frameAtPercent(ASprite* sprite, int32_t t, int32_t percent) {
    int32_t first;
    if (isNull(sprite) || sprite->animFrames(t & 0xFFFF, first) == 0) return -1;
    return sprite->getAnimFrame(t & 0xFFFF, percent);
}

// Saves g's clip and limits it to the destination window; restores it when done.
class WindowClip {
public:
    WindowClip(Graphics* g, int32_t x, int32_t y, int32_t w, int32_t h)
        : m_g(g), m_x(g->getClipX()), m_y(g->getClipY()), m_w(g->getClipWidth()), m_h(g->getClipHeight()) {
        g->clipRect(x, y, w, h);
    }
    ~WindowClip() { m_g->setClip(m_x, m_y, m_w, m_h); }

private:
    Graphics* m_g;
    int32_t m_x, m_y, m_w, m_h;
};

bool usable(Graphics* g, ObjectArray* layer) {
    if (isNull(g) || isNull(layer)) {
        report("NullPointer");
        return false;
    }
    return true;
}

}  // namespace

void GameTiles::paintTileLayerA(Graphics* g, ObjectArray* layer, ASprite* sprite, ASpriteInstance* clock,
                                int32_t srcX, int32_t srcY, int32_t dstX, int32_t dstY, int32_t width,
                                int32_t height) {
    if (!usable(g, layer) || isNull(sprite) || isNull(clock)) return;
    WindowClip clip(g, dstX, dstY, width, height);
    forEachCell(layer, srcX, srcY, dstX, dstY, width, height, [&](int32_t c, int32_t r, int32_t x, int32_t y) {
        int32_t t = cellOf(layer, c, r);
        if (t < 0) return;
        int32_t first, count = sprite->animFrames(t & 0xFFFF, first);
        paintCell(g, sprite, t, std::clamp(clock->aframe, 0, std::max(count - 1, 0)), x, y);
    });
}

void GameTiles::paintTileLayerB(Graphics* g, ObjectArray* layer, ASprite* sprite, int32_t percent, int32_t srcX,
                                int32_t srcY, int32_t dstX, int32_t dstY, int32_t width, int32_t height) {
    if (!usable(g, layer) || isNull(sprite)) return;
    WindowClip clip(g, dstX, dstY, width, height);
    forEachCell(layer, srcX, srcY, dstX, dstY, width, height, [&](int32_t c, int32_t r, int32_t x, int32_t y) {
        int32_t t = cellOf(layer, c, r);
        if (t >= 0) paintCell(g, sprite, t, frameAtPercent(sprite, t, percent), x, y);
    });
}

void GameTiles::paintTileLayer(Graphics* g, ObjectArray* layers, ObjectArray* sprites, int32_t percent, int32_t srcX,
                               int32_t srcY, int32_t dstX, int32_t dstY, int32_t width, int32_t height) {
    paintLayerSet(g, layers, sprites, percent, srcX, srcY, dstX, dstY, width, height, false);
}

void GameTiles::paintTileLayerC(Graphics* g, ObjectArray* layers, ObjectArray* sprites, int32_t percent, int32_t srcX,
                                int32_t srcY, int32_t dstX, int32_t dstY, int32_t width, int32_t height) {
    paintLayerSet(g, layers, sprites, percent, srcX, srcY, dstX, dstY, width, height, true);
}

void GameTiles::paintLayerSet(Graphics* g, ObjectArray* layers, ObjectArray* sprites, int32_t percent, int32_t srcX,
                              int32_t srcY, int32_t dstX, int32_t dstY, int32_t width, int32_t height,
                              bool animatedOnly) {
    if (!usable(g, layers)) return;
    WindowClip clip(g, dstX, dstY, width, height);
    int32_t count = layersInUse(layers);
    forEachCell(layerOf(layers, 0), srcX, srcY, dstX, dstY, width, height,
                [&](int32_t c, int32_t r, int32_t x, int32_t y) {
                    for (int32_t l = 0; l < count; ++l) {
                        int32_t t = cellOf(layerOf(layers, l), c, r);
                        ASprite* sprite = layerSprite(sprites, l);
                        int32_t first;
                        if (t < 0 || isNull(sprite)) continue;
                        if (animatedOnly) {
                            if (sprite->animFrames(t & 0xFFFF, first) <= 1) continue;
                            g->setClip(dstX, dstY, width, height);
                            g->clipRect(x, y, kCell, kCell);
                        }
                        paintCell(g, sprite, t, frameAtPercent(sprite, t, percent), x, y);
                    }
                });
}

// ---- the background buffer -----------------------------------------------------------------------

void GameTiles::createBackBuffer(int32_t viewWidth, int32_t viewHeight) {
    TileStatics& s = tileStatics;
    if (!isNull(s.bgImage) || !isNull(s.bgGraphics)) {
        s.bgImage = nullptr;
        s.bgGraphics = nullptr;
        java_lang_System::gc();
    }
    s.bgViewWidth = viewWidth;
    s.bgViewHeight = viewHeight;
    s.bgOriginX = s.bgOriginY = -1;
    int32_t w = (ceilDiv(viewWidth, kCell) + 1) * kCell, h = (ceilDiv(viewHeight, kCell) + 1) * kCell;
    s.bgImage = Image::createBlankImage(w, h);
    s.bgGraphics = isNull(s.bgImage) ? nullptr : s.bgImage->getGraphics();
    if (isNull(s.bgGraphics)) mrc_log("Game::createBackBuffer: no buffer of %dx%d", w, h);
}

void GameTiles::releaseBackgroundBuffer() {
    tileStatics.bgImage = nullptr;
    tileStatics.bgGraphics = nullptr;
    java_lang_System::gc();
}

void GameTiles::paintMapToBuffer(ObjectArray* layers, ObjectArray* sprites, int32_t x1, int32_t y1, int32_t x2,
                                 int32_t y2) {
    TileStatics& s = tileStatics;
    if (x1 == x2 || y1 == y2) return;
    Graphics* g = s.bgGraphics;
    if (isNull(g) || isNull(s.bgImage)) {
        mrc_log("Game::paintMapToBuffer: no background buffer");
        return;
    }
    g->setColor(0);
    ObjectArray* base = layerOf(layers, 0);
    int32_t c0 = x1 / kCell, r0 = y1 / kCell;
    int32_t c1 = std::min(ceilDiv(x2, kCell) - 1, lengthOf(base) - 1);
    int32_t r1 = std::min(ceilDiv(y2, kCell) - 1, lengthOf(columnOf(base, 0)) - 1);
    int32_t w = s.bgImage->width, h = s.bgImage->height;
    int32_t count = layersInUse(layers);
    int32_t mode = gameHooks().displayMode ? gameHooks().displayMode() : 0;
    for (int32_t r = r0; r <= r1; ++r)
        for (int32_t c = c0; c <= c1; ++c) {
            int32_t px = kCell * c, py = kCell * r;
            if (s.bgOriginX >= 0) {
                // Held: the cell lay inside the view painted last (cells left of or above its
                // origin count as outside).
                int32_t bx = px > s.bgOriginX ? px - s.bgOriginX : s.bgOriginX + s.bgViewWidth - px - kCell;
                int32_t by = py > s.bgOriginY ? py - s.bgOriginY : s.bgOriginY + s.bgViewHeight - py - kCell;
                if (bx < s.bgViewWidth && by < s.bgViewHeight) continue;
            }
            if (c < 0 || r < 0) continue;
            int32_t hx = px % w, hy = py % h;
            // Whatever cell lived at the home before must not show through.
            g->fillRect(hx, hy, kCell, kCell);
            for (int32_t l = 0; l < count; ++l) {
                int32_t t = cellOf(layerOf(layers, l), c, r);
                if (t < 0) continue;
                ASprite* sprite = layerSprite(sprites, l);
                int32_t first, frames = isNull(sprite) ? 0 : sprite->animFrames(t & 0xFFFF, first);
                paintCell(g, sprite, t, mode == 2 ? frames - 1 : 0, hx, hy);
            }
        }
}

// ---- modules a map uses ----------------------------------------------------------------------------

void GameTiles::markUsedTileModules(ObjectArray* layer, ASprite* sprite, bool animated, int32_t /*unused*/,
                                    ByteArray* used) {
    if (isNull(layer) || isNull(sprite) || isNull(used)) {
        report("NullPointer");
        return;
    }
    int32_t frames = std::min(lengthOf(sprite->frameModuleCount), lengthOf(sprite->frameFirstModule));
    int32_t moduleEntries = std::min(lengthOf(sprite->fmModule), lengthOf(sprite->fmFlags));
    std::vector<bool> frameSeen(std::size_t(std::max(frames, 0)), false);
    std::vector<bool> animSeen(std::size_t(std::max(lengthOf(sprite->animFrameCount), 0)), false);
    auto markFrame = [&](int32_t frame) {
        if (frame < 0 || frame >= frames || frameSeen[std::size_t(frame)]) return;
        frameSeen[std::size_t(frame)] = true;
        int32_t first = sprite->frameFirstModule->elements()[frame];
        int32_t n = uint8_t(sprite->frameModuleCount->elements()[frame]);
        for (int32_t j = std::max(first, 0); j < first + n && j < moduleEntries; ++j) {
            int32_t m = uint8_t(sprite->fmModule->elements()[j]) | (sprite->fmFlags->elements()[j] & 0xC0) << 2;
            if (m < sprite->moduleCount && m < used->length) used->elements()[m] = 1;
        }
    };
    int32_t columns = lengthOf(columnOf(layer, 0));
    for (int32_t r = 0; r < lengthOf(layer); ++r)
        for (int32_t c = 0; c < columns; ++c) {
            int32_t v = cellOf(layer, r, c);
            if (v < 0) continue;
            if (!animated) {
                markFrame(v);
                continue;
            }
            if (v >= int32_t(animSeen.size()) || animSeen[std::size_t(v)]) continue;
            animSeen[std::size_t(v)] = true;
            int32_t first, count = sprite->animFrames(v, first);
            for (int32_t k = 0; k < count; ++k) {
                int32_t i = first + k;
                int32_t frame = uint8_t(sprite->aframeFrame->elements()[i]);
                markFrame(frame | (sprite->aframeFlags->elements()[i] & 0xC0) << 2);
            }
        }
}
