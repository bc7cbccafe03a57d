#include <gtest/gtest.h>

#include "runtime/lang/throwable.h"
#include "tests/platform/graphics/png_writer.h"
#include "tests/platform/lcdui/lcdui_fixture.h"

namespace {

using Image = javax_microedition_lcdui_Image;
using mrc::test::PngPicture;
namespace gfx = mrc::gfx;

class ImageTest : public mrc::test::LcduiTest {};

TEST_F(ImageTest, StoresHaveTheirTypesStridesAndSizes) {
    struct Case {
        int32_t w, h, typeAndFlags, extra;
        int32_t stride, length, elementSize;
        bool isMutable;
        const char* report;
    } cases[] = {
        {15, 10, 0, 0, 32, 160, 2, false, nullptr},
        {15, 10, 0 | Image::kMutableFlag, 0, 32, 160, 2, true, nullptr},
        {4, 3, 2, 0, 8, 12, 2, false, nullptr},
        {4, 3, 1 | Image::kMutableFlag, 0, 8, 12, 2, false, "imagetype"},
        {5, 3, 3, 7, 5, 7 + 15 + 1, 1, false, nullptr},
        {5, 3, 4, 0, 3, 9 + 1, 1, false, nullptr},
    };
    for (const Case& c : cases) {
        log.clear();
        Image* image = mrc::newObject<Image>();
        image->Image(c.w, c.h, c.typeAndFlags, c.extra);
        EXPECT_EQ(image->stride, c.stride) << c.w << " type " << c.typeAndFlags;
        ASSERT_NE(image->pixels, nullptr);
        EXPECT_EQ(image->pixels->length, c.length);
        EXPECT_EQ(image->pixels->elementSize(), c.elementSize);
        EXPECT_EQ(image->isMutable(), c.isMutable);
        EXPECT_EQ(log.contains("imagetype"), c.report != nullptr);
    }
    // Pixel (0, 1) of a 15 × 10 image is short 16.
    Image* image = Image::createBlankImage(15, 10);
    javax_microedition_lcdui_Graphics* g = image->getGraphics();
    g->setColor(0xFFFFFF);
    g->fillRect(0, 1, 1, 1);
    EXPECT_EQ(static_cast<ShortArray*>(image->pixels)->elements()[16], -1);
    EXPECT_FALSE(log.contains("!mutable"));
}

TEST_F(ImageTest, PngDataBecomesAnImmutableImageOfTheRightType) {
    PngPicture palette;
    palette.width = 3;
    palette.height = 1;
    palette.colorType = PNG_COLOR_TYPE_PALETTE;
    palette.samples = {0, 1, 0};
    palette.palette = {{255, 255, 255}, {0, 0, 0}};
    palette.paletteAlpha = {255, 0};
    PngPicture rgba;
    rgba.width = 1;
    rgba.height = 1;
    rgba.colorType = PNG_COLOR_TYPE_RGBA;
    rgba.samples = {255, 0, 0, 128};
    // Grey with alpha keeps its alpha: ARGB4444 like RGBA.
    PngPicture greyAlpha;
    greyAlpha.width = 2;
    greyAlpha.height = 1;
    greyAlpha.colorType = PNG_COLOR_TYPE_GRAY_ALPHA;
    greyAlpha.samples = {200, 255, 50, 0};
    PngPicture magenta;
    magenta.width = 2;
    magenta.height = 1;
    magenta.samples = {255, 0, 255, 0, 0, 0};
    PngPicture plain = magenta;
    plain.samples = {255, 255, 255, 0, 0, 0};

    struct Case {
        PngPicture png;
        int32_t type;
        std::vector<uint16_t> pixels;
    } cases[] = {
        {palette, gfx::kRgb565Keyed, {0xFFFF, gfx::kColorKey, 0xFFFF}},
        {rgba, gfx::kArgb4444, {0x8F00}},
        {greyAlpha, gfx::kArgb4444, {0xFCCC, 0x0333}},
        {magenta, gfx::kRgb565Keyed, {gfx::kColorKey, 0x0000}},
        {plain, gfx::kRgb565, {0xFFFF, 0x0000}},
    };
    for (const Case& c : cases) {
        // The PNG sits at an offset inside a larger array.
        ByteArray* data = bytes(mrc::test::writePng(c.png), 5);
        Image* image = Image::createImage(data, 5, data->length - 5);
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(image->pixelType, c.type);
        EXPECT_EQ(pixelsOf(image), c.pixels);
        EXPECT_FALSE(image->isMutable());
    }
    Image* image = Image::createImage(bytes(mrc::test::writePng(plain)), 0, 0);
    EXPECT_EQ(image, nullptr);
    EXPECT_TRUE(pending(mrc::kClass_java_lang_IllegalArgumentException));
    app()->clearPendingException();

    // Not mutable: getGraphics reports it and carries on.
    image = Image::createImage(bytes(mrc::test::writePng(plain)), 0, int32_t(mrc::test::writePng(plain).size()));
    log.clear();
    EXPECT_NE(image->getGraphics(), nullptr);
    EXPECT_TRUE(log.contains("!mutable"));
}

TEST_F(ImageTest, BadPngDataFailsCleanly) {
    PngPicture p;
    p.width = 8;
    p.height = 8;
    for (int i = 0; i < 8 * 8 * 3; ++i) p.samples.push_back(static_cast<uint8_t>(i * 7 + 1));
    std::vector<uint8_t> png = mrc::test::writePng(p);

    // Random bytes: no header, IllegalArgumentException.
    EXPECT_EQ(Image::createImage(bytes(std::vector<uint8_t>(64, 0x5A)), 0, 64), nullptr);
    EXPECT_TRUE(pending(mrc::kClass_java_lang_IllegalArgumentException));
    app()->clearPendingException();
    // A range outside the array.
    ByteArray* data = bytes(png);
    EXPECT_EQ(Image::createImage(data, 10, data->length), nullptr);
    EXPECT_TRUE(pending(mrc::kClass_java_lang_ArrayIndexOutOfBoundsException));
    app()->clearPendingException();
    EXPECT_EQ(Image::createImage(nullptr, 0, 0), nullptr);
    EXPECT_TRUE(log.contains("NullPointer"));
    // Cut short after the header: an image, the decoder's failure traced, nothing read beyond.
    Image* cut = Image::createImage(data, 0, 60);
    ASSERT_NE(cut, nullptr);
    EXPECT_EQ(cut->width, 8);
    EXPECT_TRUE(log.contains("decodePng: data ends before the image"));
    // A second header after the data does not resize the image libpng decodes by the first.
    std::vector<uint8_t> twice = png;
    const uint8_t second[] = {0, 0, 0, 13, 'I', 'H', 'D', 'R', 0, 0, 0, 1, 0, 0, 0, 1, 8, 2, 0, 0, 0, 0, 0, 0, 0};
    twice.insert(twice.end() - 12, std::begin(second), std::end(second));
    Image* first = Image::createImage(bytes(twice), 0, int32_t(twice.size()));
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->width, 8);
    EXPECT_EQ(first->height, 8);
    // A header announcing an absurd size.
    std::vector<uint8_t> huge = png;
    huge[16] = 0x7F;  // width 0x7F000008
    EXPECT_EQ(Image::createImage(bytes(huge), 0, int32_t(huge.size())), nullptr);
    app()->clearPendingException();
}

TEST_F(ImageTest, GetRgbConvertsEachTypeAndStaysInsideTheArray) {
    Image* image = mrc::newObject<Image>();
    image->Image(3, 1, gfx::kRgb565Keyed, 0);
    uint16_t* px = image->pixels16();
    px[0] = 0xFFFF;
    px[1] = 0x0000;
    px[2] = gfx::kColorKey;
    IntArray* out = ints({1, 1, 1, 1});
    image->getRGB(out, 1, 3, 0, 0, 3, 1);
    EXPECT_EQ(uint32_t(out->elements()[0]), 1u);
    EXPECT_EQ(uint32_t(out->elements()[1]), 0xFFFFFFFFu);
    EXPECT_EQ(uint32_t(out->elements()[2]), 0xFF000000u);
    EXPECT_EQ(uint32_t(out->elements()[3]), 0u);

    Image* argb = mrc::newObject<Image>();
    argb->Image(1, 1, gfx::kArgb4444, 0);
    argb->pixels16()[0] = 0x8F0A;
    argb->getRGB(out, 0, 1, 0, 0, 1, 1);
    EXPECT_EQ(uint32_t(out->elements()[0]), 0x88FF00AAu);

    struct Case {
        int32_t offset, scan, x, y, w, h;
        const char* tag;
    } cases[] = {
        {0, 3, 0, 0, 3, 2, "getRGB length"},
        {0, 3, -1, 0, 3, 1, "getRGB x,y outside"},
        {0, 3, 1, 0, 3, 1, "getRGB width,height outside"},
        {3, 3, 0, 0, 3, 1, "getRGB length"},
    };
    for (const Case& c : cases) {
        log.clear();
        IntArray* small = ints({7, 7, 7, 7});
        image->getRGB(small, c.offset, c.scan, c.x, c.y, c.w, c.h);
        EXPECT_TRUE(log.contains(c.tag)) << c.tag;
    }
    log.clear();
    image->getRGB(nullptr, 0, 3, 0, 0, 3, 1);
    EXPECT_TRUE(log.contains("getRGB argb null"));
    Image* bytesImage = mrc::newObject<Image>();
    bytesImage->Image(2, 2, gfx::kIndexed8, 0);
    bytesImage->getRGB(out, 0, 2, 0, 0, 2, 2);
    EXPECT_TRUE(log.contains("m_pixelType"));
}

TEST_F(ImageTest, RgbImagesChooseTheirTypeFromTheAlphas) {
    // Only alpha 0 and 255: keyed, the alpha-0 pixels the key.
    Image* keyed = Image::createRGBImage(ints({0xFFFF0000, 0x00123456, 0xFF00FF00, 0x80FF00FF}), 2, 2, true);
    EXPECT_EQ(keyed->pixelType, gfx::kRgb565Keyed);
    EXPECT_EQ(pixelsOf(keyed), (std::vector<uint16_t>{0xF800, gfx::kColorKey, 0x07E0, gfx::kColorKey}));
    // A true half alpha: ARGB4444.
    Image* translucent = Image::createRGBImage(ints({0x80FF0000, 0xFF00FF00}), 2, 1, true);
    EXPECT_EQ(translucent->pixelType, gfx::kArgb4444);
    EXPECT_EQ(pixelsOf(translucent), (std::vector<uint16_t>{0x8F00, 0xF0F0}));
    // Without processAlpha: plain RGB565.
    Image* plain = Image::createRGBImage(ints({0x00FF0000, 0x12345678}), 2, 1, false);
    EXPECT_EQ(plain->pixelType, gfx::kRgb565);
    EXPECT_EQ(pixelsOf(plain), (std::vector<uint16_t>{0xF800, gfx::argbToRgb565(0x12345678)}));
    EXPECT_FALSE(plain->isMutable());

    log.clear();
    Image* shortArray = Image::createRGBImage(ints({0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF}), 2, 2, false);
    EXPECT_TRUE(log.contains("createRGBImage length"));
    EXPECT_EQ(pixelsOf(shortArray), (std::vector<uint16_t>{0xFFFF, 0xFFFF, 0, 0}));
    EXPECT_EQ(Image::createRGBImage(ints({1}), 0, 1, false), nullptr);
    EXPECT_TRUE(log.contains("createRGBImage width, height"));
    EXPECT_NE(Image::createRGBImage(nullptr, 1, 1, false), nullptr);
    EXPECT_TRUE(log.contains("createRGBImage rgbData"));
}

TEST_F(ImageTest, RegionCopiesAreMutableAndTurned) {
    Image* src = Image::createRGBImage(ints({0xFF000001, 0xFF000002, 0xFF000003, 0xFF000004, 0xFF000005, 0xFF000006}),
                                       3, 2, false);
    Image* copy = Image::createImage(src, 1, 0, 2, 2, gfx::kTransRot90);
    ASSERT_NE(copy, nullptr);
    EXPECT_TRUE(copy->isMutable());
    EXPECT_EQ(copy->width, 2);
    EXPECT_EQ(copy->height, 2);
    // Columns 1-2 of the source turned a quarter clockwise.
    auto p = [&](uint32_t argb) { return gfx::argbToRgb565(argb); };
    EXPECT_EQ(pixelsOf(copy), (std::vector<uint16_t>{p(0xFF000005), p(0xFF000002), p(0xFF000006), p(0xFF000003)}));
}

TEST_F(ImageTest, ScreenImageDrawsIntoTheFrameBufferAndNeverFreesIt) {
    std::vector<uint16_t> frame(800 * 480 + 16, 0x1234);
    Object* screen = ScreenImage::create(800, 480, frame.data());
    ASSERT_NE(screen, nullptr);
    auto* image = static_cast<ScreenImage*>(screen);
    EXPECT_EQ(image->stride, 1600);
    EXPECT_TRUE(image->isMutable());
    javax_microedition_lcdui_Graphics* g = image->getGraphics();
    g->setColor(0xFF0000);
    g->fillRect(799, 479, 5, 5);
    EXPECT_EQ(frame[800 * 480 - 1], 0xF800);
    EXPECT_EQ(frame[800 * 480], 0x1234);
    // Collected, its array must leave the frame buffer alone (a free would be caught).
    screen = nullptr;
    image = nullptr;
    g = nullptr;
    om()->gc(mrc::kGcForced);
    EXPECT_EQ(frame[0], 0x1234);
}

}  // namespace
