// java.lang.Thread: the fields the runtime uses and the thread natives. Each started thread runs
// on a native thread of its own, registered in the runtime's thread table (8 slots, slot 0 the UI
// thread) from start() until its run() returns.
#pragma once

#include <cstdint>

#include "runtime/core/object.h"
#include "runtime/lang/construct.h"
#include "runtime/lang/runnable.h"

class java_lang_Thread : public Object, public java_lang_Runnable {
public:
    MRC_CLASS(java_lang_Thread, Object);
    MRC_REF_FIELDS(&java_lang_Thread::target);

    void* getInterface(int32_t interfaceId) override;  // slot 5: the Runnable sub-object
    // Slot 6. Runs the thread on a new native thread. The slot index when it was started before;
    // otherwise 1 when it runs, -1 (traced) when there is no free slot or no native thread.
    virtual int32_t start();
    virtual int32_t getPriority();  // slot 7
    // Runnable: the target's run(), when there is a target.
    void run() override;

    // The native thread's procedure, with the Thread object as its argument: runs the thread's
    // run() (the target's through its Runnable interface when it has one), then gives up the slot
    // and makes the Thread object collectable.
    static uint32_t threadEntry(void* thread);
    // The calling thread's Thread object, or null for a thread the runtime did not start.
    static java_lang_Thread* currentThread();
    // Milliseconds (their low 32 bits; a negative time returns at once). In the cooperative mode
    // a sleep during a stop of the world parks first, and returns without sleeping when it was
    // parked for longer than asked.
    static void sleep(int64_t millis);
    static void yield();  // sleep(0): a safe point as well
    static int32_t activeCount();
    static bool isAlive(java_lang_Thread* thread);
    // Java priority 1..10 to the native 0..7 (min(9 - priority, 7)): the platform's result, 1 or
    // 0, or -1 when the thread has no slot.
    static int32_t setNativePriority(java_lang_Thread* thread, int32_t priority);

    // ---- the Java side (thread_java.cpp) ----
    static constexpr int32_t kMinPriority = 1;
    static constexpr int32_t kNormalPriority = 5;
    static constexpr int32_t kMaxPriority = 10;
    // String constants of toString().
    static constexpr int32_t kTextOpenConstant = 584;
    static constexpr int32_t kTextPriorityConstant = 26;
    static constexpr int32_t kTextCloseConstant = 585;

    // The constructors Thread(Runnable) and Thread(): the calling thread's priority (5 when it
    // has no Thread object), the target stored, then setPriority with that priority.
    void init(Object* runnable);
    void init();
    // 1 to 10 stored and passed to the native setter; anything else raises
    // java_lang_IllegalArgumentException.
    void setPriority(int32_t p);
    // Returns at once on the current thread; otherwise yields while the thread is alive.
    void join();
    // String constant 584, hashCode(), constant 26, getPriority(), constant 585.
    String* toString() override;

    int32_t priority;
    Object* target;  // the java_lang_Runnable to run, or null
};

namespace mrc {
// new Thread(runnable) (null: new Thread()); null when the object heap is exhausted.
inline java_lang_Thread* newThread(Object* runnable) { return newConstructed<java_lang_Thread>(runnable); }
}  // namespace mrc
