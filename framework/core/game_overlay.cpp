#include "framework/core/game_overlay.h"

#include <algorithm>

#include "framework/core/game_base.h"
#include "framework/core/game_hooks.h"
#include "framework/sprite/checked.h"
#include "framework/sprite/sprite.h"
#include "framework/sprite/sprite_instance.h"
#include "host/core/log.h"
#include "platform/lcdui/graphics.h"
#include "runtime/core/arrays.h"
#include "runtime/core/jarith.h"

GameOverlay::OverlayStatics GameOverlay::overlayStatics;

namespace {

constexpr int32_t kAltPaletteSprites[] = {35, 24};
constexpr int32_t kAltPaletteActionList = 3;
constexpr int32_t kSpriteAction = 3;

// n × part / whole, truncating; an empty whole gives nothing instead of a division by zero.
int32_t share(int32_t n, int32_t part, int32_t whole) { return whole == 0 ? 0 : mrc::jdiv(mrc::jmul(n, part), whole); }

void swapEntries(ObjectArray* a) {
    if (isNull(a) || a->length < 2 || !a->data) return;
    std::swap(a->elements()[0], a->elements()[1]);
}

void swapEntries(IntArray* a) {
    if (isNull(a) || a->length < 2 || !a->data) return;
    std::swap(a->elements()[0], a->elements()[1]);
}

}  // namespace

void GameOverlay::fillOverlay(int32_t value) {
    IntArray* buffer = overlayStatics.overlayBuffer;
    if (!mrc::arrayAccessOk(buffer, 0)) return;
    std::fill_n(buffer->elements(), buffer->length, value);
}

void GameOverlay::fillOverlayBuffer(int32_t argb, int32_t width, int32_t height) {
    if (width <= 0 || height <= 0) return;
    IntArray* buffer = overlayStatics.overlayBuffer;
    if (!mrc::arrayAccessOk(buffer, 0)) return;
    int32_t w = std::min(width, kOverlayWidth);
    int32_t rows = std::min({height, kOverlayHeight, buffer->length / kOverlayWidth});
    for (int32_t row = 0; row < rows; ++row) std::fill_n(buffer->elements() + row * kOverlayWidth, w, argb);
}

void GameOverlay::drawOverlayRect(Graphics* g, int32_t x, int32_t y, int32_t w, int32_t h) {
    if (isNull(g)) {
        mrc_log("Game::drawOverlayRect: no Graphics");
        return;
    }
    int32_t clipX = g->getClipX(), clipY = g->getClipY(), clipW = g->getClipWidth(), clipH = g->getClipHeight();
    g->clipRect(x, y, w, h);
    // 64-bit positions: a rectangle reaching the end of the int range still ends the loops.
    for (int64_t row = y; row < int64_t{y} + h; row += kOverlayHeight)
        for (int64_t column = x; column < int64_t{x} + w; column += kOverlayWidth)
            g->drawRGB(overlayStatics.overlayBuffer, 0, kOverlayWidth, static_cast<int32_t>(column),
                       static_cast<int32_t>(row), kOverlayWidth, kOverlayHeight, true);
    g->setClip(clipX, clipY, clipW, clipH);
}

IntArray* GameOverlay::layoutBox(int32_t max, int32_t value, int32_t x, int32_t y, int32_t w, int32_t h,
                                 int32_t marginX, int32_t marginY, int32_t flags) {
    const int32_t s = overlayStatics.gaugeSecondStart;
    const int32_t e = overlayStatics.gaugeSecondEnd;
    const bool second = (flags & kBoxSecond) != 0 && e != s;
    const int32_t iw = w - 2 * marginX, ih = h - 2 * marginY;
    const int32_t ix = x + marginX, iy = y + marginY;
    const int32_t v = std::min(value, max);

    int32_t r[8] = {ix, iy, share(iw, v, max), ih, 0, 0, 0, 0};
    if (second) {
        r[4] = ix + share(iw, s, max), r[5] = iy, r[6] = share(iw, e - s, max), r[7] = ih;
    }
    if (flags & kBoxFromRight) {
        r[0] = x + w - marginX - r[2];
        if (second) r[4] = x + w - marginX - share(iw, s, max) - r[6];
    } else if (flags & (kBoxVertical | kBoxFromBottom)) {
        r[0] = ix, r[1] = iy, r[2] = iw, r[3] = share(ih, v, max);
        if (second) r[4] = ix, r[5] = iy + share(ih, s, max), r[6] = iw, r[7] = share(ih, e - s, max);
        if (flags & kBoxFromBottom) {
            r[1] = y + h - marginY - r[3];
            if (second) r[5] = y + h - marginY - share(ih, s, max) - r[7];
        }
    }

    IntArray* rects = overlayStatics.boxRects;
    if (!mrc::arrayAccessOk(rects, 7)) return rects;
    std::copy_n(r, 8, rects->elements());
    return rects;
}

void GameOverlay::stepListCursor() {
    int32_t& index = overlayStatics.stateHistoryIndex;
    int32_t entry = JArray::getShort(overlayStatics.stateHistory, index);
    overlayStatics.gameState = entry & 0xFF;
    overlayStatics.gameSubState = (entry >> 8) & 0xFF;
    index = index <= 0 ? kHistoryLength - 1 : index - 1;
}

int32_t GameOverlay::takeMenuSelection(int32_t selection) {
    if (overlayStatics.pendingMenuSelection < 0) return selection;
    selection = overlayStatics.pendingMenuSelection;
    overlayStatics.pendingMenuSelection = -1;
    return selection;
}

void GameOverlay::pushMenuHistory(int32_t menuCursor) {
    int32_t& index = overlayStatics.menuHistoryIndex;
    index = index >= kHistoryLength - 1 ? 0 : index + 1;
    JArray::setByte(overlayStatics.menuHistory, index, menuCursor - kFirstMenuItem);
}

bool GameOverlay::isKeyFlag(int32_t mask) { return mask == 2 || (overlayStatics.flagMask & mask) != 0; }

void GameOverlay::swapAltSpritePalettes() {
    if (!overlayStatics.altPaletteFlag) return;
    for (int32_t n : kAltPaletteSprites) {
        ASprite* sprite = GameBase::getSprite(n);
        if (isNull(sprite)) continue;
        swapEntries(sprite->moduleImageCache);
        swapEntries(sprite->paletteCacheMode);
    }
}

void GameOverlay::applyAltPaletteToEventActions() {
    if (!overlayStatics.altPaletteFlag) return;
    mrc::sprite::Checked c;
    auto* list = static_cast<ObjectArray*>(c.ref(overlayStatics.eventActions, kAltPaletteActionList));
    if (!c.ok) return;
    int32_t n = isNull(list) ? 0 : list->length;
    for (int32_t i = 0; i < n; ++i) {
        auto* action = static_cast<IntArray*>(mrc::sprite::slotOrNull(list, i));
        if (!action || action->length < 5 || !action->data) continue;
        int32_t* a = action->elements();
        if (a[0] == kSpriteAction && (a[3] == kAltPaletteSprites[0] || a[3] == kAltPaletteSprites[1])) a[4] += 1;
    }
}

void GameOverlay::roomOrigin(int32_t& ox, int32_t& oy) {
    ox = oy = 0;
    Object* room = overlayStatics.currentRoom;
    if (isNull(room)) return;
    ASpriteInstance* instance = gameHooks().objectInstance ? gameHooks().objectInstance(room) : nullptr;
    if (isNull(instance)) {
        mrc_log("Game: the current room has no sprite instance; cells counted from the world's origin");
        return;
    }
    ox = instance->x >> 14;
    oy = instance->y >> 14;
}

int32_t GameOverlay::pixelToTileX(int32_t x) {
    int32_t ox, oy;
    roomOrigin(ox, oy);
    return (x - ox) >> kCellShift;
}

int32_t GameOverlay::pixelToTileY(int32_t y) {
    int32_t ox, oy;
    roomOrigin(ox, oy);
    return (y - oy) >> kCellShift;
}

int32_t GameOverlay::tileToPixelX(int32_t column) {
    int32_t ox, oy;
    roomOrigin(ox, oy);
    return ox + mrc::jshl(column, kCellShift);
}

int32_t GameOverlay::tileToPixelY(int32_t row) {
    int32_t ox, oy;
    roomOrigin(ox, oy);
    return oy + mrc::jshl(row, kCellShift);
}
