// The per-frame step of one particle emitter: its life runs down, its particles move with the
// gravity and drag of its kind, it emits at its kind's interval while alive, and a stopped emitter
// whose particles are all gone gives its slot back.
#include <algorithm>

#include "game/flow/game.h"
#include "game/flow/particle_statics.h"
#include "runtime/core/arrays.h"
#include "runtime/core/jarith.h"
#include "runtime/core/static_class.h"

using mrc::jadd;
using mrc::jdiv;
using mrc::jmul;
using mrc::jsub;

ParticleStatics Game::particles;

namespace {

// Emitter record fields and the particle record's.
enum : int32_t { kClock = 2, kLife = 3, kKind = 5 };
enum : int32_t { kX, kY, kVx, kVy, kAx, kAy, kParticleLife };
// Emitter kind fields.
enum : int32_t { kGravity = 2, kDrag = 3, kInterval = 7 };

int32_t kindValue(JArray* kind, int32_t i) {
    return kind != nullptr && i < kind->length ? JArray::getShort(kind, i) : 0;
}

// Moves the live particles among the emitter's first slots; answers how many it stepped.
int32_t stepParticles(int32_t emitter, JArray* kind, int32_t dt) {
    ParticleStatics& p = Game::particles;
    const int32_t gravityStep = jdiv(jmul(kindValue(kind, kGravity), dt), 1000);
    const int32_t dragStep = jdiv(jmul(kindValue(kind, kDrag), dt), 1000);
    const int32_t limit = std::min(std::max(p.s_particleSlotLimit, 0), Game::kParticleSlots);
    const int32_t first = emitter * Game::kParticleSlots;
    int32_t stepped = 0;
    for (int32_t i = first; i < first + limit; ++i) {
        JArray* r = mrc::elementOrNull<JArray>(p.s_particles, i);
        if (r == nullptr || r->length <= kParticleLife || r->elementSize() != 4) continue;
        int32_t* v = mrc::arrayElements<int32_t>(r);  // nothing below allocates
        if (v[kParticleLife] < 0) continue;
        v[kParticleLife] = jsub(v[kParticleLife], dt);
        v[kX] = jadd(v[kX], jmul(v[kVx], dt));
        v[kY] = jadd(v[kY], jmul(v[kVy], dt));
        v[kVy] = jadd(v[kVy], gravityStep);
        // Drag slows a particle down to a standstill, never past it.
        if (v[kVx] > 0) v[kVx] = std::max(jsub(v[kVx], dragStep), 0);
        else if (v[kVx] < 0) v[kVx] = std::min(jadd(v[kVx], dragStep), 0);
        v[kVy] = jadd(v[kVy], v[kAy]);
        v[kVx] = jadd(v[kVx], v[kAx]);
        ++stepped;
    }
    p.s_liveParticleCount += stepped;
    return stepped;
}

}  // namespace

void Game::updateParticleEmitter(int32_t n) {
    JArray* e = mrc::elementOrNull<JArray>(objects.s_slotRecords, n);
    if (e == nullptr || e->length <= kKind) return;
    const auto dt = static_cast<int32_t>(stateStatics.frameTime);
    JArray* kind = mrc::elementOrNull<JArray>(particles.s_emitterKinds, JArray::getInt(e, kKind));

    if (JArray::getInt(e, kLife) > 0) JArray::setInt(e, kLife, std::max(JArray::getInt(e, kLife) - dt, 0));
    const int32_t stepped = stepParticles(n, kind, dt);

    if (JArray::getInt(e, kLife) != 0) {
        // A kind the level data never defined has no interval: such an emitter never emits.
        if (kind == nullptr) return;
        const int32_t clock = jadd(JArray::getInt(e, kClock), dt);
        JArray::setInt(e, kClock, clock);
        if (clock >= kindValue(kind, kInterval)) {
            JArray::setInt(e, kClock, 0);
            emitParticles(n);
        }
    } else if (stepped == 0) {
        freeSlotRecord(n);
    }
}

namespace mrc {

void registerParticleStatics() {
    StaticClass::registerStatics("Game.particles", &Game::particles);
}

}  // namespace mrc
