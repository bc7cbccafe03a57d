// Pixel effects of the sprite painter: scaling, uniform alpha, grey with mirroring, and the
// additive and multiplicative blends with the off-screen picture. Results go to the one effect
// buffer; an effect whose input is that buffer itself keeps its input intact (pairs of mirrored
// pixels are swapped, a source that the screen read would overwrite is copied aside first).
#include <algorithm>
#include <cstring>
#include <vector>

#include "framework/core/game_base.h"
#include "framework/core/game_hooks.h"
#include "framework/sprite/checked.h"
#include "framework/sprite/sprite.h"
#include "host/core/log.h"
#include "platform/lcdui/graphics.h"
#include "platform/lcdui/image.h"
#include "runtime/core/application.h"
#include "runtime/lang/throwable.h"

using mrc::sprite::Checked;

namespace {

void report(const char* tag) { mrc::ApplicationImpl::getApplication()->reportError(tag); }

constexpr int32_t kEffectBlendAdd = 0x0010;
constexpr int32_t kEffectBlendMultiply = 0x0020;
constexpr int32_t kEffectBlendLevel = 0x0100;

// paintEffectParams[row][column], checked.
int32_t effectParam(int32_t row, int32_t column) {
    Checked c;
    auto* values = static_cast<IntArray*>(c.ref(GameBase::statics.paintEffectParams, row));
    return c.ok ? c.i(values, column) : 0;
}

// A copy of the pixels that an effect reads while it writes the buffer holding them. Game thread
// only; grows to the largest module once.
const int32_t* setAside(const int32_t* pixels, int64_t count) {
    thread_local std::vector<int32_t> aside;
    aside.assign(pixels, pixels + count);
    return aside.data();
}

// Pixel counts an effect may touch: w × h, which must fit the source (else the access fails as
// in the translated code) and the effect buffer (else the result cannot be held; traced).
bool effectFits(const char* name, IntArray* src, int64_t n, IntArray* out) {
    if (isNull(src)) {
        report("NullPointer");
        return false;
    }
    if (n > src->length) {
        mrc::raise(mrc::kClass_java_lang_ArrayIndexOutOfBoundsException);
        return false;
    }
    if (n > out->length) {
        mrc_log("Game::%s: %lld pixels do not fit the effect buffer of %d", name, static_cast<long long>(n),
                out->length);
        return false;
    }
    return true;
}

uint32_t greyOf(uint32_t p) {
    if ((p & 0xFFFFFF) == 0xFF00FF) return 0x00FFFFFF;
    uint32_t r = (p >> 16) & 0xFF;
    return 0xFF000000u | r << 16 | r << 8 | r;
}

uint32_t addPixel(uint32_t s, uint32_t d, int32_t level) {
    int32_t sr = static_cast<int32_t>(s & 0xFF0000), sg = static_cast<int32_t>(s & 0xFF00),
            sb = static_cast<int32_t>(s & 0xFF);
    if (level != 0 && (sr != 0 || sg != 0) && sb != 0) {
        sr = std::min(sr + (level << 16), 0xFF0000);
        sb = std::max(sb - level, 0);
    }
    return uint32_t(std::min(static_cast<int32_t>(d & 0xFF0000) + sr, 0xFF0000)) |
           uint32_t(std::min(static_cast<int32_t>(d & 0xFF00) + sg, 0xFF00)) |
           uint32_t(std::min(static_cast<int32_t>(d & 0xFF) + sb, 0xFF));
}

uint32_t multiplyPixel(uint32_t s, uint32_t d) {
    uint32_t out = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        uint32_t c = (d >> shift) & 0xFF, k = (s >> shift) & 0xFF;
        out |= std::min(c + ((c * k) >> 6), 255u) << shift;
    }
    return out;
}

// `count` pixels: the source from si by `step`, the destination forward from di. Pixels outside
// either array are skipped. Returns the destination index after the last.
template <class Op>
int32_t blendPixels(const int32_t* src, int64_t srcLength, int64_t si, int64_t step, int32_t* dst, int64_t dstLength,
                    int64_t di, int32_t count, Op op) {
    for (int64_t k = 0; k < count; ++k) {
        int64_t s = si + k * step, d = di + k;
        if (s >= 0 && s < srcLength && d >= 0 && d < dstLength)
            dst[d] = static_cast<int32_t>(op(uint32_t(src[s]), uint32_t(dst[d])));
    }
    return static_cast<int32_t>(di + count);
}

template <class Op>
int32_t blendArrays(IntArray* src, int64_t si, int64_t step, IntArray* dst, int32_t di, int32_t count, Op op) {
    if (isNull(src) || isNull(dst)) {
        report("NullPointer");
        return di;
    }
    return blendPixels(src->elements(), src->length, si, step, dst->elements(), dst->length, di, count, op);
}

auto adder(int32_t level) {
    return [level](uint32_t s, uint32_t d) { return addPixel(s, d, level); };
}
constexpr auto kMultiply = [](uint32_t s, uint32_t d) { return multiplyPixel(s, d); };

}  // namespace

int32_t GameBase::getPaintScalePercent() { return std::max(effectParam(0, 0), 0); }

int32_t GameBase::getPaintAlphaPercent() { return std::clamp(effectParam(1, 0), 0, 100); }

IntArray* GameBase::scalePixels(IntArray* src, int32_t w, int32_t h) {
    IntArray* out = ASprite::effectBuffer();
    if (!out) return nullptr;
    int32_t s = getPaintScalePercent(), mask = effectParam(0, 1);
    int64_t w2 = int64_t(w) * s / 100, h2 = int64_t(h) * s / 100;
    if (w2 < 1 || h2 < 1) return out;
    if (isNull(src)) {
        report("NullPointer");
        return nullptr;
    }
    // Each side first: the product of two sides far beyond the buffer would overflow.
    if (w2 > out->length || h2 > out->length || w2 * h2 > out->length) {
        mrc_log("Game::scalePixels: %lldx%lld pixels do not fit the effect buffer of %d", static_cast<long long>(w2),
                static_cast<long long>(h2), out->length);
        return nullptr;
    }
    int64_t length = src->length;
    const int32_t* in = src->elements();
    if (src == out) {
        length = std::min<int64_t>(length, int64_t(w) * h);
        in = setAside(in, length);
    }
    uint32_t keep = mask >= 0 ? uint32_t(mask) << 24 | 0xFFFFFFu : 0xFFFFFFFFu;
    int32_t beyond = mask >= 0 ? static_cast<int32_t>(uint32_t(mask) << 24) : 0;
    int32_t* o = out->elements();
    for (int64_t y = 0; y < h2; ++y) {
        int64_t row = (y * h / h2) * w;
        for (int64_t x = 0; x < w2; ++x) {
            int64_t i = x * w / w2 + row;
            o[x + y * w2] = i < length ? static_cast<int32_t>(uint32_t(in[i]) & keep) : beyond;
        }
    }
    return out;
}

IntArray* GameBase::applyAlphaToPixels(IntArray* src, int32_t w, int32_t h) {
    IntArray* out = ASprite::effectBuffer();
    if (!out) return nullptr;
    int64_t n = int64_t(w) * h;
    if (n < 1) return out;
    if (!effectFits("applyAlphaToPixels", src, n, out)) return nullptr;
    uint32_t alpha = uint32_t(getPaintAlphaPercent() * 255 / 100) << 24;
    const int32_t* in = src->elements();
    int32_t* o = out->elements();
    for (int64_t i = 0; i < n; ++i) o[i] = static_cast<int32_t>((uint32_t(in[i]) & 0xFFFFFF) | alpha);
    return out;
}

IntArray* GameBase::grayscalePixels(IntArray* src, int32_t w, int32_t h, int32_t flags) {
    IntArray* out = ASprite::effectBuffer();
    if (!out) return nullptr;
    int64_t n = int64_t(w) * h;
    if (n < 1) return out;
    if (!effectFits("grayscalePixels", src, n, out)) return nullptr;
    bool flipX = (flags & 0x01) != 0, flipY = (flags & 0x02) != 0;
    auto mirrored = [&](int64_t x, int64_t y) {
        return (flipY ? h - 1 - y : y) * w + (flipX ? w - 1 - x : x);
    };
    int32_t* o = out->elements();
    if (src != out) {
        const int32_t* in = src->elements();
        for (int64_t y = 0; y < h; ++y)
            for (int64_t x = 0; x < w; ++x) o[y * w + x] = static_cast<int32_t>(greyOf(uint32_t(in[mirrored(x, y)])));
        return out;
    }
    // In place: mirroring pairs pixels, so each pair is read before either is written.
    for (int64_t y = 0; y < h; ++y) {
        for (int64_t x = 0; x < w; ++x) {
            int64_t d = y * w + x, s = mirrored(x, y);
            if (s < d) continue;
            uint32_t a = uint32_t(o[d]), b = uint32_t(o[s]);
            o[d] = static_cast<int32_t>(greyOf(b));
            o[s] = static_cast<int32_t>(greyOf(a));
        }
    }
    return out;
}

int32_t GameBase::blendRowAdd(IntArray* src, int32_t srcIndex, IntArray* dst, int32_t dstIndex, int32_t count,
                              int32_t level) {
    return blendArrays(src, srcIndex, 1, dst, dstIndex, count, adder(level));
}

int32_t GameBase::blendRowAddReversed(IntArray* src, int32_t srcIndex, IntArray* dst, int32_t dstIndex, int32_t count,
                                      int32_t level) {
    return blendArrays(src, int64_t(srcIndex) + count - 1, -1, dst, dstIndex, count, adder(level));
}

int32_t GameBase::blendColumnAddUp(IntArray* src, int32_t srcIndex, IntArray* dst, int32_t dstIndex, int32_t count,
                                   int32_t stride, int32_t level) {
    return blendArrays(src, srcIndex, -int64_t(stride), dst, dstIndex, count, adder(level));
}

int32_t GameBase::blendColumnAddDown(IntArray* src, int32_t srcIndex, IntArray* dst, int32_t dstIndex, int32_t count,
                                     int32_t stride, int32_t level) {
    return blendArrays(src, srcIndex, stride, dst, dstIndex, count, adder(level));
}

int32_t GameBase::blendRowMultiply(IntArray* src, int32_t srcIndex, IntArray* dst, int32_t dstIndex, int32_t count) {
    return blendArrays(src, srcIndex, 1, dst, dstIndex, count, kMultiply);
}

void GameBase::blendModuleOntoScreen(Graphics* g, int32_t x, int32_t y, IntArray* src, int32_t w, int32_t h,
                                     int32_t flags) {
    if (isNull(g) || isNull(src)) {
        report("NullPointer");
        return;
    }
    int32_t effects = statics.paintEffectFlags;
    int32_t level = (effects & kEffectBlendLevel) ? std::clamp(effectParam(8, 0) * 255 / 100, 0, 255) : 0;
    bool rotated = (flags & 0x04) != 0;
    int64_t aw = rotated ? h : w, ah = rotated ? w : h;
    if (aw < 1 || ah < 1) return;

    // The part of the area inside the clip.
    int64_t cx = g->getClipX(), cy = g->getClipY();
    int64_t left = std::max<int64_t>(x, cx), top = std::max<int64_t>(y, cy);
    int64_t right = std::min<int64_t>(x + aw, cx + g->getClipWidth());
    int64_t bottom = std::min<int64_t>(y + ah, cy + g->getClipHeight());
    int64_t vw = right - left, vh = bottom - top;
    if (vw < 1 || vh < 1) return;
    int64_t sx = left - x, sy = top - y;

    IntArray* buffer = ASprite::effectBuffer();
    if (!buffer) return;
    int64_t n = int64_t(w) * h;
    if (!effectFits("blendModuleOntoScreen", src, n, buffer) ||
        !effectFits("blendModuleOntoScreen", buffer, aw * ah, buffer))
        return;
    javax_microedition_lcdui_Image* picture = gameHooks().offScreenImage ? gameHooks().offScreenImage() : nullptr;
    if (isNull(picture)) {
        report("NullPointer");
        return;
    }
    // The module first, since the screen read may overwrite it (it may be in this very buffer).
    const int32_t* in = setAside(src->elements(), n);
    picture->getRGB(buffer, 0, static_cast<int32_t>(vw), static_cast<int32_t>(left), static_cast<int32_t>(top),
                    static_cast<int32_t>(vw), static_cast<int32_t>(vh));
    int32_t* out = buffer->elements();
    if (vw < aw || vh < ah) {
        for (int64_t r = vh - 1; r >= 0; --r)
            std::memmove(out + sx + (r + sy) * aw, out + r * vw, std::size_t(vw) * sizeof(int32_t));
    }

    // Row by row, or for a quarter turn column by column, each into the next row of the area.
    // Rows are added mirrored but multiplied as stored; a column is multiplied along the column
    // it was added along (read as a row it would leave the module).
    int64_t length = buffer->length;
    int64_t di = 0;
    int32_t count = rotated ? h : w;
    auto blendLine = [&](int64_t addFrom, int64_t addStep, int64_t multiplyFrom, int64_t multiplyStep) {
        int64_t next = di + count;
        if (effects & kEffectBlendAdd) next = blendPixels(in, n, addFrom, addStep, out, length, di, count, adder(level));
        if (effects & kEffectBlendMultiply)
            next = blendPixels(in, n, multiplyFrom, multiplyStep, out, length, di, count, kMultiply);
        di = next;
    };
    if (!rotated) {
        for (int32_t k = 0; k < h; ++k) {
            int64_t row = ((flags & 0x02) ? h - 1 - k : k) * int64_t(w);
            if (flags & 0x01) blendLine(row + w - 1, -1, row, 1);
            else blendLine(row, 1, row, 1);
        }
    } else {
        for (int32_t k = 0; k < w; ++k) {
            int64_t column = (flags & 0x01) ? w - 1 - k : k;
            int64_t from = (flags & 0x02) ? column : (h - 1) * int64_t(w) + column;
            int64_t step = (flags & 0x02) ? w : -int64_t(w);
            blendLine(from, step, from, step);
        }
    }
    g->drawRGB(buffer, 0, static_cast<int32_t>(aw), x, y, static_cast<int32_t>(aw), static_cast<int32_t>(ah), false);
}
