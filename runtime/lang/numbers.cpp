#include "runtime/lang/numbers.h"

#include <array>
#include <bit>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "runtime/core/application.h"
#include "runtime/lang/string.h"
#include "runtime/lang/string_buffer.h"

namespace {

// The characters' low bytes up to the first zero byte: the C string the conversions read.
std::string cText(String* s) {
    std::string text;
    if (isNull(s)) return text;
    for (int32_t i = 0, n = s->count(); i < n; ++i) {
        auto b = static_cast<char>(s->chars[i] & 0xFF);
        if (b == 0) break;
        text.push_back(b);
    }
    return text;
}

bool isCSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// strtoll's reading in base 10, saturating at [low, high].
int64_t parseDecimal(String* s, int64_t low, int64_t high) {
    std::string text = cText(s);
    std::size_t i = 0;
    while (i < text.size() && isCSpace(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    // Accumulate towards the sign's bound so that the smallest value needs no special case.
    uint64_t bound = negative ? static_cast<uint64_t>(-(low + 1)) + 1 : static_cast<uint64_t>(high);
    uint64_t value = 0;
    bool saturated = false;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        uint64_t digit = static_cast<uint64_t>(text[i] - '0');
        if (saturated || value > (bound - digit) / 10) {
            saturated = true;
            continue;
        }
        value = value * 10 + digit;
    }
    if (saturated) return negative ? low : high;
    return negative ? static_cast<int64_t>(0 - value) : static_cast<int64_t>(value);
}

void checkRadix(int32_t radix) {
    if (radix != 10) mrc::ApplicationImpl::getApplication()->reportError("base == 10");
}

double parseFloating(String* s) {
    std::string text = cText(s);
    return std::strtod(text.c_str(), nullptr);
}

String* formatted(double d) {
    char text[400];
    mrc::formatFloat(text, d);
    return mrc::newString(text);
}

}  // namespace

// ---- Integer, Long, Float, Double ---------------------------------------------------------------

int32_t java_lang_Integer::parseInt(String* s) { return static_cast<int32_t>(parseDecimal(s, INT32_MIN, INT32_MAX)); }

int32_t java_lang_Integer::parseInt(String* s, int32_t radix) {
    checkRadix(radix);
    return parseInt(s);
}

String* java_lang_Integer::toString(int32_t i) { return String::valueOfInt(i); }

String* java_lang_Integer::toHexString(int32_t i) {
    char text[12];
    std::snprintf(text, sizeof text, "%x", static_cast<uint32_t>(i));
    return mrc::newString(text);
}

String* java_lang_Integer::toBinaryString(int32_t i) {
    char text[33];
    auto u = static_cast<uint32_t>(i);
    int n = u ? 32 - std::countl_zero(u) : 1;
    for (int k = 0; k < n; ++k) text[k] = static_cast<char>('0' + (u >> (n - 1 - k) & 1));
    text[n] = 0;
    return mrc::newString(text);
}

int64_t java_lang_Long::parseLong(String* s) { return parseDecimal(s, INT64_MIN, INT64_MAX); }

int64_t java_lang_Long::parseLong(String* s, int32_t radix) {
    checkRadix(radix);
    return parseLong(s);
}

String* java_lang_Long::toString(int64_t l) { return String::valueOfLong(l); }

float java_lang_Float::parseFloat(String* s) { return static_cast<float>(parseFloating(s)); }
String* java_lang_Float::toString(float f) { return formatted(f); }

int32_t java_lang_Float::floatToIntBits(float f) {
    return std::isnan(f) ? 0x7FC00000 : std::bit_cast<int32_t>(f);
}

float java_lang_Float::intBitsToFloat(int32_t bits) { return std::bit_cast<float>(bits); }

double java_lang_Double::parseDouble(String* s) { return parseFloating(s); }
String* java_lang_Double::toString(double d) { return formatted(d); }

int64_t java_lang_Double::doubleToLongBits(double d) {
    return std::isnan(d) ? INT64_C(0x7FF8000000000000) : std::bit_cast<int64_t>(d);
}

double java_lang_Double::longBitsToDouble(int64_t bits) { return std::bit_cast<double>(bits); }

// ---- Math ---------------------------------------------------------------------------------------

int32_t java_lang_Math::abs(int32_t x) { return x < 0 ? static_cast<int32_t>(0u - static_cast<uint32_t>(x)) : x; }
int64_t java_lang_Math::abs(int64_t x) { return x < 0 ? static_cast<int64_t>(0u - static_cast<uint64_t>(x)) : x; }
float java_lang_Math::abs(float x) { return x >= 0 ? x : -x; }
double java_lang_Math::abs(double x) { return x >= 0 ? x : -x; }
int32_t java_lang_Math::max(int32_t a, int32_t b) { return a > b ? a : b; }
int32_t java_lang_Math::min(int32_t a, int32_t b) { return a < b ? a : b; }
int64_t java_lang_Math::maxLong(int64_t a, int64_t b) { return a > b ? a : b; }
int64_t java_lang_Math::minLong(int64_t a, int64_t b) { return a < b ? a : b; }
float java_lang_Math::max(float a, float b) { return a > b ? a : b; }
float java_lang_Math::min(float a, float b) { return a < b ? a : b; }
double java_lang_Math::max(double a, double b) { return a > b ? a : b; }
double java_lang_Math::min(double a, double b) { return a < b ? a : b; }
float java_lang_Math::sqrt(float x) { return static_cast<float>(std::sqrt(static_cast<double>(x))); }
double java_lang_Math::sqrt(double x) { return std::sqrt(x); }
float java_lang_Math::sin(float x) { return static_cast<float>(std::sin(static_cast<double>(x))); }
double java_lang_Math::sin(double x) { return std::sin(x); }
float java_lang_Math::cos(float x) { return static_cast<float>(std::cos(static_cast<double>(x))); }
double java_lang_Math::cos(double x) { return std::cos(x); }
float java_lang_Math::tan(float x) { return static_cast<float>(std::tan(static_cast<double>(x))); }
float java_lang_Math::asin(float x) { return static_cast<float>(std::asin(static_cast<double>(x))); }
float java_lang_Math::acos(float x) { return static_cast<float>(std::acos(static_cast<double>(x))); }

float java_lang_Math::atan2(float y, float x) {
    return static_cast<float>(std::atan2(static_cast<double>(y), static_cast<double>(x)));
}

double java_lang_Math::ceil(double x) { return std::ceil(x); }
double java_lang_Math::floor(double x) { return std::floor(x); }
double java_lang_Math::toRadians(double x) { return x * 0.017453292519943295; }

double java_lang_Math::toDegrees(double x) {
    return static_cast<double>(static_cast<float>(x) * 180.0f) * 0.3183098861837907;
}

namespace mrc {

int32_t StringToInt(String* s) { return java_lang_Integer::parseInt(s); }

// ---- fixed point ----------------------------------------------------------------------------------

namespace fixed {

namespace {

uint64_t squareRoot(uint64_t n, int bits) {
    uint64_t r = 0;
    for (int b = bits - 1; b >= 0; --b) {
        uint64_t t = r | uint64_t{1} << b;
        if (t * t <= n) r = t;
    }
    return r;
}

const std::array<int32_t, 360>& sineTable() {
    static const std::array<int32_t, 360> table = [] {
        std::array<int32_t, 360> t{};
        for (int i = 0; i < 360; ++i) t[i] = static_cast<int32_t>(std::lround(std::sin(i * M_PI / 180.0) * kOne));
        return t;
    }();
    return table;
}

// The polynomial steps of the approximations below, in 64 bits so no step overflows.
int64_t step(int64_t accumulated, int64_t x) { return accumulated * x >> 16; }

}  // namespace

int32_t isqrt(uint32_t n) { return static_cast<int32_t>(squareRoot(n, 16)); }

int32_t sinDegrees(int32_t degrees) {
    constexpr int64_t kTurn = int64_t{360} << 16;
    int64_t a = degrees % kTurn;
    if (a < 0) a += kTurn;
    int i = static_cast<int>(a >> 16);
    int64_t fraction = a & 0xFFFF;
    const auto& t = sineTable();
    int64_t from = t[i], to = t[(i + 1) % 360];
    return static_cast<int32_t>(from + ((to - from) * fraction >> 16));
}

int32_t atan(int32_t x) {
    if (x < 0) return -atan(x == INT32_MIN ? INT32_MAX : -x);
    if (x > kOne) return kHalfPi - atan(static_cast<int32_t>((int64_t{kOne} << 16) / x));
    int64_t t = step(x, x);
    int64_t p = step(1365, t) - 5579;
    p = step(p, t) + 11805;
    p = step(p, t) - 21646;
    p = step(p, t) + 65527;
    return static_cast<int32_t>(step(p, x));
}

// acos(x) ≈ sqrt(1 − x) × polynomial(x) for 0 <= x <= 1; the square root is taken of the
// fixed-point value, and negative x use acos(−x) = π − acos(x).
int32_t acos(int32_t x) {
    if (x > kOne) x = kOne;
    if (x < -kOne) x = -kOne;
    if (x < 0) return 2 * kHalfPi - acos(-x);
    auto root = static_cast<int64_t>(squareRoot(static_cast<uint64_t>(kOne - x) << 16, 17));
    int64_t p = step(-1228, x) + 4866;
    p = step(p, x) - 13901;
    p = step(p, x) + 102939;
    return static_cast<int32_t>(root * p >> 16);
}

int32_t asin(int32_t x) { return kHalfPi - acos(x); }

}  // namespace fixed

}  // namespace mrc
