// Game's timed modifiers (values of the interaction tables raised for a while and given back
// when their timer runs out), the interaction tables themselves (two groups of up to ten entries,
// filled when a level loads) and the small state of the other object operations.
#pragma once

#include <cstdint>

#include "runtime/core/object.h"

class ByteArray;
class CObject;
class ObjectArray;

struct ObjectOperationStatics {
    ByteArray* s_timedModifiers;   // 30 records of (table a, entry b, amount, timer id); a 255: free
    int32_t s_timedModifierCount;  // records in use
    ObjectArray* s_interactionLoad;     // byte[][]: the modified values, [a][b]
    ObjectArray* s_modifierDurations;   // short[][]: their durations in ms, [a][b]
    CObject* s_lastPickup;              // the pick-up collected last
    // The pending interaction: two flags, its object and the attached object to let go (-1 none).
    bool s_interactionPending[2];
    CObject* s_interactionObject;
    int32_t s_detachIndex;
    int32_t s_progressStep, s_lastProgressStep;  // a moving object's progress, thirds of its distance
    int32_t s_meterHold;  // while not 0 the meter does not follow the scene effect's percentage
    ByteArray* s_interactionCounts;      // byte[2]: entries in use per group
    ObjectArray* s_interactionCapacity;  // byte[2][10]: the most load an entry takes (0-255)
    ObjectArray* s_areaBytesA;           // byte[2][10]: each entry's ring width, pixels (0-255)
    MRC_REF_FIELDS(&ObjectOperationStatics::s_timedModifiers, &ObjectOperationStatics::s_interactionLoad,
                   &ObjectOperationStatics::s_modifierDurations, &ObjectOperationStatics::s_lastPickup,
                   &ObjectOperationStatics::s_interactionObject, &ObjectOperationStatics::s_interactionCounts,
                   &ObjectOperationStatics::s_interactionCapacity, &ObjectOperationStatics::s_areaBytesA);
};

namespace mrc {
// Registers the block with StaticClass; idempotent.
void registerObjectOperationStatics();
}  // namespace mrc
