// Answers for the stand-ins in game/pending.cpp of the object queries, target bookkeeping and map
// repaint that later work builds: while a seam is set, the stand-in calls it (tests record the
// calls and answer from a table); unset, the stand-in gives its neutral result.
#pragma once

#include <cstdint>

class ASpriteInstance;
class CObject;
class IntArray;
class ObjectArray;
class javax_microedition_lcdui_Graphics;

namespace mrc {

struct GamePendingSeams {
    CObject* (*findObjectInRange)(int32_t x, int32_t y, ObjectArray* objects, int32_t from, int32_t to, bool option,
                                  bool stopAtFirst) = nullptr;
    int32_t (*findOnScreenObject)(int32_t x, int32_t y, int32_t a, int32_t b, int32_t c) = nullptr;
    void (*setGridFlagsInRect)(int32_t layerIndex, int32_t x, int32_t y, int32_t w, int32_t h, int32_t mode,
                               int32_t bits) = nullptr;
    void (*selectTarget)(CObject* o, int32_t snap) = nullptr;
    void (*clearTarget)(CObject* o) = nullptr;
    int32_t (*computeBorderDistance)(CObject* o, int32_t direction, int32_t margin, int32_t x, int32_t y, int32_t w,
                                     int32_t h) = nullptr;
    bool (*probeLeavesBox)(int32_t direction, CObject* o, int32_t x, int32_t y, int32_t w, int32_t h) = nullptr;
    void (*paintMapCells)(javax_microedition_lcdui_Graphics* g, int32_t left, int32_t top, int32_t right,
                          int32_t bottom, int32_t column, int32_t row, bool variant) = nullptr;
    void (*computeLayerOffset)(ASpriteInstance* instance, int32_t kind, int32_t flag, IntArray* params) = nullptr;
    void (*computeLayerOffsetAlt)(ASpriteInstance* instance, int32_t kind, int32_t flag, IntArray* params) = nullptr;
    bool (*updatePlayerAttachment)(CObject* o) = nullptr;
    bool (*canMoveTo)(CObject* o, int32_t offsetX, int32_t offsetY, int32_t w, int32_t h, int32_t mask) = nullptr;
    void (*paintWorld)(javax_microedition_lcdui_Graphics* g) = nullptr;
    void (*repaintBackgroundBuffer)() = nullptr;
    void (*restartAtLevel)(int32_t level) = nullptr;
    bool (*updateProgressFade)() = nullptr;
};

// The one set of seams; tests reset it with `gamePendingSeams() = {}`.
GamePendingSeams& gamePendingSeams();

}  // namespace mrc
