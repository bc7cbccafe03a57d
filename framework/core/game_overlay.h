// Small services of `Game` that the screens call: the translucent overlay drawn from an ARGB
// strip, the layout of a gauge inside its frame, the state and menu histories, the flag test,
// the alternative sprite palettes, and the conversion between pixels and the 32-pixel cells of
// the current room. GameBase derives from this class, so these keep their names on Game
// (`Game::layoutBox`). Game thread only.
#pragma once

#include <cstdint>

#include "runtime/core/object.h"

class ByteArray;
class IntArray;
class ObjectArray;
class ShortArray;
class javax_microedition_lcdui_Graphics;

class GameOverlay {
public:
    using Graphics = javax_microedition_lcdui_Graphics;

    static constexpr int32_t kOverlayWidth = 800;
    static constexpr int32_t kOverlayHeight = 10;
    static constexpr int32_t kHistoryLength = 10;
    static constexpr int32_t kFirstMenuItem = 3;  // index of a menu's first item in its definition
    static constexpr int32_t kCellShift = 5;      // 32-pixel cells

    // Flags of layoutBox.
    static constexpr int32_t kBoxFromRight = 1;
    static constexpr int32_t kBoxVertical = 2;
    static constexpr int32_t kBoxFromBottom = 4;
    static constexpr int32_t kBoxSecond = 8;

    struct OverlayStatics {
        IntArray* overlayBuffer;   // int[800 x 10], ARGB
        IntArray* boxRects;        // int[8]: layoutBox's two rectangles
        int32_t gaugeSecondStart;  // the second segment of a gauge (flag 8)
        int32_t gaugeSecondEnd;
        int32_t flagMask;          // isKeyFlag's bits
        int32_t gameState;
        int32_t gameSubState;
        ShortArray* stateHistory;  // short[10]: state | sub-state << 8
        int32_t stateHistoryIndex;
        bool altPaletteFlag;
        ByteArray* menuHistory;  // byte[10]: the item position of each menu left
        int32_t menuHistoryIndex;
        int32_t pendingMenuSelection;  // -1: none
        Object* currentRoom;           // the room whose cell grid is current; null: the world's
        ObjectArray* eventActions;     // the event action table: int[][] per list
        MRC_REF_FIELDS(&OverlayStatics::overlayBuffer, &OverlayStatics::boxRects, &OverlayStatics::stateHistory,
                       &OverlayStatics::menuHistory, &OverlayStatics::currentRoom, &OverlayStatics::eventActions);
    };
    static OverlayStatics overlayStatics;

    // ---- overlay ----

    // Every pixel of the strip.
    static void fillOverlay(int32_t value);
    // The top-left width x height of the strip (clamped to it).
    static void fillOverlayBuffer(int32_t argb, int32_t width, int32_t height);
    // Tiles the strip over the rectangle, clipped to it; g's clip is restored.
    static void drawOverlayRect(Graphics* g, int32_t x, int32_t y, int32_t w, int32_t h);

    // ---- gauges ----

    // The filled part of a gauge showing value of max inside the box less its margins, and with
    // flag 8 the segment gaugeSecondStart..gaugeSecondEnd: {x1, y1, w1, h1, x2, y2, w2, h2} in
    // boxRects. Flags: 1 fills from the right, 2 vertically, 4 vertically from the bottom. A max
    // of 0 gives empty fills.
    static IntArray* layoutBox(int32_t max, int32_t value, int32_t x, int32_t y, int32_t w, int32_t h,
                               int32_t marginX, int32_t marginY, int32_t flags);

    // ---- histories and flags ----

    // Back to the state and sub-state of the newest history entry (stored as they are, without
    // a state change); the index steps back, from 0 to 9.
    static void stepListCursor();
    static void setNextMenuSelection(int32_t item) { overlayStatics.pendingMenuSelection = item; }
    // The pending selection when there is one (it is used up), else `selection`.
    static int32_t takeMenuSelection(int32_t selection);
    // Remembers the position of the item at `menuCursor` (its index in the menu's definition; the
    // game's menu code owns the cursor) in the next history slot (from 9 to 0).
    static void pushMenuHistory(int32_t menuCursor);
    // Mask 2 is always set.
    static bool isKeyFlag(int32_t mask);

    // ---- alternative palettes (only with altPaletteFlag) ----

    // Sprites 35 and 24 draw palette 0 with what was prepared for palette 1 and the reverse.
    static void swapAltSpritePalettes();
    // In action list 3, the palette of every sprite action on sprite 35 or 24 moves up by one.
    static void applyAltPaletteToEventActions();

    // ---- cells of the current room ----

    // Floor of (pixel - room origin) / 32: pixels left of or above the origin lie in negative
    // cells. Without a current room the origin is 0.
    static int32_t pixelToTileX(int32_t x);
    static int32_t pixelToTileY(int32_t y);
    // The cell's left or top edge.
    static int32_t tileToPixelX(int32_t column);
    static int32_t tileToPixelY(int32_t row);

private:
    // The current room's position in whole pixels; (0, 0) without a room or when it has no
    // sprite instance (traced).
    static void roomOrigin(int32_t& ox, int32_t& oy);
};
