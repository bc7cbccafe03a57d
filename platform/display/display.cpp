#include "platform/display/display.h"

#include "host/core/log.h"
#include "host/headless/frame_store.h"
#include "host/headless/headless_window.h"
#include "host/window/window.h"

namespace mrc {

Display::~Display() = default;

host::FrameStore* Display::frames() const {
    auto* headless = dynamic_cast<host::HeadlessWindow*>(m_window);
    return headless ? &headless->frames() : nullptr;
}

bool Display::writeScreenshot(const std::string& path) {
    if (host::FrameStore* store = frames()) return store->writePng(path);
    uint16_t* pixels = getFrameBuffer();
    if (!pixels) {
        mrc_log("Display::writeScreenshot: no frame buffer");
        return false;
    }
    return host::writeRgb565Png(path, pixels, getWidth(), getHeight(), getBufferPitch());
}

// ---- GdiDisplay ---------------------------------------------------------------------------------

GdiDisplay::GdiDisplay() : m_pixels(std::size_t(kLogicalWidth) * kLogicalHeight, 0) {
    m_scalingMode = kColorOnColor;
}

GdiDisplay::~GdiDisplay() { close(); }

bool GdiDisplay::open(host::Window* window) {
    close();
    if (!window) return false;
    m_presenter = window->createStretchPresenter();
    if (!m_presenter) {
        close();
        return false;
    }
    m_window = window;
    m_screenWidth = m_presenter->targetWidth();
    m_screenHeight = m_presenter->targetHeight();
    m_bitsPerPixel = 16;
    m_pixelStride = 2;
    m_screenPitch = m_screenWidth * 2;
    m_bufferPitch = kLogicalWidth * 2;
    return true;
}

void GdiDisplay::close() {
    m_presenter.reset();
    m_window = nullptr;
}

uint16_t* GdiDisplay::getFrameBuffer() { return m_presenter ? m_pixels.data() : nullptr; }

bool GdiDisplay::present() {
    if (!m_presenter) return false;
    // The window may have changed size since the last frame.
    m_screenWidth = m_presenter->targetWidth();
    m_screenHeight = m_presenter->targetHeight();
    m_screenPitch = m_screenWidth * 2;
    m_presenter->setFilter(m_scalingMode == kHalftone ? host::ScaleFilter::Smooth : host::ScaleFilter::Nearest);
    return m_presenter->present(m_pixels.data(), kLogicalWidth, kLogicalHeight, m_bufferPitch);
}

// ---- DDrawDisplay -------------------------------------------------------------------------------

DDrawDisplay::DDrawDisplay() { m_scalingMode = kSrcCopy; }

DDrawDisplay::~DDrawDisplay() { close(); }

bool DDrawDisplay::open(host::Window* window) {
    close();
    if (!window) return false;
    m_presenter = window->createDirectPresenter();
    if (!m_presenter) return false;
    m_window = window;
    if (!setNormalMode()) {
        close();
        return false;
    }
    // Both surfaces are locked once to learn their layout, as a fresh surface is.
    if (!m_presenter->lock()) {
        close();
        return false;
    }
    host::DirectPresenter::SurfaceInfo primary = m_presenter->primaryInfo();
    m_presenter->unlock();
    m_screenWidth = primary.width;
    m_screenHeight = primary.height;
    m_bitsPerPixel = primary.bitsPerPixel;
    m_pixelStride = primary.pixelStride;
    m_screenPitch = primary.pitch;
    host::DirectPresenter::SurfaceInfo back = m_presenter->backInfo();
    if (back.width != kLogicalWidth || back.height != kLogicalHeight || back.pitch < kLogicalWidth * 2) {
        mrc_log("DDrawDisplay::open: back surface %dx%d pitch %d", back.width, back.height, back.pitch);
        close();
        return false;
    }
    m_bufferPitch = back.pitch;
    m_scalingMode = kSrcCopy;
    return true;
}

void DDrawDisplay::close() {
    m_presenter.reset();
    m_window = nullptr;
}

bool DDrawDisplay::setNormalMode() { return m_window != nullptr; }

bool DDrawDisplay::setFullScreenMode() {
    if (!m_window) return false;
    m_window->setFullScreen(true);
    return true;
}

void DDrawDisplay::refreshPrimary() {
    if (!m_presenter) return;
    if (m_presenter->primaryLost() && !m_presenter->restorePrimary()) return;
    host::DirectPresenter::SurfaceInfo primary = m_presenter->primaryInfo();
    m_screenWidth = primary.width;
    m_screenHeight = primary.height;
    m_bitsPerPixel = primary.bitsPerPixel;
    m_pixelStride = primary.pixelStride;
    m_screenPitch = primary.pitch;
}

void DDrawDisplay::refreshBack() {
    if (!m_presenter) return;
    if (m_presenter->backLost() && !m_presenter->restoreBack()) return;
    m_bufferPitch = m_presenter->backInfo().pitch;
}

int32_t DDrawDisplay::getScreenWidth() {
    refreshPrimary();
    return m_screenWidth;
}
int32_t DDrawDisplay::getScreenHeight() {
    refreshPrimary();
    return m_screenHeight;
}
int32_t DDrawDisplay::getBitsPerPixel() {
    refreshPrimary();
    return m_bitsPerPixel;
}
int32_t DDrawDisplay::getPixelStride() {
    refreshPrimary();
    return m_pixelStride;
}
int32_t DDrawDisplay::getScreenPitch() {
    refreshPrimary();
    return m_screenPitch;
}
int32_t DDrawDisplay::getBufferPitch() {
    refreshBack();
    return m_bufferPitch;
}

bool DDrawDisplay::lock() { return m_presenter && m_presenter->lock(); }
bool DDrawDisplay::unlock() { return m_presenter && m_presenter->unlock(); }

uint16_t* DDrawDisplay::getFrameBuffer() {
    if (!m_presenter) return nullptr;
    refreshBack();
    return m_presenter->backPixels();
}

bool DDrawDisplay::present() {
    if (!m_presenter) return false;
    if (m_presenter->primaryLost()) m_presenter->restorePrimary();
    if (m_presenter->backLost()) m_presenter->restoreBack();
    return m_presenter->present();
}

}  // namespace mrc
