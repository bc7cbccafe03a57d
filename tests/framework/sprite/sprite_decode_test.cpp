#include <gtest/gtest.h>

#include "tests/framework/framework_fixture.h"

namespace {

using namespace formats;

// Eight colours in each colour format, as stored and as the ARGB they decode to.
struct ColourFormat {
    uint16_t format;
    std::vector<uint32_t> stored;
    std::vector<uint32_t> argb;
};
const ColourFormat kColourFormats[] = {
    {0x8888,
     {0xFF000000, 0xFFFFFFFF, 0x80FF0000, 0x0000FF00, 0xFF123456, 0xFF0000FF, 0x7F7F7F7F, 0x00000000},
     {0xFF000000, 0xFFFFFFFF, 0x80FF0000, 0x0000FF00, 0xFF123456, 0xFF0000FF, 0x7F7F7F7F, 0x00000000}},
    {0x4444,
     {0xF000, 0xFFFF, 0x8F00, 0x00F0, 0xF123, 0xF00F, 0x7777, 0x1234},
     {0xFF000000, 0xFFFFFFFF, 0x88FF0000, 0x0000FF00, 0xFF112233, 0xFF0000FF, 0x77777777, 0x11223344}},
    {0x6505,
     {0x0000, 0xFFFF, 0xF800, 0x07E0, 0x001F, 0xF81F, 0x8410, 0x1234},
     {0xFF000000, 0xFFF8FCF8, 0xFFF80000, 0xFF00FC00, 0xFF0000F8, 0x00F800F8, 0xFF808080, 0xFF1044A0}},
};

// Pixel formats with the index bits they can hold.
const std::pair<uint16_t, int> kPixelFormats[] = {{0x5602, 8}, {0x1600, 4}, {0x0800, 3}, {0x0400, 2},
                                                  {0x0200, 1}, {0x64F0, 3}, {0x27F1, 8}, {0x56F2, 8}};

class SpriteDecoding : public mrc::test::FrameworkTest {
protected:
    // One image module of w × h pixels given as encoded bytes or as indices.
    static SpriteData oneModule(int32_t w, int32_t h, uint16_t pixelFormat, std::vector<uint32_t> palette) {
        SpriteData d;
        SpriteModule m;
        m.width = w;
        m.height = h;
        d.modules = {m};
        d.frames = {{{{0, 0, 0, 0}}, {}, std::nullopt}};
        d.pixelFormat = pixelFormat;
        d.palettes = {std::move(palette)};
        return d;
    }
    static std::vector<uint32_t> decoded(ASprite* s, int32_t module, int32_t n) {
        IntArray* px = s->decodeModuleImage(module, 0);
        if (!px) return {};
        return std::vector<uint32_t>(px->elements(), px->elements() + n);
    }
    // 16 colours: colour i is 0xFF000000 | i × 0x111111.
    static std::vector<uint32_t> greys() {
        std::vector<uint32_t> p;
        for (uint32_t i = 0; i < 16; ++i) p.push_back(0xFF000000u | i * 0x111111u);
        return p;
    }
};

TEST_F(SpriteDecoding, EveryPixelFormatWithEveryColourFormat) {
    const std::vector<uint8_t> pattern = {0, 1, 2, 3, 4, 5, 6, 7, 7, 7, 7, 1, 1, 0, 3};  // 5 × 3
    for (const ColourFormat& colours : kColourFormats) {
        for (auto [format, bits] : kPixelFormats) {
            SCOPED_TRACE(testing::Message() << std::hex << "colours 0x" << colours.format << ", pixels 0x" << format);
            std::vector<uint8_t> indices = pattern;
            for (uint8_t& i : indices) i = static_cast<uint8_t>(i & ((1 << bits) - 1));
            SpriteData d = oneModule(5, 3, format, colours.stored);
            d.colourFormat = colours.format;
            d.modules[0].indices = indices;
            ASprite* s = newSprite(d);
            std::vector<uint32_t> expected;
            for (uint8_t i : indices) expected.push_back(colours.argb[i]);
            EXPECT_EQ(decoded(s, 0, 15), expected);
        }
    }
}

TEST_F(SpriteDecoding, EncodedBytesAsTheFormatsDefineThem) {
    struct Case {
        uint16_t format;
        std::vector<uint8_t> bytes;
        std::vector<uint32_t> indices;
    } cases[] = {
        {0x5602, {3, 0, 15}, {3, 0, 15}},
        {0x1600, {0x5A, 0xF0}, {5, 10, 15}},
        {0x0800, {0xAE, 0x4D, 0xD1}, {5, 3, 4, 4, 6, 7, 2, 1}},
        {0x0800, {0xAE, 0x4D}, {5, 3, 4, 4, 6}},  // stops after p4
        {0x0800, {0xAE}, {5, 3}},                 // stops after p1
        {0x0400, {0x1B}, {0, 1, 2, 3}},
        {0x0200, {0xA5}, {1, 0, 1, 0, 0, 1, 0, 1}},
        {0x64F0, {0x35, 0x0E}, {5, 5, 5, 5, 14}},
        {0x27F1, {0x83, 0x07, 0x05}, {7, 7, 7, 5}},
        {0x56F2, {0x82, 0x01, 0x02, 0x03, 0x09}, {1, 2, 9, 9, 9}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << "0x" << c.format);
        auto n = static_cast<int32_t>(c.indices.size());
        SpriteData d = oneModule(n, 1, c.format, greys());
        d.modules[0].pixels = c.bytes;
        ASprite* s = newSprite(d);
        std::vector<uint32_t> expected;
        for (uint32_t i : c.indices) expected.push_back(0xFF000000u | i * 0x111111u);
        EXPECT_EQ(decoded(s, 0, n), expected);
    }
}

TEST_F(SpriteDecoding, PackedFormatsMayWritePastTheModuleWithinTheBuffer) {
    // 3 pixels of 4 bits: the last byte writes a fourth; 3 pixels in a run of 5.
    SpriteData d = oneModule(3, 1, 0x1600, greys());
    d.modules[0].pixels = std::vector<uint8_t>{0x12, 0x34};
    IntArray* px = newSprite(d)->decodeModuleImage(0, 0);
    EXPECT_EQ(uint32_t(px->elements()[3]), 0xFF444444u);
    d.pixelFormat = 0x27F1;
    d.modules[0].pixels = std::vector<uint8_t>{0x85, 0x02};
    px = newSprite(d)->decodeModuleImage(0, 0);
    EXPECT_EQ(uint32_t(px->elements()[4]), 0xFF222222u);
    EXPECT_EQ(px->elements()[5], 0) << "beyond the run: untouched";
}

TEST_F(SpriteDecoding, ModuleSizes) {
    // 255 × 192 fills all but 192 of the buffer's 49152 pixels.
    SpriteData d = oneModule(255, 192, 0x27F1, greys());
    d.modules[0].indices.assign(255 * 192, 9);
    ASprite* s = newSprite(d);
    IntArray* px = s->decodeModuleImage(0, 0);
    ASSERT_NE(px, nullptr);
    EXPECT_EQ(px->length, 49152);
    EXPECT_EQ(uint32_t(px->elements()[255 * 192 - 1]), 0xFF999999u);

    // 256 × 256 is read as 0 × 0: nothing decoded, cached or drawn.
    SpriteData big = oneModule(256, 256, 0x5602, greys());
    big.modules[0].pixels = std::vector<uint8_t>{1, 2, 3};
    ASprite* b = newSprite(big);
    px->elements()[0] = 77;
    EXPECT_EQ(b->decodeModuleImage(0, 0), px);
    EXPECT_EQ(px->elements()[0], 77);
    b->buildModuleCache(0, 0, -1, -1, -1, ASprite::kCachePixels);
    EXPECT_EQ(static_cast<ObjectArray*>(b->modulePixelCache->elements()[0])->elements()[0], nullptr);
}

TEST_F(SpriteDecoding, AModuleLargerThanTheBufferWritesNoFurther) {
    // 255 × 255 is outside the data model: decoding fills the buffer and stops; caching refuses.
    SpriteData d = oneModule(255, 255, 0x27F1, greys());
    d.modules[0].indices.assign(255 * 255, 3);
    ASprite* s = newSprite(d);
    IntArray* px = s->decodeModuleImage(0, 0);
    ASSERT_NE(px, nullptr);
    EXPECT_EQ(uint32_t(px->elements()[49151]), 0xFF333333u);
    log.clear();
    s->buildModuleCache(0, 0, -1, -1, -1, ASprite::kCachePixels);
    EXPECT_TRUE(log.contains("larger than the pixel buffer"));
}

TEST_F(SpriteDecoding, ShortDataAndBadIndicesGiveSeeThroughPixels) {
    // Four colours; 8-bit indices 5 and 255 name none of them. Six of nine pixels are stored.
    SpriteData d = oneModule(3, 3, 0x5602, {0xFF0000FF, 0xFF00FF00, 0xFFFF0000, 0xFFFFFFFF});
    d.modules[0].pixels = std::vector<uint8_t>{0, 5, 1, 255, 2, 3};
    ASprite* s = newSprite(d);
    IntArray* px = s->decodeModuleImage(0, 0);
    std::fill_n(px->elements(), 16, 0x12345678);
    EXPECT_EQ(decoded(s, 0, 9), (std::vector<uint32_t>{0xFF0000FF, 0, 0xFF00FF00, 0, 0xFFFF0000, 0xFFFFFFFF, 0, 0, 0}));

    // A run format whose count byte is the module's last byte.
    d.pixelFormat = 0x27F1;
    d.modules[0].pixels = std::vector<uint8_t>{0x01, 0x84};
    EXPECT_EQ(decoded(newSprite(d), 0, 3), (std::vector<uint32_t>{0xFF00FF00, 0, 0}));
}

TEST_F(SpriteDecoding, UnknownPixelFormatLeavesTheBuffer) {
    SpriteData d = oneModule(2, 1, 0x1234, greys());
    d.modules[0].pixels = std::vector<uint8_t>{1, 2};
    ASprite* s = newSprite(d);
    ASprite::allocPixelBuffer();
    ASprite::statics.sharedPixelBuffer->elements()[0] = 42;
    EXPECT_EQ(decoded(s, 0, 1), (std::vector<uint32_t>{42}));
}

TEST_F(SpriteDecoding, WhatDecodesToNull) {
    SpriteData d = oneModule(2, 1, 0x5602, greys());
    d.modules[0].pixels = std::vector<uint8_t>{1, 2};
    d.modules.push_back({ModuleKind::Filled, 4, 4, 0, 0, 0xFF0000, {}, std::nullopt});
    ASprite* s = newSprite(d);
    EXPECT_NE(s->decodeModuleImage(0, 0), nullptr);
    EXPECT_EQ(s->decodeModuleImage(1, 0), nullptr) << "a rectangle module";
    EXPECT_EQ(s->decodeModuleImage(2, 0), nullptr) << "no such module";
    EXPECT_EQ(s->decodeModuleImage(-1, 0), nullptr);
    s->currentPalette = 3;
    EXPECT_EQ(s->decodeModuleImage(0, 0), nullptr) << "no colours";
    s->currentPalette = 0;
    s->releasePixelData();
    EXPECT_EQ(s->decodeModuleImage(0, 0), nullptr);

    d.paletteSection = false;
    EXPECT_EQ(newSprite(d)->decodeModuleImage(0, 0), nullptr);
}

TEST_F(SpriteDecoding, TheSharedBufferComesAndGoes) {
    IntArray* work = om()->newIntArray(102400);
    static IntArray* s_work;
    s_work = work;
    statics()->addRoot(&s_work);
    gameHooks().pixelWorkBuffer = [] { return s_work; };
    EXPECT_EQ(ASprite::statics.sharedPixelBuffer, nullptr);
    ASprite* s = newSprite(oneModule(1, 1, 0x5602, greys()));
    IntArray* shared = s->decodeModuleImage(0, 0);
    EXPECT_EQ(ASprite::statics.sharedPixelBuffer, shared);
    EXPECT_EQ(ASprite::statics.effectPixelBuffer, shared);
    ASprite::freePixelBuffer();
    EXPECT_EQ(ASprite::statics.sharedPixelBuffer, nullptr);
    EXPECT_EQ(ASprite::statics.effectPixelBuffer, work);
    EXPECT_EQ(ASprite::effectBuffer(), work);
    ASprite::statics.effectPixelBuffer = nullptr;
    gameHooks().pixelWorkBuffer = nullptr;
    EXPECT_NE(ASprite::effectBuffer(), nullptr) << "with no work buffer a shared one is made";
    EXPECT_EQ(ASprite::statics.effectPixelBuffer, ASprite::statics.sharedPixelBuffer);
}

}  // namespace
