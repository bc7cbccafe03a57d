// Labels drawn into the boxes of layout elements, and the soft-key labels of the menus.
#include <algorithm>

#include "framework/sprite/sprite.h"
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
