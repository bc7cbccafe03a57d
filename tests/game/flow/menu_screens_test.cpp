// The menus, pages, title and loading starters on the sample data's own layouts, texts, fonts
// and packs: panel heights, menu 10's walk, the actions of the in-game menus, the sound
// switches and the backlight, the pages' set-up and the loader's sound, menu and table steps.
#include <gtest/gtest.h>

#include "framework/core/game_math.h"
#include "framework/sound/sound_manager.h"
#include "framework/sprite/sprite.h"
#include "framework/sprite/sprite_instance.h"
#include "game/flow/game.h"
#include "game/objects/cobject.h"
#include "host/core/clock.h"
#include "platform/lcdui/graphics.h"
#include "platform/lcdui/image.h"
#include "runtime/core/arrays.h"
#include "tests/game/archive_game_fixture.h"
#include "tests/game/flow/menu_keys.h"
#include "platform/graphics/pixels.h"
#include "tools/sample_data/prompt_data.h"
#include "tools/sample_data/sample_data.h"

namespace {

using namespace mrc;

using test::kConfirm, test::kDown, test::kUp;

class MenuScreensTest : public test::ArchiveGameTest {
protected:
    MenuScreensTest() : ArchiveGameTest("veltrano-menu-screens") {}

    void saveData() override {
        ASSERT_TRUE(sample_data::buildArchive().save(m_root / "data" / formats::kArchiveFileName));
    }
    void SetUp() override {
        ArchiveGameTest::SetUp();
        Game::initStateTables();
        // What start-up loads for the menus: the texts, the fonts and the layouts.
        run({{0, 4, 3}, {0, 2, 2}, {0, 0, 1}, {2, 2, 1, 0, 0, 10}, {1, 2, 0}, {18, 12}});
        st.redraw = 0;
        Game::tables.s_hasSavedGame = 0;
        ASpriteInstance::statics.logicStepsThisFrame = 1;
    }
    void TearDown() override {
        Game::objects.s_player = nullptr;
        CObject::statics.s_countedItems = nullptr;
        ArchiveGameTest::TearDown();
    }
    // Runs a loading script to its end, as the start-up state does.
    void run(const std::vector<std::vector<int32_t>>& commands) {
        st.loadScript = script(commands);
        st.loadIndex = 0;
        for (int i = 0; i < 100 && (Game::loadStep() & Game::kLoadFinished) == 0; ++i) {
        }
    }
    void press(int32_t keys) { test::pressMenuKeys(game, keys); }
    void open(int32_t menu) { test::openMenu(game, menu); }
    static int32_t panelY(int32_t layout) {
        const int32_t panel = JArray::getInt(Game::flowStatics.s_layoutSelection, layout);
        return JArray::getShort(Game::layoutElement(layout, panel), 2);
    }
    static int32_t itemY(int32_t layout, int32_t menu) {
        return JArray::getShort(Game::layoutElement(layout, JArray::getInt(Game::flowStatics.s_menuFirstElement, menu)), 2);
    }
    WM_JSound* sound() { return Game::flowStatics.sound; }
};

TEST_F(MenuScreensTest, ThePauseMenuWithoutOwnedItemsIsThirtyPixelsShorterEachTimeItOpens) {
    const int32_t panel = JArray::getInt(Game::flowStatics.s_layoutSelection, 1);
    ASSERT_GE(panel, 0);
    const int32_t top = panelY(1), firstItem = itemY(1, 1), height = Game::getLayoutElementHeight(1, panel);
    state(7, 0);
    for (int time = 0; time < 2; ++time) {
        Game::setMenu(1, 1, -1);
        EXPECT_EQ(panelY(1), top + 30) << "opening " << time;
        EXPECT_EQ(itemY(1, 1), firstItem + 30) << "opening " << time;
        EXPECT_EQ(Game::menuStatics.transitionEnd, height - 30) << "opening " << time;
    }
    // With a counted item owned, the upgrades entry shows and the panel keeps its height.
    CObject::statics.s_countedItems = om()->newIntArray(5);
    for (int32_t i = 0; i < 5; ++i) CObject::statics.s_countedItems->elements()[i] = i;
    Game::objects.s_playerFlags = 1;
    ASSERT_NE(CObject::countFlagged(), 0);
    Game::setMenu(1, 1, -1);
    EXPECT_EQ(panelY(1), top);
    EXPECT_EQ(Game::menuStatics.transitionEnd, height);
}

TEST_F(MenuScreensTest, TheUpgradeMenuWalksRowsAndColumnsOverTheOwnedRows) {
    CObject::statics.s_countedItems = om()->newIntArray(5);
    for (int32_t i = 0; i < 5; ++i) CObject::statics.s_countedItems->elements()[i] = i;
    Game::objects.s_playerFlags = 1 | 4;  // rows 0 and 2
    state(7, 0);
    open(10);
    auto place = [] { return std::pair{Game::layouts.s_menuCursor - 3, Game::layouts.s_upgradeMode}; };
    ASSERT_EQ(place(), (std::pair{0, 0}));
    const struct {
        int32_t keys;
        std::pair<int32_t, int32_t> to;
    } steps[] = {{kDown, {0, 1}}, {kDown, {2, 0}}, {kDown, {2, 1}}, {kDown, {0, 0}},
                 {kUp, {2, 1}},   {kUp, {2, 0}},   {kUp, {0, 1}},   {kUp, {0, 0}}};
    for (const auto& s : steps) {
        press(s.keys);
        EXPECT_EQ(place(), s.to) << std::hex << s.keys;
    }
    // A held confirm buys on the next update; without it the hold timer restarts.
    Game::initTimers(0);
    Game::timerStatics.gameTime = 1000;
    Game::layouts.s_upgradeHoldTimer = Game::timerAlloc();
    Game::timerStatics.gameTime = 1600;
    in.keysHeld = kConfirm;
    press(0);
    EXPECT_EQ(Game::layouts.s_menuPhase, 2);
    in.keysHeld = 0;
    Game::layouts.s_menuPhase = 1;
    press(0);
    EXPECT_EQ(Game::getTimerElapsed(Game::layouts.s_upgradeHoldTimer), 0) << "released: the timer restarts";
}

TEST_F(MenuScreensTest, TheUpgradeHintsRunElementsFortySixToFiftyInFramedBoxesThenColumnZero) {
    run({{0, 5, 5}});  // the speakers' group, with the hints' texts, as a level loads it
    state(7, 0);
    open(10);
    const std::vector<formats::DefinitionRecord> hints = sample_data::upgradeHints();
    ASSERT_EQ(hints.size(), 5u);
    const PromptStatics& p = Game::prompts;
    const LayoutStatics& l = Game::layouts;
    auto* image = javax_microedition_lcdui_Image::createBlankImage(800, 480);
    Game::Graphics* g = image->getGraphics();
    Game::openOptionList();
    for (int k = 0; k < 5; ++k) {
        if (k > 0) Game::nextHint();
        const formats::DefinitionRecord& e = hints[std::size_t(k)];
        ASSERT_EQ(l.s_upgradeMode, 2) << "hint " << k;
        EXPECT_EQ(l.s_panelStep, k);
        EXPECT_EQ(p.s_promptTextGroup, e.values[0]) << "hint " << k;
        EXPECT_EQ(p.s_promptTextId, e.values[1]) << "hint " << k;
        EXPECT_EQ(st.dialogArrow, e.values[2]) << "hint " << k;
        EXPECT_EQ(p.s_promptX, e.x - (k == 0 ? 300 : 0)) << "the first hint is centred on its x";
        EXPECT_EQ(p.s_promptY, e.y + 5);
        // The text is the sample data's own: measured, it makes a box that stays on the screen
        // with its arrow.
        EXPECT_GT(st.dialogExtent, 20) << "hint " << k;
        EXPECT_GE(p.s_promptX, 0);
        EXPECT_LE(p.s_promptX + 600, 800);
        EXPECT_GE(p.s_promptY - 20, 0);
        EXPECT_LE(p.s_promptY + st.dialogExtent + 5 + 20, 480) << "hint " << k;
        // Opened (as the box's growing ends) and its page shown whole: the gold frame and the text
        // inside it.
        ASSERT_EQ(l.s_promptState, 0);
        Game::prompts.s_promptBoxHeight = st.dialogExtent;
        Game::prompts.s_promptPressed = true;
        Game::layouts.s_promptState = 1;
        g->setColor(0xFFFFFF);
        g->fillRect(0, 0, 800, 480);
        Game::drawMenuFrame(g);
        const uint16_t* pixels = image->pixels16();
        EXPECT_EQ(pixels[(p.s_promptY + st.dialogExtent / 2) * 800 + p.s_promptX], gfx::argbToRgb565(0xFFF7DC46u))
            << "hint " << k;
        int ink = 0;
        for (int32_t y = p.s_promptY; y < p.s_promptY + st.dialogExtent; ++y)
            for (int32_t x = p.s_promptX; x < p.s_promptX + 600; ++x) ink += pixels[y * 800 + x] == gfx::argbToRgb565(0xFFF0F0F0u);
        EXPECT_GT(ink, 300) << "hint " << k;
    }
    Game::nextHint();
    EXPECT_EQ(l.s_upgradeMode, 0) << "the panel returns to column 0";
    EXPECT_EQ(p.s_promptTextId, hints.back().values[1]) << "no sixth hint";
}

TEST_F(MenuScreensTest, TheInGameMenusActionsByTheirEffects) {
    Game::objects.s_player = CObject::create(1, 0, 0, 0, om()->newIntArray(30));
    auto act = [](int32_t menu, int32_t item) {
        Game::layouts.s_menu = menu;
        Game::menuAction(item);
    };
    // The death choice returns to the death and picks the player's death kind.
    for (int32_t item : {26, 27}) {
        state(12, 0);
        Game::setMenu(8, 1, -1);
        act(8, item);
        EXPECT_EQ(ov.gameState, 12) << item;
        EXPECT_EQ(CObject::statics.s_playerStateParam, item == 26 ? 6 : 7);
    }
    // Chapters choose their save slot.
    act(9, 31);
    EXPECT_EQ(count("Game::selectSaveSlot"), 1);
    // The offer and the leave-level confirmation restart at a level; no to leaving returns.
    act(11, 10);
    act(11, 11);
    act(12, 10);
    EXPECT_EQ(count("Game::restartAtLevel"), 3);
    state(7, 0);
    Game::setMenu(12, 1, -1);
    act(12, 11);
    EXPECT_EQ(ov.gameState, 7);
    // Resuming from the pause menu into a death shows the death scene again.
    state(12, 0);
    Game::setMenu(1, 1, -1);
    Game::objects.s_player->m_params->elements()[11] = 0;
    act(1, 7);
    EXPECT_EQ(ov.gameState, 12);
    EXPECT_EQ(Game::objects.s_player->param(11), 1);
    EXPECT_EQ(Game::paintStatics.s_letterboxActive, 1);
    EXPECT_EQ(count("Game::paintDeathScene"), 1);
    // Into gameplay it does not.
    state(7, 0);
    Game::setMenu(1, 1, -1);
    act(1, 7);
    EXPECT_EQ(ov.gameState, 7);
    EXPECT_EQ(count("Game::paintDeathScene"), 1);
}

TEST_F(MenuScreensTest, EachSwitchGatesItsEntryPoint) {
    ASSERT_NE(sound(), nullptr);
    sound()->enabled = true;
    const struct {
        bool music, effects;
        int32_t expectEvent, expectMusic;
    } cases[] = {{true, true, 3, 0}, {true, false, -1, 0}, {false, true, 3, -1}, {false, false, -1, -1}};
    for (const auto& c : cases) {
        Game::menuStatics.musicOn = c.music;
        Game::menuStatics.soundEffectsOn = c.effects;
        sound()->lastRequest = -1;
        Game::playSoundForEvent(11);
        EXPECT_EQ(sound()->lastRequest, c.expectEvent) << c.music << c.effects;
        sound()->lastRequest = -1;
        Game::playMusic(5, 1);
        EXPECT_EQ(sound()->lastRequest, c.expectMusic) << c.music << c.effects;
    }
    // Silent codes stay silent with both switches on.
    Game::menuStatics.musicOn = Game::menuStatics.soundEffectsOn = 1;
    for (int32_t event : {8, 9, 19, 23, 30, 31}) {
        sound()->lastRequest = -1;
        Game::playSoundForEvent(event);
        EXPECT_EQ(sound()->lastRequest, -1) << event;
    }
}

TEST_F(MenuScreensTest, TheBacklightIsRefreshedAtMostOnceASecond) {
    host::ManualClock clock(5000);
    Game::MenuStatics& m = Game::menuStatics;
    m.lastBacklightTicks = 5000;
    m.backlightKeepAlive = 0;
    clock.set(7000);
    Game::refreshBacklight();
    EXPECT_EQ(m.lastBacklightTicks, 5000) << "switched off";
    m.backlightKeepAlive = 1;
    const struct {
        uint32_t now;
        int64_t last;
    } steps[] = {{6000, 5000}, {6001, 6001}, {6500, 6001}, {7001, 6001}, {7002, 7002}};
    for (const auto& s : steps) {
        clock.set(s.now);
        Game::refreshBacklight();
        EXPECT_EQ(m.lastBacklightTicks, s.last) << s.now;
    }
}

TEST_F(MenuScreensTest, EveryStatesFrameKeepsTheBacklightLit) {
    host::ManualClock clock(5000);
    Game::MenuStatics& m = Game::menuStatics;
    EXPECT_EQ(m.backlightKeepAlive, 1) << "on from the start";
    m.lastBacklightTicks = 0;
    // A screen (the title, waiting for its key) and gameplay alike, once a second at most.
    for (int32_t s : {Game::kStateTitle, Game::kStateGameplay}) {
        SCOPED_TRACE(s);
        state(s, 1);
        in.keysPressed = 0;
        clock.advance(1001);
        const int64_t now = host::tickCount64();
        Game::stateUpdates[s] = nullptr;  // the frame path alone
        game->updateState();
        EXPECT_EQ(m.lastBacklightTicks, now);
        clock.advance(500);
        game->updateState();
        EXPECT_EQ(m.lastBacklightTicks, now);
    }
}

// The list page's page button (element 6 of layout 11) in the lit palette (gold) while the
// highlight is set; each paint stores whether the label was drawn.
TEST_F(MenuScreensTest, TheListPagesButtonIsLitAsItsHighlightSays) {
    javax_microedition_lcdui_Image* image = javax_microedition_lcdui_Image::createBlankImage(800, 480);
    javax_microedition_lcdui_Graphics* g = image->getGraphics();
    // Pixels of the button's box that are gold (lit) and white (plain) in RGB565.
    auto inks = [&] {
        int gold = 0, white = 0;
        const uint16_t* p = image->pixels16();
        for (int y = 340; y < 384; ++y)
            for (int x = 250; x < 550; ++x) {
                const uint16_t c = p[y * 800 + x];
                const int r = c >> 11, b = c & 0x1F;
                gold += r >= 28 && b < 20;
                white += r >= 28 && b >= 25;
            }
        return std::pair{gold, white};
    };
    Game::layouts.s_menu = 7;
    state(4, 7);
    Game::enterMenuState(0);
    Game::MenuStatics& m = Game::menuStatics;
    m.listHighlight = 0;
    Game::paintSubmenu(g);
    EXPECT_EQ(m.listHighlight, 1) << "the label was drawn";
    auto [gold, white] = inks();
    EXPECT_EQ(gold, 0);
    EXPECT_GT(white, 50) << "plain while the highlight was off";
    Game::paintSubmenu(g);
    std::tie(gold, white) = inks();
    EXPECT_GT(gold, 50) << "lit";
    EXPECT_EQ(white, 0);
    EXPECT_EQ(m.listHighlight, 1);
    // A page without a button label draws nothing there and puts the highlight out.
    m.listCursor = 4;
    Game::paintSubmenu(g);
    EXPECT_EQ(m.listHighlight, 0);
}

TEST_F(MenuScreensTest, ATitleKeyOpensTheMainMenuAndFreesTheTitlePicture) {
    run({{3, 3, 0, 15, 0, 2}});
    ASSERT_FALSE(isNull(JArray::getRef(st.sprites, 15)));
    state(Game::kStateTitle, 1);
    in.keysPressed = 0;
    Game::stateUpdates[Game::kStateTitle](game);
    EXPECT_FALSE(isNull(JArray::getRef(st.sprites, 15))) << "no key: the title stays";
    in.keysPressed = kConfirm;
    Game::stateUpdates[Game::kStateTitle](game);
    EXPECT_EQ(ov.gameState, Game::kStateMenu);
    EXPECT_EQ(Game::layouts.s_menu, 0);
    EXPECT_TRUE(isNull(JArray::getRef(st.sprites, 15)));
    EXPECT_EQ(count("Game::resetObjectSlots"), 1);
}

TEST_F(MenuScreensTest, PageKindsSetUpTheirScreens) {
    javax_microedition_lcdui_Image* image = javax_microedition_lcdui_Image::createBlankImage(800, 480);
    javax_microedition_lcdui_Graphics* g = image->getGraphics();
    Game::layouts.s_menu = 7;
    for (int32_t kind : {0, 1, 2}) {
        state(4, 7);
        Game::enterMenuState(kind);
        EXPECT_EQ(ov.gameState, Game::kStateSubmenu);
        EXPECT_EQ(ov.gameSubState, kind);
        Game::paintSubmenu(g);
        EXPECT_EQ(st.redraw, 0) << kind;
    }
    // Kind 0: the list's last page comes from the layout; kind 1: the text scrolls from 360 px up
    // to minus its measured height.
    Game::enterMenuState(0);
    EXPECT_EQ(Game::menuStatics.listCursor, 0);
    EXPECT_EQ(Game::menuStatics.lastPage, 3);
    Game::enterMenuState(1);
    EXPECT_EQ(Game::menuStatics.scrollY, 360 << 14);
    const int32_t height = Game::measureTextPageHeight(st.fonts, Game::spriteIn(st.sprites, 3), 4, 2, 0, 780, 0x1E000, 0);
    EXPECT_GT(height, 100) << "the text runs over several lines";
    EXPECT_EQ(Game::menuStatics.scrollEnd, -(height << 14));
}

TEST_F(MenuScreensTest, TheLoaderStartsTheSoundsOnceOpensMenusAndReadsTheAngles) {
    ASSERT_FALSE(sound()->loaded);
    run({{5, 24, 0, 5, 2, 0}});
    EXPECT_TRUE(st.soundStarted);
    EXPECT_TRUE(sound()->loaded) << "the sound pack string 459 names";
    EXPECT_TRUE(sound()->enabled);
    sound()->enabled = false;
    run({{5, 25, 1, 0, 1, 0}});
    EXPECT_TRUE(sound()->enabled) << "every sound set enables the sounds again";
    // The angle table: 256 at 90 degrees, 128 at 30.
    run({{18, 3}});
    ASSERT_FALSE(isNull(Game::mathStatics.angleTable));
    EXPECT_EQ(JArray::getShort(Game::mathStatics.angleTable, 90), 256);
    EXPECT_EQ(JArray::getShort(Game::mathStatics.angleTable, 30), 128);
    EXPECT_EQ(Game::flowStatics.s_loadPack, -1);
    // A menu command opens the menu and ends the script; the main-menu action opens menu 0.
    state(2, 0);
    run({{7, 7}, {6, 3, 1}});
    EXPECT_EQ(ov.gameState, Game::kStateMenu);
    EXPECT_EQ(Game::layouts.s_menu, 7);
    EXPECT_TRUE(isNull(st.loadScript));
    state(2, 0);
    run({{18, 6}});
    EXPECT_EQ(ov.gameState, Game::kStateMenu);
    EXPECT_EQ(Game::layouts.s_menu, 0);
}

TEST_F(MenuScreensTest, LevelSetUpKeepsItsReasonAndStartFlag) {
    const struct {
        int32_t reason, kind, startFlag;
    } cases[] = {{0, 0, 1}, {3, 3, 1}, {4, 4, 0}, {2, 0, 0}};
    for (const auto& c : cases) {
        Game::levelSetup.s_levelStartFlag = 0;
        Game::enterLevelSetup(c.reason);
        EXPECT_EQ(ov.gameState, 5) << c.reason;
        EXPECT_EQ(Game::levelSetup.s_levelSetupKind, c.kind) << c.reason;
        EXPECT_EQ(Game::levelSetup.s_levelStartFlag, c.startFlag) << c.reason;
    }
    // A continued game saved on the map opens the level selection.
    Game::saves.s_openLevelSelect = 1;
    Game::tables.s_hasSavedGame = 1;
    Game::writeSettingsRecord();
    const int32_t history = ov.menuHistoryIndex;
    Game::enterLevelSetup(1);
    EXPECT_EQ(Game::levelSetup.s_levelStartFlag, 1);
    EXPECT_EQ(ov.gameState, 2) << "the level selection's loading";
    EXPECT_EQ(st.loadScript, JArray::getRef(ov.eventActions, Game::kLevelSelectScript));
    EXPECT_NE(ov.menuHistoryIndex, history);
}

}  // namespace
