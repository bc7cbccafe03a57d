#include "runtime/util/random.h"

#include <algorithm>

#include "host/core/clock.h"
#include "runtime/core/synchronized.h"
#include "runtime/util/library_support.h"

using namespace mrc;

namespace {
constexpr uint64_t kMultiplier = 0x5DEECE66DULL;
constexpr uint64_t kAddend = 0xB;
constexpr uint64_t kMask = (uint64_t{1} << 48) - 1;
}  // namespace

java_util_Random* java_util_Random::newInstance() {
    auto* r = newObject<java_util_Random>();
    if (r) r->Random();
    return r;
}

java_util_Random* java_util_Random::newInstance(int64_t seed) {
    auto* r = newObject<java_util_Random>();
    if (r) r->RandomWithSeed(seed);
    return r;
}

void java_util_Random::Random() { setSeed(static_cast<int64_t>(host::tickCount())); }

void java_util_Random::RandomWithSeed(int64_t seed) {
    seedLow = 0;
    seedHigh = 0;
    setSeed(seed);
}

void java_util_Random::setSeed(int64_t seed) {
    Synchronized lock(this);
    const uint64_t s = (static_cast<uint64_t>(seed) ^ kMultiplier) & kMask;
    seedLow = static_cast<uint32_t>(s);
    seedHigh = static_cast<uint32_t>(s >> 32);
}

int32_t java_util_Random::next(int32_t bits) {
    bits = std::clamp(bits, 0, 32);
    uint64_t s;
    {
        Synchronized lock(this);
        s = ((((uint64_t{seedHigh} << 32) | seedLow) * kMultiplier) + kAddend) & kMask;
        seedLow = static_cast<uint32_t>(s);
        seedHigh = static_cast<uint32_t>(s >> 32);
    }
    return static_cast<int32_t>(static_cast<uint32_t>(s >> (48 - bits)));
}

int32_t java_util_Random::nextInt() { return next(32); }

int32_t java_util_Random::nextIntBounded(int32_t n) {
    if (n < 1) {
        lib::raiseWithConstant(kClass_java_lang_IllegalArgumentException, kBadBoundConstant);
        return 0;
    }
    if ((n & -n) == n) return static_cast<int32_t>((int64_t{n} * next(31)) >> 31);
    int32_t bits;
    int32_t value;
    do {
        bits = next(31);
        value = bits % n;
    } while (bits - value + (n - 1) < 0);  // wraps: -fwrapv
    return value;
}

int64_t java_util_Random::nextLong() {
    const int64_t high = next(32);
    return static_cast<int64_t>(static_cast<uint64_t>(high) << 32) + next(32);
}

float java_util_Random::nextFloat() { return static_cast<float>(next(24)) / 16777216.0f; }
