#include "framework/core/game_input.h"

#include "framework/core/game_overlay.h"
#include "host/core/clock.h"
#include "platform/lcdui/displayable.h"
#include "runtime/core/application.h"
#include "runtime/core/arrays.h"
#include "runtime/core/object_manager.h"

GameInput::Statics GameInput::inputStatics;
GameInput::Hooks GameInput::inputHooks;

void GameInput::initInputStatics() {
    Statics& s = inputStatics;
    s.keyReleasedFlag = 1;
    s.currentKeyCode = kNoKeyCode;
    s.lastKeyCode = kNoLastKeyCode;
    s.pointerDownTime = host::tickCount64();
    s.softKeyBarHeight = 60;
    s.touchGridTop = 268;
    s.touchCellWidth = 70;
    s.touchCellHeight = 70;
    mrc::ObjectManager* om = mrc::ApplicationImpl::getApplication()->objectManager;
    s.keyQueue = om->newIntArray(kKeyQueueLength);
    s.touchGridCodes = om->newObjectArray(mrc::kClass_IntArray, 3);
    if (s.touchGridCodes == nullptr) return;
    for (int32_t r = 0; r < 3; ++r) {
        IntArray* row = om->newIntArray(3);
        if (row == nullptr) return;
        for (int32_t c = 0; c < 3; ++c) row->elements()[c] = '1' + r * 3 + c;
        s.touchGridCodes->elements()[r] = row;
    }
}

int32_t GameInput::gameState() {
    return inputHooks.gameState != nullptr ? inputHooks.gameState() : GameOverlay::overlayStatics.gameState;
}

void GameInput::onPointerPressed(int32_t x, int32_t y) {
    Statics& s = inputStatics;
    s.pointerDown = 1;
    s.pointerPressX = x;
    s.pointerPressY = y;
    s.pointerDownTime = host::tickCount64();
    if (gameState() == kStatePromotion && inputHooks.promotionHighlight != nullptr) inputHooks.promotionHighlight(x, y);
}

void GameInput::onPointerReleased(Canvas* canvas, int32_t x, int32_t y) {
    Statics& s = inputStatics;
    if (gameState() != kStateGameplay) {
        s.pointerDown = 0;
        s.pointerDragged = 0;
    }
    // The position before the flag: a frame that sees the release pending reads where it was.
    s.pointerReleaseX = x;
    s.pointerReleaseY = y;
    s.pointerReleased = 1;
    if (gameState() == kStatePromotion && inputHooks.promotionActivate != nullptr) inputHooks.promotionActivate(x, y);
    if (canvas != nullptr) canvas->keyReleased(s.lastKeyCode);
    s.lastKeyCode = kNoLastKeyCode;
}

void GameInput::onPointerDragged(Canvas* canvas, int32_t x, int32_t y) {
    inputStatics.pointerDragged = 1;
    if (canvas != nullptr) canvas->pointerPressed(x, y);
    if (gameState() == kStatePromotion && inputHooks.promotionDrag != nullptr) inputHooks.promotionDrag(x, y);
}
