#include "game/world/camera_statics.h"

#include "game/flow/game.h"
#include "runtime/core/static_class.h"

CameraStatics Game::camera;

namespace mrc {

void registerCameraStatics() {
    static bool registered = false;
    if (registered) return;
    registered = true;
    StaticClass::registerStatics("Game.camera", &Game::camera);
}

}  // namespace mrc
