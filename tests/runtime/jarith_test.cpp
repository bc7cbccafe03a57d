#include "runtime/core/jarith.h"

#include <gtest/gtest.h>

#include <bit>
#include <cinttypes>
#include <cstdio>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "host/core/log.h"
#include "runtime/lang/string.h"
#include "runtime/lang/throwable.h"
#include "tests/runtime/runtime_fixture.h"
#include "tests/support/java_oracle.h"

namespace {

constexpr int32_t kIntMin = std::numeric_limits<int32_t>::min();
constexpr int32_t kIntMax = std::numeric_limits<int32_t>::max();
constexpr int64_t kLongMin = std::numeric_limits<int64_t>::min();
constexpr int64_t kLongMax = std::numeric_limits<int64_t>::max();

// Translated code may fold these at compile time.
static_assert(mrc::jadd(kIntMax, 1) == kIntMin);
static_assert(mrc::jdiv(kIntMin, -1) == kIntMin && mrc::jrem(kIntMin, -1) == 0);
static_assert(mrc::jdiv(kLongMin, int64_t{-1}) == kLongMin);
static_assert(mrc::jshl(1, 33) == 2 && mrc::jushr(-1, 28) == 15 && mrc::jushr(int64_t{-1}, 60) == 15);
static_assert(mrc::f2i(std::numeric_limits<float>::quiet_NaN()) == 0 && mrc::d2l(1e300) == kLongMax);
static_assert(mrc::i2c(-1) == u'\xFFFF' && mrc::i2b(0x180) == -128);
// byte, short and char operands promote to int as in Java.
static_assert(mrc::jadd(int8_t{127}, int8_t{1}) == 128 && mrc::jmul(u'\xFFFF', char16_t{2}) == 0x1FFFE);

int g_hookCalls = 0;
void countingHook() { ++g_hookCalls; }

// Installs a counting hook for the test's lifetime, then brings the default back.
struct CountingHook {
    CountingHook() {
        g_hookCalls = 0;
        mrc::setArithmeticExceptionHook(&countingHook);
    }
    ~CountingHook() { mrc::setArithmeticExceptionHook(nullptr); }
};

std::string dec(int64_t v) { return std::to_string(v); }
std::string hex(uint64_t v) {
    char buf[24];
    std::snprintf(buf, sizeof buf, "%" PRIx64, v);
    return buf;
}
std::string bits(float v) { return v != v ? "NaN" : hex(std::bit_cast<uint32_t>(v)); }
std::string bits(double v) { return v != v ? "NaN" : hex(std::bit_cast<uint64_t>(v)); }

// Our answer in the oracle's words: a division by zero must reach the hook and yield 0.
template <typename T>
std::string guarded(T (*fn)(T, T), T a, T b) {
    int before = g_hookCalls;
    T r = fn(a, b);
    if (g_hookCalls == before + 1 && r == 0) return "ArithmeticException";
    if (g_hookCalls != before) return "hook called with result " + dec(r);
    return dec(r);
}

const std::vector<int32_t> kInts = {
    0, 1, -1, 2, -2, 3, -7, 31, 32, 33, 63, 64, 65, 127, 128, -128, -129, 255, 32767, 32768,
    -32768, -32769, 65535, 65536, 0x12345678, -0x12345678, 0x1234ABCD, kIntMax, kIntMax - 1,
    kIntMin, kIntMin + 1};

const std::vector<int64_t> kLongs = {
    0, 1, -1, 2, -3, 7, 63, 64, kIntMax, kIntMin, int64_t{1} << 32, -(int64_t{1} << 32),
    0xFFFFFFFFLL, 0x123456789ABCDEF0LL, -0x123456789ABCDEF0LL, kLongMax, kLongMax - 1, kLongMin,
    kLongMin + 1};

const std::vector<float> kFloats = {
    std::numeric_limits<float>::quiet_NaN(), std::bit_cast<float>(0xFFC00001u),
    std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity(), 0.0f, -0.0f,
    0.5f, -0.5f, 1.0f, -1.5f, 2.5f, 3.0f, -7.0f, 123456.79f, 2147483648.0f, -2147483648.0f,
    2147483520.0f, -2147483904.0f, 9223372036854775808.0f, -9223372036854775808.0f,
    9223371487098961920.0f, 1e20f, -1e20f, std::numeric_limits<float>::max(),
    std::numeric_limits<float>::denorm_min(), 1e-30f};

const std::vector<double> kDoubles = {
    std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
    -std::numeric_limits<double>::infinity(), 0.0, -0.0, 0.5, -0.5, 0.1, -1.5, 3.0, -7.0,
    2147483647.0, 2147483647.9, 2147483648.0, -2147483648.0, -2147483648.9, -2147483649.0,
    9223372036854774784.0, 9223372036854775808.0, -9223372036854775808.0, -9223372036854777856.0,
    1e20, -1e20, 1e300, std::numeric_limits<double>::max(), std::numeric_limits<double>::denorm_min(),
    1e-300};

using Case = test_support::OracleCase;

// Conversions of each value, then remainder and both comparisons over every pair.
template <typename F, typename Bits>
void addFloatingCases(std::vector<Case>& cases, const std::string& p, const std::vector<F>& values,
                      int32_t (*toInt)(F), int64_t (*toLong)(F), F (*rem)(F, F), int32_t (*cmpl)(F, F),
                      int32_t (*cmpg)(F, F)) {
    for (F a : values) {
        std::string ha = hex(std::bit_cast<Bits>(a));
        cases.push_back({p + "2i " + ha, dec(toInt(a))});
        cases.push_back({p + "2l " + ha, dec(toLong(a))});
        for (F b : values) {
            std::string args = ha + " " + hex(std::bit_cast<Bits>(b));
            cases.push_back({p + "rem " + args, bits(rem(a, b))});
            cases.push_back({p + "cmpl " + args, dec(cmpl(a, b))});
            cases.push_back({p + "cmpg " + args, dec(cmpg(a, b))});
        }
    }
}

#define INT_OP(name, fn) {name, [](int32_t a, int32_t b) { return mrc::fn(a, b); }}
#define LONG_OP(name, fn) {name, [](int64_t a, int64_t b) { return mrc::fn(a, b); }}
#define SHIFT_OP(name, fn) {name, [](int64_t a, int32_t n) { return mrc::fn(a, n); }}

std::vector<Case> buildCases() {
    std::vector<Case> cases;
    auto add = [&](std::string line, std::string ours) { cases.push_back({std::move(line), std::move(ours)}); };

    const std::pair<const char*, int32_t (*)(int32_t, int32_t)> intOps[] = {
        INT_OP("iadd", jadd), INT_OP("isub", jsub), INT_OP("imul", jmul), INT_OP("idiv", jdiv),
        INT_OP("irem", jrem), INT_OP("ishl", jshl), INT_OP("ishr", jshr), INT_OP("iushr", jushr)};
    for (auto& [name, fn] : intOps)
        for (int32_t a : kInts)
            for (int32_t b : kInts) add(std::string(name) + " " + dec(a) + " " + dec(b), guarded(fn, a, b));
    for (int32_t a : kInts) {
        add("ineg " + dec(a), dec(mrc::jneg(a)));
        add("i2b " + dec(a), dec(mrc::i2b(a)));
        add("i2s " + dec(a), dec(mrc::i2s(a)));
        add("i2c " + dec(a), dec(mrc::i2c(a)));
    }

    const std::pair<const char*, int64_t (*)(int64_t, int64_t)> longOps[] = {
        LONG_OP("ladd", jadd), LONG_OP("lsub", jsub), LONG_OP("lmul", jmul), LONG_OP("ldiv", jdiv),
        LONG_OP("lrem", jrem)};
    const std::pair<const char*, int64_t (*)(int64_t, int32_t)> longShifts[] = {
        SHIFT_OP("lshl", jshl), SHIFT_OP("lshr", jshr), SHIFT_OP("lushr", jushr)};
    for (int64_t a : kLongs) {
        for (auto& [name, fn] : longOps)
            for (int64_t b : kLongs) add(std::string(name) + " " + dec(a) + " " + dec(b), guarded(fn, a, b));
        for (int64_t b : kLongs) add("lcmp " + dec(a) + " " + dec(b), dec(mrc::jlcmp(a, b)));
        for (auto& [name, fn] : longShifts)
            for (int32_t n : kInts) add(std::string(name) + " " + dec(a) + " " + dec(n), dec(fn(a, n)));
        add("lneg " + dec(a), dec(mrc::jneg(a)));
        add("l2i " + dec(a), dec(mrc::l2i(a)));
    }
    // The narrowing conversions see the long table as ints too, for wider bit patterns.
    for (int64_t a : kLongs) add("i2s " + dec(mrc::l2i(a)), dec(mrc::i2s(mrc::l2i(a))));

    addFloatingCases<float, uint32_t>(cases, "f", kFloats, mrc::f2i, mrc::f2l, mrc::frem, mrc::jfcmpl, mrc::jfcmpg);
    addFloatingCases<double, uint64_t>(cases, "d", kDoubles, mrc::d2i, mrc::d2l, mrc::drem, mrc::jdcmpl, mrc::jdcmpg);
    return cases;
}

TEST(JavaArithmetic, MatchesTheJdkOverEdgeOperands) {
    CountingHook hook;
    std::vector<Case> cases = buildCases();
    JAVA_ORACLE_RUN(run, test_support::testSource("runtime/oracle/ArithOracle.java"), test_support::oracleInput(cases));
    EXPECT_EQ(test_support::oracleMismatches(cases, run.lines()), "") << run.err;
}

// Without a started runtime there is nothing to raise into: the trace alone.
TEST(JavaArithmetic, DivisionByZeroLogsThroughTheDefaultHookAndYieldsZero) {
    host::LogCapture capture;
    const std::vector<std::function<int64_t()>> ops = {
        [] { return mrc::jdiv(7, 0); }, [] { return mrc::jrem(kIntMin, 0); },
        [] { return mrc::jdiv(kLongMax, int64_t{0}); }, [] { return mrc::jrem(int64_t{-1}, int64_t{0}); }};
    for (auto& op : ops) EXPECT_EQ(op(), 0);
    EXPECT_EQ(capture.lines(), std::vector<std::string>(4, "ArithmeticException: / by zero"));
}

TEST(JavaArithmetic, InstalledHookReplacesTheLogUntilReset) {
    host::LogCapture capture;
    {
        CountingHook hook;
        EXPECT_EQ(mrc::jdiv(1, 0), 0);
        EXPECT_EQ(mrc::jrem(int64_t{1}, int64_t{0}), 0);
        EXPECT_EQ(mrc::jdiv(1, 1), 1);  // a divisor other than 0 never reaches the hook
        EXPECT_EQ(g_hookCalls, 2);
        EXPECT_TRUE(capture.lines().empty());
    }
    EXPECT_EQ(mrc::jdiv(1, 0), 0);
    EXPECT_EQ(capture.lines().size(), 1u);
}

// Translated code gets what the JVM gives: the division yields 0 and a
// java_lang_ArithmeticException ("/ by zero") is pending, which a handler of RuntimeException
// catches.
class ArithmeticInRuntime : public mrc::test::RuntimeTest {};

TEST_F(ArithmeticInRuntime, DivisionByZeroRaisesArithmeticExceptionForTheHandlers) {
    host::LogCapture capture;
    const std::vector<std::function<int64_t()>> ops = {
        [] { return mrc::jdiv(7, 0); }, [] { return mrc::jrem(kIntMin, 0); },
        [] { return mrc::jdiv(kLongMax, int64_t{0}); }, [] { return mrc::jrem(int64_t{-1}, int64_t{0}); }};
    for (auto& op : ops) {
        EXPECT_EQ(op(), 0);
        ASSERT_TRUE(app()->isExceptionPending(3));
        Object* pending = app()->getPendingException();
        EXPECT_EQ(pending->m_classId, mrc::kClass_java_lang_ArithmeticException);
        String* message = static_cast<java_lang_Throwable*>(pending)->getMessage();
        std::string text;
        for (int32_t i = 0; message && i < message->count(); ++i) text.push_back(static_cast<char>(message->chars[i]));
        EXPECT_EQ(text, "/ by zero");
        const mrc::ExceptionHandler handlers[] = {{mrc::kClass_java_lang_RuntimeException, 0, 10}, {0, 0, 0}};
        EXPECT_EQ(app()->findExceptionHandler(handlers), 0);
        EXPECT_EQ(app()->getPendingException(), nullptr);
    }
    EXPECT_EQ(mrc::jdiv(7, 2), 3);
    EXPECT_EQ(app()->getPendingException(), nullptr);
}

}  // namespace
