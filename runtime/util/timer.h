// java.util.Timer and TimerTask: tasks run one at a time on a background thread (TimerThread),
// which takes them from a binary heap ordered by their next execution time (TaskQueue). Times are
// tick-count milliseconds (host::tickCount64: the device's count, without its 49.7-day wrap).
//
// A task runs once, with a fixed delay (period < 0: next run at the time it ran + delay) or at a
// fixed rate (period > 0: next run at the time it was due + period, so a late task catches up
// with runs in a row). Tasks run with no monitor held. The thread ends when its queue stays empty
// for 30 seconds, or when the timer is cancelled; scheduling on an open timer whose thread has
// ended starts a new one. A task whose run leaves an exception pending is traced and cancelled;
// the thread goes on with the others.
//
// Lock order: the queue's monitor, then a task's lock.
#pragma once

#include <cstdint>

#include "runtime/core/object.h"
#include "runtime/lang/runnable.h"
#include "runtime/lang/thread.h"

class ObjectArray;
class java_util_Date;

class java_util_TimerTask : public Object, public java_lang_Runnable {
public:
    MRC_CLASS(java_util_TimerTask, Object);
    MRC_REF_FIELDS(&java_util_TimerTask::lock);

    static constexpr int32_t kVirgin = 0;
    static constexpr int32_t kScheduled = 1;
    static constexpr int32_t kExecuted = 2;
    static constexpr int32_t kCancelled = 3;

    // The constructor: a lock object of its own, virgin.
    void TimerTask();
    void* getInterface(int32_t interfaceId) override;  // slot 5: the Runnable sub-object

    // Whether it was scheduled (and would have run again); it is cancelled from now on.
    bool cancel();
    // The time of its latest (or current) run.
    int64_t scheduledExecutionTime();

    Object* lock;  // guards the three fields below
    int32_t state;
    int64_t nextExecutionTime;
    int64_t period;  // 0 once; > 0 fixed rate; < 0 minus the fixed delay
};

class java_util_TaskQueue : public Object {
public:
    MRC_CLASS(java_util_TaskQueue, Object);
    MRC_REF_FIELDS(&java_util_TaskQueue::queue);
    static constexpr int32_t kInitialLength = 4;

    // The constructor: an array of 4, slot 0 unused, empty.
    void TaskQueue();

    virtual bool isEmpty();  // slot 6
    virtual void clear();    // slot 7

    // Appends and restores the heap, doubling the array when full; false (traced) when there is
    // no memory for it.
    bool add(java_util_TimerTask* task);
    java_util_TimerTask* getMin();
    void removeMin();
    void rescheduleMin(int64_t time);
    void fixUp(int32_t k);
    void fixDown(int32_t k);

    ObjectArray* queue;  // the heap in slots 1..size
    int32_t size;

private:
    java_util_TimerTask* at(int32_t i);
    void swap(int32_t i, int32_t j);
};

class java_util_TimerThread : public java_lang_Thread {
public:
    MRC_CLASS(java_util_TimerThread, java_lang_Thread);
    MRC_REF_FIELDS(&java_util_TimerThread::queue);
    // How long (tick-count milliseconds) the thread waits for a task before it ends.
    static constexpr int64_t kIdleWaitMs = 30000;

    // The constructor: the creating thread's priority, tasks accepted, the queue.
    void TimerThread(java_util_TaskQueue* taskQueue);
    static java_util_TimerThread* newInstance(java_util_TaskQueue* taskQueue);

    void run() override;  // Runnable slot 0: the main loop
    void mainLoop();

    bool newTasksMayBeScheduled;
    java_util_TaskQueue* queue;
    // Set under the queue's monitor when the loop has ended: from then on the thread takes no
    // task, though it may still be alive for a moment.
    bool loopEnded;
};

class java_util_Timer : public Object {
public:
    MRC_CLASS(java_util_Timer, Object);
    MRC_REF_FIELDS(&java_util_Timer::queue, &java_util_Timer::thread);

    // Messages: a negative delay, a non-positive period, a negative time, a cancelled timer, a
    // task already scheduled or cancelled.
    static constexpr int32_t kNegativeDelayConstant = 640;
    static constexpr int32_t kBadPeriodConstant = 641;
    static constexpr int32_t kNegativeTimeConstant = 642;
    static constexpr int32_t kCancelledConstant = 643;
    static constexpr int32_t kTaskStateConstant = 644;

    // The constructor: a queue and its thread, started.
    void Timer();
    static java_util_Timer* newInstance();

    // The failures raise java_lang_IllegalArgumentException (delay, period, time) or
    // java_lang_IllegalStateException (a cancelled timer, a task not virgin).
    void schedule(java_util_TimerTask* task, int64_t delay);
    void scheduleAt(java_util_TimerTask* task, java_util_Date* time);
    void scheduleRepeated(java_util_TimerTask* task, int64_t delay, int64_t period);
    void scheduleAtRepeated(java_util_TimerTask* task, java_util_Date* firstTime, int64_t period);
    void scheduleAtFixedRate(java_util_TimerTask* task, int64_t delay, int64_t period);
    void scheduleAtFixedRateAt(java_util_TimerTask* task, java_util_Date* firstTime, int64_t period);
    void sched(java_util_TimerTask* task, int64_t time, int64_t period);
    // No task runs after it (one running now finishes); the thread ends.
    void cancel();

    java_util_TaskQueue* queue;
    java_util_TimerThread* thread;

private:
    // now + delay; -1 (raised) for a negative delay.
    int64_t dueIn(int64_t delay);
    // A positive period; otherwise raised.
    bool periodOk(int64_t period);
    void schedAt(java_util_TimerTask* task, java_util_Date* time, int64_t period);
};
