#include <gtest/gtest.h>

#include "host/window/geometry.h"

namespace {

using host::Point;
using host::Rect;

TEST(Letterbox, ScreenIsScaledToFitWithItsAspectKeptAndCentred) {
    struct Case {
        int w, h;
        Rect expected;
    };
    const Case cases[] = {
        {800, 480, {0, 0, 800, 480}},      // same size
        {1600, 960, {0, 0, 1600, 960}},    // exact double
        {1000, 480, {100, 0, 800, 480}},   // too wide: bars left and right
        {800, 600, {0, 60, 800, 480}},     // too tall: bars top and bottom
        {1920, 1080, {60, 0, 1800, 1080}},
        {480, 800, {0, 256, 480, 288}},    // portrait screen
        {400, 240, {0, 0, 400, 240}},      // shrunk
        {1, 1, {0, 0, 1, 1}},
        {0, 480, {}},
        {800, -1, {}},
    };
    for (const auto& c : cases) EXPECT_EQ(host::letterbox(c.w, c.h), c.expected) << c.w << "x" << c.h;
}

TEST(Letterbox, WindowPositionsMapBackToScreenPositions) {
    struct Case {
        int w, h, wx, wy;
        Point expected;
    };
    const Case cases[] = {
        {800, 480, 0, 0, {0, 0}},
        {800, 480, 799, 479, {799, 479}},
        {1600, 960, 1, 1, {0, 0}},          // both halves of a doubled pixel
        {1600, 960, 2, 3, {1, 1}},
        {1600, 960, 1599, 959, {799, 479}},
        {1000, 480, 100, 0, {0, 0}},        // left edge of the picture
        {1000, 480, 500, 240, {400, 240}},  // centre
        {1000, 480, 899, 479, {799, 479}},
        {1000, 480, 20, 240, {0, 240}},     // on the left bar: nearest edge
        {1000, 480, 990, 240, {799, 240}},  // on the right bar
        {800, 600, 400, 10, {400, 0}},      // on the top bar
        {800, 600, 400, 590, {400, 479}},
        {400, 240, 200, 120, {400, 240}},   // shrunk window: every other screen pixel
        {800, 480, -5, 900, {0, 479}},      // outside the window (mouse captured during a drag)
    };
    for (const auto& c : cases)
        EXPECT_EQ(host::windowToScreen(host::letterbox(c.w, c.h), c.wx, c.wy), c.expected)
            << c.w << "x" << c.h << " at " << c.wx << "," << c.wy;
}

}  // namespace
