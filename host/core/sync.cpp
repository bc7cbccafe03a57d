#include "host/core/sync.h"

#include <atomic>
#include <chrono>

namespace host {
namespace {
std::atomic<void (*)()> g_enter{nullptr};
std::atomic<void (*)()> g_leave{nullptr};
}  // namespace

void setBlockingHooks(BlockingHooks hooks) {
    g_enter.store(hooks.enter);
    g_leave.store(hooks.leave);
}

BlockingRegion::BlockingRegion() {
    if (auto f = g_enter.load(std::memory_order_acquire)) f();
}

BlockingRegion::~BlockingRegion() {
    if (auto f = g_leave.load(std::memory_order_acquire)) f();
}

void CriticalSection::enter() {
    if (m_mutex.try_lock()) return;
    BlockingRegion blocking;
    m_mutex.lock();
}

bool CriticalSection::tryEnter() { return m_mutex.try_lock(); }

void CriticalSection::leave() { m_mutex.unlock(); }

void Event::set() {
    {
        std::lock_guard lock(m_mutex);
        m_signalled = true;
    }
    m_cv.notify_one();
}

void Event::reset() {
    std::lock_guard lock(m_mutex);
    m_signalled = false;
}

bool Event::wait(uint32_t timeoutMs) {
    {
        std::lock_guard lock(m_mutex);
        if (m_signalled || timeoutMs == 0) {
            bool was = m_signalled;
            m_signalled = false;
            return was;
        }
    }
    // The blocking hooks run without the event's mutex: the leave hook may itself wait
    // for the collector, and must not hold anything another thread needs to get there.
    BlockingRegion blocking;
    std::unique_lock lock(m_mutex);
    if (timeoutMs == kInfinite) {
        m_cv.wait(lock, [this] { return m_signalled; });
    } else {
        m_cv.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return m_signalled; });
    }
    bool was = m_signalled;
    m_signalled = false;
    lock.unlock();
    return was;
}

}  // namespace host
