#include "runtime/core/jarith.h"

#include <atomic>

#include "host/core/log.h"
#include "runtime/core/application.h"
#include "runtime/lang/throwable.h"

namespace mrc {
namespace {

// As the JVM does: the translated code finds a java_lang_ArithmeticException pending at its next
// check and may catch it; the division itself yields 0. Without a started runtime (nothing to
// raise into) only the trace remains.
void raiseArithmeticException() {
    mrc_log("ArithmeticException: / by zero");
    Application* app = ApplicationImpl::getApplication();
    if (app && app->objectManager) raise(kClass_java_lang_ArithmeticException, "/ by zero");
}

std::atomic<ArithmeticHook> g_hook{&raiseArithmeticException};

}  // namespace

void setArithmeticExceptionHook(ArithmeticHook hook) {
    g_hook.store(hook ? hook : &raiseArithmeticException, std::memory_order_release);
}

void raiseDivisionByZero() { g_hook.load(std::memory_order_acquire)(); }

}  // namespace mrc
