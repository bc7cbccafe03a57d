// The game's statics of translucency, paint effects, the glow, the perspective plane and the
// level view the repaint reads. `Game` holds one block of each kind (Game::paintStatics,
// Game::levelView); the names are the game's own (s_overlayImage ...).
#pragma once

#include <cstdint>

#include "runtime/core/object.h"

class ByteArray;
class IntArray;
class ObjectArray;
class javax_microedition_lcdui_Graphics;
class javax_microedition_lcdui_Image;

struct PaintStatics {
    // The perspective plane and the region view.
    IntArray* s_sceneEffect;  // int[17]: the screen-region effects' parameters; made at start-up
    javax_microedition_lcdui_Image* s_regionImage;  // 1600 x 240
    javax_microedition_lcdui_Graphics* s_regionGraphics;
    IntArray* s_regionPixels;  // int[1600 x 32]: one strip of the plane image
    IntArray* s_regionOut;     // int[102400]: resampled rows; also the sprite painter's work buffer

    // The gameplay paint: the cinematic letterbox bars' height (may be negative while they move)
    // and whether they show the skip prompt.
    int32_t s_letterbox;
    uint8_t s_skipPromptShown;

    // The glow: a region of the background buffer (x, y, w, h), its source at S in the effect
    // pixels, the blur at 0 and the result at 2 S.
    int32_t s_glowTime;
    int32_t s_glowX, s_glowY, s_glowWidth, s_glowHeight;
    int32_t s_glowSourceOffset;
    int32_t s_glowMode;  // paints only below 2
    IntArray* s_glowRect;  // int[4]: x1, y1, x2, y2 of the next glow
    int32_t s_glowModeNext;
    uint8_t s_letterboxActive;  // the bars over the death scene (the event scripts' letterbox)

    MRC_REF_FIELDS(&PaintStatics::s_sceneEffect, &PaintStatics::s_regionImage, &PaintStatics::s_regionGraphics,
                   &PaintStatics::s_regionPixels, &PaintStatics::s_regionOut, &PaintStatics::s_glowRect);
};

// What the level loader fills and the repaints read; empty until a level loads. The map layer
// count and sprite slots, the tile buffer and the camera are the framework's
// (GameTiles::tileStatics, GameMath::mathStatics); the sprite table, the shared instances, the
// 800 x 480 background picture, the dirty rectangles and the overlay image are the state
// machine's (GameStateStatics::stateStatics).
struct LevelViewStatics {
    ByteArray* s_levelHeader;     // byte 2 / 10: palettes of map layers 0 / 1; 6, 7: parallax percent
    ObjectArray* s_mapLayers;     // short[columns][rows] per map layer
    MRC_REF_FIELDS(&LevelViewStatics::s_levelHeader, &LevelViewStatics::s_mapLayers);
};

namespace mrc {
// Registers both blocks with StaticClass; idempotent.
void registerPaintStatics();
}  // namespace mrc
