// java.util.Random: seeding, the bounded draw's two paths and its argument check. The sequences
// themselves are compared with the JDK's in the oracle test.
#include <gtest/gtest.h>

#include "host/core/clock.h"
#include "runtime/lang/throwable.h"
#include "runtime/util/random.h"
#include "tests/runtime/util/library_fixture.h"

namespace {

using namespace mrc::test;

class Randoms : public LibraryTest {
protected:
    static uint64_t seedOf(java_util_Random* r) { return (uint64_t{r->seedHigh} << 32) | r->seedLow; }
};

TEST_F(Randoms, SeedsAreScrambledIntoFortyEightBits) {
    auto* r = java_util_Random::newInstance(0);
    EXPECT_EQ(r->seedLow, 0xDEECE66Du);
    EXPECT_EQ(r->seedHigh, 5u);
    EXPECT_EQ(r->nextInt(), -1155484576);
    r->setSeed(-1);
    EXPECT_EQ(seedOf(r), (~uint64_t{0} ^ 0x5DEECE66DULL) & ((uint64_t{1} << 48) - 1));
    EXPECT_EQ(r->seedHigh >> 16, 0u);
    EXPECT_EQ(java_util_Random::newInstance(42)->nextInt(), -1170105035);

    host::ManualClock clock(123456);
    auto* byTick = java_util_Random::newInstance();
    EXPECT_EQ(byTick->seedLow, 123456u ^ 0xDEECE66Du);
    EXPECT_EQ(byTick->seedHigh, 5u);
}

TEST_F(Randoms, SameSeedSameSequence) {
    auto* a = java_util_Random::newInstance(987654321);
    auto* b = java_util_Random::newInstance(987654321);
    for (int i = 0; i < 100; ++i) {
        EXPECT_EQ(a->nextInt(), b->nextInt());
        EXPECT_EQ(a->nextLong(), b->nextLong());
        EXPECT_EQ(a->nextIntBounded(1000), b->nextIntBounded(1000));
        const float f = a->nextFloat();
        EXPECT_EQ(f, b->nextFloat());
        EXPECT_GE(f, 0.0f);
        EXPECT_LT(f, 1.0f);
    }
}

TEST_F(Randoms, BoundedDrawsTakeTopBitsOrRejectTheBiasedRange) {
    auto* r = java_util_Random::newInstance(7);
    auto* twin = java_util_Random::newInstance(7);
    for (int i = 0; i < 50; ++i) {
        EXPECT_EQ(r->nextIntBounded(1), 0);
        twin->next(31);
        EXPECT_EQ(seedOf(r), seedOf(twin));
        EXPECT_EQ(r->nextIntBounded(16), twin->next(31) >> 27);
    }
    // Just above 2^30 about half of the 31-bit values are rejected: some draws take two steps.
    int extraSteps = 0;
    for (int i = 0; i < 100; ++i) {
        const int32_t v = r->nextIntBounded((1 << 30) + 1);
        EXPECT_GE(v, 0);
        EXPECT_LE(v, 1 << 30);
        twin->next(31);
        while (seedOf(twin) != seedOf(r)) {
            twin->next(31);
            ++extraSteps;
        }
    }
    EXPECT_GT(extraSteps, 10);
}

TEST_F(Randoms, BoundsBelowOneRaiseAndKeepTheSeed) {
    auto* r = java_util_Random::newInstance(5);
    const uint64_t before = seedOf(r);
    for (int32_t n : {0, -5, INT32_MIN}) {
        EXPECT_EQ(r->nextIntBounded(n), 0);
        auto* e = static_cast<java_lang_Throwable*>(app()->getPendingException());
        ASSERT_NE(e, nullptr);
        EXPECT_EQ(narrow(e->message), "n must be positive");
        EXPECT_EQ(takePending(), "IllegalArgumentException");
        EXPECT_EQ(seedOf(r), before);
    }
    EXPECT_FALSE(impl()->monitors.heldByCurrentThread(r));
}

}  // namespace
