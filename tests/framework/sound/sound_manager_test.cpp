#include <gtest/gtest.h>

#include "tests/framework/sound/sound_fixture.h"

namespace {

using formats::SoundPackWriter;
using Player = javax_microedition_media_Player;

// The WAVE sound lasts 0.1 s: this many output frames.
constexpr uint32_t kWaveFrames = mrc::test::kOutputRate / 10;

class SoundManager : public mrc::test::SoundTest {
protected:
    // Slots 0-11: WAVE, Ogg, MIDI, unknown, WAVE, WAVE, ... (all WAVE from 4 on), or only the
    // first `entries` of them.
    void savePackOf(int entries = WM_JSound::kSoundCount) {
        using namespace mrc::test;
        SoundPackWriter w;
        const std::vector<uint8_t>* first[] = {&waveSound(), &oggSound(), &midiSound(), &unknownSound()};
        for (int i = 0; i < entries; ++i) {
            if (i == 2) w.newPart();
            w.add(i < 4 ? *first[i] : waveSound(), uint8_t(i));
        }
        savePack(w);
    }
    WM_JSound* loadedManager() {
        WM_JSound* s = mrc::newObject<WM_JSound>();
        s->init();
        s->init(string(mrc::test::kPackName));
        s->enabled = true;
        return s;
    }
    static Player* playerOfSlot(WM_JSound* s, int id) { return mrc::media::playerOf(s->slot(id)->player); }
    static int stateOf(WM_JSound* s, int id) { return playerOfSlot(s, id)->getState(); }
    static std::string typeOf(WM_JSound* s, int id) {
        String* t = s->slot(id)->contentType;
        return isNull(t) ? std::string() : t->toUtf8();
    }
};

TEST_F(SoundManager, LoadingChoosesTypesByLeadingBytesAndPrefetchesPlayers) {
    savePackOf();
    WM_JSound* s = loadedManager();
    EXPECT_TRUE(s->loaded);
    EXPECT_TRUE(isNull(s->io->stream));
    struct {
        int id;
        const char* type;
        bool hasPlayer;
    } cases[] = {{0, "audio/x-wav", true}, {1, "audio/ogg", true}, {2, "audio/midi", true},
                 {3, "audio/amr", false},  {4, "audio/x-wav", true}, {11, "audio/x-wav", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        EXPECT_EQ(typeOf(s, c.id), c.type);
        EXPECT_EQ(!isNull(s->slot(c.id)->player), c.hasPlayer);
        EXPECT_EQ(s->slot(c.id)->volume, 100);
        EXPECT_EQ(s->slot(c.id)->loopCount, 1);
    }
    EXPECT_EQ(stateOf(s, 0), Player::PREFETCHED);
    EXPECT_EQ(stateOf(s, 1), Player::PREFETCHED);
    EXPECT_TRUE(log.contains("no player"));

    // Loading again reads nothing: the players stay those of the first load.
    Object* first = s->slot(0)->player;
    s->init(string(mrc::test::kPackName));
    EXPECT_EQ(s->slot(0)->player, first);
}

TEST_F(SoundManager, EntriesThePackLacksLeaveEmptySlotsWithoutPlayers) {
    savePackOf(8);
    WM_JSound* s = loadedManager();
    for (int id = 8; id < WM_JSound::kSoundCount; ++id) {
        EXPECT_TRUE(isNull(s->slot(id)->data)) << id;
        EXPECT_TRUE(isNull(s->slot(id)->player)) << id;
    }
    EXPECT_TRUE(log.contains("sound 11 has no data"));
    log.clear();
    s->play(9, 1);
    EXPECT_TRUE(log.contains("sound 9 is not ready"));
    EXPECT_FALSE(s->anySoundMatches());
    s->play(7, 1);
    EXPECT_TRUE(s->isSoundPlaying(7));
}

TEST_F(SoundManager, OneSoundAtATimeAndRequestsDuringItAreDropped) {
    savePackOf();
    WM_JSound* s = loadedManager();

    s->enabled = false;
    s->playRequest(0, 0, 1, 100);
    EXPECT_FALSE(s->anySoundMatches());
    s->enabled = true;
    s->playRequest(0, 0, 1, 0);  // volume 0
    EXPECT_FALSE(s->anySoundMatches());

    s->playRequest(0, 4, 1, 100);
    EXPECT_EQ(s->lastRequest, 4);
    EXPECT_EQ(stateOf(s, 4), Player::STARTED);
    s->playRequest(0, 5, 1, 100);
    EXPECT_EQ(s->lastRequest, 4);
    EXPECT_EQ(stateOf(s, 5), Player::PREFETCHED);

    pump(kWaveFrames + mrc::test::kTenMs);
    EXPECT_EQ(stateOf(s, 4), Player::PREFETCHED);
    s->playRequest(0, 5, 1, 100);
    EXPECT_EQ(s->lastRequest, 5);
    EXPECT_EQ(stateOf(s, 5), Player::STARTED);
}

TEST_F(SoundManager, PauseStopsEveryStartedPlayerAndKeepsItsMediaTime) {
    savePackOf();
    WM_JSound* s = loadedManager();
    s->play(1, 1);  // the 1 s Ogg sound
    pump(mrc::test::kOutputRate / 4);
    ASSERT_TRUE(s->isSoundPlaying(1));
    pauseAllSounds(s);
    EXPECT_EQ(stateOf(s, 1), Player::PREFETCHED);
    EXPECT_NEAR(double(s->slot(1)->mediaTime), 250000.0, 20000.0);
    EXPECT_EQ(s->slot(0)->mediaTime, 0);
    EXPECT_EQ(mrc::test::rms(pump(mrc::test::kTenMs * 5)), 0.0);

    // The next request plays from the beginning.
    s->play(1, 1);
    EXPECT_TRUE(s->isSoundPlaying(1));
    EXPECT_LT(playerOfSlot(s, 1)->getMediaTime(), 20000);
}

// A stand-in for the game: its loading step switches the manager on, its events ask for sounds.
struct StandInGame {
    WM_JSound* sound;
    bool soundLoaded = false;
    void loadingStep(String* pack) {
        if (soundLoaded) return;
        soundLoaded = true;
        sound->init(pack);
        sound->enabled = true;
    }
    void event(int id) { sound->playRequest(0, id, 1, 100); }
};

TEST_F(SoundManager, ASoundRequestedByTheGamePlaysToItsEnd) {
    savePackOf();
    StandInGame game{mrc::newObject<WM_JSound>()};
    game.sound->init();
    game.event(0);  // before loading: nothing
    game.loadingStep(string(mrc::test::kPackName));
    WM_JSound* s = game.sound;
    game.event(0);
    ASSERT_EQ(stateOf(s, 0), Player::STARTED);
    EXPECT_GT(mrc::test::rms(pump(kWaveFrames / 2)), 1000.0);
    pump(kWaveFrames / 2 + mrc::test::kTenMs);
    EXPECT_EQ(stateOf(s, 0), Player::PREFETCHED);
    EXPECT_EQ(mrc::test::rms(pump(mrc::test::kTenMs)), 0.0);
}

}  // namespace
