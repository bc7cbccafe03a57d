// Stand-ins for the routines that later work builds (see game/pending.h). Each body traces once
// and answers a neutral value; none of them is the routine itself.
#include "game/pending.h"

#include "game/flow/game.h"
#include "game/objects/cobject.h"

// The object's timers: the type-23 timer keeps params[7] as it is.
void CObject::initTimers() { GAME_NOT_BUILT_YET("CObject::initTimers"); }
void CObject::releaseTimers() { GAME_NOT_BUILT_YET("CObject::releaseTimers"); }

void Game::setPlayerState(int32_t, int32_t, CObject*) { GAME_NOT_BUILT_YET("Game::setPlayerState"); }
void Game::setObjectAiMode(CObject*, int32_t) { GAME_NOT_BUILT_YET("Game::setObjectAiMode"); }
void Game::setAllAbilityFlags() { GAME_NOT_BUILT_YET("Game::setAllAbilityFlags"); }
