// The statics of the game class `Game` that belong to the game itself (the framework keeps its own
// in GameBase and GameInput), and the Game class's static initialiser.
#pragma once

#include <cstdint>

#include "runtime/core/object.h"

class IntArray;
class WM_JSound;

class GameStatics {
public:
    struct FlowStatics {
        Object* instance;        // the game canvas (a Game), set by its constructor
        IntArray* propertyDigits;  // int[3], from an application property
        WM_JSound* sound;        // the game's sound manager
        uint8_t pendingResume;   // set by hideNotify: the next frame's update handles the resume

        MRC_REF_FIELDS(&FlowStatics::instance, &FlowStatics::propertyDigits, &FlowStatics::sound);
    };
    static FlowStatics flowStatics;

    // The Game class's static initialiser.
    static void clinit();
};

namespace mrc {
// Registers the block of statics and the initialiser with StaticClass; idempotent.
void registerGameStatics();
}  // namespace mrc
