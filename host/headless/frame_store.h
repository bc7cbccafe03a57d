// Frames of a headless run: every present counted, the latest ones kept in memory, and the last one
// written as PNG on request. A present costs one copy of the frame into a recycled buffer; nothing
// grows with the run (hashes, when asked for, are the window's: Window::setFrameHashSink).
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace host {

struct Frame {
    uint64_t number = 0;  // 1 for the first present
    int width = 0;
    int height = 0;
    std::vector<uint16_t> pixels;  // RGB565, width × height, no padding
};

class FrameStore {
public:
    // keep: frames held in memory, 0 for all.
    explicit FrameStore(std::size_t keep = 1) : m_keep(keep) {}

    void setKeep(std::size_t keep);
    void add(const uint16_t* pixels, int width, int height, int pitchBytes);

    uint64_t count() const;
    std::optional<Frame> last() const;
    std::vector<Frame> frames() const;  // the kept ones, oldest first

    // The last frame as an 8-bit RGB PNG. False, with a trace, when there is none or it cannot be written.
    bool writePng(const std::string& path) const;

private:
    void trim();

    mutable std::mutex m_mutex;
    std::size_t m_keep;
    uint64_t m_count = 0;
    std::vector<Frame> m_frames;
    std::vector<uint16_t> m_spare;  // pixels of the last frame dropped, for the next one
};

// A 64-bit hash of the pixel values and the size, row by row (padding ignored); four lanes of
// multiply-rotate rounds, so a frame hashes at memory speed.
uint64_t frameHash(const uint16_t* pixels, int width, int height, int pitchBytes);

// RGB565 to 8-bit RGB (each channel's top bits repeated into the low ones, so white stays 255).
void expandRgb565(uint16_t pixel, uint8_t rgb[3]);

// Writes width × height RGB565 pixels as an 8-bit RGB PNG through libpng. False, with a trace, on failure.
bool writeRgb565Png(const std::string& path, const uint16_t* pixels, int width, int height, int pitchBytes);

}  // namespace host
