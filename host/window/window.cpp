#include "host/window/window.h"

#include "host/core/clock.h"
#include "host/core/log.h"
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
    if (!m_script.finished())
        for (const auto& e : m_script.takeDue(presentCount(), tickCount())) applyScriptEvent(e);

    std::lock_guard lock(m_queueMutex);
    if (m_queue.empty()) return false;
    out = m_queue.front();
    m_queue.pop_front();
    return true;
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

void Window::destroy() {
    if (m_destroyed) return;
    m_destroyed = true;
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

void Window::setScript(ScriptedInput script) { m_script = std::move(script); }

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
