#include "host/headless/headless_window.h"

#include "host/window/geometry.h"

namespace host {

std::unique_ptr<HeadlessWindow> HeadlessWindow::open(const WindowConfig& config, WindowProcedure procedure) {
    std::unique_ptr<HeadlessWindow> window(new HeadlessWindow(config, std::move(procedure)));
    window->opened(config.startFocused);
    return window;
}

HeadlessWindow::HeadlessWindow(const WindowConfig& config, WindowProcedure procedure)
    : Window(config, std::move(procedure)), m_frames(config.keepFrames) {}

HeadlessWindow::~HeadlessWindow() { detachPresenters(); }

bool HeadlessWindow::showFrame(PresentPath path, const uint16_t* pixels, int pitchBytes, ScaleFilter filter) {
    if (path == PresentPath::Stretch) m_lastFilter = filter;
    m_frames.add(pixels, kScreenWidth, kScreenHeight, pitchBytes);
    return true;
}

DirectPresenter::SurfaceInfo HeadlessWindow::primarySurfaceInfo() const {
    return {kScreenWidth, kScreenHeight, 16, 2, kScreenWidth * 2};
}

}  // namespace host
