// Image drawing next to SDL's blitters on the same pixels: drawRegion of keyed RGB565 and
// ARGB4444 images of 16-128 pixels into the 800 × 480 screen (with and without transforms)
// against SDL_BlitSurface with a colour key, with surface alpha and with per-pixel ARGB4444
// alpha; fillRect against SDL_FillRect; PNG decoding against libpng's simplified reader.
// Counter `pixels`: pixels of the region drawn, or decoded, per second.
#include <benchmark/benchmark.h>
#include <png.h>

#include <SDL.h>

#include <cmath>
#include <random>
#include <vector>

#include "platform/graphics/pixels.h"
#include "platform/graphics/png_decoder.h"
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
    x = int((i * 37) % (kScreenW - w));
    y = int((i * 23) % (kScreenH - h));
    (void)n;
}

void setPixels(benchmark::State& state, int64_t perIteration) {
    state.counters["pixels"] =
        benchmark::Counter(double(state.iterations()) * double(perIteration), benchmark::Counter::kIsRate);
}

// ---- drawRegion and SDL_BlitSurface ----------------------------------------------------------

void BM_DrawRegion(benchmark::State& state, int type) {
    int n = int(state.range(0)), transform = int(state.range(1));
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

enum class SdlMode { ColourKey, SurfaceAlpha, Argb4444 };

void BM_SdlBlit(benchmark::State& state, SdlMode mode) {
    int n = int(state.range(0));
    if (SDL_Init(0) != 0) {
        state.SkipWithError("SDL_Init");
        return;
    }
    Screen screen;
    SDL_Surface* dst = screen.surface();
    std::vector<uint16_t> px = sprite(n, mode == SdlMode::Argb4444 ? kArgb4444 : kRgb565Keyed);
    SDL_Surface* src = SDL_CreateRGBSurfaceWithFormatFrom(
        px.data(), n, n, 16, rowPitch(n) * 2, mode == SdlMode::Argb4444 ? SDL_PIXELFORMAT_ARGB4444 : SDL_PIXELFORMAT_RGB565);
    switch (mode) {
        case SdlMode::ColourKey: SDL_SetColorKey(src, SDL_TRUE, kColorKey); break;
        case SdlMode::SurfaceAlpha:
            SDL_SetSurfaceBlendMode(src, SDL_BLENDMODE_BLEND);
            SDL_SetSurfaceAlphaMod(src, 128);
            break;
        case SdlMode::Argb4444: SDL_SetSurfaceBlendMode(src, SDL_BLENDMODE_BLEND); break;
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

void sizes(benchmark::internal::Benchmark* b) {
    for (int n : {16, 32, 64, 128}) b->Args({n, 0});
}
void sizesAndTransforms(benchmark::internal::Benchmark* b) {
    for (int n : {16, 32, 64, 128})
        for (int t : {0, 2, 5}) b->Args({n, t});  // none, mirror, rotate 90
}

BENCHMARK_CAPTURE(BM_DrawRegion, keyed, kRgb565Keyed)->Apply(sizesAndTransforms);
BENCHMARK_CAPTURE(BM_SdlBlit, colour_key, SdlMode::ColourKey)->Apply(sizes);
BENCHMARK_CAPTURE(BM_DrawRegion, argb4444, kArgb4444)->Apply(sizesAndTransforms);
BENCHMARK_CAPTURE(BM_SdlBlit, surface_alpha, SdlMode::SurfaceAlpha)->Apply(sizes);
BENCHMARK_CAPTURE(BM_SdlBlit, argb4444_alpha, SdlMode::Argb4444)->Apply(sizes);
BENCHMARK_CAPTURE(BM_DrawRegion, opaque, kRgb565)->Apply(sizes);

// ---- fillRect and SDL_FillRect -----------------------------------------------------------------

void BM_FillRect(benchmark::State& state) {
    int w = int(state.range(0)), h = int(state.range(1));
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

void BM_SdlFillRect(benchmark::State& state) {
    int w = int(state.range(0)), h = int(state.range(1));
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

void fillSizes(benchmark::internal::Benchmark* b) {
    for (int n : {16, 64, 128}) b->Args({n, n});
    b->Args({799, 479});
}
BENCHMARK(BM_FillRect)->Apply(fillSizes);
BENCHMARK(BM_SdlFillRect)->Apply(fillSizes);

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

const char* kPngNames[] = {"rgb 128x128", "rgba 128x128", "palette+tRNS 256x256"};

void BM_DecodePng(benchmark::State& state) {
    std::vector<uint8_t> file = pngFile(int(state.range(0)));
    PngHeader h;
    readPngHeader(file.data(), file.size(), h);
    std::vector<uint16_t> px(std::size_t(rowPitch(h.width)) * h.height);
    for (auto _ : state) {
        readPngHeader(file.data(), file.size(), h);
        decodePng(file.data(), file.size(), px.data(), h.width, h.height, rowPitch(h.width), pngPixelType(h));
        benchmark::DoNotOptimize(px.data());
    }
    state.SetLabel(kPngNames[state.range(0)]);
    setPixels(state, int64_t(h.width) * h.height);
}

void BM_LibpngSimplified(benchmark::State& state) {
    std::vector<uint8_t> file = pngFile(int(state.range(0)));
    std::vector<uint8_t> out;
    int64_t pixels = 0;
    for (auto _ : state) {
        png_image image{};
        image.version = PNG_IMAGE_VERSION;
        png_image_begin_read_from_memory(&image, file.data(), file.size());
        image.format = state.range(0) == 0 ? PNG_FORMAT_RGB : PNG_FORMAT_RGBA;
        out.resize(PNG_IMAGE_SIZE(image));
        png_image_finish_read(&image, nullptr, out.data(), 0, nullptr);
        pixels = int64_t(image.width) * image.height;
        benchmark::DoNotOptimize(out.data());
    }
    state.SetLabel(kPngNames[state.range(0)]);
    setPixels(state, pixels);
}

BENCHMARK(BM_DecodePng)->DenseRange(0, 2);
BENCHMARK(BM_LibpngSimplified)->DenseRange(0, 2);

}  // namespace

BENCHMARK_MAIN();
