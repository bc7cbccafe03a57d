// The headless sink's recording on disk: a canonical 44-byte RIFF/WAVE header (PCM, stereo, signed
// 16-bit little-endian) followed by the frames as they are mixed. The sizes in the header are
// written when the file is closed, so a recording cut short by a crash still holds its samples.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace host {

class WavRecorder {
public:
    WavRecorder() = default;
    ~WavRecorder();
    WavRecorder(const WavRecorder&) = delete;
    WavRecorder& operator=(const WavRecorder&) = delete;

    // Creates (or truncates) `path` and writes the header; false, with a log line, when it cannot.
    bool open(const std::string& path, uint32_t sampleRate);
    bool isOpen() const { return m_file != nullptr; }
    // Appends interleaved stereo frames. A write that fails, or a recording that would pass the
    // format's 4 GiB limit, ends the recording (one log line); the file keeps what came before.
    void write(const int16_t* samples, uint32_t frames);
    // Writes the sizes into the header and closes the file. True when every frame handed over was
    // written and the file closed cleanly; false also when nothing was opened.
    bool close();

    uint64_t framesWritten() const { return m_frames; }

private:
    std::FILE* m_file = nullptr;
    std::string m_path;
    uint32_t m_rate = 0;
    uint64_t m_frames = 0;
    bool m_failed = false;
};

}  // namespace host
