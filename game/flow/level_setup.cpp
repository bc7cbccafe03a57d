// Level set-up routines the event scripts and loading steps call: the event-script tables and
// timer, the script objects' loads, the switches of objects of types 1 and 15 with their per-frame
// cycle, the placement and button forms, and the return from a dialogue to play.
#include "framework/core/game_timers.h"
#include "game/flow/game.h"
#include "game/objects/cobject.h"
#include "runtime/core/application.h"
#include "runtime/core/arrays.h"
#include "runtime/core/object_manager.h"
#include "runtime/core/static_class.h"

namespace {

constexpr int32_t kScriptTimerText = 450;
constexpr int32_t kScriptWaits = 10;
constexpr int32_t kStateField1 = 11, kStateField15 = 9;
constexpr int32_t kSwitch = 8, kTimer = 18;
constexpr int32_t kGameplayState = 7;
constexpr int32_t kSideViewPlay = 2;
constexpr int32_t kCameraLocked = 99, kCameraHold = 4;

mrc::ObjectManager* om() { return mrc::ApplicationImpl::getApplication()->objectManager; }

CObject* listed(ObjectArray* list, int32_t n) {
    auto* o = static_cast<CObject*>(JArray::getRef(list, n));
    return isNull(o) ? nullptr : o;
}

// params[j] = value; switching (j 8) an object whose params[11] is set starts or stops its timer,
// with its state at `stateField`.
void scriptSetParam(CObject* o, int32_t j, int32_t value, int32_t stateField) {
    IntArray* p = o->m_params;
    JArray::setInt(p, j, value);
    if (j != kSwitch || JArray::getInt(p, kStateField1) == 0) return;
    JArray::setInt(p, stateField, 1);
    if (value == 1) {
        if (JArray::getInt(p, kTimer) == -1) JArray::setInt(p, kTimer, Game::timerAlloc());
        else Game::restartTimer(JArray::getInt(p, kTimer));
    } else {
        Game::stopTimer(JArray::getInt(p, kTimer));
        JArray::setInt(p, kTimer, -1);
    }
}

}  // namespace

void Game::allocScriptTables(IntArray* header) {
    LayoutStatics& l = layouts;
    l.s_scriptBytes = om()->newByteArray(JArray::getInt(header, 4));
    l.s_scriptOffsets = om()->newIntArray(JArray::getInt(header, 0));
    l.s_scriptCommandCounts = om()->newByteArray(JArray::getInt(header, 0));
    l.s_scriptTimers = om()->newLongArray(kScriptWaits);
    l.s_scriptIndex = -1;
    allocIdSlotTables(JArray::getInt(header, 5));
    for (int32_t i = 0; i < 6; ++i) JArray::setInt(header, i, 0);
    l.s_scriptTimer = -1;
}

void Game::restartScriptTimer() {
    LayoutStatics& l = layouts;
    if (l.s_scriptTimer == -1) l.s_scriptTimer = timerAlloc();
    else restartTimer(l.s_scriptTimer);
    debugText(stateStatics.graphics, false,
              mrc::ApplicationImpl::getApplication()->staticClass->getStringConstant(kScriptTimerText), 0, 0);
}

int32_t Game::addScriptObjectLoads(Object* loader, int32_t count, ObjectArray* list, ObjectArray* objects) {
    for (int32_t i = 0; !isNull(objects) && i < objects->length; ++i)
        if (CObject* o = listed(objects, i); o != nullptr && o->m_type == 34 && o->param(7) == 0)
            count = CObject::runScript(loader, 0, count, list, o);
    return count;
}

int32_t CObject::runScriptList(Object* loader, int32_t mode, int32_t count, ObjectArray* list, ObjectArray* objects) {
    for (int32_t i = 0; !isNull(objects) && i < objects->length; ++i)
        if (CObject* o = listed(objects, i); o != nullptr && o->param(PARAM_MODE) == mode)
            count = runScript(loader, mode, count, list, o);
    return count;
}

void Game::scriptSetType1ObjectParam(int32_t n, int32_t j, int32_t value) {
    if (CObject* o = listed(objects.s_type1Objects, n)) scriptSetParam(o, j, value, kStateField1);
}

// The type-15 state field is params[9]; the switch still tests params[11], as the level data expects.
void Game::scriptSetType15ObjectParam(int32_t n, int32_t j, int32_t value) {
    if (CObject* o = listed(objects.s_type15Objects, n); o != nullptr && o->m_type == 15)
        scriptSetParam(o, j, value, kStateField15);
}

void CObject::updateCycleAndTimer(int32_t type, IntArray* params) {
    if (isNull(params)) return;
    if (type == 15 && JArray::getInt(params, 11) == 0) {
        const int32_t step = static_cast<int32_t>(Game::stateStatics.frameTime * (5 << 14) / 1000);
        int32_t v = JArray::getInt(params, 24) + step;
        if (v > JArray::getInt(params, 25) << 14) v = -20 << 14;
        JArray::setInt(params, 24, v);
    }
    if (JArray::getInt(params, kSwitch) != 1) return;
    const int32_t field = type == 15 ? kStateField15 : kStateField1;
    const int32_t period = JArray::getInt(params, type == 15 ? 10 : 12) * 1000;
    switch (JArray::getInt(params, field)) {
        case 3:
            if (Game::isTimerElapsed(JArray::getInt(params, kTimer), period)) {
                JArray::setInt(params, field, 1);
                Game::stopTimer(JArray::getInt(params, kTimer));
                JArray::setInt(params, kTimer, -1);
            }
            break;
        case 2:
            if (GameOverlay::overlayStatics.gameState == kGameplayState && GameOverlay::overlayStatics.gameSubState == 0) {
                JArray::setInt(params, field, 3);
                if (JArray::getInt(params, kTimer) == -1) JArray::setInt(params, kTimer, Game::timerAlloc());
                else Game::restartTimer(JArray::getInt(params, kTimer));
            }
            break;
        default: break;
    }
}

void Game::activatePopupById(int32_t id) {
    setPopupTargetById(id);
    activatePopup();
}

CObject* Game::placeObjectPlain(int32_t x, int32_t y, int32_t type, int32_t record) {
    return placeNewObject(x, y, type, record, -1, 0, 0, 0, 0, 0, 0);
}

CObject* Game::placeObjectInSlot(int32_t x, int32_t y, int32_t type, int32_t record, int32_t slot) {
    return placeNewObject(x, y, type, record, slot, 0, 0, 0, 0, 0, 0);
}

CObject* Game::placeObjectWithValue(int32_t x, int32_t y, int32_t type, int32_t record, int32_t slot, int32_t v) {
    return placeNewObject(x, y, type, record, slot, v << 14, 0, 0, v, 0, 0);
}

void Game::drawButtonLabel(Graphics* g, int32_t layout, int32_t element, int32_t a, int32_t b, int32_t c) {
    drawButton(g, layout, element, -1, 0, 0, a, b, 0, 0, -1, c);
}

void Game::drawButtonAt(Graphics* g, int32_t layout, int32_t element, int32_t v0, int32_t v1, int32_t v2, int32_t v3,
                        int32_t v4, int32_t v5, int32_t v6) {
    drawButton(g, layout, element, -1, v0, v1, v2, v3, v4, v5, v6, -1);
}

void Game::drawButtonFull(Graphics* g, int32_t layout, int32_t element, int32_t v0, int32_t v1, int32_t v2, int32_t v3,
                          int32_t v4, int32_t v5, int32_t v6, int32_t v7) {
    drawButton(g, layout, element, -1, v0, v1, v2, v3, v4, v5, v6, v7);
}

void Game::returnToPlay() {
    stateStatics.playMode = kSideViewPlay;
    CObject::statics.s_moveDirection = 0;
    CameraStatics& c = camera;
    if (c.s_cameraMode != kCameraLocked) {
        c.s_savedCameraX = mathStatics.cameraX;
        c.s_savedCameraY = mathStatics.cameraY;
        c.s_cameraMode = kCameraHold;
        c.s_cameraModeStep = 0;
    }
    setSubstate(0);
}
