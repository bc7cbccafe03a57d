// A started runtime over the pumped headless audio sink, with a temporary folder of its own:
// players are made through the Manager from real sound files and played by pumping the mixer.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

#include "host/audio/audio.h"
#include "host/audio/wave_out.h"
#include "host/core/log.h"
#include "platform/media/manager.h"
#include "platform/media/media_support.h"
#include "platform/media/player.h"
#include "runtime/core/arrays.h"
#include "runtime/io/byte_array_input_stream.h"
#include "runtime/lang/string.h"
#include "tools/formats/sound_files.h"
#include "tests/fixtures/vorbis_reference.h"
#include "tools/formats/wave_file.h"
#include "tests/host/audio_test_support.h"
#include "tests/runtime/runtime_fixture.h"

namespace mrc::test {

using audio_test::rms;

inline constexpr uint32_t kOutputRate = 44100;
inline constexpr uint32_t kTenMs = kOutputRate / 100;

// The sounds the tests play: WAVE 0.1 s of 440 Hz at 22050 Hz mono; Ogg Vorbis 1 s of two tones
// at 22050 Hz stereo; MIDI four eighth notes (1 s); AMR 1 s of 440 Hz.
inline const std::vector<uint8_t>& waveSound() {
    static const std::vector<uint8_t> bytes = formats::waveFile(formats::monoTone(440, 22050, 2205, 12000), 1, 22050);
    return bytes;
}
inline const std::vector<uint8_t>& oggSound() {
    static const std::vector<uint8_t> bytes =
        fixtures::oggVorbisFile(formats::stereoTones(440, 22050, 22050, 8000), 2, 22050);
    return bytes;
}
inline const std::vector<uint8_t>& midiSound() {
    static const std::vector<uint8_t> bytes = formats::midiMelody({60, 64, 67, 72}, 240);
    return bytes;
}
inline const std::vector<uint8_t>& amrSound() {
    static const std::vector<uint8_t> bytes = formats::amrFile(formats::sineTone(440, 8000, 12000));
    return bytes;
}

class MediaTest : public RuntimeTest {
protected:
    uint32_t dataHeapSize() const override { return 8u << 20; }

    void SetUp() override {
        RuntimeTest::SetUp();
        ASSERT_EQ(host::audioInit(host::AudioBackend::Headless, {kOutputRate, false, kOutputRate * 20}),
                  host::AudioBackend::Headless);
        host::waveOutSetVolume(host::kWaveOutDevice0, 0xFFFFFFFFu);  // the word outlives each run
        m_dir = std::filesystem::path(testing::TempDir()) /
                ("media_" + std::to_string(::getpid()) + "_" +
                 testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(m_dir);
        media::setTemporaryFolder(m_dir);
    }
    void TearDown() override {
        RuntimeTest::TearDown();  // collects the players left open: their destructors close them
        host::audioShutdown();
        media::setTemporaryFolder({});
        std::filesystem::remove_all(m_dir);
    }

    static ByteArray* byteArray(const std::vector<uint8_t>& bytes) {
        ByteArray* a = om()->newByteArray(static_cast<int32_t>(bytes.size()));
        if (!bytes.empty()) std::memcpy(a->elements(), bytes.data(), bytes.size());
        return a;
    }
    static String* string(const char* text) { return text ? newString(text) : nullptr; }
    // Manager.createPlayer over a ByteArrayInputStream of the bytes.
    static Object* createPlayer(const std::vector<uint8_t>& bytes, const char* type) {
        java_io_ByteArrayInputStream* stream = java_io_ByteArrayInputStream::newInstance(byteArray(bytes));
        return javax_microedition_media_Manager::createPlayer(stream, string(type));
    }
    static javax_microedition_media_Player* player(Object* p) { return media::playerOf(p); }
    static javax_microedition_media_control_VolumeControl* volumeOf(Object* p) {
        return static_cast<javax_microedition_media_control_VolumeControl*>(
            p->getInterface(kClass_javax_microedition_media_control_VolumeControl));
    }

    // Mixes `frames` output frames, lets every message they caused arrive, and returns the mix.
    static std::vector<int16_t> pump(uint32_t frames) {
        host::audioTakeRecording();
        host::audioPump(frames);
        host::waveOutWaitForCallbacks();
        return host::audioTakeRecording();
    }

    // The pending exception's class id (0 for none); clears it.
    static int takePending() {
        Object* e = app()->getPendingException();
        app()->clearPendingException();
        return e ? e->classId() : 0;
    }

    std::filesystem::path m_dir;
    host::LogCapture log;
};

}  // namespace mrc::test
