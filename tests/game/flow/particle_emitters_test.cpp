// The per-frame emitter step: particle motion with the kind's gravity and drag, emissions at the
// kind's interval while the emitter lives, and the release once its last particle is gone.
#include <gtest/gtest.h>

#include <vector>

#include "game/flow/particle_statics.h"
#include "game/objects/cobject.h"
#include "tests/game/game_fixture.h"

namespace mrc::test {
namespace {

class ParticleEmittersTest : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        GameObjectStatics& g = Game::objects;
        g.s_slotRecords = om()->newObjectArray(kClass_IntArray, 2);
        g.s_slotOwners = om()->newObjectArray(kClass_CObject, 2);
        g.s_emitterPool = om()->newObjectArray(kClass_CObject, 2);
        for (int32_t i = 0; i < 2; ++i) g.s_slotRecords->elements()[i] = om()->newIntArray(14);
        ParticleStatics& p = Game::particles;
        p.s_particles = om()->newObjectArray(kClass_IntArray, 2 * Game::kParticleSlots);
        for (int32_t i = 0; i < 2 * Game::kParticleSlots; ++i) {
            IntArray* r = om()->newIntArray(10);
            r->elements()[6] = -1;
            p.s_particles->elements()[i] = r;
        }
        p.s_emitterKinds = om()->newObjectArray(kClass_ShortArray, 1);
        ShortArray* kind = om()->newShortArray(9);
        kind->elements()[2] = 3000;  // gravity
        kind->elements()[3] = 500;   // drag
        kind->elements()[7] = 40;    // interval
        p.s_emitterKinds->elements()[0] = kind;
        p.s_particleSlotLimit = Game::kParticleSlots;
        p.s_liveParticleCount = 0;
        st.frameTime = 16;
    }
    static int32_t* emitter(int32_t n) {
        return static_cast<IntArray*>(Game::objects.s_slotRecords->elements()[n])->elements();
    }
    static int32_t* particle(int32_t i) {
        return static_cast<IntArray*>(Game::particles.s_particles->elements()[i])->elements();
    }
    static void launch(int32_t i, std::vector<int32_t> values) {
        for (std::size_t k = 0; k < values.size(); ++k) particle(i)[k] = values[k];
    }
};

TEST_F(ParticleEmittersTest, ParticlesMoveWithTheKindsGravityAndDragThenTheirOwnIncrements) {
    emitter(1)[4] = 1;
    // x, y, vx, vy, ax, ay, life
    launch(150, {0, 0, 100, -20, 1, 2, 30});
    launch(151, {0, 0, -5, 0, 0, 0, 0});   // life exactly 0: still stepped once
    launch(152, {0, 0, 3, 0, 0, 0, -1});   // free
    launch(299, {0, 0, 0, 0, 0, 0, 100});  // outside the slot limit below
    Game::particles.s_particleSlotLimit = 149;

    Game::updateParticleEmitter(1);
    // gravity 3000 * 16 / 1000 = 48; drag 500 * 16 / 1000 = 8
    EXPECT_EQ((std::vector<int32_t>(particle(150), particle(150) + 7)),
              (std::vector<int32_t>{1600, -320, 100 - 8 + 1, -20 + 48 + 2, 1, 2, 14}));
    EXPECT_EQ(particle(151)[2], 0) << "drag stops at a standstill";
    EXPECT_EQ(particle(151)[6], -16);
    EXPECT_EQ(particle(152)[0], 0);
    EXPECT_EQ(particle(299)[6], 100);
    EXPECT_EQ(Game::particles.s_liveParticleCount, 2);

    // Odd frame lengths truncate toward zero, for negative gravity too.
    static_cast<ShortArray*>(Game::particles.s_emitterKinds->elements()[0])->elements()[2] = -1999;
    launch(150, {0, 0, 0, 0, 0, 0, 50});
    st.frameTime = 1;
    Game::updateParticleEmitter(1);
    EXPECT_EQ(particle(150)[3], -1);
}

TEST_F(ParticleEmittersTest, AnEndedEmitterStepsItsParticlesAndIsReleasedWhenNoneIsLeft) {
    int32_t* e = emitter(0);
    e[3] = 40;  // life
    e[4] = 1;   // in use
    launch(0, {0, 0, 0, 0, 0, 0, 60});

    Game::updateParticleEmitter(0);  // clock 16
    Game::updateParticleEmitter(0);  // 32
    EXPECT_EQ(count("Game::emitParticles"), 0);
    Game::updateParticleEmitter(0);  // life 40 - 48 -> 0: the emitter stops before its clock reaches 40
    EXPECT_EQ(e[3], 0);
    EXPECT_EQ(e[2], 32);
    EXPECT_EQ(count("Game::emitParticles"), 0);

    Game::updateParticleEmitter(0);  // particle life 60 - 64 = -4, but it was stepped this frame
    EXPECT_EQ(e[4], 1);
    Game::updateParticleEmitter(0);  // nothing stepped: released
    EXPECT_EQ(e[4], 0);
}

TEST_F(ParticleEmittersTest, EmitsWheneverItsClockReachesTheInterval) {
    int32_t* e = emitter(0);
    e[3] = 1000;
    e[4] = 1;
    for (int i = 0; i < 5; ++i) Game::updateParticleEmitter(0);  // 16, 32, 48 -> 0, 16, 32
    EXPECT_EQ(count("Game::emitParticles"), 1);
    EXPECT_EQ(e[2], 32);
    EXPECT_EQ(e[3], 1000 - 5 * 16);
    EXPECT_EQ(e[4], 1) << "a living emitter is kept without particles";
}

TEST_F(ParticleEmittersTest, OutsideTheTableOrWithoutAKindNothingBreaks) {
    Game::updateParticleEmitter(-1);
    Game::updateParticleEmitter(2);
    int32_t* e = emitter(0);
    e[3] = 100;
    e[4] = 1;
    e[5] = 7;  // no such kind: particles move without gravity or drag, and nothing is emitted
    launch(0, {0, 0, 4, 4, 0, 0, 10});
    for (int i = 0; i < 4; ++i) Game::updateParticleEmitter(0);
    EXPECT_EQ(particle(0)[2], 4);
    EXPECT_EQ(particle(0)[3], 4);
    EXPECT_EQ(count("Game::emitParticles"), 0);
}

}  // namespace
}  // namespace mrc::test
