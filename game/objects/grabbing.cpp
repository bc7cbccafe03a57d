// The player grabbing a type-5 object beside him, holding it (a popup, the screen filter, the
// chain timer paused), swinging it up and letting it go. The player's state machine calls these
// on entering and leaving its states. Game thread only.
#include <cstdint>

#include "framework/sprite/sprite_instance.h"
#include "game/flow/game.h"
#include "game/objects/cobject.h"
#include "runtime/core/application.h"
#include "runtime/core/arrays.h"

namespace {

constexpr int32_t kFixed = 14;
constexpr int32_t kGrabAbility = 0x100;
constexpr int32_t kGrabType = 5;
constexpr int32_t kReach = 32;          // pixels added to every side of the player's box
constexpr int32_t kHoldRecordField = 29;  // packed: the held object's aux record, -1 none
constexpr int32_t kHoldingRowField = 12;  // packed: the aux record used while holding
constexpr int32_t kCarriedAnim = 9, kPlaceMode = 11, kPlaceValue = 9;  // aux record fields
constexpr int32_t kFilterBit = 128;
constexpr int32_t kHoldCounter = 4;
constexpr int32_t kPopupWaiting = 4;
constexpr int32_t kSwingFull = 100 << kFixed;
constexpr int32_t kReleaseEvent = 10;

void nullPointer() { mrc::ApplicationImpl::getApplication()->reportError("NullPointer"); }

CObject* objectAt(ObjectArray* list, int32_t i) {
    auto* o = static_cast<CObject*>(JArray::getRef(list, i));
    return isNull(o) ? nullptr : o;
}

ShortArray* auxRecord(int32_t row) {
    auto* r = static_cast<ShortArray*>(JArray::getRef(Game::grids.s_auxRecords, row));
    return isNull(r) ? nullptr : r;
}

// Read signed: -1 marks an object that cannot be grabbed.
int32_t holdRecord(CObject* o) { return Game::getPackedSigned(o->param(CObject::PARAM_KIND), kHoldRecordField); }

// The object's grab box (play mode 2 uses the second record) meets the window.
bool grabBoxMeets(CObject* o, int32_t left, int32_t top, int32_t right, int32_t bottom) {
    auto* records =
        static_cast<ObjectArray*>(JArray::getRef(Game::motionTables.s_kindBoxes, o->param(CObject::PARAM_KIND)));
    auto* b = static_cast<ShortArray*>(JArray::getRef(records, Game::stateStatics.playMode == 2 ? 1 : 0));
    if (isNull(b)) return false;
    const int32_t x = (o->m_sprite->x >> kFixed) + JArray::getShort(b, 0);
    const int32_t y = (o->m_sprite->y >> kFixed) + JArray::getShort(b, 1) + JArray::getShort(b, 3) / 2;
    const int32_t boxRight = x + JArray::getShort(b, 2), boxBottom = y + JArray::getShort(b, 3);
    return boxRight >= left && x <= right && boxBottom >= top && y <= bottom;
}

void clearStepStatics() {
    CObject::statics.s_stepIndex = 0;
    CObject::statics.s_stepSpeed = 0;
    CObject::statics.s_stepExtra = 0;
}

}  // namespace

int32_t CObject::tryGrabObject(CObject* player, ObjectArray* list, int32_t count) {
    if ((Game::objects.s_playerFlags & kGrabAbility) == 0 || count < 1) return 0;
    if (isNull(player) || isNull(player->m_sprite)) {
        nullPointer();
        return 0;
    }
    const Statics& s = statics;
    const int32_t left = (player->m_sprite->x >> kFixed) - s.s_boxOffsetX - kReach;
    const int32_t right = left + s.s_boxWidth + 2 * kReach;
    const int32_t top = (player->m_sprite->y >> kFixed) - s.s_boxOffsetY - kReach;
    const int32_t bottom = top + s.s_boxHeight + 2 * kReach;
    for (int32_t i = 0; i < count; ++i) {
        CObject* o = objectAt(list, i);
        if (o == nullptr || isNull(o->m_sprite) || o->m_type != kGrabType || !o->isFreeToMove() ||
            holdRecord(o) < 0 || !isFacing(player, o) || !grabBoxMeets(o, left, top, right, bottom))
            continue;
        Game::resetAllObjects();
        o->setParam(PARAM_STATE, 2);
        o->setParam(PARAM_SUBSTATE, 0);
        statics.s_effectObject = o;
        Game::markObjectFootprint(o, 1);
        o->m_sprite->x = ((player->m_sprite->x >> kFixed) + 1) << kFixed;
        o->m_sprite->y = player->m_sprite->y;
        o->setParam(PARAM_FACING, statics.s_inputDirection);
        setAnimForDirection(o, JArray::getShort(auxRecord(holdRecord(o)), kCarriedAnim));
        clearStepStatics();
        return 1;
    }
    return 0;
}

void Game::enterHoldState(CObject* player) {
    CObject* held = CObject::statics.s_effectObject;
    if (isNull(held) || isNull(player)) {
        nullPointer();
        return;
    }
    incSavedCounter(kHoldCounter);
    player->clearKindRows();
    resetAllObjects();
    CObject::statics.s_effectIndex = 0;
    if (isTimerSet(CObject::statics.s_comboTimer)) restartTimer(CObject::statics.s_comboTimer);

    const int32_t popup = openPopup();
    CObject::statics.s_popupIndex = popup;
    setPopupStyle(1);
    setPopupArg1(1);
    setPopupArg2(1);
    activatePopup();
    // Open, but not the current one.
    if (popup >= 0) JArray::setInt(static_cast<IntArray*>(JArray::getRef(layouts.s_popups, popup)), 0, kPopupWaiting);

    CObject::statics.s_playerStateParam = 0;
    ShortArray* a = auxRecord(getPackedShort(held->param(CObject::PARAM_KIND), kHoldingRowField));
    CObject::positionRelativeTo(player, held, JArray::getShort(a, kPlaceMode), JArray::getShort(a, kPlaceValue));
    runOnActiveObjects(player);

    clearStepStatics();
    startScreenFilter(0, 100, 0);
    setFlags(kFilterBit);  // the paint effects' bit and the overlay's
    setParamForType(held->m_params, 1, held->m_type);
    pauseTimer(hudStatics.s_chainTimerC);
}

void Game::leaveHoldState() {
    CObject* held = CObject::statics.s_effectObject;
    if (isNull(held)) {
        nullPointer();
        return;
    }
    held->setParam(38, held->param(38) - 1);
    removePopup(CObject::statics.s_popupIndex);
    CObject::statics.s_popupIndex = -1;
    updateAllObjectsB();
    clearFlag(kFilterBit);  // the filter fades out, then lets go of the bits
    setParamForType(held->m_params, 1, held->m_type);
    CObject::statics.s_effectObject = nullptr;
    resumeTimer(hudStatics.s_chainTimerC);
}

void CObject::updateInMode4(CObject* player) {
    if (isNull(player) || isNull(player->m_sprite)) {
        nullPointer();
        return;
    }
    if (statics.s_playerStateParam == 4 && player->m_sprite->isAnimEnded()) {
        ASpriteInstance::jumpToLastFrame(player->m_sprite);
        return;
    }
    if (CObject* held = statics.s_effectObject; !isNull(held)) {
        onEvent(kReleaseEvent, held);
        selectAnimByState(held, 0);
    }
    Game::updateAllObjectsB();
    statics.s_effectObject = nullptr;
}

void Game::updateTimedMode(CObject* player) {
    if (isNull(player)) {
        nullPointer();
        return;
    }
    const int64_t rate = (stateStatics.playMode == 2 ? 600 : 300) * (int64_t{1} << kFixed);
    int32_t& swing = CObject::statics.s_swingLevel;
    swing += static_cast<int32_t>(rate * stateStatics.frameTime / 1000);
    if ((swing >> kFixed) < 100) return;
    swing = kSwingFull;
    if (stateStatics.playMode == 0)
        CObject::statics.s_stepSpeed = 0x320000;  // 200 pixels per second
    else
        initCameraFromObject(player);
    CObject::statics.s_playerStateParam = 1;
    CObject::selectAnimation(player->m_sprite, -1);
}
