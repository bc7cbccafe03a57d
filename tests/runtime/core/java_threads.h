// Java threads for tests: a Runnable object running a C++ callable, started on a
// java_lang_Thread, and waits that are safe points (the test thread is the UI thread and must
// park when another thread stops the world).
#pragma once

#include <gtest/gtest.h>

#include <chrono>

#include "runtime/core/application.h"
#include "runtime/core/object.h"
#include "runtime/lang/runnable.h"
#include "runtime/lang/thread.h"
#include "tests/runtime/runtime_fixture.h"

namespace mrc::test {

using Clock = std::chrono::steady_clock;

// A Runnable whose run() calls a C++ function; borrows TimerTask's class id (a Runnable).
class Task : public Object, public java_lang_Runnable {
public:
    using Base = Object;
    static constexpr uint16_t kClassId = kClass_java_util_TimerTask;

    void* getInterface(int32_t id) override {
        return id == kClass_java_lang_Runnable ? static_cast<java_lang_Runnable*>(this) : nullptr;
    }
    void run() override { body(context); }

    void (*body)(void*);
    void* context;
};

// A new, not yet started Thread that runs `f` (which must outlive the thread).
template <class F>
java_lang_Thread* newJavaThread(F& f) {
    auto* task = newObject<Task>();
    task->body = [](void* p) { (*static_cast<F*>(p))(); };
    task->context = &f;
    auto* thread = newObject<java_lang_Thread>();
    thread->priority = 5;
    thread->target = task;
    return thread;
}

template <class F>
java_lang_Thread* startJavaThread(F& f) {
    java_lang_Thread* thread = newJavaThread(f);
    EXPECT_EQ(thread->start(), 1);
    return thread;
}

// Polls `condition` between Java sleeps of 1 ms, for at most `timeoutMs`.
template <class Condition>
bool waitUntil(Condition condition, int timeoutMs = 10000) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        java_lang_Thread::sleep(1);
    }
    return true;
}

inline bool joinJavaThread(java_lang_Thread* thread, int timeoutMs = 10000) {
    return waitUntil([thread] { return !java_lang_Thread::isAlive(thread); }, timeoutMs);
}

inline int64_t millisSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
}

// Runs each test once in the cooperative mode and once in the suspend mode.
class BothModesTest : public RuntimeTest, public ::testing::WithParamInterface<bool> {
protected:
    bool suspendMode() const override { return GetParam(); }
};

inline std::string modeName(const ::testing::TestParamInfo<bool>& info) {
    return info.param ? "SuspendMode" : "CooperativeMode";
}

}  // namespace mrc::test
