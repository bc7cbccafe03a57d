#include "platform/app/shell.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <new>
#include <string>
#include <vector>

#include "host/audio/audio.h"
#include "host/core/clock.h"
#include "host/core/log.h"
#include "host/core/sync.h"
#include "host/sdl/sdl_window.h"
#include "host/window/instance_lock.h"
#include "host/window/keys.h"
#include "host/window/window.h"
#include "platform/app/runtime_context.h"
#include "platform/display/display.h"
#include "platform/graphics/font_engine.h"
#include "platform/lcdui/displayable.h"
#include "runtime/core/application.h"
#include "runtime/core/object_manager.h"

namespace mrc {

namespace {

ShellState g_shell;
// The window a later instance's front request goes to; read on the instance lock's thread.
std::atomic<host::Window*> g_frontWindow{nullptr};
bool g_audioStarted = false;

constexpr const char* kInstanceName = "veltrano";
constexpr uint16_t kRed565 = 0xF800;

std::string executableFolder() {
    std::vector<char> path(4096);
    ssize_t n = ::readlink("/proc/self/exe", path.data(), path.size() - 1);
    if (n <= 0) return "./";
    std::string exe(path.data(), static_cast<std::size_t>(n));
    std::size_t slash = exe.rfind('/');
    return slash == std::string::npos ? "./" : exe.substr(0, slash + 1);
}

std::atomic<bool> g_terminateSignalled{false};

// The first Ctrl+C or SIGTERM closes the window the normal way; a second one ends the process at
// once, should the first not get through.
void onTerminateSignal(int signal) {
    if (g_terminateSignalled.exchange(true)) std::_Exit(128 + signal);
    g_shell.closeRequested.store(true);
}

// SetForegroundWindow: a request only when the window is not the foreground one already, so that
// it cannot undo a focus change that is still queued.
void setForeground(host::Window& window) {
    if (!window.hasFocus()) window.bringToFront();
}

Application* shellApplication() { return g_shell.application; }

// Pen coordinates, scaled only when pen scaling is on and the factor is not 1.
int scaled(int v, float factor) {
    if (!g_shell.penScaling || factor == 1.0f) return v;
    return static_cast<int>(std::floor(static_cast<float>(v) * factor + 0.5f));
}

void onFocusGained(host::Window& window) {
    ShellState& s = g_shell;
    setForeground(window);
    window.setFullScreen(true);
    window.show();
    // The host has no system key handling to take over (AllKeys).
    if (mrc_getOrientation() != kWantedOrientation) mrc_setOrientation(kWantedOrientation);
    callResumeHooks(shellApplication());
    s.sx = static_cast<float>(kLogicalWidth) / static_cast<float>(host::kScreenWidth);
    s.sy = static_cast<float>(kLogicalHeight) / static_cast<float>(host::kScreenHeight);
}

void onFocusLost(host::Window& window) {
    ShellState& s = g_shell;
    callPauseHooks(shellApplication());
    s.penIgnore = true;
    mrc_setOrientation(s.userOrientation);
    window.setFullScreen(false);
    // Unless the focus has come back meanwhile (its messages are still queued): minimising now
    // would take it away again.
    if (!window.hasFocus()) window.minimize();
}

void onSettingChange() {
    ShellState& s = g_shell;
    if (!s.active) return;
    uint32_t o = mrc_getOrientation();
    if (s.orientationPending) {
        s.orientationPending = false;
        s.userOrientation = o;
    }
    if (o != kWantedOrientation) {
        mrc_setOrientation(kWantedOrientation);
        s.orientationPending = true;
    }
}

uint32_t messageKey(const host::Message& m) {
    return m.key == host::vk::ProcessKey ? g_shell.imeKey : (m.key & 0xFF);
}

void onKeyDown(const host::Message& m) {
    int32_t code = mrc_mapVirtualKey(messageKey(m));
    if ((kSystemKeys && mrc_isSystemKey(code)) || mrc_isVolumeKey(code)) return;
    if (Application* app = shellApplication()) app->keyPressed(code);
}

void onKeyUp(host::Window& window, const host::Message& m) {
    ShellState& s = g_shell;
    int32_t code = mrc_mapVirtualKey(messageKey(m));
    if (kSystemKeys && mrc_isSystemKey(code)) {
        // The system's key: the game steps aside, and the key would go on to the system (which
        // the host does not have).
        window.minimize();
        host::BlockingRegion blocking;
        host::sleepMs(s.systemKeyDelayMs);
    } else if (code == int32_t(host::vk::F6) || s.imeKey == host::vk::F6) {
        ApplicationImpl::getInstance()->volumeUp();
    } else if (code == int32_t(host::vk::F7) || s.imeKey == host::vk::F7) {
        ApplicationImpl::getInstance()->volumeDown();
    } else if (Application* app = shellApplication()) {
        app->keyReleased(code);
    }
}

void onPen(const host::Message& m) {
    ShellState& s = g_shell;
    if (m.id == host::MessageId::PenMove && s.penIgnore) return;
    if (m.id == host::MessageId::PenUp && s.penIgnore) {
        s.penIgnore = false;
        return;
    }
    javax_microedition_lcdui_Displayable* current = currentOf(shellApplication());
    if (!current) return;
    int x = scaled(m.x, s.sx);
    int y = scaled(m.y, s.sy);
    switch (m.id) {
        case host::MessageId::PenDown: current->pointerPressed(x, y); break;
        case host::MessageId::PenUp: current->pointerReleased(x, y); break;
        default: current->pointerDragged(x, y); break;
    }
    endUiCallback("Displayable::pointer event");
}

std::unique_ptr<host::Window> openMainWindow(const ShellOptions& options) {
    host::WindowConfig config;
    config.backend = options.backend;
    config.title = kWindowTitle;
    std::unique_ptr<host::Window> window;
    if (options.backend == host::Backend::Sdl) {
        host::selectBackend(host::Backend::Sdl);
        window = host::openWindow(config, mrc_WndProc);
        if (!window && options.backendChosen) {
            mrc_log("InitInstance: no window could be opened on this display; running headless");
            config.backend = host::Backend::Headless;
        }
    }
    if (config.backend == host::Backend::Headless) {
        host::selectBackend(host::Backend::Headless);
        window = host::openWindow(config, mrc_WndProc);
    }
    if (auto* sdl = dynamic_cast<host::SdlWindow*>(window.get()))
        mrc_log("InitInstance: window on the %s video driver", sdl->videoDriver().c_str());
    return window;
}

// The sound recording of the run, as the user named it; "" for none.
std::string g_audioRecordPath;

void startAudio(host::Window& window, const ShellOptions& options) {
    host::AudioConfig config;
    config.recordLimitFrames = 0;
    if (options.audioPacedByFrames) {
        // The clock moves with the frames: so does the sound, mixed as each frame is shown.
        host::audioInit(host::AudioBackend::Headless, config);
        if (!options.audioRecordPath.empty()) host::audioRecordToFile(options.audioRecordPath);
        window.setPresentListener([] { host::audioPumpToClock(); });
    } else {
        // Unattended runs play to nothing, in real time, and keep nothing.
        config.realtime = true;
        host::audioInit(window.backend() == host::Backend::Sdl ? host::AudioBackend::Sdl : host::AudioBackend::Headless,
                        config);
    }
    g_audioStarted = true;
}

// The screenshot of the run, as the user named it; "" for none.
std::string g_screenshotPath;

// After the exit sequence: a screenshot that was asked for and not written fails the run, with
// one line naming it.
int exitCodeAfterRun(int code) {
    if (!g_audioRecordPath.empty() && !host::audioRecordingComplete()) {
        std::fprintf(stderr, "veltrano: the sound recording %s could not be written in full\n", g_audioRecordPath.c_str());
        if (code == kExitOk) code = kExitFailed;
    }
    if (g_screenshotPath.empty() || exitScreenshotWritten()) return code;
    std::string reason = "the PNG could not be written";
    std::filesystem::path folder = std::filesystem::path(g_screenshotPath).parent_path();
    if (folder.empty()) folder = ".";
    std::error_code ec;
    if (!std::filesystem::is_directory(folder, ec)) reason = "no folder " + folder.string();
    else if (::access(folder.c_str(), W_OK) != 0) reason = std::strerror(errno);
    else if (framesPresented() == 0) reason = "no frame was presented";
    std::fprintf(stderr, "veltrano: cannot write the screenshot %s: %s\n", g_screenshotPath.c_str(), reason.c_str());
    return code == kExitOk ? kExitFailed : code;
}

void closeLogFile() {
    if (!g_shell.logFileOpen) return;
    host::setLogFile("");
    g_shell.logFileOpen = false;
}

}  // namespace

ShellState& shellState() { return g_shell; }

// ---- keys -------------------------------------------------------------------------------------

int32_t mrc_mapVirtualKey(uint32_t virtualKey) {
    namespace vk = host::vk;
    switch (virtualKey) {
        case vk::Return: return -5;
        case vk::Left: return -3;
        case vk::Up: return -1;
        case vk::Right: return -4;
        case vk::Down: return -2;
        case vk::F1: return -6;
        case vk::F2: return -7;
        case vk::F8: return '*';
        case vk::F9: return '#';
        default: break;
    }
    if (virtualKey >= vk::Numpad0 && virtualKey <= vk::numpad(9)) return int32_t('0' + (virtualKey - vk::Numpad0));
    return static_cast<int32_t>(virtualKey);
}

bool mrc_isSystemKey(int32_t code) {
    namespace vk = host::vk;
    switch (code) {
        case int32_t(vk::LeftWindows):
        case int32_t(vk::RightWindows):
        case int32_t(vk::F3):
        case int32_t(vk::F4):
        case int32_t(vk::Escape):
        case int32_t(vk::Home): return true;
        default: return false;
    }
}

bool mrc_isVolumeKey(int32_t code) { return code == int32_t(host::vk::F6) || code == int32_t(host::vk::F7); }

// ---- orientation ------------------------------------------------------------------------------

uint32_t mrc_getOrientation() { return host::displayOrientation(); }

void mrc_setOrientation(uint32_t orientation) { host::setDisplayOrientation(orientation); }

void mrc_restoreDisplayMode() {
    ApplicationImpl* impl = ApplicationImpl::getInstance();
    Application* app = impl->application;
    if (!app) return;
    if (mrc_getOrientation() == kWantedOrientation) {
        if (app->paused.load()) app->resumeApp();
        return;
    }
    if (!app->paused.load()) app->pauseApp();
    impl->orientationChange.store(1);
    mrc_setOrientation(kWantedOrientation);
}

// ---- window procedure and pump ----------------------------------------------------------------

void mrc_WndProc(host::Window& window, const host::Message& message) {
    ShellState& s = g_shell;
    switch (message.id) {
        case host::MessageId::Create: s.userOrientation = mrc_getOrientation(); break;
        case host::MessageId::Destroy:
        case host::MessageId::Close: window.postQuit(0); break;
        case host::MessageId::Activate:
            s.active = message.value != 0;
            ApplicationImpl::getInstance()->windowActive.store(s.active ? 1 : 0);
            break;
        case host::MessageId::SetFocus:
        case host::MessageId::CancelMode: onFocusGained(window); break;
        case host::MessageId::KillFocus: onFocusLost(window); break;
        case host::MessageId::SettingChange: onSettingChange(); break;
        case host::MessageId::KeyDown: onKeyDown(message); break;
        case host::MessageId::KeyUp: onKeyUp(window, message); break;
        case host::MessageId::PenMove:
        case host::MessageId::PenDown:
        case host::MessageId::PenUp: onPen(message); break;
        default: break;
    }
}

void mrc_requestClose() { g_shell.closeRequested.store(true); }

void mrc_requestMinimize() { g_shell.minimizeRequested.store(true); }

void mrc_pumpMessages() {
    ShellState& s = g_shell;
    if (!s.window) return;
    if (s.closeRequested.exchange(false)) s.window->injectClose();
    if (s.minimizeRequested.exchange(false)) s.window->minimize();
    host::Message message;
    while (s.window && s.window->peek(message)) {
        if (message.id == host::MessageId::Quit) {
            ApplicationImpl::getInstance()->running.store(0);
            mrc_exitSequence();
            std::exit(exitCodeAfterRun(message.value));
        }
        // The host has no input method, so no key is ever the input method's.
        s.imeKey = 0;
        s.window->dispatch(message);
    }
}

// ---- start and end ----------------------------------------------------------------------------

void mrc_exitSequence() {
    ShellState& s = g_shell;
    if (s.exitDone) return;
    s.exitDone = true;
    ApplicationImpl* impl = ApplicationImpl::getInstance();
    impl->shutdown();
    mrc_setOrientation(s.userOrientation);
    closeLogFile();
    // The window's device context, the task bar and the desktop's repaint are the device's: the
    // host has nothing to give back for them.
    s.application = nullptr;
    s.instanceLock.reset();
    g_frontWindow.store(nullptr);
    if (s.window) {
        s.window->destroy();
        s.window.reset();
    }
    if (g_audioStarted) {
        host::audioShutdown();
        g_audioStarted = false;
    }
}

int WinMain(const ShellOptions& options) {
    ShellState& s = g_shell;
    ApplicationImpl* impl = ApplicationImpl::getInstance();
    s.exitDone = false;
    s.closeRequested.store(false);
    s.minimizeRequested.store(false);
    g_terminateSignalled.store(false);
    s.programFolder = executableFolder();
    if (s.logToFile) s.logFileOpen = host::setLogFile(s.programFolder + "log.txt");

    g_screenshotPath = options.screenshotPath;
    g_audioRecordPath = options.audioPacedByFrames ? options.audioRecordPath : "";
    // One instance on a desktop with windows; unattended headless runs go side by side.
    if (options.backend == host::Backend::Sdl) {
        host::InstanceLock::Result lockResult = host::InstanceLock::Result::Failed;
        s.instanceLock = host::InstanceLock::acquire(
            kInstanceName,
            [] {
                if (host::Window* w = g_frontWindow.load()) w->bringToFront();
            },
            &lockResult, options.instanceDir);
        if (lockResult == host::InstanceLock::Result::AnotherRunning) {
            std::string dir = options.instanceDir.empty() ? host::defaultRuntimeDir() : options.instanceDir;
            std::fprintf(stderr, "veltrano: another instance is running (its lock is in %s); it was asked to come to the front\n",
                         dir.c_str());
            closeLogFile();
            return kExitAnotherInstance;
        }
    }
    std::set_new_handler(&mrc_onOutOfStore);

    s.window = openMainWindow(options);
    if (!s.window) {
        closeLogFile();
        s.instanceLock.reset();
        return kExitFailed;
    }
    // A window that fell back to headless holds no lock either.
    if (s.window->backend() != host::Backend::Sdl) s.instanceLock.reset();
    g_frontWindow.store(s.window.get());
    if (options.script) s.window->setScript(*options.script);
    if (options.frameHashSink) s.window->setFrameHashSink(options.frameHashSink);
    std::signal(SIGTERM, onTerminateSignal);
    std::signal(SIGINT, onTerminateSignal);
    setForeground(*s.window);
    s.window->setFullScreen(true);
    mrc_log("\nInitInstance: SHFullscreen returned %d.", 1);
    s.window->show();
    setExitScreenshot(options.screenshotPath);
    setFrameLimit(options.frameLimit);
    startAudio(*s.window, options);

    if (!impl->openDisplay(options.displayType.c_str(), *s.window)) {
        mrc_exitSequence();
        return kExitFailed;
    }
    if (s.smoothScaling) impl->display->setSmoothScaling();
    setLocalizedMessages(host::userInterfaceLanguage() & 0x3FF);
    mrc_drawCenteredMessage();
    if (!impl->init()) {
        mrc_exitSequence();
        return kExitFailed;
    }

    s.application = impl->application;
    mrc_pumpMessages();
    if (s.window) {
        setForeground(*s.window);
        s.window->setFullScreen(true);
    }
    impl->run();
    mrc_exitSequence();
    return exitCodeAfterRun(kExitOk);
}

// ---- start-up message -------------------------------------------------------------------------

void mrc_drawCenteredMessage() {
    ApplicationImpl* impl = ApplicationImpl::getInstance();
    host::CriticalSectionLock lock(impl->displayLock);
    Display* display = impl->display;
    uint16_t* pixels = display ? display->getFrameBuffer() : nullptr;
    if (!pixels) return;
    int32_t w = display->getWidth();
    int32_t h = display->getHeight();
    int32_t pitch = display->getBufferPitch() / 2;
    if (w <= 0 || h <= 0 || pitch < w) return;
    display->lock();
    for (int32_t y = 0; y < h; ++y) std::fill_n(pixels + std::size_t(y) * pitch, w, uint16_t(0));
    if (gfx::FontEngine* font = gfx::FontEngine::system()) {
        std::u16string text = localizedMessage(6);
        auto count = static_cast<int32_t>(text.size());
        int32_t textWidth = std::min(font->measure(text.data(), count), w);
        int32_t textHeight = font->height();
        if (textWidth > 0 && textHeight > 0) {
            std::vector<uint8_t> mask(std::size_t(textWidth) * textHeight);
            font->render(text.data(), count, mask.data(), textWidth, textHeight);
            int32_t left = (w - textWidth) / 2;
            int32_t top = h / 2;
            for (int32_t y = 0; y < textHeight && top + y < h; ++y)
                for (int32_t x = 0; x < textWidth; ++x)
                    if (mask[std::size_t(y) * textWidth + x]) pixels[std::size_t(top + y) * pitch + left + x] = kRed565;
        }
    }
    display->unlock();
    display->present();
}

bool isPocketPC() {
    // The host never reports the Pocket PC platform type: its collector stops the other threads
    // at their safe points rather than anywhere.
    return false;
}

}  // namespace mrc
