#include <gtest/gtest.h>

#include "platform/media/sound_player_ogg.h"
#include "tests/platform/media/media_fixture.h"

namespace mrc::test {
namespace {

class OggPlayerTest : public MediaTest {
protected:
    void SetUp() override {
        std::string why;
        if (!fixtures::vorbisReferenceAvailable(&why)) GTEST_SKIP() << "no reference Vorbis codec: " << why;
        MediaTest::SetUp();
        ASSERT_FALSE(oggSound().empty());
        ASSERT_EQ(SoundPlayerOGG::liveCount(), 0);
    }
    void TearDown() override {
        if (!IsSkipped()) MediaTest::TearDown();
    }
    static SoundPlayerOGG* newPlayer(const std::vector<uint8_t>& bytes = oggSound()) {
        return static_cast<SoundPlayerOGG*>(createPlayer(bytes, "audio/ogg"));
    }
};

}  // namespace

TEST_F(OggPlayerTest, DecodesTheWholeStreamAtRealizeLikeTheReferenceDecoder) {
    SoundPlayerOGG* o = newPlayer();
    javax_microedition_media_Player* p = player(o);
    p->realize();
    ASSERT_EQ(p->getState(), 200);
    // One second at 22050 Hz, stereo, 16 bits.
    EXPECT_EQ(o->pcmDataLength(), 88200u);
    EXPECT_EQ(p->getDuration(), 1000000);
    EXPECT_EQ(o->waveFormat().channels, 2);
    EXPECT_EQ(o->waveFormat().samplesPerSec, 22050u);
    EXPECT_EQ(o->waveFormat().avgBytesPerSec, 88200u);
    EXPECT_EQ(o->waveFormat().blockAlign, 4);
    EXPECT_EQ(p->getContentType()->toStdString(), "audio/x-wav");

    std::vector<int16_t> reference;
    int channels = 0;
    int32_t rate = 0;
    ASSERT_TRUE(fixtures::decodeOggVorbisReference(oggSound(), reference, channels, rate));
    ASSERT_EQ(reference.size() * 2, o->pcmDataLength());
    const int16_t* pcm = reinterpret_cast<const int16_t*>(o->waveHeader().data);
    double difference = 0, signal = 0;
    for (std::size_t i = 0; i < reference.size(); ++i) {
        difference += double(pcm[i] - reference[i]) * (pcm[i] - reference[i]);
        signal += double(reference[i]) * reference[i];
    }
    EXPECT_LT(std::sqrt(difference / signal), 0.01);  // the integer decoder within 1 % of the float one
}

TEST_F(OggPlayerTest, PlaysToItsEndThroughTheWaveOutDevice) {
    javax_microedition_media_Player* p = player(newPlayer());
    p->start();
    EXPECT_EQ(p->getState(), 400);
    std::vector<int16_t> mixed;
    uint32_t pumped = 0;
    while (p->getState() == 400 && pumped < 2 * kOutputRate) {
        std::vector<int16_t> part = pump(kTenMs);
        mixed.insert(mixed.end(), part.begin(), part.end());
        pumped += kTenMs;
    }
    EXPECT_EQ(p->getState(), 300);
    EXPECT_NEAR(double(pumped), double(kOutputRate), double(kTenMs));
    EXPECT_GT(rms(mixed, kOutputRate / 10, kOutputRate * 9 / 10), 3000.0);
}

TEST_F(OggPlayerTest, TheTemporaryFileIsNumberedByTheLivePlayers) {
    SoundPlayerOGG* first = newPlayer();
    SoundPlayerOGG* second = newPlayer();
    EXPECT_EQ(SoundPlayerOGG::liveCount(), 2);
    player(second)->realize();
    EXPECT_TRUE(std::filesystem::exists(m_dir / "sound2.ogg"));
    EXPECT_EQ(std::filesystem::file_size(m_dir / "sound2.ogg"), oggSound().size());
    EXPECT_TRUE(second->fileName().empty());  // decoded and let go
    player(first)->close();
    EXPECT_EQ(SoundPlayerOGG::liveCount(), 1);
    SoundPlayerOGG* third = newPlayer();
    player(third)->realize();  // two live again: the same file, overwritten
    EXPECT_EQ(player(third)->getState(), 200);
    EXPECT_FALSE(std::filesystem::exists(m_dir / "sound1.ogg"));
}

TEST_F(OggPlayerTest, DataTheDecoderRefusesStaysUnrealized) {
    const std::vector<uint8_t> cut(oggSound().begin(), oggSound().begin() + 200);
    const std::vector<uint8_t> garbage = {'O', 'g', 'g', 'S', 1, 2, 3, 4, 5, 6, 7, 8};
    for (const std::vector<uint8_t>* bytes : {&cut, &garbage, &waveSound()}) {
        javax_microedition_media_Player* p = player(newPlayer(*bytes));
        p->start();
        EXPECT_EQ(p->getState(), 100);
        p->close();
    }
    EXPECT_EQ(SoundPlayerOGG::liveCount(), 0);
}

TEST_F(OggPlayerTest, CloseLowersTheLiveCountOnceEvenUnrealized) {
    javax_microedition_media_Player* p = player(newPlayer());
    EXPECT_EQ(SoundPlayerOGG::liveCount(), 1);
    p->close();
    p->close();
    EXPECT_EQ(SoundPlayerOGG::liveCount(), 0);
}

}  // namespace mrc::test
