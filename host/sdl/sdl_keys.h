// SDL key codes as the device's virtual keys.
#pragma once

#include <cstdint>

namespace host {

// The device key an SDL keycode stands for, or 0 for keys the device has no use for (modifiers,
// the desktop's Windows keys, which the window manager owns). The phone's star and pound keys are
// F8 and F9 and its volume keys F6 and F7, so '*', '#' and the volume keys map there.
uint32_t virtualKeyFromSdl(int32_t sdlKeycode);

}  // namespace host
