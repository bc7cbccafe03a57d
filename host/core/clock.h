// Time as the device gives it: a 32-bit millisecond tick count since start, wrapping like the
// device's, and wall-clock time. Tests replace the tick count with a clock they step by hand.
#pragma once

#include <cstdint>

namespace host {

// Milliseconds since the process started (or the manual clock's value while one is installed).
uint32_t tickCount();

// Milliseconds since 1970-01-01 UTC.
int64_t currentTimeMillis();

// Real sleep of the calling thread; 0 gives up the processor.
void sleepMs(uint32_t ms);
void yieldThread();

// While an instance lives, tickCount() returns its value instead of the real clock.
// Only one may be installed at a time.
class ManualClock {
public:
    explicit ManualClock(uint32_t start = 0);
    ~ManualClock();
    ManualClock(const ManualClock&) = delete;
    ManualClock& operator=(const ManualClock&) = delete;

    void set(uint32_t ms);
    void advance(uint32_t ms);
    uint32_t now() const;
};

}  // namespace host
