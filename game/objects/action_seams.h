// Test seams of the sound services that the player's actions call: each service passes its
// argument here first when a seam is set, then plays as usual.
#pragma once

#include <cstdint>

namespace mrc {

struct ActionSeams {
    void (*playSoundForEvent)(int32_t event) = nullptr;
    void (*requestEffectSound)(int32_t sound) = nullptr;
};
ActionSeams& actionSeams();

}  // namespace mrc
