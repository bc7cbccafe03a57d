// Audio output through SDL: the sound card pulls frames from the mixer on SDL's audio thread.
#pragma once

#include <cstdint>
#include <memory>

namespace host {

class Mixer;

class SdlAudioOutput {
public:
    // Null (with a log line naming SDL's reason) when no audio device can be opened.
    static std::unique_ptr<SdlAudioOutput> open(Mixer& mixer, uint32_t sampleRate);
    ~SdlAudioOutput();
    SdlAudioOutput(const SdlAudioOutput&) = delete;
    SdlAudioOutput& operator=(const SdlAudioOutput&) = delete;

private:
    explicit SdlAudioOutput(uint32_t device) : m_device(device) {}
    uint32_t m_device;
};

}  // namespace host
