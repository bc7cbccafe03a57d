// Stand-ins for the routines that later work builds (see game/pending.h). Each body traces once
// and answers a neutral value; none of them is the routine itself.
#include "game/pending.h"

#include "game/flow/game.h"

// The particle table's entry (the object lists' own; it takes the stand-in's place on merging).
void Game::setEntry(int32_t, int32_t, int32_t) { GAME_NOT_BUILT_YET("Game::setEntry"); }

// The sprite table s_sprites of the object lists.
ObjectArray* Game::spriteTable() {
    GAME_NOT_BUILT_YET("Game::s_sprites");
    return nullptr;
}

// QXLib::s_frameTime, this frame's length in ms, set by the frame step.
int32_t Game::frameTime() {
    GAME_NOT_BUILT_YET("QXLib::s_frameTime");
    return 0;
}

void Game::drawWrappedBackground(Graphics*, int32_t, int32_t, int32_t, int32_t) {
    GAME_NOT_BUILT_YET("Game::drawWrappedBackground");
}

void Game::copyParam9To10() { GAME_NOT_BUILT_YET("Game::copyParam9To10"); }
