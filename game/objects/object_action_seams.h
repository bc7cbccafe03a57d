// Test seams of the services the object actions and script helpers call that game/pending.cpp
// stands in for: when set, the stand-in answers through them. Removed with the stand-ins.
#pragma once

#include <cstdint>

class CObject;
class IntArray;
class ObjectArray;

namespace mrc {
struct ObjectActionSeams {
    int32_t (*resolveContact)(CObject* actor, CObject* target, ObjectArray* list, int32_t countOrMode, int32_t x,
                              int32_t y, int32_t w, int32_t h, int32_t isPlayer) = nullptr;
    int32_t (*onHitBy)(CObject* o, CObject* other, int32_t mode, int32_t direction) = nullptr;
    int32_t (*resolveHitFromFront)(CObject* o, CObject* other) = nullptr;
    void (*remove)(CObject* o) = nullptr;
    void (*releaseGroupMembers)(CObject* o) = nullptr;
    int32_t (*getRangeFactor)(CObject* o) = nullptr;
    void (*runSequence)(IntArray* params, int32_t x, int32_t y) = nullptr;
    void (*setCameraOnObject)(int32_t x, int32_t y, int32_t w, int32_t h, int32_t a, int32_t b, int32_t flag) = nullptr;
    void (*updateAutoScroll)(bool force) = nullptr;
    void (*displaceKind5Objects)(ObjectArray* list, CObject* o) = nullptr;
    void (*setPlayerState)(int32_t state, int32_t param, CObject* o) = nullptr;
};
ObjectActionSeams& objectActionSeams();
}  // namespace mrc
