// The pumped headless sink paced by the clock (fixed-step runs) and its WAV recording.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <vector>

#include "host/audio/audio.h"
#include "host/audio/wave_out.h"
#include "host/core/clock.h"
#include "host/core/log.h"
#include "tests/host/audio_test_support.h"
#include "tests/support/temp_folder.h"

using namespace host;
using audio_test::kRate;

namespace {

// A stream playing one constant stereo frame over and over, for as long as the test runs.
class Tone {
public:
    Tone(int16_t left, int16_t right) {
        WaveFormat f;
        f.channels = 2;
        f.samplesPerSec = kRate;
        f.bitsPerSample = 16;
        f.blockAlign = 4;
        f.avgBytesPerSec = kRate * 4;
        for (int i = 0; i < 64; ++i)
            for (int16_t v : {left, right}) {
                m_bytes.push_back(uint8_t(v & 0xFF));
                m_bytes.push_back(uint8_t((v >> 8) & 0xFF));
            }
        m_header.data = m_bytes.data();
        m_header.bufferLength = uint32_t(m_bytes.size());
        m_header.flags = kWaveHeaderBeginLoop | kWaveHeaderEndLoop;
        m_header.loops = 0xFFFFFFFFu;
        EXPECT_EQ(waveOutOpen(&m_handle, 0, f, nullptr, 0), WaveResult::Ok);
        EXPECT_EQ(waveOutPrepareHeader(m_handle, &m_header), WaveResult::Ok);
        EXPECT_EQ(waveOutWrite(m_handle, &m_header), WaveResult::Ok);
    }
    ~Tone() {
        waveOutReset(m_handle);
        waveOutClose(m_handle);
    }

private:
    std::vector<uint8_t> m_bytes;
    WaveHeader m_header;
    WaveOutHandle m_handle = 0;
};

uint32_t le(const std::vector<uint8_t>& b, std::size_t at, int bytes) {
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = v << 8 | b[at + std::size_t(i)];
    return v;
}

class PacedSink : public ::testing::Test {
protected:
    // The clock stands before the sink starts: its time counts from there.
    void SetUp() override {
        m_clock.emplace(5000);
        ASSERT_EQ(audioInit(AudioBackend::Headless, {kRate, false, kRate * 30}), AudioBackend::Headless);
    }
    void TearDown() override {
        audioShutdown();
        m_clock.reset();
    }

    std::optional<ManualClock> m_clock;
    test_support::TempFolder m_dir{"veltrano-sink"};
};

TEST_F(PacedSink, MixesExactlyTheFramesOfTheClocksTimeWhateverTheSteps) {
    Tone tone(1200, -800);
    // Frames due at t ms: t × 44100 / 1000 rounded down, counted from the sink's start; a clock
    // set back mixes nothing until it passes what was mixed.
    const struct {
        uint32_t clock;
        uint64_t mixed;
    } steps[] = {{5000, 0},   {5033, 1455}, {5066, 1455}, {5099, 1455}, {5100, 45},
                 {5100, 0},   {5040, 0},    {5101, 44},   {6101, 44100}, {5000, 0}};
    uint64_t total = 0;
    for (const auto& s : steps) {
        SCOPED_TRACE(s.clock);
        m_clock->set(s.clock);
        EXPECT_EQ(audioPumpToClock(), s.mixed);
        total += s.mixed;
    }
    std::vector<int16_t> pcm = audioTakeRecording();
    ASSERT_EQ(pcm.size(), 2 * total);
    EXPECT_EQ(pcm[0], 1200);
    EXPECT_EQ(pcm[2 * total - 1], -800);
}

TEST_F(PacedSink, TheWavFileHoldsWhatWasMixedUnderACanonicalHeader) {
    const auto path = m_dir / "sound.wav";
    std::vector<int16_t> mixed;
    {
        LogCapture log;
        audioPump(100);  // before the recording: not in the file
        audioTakeRecording();
        ASSERT_TRUE(audioRecordToFile(path.string()));
        Tone tone(3000, -3000);
        for (uint32_t t = 5033; t <= 5330; t += 33) {
            m_clock->set(t);
            audioPumpToClock();
        }
        mixed = audioTakeRecording();
        EXPECT_TRUE(log.lines().empty());
    }
    EXPECT_FALSE(audioRecordingComplete()) << "not known before the end";
    audioShutdown();
    EXPECT_TRUE(audioRecordingComplete());

    const std::vector<uint8_t> file = test_support::readBytes(path);
    ASSERT_EQ(mixed.size(), 2u * (330 * kRate / 1000));
    ASSERT_EQ(file.size(), 44 + 2 * mixed.size());
    EXPECT_EQ(std::string(file.begin(), file.begin() + 4), "RIFF");
    EXPECT_EQ(le(file, 4, 4), file.size() - 8);
    EXPECT_EQ(std::string(file.begin() + 8, file.begin() + 16), "WAVEfmt ");
    const uint32_t fmt[][2] = {{16, 4}, {20, 2}, {22, 2}, {24, 4}, {28, 4}, {32, 2}, {34, 2}, {40, 4}};
    const uint32_t expected[] = {16, 1, 2, kRate, kRate * 4, 4, 16, uint32_t(file.size() - 44)};
    for (std::size_t i = 0; i < std::size(fmt); ++i) EXPECT_EQ(le(file, fmt[i][0], int(fmt[i][1])), expected[i]) << i;
    EXPECT_EQ(std::string(file.begin() + 36, file.begin() + 40), "data");
    for (std::size_t i = 0; i < mixed.size(); ++i)
        ASSERT_EQ(int16_t(le(file, 44 + 2 * i, 2)), mixed[i]) << "sample " << i;
}

TEST_F(PacedSink, ARecordingThatCannotBeWrittenIsReportedIncomplete) {
    {
        LogCapture log;
        EXPECT_FALSE(audioRecordToFile((m_dir / "no-folder" / "sound.wav").string()));
        EXPECT_TRUE(log.contains("cannot write the recording"));
    }
    audioShutdown();
    EXPECT_FALSE(audioRecordingComplete()) << "no file";

    // A device that takes the header but no data: the frames mixed after are lost.
    ASSERT_EQ(audioInit(AudioBackend::Headless, {kRate, false, 0}), AudioBackend::Headless);
    LogCapture log;
    ASSERT_TRUE(audioRecordToFile("/dev/full"));
    Tone tone(100, 100);
    m_clock->set(8000);
    audioPumpToClock();
    audioShutdown();
    EXPECT_FALSE(audioRecordingComplete());
    EXPECT_TRUE(log.contains("/dev/full"));
}

TEST(AudioPacing, NothingIsPumpedByTheClockInRealTime) {
    ManualClock clock(0);
    ASSERT_EQ(audioInit(AudioBackend::Headless, {kRate, true, 0}), AudioBackend::Headless);
    clock.set(1000);
    EXPECT_EQ(audioPumpToClock(), 0u);
    audioShutdown();
    EXPECT_EQ(audioPumpToClock(), 0u) << "nor without audio";
}

}  // namespace
