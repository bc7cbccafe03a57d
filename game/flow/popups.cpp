// The popup records: at most ten panels about running tasks, one of them current (on screen).
// A record is filled while in state 1, shown in state 2, waits in state 4 and is free in state 0.
#include "framework/sprite/sprite.h"
#include "framework/sprite/sprite_instance.h"
#include "game/flow/game.h"
#include "game/objects/cobject.h"
#include "runtime/core/application.h"
#include "runtime/core/arrays.h"
#include "runtime/core/object_manager.h"
#include "runtime/core/static_class.h"
#include "runtime/lang/string.h"

namespace {

constexpr int32_t kRecords = 10, kFields = 21;
constexpr int32_t kStateFree = 0, kFilling = 1, kCurrent = 2, kWaiting = 4;
constexpr int32_t kState = 0, kDisplay = 1, kCounter = 2, kArg3 = 3, kWatched = 5, kDone = 6, kTotal = 7,
                  kIconSprite = 10, kDoneAnim = 12, kTimer = 18, kSelector = 19, kStyle = 20;
constexpr int32_t kMaskA = 15, kMaskB = 16, kMaskC = 17;
constexpr int32_t kTimeLimit = 1, kPicture = 4, kMarkers = 5;
constexpr int32_t kCounterInstance = 8, kTimeInstance = 9, kTimeAnim = 40;
constexpr int32_t kWatchedParam = 22, kWatchedCount = 19;
constexpr int32_t kFullText = 416, kBusyText = 417;

String* constant(int32_t n) {
    String* s = mrc::ApplicationImpl::getApplication()->staticClass->getStringConstant(n);
    return isNull(s) ? mrc::newString("") : s;
}

IntArray* record(int32_t i) {
    ObjectArray* table = Game::layouts.s_popups;
    if (isNull(table) || i < 0 || i >= table->length) return nullptr;
    auto* r = static_cast<IntArray*>(JArray::getRef(table, i));
    return isNull(r) ? nullptr : r;
}
int32_t get(IntArray* r, int32_t f) { return JArray::getInt(r, f); }
void set(IntArray* r, int32_t f, int32_t v) { JArray::setInt(r, f, v); }

IntArray* current() { return record(Game::layouts.s_currentPopup); }
// The current record while it is being filled, else null.
IntArray* filling() {
    IntArray* r = current();
    return r != nullptr && get(r, kState) == kFilling ? r : nullptr;
}

ASpriteInstance* hud(int32_t i) {
    ObjectArray* a = Game::stateStatics.hudInstances;
    if (isNull(a) || i < 0 || i >= a->length) return nullptr;
    auto* o = static_cast<ASpriteInstance*>(JArray::getRef(a, i));
    return isNull(o) ? nullptr : o;
}

mrc::ObjectManager* om() { return mrc::ApplicationImpl::getApplication()->objectManager; }

CObject* listed(ObjectArray* list, int32_t i) {
    if (isNull(list) || i < 0 || i >= list->length) return nullptr;
    auto* o = static_cast<CObject*>(JArray::getRef(list, i));
    return isNull(o) ? nullptr : o;
}

// The object a kind 4 counter watches.
CObject* watched(IntArray* r) { return listed(Game::objects.s_scriptObjects, get(r, kWatched)); }

}  // namespace

PopupStatics Game::popups;

void Game::initPopups() {
    static bool registered = false;
    if (!registered) {
        registered = true;
        mrc::StaticClass::registerStatics("Game.popups", &popups);
    }
    ObjectArray* table = om()->newObjectArray(mrc::kClass_IntArray, kRecords);
    for (int32_t i = 0; i < kRecords && !isNull(table); ++i) {
        IntArray* r = om()->newIntArray(kFields);
        JArray::setRef(table, i, r);
    }
    layouts.s_popups = table;
    layouts.s_currentPopup = -1;
}

int32_t Game::openPopup() {
    LayoutStatics& l = layouts;
    for (int32_t i = 0; i < kRecords; ++i) {
        IntArray* r = record(i);
        if (r == nullptr || get(r, kState) != kStateFree) continue;
        l.s_currentPopup = i;
        set(r, kState, kFilling);
        for (int32_t f = 1; f < kStyle; ++f) set(r, f, -1);
        set(r, kStyle, 0);
        return i;
    }
    // Full: the records and the current index stay as they were.
    if (IntArray* r = current())
        dbgPrintln(constant(kBusyText)->concat(String::valueOfInt(get(r, kState))));
    else
        dbgPrintln(constant(kFullText));
    return -1;
}

void Game::setPopupArg1(int32_t value) {
    if (IntArray* r = filling()) set(r, kDisplay, value);
}
void Game::setPopupArg2(int32_t value) {
    if (IntArray* r = filling()) set(r, kCounter, value);
}
void Game::setPopupArg3(int32_t value) {
    if (IntArray* r = filling()) set(r, kArg3, value);
}

void Game::setPopupTargetById(int32_t id) {
    IntArray* r = filling();
    if (r == nullptr) return;
    ObjectArray* list = nullptr;
    switch (get(r, kCounter)) {
        case 2: list = objects.s_kind0Objects; break;
        case 3: list = objects.s_attachedObjects; break;
        case 4: list = objects.s_type5Objects; break;
        case 5: list = objects.s_type15Objects; break;
        default: return;
    }
    for (int32_t i = 0; !isNull(list) && i < list->length; ++i)
        if (CObject* o = listed(list, i); o != nullptr && o->m_id == id) {
            popups.s_popupTarget = o;
            return;
        }
}

namespace {
void setMasks(int32_t a, int32_t b, int32_t c, int32_t selector) {
    IntArray* r = current();
    if (r == nullptr) return;
    set(r, kMaskA, a);
    set(r, kMaskB, b);
    set(r, kMaskC, c);
    set(r, kSelector, selector);
}
}  // namespace

void Game::setPopupItemMaskA(int32_t mask) { setMasks(mask, 0, 0, -1); }
void Game::setPopupItemMaskB(int32_t mask) { setMasks(0, mask, 0, 1); }
void Game::setPopupItemMaskC(int32_t mask) {
    setMasks(0, 0, mask, 0);
    if (IntArray* r = current()) set(r, kDisplay, kMarkers);
}
void Game::setPopupStyle(int32_t style) {
    if (IntArray* r = current()) set(r, kStyle, style);
}
int32_t Game::getPopupItemMaskB() {
    IntArray* r = current();
    return r == nullptr ? 0 : get(r, kMaskB);
}

void Game::activatePopup() {
    const int32_t cur = layouts.s_currentPopup;
    for (int32_t i = 0; i < kRecords; ++i)
        if (IntArray* r = record(i); r != nullptr && i != cur && get(r, kState) != kStateFree) set(r, kState, kWaiting);
    IntArray* r = current();
    if (r == nullptr) return;
    set(r, kState, kCurrent);
    if (get(r, kDisplay) == kTimeLimit) {
        set(r, kTimer, timerAlloc());
        if (ASpriteInstance* bar = hud(kTimeInstance)) bar->setAnim(kTimeAnim);
    } else if (get(r, kDisplay) == kPicture) {
        if (ASpriteInstance* counter = hud(kCounterInstance)) counter->setSprite(spriteSlot(get(r, kIconSprite)));
    }
}

void Game::resumePopup(int32_t index) {
    IntArray* r = record(index);
    if (r == nullptr || get(r, kState) != kWaiting) return;
    for (int32_t i = 0; i < kRecords; ++i)
        if (IntArray* o = record(i); o != nullptr && get(o, kState) != kStateFree) set(o, kState, kWaiting);
    set(r, kState, kCurrent);
    layouts.s_currentPopup = index;
}

void Game::removePopup(int32_t index) {
    LayoutStatics& l = layouts;
    IntArray* r = record(index);
    if (r == nullptr || get(r, kState) == kStateFree) return;
    set(r, kState, kStateFree);
    if (get(r, kTimer) != -1) stopTimer(get(r, kTimer));
    set(r, kTimer, -1);
    for (int32_t j = index + 1; j < kRecords; ++j) {
        Object* a = JArray::getRef(l.s_popups, j - 1);
        JArray::setRef(l.s_popups, j - 1, JArray::getRef(l.s_popups, j));
        JArray::setRef(l.s_popups, j, a);
        IntArray* moved = record(j - 1);
        if (moved == nullptr || get(moved, kState) == kStateFree) continue;
        if (get(moved, kDisplay) == kPicture && get(moved, kCounter) == 4) {
            if (CObject* o = watched(moved)) o->setParam(kWatchedParam, j - 1);
        } else if (get(moved, kDisplay) == kTimeLimit && get(moved, kCounter) == 1) {
            CObject::statics.s_popupIndex = j - 1;
        }
        l.s_currentPopup = j - 1;
    }
    l.s_currentPopup = -1;
    for (int32_t i = kRecords - 1; i >= 0; --i)
        if (IntArray* o = record(i); o != nullptr && get(o, kState) != kStateFree) {
            l.s_currentPopup = i;
            set(o, kState, kCurrent);
            break;
        }
}

void Game::clearPopups(bool release) {
    layouts.s_currentPopup = -1;
    if (ASpriteInstance* counter = hud(kCounterInstance); counter != nullptr && !isNull(counter->sprite)) {
        if (release) resetObjectSlots(counter->sprite);
        counter->sprite = nullptr;
    }
    for (int32_t i = 0; i < kRecords; ++i)
        if (IntArray* r = record(i)) set(r, kState, kStateFree);
}

void Game::updatePopupGoal() {
    IntArray* r = current();
    if (r == nullptr) return;
    const int32_t state = get(r, kState), kind = get(r, kDisplay);
    if (state == kStateFree || state == kWaiting || kind < 1 || kind > 4) return;
    if (kind == kTimeLimit) {
        if (!isTimerBelowMinusTwo(get(r, kTimer)))
            if (ASpriteInstance* bar = hud(kTimeInstance)) bar->updateAnim();
        return;
    }
    if (kind != kPicture) return;
    const int32_t before = get(r, kDone);
    if (get(r, kCounter) == 4) {
        if (CObject* o = watched(r)) set(r, kDone, o->param(kWatchedCount));
    } else if (get(r, kCounter) == 6) {
        set(r, kDone, CObject::statics.s_goalCountA - CObject::statics.s_goalCountB);
    }
    if (ASpriteInstance* counter = hud(kCounterInstance)) {
        if (get(r, kDone) != before) counter->setAnimLoop(get(r, kDoneAnim), 0);
        else counter->updateAnim();
    }
    if (get(r, kDone) >= get(r, kTotal)) removePopup(layouts.s_currentPopup);
}
