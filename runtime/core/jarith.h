// Java arithmetic for translated code: the JVM's results, never C++'s undefined or trapping ones.
// Integer operations go through unsigned types so they wrap even in constant evaluation; a division
// by zero is handed to a hook and yields 0; the default hook traces "ArithmeticException: / by zero"
// and raises `java_lang_ArithmeticException` ("/ by zero") as the calling thread's pending exception.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>
#include <type_traits>

namespace mrc {

using ArithmeticHook = void (*)();

// Called on an integer division or remainder by zero. Null restores the default, which traces
// and raises the exception (only traces while no runtime is started). Safe to call while other
// threads divide.
void setArithmeticExceptionHook(ArithmeticHook hook);

// Runs the current hook; the out-of-line slow path of jdiv and jrem.
[[gnu::cold]] void raiseDivisionByZero();

namespace detail {

template <typename T>
using Unsigned = std::make_unsigned_t<T>;

template <typename T>
constexpr T add(T a, T b) { return static_cast<T>(static_cast<Unsigned<T>>(a) + static_cast<Unsigned<T>>(b)); }
template <typename T>
constexpr T sub(T a, T b) { return static_cast<T>(static_cast<Unsigned<T>>(a) - static_cast<Unsigned<T>>(b)); }
template <typename T>
constexpr T mul(T a, T b) { return static_cast<T>(static_cast<Unsigned<T>>(a) * static_cast<Unsigned<T>>(b)); }
template <typename T>
constexpr T neg(T a) { return static_cast<T>(Unsigned<T>{0} - static_cast<Unsigned<T>>(a)); }

template <typename T>
constexpr T div(T a, T b) {
    if (b == 0) [[unlikely]] {
        raiseDivisionByZero();
        return 0;
    }
    if (b == -1) return neg(a);  // MIN / -1 would trap on x86
    return a / b;
}
template <typename T>
constexpr T rem(T a, T b) {
    if (b == 0) [[unlikely]] {
        raiseDivisionByZero();
        return 0;
    }
    if (b == -1) return 0;
    return a % b;
}

// Shift counts use their low 5 (int) or 6 (long) bits, as the JVM does.
template <typename T>
constexpr int32_t shiftMask = sizeof(T) * 8 - 1;
template <typename T>
constexpr T shl(T a, int32_t n) { return static_cast<T>(static_cast<Unsigned<T>>(a) << (n & shiftMask<T>)); }
template <typename T>
constexpr T shr(T a, int32_t n) { return a >> (n & shiftMask<T>); }
template <typename T>
constexpr T ushr(T a, int32_t n) { return static_cast<T>(static_cast<Unsigned<T>>(a) >> (n & shiftMask<T>)); }

}  // namespace detail

// Overloads rather than templates: byte, short and char operands must promote to int, as in Java,
// instead of instantiating narrower arithmetic. Shift counts are int for both widths.
#define MRC_JAVA_INTEGER_OPS(T)                                                    \
    constexpr T jadd(T a, T b) { return detail::add(a, b); }                       \
    constexpr T jsub(T a, T b) { return detail::sub(a, b); }                       \
    constexpr T jmul(T a, T b) { return detail::mul(a, b); }                       \
    constexpr T jneg(T a) { return detail::neg(a); }                               \
    constexpr T jdiv(T a, T b) { return detail::div(a, b); }                       \
    constexpr T jrem(T a, T b) { return detail::rem(a, b); }                       \
    constexpr T jshl(T a, int32_t n) { return detail::shl(a, n); }                 \
    constexpr T jshr(T a, int32_t n) { return detail::shr(a, n); }                 \
    constexpr T jushr(T a, int32_t n) { return detail::ushr(a, n); }
MRC_JAVA_INTEGER_OPS(int32_t)
MRC_JAVA_INTEGER_OPS(int64_t)
#undef MRC_JAVA_INTEGER_OPS

constexpr int32_t jlcmp(int64_t a, int64_t b) { return (a > b) - (a < b); }

// --- conversions --------------------------------------------------------------------------

namespace detail {
// Truncates toward zero, saturating at the target's range; NaN gives 0. The bounds are powers of
// two, exact in every floating type, so the comparisons never round.
template <typename I, typename F>
constexpr I saturate(F v) {
    constexpr F upper = -static_cast<F>(std::numeric_limits<I>::min());  // 2^31 or 2^63
    if (v != v) return 0;
    if (v >= upper) return std::numeric_limits<I>::max();
    if (v <= -upper) return std::numeric_limits<I>::min();
    return static_cast<I>(v);
}
}  // namespace detail

constexpr int32_t f2i(float v) { return detail::saturate<int32_t>(v); }
constexpr int64_t f2l(float v) { return detail::saturate<int64_t>(v); }
constexpr int32_t d2i(double v) { return detail::saturate<int32_t>(v); }
constexpr int64_t d2l(double v) { return detail::saturate<int64_t>(v); }

constexpr int32_t l2i(int64_t v) { return static_cast<int32_t>(static_cast<uint64_t>(v)); }
constexpr int8_t i2b(int32_t v) { return static_cast<int8_t>(static_cast<uint32_t>(v)); }
constexpr int16_t i2s(int32_t v) { return static_cast<int16_t>(static_cast<uint32_t>(v)); }
constexpr char16_t i2c(int32_t v) { return static_cast<char16_t>(static_cast<uint32_t>(v)); }

// --- float and double ---------------------------------------------------------------------

// Java's % on floating values truncates like C's fmod (never IEEE remainder): sign of the
// dividend, NaN for x % 0 or an infinite dividend, x itself for a finite x % infinity.
inline float frem(float a, float b) { return std::fmod(a, b); }
inline double drem(double a, double b) { return std::fmod(a, b); }

// The comparison bytecodes: -0.0 equals 0.0; a NaN operand gives -1 (the "l" forms) or 1 ("g").
constexpr int32_t jfcmpl(float a, float b) { return a > b ? 1 : a == b ? 0 : -1; }
constexpr int32_t jfcmpg(float a, float b) { return a < b ? -1 : a == b ? 0 : 1; }
constexpr int32_t jdcmpl(double a, double b) { return a > b ? 1 : a == b ? 0 : -1; }
constexpr int32_t jdcmpg(double a, double b) { return a < b ? -1 : a == b ? 0 : 1; }

}  // namespace mrc
