// Stand-ins for the routines that later work builds (see game/pending.h). Each body traces once
// and answers a neutral value; none of them is the routine itself.
#include "game/pending.h"

#include "game/flow/game.h"
#include "game/objects/cobject.h"

// The object's timers: the type-23 timer keeps params[7] as it is.
void CObject::initTimers() { GAME_NOT_BUILT_YET("CObject::initTimers"); }
void CObject::releaseTimers() { GAME_NOT_BUILT_YET("CObject::releaseTimers"); }
int32_t CObject::getFacingTile() {
    GAME_NOT_BUILT_YET("CObject::getFacingTile");
    return 0;
}
int32_t CObject::getDrawOrderKey() {
    GAME_NOT_BUILT_YET("CObject::getDrawOrderKey");
    return 0;
}
int32_t Game::objectDepthKey(CObject*) {
    GAME_NOT_BUILT_YET("Game::objectDepthKey");
    return 0;
}

void Game::setPlayerState(int32_t, int32_t, CObject*) { GAME_NOT_BUILT_YET("Game::setPlayerState"); }
void Game::setObjectAiMode(CObject*, int32_t) { GAME_NOT_BUILT_YET("Game::setObjectAiMode"); }
void Game::setAllAbilityFlags() { GAME_NOT_BUILT_YET("Game::setAllAbilityFlags"); }

void Game::drawWrappedBackground(Graphics*, int32_t, int32_t, int32_t, int32_t) {
    GAME_NOT_BUILT_YET("Game::drawWrappedBackground");
}

void Game::pauseTimersOfType23Objects() { GAME_NOT_BUILT_YET("Game::pauseTimersOfType23Objects"); }
void Game::resumeTimersOfType23Objects() { GAME_NOT_BUILT_YET("Game::resumeTimersOfType23Objects"); }
void Game::setMenu(int32_t, int32_t, int32_t) { GAME_NOT_BUILT_YET("Game::setMenu"); }
void Game::setMenuCursor(int32_t) { GAME_NOT_BUILT_YET("Game::setMenuCursor"); }
void Game::reopenOptionList() { GAME_NOT_BUILT_YET("Game::reopenOptionList"); }
bool Game::touchZone(int32_t) {
    GAME_NOT_BUILT_YET("Game::touchZone");
    return false;
}
void Game::updateGameplay(int32_t) { GAME_NOT_BUILT_YET("Game::updateGameplay"); }
void Game::paintLayoutElement(Graphics*, int32_t, int32_t) { GAME_NOT_BUILT_YET("Game::paintLayoutElement"); }
int32_t Game::menuItemAt(int32_t, int32_t, int32_t) {
    GAME_NOT_BUILT_YET("Game::menuItemAt");
    return -1;
}
void Game::menuAction(int32_t) { GAME_NOT_BUILT_YET("Game::menuAction"); }
void Game::checkInteraction() { GAME_NOT_BUILT_YET("Game::checkInteraction"); }
int32_t Game::playerAction() {
    GAME_NOT_BUILT_YET("Game::playerAction");
    return -1;
}
void Game::turnPlayer(int32_t) { GAME_NOT_BUILT_YET("Game::turnPlayer"); }
int32_t Game::selectedObjectType() {
    GAME_NOT_BUILT_YET("Game::selectedObjectType");
    return -1;
}
int32_t Game::countUnlockedEntries() {
    GAME_NOT_BUILT_YET("Game::countUnlockedEntries");
    return 0;
}
int32_t Game::indexOfKindKey(int32_t) {
    GAME_NOT_BUILT_YET("Game::indexOfKindKey");
    return -1;
}
void Game::resetObjectSlots(ASprite*) { GAME_NOT_BUILT_YET("Game::resetObjectSlots"); }
void Game::updateAnimatedTiles() { GAME_NOT_BUILT_YET("Game::updateAnimatedTiles"); }
void Game::refreshUpgradeTableValues() { GAME_NOT_BUILT_YET("Game::refreshUpgradeTableValues"); }
bool Game::isMusicOn() {
    GAME_NOT_BUILT_YET("Game::isMusicOn");
    return false;
}
void Game::setPlayerAnimState() { GAME_NOT_BUILT_YET("Game::setPlayerAnimState"); }
bool Game::getUpgradeValue(int32_t, int32_t) {
    GAME_NOT_BUILT_YET("Game::getUpgradeValue");
    return false;
}
int32_t Game::getUpgradeCounterGap(int32_t, int32_t) {
    GAME_NOT_BUILT_YET("Game::getUpgradeCounterGap");
    return 0;
}
void Game::addUpgradeProgress(int32_t, int32_t, int32_t) { GAME_NOT_BUILT_YET("Game::addUpgradeProgress"); }
void Game::paintHudPanel(Graphics*, int32_t, int32_t, bool) { GAME_NOT_BUILT_YET("Game::paintHudPanel"); }
int32_t CObject::addToGauge(CObject*, int32_t, int32_t) {
    GAME_NOT_BUILT_YET("CObject::addToGauge");
    return 0;
}
void Game::drawMenuFrame(Graphics*) { GAME_NOT_BUILT_YET("Game::drawMenuFrame"); }
void Game::paintPopupTimeBar(Graphics*) { GAME_NOT_BUILT_YET("Game::paintPopupTimeBar"); }
void Game::paintPopupRow(Graphics*) { GAME_NOT_BUILT_YET("Game::paintPopupRow"); }
void Game::applyLevelObject(Graphics*) { GAME_NOT_BUILT_YET("Game::applyLevelObject"); }
void Game::paintPopupMarkers(Graphics*) { GAME_NOT_BUILT_YET("Game::paintPopupMarkers"); }
void Game::paintPopupIconFrame(Graphics*, int32_t, int32_t, int32_t, int32_t) {
    GAME_NOT_BUILT_YET("Game::paintPopupIconFrame");
}
void Game::allocIdSlotTables(int32_t) { GAME_NOT_BUILT_YET("Game::allocIdSlotTables"); }
void Game::setPopupTargetById(int32_t) { GAME_NOT_BUILT_YET("Game::setPopupTargetById"); }
void Game::activatePopup() { GAME_NOT_BUILT_YET("Game::activatePopup"); }
CObject* Game::placeNewObject(int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t,
                              int32_t) {
    GAME_NOT_BUILT_YET("Game::placeNewObject");
    return nullptr;
}
int32_t CObject::runScript(Object*, int32_t, int32_t count, ObjectArray*, CObject*) {
    GAME_NOT_BUILT_YET("CObject::runScript");
    return count;
}
