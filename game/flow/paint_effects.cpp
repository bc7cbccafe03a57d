// The sprite painter's effect state and hooks, the full-screen smear filter and the glow.
//
// The filters work in the sprite painter's one pixel buffer and keep offsets into it, never
// element pointers across a call that may allocate (getRGB, image creation).
#include <algorithm>
#include <cstdlib>

#include "framework/core/game_hooks.h"
#include "framework/sprite/sprite.h"
#include "framework/sprite/sprite_instance.h"
#include "game/flow/game.h"
#include "platform/lcdui/graphics.h"
#include "platform/lcdui/image.h"
#include "runtime/core/application.h"
#include "runtime/core/arrays.h"
#include "runtime/core/object_manager.h"
#include "runtime/core/static_class.h"

using Image = javax_microedition_lcdui_Image;

namespace {

mrc::ObjectManager* om() { return mrc::ApplicationImpl::getApplication()->objectManager; }

// Rows of the effect state: slot and length.
constexpr int32_t kEffectRows[][2] = {{0, 2}, {1, 1}, {2, 2}, {3, 6}, {4, 4}, {8, 1}, {11, 7}, {13, 3}};
constexpr int32_t kEffectSlots = 14;
constexpr int32_t kRowBand = 2, kRowFrame = 3, kRowFilter = 4, kRowQueue = 11, kRowEdges = 13;
constexpr int32_t kQueueCursor = 6;
constexpr int32_t kGlowTooLarge = 447;  // string constant printed for a glow the buffer cannot hold
constexpr int32_t kEdgeWidth = 10;

// Element i of row r, 0 when missing.
int32_t rowValue(IntArray* row, int32_t i) { return !isNull(row) && i >= 0 && i < row->length ? row->elements()[i] : 0; }

// One filter step of the smear and the glow: the running value moves towards the pixel by
// (128 - k) / 128; red and blue together in one word, green alone.
struct Smear {
    int32_t rb = 0, g = 0;
    int32_t step(int32_t p, int32_t k) {
        int32_t prb = p & 0xFF00FF, pg = p & 0xFF00;
        rb = (prb + (((rb - prb) * k) >> 7)) & 0xFF00FF;
        g = (pg + (((g - pg) * k) >> 7)) & 0xFF00;
        return g | rb;
    }
};

void printConstant(int32_t n) {
    QXLib::dbgPrintln(mrc::ApplicationImpl::getApplication()->staticClass->getStringConstant(n));
}

}  // namespace

void (*Game::particleSink)(int32_t kind, int32_t x, int32_t y) = &Game::setEntry;

void Game::initPaintEffects() {
    GameBase::statics.paintEffectFlags = 0;
    ObjectArray* rows = om()->newObjectArray(mrc::kClass_IntArray, kEffectSlots);
    GameBase::statics.paintEffectParams = rows;
    for (const auto& r : kEffectRows) {
        IntArray* row = om()->newIntArray(r[1]);
        if (!isNull(GameBase::statics.paintEffectParams)) GameBase::statics.paintEffectParams->elements()[r[0]] = row;
    }
    StateStatics& state = stateStatics;
    state.overlayImage = Image::createBlankImage(kScreenWidth, kScreenHeight);
    state.overlayGraphics = isNull(state.overlayImage) ? nullptr : state.overlayImage->getGraphics();
    state.overlayFlags = 0;
    if (isNull(paintStatics.s_glowRect)) paintStatics.s_glowRect = om()->newIntArray(4);

    GameHooks& hooks = gameHooks();
    hooks.setFlags = &Game::setFlags;
    hooks.clearFlag = &Game::clearFlag;
    hooks.paintEffectSpriteFrame = &Game::paintEffectSpriteFrame;
    hooks.paintGradientEdges = &Game::paintGradientEdges;
    hooks.emitQueuedParticleAt = &Game::emitQueuedParticleAt;
    hooks.drawRGBColumnBand = &Game::drawRGBColumnBand;
    hooks.offScreenImage = [] { return stateStatics.overlayImage; };
}

IntArray* Game::paintEffectRow(int32_t row) {
    ObjectArray* rows = GameBase::statics.paintEffectParams;
    if (isNull(rows) || row < 0 || row >= rows->length) return nullptr;
    Object* o = rows->elements()[row];
    return isNull(o) ? nullptr : static_cast<IntArray*>(o);
}

// ---- the painter's hooks ----------------------------------------------------------------------------

void Game::drawRGBColumnBand(Graphics* g, int32_t x, int32_t y, IntArray* pixels, int32_t w, int32_t h) {
    IntArray* band = paintEffectRow(kRowBand);
    IntArray* out = ASprite::effectBuffer();
    if (noGraphics(g) || isNull(pixels) || isNull(out) || w < 1 || h < 1) return;
    int32_t n = w * h;
    if (n > pixels->length || n > out->length) {
        arrayAccessOk(n > pixels->length ? pixels : out, std::min(pixels->length, out->length));
        return;
    }
    int32_t s = rowValue(band, 0) >> 14, width = rowValue(band, 1), half = width / 2;
    const int32_t* in = pixels->elements();
    int32_t* dst = out->elements();
    for (int32_t r = 0, i = 0; r < h; ++r)
        for (int32_t c = 0; c < w; ++c, ++i) {
            int32_t p = in[i], alpha = 0;
            if (s < c && c < s + width && (uint32_t(p) >> 24) != 0 && (p & 0xFFFFFF) != 0)
                // An odd width reaches -1 at its last column: kept out of the alpha byte.
                alpha = std::clamp(255 - (std::abs(c - half - s) * 256) / half, 0, 255);
            dst[i] = 0xFFFFFF | alpha << 24;
        }
    g->drawRGB(out, 0, w, x, y, w, h, true);
}

void Game::paintEffectSpriteFrame(Graphics* g) {
    IntArray* f = paintEffectRow(kRowFrame);
    if (isNull(f)) return;
    ASprite* sprite = spriteSlot(rowValue(f, 2));
    if (isNull(sprite)) return;
    sprite->setModuleMapping(rowValue(f, 5));
    sprite->paintAFrameWithGraphics(g, rowValue(f, 3), rowValue(f, 4), rowValue(f, 0), rowValue(f, 1), 0);
}

void Game::paintGradientEdges(Graphics* g, int32_t x, int32_t y, int32_t w, int32_t h) {
    if (noGraphics(g)) return;
    IntArray* e = paintEffectRow(kRowEdges);
    int32_t a = rowValue(e, 0), b = rowValue(e, 1);
    switch (rowValue(e, 2)) {
        case kDirLeft:
            fillHorizontalGradient(g, x + w, y, kEdgeWidth, h, b, a);
            fillHorizontalGradient(g, x, y, w, h, a, b);
            break;
        case kDirRight:
            fillHorizontalGradient(g, x - kEdgeWidth, y, kEdgeWidth, h, a, b);
            fillHorizontalGradient(g, x, y, w, h, b, a);
            break;
        case kDirUp:
            fillVerticalGradient(g, x, y + h, w, kEdgeWidth, b, a);
            fillVerticalGradient(g, x, y, w, h, a, b);
            break;
        case kDirDown:
            fillVerticalGradient(g, x, y, w, kEdgeWidth, a, b);
            fillVerticalGradient(g, x, y, w, h, b, a);
            break;
        default:
            break;
    }
}

void Game::emitQueuedParticleAt(Graphics*, int32_t x, int32_t y) {
    IntArray* q = paintEffectRow(kRowQueue);
    if (isNull(q) || q->length <= kQueueCursor) return;
    int32_t cursor = q->elements()[kQueueCursor];
    // Six kinds at most: a full queue without its end mark ends at the cursor's own entry.
    if (cursor < 0 || cursor >= kQueueCursor) return;
    int32_t kind = q->elements()[cursor];
    if (kind < 0) return;
    particleSink(kind, ((mathStatics.cameraX >> 14) + x) << 14, ((mathStatics.cameraY >> 14) + y) << 14);
    ++q->elements()[kQueueCursor];
}

// ---- the screen filter ----------------------------------------------------------------------------

void Game::startScreenFilter(int32_t level, int32_t target, int32_t mode) {
    IntArray* f = paintEffectRow(kRowFilter);
    if (isNull(f) || f->length < 4) return;
    f->elements()[2] = level;
    f->elements()[1] = target;
    f->elements()[3] = 0;
    f->elements()[0] = mode;
}

void Game::paintScreenSmear(Graphics* g) {
    IntArray* f = paintEffectRow(kRowFilter);
    if (!(GameBase::statics.paintEffectFlags & 0x80) || isNull(ASprite::statics.effectPixelBuffer) || isNull(f) ||
        f->length < 4)
        return;
    int32_t steps = ASpriteInstance::statics.logicStepsThisFrame;
    int32_t mode = f->elements()[0], target = f->elements()[1], level = f->elements()[2], phase = f->elements()[3];
    if (phase == 0 && level < target) {
        level += steps * 10;
        if (level >= target) {
            level = target;
            phase = 1;
        }
    } else if (phase == 2 && level >= 1) {
        level -= steps * 10;
        if (level < 1) {
            level = 0;
            phase = 3;
            f->elements()[3] = phase;
            clearFlag(0x80);
        }
    }
    f->elements()[2] = level;
    f->elements()[3] = phase;

    IntArray* buffer = ASprite::statics.effectPixelBuffer;
    Image* picture = stateStatics.overlayImage;
    if (isNull(buffer) || isNull(picture) || noGraphics(g)) return;
    int32_t strength = level % 128;
    int32_t rowsHeld = buffer->length / kScreenWidth;
    if (rowsHeld < 1) return;
    // A band has at least one row, also when the buffer holds just one.
    int32_t band = std::max(rowsHeld - 1, 1);
    for (int32_t y = 0; y < kScreenHeight;) {
        int32_t rows = kScreenHeight - y > rowsHeld ? band : kScreenHeight - y;
        picture->getRGB(buffer, 0, kScreenWidth, 0, y, kScreenWidth, rows);
        if (mode == 0) smearPixelsBackward(rows * kScreenWidth, buffer, strength);
        else if (mode == 1) smearPixelsForward(rows * kScreenWidth, buffer, strength);
        g->drawRGB(buffer, 0, kScreenWidth, 0, y, kScreenWidth, rows, false);
        y += rows;
    }
}

void Game::smearPixelsForward(int32_t n, IntArray* pixels, int32_t strength) {
    if (isNull(pixels)) return;
    n = std::min(n, pixels->length);
    int32_t* p = pixels->elements();
    Smear smear;
    for (int32_t i = 0; i < n; ++i) p[i] = smear.step(p[i], strength);
}

void Game::smearPixelsBackward(int32_t n, IntArray* pixels, int32_t strength) {
    if (isNull(pixels)) return;
    n = std::min(n, pixels->length);
    int32_t* p = pixels->elements();
    Smear smear;
    for (int32_t i = n - 1; i >= 0; --i) p[i] = smear.step(p[i], strength);
}

// ---- the glow -------------------------------------------------------------------------------------

void Game::captureGlowFromRect() {
    PaintStatics& s = paintStatics;
    s.s_glowMode = s.s_glowModeNext;
    IntArray* r = s.s_glowRect;
    if (isNull(r) || r->length < 4) return;
    int32_t x1 = r->elements()[0], y1 = r->elements()[1], x2 = r->elements()[2], y2 = r->elements()[3];
    captureGlowRegion(x1, y1, x2 - x1, y2 - y1);
}

void Game::captureGlowRegion(int32_t x, int32_t y, int32_t w, int32_t h) {
    PaintStatics& s = paintStatics;
    s.s_glowX = x - 15;
    s.s_glowY = y - 2;
    s.s_glowWidth = w + 30;
    s.s_glowHeight = h + 4;
    int64_t offset = int64_t(h + 8) * (w + 30);
    IntArray* buffer = ASprite::effectBuffer();
    // Source, blur and result must all fit: a glow that cannot is not painted.
    if (isNull(buffer) || w < 0 || h < 0 || 3 * offset > buffer->length) {
        printConstant(kGlowTooLarge);
        s.s_glowMode = 2;
        return;
    }
    s.s_glowSourceOffset = int32_t(offset);
    std::fill_n(buffer->elements(), 3 * offset, 0);
    Image* picture = stateStatics.bufferImage;
    if (isNull(picture)) return;
    picture->getRGB(buffer, s.s_glowSourceOffset, s.s_glowWidth, s.s_glowX, s.s_glowY, s.s_glowWidth,
                    s.s_glowHeight);
}

void Game::paintGlow(Graphics* g) {
    PaintStatics& s = paintStatics;
    if (s.s_glowMode >= 2) return;
    s.s_glowTime += static_cast<int32_t>(stateStatics.frameTime);
    int32_t a = sin(90 - (s.s_glowTime * 720 / 1000 % 360));
    int32_t b = sin(90 - (s.s_glowTime * 360 / 1000 % 360));
    drawGlow(g, s.s_glowX, s.s_glowY, s.s_glowWidth, s.s_glowHeight, (a * 54 >> 8) + 58, (b * 30 >> 8) + 34,
             (b * 28 >> 8) + 44);
}

void Game::drawGlow(Graphics* g, int32_t x, int32_t y, int32_t w, int32_t h, int32_t kh, int32_t kv, int32_t gain) {
    if (noGraphics(g)) return;
    IntArray* buffer = ASprite::effectBuffer();
    if (isNull(buffer)) return;
    int32_t destination = 2 * paintStatics.s_glowSourceOffset;
    glowFilter(buffer, destination, kh, kv, gain);
    g->drawRGB(buffer, destination, w, x, y, w, h, false);
}

void Game::glowFilter(IntArray* buffer, int32_t destination, int32_t kh, int32_t kv, int32_t gain) {
    const PaintStatics& s = paintStatics;
    const int32_t w = s.s_glowWidth, h = s.s_glowHeight, source = s.s_glowSourceOffset;
    if (isNull(buffer)) return;
    int64_t n = int64_t(w) * h;
    if (n > buffer->length) {
        printConstant(kGlowTooLarge);
        return;
    }
    if (w < 1 || h < 1) return;
    if (source < 0 || source + n > buffer->length || destination < 0 || destination + n > buffer->length) {
        arrayAccessOk(buffer, buffer->length);
        return;
    }
    int32_t* px = buffer->elements();
    const int32_t* src = px + source;
    int32_t* blur = px;
    Smear smear;
    for (int32_t r = 0; r < h; ++r) {
        const int32_t* in = src + r * w;
        int32_t* row = blur + r * w;
        for (int32_t c = w - 1; c >= 0; --c) {
            int32_t p = in[c];
            if ((p & 0xFF00FF) >= 0xAC0001 && (p & 0xFF00) > 0x6800 && (p & 0xFF) >= 3) p = 0;
            row[c] = smear.step(p, kh);
        }
        for (int32_t c = 0; c < w; ++c) row[c] = smear.step(row[c], kh);
    }
    for (int32_t c = 0; c < w; ++c) {
        for (int32_t r = 0; r < h; ++r) blur[r * w + c] = smear.step(blur[r * w + c], kv);
        for (int32_t r = h - 1; r >= 0; --r) blur[r * w + c] = smear.step(blur[r * w + c], kv);
    }
    int32_t m = gain * gain >> 3;
    int32_t* out = px + destination;
    for (int64_t i = 0; i < n; ++i) {
        int32_t sp = src[i], bp = blur[i];
        int32_t blue = std::min((sp & 0xFF) + ((bp & 0xFF) * m >> 8), 255);
        int32_t green = std::min((sp >> 8 & 0xFF) + ((bp >> 8 & 0xFF) * m >> 8), 255);
        int32_t red = std::min((sp >> 16 & 0xFF) + ((bp >> 16 & 0xFF) * m >> 8), 255);
        out[i] = red << 16 | green << 8 | blue;
    }
}
