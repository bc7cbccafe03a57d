// Small operations the world, the event scripts and the per-type behaviours run on objects:
// placing, the event-script timer and the flag list with its three counters.
#include "framework/core/game_timers.h"
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

namespace mrc {

void registerObjectOperationStatics() {
    static bool registered = false;
    if (registered) return;
    registered = true;
    StaticClass::registerStatics("Game.operations", &Game::operations);
}

}  // namespace mrc
