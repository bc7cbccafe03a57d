#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "host/core/clock.h"
#include "host/core/log.h"
#include "tests/runtime/core/java_threads.h"

namespace {

using namespace mrc::test;

class Threads : public BothModesTest {};

TEST_P(Threads, RunTargetOnItsOwnThreadThenGiveTheSlotBack) {
    std::atomic<java_lang_Thread*> seenCurrent{nullptr};
    std::atomic<host::ThreadId> seenId{0};
    std::atomic<int32_t> seenActive{0};
    std::atomic<bool> release{false};
    auto body = [&] {
        seenCurrent = java_lang_Thread::currentThread();
        seenId = host::currentThreadId();
        seenActive = java_lang_Thread::activeCount();
        while (!release) java_lang_Thread::sleep(1);
    };
    java_lang_Thread* thread = startJavaThread(body);
    ASSERT_TRUE(waitUntil([&] { return seenId.load() != 0; }));
    EXPECT_EQ(seenCurrent.load(), thread);
    EXPECT_NE(seenId.load(), host::currentThreadId());
    EXPECT_EQ(seenActive.load(), 2);
    EXPECT_TRUE(java_lang_Thread::isAlive(thread));
    EXPECT_EQ(thread->m_collectable, 0);

    release = true;
    ASSERT_TRUE(joinJavaThread(thread));
    EXPECT_EQ(java_lang_Thread::activeCount(), 1);
    EXPECT_EQ(thread->m_collectable, 1);
    EXPECT_EQ(impl()->findThreadSlot(thread), -1);
}

TEST_P(Threads, StartingTwiceStartsOneNativeThread) {
    std::atomic<int> runs{0};
    std::atomic<bool> release{false};
    auto body = [&] {
        ++runs;
        while (!release) java_lang_Thread::sleep(1);
    };
    java_lang_Thread* thread = startJavaThread(body);
    int slot = impl()->findThreadSlot(thread);
    ASSERT_GT(slot, 0);
    EXPECT_EQ(thread->start(), slot);  // already running: its slot, nothing else
    release = true;
    ASSERT_TRUE(joinJavaThread(thread));
    EXPECT_EQ(runs.load(), 1);
}

TEST_P(Threads, NinthThreadIsRefusedWithATraceAndNeverRuns) {
    std::atomic<bool> release{false};
    std::atomic<int> runs{0};
    auto body = [&] {
        ++runs;
        while (!release) java_lang_Thread::sleep(1);
    };
    std::vector<java_lang_Thread*> started;
    for (int i = 1; i < mrc::kThreadSlots; ++i) started.push_back(startJavaThread(body));
    EXPECT_EQ(java_lang_Thread::activeCount(), mrc::kThreadSlots);

    java_lang_Thread* ninth = newJavaThread(body);
    {
        host::LogCapture log;
        EXPECT_EQ(ninth->start(), -1);
        EXPECT_TRUE(log.contains("java_lang_Thread::start(): all 8 thread slots are in use"));
        EXPECT_TRUE(log.contains("stacktrace:"));
    }
    EXPECT_FALSE(java_lang_Thread::isAlive(ninth));
    EXPECT_EQ(java_lang_Thread::activeCount(), mrc::kThreadSlots);

    release = true;
    for (auto* t : started) ASSERT_TRUE(joinJavaThread(t));
    EXPECT_EQ(runs.load(), mrc::kThreadSlots - 1);
    // Refused is not spoiled: with a free slot it starts.
    EXPECT_EQ(ninth->start(), 1);
    ASSERT_TRUE(joinJavaThread(ninth));
    EXPECT_EQ(runs.load(), mrc::kThreadSlots);
}

TEST_P(Threads, CurrentThreadIsTheSlotsThreadOrNull) {
    java_lang_Thread* ui = java_lang_Thread::currentThread();
    ASSERT_NE(ui, nullptr);
    EXPECT_EQ(ui->m_classId, mrc::kClass_java_lang_Thread);
    EXPECT_EQ(impl()->threads[0].thread, ui);
    EXPECT_EQ(ui->getPriority(), 9 - host::kDefaultPriority);
    EXPECT_TRUE(java_lang_Thread::isAlive(ui));

    java_lang_Thread* seen = ui;
    std::thread outsider([&] { seen = java_lang_Thread::currentThread(); });
    outsider.join();
    EXPECT_EQ(seen, nullptr);
}

TEST_P(Threads, NativePriorityFollowsTheJavaPriority) {
    std::atomic<bool> release{false};
    auto body = [&] {
        while (!release) java_lang_Thread::sleep(1);
    };
    java_lang_Thread* thread = startJavaThread(body);
    std::shared_ptr<host::ThreadHandle> handle = impl()->threads[impl()->findThreadSlot(thread)].handle;
    struct Case {
        int32_t java;
        int32_t result;
        int native;  // the native priority afterwards
    };
    for (Case c : {Case{5, 1, 4}, Case{1, 1, 7}, Case{9, 1, 0}, Case{10, 0, 0}, Case{-3, 1, 7}}) {
        host::LogCapture log;
        EXPECT_EQ(java_lang_Thread::setNativePriority(thread, c.java), c.result) << c.java;
        EXPECT_EQ(handle->priority(), c.native) << c.java;
    }
    release = true;
    ASSERT_TRUE(joinJavaThread(thread));
    // No slot, no native thread to set.
    EXPECT_EQ(java_lang_Thread::setNativePriority(thread, 5), -1);
    EXPECT_EQ(java_lang_Thread::setNativePriority(nullptr, 5), -1);
}

TEST_P(Threads, SleepSleepsAndANegativeTimeReturnsAtOnce) {
    auto start = Clock::now();
    java_lang_Thread::sleep(-1);
    java_lang_Thread::sleep(INT64_MIN);
    EXPECT_LT(millisSince(start), 20);
    start = Clock::now();
    java_lang_Thread::sleep(20);
    EXPECT_GE(millisSince(start), 20);
    // Only the low 32 bits count.
    start = Clock::now();
    java_lang_Thread::sleep((int64_t{1} << 32) + 5);
    EXPECT_LT(millisSince(start), 1000);
}

INSTANTIATE_TEST_SUITE_P(Modes, Threads, ::testing::Bool(), modeName);

// Cooperative mode: a sleep during a stop of the world parks, and counts the time parked.
class SleepParking : public RuntimeTest {};

TEST_F(SleepParking, ParkedLongerThanTheSleepReturnsAtOnceOtherwiseSleepsInFull) {
    struct Case {
        int64_t sleepMs;
        uint32_t parkedMs;
        bool sleepsAfterwards;
    };
    for (Case c : {Case{20, 30, false}, Case{20, 10, true}}) {
        SCOPED_TRACE(testing::Message() << "sleep " << c.sleepMs << " parked " << c.parkedMs);
        host::ManualClock clock(5000);
        host::LogCapture log;
        std::atomic<host::ThreadId> id{0};
        std::atomic<int64_t> returnedAt{-1};
        auto origin = Clock::now();
        auto body = [&] {
            id = host::currentThreadId();
            // Waits for the stop without a safe point, then sleeps into it.
            while (!impl()->stopTheWorld.load()) host::yieldThread();
            java_lang_Thread::sleep(c.sleepMs);
            returnedAt = millisSince(origin);
        };
        java_lang_Thread* thread = startJavaThread(body);
        ASSERT_TRUE(waitUntil([&] { return id.load() != 0; }));

        impl()->suspendOtherThreads();
        clock.advance(c.parkedMs);
        int64_t resumedAt = millisSince(origin);
        impl()->resumeOtherThreads();
        ASSERT_TRUE(joinJavaThread(thread));

        char line[96];
        std::snprintf(line, sizeof line, "java_lang_Thread::sleep(): thread 0x%X suspending...", id.load());
        EXPECT_TRUE(log.contains(line));
        std::snprintf(line, sizeof line, "java_lang_Thread::sleep(): thread 0x%X is awake", id.load());
        EXPECT_TRUE(log.contains(line));
        int64_t afterResume = returnedAt.load() - resumedAt;
        if (c.sleepsAfterwards) {
            EXPECT_GE(afterResume, c.sleepMs);
        } else {
            EXPECT_LT(afterResume, c.sleepMs);
        }
    }
}

}  // namespace
