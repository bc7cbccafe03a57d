// Timer, TimerTask and the timer thread on a manual tick count: tasks once, with a fixed delay and
// at a fixed rate with catch-up, cancellation, the idle end of the thread, the argument checks,
// and collections while the thread waits. The thread's waits are real-time waits, so each step of
// the clock wakes it through its queue's monitor once it is waiting, and waits until it waits
// again: by then every task due has run.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

#include "host/core/clock.h"
#include "host/core/log.h"
#include "runtime/core/arrays.h"
#include "runtime/core/synchronized.h"
#include "runtime/lang/string.h"
#include "runtime/lang/throwable.h"
#include "runtime/util/date.h"
#include "runtime/util/timer.h"
#include "tests/runtime/core/java_threads.h"
#include "tests/runtime/util/date_fixture.h"

namespace {

using namespace mrc::test;
using Task = java_util_TimerTask;

constexpr uint32_t kStart = 10000;

// What the runs of the tasks saw, kept off the Java heap.
struct RunLog {
    static constexpr int kMax = 64;
    std::atomic<int> count{0};
    int64_t tick[kMax] = {};        // the tick count at the run
    int64_t scheduled[kMax] = {};   // scheduledExecutionTime() during the run
    int taskId[kMax] = {};
    std::atomic<int> heldMonitors{0};
};

class RecordingTask : public java_util_TimerTask {
public:
    using Base = java_util_TimerTask;
    static constexpr uint16_t kClassId = mrc::kClass_java_util_TimerTask;

    void run() override {
        int i = log->count.load();
        if (i < RunLog::kMax) {
            log->tick[i] = host::tickCount64();
            log->scheduled[i] = scheduledExecutionTime();
            log->taskId[i] = id;
        }
        if (watched && (mrc::ApplicationImpl::getInstance()->monitors.heldByCurrentThread(watched) ||
                        mrc::ApplicationImpl::getInstance()->monitors.heldByCurrentThread(lock)))
            log->heldMonitors.fetch_add(1);
        if (action) action(this);
        log->count.store(i + 1);
    }

    RunLog* log;
    int id;
    Object* watched;  // a monitor the run must not hold (not a reference the collector follows)
    void (*action)(RecordingTask*);
    void* context;
};

class Timers : public DateTest {
public:  // the tasks' runs use the helpers too
    void SetUp() override {
        DateTest::SetUp();
        clock = std::make_unique<host::ManualClock>(kStart);
    }
    void TearDown() override {
        for (int i = 0; i < timerCount; ++i) {
            timers[i]->cancel();
            EXPECT_TRUE(joinJavaThread(timers[i]->thread));
        }
        clock.reset();
        DateTest::TearDown();
    }

    java_util_Timer* newTimer() {
        java_util_Timer* t = java_util_Timer::newInstance();
        timers[timerCount] = t;
        statics()->addRoot(&timers[timerCount++]);
        return t;
    }
    RecordingTask* task(int id = 0, RunLog* runs = nullptr) {
        auto* t = mrc::newObject<RecordingTask>();
        t->TimerTask();
        t->log = runs ? runs : &log;
        t->id = id;
        return t;
    }

    // The timer thread waits on its queue: it runs no task and holds no monitor.
    static bool waiting(java_util_Timer* t) {
        return waitUntil([t] { return impl()->monitors.waitingCount(t->queue) == 1; });
    }
    // Moves the tick count on and lets the thread run what is due.
    void step(java_util_Timer* t, uint32_t ms) {
        ASSERT_TRUE(waiting(t));
        clock->advance(ms);
        {
            mrc::Synchronized lock(t->queue);
            Object::notify(t->queue, -1);
        }
        ASSERT_TRUE(waitUntil([t] {
            return impl()->monitors.waitingCount(t->queue) == 1 || !java_lang_Thread::isAlive(t->thread);
        }));
    }
    int runs() const { return log.count.load(); }

    std::unique_ptr<host::ManualClock> clock;
    java_util_Timer* timers[4] = {};  // roots of the store: the tests keep them
    int timerCount = 0;
    RunLog log;
};

TEST_F(Timers, OnceRunsWhenDue) {
    java_util_Timer* timer = newTimer();
    RecordingTask* t = task();
    timer->schedule(t, 1000);
    step(timer, 999);
    EXPECT_EQ(runs(), 0);
    step(timer, 1);
    ASSERT_EQ(runs(), 1);
    EXPECT_EQ(log.tick[0], kStart + 1000);
    EXPECT_EQ(log.scheduled[0], kStart + 1000);
    EXPECT_EQ(t->state, Task::kExecuted);
    EXPECT_FALSE(t->cancel());
    EXPECT_TRUE(timer->queue->isEmpty());
    step(timer, 100000);
    EXPECT_EQ(runs(), 1);
}

TEST_F(Timers, ADelayOfZeroRunsAtOnce) {
    java_util_Timer* timer = newTimer();
    timer->schedule(task(), 0);
    EXPECT_TRUE(waitUntil([&] { return runs() == 1; }));
    EXPECT_EQ(log.tick[0], kStart);
}

TEST_F(Timers, FixedDelayCountsFromTheLastRun) {
    java_util_Timer* timer = newTimer();
    RecordingTask* t = task();
    timer->scheduleRepeated(t, 100, 500);
    EXPECT_EQ(t->period, -500);
    step(timer, 100);
    step(timer, 700);  // late: one run, and the delay counts from it
    step(timer, 499);
    step(timer, 1);
    ASSERT_EQ(runs(), 3);
    const int64_t ticks[] = {kStart + 100, kStart + 800, kStart + 1300};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(log.tick[i], ticks[i]) << i;
        EXPECT_EQ(log.scheduled[i], ticks[i]) << i;
    }
    EXPECT_EQ(t->state, Task::kScheduled);
    EXPECT_EQ(t->nextExecutionTime, kStart + 1800);
    EXPECT_TRUE(t->cancel());
    step(timer, 1000);
    EXPECT_EQ(runs(), 3);
}

TEST_F(Timers, FixedRateCatchesUpWithRunsInARow) {
    java_util_Timer* timer = newTimer();
    RecordingTask* t = task();
    timer->scheduleAtFixedRate(t, 100, 500);
    step(timer, 100);
    step(timer, 1600);  // 11700: due at 10600, 11100 and 11600
    ASSERT_EQ(runs(), 4);
    const int64_t due[] = {kStart + 100, kStart + 600, kStart + 1100, kStart + 1600};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(log.scheduled[i], due[i]) << i;
        EXPECT_EQ(log.tick[i], i == 0 ? kStart + 100 : kStart + 1700) << i;
    }
    step(timer, 399);
    EXPECT_EQ(runs(), 4);
    step(timer, 1);
    EXPECT_EQ(runs(), 5);
    EXPECT_EQ(log.scheduled[4], kStart + 2100);
}

TEST_F(Timers, EqualTimesAndManyTasksRunInTimeOrder) {
    java_util_Timer* timer = newTimer();
    const int64_t delays[] = {700, 300, 500, 100, 300, 900, 200, 800, 400, 600};
    for (int i = 0; i < 10; ++i) timer->schedule(task(i), delays[i]);
    EXPECT_EQ(timer->queue->queue->length, 16);
    step(timer, 1000);
    ASSERT_EQ(runs(), 10);
    for (int i = 1; i < 10; ++i) EXPECT_LE(delays[log.taskId[i - 1]], delays[log.taskId[i]]) << i;
    EXPECT_TRUE(timer->queue->isEmpty());
}

TEST_F(Timers, CancelledTasksAreDroppedAndACancelledTimerTakesNoMore) {
    java_util_Timer* timer = newTimer();
    RecordingTask* a = task(1);
    RecordingTask* b = task(2);
    timer->schedule(a, 100);
    timer->schedule(b, 200);
    EXPECT_TRUE(a->cancel());
    EXPECT_EQ(a->state, Task::kCancelled);
    step(timer, 200);
    ASSERT_EQ(runs(), 1);
    EXPECT_EQ(log.taskId[0], 2);
    EXPECT_TRUE(timer->queue->isEmpty());

    RecordingTask* c = task(3);
    timer->scheduleAtFixedRate(c, 100, 100);
    ASSERT_TRUE(waiting(timer));
    java_util_TimerThread* thread = timer->thread;
    timer->cancel();
    EXPECT_TRUE(joinJavaThread(thread));
    EXPECT_TRUE(timer->queue->isEmpty());
    timer->schedule(task(4), 0);
    EXPECT_EQ(takeException(), "IllegalStateException: Timer already cancelled.");
    EXPECT_EQ(timer->thread, thread);
    EXPECT_EQ(runs(), 1);
}

TEST_F(Timers, TaskCancelTellsWhetherItWasScheduled) {
    java_util_Timer* timer = newTimer();
    RecordingTask* virgin = task();
    EXPECT_FALSE(virgin->cancel());
    EXPECT_FALSE(virgin->cancel());
    RecordingTask* once = task();
    timer->schedule(once, 10);
    step(timer, 10);
    EXPECT_EQ(once->state, Task::kExecuted);
    EXPECT_FALSE(once->cancel());
    RecordingTask* repeating = task();
    timer->scheduleRepeated(repeating, 10, 10);
    EXPECT_TRUE(repeating->cancel());
    EXPECT_FALSE(repeating->cancel());
}

TEST_F(Timers, BadArgumentsAndTaskStatesRaise) {
    java_util_Timer* timer = newTimer();
    RecordingTask* scheduled = task();
    timer->schedule(scheduled, 1000);
    RecordingTask* cancelled = task();
    cancelled->cancel();
    java_util_Date* past = java_util_Date::newInstance(-1);
    java_util_Date* later = java_util_Date::newInstance(kStart + 5000);
    const std::string negativeDelay = "IllegalArgumentException: Negative delay.";
    const std::string badPeriod = "IllegalArgumentException: Non-positive period.";
    const std::string badTime = "IllegalArgumentException: Illegal execution time.";
    const std::string taken = "IllegalStateException: Task already scheduled or cancelled";
    struct Case {
        const char* name;
        void (*call)(java_util_Timer*, Task*, java_util_Date*);
        java_util_Date* date;
        std::string exception;
    } cases[] = {
        {"schedule -1", [](java_util_Timer* t, Task* k, java_util_Date*) { t->schedule(k, -1); }, nullptr, negativeDelay},
        {"repeated -1", [](java_util_Timer* t, Task* k, java_util_Date*) { t->scheduleRepeated(k, -1, 5); }, nullptr, negativeDelay},
        {"repeated 0", [](java_util_Timer* t, Task* k, java_util_Date*) { t->scheduleRepeated(k, 0, 0); }, nullptr, badPeriod},
        {"rate -1", [](java_util_Timer* t, Task* k, java_util_Date*) { t->scheduleAtFixedRate(k, -1, 5); }, nullptr, negativeDelay},
        {"rate -5", [](java_util_Timer* t, Task* k, java_util_Date*) { t->scheduleAtFixedRate(k, 5, -5); }, nullptr, badPeriod},
        {"at past", [](java_util_Timer* t, Task* k, java_util_Date* d) { t->scheduleAt(k, d); }, past, badTime},
        {"at repeated 0", [](java_util_Timer* t, Task* k, java_util_Date* d) { t->scheduleAtRepeated(k, d, 0); }, later, badPeriod},
        {"at repeated past", [](java_util_Timer* t, Task* k, java_util_Date* d) { t->scheduleAtRepeated(k, d, 5); }, past, badTime},
        {"at rate 0", [](java_util_Timer* t, Task* k, java_util_Date* d) { t->scheduleAtFixedRateAt(k, d, 0); }, later, badPeriod},
        {"at rate past", [](java_util_Timer* t, Task* k, java_util_Date* d) { t->scheduleAtFixedRateAt(k, d, 5); }, past, badTime},
        {"sched -1", [](java_util_Timer* t, Task* k, java_util_Date*) { t->sched(k, -1, 0); }, nullptr, badTime},
    };
    for (const Case& k : cases) {
        RecordingTask* fresh = task();
        k.call(timer, fresh, k.date);
        EXPECT_EQ(takeException(), k.exception) << k.name;
        EXPECT_EQ(fresh->state, Task::kVirgin) << k.name;
    }
    timer->schedule(scheduled, 5);
    EXPECT_EQ(takeException(), taken);
    EXPECT_EQ(scheduled->nextExecutionTime, kStart + 1000);
    timer->scheduleAt(cancelled, later);
    EXPECT_EQ(takeException(), taken);
    EXPECT_EQ(timer->queue->size, 1);
    // The Date forms take the Date's time as it is.
    RecordingTask* dated = task(7);
    timer->scheduleAtFixedRateAt(dated, later, 250);
    EXPECT_EQ(takeException(), "");
    EXPECT_EQ(dated->nextExecutionTime, kStart + 5000);
    EXPECT_EQ(dated->period, 250);
}

TEST_F(Timers, DelaysBeyondTheEndOfTimeSaturate) {
    java_util_Timer* timer = newTimer();
    RecordingTask* never = task(1);
    timer->schedule(never, INT64_MAX);
    EXPECT_EQ(takeException(), "");
    EXPECT_EQ(never->nextExecutionTime, INT64_MAX);
    RecordingTask* once = task(2);
    timer->scheduleAtFixedRate(once, 0, INT64_MAX);
    EXPECT_TRUE(waitUntil([&] { return runs() == 1; }));
    step(timer, 1000000);
    EXPECT_EQ(runs(), 1);
    EXPECT_EQ(once->nextExecutionTime, INT64_MAX);
}

TEST_F(Timers, TheTickCountWrapsAndTasksStillRun) {
    clock->set(0xFFFFFF00u);
    java_util_Timer* timer = newTimer();
    timer->scheduleAtFixedRate(task(), 0x80, 0x100);
    step(timer, 0x80);
    step(timer, 0x100);  // the tick count is 0x80 again
    EXPECT_EQ(host::tickCount(), 0x80u);
    ASSERT_EQ(runs(), 2);
    EXPECT_EQ(log.tick[1], 0x100000080LL);
}

TEST_F(Timers, TheIdleThreadEndsAfterThirtySecondsAndANewOneTakesOver) {
    java_util_Timer* timer = newTimer();
    timer->schedule(task(1), 10);
    step(timer, 10);
    java_util_TimerThread* first = timer->thread;
    step(timer, java_util_TimerThread::kIdleWaitMs - 1);
    EXPECT_TRUE(java_lang_Thread::isAlive(first));
    step(timer, 1);
    EXPECT_TRUE(joinJavaThread(first));
    EXPECT_TRUE(first->loopEnded);

    timer->schedule(task(2), 10);
    ASSERT_NE(timer->thread, first);
    EXPECT_TRUE(timer->thread->newTasksMayBeScheduled);
    step(timer, 10);
    ASSERT_EQ(runs(), 2);
    EXPECT_EQ(log.taskId[1], 2);
}

TEST_F(Timers, TasksRunOutsideEveryMonitor) {
    java_util_Timer* timer = newTimer();
    RecordingTask* t = task(1);
    t->watched = timer->queue;
    // A task may schedule on its own timer: the run holds neither the queue nor its own lock.
    t->context = this;
    t->action = [](RecordingTask* self) {
        auto* fixture = static_cast<Timers*>(self->context);
        fixture->timers[0]->schedule(fixture->task(2), 50);
    };
    timer->schedule(t, 10);
    step(timer, 10);
    step(timer, 50);
    ASSERT_EQ(runs(), 2);
    EXPECT_EQ(log.taskId[1], 2);
    EXPECT_EQ(log.heldMonitors.load(), 0);
}

TEST_F(Timers, ATaskLeavingAnExceptionIsTracedAndCancelled) {
    host::LogCapture capture;
    java_util_Timer* timer = newTimer();
    RecordingTask* failing = task(1);
    failing->action = [](RecordingTask*) { mrc::raise(mrc::kClass_java_lang_IllegalStateException); };
    timer->scheduleAtFixedRate(failing, 10, 10);
    timer->scheduleAtFixedRate(task(2), 10, 10);
    step(timer, 10);
    step(timer, 10);
    EXPECT_EQ(failing->state, Task::kCancelled);
    int failingRuns = 0;
    for (int i = 0; i < runs(); ++i) failingRuns += log.taskId[i] == 1;
    EXPECT_EQ(failingRuns, 1);
    EXPECT_EQ(runs(), 3);
    EXPECT_TRUE(capture.contains("a task left java_lang_IllegalStateException pending"));
}

class TaskQueues : public DateTest {
protected:
    Task* taskAt(int64_t time) {
        auto* t = mrc::newObject<RecordingTask>();
        t->TimerTask();
        t->nextExecutionTime = time;
        return t;
    }
};

TEST_F(TaskQueues, TheFourthTaskDoublesTheArray) {
    auto* q = mrc::newObject<java_util_TaskQueue>();
    q->TaskQueue();
    ASSERT_EQ(q->queue->length, 4);
    Task* first[3] = {taskAt(30), taskAt(10), taskAt(20)};
    for (Task* t : first) q->add(t);
    EXPECT_EQ(q->queue->length, 4);
    EXPECT_EQ(q->queue->elements()[0], nullptr);
    q->add(taskAt(5));
    EXPECT_EQ(q->queue->length, 8);
    EXPECT_EQ(q->size, 4);
    EXPECT_EQ(q->getMin()->nextExecutionTime, 5);
}

TEST_F(TaskQueues, TheHeapGivesTasksInTimeOrder) {
    auto* q = mrc::newObject<java_util_TaskQueue>();
    q->TaskQueue();
    const int64_t times[] = {50, 30, 40, 10, 20, 60, 5, 30, 70, 1, 45, 45};
    for (int64_t t : times) q->add(taskAt(t));
    for (int32_t k = 2; k <= q->size; ++k) {
        auto* parent = static_cast<Task*>(q->queue->elements()[k / 2]);
        EXPECT_LE(parent->nextExecutionTime, static_cast<Task*>(q->queue->elements()[k])->nextExecutionTime) << k;
    }
    q->rescheduleMin(55);  // 1 becomes 55
    std::vector<int64_t> order;
    while (!q->isEmpty()) {
        order.push_back(q->getMin()->nextExecutionTime);
        q->removeMin();
    }
    EXPECT_EQ(order, (std::vector<int64_t>{5, 10, 20, 30, 30, 40, 45, 45, 50, 55, 60, 70}));
    for (int32_t i = 0; i < q->queue->length; ++i) EXPECT_EQ(q->queue->elements()[i], nullptr) << i;
    q->add(taskAt(3));
    q->add(taskAt(4));
    q->clear();
    EXPECT_TRUE(q->isEmpty());
    EXPECT_EQ(q->queue->elements()[1], nullptr);
}

TEST_F(TaskQueues, ScheduledExecutionTimeOfEachKind) {
    struct Case {
        int64_t next, period, expected;
    } cases[] = {{10500, -500, 10000}, {10500, 500, 10000}, {10500, 0, 10500}};
    for (const Case& k : cases) {
        Task* t = taskAt(k.next);
        t->period = k.period;
        EXPECT_EQ(t->scheduledExecutionTime(), k.expected) << k.period;
    }
}

// Collections while the timer thread waits on its queue, and while its tasks allocate.
class TimerCollection : public BothModesTest {};

TEST_P(TimerCollection, TheWaitingThreadCountsAsParked) {
    host::ManualClock clock(kStart);
    RunLog runs;
    java_util_Timer* timer = java_util_Timer::newInstance();
    statics()->addRoot(&timer);
    auto* t = mrc::newObject<RecordingTask>();
    t->TimerTask();
    t->log = &runs;
    // Each run makes garbage on the timer thread.
    t->action = [](RecordingTask*) {
        for (int i = 0; i < 20; ++i) mrc::newString("garbage of a timer task");
    };
    timer->scheduleAtFixedRate(t, 1000, 1000);
    java_util_TimerThread* thread = timer->thread;
    ASSERT_TRUE(waitUntil([&] { return impl()->monitors.waitingCount(timer->queue) == 1; }));
    int slot = impl()->findThreadSlot(thread);
    ASSERT_GE(slot, 0);
    // In the wait set first, then inside the event wait, where it counts as parked.
    EXPECT_TRUE(waitUntil([&] { return impl()->threads[slot].parked.load() != mrc::kRunning; }));
    EXPECT_EQ(thread->m_collectable, 0);

    const uint32_t stops = impl()->stopCount();
    om()->gc(mrc::kGcForced);
    EXPECT_GT(impl()->stopCount(), stops);
    EXPECT_EQ(t->lock->m_classId, mrc::kClass_Object);

    // Steps of the clock with collections in between, the task allocating on its thread.
    for (int i = 1; i <= 20; ++i) {
        ASSERT_TRUE(waitUntil([&] { return impl()->monitors.waitingCount(timer->queue) == 1; }));
        clock.advance(1000);
        {
            mrc::Synchronized lock(timer->queue);
            Object::notify(timer->queue, -1);
        }
        om()->gc(mrc::kGcForced);
        ASSERT_TRUE(waitUntil([&] { return runs.count.load() == i; })) << i;
    }
    EXPECT_EQ(runs.scheduled[19], kStart + 20000);

    timer->cancel();
    ASSERT_TRUE(joinJavaThread(thread));
    EXPECT_EQ(thread->m_collectable, 1);
}

INSTANTIATE_TEST_SUITE_P(Modes, TimerCollection, ::testing::Bool(), modeName);

}  // namespace
