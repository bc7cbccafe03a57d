#include <gtest/gtest.h>

#include <atomic>
#include <vector>

#include "host/core/clock.h"
#include "host/core/log.h"
#include "runtime/core/object_manager.h"
#include "tests/runtime/core/java_threads.h"

namespace {

using namespace mrc::test;

class Monitors : public BothModesTest {
protected:
    static mrc::MonitorTable& table() { return impl()->monitors; }
    static void enter(Object* o) { om()->monitorEnter(o); }
    static void exit(Object* o) { om()->monitorExit(o); }
};


TEST_P(Monitors, ReentrantEntryNeedsAsManyExits) {
    Object* o = mrc::newObject<Object>();
    enter(o);
    enter(o);
    EXPECT_TRUE(table().heldByCurrentThread(o));
    std::atomic<bool> entered{false};
    auto body = [&] {
        enter(o);
        entered = true;
        exit(o);
    };
    java_lang_Thread* other = startJavaThread(body);
    ASSERT_TRUE(waitUntil([&] { return table().enteringCount(o) == 1; }));
    exit(o);
    EXPECT_TRUE(table().heldByCurrentThread(o));
    EXPECT_EQ(table().enteringCount(o), 1);
    EXPECT_FALSE(entered.load());
    exit(o);
    EXPECT_FALSE(table().heldByCurrentThread(o));
    ASSERT_TRUE(joinJavaThread(other));
    EXPECT_TRUE(entered.load());
    EXPECT_EQ(table().size(), 1);  // one monitor, attached on the first entry
}

TEST_P(Monitors, TimedWaitWithoutNotifyReturnsHoldingTheMonitor) {
    Object* o = mrc::newObject<Object>();
    enter(o);
    enter(o);
    auto start = Clock::now();
    Object::wait(o, 100);
    int64_t waited = millisSince(start);
    EXPECT_GE(waited, 90);
    EXPECT_LE(waited, 200);
    EXPECT_TRUE(table().heldByCurrentThread(o));
    exit(o);
    EXPECT_TRUE(table().heldByCurrentThread(o));  // the recursion count came back too
    exit(o);
    EXPECT_FALSE(table().heldByCurrentThread(o));
}

TEST_P(Monitors, NotifyWakesExactlyTheNumberAskedAndKeepsTheOthers) {
    struct Case {
        int32_t count;
        int woken;
    };
    for (Case c : {Case{1, 1}, Case{2, 2}, Case{-1, 3}, Case{5, 3}, Case{0, 0}}) {
        SCOPED_TRACE(testing::Message() << "notify(" << c.count << ")");
        Object* o = mrc::newObject<Object>();
        std::atomic<int> woken{0};
        auto body = [&] {
            enter(o);
            Object::wait(o, 0);
            EXPECT_TRUE(table().heldByCurrentThread(o));
            ++woken;
            exit(o);
        };
        std::vector<java_lang_Thread*> waiters;
        for (int i = 0; i < 3; ++i) waiters.push_back(startJavaThread(body));
        ASSERT_TRUE(waitUntil([&] { return table().waitingCount(o) == 3; }));

        enter(o);
        Object::notify(o, c.count);
        EXPECT_EQ(table().waitingCount(o), 3 - c.woken);
        exit(o);
        ASSERT_TRUE(waitUntil([&] { return woken.load() == c.woken; }));
        // The others still wait, until a later notifyAll.
        java_lang_Thread::sleep(20);
        EXPECT_EQ(woken.load(), c.woken);
        EXPECT_EQ(table().waitingCount(o), 3 - c.woken);
        enter(o);
        Object::notify(o, -1);
        exit(o);
        for (auto* t : waiters) ASSERT_TRUE(joinJavaThread(t));
        EXPECT_EQ(woken.load(), 3);
    }
}

TEST_P(Monitors, NotifyWithoutWaitersReturnsAtOnce) {
    Object* o = mrc::newObject<Object>();
    enter(o);
    auto start = Clock::now();
    Object::notify(o, 1);
    Object::notify(o, -1);
    EXPECT_LT(millisSince(start), 50);
    exit(o);
}

TEST_P(Monitors, TimedOutWaiterTakesTheMonitorBackAfterTheOwnerLeaves) {
    Object* o = mrc::newObject<Object>();
    std::atomic<bool> returned{false};
    auto body = [&] {
        enter(o);
        Object::wait(o, 30);
        returned = true;
        exit(o);
    };
    java_lang_Thread* waiter = startJavaThread(body);
    ASSERT_TRUE(waitUntil([&] { return table().waitingCount(o) == 1; }));
    enter(o);
    // Its time runs out while we hold the monitor: it leaves the wait set and queues for it.
    ASSERT_TRUE(waitUntil([&] { return table().enteringCount(o) == 1; }));
    EXPECT_EQ(table().waitingCount(o), 0);
    EXPECT_FALSE(returned.load());
    exit(o);
    ASSERT_TRUE(joinJavaThread(waiter));
    EXPECT_TRUE(returned.load());
}

TEST_P(Monitors, MisuseIsReportedAndChangesNothing) {
    Object* o = mrc::newObject<Object>();
    host::LogCapture log;
    auto start = Clock::now();
    Object::wait(o, 0);  // not held: returns at once instead of waiting for ever
    Object::notify(o, -1);
    exit(o);
    om()->monitorEnter(nullptr);
    EXPECT_LT(millisSince(start), 100);
    EXPECT_TRUE(log.contains("Object::wait(): monitor not held"));
    EXPECT_TRUE(log.contains("Object::notify(): monitor not held"));
    EXPECT_TRUE(log.contains("ObjectManager::monitorExit(): monitor not held"));
    EXPECT_TRUE(log.contains("NullPointer"));
    EXPECT_EQ(table().getMonitor(o, false), -1);
}

TEST_P(Monitors, FullTableIsReportedNeverIndexedBelowZero) {
    table().setLimit(4);
    Object* objects[5] = {};  // on the stack, where the collector's scan finds them
    for (auto& o : objects) o = mrc::newObject<Object>();
    for (int i = 0; i < 4; ++i) enter(objects[i]);
    host::LogCapture log;
    enter(objects[4]);
    EXPECT_TRUE(log.contains("ApplicationImpl::getMonitor(): the monitor table is full (4 monitors)"));
    EXPECT_FALSE(table().heldByCurrentThread(objects[4]));
    EXPECT_EQ(table().getMonitor(objects[4], true), -1);
    exit(objects[4]);
    for (int i = 0; i < 4; ++i) exit(objects[i]);
    table().setLimit(mrc::MonitorTable::kDefaultLimit);
}

TEST_P(Monitors, ObjectsRacingForTheirFirstMonitorGetOneEach) {
    constexpr int kObjects = 300;  // past the first growth of the table
    Object* objects[kObjects] = {};  // on the stack, where the collector's scan finds them
    for (auto& o : objects) o = mrc::newObject<Object>();
    std::atomic<int> ready{0};
    int64_t counters[kObjects] = {};
    auto body = [&] {
        ++ready;
        while (ready.load() < 4) java_lang_Thread::yield();  // a safe point: collections go on
        for (int round = 0; round < 20; ++round) {
            for (int i = 0; i < kObjects; ++i) {
                enter(objects[i]);
                ++counters[i];  // guarded by the monitor: the race detector checks it
                exit(objects[i]);
            }
        }
    };
    std::vector<java_lang_Thread*> threads;
    for (int i = 0; i < 4; ++i) threads.push_back(startJavaThread(body));
    for (auto* t : threads) ASSERT_TRUE(joinJavaThread(t));
    EXPECT_EQ(table().size(), kObjects);
    for (int i = 0; i < kObjects; ++i) EXPECT_EQ(counters[i], 80) << i;
}

// Counts its destructions.
class Counted : public Object {
public:
    using Base = Object;
    static constexpr uint16_t kClassId = mrc::kClass_java_util_Date;
    ~Counted() override { ++destroyed; }
    static inline int destroyed = 0;
};

TEST_P(Monitors, MonitorIsReleasedWithItsObject) {
    // Made and synchronized on by a thread that is gone, so that no stack should hold them; the
    // scan is conservative, though: every object swept takes its monitor along, whatever stays.
    constexpr int kObjects = 20;
    Counted::destroyed = 0;
    auto body = [] {
        for (int i = 0; i < kObjects; ++i) {
            Object* o = mrc::newObject<Counted>();
            enter(o);
            exit(o);
        }
    };
    ASSERT_TRUE(joinJavaThread(startJavaThread(body)));
    // Under collection stress some went already, monitors and all.
    EXPECT_EQ(table().size(), kObjects - Counted::destroyed);
    om()->gc(mrc::kGcForced);
    EXPECT_GT(Counted::destroyed, 0);
    EXPECT_EQ(table().size(), kObjects - Counted::destroyed);
}

INSTANTIATE_TEST_SUITE_P(Modes, Monitors, ::testing::Bool(), modeName);

}  // namespace
