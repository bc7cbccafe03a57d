// Small painting operations of the screens and the HUD, and the paint-effect switches.
#include <algorithm>

#include "framework/sprite/sprite.h"
#include "framework/sprite/sprite_instance.h"
#include "game/flow/game.h"
#include "platform/lcdui/graphics.h"
#include "platform/lcdui/image.h"
#include "runtime/core/application.h"
#include "runtime/core/arrays.h"

using Image = javax_microedition_lcdui_Image;

namespace {
constexpr int32_t kFilterBit = 0x80;
constexpr int32_t kScaleBit = 0x1;
constexpr int32_t kRowFilter = 4;
constexpr int32_t kCrossArm = 5;
}  // namespace

void Game::fillGradient(Graphics* g, int32_t x, int32_t y, int32_t w, int32_t h, int32_t from, int32_t to) {
    if (noGraphics(g)) return;
    int32_t strip = std::max(w / 8, 10);
    int32_t v[4], d[4];
    for (int k = 0; k < 4; ++k) {
        int32_t shift = 24 - 8 * k;
        int32_t a = (from >> shift) & 0xFF, b = (to >> shift) & 0xFF;
        v[k] = a << 8;
        d[k] = (b - a) * 256 / 8;  // an eighth of the way per strip, whatever their number
    }
    for (int32_t offset = 0; offset < w; offset += strip) {
        g->setColor((v[0] >> 8) << 24 | (v[1] >> 8) << 16 | (v[2] >> 8) << 8 | (v[3] >> 8));
        g->fillRect(x + offset, y, std::min(strip, w - offset), h);
        for (int k = 0; k < 4; ++k) v[k] += d[k];
    }
}

void Game::fillScreen(int32_t colour) {
    StateStatics& s = stateStatics;
    if (isNull(s.bufferGraphics) || isNull(s.bufferImage)) return;
    s.bufferGraphics->setColor(colour);
    s.bufferGraphics->fillRect(0, 0, s.bufferImage->width, s.bufferImage->height);
}

void Game::drawBufferImage(Graphics* g) {
    if (noGraphics(g)) return;
    if (!isNull(stateStatics.bufferImage)) g->drawImage(stateStatics.bufferImage, 0, 0, 0);
}

void Game::repaintDirtyRects(Graphics* g) {
    if (noGraphics(g)) return;
    StateStatics& s = stateStatics;
    Long64Array* list = s.dirtyRects;
    int32_t count = isNull(list) ? 0 : std::min(s.dirtyCount, list->length);
    for (int32_t i = 0; i < count; ++i) {
        int64_t e = list->elements()[i];
        auto low = uint32_t(e), high = uint32_t(uint64_t(e) >> 32);
        g->setClip(int16_t(low), int16_t(low >> 16), int16_t(high), int16_t(high >> 16));
        drawBufferImage(g);
    }
    s.dirtyCount = 0;
    g->setClip(0, 0, kScreenWidth, kScreenHeight);
}

void Game::drawOverlayImageAlpha(Graphics* g, int32_t alpha, int32_t) {
    if (noGraphics(g)) return;
    Image* picture = stateStatics.overlayImage;
    IntArray* buffer = ASprite::effectBuffer();
    if (isNull(picture) || isNull(buffer)) return;
    int32_t band = buffer->length / kScreenWidth;
    if (band < 1) return;
    uint32_t top = uint32_t(alpha) << 24;
    for (int32_t y = 0; y < kScreenHeight; y += band) {
        int32_t rows = std::min(band, kScreenHeight - y);
        picture->getRGB(buffer, 0, kScreenWidth, 0, y, kScreenWidth, rows);
        int32_t* p = buffer->elements();
        for (int32_t i = 0, n = rows * kScreenWidth; i < n; ++i) p[i] = int32_t((uint32_t(p[i]) & 0xFFFFFF) | top);
        g->drawRGB(buffer, 0, kScreenWidth, 0, y, kScreenWidth, rows, true);
    }
}

void Game::drawDebugCross(Graphics* g, ASpriteInstance* instance, int32_t colour) {
    if (isNull(instance) || noGraphics(g)) return;
    int32_t x = (instance->x - mathStatics.cameraX) >> 14, y = (instance->y - mathStatics.cameraY) >> 14;
    g->setColor(colour);
    g->drawLine(x - kCrossArm, y, x + kCrossArm, y);
    g->drawLine(x, y - kCrossArm, x, y + kCrossArm);
}

void Game::setFlags(int32_t bits) {
    GameBase::statics.paintEffectFlags |= bits;
    if (bits & kFilterBit) stateStatics.overlayFlags |= bits;
    if (bits & kScaleBit) setTableInt(0, 1, -1);
}

void Game::clearFlag(int32_t bits) {
    if (bits == kFilterBit) {
        // The filter fades out through its phases; only a finished one lets go of the bit.
        IntArray* f = paintEffectRow(kRowFilter);
        int32_t phase = isNull(f) || f->length < 4 ? 3 : f->elements()[3];
        if (phase == 0 || phase == 1) f->elements()[3] = 2;
        if (phase != 3) return;
    }
    GameBase::statics.paintEffectFlags &= ~bits;
    if (bits & kFilterBit) stateStatics.overlayFlags &= ~bits;
}

void Game::setTableInt(int32_t row, int32_t i, int32_t v) {
    IntArray* r = paintEffectRow(row);
    if (isNull(r)) {
        mrc::ApplicationImpl::getApplication()->reportError("NullPointer");
        return;
    }
    if (arrayAccessOk(r, i)) r->elements()[i] = v;
}
