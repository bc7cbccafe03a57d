#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include <unistd.h>

#include "host/audio/media_graph.h"
#include "host/audio/wave_out.h"
#include "host/core/sync.h"
#include "tools/formats/byte_writer.h"
#include "tools/formats/sound_files.h"
#include "tests/host/audio_test_support.h"

using namespace host;
using audio_test::AudioTest;
using audio_test::kRate;
using audio_test::rms;

namespace {

constexpr int64_t kSecond = kMediaUnitsPerSecond;
constexpr uint32_t kStep = kRate / 100;  // 10 ms

class MediaGraphTest : public AudioTest {
protected:
    void SetUp() override {
        AudioTest::SetUp();
        m_dir = std::filesystem::path(testing::TempDir()) /
                ("media_graph_" + std::to_string(::getpid()) + "_" +
                 testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(m_dir);
    }
    void TearDown() override {
        std::filesystem::remove_all(m_dir);
        AudioTest::TearDown();
    }

    std::string file(const std::string& name, const std::vector<uint8_t>& bytes) {
        std::string path = (m_dir / name).string();
        EXPECT_TRUE(formats::writeFile(path, bytes));
        return path;
    }

    // One second of a 440 Hz tone, 8000 Hz mono AMR.
    std::string tone() { return file("tone.amr", formats::amrFile(formats::sineTone(440, 8000, 12000))); }
    // Four eighth notes at 120 beats a minute: one second.
    std::string melody() { return file("melody.mid", formats::midiMelody({60, 64, 67, 72}, 240)); }

    // Pumps in 10 ms steps until the graph announces completion; returns the frames pumped
    // (0 when it never did within `limit`) and keeps what was mixed.
    uint32_t playToCompletion(MediaGraph& g, uint32_t limit, std::vector<int16_t>* mixed = nullptr) {
        audioTakeRecording();
        for (uint32_t pumped = 0; pumped < limit;) {
            audioPump(kStep);
            pumped += kStep;
            GraphEvent e;
            if (g.waitEvent(e, 0) == GraphWait::Event) {
                EXPECT_EQ(e.code, kGraphEventComplete);
                if (mixed) *mixed = audioTakeRecording();
                return pumped;
            }
        }
        return 0;
    }

    static int64_t position(const MediaGraph& g) {
        int64_t units = -1;
        EXPECT_TRUE(g.currentPosition(units));
        return units;
    }

    std::filesystem::path m_dir;
};

// Frequency of a mono signal (left channel) from its rising zero crossings.
double frequency(const std::vector<int16_t>& pcm, std::size_t from, std::size_t to) {
    int crossings = 0;
    for (std::size_t i = from + 1; i < to; ++i)
        if (pcm[2 * (i - 1)] < 0 && pcm[2 * i] >= 0) ++crossings;
    return crossings * double(kRate) / double(to - from);
}

}  // namespace

TEST_F(MediaGraphTest, MidiPlaysThroughTheSoundFontAndCompletesAtItsEnd) {
    MediaGraph g;
    ASSERT_TRUE(g.renderFile(melody()));
    int64_t duration = 0;
    ASSERT_TRUE(g.duration(duration));
    EXPECT_EQ(duration, kSecond);
    ASSERT_TRUE(g.run());
    std::vector<int16_t> mixed;
    uint32_t frames = playToCompletion(g, 2 * kRate, &mixed);
    EXPECT_NEAR(double(frames), double(kRate), double(kStep));
    for (int note = 0; note < 4; ++note) {  // every eighth note sounds
        std::size_t start = std::size_t(note) * kRate / 4;
        EXPECT_GT(rms(mixed, start, start + kRate / 8), 300.0) << "note " << note;
    }
    EXPECT_EQ(position(g), duration);
    EXPECT_EQ(g.state(), GraphState::Running);
    // The last notes ring on and die away within a few seconds; no second event comes.
    auto tail = play(3 * kRate);
    EXPECT_GT(rms(tail, 0, kRate / 10), 10.0);
    EXPECT_EQ(rms(tail, 2 * kRate, 3 * kRate), 0.0);
    GraphEvent e;
    EXPECT_EQ(g.waitEvent(e, 0), GraphWait::Timeout);
}

TEST_F(MediaGraphTest, MidiSeekPlaysTheRestOfTheSong) {
    MediaGraph g;
    ASSERT_TRUE(g.renderFile(melody()));
    ASSERT_TRUE(g.setPositions(kSecond / 2, kSecond));
    EXPECT_EQ(position(g), kSecond / 2);
    ASSERT_TRUE(g.run());
    std::vector<int16_t> mixed;
    uint32_t frames = playToCompletion(g, 2 * kRate, &mixed);
    EXPECT_NEAR(double(frames), double(kRate / 2), double(kStep));
    EXPECT_GT(rms(mixed), 300.0);
}

TEST_F(MediaGraphTest, AmrDecodesToTheToneWithItsDuration) {
    MediaGraph g;
    ASSERT_TRUE(g.renderFile(tone()));
    int64_t duration = 0;
    ASSERT_TRUE(g.duration(duration));
    EXPECT_EQ(duration, kSecond);  // 50 frames of 20 ms
    ASSERT_TRUE(g.run());
    std::vector<int16_t> mixed;
    uint32_t frames = playToCompletion(g, 2 * kRate, &mixed);
    EXPECT_NEAR(double(frames), double(kRate), double(kStep));
    EXPECT_GT(rms(mixed, kRate / 4, 3 * kRate / 4), 3000.0);
    EXPECT_NEAR(frequency(mixed, kRate / 4, 3 * kRate / 4), 440.0, 10.0);
}

TEST_F(MediaGraphTest, SeekPauseRunAndStopMoveThePositionAsAsked) {
    MediaGraph g;
    ASSERT_TRUE(g.renderFile(tone()));
    ASSERT_TRUE(g.setPositions(kSecond / 2, kSecond));
    ASSERT_TRUE(g.run());
    audioPump(kRate / 4);
    EXPECT_NEAR(double(position(g)), 0.75 * kSecond, kSecond / 8000.0);

    ASSERT_TRUE(g.pause());
    EXPECT_EQ(g.state(), GraphState::Paused);
    int64_t held = position(g);
    EXPECT_EQ(rms(play(kRate / 10)), 0.0);
    EXPECT_EQ(position(g), held);

    ASSERT_TRUE(g.stop());
    EXPECT_EQ(g.state(), GraphState::Stopped);
    EXPECT_EQ(position(g), held);  // stopping does not rewind
    ASSERT_TRUE(g.run());
    EXPECT_GT(rms(play(kRate / 10)), 1000.0);

    EXPECT_NE(playToCompletion(g, kRate), 0u);
    EXPECT_EQ(position(g), kSecond);
    // Like a loop: pause, rewind, run again, and the end comes round once more.
    ASSERT_TRUE(g.pause());
    int64_t stop = 0;
    ASSERT_TRUE(g.stopPosition(stop));
    ASSERT_TRUE(g.setPositions(0, stop));
    ASSERT_TRUE(g.run());
    EXPECT_NEAR(double(playToCompletion(g, 2 * kRate)), double(kRate), double(kStep));

    for (auto [current, end] : {std::pair<int64_t, int64_t>{-1, kSecond}, {0, kSecond + 1},
                                {kSecond / 2, kSecond / 4}}) {
        EXPECT_FALSE(g.setPositions(current, end)) << current << ".." << end;
    }
}

TEST_F(MediaGraphTest, AnEarlierStopPositionEndsTheStreamThere) {
    MediaGraph g;
    ASSERT_TRUE(g.renderFile(tone()));
    ASSERT_TRUE(g.setPositions(0, kSecond / 4));
    ASSERT_TRUE(g.run());
    EXPECT_NEAR(double(playToCompletion(g, kRate)), double(kRate / 4), double(kStep));
    EXPECT_EQ(position(g), kSecond / 4);
}

TEST_F(MediaGraphTest, VolumeIsInHundredthsOfADecibel) {
    MediaGraph g;
    ASSERT_TRUE(g.renderFile(tone()));
    ASSERT_TRUE(g.run());
    auto levelAt = [&](int32_t volume) {
        EXPECT_TRUE(g.setVolume(volume));
        EXPECT_TRUE(g.setPositions(kSecond / 4, kSecond));
        return rms(play(kRate / 4));
    };
    double full = levelAt(kMediaVolumeFull);
    EXPECT_NEAR(levelAt(-2000) / full, 0.1, 0.002);   // -20 dB
    EXPECT_NEAR(levelAt(-600) / full, 0.501, 0.005);  // -6 dB
    EXPECT_EQ(levelAt(kMediaVolumeSilent), 0.0);
    int32_t volume = 1;
    EXPECT_TRUE(g.volume(volume));
    EXPECT_EQ(volume, kMediaVolumeSilent);
    EXPECT_FALSE(g.setVolume(100));
    EXPECT_FALSE(g.setVolume(-10001));
    EXPECT_TRUE(g.volume(volume));
    EXPECT_EQ(volume, kMediaVolumeSilent);
}

TEST_F(MediaGraphTest, GraphsAndWaveStreamsMixIntoOneOutput) {
    MediaGraph g;
    ASSERT_TRUE(g.renderFile(tone()));
    ASSERT_TRUE(g.run());
    std::vector<int16_t> alone = play(kRate / 10);

    WaveFormat f;
    f.channels = 1;
    f.samplesPerSec = kRate;
    f.bitsPerSample = 16;
    f.blockAlign = 2;
    f.avgBytesPerSec = 2 * kRate;
    WaveOutHandle h = 0;
    ASSERT_EQ(waveOutOpen(&h, 0, f, nullptr, 0), WaveResult::Ok);
    std::vector<uint8_t> constant(2 * kRate / 10);
    for (std::size_t i = 0; i < constant.size(); i += 2) constant[i] = 0xE8, constant[i + 1] = 0x03;
    WaveHeader header;
    header.data = constant.data();
    header.bufferLength = uint32_t(constant.size());
    ASSERT_EQ(waveOutPrepareHeader(h, &header), WaveResult::Ok);
    ASSERT_EQ(waveOutWrite(h, &header), WaveResult::Ok);
    ASSERT_TRUE(g.setPositions(0, kSecond));
    std::vector<int16_t> together = play(kRate / 10);
    ASSERT_EQ(together.size(), alone.size());
    for (std::size_t i = 0; i < alone.size(); ++i)
        ASSERT_EQ(together[i], alone[i] + 1000) << "sample " << i;
    waveOutWaitForCallbacks();
    EXPECT_EQ(waveOutClose(h), WaveResult::Ok);
}

TEST_F(MediaGraphTest, EventWaitsCanBeAborted) {
    MediaGraph g;
    ASSERT_TRUE(g.renderFile(tone()));
    GraphWait result = GraphWait::Event;
    std::thread waiter([&] {
        GraphEvent e;
        result = g.waitEvent(e, kInfinite);
    });
    g.abortEventWaits(true);
    waiter.join();
    EXPECT_EQ(result, GraphWait::Aborted);
    GraphEvent e;
    EXPECT_EQ(g.waitEvent(e, kInfinite), GraphWait::Aborted);
    g.abortEventWaits(false);
    EXPECT_EQ(g.waitEvent(e, 10), GraphWait::Timeout);
}

TEST_F(MediaGraphTest, FilesWithoutARendererAreRefused) {
    std::vector<uint8_t> amr = formats::amrFile(formats::sineTone(440, 800, 8000));
    std::vector<uint8_t> wideband{'#', '!', 'A', 'M', 'R', '-', 'W', 'B', '\n', 0x04};
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        const char* logged;
    };
    const Case cases[] = {
        {"tone.mp3", amr, "no renderer"},
        {"tone.wav", amr, "no renderer"},
        {"tone", amr, "no renderer"},
        {"noise.mid", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}, "not a MIDI file"},
        {"wide.amr", wideband, "not an AMR-NB file"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LogCapture log;
        MediaGraph g;
        EXPECT_FALSE(g.renderFile(file(c.name, c.bytes)));
        EXPECT_TRUE(log.contains(c.logged));
        EXPECT_FALSE(g.run());
        int64_t units;
        EXPECT_FALSE(g.duration(units));
    }
    LogCapture log;
    MediaGraph missing;
    EXPECT_FALSE(missing.renderFile((m_dir / "missing.amr").string()));
    EXPECT_TRUE(log.contains("cannot read"));

    MediaGraph upper;
    EXPECT_TRUE(upper.renderFile(file("TONE.AMR", amr)));
    EXPECT_FALSE(upper.renderFile(file("again.amr", amr)));
}
