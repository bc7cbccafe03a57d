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
constexpr int32_t kScrollWidth = 780, kScrollX = 10, kScrollHeightLimit = 0x1E000;
constexpr int32_t kScrollText = 2, kScrollTextElement = 2;
constexpr int32_t kMayDash = 0x100, kMayClimb = 0x80, kMayGlide = 0x200;
constexpr int32_t kTopLeft = 20;
// The fonts' palette of lit labels (the element's own otherwise).
constexpr int32_t kLitPalette = 1;
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
    const int32_t height = measureTextPageHeight(stateStatics.fonts, spriteIn(stateStatics.sprites, 3), kScrollTexts,
                                                 kScrollText, 0, kScrollWidth, kScrollHeightLimit, 0);
    menuStatics.scrollEnd = -(height << 14);
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
        case 0: {
            const int32_t last = menuStatics.lastPage;
            paintLayout(g, kListLayout, 0, 0, true, cursor, -1);
            paintLayout(g, kListLayout, 0, 0, true, -1, -1);
            drawButtonDefault(g, kListLayout, 4, kPageTexts, 0);
            menuStatics.listHighlight = drawButton(g, kListLayout, 6, -1, 0, 0, kPageTexts, 21 + cursor, 0, 0,
                                                   menuStatics.listHighlight ? kLitPalette : -1, -1);
            drawButtonDefault(g, kListLayout, 5, kPageTexts, cursor + 2);
            setTextArg(0, cursor + 1);
            setTextArg(1, last + 1);
            drawButtonDefault(g, kListLayout, 7, kPageTexts, 1);
            paintLayoutFrame(g, 2, 4);
            break;
        }
        case 1: {
            // The scrolling text as openScrollingTextPage measured it, clipped to the page's
            // text element.
            ShortArray* e = layoutElement(kScrollLayout, kScrollTextElement);
            const int32_t cx = g->getClipX(), cy = g->getClipY(), cw = g->getClipWidth(), ch = g->getClipHeight();
            if (!isNull(e))
                g->setClip(JArray::getShort(e, 1), JArray::getShort(e, 2), JArray::getShort(e, 3), JArray::getShort(e, 4));
            drawString(g, s.fonts, 0, kScrollTexts, kScrollText, 0, kScrollX, menuStatics.scrollY >> 14, kScrollWidth,
                       kScrollHeightLimit, 0, kTopLeft);
            g->setClip(cx, cy, cw, ch);
            break;
        }
        case 2: {
            const int32_t flags = objects.s_playerFlags;
            const bool shown[3] = {(flags & kMayDash) != 0, (flags & kMayClimb) != 0 && s.currentLevel != 0,
                                   (flags & kMayGlide) != 0};
            paintLayout(g, kStatsLayout, 0, 0, true, -1, -1);
            for (int32_t group = 0; group < 3; ++group)
                if (shown[group]) paintLayout(g, kStatsLayout, 0, 0, true, group, -1);
            drawButtonDefault(g, kStatsLayout, 1, 0, 79);
            const int32_t counters[3][2] = {{tables.s_counterC, 5}, {tables.s_counterA, 20}, {tables.s_counterB, 20}};
            for (int32_t i = 0; i < 3; ++i) {
                setTextArg(0, counters[i][0]);
                setTextArg(1, counters[i][1]);
                drawButtonDefault(g, kStatsLayout, 10 + i, 0, 80 + i);
            }
            for (int32_t i = 0; i < 3; ++i)
                if (shown[i]) drawButtonDefault(g, kStatsLayout, 13 + i, 0, 83 + i);
            break;
        }
        default: break;
    }
    paintLayoutFrame(g, 0, 8);
}

int32_t Game::promoKeyCode(int32_t keys) {
    static constexpr struct {
        int32_t mask, code;
    } kCodes[] = {{0x102, 21}, {0x4004, 32}, {0x408, 23}, {0x1010, 24}, {kBack, 26}, {kConfirm | kLeftSoft, 25}};
    for (const auto& c : kCodes)
        if (keys & c.mask) return c.code;
    return 0;
}

void Game::updatePromo() {
    // Without the promotion screen there is nothing to show: it is done at once.
    const bool done = promoHooks.update ? promoHooks.update(promoKeyCode(inputStatics.keysPressed)) : true;
    if (!done) return;
    setMenu(0, 1, -1);
    if (isMusicOn()) requestSound(0);
}
