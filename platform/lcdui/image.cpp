#include "platform/lcdui/image.h"

#include <algorithm>

#include "host/core/log.h"
#include "platform/graphics/png_decoder.h"
#include "platform/io/file.h"
#include "platform/lcdui/graphics.h"
#include "runtime/core/application.h"
#include "runtime/core/object_manager.h"
#include "runtime/io/byte_array_output_stream.h"
#include "runtime/io/input_stream.h"
#include "runtime/lang/throwable.h"

using mrc::ApplicationImpl;
namespace gfx = mrc::gfx;

namespace {

mrc::ObjectManager* om() { return ApplicationImpl::getApplication()->objectManager; }
void report(const char* tag) { ApplicationImpl::getApplication()->reportError(tag); }

bool sizeAllowed(int64_t w, int64_t h) {
    return w > 0 && h > 0 && w * h <= gfx::kMaxImagePixels && w < gfx::kMaxImageWidth;
}

}  // namespace

// ---- construction -------------------------------------------------------------------------------

void javax_microedition_lcdui_Image::Image(int32_t w, int32_t h, int32_t typeAndFlags, int32_t extra) {
    pixels = nullptr;
    width = height = stride = 0;
    mutableFlag = 0;
    pixelType = 0;
    allocPixels(w, h, typeAndFlags, extra);
}

bool javax_microedition_lcdui_Image::allocPixels(int32_t w, int32_t h, int32_t typeAndFlags, int32_t extra) {
    int32_t type = typeAndFlags & ~kMutableFlag;
    if (typeAndFlags & kMutableFlag) {
        if (type == gfx::kRgb565) mutableFlag = 1;
        else report("imagetype");
    }
    width = w;
    height = h;
    pixelType = type;
    int64_t pitch = gfx::rowPitch(w);
    stride = static_cast<int32_t>(type <= gfx::kArgb4444 && type >= 0 ? pitch * 2 : type == gfx::kIndexed8 ? w : pitch / 2);
    if (w == 0 || h == 0) {
        pixels = type >= 0 && type <= gfx::kArgb4444 ? static_cast<JArray*>(om()->newShortArray(0))
                                                     : static_cast<JArray*>(om()->newByteArray(0));
        return pixels != nullptr;
    }
    if (!sizeAllowed(w, h) || extra < 0 || extra > (1 << 24)) {
        mrc_log("Image::allocPixels: no store for %dx%d", w, h);
        pixels = nullptr;
        return false;
    }
    if (type >= 0 && type <= gfx::kArgb4444)
        pixels = om()->newShortArray(static_cast<int32_t>(stride / 2 * int64_t(h)));
    else
        pixels = om()->newByteArray(static_cast<int32_t>(extra + int64_t(stride) * h + 1));
    return pixels != nullptr && pixels->data != nullptr;
}

javax_microedition_lcdui_Image* javax_microedition_lcdui_Image::createBlankImage(int32_t w, int32_t h) {
    auto* image = mrc::newObject<javax_microedition_lcdui_Image>();
    if (!image) return nullptr;
    image->Image(w, h, gfx::kRgb565 | kMutableFlag, 0);
    return image;
}

javax_microedition_lcdui_Image* javax_microedition_lcdui_Image::createImage(ByteArray* data, int32_t offset,
                                                                            int32_t length) {
    if (isNull(data)) {
        report("NullPointer");
        return nullptr;
    }
    if (offset < 0 || length < 0 || int64_t(offset) + length > data->length) {
        mrc::raise(mrc::kClass_java_lang_ArrayIndexOutOfBoundsException);
        return nullptr;
    }
    gfx::PngHeader header;
    if (!gfx::readPngHeader(reinterpret_cast<const uint8_t*>(data->elements()) + offset, std::size_t(length),
                            header) ||
        !sizeAllowed(header.width, header.height)) {
        mrc_log("Image::createImage: no PNG image in %d bytes", length);
        mrc::raise(mrc::kClass_java_lang_IllegalArgumentException);
        return nullptr;
    }
    auto* image = mrc::newObject<javax_microedition_lcdui_Image>();
    if (!image) return nullptr;
    image->Image(header.width, header.height, gfx::pngPixelType(header), 0);
    if (uint16_t* px = image->pixels16()) {
        // The allocations above may have moved the bytes: read them from the array now.
        gfx::decodePng(reinterpret_cast<const uint8_t*>(data->elements()) + offset, std::size_t(length), px,
                       image->width, image->height, image->stride / 2, image->pixelType);
    }
    if (image->pixelType == gfx::kRgb565) image->scanColorKey();
    return image;
}

javax_microedition_lcdui_Image* javax_microedition_lcdui_Image::readAllBytes(java_io_InputStream* stream) {
    if (isNull(stream)) {
        report("NullPointer");
        return nullptr;
    }
    // To the end that available() promises: an archive entry's stream raises at its end rather
    // than answering -1.
    ByteArray* bytes = mrc::readAllBytes(stream);
    if (!bytes) return nullptr;
    return createImage(bytes, 0, bytes->length);
}

javax_microedition_lcdui_Image* javax_microedition_lcdui_Image::createImage(javax_microedition_lcdui_Image* source,
                                                                            int32_t x, int32_t y, int32_t w,
                                                                            int32_t h, int32_t transform) {
    bool swap = transform >= 4 && transform <= 7;
    javax_microedition_lcdui_Image* image = createBlankImage(swap ? h : w, swap ? w : h);
    if (!image) return nullptr;
    javax_microedition_lcdui_Graphics* g = javax_microedition_lcdui_Graphics::newGraphics(image);
    if (g) g->drawRegion(source, x, y, w, h, transform, 0, 0, gfx::kTop | gfx::kLeft);
    return image;
}

javax_microedition_lcdui_Image* javax_microedition_lcdui_Image::createRGBImage(IntArray* rgb, int32_t w, int32_t h,
                                                                               bool processAlpha) {
    if (isNull(rgb)) report("createRGBImage rgbData");
    if (w <= 0 || h <= 0) {
        report("createRGBImage width, height");
        return nullptr;  // no image to make
    }
    int32_t rows = h;
    if (!isNull(rgb) && int64_t(rgb->length) < int64_t(w) * h) {
        report("createRGBImage length");
        rows = rgb->length / w;  // only the rows the array has
    }

    int32_t type = gfx::kRgb565;
    if (processAlpha && !isNull(rgb)) {
        const int32_t* p = rgb->elements();
        for (int64_t i = 0, n = int64_t(w) * rows; i < n; ++i) {
            uint32_t a = uint32_t(p[i]) >> 24;
            if (a != 0 && a != 0xFF && (uint32_t(p[i]) & 0xFFFFFF) != 0xFF00FF) {
                type = gfx::kArgb4444;
                break;
            }
        }
    }
    auto* image = mrc::newObject<javax_microedition_lcdui_Image>();
    if (!image) return nullptr;
    image->Image(w, h, type, 0);
    gfx::Canvas c;
    if (!image->canvas(c) || isNull(rgb)) return image;
    if (type == gfx::kRgb565 && processAlpha) gfx::fillRect(c, 0, 0, w, h, 0xFFFF00FF);
    gfx::drawRGB(c, rgb->elements(), rgb->length, 0, w, 0, 0, w, rows, processAlpha);
    if (type == gfx::kRgb565 && processAlpha) image->scanColorKey();
    return image;
}

// ---- pixels ---------------------------------------------------------------------------------------

uint16_t* javax_microedition_lcdui_Image::pixels16() {
    if (isNull(pixels) || pixels->data == nullptr || pixelType < 0 || pixelType > gfx::kArgb4444 ||
        pixels->classId() != mrc::kClass_ShortArray || width <= 0 || height <= 0 ||
        int64_t(pixels->length) * 2 < int64_t(stride) * height || stride < width * 2)
        return nullptr;
    return static_cast<uint16_t*>(pixels->data);
}

bool javax_microedition_lcdui_Image::canvas(gfx::Canvas& out) {
    out = gfx::Canvas{};
    uint16_t* px = pixels16();
    if (!px) return false;
    out = {px, width, height, stride / 2, 0, 0, width, height, pixelType};
    return true;
}

gfx::Source javax_microedition_lcdui_Image::source() {
    uint16_t* px = pixels16();
    // A byte store keeps its type so that drawing reports it; its bytes are never read.
    if (!px && pixelType > gfx::kArgb4444 && !isNull(pixels) && pixels->data)
        return {static_cast<const uint16_t*>(pixels->data), width, height, 0, pixelType};
    return {px, px ? width : 0, px ? height : 0, stride / 2, pixelType};
}

void javax_microedition_lcdui_Image::scanColorKey() {
    uint16_t* px = pixels16();
    if (pixelType == gfx::kRgb565 && px && gfx::containsColorKey(px, width, height, stride / 2))
        pixelType = gfx::kRgb565Keyed;
}

void javax_microedition_lcdui_Image::getRGB(IntArray* argb, int32_t offset, int32_t scanLength, int32_t x,
                                            int32_t y, int32_t w, int32_t h) {
    if (isNull(argb)) {
        report("getRGB argb null");
        return;
    }
    if (int64_t(argb->length) < int64_t(offset) + int64_t(scanLength) * h) report("getRGB length");
    if (x < 0 || y < 0) report("getRGB x,y outside");
    if (int64_t(x) + w > width || int64_t(y) + h > height) report("getRGB width,height outside");
    if (pixelType < gfx::kRgb565 || pixelType > gfx::kArgb4444) {
        report("m_pixelType");
        return;
    }
    const uint16_t* px = pixels16();
    if (!px) return;
    int32_t* out = argb->elements();
    int64_t pitch = stride / 2;
    // Only pixels of the image, into elements of the array.
    for (int64_t row = std::max(0, y); row < std::min<int64_t>(int64_t(y) + h, height); ++row) {
        for (int64_t col = std::max(0, x); col < std::min<int64_t>(int64_t(x) + w, width); ++col) {
            int64_t index = offset + (row - y) * scanLength + (col - x);
            if (index < 0 || index >= argb->length) continue;
            out[index] = static_cast<int32_t>(gfx::pixelToArgb(px[row * pitch + col], pixelType));
        }
    }
}

javax_microedition_lcdui_Graphics* javax_microedition_lcdui_Image::getGraphics() {
    if (!mutableFlag) report("!mutable");
    return javax_microedition_lcdui_Graphics::newGraphics(this);
}

// ---- the screen image -------------------------------------------------------------------------------

void ScreenImage::attachPixels(int32_t w, int32_t h, uint16_t* frameBuffer) {
    width = w;
    height = h;
    pixelType = gfx::kRgb565;
    stride = gfx::rowPitch(w) * 2;
    mutableFlag = 1;
    auto* array = mrc::newObject<ExternalShortArray>();
    if (array && frameBuffer && w > 0 && h > 0) {
        array->length = static_cast<int32_t>(int64_t(stride / 2) * h);
        array->data = frameBuffer;
    }
    pixels = array;
}

ScreenImage* ScreenImage::create(int32_t w, int32_t h, uint16_t* frameBuffer) {
    auto* image = mrc::newObject<ScreenImage>();
    if (image) image->attachPixels(w, h, frameBuffer);
    return image;
}
