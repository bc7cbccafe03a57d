// The gameplay paint probed on a real screen image: the letterbox window, the parallax layers,
// the touch controls as the pointer handling lights them; the world and the scene text through
// the stand-ins' recording seam.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/sprite/sprite.h"
#include "framework/tiles/game_tiles.h"
#include "platform/graphics/pixels.h"
#include "platform/lcdui/graphics.h"
#include "platform/lcdui/image.h"
#include "tests/game/game_fixture.h"
#include "tools/formats/sprite_file.h"

namespace {

using namespace mrc;
using Image = javax_microedition_lcdui_Image;

constexpr uint32_t kWhite = 0xFFFFFF;
// Colours that survive 16-bit pixels exactly.
constexpr uint32_t kRed = 0xF80000, kGreen = 0x00FC00, kBlue = 0x0000F8, kYellow = 0xF8FC00, kCyan = 0x00FCF8,
                   kMagenta = 0xF800F8, kGrey = 0x808080, kOlive = 0x808000;
// The control images in load order: pad, '5', '5' pressed, '0', '0' pressed, '5' off, '0' off.
constexpr uint32_t kControlColours[7] = {kGrey, kRed, kGreen, kBlue, kYellow, kCyan, kMagenta};

uint16_t rgb(uint32_t c) { return gfx::argbToRgb565(0xFF000000u | c); }

class GameplayPaint : public test::GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        Game::stateStatics = Game::StateStatics{};
        Game::paintStatics = PaintStatics{};
        Game::paintStatics.s_sceneEffect = om()->newIntArray(17);  // made at start-up
        Game::levelView = LevelViewStatics{};
        GameTiles::tileStatics = GameTiles::TileStatics{};
        Game::operations = ObjectOperationStatics{};
        GameMath::mathStatics.cameraX = GameMath::mathStatics.cameraY = 0;
        Game::initResources();
        Game::layouts.s_scriptIndex = -1;
        Game::objects.s_currentItem = 0;
        Game::objects.s_nextItem = -1;
        Game::flowStatics.s_settings = om()->newByteArray(7);
        in.currentKeyCode = Game::kNoKeyCode;
        state(7, 0);
        clear();
    }
    void clear() {
        graphics()->setClip(0, 0, 800, 480);
        graphics()->setColor(int32_t(kWhite));
        graphics()->fillRect(0, 0, 800, 480);
    }
    uint16_t at(int32_t x, int32_t y) { return pixelsOf(screen())[std::size_t(y * 800 + x)]; }
    void paint() {
        clear();
        Game::paintGameplay(graphics());
    }

    // A sprite whose frame f paints a filled w x h rectangle at (x, y) in its colour; the other
    // frames up to the highest paint nothing.
    struct FrameBox {
        int32_t frame;
        uint32_t colour;
        int16_t x, y;
        int32_t w, h;
    };
    static ASprite* boxSprite(const std::vector<FrameBox>& boxes) {
        formats::SpriteData d;
        int32_t last = 0;
        for (const FrameBox& b : boxes) last = std::max(last, b.frame);
        d.frames.resize(std::size_t(last + 1));
        for (const FrameBox& b : boxes) {
            d.frames[std::size_t(b.frame)].modules.push_back({int32_t(d.modules.size()), b.x, b.y, 0});
            d.modules.push_back({formats::ModuleKind::Filled, b.w, b.h, 0, 0, 0xFF000000u | b.colour, {}, {}});
        }
        d.palettes = {{0}};
        return newSprite(d);
    }
    // A tile sprite: animation 0 is one 32 x 32 cell of colour index 0, in one palette per colour.
    static ASprite* tileSprite(const std::vector<uint32_t>& palettes) {
        formats::SpriteData d;
        d.modules.push_back({formats::ModuleKind::Image, 32, 32, 0, 0, 0, std::vector<uint8_t>(32 * 32, 0), {}});
        d.frames.push_back({{{0, 0, 0, 0}}, {}, {}});
        d.animations.push_back({{0, 1, 0, 0, 0}});
        for (uint32_t c : palettes) d.palettes.push_back({0xFF000000u | c});
        ASprite* s = newSprite(d);
        for (int32_t p = 0; p < int32_t(palettes.size()); ++p) s->buildModuleCache(p, 0, -1, -1, -1, ASprite::kCacheImages);
        return s;
    }
    // A map of two 30 x 20 layers filled with animation 0; layer 1 drawn by sprite slot 1.
    void setMap(int32_t percentX, int32_t percentY, int32_t layer1Palette, const std::vector<uint32_t>& palettes) {
        ObjectArray* layers = om()->newObjectArray(kClass_ObjectArray, 2);
        for (int32_t l = 0; l < 2; ++l) {
            ObjectArray* columns = om()->newObjectArray(kClass_ShortArray, 30);
            layers->elements()[l] = columns;
            for (int32_t c = 0; c < 30; ++c) columns->elements()[c] = om()->newShortArray(20);
        }
        Game::levelView.s_mapLayers = layers;
        ByteArray* header = om()->newByteArray(11);
        header->elements()[2] = 1;  // layer 0's palette
        header->elements()[6] = int8_t(percentX);
        header->elements()[7] = int8_t(percentY);
        header->elements()[10] = int8_t(layer1Palette);
        Game::levelView.s_levelHeader = header;
        GameTiles::tileStatics.mapLayerCount = 2;
        ByteArray* slots = om()->newByteArray(2);
        slots->elements()[1] = 1;
        GameTiles::tileStatics.mapLayerSprite = slots;
        st.sprites->elements()[1] = tileSprite(palettes);
    }
    void setControls() {
        st.hudImages = om()->newObjectArray(kClass_javax_microedition_lcdui_Image, 7);
        for (int32_t i = 0; i < 7; ++i) {
            Image* image = Image::createBlankImage(60, 60);
            Game::Graphics* g = image->getGraphics();
            g->setColor(int32_t(kControlColours[i]));
            g->fillRect(0, 0, 60, 60);
            st.hudImages->elements()[i] = image;
        }
        // The pause button (frames 161 and 162 of the interface sprite) left of (800, 0); the
        // pad's pressed cells 0-8 in a row 20 apart and its overlay (frame 9) further down.
        st.sprites->elements()[3] = boxSprite({{161, kOlive, -40, 0, 40, 40}, {162, kRed, -40, 0, 40, 40}});
        std::vector<FrameBox> pad;
        for (int16_t k = 0; k < 9; ++k) pad.push_back({k, kBlue, int16_t(100 + 20 * k), 100, 10, 10});
        pad.push_back({9, kGreen, 100, 150, 10, 10});
        st.sprites->elements()[36] = boxSprite(pad);
    }

    // The screen is the background picture start-up makes: a root the collector keeps.
    Image* screen() { return st.bufferImage; }
    Game::Graphics* graphics() { return st.bufferGraphics; }
};

TEST_F(GameplayPaint, TheLevelIsClippedBetweenTheLetterboxBars) {
    setMap(50, 50, 0, {kRed});
    const struct {
        int32_t bars;
        int32_t firstRow, lastRow;  // painted rows
    } cases[] = {{-20, 0, 479}, {0, 0, 479}, {30, 30, 449}};
    for (const auto& c : cases) {
        Game::paintStatics.s_letterbox = c.bars;
        paint();
        EXPECT_EQ(at(400, c.firstRow), rgb(kRed)) << c.bars;
        EXPECT_EQ(at(400, c.lastRow), rgb(kRed)) << c.bars;
        if (c.firstRow > 0) {
            EXPECT_EQ(at(400, c.firstRow - 1), rgb(kWhite)) << c.bars;
        }
        if (c.lastRow < 479) {
            EXPECT_EQ(at(400, c.lastRow + 1), rgb(kWhite)) << c.bars;
        }
    }
}

TEST_F(GameplayPaint, OnlyAParallaxPaintsTheSecondLayerOverTheBackground) {
    static int32_t layersSeen;
    game_pending::observer = [](const char* name) {
        if (std::string(name) == "Game::drawWrappedBackground") layersSeen = GameTiles::tileStatics.mapLayerCount;
    };
    const struct {
        int32_t percentX, percentY;
        int32_t layersInBackground;
        bool layer1Painted;
    } cases[] = {{100, 100, 2, false}, {50, 100, 1, true}, {100, 0, 1, true}};
    for (const auto& c : cases) {
        setMap(c.percentX, c.percentY, 0, {kRed});
        layersSeen = -1;
        paint();
        EXPECT_EQ(layersSeen, c.layersInBackground) << c.percentX << "/" << c.percentY;
        EXPECT_EQ(GameTiles::tileStatics.mapLayerCount, 2);
        EXPECT_EQ(at(400, 240) == rgb(kRed), c.layer1Painted) << c.percentX << "/" << c.percentY;
    }
}

TEST_F(GameplayPaint, TheSecondLayerTakesThePaletteOfHeaderByteTen) {
    const struct {
        int32_t byte10;
        uint32_t colour;
    } cases[] = {{2, kBlue}, {1, kGreen}, {3, kRed}};  // 3: no such palette, the sprite's stays
    for (const auto& c : cases) {
        setMap(50, 50, c.byte10, {kRed, kGreen, kBlue});
        paint();
        EXPECT_EQ(at(10, 10), rgb(c.colour)) << c.byte10;
    }
}

TEST_F(GameplayPaint, ThePauseButtonIsLitOnlyWhilePressedInItsCorner) {
    setControls();
    Game* game = newGame();
    state(7, 0);
    const struct {
        int32_t x, y;
        bool lit;
    } presses[] = {{760, 30, true}, {741, 59, true}, {799, 1, true}, {740, 30, false},
                   {760, 60, false}, {400, 240, false}, {Game::kNoKeyCode, Game::kNoKeyCode, false}};
    for (const auto& p : presses) {
        in.pointerPressX = p.x;
        in.pointerPressY = p.y;
        in.pointerDown = p.x != Game::kNoKeyCode;
        game->handlePointer();
        paint();
        EXPECT_EQ(at(780, 20), rgb(p.lit ? kRed : kOlive)) << p.x << "," << p.y;
    }
    // Only gameplay shows the controls (the title card paints the level alone).
    state(14, 0);
    paint();
    EXPECT_EQ(at(780, 20), rgb(kWhite));
}

TEST_F(GameplayPaint, PadAndButtonsShowWhatIsHeld) {
    setControls();
    st.padShown = 1;
    const struct {
        int32_t key;
        bool padHeld, key5Held, key0Held;
        uint32_t key5, key0;
    } cases[] = {
        {Game::kNoKeyCode, false, false, false, kRed, kBlue},
        {'4', true, false, false, kCyan, kMagenta},  // a held direction dims both buttons
        {'5', false, true, false, kGreen, kBlue},
        {'0', false, false, true, kRed, kYellow},
    };
    for (const auto& c : cases) {
        in.currentKeyCode = c.key;
        st.padHeld = c.padHeld, st.padKey5Held = c.key5Held, st.padKey0Held = c.key0Held;
        paint();
        EXPECT_EQ(at(5, 300), rgb(kGrey)) << c.key;                // the pad image at (0, 260)
        EXPECT_EQ(at(105, 415), rgb(kGreen)) << c.key;             // its overlay, frame 9
        EXPECT_EQ(at(165, 365), rgb(c.key == '4' ? kBlue : kWhite)) << c.key;  // pressed cell 3
        EXPECT_EQ(at(650, 420), rgb(c.key5)) << c.key;
        EXPECT_EQ(at(730, 330), rgb(c.key0)) << c.key;
    }
    // A cinematic hides the pad; with bars, or with item 5, the second button goes too.
    state(7, 1);
    Game::paintStatics.s_letterbox = 10;
    paint();
    EXPECT_EQ(at(5, 300), rgb(kWhite));
    EXPECT_EQ(at(730, 330), rgb(kWhite));
    state(7, 0);
    Game::paintStatics.s_letterbox = 0;
    Game::objects.s_currentItem = 5;
    paint();
    EXPECT_EQ(at(650, 420), rgb(kRed));
    EXPECT_EQ(at(730, 330), rgb(kWhite));
    // A tap taken as the action key shows no pad or buttons.
    st.touchIsAction = 1;
    paint();
    EXPECT_EQ(at(5, 300), rgb(kWhite));
    EXPECT_EQ(at(650, 420), rgb(kWhite));
}

TEST_F(GameplayPaint, TheWorldIsPaintedInTheLetterboxWindowAndTheSceneTextOnRequest) {
    static Game::Graphics* g;
    static std::vector<std::string> calls;
    static std::vector<int32_t> worldClip;
    g = graphics();
    calls.clear();
    game_pending::observer = [](const char* name) {
        calls.emplace_back(name);
        if (calls.back() == "Game::paintWorld")
            worldClip = {g->getClipX(), g->getClipY(), g->getClipWidth(), g->getClipHeight()};
    };
    Game::paintStatics.s_letterbox = 40;
    paint();
    EXPECT_EQ(worldClip, (std::vector<int32_t>{0, 40, 800, 400}));
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "Game::paintWorld"), 1);
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "Game::paintSceneWithText"), 0);
    // The window is kept after the controls.
    EXPECT_EQ(graphics()->getClipY(), 40);
    Game::flowStatics.s_settings->elements()[1] = 2;
    paint();
    EXPECT_EQ(calls.back(), "Game::paintSceneWithText");
}

TEST_F(GameplayPaint, ACinematicPromptRaisesTheBottomBar) {
    setMap(50, 50, 0, {kRed});
    Game::prompts.s_promptHeight = 81;  // with no prompt sprites the box is 81 + 1 + 18 high
    Game::layouts.s_scriptBytes = om()->newByteArray(4);
    Game::layouts.s_scriptIndex = 0;
    Game::layouts.s_scriptPos = 2;
    const struct {
        int32_t sub, command, bars;
        int32_t lastRow;
    } cases[] = {{1, 171, 0, 379}, {1, 178, 0, 379}, {1, 178, 120, 359}, {1, 170, 0, 479}, {0, 171, 0, 479}};
    for (const auto& c : cases) {
        state(7, c.sub);
        Game::layouts.s_scriptBytes->elements()[2] = int8_t(c.command);
        Game::paintStatics.s_letterbox = c.bars;
        paint();
        EXPECT_EQ(at(400, c.lastRow), rgb(kRed)) << c.sub << " " << c.command << " " << c.bars;
        if (c.lastRow < 479) {
            EXPECT_EQ(at(400, c.lastRow + 1), rgb(kWhite)) << c.sub << " " << c.command << " " << c.bars;
        }
    }
}

TEST_F(GameplayPaint, ARegionShowsTheAnimatedCellsUnlessTheMeterIsHeld) {
    setMap(100, 100, 0, {kRed});
    // Layer 0's sprite (slot 0) animates: frame 0 green, frame 1 blue, one step each.
    formats::SpriteData d;
    for (uint32_t c : {kGreen, kBlue}) {
        d.frames.push_back({{{int32_t(d.modules.size()), 0, 0, 0}}, {}, {}});
        d.modules.push_back({formats::ModuleKind::Filled, 32, 32, 0, 0, 0xFF000000u | c, {}, {}});
    }
    d.animations.push_back({{0, 1, 0, 0, 0}, {1, 1, 0, 0, 0}});
    d.palettes = {{0}};
    st.sprites->elements()[0] = newSprite(d);
    Game::paintStatics.s_sceneEffect->elements()[11] = 1;  // the percentage is element 3's own
    const struct {
        int32_t sub, meterHold, percent;
        uint32_t colour;
    } cases[] = {{4, 0, 0, kGreen}, {4, 0, 99, kBlue}, {4, 2, 0, kWhite}, {0, 0, 0, kWhite}};
    for (const auto& c : cases) {
        state(7, c.sub);
        Game::operations.s_meterHold = c.meterHold;
        Game::paintStatics.s_sceneEffect->elements()[3] = c.percent << 14;
        paint();
        EXPECT_EQ(at(400, 240), rgb(c.colour)) << c.sub << " " << c.meterHold << " " << c.percent;
    }
}

TEST_F(GameplayPaint, APressOnThePadsLeftCellLightsItAndDimsTheButtonsUntilReleased) {
    Game::initStateStatics();  // the pad at the left edge, its keys '1'..'9'
    Game::initResources();
    setControls();
    Game* game = newGame();
    state(7, 0);
    const int32_t x = 35, y = st.padTop + st.padCellHeight + 35;  // row 1, column 0: '4'
    in.pointerPressX = x;
    in.pointerPressY = y;
    in.pointerDown = 1;
    game->handlePointer();
    paint();
    EXPECT_EQ(in.currentKeyCode.load(), '4');
    EXPECT_EQ(at(165, 365), rgb(kBlue));  // frame 3 of the pad sprite
    EXPECT_EQ(at(650, 420), rgb(kCyan));
    EXPECT_EQ(at(730, 330), rgb(kMagenta));
    in.pointerReleaseX = x;
    in.pointerReleaseY = y;
    in.pointerReleased = 1;
    game->handlePointer();
    paint();
    EXPECT_EQ(at(165, 365), rgb(kWhite));
    EXPECT_EQ(at(650, 420), rgb(kRed));
    EXPECT_EQ(at(730, 330), rgb(kBlue));
}

}  // namespace
