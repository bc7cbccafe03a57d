// Time as the device gives it: a 32-bit millisecond tick count since start, wrapping like the
// device's, and wall-clock time. Tests replace either with a clock they step by hand.
#pragma once

#include <cstdint>

namespace host {

// Milliseconds since the process started (or the manual clock's value while one is installed).
uint32_t tickCount();
// The same count without the wrap after 49.7 days: tickCount() is its low 32 bits.
int64_t tickCount64();

// Milliseconds since 1970-01-01 UTC (or the manual wall clock's value while one is installed).
int64_t currentTimeMillis();

// Real sleep of the calling thread; 0 gives up the processor.
void sleepMs(uint32_t ms);
void yieldThread();

// While an instance lives, tickCount() and tickCount64() return its value instead of the real
// clock. Only one may be installed at a time. It counts in 64 bits, so advancing it past
// 0xFFFFFFFF wraps tickCount() as the device's count wraps while tickCount64() goes on.
class ManualClock {
public:
    explicit ManualClock(uint32_t start = 0);
    ~ManualClock();
    ManualClock(const ManualClock&) = delete;
    ManualClock& operator=(const ManualClock&) = delete;

    void set(uint32_t ms);
    void advance(uint32_t ms);
    uint32_t now() const;

    // Fixed-step runs: each presented frame advances this clock (and a manual wall clock, when one
    // is installed) by `ms` through advanceFrameStep(); 0 ends that. Cleared with the clock.
    void setFrameStep(uint32_t ms);
};

// The frame step of the installed manual clock; 0 when there is none. While it is set, time moves
// only as frames are presented: pacing must neither sleep nor wait for the clock.
uint32_t frameStep();
// Called once per presented frame: advances the clocks by the frame step, if any.
void advanceFrameStep();
// With a frame step, while no frame can be presented (the device paused by scripted input): moves
// the clocks on to `ms` if it lies ahead. Nothing without a frame step.
void skipFrameStepClockTo(uint32_t ms);

// While an instance lives, currentTimeMillis() returns its value. Only one at a time.
class ManualWallClock {
public:
    explicit ManualWallClock(int64_t millisSince1970);
    ~ManualWallClock();
    ManualWallClock(const ManualWallClock&) = delete;
    ManualWallClock& operator=(const ManualWallClock&) = delete;

    void set(int64_t millisSince1970);
    void advance(int64_t ms);
    int64_t now() const;
};

}  // namespace host
