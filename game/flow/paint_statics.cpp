#include "game/flow/paint_statics.h"

#include "game/flow/game.h"
#include "runtime/core/static_class.h"

namespace mrc {

void registerPaintStatics() {
    static bool registered = false;
    if (registered) return;
    registered = true;
    StaticClass::registerStatics("Game.paint", &Game::paintStatics);
    StaticClass::registerStatics("Game.levelView", &Game::levelView);
}

}  // namespace mrc
