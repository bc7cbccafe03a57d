// The prompt box: opening it (the text measured, the box placed) and painting it in each prompt
// state; menu 10's hint sequence, shown in framed boxes; the loading tips.
#include <algorithm>
#include <cstdlib>

#include "framework/core/game_timers.h"
#include "framework/sprite/sprite.h"
#include "framework/sprite/sprite_instance.h"
#include "game/flow/game.h"
#include "platform/lcdui/graphics.h"
#include "runtime/core/arrays.h"
#include "runtime/core/static_class.h"

PromptStatics Game::prompts;

namespace {

constexpr int32_t kTextWidth = 580;      // the framed box's text width when measuring
constexpr int32_t kBoxWidth = 600;
constexpr int32_t kPanelTextWidth = 782;
constexpr int32_t kAnswerBoxHeight = 480;
constexpr int32_t kPanelBottom = 461;
constexpr int32_t kSpeakerGroup = 5;
constexpr int32_t kTipGroup = 3;
constexpr int32_t kRandomTips = 20, kFirstTip = 22, kTips = 14;
constexpr int32_t kBoxFill = 0xF7DC46, kBoxShadow = 0xF19A45;
constexpr int32_t kChosenFill = 0x1200FF;
constexpr int32_t kShade = 0x66000000, kOverlayFill = static_cast<int32_t>(0xCC000000);
constexpr int32_t kMeasureIcons = 16;
constexpr int32_t kPanelSprite = 0, kInterfaceSprite = 3, kPromptSprite = 4, kSoftKeySprite = 17;
constexpr int32_t kPortraitFrame = 95, kNameFrame = 87;
constexpr int32_t kMarkerInstance = 2, kCursorInstance = 4, kAnswerInstance = 7;
constexpr int32_t kUpgradeLayout = 10, kFirstHint = 46, kHints = 5;
constexpr int32_t kTopLeft = 20;

// Prompt flags.
constexpr int32_t kPaged = 2, kNoBox = 4, kRestartOnce = 8, kJitter = 16;

ASprite* sprite(int32_t slot) { return Game::spriteIn(Game::stateStatics.sprites, slot); }

ASpriteInstance* instance(int32_t i) {
    auto* o = static_cast<ASpriteInstance*>(JArray::getRef(Game::stateStatics.hudInstances, i));
    return isNull(o) ? nullptr : o;
}

// Bounds (min x, min y, max x, max y) of a frame painted at the origin.
int32_t frameExtent(ASprite* s, int32_t frame, int32_t axis) {
    if (s == nullptr) return 0;
    IntArray* r = Game::getFrameRectTemp(s, frame, 0, 0, 0);
    if (isNull(r) || r->length < 4) return 0;
    return r->elements()[axis + 2] - r->elements()[axis];
}
int32_t frameWidth(ASprite* s, int32_t frame) { return frameExtent(s, frame, 0); }
int32_t frameHeight(ASprite* s, int32_t frame) { return frameExtent(s, frame, 1); }

int32_t instanceWidth(ASpriteInstance* i) {
    if (i == nullptr) return 0;
    IntArray* r = i->getRect();
    return isNull(r) || r->length < 4 ? 0 : r->elements()[2] - r->elements()[0];
}

void paintFrameAt(Game::Graphics* g, ASprite* s, int32_t frame, int32_t x, int32_t y) {
    if (s == nullptr || Game::noGraphics(g)) return;
    ASprite::setGraphics(g);
    s->paintFrame(frame, x, y, 0);
}

void paintInstance(Game::Graphics* g, ASpriteInstance* i) {
    if (i != nullptr && !Game::noGraphics(g)) i->paint(g);
}

int32_t byteOf(int32_t packed, int32_t i) { return (packed >> (8 * i)) & 0xFF; }

// The answer ids of the two-answer command at pos.
int32_t answerId(int32_t pos, int32_t which) {
    return Game::readShortLE(Game::layouts.s_scriptBytes, pos + 6 + 2 * which);
}

int32_t answerHeight(int32_t id) {
    const PromptStatics& p = Game::prompts;
    return Game::measureTextPageHeight(p.s_promptFonts, sprite(kMeasureIcons), p.s_promptTextGroup, id,
                                       p.s_promptFont, kPanelTextWidth, kAnswerBoxHeight, 0);
}

// The page drawn, its result folded into the prompt's paging state.
void takePageResult(int32_t result) {
    PromptStatics& p = Game::prompts;
    if (result & Game::kPageShown) p.s_promptPressed = true;
    p.s_promptLastPage = (result & Game::kLastPage) != 0;
}

// One page of the prompt's text with the prompt's own reveal: any other string drawn between two
// frames (the speaker's name just before, the HUD's numbers) resets the text engine's, which would
// hold the page at its first line for good.
void drawPromptPage(Game::Graphics* g, ObjectArray* fonts, int32_t group, int32_t text, int32_t font, int32_t x,
                    int32_t y, int32_t w, int32_t h, int32_t flags) {
    PromptStatics& p = Game::prompts;
    Game::TextStatics& t = Game::textStatics;
    t.textRevealCursor = p.s_promptRevealCursor;
    t.textRevealTick = p.s_promptRevealTick;
    takePageResult(Game::drawStringPaged(g, fonts, sprite(kMeasureIcons), group, text, font, x, y, w, h, p.s_promptPage,
                                         kTopLeft, p.s_promptLineStep, flags));
    p.s_promptRevealCursor = t.textRevealCursor;
    p.s_promptRevealTick = t.textRevealTick;
}

void openHint(int32_t step, int32_t shift) {
    ShortArray* e = Game::layoutElement(kUpgradeLayout, kFirstHint + step);
    if (e == nullptr) return;
    auto field = [e](int32_t i) { return static_cast<int32_t>(JArray::getShort(e, i)); };
    Game::layoutMenuItems(0, field(3), field(4), field(1) - shift, field(2), field(5), true, false, 110, 0);
}

}  // namespace

void Game::initPromptStatics() {
    prompts = PromptStatics{};
    prompts.s_promptTimer = -1;
}

// ---- opening ----

int32_t Game::layoutMenuItems(int32_t font, int32_t group, int32_t text, int32_t x, int32_t y, int32_t arrow,
                              bool paged, bool open, int32_t lineHeight, int32_t flags) {
    PromptStatics& p = prompts;
    StateStatics& s = stateStatics;
    s.dialogArrow = arrow;
    p.s_promptX = x;
    p.s_promptY = y + 5;
    ASprite* icons = sprite(kMeasureIcons);
    const int32_t pages = countTextPages(s.fonts, icons, group, text, font, kTextWidth, lineHeight);
    // The extent is the tallest page's height with its margin: the box is made that high.
    int32_t tallest = 0;
    for (int32_t i = 0; i < pages; ++i)
        tallest = std::max(tallest, measureTextPageHeight(s.fonts, icons, group, text, font, kTextWidth, lineHeight, i));
    const int32_t extent = pages > 0 ? tallest + 20 : 0;
    s.dialogExtent = extent;
    if (flags & 1) p.s_promptX -= 300;
    if (flags & 2) p.s_promptY = p.s_promptY - extent / 2 - 10;

    p.s_promptFont = font;
    p.s_promptTextGroup = group;
    p.s_promptTextId = text;
    p.s_promptBoxHeight = -20 - p.s_promptLineStep;
    p.s_promptPage = 0;
    p.s_promptLastPage = false;
    p.s_promptDone = false;
    p.s_promptPressFrames = 0;
    p.s_promptLineStep = 2;
    p.s_promptPressed = false;
    p.s_promptRevealCursor = 0;
    p.s_promptRevealTick = 0;
    p.s_promptPaged = paged;
    if (open) {
        layouts.s_promptState = 1;
        p.s_promptBoxHeight = extent;
    } else {
        layouts.s_promptState = 0;
    }
    if (paged) {
        p.s_promptFlags = kPaged | kRestartOnce;
    } else {
        p.s_promptFlags = 0;
        p.s_promptPressed = true;
    }
    if (open) p.s_promptFlags |= kNoBox;
    if (ASpriteInstance* marker = instance(kMarkerInstance)) marker->setAnimWithStep(38, 1, -1);
    return pages;
}

int32_t Game::openMenuSimple(int32_t font, int32_t group, int32_t text, bool paged, bool open) {
    return layoutMenuItems(font, group, text, 0, 0, -1, paged, open, 110, 0);
}

int32_t Game::openPromptAt(int32_t font, int32_t group, int32_t text, int32_t x, int32_t y, int32_t arrow, bool paged,
                           bool open) {
    return layoutMenuItems(font, group, text, x, y, arrow, paged, open, 110, 0);
}

void Game::openMenuLayout(ObjectArray* fonts, int32_t font, int32_t palette, int32_t group, int32_t text,
                          int32_t textArg, int32_t speaker, int32_t scriptPos) {
    PromptStatics& p = prompts;
    p.s_promptFonts = fonts;
    p.s_promptFont = font;
    p.s_promptPalette = palette;
    p.s_promptTextGroup = group;
    p.s_promptTextId = text;
    p.s_promptTextArg = textArg;
    p.s_promptSpeaker = speaker;
    p.s_promptScriptPos = scriptPos;
    layouts.s_promptPacked = 0;
    layouts.s_promptState = 3;
    const int32_t first = answerHeight(answerId(scriptPos, 0));
    const int32_t second = answerHeight(answerId(scriptPos, 1));
    ASprite* f = spriteIn(fonts, font);
    p.s_promptHeight = first + second + (f != nullptr ? f->getLineSpacing() : 0);
    if (ASpriteInstance* box = instance(kAnswerInstance)) {
        box->setAnim(2);
        box->setPosition(200, 120);
    }
    if (ASpriteInstance* cursor = instance(kCursorInstance)) cursor->setAnim(0);
}

// ---- painting ----

void Game::paintPromptBox(Graphics* g) {
    if (noGraphics(g)) return;
    PromptStatics& p = prompts;
    const int32_t state = layouts.s_promptState;
    ASprite* panel = sprite(kPanelSprite);
    ASprite* face = sprite(kInterfaceSprite);
    ASprite* parts = sprite(kPromptSprite);
    const int32_t hA = frameHeight(parts, 0);
    const int32_t hS = std::abs(frameHeight(sprite(kSoftKeySprite), 4));
    const int32_t line = kPanelBottom - p.s_promptHeight - hS;
    const int32_t top = line - hA;
    int32_t jx = 0, jy = 0;
    if (state == 0 && (p.s_promptFlags & kJitter) != 0 && p.s_promptTimer != -1) {
        const int32_t r = random();
        jx = r & 1;
        jy = (r >> 1) & 1;
    }
    paintFrameAt(g, panel, 7, 0, top + jy);
    paintFrameAt(g, parts, 0, 0, top);
    paintFrameAt(g, parts, 1, 0, line);

    setTextArg(0, p.s_promptTextArg);
    auto* speaker = static_cast<IntArray*>(JArray::getRef(objects.s_speakers, p.s_promptSpeaker));
    if (isNull(speaker)) speaker = nullptr;
    ASprite* font = spriteIn(p.s_promptFonts, p.s_promptFont);
    if (font != nullptr && p.s_promptPalette < font->paletteCount) font->setPalette(p.s_promptPalette);
    const int32_t h7 = frameHeight(panel, 7), h0 = frameHeight(panel, 0);
    const int32_t nameGroup = state >= 3 ? p.s_promptTextGroup : kSpeakerGroup;
    const int32_t nameId = state >= 3 ? p.s_promptTextId : speaker != nullptr ? JArray::getInt(speaker, 1) : -1;
    if (nameId >= 0)
        drawString(g, p.s_promptFonts, 0, nameGroup, nameId, p.s_promptFont, frameWidth(face, kNameFrame) + jx + 9,
                   top + jy - h7 / 2 - h0 + 6, 791, h7 - h0, 0, kTopLeft);
    paintFrameAt(g, face, kNameFrame, 0, top + jy);
    if (speaker != nullptr) paintFrameAt(g, face, kPortraitFrame + JArray::getInt(speaker, 0), 0, top + jy);

    ASpriteInstance* marker = instance(kMarkerInstance);
    if (state == 1) {
        const int32_t x = 9, y = line + 9, w = kPanelTextWidth - instanceWidth(marker);
        if (p.s_promptPaged) {
            int32_t flags = p.s_promptPressed ? 14 : 12;
            if (p.s_promptDone) {
                flags |= 1;
                p.s_promptDone = false;
            }
            drawPromptPage(g, p.s_promptFonts, p.s_promptTextGroup, p.s_promptTextId, p.s_promptFont, x, y, w,
                           p.s_promptHeight, flags);
        } else {
            drawString(g, p.s_promptFonts, 0, p.s_promptTextGroup, p.s_promptTextId, p.s_promptFont, x, y, w,
                       p.s_promptHeight, 0, kTopLeft);
        }
        if (p.s_promptPressed) paintInstance(g, marker);
    } else if (state >= 3) {
        // The answers one below the other under the question; the cursor moves to the chosen one.
        const int32_t ids[2] = {answerId(p.s_promptScriptPos, 0), answerId(p.s_promptScriptPos, 1)};
        const int32_t heights[2] = {answerHeight(ids[0]), answerHeight(ids[1])};
        ASpriteInstance* cursor = instance(kCursorInstance);
        const int32_t margin = instanceWidth(cursor);
        const int32_t bx = 9 + margin, bw = kPanelTextWidth - 2 * margin;
        const int32_t by[2] = {line + 9, line + 9 + heights[0]};
        const int32_t chosen = byteOf(layouts.s_promptPacked, 0) != 0 ? 1 : 0;
        if (cursor != nullptr) cursor->setY(by[chosen]);
        const bool blinkOn = byteOf(layouts.s_promptPacked, 3) == 1;
        if (state == 6 || (state == 7 && blinkOn)) {
            g->setColor(kChosenFill);
            g->fillRect(bx, by[chosen], bw, heights[chosen]);
        }
        for (int32_t k = 0; k < 2; ++k) {
            if (state < 4 + k) continue;
            drawString(g, p.s_promptFonts, 0, p.s_promptTextGroup, ids[k], p.s_promptFont, bx, by[k], bw, heights[k],
                       0, kTopLeft);
            const bool darkened = k == 0 ? state == 4 || state == 5 : state >= 5;
            if (darkened) {
                fillOverlay(kShade);
                drawOverlayRect(g, bx, by[k], bw, heights[k]);
                fillOverlay(kOverlayFill);
            }
        }
        if (state >= 6) paintInstance(g, cursor);
    }
}

void Game::paintPromptText(Graphics* g, int32_t font, int32_t group, int32_t text, int32_t x, int32_t y, int32_t w,
                           int32_t h, int32_t fill, int32_t border, int32_t style, int32_t flags) {
    if (noGraphics(g)) return;
    PromptStatics& p = prompts;
    StateStatics& s = stateStatics;
    if ((flags & kNoBox) == 0) drawDialogBox(g, x, y, w, h, fill, border, kBoxShadow, style);
    if (flags & kPaged) {
        int32_t pageFlags = p.s_promptPressed ? kRevealAll : 0;
        if (flags & kRestartOnce) {
            pageFlags |= kRevealRestart;
            p.s_promptFlags &= ~kRestartOnce;
        }
        drawPromptPage(g, s.fonts, group, text, font, x + 10, y, w - 20, h, pageFlags);
    } else {
        drawString(g, s.fonts, 0, group, text, font, x, y, w, h, 0, kTopLeft);
        p.s_promptLastPage = countTextPages(s.fonts, sprite(kMeasureIcons), group, text, font, w, h) <= 1;
    }
}

void Game::drawMenuFrame(Graphics* g) {
    if (noGraphics(g)) return;
    PromptStatics& p = prompts;
    const int32_t x = p.s_promptX, y = p.s_promptY, h = p.s_promptBoxHeight;
    switch (layouts.s_promptState) {
        case 1: {
            ASprite* font = spriteIn(stateStatics.fonts, p.s_promptFont);
            if (font != nullptr) {
                font->setLineSpacing(7);
                if (p.s_promptPalette < font->paletteCount) font->setPalette(p.s_promptPalette);
            }
            paintPromptText(g, p.s_promptFont, p.s_promptTextGroup, p.s_promptTextId, x, y, kBoxWidth, h, 0, kBoxFill,
                            1, p.s_promptFlags);
            if (font != nullptr) font->setLineSpacing(4);
            if (p.s_promptPressed) {
                if (ASpriteInstance* marker = instance(kMarkerInstance)) {
                    marker->setPosition(x + kBoxWidth, y + h + 2 * 4 + (font != nullptr ? scaledLowByte(font) : 0));
                    marker->paint(g);
                }
            }
            break;
        }
        case 0:
        case 2: drawDialogBox(g, x, y, kBoxWidth, h, 0, kBoxFill, kBoxShadow, 1); break;
        default: break;
    }
}

void Game::handleMenuCommand(Graphics* g) {
    const int32_t command = JArray::getByte(layouts.s_scriptBytes, layouts.s_scriptPos) & 0xFF;
    if (command == 171 || command == 178) paintPromptBox(g);
    else if (command == 175) drawMenuFrame(g);
}

// ---- the upgrade panel's hints ----

void Game::openOptionList() {
    layouts.s_upgradeMode = 2;
    layouts.s_panelStep = 0;
    ASprite* font = spriteIn(stateStatics.fonts, 0);
    if (font != nullptr && font->paletteCount > 0) font->setPalette(0);
    openHint(0, 300);
}

void Game::updateOptionList() {
    if (layouts.s_panelStep < kHints) openHint(layouts.s_panelStep, 0);
    else showUpgradePanel(0);
}

void Game::nextHint() {
    ++layouts.s_panelStep;
    updateOptionList();
}

void Game::reopenOptionList() {
    LayoutStatics& l = layouts;
    if (l.s_upgradeMode != 2 || l.s_panelStep < 0) return;
    const int32_t step = l.s_panelStep;
    openOptionList();
    l.s_panelStep = step;
    updateOptionList();
}

void Game::paintOptionList(Graphics* g) { drawMenuFrame(g); }

void Game::paintOverlay(Graphics* g) {
    StateStatics& s = stateStatics;
    if (!s.redraw) return;
    drawBufferImage(g);
    if (overlayStatics.gameSubState == 0) paintOptionList(g);
    s.redraw = 0;
}

// ---- loading tips ----

void Game::randomEntry(Graphics* g) {
    StateStatics& s = stateStatics;
    ASprite* font = spriteIn(s.fonts, 0);
    if (font != nullptr) font->setPalette(0);
    // random() gives the seed's high 16 bits unsigned: the tip is 0..19 whatever the seed's sign.
    drawString(g, s.fonts, 0, kTipGroup, random() % kRandomTips, 0, 0, 50, 700, 480, 0, 3);
    s.redraw = 1;
}

void Game::selectEntry(Graphics* g, int32_t n) {
    if (n >= 0 && n < kTips) {
        StateStatics& s = stateStatics;
        ASprite* font = spriteIn(s.fonts, 0);
        if (font != nullptr) font->setPalette(0);
        drawString(g, s.fonts, 0, kTipGroup, kFirstTip + n, 0, 0, 50, 700, 480, 0, 3);
    }
    randomEntry(g);
}

namespace mrc {

void registerPromptStatics() {
    static bool registered = false;
    if (registered) return;
    registered = true;
    StaticClass::registerStatics("Game.prompts", &Game::prompts);
}

}  // namespace mrc
