// Test seams of the sound services that the player's actions call before their own code exists
// (game/pending.cpp): each stand-in passes its argument here when a seam is set.
#pragma once

#include <cstdint>

namespace mrc {

struct ActionSeams {
    void (*playSoundForEvent)(int32_t event) = nullptr;
    void (*requestEffectSound)(int32_t sound) = nullptr;
};
ActionSeams& actionSeams();

}  // namespace mrc
