#include <gtest/gtest.h>

#include "framework/core/game_base.h"
#include "framework/sprite/sprite_instance.h"
#include "platform/lcdui/graphics.h"
#include "runtime/core/arrays.h"
#include "tests/framework/framework_fixture.h"

namespace {

using Image = javax_microedition_lcdui_Image;
using Graphics = javax_microedition_lcdui_Graphics;
auto& st = GameOverlay::overlayStatics;

class GameOverlayTest : public mrc::test::FrameworkTest {
protected:
    void SetUp() override {
        FrameworkTest::SetUp();
        st.overlayBuffer = om()->newIntArray(8000);
        st.boxRects = om()->newIntArray(8);
        st.stateHistory = om()->newShortArray(10);
        st.menuHistory = om()->newByteArray(10);
        st.pendingMenuSelection = -1;
    }
    static std::vector<int32_t> box(int32_t max, int32_t value, int32_t flags) {
        return intsOf(GameOverlay::layoutBox(max, value, 10, 20, 104, 54, 2, 2, flags), 8);
    }
};

TEST_F(GameOverlayTest, FillsClampToTheStrip) {
    GameOverlay::fillOverlay(7);
    IntArray* b = st.overlayBuffer;
    EXPECT_EQ(b->elements()[0], 7);
    EXPECT_EQ(b->elements()[7999], 7);
    GameOverlay::fillOverlayBuffer(0x11, 900, 20);
    EXPECT_EQ(b->elements()[799], 0x11);
    EXPECT_EQ(b->elements()[7999], 0x11);
    GameOverlay::fillOverlayBuffer(0x22, 3, 2);
    EXPECT_EQ(b->elements()[2], 0x22);
    EXPECT_EQ(b->elements()[3], 0x11);
    EXPECT_EQ(b->elements()[802], 0x22);
    EXPECT_EQ(b->elements()[1600], 0x11);
    GameOverlay::fillOverlayBuffer(0x33, 0, 5);
    GameOverlay::fillOverlayBuffer(0x33, 5, -1);
    EXPECT_EQ(b->elements()[0], 0x22);
}

TEST_F(GameOverlayTest, OverlayTilesTheRectangleInsideItsClip) {
    // Column 0 of the strip marks where each copy starts.
    GameOverlay::fillOverlay(static_cast<int32_t>(0xFFFF0000u));
    for (int32_t row = 0; row < 10; ++row) st.overlayBuffer->elements()[row * 800] = static_cast<int32_t>(0xFF00FF00u);
    Image* image = Image::createBlankImage(1100, 40);
    Graphics* g = image->getGraphics();
    g->setClip(0, 0, 1050, 40);
    GameOverlay::drawOverlayRect(g, 30, 5, 1000, 12);
    EXPECT_EQ(inkBox(image), (std::array<int32_t, 4>{30, 5, 1000, 12}));
    std::vector<uint16_t> px = pixelsOf(image);
    auto at = [&](int32_t x, int32_t y) { return px[std::size_t(y * 1100 + x)]; };
    const uint16_t green = 0x07E0, red = 0xF800;
    EXPECT_EQ(at(30, 5), green);
    EXPECT_EQ(at(830, 5), green);  // the second strip of the row
    EXPECT_EQ(at(30, 15), green);  // the second row position
    EXPECT_EQ(at(31, 16), red);
    EXPECT_EQ(at(1029, 16), red);
    EXPECT_EQ(g->getClipX(), 0);
    EXPECT_EQ(g->getClipWidth(), 1050);
    EXPECT_EQ(g->getClipHeight(), 40);

    Image* empty = Image::createBlankImage(100, 20);
    Graphics* e = empty->getGraphics();
    GameOverlay::drawOverlayRect(e, 0, 0, 50, 0);
    GameOverlay::drawOverlayRect(e, INT32_MAX - 5, INT32_MAX - 5, 100, 100);  // ends despite the wrap
    EXPECT_EQ(inkBox(empty), (std::array<int32_t, 4>{0, 0, 0, 0}));
    EXPECT_EQ(e->getClipWidth(), 100);
    GameOverlay::drawOverlayRect(nullptr, 0, 0, 1, 1);
    EXPECT_TRUE(log.contains("no Graphics"));
}

TEST_F(GameOverlayTest, LayoutBoxFlags) {
    // Inner box: (12, 22) 100 x 50; max 10.
    st.gaugeSecondStart = 2;
    st.gaugeSecondEnd = 5;
    struct Case {
        const char* name;
        int32_t max, value, flags;
        std::vector<int32_t> expected;
    } cases[] = {
        {"horizontal", 10, 4, 0, {12, 22, 40, 50, 0, 0, 0, 0}},
        {"over max", 10, 15, 0, {12, 22, 100, 50, 0, 0, 0, 0}},
        {"empty", 10, 0, 0, {12, 22, 0, 50, 0, 0, 0, 0}},
        {"second", 10, 4, 8, {12, 22, 40, 50, 32, 22, 30, 50}},
        {"from right", 10, 4, 1, {72, 22, 40, 50, 0, 0, 0, 0}},
        {"from right second", 10, 4, 9, {72, 22, 40, 50, 62, 22, 30, 50}},
        {"vertical", 10, 4, 2, {12, 22, 100, 20, 0, 0, 0, 0}},
        {"vertical second", 10, 4, 10, {12, 22, 100, 20, 12, 32, 100, 15}},
        {"from bottom", 10, 4, 4, {12, 52, 100, 20, 0, 0, 0, 0}},
        {"from bottom second", 10, 4, 12, {12, 52, 100, 20, 12, 47, 100, 15}},
        {"right wins over vertical", 10, 4, 3, {72, 22, 40, 50, 0, 0, 0, 0}},
        {"max 0", 0, 4, 8, {12, 22, 0, 50, 12, 22, 0, 50}},
        {"max 0 from bottom", 0, 4, 4, {12, 72, 100, 0, 0, 0, 0, 0}},
    };
    for (const Case& c : cases) EXPECT_EQ(box(c.max, c.value, c.flags), c.expected) << c.name;
    EXPECT_EQ(app()->getPendingException(), nullptr);

    st.gaugeSecondEnd = 2;  // an empty segment is no segment
    EXPECT_EQ(box(10, 4, 8), (std::vector<int32_t>{12, 22, 40, 50, 0, 0, 0, 0}));
    EXPECT_EQ(GameOverlay::layoutBox(10, 4, 0, 0, 10, 10, 0, 0, 0), st.boxRects);
}

TEST_F(GameOverlayTest, StateHistoryStepsBackAndWraps) {
    st.stateHistory->elements()[0] = 7 | 3 << 8;
    st.stateHistory->elements()[9] = 19 | 200 << 8;
    st.stateHistoryIndex = 0;
    GameOverlay::stepListCursor();
    EXPECT_EQ(st.gameState, 7);
    EXPECT_EQ(st.gameSubState, 3);
    EXPECT_EQ(st.stateHistoryIndex, 9);
    GameOverlay::stepListCursor();
    EXPECT_EQ(st.gameState, 19);
    EXPECT_EQ(st.gameSubState, 200);
    EXPECT_EQ(st.stateHistoryIndex, 8);
}

TEST_F(GameOverlayTest, MenuHistoryRingAndPendingSelection) {
    st.menuHistoryIndex = 9;
    GameOverlay::pushMenuHistory(5);
    EXPECT_EQ(st.menuHistoryIndex, 0);
    EXPECT_EQ(st.menuHistory->elements()[0], 2);
    GameOverlay::pushMenuHistory(3 + 300);  // kept to its low 8 bits
    EXPECT_EQ(st.menuHistoryIndex, 1);
    EXPECT_EQ(st.menuHistory->elements()[1], 44);

    GameOverlay::setNextMenuSelection(-3);
    EXPECT_EQ(GameOverlay::takeMenuSelection(1), 1);
    GameOverlay::setNextMenuSelection(4);
    EXPECT_EQ(GameOverlay::takeMenuSelection(1), 4);
    EXPECT_EQ(st.pendingMenuSelection, -1);
    EXPECT_EQ(GameOverlay::takeMenuSelection(1), 1);
}

TEST_F(GameOverlayTest, KeyFlagMaskTwoIsAlwaysSet) {
    st.flagMask = 0x11;
    EXPECT_TRUE(GameOverlay::isKeyFlag(2));
    EXPECT_TRUE(GameOverlay::isKeyFlag(0x10));
    EXPECT_TRUE(GameOverlay::isKeyFlag(0x30));
    EXPECT_FALSE(GameOverlay::isKeyFlag(4));
    EXPECT_FALSE(GameOverlay::isKeyFlag(0));
}

ObjectArray* sprites;

TEST_F(GameOverlayTest, AltPalettesSwapOnlyWithTheFlag) {
    statics()->addRoot(&sprites);
    sprites = om()->newObjectArray(mrc::kClass_ASprite, 40);
    for (int32_t n : {35, 24, 3}) {
        ASprite* s = mrc::newObject<ASprite>();
        sprites->elements()[n] = s;
        s->moduleImageCache = om()->newObjectArray(mrc::kClass_ObjectArray, 2);
        ObjectArray* images = om()->newObjectArray(mrc::kClass_ObjectArray, 1);
        s->moduleImageCache->elements()[0] = images;
        s->paletteCacheMode = ints({5, 6});
    }
    gameHooks().getSprite = [](int32_t n) { return static_cast<ASprite*>(sprites->elements()[n]); };
    auto sprite = [](int32_t n) { return static_cast<ASprite*>(sprites->elements()[n]); };
    Object* first = sprite(35)->moduleImageCache->elements()[0];

    GameOverlay::swapAltSpritePalettes();
    EXPECT_EQ(sprite(35)->paletteCacheMode->elements()[0], 5);
    st.altPaletteFlag = true;
    GameOverlay::swapAltSpritePalettes();
    for (int32_t n : {35, 24}) {
        EXPECT_EQ(intsOf(sprite(n)->paletteCacheMode, 2), (std::vector<int32_t>{6, 5}));
        EXPECT_EQ(sprite(n)->moduleImageCache->elements()[0], nullptr);
    }
    EXPECT_EQ(sprite(35)->moduleImageCache->elements()[1], first);
    EXPECT_EQ(intsOf(sprite(3)->paletteCacheMode, 2), (std::vector<int32_t>{5, 6}));
    sprites->elements()[24] = nullptr;  // a sprite not loaded is skipped
    GameOverlay::swapAltSpritePalettes();
    EXPECT_EQ(intsOf(sprite(35)->paletteCacheMode, 2), (std::vector<int32_t>{5, 6}));
}

TEST_F(GameOverlayTest, AltPaletteRaisesThePaletteOfSpriteActions) {
    st.eventActions = om()->newObjectArray(mrc::kClass_IntArray, 20);
    ObjectArray* list = om()->newObjectArray(mrc::kClass_IntArray, 5);
    st.eventActions->elements()[3] = list;
    const std::vector<std::vector<uint32_t>> actions = {
        {3, 21, 1, 3, static_cast<uint32_t>(-1), 2}, {18, 15}, {3, 21, 4, 35, 0, 2}, {3, 8, 0, 24, 0, 2}, {4, 0, 0, 35, 0}};
    for (std::size_t i = 0; i < actions.size(); ++i) {
        IntArray* action = ints(actions[i]);
        list->elements()[i] = action;
    }
    auto palette = [&](int32_t i) { return static_cast<IntArray*>(list->elements()[i])->elements()[4]; };

    GameOverlay::applyAltPaletteToEventActions();
    EXPECT_EQ(palette(2), 0);
    st.altPaletteFlag = true;
    GameOverlay::applyAltPaletteToEventActions();
    EXPECT_EQ(palette(0), -1);
    EXPECT_EQ(palette(2), 1);
    EXPECT_EQ(palette(3), 1);
    EXPECT_EQ(palette(4), 0);
}

ASpriteInstance* roomInstance;

TEST_F(GameOverlayTest, CellsWithoutAndWithACurrentRoom) {
    struct Case {
        int32_t pixel, cell;
    };
    for (Case c : {Case{-1, -1}, Case{31, 0}, Case{32, 1}, Case{0, 0}, Case{-32, -1}, Case{-33, -2}}) {
        EXPECT_EQ(GameOverlay::pixelToTileX(c.pixel), c.cell) << c.pixel;
        EXPECT_EQ(GameOverlay::pixelToTileY(c.pixel), c.cell) << c.pixel;
    }
    EXPECT_EQ(GameOverlay::tileToPixelX(-2), -64);

    statics()->addRoot(&roomInstance);
    roomInstance = mrc::newObject<ASpriteInstance>();
    roomInstance->x = 100 << 14;
    roomInstance->y = 40 << 14;
    st.currentRoom = mrc::newObject<ASpriteInstance>();  // any object stands for the room
    gameHooks().objectInstance = [](Object*) { return roomInstance; };
    for (Case c : {Case{68, -1}, Case{67, -2}, Case{132, 1}, Case{100, 0}, Case{99, -1}})
        EXPECT_EQ(GameOverlay::pixelToTileX(c.pixel), c.cell) << c.pixel;
    EXPECT_EQ(GameOverlay::pixelToTileY(8), -1);
    EXPECT_EQ(GameOverlay::pixelToTileY(7), -2);
    EXPECT_EQ(GameOverlay::tileToPixelX(-2), 36);
    EXPECT_EQ(GameOverlay::tileToPixelY(3), 136);

    gameHooks().objectInstance = [](Object*) -> ASpriteInstance* { return nullptr; };
    EXPECT_EQ(GameOverlay::pixelToTileX(68), 2);
    EXPECT_EQ(GameOverlay::tileToPixelY(1), 32);
    EXPECT_TRUE(log.contains("no sprite instance"));
}

}  // namespace
