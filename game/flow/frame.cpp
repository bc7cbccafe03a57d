// The frame step and the state machine of the game canvas.
#include <atomic>

#include "framework/core/game_hooks.h"
#include "framework/core/ketra_krvd.h"
#include "framework/sprite/sprite_instance.h"
#include "game/flow/game.h"
#include "host/core/clock.h"
#include "host/core/log.h"
#include "platform/lcdui/graphics.h"
#include "platform/lcdui/image.h"
#include "runtime/core/arrays.h"

Game::StateUpdate Game::stateUpdates[Game::kStateSlots];
Game::StatePaint Game::statePaints[Game::kStateSlots];

namespace {

constexpr int32_t kTopLeft = 20;
constexpr int32_t kGameplay = Game::kStateGameplay;

}  // namespace

void Game::initStateTables() {
    for (int32_t i = 0; i < kStateSlots; ++i) {
        stateUpdates[i] = nullptr;
        statePaints[i] = nullptr;
    }
    stateUpdates[kStateBoot] = [](Game*) {
        openDataStreams();
        enterStartup();
    };
    statePaints[kStateBoot] = [](Game*, Graphics* g) { paintBoot(g); };
    stateUpdates[kStateStartup] = [](Game* game) { game->updateStartup(); };
    statePaints[kStateStartup] = [](Game*, Graphics* g) { paintBackground(g); };
    stateUpdates[kStateLoading] = [](Game* game) { game->updateLoading(); };
    statePaints[kStateLoading] = [](Game*, Graphics* g) { paintLoading(g); };
    stateUpdates[kStateGameplay] = [](Game*) { updateGameplay(0); };
    statePaints[kStateGameplay] = [](Game*, Graphics* g) { paintGameplay(g); };
    stateUpdates[kStateNotice] = [](Game*) { updateNotice(); };
    statePaints[kStateNotice] = [](Game*, Graphics* g) { paintOverlay(g); };
    stateUpdates[kStateQuit] = [](Game*) { quitGame(); };
    initMenuStates();
    initLevelScreenStates();
    // The other screens (title, menus, level set-up and play, the full-screen states, the
    // promotion screen) enter their own entries as they are built.
}

void Game::runFrame() {
    StateStatics& s = stateStatics;
    // 1. Frame time from the 64-bit tick count; a clock that went back counts as 0.
    const int64_t now = host::tickCount64();
    int64_t frame = now - s.lastFrameTicks;
    if (frame < 0) frame = 0;
    if (frame > kMaxFrameMs) frame = kMaxFrameMs;
    s.frameTime = frame;
    s.frameStartTicks = now;
    s.lastFrameTicks = now;
    timerStatics.gameTime = now;
    ++s.frameNumber;
    // 2. Logic steps.
    ASpriteInstance::advanceFrameClock(static_cast<int32_t>(frame));
    // 3. The frame's Graphics.
    Graphics* g = canvasStatics.currentGraphics;
    s.graphics = g;
    ASprite::statics.currentGraphics = g;
    // 4-8.
    handlePointer();
    s.redraw = 1;
    computeKeyMasks(this);
    updateState();
    paintState();
}

void Game::updateState() {
    if (flowStatics.pendingResume.load() != 0) onResume();
    // Every state's frame, gameplay and screens alike, keeps the display lit.
    refreshBacklight();
    const int32_t state = overlayStatics.gameState;
    if (state >= 0 && state < kStateSlots && stateUpdates[state] != nullptr) stateUpdates[state](this);
    stateStatics.stateTicks += ASpriteInstance::statics.logicStepsThisFrame;
}

void Game::paintState() {
    StateStatics& s = stateStatics;
    const bool overlay = s.overlayFlags != 0 || s.overlayOnce != 0;
    Graphics* target = overlay ? s.overlayGraphics : s.graphics;
    const int32_t state = overlayStatics.gameState;
    if (state >= 0 && state < kStateSlots && statePaints[state] != nullptr && !isNull(target))
        statePaints[state](this, target);
    if (overlay) {
        if (!isNull(s.graphics) && !isNull(s.overlayImage)) s.graphics->drawImage(s.overlayImage, 0, 0, kTopLeft);
        s.overlayOnce = 0;
    }
}

void Game::pushState() {
    GameOverlay::OverlayStatics& o = overlayStatics;
    o.stateHistoryIndex = o.stateHistoryIndex >= kHistoryLength - 1 ? 0 : o.stateHistoryIndex + 1;
    ShortArray* history = o.stateHistory;
    if (isNull(history) || o.stateHistoryIndex >= history->length) return;
    history->elements()[o.stateHistoryIndex] = static_cast<int16_t>(o.gameState | o.gameSubState << 8);
}

void Game::setState(int32_t state, int32_t substate) {
    GameOverlay::OverlayStatics& o = overlayStatics;
    if (state == kGameplay) {
        if (substate == 5 || substate == 2) pauseTimersOfType23Objects();
        else if (o.gameSubState == 5 || o.gameSubState == 2) resumeTimersOfType23Objects();
    }
    if (host::traceStates())
        mrc_log("state %d.%d -> %d.%d at frame %lld", o.gameState, o.gameSubState, state, substate,
                static_cast<long long>(stateStatics.frameNumber));
    pushState();
    o.gameState = state;
    o.gameSubState = substate;
    stateStatics.redraw = 1;
    if (state != kGameplay) stateStatics.stateTicks = 0;
}

void Game::enterStartup() {
    resetTimers();
    setState(kStateStartup, 1);
}

void Game::onResume() {
    flowStatics.pendingResume = 0;
    GameInput::Statics& in = inputStatics;
    in.keyLockFrames = 0;
    in.keysPressed = in.keysHeld = in.keysRepeat = in.keysDoublePressed = in.lastPressMask = 0;
    in.stickyKeys = 0;
    clearKeys();
    stateStatics.redraw = 1;
    const int32_t state = overlayStatics.gameState;
    if (state == kStateMenu) {
        if (overlayStatics.gameSubState == 10) reopenOptionList();
    } else if (state == kGameplay) {
        setMenu(1, 1, -1);  // the pause menu; the timers stay paused
    } else if (state != kStateSubmenu) {
        resumeAllTimers();
    }
    if (overlayStatics.gameState == kStateMenu) {
        switch (overlayStatics.gameSubState) {
            case 14: case 6: case 2: case 3: case 4: case 5: case 8: setMenuCursor(1); break;
            default: break;
        }
    }
}

void Game::updateNotice() {
    if (overlayStatics.gameSubState == 0 && touchZone(0)) setSubstate(1);
}

void Game::paintBoot(Graphics* g) {
    g->setColor(0x000000);
    g->fillRect(0, 0, kScreenWidth, kScreenHeight);
    Graphics* buffer = stateStatics.bufferGraphics;
    if (!isNull(buffer)) {
        buffer->setColor(0xFFFFFF);
        buffer->fillRect(0, 0, kScreenWidth, kScreenHeight);
    }
}

void Game::quitGame() {
    javax_microedition_midlet_MIDlet* midlet = canvasStatics.midlet;
    if (!isNull(midlet)) midlet->destroyApp(true);
}
