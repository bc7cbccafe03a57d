#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "tests/game/flow/paint_fixture.h"
#include "tools/formats/text_pack.h"

namespace {

using namespace formats;
constexpr int32_t kCell = 32;
constexpr int32_t kViewW = 800, kViewH = 480;

// Six 32 x 32 tiles, each a diagonal stripe pattern of its own two colours; the second sprite's
// tiles are see-through on every third stripe. Frame and animation t show tile t.
SpriteData stripeTiles(bool seeThrough) {
    SpriteData d;
    for (int32_t t = 0; t < 6; ++t) {
        SpriteModule m{ModuleKind::Image, kCell, kCell, 0, 0, 0, {}, std::nullopt};
        for (int32_t i = 0; i < kCell * kCell; ++i) {
            int32_t stripe = (i % kCell + i / kCell + t * 3) / 4 % 3;
            m.indices.push_back(uint8_t(seeThrough && stripe == 2 ? 0 : 1 + t * 2 + (stripe & 1)));
        }
        d.modules.push_back(m);
        d.frames.push_back({{{t, 0, 0, 0}}, {}, std::nullopt});
        d.animations.push_back({{t, 1, 0, 0, 0}});
    }
    std::vector<uint32_t> palette{0};
    for (uint32_t k = 1; k <= 12; ++k)
        palette.push_back(0xFF000000u | (k * 40 % 256) << 16 | (k * 90 % 256) << 8 | (seeThrough ? 0xC0u : k * 17));
    d.palettes = {palette, palette};
    return d;
}

class MapRepaint : public mrc::test::PaintTest {
protected:
    void SetUp() override {
        PaintTest::SetUp();
        statics()->addRoot(reinterpret_cast<Object**>(&sprites));
        statics()->addRoot(reinterpret_cast<Object**>(&map));
        sprites = om()->newObjectArray(mrc::kClass_ASprite, 2);
        for (int32_t i = 0; i < 2; ++i) {
            ASprite* s = newSprite(stripeTiles(i == 1));
            s->buildModuleCache(0, 0, -1, -1, -1, ASprite::kCacheImages);
            sprites->elements()[i] = s;
        }
        GameTiles::tileStatics.mapLayerSprite = bytes({0, 1});
        GameTiles::tileStatics.mapLayerCount = 2;
        map = randomMap(90, 60, 7);
    }
    void TearDown() override {
        sprites = nullptr;
        map = nullptr;
        PaintTest::TearDown();
    }

    static ObjectArray* randomMap(int32_t columns, int32_t rows, uint32_t seed) {
        std::mt19937 random(seed);
        ObjectArray* layers = om()->newObjectArray(mrc::kClass_ObjectArray, 2);
        for (int32_t l = 0; l < 2; ++l) {
            ObjectArray* layer = om()->newObjectArray(mrc::kClass_ShortArray, columns);
            layers->elements()[l] = layer;
            for (int32_t c = 0; c < columns; ++c) {
                ShortArray* column = om()->newShortArray(rows);
                layer->elements()[c] = column;
                for (int32_t r = 0; r < rows; ++r) {
                    uint32_t v = random() % 10;
                    column->elements()[r] = int16_t(l == 0 ? (v == 0 ? -1 : int32_t(v % 6)) : (v < 7 ? -1 : int32_t(v % 6)));
                }
            }
        }
        return layers;
    }
    // The buffer's home squares of every cell the view at (x, y) shows.
    static std::vector<uint16_t> viewCells(int32_t x, int32_t y) {
        Image* buffer = GameTiles::tileStatics.bgImage;
        std::vector<uint16_t> all = pixelsOf(buffer), out;
        for (int32_t r = y / kCell; r <= (y + kViewH - 1) / kCell; ++r)
            for (int32_t c = x / kCell; c <= (x + kViewW - 1) / kCell; ++c) {
                int32_t hx = c * kCell % buffer->width, hy = r * kCell % buffer->height;
                for (int32_t j = 0; j < kCell; ++j)
                    for (int32_t i = 0; i < kCell; ++i)
                        out.push_back(all[std::size_t((hy + j) * buffer->width + hx + i)]);
            }
        return out;
    }
    static std::vector<uint16_t> wholeRepaint(int32_t x, int32_t y) {
        GameTiles::createBackBuffer(kViewW, kViewH);
        Game::repaintMapBuffer(map, sprites, x, y);
        return viewCells(x, y);
    }

    static inline ObjectArray* sprites = nullptr;
    static inline ObjectArray* map = nullptr;
};

TEST_F(MapRepaint, ScrollingRepaintEqualsAWholeRepaint) {
    GameTiles::createBackBuffer(kViewW, kViewH);
    std::mt19937 random(2024);
    int32_t x = 300, y = 200;
    Game::repaintMapBuffer(map, sprites, x, y);
    for (int32_t move = 0; move < 200; ++move) {
        int32_t kind = int32_t(random() % 4);
        int32_t reach = kind == 0 ? 1 : kind == 1 ? 40 : kind == 2 ? 300 : 900;
        x = std::clamp(x + int32_t(random() % uint32_t(2 * reach + 1)) - reach, 0, 90 * kCell - kViewW);
        y = std::clamp(y + int32_t(random() % uint32_t(2 * reach + 1)) - reach, 0, 60 * kCell - kViewH);
        Game::repaintMapBuffer(map, sprites, x, y);
        ASSERT_EQ(GameTiles::tileStatics.bgOriginX, x);
        ASSERT_EQ(GameTiles::tileStatics.bgOriginY, y);
        if (move % 20 != 19) continue;
        std::vector<uint16_t> scrolled = viewCells(x, y);
        Image* kept = GameTiles::tileStatics.bgImage;
        Graphics* keptGraphics = GameTiles::tileStatics.bgGraphics;
        ASSERT_EQ(scrolled, wholeRepaint(x, y)) << "move " << move << " at " << x << "," << y;
        GameTiles::tileStatics.bgImage = kept;
        GameTiles::tileStatics.bgGraphics = keptGraphics;
        GameTiles::tileStatics.bgOriginX = x;
        GameTiles::tileStatics.bgOriginY = y;
    }
}

TEST_F(MapRepaint, OnlyTheExposedStripIsPaintedUnlessTheViewMovesAWholeWidth) {
    GameTiles::createBackBuffer(kViewW, kViewH);
    Game::repaintMapBuffer(map, sprites, 320, 320);
    // Spoil the whole buffer: what a move repaints shows through.
    fill(GameTiles::tileStatics.bgImage, 0xFFFFFF);
    Game::repaintMapBuffer(map, sprites, 321, 320);
    Image* buffer = GameTiles::tileStatics.bgImage;
    // The new column of cells (x 1120..1151, rows 10..24) at its home; the rest untouched.
    auto painted = [&] {
        std::vector<uint16_t> all = pixelsOf(buffer);
        return int32_t(all.size()) - int32_t(std::count(all.begin(), all.end(), uint16_t(0xFFFF)));
    };
    std::array<int32_t, 4> ink = inkBox(buffer, 0xFFFF);
    EXPECT_EQ(ink[0], 1120 % buffer->width);
    EXPECT_EQ(ink[2], kCell);
    EXPECT_EQ(painted(), 15 * kCell * kCell);

    // A whole width: every cell of the new view, but for the column the last view still holds.
    fill(buffer, 0xFFFFFF);
    Game::repaintMapBuffer(map, sprites, 321 + kViewW, 320);
    EXPECT_EQ(painted(), 25 * 15 * kCell * kCell);
}

TEST_F(MapRepaint, LayerPalettesComeFromTheLevelHeader) {
    Game::levelView.s_levelHeader = bytes({0, 0, 1, 0, 0, 0, 100, 100, 0, 0, 1});
    GameTiles::createBackBuffer(kViewW, kViewH);
    Game::repaintMapBuffer(map, sprites, 0, 0);
    EXPECT_EQ(static_cast<ASprite*>(sprites->elements()[0])->getPalette(), 1);
    EXPECT_EQ(static_cast<ASprite*>(sprites->elements()[1])->getPalette(), 1);
    Game::levelView.s_levelHeader = bytes({0, 0, 7, 0, 0, 0, 100, 100, 0, 0, 0});  // no palette 7: kept
    Game::repaintMapBuffer(map, sprites, 0, 0);
    EXPECT_EQ(static_cast<ASprite*>(sprites->elements()[0])->getPalette(), 1);
    EXPECT_EQ(static_cast<ASprite*>(sprites->elements()[1])->getPalette(), 0);
}

TEST_F(MapRepaint, ClippedFramePaintsTheLayerCellsInsideTheScreenRectangle) {
    Image* image = screen(200, 200);
    Graphics* g = image->getGraphics();
    g->setClip(5, 6, 150, 160);
    ObjectArray* layer = static_cast<ObjectArray*>(map->elements()[0]);
    ASprite* tiles = static_cast<ASprite*>(sprites->elements()[0]);
    Game::paintClippedFrame(g, layer, tiles, 40, 50, 20, 30, 70, 60);
    EXPECT_EQ(g->getClipX(), 5);
    EXPECT_EQ(g->getClipHeight(), 160);
    std::array<int32_t, 4> ink = inkBox(image);
    EXPECT_GE(ink[0], 20);
    EXPECT_GE(ink[1], 30);
    EXPECT_LE(ink[0] + ink[2], 90);
    EXPECT_LE(ink[1] + ink[3], 90);
    // The cell at map (64, 64) lands at screen (44, 44).
    Image* alone = screen(32, 32);
    int32_t v = static_cast<ShortArray*>(layer->elements()[2])->elements()[2];
    if (v >= 0) {
        tiles->paintAFrameWithGraphics(alone->getGraphics(), v, 0, 0, 0, 0);
        for (int32_t j = 0; j < 32; ++j)
            for (int32_t i = 0; i < 32; ++i) ASSERT_EQ(at(image, 44 + i, 44 + j), at(alone, i, j));
    }
}

TEST_F(MapRepaint, RestoreRepaintsTheEffectsLayerWithParallaxAndOneLayer) {
    GameTiles::createBackBuffer(kViewW, kViewH);
    Game::levelView.s_mapLayers = map;
    GameMath::mathStatics.cameraX = 400 << 14;
    GameMath::mathStatics.cameraY = 200 << 14;
    Game::levelView.s_levelHeader = bytes({0, 0, 0, 0, 0, 0, 50, 100, 0, 0, 0});
    // The sprite table is the object lists'; without it the cells are not drawn, yet the view
    // is recorded at the parallax position and the layer count comes back.
    Game::restoreBackground();
    EXPECT_EQ(GameTiles::tileStatics.bgOriginX, 200);
    EXPECT_EQ(GameTiles::tileStatics.bgOriginY, 200);
    EXPECT_EQ(GameTiles::tileStatics.mapLayerCount, 2);
}

TEST_F(MapRepaint, BuildCacheFillsTheUsedModulesOfTheSelectedSet) {
    ASprite* s = newSprite(stripeTiles(false));
    Game::buildCache(s, 1, ASprite::kCachePixels, bytes({1, 0, 1}));
    EXPECT_EQ(s->paletteCacheMode->elements()[1], ASprite::kCachePixels);
    auto* set = static_cast<ObjectArray*>(s->modulePixelCache->elements()[1]);
    ASSERT_NE(set, nullptr);
    EXPECT_EQ(set->length, 6);
    EXPECT_NE(set->elements()[0], nullptr);
    EXPECT_EQ(set->elements()[1], nullptr);
    EXPECT_NE(set->elements()[2], nullptr);
    Object* kept = set->elements()[0];
    Game::buildCache(s, 1, ASprite::kCachePixels, bytes({1, 1}));
    EXPECT_EQ(set->elements()[0], kept);  // present entries are not rebuilt
    EXPECT_NE(set->elements()[1], nullptr);
    EXPECT_TRUE(isNull(s->moduleImageCache) || isNull(s->moduleImageCache->elements()[1]));
}

TEST_F(MapRepaint, InstanceRectanglesShareOneArray) {
    ASprite* s = newSprite(stripeTiles(false));
    ASpriteInstance* inst = mrc::newObject<ASpriteInstance>();
    inst->init(s, 100, 50, nullptr);
    inst->setAnim(3);
    IntArray* a = Game::instanceRectTemp(inst);
    EXPECT_EQ(row(a), (std::vector<int32_t>{100, 50, 132, 82}));
    IntArray* b = Game::instanceRectTemp(nullptr);
    EXPECT_EQ(a, b);
    EXPECT_EQ(row(b), (std::vector<int32_t>{0, 0, 0, 0}));
    EXPECT_EQ(row(Game::instanceFrameRectTemp(inst)), (std::vector<int32_t>{100, 50, 132, 82}));
}

TEST_F(MapRepaint, SoftKeyCornerShowsItsPressedFrameOnlyWhileTouched) {
    static ASprite* keys;
    statics()->addRoot(reinterpret_cast<Object**>(&keys));
    SpriteData d = stripeTiles(false);
    for (auto& f : d.frames) f.modules[0].x = -32, f.modules[0].y = -32;  // anchored bottom-right
    keys = newSprite(d);
    Game::stateStatics.sprites = om()->newObjectArray(mrc::kClass_ASprite, 20);
    Game::stateStatics.sprites->elements()[17] = keys;
    GameInput::inputStatics.softKeyBarHeight = 60;
    auto painted = [](int32_t frame, int32_t flags) {
        Image* image = screen();
        Game::paintLayoutFrame(image->getGraphics(), frame, flags);
        return pixelsOf(image);
    };
    auto frameAlone = [](int32_t frame) {
        Image* image = screen();
        keys->paintAFrameWithGraphics(image->getGraphics(), frame, 0, 800, 480, 0);
        return pixelsOf(image);
    };
    EXPECT_EQ(painted(2, 0), frameAlone(2));
    EXPECT_EQ(painted(2, 4), pixelsOf(screen()));
    GameInput::inputStatics.pointerDown = 1;
    GameInput::inputStatics.pointerPressX = 780;
    GameInput::inputStatics.pointerPressY = 470;
    EXPECT_EQ(painted(2, 0), frameAlone(3));
    GameInput::inputStatics.pointerPressX = 700;
    EXPECT_EQ(painted(2, 0), frameAlone(2));
    GameInput::inputStatics.pointerPressX = 780;
    GameInput::inputStatics.pointerPressY = 400;
    EXPECT_EQ(painted(2, 0), frameAlone(2));
    GameInput::inputStatics.pointerDown = 0;
    keys = nullptr;
}

}  // namespace

namespace {

TEST_F(MapRepaint, StringsAreDrawnInTheFirstOrSecondFont) {
    static ObjectArray* fonts;
    statics()->addRoot(reinterpret_cast<Object**>(&fonts));
    GameBase::initTextStatics();
    fonts = om()->newObjectArray(mrc::kClass_ASprite, 2);
    std::vector<int32_t> codes;
    for (int32_t c = 'a'; c <= 'z'; ++c) codes.push_back(c);
    codes.push_back(0xE9);
    for (int32_t k = 0; k < 2; ++k) {
        BitmapFont f;
        f.height = 8 + 6 * k;
        f.widths.assign(codes.size(), 5 + k);
        ASprite* font = newSprite(bitmapFont(f, 0x604020u));
        font->buildModuleCache(0, 0, -1, -1, -1, ASprite::kCacheImages);
        fonts->elements()[k] = font;
    }
    GameBase::textStatics.glyphTable = bytes(glyphTable(codes));
    Game::stateStatics.fonts = fonts;
    auto ink = [](bool second, const char16_t* text) {
        Image* image = screen(200, 40);
        Game::stateStatics.graphics = image->getGraphics();
        String* s = mrc::newObject<String>();
        s->initFromWide(text);
        Game::drawStringAt(second, s, 10, 5);
        return inkBox(image);
    };
    std::array<int32_t, 4> first = ink(false, u"abc"), other = ink(true, u"abc");
    EXPECT_EQ(first[0], 10);
    EXPECT_EQ(first[1], 5);
    EXPECT_EQ(first[3], 8);
    EXPECT_EQ(other[3], 14);
    EXPECT_GT(other[2], first[2]);
    // A character beyond ASCII goes to the font engine as UTF-8: one glyph, as wide as a letter.
    EXPECT_EQ(ink(false, u"ab\u00e9")[2], first[2]);
    Game::stateStatics.graphics = nullptr;
    fonts = nullptr;
}

}  // namespace

namespace {

// Animation 386 (and 382) show frames 1 then 2, animation 10 frame 0: filled squares of three
// colours, 4 x 4 from the anchor.
SpriteData effectSprite() {
    SpriteData d;
    for (uint32_t colour : {0xFF0000u, 0x00FF00u, 0x0000FFu}) {
        d.modules.push_back({ModuleKind::Filled, 4, 4, 0, 0, colour, {}, std::nullopt});
        d.frames.push_back({{{int32_t(d.modules.size()) - 1, 0, 0, 0}}, {}, std::nullopt});
    }
    d.animations.assign(387, {{0, 1, 0, 0, 0}});
    d.animations[382] = d.animations[386] = {{1, 1, 0, 0, 0}, {2, 1, 0, 0, 0}};
    d.paletteSection = false;
    return d;
}

TEST_F(MapRepaint, ShadowAndEffectInstancesFollowTheObject) {
    static ASpriteInstance* place;
    statics()->addRoot(reinterpret_cast<Object**>(&place));
    ASprite* s = newSprite(effectSprite());
    ObjectArray* instances = om()->newObjectArray(mrc::kClass_ASpriteInstance, 34);
    Game::stateStatics.hudInstances = instances;
    for (int32_t i : {10, 25, 26}) {
        auto* inst = mrc::newObject<ASpriteInstance>();
        inst->init(s, 0, 0, nullptr);
        inst->setAnim(i == 10 ? 10 : 0);
        instances->elements()[i] = inst;
    }
    place = mrc::newObject<ASpriteInstance>();
    place->init(nullptr, 50, 40, nullptr);
    gameHooks().objectInstance = [](Object*) { return place; };
    Object* object = place;  // any object: the hook gives its instance
    ASpriteInstance::statics.logicStepsThisFrame = 1;

    Image* image = screen(100, 100);
    Game::paintObjectShadow(image->getGraphics(), object);
    EXPECT_EQ(at(image, 50, 40), rgb(0xFF0000));
    EXPECT_EQ(inkBox(image), (std::array<int32_t, 4>{50, 40, 4, 4}));

    auto* effect = static_cast<ASpriteInstance*>(instances->elements()[26]);
    std::vector<uint16_t> shown;
    for (int32_t frame = 0; frame < 4; ++frame) {
        Image* target = screen(100, 100);
        Game::paintObjectOverlayInstance(target->getGraphics(), object, false);
        shown.push_back(at(target, 51, 41));
    }
    EXPECT_EQ(shown, (std::vector<uint16_t>{rgb(0x00FF00), rgb(0x0000FF), rgb(0x00FF00), rgb(0x0000FF)}));
    EXPECT_EQ(effect->anim, 386);
    EXPECT_EQ(effect->getX(), 50);
    EXPECT_EQ(static_cast<ASpriteInstance*>(instances->elements()[25])->anim, 0);  // the second one untouched
    Game::paintObjectOverlayInstance(image->getGraphics(), object, true);
    EXPECT_EQ(static_cast<ASpriteInstance*>(instances->elements()[25])->anim, 382);
    gameHooks().objectInstance = nullptr;
    place = nullptr;
}

}  // namespace
