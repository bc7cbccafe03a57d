// Lets the first thread that uses a lock-guarded structure (a heap, the object registry) work on
// it without the lock for as long as no other thread uses it. The owner brackets each operation
// with enter()/leave(); every other thread passes noteLockedAccess() before it takes the lock,
// which ends the owner's lock-free use for good: it marks the gate shared, makes every running
// thread pass a memory barrier, and waits for the owner to leave. From then on everyone locks.
//
// A thread inside a bracket counts as holding a lock (holdsLocks()), so that it is not stopped
// there: the gates are listed, and the stopper asks them. The bracket itself writes only the
// gate's own busy flag; a count in the thread's record would cost every allocation and free two
// more read-modify-writes.
#pragma once

#include <atomic>

#include "host/core/sync.h"

namespace host {

class OwnerGate {
public:
    // Without the process-wide barrier the owner could not be stopped safely: the gate starts
    // shared.
    OwnerGate();
    ~OwnerGate();
    OwnerGate(const OwnerGate&) = delete;
    OwnerGate& operator=(const OwnerGate&) = delete;

    // True when the calling thread owns the structure (claiming it if nobody does) and no other
    // thread uses it; then it works without the lock until leave(). The bracket counts as a held
    // lock, so that the thread is not stopped in its middle.
    bool enter(HeldLocks& self) const {
        const HeldLocks* owner = m_owner.load(std::memory_order_relaxed);
        if (owner != &self) {
            if (owner || m_shared.load(std::memory_order_relaxed)) return false;
            if (!m_owner.compare_exchange_strong(owner, &self)) return false;
        }
        m_busy.store(true, std::memory_order_relaxed);
        // share()'s barrier orders this store before the load below; the structure's accesses
        // stay after it, so that a thread stopped in the bracket is seen busy.
        std::atomic_signal_fence(std::memory_order_seq_cst);
        if (!m_shared.load(std::memory_order_relaxed)) return true;
        leave(self);
        return false;
    }

    // A release store: the structure's accesses stay before it.
    void leave(HeldLocks&) const { m_busy.store(false, std::memory_order_release); }

    // Whether the thread of `locks` is inside a bracket of a gate; true also when the list of
    // gates cannot be read now (a gate is being made or unmade), so that the caller tries again.
    static bool busyFor(const HeldLocks& locks);

    // Before the calling thread takes the structure's lock: claims the structure when nobody has,
    // else ends the owner path unless the caller is the owner.
    void noteLockedAccess() const;

private:
    void share() const;

    mutable std::atomic<const HeldLocks*> m_owner{nullptr};
    mutable std::atomic<bool> m_shared{false};
    mutable std::atomic<bool> m_busy{false};
    mutable std::atomic<bool> m_settled{false};
};

// A critical section taken after the gate has let the calling thread in, for a scope.
class GatedLock {
public:
    GatedLock(const OwnerGate& gate, CriticalSection& lock) : m_lock(lock) {
        gate.noteLockedAccess();
        m_lock.enter();
    }
    ~GatedLock() { m_lock.leave(); }
    GatedLock(const GatedLock&) = delete;
    GatedLock& operator=(const GatedLock&) = delete;

private:
    CriticalSection& m_lock;
};

}  // namespace host
