// The two ways a display back end gets the 800 × 480 RGB565 screen onto the window.
//
// Both may be used from any thread (the game thread presents while the UI thread pumps messages):
// a present copies the frame, and the window shows it on its own thread at the next pump, or at
// once when present is called on that thread. A window has at most one presenter at a time;
// create and destroy it on the window's thread, before the window goes (a presenter that outlives
// its window fails every call).
#pragma once

#include <cstdint>

namespace host {

enum class ScaleFilter { Nearest, Smooth };

// Stretch path: the caller owns the pixels and asks for them to be scaled onto the window, the
// aspect kept, with the chosen filtering.
class StretchPresenter {
public:
    virtual ~StretchPresenter() = default;

    virtual void setFilter(ScaleFilter filter) = 0;
    virtual ScaleFilter filter() const = 0;

    // Size of the window's drawable area: where the picture is scaled to.
    virtual int targetWidth() const = 0;
    virtual int targetHeight() const = 0;

    // pixels: width × height RGB565, top-down rows pitchBytes apart. False when the window is gone
    // or the frame is not 800 × 480.
    virtual bool present(const uint16_t* pixels, int width, int height, int pitchBytes) = 0;
};

// Direct path: the presenter owns a back surface (800 × 480 RGB565) that the caller draws into, and
// blits it onto the window's own surface, the primary. Either surface can be lost (the primary when
// the window changes size); a lost surface makes present fail until it is restored. The back
// surface's pixel pointer never changes, restored or not; a restored back surface is cleared.
class DirectPresenter {
public:
    struct SurfaceInfo {
        int width = 0;
        int height = 0;
        int bitsPerPixel = 0;
        int pixelStride = 0;  // bytes from one pixel to the next
        int pitch = 0;        // bytes from one row to the next
    };

    virtual ~DirectPresenter() = default;

    virtual bool primaryLost() const = 0;
    virtual bool restorePrimary() = 0;
    virtual SurfaceInfo primaryInfo() const = 0;

    virtual bool backLost() const = 0;
    virtual bool restoreBack() = 0;
    virtual SurfaceInfo backInfo() const = 0;
    virtual uint16_t* backPixels() = 0;

    // Bracket direct writes to the back surface; they nest. present fails while it is locked.
    virtual bool lock() = 0;
    virtual bool unlock() = 0;

    // Blits the back surface to the primary, scaled with the aspect kept. False while a surface is
    // lost or the window is gone.
    virtual bool present() = 0;
};

}  // namespace host
