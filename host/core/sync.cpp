#include "host/core/sync.h"

#include <atomic>
#include <chrono>

#include "host/core/log.h"
#include "host/core/owner_gate.h"

namespace host {

// Constant-initialised and trivially destructible: the record stays readable for as long as its
// thread exists, even while the thread's other thread-locals are being destroyed.
constinit thread_local HeldLocks t_heldLocks;

namespace {
std::atomic<void (*)()> g_enter{nullptr};
std::atomic<void (*)()> g_leave{nullptr};
std::atomic<void (*)()> g_enterTaking{nullptr};
std::atomic<bool (*)()> g_leaveTaking{nullptr};

// Short critical sections are usually free again within a few hundred cycles.
constexpr int kSpins = 64;

void cpuRelax() {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#elif defined(__aarch64__)
    asm volatile("yield");
#endif
}

// The stores of the holding count and of `entering` must stay in program order around the
// ownership word: a thread stopped between two of them is judged by what they show.
void compilerOrder() { std::atomic_signal_fence(std::memory_order_seq_cst); }

void addHeld(HeldLocks& self, int32_t delta) {
    compilerOrder();
    self.count.store(self.count.load(std::memory_order_relaxed) + delta, std::memory_order_relaxed);
    compilerOrder();
}

void callEnter() {
    if (auto f = g_enter.load(std::memory_order_acquire)) f();
}

void callLeave() {
    if (auto f = g_leave.load(std::memory_order_acquire)) f();
}

void callEnterTaking() {
    if (auto f = g_enterTaking.load(std::memory_order_acquire)) {
        f();
    } else {
        callEnter();
    }
}

bool callLeaveTaking() {
    if (auto f = g_leaveTaking.load(std::memory_order_acquire)) return f();
    callLeave();
    return true;
}

}  // namespace

void setBlockingHooks(BlockingHooks hooks) {
    g_enter.store(hooks.enter);
    g_leave.store(hooks.leave);
    g_enterTaking.store(hooks.enterTaking);
    g_leaveTaking.store(hooks.leaveTaking);
}

BlockingRegion::BlockingRegion() { callEnter(); }

BlockingRegion::~BlockingRegion() { callLeave(); }

bool holdsLocks(const HeldLocks& locks) {
    if (locks.count.load(std::memory_order_acquire) > 0) return true;
    const CriticalSection* entering = locks.entering.load(std::memory_order_acquire);
    if (entering != nullptr && entering->m_owner.load(std::memory_order_acquire) == &locks) return true;
    return OwnerGate::busyFor(locks);
}

HeldLockScope::HeldLockScope() { addHeld(t_heldLocks, 1); }

HeldLockScope::~HeldLockScope() { addHeld(t_heldLocks, -1); }

bool CriticalSection::take(HeldLocks& self) {
    HeldLocks* expected = nullptr;
    if (!m_owner.compare_exchange_strong(expected, &self, std::memory_order_seq_cst, std::memory_order_seq_cst)) {
        return false;
    }
    m_depth = 1;
    addHeld(self, 1);
    self.entering.store(nullptr, std::memory_order_relaxed);
    return true;
}

void CriticalSection::release(HeldLocks& self) {
    m_depth = 0;
    m_owner.store(nullptr, std::memory_order_seq_cst);
    addHeld(self, -1);
    if (m_waiters.load(std::memory_order_seq_cst) > 0) {
        m_releases.fetch_add(1, std::memory_order_seq_cst);
        m_releases.notify_one();
    }
}

void CriticalSection::enter() {
    HeldLocks& self = t_heldLocks;
    if (m_owner.load(std::memory_order_relaxed) == &self) {
        ++m_depth;
        return;
    }
    self.entering.store(this, std::memory_order_relaxed);
    compilerOrder();
    if (take(self)) return;
    enterContended(self);
}

void CriticalSection::enterContended(HeldLocks& self) {
    for (int i = 0; i < kSpins; ++i) {
        cpuRelax();
        if (m_owner.load(std::memory_order_relaxed) == nullptr && take(self)) return;
    }
    m_waiters.fetch_add(1, std::memory_order_seq_cst);
    for (;;) {
        callEnterTaking();
        for (;;) {
            uint32_t seen = m_releases.load(std::memory_order_seq_cst);
            if (take(self)) break;
            m_releases.wait(seen, std::memory_order_seq_cst);
        }
        if (callLeaveTaking()) break;
        // The collector may need this lock while it holds us: give it back until it is done.
        release(self);
        self.entering.store(this, std::memory_order_relaxed);
        compilerOrder();
        callLeave();
    }
    m_waiters.fetch_sub(1, std::memory_order_seq_cst);
}

bool CriticalSection::tryEnter() {
    HeldLocks& self = t_heldLocks;
    if (m_owner.load(std::memory_order_relaxed) == &self) {
        ++m_depth;
        return true;
    }
    self.entering.store(this, std::memory_order_relaxed);
    compilerOrder();
    if (take(self)) return true;
    self.entering.store(nullptr, std::memory_order_relaxed);
    return false;
}

void CriticalSection::leave() {
    HeldLocks& self = t_heldLocks;
    if (m_owner.load(std::memory_order_relaxed) != &self) {
        mrc_log("CriticalSection::leave: the calling thread does not hold the lock");
        return;
    }
    if (--m_depth > 0) return;
    release(self);
}

bool CriticalSection::heldByCurrentThread() const { return m_owner.load(std::memory_order_relaxed) == &t_heldLocks; }

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
