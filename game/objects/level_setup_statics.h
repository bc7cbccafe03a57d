// Game's statics of the level set-up that the object factories, the layer slots and the
// level-part tables share.
#pragma once

#include <cstdint>

#include "runtime/core/object.h"

class IntArray;
class ObjectArray;

struct LevelSetupStatics {
    ObjectArray* s_typeRecords;  // short[] per pick-up or decoration type; [15] counts the objects made
    IntArray* s_eventFlagList;   // the event flags raised since the switches last looked
    int32_t s_eventFlagCount;
    int32_t s_levelSetupKind;  // 4: a set-up that keeps the previous layer tables
    int32_t s_levelStartFlag;  // the set-up starts the level afresh (not from the map)
    ObjectArray* s_kindAnchors;  // short[2] per kind: the anchor (x, y) in pixels
    MRC_REF_FIELDS(&LevelSetupStatics::s_typeRecords, &LevelSetupStatics::s_eventFlagList,
                   &LevelSetupStatics::s_kindAnchors);
};

namespace mrc {
// Registers the block with StaticClass; idempotent.
void registerLevelSetupStatics();
}  // namespace mrc
