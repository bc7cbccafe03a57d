// Image drawing next to its fastest fair reference on the same pixels, in one run:
//   keyed/N      drawRegion of a keyed RGB565 sprite  vs SDL_BlitSurface, colour key with RLE
//   alpha/N      drawRegion of an ARGB4444 sprite     vs SDL_BlitSurface, ARGB8888 into RGB565
//   opaque/N     drawRegion of an RGB565 image        vs SDL_BlitSurface, plain copy
//   copy/WxH     drawRegion of a screen-sized image   vs memcpy of the same rows
//   fill/WxH     fillRect                             vs memset of the same rows (and SDL_FillRect)
//   png/KIND     decodePng                            vs libpng's simplified reader
// Sprites are N × N (16-128) at spread positions of the 800 × 480 screen. The closing table gives
// reference time / our time per case. Transformed blits are listed as info/... (no reference).
// Counter `pixels`: pixels of the region drawn, or decoded, per second.
#include <benchmark/benchmark.h>
#include <png.h>

#include <SDL.h>

#include <cmath>
#include <cstring>
#include <string>
#include <random>
#include <vector>

#include "platform/graphics/pixels.h"
#include "platform/graphics/png_decoder.h"
#include "bench/ratio_report.h"
#include "tests/platform/graphics/png_writer.h"

namespace {

using namespace mrc::gfx;

constexpr int kScreenW = 800, kScreenH = 480;

struct Screen {
    std::vector<uint16_t> pixels = std::vector<uint16_t>(kScreenW * kScreenH, 0x3186);
    Canvas canvas() { return {pixels.data(), kScreenW, kScreenH, kScreenW, 0, 0, kScreenW, kScreenH, kRgb565}; }
    SDL_Surface* surface() {
        return SDL_CreateRGBSurfaceWithFormatFrom(pixels.data(), kScreenW, kScreenH, 16, kScreenW * 2,
                                                  SDL_PIXELFORMAT_RGB565);
    }
};

// A sprite-like picture: a disc of varied colour in the middle of an n × n square, keyed (or
// transparent) around it, a few keyed holes inside.
std::vector<uint16_t> sprite(int n, int type) {
    std::mt19937 rng(n);
    int pitch = rowPitch(n);
    std::vector<uint16_t> px(std::size_t(pitch) * n, 0);
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            double dx = x - n / 2.0 + 0.5, dy = y - n / 2.0 + 0.5;
            bool inside = std::sqrt(dx * dx + dy * dy) < n * 0.45 && rng() % 16 != 0;
            uint16_t c = static_cast<uint16_t>(rng());
            if (type == kArgb4444) {
                uint16_t a = inside ? (rng() % 4 == 0 ? 0x8 : 0xF) : 0;
                px[y * pitch + x] = static_cast<uint16_t>(a << 12 | (c & 0x0FFF));
            } else {
                if (c == kColorKey) c = 0;
                px[y * pitch + x] = inside ? c : kColorKey;
            }
        }
    return px;
}

// Positions inside the screen, spread over it.
inline void place(int64_t i, int n, int w, int h, int& x, int& y) {
    x = w < kScreenW ? int((i * 37) % (kScreenW - w)) : 0;
    y = h < kScreenH ? int((i * 23) % (kScreenH - h)) : 0;
    (void)n;
}

void setPixels(benchmark::State& state, int64_t perIteration) {
    state.counters["pixels"] =
        benchmark::Counter(double(state.iterations()) * double(perIteration), benchmark::Counter::kIsRate);
}

// ---- blits ------------------------------------------------------------------------------------

void ourBlit(benchmark::State& state, int type, int n, int transform) {
    Screen screen;
    std::vector<uint16_t> px = sprite(n, type);
    Source src{px.data(), n, n, rowPitch(n), type};
    Canvas c = screen.canvas();
    int64_t i = 0;
    for (auto _ : state) {
        int x, y;
        place(i++, n, n, n, x, y);
        drawRegion(c, &src, 0, 0, n, n, transform, x, y, kTop | kLeft);
        benchmark::ClobberMemory();
    }
    setPixels(state, int64_t(n) * n);
}

enum class SdlMode { KeyRle, Argb8888, Copy };

// The same picture as ourBlit's, in the form SDL's fast path takes.
void sdlBlit(benchmark::State& state, SdlMode mode, int n) {
    if (SDL_Init(0) != 0) {
        state.SkipWithError("SDL_Init");
        return;
    }
    Screen screen;
    SDL_Surface* dst = screen.surface();
    SDL_Surface* src = nullptr;
    std::vector<uint16_t> px;
    std::vector<uint32_t> argb;
    switch (mode) {
        case SdlMode::KeyRle:
            px = sprite(n, kRgb565Keyed);
            src = SDL_CreateRGBSurfaceWithFormatFrom(px.data(), n, n, 16, rowPitch(n) * 2, SDL_PIXELFORMAT_RGB565);
            SDL_SetColorKey(src, SDL_TRUE, kColorKey);
            SDL_SetSurfaceRLE(src, 1);
            break;
        case SdlMode::Argb8888:
            px = sprite(n, kArgb4444);
            for (int y = 0; y < n; ++y)
                for (int x = 0; x < n; ++x) argb.push_back(argb4444ToArgb(px[std::size_t(y * rowPitch(n) + x)]));
            src = SDL_CreateRGBSurfaceWithFormatFrom(argb.data(), n, n, 32, n * 4, SDL_PIXELFORMAT_ARGB8888);
            SDL_SetSurfaceBlendMode(src, SDL_BLENDMODE_BLEND);
            break;
        case SdlMode::Copy:
            px = sprite(n, kRgb565);
            src = SDL_CreateRGBSurfaceWithFormatFrom(px.data(), n, n, 16, rowPitch(n) * 2, SDL_PIXELFORMAT_RGB565);
            SDL_SetSurfaceBlendMode(src, SDL_BLENDMODE_NONE);
            break;
    }
    int64_t i = 0;
    for (auto _ : state) {
        SDL_Rect r{0, 0, n, n};
        place(i++, n, n, n, r.x, r.y);
        SDL_BlitSurface(src, nullptr, dst, &r);
        benchmark::ClobberMemory();
    }
    setPixels(state, int64_t(n) * n);
    SDL_FreeSurface(src);
    SDL_FreeSurface(dst);
}

// ---- copies and fills against the memory floor ---------------------------------------------------

void ourCopy(benchmark::State& state, int w, int h) {
    Screen screen;
    std::vector<uint16_t> px(std::size_t(rowPitch(w)) * h, 0x1234);
    Source src{px.data(), w, h, rowPitch(w), kRgb565};
    Canvas c = screen.canvas();
    for (auto _ : state) {
        drawRegion(c, &src, 0, 0, w, h, kTransNone, 0, 0, kTop | kLeft);
        benchmark::ClobberMemory();
    }
    setPixels(state, int64_t(w) * h);
}

void memcpyCopy(benchmark::State& state, int w, int h) {
    Screen screen;
    std::vector<uint16_t> px(std::size_t(rowPitch(w)) * h, 0x1234);
    for (auto _ : state) {
        for (int y = 0; y < h; ++y)
            std::memcpy(screen.pixels.data() + std::size_t(y) * kScreenW, px.data() + std::size_t(y) * rowPitch(w),
                        std::size_t(w) * 2);
        benchmark::ClobberMemory();
    }
    setPixels(state, int64_t(w) * h);
}

void ourFill(benchmark::State& state, int w, int h) {
    Screen screen;
    Canvas c = screen.canvas();
    int64_t i = 0;
    for (auto _ : state) {
        int x, y;
        place(i, w, w, h, x, y);
        fillRect(c, x, y, w, h, 0xFF000000u | uint32_t(i++ * 2654435761u));
        benchmark::ClobberMemory();
    }
    setPixels(state, int64_t(w) * h);
}

// The same rows with memset: the physical floor (one byte value, which a colour rarely is).
void memsetFill(benchmark::State& state, int w, int h) {
    Screen screen;
    int64_t i = 0;
    for (auto _ : state) {
        int x, y;
        place(i, w, w, h, x, y);
        for (int row = y; row < y + h; ++row)
            std::memset(screen.pixels.data() + std::size_t(row) * kScreenW + x, int(i & 0xFF), std::size_t(w) * 2);
        ++i;
        benchmark::ClobberMemory();
    }
    setPixels(state, int64_t(w) * h);
}

void sdlFill(benchmark::State& state, int w, int h) {
    SDL_Init(0);
    Screen screen;
    SDL_Surface* dst = screen.surface();
    int64_t i = 0;
    for (auto _ : state) {
        SDL_Rect r{0, 0, w, h};
        place(i, w, w, h, r.x, r.y);
        SDL_FillRect(dst, &r, argbToRgb565(uint32_t(i++ * 2654435761u)));
        benchmark::ClobberMemory();
    }
    setPixels(state, int64_t(w) * h);
    SDL_FreeSurface(dst);
}

// ---- PNG decoding and png_image_finish_read ---------------------------------------------------------

std::vector<uint8_t> pngFile(int kind) {
    std::mt19937 rng(kind);
    mrc::test::PngPicture p;
    p.width = p.height = kind == 2 ? 256 : 128;
    p.colorType = kind == 0 ? PNG_COLOR_TYPE_RGB : kind == 1 ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_PALETTE;
    int channels = kind == 0 ? 3 : kind == 1 ? 4 : 1;
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x)
            for (int c = 0; c < channels; ++c)
                p.samples.push_back(kind == 2 ? static_cast<uint8_t>((x / 8 + y / 8 + rng() % 3) & 31)
                                              : static_cast<uint8_t>(x * (c + 1) + y * 3 + rng() % 8));
    if (kind == 2) {
        for (int i = 0; i < 32; ++i) p.palette.push_back({uint8_t(i * 8), uint8_t(255 - i * 8), uint8_t(i * 5)});
        p.paletteAlpha = {0};
    }
    return mrc::test::writePng(p);
}

void ourPng(benchmark::State& state, int kind) {
    std::vector<uint8_t> file = pngFile(kind);
    PngHeader h;
    readPngHeader(file.data(), file.size(), h);
    std::vector<uint16_t> px(std::size_t(rowPitch(h.width)) * h.height);
    for (auto _ : state) {
        readPngHeader(file.data(), file.size(), h);
        decodePng(file.data(), file.size(), px.data(), h.width, h.height, rowPitch(h.width), pngPixelType(h));
        benchmark::DoNotOptimize(px.data());
    }
    setPixels(state, int64_t(h.width) * h.height);
}

// RGB into RGB, anything with transparency into RGBA: the least work the simplified API does.
void libpngPng(benchmark::State& state, int kind) {
    std::vector<uint8_t> file = pngFile(kind);
    std::vector<uint8_t> out;
    int64_t pixels = 0;
    for (auto _ : state) {
        png_image image{};
        image.version = PNG_IMAGE_VERSION;
        png_image_begin_read_from_memory(&image, file.data(), file.size());
        image.format = kind == 0 ? PNG_FORMAT_RGB : PNG_FORMAT_RGBA;
        out.resize(PNG_IMAGE_SIZE(image));
        png_image_finish_read(&image, nullptr, out.data(), 0, nullptr);
        pixels = int64_t(image.width) * image.height;
        benchmark::DoNotOptimize(out.data());
    }
    setPixels(state, pixels);
}

void registerAll() {
    using benchmark::RegisterBenchmark;
    for (int n : {16, 32, 64, 128}) {
        std::string size = std::to_string(n) + "px";
        RegisterBenchmark(("keyed/" + size + "/ours").c_str(), ourBlit, kRgb565Keyed, n, kTransNone);
        RegisterBenchmark(("keyed/" + size + "/sdl_rle").c_str(), sdlBlit, SdlMode::KeyRle, n);
        RegisterBenchmark(("alpha/" + size + "/ours").c_str(), ourBlit, kArgb4444, n, kTransNone);
        RegisterBenchmark(("alpha/" + size + "/sdl_argb8888").c_str(), sdlBlit, SdlMode::Argb8888, n);
        RegisterBenchmark(("opaque/" + size + "/ours").c_str(), ourBlit, kRgb565, n, kTransNone);
        RegisterBenchmark(("opaque/" + size + "/sdl_copy").c_str(), sdlBlit, SdlMode::Copy, n);
        for (int t : {kTransMirror, kTransRot90}) {
            std::string name = std::string(t == kTransMirror ? "mirror_" : "rot90_") + size;
            RegisterBenchmark(("info/keyed_" + name).c_str(), ourBlit, kRgb565Keyed, n, t);
            RegisterBenchmark(("info/alpha_" + name).c_str(), ourBlit, kArgb4444, n, t);
        }
    }
    RegisterBenchmark("copy/800x480/ours", ourCopy, kScreenW, kScreenH);
    RegisterBenchmark("copy/800x480/memcpy", memcpyCopy, kScreenW, kScreenH);
    for (auto [w, h] : {std::pair{16, 16}, {64, 64}, {128, 128}, {799, 479}, {800, 480}}) {
        std::string size = std::to_string(w) + "x" + std::to_string(h);
        RegisterBenchmark(("fill/" + size + "/ours").c_str(), ourFill, w, h);
        RegisterBenchmark(("fill/" + size + "/memset").c_str(), memsetFill, w, h);
        RegisterBenchmark(("fill/" + size + "/sdl_fill").c_str(), sdlFill, w, h);
    }
    const char* kinds[] = {"png/rgb_128", "png/rgba_128", "png/palette_trns_256"};
    for (int kind = 0; kind < 3; ++kind) {
        RegisterBenchmark((std::string(kinds[kind]) + "/ours").c_str(), ourPng, kind);
        RegisterBenchmark((std::string(kinds[kind]) + "/libpng_simplified").c_str(), libpngPng, kind);
    }
}

}  // namespace

int main(int argc, char** argv) {
    registerAll();
    return bench::runWithRatios(argc, argv);
}
