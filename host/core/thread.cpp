#include "host/core/thread.h"

#include <linux/futex.h>
#include <signal.h>
#include <sys/syscall.h>
#include <ucontext.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <condition_variable>
#include <mutex>
#include <unordered_map>

#include "host/core/log.h"

#if !defined(__linux__)
#error "threads are stopped with Linux signals and futexes"
#endif

namespace host {

// The state a thread shares with those who stop it. Stops are numbered: stopSeq is the last stop
// begun, runSeq the last one ended, so the thread must be stopped while they differ; ackSeq is the
// stop the thread has acknowledged, its context saved. The numbers make late and repeated signals
// harmless: a signal finding stopSeq == runSeq returns at once.
struct ThreadRecord {
    ThreadId id = 0;
    pthread_t pthread{};
    StackBounds bounds;
    std::atomic<int> priority{kDefaultPriority};

    // Taken only with the suspend signal blocked (BlockedLock), so that no thread is ever stopped
    // while it holds a record's lock.
    std::mutex lock;
    int count = 0;
    bool started = true;  // false while a created thread waits for its first resume
    bool cancelled = false;
    bool exited = false;
    bool wakePermit = false;

    std::atomic<uint32_t> stopSeq{0};
    std::atomic<uint32_t> runSeq{0};   // futex word of the stopped thread
    std::atomic<uint32_t> ackSeq{0};
    std::atomic<uint32_t> progress{0};  // futex word of suspenders: moves on every ack and end of stop
    // A suspend signal sent and not yet taken by the handler. A stop begun meanwhile sends none:
    // the pending signal serves it. So at most one is queued per thread, however many stops it
    // goes through without leaving its handler (queued real-time signals count against a limit
    // shared by all processes of the user).
    std::atomic<bool> signalPending{false};
    ThreadContext context;              // written by the thread before it acknowledges

    std::mutex doneLock;
    std::condition_variable doneCv;
    bool finished = false;
    uint32_t exitCode = 0;

    uint32_t beginStop();
    void endStop();
    void waitStopped(uint32_t seq, bool resend);
    bool suspend();
    bool resume();
    void stopSelf(bool usePermit);
};

namespace {

static_assert(sizeof(std::atomic<uint32_t>) == sizeof(uint32_t) && std::atomic<uint32_t>::is_always_lock_free,
              "futex words must be plain 32-bit words");

constexpr uint32_t kFirstResendMs = 10;
constexpr uint32_t kLastResendMs = 640;

std::atomic<ThreadId> g_lastId{0};

// Initial-exec: the signal handler reads these, and must not make the C library allocate TLS.
thread_local ThreadId t_id __attribute__((tls_model("initial-exec"))) = 0;
thread_local ThreadRecord* t_record __attribute__((tls_model("initial-exec"))) = nullptr;
thread_local ThreadHandle* t_handle = nullptr;
thread_local StackBounds t_bounds;

ThreadId newThreadId() { return g_lastId.fetch_add(1, std::memory_order_relaxed) + 1; }

bool seqReached(uint32_t value, uint32_t seq) { return static_cast<int32_t>(value - seq) >= 0; }

uint32_t* futexWord(std::atomic<uint32_t>& word) { return reinterpret_cast<uint32_t*>(&word); }

void futexWait(std::atomic<uint32_t>& word, uint32_t expected) {
    syscall(SYS_futex, futexWord(word), FUTEX_WAIT_PRIVATE, expected, nullptr, nullptr, 0);
}

// False when the time ran out.
bool futexWaitFor(std::atomic<uint32_t>& word, uint32_t expected, uint32_t ms) {
    timespec timeout{static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000L};
    return syscall(SYS_futex, futexWord(word), FUTEX_WAIT_PRIVATE, expected, &timeout, nullptr, 0) == 0 ||
           errno != ETIMEDOUT;
}

void futexWakeAll(std::atomic<uint32_t>& word) {
    syscall(SYS_futex, futexWord(word), FUTEX_WAKE_PRIVATE, INT_MAX, nullptr, nullptr, 0);
}

sigset_t suspendSignalSet() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, suspendSignal());
    return set;
}

class SignalBlock {
public:
    SignalBlock() {
        sigset_t set = suspendSignalSet();
        pthread_sigmask(SIG_BLOCK, &set, &m_previous);
    }
    ~SignalBlock() { pthread_sigmask(SIG_SETMASK, &m_previous, nullptr); }
    SignalBlock(const SignalBlock&) = delete;
    SignalBlock& operator=(const SignalBlock&) = delete;

private:
    sigset_t m_previous;
};

// Copies the integer registers of a saved context and finds the lowest live stack address: the
// lower of the context's stack pointer and `frame`, a frame below it on the same stack (that
// also covers the red zone below the interrupted stack pointer).
void saveContext(ThreadContext& out, const ucontext_t& uc, uintptr_t frame, const StackBounds& bounds) {
    uintptr_t sp = 0;
#if defined(__x86_64__)
    static constexpr int kRegisters[] = {REG_R8,  REG_R9,  REG_R10, REG_R11, REG_R12, REG_R13,
                                         REG_R14, REG_R15, REG_RDI, REG_RSI, REG_RBP, REG_RBX,
                                         REG_RDX, REG_RAX, REG_RCX, REG_RSP};
    static_assert(std::size(kRegisters) <= kMaxContextRegisters);
    out.count = std::size(kRegisters);
    for (std::size_t i = 0; i < out.count; ++i) {
        out.registers[i] = static_cast<uintptr_t>(uc.uc_mcontext.gregs[kRegisters[i]]);
    }
    sp = static_cast<uintptr_t>(uc.uc_mcontext.gregs[REG_RSP]);
#elif defined(__aarch64__)
    static_assert(31 < kMaxContextRegisters);
    for (std::size_t i = 0; i < 31; ++i) out.registers[i] = uc.uc_mcontext.regs[i];
    out.registers[31] = uc.uc_mcontext.sp;
    out.count = 32;
    sp = uc.uc_mcontext.sp;
#else
    // Unknown register layout: the caller's registers are spilled into frames above `frame`.
    out.count = 0;
#endif
    if (sp == 0 || (bounds.contains(frame) && frame < sp)) sp = frame;
    out.stackPointer = sp;
}

// Runs on the thread to be stopped, with the context it was stopped in and a frame address
// below every frame of the interrupted code. Async-signal-safe: atomics and futexes only.
//
// Invocations can nest: under the thread sanitizer a signal that came before a self-stop blocked
// it is handled inside the self-stop. So each invocation wakes the suspenders itself, the
// acknowledgement only moves forward, and the context of a stop is saved by whichever invocation
// acknowledges it first (a nested one completes before the outer one goes on).
void holdWhileStopped(ThreadRecord& r, const ucontext_t& stoppedIn, uintptr_t frame) {
    bool announced = false;
    uint32_t announcedStop = 0;
    for (;;) {
        // runSeq first: stopSeq read after it is at least as new. The other order can pair an old
        // stop with a newer runSeq (a stop begun and ended between the reads), take that old stop
        // for the pending one, and wait on runSeq while a newer stop waits for its acknowledgement.
        uint32_t run = r.runSeq.load(std::memory_order_acquire);
        uint32_t stop = r.stopSeq.load();
        if (stop == run) return;  // not stopped, or a late signal whose stop is over
        if (!announced || announcedStop != stop) {
            uint32_t acked = r.ackSeq.load(std::memory_order_acquire);
            if (!seqReached(acked, stop)) {
                saveContext(r.context, stoppedIn, frame, r.bounds);
                while (!seqReached(acked, stop) &&
                       !r.ackSeq.compare_exchange_weak(acked, stop, std::memory_order_acq_rel)) {
                }
            }
            r.progress.fetch_add(1, std::memory_order_release);
            futexWakeAll(r.progress);
            announced = true;
            announcedStop = stop;
        }
        futexWait(r.runSeq, run);
    }
}

// The thread stops itself (self-suspension, the first start, the exit) when a stop is pending.
// The suspend signal is blocked meanwhile: one sent for a stop begun while the thread is in here
// finds that stop handled when it arrives, and returns.
__attribute__((noinline)) void stopHere(ThreadRecord& r) {
    if (r.stopSeq.load(std::memory_order_acquire) == r.runSeq.load(std::memory_order_acquire)) return;
    SignalBlock block;
    ucontext_t own;
    __builtin_unwind_init();  // the callers' callee-saved registers land in this frame as well
    getcontext(&own);
    holdWhileStopped(r, own, reinterpret_cast<uintptr_t>(__builtin_frame_address(0)));
}

void onSuspendSignal(int, siginfo_t*, void* uc) {
    int savedErrno = errno;
    if (ThreadRecord* r = t_record) {
        r->signalPending.store(false);  // before the stop numbers are read (sequentially consistent)
        holdWhileStopped(*r, *static_cast<const ucontext_t*>(uc),
                         reinterpret_cast<uintptr_t>(__builtin_frame_address(0)));
    }
    errno = savedErrno;
}

int installSuspendHandler() {
    int sig = SIGRTMIN + 5;
    struct sigaction sa {};
    sa.sa_sigaction = onSuspendSignal;
    sa.sa_flags = SA_SIGINFO | SA_RESTART;
    sigemptyset(&sa.sa_mask);
    sigaddset(&sa.sa_mask, sig);
    if (sigaction(sig, &sa, nullptr) != 0) mrc_log("Thread: cannot install the suspend signal handler (errno %d)", errno);
    return sig;
}

// A lock no stopped thread can be holding.
class BlockedLock {
public:
    explicit BlockedLock(std::mutex& mutex) : m_guard(mutex) {}

private:
    SignalBlock m_block;  // constructed first, released last
    std::lock_guard<std::mutex> m_guard;
};

struct Registry {
    std::mutex lock;
    std::unordered_map<ThreadId, std::weak_ptr<ThreadHandle>> byId;
};

Registry& registry() {
    static Registry* instance = new Registry;  // outlives every thread's exit
    return *instance;
}

void registerThread(const std::shared_ptr<ThreadHandle>& handle) {
    Registry& reg = registry();
    BlockedLock guard(reg.lock);
    reg.byId[handle->id()] = handle;
}

StackBounds queryStackBounds() {
    pthread_attr_t attr;
    if (int rc = pthread_getattr_np(pthread_self(), &attr); rc != 0) {
        mrc_log("Thread: no stack bounds for thread 0x%X (error %d)", currentThreadId(), rc);
        return {};
    }
    void* base = nullptr;
    std::size_t size = 0;
    pthread_attr_getstack(&attr, &base, &size);
    pthread_attr_destroy(&attr);
    auto low = reinterpret_cast<uintptr_t>(base);
    return {low, low + size};
}

// The thread's last steps as a known thread: from here on no suspend signal is sent to it (a late
// one finds no record and returns). A stop asked for before that is honoured here.
void leaveThread(ThreadRecord& r) {
    SignalBlock block;
    {
        std::lock_guard guard(r.lock);
        r.exited = true;
    }
    stopHere(r);
    t_record = nullptr;
    t_handle = nullptr;
}

struct AdoptedThread {
    std::shared_ptr<ThreadHandle> handle;
    ThreadRecord* record = nullptr;
    ~AdoptedThread() {
        if (record != nullptr) leaveThread(*record);
    }
};

struct StartBlock {
    std::shared_ptr<ThreadHandle> handle;
    ThreadRecord* record;
    ThreadProc proc;
    void* arg;
};

void* threadMain(void* param) {
    std::unique_ptr<StartBlock> start(static_cast<StartBlock*>(param));
    std::shared_ptr<ThreadHandle> self = std::move(start->handle);  // keeps the record alive to the end
    ThreadRecord& r = *start->record;
    t_id = r.id;
    r.pthread = pthread_self();
    r.bounds = queryStackBounds();
    t_bounds = r.bounds;
    t_handle = self.get();
    t_record = &r;
    sigset_t set = suspendSignalSet();
    pthread_sigmask(SIG_UNBLOCK, &set, nullptr);  // whatever its creator had blocked

    stopHere(r);  // created suspended: the first resume lets it go
    bool cancelled;
    {
        BlockedLock guard(r.lock);
        cancelled = r.cancelled;
    }
    uint32_t code = cancelled ? 0 : start->proc(start->arg);
    start.reset();

    leaveThread(r);
    {
        std::lock_guard guard(r.doneLock);
        r.finished = true;
        r.exitCode = code;
    }
    r.doneCv.notify_all();
    return nullptr;
}

}  // namespace

uint32_t ThreadRecord::beginStop() {
    uint32_t seq = stopSeq.load(std::memory_order_relaxed) + 1;
    stopSeq.store(seq);  // sequentially consistent, against the handler's clearing of signalPending
    return seq;
}

void ThreadRecord::endStop() {
    runSeq.store(stopSeq.load(std::memory_order_relaxed), std::memory_order_release);
    futexWakeAll(runSeq);
    progress.fetch_add(1, std::memory_order_release);
    futexWakeAll(progress);
}

// Returns once the thread has acknowledged stop `seq` (or a later one), or that stop is over.
// With `resend`, the signal goes out again while no acknowledgement comes: the thread
// sanitizer's runtime drops now and then a signal that lands in an atomic operation, and a
// surplus signal is harmless (it finds its stop handled). The pause between resends doubles, so
// that a thread holding the signal blocked for long does not fill the queue of real-time signals.
void ThreadRecord::waitStopped(uint32_t seq, bool resend) {
    uint32_t pauseMs = kFirstResendMs;
    for (;;) {
        uint32_t seen = progress.load(std::memory_order_acquire);
        if (seqReached(ackSeq.load(std::memory_order_acquire), seq) ||
            seqReached(runSeq.load(std::memory_order_acquire), seq)) {
            return;
        }
        if (futexWaitFor(progress, seen, pauseMs) || !resend) continue;
        pauseMs = std::min(pauseMs * 2, kLastResendMs);
        BlockedLock guard(lock);
        // Not exited: the thread cannot be gone (it takes this lock on its way out).
        if (!exited && stopSeq.load(std::memory_order_relaxed) == seq &&
            !seqReached(ackSeq.load(std::memory_order_acquire), seq)) {
            signalPending.store(true);
            pthread_kill(pthread, suspendSignal());
        }
    }
}

bool ThreadRecord::suspend() {
    if (id == currentThreadId()) {
        stopSelf(false);
        return true;
    }
    uint32_t seq;
    int rc = 0;
    {
        BlockedLock guard(lock);
        if (exited) return false;
        if (count++ == 0) {
            seq = beginStop();
            if (!signalPending.exchange(true)) {
                rc = pthread_kill(pthread, suspendSignal());
                if (rc != 0) {
                    signalPending.store(false);
                    --count;
                    endStop();
                }
            }
        } else {
            seq = stopSeq.load(std::memory_order_relaxed);
        }
    }
    // No trace on failure: other threads may be stopped holding the log's lock.
    if (rc != 0) return false;
    waitStopped(seq, true);
    return true;
}

bool ThreadRecord::resume() {
    BlockedLock guard(lock);
    if (count == 0) {
        wakePermit = true;
        return false;
    }
    if (--count == 0) {
        started = true;
        endStop();
    }
    return true;
}

void ThreadRecord::stopSelf(bool usePermit) {
    {
        BlockedLock guard(lock);
        if (usePermit && wakePermit) {
            wakePermit = false;
            return;
        }
        if (count++ == 0) beginStop();
    }
    stopHere(*this);
}

ThreadId currentThreadId() {
    if (t_id == 0) t_id = newThreadId();
    return t_id;
}

StackBounds currentStackBounds() {
    if (t_bounds.high == 0) t_bounds = queryStackBounds();
    return t_bounds;
}

int suspendSignal() {
    static const int sig = installSuspendHandler();
    return sig;
}

ThreadHandle::ThreadHandle(std::unique_ptr<ThreadRecord> record) : m_record(std::move(record)) {}

ThreadHandle::~ThreadHandle() {
    Registry& reg = registry();
    BlockedLock guard(reg.lock);
    auto it = reg.byId.find(m_record->id);
    if (it != reg.byId.end() && it->second.expired()) reg.byId.erase(it);
}

ThreadId ThreadHandle::id() const { return m_record->id; }

bool ThreadHandle::suspend() { return m_record->suspend(); }

bool ThreadHandle::resume() { return m_record->resume(); }

bool ThreadHandle::getContext(ThreadContext& out) const {
    ThreadRecord& r = *m_record;
    if (r.id == currentThreadId()) return false;
    BlockedLock guard(r.lock);
    uint32_t stop = r.stopSeq.load(std::memory_order_relaxed);
    if (r.count == 0 || r.ackSeq.load(std::memory_order_acquire) != stop) return false;
    out = r.context;
    return true;
}

bool ThreadHandle::suspended() const {
    BlockedLock guard(m_record->lock);
    return m_record->count > 0;
}

bool ThreadHandle::exited() const {
    BlockedLock guard(m_record->lock);
    return m_record->exited;
}

StackBounds ThreadHandle::stackBounds() const { return m_record->bounds; }

int ThreadHandle::priority() const { return m_record->priority.load(std::memory_order_relaxed); }

bool ThreadHandle::setPriority(int priority) {
    if (priority < kHighestPriority || priority > kLowestPriority) {
        mrc_log("Thread: priority %d of thread 0x%X refused (0..7)", priority, id());
        return false;
    }
    m_record->priority.store(priority, std::memory_order_relaxed);
    return true;
}

std::shared_ptr<ThreadHandle> adoptCurrentThread() {
    if (t_handle != nullptr) return t_handle->shared_from_this();
    suspendSignal();
    auto record = std::make_unique<ThreadRecord>();
    ThreadRecord* r = record.get();
    r->id = currentThreadId();
    r->pthread = pthread_self();
    r->bounds = currentStackBounds();
    auto handle = std::make_shared<ThreadHandle>(std::move(record));
    static thread_local AdoptedThread adopted;
    adopted.handle = handle;
    adopted.record = r;
    t_handle = handle.get();
    t_record = r;
    registerThread(handle);
    return handle;
}

std::shared_ptr<ThreadHandle> currentThreadHandle() {
    return t_handle != nullptr ? t_handle->shared_from_this() : nullptr;
}

std::shared_ptr<ThreadHandle> findThread(ThreadId id) {
    std::shared_ptr<ThreadHandle> handle;
    {
        Registry& reg = registry();
        BlockedLock guard(reg.lock);
        auto it = reg.byId.find(id);
        if (it != reg.byId.end()) handle = it->second.lock();
    }
    if (handle && handle->exited()) handle.reset();
    return handle;
}

Thread::Thread(std::shared_ptr<ThreadHandle> handle, ThreadRecord* record, pthread_t pthread)
    : m_handle(std::move(handle)), m_record(record), m_pthread(pthread) {}

std::unique_ptr<Thread> Thread::createSuspended(ThreadProc proc, void* arg, std::size_t stackSize) {
    if (proc == nullptr) {
        mrc_log("Thread: no procedure to run");
        return nullptr;
    }
    suspendSignal();
    auto record = std::make_unique<ThreadRecord>();
    ThreadRecord* r = record.get();
    r->id = newThreadId();
    r->count = 1;
    r->started = false;
    r->stopSeq.store(1, std::memory_order_relaxed);
    auto handle = std::make_shared<ThreadHandle>(std::move(record));

    pthread_attr_t attr;
    pthread_attr_init(&attr);
    if (stackSize != 0) {
        std::size_t page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
        std::size_t size = std::max<std::size_t>(stackSize, PTHREAD_STACK_MIN);
        pthread_attr_setstacksize(&attr, (size + page - 1) / page * page);
    }
    auto* start = new StartBlock{handle, r, proc, arg};
    pthread_t pthread;
    int rc = pthread_create(&pthread, &attr, threadMain, start);
    pthread_attr_destroy(&attr);
    if (rc != 0) {
        delete start;
        mrc_log("Thread: cannot create a thread (error %d)", rc);
        return nullptr;
    }
    r->waitStopped(1, false);  // its id, stack bounds and first context are known from here on
    registerThread(handle);
    return std::unique_ptr<Thread>(new Thread(std::move(handle), r, pthread));
}

Thread::~Thread() {
    ThreadRecord& r = *m_record;
    {
        BlockedLock guard(r.lock);
        if (!r.started) {
            r.cancelled = true;
            r.started = true;
            r.count = 0;
            r.endStop();
        }
    }
    if (finished()) {
        pthread_join(m_pthread, nullptr);  // past its procedure: only returning is left
    } else {
        pthread_detach(m_pthread);
    }
}

bool Thread::join(uint32_t timeoutMs) {
    if (id() == currentThreadId()) {
        mrc_log("Thread: thread 0x%X cannot join itself", id());
        return false;
    }
    ThreadRecord& r = *m_record;
    {
        std::lock_guard guard(r.doneLock);
        if (r.finished || timeoutMs == 0) return r.finished;
    }
    BlockingRegion blocking;
    std::unique_lock guard(r.doneLock);
    if (timeoutMs == kInfinite) {
        r.doneCv.wait(guard, [&r] { return r.finished; });
    } else {
        r.doneCv.wait_for(guard, std::chrono::milliseconds(timeoutMs), [&r] { return r.finished; });
    }
    return r.finished;
}

bool Thread::finished() const {
    std::lock_guard guard(m_record->doneLock);
    return m_record->finished;
}

uint32_t Thread::exitCode() const {
    std::lock_guard guard(m_record->doneLock);
    return m_record->exitCode;
}

void Thread::suspendSelf() {
    if (t_record == nullptr) adoptCurrentThread();
    t_record->stopSelf(true);
}

}  // namespace host
