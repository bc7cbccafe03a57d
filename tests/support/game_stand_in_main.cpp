// veltrano_game_stand_in: veltrano wired as it ships (KetraKRVD creating the Game, the game thread,
// the frame driver), with a stand-in for the update of the promotion-screen state that it sits in. Each frame logs
// its number and thread ("GameStandIn frame N on the game thread") and draws a white bar N pixels
// wide at the top of a blue screen, below it a bar as wide as the tick count modulo 800, and a
// square in the middle while a key is held. The game sits in the promotion-screen state, so that its
// hideNotify and showNotify reach the promotion hooks, which log "GameStandIn parked" and
// "GameStandIn unparked".
//
// Environment: VELTRANO_STAND_IN_THROW_AT=N raises an exception in frame N;
// VELTRANO_STAND_IN_THROW=error makes it a java_lang_Error instead of a java_lang_IllegalStateException.
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/wiring.h"
#include "framework/core/game_hooks.h"
#include "framework/core/game_input.h"
#include "framework/core/game_overlay.h"
#include "game/flow/game.h"
#include "host/core/clock.h"
#include "host/core/log.h"
#include "platform/app/launcher.h"
#include "platform/lcdui/graphics.h"
#include "runtime/core/application.h"
#include "runtime/lang/throwable.h"

namespace {

constexpr uint32_t kBackground = 0x2040C0;
constexpr uint32_t kCounter = 0xFFFFFF;
constexpr uint32_t kKeyHeld = 0xFF0000;
constexpr int32_t kCounterHeight = 10;

std::atomic<int> g_frames{0};
int g_throwAt = -1;
uint16_t g_throwClass = mrc::kClass_java_lang_IllegalStateException;
void (*g_initGame)(QXLib*, javax_microedition_midlet_MIDlet*, javax_microedition_lcdui_Display*) = nullptr;

bool onUiThread() {
    mrc::ApplicationImpl* impl = mrc::ApplicationImpl::getInstance();
    return impl->currentSlot() == &impl->threads[0];
}

void standInFrame(Game*) {
    int n = ++g_frames;
    mrc_log("GameStandIn frame %d on the %s thread", n, onUiThread() ? "UI" : "game");
    if (javax_microedition_lcdui_Graphics* g = QXLib::canvasStatics.currentGraphics) {
        g->setColor(kBackground);
        g->fillRect(0, 0, Game::kScreenWidth, Game::kScreenHeight);
        g->setColor(kCounter);
        g->fillRect(0, 0, n, kCounterHeight);
        g->fillRect(0, 2 * kCounterHeight, static_cast<int32_t>(host::tickCount() % 800), kCounterHeight);
        if (GameInput::inputStatics.currentKeyCode.load() != GameInput::kNoKeyCode) {
            g->setColor(kKeyHeld);
            g->fillRect(380, 220, 40, 40);
        }
    }
    if (n == g_throwAt) {
        char text[48];
        std::snprintf(text, sizeof text, "stand-in failure in frame %d", n);
        mrc::raise(g_throwClass, text);
    }
}

// The game's constructor, then the promotion-screen state, set before the game thread starts.
void initGame(QXLib* canvas, javax_microedition_midlet_MIDlet* midlet, javax_microedition_lcdui_Display* display) {
    g_initGame(canvas, midlet, display);
    GameOverlay::overlayStatics.gameState = GameInput::kStatePromotion;
}

}  // namespace

int main(int argc, char** argv) {
    mrc::wireVeltrano();
    if (const char* at = std::getenv("VELTRANO_STAND_IN_THROW_AT")) g_throwAt = std::atoi(at);
    if (const char* kind = std::getenv("VELTRANO_STAND_IN_THROW"); kind && std::strcmp(kind, "error") == 0)
        g_throwClass = mrc::kClass_java_lang_Error;
    g_initGame = gameHooks().initGame;
    gameHooks().initGame = &initGame;
    Game::stateUpdates[GameInput::kStatePromotion] = &standInFrame;
    Game::promoHooks.showMessage = [](javax_microedition_midlet_MIDlet*, Game*, int32_t w, int32_t h, Object*) {
        mrc_log("GameStandIn promotion screen %dx%d", w, h);
    };
    Game::promoHooks.park = [] { mrc_log("GameStandIn parked"); };
    Game::promoHooks.unpark = [] { mrc_log("GameStandIn unparked"); };
    return mrc::veltranoMain(argc, argv);
}
