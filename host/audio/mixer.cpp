#include "host/audio/mixer.h"

#include <algorithm>
#include <cstring>

namespace host {
namespace {

template <bool kWide, bool kStereo>
struct PcmReader {
    static constexpr uint32_t kBlock = (kWide ? 2 : 1) * (kStereo ? 2 : 1);

    static int32_t sample(const uint8_t* p) {
        if constexpr (kWide) return int16_t(uint16_t(p[0] | (p[1] << 8)));
        else return (int32_t(p[0]) - 128) << 8;
    }
    static void frame(const uint8_t* data, uint32_t index, int32_t& l, int32_t& r) {
        const uint8_t* p = data + std::size_t(index) * kBlock;
        l = sample(p);
        r = kStereo ? sample(p + kBlock / 2) : l;
    }
};

template <class Reader>
uint32_t mixRun(const uint8_t* data, uint32_t sourceFrames, uint64_t& pos, uint64_t step,
                int32_t gain, int32_t* acc, uint32_t frames) {
    uint64_t p = pos;
    uint32_t made = 0;
    const uint32_t last = sourceFrames - 1;
    for (; made < frames; ++made) {
        uint32_t index = uint32_t(p >> 32);
        if (index >= sourceFrames) break;
        int32_t l0, r0, l1, r1;
        Reader::frame(data, index, l0, r0);
        // The frame after the last one is not ours to read (the next buffer may not be queued
        // yet); holding the last value costs less than a click.
        Reader::frame(data, index < last ? index + 1 : index, l1, r1);
        int32_t frac = int32_t((p >> 16) & 0xFFFF);
        int32_t l = l0 + int32_t((int64_t(l1 - l0) * frac) >> 16);
        int32_t r = r0 + int32_t((int64_t(r1 - r0) * frac) >> 16);
        acc[2 * made] += int32_t((int64_t(l) * gain + 0x8000) >> 16);
        acc[2 * made + 1] += int32_t((int64_t(r) * gain + 0x8000) >> 16);
        p += step;
    }
    pos = p;
    return made;
}

}  // namespace

Mixer& mixer() {
    static Mixer* instance = new Mixer;
    return *instance;
}

bool Mixer::setRate(uint32_t rate) {
    if (!m_sources.empty()) return rate == m_rate;
    m_rate = rate;
    return true;
}

void Mixer::add(MixSource* source) {
    if (std::find(m_sources.begin(), m_sources.end(), source) == m_sources.end())
        m_sources.push_back(source);
}

void Mixer::remove(MixSource* source) {
    m_sources.erase(std::remove(m_sources.begin(), m_sources.end(), source), m_sources.end());
}

void Mixer::setVolume(uint32_t word) {
    m_volume = word;
    m_gain = gainOfLevel(uint16_t(word & 0xFFFF));
}

void Mixer::mix(int16_t* out, uint32_t frames) {
    std::lock_guard lock(m_mutex);
    int32_t acc[kMixChunkFrames * 2];
    while (frames > 0) {
        uint32_t n = std::min(frames, kMixChunkFrames);
        std::memset(acc, 0, sizeof(int32_t) * 2 * n);
        for (MixSource* source : m_sources) source->mixInto(acc, n);
        const int32_t gain = m_gain;
        for (uint32_t i = 0; i < 2 * n; ++i) {
            int32_t v = int32_t((int64_t(acc[i]) * gain + 0x8000) >> 16);
            out[i] = int16_t(std::clamp(v, -32768, 32767));
        }
        out += 2 * n;
        frames -= n;
    }
}

uint64_t resampleStep(uint32_t sourceRate, uint32_t outputRate, uint32_t speed) {
    if (outputRate == 0) return 0;
    uint64_t base = (uint64_t(sourceRate) << 32) / outputRate;
    return uint64_t((unsigned __int128)base * speed >> 16);
}

uint32_t mixPcm(const uint8_t* data, uint32_t sourceFrames, PcmLayout layout, uint64_t& pos,
                uint64_t step, int32_t gain, int32_t* acc, uint32_t frames) {
    if (sourceFrames == 0 || step == 0) return 0;
    switch (layout) {
    case PcmLayout::U8Mono:
        return mixRun<PcmReader<false, false>>(data, sourceFrames, pos, step, gain, acc, frames);
    case PcmLayout::U8Stereo:
        return mixRun<PcmReader<false, true>>(data, sourceFrames, pos, step, gain, acc, frames);
    case PcmLayout::S16Mono:
        return mixRun<PcmReader<true, false>>(data, sourceFrames, pos, step, gain, acc, frames);
    case PcmLayout::S16Stereo:
        return mixRun<PcmReader<true, true>>(data, sourceFrames, pos, step, gain, acc, frames);
    }
    return 0;
}

void mixScaled(const int16_t* samples, int32_t gain, int32_t* acc, uint32_t frames) {
    for (uint32_t i = 0; i < 2 * frames; ++i)
        acc[i] += int32_t((int64_t(samples[i]) * gain + 0x8000) >> 16);
}

}  // namespace host
