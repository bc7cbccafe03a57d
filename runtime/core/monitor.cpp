#include "runtime/core/monitor.h"

#include <algorithm>
#include <chrono>
#include <climits>

#include "host/core/log.h"
#include "runtime/core/application.h"
#include "runtime/core/object.h"
#include "runtime/core/object_manager.h"

namespace mrc {

// A thread waiting for a monitor, on that thread's stack; linked under the table lock.
struct MonitorWaiter {
    enum State : uint8_t { kEntering, kWaiting, kGranted };

    Object* object;  // kept here so that the stack scan sees the object while the thread waits
    host::ThreadId thread;
    host::Event* event;
    MonitorWaiter* next;
    int32_t count;  // the recursion count the thread gets back with the monitor
    State state;
};

namespace {

constexpr std::size_t kInitialCapacity = 256;
// Waits longer than this are waits without limit: about 24 days.
constexpr int64_t kLongestTimedWait = INT32_MAX;

Object* freedMark() { return reinterpret_cast<Object*>(uintptr_t{1}); }

// One event per thread: a thread waits for one monitor at a time.
host::Event& ownEvent() {
    thread_local host::Event event;
    return event;
}

std::size_t hashOf(const Object* object, std::size_t mask) {
    uint64_t x = reinterpret_cast<uintptr_t>(object) >> 3;
    x *= 0x9E3779B97F4A7C15ull;
    return static_cast<std::size_t>(x >> 32) & mask;
}

void report(const char* tag) {
    if (Application* app = ApplicationImpl::getApplication()) {
        app->reportError(tag);
    } else {
        mrc_log("%s", tag);
    }
}

void append(MonitorWaiter*& head, MonitorWaiter*& tail, MonitorWaiter* waiter) {
    waiter->next = nullptr;
    if (tail) {
        tail->next = waiter;
    } else {
        head = waiter;
    }
    tail = waiter;
}

MonitorWaiter* popFront(MonitorWaiter*& head, MonitorWaiter*& tail) {
    MonitorWaiter* first = head;
    if (first) {
        head = first->next;
        if (!head) tail = nullptr;
        first->next = nullptr;
    }
    return first;
}

void unlink(MonitorWaiter*& head, MonitorWaiter*& tail, MonitorWaiter* waiter) {
    MonitorWaiter* previous = nullptr;
    for (MonitorWaiter* w = head; w; previous = w, w = w->next) {
        if (w != waiter) continue;
        (previous ? previous->next : head) = w->next;
        if (tail == w) tail = previous;
        w->next = nullptr;
        return;
    }
}

}  // namespace

// ---- the table ----------------------------------------------------------------------------

int32_t MonitorTable::findLocked(Object* object) const {
    if (m_slots.empty()) return -1;
    std::size_t mask = m_slots.size() - 1;
    for (std::size_t i = hashOf(object, mask);; i = (i + 1) & mask) {
        Object* o = m_slots[i].object;
        if (o == object) return static_cast<int32_t>(i);
        if (o == nullptr) return -1;
    }
}

int32_t MonitorTable::claimLocked(Object* object) {
    if (m_used >= m_limit) {
        mrc_log("ApplicationImpl::getMonitor(): the monitor table is full (%d monitors)", m_used);
        return -1;
    }
    // At most three quarters used or freed, so that every probe ends at a never-used slot.
    if (4 * (static_cast<std::size_t>(m_used + m_freed) + 1) > 3 * m_slots.size()) {
        std::size_t capacity = std::max(kInitialCapacity, m_slots.size());
        while (4 * (static_cast<std::size_t>(m_used) + 1) > 3 * capacity / 2) capacity *= 2;
        rehashLocked(capacity);
    }
    std::size_t mask = m_slots.size() - 1;
    std::size_t i = hashOf(object, mask);
    while (m_slots[i].object != nullptr && m_slots[i].object != freedMark()) i = (i + 1) & mask;
    if (m_slots[i].object == freedMark()) --m_freed;
    m_slots[i] = Monitor{};
    m_slots[i].object = object;
    ++m_used;
    m_live.store(m_used, std::memory_order_relaxed);
    return static_cast<int32_t>(i);
}

void MonitorTable::rehashLocked(std::size_t capacity) {
    std::vector<Monitor> old(capacity);
    old.swap(m_slots);
    m_freed = 0;
    std::size_t mask = capacity - 1;
    for (const Monitor& m : old) {
        if (m.object == nullptr || m.object == freedMark()) continue;
        std::size_t i = hashOf(m.object, mask);
        while (m_slots[i].object != nullptr) i = (i + 1) & mask;
        m_slots[i] = m;
    }
}

int32_t MonitorTable::getMonitor(Object* object, bool create) {
    if (isNull(object)) return -1;
    host::CriticalSectionLock lock(m_lock);
    int32_t i = findLocked(object);
    // The search and the claim are one step under the lock: one object never gets two monitors.
    if (i < 0 && create) i = claimLocked(object);
    return i;
}

void MonitorTable::releaseSlow(Object* object) {
    host::CriticalSectionLock lock(m_lock);
    int32_t i = findLocked(object);
    if (i < 0) return;
    Monitor& m = m_slots[static_cast<std::size_t>(i)];
    if (m.owner != 0 || m.entering || m.waiting) {
        mrc_log("Object::~Object(): the monitor of a destroyed object is still in use (thread 0x%X)", m.owner);
    }
    m.object = freedMark();
    --m_used;
    ++m_freed;
    m_live.store(m_used, std::memory_order_relaxed);
}

void MonitorTable::clear() {
    host::CriticalSectionLock lock(m_lock);
    m_slots.clear();
    m_used = 0;
    m_freed = 0;
    m_live.store(0, std::memory_order_relaxed);
}

void MonitorTable::setLimit(int32_t limit) {
    host::CriticalSectionLock lock(m_lock);
    m_limit = std::max(limit, 0);
}

int32_t MonitorTable::size() {
    host::CriticalSectionLock lock(m_lock);
    return m_used;
}

bool MonitorTable::heldByCurrentThread(Object* object) {
    host::CriticalSectionLock lock(m_lock);
    int32_t i = findLocked(object);
    return i >= 0 && m_slots[static_cast<std::size_t>(i)].owner == host::currentThreadId();
}

namespace {
int32_t lengthOf(const MonitorWaiter* queue) {
    int32_t n = 0;
    for (; queue; queue = queue->next) ++n;
    return n;
}
}  // namespace

int32_t MonitorTable::waitingCount(Object* object) {
    host::CriticalSectionLock lock(m_lock);
    int32_t i = findLocked(object);
    return i < 0 ? 0 : lengthOf(m_slots[static_cast<std::size_t>(i)].waiting);
}

int32_t MonitorTable::enteringCount(Object* object) {
    host::CriticalSectionLock lock(m_lock);
    int32_t i = findLocked(object);
    return i < 0 ? 0 : lengthOf(m_slots[static_cast<std::size_t>(i)].entering);
}

// ---- the operations -----------------------------------------------------------------------

// The monitor of `object` when the calling thread owns it; otherwise traced.
MonitorTable::Monitor* MonitorTable::ownedLocked(Object* object, const char* operation) {
    int32_t i = findLocked(object);
    if (i >= 0 && m_slots[static_cast<std::size_t>(i)].owner == host::currentThreadId()) {
        return &m_slots[static_cast<std::size_t>(i)];
    }
    report(operation);
    return nullptr;
}

// The owner gives the monitor up entirely: the first entering thread gets it.
void MonitorTable::handOverLocked(Monitor& m) {
    MonitorWaiter* next = popFront(m.entering, m.enteringTail);
    if (!next) {
        m.owner = 0;
        m.count = 0;
        return;
    }
    m.owner = next->thread;
    m.count = next->count;
    next->state = MonitorWaiter::kGranted;
    // Under the lock: the waiter cannot leave (and its event cannot go) before we are done.
    next->event->set();
}

void MonitorTable::awaitGrant(MonitorWaiter& waiter) {
    for (;;) {
        waiter.event->wait(host::kInfinite);
        host::CriticalSectionLock lock(m_lock);
        if (waiter.state == MonitorWaiter::kGranted) return;
    }
}

void MonitorTable::enter(Object* object) {
    if (isNull(object)) {
        report("NullPointer");
        return;
    }
    ApplicationImpl::getInstance()->safePoint();
    MonitorWaiter waiter{object, host::currentThreadId(), &ownEvent(), nullptr, 1, MonitorWaiter::kEntering};
    {
        host::CriticalSectionLock lock(m_lock);
        int32_t i = findLocked(object);
        if (i < 0) i = claimLocked(object);
        if (i < 0) return;
        Monitor& m = m_slots[static_cast<std::size_t>(i)];
        if (m.owner == waiter.thread) {
            ++m.count;
            return;
        }
        if (m.owner == 0) {
            m.owner = waiter.thread;
            m.count = 1;
            return;
        }
        waiter.event->reset();
        append(m.entering, m.enteringTail, &waiter);
    }
    awaitGrant(waiter);
}

void MonitorTable::exit(Object* object) {
    if (isNull(object)) {
        report("NullPointer");
        return;
    }
    host::CriticalSectionLock lock(m_lock);
    Monitor* m = ownedLocked(object, "ObjectManager::monitorExit(): monitor not held");
    if (m && --m->count == 0) handOverLocked(*m);
}

void MonitorTable::wait(Object* object, int64_t timeoutMs) {
    if (isNull(object)) {
        report("NullPointer");
        return;
    }
    if (timeoutMs < 0) {
        report("Object::wait(): negative timeout");
        return;
    }
    using Clock = std::chrono::steady_clock;
    const bool timed = timeoutMs > 0;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(std::min(timeoutMs, kLongestTimedWait));
    MonitorWaiter waiter{object, host::currentThreadId(), &ownEvent(), nullptr, 0, MonitorWaiter::kWaiting};
    {
        host::CriticalSectionLock lock(m_lock);
        Monitor* m = ownedLocked(object, "Object::wait(): monitor not held");
        if (!m) return;
        waiter.count = m->count;
        waiter.event->reset();
        append(m->waiting, m->waitingTail, &waiter);
        handOverLocked(*m);
    }
    bool inWaitSet = true;  // the state as last seen under the lock
    for (;;) {
        uint32_t waitMs = host::kInfinite;
        if (timed && inWaitSet) {
            auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
            waitMs = static_cast<uint32_t>(std::clamp<int64_t>(left, 0, kLongestTimedWait));
        }
        waiter.event->wait(waitMs);
        host::CriticalSectionLock lock(m_lock);
        if (waiter.state == MonitorWaiter::kGranted) return;
        inWaitSet = waiter.state == MonitorWaiter::kWaiting;
        if (inWaitSet && timed && Clock::now() >= deadline) {
            // Timed out: out of the wait set, and in line for the monitor like any entering thread.
            Monitor& m = m_slots[static_cast<std::size_t>(findLocked(object))];
            unlink(m.waiting, m.waitingTail, &waiter);
            waiter.state = MonitorWaiter::kEntering;
            inWaitSet = false;
            if (m.owner == 0) {
                m.owner = waiter.thread;
                m.count = waiter.count;
                return;
            }
            append(m.entering, m.enteringTail, &waiter);
        }
    }
}

void MonitorTable::notify(Object* object, int32_t count) {
    if (isNull(object)) {
        report("NullPointer");
        return;
    }
    host::CriticalSectionLock lock(m_lock);
    Monitor* m = ownedLocked(object, "Object::notify(): monitor not held");
    if (!m) return;
    int32_t n = count == -1 ? INT32_MAX : count;
    // Exactly the waiters asked for move on; the others stay in the wait set.
    for (; n > 0 && m->waiting; --n) {
        MonitorWaiter* w = popFront(m->waiting, m->waitingTail);
        w->state = MonitorWaiter::kEntering;
        append(m->entering, m->enteringTail, w);
    }
}

// ---- entry points of translated code ------------------------------------------------------

void ObjectManager::monitorEnter(Object* object) { ApplicationImpl::getInstance()->monitors.enter(object); }

void ObjectManager::monitorExit(Object* object) { ApplicationImpl::getInstance()->monitors.exit(object); }

}  // namespace mrc

void Object::wait(Object* object, int64_t timeout) { mrc::ApplicationImpl::getInstance()->monitors.wait(object, timeout); }

void Object::notify(Object* object, int32_t count) { mrc::ApplicationImpl::getInstance()->monitors.notify(object, count); }
