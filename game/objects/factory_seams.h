// Test seams of the services the object factories reach before their own work is built: each
// stand-in in game/pending.cpp answers through its seam when one is set.
#pragma once

#include <cstdint>

class ByteArray;
class CObject;
class IntArray;

namespace mrc {

struct FactorySeams {
    IntArray* (*createFromTemplate)(IntArray* params, bool copy) = nullptr;
    void (*setRangeEntry)(int32_t n, int32_t x, int32_t y, IntArray* values) = nullptr;
    int32_t (*parseActionData)(CObject* o, int32_t kind, ByteArray* data, int32_t offset) = nullptr;
    void (*applyPathSegment)(CObject* o) = nullptr;
};
FactorySeams& factorySeams();

}  // namespace mrc

class ObjectArray;

namespace mrc {

// The level data readers of the layer templates and grids.
struct LevelPartSeams {
    ObjectArray* (*buildShortTable)(ObjectArray* templ, ByteArray* bytes) = nullptr;
    ObjectArray* (*buildShortTable3)(ByteArray* a, ByteArray* b) = nullptr;
    int32_t (*getUpgradeLevel)(int32_t item) = nullptr;
    // The upgrade services the upgrade panel buys through.
    bool (*getUpgradeValue)(int32_t kind, int32_t column) = nullptr;
    int32_t (*getUpgradeCounterGap)(int32_t kind, int32_t column) = nullptr;
    void (*addUpgradeProgress)(int32_t kind, int32_t step, int32_t column) = nullptr;
};
LevelPartSeams& levelPartSeams();

}  // namespace mrc
