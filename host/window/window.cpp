#include "host/window/window.h"

#include "host/core/clock.h"
#include "host/core/log.h"
#include "host/core/sync.h"
#include "host/headless/headless_window.h"
#include "host/sdl/sdl_window.h"

namespace host {
namespace {

std::mutex g_mainMutex;
Window* g_main = nullptr;

}  // namespace

const char* messageName(MessageId id) {
    switch (id) {
        case MessageId::None: return "None";
        case MessageId::Create: return "Create";
        case MessageId::Destroy: return "Destroy";
        case MessageId::Activate: return "Activate";
        case MessageId::SetFocus: return "SetFocus";
        case MessageId::KillFocus: return "KillFocus";
        case MessageId::Close: return "Close";
        case MessageId::Quit: return "Quit";
        case MessageId::SettingChange: return "SettingChange";
        case MessageId::CancelMode: return "CancelMode";
        case MessageId::KeyDown: return "KeyDown";
        case MessageId::KeyUp: return "KeyUp";
        case MessageId::PenMove: return "PenMove";
        case MessageId::PenDown: return "PenDown";
        case MessageId::PenUp: return "PenUp";
    }
    return "Unknown";
}

std::unique_ptr<Window> openWindow(const WindowConfig& config, WindowProcedure procedure) {
    if (config.backend == Backend::Sdl) return SdlWindow::open(config, std::move(procedure));
    return HeadlessWindow::open(config, std::move(procedure));
}

bool postToMainWindow(const Message& message) {
    std::lock_guard lock(g_mainMutex);
    if (!g_main) return false;
    g_main->post(message);
    return true;
}

Window::Window(const WindowConfig& config, WindowProcedure procedure)
    : m_config(config), m_procedure(std::move(procedure)) {
    std::lock_guard lock(g_mainMutex);
    g_main = this;
}

Window::~Window() {
    std::lock_guard lock(g_mainMutex);
    if (g_main == this) g_main = nullptr;
}

void Window::opened(bool focused) {
    m_visible = true;
    dispatch({MessageId::Create, 0, 0, 0, 0});
    if (focused) {
        // A new foreground window is activated while it is being created, before any message is
        // pumped, so these are sent rather than queued.
        m_focused = true;
        dispatch({MessageId::Activate, 0, 0, 0, 1});
        dispatch({MessageId::SetFocus, 0, 0, 0, 0});
    }
}

void Window::post(const Message& message) {
    std::lock_guard lock(m_queueMutex);
    m_queue.push_back(message);
}

void Window::postQuit(int exitCode) { post({MessageId::Quit, 0, 0, 0, exitCode}); }

bool Window::peek(Message& out) {
    if (m_frontPending.exchange(false)) {
        nativeRaise();
        m_minimized = false;
        m_visible = true;
        setFocusState(true);
    }
    pumpNative();
    // The count before the clock: a fixed step moves the clock before the count, so the lines due
    // by this count are all taken.
    const uint64_t presents = presentCount();
    takeDueScriptLines();
    {
        std::lock_guard lock(m_queueMutex);
        if (!m_queue.empty()) {
            out = m_queue.front();
            m_queue.pop_front();
            if (out.id == MessageId::Quit) endInputWaits();
            return true;
        }
    }
    // Empty: every message handed out before has been dispatched.
    std::lock_guard lock(m_scriptMutex);
    if (m_pumpsToSettle > 0) --m_pumpsToSettle;
    if (m_pumpsToSettle == 0 && presents > m_drainedThrough) m_drainedThrough = presents;
    m_inputDrainedCv.notify_all();
    return false;
}

void Window::takeDueScriptLines() {
    std::vector<ScriptEvent> due;
    {
        std::lock_guard lock(m_scriptMutex);
        if (m_script.finished()) return;
        // A fixed-step clock moves with the frames, and a device without focus or unattended
        // presents none: there, once the lines before have acted, the clock moves on to the next
        // line, which may end that.
        if (std::optional<uint32_t> next = m_script.nextTime();
            next && m_pumpsToSettle == 0 && (!m_focused || powerState() == PowerState::Unattended))
            skipFrameStepClockTo(*next);
        due = m_script.takeDue(presentCount(), tickCount());
        if (due.empty()) return;
        // Power and orientation act through the host's state, which the main loop reads before its
        // next pump: they have acted once the queue has run empty twice.
        m_pumpsToSettle = 1;
        for (const ScriptEvent& e : due)
            if (e.kind == ScriptEvent::Kind::Power || e.kind == ScriptEvent::Kind::Orientation) m_pumpsToSettle = 2;
    }
    for (const ScriptEvent& e : due) applyScriptEvent(e);
}

bool Window::scriptFinished() const {
    std::lock_guard lock(m_scriptMutex);
    return m_script.finished();
}

void Window::awaitDueInput() {
    if (frameStep() == 0 || std::this_thread::get_id() == m_thread) return;
    const uint64_t presents = presentCount();
    const uint32_t tick = tickCount();
    auto settled = [&] { return m_closing || (m_pumpsToSettle == 0 && m_drainedThrough >= presents); };
    {
        std::lock_guard lock(m_scriptMutex);
        if (m_closing || (m_pumpsToSettle == 0 && !m_script.hasDue(presents, tick))) return;
    }
    // Parked for the collector before the lock: leaving the region may stop this thread, which must
    // not happen while it holds what the window's thread needs.
    BlockingRegion blocking;
    std::unique_lock lock(m_scriptMutex);
    m_inputDrainedCv.wait(lock, settled);
}

void Window::setFrameHashSink(FrameHashSink sink) {
    std::lock_guard lock(m_hashMutex);
    m_hashSink = std::move(sink);
}

void Window::framePresented(const uint16_t* pixels, int pitchBytes) {
    advanceFrameStep();
    const uint64_t number = m_presents.fetch_add(1, std::memory_order_acq_rel) + 1;
    std::lock_guard lock(m_hashMutex);
    if (m_hashSink) m_hashSink(number, frameHash(pixels, kScreenWidth, kScreenHeight, pitchBytes));
    if (m_presentListener) m_presentListener();
}

void Window::setPresentListener(PresentListener listener) {
    std::lock_guard lock(m_hashMutex);
    m_presentListener = std::move(listener);
}

std::size_t Window::pendingMessages() const {
    std::lock_guard lock(m_queueMutex);
    return m_queue.size();
}

void Window::dispatch(const Message& message) {
    if (message.id == MessageId::Quit || !m_procedure) return;
    m_procedure(*this, message);
}

void Window::setProcedure(WindowProcedure procedure) { m_procedure = std::move(procedure); }

void Window::endInputWaits() {
    std::lock_guard lock(m_scriptMutex);
    m_closing = true;
    m_inputDrainedCv.notify_all();
}

void Window::destroy() {
    if (m_destroyed) return;
    m_destroyed = true;
    endInputWaits();
    dispatch({MessageId::Destroy, 0, 0, 0, 0});
}

void Window::show() {
    nativeShow();
    m_visible = true;
    m_minimized = false;
}

void Window::minimize() {
    nativeMinimize();
    m_minimized = true;
    setFocusState(false);
}

void Window::setFullScreen(bool on) {
    m_fullScreen = on;
    nativeFullScreen(on);
}

void Window::bringToFront() {
    m_frontRequests.fetch_add(1);
    m_frontPending.store(true);
}

void Window::injectFocus(bool gained) {
    if (gained) m_minimized = false;
    setFocusState(gained);
}

void Window::setFocusState(bool focused) {
    if (focused == m_focused) return;
    m_focused = focused;
    std::lock_guard lock(m_queueMutex);
    m_queue.push_back({MessageId::Activate, 0, 0, 0, focused ? 1 : 0});
    m_queue.push_back({focused ? MessageId::SetFocus : MessageId::KillFocus, 0, 0, 0, 0});
}

void Window::setScript(ScriptedInput script) {
    std::lock_guard lock(m_scriptMutex);
    m_script = std::move(script);
}

void Window::applyScriptEvent(const ScriptEvent& e) {
    switch (e.kind) {
        case ScriptEvent::Kind::Key: injectKey(e.key, e.on); break;
        case ScriptEvent::Kind::Pen: injectPen(e.pen, e.x, e.y); break;
        case ScriptEvent::Kind::Focus: injectFocus(e.on); break;
        case ScriptEvent::Kind::Power: setPowerState(e.power); break;
        case ScriptEvent::Kind::Orientation: setDisplayOrientation(e.value); break;
        case ScriptEvent::Kind::Language: setUserInterfaceLanguage(static_cast<uint16_t>(e.value)); break;
        case ScriptEvent::Kind::SettingChange: announceSettingChange(); break;
        case ScriptEvent::Kind::Close: injectClose(); break;
    }
}

}  // namespace host
