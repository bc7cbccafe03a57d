// java.util.Random: the 48-bit linear congruential generator of the Java library, giving the same
// sequences as every Java generator given the same seed. The seed is kept in two words.
#pragma once

#include <cstdint>

#include "runtime/core/object.h"

class java_util_Random : public Object {
public:
    MRC_CLASS(java_util_Random, Object);
    // Message of nextIntBounded's java_lang_IllegalArgumentException ("n must be positive").
    static constexpr int32_t kBadBoundConstant = 596;

    // New generators seeded from the tick count or with `seed`; null when the heap is exhausted.
    static java_util_Random* newInstance();
    static java_util_Random* newInstance(int64_t seed);

    // The constructors: the tick count scrambled as setSeed does, or setSeed(seed).
    void Random();
    void RandomWithSeed(int64_t seed);
    // seed = (seed XOR 0x5DEECE66D) AND (2^48 - 1).
    void setSeed(int64_t seed);
    // Advances the seed under the monitor and returns its top `bits` bits (1-32).
    int32_t next(int32_t bits);
    int32_t nextInt();
    // Uniform in 0..n-1; n < 1 raises java_lang_IllegalArgumentException and returns 0.
    int32_t nextIntBounded(int32_t n);
    int64_t nextLong();
    float nextFloat();  // in [0, 1)

    uint32_t seedLow;   // bits 0-31
    uint32_t seedHigh;  // bits 32-47
};
