// KetraKRVD: the game's MIDlet, which the runtime creates and starts. Its first startApp creates the
// game canvas (a Game, from the layer above through the class factory and GameHooks::initGame) and
// starts the game thread; later ones resume the game after a pauseApp.
#pragma once

#include "platform/midlet/midlet.h"

class QXLib;

class KetraKRVD : public javax_microedition_midlet_MIDlet {
public:
    MRC_CLASS(KetraKRVD, javax_microedition_midlet_MIDlet);

    struct Statics {
        QXLib* game;  // the game canvas, from the first startApp on
        MRC_REF_FIELDS(&Statics::game);
    };
    static Statics statics;

    void startApp() override;
    // The pause hook, without a canvas.
    void pauseApp() override;
    // Without a canvas the application stops at once; otherwise the game loop ends after its pass.
    void destroyApp(bool unconditional) override;
};

namespace mrc {
// The class factories of the MIDlet, the sprites and the sound classes, and the MIDlet's block of
// statics; idempotent.
void registerFrameworkClasses();
}  // namespace mrc
