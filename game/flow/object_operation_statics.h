// Game's timed modifiers: values of the interaction tables raised for a while and given back
// when their timer runs out; and the interaction tables themselves (two groups of up to ten
// entries), filled when a level loads.
#pragma once

#include <cstdint>

#include "runtime/core/object.h"

class ByteArray;
class ObjectArray;

struct ObjectOperationStatics {
    ByteArray* s_timedModifiers;   // 30 records of (table a, entry b, amount, timer id); a 255: free
    int32_t s_timedModifierCount;  // records in use
    ObjectArray* s_interactionLoad;     // byte[][]: the modified values, [a][b]
    ObjectArray* s_modifierDurations;   // short[][]: their durations in ms, [a][b]
    ByteArray* s_interactionCounts;     // byte[2]: entries in use per group
    ObjectArray* s_interactionCapacity;  // byte[2][10]: the most load an entry takes (0-255)
    ObjectArray* s_areaBytesA;           // byte[2][10]: each entry's ring width, pixels (0-255)
    MRC_REF_FIELDS(&ObjectOperationStatics::s_timedModifiers, &ObjectOperationStatics::s_interactionLoad,
                   &ObjectOperationStatics::s_modifierDurations, &ObjectOperationStatics::s_interactionCounts,
                   &ObjectOperationStatics::s_interactionCapacity, &ObjectOperationStatics::s_areaBytesA);
};

namespace mrc {
// Registers the block with StaticClass; idempotent.
void registerObjectOperationStatics();
}  // namespace mrc
