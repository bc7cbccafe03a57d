// The calling thread's own stack and registers, as the conservative scan needs them.
#pragma once

#include <ucontext.h>

#include <cstdint>

namespace mrc {

// An address below every frame of the caller (the frame of a call that does not inline).
uintptr_t currentStackPointer();

// The integer registers of the calling thread, spilled into memory so that a conservative scan
// of the memory holding this object sees the references that live only in registers.
// Lives on the stack of the thread it spills, inside the range that gets scanned.
struct SpilledRegisters {
    ucontext_t context;
    void capture();
};

}  // namespace mrc
