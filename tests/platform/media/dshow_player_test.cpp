#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <thread>

#include "platform/media/dshow_player.h"
#include "tests/platform/media/media_fixture.h"

namespace mrc::test {
namespace {

constexpr int64_t kSecond = 1000000;  // microseconds

class DShowPlayerTest : public MediaTest {
protected:
    static DShowPlayer* newPlayer(const std::vector<uint8_t>& bytes = midiSound(), const char* type = "audio/midi") {
        return static_cast<DShowPlayer*>(createPlayer(bytes, type));
    }

    // Waits (bounded) for what another thread does; the bound only ends a hang.
    template <class Condition>
    static bool eventually(Condition condition) {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (!condition()) {
            if (std::chrono::steady_clock::now() > deadline) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return true;
    }

    // Pumps in 10 ms steps up to `frames`. Whenever the song does not play while the loop thread
    // runs (it stands at its end, or the thread has paused and rewound the graph but not run it
    // yet), waits for the thread to play it again: pumps in between would play silence, and how
    // many would depend on when the thread gets the processor. Returns the rewinds, and keeps the
    // mix.
    static int pumpLooping(DShowPlayer* d, uint32_t frames, std::vector<int16_t>* mixed = nullptr) {
        int rewinds = 0;
        for (uint32_t pumped = 0; pumped < frames; pumped += kTenMs) {
            int64_t before = d->getMediaTime();
            std::vector<int16_t> part = pump(kTenMs);
            if (mixed) mixed->insert(mixed->end(), part.begin(), part.end());
            if (d->loopThreadRunning() && d->getState() != 400) {
                if (!eventually([&] { return d->getState() == 400 || !d->loopThreadRunning(); })) return rewinds;
            }
            if (d->getMediaTime() < before) ++rewinds;
        }
        return rewinds;
    }
};

}  // namespace

TEST_F(DShowPlayerTest, AMidiSongPlaysWhileTheGraphRunsAndReportsZeroAfterItsEnd) {
    DShowPlayer* d = newPlayer();
    javax_microedition_media_Player* p = player(d);
    EXPECT_EQ(p->getState(), 0);  // 0 until realized
    EXPECT_EQ(p->getDuration(), 0);
    EXPECT_EQ(p->getMediaTime(), 0);
    EXPECT_EQ(p->getContentType()->toStdString(), "audio/midi");
    p->realize();
    EXPECT_EQ(p->getDuration(), kSecond);
    EXPECT_EQ(p->getState(), 0);  // realized, but the graph does not run
    p->start();
    EXPECT_EQ(p->getState(), 400);
    std::vector<int16_t> first = pump(kOutputRate / 2);
    EXPECT_EQ(p->getState(), 400);
    EXPECT_NEAR(double(p->getMediaTime()), 500000.0, 20000.0);
    EXPECT_GT(rms(first), 300.0);
    pump(kOutputRate / 2 + kTenMs);
    EXPECT_EQ(p->getState(), 0);
    EXPECT_EQ(d->storedState(), 400);
    EXPECT_EQ(p->getMediaTime(), kSecond);

    p->start();  // at the end: rewinds and plays again
    EXPECT_EQ(p->getState(), 400);
    EXPECT_LT(p->getMediaTime(), 20000);
    EXPECT_GT(rms(pump(kOutputRate / 4)), 100.0);
    p->stop();
    EXPECT_EQ(d->storedState(), DShowPlayer::kStopped);
    EXPECT_EQ(p->getState(), 0);
    int64_t kept = p->getMediaTime();
    EXPECT_GT(kept, 200000);  // stop keeps the position
    EXPECT_EQ(rms(pump(kTenMs * 5)), 0.0);
}

TEST_F(DShowPlayerTest, AnAmrSoundPlaysItsToneToTheEnd) {
    DShowPlayer* d = newPlayer(amrSound(), "audio/amr");
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->filePath().extension(), ".amr");
    javax_microedition_media_Player* p = player(d);
    p->start();
    EXPECT_EQ(p->getDuration(), kSecond);
    std::vector<int16_t> mixed = pump(kOutputRate);
    EXPECT_GT(rms(mixed, kOutputRate / 4, kOutputRate * 3 / 4), 3000.0);
    pump(kTenMs);
    EXPECT_EQ(p->getState(), 0);
}

TEST_F(DShowPlayerTest, EndlessLoopingRewindsUntilStopEndsTheLoopThread) {
    DShowPlayer* d = newPlayer();
    javax_microedition_media_Player* p = player(d);
    p->setLoopCount(-1);
    EXPECT_EQ(d->storedState(), 200);  // setLoopCount realizes
    EXPECT_TRUE(d->loopThreadRunning());
    p->start();
    std::vector<int16_t> mixed;
    EXPECT_EQ(pumpLooping(d, kOutputRate * 7 / 2, &mixed), 3);
    EXPECT_EQ(p->getState(), 400);
    EXPECT_GT(rms(mixed, kOutputRate * 3, kOutputRate * 13 / 4), 300.0);  // the fourth round sounds
    p->stop();
    EXPECT_FALSE(d->loopThreadRunning());
    EXPECT_EQ(p->getState(), 0);
    pump(kOutputRate);
    EXPECT_EQ(p->getState(), 0);
}

TEST_F(DShowPlayerTest, ALoopCountOfThreePlaysThreeRounds) {
    DShowPlayer* d = newPlayer();
    javax_microedition_media_Player* p = player(d);
    p->setLoopCount(3);
    p->start();
    EXPECT_EQ(pumpLooping(d, kOutputRate * 4), 2);  // once from start, twice from the loop thread
    EXPECT_TRUE(eventually([&] { return !d->loopThreadRunning(); }));
    EXPECT_EQ(p->getState(), 0);
    EXPECT_EQ(p->getMediaTime(), kSecond);
}

TEST_F(DShowPlayerTest, LoopCountsOfZeroAndOneStartNoThread) {
    DShowPlayer* d = newPlayer();
    for (int32_t count : {0, 1}) {
        player(d)->setLoopCount(count);
        EXPECT_FALSE(d->loopThreadRunning()) << count;
        EXPECT_EQ(d->storedState(), 100) << count;
    }
}

TEST_F(DShowPlayerTest, VolumeInHundredthsOfADecibel) {
    DShowPlayer* d = newPlayer();
    EXPECT_EQ(d->setLevel(-1000), -1);  // not realized
    EXPECT_EQ(d->getLevel(), 0);
    EXPECT_FALSE(d->isMuted());
    player(d)->realize();
    EXPECT_EQ(d->setLevel(-2500), 0);
    EXPECT_EQ(d->getLevel(), -25);
    EXPECT_EQ(d->setLevel(-3000), -2500);
    EXPECT_EQ(d->setLevel(100), -1);
    EXPECT_TRUE(log.contains("ERROR - Could not set volume level.\n"));
    EXPECT_EQ(d->getLevel(), -30);  // the graph kept its volume
    d->setLevel(-2500);
    d->setMute(true);
    EXPECT_TRUE(d->isMuted());
    EXPECT_EQ(d->getLevel(), -100);
    d->setMute(false);
    EXPECT_FALSE(d->isMuted());
    EXPECT_EQ(d->getLevel(), -25);
}

TEST_F(DShowPlayerTest, SeekingPastTheEndFails) {
    DShowPlayer* d = newPlayer();
    javax_microedition_media_Player* p = player(d);
    EXPECT_EQ(p->setMediaTime(0), -1);  // not realized
    p->realize();
    EXPECT_EQ(p->setMediaTime(kSecond / 2), kSecond / 2);
    EXPECT_EQ(p->getMediaTime(), kSecond / 2);
    EXPECT_EQ(p->setMediaTime(2 * kSecond), -1);
    EXPECT_TRUE(log.contains("ERROR - Could not set needed position of the media stream.\n"));
}

TEST_F(DShowPlayerTest, TheTemporaryFileHoldsTheBytesUntilClose) {
    DShowPlayer::setMadeCount(123456789);  // names longer than the device's 21 bytes
    DShowPlayer* d = newPlayer();
    EXPECT_EQ(d->fileName(), "\\temp\\sound123456790.mid");
    std::filesystem::path file = d->filePath();
    EXPECT_EQ(file, m_dir / "sound123456790.mid");
    std::ifstream in(file, std::ios::binary);
    std::vector<uint8_t> written((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(written, midiSound());
    player(d)->start();
    EXPECT_EQ(player(d)->getState(), 400);
    player(d)->close();
    EXPECT_FALSE(std::filesystem::exists(file));
    EXPECT_EQ(player(d)->getState(), 0);
    player(d)->close();  // nothing more
    player(d)->start();
    player(d)->setLoopCount(5);
    EXPECT_EQ(player(d)->getState(), 0);
    EXPECT_FALSE(d->loopThreadRunning());
}

TEST_F(DShowPlayerTest, FileExtensionsOfContentTypes) {
    struct Case {
        const char* type;
        const char* extension;
    } cases[] = {{"audio/x-wav", "wav"}, {"audio/MIDI", "mid"}, {"audio/amr", "amr"}, {"audio/mpeg", "mp3"},
                 {"audio/aac", "aac"},   {"audio/ogg", "NULL"}, {"midi", "mid"},     {"audio/", "NULL"}};
    for (const Case& c : cases) EXPECT_STREQ(DShowPlayer::extensionOf(c.type), c.extension) << c.type;
}

TEST_F(DShowPlayerTest, LoopingPlayersAreFreedWithTheirThreads) {
    std::thread([&] {  // made off the scanned stacks
        for (int i = 0; i < 6; ++i) {
            DShowPlayer* d = newPlayer();
            player(d)->setLoopCount(-1);
            player(d)->start();
        }
    }).join();
    scrubStack();
    om()->gc(kGcForced);  // each destructor ends and joins its loop thread, and deletes its file
    auto files = std::distance(std::filesystem::directory_iterator(m_dir), std::filesystem::directory_iterator());
    EXPECT_LE(files, 2);  // a stale word on the scanned stack may keep one or two
}

}  // namespace mrc::test
