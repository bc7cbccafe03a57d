#include "host/core/clock.h"

#include <atomic>
#include <cassert>
#include <chrono>
#include <thread>

namespace host {
namespace {

const auto g_start = std::chrono::steady_clock::now();
std::atomic<bool> g_manual{false};
std::atomic<uint64_t> g_manualNow{0};
std::atomic<bool> g_manualWall{false};
std::atomic<int64_t> g_manualWallNow{0};
std::atomic<uint32_t> g_frameStep{0};

}  // namespace

int64_t tickCount64() {
    if (g_manual.load(std::memory_order_acquire)) return static_cast<int64_t>(g_manualNow.load(std::memory_order_acquire));
    auto elapsed = std::chrono::steady_clock::now() - g_start;
    return std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count();
}

uint32_t tickCount() { return static_cast<uint32_t>(tickCount64()); }

int64_t currentTimeMillis() {
    if (g_manualWall.load(std::memory_order_acquire)) return g_manualWallNow.load(std::memory_order_acquire);
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

void sleepMs(uint32_t ms) {
    if (ms == 0) {
        std::this_thread::yield();
        return;
    }
    // Until a point in time: a signal cuts a sleep short and the rest is measured again from the
    // clock, so time spent stopped by the collector counts (a relative rest would not end while
    // stops come faster than it).
    std::this_thread::sleep_until(std::chrono::steady_clock::now() + std::chrono::milliseconds(ms));
}

void yieldThread() { std::this_thread::yield(); }

ManualClock::ManualClock(uint32_t start) {
    // The value first: a reader that sees the flag must see this clock's time.
    g_manualNow.store(start, std::memory_order_release);
    [[maybe_unused]] bool was = g_manual.exchange(true);
    assert(!was && "only one ManualClock at a time");
}

ManualClock::~ManualClock() {
    g_frameStep.store(0);
    g_manual.store(false, std::memory_order_release);
}

void ManualClock::set(uint32_t ms) { g_manualNow.store(ms, std::memory_order_release); }
void ManualClock::advance(uint32_t ms) { g_manualNow.fetch_add(ms, std::memory_order_acq_rel); }
uint32_t ManualClock::now() const { return static_cast<uint32_t>(g_manualNow.load(std::memory_order_acquire)); }
void ManualClock::setFrameStep(uint32_t ms) { g_frameStep.store(ms); }

uint32_t frameStep() { return g_manual.load(std::memory_order_acquire) ? g_frameStep.load() : 0; }

void skipFrameStepClockTo(uint32_t ms) {
    if (frameStep() == 0) return;
    uint64_t now = g_manualNow.load(std::memory_order_acquire);
    if (ms <= now) return;
    g_manualNow.store(ms, std::memory_order_release);
    if (g_manualWall.load(std::memory_order_acquire))
        g_manualWallNow.fetch_add(static_cast<int64_t>(ms - now), std::memory_order_acq_rel);
}

void advanceFrameStep() {
    uint32_t step = frameStep();
    if (step == 0) return;
    g_manualNow.fetch_add(step, std::memory_order_acq_rel);
    if (g_manualWall.load(std::memory_order_acquire)) g_manualWallNow.fetch_add(step, std::memory_order_acq_rel);
}

ManualWallClock::ManualWallClock(int64_t millisSince1970) {
    g_manualWallNow.store(millisSince1970, std::memory_order_release);
    [[maybe_unused]] bool was = g_manualWall.exchange(true);
    assert(!was && "only one ManualWallClock at a time");
}

ManualWallClock::~ManualWallClock() { g_manualWall.store(false, std::memory_order_release); }

void ManualWallClock::set(int64_t ms) { g_manualWallNow.store(ms, std::memory_order_release); }
void ManualWallClock::advance(int64_t ms) { g_manualWallNow.fetch_add(ms, std::memory_order_acq_rel); }
int64_t ManualWallClock::now() const { return g_manualWallNow.load(std::memory_order_acquire); }

}  // namespace host
