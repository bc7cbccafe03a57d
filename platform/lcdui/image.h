// javax.microedition.lcdui.Image: a 16-bit pixel store (types 0 RGB565, 1 RGB565 keyed with
// 0xF81F, 2 ARGB4444) or a byte store (types 3 and above, allocated but never drawn), made from
// PNG data, ARGB arrays, as a blank mutable image, or as the screen image over the display's
// frame buffer.
//
// Failed checks are reported with their tag and the stack trace and the call goes on, but never
// reads or writes outside an array or the pixel store.
#pragma once

#include <cstdint>

#include "platform/graphics/pixels.h"
#include "runtime/core/arrays.h"

class String;
class java_io_InputStream;
class javax_microedition_lcdui_Graphics;

class javax_microedition_lcdui_Image : public Object {
public:
    MRC_CLASS(javax_microedition_lcdui_Image, Object);
    MRC_REF_FIELDS(&javax_microedition_lcdui_Image::pixels);

    // typeAndFlags bit asking for a mutable image (type 0 only).
    static constexpr int32_t kMutableFlag = 1 << 24;

    virtual javax_microedition_lcdui_Graphics* getGraphics();  // slot 6: logs "!mutable" for immutable images
    virtual int32_t getWidth() { return width; }                // slot 7
    virtual int32_t getHeight() { return height; }              // slot 8

    // The Java constructor: fields cleared, then the pixel store.
    void Image(int32_t w, int32_t h, int32_t typeAndFlags, int32_t extra);
    // Types 0-2: short[(stride / 2) × height]; others byte[extra + stride × height + 1]. A
    // mutable flag with another type than 0 is reported ("imagetype"). False without a store.
    bool allocPixels(int32_t w, int32_t h, int32_t typeAndFlags, int32_t extra);

    // Image.createImage(width, height): mutable, type 0, pixels 0.
    static javax_microedition_lcdui_Image* createBlankImage(int32_t w, int32_t h);
    // Image.createImage(data, offset, length): PNG data. Null with IllegalArgumentException
    // pending when the bytes hold no PNG header, ArrayIndexOutOfBoundsException for a range
    // outside the array; a PNG that fails while decoding keeps the pixels decoded so far.
    static javax_microedition_lcdui_Image* createImage(ByteArray* data, int32_t offset, int32_t length);
    // Image.createImage(stream): the whole stream, then createImage(bytes, 0, length). Null with the
    // stream's exception pending when reading fails.
    static javax_microedition_lcdui_Image* readAllBytes(java_io_InputStream* stream);
    // Image.createImage(source, x, y, w, h, transform): a mutable copy of the region.
    static javax_microedition_lcdui_Image* createImage(javax_microedition_lcdui_Image* source, int32_t x, int32_t y,
                                                       int32_t w, int32_t h, int32_t transform);
    static javax_microedition_lcdui_Image* createRGBImage(IntArray* rgb, int32_t w, int32_t h, bool processAlpha);

    void getRGB(IntArray* argb, int32_t offset, int32_t scanLength, int32_t x, int32_t y, int32_t w, int32_t h);
    bool isMutable() const { return mutableFlag != 0; }
    // Type 0 becomes type 1 when a pixel equals the colour key.
    void scanColorKey();

    // The store as the kernels see it; false (and an empty canvas) for byte stores or a store
    // smaller than its rows.
    bool canvas(mrc::gfx::Canvas& out);
    mrc::gfx::Source source();
    // Pixels of a 16-bit store, or null. Valid until the next allocation.
    uint16_t* pixels16();

    JArray* pixels;
    int32_t width;
    int32_t height;
    int32_t stride;  // bytes per row
    uint8_t mutableFlag;
    int32_t pixelType;
};

// A short[] whose elements are memory the runtime does not own (the display's frame buffer):
// never moved, never freed.
class ExternalShortArray : public ShortArray {
public:
    ~ExternalShortArray() override { data = nullptr; }
};

// The screen image: a type 0 image whose pixels are the display's frame buffer.
class ScreenImage : public javax_microedition_lcdui_Image {
public:
    using Base = javax_microedition_lcdui_Image;
    static constexpr uint16_t kClassId = mrc::kClass_javax_microedition_lcdui_Image;

    // slot 9: 16-bit type 0, rows of the width rounded up to even, over `frameBuffer`, which
    // must hold that many rows. Mutable, so that getGraphics serves it.
    virtual void attachPixels(int32_t w, int32_t h, uint16_t* frameBuffer);

    // A new screen image over the frame buffer; null when the heap is exhausted.
    static ScreenImage* create(int32_t w, int32_t h, uint16_t* frameBuffer);
};
