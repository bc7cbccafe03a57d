// The application shell: the program's entry (WinMain), its one window and window procedure, the
// message pump, the power and orientation handling, the exit sequence, the key map and the
// localized start-up texts.
//
// Everything here runs on the UI thread, the thread that calls WinMain, except where a function
// says otherwise.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "host/window/message.h"
#include "host/window/script.h"
#include "host/window/system.h"

namespace host {
class InstanceLock;
class Window;
}  // namespace host

namespace mrc {

class Application;

// How the program was started (the command line, read by the launcher).
struct ShellOptions {
    // Sdl, unless there is no display to open a window on.
    host::Backend backend = host::Backend::Headless;
    // The back end was chosen for the user: a window that cannot open falls back to headless.
    bool backendChosen = false;
    // Display back end type: "GDI", "DDRAW" or "AUTO".
    std::u16string displayType = u"GDI";
    // Close after this many frames have been presented; 0 for no limit.
    uint64_t frameLimit = 0;
    // The last frame is written there as PNG by the exit sequence.
    std::string screenshotPath;
    std::optional<host::ScriptedInput> script;
    // Receives the number and hash of every presented frame (Window::setFrameHashSink).
    std::function<void(uint64_t frame, uint64_t hash)> frameHashSink;
    // Fixed-step runs: the sound is mixed by the headless sink after each presented frame, for that
    // frame's time, instead of being played (so that it repeats exactly with the frames).
    bool audioPacedByFrames = false;
    // A WAV file that receives the sound mixed (with audioPacedByFrames only); "" for none. A
    // recording that could not be written in full fails the run.
    std::string audioRecordPath;
    // Folder of the single-instance lock; "" for the user's runtime folder.
    std::string instanceDir;
};

// The shell's state (one static record).
struct ShellState {
    std::string programFolder;  // folder of the executable, with its trailing separator
    bool penScaling = false;    // nothing sets it
    bool smoothScaling = false;  // nothing sets it
    bool penIgnore = false;     // the next pen-up after a focus loss is swallowed
    bool logToFile = false;     // nothing sets it: "log.txt" in the program folder
    Application* application = nullptr;
    std::unique_ptr<host::Window> window;
    std::unique_ptr<host::InstanceLock> instanceLock;
    uint32_t userOrientation = 0;
    bool active = false;
    bool exitDone = false;
    bool orientationPending = false;
    uint32_t imeKey = 0;
    // Scale factors of pen coordinates (used only with penScaling).
    float sx = 1.0f;
    float sy = 1.0f;
    // How long a released system key keeps the window minimised before the key goes on to the
    // system; tests shorten it.
    uint32_t systemKeyDelayMs = 200;
    bool logFileOpen = false;  // "log.txt", while logToFile is set
    // Requests from other threads and signal handlers, served by the pump.
    std::atomic<bool> closeRequested{false};
    std::atomic<bool> minimizeRequested{false};
};
ShellState& shellState();

// Constants of the shell.
inline constexpr uint32_t kWantedOrientation = host::orientation::Rotated90;
inline constexpr bool kSystemKeys = true;
inline constexpr bool kKeepOrientation = true;
inline constexpr const char* kWindowClass = "VeltranoClass";
inline constexpr const char* kWindowTitle = "Veltrano - Wrath Of Kelos";

// Exit codes of the program (the launcher adds its own for the command line and the data).
inline constexpr int kExitOk = 0;
// The window, the display or the runtime could not start, or the screenshot or sound recording
// asked for could not be written at the end.
inline constexpr int kExitFailed = 1;
// A window run found another instance running (and asked it to come to the front).
inline constexpr int kExitAnotherInstance = 4;

// The entry: kExitOk after a normal run, kExitAnotherInstance, or kExitFailed when the window, the
// display or the runtime cannot be set up or the screenshot could not be written. A window run
// holds the single-instance lock; a headless run neither takes nor honours it, so that unattended
// runs go side by side. A run that ends through a Quit message exits the process from the pump
// with the same codes.
int WinMain(const ShellOptions& options);

// The window procedure of the main window.
void mrc_WndProc(host::Window& window, const host::Message& message);
// Dispatches every queued message. On Quit it ends the run: the exit sequence, then the process
// exits with the Quit's code.
void mrc_pumpMessages();
// Releases everything once: runtime, display, orientation, log, window. Idempotent.
void mrc_exitSequence();

// Any thread, and signal handlers: asks the UI thread to close the window / minimise it.
void mrc_requestClose();
void mrc_requestMinimize();

// Device keys.
int32_t mrc_mapVirtualKey(uint32_t virtualKey);
// Escape, Home, F3, F4 and the two Windows keys: the system's own.
bool mrc_isSystemKey(int32_t code);
// F6 (up) and F7 (down).
bool mrc_isVolumeKey(int32_t code);

// Display orientation.
uint32_t mrc_getOrientation();
void mrc_setOrientation(uint32_t orientation);
// The main loop's orientation check: while the orientation is not the wanted one, the
// application is paused, frames are held back and the orientation is set back.
void mrc_restoreDisplayMode();

// Localized start-up texts.
void setLocalizedMessages(uint32_t languageId);
const char16_t* localizedMessage(uint32_t index);
// Text 6 ("Please wait"), red on black, centred below the middle of the screen, presented at once.
void mrc_drawCenteredMessage();

bool isPocketPC();

}  // namespace mrc
