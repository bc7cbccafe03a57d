#include <gtest/gtest.h>

#include "platform/media/dshow_player.h"
#include "platform/media/sound_player_ogg.h"
#include "platform/media/sound_player_wave.h"
#include "runtime/io/input_stream.h"
#include "tests/platform/media/media_fixture.h"

namespace mrc::test {
namespace {

enum class Made { None, Wave, Ogg, Midi, Amr };

Made madeOf(Object* p) {
    if (!p) return Made::None;
    if (dynamic_cast<SoundPlayerOGG*>(p)) return Made::Ogg;
    if (dynamic_cast<SoundPlayerWAVE*>(p)) return Made::Wave;
    if (auto* d = dynamic_cast<DShowPlayer*>(p))
        return d->getContentType()->equalsCString("audio/midi") ? Made::Midi : Made::Amr;
    return Made::None;
}

// A stream that counts its reads and answers available() as told.
class CountingStream : public java_io_InputStream {
public:
    using Base = java_io_InputStream;
    static constexpr uint16_t kClassId = kClass_java_io_InputStream;
    using java_io_InputStream::read;
    int32_t read() override {
        ++reads;
        return -1;
    }
    int32_t read(ByteArray*, int32_t, int32_t len) override {
        ++reads;
        return len;
    }
    int32_t available() override { return availableBytes; }
    int32_t reads;
    int32_t availableBytes;
};

using ManagerTest = MediaTest;

}  // namespace

TEST_F(ManagerTest, ThePlayerFollowsTheTypeOrElseTheLeadingBytes) {
    const std::vector<uint8_t> amrBytes = amrSound();
    struct Case {
        const char* type;
        const std::vector<uint8_t>& bytes;
        Made made;
    } cases[] = {
        {"audio/x-wav", waveSound(), Made::Wave},  {"AUDIO/X-WAV", waveSound(), Made::Wave},
        {"audio/ogg", oggSound(), Made::Ogg},       {"Audio/Ogg", oggSound(), Made::Ogg},
        {"audio/midi", midiSound(), Made::Midi},    {"audio/amr", amrBytes, Made::Amr},
        {nullptr, waveSound(), Made::Wave},         {nullptr, oggSound(), Made::Ogg},
        {nullptr, midiSound(), Made::Midi},         {nullptr, amrBytes, Made::None},  // AMR only by its type
        {"audio/mpeg", waveSound(), Made::None},    {"video/mp4", waveSound(), Made::None},
        {"audio/x-wav", oggSound(), Made::Wave},    // the type decides, not the bytes
    };
    for (const Case& c : cases) {
        Object* p = createPlayer(c.bytes, c.type);
        EXPECT_EQ(madeOf(p), c.made) << (c.type ? c.type : "(no type)");
        if (p) {
            EXPECT_EQ(player(p)->getState(), c.made == Made::Wave || c.made == Made::Ogg ? 100 : 0);
            player(p)->close();
        }
    }
    EXPECT_EQ(takePending(), 0);
}

TEST_F(ManagerTest, NoPlayerForANullOrEmptyStream) {
    EXPECT_EQ(javax_microedition_media_Manager::createPlayer(nullptr, string("audio/x-wav")), nullptr);

    CountingStream* empty = newObject<CountingStream>();
    EXPECT_EQ(javax_microedition_media_Manager::createPlayer(empty, string("audio/x-wav")), nullptr);
    EXPECT_EQ(empty->reads, 0);

    CountingStream* some = newObject<CountingStream>();
    some->availableBytes = 64;
    Object* p = javax_microedition_media_Manager::createPlayer(some, string("audio/x-wav"));
    EXPECT_EQ(some->reads, 1);  // one read call takes the bytes
    ASSERT_NE(p, nullptr);
    player(p)->realize();  // 64 zero bytes are no WAVE sound
    EXPECT_EQ(player(p)->getState(), 100);
}

TEST_F(ManagerTest, AMidiGraphThatCannotBeBuiltGivesNoPlayerAndLeavesNoFile) {
    std::vector<uint8_t> notASong = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 9};
    EXPECT_EQ(createPlayer(notASong, "audio/midi"), nullptr);
    EXPECT_TRUE(log.contains("ERROR - Could not construct a filter graph that will play the specified file.\n"));
    EXPECT_TRUE(std::filesystem::is_empty(m_dir));
}

TEST_F(ManagerTest, SupportedTypesAndProtocols) {
    ObjectArray* types = javax_microedition_media_Manager::getSupportedContentTypes(nullptr);
    ASSERT_NE(types, nullptr);
    ASSERT_EQ(types->length, 3);
    const char* expected[] = {"audio/x-wav", "audio/ogg", "audio/midi"};
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(static_cast<String*>(types->elements()[i])->toStdString(), expected[i]);
    ObjectArray* protocols = javax_microedition_media_Manager::getSupportedProtocols(string("audio/amr"));
    ASSERT_NE(protocols, nullptr);
    ASSERT_EQ(protocols->length, 1);
    EXPECT_EQ(static_cast<String*>(protocols->elements()[0])->toStdString(), "file");
}

TEST_F(ManagerTest, InterfaceWordsAndControlsOfBothFamilies) {
    Object* wave = createPlayer(waveSound(), "audio/x-wav");
    Object* midi = createPlayer(midiSound(), "audio/midi");
    ASSERT_TRUE(wave && midi);
    struct Case {
        int32_t id;
        bool wave, midi;
    } cases[] = {{kClass_javax_microedition_media_Control, false, false},
                 {kClass_javax_microedition_media_Controllable, true, true},
                 {kClass_javax_microedition_media_Player, true, true},
                 {kClass_javax_microedition_media_control_MIDIControl, false, false},
                 {kClass_javax_microedition_media_control_RateControl, true, false},
                 {kClass_javax_microedition_media_control_TempoControl, true, false},
                 {kClass_javax_microedition_media_control_VolumeControl, true, true}};
    for (const Case& c : cases) {
        EXPECT_EQ(wave->getInterface(c.id) != nullptr, c.wave) << c.id;
        EXPECT_EQ(midi->getInterface(c.id) != nullptr, c.midi) << c.id;
    }
    // The wave-out players carry a Controllable word of their own; the MIDI player's is its Player word.
    EXPECT_NE(wave->getInterface(kClass_javax_microedition_media_Controllable),
              wave->getInterface(kClass_javax_microedition_media_Player));
    EXPECT_EQ(midi->getInterface(kClass_javax_microedition_media_Controllable),
              midi->getInterface(kClass_javax_microedition_media_Player));
    auto* controllable = static_cast<javax_microedition_media_Controllable*>(
        wave->getInterface(kClass_javax_microedition_media_Controllable));
    for (const char* name : {"VolumeControl", "volumecontrol", "RATECONTROL", "TempoControl"})
        EXPECT_EQ(controllable->getControl(string(name)), wave) << name;
    EXPECT_EQ(player(wave)->getControl(string("MIDIControl")), nullptr);
    EXPECT_EQ(player(wave)->getControls(), nullptr);
    EXPECT_EQ(player(midi)->getControl(string("VolumeControl")), nullptr);
    EXPECT_EQ(player(midi)->getControls(), nullptr);
    EXPECT_TRUE(Object::instanceOf(wave, kClass_javax_microedition_media_control_VolumeControl));
}

}  // namespace mrc::test
