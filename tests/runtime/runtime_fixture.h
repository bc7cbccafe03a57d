// A started runtime for one test: thread table with the test's thread as the UI thread, small
// heaps, ObjectManager and StaticClass; everything collected and freed at the end.
#pragma once

#include <gtest/gtest.h>

#include "runtime/core/application.h"
#include "runtime/core/object_manager.h"
#include "runtime/core/static_class.h"
#include "runtime/heap/memory_manager.h"

namespace mrc::test {

class RuntimeTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(impl()->initRuntime(suspendMode(), objectHeapSize(), dataHeapSize()));
    }
    void TearDown() override { impl()->shutdownRuntime(); }

    virtual bool suspendMode() const { return false; }
    virtual uint32_t objectHeapSize() const { return 1u << 20; }
    virtual uint32_t dataHeapSize() const { return 2u << 20; }

    static ApplicationImpl* impl() { return ApplicationImpl::getInstance(); }
    static Application* app() { return ApplicationImpl::getApplication(); }
    static ObjectManager* om() { return app()->objectManager; }
    static StaticClass* statics() { return app()->staticClass; }
};

// Overwrites the dead stack below the caller, so that no stale copy of a reference there keeps a
// forgotten object. Not instrumented: the address sanitizer's redzones around the array would
// keep stale words.
__attribute__((noinline, no_sanitize("address"))) inline void scrubStack() {
    volatile char scrub[16384];
    for (auto& c : scrub) c = 0;
}

}  // namespace mrc::test
