#include "game/flow/game_state_statics.h"

#include "runtime/core/application.h"
#include "runtime/core/arrays.h"
#include "runtime/core/object_manager.h"
#include "runtime/core/static_class.h"

GameStateStatics::StateStatics GameStateStatics::stateStatics;

void GameStateStatics::initStateStatics() {
    StateStatics& s = stateStatics;
    mrc::ObjectManager* om = mrc::ApplicationImpl::getApplication()->objectManager;
    s.redraw = 1;
    s.stateTicks = 0;
    s.loadScript = nullptr;
    s.loadIndex = 0;
    s.padTop = 268;
    s.padCellWidth = 70;
    s.padCellHeight = 70;
    s.padShown = 1;
    s.dialogArrow = -1;
    ObjectArray* keys = om->newObjectArray(mrc::kClass_IntArray, 3);
    s.padKeys = keys;
    for (int32_t r = 0; r < 3; ++r) {
        IntArray* row = om->newIntArray(3);
        if (row == nullptr || isNull(s.padKeys)) continue;
        for (int32_t c = 0; c < 3; ++c) row->elements()[c] = '1' + r * 3 + c;
        s.padKeys->elements()[r] = row;
    }
}

namespace mrc {

void registerGameStateStatics() {
    static bool registered = false;
    if (registered) return;
    registered = true;
    StaticClass::registerStatics("Game.state", &GameStateStatics::stateStatics);
}

}  // namespace mrc
