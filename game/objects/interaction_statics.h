// Game's statics of the per-frame passes over the objects in view: the interactable objects, the
// goal arrow's goal and rectangle, the camera target's offset, and the switch groups. `Game::
// interaction` holds the one block; empty until a level loads.
#pragma once

#include <cstdint>

#include "runtime/core/object.h"

class CObject;
class IntArray;
class ObjectArray;

struct InteractionStatics {
    ObjectArray* s_viewInteractables;  // CObject[]: the objects in view that can be interacted with
    int32_t s_viewInteractableCount;
    CObject* s_indicatorTarget;        // the goal object; null: the goal is a map point
    int32_t s_indicatorPointX, s_indicatorPointY;  // the goal point in pixels; x < 0 none
    IntArray* s_indicatorRect;         // int[4]: the arrow's working rectangle
    IntArray* s_indicatorMargins;      // int[4]: left, top, right, bottom margins of the view
    int32_t s_indicatorAnim;
    int32_t s_cameraTargetOffsetX, s_cameraTargetOffsetY;  // 14 fraction bits
    ObjectArray* s_groupMembers;       // byte[][]: per switch group its members' type-5 indices
    IntArray* s_groupCounts;           // per switch group its member count
    MRC_REF_FIELDS(&InteractionStatics::s_viewInteractables, &InteractionStatics::s_indicatorTarget,
                   &InteractionStatics::s_indicatorRect, &InteractionStatics::s_indicatorMargins,
                   &InteractionStatics::s_groupMembers, &InteractionStatics::s_groupCounts);
};

namespace mrc {
// Registers the block with StaticClass; idempotent.
void registerInteractionStatics();
}  // namespace mrc
