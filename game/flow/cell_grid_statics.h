// Game's statics of the level's cell grids, the per-frame view list, the routes and the auxiliary
// records: what the level loader fills and the tile probes read. The current room (the layer
// object whose grid is current) is the framework's `currentRoom`; the camera is GameMath's.
#pragma once

#include <cstdint>

#include "runtime/core/object.h"

class ByteArray;
class IntArray;
class ObjectArray;

struct CellGridStatics {
    // Grids are short[columns][rows] of 16-bit flag words, one cell per 32 x 32 pixels.
    ObjectArray* s_levelGrid;    // the whole map; its origin is pixel (0, 0)
    ObjectArray* s_layerGrids;   // one grid per layer template, by the layer object's params[19]
    ObjectArray* s_currentGrid;  // the level grid or the current room's grid
    ObjectArray* s_viewObjects;  // CObject[]: the objects inside the view this frame
    int32_t s_viewObjectCount;
    IntArray* s_moveSamples;     // the blocked rows (or columns) the push-out records; grown on need

    // Routes: 25 waypoints per route, in cells; the current point of each route.
    ByteArray* s_routeX;
    ByteArray* s_routeY;
    ByteArray* s_routePoint;
    ObjectArray* s_auxRecords;  // short[][]: how objects are held

    MRC_REF_FIELDS(&CellGridStatics::s_levelGrid, &CellGridStatics::s_layerGrids, &CellGridStatics::s_currentGrid,
                   &CellGridStatics::s_viewObjects, &CellGridStatics::s_moveSamples, &CellGridStatics::s_routeX,
                   &CellGridStatics::s_routeY, &CellGridStatics::s_routePoint, &CellGridStatics::s_auxRecords);
};

namespace mrc {
// Registers the block with StaticClass; idempotent.
void registerCellGridStatics();
}  // namespace mrc
