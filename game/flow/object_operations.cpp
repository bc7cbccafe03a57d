// Small operations the world, the event scripts and the per-type behaviours run on objects:
// placing, the event-script timer and reset, the flag list with its three counters, pick-ups,
// timed modifiers, hit steering, the scene effect's target line, the meter, the progress step and
// the pending interaction.
#include "framework/core/game_timers.h"
#include "framework/sprite/sprite.h"
#include "framework/sprite/sprite_instance.h"
#include "game/flow/game.h"
#include "game/objects/cobject.h"
#include "runtime/core/application.h"
#include "runtime/core/object_manager.h"
#include "runtime/core/static_class.h"

void Game::placeObject(CObject* o, int32_t x, int32_t y) {
    if (isNull(o)) return;
    ASpriteInstance* s = o->m_sprite;
    if (isNull(s)) return;
    // Moving a targetable object drops its target link first and rebuilds it at the new place;
    // a type-5 object's cells are freed and taken again.
    if (o->m_type == 10 || o->m_type == 15) {
        clearTarget(o);
        s->x = x;
        s->y = y;
        selectTarget(o, 0);
    } else if (o->m_type == 5) {
        markObjectFootprint(o, 1);
        s->x = x;
        s->y = y;
        markObjectFootprint(o, 0);
    } else {
        s->x = x;
        s->y = y;
    }
}

bool Game::timerDone(int32_t ms) {
    LayoutStatics& l = layouts;
    if (!isTimerElapsed(l.s_scriptTimer, ms)) return false;
    stopTimer(l.s_scriptTimer);
    l.s_scriptTimer = -1;
    return true;
}

void Game::setFlagBits(int32_t entry, int32_t bit, int32_t set, int32_t category) {
    GameTableStatics& t = tables;
    int32_t* counter = category == 0 ? &t.s_counterA : category == 1 ? &t.s_counterB : category == 2 ? &t.s_counterC : nullptr;
    const int32_t mask = bit >= 0 && bit < 32 ? static_cast<int32_t>(1u << bit) : 0;
    const int32_t word = JArray::getInt(t.s_flagList, entry);
    if (set == 1) {
        // A flag set again counts again: the counters count settings, not distinct flags.
        JArray::setInt(t.s_flagList, entry, word | mask);
        if (counter) ++*counter;
    } else if (mask != 0 && (word & mask) != 0) {
        JArray::setInt(t.s_flagList, entry, word & ~mask);
        if (counter) --*counter;
    }
    computeViewCenter();
}

// ---- timed modifiers ----

ObjectOperationStatics Game::operations;

namespace {

constexpr int32_t kFreeRecord = 255;
constexpr int32_t kTableFullText = 452;

int8_t* loadCell(int32_t a, int32_t b) {
    auto* row = static_cast<ByteArray*>(JArray::getRef(Game::operations.s_interactionLoad, a));
    JArray::getByte(row, b);  // bounds
    return row->elements() + b;
}

void giveBack(int32_t a, int32_t b, int32_t amount) {
    int8_t* cell = loadCell(a, b);
    *cell = static_cast<int8_t>(*cell - amount);
}

}  // namespace

void Game::initTimedModifiers() {
    ObjectOperationStatics& s = operations;
    if (isNull(s.s_timedModifiers))
        s.s_timedModifiers = mrc::ApplicationImpl::getApplication()->objectManager->newByteArray(4 * kTimedModifierRecords);
    for (int32_t i = 0; i < 4 * kTimedModifierRecords; i += 4) s.s_timedModifiers->elements()[i] = static_cast<int8_t>(kFreeRecord);
    s.s_timedModifierCount = 0;
}

void Game::addTimedModifier(int32_t a, int32_t b, int32_t amount) {
    ObjectOperationStatics& s = operations;
    if (isNull(s.s_timedModifiers)) initTimedModifiers();
    int32_t slot = -1;
    for (int32_t i = 0; i < kTimedModifierRecords && slot < 0; ++i)
        if ((s.s_timedModifiers->elements()[4 * i] & 0xFF) == kFreeRecord) slot = i;
    if (slot < 0) {
        // A full table gives the amount back as a full timer table does: kept, it would stay raised for good.
        debugText(stateStatics.graphics, false,
                  mrc::ApplicationImpl::getApplication()->staticClass->getStringConstant(kTableFullText), 0, 0);
        giveBack(a, b, amount);
        return;
    }
    const int32_t timer = timerAlloc();
    if (timer < 0) {
        giveBack(a, b, amount);
        return;
    }
    int8_t* r = s.s_timedModifiers->elements() + 4 * slot;
    r[0] = static_cast<int8_t>(a);
    r[1] = static_cast<int8_t>(b);
    r[2] = static_cast<int8_t>(amount);
    r[3] = static_cast<int8_t>(timer);
    ++s.s_timedModifierCount;
}

void Game::updateEffects() {
    ObjectOperationStatics& s = operations;
    if (isNull(s.s_timedModifiers)) return;
    int32_t seen = 0;
    for (int32_t i = 0; i < kTimedModifierRecords && seen < s.s_timedModifierCount; ++i) {
        int8_t* r = s.s_timedModifiers->elements() + 4 * i;
        if ((r[0] & 0xFF) == kFreeRecord) continue;
        ++seen;
        const int32_t a = r[0] & 0xFF, b = r[1] & 0xFF, timer = r[3] & 0xFF;
        auto* durations = static_cast<ShortArray*>(JArray::getRef(s.s_modifierDurations, a));
        if (!isTimerElapsed(timer, JArray::getShort(durations, b))) continue;
        stopTimer(timer);
        giveBack(a, b, r[2]);
        r[0] = static_cast<int8_t>(kFreeRecord);
        --s.s_timedModifierCount;
        --seen;
    }
}

// ---- pick-ups, the event script, steering ----

void Game::initObjectOperations() {
    ObjectOperationStatics& s = operations;
    s.s_lastPickup = nullptr;
    s.s_interactionPending[0] = s.s_interactionPending[1] = false;
    s.s_interactionObject = nullptr;
    s.s_detachIndex = -1;
    s.s_progressStep = s.s_lastProgressStep = 0;
    s.s_meterHold = 0;
}

void Game::collectPickup(CObject* o) {
    if (isNull(o)) return;
    const int32_t index = o->param(2);
    auto* record = index == -1 ? nullptr : static_cast<ShortArray*>(JArray::getRef(levelSetup.s_typeRecords, index));
    if (isNull(record)) record = nullptr;
    auto field = [record](int32_t i) { return static_cast<int32_t>(JArray::getShort(record, i)); };
    if (record != nullptr) {
        JArray::setShort(record, 14, field(14) + 1);
        if (ASpriteInstance* s = o->m_sprite; !isNull(s)) {
            s->setAnimLoop(field(3) + 1, -1);
            if (!isNull(s->sprite) && field(13) < s->sprite->paletteCount) s->sprite->setPalette(field(13));
        }
    }
    o->setParam(3, -1);
    operations.s_lastPickup = o;
    // A pick-up without a record adds nothing to the gauges.
    if (record != nullptr && !isNull(objects.s_player))
        for (int32_t k = 0; k < 3; ++k) CObject::addToGauge(objects.s_player, k, field(9 + k) << 14);
    o->setParam(10, 1);
}

void Game::resetScriptState() {
    LayoutStatics& l = layouts;
    l.s_scriptIndex = -1;
    layouts.s_scriptPos = 0;
    layouts.s_scriptLeft = 0;
    objects.s_selectedObject = nullptr;
    stopTimer(l.s_scriptTimer);
    l.s_scriptTimer = -1;
}

void Game::checkSelectedObject() {
    CObject* o = objects.s_selectedObject;
    if (isNull(o) || (o->m_type != 1 && o->m_type != 3)) return;
    activateMarkedEntry(o->param(16));
}

// The speed is moveTowards' flags: bit 0 steers away from the point.
void Game::hitObject(CObject* o, int32_t x, int32_t y, int32_t flags) {
    if (isNull(o)) return;
    if (o->param(40) != 0) setDirectionTowardsX(o, x, 19, 20, flags);
    else o->moveTowards(x, y, 19, 20, flags);
    o->stepAlongVelocity(getPackedSigned(o->param(3), 20));
}

void Game::clearHit(CObject* o, int32_t x, int32_t y, int32_t value, int32_t speed) {
    if (isNull(o)) return;
    if (o->param(40) != 0) o->clearTargetAndStep(value);
    else o->orbitTarget(x, y, value, speed);
}

void Game::trackObject(int32_t mode, bool vertical, int32_t a, int32_t b, bool animate) {
    CObject* player = objects.s_player;
    if (isNull(player) || isNull(player->m_sprite)) return;
    int32_t line;
    int32_t anim = -1;
    if (mode == 0 && vertical) {
        // Up from the player's cell to the first cell with a bit of the mask, in the current room.
        int32_t ox = 0, oy = 0;
        auto* room = static_cast<CObject*>(overlayStatics.currentRoom);
        if (!isNull(room) && !isNull(room->m_sprite)) {
            ox = room->m_sprite->x >> 14;
            oy = room->m_sprite->y >> 14;
        }
        const int32_t c = ((player->m_sprite->x >> 14) - ox) / kCellSize;
        int32_t r = ((player->m_sprite->y >> 14) - oy) / kCellSize;
        while (r >= 0 && !testTableBit(c, r, 0x69A)) --r;
        line = oy + kCellSize * r + kCellSize * player->param(9);
        anim = 0;
    } else if (mode == 0) {
        line = a + 16 * player->param(7) + 1;
        anim = 13;
    } else if (vertical) {
        line = a + b;
    } else {
        line = a + kCellSize * player->param(9) + b;
        anim = 0;
    }
    JArray::setInt(paintStatics.s_sceneEffect, 0, line << 14);
    if (animate && anim >= 0) CObject::setPlayerAnimFromPair(player, anim, -1);
}

void Game::setMeterFrame(CObject* o) {
    if (isNull(o) || isNull(o->m_sprite) || isNull(o->m_sprite->sprite)) return;
    int32_t percent = 0;
    if (overlayStatics.gameState == 7 && overlayStatics.gameSubState == 4 && operations.s_meterHold == 0)
        percent = percentOfMax();
    else if (stateStatics.playMode != 0 && stateStatics.playMode != 1)
        percent = 100;
    ASpriteInstance* s = o->m_sprite;
    s->aframe = s->sprite->getAnimFrame(s->anim, percent);
}

void CObject::updateProgressStep(CObject* o) {
    if (isNull(o)) return;
    ObjectOperationStatics& s = Game::operations;
    s.s_progressStep = (o->param(14) >> 14) / 3;
    if (s.s_progressStep - s.s_lastProgressStep > 6) {
        randomWander(o, 6);
        s.s_lastProgressStep = s.s_progressStep;
    }
}

void Game::resetInteraction(CObject* o) {
    ObjectOperationStatics& s = operations;
    s.s_interactionPending[0] = s.s_interactionPending[1] = false;
    if (objects.s_currentItem == 4) {
        selectItem(o, 4, objects.s_nextItem, true);
        if (s.s_detachIndex >= 0) {
            auto* held = static_cast<CObject*>(JArray::getRef(objects.s_attachedObjects, s.s_detachIndex));
            if (!isNull(held)) CObject::detach(held);
            s.s_detachIndex = -1;
            if (overlayStatics.gameState == 7) setState(7, 0);
        }
    }
    s.s_interactionObject = nullptr;
}

namespace mrc {

void registerObjectOperationStatics() {
    static bool registered = false;
    if (registered) return;
    registered = true;
    StaticClass::registerStatics("Game.operations", &Game::operations);
}

}  // namespace mrc
