// The window of desktop runs: an SDL window showing the 800 × 480 screen scaled to its size with the
// aspect kept. Keyboard, mouse, focus and close events become the window's messages; the left mouse
// button is the pen (moves count only while it is down, as a touch screen reports them).
//
// Stretch presenters draw through an SDL renderer (nearest or linear texture filtering); direct
// presenters blit onto SDL's window surface, which is lost whenever the window changes size.
// Frames presented from another thread are shown by the window's thread at its next peek.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "host/window/window.h"

struct SDL_Window;
struct SDL_Renderer;
struct SDL_Texture;
struct SDL_Surface;
union SDL_Event;

namespace host {

class SdlWindow final : public Window {
public:
    static std::unique_ptr<SdlWindow> open(const WindowConfig& config, WindowProcedure procedure);
    ~SdlWindow() override;

    int drawableWidth() const override { return m_drawableWidth.load(); }
    int drawableHeight() const override { return m_drawableHeight.load(); }

    // The picture last shown, as 0xAARRGGBB pixels of the drawable's size; only with captureFrames.
    bool readBack(std::vector<uint32_t>& argb, int& width, int& height) const;
    // SDL's name for the video driver in use ("x11", "wayland", "offscreen", ...).
    std::string videoDriver() const;
    uint32_t sdlWindowId() const { return m_windowId; }

    // Turns one SDL event into messages; events of other windows are ignored.
    void handleEvent(const SDL_Event& event);

private:
    SdlWindow(const WindowConfig& config, WindowProcedure procedure);
    bool create();

    void pumpNative() override;
    void nativeShow() override;
    void nativeMinimize() override;
    void nativeRaise() override;
    void nativeFullScreen(bool on) override;

    bool preparePresenter(PresentPath path) override;
    bool showFrame(PresentPath path, const uint16_t* pixels, int pitchBytes, ScaleFilter filter) override;
    DirectPresenter::SurfaceInfo primarySurfaceInfo() const override;
    void presenterReleased() override;

    void updateDrawableSize();
    void postPen(PenAction action, int x, int y);
    // With m_frameMutex held, on the window's thread.
    void renderLocked();
    void renderStretchLocked();
    void renderDirectLocked();
    bool acquireWindowSurfaceLocked();
    void releaseRendererLocked();

    bool m_videoStarted = false;
    SDL_Window* m_window = nullptr;
    uint32_t m_windowId = 0;
    std::thread::id m_thread;
    std::atomic<int> m_drawableWidth{0};
    std::atomic<int> m_drawableHeight{0};
    bool m_penDown = false;

    mutable std::mutex m_frameMutex;
    SDL_Renderer* m_renderer = nullptr;
    SDL_Texture* m_texture = nullptr;
    SDL_Surface* m_windowSurface = nullptr;  // SDL's; invalid after a resize
    SDL_Surface* m_frameSurface = nullptr;   // wraps m_frame for blits
    DirectPresenter::SurfaceInfo m_primaryInfo;
    std::vector<uint16_t> m_frame;           // latest presented frame, 800 × 480
    PresentPath m_framePath = PresentPath::Stretch;
    ScaleFilter m_frameFilter = ScaleFilter::Nearest;
    bool m_haveFrame = false;
    bool m_dirty = false;
    std::vector<uint32_t> m_capture;
    int m_captureWidth = 0;
    int m_captureHeight = 0;
};

}  // namespace host
