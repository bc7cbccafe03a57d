// Choosing the display back end by its type name.
#include <string_view>

#include "host/core/log.h"
#include "platform/display/display.h"
#include "runtime/core/application.h"

namespace mrc {

bool ApplicationImpl::openDisplay(const char16_t* type, host::Window& window) {
    closeDisplay();
    std::u16string_view name = type ? std::u16string_view(type) : std::u16string_view();
    if (name == u"DDRAW") {
        display = new DDrawDisplay();
        bool ok = display->open(&window);
        mrc_log(ok ? "openDisplay(DDRAW): Using DDRAW display type."
                   : "openDisplay(DDRAW): Could not create a DDRAW display type.");
        return ok;
    }
    if (name == u"GDI") {
        display = new GdiDisplay();
        bool ok = display->open(&window);
        mrc_log(ok ? "\nApplicationImpl::openDisplay(GDI): Using GDI display type.\n"
                   : "\nApplicationImpl::openDisplay(GDI): Could not create a GDI display type.\n");
        return ok;
    }
    if (name == u"AUTO") {
        display = new DDrawDisplay();
        if (display->open(&window)) {
            mrc_log("\nApplicationImpl::openDisplay(AUTO): Using DDRAW display type.\n");
            return true;
        }
        mrc_log("\nApplicationImpl::openDisplay(AUTO): Could not create a DDRAW display type.\n");
        closeDisplay();
        display = new GdiDisplay();
        bool ok = display->open(&window);
        mrc_log(ok ? "\nApplicationImpl::openDisplay(AUTO): Using GDI display type.\n"
                   : "\nApplicationImpl::openDisplay(AUTO): Could not create a GDI display type.\n");
        return ok;
    }
    mrc_log("\nApplicationImpl::openDisplay(): Display type invalid.\n");
    return false;
}

void ApplicationImpl::closeDisplay() {
    if (!display) return;
    display->close();
    delete display;
    display = nullptr;
    frameBuffer = nullptr;
}

}  // namespace mrc
