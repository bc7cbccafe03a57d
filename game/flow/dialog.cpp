// The dialog box, the soft-key labels and the cached string entry of the text engine.
#include "framework/sprite/sprite.h"
#include "game/flow/game.h"
#include "platform/lcdui/graphics.h"
#include "runtime/core/arrays.h"

namespace {

constexpr int32_t kArcWidth = 30;
constexpr int32_t kArcHeight = 20;
constexpr int32_t kArrowSprite = 4;
constexpr int32_t kSoftKeyTable = 6;
constexpr int32_t kRightBottom = 40;
constexpr int32_t kLeftBottom = 36;

}  // namespace

void Game::drawDialogBox(Graphics* g, int32_t x, int32_t y, int32_t w, int32_t h, int32_t fill, int32_t border,
                         int32_t shadow, int32_t style) {
    const int32_t boxHeight = h + 5;
    const bool framed = (style & 1) != 0, square = (style & 2) != 0;
    if (framed && !square) {
        g->setColor(shadow);
        g->fillRoundRect(x + 1, y + 1, w + 1, h + 6, kArcWidth, kArcHeight);
    }
    g->setColor(fill);
    if (square) g->fillRect(x, y, w, boxHeight);
    else g->fillRoundRect(x, y, w, boxHeight, kArcWidth, kArcHeight);
    if (framed) {
        g->setColor(border);
        if (square) g->drawRect(x, y, w, boxHeight);
        else g->drawRoundRect(x, y, w, boxHeight, kArcWidth, kArcHeight);
    }
    const int32_t d = stateStatics.dialogArrow;
    if (d < 0 || d > 7 || stateStatics.dialogExtent > boxHeight) return;
    ASprite* arrows = spriteIn(stateStatics.sprites, kArrowSprite);
    if (arrows == nullptr) return;
    const int32_t ax = d >= 3 && d <= 6 ? x + w : x;
    const int32_t ay = d == 0 || d == 7 || d == 5 || d == 6 ? y + boxHeight : y;
    ASprite::setGraphics(g);
    arrows->paintFrame(d + 3, ax, ay, 0);
}

void Game::drawSoftKeyLabel(Graphics* g, int32_t text, int32_t flags) {
    ASprite* font = spriteIn(stateStatics.fonts, 0);
    if (font == nullptr) return;
    const int32_t saved = font->getPalette();
    font->setPalette(0);
    const bool right = (flags & 4) != 0;
    drawStringInBox(g, stateStatics.fonts, spriteIn(stateStatics.sprites, 3), kSoftKeyTable, text, 0, right ? 798 : 2, 478,
                    right ? kRightBottom : kLeftBottom);
    if (saved < font->paletteCount) font->setPalette(saved);
}

void Game::drawString(Graphics* g, ObjectArray* fonts, int32_t /*mode*/, int32_t pack, int32_t string, int32_t font,
                      int32_t x, int32_t y, int32_t w, int32_t h, int32_t page, int32_t anchor) {
    TextStatics& t = textStatics;
    if (pack != t.textCachedPack || string != t.textCachedString) {
        t.pageIndex = 0;
        t.textArgIndex = 0;  // the new string's first '%' argument is argument 0
        t.textFont = static_cast<int8_t>(font);
        t.textRevealCursor = 0;
        t.textRevealTick = 0;
        t.textCachedPack = pack;
        t.textCachedString = string;
        if (ASprite* f = spriteIn(fonts, font)) t.textLineSpacing = f->getLineSpacing();
    }
    const int32_t start = getTextStart(pack, string);
    const int32_t length = getTextLength(pack, string, start);
    if (start < 0 || length < 0 || pack < 0 || isNull(t.textPackData) || pack >= t.textPackData->length) return;
    auto* data = static_cast<ByteArray*>(t.textPackData->elements()[pack]);
    if (isNull(data)) return;
    drawStringWrapped(g, fonts, spriteIn(stateStatics.sprites, 3), data, start, length, x, y, w, h, page, anchor);
}
