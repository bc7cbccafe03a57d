// The three gauges an object carries, the player's refill schedules, the power values of hits,
// and the release of the timers an object owns.
#include <algorithm>

#include "framework/sprite/sprite_instance.h"
#include "game/flow/game.h"
#include "game/objects/cobject.h"
#include "runtime/core/array_base.h"

HudGaugeStatics Game::hudGauges;

namespace {

constexpr int32_t kScheduleSlots = 45;
constexpr int32_t kMaxOverflow = 99;

int32_t gaugeIndex(int32_t kind) { return kind == 0 ? 13 : kind == 1 ? 16 : 15; }
int32_t gaugeMaxIndex(int32_t kind) { return kind == 0 ? 17 : kind == 1 ? 19 : 18; }
bool isGaugeKind(int32_t kind) { return kind >= 0 && kind <= 2; }

// Whether the object's params reach index i (objects of other kinds carry fewer).
bool hasParam(CObject* o, int32_t i) { return !isNull(o->m_params) && i < o->m_params->length; }

// A value below 0: kind 1 borrows one overflow while it has one; otherwise the value stops at 0
// and the bound is reported.
bool underflow(CObject* o, int32_t kind, int32_t maximum, int64_t& value) {
    if (kind == 1 && o->param(20) > 0) {
        o->setParam(20, o->param(20) - 1);
        value += maximum;
        return false;
    }
    value = 0;
    return true;
}

}  // namespace

// ---- Gauges ----

bool CObject::addToGauge(CObject* o, int32_t kind, int32_t delta) {
    if (delta == 0) return false;
    if (!isGaugeKind(kind)) {
        Game::restartTimerOf();
        return false;
    }
    HudGaugeStatics& hud = Game::hudGauges;
    if (kind == 0) {
        if (JArray::getByte(GameStatics::flowStatics.s_settings, 2) == 2) {
            delta = 0;
        } else if (delta < 0) {
            Game::restartTimerOf();
            hud.s_healthFlashStep = 1;
        }
    }
    const int32_t maximum = o->param(gaugeMaxIndex(kind));
    int64_t value = static_cast<int64_t>(o->param(gaugeIndex(kind))) + delta;
    bool hitBound = false;
    if (value > maximum) {
        if (kind != 1) {
            value = maximum;
            hitBound = true;
        } else if (maximum <= 0) {
            // Subtracting a maximum of 0 or below never brings the value down.
            value = std::max(maximum, 0);
        } else {
            const int64_t overflows = (value - 1) / maximum;
            const int64_t count = o->param(20) + overflows;
            value -= overflows * maximum;
            if (count <= kMaxOverflow) {
                o->setParam(20, static_cast<int32_t>(count));
                hud.s_gaugeOverflow = 1;
            } else {
                o->setParam(20, kMaxOverflow);
                value = maximum;
            }
        }
    } else if (value < 0) {
        hitBound = underflow(o, kind, maximum, value);
    }
    o->setParam(gaugeIndex(kind), static_cast<int32_t>(value));
    Game::restartTimerOf();
    return hitBound;
}

bool CObject::setGauge(CObject* o, int32_t kind, int32_t value) {
    bool hitBound = false;
    if (isGaugeKind(kind)) {
        const int32_t maximum = o->param(gaugeMaxIndex(kind));
        int64_t v = value;
        if (value < 0) {
            hitBound = underflow(o, kind, maximum, v);
            value = static_cast<int32_t>(v);
        } else if (value > maximum) {
            if (kind != 1) {
                value = maximum;
                hitBound = true;
            } else {
                o->setParam(20, o->param(20) + 1);
                value = 0;
                Game::hudGauges.s_gaugeOverflow = 1;
            }
        }
        o->setParam(gaugeIndex(kind), value);
    }
    refreshGaugeDisplay();
    return hitBound;
}

void CObject::refreshGaugeDisplay() {
    HudGaugeStatics& hud = Game::hudGauges;
    if (hud.s_gaugeTimer >= 0) Game::restartTimer(hud.s_gaugeTimer);
    if (hud.s_gaugeTarget == -1) {
        hud.s_gaugeFillStep = 128;
        hud.s_hudPanelX = hud.s_hudPanelHomeX;
    }
}

// ---- Refill schedules ----

void CObject::stepRefillSchedule() {
    Statics& s = statics;
    CObject* player = Game::objects.s_player;
    for (int32_t kind = 0; kind < 3; ++kind) {
        if (isNull(player) || !player->isGaugeFull(kind)) continue;
        JArray::setInt(s.s_cyclicCounters, kind, 0);
        auto* slots = static_cast<ByteArray*>(JArray::getRef(s.s_cyclicTables, kind));
        for (int32_t i = 0; i < kScheduleSlots; ++i) JArray::setByte(slots, i, 0);
    }
    if (!Game::isTimerElapsed(s.s_refillTimer, 500)) return;
    for (int32_t kind = 0; kind < 3; ++kind) {
        auto* slots = static_cast<ByteArray*>(JArray::getRef(s.s_cyclicTables, kind));
        const int32_t counter = JArray::getInt(s.s_cyclicCounters, kind) + JArray::getByte(slots, s.s_cyclicPosition);
        JArray::setInt(s.s_cyclicCounters, kind, counter);
        if (counter > 0) Game::addToCounter(kind, counter);
        JArray::setByte(slots, s.s_cyclicPosition, 0);
    }
    s.s_cyclicPosition = (s.s_cyclicPosition + 1) % kScheduleSlots;
}

void CObject::startRefillDisplay(CObject* o) {
    const int32_t which = o->param(0);
    if (which != 0 && which != 1) return;
    CObject* player = Game::objects.s_player;
    if (isNull(player) || isNull(o->m_sprite)) return;
    const int32_t kind = which == 0 ? 0 : 2;
    const int32_t value = player->getGaugeValue(kind);
    const int32_t divisor = (player->getGaugeMax(kind) - value) >> 14;
    // A full (or overfull) gauge has nothing to show and no rate to divide by.
    if (divisor <= 0) return;
    const int64_t duration = static_cast<int64_t>(o->m_sprite->getAnimDuration()) * 1000 / 16;
    Statics& s = statics;
    s.s_refillDisplayKind = kind;
    s.s_refillDisplayStart = value;
    s.s_refillDisplayRate = static_cast<int32_t>((duration << 14) / divisor);
    if (s.s_refillDisplayTimer >= 0) Game::restartTimer(s.s_refillDisplayTimer);
}

int32_t Game::scanCyclicTableForLimit(int32_t kind, int32_t delta) {
    const CObject::Statics& s = CObject::statics;
    // No schedule exists for another kind: nothing to spend.
    if (!isGaugeKind(kind)) return s.s_cyclicPosition;
    const int32_t limit = kind == 0 ? 40 : 20;
    auto* slots = static_cast<ByteArray*>(JArray::getRef(s.s_cyclicTables, kind));
    int32_t sum = JArray::getInt(s.s_cyclicCounters, kind) + delta;
    int32_t slot = s.s_cyclicPosition;
    for (int32_t i = 0; i < kScheduleSlots; ++i) {
        slot = (s.s_cyclicPosition + i) % kScheduleSlots;
        sum += JArray::getByte(slots, slot);
        if (sum <= limit) break;
    }
    return slot;
}

// ---- Power values and placement keys ----

int32_t CObject::getTypeProperty(CObject* o) {
    switch (o->m_type) {
        case 0: return o->param(3);
        case 1: return o->param(13);
        case 3: return o->param(6);
        case 5: return Game::getPackedShort(o->param(3), 3);
        default: return 0;
    }
}

int32_t Game::objectDepthKey(CObject* o) {
    if (o->m_type == 87 && o->param(10) == 5) return 0;
    ASpriteInstance* s = o->m_sprite;
    return isNull(s) ? 0 : (s->y >> 14) * 256 + (s->x >> 14);
}

// ---- Timers an object owns ----

void CObject::releaseTimers() {
    for (int32_t i : {28, 29, 35, 47}) {
        if (!hasParam(this, i) || param(i) < 0) continue;
        Game::stopTimer(param(i));
        setParam(i, -1);
    }
    if (!hasParam(this, 48) || param(48) < 0) return;
    GameObjectStatics& w = Game::objects;
    if (!isNull(w.s_routeLength) && param(48) < w.s_routeLength->length) {
        JArray::setByte(w.s_routeLength, param(48), 0);
        ++w.s_freeRoutes;
    }
    setParam(48, -1);
}

void CObject::clearSlot() {
    int32_t& timer = Game::objects.s_levelTimer;
    if (timer < 0) return;
    Game::stopTimer(timer);
    timer = -1;
}

bool CObject::isLevelTimerElapsed(int32_t ms) { return Game::isTimerElapsed(Game::objects.s_levelTimer, ms); }

int32_t CObject::getLevelTimerElapsed() {
    const int32_t timer = Game::objects.s_levelTimer;
    return timer < 0 ? -1 : Game::getTimerElapsed(timer);
}

bool CObject::releaseEmitterUnlessLanding(CObject* o) {
    if (o->isPlatformOnScreen()) return true;
    if (o->param(7) >= 0) {
        Game::clearEntry(o->param(7));
        o->setParam(7, -1);
    }
    return false;
}
