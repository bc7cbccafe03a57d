// The platform part of the runtime context: start-up, the main loop, painting and presenting,
// pause and resume, the volume keys, platform requests and shutdown.
#include <cstring>
#include <string>

#include "host/audio/wave_out.h"
#include "host/core/clock.h"
#include "host/core/log.h"
#include "host/core/sync.h"
#include "host/core/thread.h"
#include "host/fs/paths.h"
#include "host/net/http.h"
#include "host/net/socket.h"
#include "host/window/system.h"
#include "host/window/window.h"
#include "platform/app/runtime_context.h"
#include "platform/app/shell.h"
#include "platform/display/display.h"
#include "platform/lcdui/displayable.h"
#include "platform/lcdui/font.h"
#include "platform/lcdui/graphics.h"
#include "platform/lcdui/image.h"
#include "platform/midlet/midlet.h"
#include "runtime/core/application.h"
#include "runtime/core/object_manager.h"
#include "runtime/core/static_class.h"
#include "runtime/lang/string.h"
#include "runtime/lang/thread.h"

namespace mrc {

namespace {

using Displayable = javax_microedition_lcdui_Displayable;
using Graphics = javax_microedition_lcdui_Graphics;
using Image = javax_microedition_lcdui_Image;
using MIDlet = javax_microedition_midlet_MIDlet;

constexpr int32_t kScreenWidth = kLogicalWidth;
constexpr int32_t kScreenHeight = kLogicalHeight;
constexpr uint32_t kVolumeStep = 6553;
constexpr uint32_t kVolumeMax = 0xFFFF;
// From here a step up reaches the top.
constexpr uint32_t kVolumeNearTop = 58981;

std::atomic<uint64_t> g_frameLimit{0};
std::atomic<uint64_t> g_framesPresented{0};
// hideNotify has been called for an unattended power state.
bool g_powerPaused = false;
std::string g_exitScreenshot;
bool g_exitScreenshotWritten = false;

// How long shutdown waits for a thread that is inside a blocking call to stop itself.
constexpr uint32_t kStopWaitMs = 1000;

// In the cooperative mode a thread inside a blocking call counts as stopped, yet goes on until the
// call returns and only then stops itself. The runtime is not taken down under one still on its
// way: it would wake into a process that is being destroyed.
void awaitOtherThreadsHeld(ApplicationImpl& impl) {
    ThreadSlot* self = impl.currentSlot();
    uint32_t start = host::tickCount();
    for (ThreadSlot& slot : impl.threads) {
        std::shared_ptr<host::ThreadHandle> handle;
        {
            host::CriticalSectionLock lock(impl.threadLock);
            if (!slot.thread || &slot == self) continue;
            handle = slot.handle;
        }
        while (handle && !handle->suspended() && !handle->exited()) {
            if (host::tickCount() - start > kStopWaitMs) {
                mrc_log("ApplicationImpl::shutdown(): thread 0x%X stays in a blocking call", handle->id());
                break;
            }
            host::sleepMs(1);
        }
    }
}

// Each channel (16 bits) one step up or down, pinned at the ends.
uint32_t channelUp(uint32_t v) { return v >= kVolumeNearTop ? kVolumeMax : v + kVolumeStep; }
uint32_t channelDown(uint32_t v) { return v <= kVolumeStep ? 0 : v - kVolumeStep; }

void stepVolume(ApplicationImpl& impl, uint32_t (*step)(uint32_t), const char* what) {
    uint32_t word = 0;
    if (host::waveOutGetVolume(host::kWaveOutDevice0, &word) != host::WaveResult::Ok) {
        mrc_log("ApplicationImpl::%s(): no wave-out device", what);
        return;
    }
    uint32_t next = step(word & 0xFFFF) | (step(word >> 16) << 16);
    host::waveOutSetVolume(host::kWaveOutDevice0, next);
    impl.volume = next;
}

}  // namespace

// ---- helpers of the shell ---------------------------------------------------------------------

void setFrameLimit(uint64_t limit) {
    g_frameLimit.store(limit);
    g_framesPresented.store(0);
}

uint64_t framesPresented() { return g_framesPresented.load(); }

void setExitScreenshot(std::string path) {
    g_exitScreenshot = std::move(path);
    g_exitScreenshotWritten = false;
}

bool exitScreenshotWritten() { return g_exitScreenshotWritten; }

MIDlet* midletOf(const Application* app) {
    return app && !isNull(app->midlet) ? static_cast<MIDlet*>(app->midlet) : nullptr;
}

Displayable* currentOf(const Application* app) {
    return app && !isNull(app->current) ? static_cast<Displayable*>(app->current) : nullptr;
}

void endUiCallback(const char* what) {
    Application* app = ApplicationImpl::getApplication();
    if (!app) return;
    if (Object* pending = app->getPendingException()) {
        mrc_log("%s left %s pending", what,
                pending->m_classId < kClassCount ? kClassNames[pending->m_classId] : "an exception");
        app->clearPendingException();
    }
}

namespace {

bool callHooks(const Application* app, bool resume) {
    MIDlet* m = midletOf(app);
    Displayable* d = currentOf(app);
    if (!m || !d) return false;
    resume ? m->startApp() : m->pauseApp();
    endUiCallback(resume ? "MIDlet::startApp" : "MIDlet::pauseApp");
    resume ? d->showNotify() : d->hideNotify();
    endUiCallback(resume ? "Displayable::showNotify" : "Displayable::hideNotify");
    return true;
}

}  // namespace

bool callPauseHooks(const Application* app) { return callHooks(app, false); }

bool callResumeHooks(const Application* app) { return callHooks(app, true); }

void registerPlatformStatics() {
    MIDlet::registerStatics();
    javax_microedition_lcdui_Font::registerStatics();
}

// ---- Application ------------------------------------------------------------------------------

void Application::setScreenGraphics(Object* image) {
    screenImage = image;
    mrc_log("m_screenGraphics");
    screenGraphics = isNull(image) ? nullptr : Graphics::newGraphics(static_cast<Image*>(image));
}

void Application::startApp() {
    registerPlatformStatics();
    Object* created = NewInstanceFactory::newInstance(kClass_KetraKRVD);
    if (isNull(created) || !Object::instanceOf(created, kClass_javax_microedition_midlet_MIDlet)) {
        mrc_log("Application::startApp(): no MIDlet class %s is built in", kClassNames[kClass_KetraKRVD]);
        return;
    }
    auto* m = static_cast<MIDlet*>(created);
    midlet = m;
    MIDlet::statics.instance = m;
    m->MIDlet();
    mrc_log("Application::startApp");
    m->startApp();
    endUiCallback("MIDlet::startApp");
}

void Application::pauseApp() {
    if (paused.load()) return;
    callPauseHooks(this);
    paused.store(1);
}

void Application::resumeApp() {
    if (!paused.load()) return;
    callResumeHooks(this);
    paused.store(0);
}

void Application::keyPressed(int32_t code) {
    if (Displayable* d = currentOf(this)) {
        d->keyPressed(code);
        endUiCallback("Displayable::keyPressed");
    }
}

void Application::keyReleased(int32_t code) {
    if (Displayable* d = currentOf(this)) {
        d->keyReleased(code);
        endUiCallback("Displayable::keyReleased");
    }
}

void Application::setCurrentDisplayable(Object* displayable) { current = displayable; }

void Application::paintCurrent() {
    auto* g = static_cast<Graphics*>(screenGraphics);
    auto* screen = static_cast<Image*>(screenImage);
    if (isNull(g) || isNull(screen)) return;
    int32_t w = screen->getWidth();
    int32_t h = screen->getHeight();
    if (Displayable* d = currentOf(this)) {
        g->translate(-g->getTranslateX(), -g->getTranslateY());
        g->setClip(0, 0, w, h);
        g->setColor(0xFFFFFF);
        d->paint(g);
        objectManager->gc(gcRequested.load() ? uint32_t(kGcRequested) : 0u);
        gcRequested.store(0);
    }
    g->setClip(0, 0, w, h);
}

void Application::close() {
    mrc_log("Application::close");
    mrc_log("Application::destoryMIDlet");
    if (MIDlet* m = midletOf(this)) {
        m->destroyApp(true);
        endUiCallback("MIDlet::destroyApp");
    } else {
        mrc_log("m_midlet is already NULL.");
    }
    screenImage = screenGraphics = midlet = decodeBuffer = nullptr;
    releaseRuntime();
}

String* Application::stackTraceString() const {
    char text[512];
    stackTraceText(text, sizeof text);
    return mrc::newString(text);
}

String* Application::newString(const char* text) { return mrc::newString(text); }

// ---- ApplicationImpl --------------------------------------------------------------------------

bool ApplicationImpl::init() {
    registerPlatformStatics();
    host::abortHttpTransfers(false);
    if (!initRuntime(isPocketPC())) return false;
    application->staticClass->initialize();
    g_powerPaused = false;
    g_framesPresented.store(0);

    frameBuffer = display ? display->getFrameBuffer() : nullptr;
    if (!frameBuffer) {
        mrc_log("ApplicationImpl::init(): the display has no frame buffer");
        return false;
    }
    ScreenImage* screen = ScreenImage::create(kScreenWidth, kScreenHeight, frameBuffer);
    if (!screen) return false;
    // The frame buffer starts as a blank image's pixels.
    if (Image* blank = Image::createBlankImage(kScreenWidth, kScreenHeight)) {
        if (const uint16_t* pixels = blank->pixels16())
            std::memcpy(frameBuffer, pixels, std::size_t(kScreenWidth) * kScreenHeight * 2);
    }
    application->setScreenGraphics(screen);
    application->startApp();
    return true;
}

void checkPowerState() {
    host::PowerState power = host::powerState();
    if (power == host::PowerState::Unavailable) return;
    bool unattended = power == host::PowerState::Unattended;
    Displayable* d = currentOf(ApplicationImpl::getApplication());
    if (!unattended && g_powerPaused) {
        if (d) {
            d->showNotify();
            endUiCallback("Displayable::showNotify");
        }
        g_powerPaused = false;
    } else if (unattended && !g_powerPaused) {
        if (d) {
            d->hideNotify();
            endUiCallback("Displayable::hideNotify");
        }
        g_powerPaused = true;
    }
}

void ApplicationImpl::run() {
    while (running.load()) {
        checkPowerState();
        mrc_pumpMessages();
        orientationChange.store(0);
        if (windowActive.load() && kKeepOrientation) mrc_restoreDisplayMode();
        {
            host::BlockingRegion blocking;
            host::sleepMs(5);
        }
        // The UI thread's safe point for the collector.
        java_lang_Thread::sleep(5);
    }
    shutdown();
}

void ApplicationImpl::stop() { running.store(0); }

void ApplicationImpl::shutdown() {
    running.store(0);
    // A thread left waiting in a network call or for the window's input would stay there once
    // stopped, inside what is about to be destroyed: those waits end first, so that it returns
    // and stops at its next safe point.
    host::abortHttpTransfers(true);
    host::shutdownAllSockets();
    if (host::Window* window = display ? display->window() : nullptr) window->endInputWaits();
    if (application) {
        // The other Java threads stay stopped for good: the runtime they ran on is going. Their
        // slots and the blocking hooks stay, so that one asleep in a blocking call parks as it
        // wakes; only this thread leaves the table.
        application->objectManager->haltOtherThreads();
        awaitOtherThreadsHeld(*this);
        application->close();
        delete application;
        application = nullptr;
        bindCurrentThread(-1);
    }
    // A thread halted in a network request may still run its busy indicator on the screen.
    host::CriticalSectionLock lock(displayLock);
    if (display && !g_exitScreenshot.empty()) {
        g_exitScreenshotWritten = display->writeScreenshot(g_exitScreenshot);
        g_exitScreenshot.clear();
    }
    closeDisplay();
}

void ApplicationImpl::flushScreen() {
    if (!windowActive.load() || orientationChange.load() == 1) return;
    Application* app = application;
    Display* d = display;
    if (!app || !d) return;
    uint64_t limit = g_frameLimit.load();
    uint64_t presented = 0;
    // Fixed-step runs: the input due by now reaches this frame in every run. Before the paint lock,
    // which a resume on the window's thread takes.
    if (host::Window* window = d->window()) window->awaitDueInput();
    {
        // A resume paints on the UI thread while the game thread paints its frames: one at a time,
        // and each frame presented whole.
        Object* paintLock = isNull(app->screenImage) ? nullptr : app->screenImage;
        if (paintLock) app->objectManager->monitorEnter(paintLock);
        bool due = limit == 0 || g_framesPresented.load() < limit;
        if (due) {
            app->paintCurrent();
            host::CriticalSectionLock lock(displayLock);
            d->present();
            presented = g_framesPresented.fetch_add(1) + 1;
        }
        if (paintLock) app->objectManager->monitorExit(paintLock);
    }
    if (limit != 0 && presented == limit) {
        mrc_log("ApplicationImpl::flushScreen(): %llu frames presented, closing",
                static_cast<unsigned long long>(limit));
        mrc_requestClose();
    }
}

void ApplicationImpl::volumeUp() { stepVolume(*this, channelUp, "volumeUp"); }

void ApplicationImpl::volumeDown() { stepVolume(*this, channelDown, "volumeDown"); }

bool ApplicationImpl::platformRequest(const char* url) {
    if (url && host::openUrl(url)) mrc_requestMinimize();
    return false;
}

String* ApplicationImpl::getAppProperty(const char* resource) {
    StaticClass::ResourceOpener opener = StaticClass::resourceOpener();
    java_io_InputStream* stream = opener && resource ? opener(resource) : nullptr;
    if (!stream) {
        mrc_log("ApplicationImpl::getAppProperty(): no resource %s", resource ? resource : "(null)");
        return nullptr;
    }
    return readStreamText(stream);
}

String* ApplicationImpl::getStorageRoot() { return mrc::newString(std::string(host::fs::kProgramFilesFolder).c_str()); }

String* ApplicationImpl::getInstallFolder() { return mrc::newString(std::string(host::fs::kInstallFolder).c_str()); }

}  // namespace mrc
