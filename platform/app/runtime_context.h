// The platform side of the runtime context that the shell and the launcher use besides
// ApplicationImpl's own members: the frame limit of unattended runs, and the Java objects of the
// Application record by their platform classes.
#pragma once

#include <cstdint>
#include <string>

class javax_microedition_lcdui_Displayable;
class javax_microedition_midlet_MIDlet;

namespace mrc {

class Application;

// After `limit` frames have been presented, flushScreen presents no more and asks the window to
// close; 0 for no limit. Counted from ApplicationImpl::init.
void setFrameLimit(uint64_t limit);
uint64_t framesPresented();
// Shutdown writes the last frame there as PNG before it closes the display; "" for none.
void setExitScreenshot(std::string path);
// Whether shutdown wrote the screenshot asked for (false until then).
bool exitScreenshotWritten();

// The MIDlet and the current Displayable, or null.
javax_microedition_midlet_MIDlet* midletOf(const Application* app);
javax_microedition_lcdui_Displayable* currentOf(const Application* app);

// The MIDlet's pauseApp and the current Displayable's hideNotify, or (resume) its startApp and
// showNotify; nothing unless the Application has both. False when it has not.
bool callPauseHooks(const Application* app);
bool callResumeHooks(const Application* app);

// After a call into Java code from the UI thread: an exception it left pending would be met by
// whatever handler the UI thread tests next, so it is traced and dropped here.
void endUiCallback(const char* what);

// The main loop's power check: an unattended device calls the current Displayable's hideNotify
// once, and showNotify once when it is attended again. The MIDlet is not paused.
void checkPowerState();

// Registers the statics of the platform classes with StaticClass; idempotent.
void registerPlatformStatics();

}  // namespace mrc
