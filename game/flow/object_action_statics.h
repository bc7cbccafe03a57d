// Game's statics of the object actions and the script helpers: the per-frame object list that
// ending an action hands on, the camera zones, the chain counter and the switches that scale
// the player's power.
#pragma once

#include <cstdint>

#include "runtime/core/object.h"

class ObjectArray;
class ShortArray;

struct ObjectActionStatics {
    ObjectArray* s_frameObjects;  // CObject[]: the objects handled this frame
    int32_t s_frameObjectCount;
    ShortArray* s_cameraZones;  // 6 shorts a zone: x, y, w, h and two values for the camera
    bool s_energyUpgradeOn;     // the selected upgrade scales the player's power
    int32_t s_releaseFlag;      // set while an object's release popup is pending
    MRC_REF_FIELDS(&ObjectActionStatics::s_frameObjects, &ObjectActionStatics::s_cameraZones);
};

namespace mrc {
// Registers the block with StaticClass; idempotent.
void registerObjectActionStatics();
}  // namespace mrc
