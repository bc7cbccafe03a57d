// QXLibConfig: the framework's configuration values, statics set once by the class's static
// initialiser. The class has no instances.
//
// Only the values that the framework reads so far are here, in table order, each with its table
// position; the rest of the table (and the dump) join them in the same block.
#pragma once

#include <cstdint>

#include "runtime/core/class_ids.h"

class QXLibConfig {
public:
    static constexpr uint16_t kClassId = mrc::kClass_QXLibConfig;

    struct Statics {
        uint8_t GC_AFTER_RELEASE;  // 2: System.gc() after releases (pack reads and unpacking among them)
        uint8_t PACKS_USE_LZMA;    // 53: resource-pack entries may be LZMA-compressed
    };
    static Statics statics;

    // The static initialiser: the shipped values.
    static void clinit();

    static bool gcAfterRelease() { return statics.GC_AFTER_RELEASE != 0; }
    static bool packsUseLzma() { return statics.PACKS_USE_LZMA != 0; }
};
