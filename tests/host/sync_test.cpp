#include "host/core/sync.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>

#include "host/core/clock.h"
#include "host/core/log.h"
#include "host/core/owner_gate.h"

namespace {

template <class Condition>
bool eventually(Condition condition) {
    for (int i = 0; i < 5000 && !condition(); ++i) host::sleepMs(1);
    return condition();
}

TEST(CriticalSectionTest, IsRecursiveAndExcludesOtherThreads) {
    host::CriticalSection cs;
    cs.enter();
    cs.enter();
    EXPECT_TRUE(cs.heldByCurrentThread());
    auto tryFromOther = [&] {
        bool got = false;
        std::thread([&] {
            got = cs.tryEnter();
            if (got) cs.leave();
        }).join();
        return got;
    };
    EXPECT_FALSE(tryFromOther());
    cs.leave();
    EXPECT_FALSE(tryFromOther());
    cs.leave();
    EXPECT_FALSE(cs.heldByCurrentThread());
    EXPECT_TRUE(tryFromOther());
}

TEST(CriticalSectionTest, LeaveByANonOwnerIsTracedAndIgnored) {
    host::CriticalSection cs;
    cs.enter();
    host::LogCapture log;
    std::thread([&] { cs.leave(); }).join();
    EXPECT_TRUE(log.contains("CriticalSection::leave: the calling thread does not hold the lock"));
    EXPECT_TRUE(cs.heldByCurrentThread());
    cs.leave();
}

TEST(HeldLocksTest, CountCriticalSectionsAndScopesButNotAnEntryStillWaiting) {
    host::CriticalSection a;
    host::CriticalSection b;
    const host::HeldLocks& mine = host::heldLocks();
    EXPECT_FALSE(host::holdsLocks(mine));
    a.enter();
    a.enter();
    b.enter();
    EXPECT_EQ(mine.count.load(), 2);  // recursion counts once
    b.leave();
    a.leave();
    EXPECT_TRUE(host::holdsLocks(mine));
    a.leave();
    EXPECT_FALSE(host::holdsLocks(mine));
    {
        host::HeldLockScope scope;
        EXPECT_TRUE(host::holdsLocks(mine));
    }
    EXPECT_FALSE(host::holdsLocks(mine));

    // A thread blocked entering a lock someone else holds holds nothing.
    a.enter();
    std::atomic<const host::HeldLocks*> theirs{nullptr};
    std::atomic<bool> entered{false};
    std::thread waiter([&] {
        theirs = &host::heldLocks();
        a.enter();
        entered = true;
        a.leave();
    });
    ASSERT_TRUE(eventually([&] { return theirs.load() && theirs.load()->entering.load() == &a; }));
    EXPECT_FALSE(host::holdsLocks(*theirs.load()));
    a.leave();
    waiter.join();
    EXPECT_TRUE(entered.load());
}

// An owner gate's lock-free bracket counts as a held lock, for its owner only and only inside;
// a gate that is gone is no longer asked.
TEST(HeldLocksTest, AnOwnerGateBracketCountsAsHeldByItsOwner) {
    const host::HeldLocks& mine = host::heldLocks();
    auto gate = std::make_unique<host::OwnerGate>();
    if (!gate->enter(host::heldLocks())) GTEST_SKIP() << "no process-wide barrier here: gates are shared from the start";
    gate->leave(host::heldLocks());
    host::OwnerGate other;  // owned by the second thread
    std::atomic<const host::HeldLocks*> theirs{nullptr};
    std::atomic<int> step{0};
    std::thread t([&] {
        theirs = &host::heldLocks();
        if (!other.enter(host::heldLocks())) return;
        step = 1;
        while (step.load() != 2) std::this_thread::yield();
        other.leave(host::heldLocks());
        step = 3;
        while (step.load() != 4) std::this_thread::yield();
    });
    ASSERT_TRUE(eventually([&] { return step.load() == 1; }));
    EXPECT_TRUE(host::holdsLocks(*theirs.load()));
    EXPECT_FALSE(host::holdsLocks(mine));
    ASSERT_TRUE(gate->enter(host::heldLocks()));
    EXPECT_TRUE(host::holdsLocks(mine));
    gate->leave(host::heldLocks());
    EXPECT_FALSE(host::holdsLocks(mine));
    step = 2;
    ASSERT_TRUE(eventually([&] { return step.load() == 3; }));
    EXPECT_FALSE(host::holdsLocks(*theirs.load()));
    step = 4;
    t.join();

    ASSERT_TRUE(gate->enter(host::heldLocks()));
    gate->leave(host::heldLocks());
    gate.reset();
    EXPECT_FALSE(host::holdsLocks(mine));
}

std::atomic<int> g_enterTaking{0};
std::atomic<int> g_leaves{0};
std::atomic<int> g_takings{0};

TEST(BlockingHooksTest, ContendedEntryWaitsInsideTheHooksAndStepsBackWhenToldTo) {
    g_enterTaking = g_leaves = g_takings = 0;
    host::setBlockingHooks({nullptr, [] { ++g_leaves; }, [] { ++g_enterTaking; },
                            [] { return ++g_takings > 1; }});  // the first taking must step back
    host::CriticalSection cs;
    cs.enter();
    std::atomic<bool> entered{false};
    std::thread waiter([&] {
        cs.enter();
        entered = true;
        cs.leave();
    });
    ASSERT_TRUE(eventually([] { return g_enterTaking.load() == 1; }));
    EXPECT_FALSE(entered.load());
    cs.leave();
    waiter.join();
    host::setBlockingHooks({});
    EXPECT_TRUE(entered.load());
    EXPECT_EQ(g_takings.load(), 2);
    EXPECT_EQ(g_enterTaking.load(), 2);  // once more after stepping back
    EXPECT_EQ(g_leaves.load(), 1);       // the step back ends its wait with leave
}

}  // namespace
