#include <gtest/gtest.h>

#include "platform/lcdui/image.h"
#include "tests/framework/framework_fixture.h"

namespace {

using namespace formats;
using Image = javax_microedition_lcdui_Image;

class SpriteCaches : public mrc::test::FrameworkTest {
protected:
    // Four 2 × 2 modules: opaque, with a see-through pixel, translucent, opaque. Frame 0 uses
    // modules 0 and 1, frame 1 module 2; module 3 only through a mapping. Two palettes.
    static SpriteData cacheSprite() {
        SpriteData d;
        d.modules = {
            {ModuleKind::Image, 2, 2, 0, 0, 0, {1, 2, 3, 1}, std::nullopt},
            {ModuleKind::Image, 2, 2, 0, 0, 0, {0, 2, 2, 3}, std::nullopt},
            {ModuleKind::Image, 2, 2, 0, 0, 0, {4, 1, 1, 4}, std::nullopt},
            {ModuleKind::Image, 2, 2, 0, 0, 0, {3, 3, 3, 2}, std::nullopt},
        };
        d.frames = {{{{0, 0, 0, 0}, {1, 2, 0, 0}}, {}, std::nullopt}, {{{2, 0, 0, 0}}, {}, std::nullopt}};
        d.palettes = {{0x00000000, 0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0x80FFFFFF},
                      {0x00000000, 0xFF110000, 0xFF002200, 0xFF000033, 0x80444444}};
        return d;
    }
    static Object* cached(ObjectArray* cache, int32_t palette, int32_t module) {
        if (!cache) return nullptr;
        auto* slots = static_cast<ObjectArray*>(cache->elements()[palette]);
        return slots ? slots->elements()[module] : nullptr;
    }
    static std::vector<bool> imagesOf(ASprite* s, int32_t palette) {
        std::vector<bool> v;
        for (int32_t m = 0; m < s->moduleCount; ++m) v.push_back(cached(s->moduleImageCache, palette, m) != nullptr);
        return v;
    }
};

TEST_F(SpriteCaches, ImagesOfARangeOfModules) {
    ASprite* s = newSprite(cacheSprite());
    EXPECT_FALSE(s->hasCachedPalette(0));
    s->buildModuleCache(0, 1, 2, -1, -1, ASprite::kCacheImages);
    EXPECT_EQ(imagesOf(s, 0), (std::vector<bool>{false, true, true, false}));
    EXPECT_EQ(s->paletteCacheMode->elements()[0], ASprite::kCacheImages);
    EXPECT_TRUE(s->hasCachedPalette(0));
    EXPECT_FALSE(s->hasCachedPalette(1));
    EXPECT_FALSE(s->hasCachedPalette(2));
    EXPECT_FALSE(s->hasCachedPalette(-1));
    EXPECT_EQ(s->modulePixelCache, nullptr);

    // Opaque, keyed (a see-through pixel), translucent.
    s->buildModuleCache(0, 0, -1, -1, -1, ASprite::kCacheImages | ASprite::kKeepPixelData);
    EXPECT_EQ(static_cast<Image*>(cached(s->moduleImageCache, 0, 0))->pixelType, mrc::gfx::kRgb565);
    EXPECT_EQ(static_cast<Image*>(cached(s->moduleImageCache, 0, 1))->pixelType, mrc::gfx::kRgb565Keyed);
    EXPECT_EQ(static_cast<Image*>(cached(s->moduleImageCache, 0, 2))->pixelType, mrc::gfx::kArgb4444);
    EXPECT_EQ(s->getPalette(), 0);
    EXPECT_EQ(s->paletteCacheMode->elements()[0], ASprite::kCacheImages | ASprite::kKeepPixelData);
}

TEST_F(SpriteCaches, PixelCopiesOwnTheirPixels) {
    ASprite* s = newSprite(cacheSprite());
    s->setPalette(1);
    s->buildModuleCache(0, 0, -1, -1, -1, ASprite::kCachePixels);
    EXPECT_EQ(s->getPalette(), 1) << "the current palette is restored";
    auto* copy = static_cast<IntArray*>(cached(s->modulePixelCache, 0, 3));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->length, 4);
    s->setPalette(0);
    s->decodeModuleImage(0, 0);  // overwrites the shared buffer
    EXPECT_EQ(intsOf(copy, 4), (std::vector<int32_t>{int32_t(0xFF0000FF), int32_t(0xFF0000FF),
                                                      int32_t(0xFF0000FF), int32_t(0xFF00FF00)}));
    EXPECT_TRUE(s->hasCachedPalette(0));
    EXPECT_EQ(s->moduleImageCache, nullptr);
}

TEST_F(SpriteCaches, WhatBuildsNothing) {
    ASprite* s = newSprite(cacheSprite());
    s->buildModuleCache(0, 0, -1, -1, -1, ASprite::kCacheNone | ASprite::kCacheImages);
    EXPECT_EQ(s->moduleImageCache, nullptr);
    EXPECT_EQ(s->paletteCacheMode->elements()[0], ASprite::kCacheNone);
    log.clear();
    s->buildModuleCache(2, 0, -1, -1, -1, ASprite::kCacheImages);
    s->buildModuleCache(-1, 0, -1, -1, -1, ASprite::kCacheImages);
    EXPECT_TRUE(log.contains("no palette 2"));
    EXPECT_TRUE(log.contains("no palette -1"));
    EXPECT_EQ(s->moduleImageCache, nullptr);

    SpriteData none = cacheSprite();
    none.moduleSection = false;
    none.frames.clear();
    ASprite* empty = newSprite(none);
    empty->buildModuleCache(0, 0, -1, -1, -1, ASprite::kCacheImages);
    EXPECT_EQ(empty->moduleImageCache, nullptr);
}

TEST_F(SpriteCaches, CopiesShareTheEntriesOfAnotherPalette) {
    ASprite* s = newSprite(cacheSprite());
    s->buildModuleCache(0, 0, -1, -1, -1, ASprite::kCacheImages);
    s->buildModuleCache(1, 1, 2, 0, -1, ASprite::kCacheImages);
    EXPECT_EQ(imagesOf(s, 1), (std::vector<bool>{false, true, true, false}));
    EXPECT_EQ(cached(s->moduleImageCache, 1, 2), cached(s->moduleImageCache, 0, 2));
}

TEST_F(SpriteCaches, AMappingCachesTheModulesTheFramesUseThroughIt) {
    ASprite* s = newSprite(cacheSprite());
    s->applyModuleMapping(5, bytes({2, 0, 3, 0}));
    s->buildModuleCache(1, 0, -1, -1, 5, ASprite::kCacheImages);
    EXPECT_EQ(imagesOf(s, 1), (std::vector<bool>{true, true, false, true}));
    s->buildModuleCache(0, 0, -1, -1, 6, ASprite::kCacheImages);  // an empty slot: the modules as they are
    EXPECT_EQ(imagesOf(s, 0), (std::vector<bool>{true, true, true, false}));
}

TEST_F(SpriteCaches, ReleasingModulesNoSelectedMappingReaches) {
    for (int32_t selected : {1, 2}) {
        SCOPED_TRACE(selected);
        ASprite* s = newSprite(cacheSprite());
        s->applyModuleMapping(2, bytes({2, 0, 3, 0}));
        s->buildModuleCache(0, 0, -1, -1, -1, ASprite::kCacheImages);
        ObjectArray* selectors = om()->newObjectArray(mrc::kClass_ByteArray, 3);
        for (int32_t k = 0; k < 3; ++k) selectors->elements()[k] = bytes({uint8_t(k == selected ? 0 : 254)});
        GameBase::releaseUnmappedModuleImages(selectors, s, 0);
        // Mapping 1 does not exist (the modules as they are); mapping 2 shows module 3 for 2.
        EXPECT_EQ(imagesOf(s, 0), selected == 1 ? (std::vector<bool>{true, true, true, false})
                                                : (std::vector<bool>{true, true, false, true}));
        for (int32_t k = 0; k < 3; ++k)
            EXPECT_EQ(static_cast<ByteArray*>(selectors->elements()[k])->elements()[0], k == selected ? 0 : -1);
    }
}

}  // namespace
