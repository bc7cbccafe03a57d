#include <gtest/gtest.h>

#include <thread>

#include "platform/media/sound_player_wave.h"
#include "tests/platform/media/media_fixture.h"

namespace mrc::test {
namespace {

// The WAVE sound lasts 0.1 s: 4410 output frames.
constexpr uint32_t kSoundFrames = kOutputRate / 10;

class WavePlayerTest : public MediaTest {
protected:
    SoundPlayerWAVE* newPlayer(const std::vector<uint8_t>& bytes = waveSound()) {
        return static_cast<SoundPlayerWAVE*>(createPlayer(bytes, "audio/x-wav"));
    }
    // Pumps in 10 ms steps while the player stays started; the frames pumped until it stopped
    // (0 when it still plays after `limit`), and the mix.
    static uint32_t framesUntilEnd(javax_microedition_media_Player* p, uint32_t limit,
                                   std::vector<int16_t>* mixed = nullptr) {
        for (uint32_t pumped = 0; pumped < limit;) {
            std::vector<int16_t> part = pump(kTenMs);
            if (mixed) mixed->insert(mixed->end(), part.begin(), part.end());
            pumped += kTenMs;
            if (p->getState() != 400) return pumped;
        }
        return 0;
    }
    static uint32_t deviceVolume() {
        uint32_t word = 0;
        host::waveOutGetVolume(host::kWaveOutDevice0, &word);
        return word;
    }
};

}  // namespace

TEST_F(WavePlayerTest, StatesFromNewToClosedWithTheirExceptions) {
    SoundPlayerWAVE* w = newPlayer();
    javax_microedition_media_Player* p = player(w);
    EXPECT_EQ(p->getState(), 100);
    EXPECT_EQ(p->getContentType(), nullptr);
    EXPECT_EQ(takePending(), kClass_java_lang_IllegalStateException);
    EXPECT_EQ(p->getDuration(), 0);  // allowed before realize
    EXPECT_EQ(takePending(), 0);

    p->realize();
    EXPECT_EQ(p->getState(), 200);
    EXPECT_EQ(p->getContentType()->toStdString(), "audio/x-wav");
    // 4454 bytes at (22050 / 1000) × 16 / 8 = 44 bytes a millisecond.
    EXPECT_EQ(p->getDuration(), 101000);
    EXPECT_EQ(w->waveFormat().samplesPerSec, 22050u);
    EXPECT_EQ(w->pcmDataLength(), 4410u);
    p->prefetch();
    EXPECT_EQ(p->getState(), 300);
    p->deallocate();
    EXPECT_EQ(p->getState(), 200);
    p->start();  // prefetches on the way
    EXPECT_EQ(p->getState(), 400);
    p->stop();
    EXPECT_EQ(p->getState(), 300);

    p->close();
    EXPECT_EQ(p->getState(), 0);
    EXPECT_EQ(w->device(), 0u);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(p->getDuration(), 0);
        EXPECT_EQ(takePending(), kClass_java_lang_IllegalStateException);
        EXPECT_EQ(p->getMediaTime(), 0);
        EXPECT_EQ(takePending(), kClass_java_lang_IllegalStateException);
        p->close();  // a closed player stays as it is
        p->start();
        EXPECT_EQ(p->getState(), 0);
    }
}

TEST_F(WavePlayerTest, PlaysToItsEndThenBackTo300AndAgainOnTheNextStart) {
    javax_microedition_media_Player* p = player(newPlayer());
    p->start();
    for (int round = 0; round < 2; ++round) {
        std::vector<int16_t> mixed;
        uint32_t frames = framesUntilEnd(p, kSoundFrames * 4, &mixed);
        EXPECT_NEAR(double(frames), double(kSoundFrames), double(kTenMs)) << round;
        EXPECT_EQ(p->getState(), 300);
        EXPECT_GT(rms(mixed, 0, kSoundFrames - kTenMs), 5000.0) << round;
        EXPECT_EQ(rms(mixed, kSoundFrames + kTenMs, mixed.size() / 2), 0.0) << round;
        p->start();
    }
}

TEST_F(WavePlayerTest, LoopCountsSetBeforeTheFirstRealize) {
    struct Case {
        int32_t count;
        bool realizeFirst;
        uint32_t plays;  // 0: still playing after twenty
    } cases[] = {{0, false, 1}, {1, false, 1}, {3, false, 3}, {-1, false, 0}, {3, true, 1}};
    for (const Case& c : cases) {
        javax_microedition_media_Player* p = player(newPlayer());
        if (c.realizeFirst) p->realize();
        p->setLoopCount(c.count);
        p->start();
        uint32_t frames = framesUntilEnd(p, kSoundFrames * 20);
        if (c.plays == 0) {
            EXPECT_EQ(frames, 0u) << c.count;
            EXPECT_EQ(p->getState(), 400);
            p->stop();
            EXPECT_EQ(p->getState(), 300);
            EXPECT_EQ(rms(pump(kTenMs)), 0.0);
        } else {
            EXPECT_NEAR(double(frames), double(c.plays * kSoundFrames), double(kTenMs))
                << c.count << (c.realizeFirst ? " after realize" : "");
        }
        p->close();
    }
}

TEST_F(WavePlayerTest, AMutedStartPlaysNothingAndStaysAt300) {
    SoundPlayerWAVE* w = newPlayer();
    javax_microedition_media_Player* p = player(w);
    w->setMute(true);
    EXPECT_TRUE(w->isMuted());
    p->start();
    EXPECT_EQ(p->getState(), 300);
    EXPECT_EQ(rms(pump(kSoundFrames)), 0.0);
    w->setMute(false);
    p->start();
    EXPECT_EQ(p->getState(), 400);
    EXPECT_GT(rms(pump(kSoundFrames / 2)), 5000.0);
}

TEST_F(WavePlayerTest, LevelsAreClampedAndSetTheDeviceVolume) {
    SoundPlayerWAVE* w = newPlayer();
    EXPECT_EQ(w->setLevel(70), 100);  // no device yet: only stored
    EXPECT_EQ(deviceVolume(), 0xFFFFFFFFu);
    host::waveOutSetVolume(host::kWaveOutDevice0, 0x8000);
    player(w)->prefetch();  // takes the level from the device
    EXPECT_EQ(w->getLevel(), 50);
    struct Case {
        int32_t level, stored;
    } cases[] = {{150, 100}, {-5, 0}, {40, 40}, {100, 100}, {0, 0}};
    int32_t previous = 50;
    for (const Case& c : cases) {
        EXPECT_EQ(w->setLevel(c.level), previous) << c.level;
        EXPECT_EQ(w->getLevel(), c.stored);
        EXPECT_EQ(deviceVolume(), uint32_t(c.stored) * 65535 / 100) << c.level;  // high half 0
        previous = c.stored;
    }
}

TEST_F(WavePlayerTest, CloseGivesBackOnlyAVolumeItSaved) {
    host::waveOutSetVolume(host::kWaveOutDevice0, 0xC000C000u);
    SoundPlayerWAVE* prefetched = newPlayer();
    player(prefetched)->prefetch();
    prefetched->setLevel(10);
    player(prefetched)->close();
    EXPECT_EQ(deviceVolume(), 0xC000C000u);

    SoundPlayerWAVE* realized = newPlayer();
    player(realized)->realize();  // saves nothing
    realized->setLevel(10);
    player(realized)->close();
    EXPECT_EQ(deviceVolume(), 6553u);  // left as set, not a volume of 0
}

TEST_F(WavePlayerTest, RatesAreClampedToHalfAndDoubleSpeed) {
    SoundPlayerWAVE* w = newPlayer();
    EXPECT_EQ(w->setRate(100000), -1);  // no device before realize
    EXPECT_EQ(w->getRate(), -1);
    player(w)->realize();
    EXPECT_EQ(w->getMinRate(), 50000);
    EXPECT_EQ(w->getMaxRate(), 200000);
    struct Case {
        int32_t asked, set;
    } cases[] = {{10000, 50000}, {300000, 200000}, {150000, 150000}, {100000, 100000}, {-1, -1}};
    for (const Case& c : cases) {
        EXPECT_EQ(w->setRate(c.asked), c.set) << c.asked;
        if (c.set > 0) {
            EXPECT_EQ(w->getRate(), c.set);
        }
    }
    EXPECT_EQ(w->setTempo(200000), 200000);
    EXPECT_EQ(w->getTempo(), 200000);
    player(w)->start();  // twice the speed: half the time
    EXPECT_NEAR(double(framesUntilEnd(player(w), kSoundFrames * 2)), double(kSoundFrames / 2), double(kTenMs));
}

TEST_F(WavePlayerTest, DataThatIsNoWaveSoundStaysUnrealized) {
    std::vector<uint8_t> good = waveSound();
    std::vector<uint8_t> noPcm = formats::waveFile({}, 1, 22050);
    std::vector<uint8_t> riffx = good;
    riffx[3] = 'X';
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        const char* logged;
    } cases[] = {
        {"shorter than a header", {'R', 'I', 'F', 'F', 0, 0, 0, 0}, nullptr},
        {"header cut by one byte", std::vector<uint8_t>(good.begin(), good.begin() + 43), nullptr},
        {"not RIFF", riffx, nullptr},
        {"no PCM", noPcm, "SoundPlayerWAVE::realize(): readSoundFilePcmData returned -1.\n"},
    };
    for (const Case& c : cases) {
        log.clear();
        javax_microedition_media_Player* p = player(createPlayer(c.bytes, "audio/x-wav"));
        ASSERT_NE(p, nullptr) << c.name;
        p->start();
        EXPECT_EQ(p->getState(), 100) << c.name;
        p->prefetch();
        EXPECT_EQ(p->getState(), 100) << c.name;
        if (c.logged) {
            EXPECT_TRUE(log.contains(c.logged)) << c.name;
        }
        p->close();
    }
}

TEST_F(WavePlayerTest, ADataLengthPastTheDataPlaysOnlyTheDataThere) {
    SoundPlayerWAVE* w = newPlayer(formats::waveFile(formats::monoTone(440, 22050, 2205, 12000), 1, 22050, 0x7FFFFFF0));
    javax_microedition_media_Player* p = player(w);
    p->realize();
    EXPECT_EQ(p->getState(), 200);
    EXPECT_EQ(w->pcmDataLength(), 4410u);
    p->start();
    EXPECT_NEAR(double(framesUntilEnd(p, kSoundFrames * 3)), double(kSoundFrames), double(kTenMs));
}

TEST_F(WavePlayerTest, MediaTimeFollowsTheDeviceAndSetMediaTimeOnlyRestarts) {
    javax_microedition_media_Player* p = player(newPlayer());
    p->start();
    pump(kSoundFrames / 2);
    EXPECT_NEAR(double(p->getMediaTime()), 50000.0, 1000.0);
    EXPECT_EQ(p->setMediaTime(0), 0);
    EXPECT_EQ(p->setMediaTime(20000), 20000);
    EXPECT_TRUE(log.contains("WARNING: setMediaTime(long64 now) not implemented for now > 0\n"));
    EXPECT_NEAR(double(p->getMediaTime()), 50000.0, 1000.0);
}

// Past 2^31 microseconds (36 minutes of looping) the media time keeps counting.
TEST_F(WavePlayerTest, MediaTimeIsNotCutToThirtyTwoBits) {
    host::audioShutdown();
    ASSERT_EQ(host::audioInit(host::AudioBackend::Headless, {8000, false, 0}), host::AudioBackend::Headless);
    SoundPlayerWAVE* w = static_cast<SoundPlayerWAVE*>(
        createPlayer(formats::waveFile(formats::monoTone(440, 8000, 8000, 12000), 1, 8000), "audio/x-wav"));
    javax_microedition_media_Player* p = player(w);
    p->setLoopCount(-1);
    p->realize();
    w->setRate(200000);
    p->start();
    for (int minute = 0; minute < 20; ++minute) host::audioPump(8000 * 60);  // 40 minutes of sound
    EXPECT_NEAR(double(p->getMediaTime()), 40.0 * 60 * 1000000, 1000000.0);
}

TEST_F(WavePlayerTest, PlayersAreClosedWhenTheCollectorFreesThem) {
    std::vector<host::WaveOutHandle> devices;
    std::thread([&] {  // made off the scanned stacks: nothing refers to them afterwards
        for (int i = 0; i < 8; ++i) {
            SoundPlayerWAVE* w = newPlayer();
            player(w)->start();
            devices.push_back(w->device());
        }
    }).join();
    scrubStack();
    om()->gc(kGcForced);
    int closed = 0;
    for (host::WaveOutHandle device : devices) {
        host::WaveTime time;
        if (host::waveOutPosition(device, &time) == host::WaveResult::InvalidHandle) ++closed;
    }
    EXPECT_GE(closed, 6);  // a stale word on the scanned stack may keep one or two
}

}  // namespace mrc::test
