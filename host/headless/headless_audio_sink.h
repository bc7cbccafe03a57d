// Audio output without a sound card: mixes on demand (pump) or on its own thread at the sample
// rate, and records the mixed PCM.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

namespace host {

class Mixer;

class HeadlessAudioSink {
public:
    HeadlessAudioSink(Mixer& mixer, bool realtime, uint32_t recordLimitFrames);
    ~HeadlessAudioSink();
    HeadlessAudioSink(const HeadlessAudioSink&) = delete;
    HeadlessAudioSink& operator=(const HeadlessAudioSink&) = delete;

    bool realtime() const { return m_realtime; }
    // Mixes and records `frames` frames on the calling thread.
    uint32_t pump(uint32_t frames);
    std::vector<int16_t> takeRecording();

private:
    void run();
    void record(const int16_t* samples, uint32_t frames);

    Mixer& m_mixer;
    const bool m_realtime;
    const uint32_t m_recordLimitFrames;
    std::mutex m_recordMutex;
    std::vector<int16_t> m_recording;
    std::atomic<bool> m_quit{false};
    std::thread m_thread;
};

}  // namespace host
