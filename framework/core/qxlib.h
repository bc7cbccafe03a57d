// QXLib: the framework's canvas side. Key tables and per-key state: events arrive on the UI thread
// and accumulate in pending masks; the game thread takes one snapshot per frame and derives the
// game-level masks from it.
#pragma once

#include <atomic>
#include <cstdint>

#include "framework/core/game_base.h"
#include "runtime/core/class_ids.h"
#include "runtime/core/object.h"

class ByteArray;
class ObjectArray;
class String;
class java_util_Hashtable;
class javax_microedition_lcdui_Displayable;
class javax_microedition_lcdui_Graphics;
class javax_microedition_lcdui_Image;

class QXLib : public QXLibBase {
public:
    using Canvas = javax_microedition_lcdui_Displayable;

    static constexpr int32_t kGameKeyCount = 20;
    static constexpr int32_t kNoHeldKey = -9999;
    static constexpr int32_t kMaxKeyCount = 126;
    static constexpr int32_t kNoGridValue = -1000;
    static constexpr int32_t kFireCode = -5;
    static constexpr int32_t kFiveCode = '5';

    struct KeyStatics {
        java_util_Hashtable* keyTable;
        java_util_Hashtable* actionKeyTable;
        // Written on the UI thread: read-modify-writes and the snapshot's take are atomic, so no
        // event between two frames is lost.
        std::atomic<int32_t> keysDown;
        std::atomic<int32_t> keysPressedPending;
        std::atomic<int32_t> keysReleasedPending;
        int32_t keysPressedSnapshot;
        int32_t keysReleasedSnapshot;
        int32_t keysHeldSnapshot;
        int32_t heldKeyCode;
        ByteArray* keyCounts;  // count mode: byte[20]
        ByteArray* keyCountsSnapshot;

        MRC_REF_FIELDS(&KeyStatics::keyTable, &KeyStatics::actionKeyTable, &KeyStatics::keyCounts,
                       &KeyStatics::keyCountsSnapshot);
    };
    static KeyStatics keyStatics;

    static void initKeyTable();
    static void initTables();
    static int32_t getGameKey(int32_t code);
    // Count mode: the two arrays (the game thread's start).
    static void allocKeyCounts();

    static void keyPressed(Canvas* canvas, int32_t code);
    static void keyReleased(int32_t code);
    static void snapshotKeys();
    static void clearKeys();

    static bool isKeyHeld(int32_t k);
    static bool wasKeyPressed(int32_t k);
    static bool wasKeyReleased(int32_t k);
    static int32_t firstPressedKey();
    static int32_t firstReleasedKey();

    static void computeKeyMasks(Canvas* canvas);
    static void resetKeys(int32_t lockFrames);
    static bool wasKeyPressedWithin(int32_t mask, int32_t ms);
    static int32_t keyCodeToMask(int32_t code);
    static void pushKeyQueue(int32_t mask);

    static bool isPointInRect(int32_t x, int32_t y, int32_t rx, int32_t ry, int32_t rw, int32_t rh);
    static int32_t touchGridValueAt(int32_t x, int32_t y);
    static void pointerReleaseAsFire(Canvas* canvas, bool fullScreen);
    static void pointerAsKey5(Canvas* canvas);

    // ---- trace output and small services ----
    struct ServiceStatics {
        ObjectArray* textTable;  // byte[][]: one entry per text
        MRC_REF_FIELDS(&ServiceStatics::textTable);
    };
    static ServiceStatics serviceStatics;

    // s and a line end on System.out; a failing stream is ignored.
    static void dbgPrintln(String* s);
    static void dbgPrintln(const char* text);
    // A failed condition prints the message between separators and a stack trace, then returns:
    // nothing is thrown.
    static void Assert(bool condition, String* message);
    // Text i of the text table; a fixed text past its end or without a table.
    static String* getString(int32_t i);
    // The resource as an image, or null when it cannot be opened or decoded.
    static javax_microedition_lcdui_Image* loadImage(String* name);
    // The game's debug text: a black bar with the text on screen, else a trace line.
    static void debugText(javax_microedition_lcdui_Graphics* g, bool onScreen, String* text, int32_t x, int32_t y);
};

namespace mrc {
// The blocks of statics of QXLib and the game's input state.
void registerQXLibStatics();
}  // namespace mrc
