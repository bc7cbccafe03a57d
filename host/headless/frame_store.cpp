#include "host/headless/frame_store.h"

#include <png.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

#include "host/core/log.h"

namespace host {

void FrameStore::setKeep(std::size_t keep) {
    std::lock_guard lock(m_mutex);
    m_keep = keep;
    trim();
}

void FrameStore::add(const uint16_t* pixels, int width, int height, int pitchBytes) {
    Frame f;
    {
        // The buffer of a frame no longer kept: same size in a run, so no allocation and no zero fill.
        std::lock_guard lock(m_mutex);
        f.pixels = std::move(m_spare);
        m_spare = {};
    }
    f.width = width;
    f.height = height;
    const std::size_t rowBytes = std::size_t(width) * 2;
    f.pixels.resize(std::size_t(width) * height);
    if (std::size_t(pitchBytes) == rowBytes) {
        std::memcpy(f.pixels.data(), pixels, rowBytes * height);
    } else {
        for (int y = 0; y < height; ++y)
            std::memcpy(&f.pixels[std::size_t(y) * width],
                        reinterpret_cast<const uint8_t*>(pixels) + std::size_t(y) * pitchBytes, rowBytes);
    }
    std::lock_guard lock(m_mutex);
    f.number = ++m_count;
    m_frames.push_back(std::move(f));
    trim();
}

void FrameStore::trim() {
    if (m_keep == 0 || m_frames.size() <= m_keep) return;
    const auto dropped = static_cast<std::ptrdiff_t>(m_frames.size() - m_keep);
    m_spare = std::move(m_frames[dropped - 1].pixels);
    m_frames.erase(m_frames.begin(), m_frames.begin() + dropped);
}

uint64_t FrameStore::count() const {
    std::lock_guard lock(m_mutex);
    return m_count;
}

std::optional<Frame> FrameStore::last() const {
    std::lock_guard lock(m_mutex);
    if (m_frames.empty()) return std::nullopt;
    return m_frames.back();
}

std::vector<Frame> FrameStore::frames() const {
    std::lock_guard lock(m_mutex);
    return m_frames;
}

bool FrameStore::writePng(const std::string& path) const {
    std::lock_guard lock(m_mutex);
    if (m_frames.empty()) {
        mrc_log("FrameStore::writePng: no frame was presented; %s not written", path.c_str());
        return false;
    }
    const Frame& f = m_frames.back();
    return writeRgb565Png(path, f.pixels.data(), f.width, f.height, f.width * 2);
}

namespace {

constexpr uint64_t kPrime1 = 0x9E3779B185EBCA87ull;
constexpr uint64_t kPrime2 = 0xC2B2AE3D27D4EB4Full;
constexpr uint64_t kPrime3 = 0x165667B19E3779F9ull;

uint64_t rotl(uint64_t v, int r) { return v << r | v >> (64 - r); }

// One multiply-rotate-multiply round: every input bit reaches the whole lane.
uint64_t mixRound(uint64_t lane, uint64_t word) { return rotl(lane + word * kPrime2, 31) * kPrime1; }

// Four pixels as one word, built from their values so the hash does not depend on byte order.
uint64_t word4(const uint16_t* p) {
    return uint64_t(p[0]) | uint64_t(p[1]) << 16 | uint64_t(p[2]) << 32 | uint64_t(p[3]) << 48;
}

}  // namespace

uint64_t frameHash(const uint16_t* pixels, int width, int height, int pitchBytes) {
    uint64_t lanes[4] = {kPrime1 + kPrime2, kPrime2, 0, 0 - kPrime1};
    for (int y = 0; y < height; ++y) {
        const uint16_t* row =
            reinterpret_cast<const uint16_t*>(reinterpret_cast<const uint8_t*>(pixels) + std::size_t(y) * pitchBytes);
        int x = 0;
        for (; x + 16 <= width; x += 16)
            for (int k = 0; k < 4; ++k) lanes[k] = mixRound(lanes[k], word4(row + x + 4 * k));
        for (; x < width; ++x) lanes[0] = mixRound(lanes[0], row[x]);
    }
    uint64_t h = rotl(lanes[0], 1) + rotl(lanes[1], 7) + rotl(lanes[2], 12) + rotl(lanes[3], 18);
    h = mixRound(h, uint64_t(uint32_t(width)) << 32 | uint32_t(height));
    h ^= h >> 33;
    h *= kPrime2;
    h ^= h >> 29;
    h *= kPrime3;
    return h ^ h >> 32;
}

void expandRgb565(uint16_t p, uint8_t rgb[3]) {
    unsigned r = p >> 11, g = (p >> 5) & 0x3F, b = p & 0x1F;
    rgb[0] = static_cast<uint8_t>(r << 3 | r >> 2);
    rgb[1] = static_cast<uint8_t>(g << 2 | g >> 4);
    rgb[2] = static_cast<uint8_t>(b << 3 | b >> 2);
}

namespace {

void pngError(png_structp png, png_const_charp message) {
    mrc_log("writePng: libpng: %s", message);
    png_longjmp(png, 1);
}

void pngWarning(png_structp, png_const_charp message) { mrc_log("writePng: libpng warning: %s", message); }

}  // namespace

bool writeRgb565Png(const std::string& path, const uint16_t* pixels, int width, int height, int pitchBytes) {
    if (!pixels || width <= 0 || height <= 0 || pitchBytes < width * 2) {
        mrc_log("writePng: bad image %dx%d pitch %d for %s", width, height, pitchBytes, path.c_str());
        return false;
    }
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        mrc_log("writePng: cannot create %s: %s", path.c_str(), std::strerror(errno));
        return false;
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, pngError, pngWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        if (png) png_destroy_write_struct(&png, nullptr);
        std::fclose(file);
        mrc_log("writePng: libpng could not start for %s", path.c_str());
        return false;
    }
    std::vector<uint8_t> row(std::size_t(width) * 3);
    // Set after setjmp and read after a longjmp: must not live in a register.
    volatile bool ok = false;
    if (setjmp(png_jmpbuf(png)) == 0) {
        png_init_io(png, file);
        png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                     PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_write_info(png, info);
        for (int y = 0; y < height; ++y) {
            const uint16_t* src = reinterpret_cast<const uint16_t*>(reinterpret_cast<const uint8_t*>(pixels) +
                                                                    std::size_t(y) * pitchBytes);
            for (int x = 0; x < width; ++x) expandRgb565(src[x], &row[std::size_t(x) * 3]);
            png_write_row(png, row.data());
        }
        png_write_end(png, nullptr);
        ok = true;
    }
    png_destroy_write_struct(&png, &info);
    if (std::fclose(file) != 0) ok = false;
    if (!ok) {
        mrc_log("writePng: %s not written", path.c_str());
        std::remove(path.c_str());
    }
    return ok;
}

}  // namespace host
