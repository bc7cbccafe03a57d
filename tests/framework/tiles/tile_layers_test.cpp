#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>

#include "framework/core/game_base.h"
#include "framework/sprite/sprite_instance.h"
#include "runtime/lang/construct.h"
#include "tests/framework/framework_fixture.h"

namespace {

using namespace formats;
using Image = javax_microedition_lcdui_Image;
using Graphics = javax_microedition_lcdui_Graphics;
constexpr int32_t kCell = 32;

// Tile sprites of 32 x 32 image modules, frame f showing module f. In the base sprite every
// pixel is opaque and each module has its own pattern; in the overlay sprite a fifth of the
// pixels are see-through. Animations 0-5 have one frame each (frames 0-5); animation 6 shows
// frames 6, 7, 8 (durations 1, 1, 1) and animation 7 frames 9, 10 (durations 2, 1).
SpriteData tileSprite(bool overlay) {
    SpriteData d;
    for (int32_t m = 0; m < 11; ++m) {
        SpriteModule module{ModuleKind::Image, kCell, kCell, 0, 0, 0, {}, std::nullopt};
        for (int32_t y = 0; y < kCell; ++y)
            for (int32_t x = 0; x < kCell; ++x) {
                int32_t index = (x / 4 + y / 8 * 3 + m * 5) % 15 + 1;
                if (overlay && (x + 2 * y + m) % 5 == 0) index = 0;
                module.indices.push_back(static_cast<uint8_t>(index));
            }
        d.modules.push_back(module);
        d.frames.push_back({{{m, 0, 0, 0}}, {}, std::nullopt});
    }
    for (int32_t a = 0; a < 6; ++a) d.animations.push_back({{a, 1, 0, 0, 0}});
    d.animations.push_back({{6, 1, 0, 0, 0}, {7, 1, 0, 0, 0}, {8, 1, 0, 0, 0}});
    d.animations.push_back({{9, 2, 0, 0, 0}, {10, 1, 0, 0, 0}});
    std::vector<uint32_t> palette = {0x00000000};
    for (uint32_t i = 1; i < 16; ++i)
        palette.push_back(0xFF000000u | (overlay ? 0x0000F0u : 0xF00000u) | (i * 16) << 8 | (i * 13 & 0xFF) << 16);
    d.palettes = {palette};
    return d;
}

class TileLayers : public mrc::test::FrameworkTest {
protected:
    void SetUp() override {
        FrameworkTest::SetUp();
        statics()->addRoot(&base);
        statics()->addRoot(&overlay);
        statics()->addRoot(&sprites);
        base = newSprite(tileSprite(false));
        overlay = newSprite(tileSprite(true));
        for (ASprite* s : {base, overlay}) s->buildModuleCache(0, 0, -1, -1, -1, ASprite::kCacheImages);
        sprites = om()->newObjectArray(mrc::kClass_ASprite, 2);
        sprites->elements()[0] = base;
        sprites->elements()[1] = overlay;
        GameTiles::tileStatics.mapLayerSprite = bytes({0, 1});
        GameTiles::tileStatics.mapLayerCount = 2;
    }

    // A layer short[columns][rows] of the given cells (cells[c][r]).
    static ObjectArray* layer(const std::vector<std::vector<int16_t>>& cells) {
        ObjectArray* l = om()->newObjectArray(mrc::kClass_ShortArray, static_cast<int32_t>(cells.size()));
        for (std::size_t c = 0; c < cells.size(); ++c) {
            ShortArray* column = om()->newShortArray(static_cast<int32_t>(cells[c].size()));
            std::copy(cells[c].begin(), cells[c].end(), column->elements());
            l->elements()[c] = column;
        }
        return l;
    }
    static ObjectArray* layers(std::initializer_list<ObjectArray*> ls) {
        ObjectArray* a = om()->newObjectArray(mrc::kClass_ObjectArray, static_cast<int32_t>(ls.size()));
        int32_t i = 0;
        for (ObjectArray* l : ls) a->elements()[i++] = l;
        return a;
    }
    // A columns x rows map: base cells of animations 0-7 with some empty, overlay cells on a
    // quarter of them; cells empty in both layers included.
    static ObjectArray* randomMap(int32_t columns, int32_t rows, uint32_t seed) {
        std::mt19937 random(seed);
        std::vector<std::vector<int16_t>> bottom(static_cast<std::size_t>(columns)), top(bottom);
        for (int32_t c = 0; c < columns; ++c)
            for (int32_t r = 0; r < rows; ++r) {
                uint32_t v = random() % 40;
                bottom[std::size_t(c)].push_back(v < 4 ? -1 : static_cast<int16_t>(v % 8));
                top[std::size_t(c)].push_back(v % 4 == 1 ? static_cast<int16_t>(v % 6) : -1);
            }
        return layers({layer(bottom), layer(top)});
    }
    static Image* blackImage(int32_t w, int32_t h) { return Image::createBlankImage(w, h); }
    // The sprite's animation frame painted alone at (x, y) on a fresh image.
    static std::vector<uint16_t> painted(int32_t w, int32_t h, ASprite* s, int32_t anim, int32_t frame, int32_t x,
                                         int32_t y) {
        Image* image = blackImage(w, h);
        s->paintAFrameWithGraphics(image->getGraphics(), anim, frame, x, y, 0);
        return pixelsOf(image);
    }
    // The w x h block of an image at (x, y).
    static std::vector<uint16_t> block(Image* image, int32_t x, int32_t y, int32_t w, int32_t h) {
        std::vector<uint16_t> all = pixelsOf(image), out;
        for (int32_t r = y; r < y + h; ++r)
            for (int32_t c = x; c < x + w; ++c) out.push_back(all[std::size_t(r * image->width + c)]);
        return out;
    }

    ASprite* base = nullptr;
    ASprite* overlay = nullptr;
    ObjectArray* sprites = nullptr;
};

// ---- the painters ----

TEST_F(TileLayers, ClockLayerShowsTheClockFrameCutToEachAnimation) {
    // Cells: animation 6 (3 frames) and animation 0 (1 frame), one empty.
    ObjectArray* l = layer({{6, 0}, {-1, 6}});
    ASpriteInstance* clock = mrc::newConstructed<ASpriteInstance>(base, 0, 0, nullptr);
    clock->setAnim(7);
    clock->aframe = 5;
    Image* target = blackImage(64, 64);
    Graphics* g = target->getGraphics();
    g->setClip(1, 2, 50, 60);
    GameBase::paintTileLayerA(g, l, base, clock, 0, 0, 0, 0, 64, 64);
    EXPECT_EQ(g->getClipX(), 1);
    EXPECT_EQ(g->getClipWidth(), 50);
    EXPECT_EQ(g->getClipHeight(), 60);
    // Animation 6 is shown on its last frame (2), animation 0 on its only one.
    Image* expected = blackImage(64, 64);
    Graphics* e = expected->getGraphics();
    e->setClip(1, 2, 50, 60);
    base->paintAFrameWithGraphics(e, 6, 2, 0, 0, 0);
    base->paintAFrameWithGraphics(e, 0, 0, 0, 32, 0);
    base->paintAFrameWithGraphics(e, 6, 2, 32, 32, 0);
    EXPECT_EQ(pixelsOf(target), pixelsOf(expected));
}

TEST_F(TileLayers, PercentLayersPaintTheFrameAtThatShareOfEachAnimation) {
    // Window (16, 8, 40, 30) of a 3 x 2 layer drawn at (100, 50): cells (0..1, 0..1) meet it.
    ObjectArray* l = layer({{6, 7}, {7, 1}, {2, 6}});
    Image* target = blackImage(200, 120);
    GameBase::paintTileLayerB(target->getGraphics(), l, base, 60, 16, 8, 100, 50, 40, 30);
    Image* expected = blackImage(200, 120);
    Graphics* e = expected->getGraphics();
    e->setClip(100, 50, 40, 30);
    base->paintAFrameWithGraphics(e, 6, 1, 84, 42, 0);  // 60 % of 3 steps: frame 1
    base->paintAFrameWithGraphics(e, 7, 0, 84, 74, 0);  // 60 % of 3 steps, durations 2, 1: frame 0
    base->paintAFrameWithGraphics(e, 7, 0, 116, 42, 0);
    base->paintAFrameWithGraphics(e, 1, 0, 116, 74, 0);
    EXPECT_EQ(pixelsOf(target), pixelsOf(expected));
}

TEST_F(TileLayers, LayerSetsPaintLayerByLayerAndAnimatedCellsAlone) {
    ObjectArray* map = layers({layer({{0, 6}, {7, -1}}), layer({{3, -1}, {6, 2}})});
    Image* all = blackImage(64, 64);
    GameBase::paintTileLayer(all->getGraphics(), map, sprites, 100, 0, 0, 0, 0, 64, 64);
    Image* expected = blackImage(64, 64);
    Graphics* e = expected->getGraphics();
    base->paintAFrameWithGraphics(e, 0, 0, 0, 0, 0);
    overlay->paintAFrameWithGraphics(e, 3, 0, 0, 0, 0);
    base->paintAFrameWithGraphics(e, 7, 1, 32, 0, 0);
    overlay->paintAFrameWithGraphics(e, 6, 2, 32, 0, 0);
    base->paintAFrameWithGraphics(e, 6, 2, 0, 32, 0);
    overlay->paintAFrameWithGraphics(e, 2, 0, 32, 32, 0);
    EXPECT_EQ(pixelsOf(all), pixelsOf(expected));

    // Only the cells of animations with more than one frame; the one-frame cells stay as they were.
    Image* animated = blackImage(64, 64);
    Graphics* g = animated->getGraphics();
    GameBase::tileStatics.mapLayerCount = 1;  // the base layer only
    GameBase::paintTileLayerC(g, map, sprites, 0, 0, 0, 0, 0, 64, 64);
    Image* cells = blackImage(64, 64);
    base->paintAFrameWithGraphics(cells->getGraphics(), 7, 0, 32, 0, 0);
    base->paintAFrameWithGraphics(cells->getGraphics(), 6, 0, 0, 32, 0);
    EXPECT_EQ(pixelsOf(animated), pixelsOf(cells));
    EXPECT_EQ(g->getClipWidth(), 64);
    EXPECT_EQ(g->getClipHeight(), 64);
}

TEST_F(TileLayers, WindowsOutsideTheMapAndMissingAnimationsPaintNothing) {
    ObjectArray* l = layer({{0, 40}, {-5, 1}});  // 40: no such animation
    Image* target = blackImage(64, 64);
    std::vector<uint16_t> black = pixelsOf(target);
    GameBase::paintTileLayerB(target->getGraphics(), l, base, 0, 100, 100, 0, 0, 64, 64);
    GameBase::paintTileLayerB(target->getGraphics(), l, base, 0, -200, -200, 0, 0, 64, 64);
    EXPECT_EQ(pixelsOf(target), black);
    GameBase::paintTileLayerB(target->getGraphics(), l, base, 0, 0, 0, 0, 0, 64, 64);
    EXPECT_EQ(block(target, 0, 32, 32, 32), std::vector<uint16_t>(32 * 32, black[0]));
    EXPECT_NE(block(target, 0, 0, 32, 32), std::vector<uint16_t>(32 * 32, black[0]));
    EXPECT_EQ(app()->getPendingException(), nullptr);
}

// ---- the background buffer ----

TEST_F(TileLayers, BufferIsACellLargerThanTheViewOnEachAxis) {
    struct Case {
        int32_t vw, vh, w, h;
    } cases[] = {{800, 480, 832, 512}, {810, 480, 864, 512}, {300, 200, 352, 256}, {32, 1, 64, 64}};
    for (const Case& c : cases) {
        GameBase::createBackBuffer(c.vw, c.vh);
        auto& s = GameBase::tileStatics;
        ASSERT_NE(s.bgImage, nullptr);
        EXPECT_EQ(s.bgImage->width, c.w);
        EXPECT_EQ(s.bgImage->height, c.h);
        EXPECT_EQ(s.bgOriginX, -1);
        EXPECT_EQ(s.bgOriginY, -1);
        EXPECT_EQ(s.bgViewWidth, c.vw);
        EXPECT_NE(s.bgGraphics, nullptr);
    }
    GameBase::tileStatics.bgOriginX = 5;
    GameBase::invalidateBackgroundBuffer();
    EXPECT_EQ(GameBase::tileStatics.bgOriginX, -1);
    EXPECT_EQ(GameBase::tileStatics.bgOriginY, -1);
    GameBase::releaseBackgroundBuffer();
    EXPECT_EQ(GameBase::tileStatics.bgImage, nullptr);
    EXPECT_EQ(GameBase::tileStatics.bgGraphics, nullptr);
    // Without a buffer nothing is painted.
    GameBase::paintMapToBuffer(randomMap(4, 4, 1), sprites, 0, 0, 64, 64);
    EXPECT_TRUE(log.contains("no background buffer"));
}

TEST_F(TileLayers, CellsLandAtTheirHomesAndHeldCellsAreSkipped) {
    GameBase::tileStatics.mapLayerCount = 1;
    std::vector<std::vector<int16_t>> cells(30, std::vector<int16_t>(2, 0));
    cells[26][0] = 1;
    cells[9][0] = 2;
    ObjectArray* map = layers({layer(cells)});
    auto& s = GameBase::tileStatics;
    std::vector<uint16_t> tile0 = painted(32, 32, base, 0, 0, 0, 0), tile1 = painted(32, 32, base, 1, 0, 0, 0),
                          tile2 = painted(32, 32, base, 2, 0, 0, 0), black(32 * 32, 0);

    // [0, 64) is columns 0 and 1; [0, 65) also column 2.
    GameBase::createBackBuffer(800, 480);
    GameBase::paintMapToBuffer(map, sprites, 0, 0, 64, 32);
    EXPECT_EQ(block(s.bgImage, 32, 0, 32, 32), tile0);
    EXPECT_EQ(block(s.bgImage, 64, 0, 32, 32), black);
    GameBase::paintMapToBuffer(map, sprites, 0, 0, 65, 32);
    EXPECT_EQ(block(s.bgImage, 64, 0, 32, 32), tile0);
    EXPECT_EQ(block(s.bgImage, 0, 32, 32, 32), black);

    // Cell (26, 0) lives where cell (0, 0) lived.
    GameBase::paintMapToBuffer(map, sprites, 832, 0, 864, 32);
    EXPECT_EQ(block(s.bgImage, 0, 0, 32, 32), tile1);

    // The view at (320, 0) holds column 10 (px 320) but not column 9 (px 288).
    GameBase::createBackBuffer(800, 480);
    s.bgOriginX = 320;
    s.bgOriginY = 0;
    GameBase::paintMapToBuffer(map, sprites, 288, 0, 352, 32);
    EXPECT_EQ(block(s.bgImage, 288, 0, 32, 32), tile2);
    EXPECT_EQ(block(s.bgImage, 320, 0, 32, 32), black);
    // An empty rectangle paints nothing.
    GameBase::createBackBuffer(800, 480);
    GameBase::paintMapToBuffer(map, sprites, 0, 0, 0, 480);
    GameBase::paintMapToBuffer(map, sprites, 0, 5, 800, 5);
    EXPECT_EQ(block(s.bgImage, 0, 0, 32, 32), black);
}

TEST_F(TileLayers, DisplayModeTwoPaintsTheLastFrameOfEachAnimation) {
    GameBase::tileStatics.mapLayerCount = 1;
    ObjectArray* map = layers({layer({{6}, {7}})});
    static int32_t mode;
    gameHooks().displayMode = [] { return mode; };
    for (int32_t m : {0, 2}) {
        mode = m;
        GameBase::createBackBuffer(64, 32);
        GameBase::paintMapToBuffer(map, sprites, 0, 0, 64, 32);
        Image* buffer = GameBase::tileStatics.bgImage;
        EXPECT_EQ(block(buffer, 0, 0, 32, 32), painted(32, 32, base, 6, m == 2 ? 2 : 0, 0, 0)) << m;
        EXPECT_EQ(block(buffer, 32, 0, 32, 32), painted(32, 32, base, 7, m == 2 ? 1 : 0, 0, 0)) << m;
    }
}

// The game's scroller: paints what the buffer lacks of the view (the exposed strips, or the whole
// view), records the view and copies the buffer to the screen in up to four pieces.
class BackgroundScroller {
public:
    BackgroundScroller(ObjectArray* map, ObjectArray* sprites, int32_t vw, int32_t vh, bool strips)
        : m_map(map), m_sprites(sprites), m_vw(vw), m_vh(vh), m_strips(strips) {}

    void moveTo(Graphics* screen, int32_t x, int32_t y) {
        auto& s = GameBase::tileStatics;
        int32_t ox = s.bgOriginX, oy = s.bgOriginY;
        bool jump = ox < 0 || std::abs(x - ox) >= m_vw || std::abs(y - oy) >= m_vh;
        if (!m_strips || jump) {
            GameBase::paintMapToBuffer(m_map, m_sprites, x, y, x + m_vw, y + m_vh);
        } else {
            if (x > ox) GameBase::paintMapToBuffer(m_map, m_sprites, ox + m_vw, y, x + m_vw, y + m_vh);
            if (x < ox) GameBase::paintMapToBuffer(m_map, m_sprites, x, y, ox, y + m_vh);
            if (y > oy) GameBase::paintMapToBuffer(m_map, m_sprites, x, oy + m_vh, x + m_vw, y + m_vh);
            if (y < oy) GameBase::paintMapToBuffer(m_map, m_sprites, x, y, x + m_vw, oy);
        }
        s.bgOriginX = x;
        s.bgOriginY = y;
        Image* buffer = s.bgImage;
        int32_t bx = x % buffer->width, by = y % buffer->height;
        int32_t w1 = std::min(m_vw, buffer->width - bx), h1 = std::min(m_vh, buffer->height - by);
        screen->drawRegion(buffer, bx, by, w1, h1, 0, 0, 0, 0);
        if (w1 < m_vw) screen->drawRegion(buffer, 0, by, m_vw - w1, h1, 0, w1, 0, 0);
        if (h1 < m_vh) screen->drawRegion(buffer, bx, 0, w1, m_vh - h1, 0, 0, h1, 0);
        if (w1 < m_vw && h1 < m_vh) screen->drawRegion(buffer, 0, 0, m_vw - w1, m_vh - h1, 0, w1, h1, 0);
    }

private:
    ObjectArray* m_map;
    ObjectArray* m_sprites;
    int32_t m_vw, m_vh;
    bool m_strips;
};

TEST_F(TileLayers, ScrolledBufferEqualsAFullRepaintAfterRandomMoves) {
    constexpr int32_t kColumns = 40, kRows = 30, kViewW = 300, kViewH = 200;
    ObjectArray* map = randomMap(kColumns, kRows, 7);
    for (bool strips : {false, true}) {
        SCOPED_TRACE(strips ? "exposed strips" : "whole view");
        GameBase::createBackBuffer(kViewW, kViewH);
        BackgroundScroller scroller(map, sprites, kViewW, kViewH, strips);
        std::mt19937 random(2024);
        int32_t x = 0, y = 0;
        Image* screen = blackImage(kViewW, kViewH);
        for (int32_t move = 0; move < 200; ++move) {
            if (random() % 10 == 0) {  // a jump
                x = int32_t(random() % uint32_t(kColumns * kCell - kViewW));
                y = int32_t(random() % uint32_t(kRows * kCell - kViewH));
            } else {
                x = std::clamp(x + int32_t(random() % 97) - 48, 0, kColumns * kCell - kViewW);
                y = std::clamp(y + int32_t(random() % 71) - 35, 0, kRows * kCell - kViewH);
            }
            scroller.moveTo(screen->getGraphics(), x, y);
            Image* repaint = blackImage(kViewW, kViewH);
            GameBase::paintTileLayer(repaint->getGraphics(), map, sprites, 0, x, y, 0, 0, kViewW, kViewH);
            ASSERT_EQ(pixelsOf(screen), pixelsOf(repaint)) << "move " << move << " to " << x << ", " << y;
        }
    }
    // A buffer painted whole at the last view shows the same.
    auto& s = GameBase::tileStatics;
    int32_t x = s.bgOriginX, y = s.bgOriginY;
    Image* scrolled = blackImage(kViewW, kViewH);
    BackgroundScroller(map, sprites, kViewW, kViewH, true).moveTo(scrolled->getGraphics(), x, y);
    GameBase::createBackBuffer(kViewW, kViewH);
    Image* fresh = blackImage(kViewW, kViewH);
    BackgroundScroller(map, sprites, kViewW, kViewH, true).moveTo(fresh->getGraphics(), x, y);
    EXPECT_EQ(pixelsOf(scrolled), pixelsOf(fresh));
}

// ---- modules a map uses ----

TEST_F(TileLayers, UnusedModulesOfAMapAreReleased) {
    auto cached = [](ASprite* s) {
        std::vector<int32_t> out;
        auto* slots = static_cast<ObjectArray*>(s->moduleImageCache->elements()[0]);
        for (int32_t m = 0; m < s->moduleCount; ++m)
            if (slots->elements()[m]) out.push_back(m);
        return out;
    };
    struct Case {
        const char* name;
        std::vector<std::vector<int16_t>> cells;
        bool animated;
        std::vector<int32_t> kept;
    } cases[] = {
        {"all cells empty", {{-1, -1}, {-1, -2}}, true, {}},
        {"animations", {{6, -1}, {3, 6}}, true, {3, 6, 7, 8}},
        {"frames", {{6, -1}, {3, 10}}, false, {3, 6, 10}},
        {"values beyond the tables", {{40, 1}, {-1, 120}}, true, {1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASprite* s = newSprite(tileSprite(false));
        s->buildModuleCache(0, 0, -1, -1, -1, ASprite::kCacheImages);
        ByteArray* used = om()->newByteArray(s->moduleCount);
        GameBase::markUsedTileModules(layer(c.cells), s, c.animated, 0, used);
        s->releaseUnusedModuleImages(0, used);
        EXPECT_EQ(cached(s), c.kept);
        EXPECT_TRUE(s->hasCachedPalette(0));
        EXPECT_FALSE(s->hasCachedPalette(1));
    }
    // Pixel caches are released the same way; a short `used` keeps the modules beyond it.
    ASprite* s = newSprite(tileSprite(false));
    s->buildModuleCache(0, 0, -1, -1, -1, ASprite::kCachePixels);
    s->releaseUnusedModuleImages(0, bytes({1, 0, 1}));
    auto* pixels = static_cast<ObjectArray*>(s->modulePixelCache->elements()[0]);
    EXPECT_NE(pixels->elements()[0], nullptr);
    EXPECT_EQ(pixels->elements()[1], nullptr);
    EXPECT_NE(pixels->elements()[3], nullptr);
    EXPECT_EQ(app()->getPendingException(), nullptr);
}

}  // namespace
