#include "runtime/core/application.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <new>

#include "host/core/clock.h"
#include "host/core/log.h"
#include "runtime/core/object.h"
#include "runtime/core/object_manager.h"
#include "runtime/core/static_class.h"
#include "runtime/heap/memory_manager.h"
#include "runtime/lang/lang_classes.h"
#include "runtime/lang/thread.h"

namespace mrc {

namespace {

thread_local int t_slot = -1;
// Nesting of blocking calls, and how the outermost one parked the thread (0: not at all).
thread_local int t_blockingDepth = 0;
thread_local uint8_t t_blockingLevel = kRunning;
// Set while the thread enters a lock whose wait is a safe point.
thread_local bool t_lockWaitAtSafePoint = false;
constexpr int kStackTraceMax = 512;
// A thread that has not parked after this long is named in the log (once per stop).
constexpr uint32_t kSlowParkMs = 2000;

uint32_t elapsedSince(std::chrono::steady_clock::time_point start) {
    return static_cast<uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count());
}

// Backs off while waiting for another thread: a few yields, then short sleeps.
void pause(int round) {
    if (round < 64) {
        host::yieldThread();
    } else {
        host::sleepMs(1);
    }
}

}  // namespace

void ThreadSlot::clear() {
    thread = nullptr;
    handle.reset();
    id = 0;
    stackBase = 0;
    savedStackPointer.store(0);
    parked.store(0);
    parkedForStop.store(0);
    waitingForWorld.store(0);
    heldLocks = nullptr;
    pendingException = nullptr;
    callSite = 0;
}

// ---- Application ------------------------------------------------------------------------

Application::~Application() { releaseRuntime(); }

bool Application::init(uint32_t objectHeapSize, uint32_t dataHeapSize) {
    mrc_log("new MemoryManagers");
    objectHeap = new MemoryManager(objectHeapSize, false);
    dataHeap = new MemoryManager(dataHeapSize, true);
    mrc_log("new ObjectManager");
    objectManager = new ObjectManager(this, objectHeap, dataHeap);
    mrc_log("new StaticClass");
    staticClass = new StaticClass();
    registerLangClasses();
    callDepth.store(0);
    gcRequested.store(0);
    paused.store(0);
    pendingException = nullptr;
    decodeBuffer = nullptr;
    mrc_log("Application::init");
    return true;
}

void Application::releaseRuntime() {
    midlet = current = screenImage = screenGraphics = decodeBuffer = nullptr;
    pendingException = nullptr;
    if (objectManager) {
        if (staticClass) staticClass->freeClassBuffers();
        objectManager->gc(kGcShutdown);
        delete objectManager;
        objectManager = nullptr;
    }
    delete staticClass;
    staticClass = nullptr;
    delete objectHeap;
    objectHeap = nullptr;
    delete dataHeap;
    dataHeap = nullptr;
}

void Application::pushMethodName(const char* name) {
    int32_t depth = callDepth.load(std::memory_order_relaxed);
    if (depth < 0 || depth >= kCallNameDepth) return;  // beyond the bound: dropped
    callNames[depth].store(name, std::memory_order_relaxed);
    callDepth.store(depth + 1, std::memory_order_relaxed);
}

void Application::popMethodName() {
    int32_t depth = callDepth.load(std::memory_order_relaxed);
    if (depth > 0) callDepth.store(depth - 1, std::memory_order_relaxed);
}

Object*& Application::pendingSlot() {
    ThreadSlot* slot = ApplicationImpl::getInstance()->currentSlot();
    return slot ? slot->pendingException : pendingException;
}

int32_t& Application::callSiteSlot() {
    ThreadSlot* slot = ApplicationImpl::getInstance()->currentSlot();
    return slot ? slot->callSite : callSite;
}

int Application::isExceptionPending(int32_t site) {
    if (!pendingSlot()) return 0;
    callSiteSlot() = site;
    return 1;
}

Object* Application::getPendingException() { return pendingSlot(); }

void Application::setPendingException(Object* throwable) { pendingSlot() = throwable; }

void Application::clearPendingException() { pendingSlot() = nullptr; }

int32_t Application::findExceptionHandler(const ExceptionHandler* table) {
    Object*& pending = pendingSlot();
    if (!pending || !table) return -1;
    int32_t site = callSiteSlot();
    for (int32_t i = 0; table[i].catchClassId != 0; ++i) {
        const ExceptionHandler& h = table[i];
        if (site >= h.firstSite && site < h.endSite && Object::instanceOf(pending, h.catchClassId)) {
            pending = nullptr;
            return i;
        }
    }
    return -1;
}

int Application::stackTraceText(char* buffer, int size) const {
    if (size <= 0) return 0;
    int used = std::snprintf(buffer, static_cast<std::size_t>(size), "stacktrace:\n");
    for (int32_t i = callDepth.load(std::memory_order_relaxed) - 1; i >= 0 && used < size - 1; --i) {
        const char* name = callNames[i].load(std::memory_order_relaxed);
        if (!name) name = "?";
        used += std::snprintf(buffer + used, static_cast<std::size_t>(size - used), "%s\n", name);
    }
    if (used >= size) used = size - 1;  // cut, never overflowing
    return used;
}

void Application::logStackTrace() const {
    char text[kStackTraceMax];
    stackTraceText(text, sizeof text);
    // One log line per line of the trace.
    char* rest = nullptr;
    for (char* line = strtok_r(text, "\n", &rest); line; line = strtok_r(nullptr, "\n", &rest)) mrc_log("%s", line);
}

void Application::reportError(const char* tag) const {
    mrc_log("%s", tag);
    logStackTrace();
}

// ---- ApplicationImpl: construction and the runtime's start and end ----------------------

ApplicationImpl* ApplicationImpl::firstInstance() {
    static ApplicationImpl instance;
    return s_current ? s_current : &instance;
}

ApplicationImpl::ApplicationImpl() {
    if (!s_current) s_current = this;
}

ApplicationImpl::~ApplicationImpl() {
    if (s_current == this) s_current = nullptr;
}

bool ApplicationImpl::initRuntime(bool suspendMode, uint32_t objectHeapSize, uint32_t dataHeapSize) {
    pocketPC = suspendMode ? 1 : 0;
    for (auto& slot : threads) slot.clear();
    for (auto& stopped : m_stopped) stopped = Stopped{};
    m_worldOwner.store(0);
    m_worldDepth = 0;
    stopTheWorld.store(0);
    monitors.clear();

    // The UI thread's Thread object lives in plain native memory, never collected.
    if (!m_uiThreadObject) {
        void* storage = ::operator new(sizeof(java_lang_Thread));
        std::memset(storage, 0, sizeof(java_lang_Thread));
        m_uiThreadObject = new (storage) java_lang_Thread();
        m_uiThreadObject->stampHeader(kClass_java_lang_Thread);
    }
    m_uiHandle = host::adoptCurrentThread();
    m_uiThreadObject->priority = 9 - m_uiHandle->priority();
    {
        host::CriticalSectionLock lock(threadLock);
        ThreadSlot& ui = threads[0];
        ui.thread = m_uiThreadObject;
        ui.handle = m_uiHandle;
        ui.id = host::currentThreadId();
        ui.stackBase = host::currentStackBounds().high;
        ui.heldLocks = &host::heldLocks();
    }
    bindCurrentThread(0);
    lastCollectionTick.store(host::tickCount());
    host::setBlockingHooks({&ApplicationImpl::enterBlocking, &ApplicationImpl::leaveBlocking,
                            &ApplicationImpl::enterBlockingTaking, &ApplicationImpl::leaveBlockingTaking});

    std::set_new_handler(&mrc_onOutOfStore);
    application = new Application();
    return application->init(objectHeapSize, dataHeapSize);
}

void ApplicationImpl::shutdownRuntime() {
    if (int others = activeThreadCount() - 1; others > 0) {
        mrc_log("ApplicationImpl::shutdownRuntime(): %d Java threads still running", others);
    }
    delete application;
    application = nullptr;
    host::setBlockingHooks({});
    {
        host::CriticalSectionLock lock(threadLock);
        for (auto& slot : threads) slot.clear();
    }
    t_slot = -1;
    monitors.clear();
}

// ---- thread table -----------------------------------------------------------------------

int ApplicationImpl::addThreadSlot(Object* thread) {
    host::CriticalSectionLock lock(threadLock);
    for (int i = 0; i < kThreadSlots; ++i) {
        if (!threads[i].thread) {
            threads[i].clear();
            threads[i].thread = thread;
            return i;
        }
    }
    return -1;
}

int ApplicationImpl::findThreadSlot(Object* thread) {
    host::CriticalSectionLock lock(threadLock);
    for (int i = 0; i < kThreadSlots; ++i)
        if (thread && threads[i].thread == thread) return i;
    return -1;
}

int ApplicationImpl::findThreadSlotById(host::ThreadId id) {
    host::CriticalSectionLock lock(threadLock);
    for (int i = 0; i < kThreadSlots; ++i)
        if (threads[i].thread && threads[i].id == id) return i;
    return -1;
}

void ApplicationImpl::freeThreadSlot(int slot) {
    if (slot < 0 || slot >= kThreadSlots) return;
    host::CriticalSectionLock lock(threadLock);
    threads[slot].clear();
}

int ApplicationImpl::activeThreadCount() {
    host::CriticalSectionLock lock(threadLock);
    int n = 0;
    for (auto& slot : threads)
        if (slot.thread) ++n;
    return n;
}

ThreadSlot* ApplicationImpl::currentSlot() {
    int slot = t_slot;
    if (slot < 0 || !threads[slot].thread || threads[slot].id != host::currentThreadId()) return nullptr;
    return &threads[slot];
}

void ApplicationImpl::bindCurrentThread(int slot) { t_slot = slot; }

int ApplicationImpl::attachCurrentThread(Object* thread) {
    host::CriticalSectionLock lock(threadLock);
    int slot = findThreadSlot(thread);
    if (slot >= 0) {
        threads[slot].heldLocks = &host::heldLocks();
        bindCurrentThread(slot);
    }
    return slot;
}

void ApplicationImpl::detachCurrentThread() {
    ThreadSlot* slot = currentSlot();
    if (!slot) return;
    host::CriticalSectionLock lock(threadLock);
    slot->thread->m_collectable = 1;
    slot->clear();
    bindCurrentThread(-1);
}

// ---- stopping the world ------------------------------------------------------------------
//
// One thread stops the world at a time: it owns the world (m_worldOwner) from the start of
// suspendOtherThreads to the end of resumeOtherThreads. A thread waiting for the world counts as
// parked at a safe point, even while it holds the collector lock: no stop needs that lock.
//
// Suspend mode, collections: each other thread is suspended from outside, wherever it is; one
// caught holding a runtime lock is resumed and caught again later, so no stopped thread holds a
// lock the collector needs. Otherwise `stopTheWorld` is raised and each other thread parks at its
// next safe point (sleep, yield, allocation, monitor entry and wait, waiting for the world) or
// counts as parked while it is inside a blocking call; it parks by suspending itself, and the end
// of the stop resumes it. A thread waiting for a runtime lock counts as parked for a collection
// only: moving data waits until it has gone on to a safe point. Every stop raises the flag, so
// that a thread started during a stop parks on its first step.

bool ApplicationImpl::worldStoppedByCurrentThread() const {
    return m_worldOwner.load(std::memory_order_relaxed) == host::currentThreadId();
}

void ApplicationImpl::acquireWorld(ThreadSlot* self) {
    host::ThreadId me = host::currentThreadId();
    if (m_worldOwner.load(std::memory_order_relaxed) == me) {
        ++m_worldDepth;
        return;
    }
    host::ThreadId none = 0;
    if (!m_worldOwner.compare_exchange_strong(none, me)) {
        if (self) {
            self->spilled.capture();
            self->savedStackPointer.store(currentStackPointer());
            self->waitingForWorld.store(1);
            self->parked.store(kParkedAtSafePoint);
        }
        for (;;) {
            uint32_t seen = m_worldReleases.load();
            none = 0;
            if (m_worldOwner.compare_exchange_strong(none, me)) break;
            m_worldReleases.wait(seen);
        }
        // No other stop can be in progress now that we own the world.
        if (self) {
            self->parked.store(kRunning);
            self->waitingForWorld.store(0);
        }
    }
    m_worldDepth = 1;
}

void ApplicationImpl::releaseWorld() {
    if (--m_worldDepth > 0) return;
    m_worldOwner.store(0);
    m_worldReleases.fetch_add(1);
    m_worldReleases.notify_all();
}

void ApplicationImpl::suspendOtherThreads() { stopOtherThreads(pocketPC != 0, false); }

void ApplicationImpl::suspendOtherThreadsAtSafePoints() { stopOtherThreads(false, true); }

void ApplicationImpl::stopOtherThreads(bool anywhere, bool forMoving) {
    ThreadSlot* self = currentSlot();
    acquireWorld(self);
    if (m_worldDepth > 1) {
        if (!forMoving || stopTheWorld.load() == kStopForMoving) return;
        // Nested in a stop that may hold threads away from safe points: they go on to one now.
        stopTheWorld.store(kStopForMoving);
        for (int i = 0; i < kThreadSlots; ++i) {
            Stopped& stopped = m_stopped[i];
            if (!stopped.suspended && !stopped.parked) continue;
            if (threads[i].parked.load() == kParkedAtSafePoint) continue;
            std::shared_ptr<host::ThreadHandle> handle = stopped.suspended ? stopped.suspended : threads[i].handle;
            if (stopped.suspended) {
                stopped.suspended.reset();
                handle->resume();
            }
            wakeParked(i);
            stopped.parked = waitForParking(i, *handle, true);
        }
        return;
    }
    uint32_t generation = m_stopGeneration.load(std::memory_order_relaxed) + 1;
    m_stopGeneration.store(generation != 0 ? generation : 1);
    stopTheWorld.store(forMoving ? kStopForMoving : kStopForCollection);

    std::shared_ptr<host::ThreadHandle> targets[kThreadSlots];
    {
        host::CriticalSectionLock lock(threadLock);
        for (int i = 0; i < kThreadSlots; ++i) {
            ThreadSlot& slot = threads[i];
            if (slot.thread && &slot != self && slot.handle) targets[i] = slot.handle;
        }
    }
    if (!anywhere) {
        for (int i = 0; i < kThreadSlots; ++i)
            if (targets[i]) m_stopped[i].parked = waitForParking(i, *targets[i], forMoving);
        return;
    }
    // A thread that keeps holding a runtime lock may be waiting for a lock outside the runtime
    // (the C library's, an event's) that a thread stopped before it holds: then everyone stopped
    // so far goes on for a moment, and the round starts over.
    for (int round = 0;; ++round) {
        int i = 0;
        while (i < kThreadSlots && (!targets[i] || suspendThread(i, targets[i]))) ++i;
        if (i == kThreadSlots) return;
        for (auto& stopped : m_stopped) {
            if (stopped.suspended) stopped.suspended->resume();
            stopped = Stopped{};
        }
        pause(round);
    }
}

bool ApplicationImpl::waitForParking(int index, const host::ThreadHandle& handle, bool atSafePoint) {
    ThreadSlot& slot = threads[index];
    auto start = std::chrono::steady_clock::now();
    bool named = false;
    for (int round = 0;; ++round) {
        uint8_t parked = slot.parked.load();
        if (parked == kParkedAtSafePoint || (parked == kParkedInLockWait && !atSafePoint)) return true;
        if (round % 64 == 63) {
            if (handle.exited() || slot.id != handle.id()) return false;  // it has left the runtime
            if (!named && elapsedSince(start) > kSlowParkMs) {
                mrc_log("ApplicationImpl::suspendOtherThreads(): waiting for thread 0x%X to park", handle.id());
                named = true;
            }
        }
        pause(round);
    }
}

bool ApplicationImpl::suspendThread(int index, const std::shared_ptr<host::ThreadHandle>& handle) {
    constexpr int kTries = 16;
    ThreadSlot& slot = threads[index];
    for (int attempt = 0;; ++attempt) {
        if (!handle->suspend()) {
            // Finished, or the host could not stop it: then it parks at its next safe point.
            if (!handle->exited()) m_stopped[index].parked = waitForParking(index, *handle, false);
            return true;
        }
        // Stopped, it can no longer give up its slot: the slot's records are its own.
        if (slot.id != handle->id()) {
            handle->resume();
            return true;
        }
        const host::HeldLocks* locks = slot.heldLocks.load();
        if (slot.waitingForWorld.load() || !locks || !host::holdsLocks(*locks)) break;
        handle->resume();
        if (attempt == kTries) return false;
        host::yieldThread();
    }
    host::ThreadContext& context = slot.suspendedContext;
    if (!handle->getContext(context)) {
        // No saved context: scan its whole stack instead.
        context = host::ThreadContext{};
        context.stackPointer = handle->stackBounds().low;
    }
    slot.savedStackPointer.store(context.stackPointer);
    m_stopped[index].suspended = handle;
    return true;
}

// A thread that suspended itself at a safe point. One that has only announced it gets its resume
// all the same: the host keeps it for its next self-suspension, which then returns at once.
void ApplicationImpl::wakeParked(int index) {
    std::shared_ptr<host::ThreadHandle> handle;
    {
        host::CriticalSectionLock lock(threadLock);
        if (threads[index].parkedForStop.load() != 0) handle = threads[index].handle;
    }
    if (handle) handle->resume();
}

void ApplicationImpl::resumeOtherThreads() {
    if (!worldStoppedByCurrentThread()) {
        mrc_log("ApplicationImpl::resumeOtherThreads(): the world is not stopped by this thread");
        return;
    }
    if (m_worldDepth > 1) {
        releaseWorld();
        return;
    }
    stopTheWorld.store(kNoStop);
    for (auto& stopped : m_stopped) {
        if (stopped.suspended) stopped.suspended->resume();
        stopped = Stopped{};
    }
    for (int i = 0; i < kThreadSlots; ++i) wakeParked(i);
    releaseWorld();
}

namespace {

// Marks the owner of every movable data block that a word in [from, to) points into. `blocks`
// is in address order.
__attribute__((no_sanitize("address", "thread"))) void markDataOwners(const std::vector<DataBlock>& blocks,
                                                                       ObjectManager* om, const void* from,
                                                                       const void* to) {
    if (blocks.empty()) return;
    auto lo = (reinterpret_cast<uintptr_t>(from) + sizeof(uintptr_t) - 1) & ~(sizeof(uintptr_t) - 1);
    auto hi = reinterpret_cast<uintptr_t>(to);
    uintptr_t first = blocks.front().start;
    uintptr_t last = blocks.back().end;
    for (uintptr_t p = lo; p + sizeof(uintptr_t) <= hi; p += sizeof(uintptr_t)) {
        uintptr_t word = *reinterpret_cast<const uintptr_t*>(p);
        if (word < first || word >= last) continue;
        auto after = std::upper_bound(blocks.begin(), blocks.end(), word,
                                      [](uintptr_t w, const DataBlock& b) { return w < b.start; });
        if (after == blocks.begin() || word >= std::prev(after)->end) continue;
        if (Object* owner = om->findObjectContaining(reinterpret_cast<uintptr_t>(std::prev(after)->owner))) {
            om->markFrom(owner);
        }
    }
}

}  // namespace

void ApplicationImpl::scanThreadStacks(ObjectManager* om) {
    // A thread stopped away from a safe point may hold only `array->data` in a register, the
    // array's own reference already gone: a pointer into a data buffer keeps the buffer's owner,
    // on the data heap or on the process heap. The capacity was reserved before the stop.
    host::CriticalSectionLock fallbackLock(om->fallbackLock());
    m_dataBlocks.clear();
    if (MemoryManager* heap = om->dataHeap()) {
        uint32_t header = heap->headerSize();
        heap->forEachBlock([&](void* block, uint32_t size, bool used, void** owner) {
            auto start = reinterpret_cast<uintptr_t>(block);
            if (used && owner) m_dataBlocks.push_back({start + header, start + size, owner});
        });
    }
    ThreadSlot* self = currentSlot();
    for (int i = 0; i < kThreadSlots; ++i) {
        ThreadSlot& slot = threads[i];
        if (!slot.thread || &slot == self || !slot.stackBase) continue;
        auto base = reinterpret_cast<const void*>(slot.stackBase);
        const void* registers;
        const void* registersEnd;
        const void* stack;
        if (m_stopped[i].suspended) {
            const host::ThreadContext& context = slot.suspendedContext;
            registers = context.registers.data();
            registersEnd = context.registers.data() + context.count;
            stack = reinterpret_cast<const void*>(context.stackPointer);
        } else if (m_stopped[i].parked) {
            registers = &slot.spilled;
            registersEnd = &slot.spilled + 1;
            stack = reinterpret_cast<const void*>(slot.savedStackPointer.load());
        } else {
            continue;  // started during this stop: it has touched no object yet
        }
        om->scanStackRange(registers, registersEnd);
        om->scanStackRange(stack, base);
        const std::vector<DataBlock>* lists[] = {&m_dataBlocks, &om->fallbackBuffers()};
        for (const std::vector<DataBlock>* blocks : lists) {
            markDataOwners(*blocks, om, registers, registersEnd);
            markDataOwners(*blocks, om, stack, base);
        }
    }
    // The calling thread, registered or not: its registers first, then its stack. Within a
    // collection that is the caller's registers and frames above the collector.
    uintptr_t base = self ? self->stackBase : host::currentStackBounds().high;
    if (const SpilledRegisters* caller = om->callerRegisters()) {
        om->scanStackRange(caller, caller + 1);
        om->scanStackRange(reinterpret_cast<void*>(om->callerFrames()), reinterpret_cast<void*>(base));
        return;
    }
    SpilledRegisters spill;
    spill.capture();
    om->scanStackRange(reinterpret_cast<void*>(currentStackPointer()), reinterpret_cast<void*>(base));
}

// ---- safe points and blocking calls --------------------------------------------------------

bool ApplicationImpl::canPark() const {
    return !worldStoppedByCurrentThread() && !host::holdsLocks(host::heldLocks());
}

void ApplicationImpl::parkAtSafePoint() {
    ThreadSlot* slot = currentSlot();
    if (slot && canPark()) parkCurrentThread(*slot);
}

void ApplicationImpl::parkCurrentThread(ThreadSlot& slot) {
    slot.spilled.capture();
    slot.savedStackPointer.store(currentStackPointer());
    waitWhileStopped(slot, kParkedAtSafePoint);
}

// Whether the current stop needs a thread parked at `level` to stay.
bool ApplicationImpl::mustHoldStill(uint8_t level) const {
    uint8_t stop = stopTheWorld.load();
    return stop == kStopForCollection || (stop == kStopForMoving && level == kParkedAtSafePoint);
}

void ApplicationImpl::waitWhileStopped(ThreadSlot& slot, uint8_t level) {
    // parked is cleared before stopTheWorld is read again, so a collector that raised the flag
    // meanwhile either sees us unparked and waits, or we see its flag and park again. Likewise
    // parkedForStop is announced before the flag is read, so the end of the stop either sees it
    // and resumes us (a resume that comes early is kept for suspendSelf), or we see the flag down.
    for (;;) {
        slot.parked.store(level);
        while (mustHoldStill(level)) {
            slot.parkedForStop.store(m_stopGeneration.load());
            if (mustHoldStill(level)) host::Thread::suspendSelf();
            slot.parkedForStop.store(0);
        }
        slot.parked.store(kRunning);
        if (!mustHoldStill(level)) return;
    }
}

namespace {

// Parks the thread for the time of a blocking call, unless it must not park (it holds a runtime
// lock, or it is the thread stopping the world).
void enterBlockingAt(uint8_t level) {
    ApplicationImpl* impl = ApplicationImpl::getInstance();
    ThreadSlot* slot = impl->currentSlot();
    if (!slot || t_blockingDepth++ > 0) return;
    t_blockingLevel = impl->canPark() ? level : kRunning;
    if (t_blockingLevel == kRunning) return;
    slot->spilled.capture();
    slot->savedStackPointer.store(currentStackPointer());
    slot->parked.store(level);
}

}  // namespace

void ApplicationImpl::enterBlocking() { enterBlockingAt(kParkedAtSafePoint); }

void ApplicationImpl::enterBlockingTaking() {
    enterBlockingAt(t_lockWaitAtSafePoint ? kParkedAtSafePoint : kParkedInLockWait);
}

void ApplicationImpl::enterAtSafePoint(host::CriticalSection& lock) {
    bool outer = t_lockWaitAtSafePoint;
    t_lockWaitAtSafePoint = true;
    lock.enter();
    t_lockWaitAtSafePoint = outer;
}

void ApplicationImpl::leaveBlocking() {
    ApplicationImpl* impl = getInstance();
    ThreadSlot* slot = impl->currentSlot();
    if (!slot || t_blockingDepth == 0 || --t_blockingDepth > 0) return;
    uint8_t level = t_blockingLevel;
    t_blockingLevel = kRunning;
    if (level == kRunning) return;
    slot->parked.store(kRunning);
    if (impl->mustHoldStill(level)) impl->waitWhileStopped(*slot, level);
}

bool ApplicationImpl::leaveBlockingTaking() {
    ApplicationImpl* impl = getInstance();
    ThreadSlot* slot = impl->currentSlot();
    if (!slot || t_blockingDepth == 0) return true;
    if (t_blockingDepth > 1 || t_blockingLevel == kRunning) {
        --t_blockingDepth;
        return true;
    }
    uint8_t level = t_blockingLevel;
    slot->parked.store(kRunning);
    if (!impl->mustHoldStill(level)) {
        --t_blockingDepth;
        t_blockingLevel = kRunning;
        return true;
    }
    // A stop began while we waited and may count on us as parked: we stay parked, the lock goes
    // back, and leaveBlocking waits for the stop to end.
    slot->parked.store(level);
    return false;
}

}  // namespace mrc
