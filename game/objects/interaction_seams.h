// Test seams of the stand-ins that the object actions and the grabbing call: when set, the
// stand-in answers through them. Removed with the stand-ins.
#pragma once

#include <cstdint>

class CObject;
class ObjectArray;

namespace mrc {
struct InteractionSeams {
    bool (*isWithinTableLimit)(CObject* o, int32_t group, int32_t entry) = nullptr;
    bool (*isWithinTableLimitOnLayer)(CObject* o, CObject* other, int32_t group, int32_t entry) = nullptr;
    CObject* (*findObjectContainingRect)(int32_t x, int32_t y, int32_t w, int32_t h, ObjectArray* list,
                                         int32_t count) = nullptr;
    int32_t (*launchProjectile)(int32_t direction, int32_t x, int32_t y) = nullptr;
    bool (*isFacing)(CObject* o, CObject* other) = nullptr;
    void (*placeAtTile)(int32_t x, int32_t y, int32_t kind) = nullptr;
};
InteractionSeams& interactionSeams();
}  // namespace mrc
