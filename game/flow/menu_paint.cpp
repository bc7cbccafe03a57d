// Labels drawn into the boxes of layout elements, and the soft-key labels of the menus.
#include <algorithm>
#include <utility>

#include "framework/sprite/sprite.h"
#include "framework/sprite/sprite_instance.h"
#include "platform/lcdui/image.h"
#include "game/flow/game.h"
#include "platform/lcdui/graphics.h"
#include "runtime/core/arrays.h"

namespace {
constexpr int32_t kClipLift = 2;  // labels may reach 2 px above their box
constexpr int32_t kRightSoftKey = 8, kLeftSoftKey = 4;
}  // namespace

bool Game::drawButton(Graphics* g, int32_t layout, int32_t element, int32_t font, int32_t, int32_t, int32_t textGroup,
                      int32_t textId, int32_t dx, int32_t dy, int32_t palette, int32_t textFlags) {
    ShortArray* e = layoutElement(layout, element);
    if (isNull(g) || isNull(e)) return false;
    auto f = [&](int32_t i) { return JArray::getShort(e, i); };
    int32_t ox = 0, oy = 0;
    if (f(15) > f(14)) {
        ox = f(11);
        oy = f(12);
    } else if (f(14) > 0) {
        ox = f(11) * f(15) / f(14);
        oy = f(12) * f(15) / f(14);
    }
    LayoutStatics& l = layouts;
    l.s_buttonOffsetX = ox;
    l.s_buttonOffsetY = oy;
    const int32_t x = f(1) + ox + dx, y = f(2) + oy + dy, w = f(3), h = f(4);
    if (font == -1) font = f(7);
    if (palette == -1) palette = f(9);
    const int32_t anchor = getLayoutElementAnchor(layout, element);
    const int32_t cx = g->getClipX(), cy = g->getClipY(), cw = g->getClipWidth(), ch = g->getClipHeight();
    if (x >= cx + cw || y >= cy + ch || x + w <= cx || y + h <= cy) return false;
    const int32_t left = std::max(x, cx), top = std::max(y, cy);
    const int32_t right = std::min(x + w, cx + cw), bottom = std::min(y + h, cy + ch);
    g->setClip(left, top - kClipLift, right - left, bottom - top + kClipLift);
    auto* sprite = static_cast<ASprite*>(JArray::getRef(stateStatics.fonts, font));
    if (!isNull(sprite) && palette < sprite->paletteCount) sprite->setPalette(palette);
    const int32_t start = getTextStart(textGroup, textId);
    const bool drawn = start >= 0 && getTextLength(textGroup, textId, start) > 0;
    drawString(g, stateStatics.fonts, 0, textGroup, textId, font, x, y, w, h, textFlags < 0 ? 0 : textFlags, anchor);
    g->setClip(cx, cy, cw, ch);
    return drawn;
}

void Game::drawButtonDefault(Graphics* g, int32_t layout, int32_t element, int32_t textGroup, int32_t textId) {
    drawButton(g, layout, element, -1, 0, 0, textGroup, textId, 0, 0, -1, -1);
}

// The labels go into the background buffer whatever Graphics the caller holds.
void Game::paintSoftKeys(Graphics*) {
    const LayoutStatics& l = layouts;
    if (l.s_upgradeMode == 2 && l.s_panelStep < 4) return;
    auto* row = static_cast<IntArray*>(JArray::getRef(flowStatics.s_menuTable, layouts.s_menu));
    if (isNull(row) || row->length < 2) return;
    const int32_t back = row->elements()[row->length - 1], confirm = row->elements()[row->length - 2];
    if (back >= 0) paintLayoutFrame(stateStatics.bufferGraphics, back, kRightSoftKey);
    if (confirm >= 0 && l.s_upgradeAvailable) paintLayoutFrame(stateStatics.bufferGraphics, confirm, kLeftSoftKey);
}

namespace {

constexpr int32_t kUpgradeMenu = 10;
constexpr int32_t kButtonSprite = 0, kBarSprite = 3;
constexpr int32_t kButtonFrame = 29, kButtonSelectedFrame = 30, kSavedMark = 28;
constexpr int32_t kPromoFrame = 24, kPromoLitFrame = 26, kBackFrame = 25, kBackLitFrame = 27;
constexpr int32_t kHighlightFrame = 84, kUpgradeHighlightFrame = 94;
constexpr int32_t kHighlightA = 18, kHighlightB = 23, kHighlightAnimA = 30, kHighlightAnimB = 2;
constexpr int32_t kFirstItem = 3;
constexpr int32_t kMissingItemShift = 30;
constexpr int32_t kUpgradeRows = 7;

IntArray* menuRow() {
    return static_cast<IntArray*>(JArray::getRef(Game::flowStatics.s_menuTable, Game::layouts.s_menu));
}
int32_t menuValue(IntArray* table) { return JArray::getInt(table, Game::layouts.s_menu); }
int32_t at(IntArray* row, int32_t i) { return JArray::getInt(row, i); }
bool hidden(int32_t item) { return item < 0 && item != -3; }

ASpriteInstance* hud(int32_t i) {
    auto* instance = static_cast<ASpriteInstance*>(JArray::getRef(Game::stateStatics.hudInstances, i));
    return isNull(instance) ? nullptr : instance;
}

// The glow goes around the label's box.
void glowAround(int32_t layout, int32_t element) {
    IntArray* r = Game::paintStatics.s_glowRect;
    if (isNull(r) || r->length < 4) return;
    const int32_t x = Game::getTableEntry1(layout, element) + Game::layouts.s_buttonOffsetX;
    const int32_t y = Game::getTableEntry2(layout, element) + Game::layouts.s_buttonOffsetY;
    ShortArray* e = Game::layoutElement(layout, element);
    r->elements()[0] = x;
    r->elements()[1] = y;
    r->elements()[2] = x + JArray::getShort(e, 3);
    r->elements()[3] = y + JArray::getShort(e, 4);
    Game::captureGlowFromRect();
}

void copyBuffer(Game::Graphics* g) {
    if (!isNull(g) && !isNull(Game::stateStatics.bufferImage)) g->drawImage(Game::stateStatics.bufferImage, 0, 0, 20);
}

}  // namespace

void Game::paintLayoutSimple(Graphics* g, int32_t layout, bool highlight, int32_t group) {
    paintLayout(g, layout, 0, 0, highlight, group, -1);
}

void Game::paintScreenLayoutSimple(Graphics*, bool) {
    Graphics* buffer = stateStatics.bufferGraphics;
    const int32_t layout = menuValue(flowStatics.s_menuLayouts);
    paintLayout(buffer, layout, 0, 0, true, -1, 0);
    paintLayout(buffer, layout, 0, 0, false, -1, 0);
    if (!isNull(buffer)) buffer->setClip(0, 0, kScreenWidth, kScreenHeight);
}

void Game::paintScreenLayout(Graphics* g, bool changed) {
    if (!changed) return;
    paintScreenLayoutSimple(g, changed);
    Graphics* buffer = stateStatics.bufferGraphics;
    if (isNull(buffer)) return;
    const LayoutStatics& l = layouts;
    const int32_t layout = menuValue(flowStatics.s_menuLayouts);
    const int32_t panel = JArray::getInt(flowStatics.s_layoutSelection, layout);
    const bool plainBar = l.s_menu == 0 || l.s_menu == 8 || l.s_menu == kUpgradeMenu || l.s_menu == 13;
    buffer->setClip(0, l.s_menuPanelCentreY - l.s_menuTransition, kScreenWidth, 2 * l.s_menuTransition);
    if (panel >= 0)
        paintFrameWithGraphics(spriteSlot(kBarSprite), buffer, plainBar ? 1 : 21, getTableEntry1(layout, panel),
                               getTableEntry2(layout, panel), 0);
    buffer->setClip(0, 0, kScreenWidth, kScreenHeight);
}

void Game::paintMenu(Graphics* g, bool flag) {
    const LayoutStatics& l = layouts;
    if (l.s_menuPhase == 0) {
        if (l.s_menu == 0) paintScreenLayoutSimple(g, flag);
        else paintScreenLayout(g, flag);
        copyBuffer(g);
    } else if (l.s_menu == 0) {
        paintMainMenu(g, flag);
    } else {
        paintMenuScreen(g, flag);
    }
}

void Game::paintMainMenu(Graphics* g, bool) {
    const LayoutStatics& l = layouts;
    IntArray* row = menuRow();
    const int32_t layout = menuValue(flowStatics.s_menuLayouts), first = menuValue(flowStatics.s_menuFirstElement);
    ASprite* buttons = spriteSlot(kButtonSprite);
    for (int32_t i = 0; i < 4; ++i) {
        const bool selected = i == l.s_menuCursor - kFirstItem;
        paintFrameWithGraphics(buttons, g, selected ? kButtonSelectedFrame : kButtonFrame, getTableEntry1(layout, 5 + i),
                               getTableEntry2(layout, 5 + i), 0);
        if (selected) setElementFrame(layout, first + i, 0);
        else if (isEntryPresent(layout)) setElementFrame(layout, first + i, 1);
        setElementValue(layout, first + i, 0);
        drawButton(g, layout, first + i, -1, 0, 0, at(row, 0), at(row, kFirstItem + i), 0, 0, -1, -1);
        if (selected) glowAround(layout, first + i);
    }
    if (isModeOne()) paintFrameWithGraphics(buttons, g, kSavedMark, getTableEntry1(layout, 6), getTableEntry2(layout, 6), 0);
    const StateStatics& s = stateStatics;
    if (flowStatics.s_promoEntryState >= 0 || s.promoSecondEntry)
        paintFrameWithGraphics(buttons, g, s.softLeftLit ? kPromoLitFrame : kPromoFrame, getTableEntry1(layout, 17),
                               getTableEntry2(layout, 17), 0);
    paintFrameWithGraphics(buttons, g, s.softRightLit ? kBackLitFrame : kBackFrame, getTableEntry1(layout, 18),
                           getTableEntry2(layout, 18), 0);
}

void Game::paintMenuScreen(Graphics* g, bool flag) {
    LayoutStatics& l = layouts;
    StateStatics& s = stateStatics;
    IntArray* row = menuRow();
    const int32_t menu = l.s_menu;
    const int32_t layout = menuValue(flowStatics.s_menuLayouts), first = menuValue(flowStatics.s_menuFirstElement);
    const int32_t length = isNull(row) ? 0 : row->length;
    if (s.redraw) {
        Graphics* buffer = s.bufferGraphics;
        startListAnim(layout);
        paintScreenLayout(g, true);
        const int32_t title = menuValue(flowStatics.s_menuTitleElement);
        const int32_t message = menuValue(flowStatics.s_menuMessageElement);
        if (at(row, 1) >= 0 && title >= 0 && isSelectedField5One(layout))
            drawButtonDefault(buffer, layout, title, at(row, 0), at(row, 1));
        if (at(row, 2) >= 0 && message >= 0 && isSelectedField13One(layout))
            drawButtonDefault(buffer, layout, message, at(row, 0), at(row, 2));
        int32_t n = getEntryValue(layout);
        if (n < 1 || menu == kUpgradeMenu) n = length - 5;
        int32_t v = l.s_menuCursor;
        for (int32_t j = kFirstItem; j < l.s_menuCursor && j < length; ++j) v -= hidden(at(row, j));
        int32_t start = kFirstItem;
        if (v >= kFirstItem + n && menu != kUpgradeMenu) start = v - n + 1;
        if (menu != kUpgradeMenu) {
            int32_t visible = 0;
            for (int32_t j = kFirstItem; j < length - 2; ++j) visible += !hidden(at(row, j));
            for (int32_t k = 0; visible < n && k < n; ++k)
                setLayoutElementY(layout, first + k, getTableEntry2(layout, first + k) + kMissingItemShift * (n - visible));
        }
        int32_t extra[kUpgradeRows] = {};
        if (isSelectedField11One(layout) && menu == kUpgradeMenu) {
            for (int32_t r = 0; r < kUpgradeRows; ++r)
                extra[r] = layoutExpandRow(r == 0, r, kFirstItem + r == l.s_menuCursor);
            paintLayoutSimple(buffer, layout, false, 0);
        }
        // n counts items: in menu 10 the expanded row's option places come on top, so that the
        // entries below it keep their labels (the touch rows place all five in seven rows).
        for (int32_t j = start, k = 0, shown = 0; shown < n && j < length - 2; ++j) {
            const int32_t item = at(row, j);
            const bool selected = j == l.s_menuCursor;
            const int32_t e = first + k;
            if (item == 96) {
                setElementFrame(layout, e, 2);
                setElementValue(layout, e, 0);
            } else if (item >= 97 && item <= 99) {
                setElementFrame(layout, e, 1);
                setElementValue(layout, e, 1);
            } else {
                setElementFrame(layout, e, selected ? getSelectedField8(layout) : getSelectedField10(layout));
                setElementValue(layout, e, selected ? getSelectedField7(layout) : getSelectedField9(layout));
            }
            if (hidden(item)) continue;
            if (selected) {
                const int32_t hy = getTableEntry2(layout, e) + getLayoutElementHeight(layout, e) / 2;
                paintFrameWithGraphics(spriteSlot(kBarSprite), buffer,
                                       menu == kUpgradeMenu ? kUpgradeHighlightFrame : kHighlightFrame, 0, hy, 0);
                for (auto [index, anim] : {std::pair{kHighlightA, kHighlightAnimA}, {kHighlightB, kHighlightAnimB}})
                    if (ASpriteInstance* h = hud(index)) {
                        h->setAnim(anim);
                        h->setY(hy);
                    }
            }
            if (item != -3) {
                drawButton(buffer, layout, e, -1, 0, 0, at(row, 0), item, 0, 0, -1, -1);
                if (selected) glowAround(layout, e);
            }
            k += 1 + (menu == kUpgradeMenu && j - kFirstItem < kUpgradeRows ? extra[j - kFirstItem] : 0);
            ++shown;
        }
        s.redraw = 0;
        paintLayout(buffer, layout, 0, 0, false, 1, -1);
        if (menu != kUpgradeMenu) {
            if (at(row, length - 1) >= 0) paintLayoutFrame(buffer, at(row, length - 1), 8);
            if (at(row, length - 2) >= 0) paintLayoutFrame(buffer, at(row, length - 2), 4);
            paintSoftKeys(buffer);
        }
        copyBuffer(g);
        paintGlow(g);
    }
    if (menu == kUpgradeMenu) {
        paintUpgradeMenu(g);
        if (l.s_upgradeMode == 2) drawMenuFrame(g);
    } else {
        paintLayout(g, layout, 0, 0, false, -1, -1);
        for (int32_t index : {kHighlightA, kHighlightB})
            if (ASpriteInstance* h = hud(index); h != nullptr && !isNull(g)) h->paint(g);
    }
    (void)flag;
}
