// Test seams of the movement services that game/pending.cpp stands in for: when set, the
// stand-in answers through them. Removed with the stand-ins.
#pragma once

#include <cstdint>

class CObject;

namespace mrc {
struct MotionSeams {
    int32_t (*clampMoveToBlocked)(CObject* o, int32_t offsetX, int32_t offsetY, int32_t w, int32_t h, int32_t code,
                                  int32_t mask, int32_t flag) = nullptr;
    bool (*canMoveWithBodyBox)(CObject* o) = nullptr;
    void (*onEvent)(int32_t event, CObject* o) = nullptr;
};
MotionSeams& motionSeams();
}  // namespace mrc
