// The one audio mixer: any number of sources (wave-out devices, media graphs) summed into a fixed
// stereo 16-bit output. Output back ends (SDL audio, the headless sink) pull frames through mix().
// Sources are called under the mixer's lock, which also guards every source's own state, so a
// source never sees its controls change in the middle of a chunk.
#pragma once

#include <cstdint>
#include <mutex>
#include <vector>

namespace host {

// Frames mixed per pass; the accumulator lives on the stack.
inline constexpr uint32_t kMixChunkFrames = 256;

// Unity gain in the mixer's Q16 fixed point.
inline constexpr int32_t kUnityGain = 0x10000;

class MixSource {
public:
    virtual ~MixSource() = default;
    // Adds `frames` interleaved stereo frames to `acc`. Runs under the mixer lock, on the output
    // thread: no allocation, no blocking, no callbacks into user code.
    virtual void mixInto(int32_t* acc, uint32_t frames) = 0;
};

class Mixer {
public:
    Mixer() { m_sources.reserve(32); }
    Mixer(const Mixer&) = delete;
    Mixer& operator=(const Mixer&) = delete;

    std::mutex& mutex() { return m_mutex; }

    // Output frames per second. Fixed while sources are attached (they work in it).
    uint32_t rate() const { return m_rate; }
    // False (and the rate unchanged) while any source is attached. Lock held by the caller.
    bool setRate(uint32_t rate);

    // Lock held by the caller.
    void add(MixSource* source);
    void remove(MixSource* source);
    std::size_t sourceCount() const { return m_sources.size(); }

    // The device's volume word: low 16 bits the level of both channels (a device without separate
    // channel volume, so the high half is kept for reading back but not applied). Lock held.
    uint32_t volume() const { return m_volume; }
    void setVolume(uint32_t word);

    // Mixes `frames` interleaved stereo frames into `out`. Takes the lock.
    void mix(int16_t* out, uint32_t frames);

private:
    std::mutex m_mutex;
    std::vector<MixSource*> m_sources;
    uint32_t m_rate = 44100;
    uint32_t m_volume = 0xFFFFFFFFu;
    int32_t m_gain = kUnityGain;
};

// The process's mixer; it outlives every back end so that sources may be made before start-up.
Mixer& mixer();

// Layout of interleaved little-endian PCM: unsigned 8-bit or signed 16-bit, mono or stereo.
enum class PcmLayout : uint8_t { U8Mono, U8Stereo, S16Mono, S16Stereo };

// Source frames advanced per output frame, 32.32 fixed point, for a source at `sourceRate` played
// at `speed` (16.16, 0x10000 normal) into an output at `outputRate`.
uint64_t resampleStep(uint32_t sourceRate, uint32_t outputRate, uint32_t speed = 0x10000);

// Adds resampled PCM (linear interpolation) to `acc`, starting at source frame position `pos`
// (32.32), until `frames` output frames are made or the position reaches `sourceFrames`.
// Advances `pos`; returns the output frames made.
uint32_t mixPcm(const uint8_t* data, uint32_t sourceFrames, PcmLayout layout, uint64_t& pos,
                uint64_t step, int32_t gain, int32_t* acc, uint32_t frames);

// Adds interleaved stereo 16-bit samples scaled by a Q16 gain.
void mixScaled(const int16_t* samples, int32_t gain, int32_t* acc, uint32_t frames);

// Q16 gain of a 16-bit level, rounded, 0xFFFF mapping to exact unity.
inline int32_t gainOfLevel(uint16_t level) {
    return int32_t((uint64_t(level) * 0x10000 + 0x7FFF) / 0xFFFF);
}

}  // namespace host
