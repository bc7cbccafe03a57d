// The monitors of `synchronized`, Object.wait and notify: attached to an object on its first
// synchronization and released with the object.
//
// A monitor has an owner with a recursion count, a queue of threads waiting to enter and a wait
// set, both in arrival order. Leaving hands the monitor straight to the first thread in the entry
// queue; notify moves waiters from the wait set to the entry queue, so they take the monitor once
// the notifier has left it. Each waiting thread blocks on an event of its own, inside a blocking
// call, so that it counts as parked for the collector; its queue entry lives on its stack and
// keeps the object visible to the stack scan.
#pragma once

#include <atomic>
#include <cstdint>
#include <vector>

#include "host/core/sync.h"
#include "host/core/thread.h"

class Object;

namespace mrc {

struct MonitorWaiter;

class MonitorTable {
public:
    // Enough for any game; the table grows up to it and reports the monitor beyond.
    static constexpr int32_t kDefaultLimit = 1 << 16;

    explicit MonitorTable(host::CriticalSection& lock) : m_lock(lock) {}
    MonitorTable(const MonitorTable&) = delete;
    MonitorTable& operator=(const MonitorTable&) = delete;

    // The index of the object's monitor, valid until the lock is next released; a new monitor
    // when `create` is set. -1 when there is none, or when the table is full (traced).
    int32_t getMonitor(Object* object, bool create);

    void enter(Object* object);
    void exit(Object* object);
    // Milliseconds; 0 waits without limit.
    void wait(Object* object, int64_t timeoutMs);
    // Up to `count` waiters; -1 wakes them all.
    void notify(Object* object, int32_t count);
    // The object is being destroyed: its monitor is freed. Inline, as every destructor asks and
    // almost never finds one.
    void release(Object* object) {
        if (m_live.load(std::memory_order_relaxed) != 0) releaseSlow(object);
    }
    // Forgets every monitor (runtime start).
    void clear();

    bool heldByCurrentThread(Object* object);
    int32_t waitingCount(Object* object);   // threads in the object's wait set
    int32_t enteringCount(Object* object);  // threads waiting to take the monitor
    int32_t size();                        // monitors in use
    void setLimit(int32_t limit);

private:
    struct Monitor {
        Object* object = nullptr;  // null: never used since the last rehash; kFreed: freed
        host::ThreadId owner = 0;
        int32_t count = 0;
        MonitorWaiter* entering = nullptr;
        MonitorWaiter* enteringTail = nullptr;
        MonitorWaiter* waiting = nullptr;
        MonitorWaiter* waitingTail = nullptr;
    };

    void releaseSlow(Object* object);
    int32_t findLocked(Object* object) const;
    int32_t claimLocked(Object* object);
    void rehashLocked(std::size_t capacity);
    Monitor* ownedLocked(Object* object, const char* operation);
    void handOverLocked(Monitor& monitor);
    void awaitGrant(MonitorWaiter& waiter);

    host::CriticalSection& m_lock;
    std::vector<Monitor> m_slots;  // open addressing, a power of two long
    int32_t m_used = 0;
    int32_t m_freed = 0;
    int32_t m_limit = kDefaultLimit;
    std::atomic<int32_t> m_live{0};  // m_used, readable without the lock
};

}  // namespace mrc
