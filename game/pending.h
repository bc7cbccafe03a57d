// Routines that the game already calls but whose own code is not written yet live in
// game/pending.cpp: each traces "not built yet: NAME" the first time it runs and answers a
// neutral value (nothing, false, -1, null). Each moves out when it is built.
#pragma once

#include <atomic>

#include "host/core/log.h"

namespace game_pending {
// The test seam of the stand-ins: when set, called with the routine's name on every call.
inline void (*observer)(const char* name) = nullptr;
}  // namespace game_pending

#define GAME_NOT_BUILT_YET(name)                                   \
    do {                                                           \
        static std::atomic_flag traced_ = ATOMIC_FLAG_INIT;        \
        if (!traced_.test_and_set()) mrc_log("not built yet: %s", name); \
        if (game_pending::observer != nullptr) game_pending::observer(name); \
    } while (0)
