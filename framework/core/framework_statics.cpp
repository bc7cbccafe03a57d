#include "framework/core/framework_statics.h"

#include "framework/config/qxlib_config.h"
#include "framework/core/game_base.h"
#include "framework/core/qxlib.h"
#include "framework/sound/sound_channels.h"
#include "framework/sound/sound_manager.h"
#include "framework/sprite/sprite.h"
#include "framework/sprite/sprite_instance.h"
#include "runtime/core/static_class.h"

namespace mrc {

void registerFrameworkStatics() {
    static bool registered = false;
    if (registered) return;
    registered = true;
    StaticClass::registerStatics("QXLibConfig", &QXLibConfig::statics);
    StaticClass::registerStatics("ASprite", &ASprite::statics);
    StaticClass::registerStatics("Game", &GameBase::statics);
    StaticClass::registerStatics("Game.text", &GameText::textStatics);
    StaticClass::registerStatics("Game.tiles", &GameTiles::tileStatics);
    StaticClass::registerStatics("Game.timers", &GameTimers::timerStatics);
    StaticClass::registerStatics("Game.math", &GameMath::mathStatics);
    StaticClass::registerStatics("Game.overlay", &GameOverlay::overlayStatics);
    StaticClass::registerStatics("ASpriteInstance", &ASpriteInstance::statics);
    StaticClass::registerStatics("WM_JSound_IO", &WM_JSound_IO::statics);
    StaticClass::registerStatics("WM_JSound_SND", &WM_JSound_SND::statics);
    StaticClass::registerStatics("QXLibPlayer", &QXLibPlayer::statics);
    registerQXLibStatics();
    StaticClass::setInitialiser(StaticInit::QXLibConfig, &QXLibConfig::clinit);
    StaticClass::setInitialiser(StaticInit::ASprite, &ASprite::clinit);
    StaticClass::setInitialiser(StaticInit::WMJSoundSND, &WM_JSound_SND::clinit);
    StaticClass::setInitialiser(StaticInit::QXLibPlayer, &QXLibPlayer::clinit);
}

}  // namespace mrc
