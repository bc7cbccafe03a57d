#include <gtest/gtest.h>

#include "tests/framework/framework_fixture.h"

namespace {

using namespace formats;

class SpriteLoading : public mrc::test::FrameworkTest {
protected:
    // Two image modules, an outline and a filled module; two frames with rectangles; two
    // animations; two palettes of four 8888 colours; 8-bit pixels.
    static SpriteData sample() {
        SpriteData s;
        s.modules = {
            {ModuleKind::Image, 3, 2, -4, 7, 0, {0, 1, 2, 3, 2, 1}, std::nullopt},
            {ModuleKind::Image, 2, 2, 0, 0, 0, {3, 3, 3, 3}, std::nullopt},
            {ModuleKind::Outline, 5, 6, 0, 0, 0x00FF00, {}, std::nullopt},
            {ModuleKind::Filled, 7, 8, 0, 0, 0x123456, {}, std::nullopt},
        };
        s.rectSection = true;
        s.frames = {
            {{{0, 1, 2, 0}, {1, -3, 4, 0x01}}, {{-2, -3, 4, 5}, {1, 2, 200, 3}}, std::nullopt},
            {{{2, 0, 0, 0}}, {{5, 6, 7, 8}}, std::nullopt},
        };
        s.animations = {{{0, 2, 10, -10, 0x01}, {1, 3, 0, 0, 0}}, {{1, 0, 0, 0, 0}}};
        s.palettes = {{0xFF000000, 0xFFFF0000, 0xFF00FF00, 0x800000FF}, {0xFFFFFFFF, 0xFF111111, 0xFF222222, 0xFF333333}};
        return s;
    }
    static std::vector<int32_t> shorts(ShortArray* a) {
        return a ? std::vector<int32_t>(a->elements(), a->elements() + a->length) : std::vector<int32_t>{};
    }
    static std::vector<int32_t> bytesOf(ByteArray* a) {
        return a ? std::vector<int32_t>(a->elements(), a->elements() + a->length) : std::vector<int32_t>{};
    }
};

TEST_F(SpriteLoading, ReadsEverySection) {
    ASprite* s = newSprite(sample());
    EXPECT_EQ(s->dataFlags, 0x8001);
    EXPECT_EQ(s->moduleCount, 4);
    EXPECT_EQ(bytesOf(s->moduleKind), (std::vector<int32_t>{0, 0, 1, 2}));
    EXPECT_EQ(shorts(s->moduleX), (std::vector<int32_t>{-4, 0, 0, 0}));
    EXPECT_EQ(shorts(s->moduleY), (std::vector<int32_t>{7, 0, 0, 0}));
    EXPECT_EQ(shorts(s->moduleWidth), (std::vector<int32_t>{3, 2, 5, 7}));
    EXPECT_EQ(shorts(s->moduleHeight), (std::vector<int32_t>{2, 2, 6, 8}));
    EXPECT_EQ(intsOf(s->moduleColor, 4), (std::vector<int32_t>{0, 0, 0x00FF00, 0x123456}));

    EXPECT_EQ(bytesOf(s->fmModule), (std::vector<int32_t>{0, 1, 2}));
    EXPECT_EQ(shorts(s->fmOffsetX), (std::vector<int32_t>{1, -3, 0}));
    EXPECT_EQ(shorts(s->fmOffsetY), (std::vector<int32_t>{2, 4, 0}));
    EXPECT_EQ(bytesOf(s->fmFlags), (std::vector<int32_t>{0, 1, 0}));
    EXPECT_EQ(bytesOf(s->frameModuleCount), (std::vector<int32_t>{2, 1}));
    EXPECT_EQ(shorts(s->frameFirstModule), (std::vector<int32_t>{0, 2}));
    ASSERT_EQ(s->frameRects->length, 3);
    EXPECT_EQ(bytesOf(static_cast<ByteArray*>(s->frameRects->elements()[1])), (std::vector<int32_t>{1, 2, -56, 3}));
    EXPECT_EQ(bytesOf(s->frameRectCount), (std::vector<int32_t>{2, 1}));
    EXPECT_EQ(shorts(s->frameFirstRect), (std::vector<int32_t>{0, 2}));

    EXPECT_EQ(bytesOf(s->aframeFrame), (std::vector<int32_t>{0, 1, 1}));
    EXPECT_EQ(bytesOf(s->aframeTime), (std::vector<int32_t>{2, 3, 0}));
    EXPECT_EQ(shorts(s->aframeOffsetX), (std::vector<int32_t>{10, 0, 0}));
    EXPECT_EQ(shorts(s->aframeOffsetY), (std::vector<int32_t>{-10, 0, 0}));
    EXPECT_EQ(bytesOf(s->aframeFlags), (std::vector<int32_t>{1, 0, 0}));
    EXPECT_EQ(bytesOf(s->animFrameCount), (std::vector<int32_t>{2, 1}));
    EXPECT_EQ(shorts(s->animFirstFrame), (std::vector<int32_t>{0, 2}));

    EXPECT_EQ(s->paletteCount, 2);
    EXPECT_EQ(s->colorsPerPalette, 4);
    EXPECT_EQ(s->palettes->length, 8);
    EXPECT_EQ(intsOf(static_cast<IntArray*>(s->palettes->elements()[1]), 4),
              (std::vector<int32_t>{-1, int32_t(0xFF111111u), int32_t(0xFF222222u), int32_t(0xFF333333u)}));
    EXPECT_TRUE(s->hasAlpha) << "0x800000FF is translucent";
    EXPECT_EQ(s->pixelFormat, 0x5602);
    EXPECT_EQ(intsOf(s->moduleDataOffset, 4), (std::vector<int32_t>{0, 6, 10, 10}));
    EXPECT_EQ(s->pixelData->length, 10);
    EXPECT_EQ(intsOf(s->paletteCacheMode, 2), (std::vector<int32_t>{1, 1}));
    EXPECT_EQ(s->moduleMappings->length, 10);
    EXPECT_EQ(s->currentMapping, -1);
    EXPECT_EQ(s->currentPalette, 0);
}

TEST_F(SpriteLoading, WithoutTheModuleFlagTheFirstCountIsTheFrameModules) {
    SpriteData d = sample();
    d.moduleSection = false;
    d.rectSection = false;
    d.paletteSection = false;
    ASprite* s = newSprite(d);
    EXPECT_EQ(s->moduleCount, 0);
    EXPECT_EQ(s->moduleKind, nullptr);
    EXPECT_EQ(s->fmModule->length, 3);
    EXPECT_EQ(s->frameModuleCount->length, 2);
    EXPECT_EQ(s->frameRects, nullptr);
    EXPECT_EQ(s->frameFirstRect, nullptr);
    EXPECT_EQ(s->palettes, nullptr) << "no palette section: the data ends after the animations";
    EXPECT_EQ(s->pixelData, nullptr);
}

TEST_F(SpriteLoading, FirstRectanglesSumThePositiveCounts) {
    SpriteData d = sample();
    d.frames = {{{}, {{1, 1, 1, 1}, {2, 2, 2, 2}}, std::nullopt},
                {{}, {}, int8_t(-3)},
                {{}, {{3, 3, 3, 3}}, std::nullopt},
                {{}, {}, std::nullopt}};
    ASprite* s = newSprite(d);
    EXPECT_EQ(shorts(s->frameFirstRect), (std::vector<int32_t>{0, 2, 2, 3}));
    EXPECT_EQ(bytesOf(s->frameRectCount), (std::vector<int32_t>{2, -3, 1, 0}));
    EXPECT_EQ(s->getItemCount(0), 2);
    EXPECT_EQ(s->getItemCount(1), 0);
    EXPECT_EQ(s->getItemCount(2), 1);
    EXPECT_EQ(s->getItemCount(3), 0) << "the last frame: records minus its first";
}

TEST_F(SpriteLoading, HighFlagBitsExtendTheIndices) {
    SpriteData d = sample();
    d.frames = {{{{0x301, 0, 0, 0x05}}, {}, std::nullopt}};
    d.rectSection = false;
    d.animations = {{{0x2FF, 1, 0, 0, 0x0A}}};
    ASprite* s = newSprite(d);
    EXPECT_EQ(uint8_t(s->fmFlags->elements()[0]), 0xC5) << "module 0x301 mirrored and rotated";
    EXPECT_EQ(uint8_t(s->fmModule->elements()[0]), 0x01);
    EXPECT_EQ(s->getAnimFrameId(0, 0), 0x2FF);
    EXPECT_EQ(uint8_t(s->aframeFlags->elements()[0]), 0x8A);
}

TEST_F(SpriteLoading, ColourFormats) {
    struct Case {
        uint16_t format;
        std::vector<uint32_t> stored;
        std::vector<uint32_t> argb;
        bool alpha;
    } cases[] = {
        {0x8888, {0xFF123456, 0xFE000000}, {0xFF123456, 0xFE000000}, true},
        {0x8888, {0xFF123456, 0xFFFFFFFF}, {0xFF123456, 0xFFFFFFFF}, false},
        {0x4444, {0x1234, 0xFABC}, {0x11223344, 0xFFAABBCC}, true},
        {0x4444, {0xF000, 0xFFFF}, {0xFF000000, 0xFFFFFFFF}, false},
        {0x6505, {0xF81F, 0x07E0}, {0x00F800F8, 0xFF00FC00}, true},
        {0x6505, {0x001F, 0x8410}, {0xFF0000F8, 0xFF808080}, false},
        {0x1234, {0x1111, 0x2222}, {0, 0}, false},  // unknown: no colour bytes, palettes of zeros
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.format << " " << c.stored[0]);
        SpriteData d = sample();
        d.colourFormat = c.format;
        d.palettes = {c.stored};
        d.coloursPerPalette = 2;
        ASprite* s = newSprite(d);
        auto* palette = static_cast<IntArray*>(s->palettes->elements()[0]);
        ASSERT_NE(palette, nullptr);
        EXPECT_EQ(uint32_t(palette->elements()[0]), c.argb[0]);
        EXPECT_EQ(uint32_t(palette->elements()[1]), c.argb[1]);
        EXPECT_EQ(s->hasAlpha != 0, c.alpha);
    }
}

TEST_F(SpriteLoading, PaletteCountsAndSizes) {
    SpriteData d = sample();
    d.palettes.assign(10, std::vector<uint32_t>(256, 0xFF00FF00));
    d.coloursPerPalette = 256;  // stored as 0
    d.modules.resize(1);
    log.clear();
    ASprite* s = newSprite(d);
    EXPECT_EQ(s->colorsPerPalette, 256);
    EXPECT_EQ(s->paletteCount, 8);
    EXPECT_TRUE(log.contains("10 palettes; the first 8 are kept"));
    EXPECT_EQ(static_cast<IntArray*>(s->palettes->elements()[7])->length, 256);
    EXPECT_EQ(s->pixelFormat, 0x5602) << "the two palettes beyond 8 are skipped, not read as pixels";
    EXPECT_EQ(s->bitsPerPixel, 8);
    EXPECT_EQ(s->pixelMask, 255);
}

TEST_F(SpriteLoading, RunPackedIndexBitsFollowThePaletteSize) {
    for (auto [colours, bits, mask] : {std::tuple{256, 8, 255}, {16, 4, 15}, {2, 1, 1}, {1, 0, 0}, {5, 3, 7}}) {
        SpriteData d = sample();
        d.palettes = {std::vector<uint32_t>(std::size_t(colours), 0xFF000000)};
        d.coloursPerPalette = colours;
        d.pixelFormat = 0x64F0;
        for (auto& m : d.modules) std::fill(m.indices.begin(), m.indices.end(), 0);
        ASprite* s = newSprite(d);
        EXPECT_EQ(s->bitsPerPixel, bits) << colours;
        EXPECT_EQ(s->pixelMask, mask) << colours;
    }
}

TEST_F(SpriteLoading, CutDataNeverReadsPastItsEnd) {
    std::vector<uint8_t> full = spriteFile(sample());
    for (std::size_t cut = 0; cut < full.size(); ++cut) {
        SCOPED_TRACE(cut);
        ByteArray* b = bytes(std::vector<uint8_t>(full.begin(), full.begin() + std::ptrdiff_t(cut)));
        ASprite* s = mrc::newObject<ASprite>();
        bool complete = s->load(b, 0);
        // The data may end exactly after the animations: no palettes, complete.
        std::size_t animationsEnd = full.size() - (2 + 1 + 1 + 2 * 4 * 4 + 2 + 4 * 2 + 10);
        EXPECT_EQ(complete, cut == animationsEnd);
        EXPECT_NE(s->moduleMappings, nullptr);
        EXPECT_NE(s->paletteCacheMode, nullptr);
    }
    ASprite* s = mrc::newObject<ASprite>();
    EXPECT_FALSE(s->load(bytes(full), -1));
    EXPECT_FALSE(s->load(bytes(full), static_cast<int32_t>(full.size())));
    EXPECT_FALSE(s->load(nullptr, 0));
    EXPECT_TRUE(log.contains("NullPointer"));
}

TEST_F(SpriteLoading, LoadsFromAnOffset) {
    std::vector<uint8_t> file = spriteFile(sample());
    file.insert(file.begin(), {9, 9, 9});
    ASprite* s = mrc::newObject<ASprite>();
    EXPECT_TRUE(s->load(bytes(file), 3));
    EXPECT_EQ(s->moduleCount, 4);
}

TEST_F(SpriteLoading, PalettesAndMappings) {
    ASprite* s = newSprite(sample());
    for (auto [p, expected] : {std::pair{1, 1}, {2, 1}, {-1, 1}, {0, 0}, {8, 0}}) {
        s->setPalette(p);
        EXPECT_EQ(s->getPalette(), expected) << p;
    }

    EXPECT_FALSE(ASprite::hasModuleMapping(s, 3));
    EXPECT_FALSE(ASprite::hasModuleMapping(nullptr, 3));
    s->applyModuleMapping(3, nullptr);
    EXPECT_FALSE(ASprite::hasModuleMapping(s, 3)) << "null data does nothing";
    log.clear();
    // Pairs (1 -> 3), (0 -> 2), (7 -> 1: no module 7), (2 -> 9: no module 9), one odd byte.
    s->applyModuleMapping(3, bytes({1, 0, 3, 0, 0, 0, 2, 0, 7, 0, 1, 0, 2, 0, 9, 0, 5}));
    EXPECT_TRUE(ASprite::hasModuleMapping(s, 3));
    auto* mapping = static_cast<ShortArray*>(s->moduleMappings->elements()[3]);
    EXPECT_EQ(shorts(mapping), (std::vector<int32_t>{2, 3, 2, 3}));
    EXPECT_TRUE(log.contains("2 pairs name modules beyond 4"));
    s->applyModuleMapping(3, bytes({3, 0, 0, 0}));
    EXPECT_EQ(shorts(mapping), (std::vector<int32_t>{2, 3, 2, 0})) << "a mapping is changed in place";
    s->applyModuleMapping(10, bytes({0, 0, 1, 0}));
    EXPECT_TRUE(log.contains("no mapping slot 10"));
    s->removeModuleMapping(3);
    s->removeModuleMapping(11);
    EXPECT_FALSE(ASprite::hasModuleMapping(s, 3));

    s->setModuleMapping(4);
    EXPECT_EQ(s->getModuleMapping(), 4);
    s->setLineSpacing(3);
    EXPECT_EQ(s->getLineSpacing(), 3);
}

TEST_F(SpriteLoading, LookUps) {
    ASprite* s = newSprite(sample());
    EXPECT_EQ(s->getAnimLength(0), 2);
    EXPECT_EQ(s->getFModuleCount(0), 2);
    EXPECT_EQ(s->getAnimFrameId(0, 1), 1);
    EXPECT_EQ(s->getAFrameTime(0, 1), 3);
    EXPECT_EQ(s->getFModuleOffsetX(0, 1), -3);
    EXPECT_EQ(s->getFrameDataShort(0, 1), 4);
    EXPECT_EQ(s->getFlippedItemCount(0, 1), 1);
    EXPECT_EQ(ASprite::getFlippedItemCountSafe(s, 0, 0), 2);
    EXPECT_EQ(ASprite::getFlippedItemCountSafe(nullptr, 0, 0), 0);
    EXPECT_EQ(s->getFrameRectRecord(0, 1), s->frameRects->elements()[1]);
    EXPECT_EQ(ASprite::statics.lastRectRecord, s->frameRects->elements()[1]);

    // An index outside a table: the Java exception, no value.
    EXPECT_EQ(s->getAnimLength(5), 0);
    EXPECT_TRUE(pending(mrc::kClass_java_lang_ArrayIndexOutOfBoundsException));
    app()->clearPendingException();
}

TEST_F(SpriteLoading, AnimationFrameAtAPercentOfTheDuration) {
    SpriteData d = sample();
    d.animations = {{{0, 2}, {1, 2}, {0, 2}}, {{0, 5}}, {{0, 1}, {1, 0}, {0, 4}}};
    ASprite* s = newSprite(d);
    struct Case {
        int32_t anim, percent, frame;
    } cases[] = {
        {0, 0, 0},   {0, 50, 1},  {0, 100, 2}, {0, 33, 0}, {0, 34, 1},  {0, 67, 2},
        {1, 50, 0},  {1, 100, 0}, {2, 20, 2},  {2, 19, 0}, {2, 99, 2},  {2, 150, 2},
    };
    for (const Case& c : cases) EXPECT_EQ(s->getAnimFrame(c.anim, c.percent), c.frame) << c.anim << " " << c.percent;
}

TEST_F(SpriteLoading, UnloadAndRelease) {
    ASprite* s = newSprite(sample());
    s->buildModuleCache(0, 0, -1, -1, -1, ASprite::kCacheImages);
    s->buildModuleCache(1, 0, -1, -1, -1, ASprite::kCachePixels);
    ObjectArray* images = s->moduleImageCache;
    ASSERT_NE(images, nullptr);
    ASSERT_NE(s->modulePixelCache, nullptr);
    s->releasePixelData();
    EXPECT_EQ(s->pixelData, nullptr);
    EXPECT_EQ(s->moduleDataOffset, nullptr);
    EXPECT_EQ(s->decodeModuleImage(0, 0), nullptr);
    EXPECT_NE(s->moduleX, nullptr);

    s->unload();
    for (JArray* table : std::initializer_list<JArray*>{s->moduleX, s->moduleY, s->moduleWidth, s->moduleHeight,
                                                        s->frameModuleCount, s->frameFirstModule, s->fmModule,
                                                        s->fmOffsetX, s->fmOffsetY, s->fmFlags, s->animFrameCount,
                                                        s->animFirstFrame, s->aframeFrame, s->aframeTime,
                                                        s->aframeOffsetX, s->aframeOffsetY, s->aframeFlags,
                                                        s->palettes, s->moduleImageCache, s->modulePixelCache})
        EXPECT_EQ(table, nullptr);
    EXPECT_EQ(images->elements()[0], nullptr) << "the cache's entries are dropped first";
    EXPECT_NE(s->frameRects, nullptr);

    // The sprite table reloads it.
    EXPECT_TRUE(s->load(bytes(spriteFile(sample())), 0));
    s->cacheModule(0, 0, ASprite::kCachePixels);
    EXPECT_NE(s->modulePixelCache, nullptr);
}

}  // namespace
