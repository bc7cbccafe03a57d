// Locks and events with the semantics the runtime relies on: recursive critical sections and
// auto-reset events with timed waits. Blocking waits announce themselves through the blocking
// hooks, so that the runtime can count a thread inside one as parked for the collector.
//
// Every thread keeps a record of the critical sections it holds (HeldLocks). The collector stops
// threads only where they hold none: a thread stopped inside one would keep it from the collector,
// which needs the heaps' and tables' locks while the others stand still.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace host {

inline constexpr uint32_t kInfinite = 0xFFFFFFFFu;

// Called around every wait that may block (event waits, contended lock entries).
// The runtime installs them once; all are optional.
struct BlockingHooks {
    void (*enter)() = nullptr;
    void (*leave)() = nullptr;
    // The wait of a contended CriticalSection::enter begins with enterTaking in place of enter
    // (the waiting thread may be in the middle of runtime work), and ends with leaveTaking in
    // place of leave once it has the lock. leaveTaking returns false when the thread must not
    // keep the lock yet (the collector counted it as parked and may need the lock): the lock is
    // given back, leave runs, and the entry starts over with enterTaking.
    void (*enterTaking)() = nullptr;
    bool (*leaveTaking)() = nullptr;
};
void setBlockingHooks(BlockingHooks hooks);

// Marks the enclosed code as a blocking call for the collector.
class BlockingRegion {
public:
    BlockingRegion();
    ~BlockingRegion();
    BlockingRegion(const BlockingRegion&) = delete;
    BlockingRegion& operator=(const BlockingRegion&) = delete;
};

class CriticalSection;

// The locks one thread holds. Written only by its thread; another thread may read it while the
// thread is stopped (it lives as long as the thread).
struct HeldLocks {
    std::atomic<int32_t> count{0};                         // critical sections and held-lock scopes
    std::atomic<const CriticalSection*> entering{nullptr};  // being entered, perhaps already taken
};

// The calling thread's record; inline, since the heaps' lock-free paths ask for it on every call.
extern constinit thread_local HeldLocks t_heldLocks;
inline HeldLocks& heldLocks() { return t_heldLocks; }

// Whether the thread of `locks` holds a lock, or is inside an owner gate's bracket (which counts
// as one). Exact for the calling thread's own record and for a thread that is stopped; a thread
// stopped inside an entry counts as holding once it has the lock.
bool holdsLocks(const HeldLocks& locks);

// Counts as one held lock while it lives: for locks that are not critical sections (the log's),
// so that no thread is stopped for the collector while holding one.
class HeldLockScope {
public:
    HeldLockScope();
    ~HeldLockScope();
    HeldLockScope(const HeldLockScope&) = delete;
    HeldLockScope& operator=(const HeldLockScope&) = delete;
};

// Recursive mutual exclusion: the owning thread may enter again; each enter needs a leave.
// Ownership is a single atomic word, so a thread stopped at any instruction either owns the
// lock or does not.
class CriticalSection {
public:
    CriticalSection() = default;
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;

    void enter();
    bool tryEnter();
    void leave();  // by a thread that does not own it: traced, nothing else
    bool heldByCurrentThread() const;

private:
    friend bool holdsLocks(const HeldLocks& locks);
    bool take(HeldLocks& self);
    void release(HeldLocks& self);
    void enterContended(HeldLocks& self);

    std::atomic<HeldLocks*> m_owner{nullptr};
    uint32_t m_depth = 0;                  // written by the owner only
    std::atomic<uint32_t> m_waiters{0};
    std::atomic<uint32_t> m_releases{0};   // futex word of the waiters
};

class CriticalSectionLock {
public:
    explicit CriticalSectionLock(CriticalSection& cs) : m_cs(cs) { m_cs.enter(); }
    ~CriticalSectionLock() { m_cs.leave(); }
    CriticalSectionLock(const CriticalSectionLock&) = delete;
    CriticalSectionLock& operator=(const CriticalSectionLock&) = delete;

private:
    CriticalSection& m_cs;
};

// Auto-reset event: set() releases exactly one waiter (or the next one to wait) and resets.
class Event {
public:
    explicit Event(bool initiallySet = false) : m_signalled(initiallySet) {}

    void set();
    void reset();
    // True when signalled, false on time-out. kInfinite waits without limit.
    bool wait(uint32_t timeoutMs = kInfinite);

private:
    std::mutex m_mutex;
    std::condition_variable m_cv;
    bool m_signalled;
};

}  // namespace host
