#include <gtest/gtest.h>

#include "framework/config/qxlib_config.h"
#include "framework/sound/sound_channels.h"
#include "runtime/core/synchronized.h"
#include "runtime/lang/thread.h"
#include "tests/framework/sound/sound_fixture.h"

namespace {

using Player = javax_microedition_media_Player;
using Q = QXLibPlayer;

class SoundChannels : public mrc::test::SoundTest {
protected:
    void SetUp() override {
        SoundTest::SetUp();
        QXLibConfig::clinit();
        Q::statics = Q::Statics{};
        Q::clinit();
    }
    void TearDown() override {
        Q::statics = Q::Statics{};
        SoundTest::TearDown();
    }
    // Channels working over sound 0 (WAVE) and sound 1 (Ogg).
    static void bringToLife() {
        ASSERT_TRUE(Q::initialise(2));
        Q::statics.soundData->elements()[0] = byteArray(mrc::test::waveSound());
        Q::statics.soundData->elements()[1] = byteArray(mrc::test::oggSound());
        Q::statics.soundTypeText->elements()[1] = 2;
    }
    static std::vector<std::vector<int32_t>> queued(int32_t channel) {
        std::vector<std::vector<int32_t>> out;
        int32_t head = Q::statics.queueHead->elements()[channel];
        for (int32_t i = 0; i < Q::statics.queueCount->elements()[channel]; ++i) {
            const int32_t* cmd = Q::statics.commandQueue->elements() + Q::slotBase(channel, Q::ringIndex(head + i));
            out.emplace_back(cmd, cmd + Q::kCommandInts);
        }
        return out;
    }
    static Player* playerOn(int32_t channel) {
        return mrc::media::playerOf(Q::statics.players->elements()[channel]);
    }
};

TEST_F(SoundChannels, TheShippedLayerIsDormant) {
    EXPECT_EQ(Q::statics.ticksPerSecond, 40);
    EXPECT_EQ(Q::statics.channelCount, 2);
    EXPECT_EQ(Q::statics.tickLimit, 4);
    EXPECT_FALSE(Q::statics.initialised);
    Q::sndQueueCommand(0, Q::Play, 0, 1, 0, 0);
    Q::sndStopChannel(1);
    Q::stopAllSoundChannels(true);
    Q::stopAllSoundChannels(false);
    Q::sndTick(true);
    Q::sndUpdate();
    EXPECT_TRUE(isNull(Q::statics.commandQueue));
    EXPECT_EQ(Q::getChannel(0), -1);
    EXPECT_FALSE(Q::isSoundPlaying(0));
}

TEST_F(SoundChannels, TheChannelThreadDrainsTheRingsWhenSwitchedOn) {
    ASSERT_NE(QXLibConfig::statics.SOUND_THREADED, 0);
    bringToLife();
    Q::stopCurrentPlayer();  // as configured: no thread, nothing to start, nothing drained
    EXPECT_TRUE(isNull(Q::statics.soundThread));

    ASSERT_TRUE(Q::createSoundThread());
    auto* thread = static_cast<java_lang_Thread*>(Q::statics.soundThread);
    EXPECT_FALSE(java_lang_Thread::isAlive(thread));
    // Reads of the channels share the rings' lock with the thread.
    auto stateOf = [&](int32_t channel) {
        mrc::Synchronized lock(thread->target);
        return std::pair{Q::statics.channelState->elements()[channel], Q::statics.queueCount->elements()[channel]};
    };
    auto waitFor = [&](int32_t channel, int32_t state) {
        for (int i = 0; i < 20000 && stateOf(channel) != std::pair{state, 0}; ++i) java_lang_Thread::sleep(1);
        return stateOf(channel);
    };

    Q::sndQueueCommand(0, Q::Play, 1, 1, 3, 4);  // the Ogg sound
    Q::stopCurrentPlayer();                        // starts the thread, which drains the ring
    EXPECT_TRUE(java_lang_Thread::isAlive(thread));
    EXPECT_EQ(waitFor(0, Q::Playing), (std::pair{int32_t(Q::Playing), 0}));
    {
        mrc::Synchronized lock(thread->target);
        EXPECT_EQ(Q::getChannel(0), 1);
        ASSERT_NE(playerOn(0), nullptr);
        EXPECT_EQ(playerOn(0)->getState(), Player::STARTED);
    }
    Q::stopAllSoundChannels(false);  // queued only: the thread stops the player
    EXPECT_EQ(waitFor(0, Q::Idle), (std::pair{int32_t(Q::Idle), 0}));
    Q::stopCurrentPlayer();  // alive: not started twice
    EXPECT_TRUE(java_lang_Thread::isAlive(thread));

    EXPECT_EQ(Q::endSoundThread(), thread);
    thread->join();
    EXPECT_FALSE(java_lang_Thread::isAlive(thread));
    EXPECT_EQ(playerOn(0)->getState(), Player::PREFETCHED);
}

TEST_F(SoundChannels, RingIndicesAndSlots) {
    for (auto [i, r] : {std::pair{0, 0}, {6, 6}, {7, 0}, {15, 1}, {-1, 6}, {-8, 6}}) EXPECT_EQ(Q::ringIndex(i), r) << i;
    EXPECT_EQ(Q::slotBase(0, 0), 0);
    EXPECT_EQ(Q::slotBase(1, 2), 45);
}

TEST_F(SoundChannels, ARepeatedCommandCancelsTheWaitingOneUnlessOfLowerPriority) {
    bringToLife();
    Q::sndQueueCommand(0, Q::Play, 0, 5, 0, 0);
    Q::sndQueueCommand(0, Q::Stop, -1, -1, -1, -1);
    Q::sndQueueCommand(0, Q::Play, 1, 5, 0, 0);  // same priority: the first play is cancelled
    Q::sndQueueCommand(0, Q::Stop, -1, -1, -1, -1);
    Q::sndQueueCommand(0, Q::Play, 0, 9, 0, 0);  // higher: the waiting play of priority 5 stays
    std::vector<std::vector<int32_t>> expected = {
        {0, 0, 5, 0, 0}, {0, -1, -1, -1, -1}, {3, 1, 5, 0, 0}, {4, -1, -1, -1, -1}, {3, 0, 9, 0, 0}};
    EXPECT_EQ(queued(0), expected);
    EXPECT_TRUE(queued(1).empty());
}

TEST_F(SoundChannels, AFullRingDropsTheNewCommand) {
    bringToLife();
    for (int32_t i = 0; i < 3; ++i) {  // the ring wraps while it is drained
        Q::sndQueue(1, Q::Pause);
        Q::advanceQueue(1);
    }
    for (int32_t i = 0; i < Q::kRingSize; ++i) Q::sndQueueCommand(1, Q::Play, i, i, 0, 0);  // rising priorities: none cancels another
    log.clear();
    Q::sndQueueCommand(1, Q::Play, 99, 100, 0, 0);
    EXPECT_TRUE(log.contains("queue full"));
    std::vector<std::vector<int32_t>> q = queued(1);
    ASSERT_EQ(q.size(), 7u);
    for (int32_t i = 0; i < 7; ++i) EXPECT_EQ(q[std::size_t(i)], (std::vector<int32_t>{3, i, i, 0, 0}));
    EXPECT_EQ(Q::getQueuedCommand(1, 1), 0);
}

TEST_F(SoundChannels, DrainedCommandsDriveRealPlayers) {
    bringToLife();
    Q::sndQueueCommand(0, Q::Play, 1, 1, 3, 4);  // the Ogg sound
    Q::stopCurrentPlayer();                        // threaded: nothing drains here
    EXPECT_EQ(Q::statics.queueCount->elements()[0], 1);
    Q::sndTick(true);
    ASSERT_NE(playerOn(0), nullptr);
    EXPECT_EQ(Q::getChannel(0), 1);
    EXPECT_EQ(Q::statics.channelState->elements()[0], Q::Playing);
    EXPECT_TRUE(Q::isSoundPlaying(0));
    EXPECT_GT(mrc::test::rms(pump(mrc::test::kTenMs * 5)), 100.0);

    Q::sndQueue(0, Q::Pause);
    Q::sndUpdate();
    EXPECT_EQ(Q::statics.channelState->elements()[0], Q::Paused);
    EXPECT_EQ(playerOn(0)->getState(), Player::PREFETCHED);
    Q::sndQueue(0, Q::Resume);
    Q::sndUpdate();
    EXPECT_EQ(playerOn(0)->getState(), Player::STARTED);

    Q::stopAllSoundChannels(true);  // the pause path, now with a live layer
    EXPECT_EQ(playerOn(0)->getState(), Player::PREFETCHED);
    EXPECT_EQ(Q::statics.channelState->elements()[0], Q::Idle);
    Q::sndQueue(0, Q::Release);
    Q::sndUpdate();
    EXPECT_EQ(playerOn(0), nullptr);

    // A pause on a channel that does not play is refused with an assertion.
    log.clear();
    Q::sndQueue(1, Q::Pause);
    Q::sndUpdate();
    EXPECT_TRUE(log.contains("assertion failed"));
}

}  // namespace
