// Stand-ins for the routines that later work builds (see game/pending.h). Each body traces once
// and answers a neutral value; none of them is the routine itself.
#include "game/pending.h"

#include "game/flow/game.h"
#include "game/flow/pending_seams.h"
#include "game/objects/cobject.h"
#include "game/objects/factory_seams.h"
#include "game/objects/interaction_seams.h"
#include "game/objects/motion_seams.h"
#include "game/world/level_data_seams.h"

#include "game/objects/object_action_seams.h"

int32_t CObject::getFacingTile() {
    GAME_NOT_BUILT_YET("CObject::getFacingTile");
    return 0;
}
int32_t CObject::getDrawOrderKey() {
    GAME_NOT_BUILT_YET("CObject::getDrawOrderKey");
    return 0;
}


// The HUD's gauge services.
void Game::restartTimerOf() { GAME_NOT_BUILT_YET("Game::restartTimerOf"); }
void Game::addToCounter(int32_t, int32_t) { GAME_NOT_BUILT_YET("Game::addToCounter"); }

void Game::setPlayerState(int32_t state, int32_t param, CObject* o) {
    GAME_NOT_BUILT_YET("Game::setPlayerState");
    if (auto seam = mrc::objectActionSeams().setPlayerState) seam(state, param, o);
}
void Game::setObjectAiMode(CObject*, int32_t) { GAME_NOT_BUILT_YET("Game::setObjectAiMode"); }

void Game::restartAtLevel(int32_t level) {
    GAME_NOT_BUILT_YET("Game::restartAtLevel");
    if (auto seam = mrc::gamePendingSeams().restartAtLevel) seam(level);
}
void Game::paintDeathScene(Graphics*) { GAME_NOT_BUILT_YET("Game::paintDeathScene"); }
void Game::selectSaveSlot(int32_t) { GAME_NOT_BUILT_YET("Game::selectSaveSlot"); }
void Game::removeSelectableItem(int32_t) { GAME_NOT_BUILT_YET("Game::removeSelectableItem"); }

void Game::drawWrappedBackground(Graphics*, int32_t, int32_t, int32_t, int32_t) {
    GAME_NOT_BUILT_YET("Game::drawWrappedBackground");
}

void Game::paintWorld(Graphics* g) {
    GAME_NOT_BUILT_YET("Game::paintWorld");
    if (auto seam = mrc::gamePendingSeams().paintWorld) seam(g);
}
bool Game::popupActive(Graphics*) {
    GAME_NOT_BUILT_YET("Game::popupActive");
    return false;
}
void Game::paintSceneWithText(Graphics*) { GAME_NOT_BUILT_YET("Game::paintSceneWithText"); }

void Game::pauseTimersOfType23Objects() { GAME_NOT_BUILT_YET("Game::pauseTimersOfType23Objects"); }
void Game::resumeTimersOfType23Objects() { GAME_NOT_BUILT_YET("Game::resumeTimersOfType23Objects"); }

void Game::updateGameplay(int32_t) { GAME_NOT_BUILT_YET("Game::updateGameplay"); }
void Game::paintLayoutElement(Graphics*, int32_t, int32_t) { GAME_NOT_BUILT_YET("Game::paintLayoutElement"); }
int32_t Game::menuItemAt(int32_t, int32_t, int32_t) {
    GAME_NOT_BUILT_YET("Game::menuItemAt");
    return -1;
}
void Game::checkInteraction() { GAME_NOT_BUILT_YET("Game::checkInteraction"); }
int32_t Game::playerAction() {
    GAME_NOT_BUILT_YET("Game::playerAction");
    return -1;
}
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
void Game::setPlayerAnimState() { GAME_NOT_BUILT_YET("Game::setPlayerAnimState"); }
bool Game::getUpgradeValue(int32_t kind, int32_t column) {
    GAME_NOT_BUILT_YET("Game::getUpgradeValue");
    auto seam = mrc::levelPartSeams().getUpgradeValue;
    return seam ? seam(kind, column) : false;
}
int32_t Game::getUpgradeCounterGap(int32_t kind, int32_t column) {
    GAME_NOT_BUILT_YET("Game::getUpgradeCounterGap");
    auto seam = mrc::levelPartSeams().getUpgradeCounterGap;
    return seam ? seam(kind, column) : 0;
}
void Game::addUpgradeProgress(int32_t kind, int32_t step, int32_t column) {
    GAME_NOT_BUILT_YET("Game::addUpgradeProgress");
    if (auto seam = mrc::levelPartSeams().addUpgradeProgress) seam(kind, step, column);
}
void Game::emitRandomParticles() { GAME_NOT_BUILT_YET("Game::emitRandomParticles"); }
int32_t Game::getUpgradeLevelAlt(int32_t) {
    GAME_NOT_BUILT_YET("Game::getUpgradeLevelAlt");
    return 0;
}

// The death sequence, the restart at a level, the world's per-frame object updates, the gameplay
// paint, the dimmed level-end picture and the painting of an object by its kind.
void Game::updateDeath(CObject*) { GAME_NOT_BUILT_YET("Game::updateDeath"); }
void Game::updateAllObjectLists() { GAME_NOT_BUILT_YET("Game::updateAllObjectLists"); }
void Game::updateTemplateObjects() { GAME_NOT_BUILT_YET("Game::updateTemplateObjects"); }



// Object queries, target bookkeeping and the map cell repaint that the cell probes
// call. Each answers through its seam when one is set (game/flow/pending_seams.h).
namespace mrc {
GamePendingSeams& gamePendingSeams() {
    static GamePendingSeams seams;
    return seams;
}
}  // namespace mrc

CObject* Game::findObjectInRange(int32_t x, int32_t y, ObjectArray* objects, int32_t from, int32_t to, bool option,
                                 bool stopAtFirst) {
    GAME_NOT_BUILT_YET("Game::findObjectInRange");
    auto seam = mrc::gamePendingSeams().findObjectInRange;
    return seam ? seam(x, y, objects, from, to, option, stopAtFirst) : nullptr;
}
int32_t Game::findOnScreenObject(int32_t x, int32_t y, int32_t a, int32_t b, int32_t c) {
    GAME_NOT_BUILT_YET("Game::findOnScreenObject");
    auto seam = mrc::gamePendingSeams().findOnScreenObject;
    return seam ? seam(x, y, a, b, c) : -1;
}
void Game::setGridFlagsInRect(int32_t layerIndex, int32_t x, int32_t y, int32_t w, int32_t h, int32_t mode,
                              int32_t bits) {
    GAME_NOT_BUILT_YET("Game::setGridFlagsInRect");
    if (auto seam = mrc::gamePendingSeams().setGridFlagsInRect) seam(layerIndex, x, y, w, h, mode, bits);
}
void Game::selectTarget(CObject* o, int32_t snap) {
    GAME_NOT_BUILT_YET("Game::selectTarget");
    if (auto seam = mrc::gamePendingSeams().selectTarget) seam(o, snap);
}
void Game::clearTarget(CObject* o) {
    GAME_NOT_BUILT_YET("Game::clearTarget");
    if (auto seam = mrc::gamePendingSeams().clearTarget) seam(o);
}
int32_t Game::computeBorderDistance(CObject* o, int32_t direction, int32_t margin, int32_t x, int32_t y, int32_t w,
                                   int32_t h) {
    GAME_NOT_BUILT_YET("Game::computeBorderDistance");
    auto seam = mrc::gamePendingSeams().computeBorderDistance;
    return seam ? seam(o, direction, margin, x, y, w, h) : 0;
}
// The painters of the player, type-5 objects, templates, pools and prompts that the per-kind
// dispatcher calls.
void CObject::paintByKind80To88(javax_microedition_lcdui_Graphics*, CObject*) { GAME_NOT_BUILT_YET("CObject::paintByKind80To88"); }
void CObject::paintWithShadow(javax_microedition_lcdui_Graphics*) { GAME_NOT_BUILT_YET("CObject::paintWithShadow"); }
void CObject::paintByType(javax_microedition_lcdui_Graphics*) { GAME_NOT_BUILT_YET("CObject::paintByType"); }
void CObject::paintFrameAndCheckRegion(javax_microedition_lcdui_Graphics*, int32_t, int32_t, int32_t, int32_t) {
    GAME_NOT_BUILT_YET("CObject::paintFrameAndCheckRegion");
}
void Game::startObjectSound(Graphics*, ASpriteInstance*, IntArray*) { GAME_NOT_BUILT_YET("Game::startObjectSound"); }
void Game::paintParticles(Graphics*, int32_t, int32_t) { GAME_NOT_BUILT_YET("Game::paintParticles"); }
bool CObject::updatePlayerAttachment() {
    GAME_NOT_BUILT_YET("CObject::updatePlayerAttachment");
    auto seam = mrc::gamePendingSeams().updatePlayerAttachment;
    return seam ? seam(this) : false;
}
bool CObject::canMoveTo(CObject* o, int32_t offsetX, int32_t offsetY, int32_t w, int32_t h, int32_t mask) {
    GAME_NOT_BUILT_YET("CObject::canMoveTo");
    auto seam = mrc::gamePendingSeams().canMoveTo;
    return seam ? seam(o, offsetX, offsetY, w, h, mask) : false;
}
void CObject::findNearestInView(CObject*) { GAME_NOT_BUILT_YET("CObject::findNearestInView"); }
int32_t Game::updatePlayerLink(CObject*) {
    GAME_NOT_BUILT_YET("Game::updatePlayerLink");
    return 0;
}
void Game::computeLayerOffset(ASpriteInstance* instance, int32_t kind, int32_t flag, IntArray* params) {
    GAME_NOT_BUILT_YET("Game::computeLayerOffset");
    if (auto seam = mrc::gamePendingSeams().computeLayerOffset) seam(instance, kind, flag, params);
}
void Game::computeLayerOffsetAlt(ASpriteInstance* instance, int32_t kind, int32_t flag, IntArray* params) {
    GAME_NOT_BUILT_YET("Game::computeLayerOffsetAlt");
    if (auto seam = mrc::gamePendingSeams().computeLayerOffsetAlt) seam(instance, kind, flag, params);
}
bool CObject::probeLeavesBox(int32_t direction, CObject* o, int32_t x, int32_t y, int32_t w, int32_t h) {
    GAME_NOT_BUILT_YET("CObject::probeLeavesBox");
    auto seam = mrc::gamePendingSeams().probeLeavesBox;
    return seam ? seam(direction, o, x, y, w, h) : false;
}
void Game::paintMapCells(javax_microedition_lcdui_Graphics* g, int32_t left, int32_t top, int32_t right,
                         int32_t bottom, int32_t column, int32_t row, bool variant) {
    GAME_NOT_BUILT_YET("Game::paintMapCells");
    if (auto seam = mrc::gamePendingSeams().paintMapCells) seam(g, left, top, right, bottom, column, row, variant);
}

// Services of the player's state machine, the object behaviours and the level's movement rules
// that the animation choices and the movement toward targets call.
namespace mrc {
MotionSeams& motionSeams() {
    static MotionSeams seams;
    return seams;
}
}  // namespace mrc

void CObject::onEvent(int32_t event, CObject* o) {
    GAME_NOT_BUILT_YET("CObject::onEvent");
    if (auto seam = mrc::motionSeams().onEvent) seam(event, o);
}
int32_t CObject::clampMoveToBlocked(CObject* o, int32_t offsetX, int32_t offsetY, int32_t w, int32_t h,
                                    int32_t code, int32_t mask, int32_t flag) {
    GAME_NOT_BUILT_YET("CObject::clampMoveToBlocked");
    auto seam = mrc::motionSeams().clampMoveToBlocked;
    return seam ? seam(o, offsetX, offsetY, w, h, code, mask, flag) : 0;
}
void CObject::followPathStep(int32_t, int32_t) { GAME_NOT_BUILT_YET("CObject::followPathStep"); }
bool CObject::canMoveWithBodyBox() {
    GAME_NOT_BUILT_YET("CObject::canMoveWithBodyBox");
    auto seam = mrc::motionSeams().canMoveWithBodyBox;
    return seam ? seam(this) : false;
}
int32_t CObject::getMoveDirectionCode(CObject*, CObject*) {
    GAME_NOT_BUILT_YET("CObject::getMoveDirectionCode");
    return 0;
}
int32_t Game::clampPlayerMove(CObject*, int32_t, int32_t, int32_t step) {
    GAME_NOT_BUILT_YET("Game::clampPlayerMove");
    return step;
}
int32_t Game::clampPlayerMoveAlt(CObject*, int32_t, int32_t, int32_t step) {
    GAME_NOT_BUILT_YET("Game::clampPlayerMoveAlt");
    return step;
}
bool Game::isWithinRadius(int32_t, int32_t, int32_t) {
    GAME_NOT_BUILT_YET("Game::isWithinRadius");
    return false;
}
bool Game::isWithinRadiusOnLayer(CObject*, CObject*, int32_t, int32_t, int32_t) {
    GAME_NOT_BUILT_YET("Game::isWithinRadiusOnLayer");
    return false;
}
bool Game::isWithinTableLimit(CObject* o, int32_t a, int32_t b) {
    GAME_NOT_BUILT_YET("Game::isWithinTableLimit");
    auto seam = mrc::interactionSeams().isWithinTableLimit;
    return seam ? seam(o, a, b) : false;
}
bool Game::isWithinTableLimitOnLayer(CObject* o, CObject* other, int32_t a, int32_t b) {
    GAME_NOT_BUILT_YET("Game::isWithinTableLimitOnLayer");
    auto seam = mrc::interactionSeams().isWithinTableLimitOnLayer;
    return seam ? seam(o, other, a, b) : false;
}

void Game::allocIdSlotTables(int32_t) { GAME_NOT_BUILT_YET("Game::allocIdSlotTables"); }
CObject* Game::placeNewObject(int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t,
                              int32_t) {
    GAME_NOT_BUILT_YET("Game::placeNewObject");
    return nullptr;
}
int32_t CObject::runScript(Object*, int32_t, int32_t count, ObjectArray*, CObject*) {
    GAME_NOT_BUILT_YET("CObject::runScript");
    return count;
}


// The level data's parameter blocks, range entries and action records, and the path segments,
// that the object factories call.

namespace mrc {
FactorySeams& factorySeams() {
    static FactorySeams seams;
    return seams;
}
}  // namespace mrc

IntArray* Game::createFromTemplate(IntArray* params, bool copy) {
    GAME_NOT_BUILT_YET("Game::createFromTemplate");
    auto seam = mrc::factorySeams().createFromTemplate;
    return seam ? seam(params, copy) : nullptr;
}
void Game::setRangeEntry(int32_t n, int32_t x, int32_t y, IntArray* values) {
    GAME_NOT_BUILT_YET("Game::setRangeEntry");
    if (auto seam = mrc::factorySeams().setRangeEntry) seam(n, x, y, values);
}
int32_t CObject::parseActionData(CObject* o, int32_t kind, ByteArray* data, int32_t offset) {
    GAME_NOT_BUILT_YET("CObject::parseActionData");
    auto seam = mrc::factorySeams().parseActionData;
    return seam ? seam(o, kind, data, offset) : offset;
}
void CObject::applyPathSegment(CObject* o) {
    GAME_NOT_BUILT_YET("CObject::applyPathSegment");
    if (auto seam = mrc::factorySeams().applyPathSegment) seam(o);
}


// The level data readers and the upgrade levels that the level parts and the strength test use.
namespace mrc {
LevelPartSeams& levelPartSeams() {
    static LevelPartSeams seams;
    return seams;
}
}  // namespace mrc

ObjectArray* Game::buildShortTable(ObjectArray* templ, ByteArray* bytes) {
    GAME_NOT_BUILT_YET("Game::buildShortTable");
    auto seam = mrc::levelPartSeams().buildShortTable;
    return seam ? seam(templ, bytes) : nullptr;
}
ObjectArray* Game::buildShortTable3(ByteArray* a, ByteArray* b) {
    GAME_NOT_BUILT_YET("Game::buildShortTable3");
    auto seam = mrc::levelPartSeams().buildShortTable3;
    return seam ? seam(a, b) : nullptr;
}
int32_t Game::getUpgradeLevel(int32_t item) {
    GAME_NOT_BUILT_YET("Game::getUpgradeLevel");
    auto seam = mrc::levelPartSeams().getUpgradeLevel;
    return seam ? seam(item) : 0;

}
void Game::repaintBackgroundBuffer() {
    GAME_NOT_BUILT_YET("Game::repaintBackgroundBuffer");
    if (auto seam = mrc::gamePendingSeams().repaintBackgroundBuffer) seam();
}
void Game::resetLevel(int32_t) { GAME_NOT_BUILT_YET("Game::resetLevel"); }
void Game::selectItem(CObject*, int32_t, int32_t, bool) { GAME_NOT_BUILT_YET("Game::selectItem"); }
void CObject::randomWander(CObject*, int32_t) { GAME_NOT_BUILT_YET("CObject::randomWander"); }
void CObject::detach(CObject*) { GAME_NOT_BUILT_YET("CObject::detach"); }
bool Game::updateProgressFade() {
    GAME_NOT_BUILT_YET("Game::updateProgressFade");
    auto seam = mrc::gamePendingSeams().updateProgressFade;
    return seam ? seam() : false;
}


// The view centre of the flag list.
void Game::computeViewCenter() { GAME_NOT_BUILT_YET("Game::computeViewCenter"); }

// The particle system: launching particles.
void Game::emitParticles(int32_t) { GAME_NOT_BUILT_YET("Game::emitParticles"); }

// The event scripts and the level's message and record tables, which the cinematics and the
// level-data linker call. Each answers through its seam when one is set (level_data_seams.h).
namespace mrc {
LevelDataSeams& levelDataSeams() {
    static LevelDataSeams seams;
    return seams;
}
}  // namespace mrc
bool Game::runEventScript(int32_t n, bool clearSkip) {
    GAME_NOT_BUILT_YET("Game::runEventScript");
    auto seam = mrc::levelDataSeams().runEventScript;
    return seam ? seam(n, clearSkip) : false;
}
int32_t Game::findMessageEntryById(int32_t id) {
    GAME_NOT_BUILT_YET("Game::findMessageEntryById");
    auto seam = mrc::levelDataSeams().findMessageEntryById;
    return seam ? seam(id) : -1;
}


// Services of the object behaviours, the player and the world that the object actions and the
// grabbing call.
namespace mrc {
InteractionSeams& interactionSeams() {
    static InteractionSeams seams;
    return seams;
}
}  // namespace mrc


// Contacts, hits, removal, the camera, sequences and sprite-module marks that the object actions
// and the script helpers call.
namespace mrc {
ObjectActionSeams& objectActionSeams() {
    static ObjectActionSeams seams;
    return seams;
}
}  // namespace mrc

CObject* Game::findObjectContainingRect(int32_t x, int32_t y, int32_t w, int32_t h, ObjectArray* list,
                                        int32_t count) {
    GAME_NOT_BUILT_YET("Game::findObjectContainingRect");
    auto seam = mrc::interactionSeams().findObjectContainingRect;
    return seam ? seam(x, y, w, h, list, count) : nullptr;
}
void Game::placeAtTile(int32_t x, int32_t y, int32_t kind) {
    GAME_NOT_BUILT_YET("Game::placeAtTile");
    if (auto seam = mrc::interactionSeams().placeAtTile) seam(x, y, kind);
}
int32_t Game::launchProjectile(ASprite*, int32_t direction, int32_t x, int32_t y, int32_t, int32_t, int32_t, int32_t,
                               int32_t, int32_t, int32_t, int32_t) {
    GAME_NOT_BUILT_YET("Game::launchProjectile");
    auto seam = mrc::interactionSeams().launchProjectile;
    return seam ? seam(direction, x, y) : -1;
}
ASprite* Game::getEmitterSprite(int32_t) {
    GAME_NOT_BUILT_YET("Game::getEmitterSprite");
    return nullptr;
}
int32_t Game::getEmitterTypeField2(int32_t) {
    GAME_NOT_BUILT_YET("Game::getEmitterTypeField2");
    return 0;
}
void Game::resetAllObjects() { GAME_NOT_BUILT_YET("Game::resetAllObjects"); }
void Game::runOnActiveObjects(CObject*) { GAME_NOT_BUILT_YET("Game::runOnActiveObjects"); }
void Game::updateAllObjectsB() { GAME_NOT_BUILT_YET("Game::updateAllObjectsB"); }
void Game::initCameraFromObject(CObject*) { GAME_NOT_BUILT_YET("Game::initCameraFromObject"); }
void CObject::fallCheck(CObject*, int32_t, int32_t) { GAME_NOT_BUILT_YET("CObject::fallCheck"); }
void CObject::fallCheckSwim(CObject*, int32_t, int32_t) { GAME_NOT_BUILT_YET("CObject::fallCheckSwim"); }
void CObject::findFreeCellAround(CObject*, int32_t, int32_t, int32_t, int32_t, int32_t) {
    GAME_NOT_BUILT_YET("CObject::findFreeCellAround");
}
bool CObject::isFacing(CObject* o, CObject* other) {
    GAME_NOT_BUILT_YET("CObject::isFacing");
    auto seam = mrc::interactionSeams().isFacing;
    return seam ? seam(o, other) : false;
}
bool CObject::getNextFrameIndex(CObject*, int32_t) {
    GAME_NOT_BUILT_YET("CObject::getNextFrameIndex");
    return false;
}
void CObject::positionRelativeTo(CObject*, CObject*, int32_t, int32_t) {
    GAME_NOT_BUILT_YET("CObject::positionRelativeTo");
}
void CObject::reappear() { GAME_NOT_BUILT_YET("CObject::reappear"); }
void CObject::clearTimers() { GAME_NOT_BUILT_YET("CObject::clearTimers"); }

int32_t CObject::resolveContact(CObject* actor, CObject* target, ObjectArray* list, int32_t countOrMode, int32_t x,
                                int32_t y, int32_t w, int32_t h, int32_t isPlayer) {
    GAME_NOT_BUILT_YET("CObject::resolveContact");
    auto seam = mrc::objectActionSeams().resolveContact;
    return seam ? seam(actor, target, list, countOrMode, x, y, w, h, isPlayer) : 0;
}
int32_t CObject::onHitBy(CObject* o, CObject* other, int32_t mode, int32_t direction) {
    GAME_NOT_BUILT_YET("CObject::onHitBy");
    auto seam = mrc::objectActionSeams().onHitBy;
    return seam ? seam(o, other, mode, direction) : 0;
}
int32_t CObject::resolveHitFromFront(CObject* o, CObject* other) {
    GAME_NOT_BUILT_YET("CObject::resolveHitFromFront");
    auto seam = mrc::objectActionSeams().resolveHitFromFront;
    return seam ? seam(o, other) : 0;
}
void CObject::remove(CObject* o) {
    GAME_NOT_BUILT_YET("CObject::remove");
    if (auto seam = mrc::objectActionSeams().remove) seam(o);
}
void CObject::releaseGroupMembers(CObject* o) {
    GAME_NOT_BUILT_YET("CObject::releaseGroupMembers");
    if (auto seam = mrc::objectActionSeams().releaseGroupMembers) seam(o);
}
int32_t CObject::getRangeFactor(CObject* o) {
    GAME_NOT_BUILT_YET("CObject::getRangeFactor");
    auto seam = mrc::objectActionSeams().getRangeFactor;
    return seam ? seam(o) : 0;
}
void CObject::resolveObjectIdParam(IntArray*) { GAME_NOT_BUILT_YET("CObject::resolveObjectIdParam"); }
void CObject::resolveEntryIdParam(IntArray*) { GAME_NOT_BUILT_YET("CObject::resolveEntryIdParam"); }
void Game::runSequence(IntArray* params, int32_t x, int32_t y) {
    GAME_NOT_BUILT_YET("Game::runSequence");
    if (auto seam = mrc::objectActionSeams().runSequence) seam(params, x, y);
}
void Game::setCameraOnObject(int32_t x, int32_t y, int32_t w, int32_t h, int32_t a, int32_t b, int32_t flag) {
    GAME_NOT_BUILT_YET("Game::setCameraOnObject");
    if (auto seam = mrc::objectActionSeams().setCameraOnObject) seam(x, y, w, h, a, b, flag);
}
void Game::updateAutoScroll(bool force) {
    GAME_NOT_BUILT_YET("Game::updateAutoScroll");
    if (auto seam = mrc::objectActionSeams().updateAutoScroll) seam(force);
}
void Game::displaceKind5Objects(ObjectArray* list, CObject* o) {
    GAME_NOT_BUILT_YET("Game::displaceKind5Objects");
    if (auto seam = mrc::objectActionSeams().displaceKind5Objects) seam(list, o);
}
void Game::bindCurrentRecordToObject(CObject*) { GAME_NOT_BUILT_YET("Game::bindCurrentRecordToObject"); }
int32_t Game::scaleBySelectedUpgrade(int32_t v) {
    GAME_NOT_BUILT_YET("Game::scaleBySelectedUpgrade");
    return v;
}
