// Number and math natives: parsing and formatting of the wrapper classes, and java.lang.Math.
//
// Parsing never raises an exception: the text is read as the C library's decimal conversion reads
// its characters' low bytes (leading white space, an optional sign, digits up to the first other
// character, 0 without digits; values beyond the type's range saturate). A radix other than 10
// is reported ("base == 10") and the text is still read in base 10.
// The wrapper classes here carry their value field; their object methods come with java.lang.
#pragma once

#include <cstdint>

#include "runtime/core/object.h"
#include "runtime/lang/construct.h"

class String;

class java_lang_Integer : public Object {
public:
    MRC_CLASS(java_lang_Integer, Object);

    static int32_t parseInt(String* s);
    static int32_t parseInt(String* s, int32_t radix);
    static String* toString(int32_t i);        // "%d"
    static String* toHexString(int32_t i);     // "%x": lower case, unsigned, no leading zeros
    static String* toBinaryString(int32_t i);  // unsigned, no leading zeros, "0" for 0

    // The object side (integer.cpp).
    void init(int32_t i) { value = i; }
    bool equals(Object* other) override;  // an Integer with the same value
    String* toString() override;          // the decimal text
    int32_t hashCode() override { return value; }
    virtual int64_t longValue();  // slot 6: sign-extended
    int32_t intValue() const { return value; }
    int8_t byteValue() const { return static_cast<int8_t>(value); }
    int16_t shortValue() const { return static_cast<int16_t>(value); }

    int32_t value;
};

class java_lang_Long : public Object {
public:
    MRC_CLASS(java_lang_Long, Object);

    static int64_t parseLong(String* s);
    static int64_t parseLong(String* s, int32_t radix);
    static String* toString(int64_t l);

    // The object side (integer.cpp).
    void init(int64_t l) { value = l; }
    bool equals(Object* other) override;  // a Long with the same value
    // Equal values hash alike, as Java defines it, so a Long finds its equal in a Hashtable.
    int32_t hashCode() override { return static_cast<int32_t>(value ^ static_cast<int64_t>(static_cast<uint64_t>(value) >> 32)); }
    String* toString() override;          // the decimal text
    int64_t longValue() const { return value; }

    int64_t value;
};

class java_lang_Float : public Object {
public:
    MRC_CLASS(java_lang_Float, Object);

    static float parseFloat(String* s);  // the C library's conversion; 0 without digits
    static String* toString(float f);    // "%f"
    static int32_t floatToIntBits(float f);  // one NaN pattern for every NaN
    static float intBitsToFloat(int32_t bits);

    int32_t intValue() const;  // toward zero (integer.cpp)

    float value;
};

// Double has no class id of its own: only its natives exist.
class java_lang_Double {
public:
    static double parseDouble(String* s);
    static String* toString(double d);  // "%f"
    static int64_t doubleToLongBits(double d);
    static double longBitsToDouble(int64_t bits);
};

// Float functions are computed in double precision and narrowed. max(a, b) is a when a > b and
// min(a, b) is a when a < b, else b, so a NaN in a yields b; abs(x) is x when x >= 0, else -x.
class java_lang_Math {
public:
    static int32_t abs(int32_t x);  // the smallest int stays negative
    static int64_t abs(int64_t x);
    static float abs(float x);
    static double abs(double x);
    static int32_t max(int32_t a, int32_t b);
    static int32_t min(int32_t a, int32_t b);
    static int64_t maxLong(int64_t a, int64_t b);
    static int64_t minLong(int64_t a, int64_t b);
    static float max(float a, float b);
    static float min(float a, float b);
    static double max(double a, double b);
    static double min(double a, double b);
    static float sqrt(float x);
    static double sqrt(double x);
    static float sin(float x);
    static double sin(double x);
    static float cos(float x);
    static double cos(double x);
    static float tan(float x);
    static float asin(float x);
    static float acos(float x);
    static float atan2(float y, float x);
    static double ceil(double x);
    static double floor(double x);
    static double toRadians(double x);  // x × 0.017453292519943295
    static double toDegrees(double x);  // (x × 180 in float) × 0.3183098861837907
};

namespace mrc {

// new Integer(i) and new Long(l); null when the object heap is exhausted.
inline java_lang_Integer* newInteger(int32_t i) { return newConstructed<java_lang_Integer>(i); }
inline java_lang_Long* newLong(int64_t l) { return newConstructed<java_lang_Long>(l); }

// Integer.parseInt of a whole String; the connection natives read URL ports with it.
int32_t StringToInt(String* s);

// Fixed-point helpers, 16 fraction bits.
namespace fixed {
inline constexpr int32_t kOne = 1 << 16;
inline constexpr int32_t kHalfPi = 102943;
// The largest r with r × r <= n, bit by bit over 16 result bits.
int32_t isqrt(uint32_t n);
// Sine of an angle in degrees: reduced modulo 360, interpolated linearly in a table of sin(i°).
int32_t sinDegrees(int32_t degrees);
int32_t atan(int32_t x);
int32_t acos(int32_t x);
int32_t asin(int32_t x);
}  // namespace fixed

}  // namespace mrc
