// Locks and events with the semantics the runtime relies on: recursive critical sections and
// auto-reset events with timed waits. Blocking waits announce themselves through the blocking
// hooks, so that the runtime can count a thread inside one as parked for the collector.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace host {

inline constexpr uint32_t kInfinite = 0xFFFFFFFFu;

// Called around every wait that may block (event waits, contended lock entries).
// The runtime installs them once; both are optional.
struct BlockingHooks {
    void (*enter)() = nullptr;
    void (*leave)() = nullptr;
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

// Recursive mutual exclusion: the owning thread may enter again; each enter needs a leave.
class CriticalSection {
public:
    void enter();
    bool tryEnter();
    void leave();

private:
    std::recursive_mutex m_mutex;
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
