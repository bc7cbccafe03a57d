// Shared pieces of the audio tests: a pumped headless audio system and PCM measurements.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "host/audio/audio.h"
#include "host/core/log.h"

namespace audio_test {

inline constexpr uint32_t kRate = 44100;

// Every test starts on a fresh pumped headless sink at kRate and shuts it down after.
class AudioTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(host::audioInit(host::AudioBackend::Headless, {kRate, false, kRate * 30}),
                  host::AudioBackend::Headless);
    }
    void TearDown() override { host::audioShutdown(); }

    // Pumps `frames` and returns what was mixed (interleaved stereo).
    static std::vector<int16_t> play(uint32_t frames) {
        host::audioTakeRecording();
        host::audioPump(frames);
        return host::audioTakeRecording();
    }
};

// Root mean square of interleaved samples in frames [from, to).
inline double rms(const std::vector<int16_t>& pcm, std::size_t from, std::size_t to) {
    to = std::min(to, pcm.size() / 2);
    if (to <= from) return 0;
    double sum = 0;
    for (std::size_t i = 2 * from; i < 2 * to; ++i) sum += double(pcm[i]) * pcm[i];
    return std::sqrt(sum / double(2 * (to - from)));
}

inline double rms(const std::vector<int16_t>& pcm) { return rms(pcm, 0, pcm.size() / 2); }

}  // namespace audio_test
