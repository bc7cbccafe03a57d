#include "host/core/clock.h"

#include <atomic>
#include <cassert>
#include <chrono>
#include <thread>

namespace host {
namespace {

const auto g_start = std::chrono::steady_clock::now();
std::atomic<bool> g_manual{false};
std::atomic<uint32_t> g_manualNow{0};

}  // namespace

uint32_t tickCount() {
    if (g_manual.load(std::memory_order_acquire)) return g_manualNow.load(std::memory_order_acquire);
    auto elapsed = std::chrono::steady_clock::now() - g_start;
    return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
}

int64_t currentTimeMillis() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

void sleepMs(uint32_t ms) {
    if (ms == 0) {
        std::this_thread::yield();
        return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void yieldThread() { std::this_thread::yield(); }

ManualClock::ManualClock(uint32_t start) {
    [[maybe_unused]] bool was = g_manual.exchange(true);
    assert(!was && "only one ManualClock at a time");
    g_manualNow.store(start, std::memory_order_release);
}

ManualClock::~ManualClock() { g_manual.store(false, std::memory_order_release); }

void ManualClock::set(uint32_t ms) { g_manualNow.store(ms, std::memory_order_release); }
void ManualClock::advance(uint32_t ms) { g_manualNow.fetch_add(ms, std::memory_order_acq_rel); }
uint32_t ManualClock::now() const { return g_manualNow.load(std::memory_order_acquire); }

}  // namespace host
