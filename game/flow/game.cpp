#include "game/flow/game.h"

#include "framework/core/game_hooks.h"
#include "framework/core/game_timers.h"
#include "framework/sound/sound_manager.h"
#include "framework/sprite/sprite.h"
#include "platform/midlet/midlet.h"
#include "runtime/core/application.h"
#include "runtime/core/arrays.h"
#include "runtime/lang/string.h"

Game::PromoHooks Game::promoHooks;

void Game::readPropertyDigits(String* text, IntArray* digits) {
    if (isNull(text) || isNull(digits)) {
        mrc::ApplicationImpl::getApplication()->reportError("NullPointer");
        return;
    }
    for (int32_t i = 0; i < text->count(); i += 2)
        if (i / 2 < digits->length) digits->elements()[i / 2] = text->charAtUnchecked(i) - '0';
}

void Game::init(javax_microedition_midlet_MIDlet* midlet, javax_microedition_lcdui_Display* display) {
    QXLib::init(midlet, display);
    flowStatics.instance = this;
    if (isNull(midlet)) {
        mrc::ApplicationImpl::getApplication()->reportError("NullPointer");
        return;
    }
    readPropertyDigits(midlet->getAppProperty(mrc::newString(kDigitsPropertyKey)), flowStatics.propertyDigits);
    overlayStatics.altPaletteFlag = false;
    String* palette = midlet->getAppProperty(mrc::newString(kAltPalettePropertyKey));
    if (!isNull(palette)) {
        String* trimmed = palette->trim();
        overlayStatics.altPaletteFlag = !isNull(trimmed) && trimmed->equalsCString(kAltPaletteOn);
    }
    if (promoHooks.showMessage != nullptr) promoHooks.showMessage(midlet, this, kScreenWidth, kScreenHeight, nullptr);
    WM_JSound* sound = mrc::newObject<WM_JSound>();
    if (sound != nullptr) sound->init();
    flowStatics.sound = sound;
}

void Game::keyPressed(int32_t code) {
    GameInput::Statics& g = inputStatics;
    if (g.keyLockFrames > 0) return;
    QXLib::keyPressed(this, code);
    g.lastKeyCode = code;
    g.currentKeyCode = code;
    if (code == kRightSoftKey) g.stickyKeys |= kRightSoftKeyBit;
}

void Game::keyReleased(int32_t code) {
    GameInput::Statics& g = inputStatics;
    if (code == kNoKeyCode || g.keyLockFrames > 0) return;
    QXLib::keyReleased(code);
    if (g.keyQueueEnabled != 0) pushKeyQueue(keyCodeToMask(code));
    if (code == kRightSoftKey) g.stickyKeys &= ~kRightSoftKeyBit;
    g.currentKeyCode = kNoKeyCode;
}

void Game::hideNotify() {
    pauseAllSounds(flowStatics.sound);
    flowStatics.pendingResume = 1;
    pauseAllTimers();
    if (gameState() == kStatePromotion && promoHooks.park != nullptr) promoHooks.park();
    pause();
}

void Game::showNotify() {
    if (gameState() == kStatePromotion && promoHooks.unpark != nullptr) promoHooks.unpark();
    resume();
}

namespace mrc {

void registerGameClasses() {
    NewInstanceFactory::add<Game>();
    Game::initStateTables();
    // The framework's sprite services, over the game's sprite table.
    gameHooks().getSprite = [](int32_t n) -> ASprite* {
        ObjectArray* sprites = Game::stateStatics.sprites;
        if (isNull(sprites) || n < 0 || n >= sprites->length) return nullptr;
        return static_cast<ASprite*>(sprites->elements()[n]);
    };
    gameHooks().loadSprite = [](ASprite* sprite, int32_t pack, int32_t entry, int32_t palette, int32_t flags,
                                bool openPack) { return Game::loadSprite(sprite, pack, entry, palette, flags, openPack); };
    gameHooks().stateTicks = [] { return Game::stateStatics.stateTicks; };
    gameHooks().initGame = [](QXLib* canvas, javax_microedition_midlet_MIDlet* midlet,
                              javax_microedition_lcdui_Display* display) {
        static_cast<Game*>(canvas)->init(midlet, display);
    };
}

}  // namespace mrc
