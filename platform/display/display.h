// Display back ends: an 800 × 480 RGB565 frame buffer that everything draws into, presented to
// the main window on `present`, scaled to the window's size.
//
// GdiDisplay owns its frame buffer and hands it to the window's stretch presenter (nearest or
// smooth filtering). DDrawDisplay draws straight into the window's direct presenter's back
// surface and blits it onto the window surface, restoring either surface when it was lost.
// Open and close on the window's thread; present may run on the game thread.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "host/window/present.h"

namespace host {
class Window;
class FrameStore;
}  // namespace host

namespace mrc {

inline constexpr int32_t kLogicalWidth = 800;
inline constexpr int32_t kLogicalHeight = 480;

class Display {
public:
    virtual ~Display();                          // slot 0
    virtual bool open(host::Window* window) = 0;  // 1
    virtual void close() = 0;                    // 2
    virtual bool setNormalMode() = 0;            // 3
    virtual bool setFullScreenMode() = 0;        // 4
    virtual void setFastScaling() = 0;           // 5
    virtual void setSmoothScaling() = 0;         // 6
    virtual int32_t getScreenWidth() { return m_screenWidth; }    // 7
    virtual int32_t getScreenHeight() { return m_screenHeight; }  // 8
    virtual int32_t getBitsPerPixel() { return m_bitsPerPixel; }  // 9
    virtual int32_t getPixelStride() { return m_pixelStride; }    // 10
    virtual int32_t getScreenPitch() { return m_screenPitch; }    // 11
    virtual int32_t getBufferPitch() { return m_bufferPitch; }    // 12
    virtual bool lock() { return true; }                          // 13
    virtual bool unlock() { return true; }                        // 14
    virtual int32_t getWidth() { return m_width; }                // 15
    virtual int32_t getHeight() { return m_height; }              // 16
    virtual uint16_t* getFrameBuffer() = 0;                       // 17
    virtual bool present() = 0;                                   // 18

    host::Window* window() const { return m_window; }
    int32_t scalingMode() const { return m_scalingMode; }
    // The frames of a headless window (every present counted, kept as configured), else null.
    host::FrameStore* frames() const;
    // Writes the screen as PNG: the last presented frame of a headless window, else the frame
    // buffer as it is. False, with a trace, when there is nothing to write or it fails.
    bool writeScreenshot(const std::string& path);

protected:
    Display() = default;

    host::Window* m_window = nullptr;
    int32_t m_bitsPerPixel = 0;
    int32_t m_screenWidth = 0;
    int32_t m_screenHeight = 0;
    int32_t m_pixelStride = 0;
    int32_t m_screenPitch = 0;
    int32_t m_bufferPitch = 0;
    int32_t m_width = kLogicalWidth;
    int32_t m_height = kLogicalHeight;
    int32_t m_scalingMode = 0;
};

// The stretch path.
class GdiDisplay final : public Display {
public:
    static constexpr int32_t kColorOnColor = 3;  // nearest
    static constexpr int32_t kHalftone = 5;      // smooth

    GdiDisplay();
    ~GdiDisplay() override;

    bool open(host::Window* window) override;
    void close() override;
    bool setNormalMode() override { return true; }
    bool setFullScreenMode() override { return true; }
    void setFastScaling() override { m_scalingMode = kColorOnColor; }
    void setSmoothScaling() override { m_scalingMode = kHalftone; }
    uint16_t* getFrameBuffer() override;
    bool present() override;

private:
    std::unique_ptr<host::StretchPresenter> m_presenter;
    std::vector<uint16_t> m_pixels;  // stays where it is for the display's life
};

// The direct path.
class DDrawDisplay final : public Display {
public:
    static constexpr int32_t kSrcCopy = 0xCC0020;

    DDrawDisplay();
    ~DDrawDisplay() override;

    bool open(host::Window* window) override;
    void close() override;
    bool setNormalMode() override;
    bool setFullScreenMode() override;
    void setFastScaling() override { m_scalingMode = kSrcCopy; }
    void setSmoothScaling() override { m_scalingMode = kSrcCopy; }
    int32_t getScreenWidth() override;
    int32_t getScreenHeight() override;
    int32_t getBitsPerPixel() override;
    int32_t getPixelStride() override;
    int32_t getScreenPitch() override;
    int32_t getBufferPitch() override;
    bool lock() override;
    bool unlock() override;
    uint16_t* getFrameBuffer() override;
    bool present() override;

private:
    // Restores a lost surface and re-reads its description.
    void refreshPrimary();
    void refreshBack();

    std::unique_ptr<host::DirectPresenter> m_presenter;
};

}  // namespace mrc
