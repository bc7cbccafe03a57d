#include "platform/net/busy_indicator.h"

#include <chrono>
#include <vector>

#include "host/core/sync.h"
#include "platform/display/display.h"
#include "platform/graphics/font_engine.h"
#include "runtime/core/application.h"

namespace mrc::net {
namespace {

constexpr const char16_t* kRows[kBusyRowCount] = {
    u"    . . . . . . .    ", u"          .          ", u"        . . .        ", u"      . . . . .      ",
    u"    . . . . . . .    ",
};
constexpr int32_t kRowLength = 21;

// The display's frame buffer: native memory that stays where it is while the display is open.
// From acquire to release the display lock is held, so that the display neither closes nor
// presents another frame meanwhile (a request may outlive the window: the runtime closes the
// display while a thread still waits for its answer).
class ScreenSurface final : public BusySurface {
public:
    bool acquire(gfx::Canvas& canvas) override {
        ApplicationImpl* impl = ApplicationImpl::getInstance();
        impl->displayLock.enter();
        Display* d = impl->display;
        uint16_t* pixels = d ? d->getFrameBuffer() : nullptr;
        const int32_t w = pixels ? d->getWidth() : 0;
        const int32_t h = pixels ? d->getHeight() : 0;
        const int32_t pitch = pixels ? d->getBufferPitch() / 2 : 0;
        if (!pixels || w <= 0 || h <= 0 || pitch < w || !d->lock()) {
            impl->displayLock.leave();
            return false;
        }
        canvas = gfx::Canvas{pixels, w, h, pitch, 0, 0, w, h, gfx::kRgb565};
        m_display = d;
        return true;
    }
    void release() override {
        m_display->unlock();
        m_display->present();
        m_display = nullptr;
        ApplicationImpl::getInstance()->displayLock.leave();
    }

private:
    Display* m_display = nullptr;
};

std::atomic<BusySurface*> g_surface{nullptr};
std::atomic<uint32_t> g_pauseMs{kBusyPauseMs};

}  // namespace

void setBusySurface(BusySurface* surface) { g_surface.store(surface); }

void setBusyPause(uint32_t milliseconds) { g_pauseMs.store(milliseconds); }

const char16_t* busyRowText(int32_t frame) { return kRows[((frame % kBusyRowCount) + kBusyRowCount) % kBusyRowCount]; }

void drawBusyRow(const gfx::Canvas& canvas, int32_t frame, int32_t x, int32_t y) {
    gfx::FontEngine* font = gfx::FontEngine::system();
    if (!font) return;
    const char16_t* text = busyRowText(frame);
    int32_t w = font->measure(text, kRowLength), h = font->height();
    if (w <= 0 || h <= 0) return;
    std::vector<uint8_t> mask(std::size_t(w) * h, 0);
    font->render(text, kRowLength, mask.data(), w, h);
    gfx::copyMask(canvas, mask.data(), w, h, x, y, frame % kBusyRowCount == 0 ? kBusyWhite : kBusyRed);
}

BusyIndicator::BusyIndicator(int32_t x, int32_t y) : m_x(x), m_y(y), m_thread([this] { run(); }) {}

BusyIndicator::~BusyIndicator() {
    {
        std::lock_guard lock(m_mutex);
        m_running = false;
    }
    m_wake.notify_all();
    // The row being drawn may wait for the font's lock; meanwhile this thread touches nothing of
    // the heaps, so a collection need not wait for it.
    host::BlockingRegion blocking;
    m_thread.join();
}

void BusyIndicator::run() {
    ScreenSurface screen;
    std::unique_lock lock(m_mutex);
    for (int32_t frame = 0; m_running; frame = (frame + 1) % kBusyRowCount) {
        lock.unlock();
        BusySurface* surface = g_surface.load();
        if (!surface) surface = &screen;
        gfx::Canvas canvas;
        if (surface->acquire(canvas)) {
            drawBusyRow(canvas, frame, m_x, m_y);
            surface->release();
        }
        lock.lock();
        m_wake.wait_for(lock, std::chrono::milliseconds(g_pauseMs.load()), [this] { return !m_running; });
    }
}

}  // namespace mrc::net
