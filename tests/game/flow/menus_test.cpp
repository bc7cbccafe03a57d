// The menu system on the table built at start-up: wrap-around, hidden and skipped items, the
// confirmations' first item, the option toggles, both histories, the title's key and the actions
// that change the state.
#include <gtest/gtest.h>

#include "game/flow/game.h"
#include "game/objects/cobject.h"
#include "runtime/core/arrays.h"
#include "tests/game/flow/menu_keys.h"
#include "tests/game/game_fixture.h"

namespace {

using namespace mrc;

using test::kConfirm, test::kDown, test::kLeft, test::kRightSoft, test::kUp;

class MenusTest : public test::GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        Game::initStateTables();
        game = newGame();
        Game::tables.s_hasSavedGame = 0;
    }
    // One frame of the menu state with these keys pressed.
    void press(int32_t keys) { test::pressMenuKeys(game, keys); }
    void open(int32_t menu) { test::openMenu(game, menu); }
    static int32_t item() {
        return JArray::getInt(static_cast<IntArray*>(JArray::getRef(Game::flowStatics.s_menuTable, Game::layouts.s_menu)),
                              Game::layouts.s_menuCursor);
    }
    Game* game = nullptr;
    GameInput::Statics& in = GameInput::inputStatics;
};

TEST_F(MenusTest, TheMainMenuWrapsBothWays) {
    open(0);
    EXPECT_EQ(item(), 2);
    press(kUp);
    EXPECT_EQ(item(), 6) << "up from the first item goes to the last";
    press(kDown);
    EXPECT_EQ(item(), 2) << "down from the last goes to the first";
    press(kDown);
    EXPECT_EQ(item(), 9);
}

TEST_F(MenusTest, EveryConfirmationOpensOnNo) {
    for (int32_t menu : {2, 3, 4, 5, 6, 11, 12, 14}) {
        Game::layouts.s_menuCursor = 3;
        Game::setMenu(menu, 1, -1);
        EXPECT_EQ(item(), 11) << menu;
    }
}

TEST_F(MenusTest, TheEraseItemIsSkippedOnlyWithoutASavedGame) {
    for (int32_t saved : {0, 1}) {
        Game::tables.s_hasSavedGame = saved;
        open(7);
        EXPECT_EQ(item(), Game::menuStatics.musicOn ? 77 : 78);
        press(kDown);
        press(kDown);
        EXPECT_EQ(item(), saved ? 16 : 4) << saved;
        press(kUp);
        press(kUp);
        press(kUp);
        EXPECT_EQ(item(), 4) << "up wraps from the first item to the last, " << saved;
    }
}

TEST_F(MenusTest, ThePauseMenuHidesUpgradesWhenNoneIsOwned) {
    state(7, 0);
    open(1);
    EXPECT_EQ(item(), 7);
    press(kDown);
    EXPECT_EQ(item(), 79) << "the hidden upgrades entry is passed over";
}

TEST_F(MenusTest, ATogglePressedTwiceRestoresFlagAndLabel) {
    open(7);
    for (int32_t cursor : {3, 4}) {
        Game::layouts.s_menuCursor = cursor;
        const int32_t label = item();
        const uint8_t music = Game::menuStatics.musicOn, effects = Game::menuStatics.soundEffectsOn;
        press(kLeft);
        EXPECT_EQ(item(), label + 1) << cursor;
        EXPECT_NE(cursor == 3 ? Game::menuStatics.musicOn : Game::menuStatics.soundEffectsOn,
                  cursor == 3 ? music : effects);
        press(kConfirm);
        EXPECT_EQ(item(), label) << cursor;
        EXPECT_EQ(Game::menuStatics.musicOn, music);
        EXPECT_EQ(Game::menuStatics.soundEffectsOn, effects);
        EXPECT_EQ(Game::layouts.s_menuPhase, 1) << "a toggle never runs the item";
    }
}

TEST_F(MenusTest, BackReturnsToTheItemThatOpenedTheMenu) {
    open(0);
    press(kDown);
    press(kDown);
    ASSERT_EQ(item(), 3);
    press(kConfirm);
    press(0);
    ASSERT_EQ(Game::layouts.s_menu, 7);
    press(kRightSoft);
    EXPECT_EQ(ov.gameState, 4);
    EXPECT_EQ(Game::layouts.s_menu, 0);
    EXPECT_EQ(item(), 3) << "back on options";
}

TEST_F(MenusTest, BothHistoriesWrapAfterTenPushes) {
    state(4, 0);
    Game::layouts.s_menu = 0;
    const int32_t stateStart = ov.stateHistoryIndex, menuStart = ov.menuHistoryIndex;
    for (int i = 0; i < 10; ++i) {
        Game::layouts.s_menuCursor = 3 + i % 4;
        Game::setMenu(0, 1, -1);
    }
    EXPECT_EQ(ov.stateHistoryIndex, stateStart);
    EXPECT_EQ(ov.menuHistoryIndex, menuStart);
    Game::layouts.s_menuCursor = 5;
    Game::setMenu(7, 1, -1);
    EXPECT_EQ(Game::popMenuHistory(), 2) << "the newest entry is the item left last";
    EXPECT_EQ(Game::popMenuHistory(), (9 % 4)) << "then the one before it";
}

TEST_F(MenusTest, ConfirmingContinueWithoutASaveKeepsTheMenu) {
    open(0);
    press(kDown);
    press(kConfirm);
    press(0);
    EXPECT_EQ(ov.gameState, 4);
    EXPECT_EQ(Game::layouts.s_menuPhase, 1);
    press(kDown);
    EXPECT_EQ(item(), 3) << "the menu still answers keys";
}

TEST_F(MenusTest, ActionsByTheirEffects) {
    // Quit, then yes: the game ends.
    open(0);
    press(kUp);
    press(kConfirm);
    press(0);
    ASSERT_EQ(Game::layouts.s_menu, 2);
    for (int i = 0; i < 100 && Game::layouts.s_menuPhase == 0; ++i) press(0);
    press(kUp);
    ASSERT_EQ(item(), 10);
    press(kConfirm);
    press(0);
    EXPECT_EQ(ov.gameState, Game::kStateQuit);
    // A new game without a save enters level set-up.
    open(0);
    press(kConfirm);
    press(0);
    EXPECT_EQ(ov.gameState, 5);
    EXPECT_EQ(ov.gameSubState, 0);
    // The sound prompt: no turns both options off and shows the title waiting for a key.
    open(5);
    press(kConfirm);
    press(0);
    EXPECT_EQ(Game::menuStatics.musicOn, 0);
    EXPECT_EQ(Game::menuStatics.soundEffectsOn, 0);
    EXPECT_EQ(ov.gameState, Game::kStateTitle);
    EXPECT_EQ(ov.gameSubState, 1);
}

TEST_F(MenusTest, ATitleKeyOpensTheMainMenu) {
    state(3, 1);
    in.keysPressed = 0;
    Game::stateUpdates[Game::kStateTitle](game);
    EXPECT_EQ(ov.gameState, 3) << "the title waits";
    in.keysPressed = kConfirm;
    Game::stateUpdates[Game::kStateTitle](game);
    EXPECT_EQ(ov.gameState, 4);
    EXPECT_EQ(ov.gameSubState, 0);
    EXPECT_EQ(Game::layouts.s_menu, 0);
}

TEST_F(MenusTest, PagesTurnWithTheKeysAndBackReturnsToTheirItem) {
    Game::tables.s_hasSavedGame = 1;
    open(7);
    for (int i = 0; i < 3; ++i) press(kDown);
    ASSERT_EQ(item(), 4);
    press(kConfirm);
    press(0);
    ASSERT_EQ(ov.gameState, Game::kStateSubmenu);
    ASSERT_EQ(ov.gameSubState, 0);
    Game::menuStatics.lastPage = 2;
    auto page = [&](int32_t keys) {
        in.keysPressed = keys;
        Game::stateUpdates[Game::kStateSubmenu](game);
        EXPECT_EQ(in.keysPressed, keys) << "the keys are restored";
        in.keysPressed = 0;
        return Game::menuStatics.listCursor;
    };
    EXPECT_EQ(page(kLeft), 2) << "back from the first page wraps to the last";
    EXPECT_EQ(page(kConfirm), 0);
    EXPECT_EQ(page(0x40000), 1) << "the left soft key turns the page like confirm";
    page(kRightSoft);
    EXPECT_EQ(ov.gameState, 4);
    EXPECT_EQ(Game::layouts.s_menu, 7);
    EXPECT_EQ(item(), 4) << "back on the information item";
}

TEST_F(MenusTest, WithoutPromotionHooksThePromotionStateEndsAtOnce) {
    open(0);
    Game::setState(Game::kStatePromo, 0);
    Game::stateUpdates[Game::kStatePromo](game);
    EXPECT_EQ(ov.gameState, 4);
    EXPECT_EQ(Game::layouts.s_menu, 0);
}

TEST_F(MenusTest, ThePromotionStateTranslatesKeysAndEndsWhenTheScreenIsDone) {
    static std::vector<int32_t> codes;
    static bool done;
    Game::promoHooks.update = [](int32_t code) {
        codes.push_back(code);
        return done;
    };
    const struct {
        int32_t keys, code;
    } cases[] = {{0x102 | kConfirm, 21}, {0x4004, 32}, {0x408, 23}, {0x1010, 24}, {kRightSoft, 26},
                 {kConfirm, 25}, {0x40000, 25}, {0, 0}};
    done = false;
    for (const auto& c : cases) {
        state(Game::kStatePromo, 0);
        Game::inputStatics.keysPressed = c.keys;
        Game::stateUpdates[Game::kStatePromo](game);
        ASSERT_FALSE(codes.empty());
        EXPECT_EQ(codes.back(), c.code) << std::hex << c.keys;
        EXPECT_EQ(ov.gameState, Game::kStatePromo) << "not done: the screen stays";
    }
    done = true;
    Game::inputStatics.keysPressed = 0;
    Game::stateUpdates[Game::kStatePromo](game);
    EXPECT_EQ(ov.gameState, 4);
    EXPECT_EQ(ov.gameSubState, 0) << "the main menu";
    Game::promoHooks.update = nullptr;
}

TEST_F(MenusTest, GameEventsMapOntoTheSoundBank) {
    const struct {
        int32_t event, sound;
    } cases[] = {{5, 0}, {6, 1}, {7, 2}, {10, 3}, {11, 3}, {12, 3}, {13, 5}, {14, 5}, {15, 9}, {16, 10},
                 {17, 4}, {18, 8}, {20, 6}, {21, 7}, {22, 11}, {8, -1}, {9, -1}, {19, -1}, {23, -1},
                 {30, -1}, {31, -1}, {-1, -1}, {0, -1}};
    for (const auto& c : cases) EXPECT_EQ(Game::soundForEvent(c.event), c.sound) << c.event;
}

}  // namespace
