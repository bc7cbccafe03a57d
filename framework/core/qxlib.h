// QXLib: the canvas base of the game. It owns the game thread, paces it by the tick count and turns
// every repaint into one game frame (input snapshot, then runFrame), and it implements the pause and
// resume hooks.
//
// Key tables and per-key state: events arrive on the UI thread and accumulate in pending masks; the
// game thread takes one snapshot per frame and derives the game-level masks from it.
#pragma once

#include <atomic>
#include <cstdint>

#include "framework/core/game_base.h"
#include "platform/lcdui/displayable.h"
#include "runtime/core/class_ids.h"
#include "runtime/core/object.h"
#include "runtime/lang/runnable.h"

class ByteArray;
class ObjectArray;
class String;
class java_util_Hashtable;
class javax_microedition_lcdui_Graphics;
class javax_microedition_lcdui_Image;
class javax_microedition_midlet_MIDlet;

// The two key recorders sit in a base of their own: a static member of QXLib could not share its
// name and parameters with the Displayable slot keyReleased(int). QXLib brings them in by name, so
// that `QXLib::keyReleased(code)` records an event while `canvas->keyReleased(code)` still
// dispatches through the slot.
class QXLibKeyEvents {
public:
    static void keyPressed(javax_microedition_lcdui_Displayable* canvas, int32_t code);
    static void keyReleased(int32_t code);
};

class QXLib : public javax_microedition_lcdui_Canvas, public java_lang_Runnable, public QXLibBase, public QXLibKeyEvents {
public:
    MRC_CLASS(QXLib, javax_microedition_lcdui_Canvas);
    MRC_REF_FIELDS(&QXLib::backBuffer, &QXLib::backBufferGraphics);

    using Canvas = javax_microedition_lcdui_Displayable;
    using Display = javax_microedition_lcdui_Display;
    using Graphics = javax_microedition_lcdui_Graphics;
    using MIDlet = javax_microedition_midlet_MIDlet;
    using QXLibKeyEvents::keyPressed;
    using QXLibKeyEvents::keyReleased;

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
        // The frame's view; a resume clears it on the UI thread while the game thread may take
        // the next snapshot.
        std::atomic<int32_t> keysPressedSnapshot;
        std::atomic<int32_t> keysReleasedSnapshot;
        std::atomic<int32_t> keysHeldSnapshot;
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

    // ---- life cycle, game thread and frame driver ----

    static constexpr int32_t kRunning = 0;
    static constexpr int32_t kStopped = -1;

    struct CanvasStatics {
        MIDlet* midlet;
        Display* display;
        // The Graphics the current frame draws into: the paint Graphics or backBufferGraphics. The
        // original kept it in two statics of equal value; one serves.
        Graphics* currentGraphics;
        // Shared by the UI thread (life-cycle calls, resume repaints) and the game thread.
        std::atomic<int32_t> runState;  // kRunning, or kStopped: not started, or the loop must end
        std::atomic<bool> paused;       // between a pause hook and the next resume
        std::atomic<bool> inFrame;      // a frame runs, or the game thread has not begun yet
        int64_t lastPaintTime;          // for the long-gap check
        int32_t frameBudget;            // least duration of one loop pass, ms
        int32_t sizeWidth, sizeHeight;  // from sizeChanged; nothing reads them

        MRC_REF_FIELDS(&CanvasStatics::midlet, &CanvasStatics::display, &CanvasStatics::currentGraphics);
    };
    static CanvasStatics canvasStatics;

    // The static initialiser: no current Graphics, no held key, frameBudget = 1000 / TARGET_FPS.
    static void clinit();

    void* getInterface(int32_t interfaceId) override;  // the Runnable sub-object

    // The Java constructor: traces and dumps the configuration, becomes the current Displayable,
    // builds the key tables. The loop stays stopped and frames held back until the thread begins.
    void init(MIDlet* midlet, Display* display);
    // Starts the game thread unless the loop runs already.
    void start();
    // The game thread: a repaint per pass, paced to at least frameBudget ms, until runState is
    // kStopped; then the loop's resources are released and (unless configured to keep running)
    // the application stops. An exception escaping a pass ends the loop.
    void run() override;

    // The frame driver: unless paused or inside a frame, takes the input snapshot and runs one
    // frame into g (or into the back buffer, then drawn onto g). An exception of the frame ends
    // the loop after this pass.
    void paint(Graphics* g) override;
    // One frame of the game: update and draw into canvasStatics.currentGraphics. Slot 18.
    virtual void runFrame() {}

    // The pause hook (KetraKRVD::pauseApp runs it without a canvas) and the resume hook.
    static void pause();
    void resume();
    // The resume proper, shared with KetraKRVD::startApp: restarts the pacing clock, becomes
    // current again, repaints and presents at once, and forgets the keys of before the pause.
    void resumeFrames();

    void sizeChanged(int32_t w, int32_t h) override;
    void keyRepeated(int32_t) override {}
    // The pen (UI thread), as the game's input state records it.
    void pointerPressed(int32_t x, int32_t y) override;
    void pointerReleased(int32_t x, int32_t y) override;
    void pointerDragged(int32_t x, int32_t y) override;

    // How long the pacing sleep of a pass lasts: what is left of the budget, at least 1 ms.
    static int64_t pacingSleep(int64_t frameStartTime, int32_t budget, int64_t now);

    // The tick count at which the current pacing interval began. Atomic: the UI thread's resume
    // restarts it while the game thread paces.
    std::atomic<int64_t> frameStartTime;
    javax_microedition_lcdui_Image* backBuffer;  // with USE_BACK_BUFFER only
    Graphics* backBufferGraphics;

private:
    // A throwable pending on this thread: traced after `prefix`, cleared, and the loop told to end.
    // False when nothing is pending, or (unless `anyThrowable`) what is pending is no Exception.
    static bool endLoopOnPending(const char* prefix, bool anyThrowable);
    void pace();
    void releaseLoop();
};

namespace mrc {
// The blocks of statics of QXLib and the game's input state, and QXLib's static initialiser.
void registerQXLibStatics();
}  // namespace mrc
