// The timed two-choice prompt of the event scripts and the slide of the information banner.
#include "framework/sprite/sprite_instance.h"
#include "game/flow/game.h"
#include "runtime/core/arrays.h"

namespace {

constexpr int32_t kUpKeys = 0x102, kDownKeys = 0x4004;
constexpr int32_t kOpeningMs = 500, kChosenMs = 1000, kBlinkMs = 50;
constexpr int32_t kPromptInstance = 4;
constexpr int32_t kBannerSpeed = 150 << 14;  // pixels per second, 14 fraction bits
constexpr int32_t kBannerHoldMs = 1000;

int32_t byteOf(int32_t packed, int32_t i) { return (packed >> (8 * i)) & 0xFF; }
int32_t withByte(int32_t packed, int32_t i, int32_t v) {
    if (v > 255 || v < 0) v = 255;
    return (packed & ~(0xFF << (8 * i))) | (v << (8 * i));
}

}  // namespace

bool Game::updateTimedEffectSequence() {
    setPlayerAnimState();
    LayoutStatics& l = layouts;
    bool over = false;
    switch (l.s_promptState) {
        case 3:
            l.s_promptPacked = withByte(l.s_promptPacked, 2, timerAlloc());
            l.s_promptState = 4;
            break;
        case 4:
            if (isTimerElapsed(byteOf(l.s_promptPacked, 2), kOpeningMs)) l.s_promptState = 5;
            break;
        case 5:
            if (isTimerElapsed(byteOf(l.s_promptPacked, 2), kOpeningMs)) {
                stopTimer(byteOf(l.s_promptPacked, 2));
                l.s_promptState = 6;
            }
            break;
        case 6: {
            const int32_t keys = inputStatics.keysPressed;
            if ((keys & (kUpKeys | kDownKeys)) != 0)
                l.s_promptPacked = withByte(l.s_promptPacked, 0, byteOf(l.s_promptPacked, 0) == 0 ? 1 : 0);
            if ((keys & kConfirmMask) != 0) {
                l.s_promptPacked = withByte(l.s_promptPacked, 1, timerAlloc());
                l.s_promptPacked = withByte(l.s_promptPacked, 2, timerAlloc());
                l.s_promptState = 7;
            }
            break;
        }
        case 7:
            if (isTimerElapsed(byteOf(l.s_promptPacked, 2), kChosenMs)) {
                l.s_promptValueA = 0;
                stopTimer(byteOf(l.s_promptPacked, 1));
                stopTimer(byteOf(l.s_promptPacked, 2));
                over = true;
            } else if (isTimerElapsed(byteOf(l.s_promptPacked, 1), kBlinkMs)) {
                l.s_promptPacked = withByte(l.s_promptPacked, 3, byteOf(l.s_promptPacked, 3) ^ 1);
            }
            break;
        default: break;
    }
    auto* instance = static_cast<ASpriteInstance*>(JArray::getRef(stateStatics.hudInstances, kPromptInstance));
    if (!isNull(instance)) instance->updateAnim();
    return over;
}

void Game::updateSlidingBanner() {
    IntArray* b = layouts.s_slidingBanner;
    if (isNull(b) || b->length < 4) return;
    int32_t* v = b->elements();
    const int32_t step = static_cast<int32_t>(stateStatics.frameTime * kBannerSpeed / 1000);
    const int32_t hidden = -(v[1] << 14);
    switch (v[0]) {
        case 1:
            v[2] += step;
            if (v[2] >= 0) {
                v[2] = 0;
                v[0] = 2;
                if (v[3] == -1) v[3] = timerAlloc();
                else restartTimer(v[3]);
            }
            break;
        case 2:
            if (isTimerElapsed(v[3], kBannerHoldMs)) {
                stopTimer(v[3]);
                v[3] = -1;
                v[0] = 3;
            }
            break;
        case 3:
            v[2] -= step;
            if (v[2] <= hidden) {
                v[2] = hidden;
                v[0] = 0;
            }
            break;
        default: break;
    }
}
