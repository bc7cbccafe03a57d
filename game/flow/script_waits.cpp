// The per-frame steps the event scripts wait on (the confirm prompt, the gauge refills, the
// overlay sequence), the timed screen pieces that go with them (the blinking bar rectangle, the
// dimmed background, the scrolling text, the side panel's slide) and the player's energy.
#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "game/flow/game.h"
#include "game/flow/hud_draw.h"
#include "game/objects/cobject.h"
#include "platform/lcdui/graphics.h"
#include "platform/lcdui/image.h"
#include "runtime/core/arrays.h"

namespace {

using namespace hud_draw;

constexpr int32_t kPressFlag = 0x10, kPressDelayMs = 300, kPressFrames = 5;
constexpr int32_t kPromptInstance = 2, kPromptPoolSlot = 10;
constexpr int32_t kOverlayInstance = 22, kOverlayOpen = 55, kOverlayShown = 56, kOverlayClose = 57;
constexpr int32_t kBlinkFlag = 8;
constexpr int32_t kDimMs = 500;
constexpr int32_t kTextSpeed = 491, kPointerSpeed = 3276, kKeySpeed = 1638;
constexpr int32_t kScrollTop = 0x780000;  // 480 pixels
constexpr int32_t kPanelSpeed = 2457600;  // 150 pixels per second
constexpr int32_t kPanelOut = 0xC80000;   // 800 pixels
constexpr int32_t kEnergyInstance = 19;

int32_t frameTime() { return static_cast<int32_t>(Game::stateStatics.frameTime); }

bool inside(int32_t px, int32_t py, int32_t x, int32_t y, int32_t w, int32_t h) {
    return px >= x && px < x + w && py >= y && py < y + h;
}

}  // namespace

bool Game::waitForConfirm(bool skip) {
    setPlayerAnimState();
    // The paging state the prompt boxes open and paint.
    PromptStatics& h = prompts;
    int32_t& state = layouts.s_promptState;
    const bool wasDone = state == 2;
    if (state == 0) {
        if ((h.s_promptFlags & kPressFlag) == 0) {
            state = 1;
        } else if (isTimerElapsed(h.s_promptTimer, kPressDelayMs)) {
            state = 1;
            stopTimer(h.s_promptTimer);
            h.s_promptTimer = -1;
        }
    } else if (state == 1) {
        if ((inputStatics.keysPressed & kConfirmMask) != 0) {
            if (!h.s_promptPressed) {
                h.s_promptPressed = true;
                restartTimer(h.s_promptTimer);
            } else if (h.s_promptPressFrames >= kPressFrames) {
                h.s_promptPressFrames = 0;
                h.s_promptPressed = false;
                if (h.s_promptLastPage) {
                    state = 2;
                    h.s_promptPage = 0;
                    h.s_promptDone = true;
                } else {
                    ++h.s_promptPage;
                }
            }
        }
        if (h.s_promptPressed) {
            if (ASpriteInstance* i = hudInstance(kPromptInstance)) i->updateAnim();
            ++h.s_promptPressFrames;
        }
    }
    const bool done = wasDone || skip;
    if (done) {
        releasePoolSlot(kPromptPoolSlot);
        layouts.s_promptValueA = 0;
        h.s_promptValueB = 0;
        // The UI thread only posts pending presses, so the words the frame reads are cleared
        // here, on the game thread, with one frame of key lock.
        resetKeys(1);
    }
    return done;
}

bool Game::stepGaugeRefill() {
    if (!isScriptObjectFree()) return true;
    HudStatics& h = hudStatics;
    bool finished = false;
    for (int32_t k = 0; k < HudStatics::kGauges; ++k) {
        if (h.s_refillPending[k] < 1) continue;
        h.s_refillStep = frameTime() * h.s_refillRate[k];
        const bool full = CObject::addToGauge(objects.s_player, k, h.s_refillStep);
        const int32_t left = h.s_refillPending[k] - std::abs(h.s_refillStep);
        if (full || left < 0) {
            h.s_refillPending[k] = 0;
            h.s_refillRate[k] = 0;
            finished = true;
        } else {
            h.s_refillPending[k] = left;
        }
    }
    return finished;
}

void Game::startOverlaySequence() {
    HudStatics& h = hudStatics;
    h.s_overlayAnimActive = 1;
    h.s_overlayAnimPhase = 0;
    if (h.s_overlayAnimTimer == -1) h.s_overlayAnimTimer = timerAlloc();
    else restartTimer(h.s_overlayAnimTimer);
    if (ASpriteInstance* i = hudInstance(kOverlayInstance)) i->setAnim(kOverlayOpen);
}

bool Game::checkTimerExpired() {
    HudStatics& h = hudStatics;
    if (h.s_overlayAnimPhase != 0) return true;
    if (getTimerElapsed(h.s_overlayAnimTimer) >= h.s_overlayAnimDuration) {
        h.s_overlayAnimPhase = 1;
        if (ASpriteInstance* i = hudInstance(kOverlayInstance)) i->setAnim(kOverlayShown);
    }
    return false;
}

bool Game::runTimedOverlay() {
    HudStatics& h = hudStatics;
    switch (h.s_overlayAnimPhase) {
        case 0:
        case 1:
            h.s_overlayAnimPhase = 2;
            restartTimer(h.s_overlayAnimTimer);
            if (ASpriteInstance* i = hudInstance(kOverlayInstance)) i->setAnim(kOverlayClose);
            return false;
        case 2:
            if (getTimerElapsed(h.s_overlayAnimTimer) < h.s_overlayAnimDuration) return false;
            stopTimer(h.s_overlayAnimTimer);
            h.s_overlayAnimTimer = -1;
            h.s_overlayAnimPhase = -1;
            h.s_overlayAnimActive = 0;
            return true;
        default:
            h.s_overlayAnimActive = 0;
            return true;
    }
}

void Game::stopBlinkRect() {
    HudStatics& h = hudStatics;
    h.s_blinkValue = 0;
    h.s_blinkTarget = 0;
    stopTimer(h.s_blinkTimer);
    h.s_blinkTimer = -1;
}

void Game::paintBlinkRect(Graphics* g, int32_t flags) {
    HudStatics& h = hudStatics;
    if ((flags & kBlinkFlag) == 0 || h.s_blinkValue == h.s_blinkTarget) return;
    if (isTimerElapsed(h.s_blinkTimer, h.s_blinkPeriod)) ++h.s_blinkCount;
    if (h.s_blinkCount % 2 == 0 && !noGraphics(g)) {
        IntArray* r = overlayStatics.boxRects;
        g->setColor(h.s_blinkColour);
        g->fillRect(JArray::getInt(r, 4), JArray::getInt(r, 5), JArray::getInt(r, 6), JArray::getInt(r, 7));
    }
    if (h.s_blinkCount > h.s_blinkLimit) stopBlinkRect();
}

void Game::paintDimmedBackground(Graphics* g) {
    if (noGraphics(g)) return;
    if (!isNull(stateStatics.bufferImage)) g->drawImage(stateStatics.bufferImage, 0, 0, 0);
    const int32_t timer = objects.s_levelTimer;
    const int64_t e = timer < 0 ? -1 : getTimerElapsed(timer);
    const int32_t f = static_cast<int32_t>(std::min<int64_t>(e * 16384, 8192000) / kDimMs);
    const int32_t alpha = 128 + ((f * 127) >> 14);
    fillOverlay(alpha << 24);
    drawOverlayRect(g, 0, 0, kScreenWidth, kScreenHeight);
}

bool Game::touchZone(bool keys) {
    int32_t speed = kTextSpeed;
    const GameInput::Statics& in = inputStatics;
    if (in.pointerDown) {
        const int32_t px = in.pointerPressX, py = in.pointerPressY;
        if (inside(px, py, 0, 0, 800, 240)) speed = -kPointerSpeed;
        else if (inside(px, py, 0, 240, 800, 180)) speed = kPointerSpeed;
    }
    if (keys) {
        if ((in.keysHeld & 0x4004) != 0) speed = kKeySpeed;
        else if ((in.keysHeld & 0x102) != 0) speed = -kKeySpeed;
    }
    MenuStatics& m = menuStatics;
    m.scrollY -= frameTime() * speed;
    stateStatics.redraw = 1;
    if (m.scrollY < m.scrollEnd) {
        m.scrollY = kScrollTop;
        return true;
    }
    if (m.scrollY > kScrollTop && speed < 0) m.scrollY = m.scrollEnd;
    return false;
}

void Game::updatePanelSlide() {
    int32_t* v = hudStatics.s_sidePanel;
    if (v[0] == 0) return;
    const int32_t step = frameTime() * kPanelSpeed / 1000;
    if (v[0] == 1) {
        v[7] -= step;
        if (v[7] <= (800 - v[6]) << 14) {
            v[7] = (800 - v[6]) << 14;
            v[0] = 2;
        }
    } else if (v[0] == 3) {
        v[7] += step;
        if (v[7] >= kPanelOut) {
            v[7] = kPanelOut;
            v[0] = 0;
        }
    }
}

void Game::updatePlayerEnergy() {
    if (ASpriteInstance* i = hudInstance(kEnergyInstance)) i->updateAnim();
    CObject* p = player();
    if (p == nullptr) return;
    const HudStatics& h = hudStatics;
    const int64_t ms = frameTime();
    if (h.s_energyMode == 0 && p->param(14) > 0) {
        int32_t k = 25;
        if (h.s_energyUpgradeOn && isHeldObjectActive()) {
            const int32_t level = getUpgradeLevelAlt(objects.s_currentItem);
            if (level > 0) k = 25 - level * 25 / 10;
        }
        const int64_t drain = (int64_t(getPackedShort(p->param(4), 5)) * 16384 * k / 100) * ms / 1000;
        p->setParam(15, static_cast<int32_t>(std::max<int64_t>(p->param(15) - drain, 0)));
        p->setParam(14, static_cast<int32_t>(std::max<int64_t>(p->param(14) - drain, 0)));
    } else if (h.s_energyMode == 0) {
        const int32_t rate = (JArray::getByte(flowStatics.s_settings, 3) == 2) ? 1000 : 5;
        const int64_t add = (int64_t(p->param(18)) * rate / 100) * ms / 1000;
        p->setParam(15, static_cast<int32_t>(std::min<int64_t>(p->param(15) + add, p->param(18))));
    } else if (h.s_energyMode == 1) {
        const int32_t rate = (objects.s_playerFlags & 0x80) != 0 ? 200 : 100;
        const int64_t add = (int64_t(p->param(18)) * rate / 100) * ms / 1000;
        p->setParam(14, static_cast<int32_t>(std::min<int64_t>(p->param(14) + add, p->param(15))));
    }
}

void Game::restoreObjectState(CObject* o) {
    hudStatics.s_energyMode = 0;
    if (!isNull(o)) o->setParam(14, hudStatics.s_savedEnergy);
}
