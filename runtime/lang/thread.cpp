#include "runtime/lang/thread.h"

#include <algorithm>
#include <memory>

#include "host/core/clock.h"
#include "host/core/log.h"
#include "host/core/sync.h"
#include "host/core/thread.h"
#include "runtime/core/application.h"

using mrc::ApplicationImpl;

namespace {

java_lang_Runnable* runnableOf(Object* object) {
    return static_cast<java_lang_Runnable*>(object->getInterface(mrc::kClass_java_lang_Runnable));
}

}  // namespace

void* java_lang_Thread::getInterface(int32_t interfaceId) {
    return interfaceId == mrc::kClass_java_lang_Runnable ? static_cast<java_lang_Runnable*>(this) : nullptr;
}

int32_t java_lang_Thread::getPriority() { return priority; }

void java_lang_Thread::run() {
    if (isNull(target)) return;
    if (java_lang_Runnable* runnable = runnableOf(target)) runnable->run();
}

int32_t java_lang_Thread::start() {
    ApplicationImpl* impl = ApplicationImpl::getInstance();
    int slot;
    {
        // Lookup and reservation in one step: a thread started twice at once gets one slot.
        host::CriticalSectionLock lock(impl->threadLock);
        slot = impl->findThreadSlot(this);
        if (slot >= 0) return slot;
        slot = impl->addThreadSlot(this);
    }
    // The slot comes first: a thread that would have none is never created.
    if (slot < 0) {
        mrc_log("java_lang_Thread::start(): all %d thread slots are in use", mrc::kThreadSlots);
        impl->application->logStackTrace();
        return -1;
    }
    std::unique_ptr<host::Thread> native = host::Thread::createSuspended(&java_lang_Thread::threadEntry, this);
    if (!native) {
        impl->freeThreadSlot(slot);
        mrc_log("java_lang_Thread::start(): no native thread");
        impl->application->logStackTrace();
        return -1;
    }
    {
        host::CriticalSectionLock lock(impl->threadLock);
        mrc::ThreadSlot& s = impl->threads[slot];
        // The whole stack: the frames that will hold references lie above any position known now.
        s.stackBase = native->stackBounds().high;
        s.handle = native->handle();
        s.id = native->id();
    }
    // The handle in the slot keeps the native thread known; the Thread wrapper only detaches.
    return native->resume() ? 1 : -1;
}

uint32_t java_lang_Thread::threadEntry(void* argument) {
    auto* thread = static_cast<java_lang_Thread*>(argument);
    ApplicationImpl* impl = ApplicationImpl::getInstance();
    if (impl->attachCurrentThread(thread) < 0) {
        mrc_log("java_lang_Thread::threadEntry(): thread 0x%X has no slot", host::currentThreadId());
        return 0;
    }
    // A stop of the world may have begun before this thread could take part in it.
    impl->safePoint();
    java_lang_Runnable* runnable = isNull(thread->target) ? runnableOf(thread) : runnableOf(thread->target);
    if (runnable) {
        runnable->run();
    } else {
        impl->application->reportError("java_lang_Thread::threadEntry(): target is not a Runnable");
    }
    impl->detachCurrentThread();
    return 0;
}

java_lang_Thread* java_lang_Thread::currentThread() {
    mrc::ThreadSlot* slot = ApplicationImpl::getInstance()->currentSlot();
    return slot ? static_cast<java_lang_Thread*>(slot->thread) : nullptr;
}

void java_lang_Thread::sleep(int64_t millis) {
    ApplicationImpl* impl = ApplicationImpl::getInstance();
    mrc::ThreadSlot* slot = impl->currentSlot();
    if (!impl->pocketPC && slot && impl->stopTheWorld.load() && impl->canPark()) {
        host::ThreadId id = host::currentThreadId();
        mrc_log("java_lang_Thread::sleep(): thread 0x%X suspending...", id);
        uint32_t parkedAt = host::tickCount();
        impl->parkCurrentThread(*slot);
        mrc_log("java_lang_Thread::sleep(): thread 0x%X is awake", id);
        if (static_cast<int64_t>(host::tickCount() - parkedAt) > millis) return;
    }
    if (millis < 0) return;
    auto ms = static_cast<uint32_t>(millis);
    // Blocking calls, a yield included: the thread counts as parked, so that a stop that must
    // wait for safe points (moving data, in either mode) does not wait for a thread that yields
    // in a loop.
    host::BlockingRegion blocking;
    if (ms == 0) {
        host::yieldThread();
        return;
    }
    host::sleepMs(ms);
}

void java_lang_Thread::yield() { sleep(0); }

int32_t java_lang_Thread::activeCount() { return ApplicationImpl::getInstance()->activeThreadCount(); }

bool java_lang_Thread::isAlive(java_lang_Thread* thread) {
    return !isNull(thread) && ApplicationImpl::getInstance()->findThreadSlot(thread) >= 0;
}

int32_t java_lang_Thread::setNativePriority(java_lang_Thread* thread, int32_t priority) {
    ApplicationImpl* impl = ApplicationImpl::getInstance();
    std::shared_ptr<host::ThreadHandle> handle;
    {
        host::CriticalSectionLock lock(impl->threadLock);
        int slot = impl->findThreadSlot(thread);
        if (slot < 0) return -1;
        handle = impl->threads[slot].handle;
    }
    if (!handle) return 0;  // reserved, its native thread not made yet
    auto native = static_cast<int>(std::min<int64_t>(9 - static_cast<int64_t>(priority), host::kLowestPriority));
    return handle->setPriority(native) ? 1 : 0;
}
