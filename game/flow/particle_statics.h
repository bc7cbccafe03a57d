// The particle tables: the particles of every emitter (150 slots each), the emitter kinds and the
// particle types the level data fill, and the per-frame slot limit and live count. The emitter
// records themselves are the objects' `s_slotRecords`.
#pragma once

#include <cstdint>

#include "runtime/core/object.h"

class ObjectArray;

struct ParticleStatics {
    // int[10] per particle: x, y (14-bit fixed point), vx, vy (per ms), ax, ay (added each step),
    // life in ms (negative: free), animation, age, ms per animation frame. Emitter e owns slots
    // 150 e to 150 e + 149.
    ObjectArray* s_particles = nullptr;
    // short[] per emitter kind: [1] angle range, [2] gravity, [3] horizontal drag, [4] launch speed,
    // [6] particles per emission, [7] emission interval in ms, [8] live-slot limit.
    ObjectArray* s_emitterKinds = nullptr;
    ObjectArray* s_particleTypes = nullptr;  // short[] per particle graphic
    int32_t s_particleSlotLimit = 150;  // slots of each emitter stepped and painted, at most 150
    int32_t s_liveParticleCount = 0;    // particles stepped (or painted) this frame
    MRC_REF_FIELDS(&ParticleStatics::s_particles, &ParticleStatics::s_emitterKinds,
                   &ParticleStatics::s_particleTypes);
};

namespace mrc {
// Registers the block with StaticClass (again: no change).
void registerParticleStatics();
}  // namespace mrc
