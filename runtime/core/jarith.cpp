#include "runtime/core/jarith.h"

#include <atomic>

#include "host/core/log.h"

namespace mrc {
namespace {

void logDivisionByZero() { mrc_log("ArithmeticException: / by zero"); }

std::atomic<ArithmeticHook> g_hook{&logDivisionByZero};

}  // namespace

void setArithmeticExceptionHook(ArithmeticHook hook) {
    g_hook.store(hook ? hook : &logDivisionByZero, std::memory_order_release);
}

void raiseDivisionByZero() { g_hook.load(std::memory_order_acquire)(); }

}  // namespace mrc
