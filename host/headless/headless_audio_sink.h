// Audio output without a sound card: mixes on demand (pump, or pumpToClock as the clock moves) or
// on its own thread at the sample rate, and records the mixed PCM in memory and, when asked, in a
// WAV file.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "host/headless/wav_recorder.h"

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
    // Mixes the frames due by the tick count since the sink was made, less those mixed so far by
    // this call: the output follows the clock exactly, frame by frame, whatever the steps.
    uint64_t pumpToClock();
    std::vector<int16_t> takeRecording();
    // Every frame mixed from now on also goes to a new WAV file; false (logged) when it cannot be made.
    bool recordToFile(const std::string& path);
    // Closes the WAV file: true when there was one and all of it was written.
    bool finishRecording();

private:
    void run();
    void record(const int16_t* samples, uint32_t frames);

    Mixer& m_mixer;
    const bool m_realtime;
    const uint32_t m_recordLimitFrames;
    std::mutex m_recordMutex;
    std::vector<int16_t> m_recording;
    WavRecorder m_file;
    const int64_t m_startTicks;
    uint64_t m_clockFrames = 0;  // frames mixed by pumpToClock
    std::atomic<bool> m_quit{false};
    std::thread m_thread;
};

}  // namespace host
