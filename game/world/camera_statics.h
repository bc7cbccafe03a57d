// Game's camera statics: the camera mode with its step counter and the position that mode 4
// holds. The camera position itself is GameMath's (mathStatics.cameraX, cameraY). `Game::camera`
// holds the one block; zero until a level places the camera.
#pragma once

#include <cstdint>

#include "runtime/core/object.h"

class CObject;

struct CameraStatics {
    // 0 transition to a target, 1 follow with look-ahead, 2 and 3 return to the target, 4 hold
    // the saved position, 5 go to a point, 99 locked (kept whatever is requested).
    int32_t s_cameraMode;
    int32_t s_cameraModeStep;  // 0 on every mode change
    int32_t s_savedCameraX;    // 14 fraction bits
    int32_t s_savedCameraY;
    CObject* s_cameraTarget;  // the object the camera follows
    int32_t s_cameraPointX;   // pixels: the point mode 5 centres the view on
    int32_t s_cameraPointY;
    MRC_REF_FIELDS(&CameraStatics::s_cameraTarget);
};

namespace mrc {
// Registers the block with StaticClass; idempotent.
void registerCameraStatics();
}  // namespace mrc
