// Choosing the display back end by its type name.
#include <string_view>

#include "host/core/log.h"
#include "host/core/sync.h"
#include "platform/display/display.h"
#include "runtime/core/application.h"

namespace mrc {

namespace {

// The display becomes the context's, opened or not; the log says which.
bool openAs(Display*& slot, Display* display, host::Window& window, const char* used, const char* failed) {
    slot = display;
    bool ok = display->open(&window);
    mrc_log("%s", ok ? used : failed);
    return ok;
}

}  // namespace

bool ApplicationImpl::openDisplay(const char16_t* type, host::Window& window) {
    host::CriticalSectionLock lock(displayLock);
    closeDisplay();
    std::u16string_view name = type ? std::u16string_view(type) : std::u16string_view();
    if (name == u"DDRAW")
        return openAs(display, new DDrawDisplay(), window, "openDisplay(DDRAW): Using DDRAW display type.",
                      "openDisplay(DDRAW): Could not create a DDRAW display type.");
    if (name == u"GDI")
        return openAs(display, new GdiDisplay(), window,
                      "\nApplicationImpl::openDisplay(GDI): Using GDI display type.\n",
                      "\nApplicationImpl::openDisplay(GDI): Could not create a GDI display type.\n");
    if (name == u"AUTO") {
        if (openAs(display, new DDrawDisplay(), window,
                   "\nApplicationImpl::openDisplay(AUTO): Using DDRAW display type.\n",
                   "\nApplicationImpl::openDisplay(AUTO): Could not create a DDRAW display type.\n"))
            return true;
        closeDisplay();
        return openAs(display, new GdiDisplay(), window,
                      "\nApplicationImpl::openDisplay(AUTO): Using GDI display type.\n",
                      "\nApplicationImpl::openDisplay(AUTO): Could not create a GDI display type.\n");
    }
    mrc_log("\nApplicationImpl::openDisplay(): Display type invalid.\n");
    return false;
}

void ApplicationImpl::closeDisplay() {
    host::CriticalSectionLock lock(displayLock);
    if (!display) return;
    display->close();
    delete display;
    display = nullptr;
    frameBuffer = nullptr;
}

}  // namespace mrc
