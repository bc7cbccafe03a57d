// QXLib's canvas: construction, the game thread and its pacing, the frame driver, and the pause and
// resume hooks. The UI thread (life-cycle calls, resume repaints) and the game thread meet in the
// atomics of CanvasStatics and in frameStartTime; frames themselves are serialised by inFrame.
#include <algorithm>

#include "framework/config/qxlib_config.h"
#include "framework/core/game_input.h"
#include "framework/core/qxlib.h"
#include "framework/sound/sound_channels.h"
#include "host/core/clock.h"
#include "host/core/log.h"
#include "platform/lcdui/graphics.h"
#include "platform/lcdui/image.h"
#include "platform/midlet/midlet.h"
#include "runtime/core/application.h"
#include "runtime/core/jarith.h"
#include "runtime/core/static_class.h"
#include "runtime/lang/runtime_class.h"
#include "runtime/lang/string.h"
#include "runtime/lang/string_buffer.h"
#include "runtime/lang/system.h"
#include "runtime/lang/thread.h"
#include "runtime/lang/throwable.h"

QXLib::CanvasStatics QXLib::canvasStatics;

namespace {

constexpr const char* kTraceConstructed = "QXLib: canvas constructed";
constexpr const char* kTraceStart = "QXLib: game thread start requested";
constexpr const char* kTraceLoopBegins = "QXLib: game loop begins";
constexpr const char* kTraceCurrent = "QXLib: canvas made current";
constexpr const char* kTracePause = "QXLib: pause";
constexpr const char* kTraceResume = "QXLib: resume";
constexpr const char* kTraceResumed = "QXLib: resumed, repainting";
constexpr const char* kTraceLoopEnded = "QXLib: game loop ended";
constexpr const char* kTraceReleased = "QXLib: loop resources released";
constexpr const char* kLoopExceptionPrefix = "QXLib.run: ";
constexpr const char* kFrameExceptionPrefix = "QXLib.paint: ";

constexpr int32_t kTopLeft = 20;  // Graphics.TOP | Graphics.LEFT

const QXLibConfig::Statics& config() { return QXLibConfig::statics; }
QXLib::CanvasStatics& cs() { return QXLib::canvasStatics; }
mrc::Application* app() { return mrc::ApplicationImpl::getApplication(); }

bool pendingIsException() {
    Object* pending = app()->getPendingException();
    return pending != nullptr && Object::instanceOf(pending, mrc::kClass_java_lang_Exception);
}

// frameStartTime = min(frameStartTime, now), in one step: a resume that restarts the clock on
// the UI thread meanwhile is not overwritten with the older value read before it.
void lowerTo(std::atomic<int64_t>& time, int64_t now) {
    int64_t current = time.load();
    while (now < current && !time.compare_exchange_weak(current, now)) {
    }
}

// A Thread.sleep or yield whose exception is caught and dropped.
void sleepIgnoringExceptions(int64_t ms) {
    java_lang_Thread::sleep(ms);
    if (pendingIsException()) app()->clearPendingException();
}

// Only a change is written: the game thread makes the canvas current again as its loop begins,
// while the UI thread reads the current Displayable for every event.
void makeCurrent(QXLib* canvas) {
    QXLib::Display* display = cs().display;
    if (isNull(display)) {
        app()->reportError("NullPointer");
        return;
    }
    if (display->getCurrent() != canvas) display->setCurrent(canvas);
}

// The trace line of an exception that ends the loop: the prefix and the throwable's toString(),
// through the framework's trace and into the log, then its stack trace.
void traceThrowable(const char* prefix, Object* throwable) {
    StringBuffer* line = mrc::newObject<StringBuffer>();
    if (line != nullptr) {
        line->init();
        line->appendCString(prefix);
        line->appendObject(throwable);
        String* text = line->toString();
        QXLib::dbgPrintln(text);
        if (!isNull(text)) mrc_log("%s", text->toUtf8().c_str());
    }
    if (Object::instanceOf(throwable, mrc::kClass_java_lang_Throwable))
        static_cast<java_lang_Throwable*>(throwable)->printStackTrace();
    // The trace's own failures are of no interest.
    if (app()->getPendingException() != nullptr) app()->clearPendingException();
}

}  // namespace

void QXLib::clinit() {
    CanvasStatics& s = cs();
    s.currentGraphics = nullptr;
    s.runState = kStopped;
    keyStatics.heldKeyCode = kNoHeldKey;
    // A zero TARGET_FPS goes to the runtime's division-by-zero handling and leaves a budget of 0.
    s.frameBudget = mrc::jdiv(1000, config().TARGET_FPS);
}

void* QXLib::getInterface(int32_t interfaceId) {
    if (interfaceId == mrc::kClass_java_lang_Runnable) return static_cast<java_lang_Runnable*>(this);
    return Base::getInterface(interfaceId);
}

void QXLib::init(MIDlet* midlet, Display* display) {
    frameStartTime = 0;
    backBuffer = nullptr;
    backBufferGraphics = nullptr;
    dbgPrintln(kTraceConstructed);
    QXLibConfig::dump();
    CanvasStatics& s = cs();
    s.runState = kStopped;
    s.inFrame = true;
    s.midlet = midlet;
    s.display = display;
    dbgPrintln(kTraceCurrent);
    makeCurrent(this);
    initKeyTable();
    frameStartTime = host::tickCount64();
}

void QXLib::start() {
    dbgPrintln(kTraceStart);
    CanvasStatics& s = cs();
    if (s.runState >= 0) return;
    if (config().KEYS_AS_HELD_COUNTS != 0) allocKeyCounts();
    if (config().USE_BACK_BUFFER != 0) {
        backBuffer = javax_microedition_lcdui_Image::createBlankImage(getWidth(), getHeight());
        backBufferGraphics = isNull(backBuffer) ? nullptr : backBuffer->getGraphics();
    }
    s.runState = kRunning;
    if (config().USE_SERIAL_CALLS != 0) {
        if (!isNull(s.display)) s.display->callSerially(this);
        return;
    }
    // The Thread constructor gives the thread the calling thread's priority.
    java_lang_Thread* thread = mrc::newThread(this);
    if (thread == nullptr || thread->start() < 0) {
        // Without its thread the game would never draw a frame: better to end than to hang.
        mrc_log("QXLib::start(): no game thread, stopping");
        s.runState = kStopped;
        mrc::ApplicationImpl::getInstance()->stop();
    }
}

void QXLib::run() {
    CanvasStatics& s = cs();
    const bool serial = config().USE_SERIAL_CALLS != 0;
    if (!serial) {
        dbgPrintln(kTraceLoopBegins);
        dbgPrintln(kTraceCurrent);
        makeCurrent(this);
    }
    s.inFrame = false;
    mrc::ApplicationImpl* impl = mrc::ApplicationImpl::getInstance();
    while (s.runState >= 0) {
        if (s.paused) {
            lowerTo(frameStartTime, host::tickCount64());
            sleepIgnoringExceptions(config().SLEEP_TO_PACE != 0 ? 1 : 0);
        } else {
            impl->flushScreen();
            if (app()->getPendingException() == nullptr) {
                if (config().CALL_IDLE_HOOK != 0) impl->idleHook();
                pace();
                frameStartTime = host::tickCount64();
            }
        }
        // Whatever escaped the pass ends the loop, a throwable that is no Exception too: left
        // pending, it would end the thread without stopping the application.
        if (endLoopOnPending(kLoopExceptionPrefix, true)) break;
        if (serial) {
            if (!isNull(s.display)) s.display->callSerially(this);
            return;
        }
    }
    releaseLoop();
}

int64_t QXLib::pacingSleep(int64_t frameStartTime, int32_t budget, int64_t now) {
    return std::max<int64_t>(1, frameStartTime + budget - now);
}

void QXLib::pace() {
    const int32_t budget = cs().frameBudget;
    int64_t now = host::tickCount64();
    lowerTo(frameStartTime, now);
    // A fixed-step clock moves only as frames are presented: a sleep would only slow the run, and
    // waiting for the clock would never end.
    if (host::frameStep() != 0) {
        java_lang_Thread::yield();
        return;
    }
    if (config().SLEEP_TO_PACE != 0) {
        sleepIgnoringExceptions(pacingSleep(frameStartTime, budget, now));
        return;
    }
    while (now - budget - frameStartTime < 0) {
        java_lang_Thread::yield();
        now = host::tickCount64();
        lowerTo(frameStartTime, now);
    }
}

bool QXLib::endLoopOnPending(const char* prefix, bool anyThrowable) {
    Object* pending = app()->getPendingException();
    if (pending == nullptr) return false;
    if (!anyThrowable && !Object::instanceOf(pending, mrc::kClass_java_lang_Exception)) return false;
    app()->clearPendingException();
    traceThrowable(prefix, pending);
    cs().runState = kStopped;
    return true;
}

void QXLib::releaseLoop() {
    dbgPrintln(kTraceLoopEnded);
    dbgPrintln(kTraceReleased);
    if (config().KEYS_AS_HELD_COUNTS != 0) {
        keyStatics.keyCounts = nullptr;
        keyStatics.keyCountsSnapshot = nullptr;
    }
    if (config().USE_BACK_BUFFER != 0) {
        backBuffer = nullptr;
        backBufferGraphics = nullptr;
    }
    serviceStatics.textTable = nullptr;
    if (config().GC_AFTER_RELEASE != 0) java_lang_System::gc();
    if (config().KEEP_RUNNING_AFTER_LOOP != 0) return;
    MIDlet* midlet = cs().midlet;
    if (!isNull(midlet)) midlet->notifyDestroyed();
    else mrc::ApplicationImpl::getInstance()->stop();
}

void QXLib::paint(Graphics* g) {
    CanvasStatics& s = cs();
    if (config().DETECT_LONG_GAPS != 0) {
        int64_t now = host::tickCount64();
        int64_t gap = now - s.lastPaintTime;
        s.lastPaintTime = now;
        if (gap > config().LONG_GAP_MS && now != 0) {
            pause();
            resume();
        }
    }
    if (s.paused) return;
    // Taken in one step: a repaint racing the game thread's must not run a second frame.
    bool idle = false;
    if (!s.inFrame.compare_exchange_strong(idle, true)) return;
    snapshotKeys();
    if (config().USE_BACK_BUFFER != 0) {
        s.currentGraphics = backBufferGraphics;
        runFrame();
        if (app()->getPendingException() == nullptr) {
            if (isNull(g)) app()->reportError("NullPointer");
            else g->drawImage(backBuffer, 0, 0, kTopLeft);
        }
    } else {
        s.currentGraphics = g;
        runFrame();
    }
    endLoopOnPending(kFrameExceptionPrefix, false);
    const int32_t threshold = config().GC_FREE_MEMORY_THRESHOLD;
    if (threshold > 0 && java_lang_Runtime::freeMemory() < threshold) java_lang_System::gc();
    // Also when a throwable passes on to the caller: a flag left set would hold back every later
    // frame while the loop went on.
    s.inFrame = false;
}

void QXLib::pause() {
    CanvasStatics& s = cs();
    s.paused = true;
    dbgPrintln(kTracePause);
    // The channel layer also runs its queued stops at once while the game is paused.
    if (config().SOUND_STOP_ON_PAUSE != 0) QXLibPlayer::stopAllSoundChannels(s.paused);
}

void QXLib::resume() {
    dbgPrintln(kTraceResume);
    if (cs().paused) resumeFrames();
}

void QXLib::resumeFrames() {
    frameStartTime = host::tickCount64();
    cs().paused = false;
    dbgPrintln(kTraceResumed);
    makeCurrent(this);
    mrc::ApplicationImpl::getInstance()->flushScreen();
    clearKeys();
}

void QXLib::sizeChanged(int32_t w, int32_t h) {
    cs().sizeWidth = w;
    cs().sizeHeight = h;
}

void QXLib::pointerPressed(int32_t x, int32_t y) { GameInput::onPointerPressed(x, y); }

void QXLib::pointerReleased(int32_t x, int32_t y) { GameInput::onPointerReleased(this, x, y); }

void QXLib::pointerDragged(int32_t x, int32_t y) { GameInput::onPointerDragged(this, x, y); }

void mrc::registerQXLibStatics() {
    StaticClass::registerStatics("QXLib.keys", &QXLib::keyStatics);
    StaticClass::registerStatics("Game.input", &GameInput::inputStatics);
    StaticClass::registerStatics("QXLib.services", &QXLib::serviceStatics);
    StaticClass::registerStatics("QXLib.canvas", &QXLib::canvasStatics);
    StaticClass::setInitialiser(StaticInit::QXLib, &QXLib::clinit);
}
