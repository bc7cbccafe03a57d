// javax.microedition.lcdui.Graphics: drawing into the 16-bit store of an image (the screen
// image's store is the display's frame buffer) with a clip, a translation and a colour, over the
// pixel kernels. Used by the painting thread only; no lock.
#pragma once

#include <cstdint>

#include "platform/graphics/pixels.h"
#include "runtime/core/arrays.h"
#include "runtime/core/jarith.h"

class String;
class javax_microedition_lcdui_Image;

class javax_microedition_lcdui_Graphics : public Object {
public:
    MRC_CLASS(javax_microedition_lcdui_Graphics, Object);
    MRC_REF_FIELDS(&javax_microedition_lcdui_Graphics::target);

    // A new Graphics over the image; null when the heap is exhausted.
    static javax_microedition_lcdui_Graphics* newGraphics(javax_microedition_lcdui_Image* image);
    // The Java constructor: clip the whole image, no translation, colour 0.
    void Graphics(javax_microedition_lcdui_Image* image);

    // ---- colour ----
    void setColor(int32_t rgb) { colour = uint32_t(rgb) | 0xFF000000u; }
    // Each component outside 0..255 is reported ("setColor r", "g", "b") and used as it is.
    void setColorRGB(int32_t r, int32_t g, int32_t b);
    int32_t getColor() const { return static_cast<int32_t>(colour); }
    int32_t getRedComponent() const { return (colour >> 16) & 0xFF; }
    int32_t getGreenComponent() const { return (colour >> 8) & 0xFF; }
    int32_t getBlueComponent() const { return colour & 0xFF; }
    int32_t getDisplayColor(int32_t c) const { return c; }

    // ---- clip and translation ----
    void setClip(int32_t x, int32_t y, int32_t w, int32_t h);
    void clipRect(int32_t x, int32_t y, int32_t w, int32_t h);
    // In Java's int arithmetic, which wraps: an emptied clip's edges or a far translation may lie
    // more than 2^31 apart.
    int32_t getClipX() const { return mrc::jsub(clipLeft, translateX); }
    int32_t getClipY() const { return mrc::jsub(clipTop, translateY); }
    int32_t getClipWidth() const { return mrc::jsub(clipRight, clipLeft); }
    int32_t getClipHeight() const { return mrc::jsub(clipBottom, clipTop); }
    void translate(int32_t dx, int32_t dy) {
        translateX = mrc::jadd(translateX, dx);
        translateY = mrc::jadd(translateY, dy);
    }
    int32_t getTranslateX() const { return translateX; }
    int32_t getTranslateY() const { return translateY; }

    // ---- primitives ----
    void fillRect(int32_t x, int32_t y, int32_t w, int32_t h);
    void drawLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
    void drawRect(int32_t x, int32_t y, int32_t w, int32_t h);
    // Only the arc width is used.
    void drawRoundRect(int32_t x, int32_t y, int32_t w, int32_t h, int32_t arcWidth, int32_t arcHeight);
    void fillRoundRect(int32_t x, int32_t y, int32_t w, int32_t h, int32_t arcWidth, int32_t arcHeight);
    void drawArc(int32_t x, int32_t y, int32_t w, int32_t h, int32_t startAngle, int32_t arcAngle);
    void fillArc(int32_t x, int32_t y, int32_t w, int32_t h, int32_t startAngle, int32_t arcAngle);
    void fillTriangle(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x3, int32_t y3);

    // ---- images ----
    void drawImage(javax_microedition_lcdui_Image* image, int32_t x, int32_t y, int32_t anchor);
    // Failed checks are reported ("drawRegion pSrc", "drawRegion x_src", "drawRegion y_src",
    // "drawRegion transform", "m_pixelType"); only the part of the region inside the source is drawn.
    void drawRegion(javax_microedition_lcdui_Image* src, int32_t xSrc, int32_t ySrc, int32_t w, int32_t h,
                    int32_t transform, int32_t x, int32_t y, int32_t anchor);
    // A null array is reported ("drawRGB rgbData"); a rectangle reaching outside the array raises
    // java_lang_ArrayIndexOutOfBoundsException and draws nothing.
    void drawRGB(IntArray* rgb, int32_t offset, int32_t scanLength, int32_t x, int32_t y, int32_t w, int32_t h,
                 bool processAlpha);

    // ---- text (the system font; no translation, no clip, kept inside the target) ----
    void drawString(String* s, int32_t x, int32_t y, int32_t anchor);
    void drawSubstring(String* s, int32_t offset, int32_t length, int32_t x, int32_t y, int32_t anchor);
    void drawChar(char16_t c, int32_t x, int32_t y, int32_t anchor);
    void drawChars(CharArray* chars, int32_t offset, int32_t length, int32_t x, int32_t y, int32_t anchor);
    // The text painter all four reach.
    void paintText(const char16_t* text, int32_t count, int32_t x, int32_t y, int32_t anchor);

    javax_microedition_lcdui_Image* target;
    uint32_t colour;
    int32_t clipLeft;
    int32_t clipTop;
    int32_t clipRight;
    int32_t clipBottom;
    int32_t translateX;
    int32_t translateY;

private:
    // The target with this Graphics' clip; false when there is nothing to draw into.
    bool canvas(mrc::gfx::Canvas& out);
    void boundClip(int64_t left, int64_t top, int64_t right, int64_t bottom);
};
