// The tile-layer statics and functions of `Game` that belong to the framework: the painters that
// draw a window of one or several tile layers, and the background buffer, an off-screen image a
// cell larger than the view on each axis in which every map cell has a fixed home position that
// wraps around it, so that scrolling repaints only the cells that come into view. GameBase
// derives from this class, so these keep their names on Game (`Game::paintMapToBuffer`).
//
// A tile layer is a short[columns][rows]; a cell value t >= 0 names animation t of the layer's
// sprite, a negative value is empty. Cells are 32 x 32 pixels. Game thread only.
#pragma once

#include <cstdint>

#include "runtime/core/object.h"

class ASprite;
class ASpriteInstance;
class ByteArray;
class ObjectArray;
class javax_microedition_lcdui_Graphics;
class javax_microedition_lcdui_Image;

class GameTiles {
public:
    using Graphics = javax_microedition_lcdui_Graphics;
    using Image = javax_microedition_lcdui_Image;

    static constexpr int32_t kCell = 32;

    struct TileStatics {
        Image* bgImage;           // the background buffer
        Graphics* bgGraphics;     // its Graphics
        int32_t bgViewWidth;      // the view size the buffer was made for
        int32_t bgViewHeight;
        int32_t bgOriginX;        // map position of the view the buffer holds; -1: nothing held
        int32_t bgOriginY;
        int32_t mapLayerCount;    // layers of the map in use
        ByteArray* mapLayerSprite;  // per layer: the index of its sprite (unsigned)
        MRC_REF_FIELDS(&TileStatics::bgImage, &TileStatics::bgGraphics, &TileStatics::mapLayerSprite);
    };
    static TileStatics tileStatics;

    // Each painter draws the cells of `layer(s)` that meet the map window (srcX, srcY, width,
    // height) at (dstX + 32 c - srcX, dstY + 32 r - srcY) on g, inside the destination window;
    // g's clip is restored afterwards.

    // Every cell shows frame `aframe` of the clock instance (at most its animation's last).
    static void paintTileLayerA(Graphics* g, ObjectArray* layer, ASprite* sprite, ASpriteInstance* clock, int32_t srcX,
                                int32_t srcY, int32_t dstX, int32_t dstY, int32_t width, int32_t height);
    // Every cell shows its animation's frame at `percent` of its duration.
    static void paintTileLayerB(Graphics* g, ObjectArray* layer, ASprite* sprite, int32_t percent, int32_t srcX,
                                int32_t srcY, int32_t dstX, int32_t dstY, int32_t width, int32_t height);
    // Layers 0 to mapLayerCount - 1, each with sprites[mapLayerSprite[layer]], cell by cell.
    static void paintTileLayer(Graphics* g, ObjectArray* layers, ObjectArray* sprites, int32_t percent, int32_t srcX,
                               int32_t srcY, int32_t dstX, int32_t dstY, int32_t width, int32_t height);
    // As paintTileLayer, but only the cells of animations of more than one frame, each clipped to
    // its square.
    static void paintTileLayerC(Graphics* g, ObjectArray* layers, ObjectArray* sprites, int32_t percent, int32_t srcX,
                                int32_t srcY, int32_t dstX, int32_t dstY, int32_t width, int32_t height);

    // A new buffer for the view size, holding nothing.
    static void createBackBuffer(int32_t viewWidth, int32_t viewHeight);
    // Paints the cells of the map rectangle [x1, x2) x [y1, y2) that the buffer does not hold yet
    // at their home positions. The caller then records the new view in bgOriginX and bgOriginY.
    static void paintMapToBuffer(ObjectArray* layers, ObjectArray* sprites, int32_t x1, int32_t y1, int32_t x2,
                                 int32_t y2);
    static void releaseBackgroundBuffer();
    // The buffer's content is forgotten: the next use repaints it.
    static void invalidateBackgroundBuffer() { tileStatics.bgOriginX = tileStatics.bgOriginY = -1; }

    // Sets used[m] = 1 for every module m of the sprite that a frame of some non-empty cell of
    // the layer uses (cells naming animations when `animated`, else frames).
    static void markUsedTileModules(ObjectArray* layers, ASprite* sprite, bool animated, int32_t unused,
                                    ByteArray* used);

private:
    // paintTileLayer, or with `animatedOnly` paintTileLayerC.
    static void paintLayerSet(Graphics* g, ObjectArray* layers, ObjectArray* sprites, int32_t percent, int32_t srcX,
                              int32_t srcY, int32_t dstX, int32_t dstY, int32_t width, int32_t height,
                              bool animatedOnly);
};
