// Threads as the device gives them: created suspended and started by a resume, suspended and
// resumed from other threads with a suspend count, their stopped register state and stack readable
// for the collector's conservative scan.
//
// Linux: a thread is stopped by a real-time signal (suspendSignal()). The handler saves the
// interrupted registers and stack pointer in the thread's record, acknowledges and waits on a futex
// until the suspend count is back to zero. Every stop has a sequence number, so a signal that
// arrives late (after the stop it was sent for is over) returns at once, and a resume always wakes
// the thread. Threads blocked in sleeps, futex and condition waits or restartable system calls are
// stopped like running ones. Under the thread sanitizer the signal reaches a thread only at its
// next atomic operation or intercepted call (a loop of plain memory accesses cannot be stopped),
// and its runtime drops some signals: a suspender sends it again until the thread acknowledges.
//
// A thread stopped by suspend() may hold any lock it was holding when the signal came (the
// allocator's, the log's). While it is stopped, the suspending thread must not take such locks
// (no allocation, no logging); suspend(), resume(), getContext() and findThread() take none that
// a stopped thread can hold.
#pragma once

#include <pthread.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "host/core/sync.h"

namespace host {

// Never 0; unique per thread for the lifetime of the process (never reused).
using ThreadId = uint32_t;

// The calling thread's id; any thread, including main and threads this layer did not create.
ThreadId currentThreadId();

using ThreadProc = uint32_t (*)(void* arg);

// [low, high) of a thread's stack; high is its base (the stack grows down).
struct StackBounds {
    uintptr_t low = 0;
    uintptr_t high = 0;
    bool contains(uintptr_t address) const { return address >= low && address < high; }
};

// The calling thread's stack.
StackBounds currentStackBounds();

inline constexpr std::size_t kMaxContextRegisters = 32;

// The state of a stopped thread. Every word from stackPointer up to stackBounds().high and every
// register may hold a reference: the collector scans both. Scan up to stackBounds().high rather
// than to a stack pointer taken earlier: a created thread's first context is taken before its
// procedure's frames exist, and they may lie partly above it.
struct ThreadContext {
    uintptr_t stackPointer = 0;  // the lowest live address of the thread's stack
    std::array<uintptr_t, kMaxContextRegisters> registers{};  // the integer registers, spilled
    std::size_t count = 0;                                     // entries of registers in use
};

// Device priorities: 0 is the highest, 7 the lowest.
inline constexpr int kHighestPriority = 0;
inline constexpr int kLowestPriority = 7;
inline constexpr int kDefaultPriority = 3;

struct ThreadRecord;  // internal: the per-thread state the suspend signal works on

// A thread this layer knows: one it created (Thread) or one that adopted itself
// (adoptCurrentThread, e.g. the UI thread). Shared by whoever needs to stop it; the thread itself
// keeps its handle alive while it runs.
//
// Suspend count: suspend() adds one and returns once the thread is stopped; resume() takes one
// away and lets it run when the count reaches zero. A thread created suspended starts with a count
// of one, so its procedure starts when the count first drops to zero.
class ThreadHandle : public std::enable_shared_from_this<ThreadHandle> {
public:
    explicit ThreadHandle(std::unique_ptr<ThreadRecord> record);  // made by this layer only
    ~ThreadHandle();
    ThreadHandle(const ThreadHandle&) = delete;
    ThreadHandle& operator=(const ThreadHandle&) = delete;

    ThreadId id() const;

    // False when the thread has finished, or when no signal can be sent to it (the queue of
    // real-time signals of the user is full; the caller may retry). On the calling thread itself
    // it stops until another thread resumes it.
    bool suspend();
    // False (and nothing undone) when the count is already zero. Such a resume is remembered for
    // the thread's next suspendSelf(), which then returns at once.
    bool resume();
    // Only while the thread is stopped by a suspension (not for the calling thread).
    bool getContext(ThreadContext& out) const;
    bool suspended() const;  // the suspend count is above zero
    bool exited() const;     // its procedure returned, or the adopted thread ended

    StackBounds stackBounds() const;

    // The stored device priority; setPriority refuses values outside 0..7. Scheduling is not
    // changed: an ordinary Linux process may not raise a thread's priority.
    int priority() const;
    bool setPriority(int priority);

private:
    std::unique_ptr<ThreadRecord> m_record;
};

// Registers the calling thread (idempotent: a known thread gets its own handle back), so that
// others can suspend, resume and read it. The registration ends when the thread ends.
std::shared_ptr<ThreadHandle> adoptCurrentThread();

// The calling thread's handle, or null when it is neither created here nor adopted.
std::shared_ptr<ThreadHandle> currentThreadHandle();

// A thread known to this layer that has not ended, or null.
std::shared_ptr<ThreadHandle> findThread(ThreadId id);

// A thread created by this layer. Everything but creation and joining forwards to its handle.
class Thread {
public:
    // Created suspended: the procedure starts at the first resume(). stackSize 0 takes the
    // system's default. Its id, stack bounds and context are known on return. Null on failure.
    static std::unique_ptr<Thread> createSuspended(ThreadProc proc, void* arg, std::size_t stackSize = 0);

    // A thread that never started ends without running its procedure; a running one is detached.
    // Never blocks on the thread.
    ~Thread();
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;

    ThreadId id() const { return m_handle->id(); }
    bool resume() { return m_handle->resume(); }
    bool suspend() { return m_handle->suspend(); }
    bool getContext(ThreadContext& out) const { return m_handle->getContext(out); }
    StackBounds stackBounds() const { return m_handle->stackBounds(); }
    int priority() const { return m_handle->priority(); }
    bool setPriority(int priority) { return m_handle->setPriority(priority); }
    const std::shared_ptr<ThreadHandle>& handle() const { return m_handle; }

    // True once the procedure has returned (false on time-out).
    bool join(uint32_t timeoutMs = kInfinite);
    bool finished() const;
    uint32_t exitCode() const;  // the procedure's result once finished, else 0

    // The calling thread stops itself (adding one to its count) until another thread resumes it.
    // When a resume came while the thread was not suspended, it returns at once instead (one such
    // resume is kept), so callers re-check the condition they park for. A thread unknown to this
    // layer is adopted first.
    static void suspendSelf();

private:
    Thread(std::shared_ptr<ThreadHandle> handle, ThreadRecord* record, pthread_t pthread);

    std::shared_ptr<ThreadHandle> m_handle;
    ThreadRecord* m_record;  // owned by m_handle
    pthread_t m_pthread;
};

// The signal that stops threads (SIGRTMIN + 5); reserved by this layer. Its handler is installed
// on first use.
int suspendSignal();

}  // namespace host
