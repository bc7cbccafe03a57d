// The busy indicator of a running HTTP request: a thread of its own draws a row of dots over the
// screen every pause, 1, 3, 5 and 7 dots in red, then the 7 in white to wipe them, until the
// request is done. It reads only its own state and draws into native pixels that stay put
// (never into a Java array), so it needs no part in the collector's stops.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

#include "platform/graphics/pixels.h"

namespace mrc::net {

// Where the indicator draws. The screen is the default: the display's frame buffer, presented
// after each row. Tests and other front ends put their own in.
class BusySurface {
public:
    virtual ~BusySurface() = default;
    // The pixels for one row; false when there are none now (nothing is drawn).
    virtual bool acquire(gfx::Canvas& canvas) = 0;
    // After the row: make it visible.
    virtual void release() = 0;
};

// Null puts the screen back. Takes effect at the next row.
void setBusySurface(BusySurface* surface);
// The pause between rows (300 ms); tests shorten it.
void setBusyPause(uint32_t milliseconds);

inline constexpr int32_t kBusyX = 75;
inline constexpr int32_t kBusyY = 240;
inline constexpr uint32_t kBusyPauseMs = 300;
inline constexpr int32_t kBusyRowCount = 5;
inline constexpr uint16_t kBusyRed = 0xF800;
inline constexpr uint16_t kBusyWhite = 0xFFFF;

// Row `frame` mod 5 at (x, y), its top-left corner, in the system font on a transparent
// background: red dots, or for row 0 white ones.
void drawBusyRow(const gfx::Canvas& canvas, int32_t frame, int32_t x, int32_t y);
// The 21-character text of a row.
const char16_t* busyRowText(int32_t frame);

// Runs from construction to destruction. Ending it wakes the thread from its pause and waits
// for it, so that no thread outlives the request it shows.
class BusyIndicator {
public:
    BusyIndicator(int32_t x = kBusyX, int32_t y = kBusyY);
    ~BusyIndicator();
    BusyIndicator(const BusyIndicator&) = delete;
    BusyIndicator& operator=(const BusyIndicator&) = delete;

private:
    void run();

    int32_t m_x;
    int32_t m_y;
    bool m_running = true;  // guarded by m_mutex
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::thread m_thread;
};

}  // namespace mrc::net
