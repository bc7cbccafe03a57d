// The path finder's neighbour table: the (dx, dy) steps up, down, left, right, then the four
// diagonals. The runtime's static initialisation builds it, second after java.lang.System, so the
// game's path finder finds it ready.
#pragma once

#include "runtime/core/object.h"

class IntArray;

struct QXLibPathFindingStatics {
    IntArray* s_neighbours;
    MRC_REF_FIELDS(&QXLibPathFindingStatics::s_neighbours);

    static QXLibPathFindingStatics statics;
    static void clinit();
};
