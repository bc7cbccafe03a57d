#include "host/sdl/sdl_window.h"

#include <SDL.h>

#include <cstring>

#include "host/core/log.h"
#include "host/sdl/sdl_keys.h"
#include "host/window/geometry.h"

namespace host {

std::unique_ptr<SdlWindow> SdlWindow::open(const WindowConfig& config, WindowProcedure procedure) {
    std::unique_ptr<SdlWindow> window(new SdlWindow(config, std::move(procedure)));
    if (!window->create()) return nullptr;
    window->opened(true);
    return window;
}

SdlWindow::SdlWindow(const WindowConfig& config, WindowProcedure procedure)
    : Window(config, std::move(procedure)), m_frame(std::size_t(kScreenWidth) * kScreenHeight, 0) {}

SdlWindow::~SdlWindow() {
    detachPresenters();
    {
        std::lock_guard lock(m_frameMutex);
        releaseRendererLocked();
        if (m_frameSurface) SDL_FreeSurface(m_frameSurface);
        m_frameSurface = nullptr;
    }
    if (m_window) SDL_DestroyWindow(m_window);
    if (m_videoStarted) SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

bool SdlWindow::create() {
    m_thread = std::this_thread::get_id();
    // The close button is the window's Close message; SDL_QUIT stays for signals.
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        mrc_log("SdlWindow: no video: %s", SDL_GetError());
        return false;
    }
    m_videoStarted = true;

    int width = config().width, height = config().height;
    if (width <= 0 || height <= 0) {
        width = kScreenWidth;
        height = kScreenHeight;
        SDL_Rect usable;
        if (SDL_GetDisplayUsableBounds(0, &usable) == 0 && (usable.w < width || usable.h < height)) {
            Rect fit = letterbox(usable.w, usable.h);
            if (fit.width > 0) {
                width = fit.width;
                height = fit.height;
            }
        }
    }
    m_window = SDL_CreateWindow(config().title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height,
                                SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI);
    if (!m_window) {
        mrc_log("SdlWindow: cannot create the window: %s", SDL_GetError());
        return false;
    }
    m_windowId = SDL_GetWindowID(m_window);
    m_frameSurface = SDL_CreateRGBSurfaceWithFormatFrom(m_frame.data(), kScreenWidth, kScreenHeight, 16,
                                                        kScreenWidth * 2, SDL_PIXELFORMAT_RGB565);
    if (!m_frameSurface) {
        mrc_log("SdlWindow: cannot wrap the frame: %s", SDL_GetError());
        return false;
    }
    SDL_RaiseWindow(m_window);
    updateDrawableSize();
    mrc_log("SdlWindow: %dx%d window on %s", width, height, SDL_GetCurrentVideoDriver());
    return true;
}

std::string SdlWindow::videoDriver() const {
    const char* name = SDL_GetCurrentVideoDriver();
    return name ? name : "";
}

void SdlWindow::updateDrawableSize() {
    int w = 0, h = 0;
    SDL_GetWindowSizeInPixels(m_window, &w, &h);
    m_drawableWidth.store(w);
    m_drawableHeight.store(h);
}

// Events.

void SdlWindow::pumpNative() {
    SDL_Event event;
    while (SDL_PollEvent(&event)) handleEvent(event);
    std::lock_guard lock(m_frameMutex);
    renderLocked();
}

void SdlWindow::postPen(PenAction action, int x, int y) {
    int w = 0, h = 0;
    SDL_GetWindowSize(m_window, &w, &h);
    Point p = windowToScreen(letterbox(w, h), x, y);
    post(penMessage(action, p.x, p.y));
}

void SdlWindow::handleEvent(const SDL_Event& event) {
    switch (event.type) {
        case SDL_QUIT:
            post({MessageId::Close, 0, 0, 0, 0});
            return;
        case SDL_WINDOWEVENT:
            if (event.window.windowID != m_windowId) return;
            switch (event.window.event) {
                case SDL_WINDOWEVENT_CLOSE: post({MessageId::Close, 0, 0, 0, 0}); break;
                case SDL_WINDOWEVENT_FOCUS_GAINED:
                    setMinimizedState(false);
                    setFocusState(true);
                    break;
                case SDL_WINDOWEVENT_FOCUS_LOST: setFocusState(false); break;
                case SDL_WINDOWEVENT_MINIMIZED: setMinimizedState(true); break;
                case SDL_WINDOWEVENT_RESTORED: setMinimizedState(false); break;
                case SDL_WINDOWEVENT_SIZE_CHANGED: {
                    updateDrawableSize();
                    std::lock_guard lock(m_frameMutex);
                    if (m_windowSurface) {
                        // SDL has dropped the old surface; take the new one now so that its size is
                        // known, but the presenter sees it lost until it restores it.
                        losePrimarySurface();
                        acquireWindowSurfaceLocked();
                    }
                    m_dirty = m_haveFrame;
                    break;
                }
                case SDL_WINDOWEVENT_EXPOSED: {
                    std::lock_guard lock(m_frameMutex);
                    m_dirty = m_haveFrame;
                    break;
                }
                default: break;
            }
            return;
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            if (event.key.windowID != m_windowId) return;
            if (uint32_t key = virtualKeyFromSdl(event.key.keysym.sym))
                post(keyMessage(key, event.type == SDL_KEYDOWN));
            return;
        case SDL_MOUSEBUTTONDOWN:
            if (event.button.windowID != m_windowId || event.button.button != SDL_BUTTON_LEFT) return;
            m_penDown = true;
            postPen(PenAction::Down, event.button.x, event.button.y);
            return;
        case SDL_MOUSEBUTTONUP:
            if (event.button.windowID != m_windowId || event.button.button != SDL_BUTTON_LEFT || !m_penDown) return;
            m_penDown = false;
            postPen(PenAction::Up, event.button.x, event.button.y);
            return;
        case SDL_MOUSEMOTION:
            if (event.motion.windowID != m_windowId || !m_penDown) return;
            postPen(PenAction::Move, event.motion.x, event.motion.y);
            return;
        default: return;
    }
}

void SdlWindow::nativeShow() {
    SDL_ShowWindow(m_window);
    SDL_RestoreWindow(m_window);
}

void SdlWindow::nativeMinimize() { SDL_MinimizeWindow(m_window); }

void SdlWindow::nativeRaise() {
    SDL_ShowWindow(m_window);
    SDL_RestoreWindow(m_window);
    SDL_RaiseWindow(m_window);
}

void SdlWindow::nativeFullScreen(bool on) {
    if (!config().allowFullScreen) return;
    if (SDL_SetWindowFullscreen(m_window, on ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0) != 0)
        mrc_log("SdlWindow: full screen %s failed: %s", on ? "on" : "off", SDL_GetError());
    updateDrawableSize();
}

// Presentation.

bool SdlWindow::preparePresenter(PresentPath path) {
    std::lock_guard lock(m_frameMutex);
    m_haveFrame = false;
    m_dirty = false;
    if (path == PresentPath::Direct) return acquireWindowSurfaceLocked();

    m_renderer = SDL_CreateRenderer(m_window, -1, 0);
    if (!m_renderer) m_renderer = SDL_CreateRenderer(m_window, -1, SDL_RENDERER_SOFTWARE);
    if (!m_renderer) {
        mrc_log("SdlWindow: no renderer: %s", SDL_GetError());
        return false;
    }
    m_texture = SDL_CreateTexture(m_renderer, SDL_PIXELFORMAT_RGB565, SDL_TEXTUREACCESS_STREAMING, kScreenWidth,
                                  kScreenHeight);
    if (!m_texture) {
        mrc_log("SdlWindow: no texture: %s", SDL_GetError());
        releaseRendererLocked();
        return false;
    }
    SDL_RendererInfo info;
    if (SDL_GetRendererInfo(m_renderer, &info) == 0) mrc_log("SdlWindow: presenting through the %s renderer", info.name);
    return true;
}

bool SdlWindow::acquireWindowSurfaceLocked() {
    m_windowSurface = SDL_GetWindowSurface(m_window);
    if (!m_windowSurface) {
        mrc_log("SdlWindow: no window surface: %s", SDL_GetError());
        return false;
    }
    const SDL_PixelFormat* f = m_windowSurface->format;
    m_primaryInfo = {m_windowSurface->w, m_windowSurface->h, f->BitsPerPixel, f->BytesPerPixel, m_windowSurface->pitch};
    return true;
}

void SdlWindow::releaseRendererLocked() {
    if (m_texture) SDL_DestroyTexture(m_texture);
    if (m_renderer) SDL_DestroyRenderer(m_renderer);
    m_texture = nullptr;
    m_renderer = nullptr;
}

void SdlWindow::presenterReleased() {
    std::lock_guard lock(m_frameMutex);
    releaseRendererLocked();
    m_windowSurface = nullptr;
    m_haveFrame = false;
    m_dirty = false;
}

DirectPresenter::SurfaceInfo SdlWindow::primarySurfaceInfo() const {
    std::lock_guard lock(m_frameMutex);
    return m_primaryInfo;
}

bool SdlWindow::showFrame(PresentPath path, const uint16_t* pixels, int pitchBytes, ScaleFilter filter) {
    std::lock_guard lock(m_frameMutex);
    for (int y = 0; y < kScreenHeight; ++y)
        std::memcpy(&m_frame[std::size_t(y) * kScreenWidth],
                    reinterpret_cast<const uint8_t*>(pixels) + std::size_t(y) * pitchBytes, kScreenWidth * 2);
    m_framePath = path;
    m_frameFilter = filter;
    m_haveFrame = true;
    m_dirty = true;
    // SDL draws on the window's thread only; other threads leave the frame for the next peek.
    if (std::this_thread::get_id() == m_thread) renderLocked();
    return true;
}

void SdlWindow::renderLocked() {
    if (!m_dirty) return;
    m_dirty = false;
    if (m_framePath == PresentPath::Stretch) renderStretchLocked();
    else renderDirectLocked();
}

void SdlWindow::renderStretchLocked() {
    if (!m_renderer || !m_texture) return;
    SDL_UpdateTexture(m_texture, nullptr, m_frame.data(), kScreenWidth * 2);
    SDL_SetTextureScaleMode(m_texture,
                            m_frameFilter == ScaleFilter::Smooth ? SDL_ScaleModeLinear : SDL_ScaleModeNearest);
    int w = 0, h = 0;
    SDL_GetRendererOutputSize(m_renderer, &w, &h);
    Rect r = letterbox(w, h);
    SDL_Rect dst{r.x, r.y, r.width, r.height};
    SDL_SetRenderDrawColor(m_renderer, 0, 0, 0, 255);
    SDL_RenderClear(m_renderer);
    SDL_RenderCopy(m_renderer, m_texture, nullptr, &dst);
    if (config().captureFrames) {
        m_capture.assign(std::size_t(w) * h, 0);
        if (SDL_RenderReadPixels(m_renderer, nullptr, SDL_PIXELFORMAT_ARGB8888, m_capture.data(), w * 4) == 0) {
            m_captureWidth = w;
            m_captureHeight = h;
        } else {
            mrc_log("SdlWindow: cannot read the picture back: %s", SDL_GetError());
        }
    }
    SDL_RenderPresent(m_renderer);
}

void SdlWindow::renderDirectLocked() {
    if (!m_windowSurface && !acquireWindowSurfaceLocked()) return;
    SDL_Surface* dst = m_windowSurface;
    Rect r = letterbox(dst->w, dst->h);
    SDL_Rect rect{r.x, r.y, r.width, r.height};
    SDL_FillRect(dst, nullptr, SDL_MapRGB(dst->format, 0, 0, 0));
    if (SDL_BlitScaled(m_frameSurface, nullptr, dst, &rect) != 0) {
        mrc_log("SdlWindow: blit failed: %s", SDL_GetError());
        return;
    }
    if (config().captureFrames && SDL_LockSurface(dst) == 0) {
        m_capture.assign(std::size_t(dst->w) * dst->h, 0);
        if (SDL_ConvertPixels(dst->w, dst->h, dst->format->format, dst->pixels, dst->pitch, SDL_PIXELFORMAT_ARGB8888,
                              m_capture.data(), dst->w * 4) == 0) {
            m_captureWidth = dst->w;
            m_captureHeight = dst->h;
        }
        SDL_UnlockSurface(dst);
    }
    if (SDL_UpdateWindowSurface(m_window) != 0) mrc_log("SdlWindow: update failed: %s", SDL_GetError());
}

bool SdlWindow::readBack(std::vector<uint32_t>& argb, int& width, int& height) const {
    std::lock_guard lock(m_frameMutex);
    if (m_capture.empty() || m_captureWidth == 0) return false;
    argb = m_capture;
    width = m_captureWidth;
    height = m_captureHeight;
    return true;
}

}  // namespace host
