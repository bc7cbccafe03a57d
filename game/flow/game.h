// Game: the game's canvas. The framework's QXLib runs its thread and frames; Game adds the game's
// side of the start-up (property digits, palette flag, promotion screen, sound manager), its key
// events and its pause and resume notifications. It has no instance fields of its own.
#pragma once

#include <cstdint>

#include "framework/core/game_base.h"
#include "framework/core/game_input.h"
#include "framework/core/qxlib.h"
#include "game/flow/game_statics.h"

class Game : public QXLib, public GameBase, public GameInput, public GameStatics {
public:
    MRC_CLASS(Game, QXLib);

    // Application properties read by the constructor, and the value that selects the
    // alternative palettes.
    static constexpr const char* kDigitsPropertyKey = "MIDlet-Version";
    static constexpr const char* kAltPalettePropertyKey = "Alt-Palette";
    static constexpr const char* kAltPaletteOn = "true";
    static constexpr int32_t kScreenWidth = 800;
    static constexpr int32_t kScreenHeight = 480;
    static constexpr int32_t kRightSoftKey = -7;
    static constexpr int32_t kRightSoftKeyBit = 0x80000;

    // The promotion screen (IGP), which is built above the game flow: set up by the constructor,
    // parked while the game is hidden in its state and back on show. Empty hooks do nothing.
    struct PromoHooks {
        void (*showMessage)(javax_microedition_midlet_MIDlet* midlet, Game* canvas, int32_t width, int32_t height,
                            Object* message) = nullptr;
        void (*park)() = nullptr;
        void (*unpark)() = nullptr;
    };
    static PromoHooks promoHooks;

    // The per-frame update and drawing of the game states, not built yet: runFrame hands the frame
    // to this hook. Empty: a frame draws nothing.
    struct FrameHooks {
        void (*runFrame)(Game* game) = nullptr;
    };
    static FrameHooks frameHooks;

    // The Java constructor.
    void init(javax_microedition_midlet_MIDlet* midlet, javax_microedition_lcdui_Display* display);

    void paint(javax_microedition_lcdui_Graphics* g) override { QXLib::paint(g); }
    // Slots 9 and 11 (UI thread): ignored while keyLockFrames > 0; recorded by QXLib, and noted
    // in the game's own key state.
    void keyPressed(int32_t code) override;
    void keyReleased(int32_t code) override;
    // Slots 16 and 15: the game's pause steps (sounds, pending resume, timers, promotion screen),
    // then QXLib's pause hook; the promotion screen's return, then QXLib's resume hook.
    void hideNotify() override;
    void showNotify() override;
    void runFrame() override;

    // The digits of `text` at its even indexes (minus '0') into `digits`, as many as it holds.
    static void readPropertyDigits(String* text, IntArray* digits);
};

namespace mrc {
// The Game class factory and the constructor hook KetraKRVD runs; idempotent.
void registerGameClasses();
}  // namespace mrc
