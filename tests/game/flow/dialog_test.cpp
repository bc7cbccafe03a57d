// The dialog box by its styles and arrow corners, probed pixel by pixel, and the string entry's
// cache of the text engine's state.
#include <gtest/gtest.h>

#include "platform/lcdui/graphics.h"
#include "platform/lcdui/image.h"
#include "tests/game/game_fixture.h"
#include "tools/formats/dot_font.h"
#include "tools/formats/text_pack.h"

namespace {

using namespace mrc;

constexpr uint32_t kFill = 0x0000FF, kBorder = 0xFF0000, kShadow = 0x00FF00;
constexpr uint16_t kFill565 = 0x001F, kBorder565 = 0xF800, kShadow565 = 0x07E0, kWhite565 = 0xFFFF;

class DialogTest : public test::GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        Game::initResources();
        screen = javax_microedition_lcdui_Image::createBlankImage(200, 120);
        clear();
    }
    void clear() {
        Game::Graphics* g = screen->getGraphics();
        g->setColor(0xFFFFFF);
        g->fillRect(0, 0, 200, 120);
    }
    uint16_t at(int x, int y) { return pixelsOf(screen)[std::size_t(y * 200 + x)]; }
    javax_microedition_lcdui_Image* screen = nullptr;
};

// Box (20, 20, 100 x 50): 55 pixels high.
TEST_F(DialogTest, BoxStylesByPixelProbes) {
    const struct {
        int32_t style;
        uint16_t corner, edgeMiddle, inside, shadowBelow;
    } cases[] = {
        {0, kWhite565, kFill565, kFill565, kWhite565},     // round, no border
        {2, kFill565, kFill565, kFill565, kWhite565},      // square, no border
        {3, kBorder565, kBorder565, kFill565, kWhite565},  // square with border, no shadow
        {1, kWhite565, kBorder565, kFill565, kShadow565},  // round with border and shadow
    };
    st.dialogArrow = -1;
    for (const auto& c : cases) {
        clear();
        Game::drawDialogBox(screen->getGraphics(), 20, 20, 100, 50, kFill, kBorder, kShadow, c.style);
        EXPECT_EQ(at(20, 20), c.corner) << "style " << c.style;
        EXPECT_EQ(at(70, 20), c.edgeMiddle) << "style " << c.style;
        EXPECT_EQ(at(70, 45), c.inside) << "style " << c.style;
        EXPECT_EQ(at(70, 76), c.shadowBelow) << "style " << c.style << ": below the box, inside the shadow";
        EXPECT_EQ(at(70, 80), kWhite565) << "style " << c.style;
    }
}

TEST_F(DialogTest, ArrowAtTheChosenCornerOnlyWhenTheTextFits) {
    formats::SpriteData arrows;
    arrows.modules.push_back({formats::ModuleKind::Filled, 3, 3, 0, 0, 0xFF000000u, {}, {}});
    for (int f = 0; f < 11; ++f) arrows.frames.push_back({{{0, -1, -1, 0}}, {}, {}});
    arrows.palettes = {{0}};
    st.sprites->elements()[4] = newSprite(arrows);
    const struct {
        int32_t arrow, extent;
        int x, y;  // where the arrow's centre lands
        bool drawn;
    } cases[] = {
        {0, 10, 20, 75, true},  {7, 10, 20, 75, true},  {1, 10, 20, 20, true},  {2, 55, 20, 20, true},
        {3, 10, 120, 20, true}, {4, 10, 120, 20, true}, {5, 10, 120, 75, true}, {6, 10, 120, 75, true},
        {1, 56, 20, 20, false}, {-1, 0, 20, 75, false},
    };
    for (const auto& c : cases) {
        clear();
        st.dialogArrow = c.arrow;
        st.dialogExtent = c.extent;
        Game::drawDialogBox(screen->getGraphics(), 20, 20, 100, 50, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 2);
        EXPECT_EQ(at(c.x, c.y) == 0, c.drawn) << "arrow " << c.arrow << " extent " << c.extent;
    }
}

TEST_F(DialogTest, TheSameStringKeepsTheRevealStateAnotherRestartsIt) {
    Game::loadTextPack(3, bytes(formats::textPack({"one", "two"})));
    Game::Graphics* g = screen->getGraphics();
    Game::drawString(g, st.fonts, 0, 3, 0, 1, 0, 0, 200, 100, 0, 16);
    EXPECT_EQ(Game::textStatics.textCachedPack, 3);
    EXPECT_EQ(Game::textStatics.textCachedString, 0);
    EXPECT_EQ(Game::textStatics.textFont, 1);
    Game::textStatics.textRevealCursor = 7;
    Game::drawString(g, st.fonts, 0, 3, 0, 1, 0, 0, 200, 100, 0, 16);
    EXPECT_EQ(Game::textStatics.textRevealCursor, 7) << "the same string";
    Game::drawString(g, st.fonts, 0, 3, 1, 0, 0, 0, 200, 100, 0, 16);
    EXPECT_EQ(Game::textStatics.textRevealCursor, 0) << "another string restarts";
    EXPECT_EQ(Game::textStatics.textCachedString, 1);
    EXPECT_EQ(Game::textStatics.textFont, 0);
}

TEST_F(DialogTest, SoftKeyLabelsSitInTheBottomCornersInPaletteZero) {
    ASprite* font = newSprite(formats::dotMatrixFont(2, {0x0000FF, 0xFF0000}));
    for (int32_t p = 0; p < 2; ++p) font->buildModuleCache(p, 0, -1, -1, -1, ASprite::kCacheImages);
    st.fonts->elements()[0] = font;
    Game::textStatics.glyphTable = bytes(formats::dotFontGlyphTable());
    Game::loadTextPack(6, bytes(formats::textPack({"BACK", "MENU"})));
    auto* full = javax_microedition_lcdui_Image::createBlankImage(800, 480);
    for (int32_t flags : {4, 0}) {
        Game::Graphics* g = full->getGraphics();
        g->setColor(0xFFFFFF);
        g->fillRect(0, 0, 800, 480);
        font->setPalette(1);
        Game::drawSoftKeyLabel(g, 1, flags);
        std::array<int32_t, 4> box = inkBox(full, 0xFFFF);
        EXPECT_GT(box[2], 20) << flags;
        if (flags & 4) EXPECT_GT(box[0], 700) << "right corner";
        else EXPECT_LT(box[0], 10) << "left corner";
        EXPECT_GT(box[1] + box[3], 460) << "at the bottom";
        const std::vector<uint16_t> px = pixelsOf(full);
        bool blue = false;
        for (uint16_t v : px) blue |= v == 0x001F;
        EXPECT_TRUE(blue) << "drawn in palette 0";
        EXPECT_EQ(font->getPalette(), 1) << "the palette is put back";
    }
}

}  // namespace
