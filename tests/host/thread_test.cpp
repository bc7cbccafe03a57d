#include "host/core/thread.h"

#include <gtest/gtest.h>
#include <pthread.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <set>
#include <vector>

#include "host/core/clock.h"
#include "host/core/log.h"
#include "host/core/sync.h"

namespace {

using host::Thread;
using host::ThreadContext;

template <class Condition>
bool waitUntil(Condition condition, int timeoutMs = 5000) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        host::yieldThread();
    }
    return true;
}

// A test's thread, created suspended, that runs to its end when the test leaves whatever the
// outcome: `release` lets it finish, its suspensions are undone and it is joined, so that it never
// outlives the state on the test's stack.
class TestThread {
public:
    TestThread(host::ThreadProc proc, void* arg, std::function<void()> release = {})
        : m_thread(Thread::createSuspended(proc, arg)), m_release(std::move(release)) {}
    ~TestThread() {
        if (!m_thread) return;
        if (m_release) m_release();
        while (m_thread->handle()->suspended()) m_thread->resume();
        m_thread->join(5000);
    }
    TestThread(const TestThread&) = delete;
    TestThread& operator=(const TestThread&) = delete;

    Thread* operator->() const { return m_thread.get(); }
    explicit operator bool() const { return m_thread != nullptr; }

private:
    std::unique_ptr<Thread> m_thread;
    std::function<void()> m_release;
};

// Reads another thread's stack as the collector does: uninstrumented, word by word.
__attribute__((noinline, no_sanitize("address", "thread"))) bool stackHolds(uintptr_t from, uintptr_t to,
                                                                            uintptr_t value) {
    for (uintptr_t p = from & ~(sizeof(uintptr_t) - 1); p + sizeof(uintptr_t) <= to; p += sizeof(uintptr_t)) {
        if (*reinterpret_cast<const volatile uintptr_t*>(p) == value) return true;
    }
    return false;
}

bool contextHolds(const ThreadContext& ctx, uintptr_t high, uintptr_t value) {
    for (std::size_t i = 0; i < ctx.count; ++i) {
        if (ctx.registers[i] == value) return true;
    }
    return stackHolds(ctx.stackPointer, high, value);
}

// A running thread that spins with a value held in a register until told to stop; the spin
// count shows whether it is running.
struct Spinner {
    static constexpr uintptr_t kSecret = 0x5eedc0de1234abcdULL;
    std::atomic<bool> stop{false};
    std::atomic<uint64_t> spins{0};
    TestThread thread{run, this, [this] { stop = true; }};

    Spinner() {
        if (thread) thread->resume();
    }

    static uint32_t run(void* arg) {
        auto* self = static_cast<Spinner*>(arg);
        uintptr_t value = kSecret;
        while (!self->stop.load(std::memory_order_relaxed)) {
            asm volatile("" : "+r"(value));
            self->spins.fetch_add(1, std::memory_order_relaxed);
        }
        return value == kSecret ? 0 : 1;
    }

    // True when the spin count stays put for a while.
    bool stands() const {
        uint64_t before = spins.load();
        host::sleepMs(5);
        return spins.load() == before;
    }

    bool moves() const {
        uint64_t before = spins.load();
        return waitUntil([&] { return spins.load() != before; });
    }

    // Stops it; its exit code (0 when the register kept its value), or -1 when it does not end.
    int64_t finish() {
        stop = true;
        return thread->join(5000) ? thread->exitCode() : -1;
    }
};

uint32_t countRun(void* arg) {
    static_cast<std::atomic<int>*>(arg)->fetch_add(1);
    return 7;
}

uint32_t waitForEvent(void* arg) {
    static_cast<host::Event*>(arg)->wait();
    return 42;
}

TEST(ThreadCreate, RunsOnlyAfterTheFirstResume) {
    std::atomic<int> ran{0};
    TestThread thread(countRun, &ran);
    ASSERT_TRUE(thread);
    EXPECT_TRUE(thread->handle()->suspended());
    ThreadContext ctx;
    ASSERT_TRUE(thread->getContext(ctx));
    EXPECT_TRUE(thread->stackBounds().contains(ctx.stackPointer));
    host::sleepMs(10);
    EXPECT_EQ(ran.load(), 0);
    EXPECT_FALSE(thread->finished());

    EXPECT_TRUE(thread->resume());
    ASSERT_TRUE(thread->join(5000));
    EXPECT_EQ(ran.load(), 1);
    EXPECT_EQ(thread->exitCode(), 7u);
    EXPECT_FALSE(thread->resume());
    EXPECT_FALSE(thread->suspend());
}

TEST(ThreadCreate, NeverStartedThreadEndsWithoutRunningWhenDestroyed) {
    std::atomic<int> ran{0};
    auto thread = Thread::createSuspended(countRun, &ran);
    ASSERT_TRUE(thread);
    auto handle = thread->handle();
    thread.reset();
    EXPECT_TRUE(waitUntil([&] { return handle->exited(); }));
    EXPECT_EQ(ran.load(), 0);
}

TEST(ThreadCreate, RefusesMissingProcedure) {
    host::LogCapture log;
    EXPECT_EQ(Thread::createSuspended(nullptr, nullptr), nullptr);
    EXPECT_TRUE(log.contains("no procedure"));
}

TEST(ThreadIds, AreDistinctAndMatchCurrentThreadId) {
    constexpr int kThreads = 4;
    std::atomic<host::ThreadId> seen[kThreads] = {};
    std::atomic<bool> boundsMatch[kThreads] = {};
    struct Arg {
        std::atomic<host::ThreadId>* id;
        std::atomic<bool>* bounds;
    } args[kThreads];
    std::vector<std::unique_ptr<Thread>> threads;
    for (int i = 0; i < kThreads; ++i) {
        args[i] = {&seen[i], &boundsMatch[i]};
        threads.push_back(Thread::createSuspended(
            [](void* p) -> uint32_t {
                auto* arg = static_cast<Arg*>(p);
                int local = 0;
                host::StackBounds own = host::currentStackBounds();
                arg->bounds->store(own.contains(reinterpret_cast<uintptr_t>(&local)) &&
                                   host::currentThreadHandle()->stackBounds().high == own.high);
                arg->id->store(host::currentThreadId());
                return 0;
            },
            &args[i]));
        ASSERT_TRUE(threads.back());
    }
    std::set<host::ThreadId> ids{host::currentThreadId()};
    for (int i = 0; i < kThreads; ++i) {
        EXPECT_EQ(host::findThread(threads[i]->id()), threads[i]->handle());
        threads[i]->resume();
        ASSERT_TRUE(threads[i]->join(5000));
        EXPECT_EQ(seen[i].load(), threads[i]->id());
        EXPECT_TRUE(boundsMatch[i].load());
        EXPECT_NE(threads[i]->id(), 0u);
        ids.insert(threads[i]->id());
        EXPECT_EQ(host::findThread(threads[i]->id()), nullptr);  // ended
    }
    EXPECT_EQ(ids.size(), static_cast<std::size_t>(kThreads + 1));
    EXPECT_EQ(host::currentThreadId(), host::currentThreadId());
    int local = 0;
    EXPECT_TRUE(host::currentStackBounds().contains(reinterpret_cast<uintptr_t>(&local)));
}

TEST(ThreadPriority, StoresDevicePrioritiesAndRefusesOthers) {
    auto thread = Thread::createSuspended([](void*) -> uint32_t { return 0; }, nullptr);
    ASSERT_TRUE(thread);
    EXPECT_EQ(thread->priority(), host::kDefaultPriority);
    struct Case {
        int priority;
        bool accepted;
    };
    const Case cases[] = {{0, true}, {7, true}, {-1, false}, {8, false}, {4, true}, {100, false}};
    int expected = host::kDefaultPriority;
    for (const Case& c : cases) {
        host::LogCapture log;
        EXPECT_EQ(thread->setPriority(c.priority), c.accepted) << c.priority;
        if (c.accepted) expected = c.priority;
        EXPECT_EQ(thread->priority(), expected) << c.priority;
        EXPECT_EQ(log.contains("refused"), !c.accepted) << c.priority;
    }
}

TEST(ThreadSuspend, StopsABusyThreadAndExposesItsContext) {
    Spinner spinner;
    TestThread& thread = spinner.thread;
    ASSERT_TRUE(thread);
    ASSERT_TRUE(spinner.moves());

    ASSERT_TRUE(thread->suspend());
    EXPECT_TRUE(spinner.stands());
    ThreadContext ctx;
    ASSERT_TRUE(thread->getContext(ctx));
    host::StackBounds bounds = thread->stackBounds();
    EXPECT_TRUE(bounds.contains(ctx.stackPointer));
    EXPECT_TRUE(contextHolds(ctx, bounds.high, Spinner::kSecret));

    EXPECT_TRUE(thread->resume());
    EXPECT_FALSE(thread->getContext(ctx));
    EXPECT_TRUE(spinner.moves());
    EXPECT_EQ(spinner.finish(), 0);
}

TEST(ThreadSuspend, SuspensionsNestLikeACount) {
    Spinner spinner;
    TestThread& thread = spinner.thread;
    ASSERT_TRUE(thread);
    ASSERT_TRUE(thread->suspend());
    ASSERT_TRUE(thread->suspend());
    EXPECT_TRUE(thread->resume());
    EXPECT_TRUE(thread->handle()->suspended());
    EXPECT_TRUE(spinner.stands());
    EXPECT_TRUE(thread->resume());
    EXPECT_FALSE(thread->handle()->suspended());
    EXPECT_TRUE(spinner.moves());
    EXPECT_FALSE(thread->resume());  // not suspended: nothing to undo
    EXPECT_TRUE(spinner.moves());
    EXPECT_EQ(spinner.finish(), 0);
}

TEST(ThreadSuspend, ThousandRoundsAgainstAThreadThatAllocatesAndSleeps) {
    struct Worker {
        std::atomic<bool> stop{false};
        std::atomic<uint32_t> rounds{0};
    } worker;
    TestThread thread(
        [](void* arg) -> uint32_t {
            auto* w = static_cast<Worker*>(arg);
            while (!w->stop.load()) {
                auto block = std::make_unique<std::vector<uint32_t>>(64, w->rounds.load());
                host::sleepMs(block->front() % 2);
                w->rounds.fetch_add(1);
            }
            return 0;
        },
        &worker, [&] { worker.stop = true; });
    ASSERT_TRUE(thread);
    thread->resume();
    host::StackBounds bounds = thread->stackBounds();

    // Nothing in the loop allocates: the stopped thread may hold the allocator's lock.
    int failures = 0;
    auto begin = std::chrono::steady_clock::now();
    for (int i = 0; i < 1000; ++i) {
        ThreadContext ctx;
        if (!thread->suspend()) ++failures;
        if (!thread->getContext(ctx) || !bounds.contains(ctx.stackPointer)) ++failures;
        if (!thread->resume()) ++failures;
    }
    auto elapsed = std::chrono::steady_clock::now() - begin;
    EXPECT_EQ(failures, 0);
    EXPECT_LT(elapsed, std::chrono::seconds(20));

    uint32_t before = worker.rounds.load();
    EXPECT_TRUE(waitUntil([&] { return worker.rounds.load() > before + 2; }));
    worker.stop = true;
    ASSERT_TRUE(thread->join(5000));
}

TEST(ThreadSuspend, SignalWithoutAStopIsIgnored) {
    // What a signal delivered after its stop ended sees: nothing to stop for.
    auto thread = Thread::createSuspended(
        [](void*) -> uint32_t {
            for (int i = 0; i < 3; ++i) pthread_kill(pthread_self(), host::suspendSignal());
            return 5;
        },
        nullptr);
    ASSERT_TRUE(thread);
    thread->resume();
    ASSERT_TRUE(thread->join(5000));
    EXPECT_EQ(thread->exitCode(), 5u);
}

TEST(ThreadSuspend, TwoSuspendersShareOneCount) {
    Spinner spinner;
    TestThread& target = spinner.thread;
    ASSERT_TRUE(target);
    struct Suspender {
        host::ThreadHandle* target;
        std::atomic<int>* failures;
    };
    std::atomic<int> failures{0};
    Suspender job{target->handle().get(), &failures};
    auto hammer = [](void* arg) -> uint32_t {
        auto* j = static_cast<Suspender*>(arg);
        for (int i = 0; i < 300; ++i) {
            ThreadContext ctx;
            if (!j->target->suspend() || !j->target->getContext(ctx) || !j->target->resume()) {
                j->failures->fetch_add(1);
            }
        }
        return 0;
    };
    TestThread first(hammer, &job);
    TestThread second(hammer, &job);
    ASSERT_TRUE(first && second);
    first->resume();
    second->resume();
    ASSERT_TRUE(first->join(20000));
    ASSERT_TRUE(second->join(20000));
    EXPECT_EQ(failures.load(), 0);
    EXPECT_FALSE(target->handle()->suspended());
    EXPECT_TRUE(spinner.moves());
    EXPECT_EQ(spinner.finish(), 0);
}

TEST(ThreadSuspend, SuspendRacingTheThreadsEndNeverHangs) {
    for (int round = 0; round < 20; ++round) {
        std::atomic<int> steps{0};
        TestThread thread(
            [](void* arg) -> uint32_t {
                for (int i = 0; i < 100; ++i) static_cast<std::atomic<int>*>(arg)->fetch_add(1);
                return 1;
            },
            &steps);
        ASSERT_TRUE(thread);
        thread->resume();
        // Each new suspension waits for a step taken since the last one, else nothing would run.
        int seen = -1;
        while (!thread->finished()) {
            if (steps.load() == seen) {
                host::yieldThread();
                continue;
            }
            seen = steps.load();
            if (thread->suspend()) {
                EXPECT_TRUE(thread->resume());
            }
        }
        EXPECT_FALSE(thread->suspend());
        ASSERT_TRUE(thread->join(5000));
    }
}

TEST(ThreadSuspend, StopsAThreadBlockedInAWait) {
    host::Event event;
    TestThread thread(waitForEvent, &event, [&] { event.set(); });
    ASSERT_TRUE(thread);
    thread->resume();
    host::sleepMs(5);  // let it reach the wait
    ASSERT_TRUE(thread->suspend());
    ThreadContext ctx;
    ASSERT_TRUE(thread->getContext(ctx));
    EXPECT_TRUE(thread->stackBounds().contains(ctx.stackPointer));
    event.set();
    EXPECT_FALSE(thread->join(20));  // released but still stopped
    EXPECT_TRUE(thread->resume());
    ASSERT_TRUE(thread->join(5000));
    EXPECT_EQ(thread->exitCode(), 42u);
}

TEST(ThreadSuspend, AdoptedMainThreadCanBeStoppedByIdFromAnotherThread) {
    auto self = host::adoptCurrentThread();
    ASSERT_TRUE(self);
    EXPECT_EQ(host::adoptCurrentThread(), self);
    EXPECT_EQ(host::currentThreadHandle(), self);
    EXPECT_EQ(self->id(), host::currentThreadId());
    ThreadContext ownContext;
    EXPECT_FALSE(self->getContext(ownContext));

    struct Probe {
        host::ThreadId target;
        std::atomic<bool> done{false};
        std::atomic<int> result{-1};
        std::atomic<bool> spinning{false};
    } probe;
    probe.target = host::currentThreadId();
    TestThread thread(
        [](void* arg) -> uint32_t {
            auto* p = static_cast<Probe*>(arg);
            auto target = host::findThread(p->target);
            int result = 1;
            if (target && target->suspend()) {
                ThreadContext ctx;
                bool ok = target->getContext(ctx) && target->stackBounds().contains(ctx.stackPointer);
                p->spinning.store(false);  // set again only by a running main thread
                host::sleepMs(2);
                bool stood = !p->spinning.load();
                result = target->resume() && ok && stood ? 0 : 2;
            }
            p->result = result;
            p->done = true;
            return 0;
        },
        &probe);
    ASSERT_TRUE(thread);
    thread->resume();
    while (!probe.done.load()) probe.spinning.store(true);
    EXPECT_EQ(probe.result.load(), 0);
    ASSERT_TRUE(thread->join(5000));
}

TEST(ThreadSelfSuspend, StaysStoppedUntilResumed) {
    std::atomic<int> stage{0};
    TestThread thread(
        [](void* arg) -> uint32_t {
            auto* s = static_cast<std::atomic<int>*>(arg);
            s->store(1);
            Thread::suspendSelf();
            s->store(2);
            return 0;
        },
        &stage);
    ASSERT_TRUE(thread);
    thread->resume();
    ThreadContext ctx;
    ASSERT_TRUE(waitUntil([&] { return thread->getContext(ctx); }));
    EXPECT_TRUE(thread->stackBounds().contains(ctx.stackPointer));
    host::sleepMs(5);
    EXPECT_EQ(stage.load(), 1);
    EXPECT_TRUE(thread->resume());
    ASSERT_TRUE(thread->join(5000));
    EXPECT_EQ(stage.load(), 2);
}

TEST(ThreadSelfSuspend, KeepsOneResumeThatArrivesFirst) {
    struct Shared {
        host::Event go;
        std::atomic<int> stage{0};
    } shared;
    TestThread thread(
        [](void* arg) -> uint32_t {
            auto* s = static_cast<Shared*>(arg);
            s->go.wait();
            Thread::suspendSelf();  // a resume came first: returns at once
            s->stage = 1;
            Thread::suspendSelf();  // only one was kept: waits
            s->stage = 2;
            return 0;
        },
        &shared, [&] { shared.go.set(); });
    ASSERT_TRUE(thread);
    EXPECT_TRUE(thread->resume());   // starts it
    EXPECT_FALSE(thread->resume());  // not suspended yet
    EXPECT_FALSE(thread->resume());
    shared.go.set();
    ASSERT_TRUE(waitUntil([&] { return shared.stage.load() == 1 && thread->handle()->suspended(); }));
    host::sleepMs(5);
    EXPECT_EQ(shared.stage.load(), 1);
    EXPECT_TRUE(thread->resume());
    ASSERT_TRUE(thread->join(5000));
    EXPECT_EQ(shared.stage.load(), 2);
}

TEST(ThreadJoin, TimesOutWhileRunningAndReturnsOnceFinished) {
    host::Event event;
    TestThread thread(waitForEvent, &event, [&] { event.set(); });
    ASSERT_TRUE(thread);
    thread->resume();
    auto begin = std::chrono::steady_clock::now();
    EXPECT_FALSE(thread->join(20));
    EXPECT_GE(std::chrono::steady_clock::now() - begin, std::chrono::milliseconds(20));
    EXPECT_FALSE(thread->join(0));
    EXPECT_FALSE(thread->finished());
    EXPECT_EQ(thread->exitCode(), 0u);
    event.set();
    ASSERT_TRUE(thread->join());
    EXPECT_TRUE(thread->finished());
    EXPECT_EQ(thread->exitCode(), 42u);
}

TEST(ThreadJoin, DestroyingARunningThreadDetachesIt) {
    static host::Event event;  // outlives the detached thread whatever happens
    auto thread = Thread::createSuspended(waitForEvent, &event);
    ASSERT_TRUE(thread);
    thread->resume();
    auto handle = thread->handle();
    thread.reset();  // must not wait for it
    EXPECT_FALSE(handle->exited());
    event.set();
    EXPECT_TRUE(waitUntil([&] { return handle->exited(); }));
}

}  // namespace
