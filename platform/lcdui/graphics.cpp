#include "platform/lcdui/graphics.h"

#include <algorithm>
#include <string>
#include <vector>

#include "platform/graphics/font_engine.h"
#include "platform/lcdui/image.h"
#include "runtime/core/application.h"
#include "runtime/lang/string.h"
#include "runtime/lang/throwable.h"

using mrc::ApplicationImpl;
namespace gfx = mrc::gfx;

namespace {

void report(const char* tag) { ApplicationImpl::getApplication()->reportError(tag); }

}  // namespace

javax_microedition_lcdui_Graphics* javax_microedition_lcdui_Graphics::newGraphics(
    javax_microedition_lcdui_Image* image) {
    auto* g = mrc::newObject<javax_microedition_lcdui_Graphics>();
    if (g) g->Graphics(image);
    return g;
}

void javax_microedition_lcdui_Graphics::Graphics(javax_microedition_lcdui_Image* image) {
    target = image;
    colour = 0;
    translateX = translateY = 0;
    clipLeft = clipTop = 0;
    clipRight = isNull(image) ? 0 : image->width;
    clipBottom = isNull(image) ? 0 : image->height;
}

void javax_microedition_lcdui_Graphics::setColorRGB(int32_t r, int32_t g, int32_t b) {
    if (r < 0 || r > 255) report("setColor r");
    if (g < 0 || g > 255) report("setColor g");
    if (b < 0 || b > 255) report("setColor b");
    colour = 0xFF000000u | uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b);
}

void javax_microedition_lcdui_Graphics::boundClip(int64_t left, int64_t top, int64_t right, int64_t bottom) {
    int64_t w = isNull(target) ? 0 : target->width, h = isNull(target) ? 0 : target->height;
    clipLeft = static_cast<int32_t>(std::clamp<int64_t>(left, 0, INT32_MAX));
    clipTop = static_cast<int32_t>(std::clamp<int64_t>(top, 0, INT32_MAX));
    clipRight = static_cast<int32_t>(std::clamp<int64_t>(std::min(right, w), INT32_MIN, INT32_MAX));
    clipBottom = static_cast<int32_t>(std::clamp<int64_t>(std::min(bottom, h), INT32_MIN, INT32_MAX));
}

void javax_microedition_lcdui_Graphics::setClip(int32_t x, int32_t y, int32_t w, int32_t h) {
    int64_t left = int64_t(x) + translateX, top = int64_t(y) + translateY;
    boundClip(left, top, left + w, top + h);
}

void javax_microedition_lcdui_Graphics::clipRect(int32_t x, int32_t y, int32_t w, int32_t h) {
    int64_t left = int64_t(x) + translateX, top = int64_t(y) + translateY;
    boundClip(std::max<int64_t>(left, clipLeft), std::max<int64_t>(top, clipTop),
              std::min<int64_t>(left + w, clipRight), std::min<int64_t>(top + h, clipBottom));
}

bool javax_microedition_lcdui_Graphics::canvas(gfx::Canvas& out) {
    if (isNull(target)) {
        report("NullPointer");
        return false;
    }
    if (!target->canvas(out)) {
        if (target->pixelType < gfx::kRgb565 || target->pixelType > gfx::kArgb4444) report("m_pixelType");
        return false;
    }
    out.clipLeft = clipLeft;
    out.clipTop = clipTop;
    out.clipRight = clipRight;
    out.clipBottom = clipBottom;
    return true;
}

// ---- primitives -----------------------------------------------------------------------------------

void javax_microedition_lcdui_Graphics::fillRect(int32_t x, int32_t y, int32_t w, int32_t h) {
    gfx::Canvas c;
    if (canvas(c)) gfx::fillRect(c, x + translateX, y + translateY, w, h, colour);
}

void javax_microedition_lcdui_Graphics::drawLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    gfx::Canvas c;
    if (canvas(c)) gfx::drawLine(c, x1 + translateX, y1 + translateY, x2 + translateX, y2 + translateY, colour);
}

void javax_microedition_lcdui_Graphics::drawRect(int32_t x, int32_t y, int32_t w, int32_t h) {
    gfx::Canvas c;
    if (canvas(c)) gfx::drawRect(c, x + translateX, y + translateY, w, h, colour);
}

void javax_microedition_lcdui_Graphics::drawRoundRect(int32_t x, int32_t y, int32_t w, int32_t h, int32_t arcWidth,
                                                      int32_t) {
    gfx::Canvas c;
    if (canvas(c)) gfx::drawRoundRect(c, x + translateX, y + translateY, w, h, arcWidth, colour);
}

void javax_microedition_lcdui_Graphics::fillRoundRect(int32_t x, int32_t y, int32_t w, int32_t h, int32_t arcWidth,
                                                      int32_t) {
    gfx::Canvas c;
    if (canvas(c)) gfx::fillRoundRect(c, x + translateX, y + translateY, w, h, arcWidth, colour);
}

void javax_microedition_lcdui_Graphics::drawArc(int32_t x, int32_t y, int32_t w, int32_t h, int32_t startAngle,
                                                int32_t arcAngle) {
    gfx::Canvas c;
    if (canvas(c)) gfx::drawArc(c, x + translateX, y + translateY, w, h, startAngle, arcAngle, colour);
}

void javax_microedition_lcdui_Graphics::fillArc(int32_t x, int32_t y, int32_t w, int32_t h, int32_t startAngle,
                                                int32_t arcAngle) {
    gfx::Canvas c;
    if (canvas(c)) gfx::fillArc(c, x + translateX, y + translateY, w, h, startAngle, arcAngle, colour);
}

void javax_microedition_lcdui_Graphics::fillTriangle(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x3,
                                                     int32_t y3) {
    gfx::Canvas c;
    if (canvas(c))
        gfx::fillTriangle(c, x1 + translateX, y1 + translateY, x2 + translateX, y2 + translateY, x3 + translateX,
                          y3 + translateY, colour);
}

// ---- images -------------------------------------------------------------------------------------

void javax_microedition_lcdui_Graphics::drawImage(javax_microedition_lcdui_Image* image, int32_t x, int32_t y,
                                                  int32_t anchor) {
    if (isNull(image)) {
        report("drawRegion pSrc");
        return;
    }
    drawRegion(image, 0, 0, image->width, image->height, gfx::kTransNone, x, y, anchor);
}

void javax_microedition_lcdui_Graphics::drawRegion(javax_microedition_lcdui_Image* src, int32_t xSrc, int32_t ySrc,
                                                   int32_t w, int32_t h, int32_t transform, int32_t x, int32_t y,
                                                   int32_t anchor) {
    gfx::Canvas c;
    if (!canvas(c)) return;
    gfx::Source source;
    if (!isNull(src)) source = src->source();
    uint32_t failed = gfx::drawRegion(c, isNull(src) ? nullptr : &source, xSrc, ySrc, w, h, transform,
                                      x + translateX, y + translateY, anchor);
    static const struct {
        uint32_t bit;
        const char* tag;
    } kTags[] = {{gfx::kCheckSource, "drawRegion pSrc"},
                 {gfx::kCheckXSrc, "drawRegion x_src"},
                 {gfx::kCheckYSrc, "drawRegion y_src"},
                 {gfx::kCheckTransform, "drawRegion transform"},
                 {gfx::kCheckPixelType, "m_pixelType"}};
    for (const auto& t : kTags)
        if (failed & t.bit) report(t.tag);
}

void javax_microedition_lcdui_Graphics::drawRGB(IntArray* rgb, int32_t offset, int32_t scanLength, int32_t x,
                                                int32_t y, int32_t w, int32_t h, bool processAlpha) {
    if (isNull(rgb)) {
        report("drawRGB rgbData");
        return;
    }
    gfx::Canvas c;
    if (!canvas(c)) return;
    if (!gfx::drawRGB(c, rgb->elements(), rgb->length, offset, scanLength, x + translateX, y + translateY, w, h,
                      processAlpha))
        mrc::raise(mrc::kClass_java_lang_ArrayIndexOutOfBoundsException);
}

// ---- text -----------------------------------------------------------------------------------------

void javax_microedition_lcdui_Graphics::drawString(String* s, int32_t x, int32_t y, int32_t anchor) {
    if (isNull(s)) {
        report("NullPointer");
        return;
    }
    paintText(s->chars, s->count(), x, y, anchor);
}

void javax_microedition_lcdui_Graphics::drawSubstring(String* s, int32_t offset, int32_t length, int32_t x,
                                                      int32_t y, int32_t anchor) {
    if (isNull(s)) {
        report("NullPointer");
        return;
    }
    if (offset < 0 || length < 0 || int64_t(offset) + length > s->count()) return;
    paintText(s->chars + offset, length, x, y, anchor);
}

void javax_microedition_lcdui_Graphics::drawChar(char16_t ch, int32_t x, int32_t y, int32_t anchor) {
    paintText(&ch, 1, x, y, anchor);
}

void javax_microedition_lcdui_Graphics::drawChars(CharArray* chars, int32_t offset, int32_t length, int32_t x,
                                                  int32_t y, int32_t anchor) {
    if (isNull(chars)) {
        report("NullPointer");
        return;
    }
    if (offset < 0 || length < 0 || int64_t(offset) + length > chars->length) return;
    paintText(chars->elements() + offset, length, x, y, anchor);
}

void javax_microedition_lcdui_Graphics::paintText(const char16_t* text, int32_t count, int32_t x, int32_t y,
                                                  int32_t anchor) {
    if (!text || count <= 0) return;
    gfx::FontEngine* font = gfx::FontEngine::system();
    if (!font) return;
    // The text first: nothing below allocates on the managed heaps, but a copy costs little.
    std::u16string chars(text, text + count);
    int32_t w = font->measure(chars.data(), count), h = font->height();
    if (w <= 0 || h <= 0) return;
    if (anchor == 0) anchor = gfx::kTop | gfx::kLeft;
    int64_t left = (anchor & gfx::kLeft) ? x : (anchor & gfx::kRight) ? int64_t(x) - w
                   : (anchor & gfx::kHCenter) ? int64_t(x) - w / 2 : 0;
    int64_t top = (anchor & gfx::kTop) ? y : (anchor & gfx::kBottom) ? int64_t(y) - h
                  : (anchor & gfx::kBaseline) ? int64_t(y) - font->ascent() : 0;
    // The text is rendered over a background of the key colour and copied without it, so text
    // in that very colour does not show.
    if ((colour & 0xFFFFFF) == gfx::kColorKey) return;
    gfx::Canvas c;
    if (isNull(target) || !target->canvas(c)) return;
    if (left < INT32_MIN || left > INT32_MAX || top < INT32_MIN || top > INT32_MAX) return;
    std::vector<uint8_t> mask(std::size_t(w) * h, 0);
    font->render(chars.data(), count, mask.data(), w, h);
    gfx::copyMask(c, mask.data(), w, h, static_cast<int32_t>(left), static_cast<int32_t>(top),
                  gfx::argbToRgb565(colour));
}
