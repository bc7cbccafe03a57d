#include "framework/core/game_hooks.h"

GameHooks& gameHooks() {
    static GameHooks hooks;
    return hooks;
}
