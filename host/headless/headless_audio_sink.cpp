#include "host/headless/headless_audio_sink.h"

#include <algorithm>
#include <chrono>
#include <utility>

#include "host/audio/mixer.h"
#include "host/core/clock.h"

namespace host {

HeadlessAudioSink::HeadlessAudioSink(Mixer& mixer, bool realtime, uint32_t recordLimitFrames)
    : m_mixer(mixer), m_realtime(realtime), m_recordLimitFrames(recordLimitFrames), m_startTicks(tickCount64()) {
    if (m_realtime) m_thread = std::thread([this] { run(); });
}

HeadlessAudioSink::~HeadlessAudioSink() {
    m_quit = true;
    if (m_thread.joinable()) m_thread.join();
}

uint32_t HeadlessAudioSink::pump(uint32_t frames) {
    int16_t chunk[kMixChunkFrames * 2];
    uint32_t left = frames;
    while (left > 0) {
        uint32_t n = std::min(left, kMixChunkFrames);
        m_mixer.mix(chunk, n);
        record(chunk, n);
        left -= n;
    }
    return frames;
}

uint64_t HeadlessAudioSink::pumpToClock() {
    const int64_t elapsed = tickCount64() - m_startTicks;
    if (elapsed <= 0) return 0;
    const uint64_t due = uint64_t(elapsed) * m_mixer.rate() / 1000;
    if (due <= m_clockFrames) return 0;
    const uint64_t n = due - m_clockFrames;
    for (uint64_t left = n; left > 0;) {
        const uint32_t chunk = uint32_t(std::min<uint64_t>(left, 1u << 20));
        pump(chunk);
        left -= chunk;
    }
    m_clockFrames = due;
    return n;
}

bool HeadlessAudioSink::recordToFile(const std::string& path) {
    std::lock_guard lock(m_recordMutex);
    return m_file.open(path, m_mixer.rate());
}

bool HeadlessAudioSink::finishRecording() {
    std::lock_guard lock(m_recordMutex);
    return m_file.close();
}

void HeadlessAudioSink::record(const int16_t* samples, uint32_t frames) {
    std::lock_guard lock(m_recordMutex);
    m_file.write(samples, frames);
    std::size_t room = std::size_t(m_recordLimitFrames) * 2 - std::min<std::size_t>(
                           m_recording.size(), std::size_t(m_recordLimitFrames) * 2);
    std::size_t n = std::min<std::size_t>(room, std::size_t(frames) * 2);
    m_recording.insert(m_recording.end(), samples, samples + n);
}

std::vector<int16_t> HeadlessAudioSink::takeRecording() {
    std::lock_guard lock(m_recordMutex);
    return std::exchange(m_recording, {});
}

void HeadlessAudioSink::run() {
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    uint64_t produced = 0;
    while (!m_quit) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        auto elapsed = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start);
        uint64_t due = uint64_t(elapsed.count()) * m_mixer.rate() / 1000000;
        if (due > produced) {
            // After a long stall (a suspended process), catch up at most a fifth of a second.
            uint64_t n = std::min<uint64_t>(due - produced, m_mixer.rate() / 5);
            pump(uint32_t(n));
            produced = due;
        }
    }
}

}  // namespace host
