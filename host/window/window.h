// The program's one main window: a message queue drained by the UI thread and handed to a window
// procedure, the window's state (focus, minimised, full screen) and its presenters.
//
// Input reaches the queue as the device delivers it: keys as virtual key codes, the pen in screen
// coordinates (800 × 480, whatever the window's size), focus changes as Activate followed by
// SetFocus or KillFocus, the close button as Close. post, postQuit and bringToFront may be called
// from any thread; everything else from the thread that opened the window.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "host/window/geometry.h"
#include "host/window/message.h"
#include "host/window/present.h"
#include "host/window/script.h"
#include "host/window/system.h"

namespace host {

class Window;
using WindowProcedure = std::function<void(Window& window, const Message& message)>;

struct WindowConfig {
    Backend backend = selectedBackend();
    std::string title = "Veltrano - Wrath Of Kelos";
    int width = 0;               // Sdl: first size of the window; 0: 800 × 480, shrunk to fit the display
    int height = 0;
    bool allowFullScreen = false;  // Sdl: honour setFullScreen; otherwise it stays a window
    bool startFocused = true;    // the new window is the foreground one (Headless; Sdl always is)
    std::size_t keepFrames = 1;  // Headless: frames kept in memory, 0 for all
    bool captureFrames = false;  // Sdl: keep a copy of what reached the window (readBack)
};

// Opens the window of the configured back end: the procedure receives Create before this returns,
// then Activate and SetFocus when the window starts focused. Null, with a trace, on failure.
std::unique_ptr<Window> openWindow(const WindowConfig& config, WindowProcedure procedure);

class Window {
public:
    virtual ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    Backend backend() const { return m_config.backend; }
    const WindowConfig& config() const { return m_config; }

    // Queue. peek first turns native events and due scripted input into messages, then removes and
    // returns the oldest message; false when there is none.
    void post(const Message& message);
    void postQuit(int exitCode);
    bool peek(Message& out);
    std::size_t pendingMessages() const;
    // Calls the procedure; Quit and a window without procedure call nothing.
    void dispatch(const Message& message);
    void setProcedure(WindowProcedure procedure);
    // Destroy: the procedure receives Destroy once; the window stays usable for its presenters.
    void destroy();

    // State.
    bool hasFocus() const { return m_focused; }
    bool isMinimized() const { return m_minimized; }
    bool isFullScreen() const { return m_fullScreen; }
    bool isVisible() const { return m_visible; }
    void show();
    // Minimising the focused window takes its focus away (Activate 0, KillFocus).
    void minimize();
    void setFullScreen(bool on);
    // Restores, raises and focuses the window at the next peek. Any thread (another instance's
    // request arrives on the instance lock's thread).
    void bringToFront();
    uint64_t frontRequests() const { return m_frontRequests.load(); }

    // Size of the area the picture is scaled into, in pixels.
    virtual int drawableWidth() const = 0;
    virtual int drawableHeight() const = 0;

    // Input as the device would deliver it; used by scripted input, by headless runs and tests.
    // Keys, pen and close only post, so any thread may inject them; focus belongs to the window's thread.
    void injectKey(uint32_t key, bool down) { post(keyMessage(key, down)); }
    void injectPen(PenAction action, int x, int y) { post(penMessage(action, x, y)); }
    void injectFocus(bool gained);
    void injectClose() { post({MessageId::Close, 0, 0, 0, 0}); }

    // Scripted input, delivered by peek as its lines fall due.
    void setScript(ScriptedInput script);
    bool scriptFinished() const;

    // Fixed-step runs (host::frameStep() set): called by a thread other than the window's before it
    // starts a frame. Returns once every scripted line due by the frames presented so far has been
    // dispatched on the window's thread (peek found the queue empty after taking it), so that the same
    // input meets the same frame in every run. Returns at once without a frame step, on the window's
    // own thread, when nothing is due, and once the window is closing (Quit taken or destroyed).
    // A blocking call for the collector.
    void awaitDueInput();
    // The window is closing: every wait for due input ends now, and later ones return at once.
    // The runtime calls it before it stops its threads for good, so that none is left waiting
    // inside a window that is about to go.
    void endInputWaits();

    // Presenters; null, with a trace, while another presenter of this window exists or when the back
    // end cannot present that way.
    std::unique_ptr<StretchPresenter> createStretchPresenter();
    std::unique_ptr<DirectPresenter> createDirectPresenter();
    // Frames presented through any presenter of this window.
    uint64_t presentCount() const { return m_presents.load(std::memory_order_acquire); }
    // Receives the number (1 for the first present) and frameHash of every frame presented from now
    // on, on the presenting thread; an empty sink stops it. Frames are hashed only while one is set.
    using FrameHashSink = std::function<void(uint64_t frame, uint64_t hash)>;
    void setFrameHashSink(FrameHashSink sink);
    // Runs after every presented frame, on the presenting thread, once the frame step has moved the
    // clocks (fixed-step runs mix their sound for the frame's time there); an empty one stops it.
    using PresentListener = std::function<void()>;
    void setPresentListener(PresentListener listener);

    // Lost surfaces, as a window resize or a test makes them: a direct presenter's surface is lost
    // until restored after its generation moved on.
    void losePrimarySurface() { m_primaryGeneration.fetch_add(1); }
    void loseBackSurface() { m_backGeneration.fetch_add(1); }
    uint64_t primaryGeneration() const { return m_primaryGeneration.load(); }
    uint64_t backGeneration() const { return m_backGeneration.load(); }

    enum class PresentPath { Stretch, Direct };

    // What presenters hold of their window: cleared when the window goes.
    struct PresenterSlot {
        std::mutex mutex;
        Window* window = nullptr;
        bool inUse = false;
    };

protected:
    Window(const WindowConfig& config, WindowProcedure procedure);

    // Presenter hooks of the back end. preparePresenter runs on the window's thread when a presenter
    // is created; showFrame takes one 800 × 480 RGB565 frame from any thread (with the presenter's
    // lock held); presenterReleased runs when the presenter goes.
    virtual bool preparePresenter(PresentPath path) = 0;
    virtual bool showFrame(PresentPath path, const uint16_t* pixels, int pitchBytes, ScaleFilter filter) = 0;
    virtual DirectPresenter::SurfaceInfo primarySurfaceInfo() const = 0;
    virtual void presenterReleased() {}
    // Every back end's destructor calls this first, so that no presenter reaches a half-destroyed window.
    void detachPresenters();

    // The back end calls this once its native window stands.
    void opened(bool focused);
    // Posts the activation messages when the focus state changes.
    void setFocusState(bool focused);
    void setMinimizedState(bool minimized) { m_minimized = minimized; }
    // After a back end has shown a frame (presenter lock held): the frame step's clocks, the count,
    // the hash sink, the present listener.
    void framePresented(const uint16_t* pixels, int pitchBytes);

    virtual void pumpNative() {}
    virtual void nativeShow() {}
    virtual void nativeMinimize() {}
    virtual void nativeRaise() {}
    virtual void nativeFullScreen(bool) {}

private:
    void applyScriptEvent(const ScriptEvent& event);
    void takeDueScriptLines();
    void inputDrained();

    WindowConfig m_config;
    WindowProcedure m_procedure;
    const std::thread::id m_thread = std::this_thread::get_id();
    mutable std::mutex m_queueMutex;
    std::deque<Message> m_queue;
    // The script and the fixed-step hand-over of its lines to the frames.
    mutable std::mutex m_scriptMutex;
    std::condition_variable m_inputDrainedCv;
    ScriptedInput m_script;
    uint64_t m_drainedThrough = 0;  // presents after which every due line was dispatched
    int m_pumpsToSettle = 0;        // drains still to come before the lines taken last have acted
    bool m_closing = false;
    std::mutex m_hashMutex;
    FrameHashSink m_hashSink;
    PresentListener m_presentListener;  // guarded by m_hashMutex too
    bool m_focused = false;
    bool m_minimized = false;
    bool m_fullScreen = false;
    bool m_visible = false;
    bool m_destroyed = false;
    std::atomic<bool> m_frontPending{false};
    std::atomic<uint64_t> m_frontRequests{0};
    std::atomic<uint64_t> m_presents{0};
    std::atomic<uint64_t> m_primaryGeneration{0};
    std::atomic<uint64_t> m_backGeneration{0};
    std::shared_ptr<PresenterSlot> m_presenterSlot = std::make_shared<PresenterSlot>();

    friend class WindowStretchPresenter;
    friend class WindowDirectPresenter;
};

// The system's announcements (SettingChange) go to the most recently opened window that still
// exists. False when there is none.
bool postToMainWindow(const Message& message);

}  // namespace host
