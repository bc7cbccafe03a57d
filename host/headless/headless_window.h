// The window of headless runs: no screen; presented frames go to a FrameStore, input comes from
// injection and scripted input.
#pragma once

#include <atomic>
#include <memory>

#include "host/headless/frame_store.h"
#include "host/window/window.h"

namespace host {

class HeadlessWindow final : public Window {
public:
    static std::unique_ptr<HeadlessWindow> open(const WindowConfig& config, WindowProcedure procedure);
    ~HeadlessWindow() override;

    FrameStore& frames() { return m_frames; }
    const FrameStore& frames() const { return m_frames; }
    // Filter of the last stretch present.
    ScaleFilter lastFilter() const { return m_lastFilter.load(); }

    int drawableWidth() const override { return kScreenWidth; }
    int drawableHeight() const override { return kScreenHeight; }

private:
    HeadlessWindow(const WindowConfig& config, WindowProcedure procedure);

    bool preparePresenter(PresentPath) override { return true; }
    bool showFrame(PresentPath path, const uint16_t* pixels, int pitchBytes, ScaleFilter filter) override;
    DirectPresenter::SurfaceInfo primarySurfaceInfo() const override;

    FrameStore m_frames;
    std::atomic<ScaleFilter> m_lastFilter{ScaleFilter::Nearest};
};

}  // namespace host
