// Answers for the stand-ins in game/pending.cpp of the event-script and level-data routines that
// the cinematics and the linker call: while a seam is set, the stand-in calls it (tests record
// the calls and answer from a table); unset, the stand-in gives its neutral result.
#pragma once

#include <cstdint>

class ByteArray;

namespace mrc {

struct LevelDataSeams {
    bool (*runEventScript)(int32_t n, bool clearSkip) = nullptr;
    int32_t (*findMessageEntryById)(int32_t id) = nullptr;
};

// The one set of seams; tests reset it with `levelDataSeams() = {}`.
LevelDataSeams& levelDataSeams();

}  // namespace mrc
