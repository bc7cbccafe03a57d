// The game-level key and pointer state that the framework keeps for the game (statics of Game),
// and the pointer events of the game's canvas.
#pragma once

#include <atomic>
#include <cstdint>

#include "runtime/core/object.h"

class IntArray;
class ObjectArray;
class javax_microedition_lcdui_Displayable;

class GameInput {
public:
    using Canvas = javax_microedition_lcdui_Displayable;

    static constexpr int32_t kStateGameplay = 7;
    static constexpr int32_t kStatePromotion = 19;
    static constexpr int32_t kNoKeyCode = -1000;
    static constexpr int32_t kNoLastKeyCode = -256;
    static constexpr int32_t kKeyQueueLength = 5;

    // The fields written by the canvas's key and pen events on the UI thread and read by the frame
    // on the game thread are atomics: each is a value of its own, so no lock orders them.
    struct Statics {
        int32_t keysPressed;
        int32_t keysHeld;
        int32_t keysRepeat;
        int32_t keysDoublePressed;
        int32_t lastPressMask;
        int64_t lastPressTime;
        std::atomic<int32_t> keyLockFrames;
        std::atomic<int32_t> stickyKeys;
        uint8_t keyReleasedFlag;
        std::atomic<int32_t> currentKeyCode;
        std::atomic<int32_t> lastKeyCode;
        IntArray* keyQueue;  // int[5]
        std::atomic<int32_t> keyQueueCount;
        std::atomic<uint8_t> keyQueueEnabled;

        std::atomic<int32_t> pointerPressX, pointerPressY;
        std::atomic<int32_t> pointerReleaseX, pointerReleaseY;
        std::atomic<uint8_t> pointerDown;
        std::atomic<uint8_t> pointerDragged;
        std::atomic<uint8_t> pointerReleased;
        std::atomic<int64_t> pointerDownTime;
        int32_t softKeyBarHeight;
        int32_t touchGridTop;
        int32_t touchCellWidth, touchCellHeight;
        ObjectArray* touchGridCodes;  // int[3][3], [row][column]

        MRC_REF_FIELDS(&Statics::keyQueue, &Statics::touchGridCodes);
    };
    static Statics inputStatics;

    // The start values (the Game class's static initialiser sets these among its own).
    static void initInputStatics();

    // The game state and the promotion screen's pen handling belong to the game; without a hook the
    // state is GameOverlay's gameState, and the promotion screen's handlers do nothing.
    struct Hooks {
        int32_t (*gameState)() = nullptr;
        void (*promotionHighlight)(int32_t x, int32_t y) = nullptr;  // IGP::pointerDragged
        void (*promotionActivate)(int32_t x, int32_t y) = nullptr;   // IGP::pointerPressed
        void (*promotionDrag)(int32_t x, int32_t y) = nullptr;       // IGP::pointerReleased
    };
    static Hooks inputHooks;
    static int32_t gameState();

    // The canvas's pointer events (UI thread).
    static void onPointerPressed(int32_t x, int32_t y);
    static void onPointerReleased(Canvas* canvas, int32_t x, int32_t y);
    static void onPointerDragged(Canvas* canvas, int32_t x, int32_t y);
};
