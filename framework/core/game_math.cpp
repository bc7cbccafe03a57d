#include "framework/core/game_math.h"

#include <bit>

#include "framework/sprite/sprite_instance.h"
#include "runtime/core/application.h"
#include "runtime/core/arrays.h"
#include "runtime/core/jarith.h"
#include "runtime/core/object_manager.h"
#include "runtime/lang/system.h"
#include "runtime/lang/thread.h"

using mrc::jdiv;
using mrc::jmul;
using mrc::jneg;
using mrc::jshl;
using mrc::jshr;
using mrc::l2i;

GameMath::MathStatics GameMath::mathStatics;

namespace {

constexpr int32_t kOne16 = 0x10000;
constexpr int32_t kMaxSlope = 1638400;  // 100.0 with 14 fraction bits
constexpr int32_t kDeg = 16384;

int32_t clampSlope(int32_t v) { return v > kMaxSlope ? kMaxSlope : v < -kMaxSlope ? -kMaxSlope : v; }

// (a * b) >> 16 in 64 bits, kept as int.
int32_t mulShift16(int64_t a, int64_t b) { return l2i(mrc::jmul(a, b) >> 16); }

}  // namespace

int32_t GameMath::random() {
    mathStatics.randomSeed = static_cast<int32_t>(static_cast<uint32_t>(mathStatics.randomSeed) * 1664525u +
                                                  1013904223u);
    return static_cast<int32_t>(static_cast<uint32_t>(mathStatics.randomSeed) >> 16);
}

int32_t GameMath::abs(int32_t v) { return v < 1 ? jneg(v) : v; }

int32_t GameMath::distanceSquared(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    int32_t dx = x1 - x2;
    int32_t dy = y1 - y2;
    return jmul(dy, dy) + jmul(dx, dx);
}

void GameMath::collectAndWait() {
    java_lang_System::gc();
    java_lang_Thread::sleep(100);
}

int32_t GameMath::sqrtFixed(int32_t x, bool integerInput) {
    int32_t a = integerInput ? jshl(x, 16) : x;
    int32_t g = (a + kOne16) >> 1;
    int64_t wide = jshl(static_cast<int64_t>(a), 32);
    for (int step = 0; step < 8; ++step) g = l2i(((jdiv(wide, static_cast<int64_t>(g)) >> 16) + g) >> 1);
    return integerInput ? g >> 2 : g;
}

int32_t GameMath::asinFixed(int32_t x, bool integerInput) {
    int32_t a = integerInput ? jshl(x, 16) : x;
    bool negative = a < 0;
    int32_t t = negative ? jneg(a) : a;
    int32_t q = sqrtFixed(kOne16 - t, false);
    int32_t p = mulShift16(-1228, t) + 4866;
    p = mulShift16(p, t) - 13900;
    p = mulShift16(p, t) + 102939;
    int32_t r = 102943 - mulShift16(p, q);
    if (integerInput) r >>= 2;
    return negative ? jneg(r) : r;
}

int32_t GameMath::atanFixed(int32_t x) {
    int32_t v = clampSlope(x) * 4;
    int32_t root = sqrtFixed(mulShift16(v, v) + kOne16, false);
    int32_t ratio = l2i(jdiv(jshl(static_cast<int64_t>(v), 32), static_cast<int64_t>(root)) >> 16);
    return asinFixed(ratio, false) >> 2;
}

int32_t GameMath::degreesFromRatio(int32_t dx, int32_t dy) {
    if (dx == 0) return dy < 0 ? 270 * kDeg : 90 * kDeg;
    int32_t r = clampSlope(jdiv(jshl(dy, 14), dx));
    int32_t t = jmul(atanFixed(r), 57);
    if (t < 0) return t + (dx >= 0 ? 360 * kDeg : 180 * kDeg);
    return dx >= 0 && dy >= 0 ? t : t + 180 * kDeg;
}

int32_t GameMath::sin(int32_t degrees) {
    int32_t r = mrc::jrem(degrees, 360);
    if (r < 0) r += 360;
    return JArray::getShort(mathStatics.angleTable, r <= 180 ? r : 360 - r);
}

int32_t GameMath::addScaledSin(int32_t base, int32_t r, int32_t degrees) {
    return base + (jmul(sin(degrees), r) >> 8);
}

int32_t GameMath::addScaledCos(int32_t base, int32_t r, int32_t degrees) {
    return base + (jmul(cos(degrees), r) >> 8);
}

int32_t GameMath::lerpDelta(int32_t t, int32_t duration, int32_t from, int32_t to) {
    return jdiv(jmul(to - from, t), duration);
}

int32_t GameMath::lerp(int32_t duration, int32_t t, int32_t from, int32_t delta) {
    return from + jdiv(jmul(t, delta), duration);
}

int32_t GameMath::parabola(int32_t duration, int32_t height, int32_t t) {
    return jdiv(jshl(jmul(jmul(duration - t, height), t), 2), jmul(duration, duration));
}

int32_t GameMath::readShortLE(ByteArray* b, int32_t off) {
    return (JArray::getByte(b, off) & 0xFF) | jshl(JArray::getByte(b, off + 1), 8);
}

int32_t GameMath::readIntLE(ByteArray* b, int32_t off) {
    return (JArray::getByte(b, off) & 0xFF) | (JArray::getByte(b, off + 1) & 0xFF) << 8 |
           (JArray::getByte(b, off + 2) & 0xFF) << 16 | jshl(JArray::getByte(b, off + 3), 24);
}

int32_t GameMath::writeShortLE(ByteArray* b, int32_t off, int32_t v) {
    JArray::setByte(b, off, v);
    JArray::setByte(b, off + 1, v >> 8);
    return off + 2;
}

int32_t GameMath::getWordByte(int32_t w, int32_t n) { return jshr(w & jshl(0xFF, 8 * n), 8 * n); }

int32_t GameMath::setPackedByte(int32_t w, int32_t v, int32_t n) {
    int32_t byte = v < 0 ? 0 : v > 255 ? 255 : v;
    return (w & ~jshl(0xFF, 8 * n)) | jshl(byte, 8 * n);
}

int32_t GameMath::extractBits(int32_t w, int32_t mask) {
    if (mask == 0) return 0;
    return (w & mask) >> std::countr_zero(static_cast<uint32_t>(mask));
}

bool GameMath::rectsOverlap(int32_t x1, int32_t y1, int32_t w1, int32_t h1, int32_t x2, int32_t y2, int32_t w2,
                            int32_t h2) {
    if (y2 + h2 < y1 || y1 + h1 < y2 || x2 + w2 < x1) return false;
    return x1 + w1 >= x2;
}

bool GameMath::rectInside(int32_t x1, int32_t y1, int32_t w1, int32_t h1, int32_t x2, int32_t y2, int32_t w2,
                          int32_t h2) {
    return y1 >= y2 && y1 + h1 <= y2 + h2 && x1 >= x2 && x1 + w1 <= x2 + w2;
}

bool GameMath::boxesOverlap(int32_t ax1, int32_t ay1, int32_t ax2, int32_t ay2, int32_t bx1, int32_t by1,
                            int32_t bx2, int32_t by2) {
    if (by2 < ay1 || ay2 < by1) return false;
    return bx2 >= ax1 && ax2 >= bx1;
}

bool GameMath::pointInBox(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t px, int32_t py) {
    return y1 <= py && py < y2 && x1 <= px && px < x2;
}

bool GameMath::isRectOnScreen(int32_t x, int32_t y, int32_t w, int32_t h) {
    return rectsOverlap(mathStatics.cameraX >> 14, mathStatics.cameraY >> 14, kScreenWidth, kScreenHeight, x, y, w,
                        h);
}

bool GameMath::isRectNearScreen(int32_t x, int32_t y, int32_t w, int32_t h) {
    return rectsOverlap((mathStatics.cameraX >> 14) - kScreenWidth / 2, (mathStatics.cameraY >> 14) - kScreenHeight / 2,
                        kScreenWidth * 2, kScreenHeight * 2, x, y, w, h);
}

IntArray* GameMath::getRectEdgeSegment(int32_t x, int32_t y, int32_t w, int32_t h, int32_t mode) {
    if (isNull(mathStatics.edgeSegment))
        mathStatics.edgeSegment = mrc::ApplicationImpl::getApplication()->objectManager->newIntArray(4);
    IntArray* seg = mathStatics.edgeSegment;
    if (isNull(seg) || seg->length < 4 || !seg->data) return seg;
    int32_t* s = seg->elements();
    if (mode == 1) {
        s[0] = x, s[1] = y + h, s[2] = x + w, s[3] = y + h;
    } else if (mode == 2) {
        s[0] = x, s[1] = y, s[2] = x + w, s[3] = y;
    } else {
        s[0] = s[2] = x + (w >> 1);
        s[1] = s[3] = y + h;
    }
    return seg;
}

void GameMath::setInstancePosition(ASpriteInstance* instance, int32_t x, int32_t y) {
    if (isNull(instance)) return;
    instance->x = jshl(x, 14);
    instance->y = jshl(y, 14);
}

int32_t GameMath::oppositeDirection(int32_t code) {
    switch (code) {
        case kDirUp: return kDirDown;
        case kDirDown: return kDirUp;
        case kDirLeft: return kDirRight;
        case kDirRight: return kDirLeft;
        default: return 0;
    }
}

int32_t GameMath::directionCodeToIndex(int32_t code) {
    switch (code) {
        case kDirDown: return 1;
        case kDirLeft: return 2;
        case kDirRight: return 3;
        default: return 0;
    }
}
