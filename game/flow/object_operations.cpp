// Small operations the world, the event scripts and the per-type behaviours run on objects:
// placing, the event-script timer and the flag list with its three counters.
#include "framework/core/game_timers.h"
#include "framework/sprite/sprite_instance.h"
#include "game/flow/game.h"
#include "game/objects/cobject.h"

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
