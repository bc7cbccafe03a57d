// Where an action record's rectangle lies for each facing: facing left mirrors facing right about
// the anchor, the vertical facings turn the record by a quarter.
#include "game/objects/cobject.h"
#include "runtime/core/array_base.h"

CObject::ActionRect CObject::placeActionRect(int32_t x, int32_t y, int32_t ox, int32_t oy, ShortArray* record,
                                             int32_t facing) {
    const int32_t a0 = JArray::getShort(record, 0), a1 = JArray::getShort(record, 1);
    const int32_t length = JArray::getShort(record, 2), breadth = JArray::getShort(record, 3);
    const int32_t cx = x + ox, cy = y + oy;
    switch (facing) {
        case 4112: return {x + a0, y + a1, length, breadth};
        case 1032: return {cx + ox - a0 - length, y + a1, length, breadth};
        case 16388: return {cx - breadth / 2, cy + a0 - ox, breadth, length};
        case 258: return {cx - breadth / 2, cy - a0 - length + ox, breadth, length};
        default: return {0, 0, 0, 0};
    }
}
