// The Java side of java.lang.Thread: constructors, priorities, join and the text form.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "host/core/sync.h"
#include "runtime/lang/string.h"
#include "runtime/lang/thread.h"
#include "runtime/lang/throwable.h"
#include "tests/runtime/core/java_threads.h"
#include "tests/runtime/lang/constants_support.h"

namespace {

using mrc::test::RuntimeTest;

class ThreadJava : public RuntimeTest {
protected:
    void SetUp() override {
        RuntimeTest::SetUp();
        mrc::test::installConstants(mrc::test::libraryConstants());
    }
    static int pendingClass() {
        Object* e = app()->getPendingException();
        app()->clearPendingException();
        return e ? e->m_classId : 0;
    }
};

TEST_F(ThreadJava, ANewThreadTakesItsMakersPriority) {
    java_lang_Thread* ui = java_lang_Thread::currentThread();
    ASSERT_NE(ui, nullptr);
    int32_t saved = ui->priority;
    for (int32_t p : {1, 7, 10}) {
        ui->priority = p;
        java_lang_Thread* t = mrc::newThread(nullptr);
        ASSERT_NE(t, nullptr);
        EXPECT_EQ(t->getPriority(), p);
        EXPECT_EQ(t->target, nullptr);
        EXPECT_EQ(t->m_collectable, 0);
    }
    ui->priority = saved;
    EXPECT_EQ(pendingClass(), 0);
}

TEST_F(ThreadJava, AThreadMadeOutsideJavaThreadsGetsTheNormalPriority) {
    java_lang_Thread* made = nullptr;
    std::thread maker([&] { made = mrc::newThread(nullptr); });
    {
        host::BlockingRegion blocking;
        maker.join();
    }
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->getPriority(), java_lang_Thread::kNormalPriority);
}

TEST_F(ThreadJava, PrioritiesOutsideOneToTenAreRefused) {
    java_lang_Thread* t = mrc::newThread(nullptr);
    struct Case {
        int32_t p;
        bool accepted;
    } cases[] = {{0, false}, {11, false}, {-1, false}, {1, true}, {10, true}, {5, true}, {-2147483647 - 1, false}};
    for (const Case& c : cases) {
        int32_t before = t->getPriority();
        t->setPriority(c.p);
        if (c.accepted) {
            EXPECT_EQ(pendingClass(), 0) << c.p;
            EXPECT_EQ(t->getPriority(), c.p);
        } else {
            EXPECT_EQ(pendingClass(), mrc::kClass_java_lang_IllegalArgumentException) << c.p;
            EXPECT_EQ(t->getPriority(), before);
        }
    }
}

TEST_F(ThreadJava, RunCallsTheTargetWhenThereIsOne) {
    int runs = 0;
    auto body = [&] { ++runs; };
    java_lang_Thread* carrier = mrc::test::newJavaThread(body);
    java_lang_Thread* t = mrc::newThread(carrier->target);
    EXPECT_EQ(t->target, carrier->target);
    t->run();
    EXPECT_EQ(runs, 1);
    mrc::newThread(nullptr)->run();  // no target: nothing
    EXPECT_EQ(runs, 1);
}

TEST_F(ThreadJava, JoinWaitsForTheThreadAndReturnsAtOnceOnItself) {
    java_lang_Thread::currentThread()->join();  // would wait for ever otherwise
    mrc::newThread(nullptr)->join();            // never started: not alive

    std::atomic<bool> release{false};
    std::atomic<bool> done{false};
    auto body = [&] {
        while (!release.load()) java_lang_Thread::sleep(1);
        done = true;
    };
    java_lang_Thread* worker = mrc::test::newJavaThread(body);
    java_lang_Thread* t = mrc::newThread(worker->target);
    ASSERT_EQ(t->start(), 1);
    EXPECT_TRUE(java_lang_Thread::isAlive(t));
    std::thread releaser([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        release = true;
    });
    t->join();
    EXPECT_TRUE(done.load());
    EXPECT_FALSE(java_lang_Thread::isAlive(t));
    releaser.join();
}

TEST_F(ThreadJava, TextFormShowsHashAndPriority) {
    java_lang_Thread* t = mrc::newThread(nullptr);
    t->setPriority(3);
    String* s = t->toString();
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->toStdString(), "Thread[@" + std::to_string(t->hashCode()) + ",priority=3]");
}

}  // namespace
