// Driving the menu state in tests: one frame with keys pressed, and a menu opened until it
// takes input.
#pragma once

#include <gtest/gtest.h>

#include "game/flow/game.h"

namespace mrc::test {

// The key bits the menus read; each covers the keys that act alike.
constexpr int32_t kUp = 0x102, kDown = 0x4004, kLeft = 0x408, kConfirm = 0x820, kRightSoft = 0x80000;

// One frame of the menu state with these keys pressed.
inline void pressMenuKeys(Game* game, int32_t keys) {
    GameInput::inputStatics.keysPressed = keys;
    Game::stateUpdates[Game::kStateMenu](game);
    GameInput::inputStatics.keysPressed = 0;
}

// Opens the menu and lets its opening counter run out.
inline void openMenu(Game* game, int32_t menu) {
    Game::setMenu(menu, 1, -1);
    for (int i = 0; i < 100 && Game::layouts.s_menuPhase == 0; ++i) pressMenuKeys(game, 0);
    ASSERT_EQ(Game::layouts.s_menuPhase, 1);
}

}  // namespace mrc::test
