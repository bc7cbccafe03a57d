#include "runtime/core/application.h"

#include <cstdio>
#include <cstring>
#include <new>

#include "host/core/clock.h"
#include "host/core/log.h"
#include "runtime/core/object.h"
#include "runtime/core/object_manager.h"
#include "runtime/core/static_class.h"
#include "runtime/heap/memory_manager.h"

namespace mrc {

namespace {

ApplicationImpl* g_instance = nullptr;
thread_local int t_slot = -1;
thread_local int t_blockingDepth = 0;
constexpr int kStackTraceMax = 512;

}  // namespace

void ThreadSlot::clear() {
    thread = nullptr;
    handle.reset();
    id = 0;
    stackBase = 0;
    savedStackPointer.store(0);
    parked.store(0);
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
    callNames[depth] = name;
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
        const char* name = callNames[i] ? callNames[i] : "?";
        used += std::snprintf(buffer + used, static_cast<std::size_t>(size - used), "%s\n", name);
    }
    if (used >= size) used = size - 1;  // cut, never overflowing
    return used;
}

void Application::logStackTrace() const {
    char text[kStackTraceMax];
    stackTraceText(text, sizeof text);
    // One log line per line of the trace.
    for (char* line = std::strtok(text, "\n"); line; line = std::strtok(nullptr, "\n")) mrc_log("%s", line);
}

void Application::reportError(const char* tag) const {
    mrc_log("%s", tag);
    logStackTrace();
}

// ---- ApplicationImpl: construction and the runtime's start and end ----------------------

ApplicationImpl* ApplicationImpl::getInstance() {
    static ApplicationImpl instance;
    return g_instance ? g_instance : &instance;
}

ApplicationImpl::ApplicationImpl() {
    if (!g_instance) g_instance = this;
}

ApplicationImpl::~ApplicationImpl() {
    if (g_instance == this) g_instance = nullptr;
}

bool ApplicationImpl::initRuntime(bool suspendMode, uint32_t objectHeapSize, uint32_t dataHeapSize) {
    pocketPC = suspendMode ? 1 : 0;
    for (auto& slot : threads) slot.clear();

    // The UI thread's Thread object lives in plain native memory, never collected.
    if (!m_uiThreadObject) {
        m_uiThreadObject = static_cast<Object*>(::operator new(sizeof(Object)));
        std::memset(static_cast<void*>(m_uiThreadObject), 0, sizeof(Object));
        new (m_uiThreadObject) Object();
        m_uiThreadObject->stampHeader(kClass_java_lang_Thread);
    }
    m_uiHandle = host::adoptCurrentThread();
    {
        host::CriticalSectionLock lock(threadLock);
        ThreadSlot& ui = threads[0];
        ui.thread = m_uiThreadObject;
        ui.handle = m_uiHandle;
        ui.id = host::currentThreadId();
        ui.stackBase = host::currentStackBounds().high;
        ui.parked.store(0);
    }
    bindCurrentThread(0);
    stopTheWorld.store(0);
    lastCollectionTick.store(host::tickCount());
    host::setBlockingHooks({&ApplicationImpl::enterBlocking, &ApplicationImpl::leaveBlocking});

    std::set_new_handler(&mrc_onOutOfStore);
    application = new Application();
    return application->init(objectHeapSize, dataHeapSize);
}

void ApplicationImpl::shutdownRuntime() {
    host::setBlockingHooks({});
    delete application;
    application = nullptr;
    for (auto& slot : threads) slot.clear();
    t_slot = -1;
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

ThreadSlot* ApplicationImpl::currentSlot() {
    int slot = t_slot;
    if (slot < 0 || !threads[slot].thread || threads[slot].id != host::currentThreadId()) return nullptr;
    return &threads[slot];
}

void ApplicationImpl::bindCurrentThread(int slot) { t_slot = slot; }

// ---- stopping the world ------------------------------------------------------------------

void ApplicationImpl::suspendOtherThreads() {
    ThreadSlot* self = currentSlot();
    host::CriticalSectionLock lock(threadLock);
    if (pocketPC) {
        for (auto& slot : threads) {
            if (!slot.thread || &slot == self || !slot.handle) continue;
            while (!slot.handle->suspend()) host::sleepMs(0);
            if (slot.handle->getContext(slot.suspendedContext))
                slot.savedStackPointer.store(slot.suspendedContext.stackPointer);
        }
        return;
    }
    stopTheWorld.store(1);
    for (auto& slot : threads) {
        if (!slot.thread || &slot == self) continue;
        while (!slot.parked.load()) host::sleepMs(0);
    }
}

void ApplicationImpl::resumeOtherThreads() {
    ThreadSlot* self = currentSlot();
    host::CriticalSectionLock lock(threadLock);
    stopTheWorld.store(0);
    if (!pocketPC) return;
    for (auto& slot : threads)
        if (slot.thread && &slot != self && slot.handle) slot.handle->resume();
}

void ApplicationImpl::scanThreadStacks(ObjectManager* om) {
    ThreadSlot* self = currentSlot();
    for (auto& slot : threads) {
        if (!slot.thread || &slot == self) continue;
        uintptr_t sp = slot.savedStackPointer.load();
        if (sp && slot.stackBase) om->scanStackRange(reinterpret_cast<void*>(sp), reinterpret_cast<void*>(slot.stackBase));
        om->scanStackRange(&slot.spilled, &slot.spilled + 1);
        if (pocketPC) om->scanStackRange(&slot.suspendedContext, &slot.suspendedContext + 1);
    }
    // The calling thread, registered or not: its registers first, then its stack.
    SpilledRegisters spill;
    spill.capture();
    uintptr_t base = self ? self->stackBase : host::currentStackBounds().high;
    om->scanStackRange(reinterpret_cast<void*>(currentStackPointer()), reinterpret_cast<void*>(base));
}

void ApplicationImpl::safePoint() {
    if (!stopTheWorld.load()) return;
    ThreadSlot* slot = currentSlot();
    if (slot) parkCurrentThread(*slot);
}

void ApplicationImpl::parkCurrentThread(ThreadSlot& slot) {
    slot.spilled.capture();
    slot.savedStackPointer.store(currentStackPointer());
    waitWhileStopped(slot);
}

void ApplicationImpl::waitWhileStopped(ThreadSlot& slot) {
    // parked is cleared before stopTheWorld is re-read, so a collector that raised the flag
    // meanwhile either sees us unparked and waits, or we see its flag and park again.
    for (;;) {
        slot.parked.store(1);
        while (stopTheWorld.load()) host::sleepMs(0);
        slot.parked.store(0);
        if (!stopTheWorld.load()) return;
    }
}

void ApplicationImpl::enterBlocking() {
    ApplicationImpl* impl = getInstance();
    ThreadSlot* slot = impl->currentSlot();
    if (!slot || t_blockingDepth++ > 0) return;
    slot->spilled.capture();
    slot->savedStackPointer.store(currentStackPointer());
    slot->parked.store(1);
}

void ApplicationImpl::leaveBlocking() {
    ApplicationImpl* impl = getInstance();
    ThreadSlot* slot = impl->currentSlot();
    if (!slot || t_blockingDepth == 0 || --t_blockingDepth > 0) return;
    slot->parked.store(0);
    if (impl->stopTheWorld.load()) impl->waitWhileStopped(*slot);
}

}  // namespace mrc
