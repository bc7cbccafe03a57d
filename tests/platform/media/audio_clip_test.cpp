#include <gtest/gtest.h>

#include "platform/media/audio_clip.h"
#include "platform/media/sound_player_wave.h"
#include "runtime/lang/throwable.h"
#include "tests/platform/media/media_fixture.h"
#include "tests/runtime/lang/constants_support.h"

namespace mrc::test {
namespace {

class AudioClipTest : public MediaTest {
protected:
    void SetUp() override {
        MediaTest::SetUp();
        installConstants({{1, "(no message)"},
                          {597, "audio/x-wav"},
                          {598, "audio/ogg"},
                          {599, "audio/midi"},
                          {600, "bad type: "},
                          {601, "bad loop: "},
                          {602, "bad volume: "}});
    }
    static com_samsung_util_AudioClip* clipOf(const std::vector<uint8_t>& bytes, int32_t type = 1) {
        // The sound sits inside a larger array: the clip copies its part.
        std::vector<uint8_t> padded(bytes.size() + 8, 0xEE);
        std::copy(bytes.begin(), bytes.end(), padded.begin() + 5);
        return com_samsung_util_AudioClip::newInstance(type, byteArray(padded), 5, static_cast<int32_t>(bytes.size()));
    }
    // The pending exception's message; clears it.
    static std::string pendingMessage(uint16_t classId) {
        Object* e = app()->getPendingException();
        app()->clearPendingException();
        if (!e || e->classId() != classId) return "(no such exception)";
        String* message = static_cast<java_lang_Throwable*>(e)->getMessage();
        return message ? message->toStdString() : "(null)";
    }
};

}  // namespace

TEST_F(AudioClipTest, TypesSelectTheMimeTypeOfThePlayer) {
    com_samsung_util_AudioClip* wave = clipOf(waveSound(), 1);
    EXPECT_NE(dynamic_cast<SoundPlayerWAVE*>(wave->player), nullptr);
    com_samsung_util_AudioClip* midi = clipOf(midiSound(), 3);
    ASSERT_NE(midi->player, nullptr);
    EXPECT_EQ(media::playerOf(midi->player)->getContentType()->toStdString(), "audio/midi");
    EXPECT_EQ(clipOf(waveSound(), 3)->player, nullptr);  // WAVE bytes make no MIDI graph
    EXPECT_TRUE(com_samsung_util_AudioClip::isSupported());
}

TEST_F(AudioClipTest, BadTypesLoopsAndVolumesRaiseWithTheValue) {
    for (int32_t type : {0, 4, -1}) {
        com_samsung_util_AudioClip* clip = clipOf(waveSound(), type);
        EXPECT_EQ(pendingMessage(kClass_java_lang_IllegalArgumentException), "bad type: " + std::to_string(type));
        EXPECT_EQ(clip->player, nullptr);
    }
    com_samsung_util_AudioClip* clip = clipOf(waveSound());
    struct Case {
        int32_t loop, volume;
        const char* message;
    } cases[] = {{256, 3, "bad loop: 256"}, {-1, 3, "bad loop: -1"}, {2, 6, "bad volume: 6"}, {0, -1, "bad volume: -1"}};
    for (const Case& c : cases) {
        clip->play(c.loop, c.volume);
        EXPECT_EQ(pendingMessage(kClass_java_lang_IllegalArgumentException), c.message);
    }
    EXPECT_EQ(media::playerOf(clip->player)->getState(), 100);  // nothing started
}

TEST_F(AudioClipTest, PlayStartsAndSetsALoopCountOnlyAboveOne) {
    struct Case {
        int32_t loop;
        uint32_t headerLoops;
    } cases[] = {{0, 0}, {1, 0}, {2, 2}, {255, 255}};
    for (const Case& c : cases) {
        com_samsung_util_AudioClip* clip = clipOf(waveSound());
        clip->play(c.loop, 5);
        auto* wave = static_cast<SoundPlayerWAVE*>(clip->player);
        EXPECT_EQ(wave->getState(), 400) << c.loop;
        EXPECT_EQ(wave->waveHeader().loops, c.headerLoops) << c.loop;
        EXPECT_GT(rms(pump(kTenMs * 5)), 5000.0);
        clip->pause();
        EXPECT_EQ(wave->getState(), 300);
        clip->resume();
        EXPECT_EQ(wave->getState(), 400);
        clip->stop();
        EXPECT_EQ(wave->getState(), 300);
    }
}

TEST_F(AudioClipTest, AClipMadeFromANameHasNoPlayerAndDoesNothing) {
    for (int32_t type : {1, 2, 3, 99}) {
        com_samsung_util_AudioClip* clip = newObject<com_samsung_util_AudioClip>();
        clip->AudioClip(type, string("/sound.mid"));
        EXPECT_EQ(clip->player, nullptr);
        clip->play(1, 1);
        clip->pause();
        clip->resume();
        clip->stop();
    }
    EXPECT_EQ(takePending(), 0);
    EXPECT_FALSE(log.contains("NullPointer"));
}

TEST_F(AudioClipTest, TheClipKeepsItsPlayerFromTheCollector) {
    com_samsung_util_AudioClip* clip = clipOf(waveSound());
    om()->gc(kGcForced);
    ASSERT_EQ(clip->player->classId(), kClass_javax_microedition_media_Player);
    clip->play(0, 0);
    EXPECT_EQ(media::playerOf(clip->player)->getState(), 400);
}

}  // namespace mrc::test
