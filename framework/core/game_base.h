// The statics and static functions of the game class `Game` that belong to the framework: the
// resource-pack reader's state and opening, the pixel effects of the sprite painter, the sprite
// measures and rectangle queries, and the effect statics the painter reads. `Game` (which lives
// above the framework) derives from GameBase, so that these keep their names there
// (`Game::scalePixels`, `Game::paintEffectFlags`); the framework calls them as GameBase::...
//
// The services of the game proper that the framework calls (Game::setFlags,
// Game::paintEffectSpriteFrame, ...) are here too, as forwarders to the game's hooks
// (game_hooks.h); the game's own definitions hide them once it defines them.
#pragma once

#include <cstdint>

#include "framework/core/game_math.h"
#include "framework/core/game_overlay.h"
#include "framework/core/game_timers.h"
#include "framework/text/game_text.h"
#include "framework/tiles/game_tiles.h"
#include "runtime/core/object.h"

class ASprite;
class ASpriteInstance;
class ByteArray;
class IntArray;
class ObjectArray;
class String;
class java_io_InputStream;
class javax_microedition_lcdui_Graphics;

// The text engine, the tile layers, the timers, the number helpers and the small screen services
// keep their statics and functions in bases of their own.
class GameBase : public GameText, public GameTiles, public GameTimers, public GameMath, public GameOverlay {
public:
    using Graphics = javax_microedition_lcdui_Graphics;

    struct Statics {
        // The open resource pack (one at a time, read forward only).
        IntArray* packOffsets;        // the offset table, N entries; null when closed
        int32_t packOffsetCount;      // N; 0 when closed
        int32_t packNextEntry;        // lowest entry still readable: the stream stands at its data
        String* packName;             // null when closed
        java_io_InputStream* packStream;
        uint8_t packCompressed;       // every entry is an LZMA-alone stream
        ByteArray* lzmaOutput;        // the result of QXLib::lzmaUnpack, taken by its caller

        // Effects of the sprite painter, switched and parameterised by the game.
        int32_t paintEffectFlags;
        ObjectArray* paintEffectParams;  // int[][]

        MRC_REF_FIELDS(&Statics::packOffsets, &Statics::packName, &Statics::packStream, &Statics::lzmaOutput,
                       &Statics::paintEffectParams);
    };
    static Statics statics;

    // ---- resource packs ----

    // Opens the pack `name` (closing any open one) and reads its header and offset table. A
    // missing resource or a cut table leaves the pack without entries (traced).
    static void loadResourceFile(String* name);

    // ---- pixel effects (results in ASprite's effect buffer; null when it cannot hold them) ----

    // paintEffectParams[0][0], 0 when negative.
    static int32_t getPaintScalePercent();
    // paintEffectParams[1][0] within 0..100.
    static int32_t getPaintAlphaPercent();
    // Nearest-neighbour scaling by the scale percentage to w × s / 100 by h × s / 100.
    static IntArray* scalePixels(IntArray* src, int32_t w, int32_t h);
    // The alpha percentage as every pixel's alpha.
    static IntArray* applyAlphaToPixels(IntArray* src, int32_t w, int32_t h);
    // Grey from the red channel, mirrored by flags 0x01 and 0x02; colour 0xFF00FF stays see-through.
    static IntArray* grayscalePixels(IntArray* src, int32_t w, int32_t h, int32_t flags);
    // Blends the module additively (effect bit 0x0010) and/or multiplicatively (0x0020) with the
    // off-screen picture under it and draws the result into g.
    static void blendModuleOntoScreen(Graphics* g, int32_t x, int32_t y, IntArray* src, int32_t w, int32_t h,
                                      int32_t flags);
    // Row blenders: each returns the dst index after the last pixel written. Pixels outside either
    // array are not touched.
    static int32_t blendRowAdd(IntArray* src, int32_t srcIndex, IntArray* dst, int32_t dstIndex, int32_t count,
                               int32_t level);
    static int32_t blendRowAddReversed(IntArray* src, int32_t srcIndex, IntArray* dst, int32_t dstIndex,
                                       int32_t count, int32_t level);
    static int32_t blendColumnAddUp(IntArray* src, int32_t srcIndex, IntArray* dst, int32_t dstIndex, int32_t count,
                                    int32_t stride, int32_t level);
    static int32_t blendColumnAddDown(IntArray* src, int32_t srcIndex, IntArray* dst, int32_t dstIndex,
                                      int32_t count, int32_t stride, int32_t level);
    static int32_t blendRowMultiply(IntArray* src, int32_t srcIndex, IntArray* dst, int32_t dstIndex, int32_t count);

    // ---- sprite measures and rectangles ----

    // Bounds (min x, min y, max x, max y) of what painting the frame would draw, into out.
    static void getFrameRect(ASprite* sprite, IntArray* out, int32_t frame, int32_t x, int32_t y, int32_t flags);
    static void getFrameRectOverload(ASprite* sprite, IntArray* out, int32_t frame, int32_t x, int32_t y,
                                     int32_t flags) {
        getFrameRect(sprite, out, frame, x, y, flags);
    }
    static void paintFrameWithGraphics(ASprite* sprite, Graphics* g, int32_t frame, int32_t x, int32_t y,
                                       int32_t flags);
    // Rectangle record i of the frame, its four bytes unsigned, in ASprite's shared rectangle.
    static IntArray* getSpriteFrameRect(ASprite* sprite, int32_t frame, int32_t i);
    // Rectangle record i of what the instance shows, in ASprite's shared rectangle: through the
    // animation frame (mirrored by its flags, with its offsets when asked), or in still mode
    // record i of the frame as stored; null without a sprite or record.
    static IntArray* getSpriteRect(ASpriteInstance* instance, int32_t i, bool withOffsets);
    // Drops the palette's cached module images that no frame module reaches through a selected
    // mapping (selectors[k][palette] >= 0), turning selector bytes 254 at the palette into 255.
    static void releaseUnmappedModuleImages(ObjectArray* selectors, ASprite* sprite, int32_t palette);

    // ---- services of the game (hooks) ----

    static void setFlags(int32_t bits);
    static void clearFlag(int32_t bits);
    static void paintEffectSpriteFrame(Graphics* g);
    static void paintGradientEdges(Graphics* g, int32_t x, int32_t y, int32_t w, int32_t h);
    static void emitQueuedParticleAt(Graphics* g, int32_t x, int32_t y);
    static void drawRGBColumnBand(Graphics* g, int32_t x, int32_t y, IntArray* pixels, int32_t w, int32_t h);
    static ASprite* loadSprite(ASprite* sprite, int32_t resource, int32_t entry, int32_t palette, int32_t mode,
                               bool trace);
    static ASprite* getSprite(int32_t n);
};

// The statics and static functions of `QXLib` that belong to the pack reader; QXLib derives from it.
class QXLibBase {
public:
    // The bytes of entry n of the open pack (unpacked when the pack is compressed), or null: for
    // an entry outside the table, empty, behind the cursor, of negative size, or that cannot be
    // read whole. A failed read leaves nothing readable behind it.
    static ByteArray* readPackEntry(int32_t n);
    // Closes the stream and forgets the pack.
    static void closePack();
    // Unpacks one LZMA-alone stream into GameBase::statics.lzmaOutput (left null when the LZMA
    // switch is off or the stream is bad).
    static void lzmaUnpack(ByteArray* data);
};
