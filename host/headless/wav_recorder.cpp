#include "host/headless/wav_recorder.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "host/core/log.h"

namespace host {
namespace {

constexpr uint32_t kHeaderSize = 44;
constexpr uint32_t kChannels = 2;
constexpr uint32_t kBytesPerFrame = kChannels * 2;
// The RIFF size field counts 36 header bytes besides the data: the data may not pass this.
constexpr uint64_t kMaxDataBytes = 0xFFFFFFFFull - 36;

void putLe(uint8_t* at, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) at[i] = uint8_t(value >> (8 * i));
}

void header(uint8_t (&h)[kHeaderSize], uint32_t sampleRate, uint32_t dataBytes) {
    std::memcpy(h, "RIFF", 4);
    putLe(h + 4, 36 + dataBytes, 4);
    std::memcpy(h + 8, "WAVEfmt ", 8);
    putLe(h + 16, 16, 4);  // the format chunk's size
    putLe(h + 20, 1, 2);   // PCM
    putLe(h + 22, kChannels, 2);
    putLe(h + 24, sampleRate, 4);
    putLe(h + 28, sampleRate * kBytesPerFrame, 4);
    putLe(h + 32, kBytesPerFrame, 2);
    putLe(h + 34, 16, 2);
    std::memcpy(h + 36, "data", 4);
    putLe(h + 40, dataBytes, 4);
}

}  // namespace

WavRecorder::~WavRecorder() { close(); }

bool WavRecorder::open(const std::string& path, uint32_t sampleRate) {
    close();
    m_path = path;
    m_rate = sampleRate;
    m_frames = 0;
    m_failed = false;
    m_file = std::fopen(path.c_str(), "wb");
    if (!m_file) {
        mrc_log("audio: cannot write the recording %s: %s", path.c_str(), std::strerror(errno));
        m_failed = true;
        return false;
    }
    uint8_t h[kHeaderSize];
    header(h, sampleRate, 0);
    if (std::fwrite(h, 1, kHeaderSize, m_file) != kHeaderSize) {
        mrc_log("audio: cannot write the recording %s: %s", path.c_str(), std::strerror(errno));
        std::fclose(m_file);
        m_file = nullptr;
        m_failed = true;
        return false;
    }
    return true;
}

void WavRecorder::write(const int16_t* samples, uint32_t frames) {
    if (!m_file || m_failed || frames == 0) return;
    if ((m_frames + frames) * kBytesPerFrame > kMaxDataBytes) {
        mrc_log("audio: the recording %s reached the 4 GiB limit of the format; it ends here", m_path.c_str());
        m_failed = true;
        return;
    }
    // Little-endian on disk whatever the machine's order.
    uint8_t bytes[512 * kBytesPerFrame];
    uint32_t done = 0;
    while (done < frames) {
        const uint32_t n = std::min<uint32_t>(frames - done, 512);
        for (uint32_t i = 0; i < n * kChannels; ++i) putLe(bytes + 2 * i, uint16_t(samples[done * kChannels + i]), 2);
        if (std::fwrite(bytes, kBytesPerFrame, n, m_file) != n) {
            mrc_log("audio: cannot write the recording %s: %s", m_path.c_str(), std::strerror(errno));
            m_failed = true;
            return;
        }
        m_frames += n;
        done += n;
    }
}

bool WavRecorder::close() {
    if (!m_file) return false;
    std::FILE* f = m_file;
    m_file = nullptr;
    bool ok = !m_failed;
    uint8_t h[kHeaderSize];
    header(h, m_rate, uint32_t(m_frames * kBytesPerFrame));
    if (std::fseek(f, 0, SEEK_SET) != 0 || std::fwrite(h, 1, kHeaderSize, f) != kHeaderSize) ok = false;
    if (std::fclose(f) != 0) ok = false;
    if (!ok && !m_failed) mrc_log("audio: cannot finish the recording %s", m_path.c_str());
    m_failed = !ok;
    return ok;
}

}  // namespace host
