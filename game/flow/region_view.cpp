// The region view: a part of the map rendered into the off-screen band and drawn as a plane
// whose rows widen with depth, and the popup that opens it.
#include <algorithm>

#include "framework/sprite/sprite_instance.h"
#include "framework/tiles/game_tiles.h"
#include "game/flow/game.h"
#include "game/objects/cobject.h"
#include "platform/lcdui/graphics.h"
#include "platform/lcdui/image.h"
#include "runtime/core/arrays.h"
#include "runtime/core/jarith.h"

using mrc::jdiv;

namespace {

constexpr int32_t kViewRows = 32;      // band rows read per strip
constexpr int32_t kViewWidth = 800;    // columns read from the band and drawn per row
constexpr int32_t kOpaqueBlack = static_cast<int32_t>(0xFF000000);
constexpr int32_t kFullScale = 100 << 14;
constexpr int32_t kCameraLocked = 99, kCameraHold = 4, kCameraToPoint = 5;

int32_t effect(int32_t i) { return JArray::getInt(Game::paintStatics.s_sceneEffect, i); }
void setEffect(int32_t i, int32_t v) { JArray::setInt(Game::paintStatics.s_sceneEffect, i, v); }

int32_t mapWidth() {
    auto* layer0 = static_cast<JArray*>(JArray::getRef(Game::levelView.s_mapLayers, 0));
    return isNull(layer0) ? 0 : layer0->length * GameTiles::kCell;
}

// The band from map pixel (left, top): black where it lies outside the map's columns, then the
// map's first layer.
void renderBand(int32_t left, int32_t top) {
    Game::Graphics* g = Game::paintStatics.s_regionGraphics;
    if (isNull(g)) return;
    g->setClip(0, 0, Game::kRegionWidth, Game::kRegionHeight);
    g->setColor(0);
    if (left < 0) g->fillRect(0, 0, -left, Game::kRegionHeight);
    const int32_t right = mapWidth() - left;  // band column of the map's right edge
    if (right < Game::kRegionWidth) g->fillRect(std::max(right, 0), 0, Game::kRegionWidth - right, Game::kRegionHeight);
    GameTiles::TileStatics& t = GameTiles::tileStatics;
    const int32_t layers = t.mapLayerCount;
    t.mapLayerCount = std::min(layers, 1);
    GameTiles::paintTileLayer(g, Game::levelView.s_mapLayers, Game::stateStatics.sprites, 0, left, top, 0, 0,
                              Game::kRegionWidth, Game::kRegionHeight);
    t.mapLayerCount = layers;
}

void setCameraMode(int32_t mode) {
    Game::camera.s_cameraMode = mode;
    Game::camera.s_cameraModeStep = 0;
}

// The camera heads for the player's column and the middle of the region's rows, on the 32-pixel
// row grid of the view's top, so that the region's tiles land on whole rows of the screen.
void aimCameraAtRegion(int32_t top, int32_t rows) {
    CameraStatics& c = Game::camera;
    CObject* player = Game::objects.s_player;
    if (!isNull(player) && !isNull(player->m_sprite)) c.s_cameraPointX = player->m_sprite->getX();
    else c.s_cameraPointX = (GameMath::mathStatics.cameraX >> 14) + Game::kScreenWidth / 2;
    const int32_t viewTop = GameMath::mathStatics.cameraY >> 14;
    // A region taller than the band keeps its lowest rows (as the band does).
    const int32_t middle = rows > Game::kRegionHeight ? top + rows - Game::kRegionHeight / 2 : top + rows / 2;
    c.s_cameraPointY = viewTop + (middle - viewTop) / GameTiles::kCell * GameTiles::kCell;
    if (c.s_cameraMode != kCameraLocked) setCameraMode(kCameraToPoint);
}

}  // namespace

void Game::showPopup(int32_t mode, int32_t, int32_t, int32_t, IntArray* record) {
    if (isNull(record) || record->length < 15) return;
    auto field = [record](int32_t i) { return record->elements()[i]; };
    trackObject(field(4), mode != 0, field(12), field(14), true);
    setEffect(11, field(4));
    if (field(4) == 0) {
        prepareRegionFromRecord(record);
        setEffect(5, 2456125);
        setEffect(3, mode == 1 ? kFullScale : kFullScale / 2);
        setEffect(6, mode == 1 ? kFullScale : effect(5));
        setEffect(7, (((effect(5) >> 14) - 100) << 14) / 434);
        operations.s_meterHold = 0;
        setEffect(4, field(5));
    } else if (mode == 3) {
        if (camera.s_cameraMode != kCameraLocked) {
            camera.s_savedCameraX = mathStatics.cameraX;
            camera.s_savedCameraY = mathStatics.cameraY;
            setCameraMode(kCameraHold);
        }
        operations.s_meterHold = 2;
    } else {
        prepareRegion(field(11), field(12), field(13), field(14));
        aimCameraAtRegion(field(12), field(14));
        operations.s_meterHold = 3;
        setEffect(1, field(12));
        setEffect(3, 0);
        setEffect(2, field(14));
    }
    CObject::statics.s_moveDirection = 0;
    stateStatics.playMode = mode;
    setSubstate(4);
}

void Game::prepareRegionFromRecord(IntArray* record) {
    if (isNull(record) || record->length < 15) return;
    const int32_t top = record->elements()[12];
    const int32_t rows = record->elements()[14], below = record->elements()[5];
    setEffect(8, mathStatics.cameraX);
    setEffect(1, top);
    if (stateStatics.playMode == 0) setEffect(2, below == 0 ? (mathStatics.cameraY >> 14) - top + kScreenHeight : rows);
    renderBand(mathStatics.cameraX >> 14, top);
}

void Game::prepareRegion(int32_t x, int32_t y, int32_t w, int32_t h) {
    prepareRegion(x, y, w, h, x, (kRegionWidth - w) / 2, w);
}

void Game::prepareRegion(int32_t x, int32_t y, int32_t w, int32_t h, int32_t a, int32_t b, int32_t c) {
    if (h > kRegionHeight) {
        y += h - kRegionHeight;
        h = kRegionHeight;
    }
    renderBand(x - (kRegionWidth - w) / 2, y);
    setEffect(8, mathStatics.cameraX);
    setEffect(14, h);
    setEffect(15, a);
    setEffect(12, b);
    setEffect(16, c);
    setEffect(13, std::min(c, kRegionWidth));
}

int32_t Game::regionViewRows() {
    const int32_t percent = effect(3) >> 14;
    return percent < 1 ? 0 : std::max(effect(2) * percent / 100, 0);
}

int32_t Game::regionViewTop() { return effect(1) - (mathStatics.cameraY >> 14); }

void Game::paintRegionView(Graphics* g) {
    if (noGraphics(g) || isNull(paintStatics.s_sceneEffect) || isNull(paintStatics.s_regionImage)) return;
    // A view of no screen rows draws nothing (the widening below divides by their count).
    const int32_t height = regionViewRows();
    if (height < 1) return;
    if (mathStatics.cameraX != effect(8)) {
        renderBand(mathStatics.cameraX >> 14, effect(1));
        setEffect(8, mathStatics.cameraX);
    }
    const int32_t percent = effect(3) >> 14;
    const int32_t bandRows = std::min(effect(2), kRegionHeight);
    const int32_t last = kViewWidth * (effect(6) >> 14) / 100;
    const int32_t widthStep = jdiv((last - kViewWidth) << 14, height);
    int32_t width = kViewWidth << 14, offset = 0;
    int32_t screenRow = regionViewTop(), carried = 0;
    const int32_t maxRows = kWorkBufferSize / kViewWidth;
    for (int32_t r = 0; r < bandRows && screenRow < kScreenHeight; r += kViewRows) {
        const int32_t n = std::min(kViewRows, bandRows - r);
        carried += n * percent;
        const int32_t rows = std::min(carried / 100, maxRows);
        carried %= 100;
        if (rows < 1) continue;
        PaintStatics& s = paintStatics;
        s.s_regionImage->getRGB(s.s_regionPixels, 0, kViewWidth, 0, r, kViewWidth, n);
        scaleRows(paintStatics.s_regionPixels, n, paintStatics.s_regionOut, rows, width, offset, widthStep,
                  widthStep / 2);
        g->drawRGB(paintStatics.s_regionOut, 0, kViewWidth, 0, screenRow, kViewWidth, rows, false);
        width += rows * widthStep;
        offset += rows * (widthStep / 2);
        screenRow += rows;
    }
}

void Game::scaleRows(IntArray* src, int32_t srcRows, IntArray* dst, int32_t rows, int32_t widthStart,
                     int32_t offsetStart, int32_t widthStep, int32_t offsetStep) {
    if (isNull(src) || isNull(dst) || srcRows < 1 || rows < 1) return;
    if (int64_t(rows) * kViewWidth > dst->length || int64_t(srcRows) * kViewWidth > src->length) return;
    const int32_t* in = src->elements();
    int32_t* out = dst->elements();
    int32_t w = widthStart, o = offsetStart;
    for (int32_t k = 0; k < rows; ++k, w += widthStep, o += offsetStep) {
        const int32_t* line = in + k * srcRows / rows * kViewWidth;
        const int32_t span = w >> 14, shift = o >> 14;
        for (int32_t c = 0; c < kViewWidth; ++c) {
            const int64_t column = span > 0 ? int64_t(shift + c) * kViewWidth / span : -1;
            out[k * kViewWidth + c] = column >= 0 && column < kViewWidth ? line[column] : kOpaqueBlack;
        }
    }
}
