// The statics of `Game` that the frame step, the state machine, the start-up and loading states,
// the loader and the canvas's touch input own (the state, sub-step and history themselves are
// GameOverlay's, the pointer and key state GameInput's).
#pragma once

#include <atomic>
#include <cstdint>

#include "runtime/core/object.h"

class ByteArray;
class IntArray;
class Long64Array;
class ObjectArray;
class ShortArray;
class javax_microedition_lcdui_Graphics;
class javax_microedition_lcdui_Image;

class GameStateStatics {
public:
    struct StateStatics {
        // ---- frame and state ----
        javax_microedition_lcdui_Graphics* graphics;  // what every painter draws into this frame
        javax_microedition_lcdui_Image* overlayImage;  // an alternative frame target
        javax_microedition_lcdui_Graphics* overlayGraphics;
        int32_t overlayFlags;  // active overlay users: the frame paints through overlayImage
        int32_t overlayOnce;   // the same for one frame
        int64_t frameStartTicks;
        int64_t lastFrameTicks;
        int64_t frameTime;      // this frame's length, 0..100 ms
        int64_t frameNumber;    // frames run since start-up (the state trace names it)
        uint8_t redraw;         // the screen needs painting
        int32_t stateTicks;     // logic steps spent in the current state
        uint8_t restartPending;

        // ---- start-up and loading ----
        uint8_t loadActive;   // the sequence shows its gauge; the tap point's prompt is not painted yet
        uint8_t loadWaitTap;  // the tap point's prompt was painted
        ObjectArray* loadScript;  // int[][]; null: none
        int32_t loadIndex;        // next command
        int32_t loadProgressBase;
        int32_t loadProgressTotal;
        int64_t startupNoticeTicks;  // when start-up sub-step 5 began
        uint8_t soundStarted;

        // ---- resources ----
        ObjectArray* sprites;       // ASprite[60]
        ObjectArray* fonts;         // ASprite[2]: the screen sprites (fonts)
        ObjectArray* hudInstances;  // ASpriteInstance[34]; 0 is the start-up emblem
        javax_microedition_lcdui_Image* bufferImage;  // 800 x 480 background picture
        javax_microedition_lcdui_Graphics* bufferGraphics;
        Long64Array* dirtyRects;  // long[20]: x | y << 16 | w << 32 | h << 48
        IntArray* dirtyRect;      // int[4]
        int32_t dirtyCount;
        uint8_t backgroundPending;
        ByteArray* kindCounts;     // byte[15]
        ShortArray* kindIndex;     // short[15]
        ByteArray* savedCounters;  // byte[11]
        ObjectArray* hudImages;    // Image[7]: the touch controls
        int32_t platformFlags;

        // ---- touch input ----
        int32_t playerScreenX, playerScreenY;
        int32_t touchColumnLeft, touchColumnRight, touchRowTop, touchRowBottom;
        int32_t padTop, padCellWidth, padCellHeight;
        ObjectArray* padKeys;  // int[3][3]: '1'..'9'
        uint8_t padShown;
        uint8_t padHeld, padKey5Held, padKey0Held, pauseButtonLit;
        uint8_t touchIsAction;
        uint8_t softLeftLit, softRightLit;
        uint8_t promoSecondEntry;
        int32_t playMode;
        int32_t currentLevel;

        // ---- dialog ----
        int32_t dialogArrow;   // arrow corner 0-7, -1 none
        int32_t dialogExtent;  // text extent of the dialog

        MRC_REF_FIELDS(&StateStatics::graphics, &StateStatics::overlayImage, &StateStatics::overlayGraphics,
                       &StateStatics::loadScript, &StateStatics::sprites, &StateStatics::fonts,
                       &StateStatics::hudInstances, &StateStatics::bufferImage, &StateStatics::bufferGraphics,
                       &StateStatics::dirtyRects, &StateStatics::dirtyRect, &StateStatics::kindCounts,
                       &StateStatics::kindIndex, &StateStatics::savedCounters, &StateStatics::hudImages,
                       &StateStatics::padKeys);
    };
    static StateStatics stateStatics;

    // The start values (part of the Game class's static initialiser).
    static void initStateStatics();
};

namespace mrc {
// Registers the block with StaticClass; idempotent.
void registerGameStateStatics();
}  // namespace mrc
