#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "host/core/log.h"
#include "runtime/lang/numbers.h"
#include "runtime/lang/string.h"
#include "tests/runtime/lang/text_support.h"
#include "tests/runtime/runtime_fixture.h"

namespace {

using namespace mrc::test;

class Numbers : public RuntimeTest {};

// Parsing reads like the C library and never raises: the cases where the JDK would throw.
TEST_F(Numbers, ParsingReadsLikeTheCLibrary) {
    struct Case {
        std::u16string text;
        int32_t asInt;
        int64_t asLong;
    } cases[] = {
        {u"12abc", 12, 12},
        {u"abc", 0, 0},
        {u"", 0, 0},
        {u"  \t-42 ", -42, -42},
        {u"+-1", 0, 0},
        {u"- 1", 0, 0},
        {u"2147483648", INT32_MAX, 2147483648},
        {u"-2147483649", INT32_MIN, -2147483649},
        {u"99999999999999999999", INT32_MAX, INT64_MAX},
        {u"-99999999999999999999", INT32_MIN, INT64_MIN},
        {u"3.9", 3, 3},
        {u"0x10", 0, 0},
        {std::u16string(u"7\0" u"8", 3), 7, 7},  // the C string ends at the first zero byte
        {u"\u0131\u0132", 12, 12},                // only the characters' low bytes are read
    };
    for (const Case& c : cases) {
        EXPECT_EQ(java_lang_Integer::parseInt(str(c.text)), c.asInt) << hexUnits(c.text);
        EXPECT_EQ(java_lang_Long::parseLong(str(c.text)), c.asLong) << hexUnits(c.text);
    }
    EXPECT_EQ(java_lang_Integer::parseInt(nullptr), 0);
    EXPECT_EQ(mrc::StringToInt(mrc::newString("8080")), 8080);
    EXPECT_EQ(app()->getPendingException(), nullptr);
}

TEST_F(Numbers, OtherRadixesAreReportedAndReadInBase10) {
    host::LogCapture log;
    EXPECT_EQ(java_lang_Integer::parseInt(mrc::newString("ff"), 16), 0);
    EXPECT_TRUE(log.contains("base == 10"));
    log.clear();
    EXPECT_EQ(java_lang_Long::parseLong(mrc::newString("101"), 2), 101);
    EXPECT_TRUE(log.contains("base == 10"));
    log.clear();
    EXPECT_EQ(java_lang_Integer::parseInt(mrc::newString("101"), 10), 101);
    EXPECT_FALSE(log.contains("base == 10"));
}

TEST_F(Numbers, TextForms) {
    EXPECT_EQ(narrow(java_lang_Integer::toBinaryString(5)), "101");
    EXPECT_EQ(narrow(java_lang_Integer::toBinaryString(0)), "0");
    EXPECT_EQ(narrow(java_lang_Integer::toBinaryString(INT32_MIN)), "1" + std::string(31, '0'));
    EXPECT_EQ(narrow(java_lang_Integer::toHexString(-1)), "ffffffff");
    EXPECT_EQ(narrow(java_lang_Integer::toHexString(0xABC)), "abc");
    EXPECT_EQ(narrow(java_lang_Long::toString(4294967296)), "4294967296");
    EXPECT_EQ(narrow(java_lang_Integer::toString(-7)), "-7");
    // Floating values print as "%f" (the JDK would print 1.5 and 1.0E10).
    EXPECT_EQ(narrow(java_lang_Float::toString(1.5f)), "1.500000");
    EXPECT_EQ(narrow(java_lang_Double::toString(1e10)), "10000000000.000000");
    EXPECT_EQ(narrow(java_lang_Double::toString(-1e300)).size(), 309u);
    EXPECT_FLOAT_EQ(java_lang_Float::parseFloat(mrc::newString(" 2.5e1x")), 25.0f);
    EXPECT_EQ(java_lang_Double::parseDouble(mrc::newString("junk")), 0.0);
    EXPECT_EQ(java_lang_Float::floatToIntBits(std::nanf("7")), 0x7FC00000);
    EXPECT_EQ(java_lang_Float::floatToIntBits(-2.0f), static_cast<int32_t>(0xC0000000));
    EXPECT_EQ(java_lang_Float::intBitsToFloat(0x3F800000), 1.0f);
    EXPECT_EQ(java_lang_Double::doubleToLongBits(1.0), INT64_C(0x3FF0000000000000));
    EXPECT_EQ(java_lang_Double::longBitsToDouble(INT64_C(0x4000000000000000)), 2.0);
}

TEST(MathNatives, IntegerRules) {
    EXPECT_EQ(java_lang_Math::abs(INT32_MIN), INT32_MIN);
    EXPECT_EQ(java_lang_Math::abs(-5), 5);
    EXPECT_EQ(java_lang_Math::abs(INT64_MIN), INT64_MIN);
    EXPECT_EQ(java_lang_Math::abs(int64_t{-9}), 9);
    EXPECT_EQ(java_lang_Math::max(-1, 3), 3);
    EXPECT_EQ(java_lang_Math::min(-1, 3), -1);
    EXPECT_EQ(java_lang_Math::maxLong(INT64_MIN, -1), -1);
    EXPECT_EQ(java_lang_Math::minLong(INT64_MAX, 0), 0);
}

// The float rules as stated: comparisons pick b unless a wins outright, so NaN and signed zeros
// follow the order of the arguments (the JDK would give NaN, -0.0 and 0.0).
TEST(MathNatives, FloatRulesFollowTheComparisons) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    EXPECT_EQ(java_lang_Math::max(nan, 1.0f), 1.0f);
    EXPECT_TRUE(std::isnan(java_lang_Math::max(1.0f, nan)));
    EXPECT_EQ(java_lang_Math::min(static_cast<double>(nan), 2.0), 2.0);
    EXPECT_TRUE(std::signbit(java_lang_Math::min(0.0f, -0.0f)));
    EXPECT_FALSE(std::signbit(java_lang_Math::min(-0.0f, 0.0f)));
    EXPECT_TRUE(std::signbit(java_lang_Math::abs(-0.0)));  // -0.0 >= 0 holds, so x is returned
    EXPECT_EQ(java_lang_Math::abs(-2.5f), 2.5f);
    EXPECT_EQ(java_lang_Math::abs(-2.5), 2.5);

    EXPECT_EQ(java_lang_Math::sqrt(2.0f), static_cast<float>(std::sqrt(2.0)));
    EXPECT_EQ(java_lang_Math::sin(1.0f), static_cast<float>(std::sin(1.0)));
    EXPECT_EQ(java_lang_Math::cos(1.0f), static_cast<float>(std::cos(1.0)));
    EXPECT_EQ(java_lang_Math::tan(0.5f), static_cast<float>(std::tan(0.5)));
    EXPECT_EQ(java_lang_Math::asin(0.5f), static_cast<float>(std::asin(0.5)));
    EXPECT_EQ(java_lang_Math::acos(0.5f), static_cast<float>(std::acos(0.5)));
    EXPECT_EQ(java_lang_Math::atan2(1.0f, -1.0f), static_cast<float>(std::atan2(1.0, -1.0)));
    EXPECT_EQ(java_lang_Math::sqrt(9.0), 3.0);
    EXPECT_EQ(java_lang_Math::ceil(-1.5), -1.0);
    EXPECT_EQ(java_lang_Math::floor(-1.5), -2.0);
    EXPECT_DOUBLE_EQ(java_lang_Math::toRadians(180.0), M_PI);
    EXPECT_DOUBLE_EQ(java_lang_Math::toDegrees(M_PI), static_cast<double>(static_cast<float>(M_PI) * 180.0f) / M_PI);
    EXPECT_NEAR(java_lang_Math::toDegrees(M_PI), 180.0, 1e-4);
}

TEST(FixedPoint, SquareRootSineAndArcs) {
    for (uint32_t n : {0u, 1u, 3u, 4u, 15u, 16u, 65535u, 65536u, 0xFFFFFFFFu}) {
        auto r = static_cast<uint64_t>(mrc::fixed::isqrt(n));
        EXPECT_LE(r * r, n);
        EXPECT_GT((r + 1) * (r + 1), n);
    }
    const int32_t one = mrc::fixed::kOne;
    EXPECT_EQ(mrc::fixed::sinDegrees(0), 0);
    EXPECT_EQ(mrc::fixed::sinDegrees(1 * one), 1144);
    EXPECT_EQ(mrc::fixed::sinDegrees(2 * one), 2287);
    EXPECT_EQ(mrc::fixed::sinDegrees(90 * one), 65536);
    EXPECT_EQ(mrc::fixed::sinDegrees(450 * one), 65536);
    EXPECT_EQ(mrc::fixed::sinDegrees(-90 * one), -65536);
    EXPECT_EQ(mrc::fixed::sinDegrees(one / 2), 572);  // halfway between 0 and 1144
    EXPECT_EQ(mrc::fixed::sinDegrees(359 * one + one / 2), -572);

    auto near = [](int32_t fixedValue, double expected) { return std::abs(fixedValue / 65536.0 - expected) < 2e-4; };
    for (double x : {0.0, 0.25, 0.5, 1.0, 2.0, 10.0, -0.5, -4.0})
        EXPECT_TRUE(near(mrc::fixed::atan(static_cast<int32_t>(x * one)), std::atan(x))) << "atan " << x;
    for (double x : {0.0, 0.3, 0.5, 0.9, 1.0, -0.5, -1.0}) {
        EXPECT_TRUE(near(mrc::fixed::acos(static_cast<int32_t>(x * one)), std::acos(x))) << "acos " << x;
        EXPECT_TRUE(near(mrc::fixed::asin(static_cast<int32_t>(x * one)), std::asin(x))) << "asin " << x;
    }
}

}  // namespace
