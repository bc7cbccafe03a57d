// Touch input of the game canvas: the key a frame's touch becomes by state, sub-step, pad and
// position, the player's turns, and the release bookkeeping against newer UI-thread events.
#include <gtest/gtest.h>

#include <optional>

#include "game/objects/cobject.h"
#include "tests/game/game_fixture.h"

namespace {

using namespace mrc;
using Point = std::optional<std::pair<int32_t, int32_t>>;
constexpr int32_t kNothing = GameInput::kNoLastKeyCode;

class TouchInputTest : public test::GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        game = newGame();
        st.touchColumnLeft = 330;
        st.touchColumnRight = 470;
        st.touchRowTop = 170;
        st.touchRowBottom = 310;
    }
    // One frame's touch: a press (held down or not) and a release.
    void touch(Point press, bool down, Point release) {
        in.pointerPressX = press ? press->first : -1000;
        in.pointerPressY = press ? press->second : -1000;
        in.pointerDown = down;
        in.pointerReleased = release.has_value();
        in.pointerReleaseX = release ? release->first : -1000;
        in.pointerReleaseY = release ? release->second : -1000;
        in.lastKeyCode = kNothing;
        in.keyLockFrames = 0;
        test::g_pendingCalls.clear();
        game->handlePointer();
    }
    Game* game = nullptr;
};

TEST_F(TouchInputTest, KeysByStateSubStepPadAndPosition) {
    const struct {
        int32_t state, sub;
        bool pad;
        int32_t playMode;
        Point press;
        bool down;
        Point release;
        int32_t key;
        int turns;
        const char* why;
    } cases[] = {
        // Soft-key corners outside gameplay and the main menu.
        {4, 2, true, 0, {}, false, {{760, 450}}, -7, 0, "right corner"},
        {4, 2, true, 0, {}, false, {{600, 450}}, kNothing, 0, "right zone, not the corner"},
        {4, 2, true, 0, {{100, 450}}, false, {{100, 450}}, kNothing, 0, "left zone"},
        {2, 0, true, 0, {}, false, {{760, 450}}, -7, 0, "loading: the corner first"},
        {2, 0, true, 0, {}, false, {{400, 240}}, -5, 0, "loading: a tap is fire"},
        {2, 0, true, 0, {}, false, {{0, 240}}, kNothing, 0, "loading: the border"},
        {15, 0, true, 0, {}, false, {{799, 1}}, -5, 0, "summary"},
        {3, 1, true, 0, {{400, 240}}, true, {}, kNothing, 0, "title: a press alone"},
        // Sub-menu.
        {10, 0, true, 0, {}, false, {{200, 100}}, '4', 0, "sub-menu left"},
        {10, 0, true, 0, {}, false, {{600, 100}}, '6', 0, "sub-menu right"},
        {10, 0, true, 0, {}, false, {{400, 100}}, kNothing, 0, "sub-menu middle line"},
        {10, 1, true, 0, {}, false, {{200, 100}}, kNothing, 0, "sub-menu sub-step 1"},
        // Gameplay without the pad: a 3 x 3 grid around the player at (400, 240).
        {7, 0, false, 0, {{330, 240}}, true, {}, kNothing, 0, "on the left line"},
        {7, 0, false, 0, {{320, 240}}, true, {}, '4', 1, "left of it, turning"},
        {7, 0, false, 0, {{400, 240}}, true, {}, '5', 0, "centre"},
        {7, 0, false, 0, {{480, 100}}, true, {}, '3', 1, "top right"},
        {7, 0, false, 0, {{400, 400}}, true, {}, '8', 0, "bottom middle"},
        {7, 0, false, 0, {{320, 400}}, true, {}, '7', 1, "bottom left"},
        {7, 0, false, 1, {{320, 400}}, true, {}, '4', 1, "bottom left in play mode"},
        {7, 0, false, 0, {{400, 170}}, true, {}, kNothing, 0, "on the top line"},
        {7, 0, false, 0, {{0, 240}}, true, {}, kNothing, 0, "x 0"},
        // Gameplay with the pad.
        {7, 0, true, 0, {{650, 400}}, true, {}, '5', 0, "attack button"},
        {7, 0, true, 0, {{750, 350}}, true, {}, '0', 0, "jump button"},
        {7, 0, true, 0, {{35, 300}}, true, {}, '1', 1, "pad cell 1 turns left"},
        {7, 0, true, 0, {{105, 370}}, true, {}, kNothing, 0, "pad cell 5 emits nothing"},
        {7, 0, true, 0, {{175, 440}}, true, {}, '9', 1, "pad cell 9 turns right"},
        {7, 0, true, 0, {{105, 300}}, true, {}, '2', 0, "pad cell 2"},
        {7, 0, true, 0, {{400, 240}}, true, {}, kNothing, 0, "elsewhere with the pad"},
        {7, 0, true, 0, {}, false, {{760, 30}}, -6, 0, "pause"},
        {7, 3, true, 0, {}, false, {{760, 30}}, -6, 0, "pause in sub-step 3"},
        {7, 1, true, 0, {}, false, {{400, 300}}, -5, 0, "sub-step 1: '5' then fire"},
        {7, 1, true, 0, {}, false, {{600, 30}}, -5, 0, "sub-step 1: pause then fire"},
        {7, 6, true, 0, {{650, 400}}, true, {}, kNothing, 0, "other sub-steps end early"},
    };
    for (const auto& c : cases) {
        state(c.state, c.sub);
        st.padShown = c.pad;
        st.playMode = c.playMode;
        CObject::statics.s_inputDirection = 0;  // the player turns: the facing is set
        touch(c.press, c.down, c.release);
        EXPECT_EQ(in.lastKeyCode.load(), c.key) << c.why;
        EXPECT_EQ(CObject::statics.s_inputDirection != 0 ? 1 : 0, c.turns) << c.why;
    }
}

TEST_F(TouchInputTest, SoftZonesDecideWhetherTheMenuSeesTheTouch) {
    state(4, 2);
    touch({}, false, {{600, 450}});
    EXPECT_GE(count("Game::menuItemAt"), 1) << "a release outside the corner reaches the menu";
    touch({{600, 450}}, true, {});
    EXPECT_EQ(count("Game::menuItemAt"), 0) << "a press held in a soft zone skips the menu";
    touch({{600, 300}}, true, {});
    EXPECT_GE(count("Game::menuItemAt"), 1);
    // The main menu has no soft-key corners of its own: its zones light its buttons.
    state(4, 0);
    touch({{600, 450}}, true, {});
    EXPECT_EQ(st.softRightLit, 1);
    EXPECT_EQ(st.softLeftLit, 0);
    touch({}, false, {{600, 450}});
    EXPECT_EQ(st.softRightLit, 0);
    EXPECT_EQ(ov.gameState, 10) << "the corner runs item 5, the scrolling text page";
    EXPECT_EQ(ov.gameSubState, 1);
}

TEST_F(TouchInputTest, TheAttackButtonPressedAgainReleasesThePreviousKeyFirst) {
    state(7, 0);
    st.padShown = 1;
    touch({{650, 400}}, true, {});
    EXPECT_EQ(st.padKey5Held, 1);
    EXPECT_EQ(in.currentKeyCode.load(), '5');
    // Still held next frame: the key is released, then pressed again.
    in.currentKeyCode = '5';
    touch({{650, 400}}, true, {});
    EXPECT_EQ(in.currentKeyCode.load(), '5');
    EXPECT_EQ(in.lastKeyCode.load(), '5');
    touch({}, false, {{760, 150}});
    EXPECT_EQ(count("Game::checkInteraction"), 1);
    EXPECT_EQ(st.padKey5Held, 0) << "a handled release clears the pad's flags";
}

TEST_F(TouchInputTest, AHandledReleaseClearsOnlyWhatTheFrameRead) {
    state(7, 0);
    st.padShown = 0;
    touch({{400, 240}}, true, {{400, 240}});
    EXPECT_EQ(in.pointerPressX.load(), -1000);
    EXPECT_EQ(in.pointerReleaseX.load(), -1000);
    EXPECT_EQ(in.pointerReleased.load(), 0);
    EXPECT_EQ(in.pointerDown.load(), 0) << "gameplay also lifts the pointer";
    EXPECT_EQ(in.currentKeyCode.load(), GameInput::kNoKeyCode) << "the touch's key was released";
    // A press and a release that the UI thread records while the frame handles the last ones.
    state(4, 2);
    game_pending::observer = [](const char* name) {
        if (std::string(name) != "Game::menuItemAt") return;
        GameInput::inputStatics.pointerPressX = 123;
        GameInput::inputStatics.pointerReleaseX = 456;
        GameInput::inputStatics.pointerReleased = 1;
    };
    touch({{600, 300}}, true, {{600, 300}});
    EXPECT_EQ(in.pointerPressX.load(), 123) << "the newer press stays";
    EXPECT_EQ(in.pointerReleaseX.load(), 456) << "the newer release stays";
    EXPECT_EQ(in.pointerReleased.load(), 1) << "and is still pending for the next frame";
}

}  // namespace
