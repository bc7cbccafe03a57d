// Game's statics that the per-kind object painters read: the player's clip rectangle, the kind
// rectangles that effect instances are placed on, and the two blocks of the HUD marker.
// `Game::kindPaint` holds the one block; empty until a level loads.
#pragma once

#include <cstdint>

#include "runtime/core/object.h"

class IntArray;
class ObjectArray;

struct KindPaintStatics {
    bool s_playerClipOn;
    IntArray* s_playerClipRect;  // int[4]: x, y, width, height in map pixels
    ObjectArray* s_kindRects;    // short[4] per template row: x offset, y offset, width, height
    bool s_markerBlockA, s_markerBlockB;
    MRC_REF_FIELDS(&KindPaintStatics::s_playerClipRect, &KindPaintStatics::s_kindRects);
};

namespace mrc {
// Registers the block with StaticClass; idempotent.
void registerKindPaintStatics();
}  // namespace mrc
