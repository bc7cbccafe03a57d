#include "host/core/owner_gate.h"

#include <mutex>
#include <thread>
#include <vector>

#include <linux/membarrier.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace host {
namespace {

// Makes every running thread of the process pass a full memory barrier; false when the kernel
// cannot.
bool asymmetricFenceWorks() {
    static const bool works = syscall(SYS_membarrier, MEMBARRIER_CMD_REGISTER_PRIVATE_EXPEDITED, 0, 0) == 0;
    return works;
}

void asymmetricFence() { syscall(SYS_membarrier, MEMBARRIER_CMD_PRIVATE_EXPEDITED, 0, 0); }

// Every gate that may have an owner. Changed only as gates are made and unmade; read by a thread
// that stops another, which must not wait for the lock: the stopped thread may hold it.
struct GateList {
    std::mutex lock;
    std::vector<const OwnerGate*> gates;
};

GateList& gateList() {
    static GateList* list = new GateList;  // outlives every gate, static ones included
    return *list;
}

}  // namespace

OwnerGate::OwnerGate() {
    if (!asymmetricFenceWorks()) {
        m_shared.store(true);
        m_settled.store(true);
        return;  // never owned, never busy
    }
    GateList& list = gateList();
    std::lock_guard<std::mutex> guard(list.lock);
    list.gates.push_back(this);
}

OwnerGate::~OwnerGate() {
    GateList& list = gateList();
    std::lock_guard<std::mutex> guard(list.lock);
    std::erase(list.gates, this);
}

bool OwnerGate::busyFor(const HeldLocks& locks) {
    GateList& list = gateList();
    // The holder of the list's lock is making or unmaking a gate, briefly, unless it is the very
    // thread being stopped.
    for (int attempt = 0; !list.lock.try_lock(); ++attempt) {
        if (attempt == 100) return true;
        std::this_thread::yield();
    }
    std::lock_guard<std::mutex> guard(list.lock, std::adopt_lock);
    for (const OwnerGate* gate : list.gates) {
        if (gate->m_owner.load(std::memory_order_acquire) == &locks && gate->m_busy.load(std::memory_order_acquire)) {
            return true;
        }
    }
    return false;
}

void OwnerGate::noteLockedAccess() const {
    if (m_settled.load(std::memory_order_acquire)) return;
    const HeldLocks* me = &heldLocks();
    const HeldLocks* owner = m_owner.load(std::memory_order_relaxed);
    if (owner == me) return;
    if (!owner && m_owner.compare_exchange_strong(owner, me)) return;
    share();
}

// After the barrier the owner either sees m_shared or is seen busy, and then is waited for.
// Until some thread has seen it leave, every other thread waits for that itself: m_shared alone
// does not say that the owner is out.
void OwnerGate::share() const {
    m_shared.store(true, std::memory_order_seq_cst);
    asymmetricFence();
    while (m_busy.load(std::memory_order_acquire)) std::this_thread::yield();
    m_settled.store(true, std::memory_order_release);
}

}  // namespace host
