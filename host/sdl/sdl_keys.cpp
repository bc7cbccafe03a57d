#include "host/sdl/sdl_keys.h"

#include <SDL.h>

#include "host/window/keys.h"

namespace host {

uint32_t virtualKeyFromSdl(int32_t key) {
    if (key >= SDLK_a && key <= SDLK_z) return vk::letter(static_cast<char>('A' + (key - SDLK_a)));
    if (key >= SDLK_0 && key <= SDLK_9) return vk::digit(key - SDLK_0);
    if (key >= SDLK_F1 && key <= SDLK_F12) return vk::function(1 + (key - SDLK_F1));
    if (key >= SDLK_KP_1 && key <= SDLK_KP_9) return vk::numpad(1 + (key - SDLK_KP_1));
    switch (key) {
        case SDLK_KP_0: return vk::numpad(0);
        case SDLK_RETURN:
        case SDLK_RETURN2:
        case SDLK_KP_ENTER: return vk::Return;
        case SDLK_ESCAPE: return vk::Escape;
        case SDLK_HOME: return vk::Home;
        case SDLK_LEFT: return vk::Left;
        case SDLK_UP: return vk::Up;
        case SDLK_RIGHT: return vk::Right;
        case SDLK_DOWN: return vk::Down;
        case SDLK_BACKSPACE: return vk::Back;
        case SDLK_TAB: return vk::Tab;
        case SDLK_SPACE: return vk::Space;
        case SDLK_ASTERISK:
        case SDLK_KP_MULTIPLY: return vk::F8;
        case SDLK_HASH:
        case SDLK_KP_HASH: return vk::F9;
        case SDLK_VOLUMEUP: return vk::F6;
        case SDLK_VOLUMEDOWN: return vk::F7;
        default: return 0;
    }
}

}  // namespace host
