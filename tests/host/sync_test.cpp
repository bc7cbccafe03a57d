#include "host/core/sync.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "host/core/clock.h"
#include "host/core/log.h"

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
