// A stand-in for the game's MIDlet (class KetraKRVD) and its canvas, for the shell's tests: each
// call the runtime makes into them is logged ("StandIn ..."), so that in-process tests and runs of
// the executable check the same lines. With a game thread, the canvas repaints in a loop as the
// game does; a resume after a pause repaints at once, as the game's startApp does.
#pragma once

#include <atomic>
#include <cstdint>

#include "platform/lcdui/displayable.h"
#include "platform/midlet/midlet.h"
#include "runtime/lang/runnable.h"

namespace mrc::test {

struct StandInConfig {
    bool gameThread = false;
    uint32_t framePauseMs = 5;
    // Each paint logs the screen Graphics' state as the runtime hands it over.
    bool logPaints = false;
    // startApp logs the application property of this key ("" for none).
    const char* propertyKey = "";
};

// Makes the stand-in the MIDlet that Application::startApp creates; unregister puts back none.
void registerStandInMidlet(const StandInConfig& config = {});
void unregisterStandInMidlet();

// Colours of the stand-in's picture: the background, and a white box at (100, 100, 200, 100).
inline constexpr uint32_t kStandInBackground = 0x2040C0;
inline constexpr uint32_t kStandInBox = 0xFFFFFF;

// keyPressed leaves an IllegalStateException pending for this code ('9').
inline constexpr int32_t kStandInThrowingKey = '9';

// Paints so far, and whether two ever overlapped.
uint64_t standInPaints();
bool standInPaintsOverlapped();

}  // namespace mrc::test

class StandInCanvas : public javax_microedition_lcdui_Canvas, public java_lang_Runnable {
public:
    using Base = javax_microedition_lcdui_Canvas;
    static constexpr uint16_t kClassId = mrc::kClass_javax_microedition_lcdui_Canvas;

    void* getInterface(int32_t interfaceId) override;
    void keyPressed(int32_t code) override;
    void keyReleased(int32_t code) override;
    void pointerPressed(int32_t x, int32_t y) override;
    void pointerReleased(int32_t x, int32_t y) override;
    void pointerDragged(int32_t x, int32_t y) override;
    void showNotify() override;
    void hideNotify() override;
    void paint(javax_microedition_lcdui_Graphics* g) override;
    // The game thread: repaint, pause, until the MIDlet is destroyed; then the application stops.
    void run() override;
};

class StandInMidlet : public javax_microedition_midlet_MIDlet {
public:
    using Base = javax_microedition_midlet_MIDlet;
    static constexpr uint16_t kClassId = mrc::kClass_KetraKRVD;
    MRC_REF_FIELDS(&StandInMidlet::canvas);

    void startApp() override;
    void pauseApp() override;
    void destroyApp(bool unconditional) override;

    StandInCanvas* canvas;
    bool paused;
};
