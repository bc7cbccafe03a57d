#include "host/core/owner_gate.h"

#include <thread>

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

}  // namespace

OwnerGate::OwnerGate() {
    if (!asymmetricFenceWorks()) {
        m_shared.store(true);
        m_settled.store(true);
    }
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
