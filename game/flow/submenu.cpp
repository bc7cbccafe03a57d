// The sub-menu pages (state 10): the paged information list, the scrolling text and the
// statistics page; and the promotion state (19), reached through the promotion hooks.
#include "framework/sprite/sprite.h"
#include "game/flow/game.h"
#include "platform/lcdui/graphics.h"
#include "platform/lcdui/image.h"
#include "runtime/core/arrays.h"

namespace {
constexpr int32_t kListLayout = 11, kStatsLayout = 13, kScrollLayout = 17;
constexpr int32_t kPageTexts = 2, kScrollTexts = 4;
constexpr int32_t kConfirm = 0x820, kLeftSoft = 0x40000, kBack = 0x80000, kHash = 0x20000;
constexpr int32_t kNext = 0x820 | 0x1010, kPrevious = 0x408;
constexpr int32_t kScrollStart = 360 << 14;
constexpr int32_t kScrollWidth = 780, kScrollX = 10;
constexpr int32_t kPromoChosen = 21;  // the promotion screen's answer for a chosen entry
constexpr int32_t kTopLeft = 20;
}  // namespace

void Game::paintLayout11AndReset() {
    paintLayout(stateStatics.bufferGraphics, kListLayout, 0, 0, true, -1, -1);
    menuStatics.listCursor = 0;
    menuStatics.lastPage = getLayoutKind7Value(kListLayout, 3);
    if (menuStatics.lastPage < 0) menuStatics.lastPage = 0;
}

void Game::paintLayoutAndResetCursor() {
    paintLayout(stateStatics.bufferGraphics, kStatsLayout, 0, 0, true, -1, -1);
    menuStatics.listCursor = 0;
}

void Game::openScrollingTextPage() {
    Graphics* buffer = stateStatics.bufferGraphics;
    paintLayout(buffer, kScrollLayout, 0, 0, true, -1, -1);
    drawButton(buffer, kScrollLayout, 1, -1, 0, 0, 0, 5, 0, 0, -1, -1);
    menuStatics.scrollY = kScrollStart;
    // The text's height is not measured here: it scrolls through one screen.
    menuStatics.scrollEnd = -(kScreenHeight << 14);
}

void Game::handleCursorKeys() {
    updateAnimList(kListLayout);
    const int32_t keys = inputStatics.keysPressed;
    int32_t& cursor = menuStatics.listCursor;
    if (keys & kNext) cursor = cursor >= menuStatics.lastPage ? 0 : cursor + 1;
    else if (keys & kPrevious) cursor = cursor <= 0 ? menuStatics.lastPage : cursor - 1;
    else return;
    stateStatics.redraw = 1;
}

void Game::updateSubmenu() {
    const int32_t saved = inputStatics.keysPressed;
    if (saved & kLeftSoft) inputStatics.keysPressed |= kConfirm;
    const int32_t sub = overlayStatics.gameSubState;
    if (sub == 0) handleCursorKeys();
    else if (sub == 1) touchZone(1);
    else if (sub == 2) updateAnimList(kStatsLayout);
    const int32_t keys = inputStatics.keysPressed;
    if ((keys & kBack) || (sub == 0 && layouts.s_menu == 1 && (keys & kHash))) {
        if (layouts.s_menu == 1) repaintBackgroundBuffer();
        menuSoftKey(0);
    }
    inputStatics.keysPressed = saved;
}

void Game::paintSubmenu(Graphics* g) {
    StateStatics& s = stateStatics;
    if (isNull(g)) return;
    if (!isNull(s.bufferImage)) g->drawImage(s.bufferImage, 0, 0, kTopLeft);
    s.redraw = 0;
    const int32_t cursor = menuStatics.listCursor;
    switch (overlayStatics.gameSubState) {
        case 0:
            paintLayout(g, kListLayout, 0, 0, true, cursor, -1);
            drawButtonDefault(g, kListLayout, 1, kPageTexts, cursor + 2);
            paintLayoutFrame(g, 2, 4);
            break;
        case 1: {
            // The scrolling text, clipped to the page's text element.
            ShortArray* e = layoutElement(kScrollLayout, 1);
            const int32_t cx = g->getClipX(), cy = g->getClipY(), cw = g->getClipWidth(), ch = g->getClipHeight();
            if (!isNull(e))
                g->setClip(JArray::getShort(e, 1), JArray::getShort(e, 2), JArray::getShort(e, 3), JArray::getShort(e, 4));
            drawString(g, s.fonts, 0, kScrollTexts, 2, 0, kScrollX, menuStatics.scrollY >> 14, kScrollWidth, 0x1E000, 0,
                       kTopLeft);
            g->setClip(cx, cy, cw, ch);
            break;
        }
        case 2:
            paintLayout(g, kStatsLayout, 0, 0, true, -1, -1);
            drawButtonDefault(g, kStatsLayout, 1, 0, 79);
            break;
        default: break;
    }
    paintLayoutFrame(g, 0, 8);
}

void Game::updatePromo() {
    const int32_t answer = promoHooks.update ? promoHooks.update(inputStatics.keysPressed) : kPromoChosen;
    if (answer >= kPromoChosen) menuSoftKey(0);
}
