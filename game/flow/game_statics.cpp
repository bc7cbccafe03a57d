#include "game/flow/game_statics.h"

#include "runtime/core/static_class.h"

GameStatics::FlowStatics GameStatics::flowStatics;

void GameStatics::clinit() {}

namespace mrc {

void registerGameStatics() {
    static bool registered = false;
    if (registered) return;
    registered = true;
    StaticClass::registerStatics("Game.flow", &GameStatics::flowStatics);
    StaticClass::setInitialiser(StaticInit::Game, &GameStatics::clinit);
}

}  // namespace mrc
