// The in-game HUD over the world: the health and energy panels, the points gauge with its number,
// the two information banners, the target sign, and the chain counter with its banner. Player
// values carry 14 fraction bits and are shifted before they become pixels or ratios.
#include <algorithm>
#include <cstdint>

#include "framework/sprite/sprite.h"
#include "framework/sprite/sprite_instance.h"
#include "game/flow/game.h"
#include "game/flow/hud_draw.h"
#include "game/objects/cobject.h"
#include "platform/lcdui/graphics.h"
#include "runtime/core/arrays.h"

namespace {

using namespace hud_draw;

constexpr int32_t kHudLayout = 6, kPanelElement = 4, kGaugeElement = 5;
constexpr int32_t kHealthFrame = 66, kEnergyFrame = 73, kGaugeFrame = 33;
constexpr int32_t kHealthIntro = 41, kEnergyIntro = 48;
constexpr int32_t kMarkerInstance = 19, kHealthInstance = 20, kEnergyInstance = 21, kChainInstance = 16;
constexpr int32_t kHudTexts = 6, kChainNumberText = 0, kPointsText = 1, kChainLabelText = 2;
constexpr int32_t kFull = 1638400;  // 100 percent, 14 fraction bits
constexpr int32_t kChainSlideMs = 500, kChainEndMs = 1501, kPulseMs = 1000;
constexpr int32_t kBannerInMs = 500, kBannerHoldMs = 1500;
constexpr int32_t kBestChain = 250;
constexpr int32_t kChainGeometrySprite = 7, kTargetSprite = 16;

// value × width / maximum after the shift; an empty maximum fills nothing.
int32_t share(int32_t width, int32_t value, int32_t maximum) {
    const int32_t m = maximum >> 14;
    return m == 0 ? 0 : static_cast<int32_t>(int64_t(width) * (value >> 14) / m);
}

int32_t panelX() { return Game::getTableEntry1(kHudLayout, kPanelElement); }
int32_t panelY() { return Game::getTableEntry2(kHudLayout, kPanelElement); }

// The panel picture once its intro animation has ended, else the intro (and the bar marker).
void paintPanelPicture(Game::Graphics* g, int32_t instance, int32_t frame, int32_t x, int32_t y, int32_t markerX,
                       int32_t markerY, bool marker) {
    ASpriteInstance* intro = hudInstance(instance);
    if (intro == nullptr) return;
    if (intro->isAnimEnded()) {
        Game::paintFrameWithGraphics(Game::spriteSlot(kInterfaceSprite), g, frame, x, y, 0);
        return;
    }
    intro->setPosition(x, y);
    intro->paint(g);
    if (ASpriteInstance* m = hudInstance(kMarkerInstance); marker && m != nullptr) {
        m->setPosition(markerX, markerY);
        m->paint(g);
    }
}

void stopAndForget(int32_t& timer) {
    Game::stopTimer(timer);
    timer = -1;
}

// Frames first, first + 1 (tiled under a clip) and first + 2 across width pixels at (x, y), and
// text id of table `table` centred on it in font 0 with palette `palette`.
void paintBanner(Game::Graphics* g, int32_t x, int32_t y, int32_t width, int32_t first, int32_t palette,
                 int32_t table, int32_t id) {
    ASprite* ui = Game::spriteSlot(kInterfaceSprite);
    if (ui == nullptr) return;
    IntArray* cap = Game::getFrameRectTemp(ui, first, 0, 0, 0);
    const int32_t capW = JArray::getInt(cap, 2) - JArray::getInt(cap, 0), capH = JArray::getInt(cap, 3) - JArray::getInt(cap, 1);
    IntArray* tileRect = Game::getFrameRectTemp(ui, first + 1, 0, 0, 0);
    const int32_t tile = JArray::getInt(tileRect, 2) - JArray::getInt(tileRect, 0);
    Game::paintFrameWithGraphics(ui, g, first, x, y, 0);
    {
        const ClipSaver saved(g);
        const int32_t inner = width - 2 * capW;
        g->setClip(x + capW, y, inner, capH);
        for (int32_t k = 0, n = tile > 0 ? inner / tile + 1 : 0; k < n; ++k)
            Game::paintFrameWithGraphics(ui, g, first + 1, x + capW + k * tile, y, 0);
    }
    Game::paintFrameWithGraphics(ui, g, first + 2, x + width - capW, y, 0);
    const FontPalette font(0, palette);
    Game::drawStringInBox(g, Game::stateStatics.fonts, ui, table, id, 0, x + width / 2, y + capH / 2, 3);
}

// The chain geometry: rectangle i of frame 0 of sprite slot 7.
Rect chainRect(int32_t i) { return frameRect(Game::spriteSlot(kChainGeometrySprite), 0, i); }

}  // namespace

HudStatics Game::hudStatics;

void Game::initHud() { hudStatics = HudStatics{}; }

void Game::paintHealthBar(Graphics* g) {
    CObject* p = player();
    if (noGraphics(g) || p == nullptr) return;
    HudStatics& h = hudStatics;
    const Rect r = frameRect(spriteSlot(kInterfaceSprite), kHealthFrame + h.s_healthPanelStyle, 0);
    const int32_t x = panelX() + r.x, y = panelY() + r.y;
    const int32_t health = p->param(13), maximum = p->param(17);
    int32_t fill = share(r.w, health, maximum);
    if (health > 0 && (maximum >> 14) != 0) fill = std::max(fill, 2);
    int32_t& step = hudGauges.s_healthFlashStep;
    if (step != 0) {
        int32_t& level = h.s_healthFlashLevel;
        level += static_cast<int32_t>(stateStatics.frameTime * 3276800 / 1000) * step;
        if (level > kFull) {
            level = kFull;
            step = -1;
        } else if (level < 0) {
            level = 0;
            step = 0;
        }
        h.s_barColour = ((level * 255 / 100) >> 14) << 16;
        h.s_barOpacity = level;
        fillFramedRect(g, h.s_barColour, h.s_barColour, maximum >> 14, (maximum >> 14) - (health >> 14), x, y, r.w,
                       r.h, 0, 0, 17);
    } else {
        g->setColor(0);
        g->fillRect(x + fill, y, r.w - fill, r.h + 5);
    }
    if (fill > 0) fillGradient(g, x, y, fill, r.h + 5, 0x358C01, 0xE8EC06);
}

void Game::paintHealthPanel(Graphics* g) {
    if (noGraphics(g)) return;
    const int32_t frame = kHealthFrame + hudStatics.s_healthPanelStyle;
    const Rect r = frameRect(spriteSlot(kInterfaceSprite), frame, 0);
    paintHealthBar(g);
    paintPanelPicture(g, kHealthInstance, frame, panelX(), panelY(), panelX() + r.x, panelY() + r.y, true);
}

void Game::paintEnergyPanel(Graphics* g) {
    CObject* p = player();
    if (noGraphics(g) || p == nullptr) return;
    const int32_t frame = kEnergyFrame + hudStatics.s_energyPanelStyle;
    const Rect r = frameRect(spriteSlot(kInterfaceSprite), frame, 0);
    const int32_t x = panelX() + r.x, y = panelY() + r.y;
    const int32_t a = share(r.w, p->param(15), p->param(18));
    g->setColor(0);
    g->fillRect(x + a, y, r.w - a, r.h);
    if (a > 0) fillGradient(g, x, y, a, r.h, 0x024AB8, 0x06F9C4);
    const int32_t b = share(r.w, p->param(14), p->param(18));
    if (b > 0) {
        fillGradient(g, x, y, b, r.h, 0xF9F102, 0xFFFFFF);
        if (ASpriteInstance* m = hudInstance(kMarkerInstance); m != nullptr && hudStatics.s_energyMode == 1) {
            m->setPosition(x + b, y);
            m->paint(g);
        }
    }
    paintPanelPicture(g, kEnergyInstance, frame, panelX(), panelY(), 0, 0, false);
}

void Game::paintPointsGauge(Graphics* g) {
    CObject* p = player();
    if (noGraphics(g) || p == nullptr) return;
    const Rect r = frameRect(spriteSlot(kInterfaceSprite), kGaugeFrame, 0);
    const int32_t maximum = p->param(19) >> 14;
    const int32_t percent = maximum == 0 ? 0 : static_cast<int32_t>(int64_t(p->param(16) >> 14) * kFull / maximum);
    const int32_t h = r.h * (percent >> 14) / 100;
    const int32_t x = getTableEntry1(kHudLayout, kGaugeElement), y = getTableEntry2(kHudLayout, kGaugeElement);
    const ClipSaver saved(g);
    g->setClip(x + r.x, y + r.y + r.h - h, r.w, h);
    paintLayoutSprite(g, kHudLayout, kGaugeElement, 0, 0, false);
}

void Game::updateHudBars() {
    const int32_t bases[2][2] = {{kHealthInstance, kHealthIntro + hudStatics.s_healthPanelStyle},
                                 {kEnergyInstance, kEnergyIntro + hudStatics.s_energyPanelStyle}};
    for (const auto& b : bases) {
        ASpriteInstance* i = hudInstance(b[0]);
        if (i == nullptr) continue;
        if (!i->isAnimEnded()) i->updateAnim();
        else if (i->anim != b[1]) i->setAnimLoop(b[1], 0);
    }
    updatePlayerEnergy();
}

void Game::resetHudAnimations() {
    const int32_t starts[3][2] = {{12, 22}, {7, 7}, {10, 8}};
    for (const auto& s : starts)
        if (ASpriteInstance* i = hudInstance(s[0])) i->setAnimWithStep(s[1], 1, -1);
    resetHudState();
    fillPairsDefault(kHudLayout);
}

void Game::resetHudState() {
    HudStatics& h = hudStatics;
    stopAndForget(h.s_chainTimer);
    stopAndForget(h.s_chainTimerB);
    stopAndForget(h.s_chainBannerTimer);
    h.s_chainCount = 0;
    h.s_chainState = 0;
    h.s_chainBannerShown = 0;
    if (h.s_chainTimerC == -1) h.s_chainTimerC = timerAlloc();
    else restartTimer(h.s_chainTimerC);
    h.s_healthFlashLevel = 0;
    hudGauges.s_healthFlashStep = 0;
}

void Game::paintHudInstance(Graphics* g) {
    if (ASpriteInstance* i = hudInstance(1); i != nullptr && !noGraphics(g)) i->paint(g);
}

void Game::paintTargetSign(Graphics* g) {
    CObject* p = player();
    if (noGraphics(g) || p == nullptr || hudStatics.s_targetSignFrame <= -1 || isNull(p->m_sprite)) return;
    const MathStatics& m = mathStatics;
    paintFrameWithGraphics(spriteSlot(kTargetSprite), g, hudStatics.s_targetSignFrame, (p->m_sprite->x - m.cameraX) >> 14,
                           (p->m_sprite->y - m.cameraY) >> 14, 0);
}

void Game::paintRandomParticles(Graphics* g) {
    const GameObjectStatics& o = objects;
    if (noGraphics(g) || o.s_variantFlag || o.s_randomParticleCount < 1 || isNull(o.s_randomParticles)) return;
    for (int32_t k = 0; k < 2 && k < o.s_randomParticles->length; ++k) {
        auto* i = static_cast<ASpriteInstance*>(JArray::getRef(o.s_randomParticles, k));
        if (!isNull(i) && i->anim >= 0) i->paint(g);
    }
}

void Game::paintListInstance(Graphics* g, CObject* o) {
    if (noGraphics(g) || isNull(o) || o->param(10) != 1 || isNull(o->m_sprite)) return;
    ASprite* s = o->m_sprite->sprite;
    auto* record = static_cast<JArray*>(JArray::getRef(levelSetup.s_typeRecords, o->param(2)));
    const int32_t palette = isNull(record) ? 0 : JArray::getShort(record, 13);
    if (!isNull(s) && palette < s->paletteCount) s->setPalette(palette);
    o->m_sprite->paint(g);
}

void Game::paintSidePanel(Graphics* g) {
    int32_t* v = hudStatics.s_sidePanel;
    if (noGraphics(g) || v[0] == 0) return;
    if (v[2] == 0)
        if (CObject* p = player()) v[1] = p->param(5);
    IntArray* args = textStatics.textArgs;
    JArray::setInt(args, 0, v[1]);
    JArray::setInt(args, 1, v[3]);
    paintBanner(g, v[7] >> 14, 80, v[6], 5, 1, v[4], v[5]);
}

void Game::paintSlidingBanner(Graphics* g) {
    IntArray* b = layouts.s_slidingBanner;
    if (noGraphics(g) || isNull(b) || b->length < 3 || JArray::getInt(b, 0) == 0) return;
    paintBanner(g, JArray::getInt(b, 2) >> 14, 85, JArray::getInt(b, 1), 8, 0, 1, 7);
}

void Game::fillFramedRect(Graphics* g, int32_t fill, int32_t bar, int32_t max, int32_t value, int32_t x, int32_t y,
                          int32_t w, int32_t h, int32_t padX, int32_t padY, int32_t flags) {
    if (noGraphics(g)) return;
    IntArray* box = layoutBox(max, value, x, y, w, h, padX, padY, flags);
    if (isNull(box) || box->length < 4) return;
    if ((flags & 16) == 0) {
        g->setColor(fill);
        g->fillRect(x, y, w, h);
    }
    g->setColor(bar);
    g->fillRect(JArray::getInt(box, 0), JArray::getInt(box, 1), JArray::getInt(box, 2), JArray::getInt(box, 3));
    paintBlinkRect(g, flags);
}

void Game::countChainHit() {
    HudStatics& h = hudStatics;
    if (h.s_chainCount <= 0) {
        h.s_chainState = 1;
        if (h.s_chainTimer == -1) h.s_chainTimer = timerAlloc();
        else restartTimer(h.s_chainTimer);
    } else if (h.s_chainState == 3) {
        h.s_chainState = 1;
    }
    ++h.s_chainCount;
    if (h.s_chainCount % 5 == 0) emitRandomParticles();
    // The best chain is kept as an unsigned byte.
    ByteArray* saved = stateStatics.savedCounters;
    if (h.s_chainCount > (JArray::getByte(saved, 0) & 0xFF) && h.s_chainCount <= kBestChain)
        JArray::setByte(saved, 0, static_cast<int8_t>(h.s_chainCount));
    if (h.s_chainTimerB == -1) h.s_chainTimerB = timerAlloc();
    if (h.s_chainTimerC != -1) restartTimer(h.s_chainTimerC);
    if (h.s_chainCount % 6 == 5) showChainBanner();
}

void Game::showChainBanner() {
    HudStatics& h = hudStatics;
    if (h.s_chainBannerTimer == -1) h.s_chainBannerTimer = timerAlloc();
    else restartTimer(h.s_chainBannerTimer);
    h.s_chainBannerTime = kBannerInMs;
    h.s_chainBannerShown = 1;
    h.s_chainBannerText = std::min(h.s_chainCount / 5 + 4, 14);
}

void Game::paintPointsPanel(Graphics* g) {
    CObject* p = player();
    if (noGraphics(g) || p == nullptr) return;
    const Rect r = frameRect(spriteSlot(kInterfaceSprite), kGaugeFrame, 1);
    JArray::setInt(textStatics.textArgs, 0, p->param(20));
    const FontPalette palette(0, 0);
    drawString(g, stateStatics.fonts, 0, kHudTexts, kPointsText, 0, r.x + panelX(), r.y + panelY(), r.w, r.h, 0, 3);
}

void Game::paintChainBanner(Graphics* g) {
    HudStatics& h = hudStatics;
    if (h.s_chainBannerShown < 1) return;
    const int32_t e = getTimerElapsed(h.s_chainBannerTimer);
    if (e > h.s_chainBannerTime) {
        restartTimer(h.s_chainBannerTimer);
        if (h.s_chainBannerShown == 1) {
            h.s_chainBannerTime = kBannerHoldMs;
            h.s_chainBannerShown = 2;
        } else {
            h.s_chainBannerShown = 0;
            stopAndForget(h.s_chainBannerTimer);
        }
    }
    const int32_t w = chainRect(3).w;
    int32_t o = 0;
    if (h.s_chainBannerShown == 1) o = e > 0 ? w - (w * 16384) / ((h.s_chainBannerTime << 14) / e) : w;
    if (noGraphics(g)) return;
    const Rect r = chainRect(2);
    setTextStyleFlags(2);
    const FontPalette palette(1, 1);
    drawString(g, stateStatics.fonts, 0, kHudTexts, h.s_chainBannerText, 1, r.x - o, r.y + 480, r.w, r.h, 0, 36);
}

void Game::paintChainCounter(Graphics* g) {
    HudStatics& h = hudStatics;
    if (h.s_chainCount <= 0) return;
    const bool expired = getTimerElapsed(h.s_chainTimerC) >= kChainEndMs;
    int32_t scale = 100;
    bool pulse = false;
    if (h.s_chainTimerB != -1) {
        if (isTimerElapsed(h.s_chainTimerB, kPulseMs)) {
            stopAndForget(h.s_chainTimerB);
        } else {
            const int32_t e = getTimerElapsed(h.s_chainTimerB);
            scale = e > 0 ? 200 - 1638400 / (16384000 / e) : 200;
            pulse = true;
        }
    }
    const int32_t w = chainRect(3).w;
    int32_t o = 0;
    if (h.s_chainState == 1 || h.s_chainState == 3) {
        const int32_t e = getTimerElapsed(h.s_chainTimer);
        if (e >= kChainSlideMs) {
            h.s_chainState = h.s_chainState == 1 ? 2 : 0;
            stopAndForget(h.s_chainTimer);
        } else {
            o = e > 0 ? w - (w * 16384) / (8192000 / e) : w;
            if (h.s_chainState == 3) o = w - o;
        }
    }
    if (expired) {
        if (h.s_chainState != 2 && h.s_chainState != 3) {
            h.s_chainCount = 0;
            paintChainBanner(g);
            return;
        }
        h.s_chainState = 3;
        if (h.s_chainBannerShown != 0) {
            h.s_chainBannerShown = 0;
            stopAndForget(h.s_chainBannerTimer);
        }
        if (h.s_chainTimer < 0) h.s_chainTimer = timerAlloc();
    }
    if (!noGraphics(g)) {
        if (pulse) {
            setFlags(0x1);
            setTableInt(0, 0, scale);
        }
        if (ASpriteInstance* i = hudInstance(kChainInstance)) {
            const int32_t x = i->x;
            i->x = x - (o << 14);
            i->updateAnim();
            i->paint(g);
            i->x = x;
        }
        JArray::setInt(textStatics.textArgs, 0, h.s_chainCount);
        setTextStyleFlags(2);
        const FontPalette palette(1, 1);
        const Rect r0 = chainRect(0);
        drawString(g, stateStatics.fonts, 0, kHudTexts, kChainNumberText, 1, r0.x - o + 130, r0.y + 510, r0.w, r0.h,
                   0, 40);
        if (pulse) clearFlag(0x1);
        const Rect r1 = chainRect(1);
        drawString(g, stateStatics.fonts, 0, kHudTexts, kChainLabelText, 1, r1.x - o + 130, r1.y + 510, r1.w, r1.h,
                   0, 36);
    }
    paintChainBanner(g);
}

void Game::paintHudPanel(Graphics* g, int32_t x, int32_t y, bool full) {
    for (int32_t e : {kPanelElement, kGaugeElement}) {
        setLayoutElementX(kHudLayout, e, x);
        setLayoutElementY(kHudLayout, e, y);
    }
    if (full) {
        paintHealthPanel(g);
        if (objects.s_currentItem >= 0 && objects.s_currentItem <= 4) paintEnergyPanel(g);
    }
    if (overlayStatics.gameState == GameInput::kStateGameplay) paintChainCounter(g);
    paintLayoutSprite(g, kHudLayout, kPanelElement, 0, 0, false);
    paintPointsGauge(g);
    paintPointsPanel(g);
}
