// The number helpers of `Game` that all game code uses: the random generator, fixed-point square
// root, arcsine and arctangent, the angle table look-ups, small integer and byte operations,
// little-endian readers, rectangle tests and the direction codes. GameBase derives from this
// class, so these keep their names on Game (`Game::sqrtFixed`).
//
// World coordinates carry 14 fraction bits; the square root and the inverse trigonometry work
// in 16.16 inside. Integer arithmetic wraps at 32 bits and divides as Java does: a division by
// zero leaves java_lang_ArithmeticException pending and gives 0. Game thread only.
#pragma once

#include <cstdint>

#include "runtime/core/object.h"

class ASpriteInstance;
class ByteArray;
class IntArray;
class ShortArray;

class GameMath {
public:
    static constexpr int32_t kDirUp = 258;
    static constexpr int32_t kDirDown = 16388;
    static constexpr int32_t kDirLeft = 1032;
    static constexpr int32_t kDirRight = 4112;
    static constexpr int32_t kScreenWidth = 800;
    static constexpr int32_t kScreenHeight = 480;

    struct MathStatics {
        int32_t randomSeed;
        ShortArray* angleTable;  // one value per whole degree 0..180, from the data
        IntArray* edgeSegment;   // getRectEdgeSegment's result, shared by every call
        int32_t cameraX;         // the camera's map position, 14 fraction bits (the world sets it)
        int32_t cameraY;
        MRC_REF_FIELDS(&MathStatics::angleTable, &MathStatics::edgeSegment);
    };
    static MathStatics mathStatics;

    // ---- random and integers ----

    // The next of a linear congruential sequence: 0..65535.
    static int32_t random();
    // Negated when below 1.
    static int32_t abs(int32_t v);
    static int32_t max(int32_t a, int32_t b) { return a > b ? a : b; }
    static int32_t min(int32_t a, int32_t b) { return a < b ? a : b; }
    static int32_t distanceSquared(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
    // A collection, then 100 ms of sleep; between heavy loading steps.
    static void collectAndWait();

    // ---- fixed point ----

    // Eight Newton steps from (a + 1.0) / 2, no early exit: a whole number in gives 14 fraction
    // bits out; 16.16 in gives 16.16 out. Negative input is outside its domain.
    static int32_t sqrtFixed(int32_t x, bool integerInput);
    // Radians, by the four-term polynomial of Abramowitz and Stegun 4.4.45.
    static int32_t asinFixed(int32_t x, bool integerInput);
    // x and the result in radians with 14 fraction bits; x clamped to +-100.
    static int32_t atanFixed(int32_t x);
    // The direction of (dx, dy) in degrees with 14 fraction bits, in [0, 360).
    static int32_t degreesFromRatio(int32_t dx, int32_t dy);

    // ---- the angle table (whole degrees, any sign; symmetric about 180) ----

    static int32_t sin(int32_t degrees);
    static int32_t cos(int32_t degrees) { return sin(static_cast<int32_t>(90u - static_cast<uint32_t>(degrees))); }
    static int32_t addScaledSin(int32_t base, int32_t r, int32_t degrees);
    static int32_t addScaledCos(int32_t base, int32_t r, int32_t degrees);

    // ---- interpolation (truncating divisions) ----

    static int32_t lerpDelta(int32_t t, int32_t duration, int32_t from, int32_t to);
    static int32_t lerp(int32_t duration, int32_t t, int32_t from, int32_t delta);
    // 0 at both ends, height in the middle.
    static int32_t parabola(int32_t duration, int32_t height, int32_t t);

    // ---- bytes and bits ----

    static int32_t readShortLE(ByteArray* b, int32_t off);
    static int32_t readIntLE(ByteArray* b, int32_t off);
    // Returns off + 2.
    static int32_t writeShortLE(ByteArray* b, int32_t off, int32_t v);
    // Byte n, the top one sign-extended.
    static int32_t getWordByte(int32_t w, int32_t n);
    // Byte n replaced by v clamped to 0..255.
    static int32_t setPackedByte(int32_t w, int32_t v, int32_t n);
    // The masked bits shifted down to the mask's lowest set bit; 0 for a zero mask.
    static int32_t extractBits(int32_t w, int32_t mask);

    // ---- rectangles (touching edges overlap) ----

    static bool rectsOverlap(int32_t x1, int32_t y1, int32_t w1, int32_t h1, int32_t x2, int32_t y2, int32_t w2,
                             int32_t h2);
    // Rectangle 1 lies within rectangle 2.
    static bool rectInside(int32_t x1, int32_t y1, int32_t w1, int32_t h1, int32_t x2, int32_t y2, int32_t w2,
                           int32_t h2);
    // Corner form.
    static bool boxesOverlap(int32_t ax1, int32_t ay1, int32_t ax2, int32_t ay2, int32_t bx1, int32_t by1,
                             int32_t bx2, int32_t by2);
    // Half-open: x1 <= px < x2, y1 <= py < y2.
    static bool pointInBox(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t px, int32_t py);
    // Against the 800 x 480 view at the camera position.
    static bool isRectOnScreen(int32_t x, int32_t y, int32_t w, int32_t h);
    // Against the view grown by half a screen on every side.
    static bool isRectNearScreen(int32_t x, int32_t y, int32_t w, int32_t h);
    // {x1, y1, x2, y2} in the shared edgeSegment: mode 1 the bottom edge, 2 the top edge, any
    // other the middle of the bottom edge.
    static IntArray* getRectEdgeSegment(int32_t x, int32_t y, int32_t w, int32_t h, int32_t mode);
    // Whole pixels; nothing for a null instance.
    static void setInstancePosition(ASpriteInstance* instance, int32_t x, int32_t y);

    // ---- direction codes ----

    // 0 for a value that is not a direction.
    static int32_t oppositeDirection(int32_t code);
    // Down 1, left 2, right 3, anything else 0.
    static int32_t directionCodeToIndex(int32_t code);
};
