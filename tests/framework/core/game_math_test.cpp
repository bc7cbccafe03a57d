#include <gtest/gtest.h>

#include <climits>

#include "framework/core/game_base.h"
#include "framework/sprite/sprite_instance.h"
#include "runtime/core/arrays.h"
#include "runtime/core/jarith.h"
#include "tests/framework/framework_fixture.h"

namespace {

constexpr int32_t kDeg = 16384;

int divisionsByZero = 0;

class GameMathTest : public mrc::test::FrameworkTest {
protected:
    void SetUp() override {
        FrameworkTest::SetUp();
        divisionsByZero = 0;
        mrc::setArithmeticExceptionHook([] { ++divisionsByZero; });
    }
    void TearDown() override {
        mrc::setArithmeticExceptionHook(nullptr);
        FrameworkTest::TearDown();
    }
};

TEST_F(GameMathTest, RandomIsTheLinearCongruentialSequence) {
    GameMath::mathStatics.randomSeed = 0;
    const int32_t values[] = {15470, 18256, 53708};
    const uint32_t seeds[] = {0x3C6EF35F, 0x47502932, 0xD1CCF6E9};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(GameMath::random(), values[i]);
        EXPECT_EQ(static_cast<uint32_t>(GameMath::mathStatics.randomSeed), seeds[i]);
    }
}

TEST_F(GameMathTest, SmallIntegerOperations) {
    EXPECT_EQ(GameMath::abs(-3), 3);
    EXPECT_EQ(GameMath::abs(0), 0);
    EXPECT_EQ(GameMath::abs(7), 7);
    EXPECT_EQ(GameMath::abs(INT_MIN), INT_MIN);
    EXPECT_EQ(GameMath::max(-2, 5), 5);
    EXPECT_EQ(GameMath::min(-2, 5), -2);
    EXPECT_EQ(GameMath::distanceSquared(1, 2, 4, 6), 25);
    EXPECT_EQ(GameMath::distanceSquared(0, 0, 0x10000, 0), 0);  // wraps
}

TEST_F(GameMathTest, CollectAndWaitReturnsWithNothingPending) {
    GameMath::collectAndWait();
    EXPECT_EQ(app()->getPendingException(), nullptr);
}

TEST_F(GameMathTest, SquareRootRunsEightStepsFromItsStartValue) {
    struct Case {
        int32_t x;
        bool integer;
        int32_t expected;
    } cases[] = {
        {4, true, 32768},      {0x40000, false, 0x20000}, {0, true, 32},
        {10000, true, 1638516}, {1, true, 16384},          {0x10000, false, 0x10000},
    };
    for (const Case& c : cases) EXPECT_EQ(GameMath::sqrtFixed(c.x, c.integer), c.expected) << c.x;
}

TEST_F(GameMathTest, SquareRootOfANegativeInputDoesNotTrap) {
    // a = -0x10000 makes the start value 0: the division goes through the Java helper.
    EXPECT_EQ(GameMath::sqrtFixed(-0x10000, false), 0);
    EXPECT_EQ(divisionsByZero, 8);
}

TEST_F(GameMathTest, ArcsineAndArctangent) {
    EXPECT_EQ(GameMath::asinFixed(0x8000, false), 34319);
    EXPECT_EQ(GameMath::asinFixed(-0x8000, false), -34319);
    EXPECT_NEAR(GameMath::asinFixed(1, true), 25736, 60);  // pi/2 with 14 bits
    // The polynomial leaves 4/65536 at 0, so the arctangent of 0 is 1, not 0.
    EXPECT_EQ(GameMath::atanFixed(0), 1);
    EXPECT_NEAR(GameMath::atanFixed(16384), 12868, 20);  // pi/4
    EXPECT_EQ(GameMath::atanFixed(INT_MAX), GameMath::atanFixed(1638400));
    EXPECT_EQ(GameMath::atanFixed(INT_MIN), GameMath::atanFixed(-1638400));
    EXPECT_EQ(divisionsByZero, 0);
}

TEST_F(GameMathTest, DegreesFromRatio) {
    EXPECT_EQ(GameMath::degreesFromRatio(0, 5), 90 * kDeg);
    EXPECT_EQ(GameMath::degreesFromRatio(0, 0), 90 * kDeg);
    EXPECT_EQ(GameMath::degreesFromRatio(0, -5), 270 * kDeg);
    EXPECT_EQ(GameMath::degreesFromRatio(-3, 0), 180 * kDeg + 57);  // atanFixed(0) is 1
    EXPECT_EQ(GameMath::degreesFromRatio(3, 0), 57);
    EXPECT_NEAR(GameMath::degreesFromRatio(4, -4), 315 * kDeg, kDeg / 2);
    EXPECT_NEAR(GameMath::degreesFromRatio(4, 4), 45 * kDeg, kDeg / 2);
    EXPECT_NEAR(GameMath::degreesFromRatio(-4, 4), 135 * kDeg, kDeg / 2);
    EXPECT_NEAR(GameMath::degreesFromRatio(-4, -4), 225 * kDeg, kDeg / 2);
    // dy << 14 is INT_MIN here: INT_MIN / -1 wraps instead of trapping, then clamps.
    int32_t steep = GameMath::degreesFromRatio(-1, 0x20000);
    EXPECT_GE(steep, 0);
    EXPECT_LT(steep, 360 * kDeg);
    EXPECT_EQ(divisionsByZero, 0);
}

TEST_F(GameMathTest, AngleTableLookupsAreSymmetricAboutOneEighty) {
    ShortArray* table = om()->newShortArray(181);
    for (int32_t i = 0; i <= 180; ++i) table->elements()[i] = static_cast<int16_t>(i * 10 - 900);
    GameMath::mathStatics.angleTable = table;
    auto entry = [&](int32_t i) { return i * 10 - 900; };
    EXPECT_EQ(GameMath::sin(-90), entry(90));
    EXPECT_EQ(GameMath::sin(270), entry(90));
    EXPECT_EQ(GameMath::sin(540), GameMath::sin(180));
    EXPECT_EQ(GameMath::sin(181), entry(179));
    EXPECT_EQ(GameMath::sin(-1), entry(1));
    EXPECT_EQ(GameMath::sin(INT_MIN), entry(128));  // -128 + 360 = 232 -> 128
    EXPECT_EQ(GameMath::cos(0), entry(90));
    EXPECT_EQ(GameMath::cos(90), entry(0));
    EXPECT_EQ(GameMath::cos(INT_MIN), GameMath::sin(INT_MIN + 90));
    EXPECT_EQ(GameMath::addScaledSin(100, 512, 30), 100 + entry(30) * 2);
    EXPECT_EQ(GameMath::addScaledCos(100, 128, 60), 100 + (entry(30) >> 1));
    EXPECT_EQ(GameMath::addScaledSin(0, 1, 0), -4);  // -900 >> 8 floors
}

TEST_F(GameMathTest, InterpolationAndArc) {
    EXPECT_EQ(GameMath::lerpDelta(5, 10, 0, 100), 50);
    EXPECT_EQ(GameMath::lerpDelta(3, 10, 0, -10), -3);
    EXPECT_EQ(GameMath::lerp(10, 5, 100, 50), 125);
    EXPECT_EQ(GameMath::lerp(3, 1, 0, -5), -1);  // truncates toward zero
    EXPECT_EQ(GameMath::parabola(100, 50, 0), 0);
    EXPECT_EQ(GameMath::parabola(100, 50, 100), 0);
    EXPECT_EQ(GameMath::parabola(100, 50, 50), 50);
    EXPECT_EQ(GameMath::parabola(100, 50, 25), 37);
    EXPECT_EQ(GameMath::lerp(-1, 1, 0, INT_MIN), INT_MIN);  // INT_MIN / -1 wraps
    EXPECT_EQ(divisionsByZero, 0);
}

TEST_F(GameMathTest, InterpolationByZeroGoesThroughTheJavaDivision) {
    struct Case {
        const char* name;
        int32_t (*run)();
    } cases[] = {
        {"lerpDelta", [] { return GameMath::lerpDelta(1, 0, 0, 10); }},
        {"lerp", [] { return GameMath::lerp(0, 1, 7, 10); }},
        {"parabola", [] { return GameMath::parabola(0, 10, 3); }},
        {"parabola 65536", [] { return GameMath::parabola(65536, 10, 3); }},  // duration² wraps to 0
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        divisionsByZero = 0;
        int32_t r = c.run();
        EXPECT_EQ(divisionsByZero, 1);
        EXPECT_EQ(r, std::string(c.name) == "lerp" ? 7 : 0);
    }
}

TEST_F(GameMathTest, BytesAndBits) {
    EXPECT_EQ(GameMath::readShortLE(bytes({0xFF, 0x7F}), 0), 32767);
    EXPECT_EQ(GameMath::readShortLE(bytes({0x00, 0x80}), 0), -32768);
    EXPECT_EQ(GameMath::readShortLE(bytes({9, 0xFE, 0xFF}), 1), -2);
    EXPECT_EQ(GameMath::readIntLE(bytes({0x01, 0x82, 0x83, 0x84}), 0), static_cast<int32_t>(0x84838201u));
    EXPECT_EQ(GameMath::readIntLE(bytes({0xFF, 0xFF, 0xFF, 0x7F}), 0), INT_MAX);
    ByteArray* out = bytes({0, 0, 0, 0});
    EXPECT_EQ(GameMath::writeShortLE(out, 1, 0x12345), 3);
    EXPECT_EQ(out->elements()[1], 0x45);
    EXPECT_EQ(out->elements()[2], 0x23);
    EXPECT_EQ(out->elements()[3], 0);

    EXPECT_EQ(GameMath::getWordByte(static_cast<int32_t>(0x80000000u), 3), -128);
    EXPECT_EQ(GameMath::getWordByte(0x12345678, 1), 0x56);
    EXPECT_EQ(GameMath::getWordByte(0x12345678, 0), 0x78);
    EXPECT_EQ(GameMath::setPackedByte(0, 300, 1), 0xFF00);
    EXPECT_EQ(GameMath::setPackedByte(-1, -5, 0), static_cast<int32_t>(0xFFFFFF00u));
    EXPECT_EQ(GameMath::setPackedByte(0x11223344, 0xAB, 3), static_cast<int32_t>(0xAB223344u));
    EXPECT_EQ(GameMath::extractBits(0xF0, 0x30), 3);
    EXPECT_EQ(GameMath::extractBits(static_cast<int32_t>(0x80000000u), static_cast<int32_t>(0x80000000u)), -1);
    EXPECT_EQ(GameMath::extractBits(-1, 0), 0);
}

TEST_F(GameMathTest, ByteReadersOnBadArraysGiveZeroAndReport) {
    EXPECT_EQ(GameMath::readShortLE(nullptr, 0), 0);
    EXPECT_TRUE(log.contains("NullPointer"));
    EXPECT_EQ(GameMath::readIntLE(bytes({1, 2}), 0), 0x0201);
    EXPECT_TRUE(pending(mrc::kClass_java_lang_ArrayIndexOutOfBoundsException));
    app()->clearPendingException();
}

TEST_F(GameMathTest, RectangleTestsCountTouchingEdges) {
    struct Case {
        int32_t a[4], b[4];
        bool overlap, inside;
    } cases[] = {
        {{0, 0, 10, 10}, {10, 10, 5, 5}, true, false},     // corners touch
        {{0, 0, 10, 10}, {11, 0, 5, 5}, false, false},     // right of it
        {{0, 0, 10, 10}, {-6, 0, 5, 5}, false, false},     // left of it
        {{0, 0, 10, 10}, {0, 11, 5, 5}, false, false},     // below
        {{2, 2, 3, 3}, {0, 0, 10, 10}, true, true},
        {{0, 0, 10, 10}, {0, 0, 10, 10}, true, true},
        {{0, 0, 11, 10}, {0, 0, 10, 10}, true, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(GameMath::rectsOverlap(c.a[0], c.a[1], c.a[2], c.a[3], c.b[0], c.b[1], c.b[2], c.b[3]), c.overlap);
        EXPECT_EQ(GameMath::rectInside(c.a[0], c.a[1], c.a[2], c.a[3], c.b[0], c.b[1], c.b[2], c.b[3]), c.inside);
        EXPECT_EQ(GameMath::boxesOverlap(c.a[0], c.a[1], c.a[0] + c.a[2], c.a[1] + c.a[3], c.b[0], c.b[1],
                                         c.b[0] + c.b[2], c.b[1] + c.b[3]),
                  c.overlap);
    }
    EXPECT_TRUE(GameMath::pointInBox(10, 20, 30, 40, 10, 20));
    EXPECT_FALSE(GameMath::pointInBox(10, 20, 30, 40, 30, 20));
    EXPECT_FALSE(GameMath::pointInBox(10, 20, 30, 40, 10, 40));
}

TEST_F(GameMathTest, ScreenTestsFollowTheCamera) {
    GameMath::mathStatics.cameraX = 100 << 14;
    GameMath::mathStatics.cameraY = 50 << 14;
    EXPECT_TRUE(GameMath::isRectOnScreen(900, 530, 5, 5));    // touches the far corner
    EXPECT_FALSE(GameMath::isRectOnScreen(901, 100, 5, 5));
    EXPECT_TRUE(GameMath::isRectOnScreen(90, 40, 10, 10));    // touches the near corner
    EXPECT_FALSE(GameMath::isRectOnScreen(89, 100, 10, 10));
    EXPECT_FALSE(GameMath::isRectOnScreen(500, 531, 5, 5));
    EXPECT_TRUE(GameMath::isRectNearScreen(-300, -190, 0, 0));
    EXPECT_FALSE(GameMath::isRectNearScreen(-301, 0, 0, 0));
    EXPECT_TRUE(GameMath::isRectNearScreen(1300, 770, 0, 0));
    EXPECT_FALSE(GameMath::isRectNearScreen(1301, 100, 0, 0));
}

TEST_F(GameMathTest, EdgeSegmentsShareOneArray) {
    IntArray* bottom = GameMath::getRectEdgeSegment(10, 20, 31, 40, 1);
    EXPECT_EQ(intsOf(bottom, 4), (std::vector<int32_t>{10, 60, 41, 60}));
    IntArray* top = GameMath::getRectEdgeSegment(10, 20, 31, 40, 2);
    EXPECT_EQ(top, bottom);
    EXPECT_EQ(intsOf(top, 4), (std::vector<int32_t>{10, 20, 41, 20}));
    EXPECT_EQ(intsOf(GameMath::getRectEdgeSegment(10, 20, 31, 40, 0), 4), (std::vector<int32_t>{25, 60, 25, 60}));
    EXPECT_EQ(intsOf(GameMath::getRectEdgeSegment(10, 20, -3, 40, 7), 4), (std::vector<int32_t>{8, 60, 8, 60}));
}

TEST_F(GameMathTest, InstancePositionInWholePixels) {
    ASpriteInstance* instance = mrc::newObject<ASpriteInstance>();
    GameMath::setInstancePosition(instance, 5, -2);
    EXPECT_EQ(instance->x, 5 << 14);
    EXPECT_EQ(instance->y, -2 * 16384);
    GameMath::setInstancePosition(nullptr, 1, 1);
}

TEST_F(GameMathTest, DirectionCodes) {
    struct Case {
        int32_t code, opposite, index;
    } cases[] = {{258, 16388, 0}, {16388, 258, 1}, {1032, 4112, 2}, {4112, 1032, 3}, {2080, 0, 0}, {0, 0, 0}};
    for (const Case& c : cases) {
        EXPECT_EQ(GameMath::oppositeDirection(c.code), c.opposite) << c.code;
        EXPECT_EQ(GameMath::directionCodeToIndex(c.code), c.index) << c.code;
    }
}

}  // namespace
