#include "host/core/clock.h"

#include <gtest/gtest.h>

namespace {

TEST(ManualClocks, TickCountWrapsWhileItsWideCountGoesOn) {
    {
        host::ManualClock clock(0xFFFFFFF0u);
        EXPECT_EQ(host::tickCount(), 0xFFFFFFF0u);
        EXPECT_EQ(host::tickCount64(), 0xFFFFFFF0LL);
        clock.advance(0x20);
        EXPECT_EQ(host::tickCount(), 0x10u);
        EXPECT_EQ(clock.now(), 0x10u);
        EXPECT_EQ(host::tickCount64(), 0x100000010LL);
        clock.set(7);
        EXPECT_EQ(host::tickCount64(), 7);
    }
    // The real count again: the low word of the wide one.
    const int64_t wide = host::tickCount64();
    EXPECT_GE(wide, 0);
    EXPECT_LE(static_cast<uint32_t>(host::tickCount() - static_cast<uint32_t>(wide)), 1000u);
}

TEST(ManualClocks, WallClockIsSteppedByHand) {
    const int64_t real = host::currentTimeMillis();
    EXPECT_GT(real, int64_t{1600000000} * 1000);
    {
        host::ManualWallClock wall(1234567890123);
        EXPECT_EQ(host::currentTimeMillis(), 1234567890123);
        wall.advance(-123);
        EXPECT_EQ(host::currentTimeMillis(), 1234567890000);
        wall.set(-5);
        EXPECT_EQ(wall.now(), -5);
        EXPECT_EQ(host::currentTimeMillis(), -5);
    }
    EXPECT_GE(host::currentTimeMillis(), real);
}

}  // namespace
