// Translucency from the overlay strip, gradients, the dirty-rectangle list, the background
// restore and the perspective plane.
#include <algorithm>

#include "framework/core/game_hooks.h"
#include "framework/sprite/sprite.h"
#include "game/flow/game.h"
#include "platform/lcdui/graphics.h"
#include "platform/lcdui/image.h"
#include "runtime/core/application.h"
#include "runtime/core/arrays.h"
#include "runtime/core/jarith.h"
#include "runtime/core/object_manager.h"

using Image = javax_microedition_lcdui_Image;
using mrc::jdiv;

namespace {

mrc::ObjectManager* om() { return mrc::ApplicationImpl::getApplication()->objectManager; }

// The four channels of a colour in 8.8 fixed point, stepping towards another over n steps.
struct Channels {
    int32_t v[4];  // alpha, red, green, blue
    int32_t d[4];
    Channels(int32_t from, int32_t to, int32_t n) {
        for (int k = 0; k < 4; ++k) {
            int32_t shift = 24 - 8 * k;
            int32_t a = (from >> shift) & 0xFF, b = (to >> shift) & 0xFF;
            v[k] = a << 8;
            d[k] = jdiv((b - a) << 8, n);
        }
    }
    int32_t colour() const { return (v[0] >> 8) << 24 | (v[1] >> 8) << 16 | (v[2] >> 8) << 8 | (v[3] >> 8); }
    void step() {
        for (int k = 0; k < 4; ++k) v[k] += d[k];
    }
};

}  // namespace

PaintStatics Game::paintStatics;
LevelViewStatics Game::levelView;

void Game::createOverlayBuffer() {
    overlayStatics.overlayBuffer = om()->newIntArray(kOverlayWidth * kOverlayHeight);
    fillOverlay(kOverlayFill);
}

void Game::fillVerticalGradient(Graphics* g, int32_t x, int32_t y, int32_t w, int32_t h, int32_t from, int32_t to) {
    if (noGraphics(g)) return;
    int32_t cx = g->getClipX(), cy = g->getClipY(), cw = g->getClipWidth(), ch = g->getClipHeight();
    if (h >= 1) {
        g->setClip(-1000, -1000, 2000, 2000);
        Channels c(from, to, h);
        for (int32_t row = y; row < y + h; ++row, c.step()) {
            if (c.v[0] != 0) {
                IntArray* strip = overlayStatics.overlayBuffer;
                if (!isNull(strip)) std::fill_n(strip->elements(), std::min(strip->length, kOverlayWidth), c.colour());
                drawOverlayRect(g, x, row, w, 1);
            } else {
                g->setColor(c.colour());
                g->drawLine(x, row, x + w - 1, row);
            }
        }
    }
    g->setClip(cx, cy, cw, ch);
}

void Game::fillHorizontalGradient(Graphics* g, int32_t x, int32_t y, int32_t w, int32_t h, int32_t from,
                                  int32_t to) {
    if (noGraphics(g)) return;
    if (w < 1) return;
    Channels c(from, to, w);
    for (int32_t column = x; column < x + w; ++column, c.step()) {
        if (c.v[0] == 0) continue;
        IntArray* strip = overlayStatics.overlayBuffer;
        if (!isNull(strip))
            for (int32_t i = 0; i < kOverlayHeight && i * kOverlayWidth < strip->length; ++i)
                strip->elements()[i * kOverlayWidth] = c.colour();
        drawOverlayRect(g, column, y, 1, h);
    }
}

void Game::drawTranslucentBox(Graphics* g, int32_t rgb, int32_t opacity, int32_t max, int32_t value, int32_t x,
                              int32_t y, int32_t w, int32_t h, int32_t padX, int32_t padY, int32_t flags) {
    if (noGraphics(g)) return;
    IntArray* box = layoutBox(max, value, x, y, w, h, padX, padY, flags);
    if (isNull(box) || box->length < 4) return;
    int32_t alpha = (opacity * 255 / 100) >> 14;
    const int32_t* b = box->elements();
    int32_t bx = b[0], by = b[1], bw = b[2], bh = b[3];
    fillOverlayBuffer(rgb | alpha << 24, bw, bh);
    drawOverlayRect(g, bx, by, bw, bh);
}

void Game::addDirtyRect(int32_t x, int32_t y, int32_t w, int32_t h) {
    StateStatics& s = stateStatics;
    if (s.dirtyCount >= kMaxDirtyRects) return;
    if (y > kScreenHeight || y + h < 0 || x > kScreenWidth || x + w < 0) return;
    if (x < 0) {
        w += x;
        x = 0;
    }
    if (y < 0) {
        h += y;
        y = 0;
    }
    w = std::min(w, kScreenWidth - x);
    h = std::min(h, kScreenHeight - y);
    if (w < 1 || h < 1) return;
    if (isNull(s.dirtyRects)) s.dirtyRects = om()->newLongArray(kMaxDirtyRects);
    if (isNull(s.dirtyRects) || s.dirtyCount >= s.dirtyRects->length) return;
    uint32_t low = (uint32_t(x) & 0xFFFF) | uint32_t(y) << 16, high = (uint32_t(w) & 0xFFFF) | uint32_t(h) << 16;
    s.dirtyRects->elements()[s.dirtyCount++] = int64_t(uint64_t(high) << 32 | low);
}

void Game::restoreBackground() {
    TileStatics& t = tileStatics;
    StateStatics& s = stateStatics;
    if (!isNull(s.bufferGraphics) && !isNull(s.bufferImage))
        s.bufferGraphics->setClip(0, 0, s.bufferImage->width, s.bufferImage->height);
    t.bgOriginX = t.bgOriginY = -1;
    ByteArray* header = levelView.s_levelHeader;
    if (!isNull(header) && header->length > 7) {
        int32_t p6 = header->elements()[6], p7 = header->elements()[7];
        int32_t layers = t.mapLayerCount;
        if (layers > 1 && (p6 != 100 || p7 != 100)) t.mapLayerCount = 1;
        repaintMapBuffer(levelView.s_mapLayers, s.sprites, (mathStatics.cameraX >> 14) * p6 / 100,
                         (mathStatics.cameraY >> 14) * p7 / 100);
        t.mapLayerCount = layers;
    }
    resumeAllTimers();
}

void Game::allocLevelBuffers() {
    PaintStatics& s = paintStatics;
    // The scene effect is made at start-up and kept: what was set in it before the first plane
    // stays.
    if (isNull(s.s_sceneEffect)) s.s_sceneEffect = om()->newIntArray(17);
    if (isNull(s.s_regionImage)) {
        s.s_regionImage = Image::createBlankImage(kRegionWidth, kRegionHeight);
        s.s_regionGraphics = isNull(s.s_regionImage) ? nullptr : s.s_regionImage->getGraphics();
        s.s_regionPixels = om()->newIntArray(kRegionWidth * kRegionStrip);
        s.s_regionOut = om()->newIntArray(kWorkBufferSize);
        gameHooks().pixelWorkBuffer = [] { return paintStatics.s_regionOut; };
    }
    copyParam9To10();
    JArray::setInt(s.s_sceneEffect, 10, 0);
    JArray::setInt(s.s_sceneEffect, 8, -1);
}

void Game::paintScreenEffect(Graphics* g) {
    if (noGraphics(g)) return;
    PaintStatics& s = paintStatics;
    IntArray* params = paintStatics.s_sceneEffect;
    if (isNull(params) || params->length < 17 || isNull(s.s_regionImage) || isNull(s.s_regionPixels) ||
        isNull(s.s_regionOut))
        return;
    int32_t p[17];
    std::copy_n(params->elements(), 17, p);
    int32_t cx = mathStatics.cameraX >> 14, cy = mathStatics.cameraY >> 14;
    int32_t sx = p[12], sw = p[13];
    int32_t bottom = p[1] - cy + p[2];
    if (cx > p[15]) {
        sx += cx - p[15];
        sw -= cx - p[15];
    } else {
        if (cy < p[1]) g->setClip(0, 0, kScreenWidth, bottom);
        else g->setClip(0, 0, p[15] - cx, bottom);
        drawWrappedBackground(g, cx, cy, 0, 0);
    }
    if (cx + kScreenWidth < p[15] + p[16]) {
        sw += cx + kScreenWidth - p[15] - p[16];
    } else {
        if (cy < p[1]) g->setClip(0, 0, kScreenWidth, bottom);
        else g->setClip(p[15] + p[16] - cx, 0, cx + kScreenWidth - p[15] - p[16], bottom);
        drawWrappedBackground(g, cx, cy, 0, 0);
    }
    g->setClip(0, 0, kScreenWidth, kScreenHeight);
    int32_t wt = sw - (sw / 2) * (p[3] >> 14) / 100;
    int32_t dx = p[15] - cx + sx - p[12];
    int32_t height = p[2];
    int32_t ws = height > 0 ? jdiv((wt - sw) << 14, height) : 0;
    int32_t os = height > 0 ? jdiv(((wt - sw) >> 1) << 14, height) : 0;
    int32_t cw = sw << 14, co = 0;
    // The top P[14] mod 32 rows are never reached: the loop stops before a strip would begin
    // above row 0.
    for (int32_t r = p[14] - kRegionStrip; r >= 0 && bottom >= 0; r -= kRegionStrip) {
        s.s_regionImage->getRGB(s.s_regionPixels, 0, kRegionWidth, 0, r, kRegionWidth, kRegionStrip);
        int32_t n = r + kRegionStrip > p[14] ? p[14] - r : kRegionStrip;
        if (n < 1) continue;
        cw += n * ws;
        co += n * os;
        resampleRows(s.s_regionPixels, kRegionWidth, sx, 0, sw, n, s.s_regionOut, cw, n, co, -ws, -os);
        bottom -= n;
        g->drawRGB(s.s_regionOut, 0, sw, dx, bottom, sw, n, false);
    }
}

void Game::resampleRows(IntArray* src, int32_t stride, int32_t x0, int32_t y0, int32_t width, int32_t srcRows,
                        IntArray* dst, int32_t widthStart, int32_t rows, int32_t offsetStart, int32_t widthStep,
                        int32_t offsetStep) {
    if (isNull(src) || isNull(dst) || width < 1 || rows < 1) return;
    if (int64_t(rows) * width > dst->length) {
        arrayAccessOk(dst, dst->length);  // raises the index exception of the first write past the end
        return;
    }
    const int32_t* in = src->elements();
    int32_t* out = dst->elements();
    const int32_t length = src->length;
    int32_t w = widthStart, o = offsetStart;
    for (int32_t k = 0; k < rows; ++k, w += widthStep, o += offsetStep) {
        int32_t row = y0 + k * srcRows / rows;
        int32_t span = w >> 14, shift = o >> 14;
        if (span == 0) {
            jdiv(width, span);  // the division by zero the data never asks for
            return;
        }
        int32_t base = row * stride + x0;
        int32_t* line = out + k * width;
        for (int32_t c = 0; c < width; ++c) {
            int32_t index = (shift + c) * width / span + base;
            line[c] = index >= 0 && index < length ? in[index] : static_cast<int32_t>(0xFF000000);
        }
    }
}

int32_t Game::cellFlagColour(int32_t value) {
    static constexpr int32_t kFlagColours[][2] = {
        {0x10, 0xFF8040},  {0x2, 0xFF0000},   {0x4, 0x00FF00},    {0x8, 0x0000FF},
        {0x400, 0x00FFFF}, {0x800, 0x00FF80}, {0x200, 0xFF00FF},  {0x20, 0xDABA05},
        {0x2000, 0xDAB000}, {0x1000, 0x808080}, {0x80, 0x20FF20},
    };
    for (const auto& fc : kFlagColours)
        if (value & fc[0]) return fc[1];
    return 0x000000;
}

void Game::paintCollisionOverlay(Graphics* g, int32_t mask) {
    if (noGraphics(g)) return;
    ObjectArray* grid = grids.s_levelGrid;
    if (isNull(grid)) return;
    int32_t cx = mathStatics.cameraX >> 14, cy = mathStatics.cameraY >> 14;
    // pixelToTile lays the grid from the current layer object (floor division).
    int32_t c0 = pixelToTileX(cx), c1 = pixelToTileX(cx + kScreenWidth + kCell);
    int32_t r0 = pixelToTileY(cy), r1 = pixelToTileY(cy + kScreenHeight + kCell);
    for (int32_t c = std::max(c0, 0); c <= c1 && c < grid->length; ++c) {
        Object* o = grid->elements()[c];
        if (isNull(o) || o->classId() != mrc::kClass_ShortArray) continue;
        auto* column = static_cast<ShortArray*>(o);
        for (int32_t r = std::max(r0, 0); r <= r1 && r < column->length; ++r) {
            int32_t value = column->elements()[r];
            if (!(value & mask)) continue;
            g->setColor(cellFlagColour(value));
            g->drawRect(tileToPixelX(c) - cx, tileToPixelY(r) - cy, kCell - 1, kCell - 1);
        }
    }
}
