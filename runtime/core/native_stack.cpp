#include "runtime/core/native_stack.h"

namespace mrc {

__attribute__((noinline)) uintptr_t currentStackPointer() {
    volatile char marker = 0;
    return reinterpret_cast<uintptr_t>(&marker);
}

// getcontext stores the callee-saved registers unmangled (setjmp would mangle some of them).
__attribute__((noinline)) void SpilledRegisters::capture() { getcontext(&context); }

}  // namespace mrc
