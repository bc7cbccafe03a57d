// ASprite: sprite data (modules, frames of placed modules, animations of frames, up to 8
// palettes and the packed pixels of the image modules), its per-palette module caches, and the
// painter that draws or measures its parts into one current Graphics.
//
// Tables are arrays of the managed heap owned by the sprite. Painting and the table look-ups use
// checked access: an index outside a table raises ArrayIndexOutOfBoundsException as the pending
// exception and skips the access; a missing table is reported ("NullPointer"). Loading, decoding
// and caching check their input instead and trace what they refuse.
#pragma once

#include <cstdint>

#include "runtime/core/arrays.h"

class javax_microedition_lcdui_Graphics;
class javax_microedition_lcdui_Image;

class ASprite : public Object {
public:
    MRC_CLASS(ASprite, Object);
    MRC_REF_FIELDS(&ASprite::moduleX, &ASprite::moduleY, &ASprite::moduleWidth, &ASprite::moduleHeight,
                   &ASprite::frameModuleCount, &ASprite::frameFirstModule, &ASprite::fmModule, &ASprite::fmOffsetX,
                   &ASprite::fmOffsetY, &ASprite::fmFlags, &ASprite::animFrameCount, &ASprite::animFirstFrame,
                   &ASprite::aframeFrame, &ASprite::aframeTime, &ASprite::aframeOffsetX, &ASprite::aframeOffsetY,
                   &ASprite::aframeFlags, &ASprite::frameRects, &ASprite::frameFirstRect, &ASprite::frameRectCount,
                   &ASprite::moduleMappings, &ASprite::palettes, &ASprite::pixelData, &ASprite::moduleDataOffset,
                   &ASprite::moduleImageCache, &ASprite::modulePixelCache, &ASprite::paletteCacheMode,
                   &ASprite::moduleKind, &ASprite::moduleColor);
    using Graphics = javax_microedition_lcdui_Graphics;
    using Image = javax_microedition_lcdui_Image;

    // Header flags.
    static constexpr int32_t kHasModules = 0x0001;
    static constexpr int32_t kHasFrameRects = 0x8000;
    // Module kinds.
    static constexpr int8_t kImageModule = 0;
    static constexpr int8_t kOutlineModule = 1;
    static constexpr int8_t kFilledModule = 2;
    // Colour formats.
    static constexpr int32_t kColors8888 = 0x8888;
    static constexpr int32_t kColors4444 = 0x4444;
    static constexpr int32_t kColors565 = 0x6505;
    // Pixel formats.
    static constexpr int32_t kPixelsI8 = 0x5602;
    static constexpr int32_t kPixelsI4 = 0x1600;
    static constexpr int32_t kPixelsI3 = 0x0800;
    static constexpr int32_t kPixelsI2 = 0x0400;
    static constexpr int32_t kPixelsI1 = 0x0200;
    static constexpr int32_t kPixelsRunPacked = 0x64F0;
    static constexpr int32_t kPixelsRun27F1 = 0x27F1;
    static constexpr int32_t kPixelsRun56F2 = 0x56F2;
    // Palette cache modes (also the mode argument of the cache builders).
    static constexpr int32_t kCacheNone = 1;
    static constexpr int32_t kCacheImages = 2;
    static constexpr int32_t kCachePixels = 4;
    static constexpr int32_t kKeepPixelData = 8;
    // Paint flags.
    static constexpr int32_t kFlipX = 0x01;
    static constexpr int32_t kFlipY = 0x02;
    static constexpr int32_t kRotate90 = 0x04;
    // Frame-module flag: the entry names a frame of this sprite.
    static constexpr int32_t kNestedFrame = 0x10;

    static constexpr int32_t kMaxPalettes = 8;
    static constexpr int32_t kMappingSlots = 10;
    static constexpr int32_t kSharedPixelBufferSize = 49152;
    // Nested frames deeper than this are not painted; a frame already on the nesting path (one
    // that contains itself) is skipped at once.
    static constexpr int32_t kMaxNesting = 16;
    // Frame modules one paint visits at most: distinct frames that each nest the next several
    // times multiply to far more than any picture holds.
    static constexpr int32_t kMaxPaintSteps = 1 << 16;

    struct Statics {
        IntArray* sharedPixelBuffer;  // int[49152], the decoding target; allocated on first decode
        IntArray* effectPixelBuffer;  // the effects' work area: sharedPixelBuffer, else the game's work buffer
        IntArray* transformTable;     // paint flags 0-7 to drawRegion transforms
        Graphics* currentGraphics;    // the target of all sprite painting
        int32_t measureMode;          // 1 while painting only measures
        int32_t measureBounds[4];     // min x, min y, max x, max y
        IntArray* sharedRect;         // int[4]: x, y, w, h of the rectangle queries
        ByteArray* lastRectRecord;    // the rectangle record read last
        int32_t nesting;              // depth of nested frames being painted
        int32_t nestingPath[kMaxNesting];  // the frames being painted, outermost first
        int32_t paintDepth;           // open PaintScopes; the outermost one is one paint
        bool paintFaulted;            // a table read of this paint has raised: later ones stay quiet
        bool paintNestingTraced;      // this paint has traced a frame that contains itself or nests too deep
        int32_t paintSteps;           // frame modules this paint has visited
        MRC_REF_FIELDS(&Statics::sharedPixelBuffer, &Statics::effectPixelBuffer, &Statics::transformTable,
                       &Statics::currentGraphics, &Statics::sharedRect, &Statics::lastRectRecord);
    };
    static Statics statics;

    // The static initialiser: transformTable and sharedRect.
    static void clinit();

    // ---- loading ----

    // Reads sprite data from `offset` into the tables; false (traced) when the data ends inside
    // a section, which then stays as far as it was read.
    bool load(ByteArray* data, int32_t offset);
    // Back to the empty state for a reload: tables, palettes, pixel data and both caches.
    void unload();
    void releasePixelData();

    // ---- palettes and mappings ----

    // Only a palette the sprite has is taken.
    void setPalette(int32_t p);
    int32_t getPalette() const { return currentPalette; }
    void setModuleMapping(int32_t k) { currentMapping = k; }
    int32_t getModuleMapping() const { return currentMapping; }
    // Sets mapping k (created as the identity first) from little-endian u16 pairs (module,
    // replacement); pairs naming a module the sprite does not have are ignored.
    void applyModuleMapping(int32_t k, ByteArray* data);
    void removeModuleMapping(int32_t k);
    static bool hasModuleMapping(ASprite* sprite, int32_t k);
    int32_t getLineSpacing() const { return lineSpacing; }
    void setLineSpacing(int32_t spacing) { lineSpacing = spacing; }

    // ---- decoding and caches ----

    // The module's ARGB pixels with the current palette in the shared buffer, or null.
    IntArray* decodeModuleImage(int32_t module, int32_t flags);
    // Caches one image module for a palette: an Image (mode bit 2) or an ARGB copy (bit 4).
    void cacheModule(int32_t module, int32_t palette, int32_t mode);
    // Caches modules first..last (-1: the last) for a palette, or shares them from palette
    // copyFrom, or caches the modules that mapping `mapping` makes the frames use.
    void buildModuleCache(int32_t palette, int32_t first, int32_t last, int32_t copyFrom, int32_t mapping,
                          int32_t mode);
    bool hasCachedPalette(int32_t p);
    static void allocPixelBuffer();
    static void freePixelBuffer();
    // effectPixelBuffer, pointed first at the shared buffer or the game's work buffer, or at a new
    // shared buffer, when it is missing; null only when the heap is exhausted.
    static IntArray* effectBuffer();

    // ---- look-ups ----

    int32_t getAnimLength(int32_t anim);
    int32_t getFModuleCount(int32_t frame);
    int32_t getAnimFrameId(int32_t anim, int32_t aframe);
    int32_t getAFrameTime(int32_t anim, int32_t aframe);
    int32_t getFModuleOffsetX(int32_t frame, int32_t i);
    int32_t getFrameDataShort(int32_t frame, int32_t i);
    int32_t getItemCount(int32_t frame);
    int32_t getFlippedItemCount(int32_t anim, int32_t aframe);
    static int32_t getFlippedItemCountSafe(ASprite* sprite, int32_t anim, int32_t aframe);
    ByteArray* getFrameRectRecord(int32_t frame, int32_t i);
    // The animation frame at `percent` of the animation's total duration.
    int32_t getAnimFrame(int32_t anim, int32_t percent);
    // Full frame index of the animation's first frame.
    int32_t getAnimFirstFrame(int32_t anim);
    // The frames of the animation that lie inside the tables: their count (0 for an animation
    // outside them) and the index of the first record. Reports nothing.
    int32_t animFrames(int32_t anim, int32_t& first);
    // Low byte of the module's width (0 outside the table), scaled while the text scale is on.
    int32_t getCharWidth(int32_t m);

    // Drops the palette's cached modules whose used[m] is 0 (modules beyond `used` stay).
    void releaseUnusedModuleImages(int32_t p, ByteArray* used);

    // ---- painting (into statics.currentGraphics; x and y in pixels) ----

    // One paint: every painter entry opens one, and a caller that paints many parts as one
    // picture (a line of text) opens one around them. A bad table index raises and a frame that
    // contains itself or nests too deep is traced once per outermost scope, which also ends after
    // kMaxPaintSteps frame modules.
    class PaintScope {
    public:
        PaintScope() {
            if (statics.paintDepth++ == 0) {
                statics.paintFaulted = statics.paintNestingTraced = false;
                statics.paintSteps = 0;
            }
        }
        ~PaintScope() { --statics.paintDepth; }
        PaintScope(const PaintScope&) = delete;
        PaintScope& operator=(const PaintScope&) = delete;
    };

    static void setGraphics(Graphics* g) { statics.currentGraphics = g; }
    void paintAFrame(int32_t anim, int32_t aframe, int32_t x, int32_t y, int32_t flags);
    void paintAFrameWithGraphics(Graphics* g, int32_t anim, int32_t aframe, int32_t x, int32_t y, int32_t flags);
    void paintFrame(int32_t frame, int32_t x, int32_t y, int32_t flags);
    void paintFModule(int32_t frame, int32_t i, int32_t x, int32_t y, int32_t flags);
    void drawModule(int32_t module, int32_t x, int32_t y, int32_t flags);

    // ---- measuring (out = min x, min y, max x, max y) and rectangle queries ----

    void getAFrameBounds(IntArray* out, int32_t anim, int32_t aframe, int32_t x, int32_t y, int32_t flags);
    void getModuleBounds(IntArray* out, int32_t module, int32_t x, int32_t y, int32_t flags);
    // Rectangle record i of the animation frame's frame as x, y, w, h in out, mirrored by the
    // animation frame's own flags, with its offsets when asked.
    void getAFrameRect(int32_t anim, int32_t aframe, int32_t i, int32_t unused, bool withOffsets, IntArray* out);
    static IntArray* getAFrameRectTemp(ASprite* sprite, int32_t anim, int32_t aframe, int32_t i, bool withOffsets);

    // ---- fields, in order ----

    int32_t lineSpacing;
    int32_t moduleCount;
    ShortArray* moduleX;
    ShortArray* moduleY;
    ShortArray* moduleWidth;
    ShortArray* moduleHeight;
    ByteArray* frameModuleCount;
    ShortArray* frameFirstModule;
    ByteArray* fmModule;
    ShortArray* fmOffsetX;
    ShortArray* fmOffsetY;
    ByteArray* fmFlags;
    ByteArray* animFrameCount;
    ShortArray* animFirstFrame;
    ByteArray* aframeFrame;
    ByteArray* aframeTime;
    ShortArray* aframeOffsetX;
    ShortArray* aframeOffsetY;
    ByteArray* aframeFlags;
    ObjectArray* frameRects;  // byte[R][4]
    ShortArray* frameFirstRect;
    ByteArray* frameRectCount;
    ObjectArray* moduleMappings;  // short[M] per slot
    int32_t currentMapping;
    int32_t dataFlags;
    ObjectArray* palettes;  // int[C] per palette
    int32_t paletteCount;
    int32_t colorsPerPalette;
    int32_t currentPalette;
    uint8_t hasAlpha;
    int16_t pixelFormat;
    int32_t pixelMask;
    int32_t bitsPerPixel;
    ByteArray* pixelData;
    IntArray* moduleDataOffset;
    ObjectArray* moduleImageCache;  // per palette, per module: Image
    ObjectArray* modulePixelCache;  // per palette, per module: int[]
    IntArray* paletteCacheMode;
    ByteArray* moduleKind;
    IntArray* moduleColor;
    uint8_t tileMode;  // a whole tile layer of this sprite is painted as the animated-tile layer

private:
    // An animation frame's record: the full frame index, its flags and offsets.
    struct AFrame {
        int32_t frame = 0, flags = 0, offsetX = 0, offsetY = 0;
    };
    bool readAFrame(int32_t anim, int32_t aframe, AFrame& out);
    // Whether `module` is an image module all module tables hold; its width and height (low bytes).
    bool imageModuleSize(int32_t module, int32_t& w, int32_t& h);
    // Cache mode of the current palette; 1 (none) for a sprite without palettes.
    int32_t currentCacheMode();
    // The palette's inner cache array (M slots), created with the outer one as needed; null
    // for a palette the sprite does not have.
    ObjectArray* cacheSlots(int32_t palette, bool images);
    // Whether the module's cache entry for the palette exists, by the palette's mode.
    bool isModuleCached(int32_t palette, int32_t module);
    void dropCachedModule(int32_t palette, int32_t module);
    void beginMeasure(int32_t bound);
    void endMeasure(IntArray* out);
    friend class GameBase;
};
