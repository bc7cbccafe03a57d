// Small 16-bit targets for pixel-exact tests: a store with a guard band around it, a canvas over
// it, and a picture of it as text.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/graphics/pixels.h"

namespace mrc::test {

class PixelTarget {
public:
    PixelTarget(int32_t width, int32_t height, uint16_t fill = 0)
        : m_width(width), m_height(height), m_pitch(gfx::rowPitch(width)),
          m_store(std::size_t(m_pitch) * height + 2 * kGuard, kGuardValue) {
        for (int32_t y = 0; y < height; ++y)
            for (int32_t x = 0; x < m_pitch; ++x) at(x, y) = fill;
    }

    gfx::Canvas canvas(int32_t pixelType = gfx::kRgb565) {
        return {pixels(), m_width, m_height, m_pitch, 0, 0, m_width, m_height, pixelType};
    }
    gfx::Canvas clipped(int32_t left, int32_t top, int32_t right, int32_t bottom) {
        gfx::Canvas c = canvas();
        c.clipLeft = left;
        c.clipTop = top;
        c.clipRight = right;
        c.clipBottom = bottom;
        return c;
    }

    uint16_t* pixels() { return m_store.data() + kGuard; }
    uint16_t& at(int32_t x, int32_t y) { return pixels()[std::size_t(y) * m_pitch + x]; }
    int32_t width() const { return m_width; }
    int32_t height() const { return m_height; }
    int32_t pitch() const { return m_pitch; }

    // Rows of characters: '.' for 0, the mapped character for a known value, '?' otherwise.
    std::string picture(const std::map<uint16_t, char>& names = {{0xFFFF, '#'}}) {
        std::string out;
        for (int32_t y = 0; y < m_height; ++y) {
            for (int32_t x = 0; x < m_width; ++x) {
                uint16_t p = at(x, y);
                auto it = names.find(p);
                out += p == 0 ? '.' : it != names.end() ? it->second : '?';
            }
            out += '\n';
        }
        return out;
    }

    // The guard bands and the row padding are untouched.
    bool guardsIntact() {
        for (int i = 0; i < kGuard; ++i)
            if (m_store[i] != kGuardValue || m_store[m_store.size() - 1 - i] != kGuardValue) return false;
        return true;
    }

private:
    static constexpr int kGuard = 64;
    static constexpr uint16_t kGuardValue = 0xBEEF;
    int32_t m_width, m_height, m_pitch;
    std::vector<uint16_t> m_store;
};

// Joins picture rows given one per string.
inline std::string rows(std::initializer_list<const char*> lines) {
    std::string out;
    for (const char* l : lines) {
        out += l;
        out += '\n';
    }
    return out;
}

}  // namespace mrc::test
