// The title screen, entry into level set-up and the promotion state's entry, and the layout
// instance lists' per-frame step.
#include "framework/sound/sound_manager.h"
#include "framework/sprite/sprite.h"
#include "framework/sprite/sprite_instance.h"
#include "game/flow/game.h"
#include "host/core/clock.h"
#include "host/core/log.h"
#include "platform/lcdui/graphics.h"
#include "platform/lcdui/image.h"
#include "runtime/core/arrays.h"

namespace {
constexpr int32_t kTitleSprite = 15;
constexpr int32_t kTitleLayout = 9;
constexpr int32_t kStateLevelSetup = 5;
constexpr int32_t kTopLeft = 20;
// Level set-up reasons: a continued game, a level chosen on the map, a set-up that keeps the
// loaded level parts.
constexpr int32_t kContinue = 1, kFromMap = 2, kReusingParts = 4;

void fillBufferBlack() {
    Game::Graphics* g = Game::stateStatics.bufferGraphics;
    if (isNull(g)) return;
    g->setColor(0);
    g->fillRect(0, 0, Game::kScreenWidth, Game::kScreenHeight);
}
}  // namespace

void Game::updateTitle() {
    runStartCue();
    if (overlayStatics.gameSubState == 0) {
        fillBufferBlack();
        swapAltSpritePalettes();
        setMenu(5, 1, -1);
        return;
    }
    if (inputStatics.keysPressed == 0) return;
    fillBufferBlack();
    setMenu(0, 1, -1);
    auto* title = static_cast<ASprite*>(JArray::getRef(stateStatics.sprites, kTitleSprite));
    if (!isNull(title)) {
        resetObjectSlots(title);
        JArray::setRef(stateStatics.sprites, kTitleSprite, nullptr);
    }
}

void Game::paintTitle(Graphics* g) {
    if (overlayStatics.gameSubState != 1 || isNull(g)) return;
    if (!isNull(stateStatics.bufferImage)) g->drawImage(stateStatics.bufferImage, 0, 0, kTopLeft);
    if (stateStatics.stateTicks % 4 < 2) drawButtonDefault(g, kTitleLayout, 1, 0, 1);
}

void Game::enterLevelSetup(int32_t reason) {
    if (host::traceStates()) mrc_log("level set-up, reason %d", reason);
    setState(kStateLevelSetup, 0);
    clearPopups(false);
    stateStatics.stateTicks = 0;
    levelSetup.s_levelSetupKind = reason;
    if (reason == kFromMap) {
        // The map's choice saved the game state and the progress already; the settings follow.
        // (Resetting the save data here, as a new game does, would lose the progress just saved.)
        levelSetup.s_levelStartFlag = 0;
        levelSetup.s_levelSetupKind = 0;
        writeSettingsRecord();
    } else if (reason != kReusingParts) {
        levelSetup.s_levelStartFlag = 1;
        if (reason == kContinue) {
            initSaveData();
            if (saves.s_openLevelSelect == 1) openLevelSelect(0, false);
        }
    }
    if (!isNull(flowStatics.sound)) flowStatics.sound->forEachSound();
}

// Kept as written: the pending flag is cleared before it is tested, so the promotion screen
// always enters plainly.
void Game::enterState() {
    setState(19, 0);
    if (promoHooks.enter) promoHooks.enter();
}

void Game::updateAnimList(int32_t n) {
    auto* list = static_cast<ObjectArray*>(JArray::getRef(layouts.s_layoutInstances, n));
    if (isNull(list)) return;
    for (int32_t i = 0; i < list->length; ++i) {
        auto* instance = static_cast<ASpriteInstance*>(JArray::getRef(list, i));
        if (!isNull(instance)) instance->updateAnim();
    }
}

void Game::moveLayoutElement(int32_t layout, int32_t element, int32_t dx, int32_t dy) {
    ShortArray* e = layoutElement(layout, element);
    if (isNull(e)) return;
    JArray::setShort(e, 1, JArray::getShort(e, 1) + dx);
    JArray::setShort(e, 2, JArray::getShort(e, 2) + dy);
}
