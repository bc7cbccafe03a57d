#include "framework/core/game_base.h"

#include "framework/core/game_hooks.h"

GameBase::Statics GameBase::statics;

void GameBase::setFlags(int32_t bits) {
    if (gameHooks().setFlags) gameHooks().setFlags(bits);
    else statics.paintEffectFlags |= bits;
}

void GameBase::clearFlag(int32_t bits) {
    if (gameHooks().clearFlag) gameHooks().clearFlag(bits);
    else statics.paintEffectFlags &= ~bits;
}

void GameBase::paintEffectSpriteFrame(Graphics* g) {
    if (gameHooks().paintEffectSpriteFrame) gameHooks().paintEffectSpriteFrame(g);
}

void GameBase::paintGradientEdges(Graphics* g, int32_t x, int32_t y, int32_t w, int32_t h) {
    if (gameHooks().paintGradientEdges) gameHooks().paintGradientEdges(g, x, y, w, h);
}

void GameBase::emitQueuedParticleAt(Graphics* g, int32_t x, int32_t y) {
    if (gameHooks().emitQueuedParticleAt) gameHooks().emitQueuedParticleAt(g, x, y);
}

void GameBase::drawRGBColumnBand(Graphics* g, int32_t x, int32_t y, IntArray* pixels, int32_t w, int32_t h) {
    if (gameHooks().drawRGBColumnBand) gameHooks().drawRGBColumnBand(g, x, y, pixels, w, h);
}

ASprite* GameBase::loadSprite(ASprite* sprite, int32_t resource, int32_t entry, int32_t palette, int32_t mode,
                              bool trace) {
    return gameHooks().loadSprite ? gameHooks().loadSprite(sprite, resource, entry, palette, mode, trace) : nullptr;
}

ASprite* GameBase::getSprite(int32_t n) { return gameHooks().getSprite ? gameHooks().getSprite(n) : nullptr; }
