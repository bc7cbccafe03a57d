#include "runtime/util/timer.h"

#include <cstring>

#include "host/core/clock.h"
#include "host/core/log.h"
#include "runtime/core/application.h"
#include "runtime/core/arrays.h"
#include "runtime/core/object_manager.h"
#include "runtime/core/synchronized.h"
#include "runtime/lang/throwable.h"
#include "runtime/util/date.h"
#include "runtime/util/library_support.h"
#include "runtime/util/millis.h"

using namespace mrc;

namespace {

int64_t now() { return host::tickCount64(); }

// Starts a timer thread. A thread runs with its object uncollectable (the Timer that refers to
// it may be dropped while it still has tasks); the end of its run makes it collectable again.
void startTimerThread(java_util_TimerThread* thread) {
    thread->m_collectable = 0;
    if (thread->start() < 0) thread->m_collectable = 1;
}

}  // namespace

// ---- TimerTask ---------------------------------------------------------------------------

void java_util_TimerTask::TimerTask() { lock = newObject<Object>(); }

void* java_util_TimerTask::getInterface(int32_t interfaceId) {
    return interfaceId == kClass_java_lang_Runnable ? static_cast<java_lang_Runnable*>(this) : nullptr;
}

bool java_util_TimerTask::cancel() {
    Synchronized guard(lock);
    bool wasScheduled = state == kScheduled;
    state = kCancelled;
    return wasScheduled;
}

int64_t java_util_TimerTask::scheduledExecutionTime() {
    Synchronized guard(lock);
    return period < 0 ? nextExecutionTime + period : nextExecutionTime - period;
}

// ---- TaskQueue ---------------------------------------------------------------------------

void java_util_TaskQueue::TaskQueue() {
    queue = ApplicationImpl::getApplication()->objectManager->newObjectArray(kClass_java_util_TimerTask, kInitialLength);
}

java_util_TimerTask* java_util_TaskQueue::at(int32_t i) { return static_cast<java_util_TimerTask*>(queue->elements()[i]); }

void java_util_TaskQueue::swap(int32_t i, int32_t j) {
    Object** slots = queue->elements();
    Object* t = slots[i];
    slots[i] = slots[j];
    slots[j] = t;
}

bool java_util_TaskQueue::isEmpty() { return size == 0; }

void java_util_TaskQueue::clear() {
    if (isNull(queue)) return;
    for (int32_t i = 1; i <= size; ++i) queue->elements()[i] = nullptr;
    size = 0;
}

bool java_util_TaskQueue::add(java_util_TimerTask* task) {
    if (lib::isNullReported(queue)) return false;
    if (size + 1 == queue->length) {
        ObjectArray* grown =
            ApplicationImpl::getApplication()->objectManager->newObjectArray(kClass_java_util_TimerTask, 2 * queue->length);
        if (isNull(grown)) {
            mrc_log("java_util_TaskQueue::add(): no memory for %d tasks", 2 * queue->length);
            return false;
        }
        // Element pointers are taken after the allocation, which may have moved them.
        std::memcpy(grown->elements(), queue->elements(), sizeof(Object*) * static_cast<std::size_t>(queue->length));
        queue = grown;
    }
    ++size;
    queue->elements()[size] = task;
    fixUp(size);
    return true;
}

java_util_TimerTask* java_util_TaskQueue::getMin() { return at(1); }

void java_util_TaskQueue::removeMin() {
    queue->elements()[1] = queue->elements()[size];
    queue->elements()[size] = nullptr;
    --size;
    fixDown(1);
}

void java_util_TaskQueue::rescheduleMin(int64_t time) {
    at(1)->nextExecutionTime = time;
    fixDown(1);
}

void java_util_TaskQueue::fixUp(int32_t k) {
    while (k > 1) {
        int32_t j = k / 2;
        if (at(j)->nextExecutionTime <= at(k)->nextExecutionTime) break;
        swap(j, k);
        k = j;
    }
}

void java_util_TaskQueue::fixDown(int32_t k) {
    for (int32_t j = 2 * k; j <= size && j > 0; j = 2 * k) {
        if (j < size && at(j)->nextExecutionTime > at(j + 1)->nextExecutionTime) ++j;
        if (at(k)->nextExecutionTime <= at(j)->nextExecutionTime) break;
        swap(j, k);
        k = j;
    }
}

// ---- TimerThread -------------------------------------------------------------------------

void java_util_TimerThread::TimerThread(java_util_TaskQueue* taskQueue) {
    init();
    newTasksMayBeScheduled = true;
    queue = taskQueue;
}

java_util_TimerThread* java_util_TimerThread::newInstance(java_util_TaskQueue* taskQueue) {
    auto* thread = newObject<java_util_TimerThread>();
    if (thread) thread->TimerThread(taskQueue);
    return thread;
}

void java_util_TimerThread::run() { mainLoop(); }

void java_util_TimerThread::mainLoop() {
    Application* app = ApplicationImpl::getApplication();
    for (;;) {
        java_util_TimerTask* task;
        bool fired;
        {
            Synchronized queueLock(queue);
            // Idle for 30 s of the tick count, whatever wakes the wait in between.
            const int64_t idleSince = now();
            while (queue->isEmpty() && newTasksMayBeScheduled) {
                const int64_t idle = now() - idleSince;
                if (idle >= kIdleWaitMs || idle < 0) break;
                Object::wait(queue, kIdleWaitMs - idle);
            }
            if (queue->isEmpty()) {
                loopEnded = true;
                return;
            }
            task = queue->getMin();
            int64_t currentTime;
            int64_t executionTime;
            {
                Synchronized taskLock(task->lock);
                if (task->state == java_util_TimerTask::kCancelled) {
                    queue->removeMin();
                    continue;
                }
                currentTime = now();
                executionTime = task->nextExecutionTime;
                fired = executionTime <= currentTime;
                if (fired) {
                    if (task->period == 0) {
                        queue->removeMin();
                        task->state = java_util_TimerTask::kExecuted;
                    } else {
                        queue->rescheduleMin(task->period < 0 ? saturatingAdd(currentTime, -task->period)
                                                              : saturatingAdd(executionTime, task->period));
                    }
                }
            }
            if (!fired) Object::wait(queue, executionTime - currentTime);
        }
        if (!fired) continue;
        static_cast<java_lang_Runnable*>(task->getInterface(kClass_java_lang_Runnable))->run();
        if (Object* pending = app->getPendingException()) {
            mrc_log("java_util_TimerThread::mainLoop(): a task left %s pending; the task is cancelled",
                    pending->m_classId < kClassCount ? kClassNames[pending->m_classId] : "?");
            app->clearPendingException();
            task->cancel();
        }
    }
}

// ---- Timer -------------------------------------------------------------------------------

void java_util_Timer::Timer() {
    queue = newObject<java_util_TaskQueue>();
    if (!queue) return;
    queue->TaskQueue();
    thread = java_util_TimerThread::newInstance(queue);
    if (thread) startTimerThread(thread);
}

java_util_Timer* java_util_Timer::newInstance() {
    auto* timer = newObject<java_util_Timer>();
    if (timer) timer->Timer();
    return timer;
}

bool java_util_Timer::periodOk(int64_t period) {
    if (period > 0) return true;
    lib::raiseWithConstant(kClass_java_lang_IllegalArgumentException, kBadPeriodConstant);
    return false;
}

int64_t java_util_Timer::dueIn(int64_t delay) {
    if (delay < 0) {
        lib::raiseWithConstant(kClass_java_lang_IllegalArgumentException, kNegativeDelayConstant);
        return -1;
    }
    // A delay beyond the end of time is the end of time, not a negative time.
    return saturatingAdd(now(), delay);
}

void java_util_Timer::schedAt(java_util_TimerTask* task, java_util_Date* time, int64_t period) {
    if (lib::isNullReported(time)) return;
    int64_t t = time->getTime();
    if (!lib::exceptionPending()) sched(task, t, period);
}

void java_util_Timer::schedule(java_util_TimerTask* task, int64_t delay) {
    int64_t time = dueIn(delay);
    if (time >= 0) sched(task, time, 0);
}

void java_util_Timer::scheduleRepeated(java_util_TimerTask* task, int64_t delay, int64_t period) {
    int64_t time = dueIn(delay);
    if (time >= 0 && periodOk(period)) sched(task, time, -period);
}

void java_util_Timer::scheduleAtFixedRate(java_util_TimerTask* task, int64_t delay, int64_t period) {
    int64_t time = dueIn(delay);
    if (time >= 0 && periodOk(period)) sched(task, time, period);
}

void java_util_Timer::scheduleAt(java_util_TimerTask* task, java_util_Date* time) { schedAt(task, time, 0); }

void java_util_Timer::scheduleAtRepeated(java_util_TimerTask* task, java_util_Date* firstTime, int64_t period) {
    if (periodOk(period)) schedAt(task, firstTime, -period);
}

void java_util_Timer::scheduleAtFixedRateAt(java_util_TimerTask* task, java_util_Date* firstTime, int64_t period) {
    if (periodOk(period)) schedAt(task, firstTime, period);
}

void java_util_Timer::sched(java_util_TimerTask* task, int64_t time, int64_t period) {
    if (time < 0) {
        lib::raiseWithConstant(kClass_java_lang_IllegalArgumentException, kNegativeTimeConstant);
        return;
    }
    if (lib::isNullReported(task) || lib::isNullReported(queue) || lib::isNullReported(thread)) return;
    Synchronized queueLock(queue);
    if (!thread->newTasksMayBeScheduled) {
        lib::raiseWithConstant(kClass_java_lang_IllegalStateException, kCancelledConstant);
        return;
    }
    // A thread that has left its loop takes no more tasks, even while it is still alive.
    if (thread->loopEnded || !java_lang_Thread::isAlive(thread)) {
        if (java_util_TimerThread* next = java_util_TimerThread::newInstance(queue)) {
            thread = next;
            startTimerThread(next);
        }
    }
    {
        Synchronized taskLock(task->lock);
        if (task->state != java_util_TimerTask::kVirgin) {
            lib::raiseWithConstant(kClass_java_lang_IllegalStateException, kTaskStateConstant);
            return;
        }
        task->nextExecutionTime = time;
        task->period = period;
        task->state = java_util_TimerTask::kScheduled;
    }
    if (!queue->add(task)) {
        Synchronized taskLock(task->lock);
        task->state = java_util_TimerTask::kVirgin;
        return;
    }
    if (queue->getMin() == task) Object::notify(queue, 1);
}

void java_util_Timer::cancel() {
    if (lib::isNullReported(queue)) return;
    Synchronized queueLock(queue);
    if (!isNull(thread)) thread->newTasksMayBeScheduled = false;
    queue->clear();
    Object::notify(queue, -1);
}
