// The game's per-frame paint effects on the 800 × 480 screen. Screen filter: the forward smear
// (read back in bands, smeared, drawn) next to its copy-back mode, which does the same reading and
// drawing without the smear, and SDL_ConvertPixels of the same frame there and back (RGB565 to
// ARGB8888 and back), the work the band reads and draws cannot avoid. Glow: the filter of a title
// region (230 × 44) next to a memcpy of its three areas. Map: the scrolling repaint of the
// background buffer, 3 pixels a frame, next to the whole repaint it saves.
#include <benchmark/benchmark.h>

#include <SDL.h>

#include <cstring>
#include <random>
#include <vector>

#include "framework/config/qxlib_config.h"
#include "framework/core/framework_statics.h"
#include "framework/sprite/sprite.h"
#include "framework/sprite/sprite_instance.h"
#include "game/flow/game.h"
#include "platform/lcdui/graphics.h"
#include "platform/lcdui/image.h"
#include "runtime/core/application.h"
#include "runtime/core/object_manager.h"
#include "runtime/core/static_class.h"
#include "tools/formats/sprite_file.h"

namespace {

using Image = javax_microedition_lcdui_Image;
using Graphics = javax_microedition_lcdui_Graphics;

constexpr int kScreenW = 800, kScreenH = 480;
constexpr int kCell = 32;

Image* g_screen = nullptr;
ObjectArray* g_map = nullptr;
ObjectArray* g_tiles = nullptr;

mrc::ObjectManager* om() { return mrc::ApplicationImpl::getApplication()->objectManager; }

struct Runtime {
    Runtime() {
        mrc::registerFrameworkStatics();
        mrc::registerGameStateStatics();
        mrc::registerPaintStatics();
        mrc::ApplicationImpl::getInstance()->initRuntime(false, 16u << 20, 32u << 20);
        mrc::StaticClass* statics = mrc::ApplicationImpl::getApplication()->staticClass;
        statics->addRoot(&g_screen);
        statics->addRoot(&g_map);
        statics->addRoot(&g_tiles);
        QXLibConfig::clinit();
        ASprite::clinit();
        Game::initPaintEffects();
        ASprite::allocPixelBuffer();
        g_screen = Image::createBlankImage(kScreenW, kScreenH);
        // A busy picture behind the effects.
        Graphics* g = Game::stateStatics.overlayImage->getGraphics();
        for (int y = 0; y < kScreenH; ++y) {
            g->setColor((y * 7 % 256) << 16 | (y * 3 % 256) << 8 | (255 - y % 256));
            g->drawLine(0, y, kScreenW - 1, y);
        }
        Game::stateStatics.bufferImage = Game::stateStatics.overlayImage;
    }
    ~Runtime() {
        g_screen = nullptr;
        g_map = nullptr;
        g_tiles = nullptr;
        mrc::ApplicationImpl::getInstance()->shutdownRuntime();
    }
};

Runtime& runtime() {
    static Runtime r;
    return r;
}

void screenFilter(benchmark::State& state, int mode) {
    runtime();
    Graphics* g = g_screen->getGraphics();
    Game::setFlags(0x80);
    for (auto _ : state) {
        Game::startScreenFilter(100, 100, mode);
        Game::paintEffectRow(4)->elements()[3] = 1;
        Game::paintScreenSmear(g);
        benchmark::ClobberMemory();
    }
    Game::paintEffectRow(4)->elements()[3] = 3;
    Game::clearFlag(0x80);
    state.counters["pixels"] = benchmark::Counter(double(state.iterations()) * kScreenW * kScreenH,
                                                  benchmark::Counter::kIsRate);
}

void BM_SdlConvertScreen(benchmark::State& state) {
    runtime();
    std::vector<uint32_t> argb(std::size_t(kScreenW) * kScreenH);
    Image* from = Game::stateStatics.overlayImage;
    for (auto _ : state) {
        SDL_ConvertPixels(kScreenW, kScreenH, SDL_PIXELFORMAT_RGB565, from->pixels16(), from->stride,
                          SDL_PIXELFORMAT_ARGB8888, argb.data(), kScreenW * 4);
        SDL_ConvertPixels(kScreenW, kScreenH, SDL_PIXELFORMAT_ARGB8888, argb.data(), kScreenW * 4,
                          SDL_PIXELFORMAT_RGB565, g_screen->pixels16(), g_screen->stride);
        benchmark::ClobberMemory();
    }
    state.counters["pixels"] = benchmark::Counter(double(state.iterations()) * kScreenW * kScreenH,
                                                  benchmark::Counter::kIsRate);
}

void BM_Glow(benchmark::State& state) {
    runtime();
    int32_t* r = Game::paintStatics.s_glowRect->elements();
    r[0] = 300, r[1] = 200, r[2] = 500, r[3] = 240;  // a title: 230 x 44 with the margins
    Game::paintStatics.s_glowModeNext = 0;
    Game::captureGlowFromRect();
    const PaintStatics& s = Game::paintStatics;
    Graphics* g = g_screen->getGraphics();
    for (auto _ : state) {
        Game::drawGlow(g, s.s_glowX, s.s_glowY, s.s_glowWidth, s.s_glowHeight, 58, 34, 60);
        benchmark::ClobberMemory();
    }
    state.counters["pixels"] = benchmark::Counter(double(state.iterations()) * s.s_glowWidth * s.s_glowHeight,
                                                  benchmark::Counter::kIsRate);
}

void BM_GlowAreasMemcpy(benchmark::State& state) {
    runtime();
    const int n = 230 * 44;
    std::vector<int32_t> a(std::size_t(n) * 3), b(std::size_t(n) * 3);
    for (auto _ : state) {
        std::memcpy(b.data(), a.data(), a.size() * 4);
        benchmark::DoNotOptimize(b.data());
        benchmark::ClobberMemory();
    }
    state.counters["pixels"] = benchmark::Counter(double(state.iterations()) * n, benchmark::Counter::kIsRate);
}

// 32 x 32 opaque tiles, eight of them, each its own stripes; a 120 x 60 map of them.
void makeMap() {
    if (g_map) return;
    formats::SpriteData d;
    for (int t = 0; t < 8; ++t) {
        formats::SpriteModule m;
        m.width = m.height = kCell;
        for (int i = 0; i < kCell * kCell; ++i) m.indices.push_back(uint8_t(1 + (i / 5 + t) % 12));
        d.modules.push_back(m);
        d.frames.push_back({{{t, 0, 0, 0}}, {}, std::nullopt});
        d.animations.push_back({{t, 1, 0, 0, 0}});
    }
    std::vector<uint32_t> palette{0};
    for (uint32_t k = 1; k <= 12; ++k) palette.push_back(0xFF000000u | k * 0x151A0Bu);
    d.palettes = {palette};
    std::vector<uint8_t> bytes = formats::spriteFile(d);
    ByteArray* data = om()->newByteArray(int32_t(bytes.size()));
    std::memcpy(data->elements(), bytes.data(), bytes.size());
    ASprite* sprite = mrc::newObject<ASprite>();
    sprite->load(data, 0);
    sprite->buildModuleCache(0, 0, -1, -1, -1, ASprite::kCacheImages);
    g_tiles = om()->newObjectArray(mrc::kClass_ASprite, 1);
    g_tiles->elements()[0] = sprite;
    std::mt19937 rng(3);
    g_map = om()->newObjectArray(mrc::kClass_ObjectArray, 1);
    ObjectArray* layer = om()->newObjectArray(mrc::kClass_ShortArray, 120);
    g_map->elements()[0] = layer;
    for (int c = 0; c < 120; ++c) {
        ShortArray* column = om()->newShortArray(60);
        layer->elements()[c] = column;
        for (int r = 0; r < 60; ++r) column->elements()[r] = int16_t(rng() % 8);
    }
    ByteArray* slots = om()->newByteArray(1);
    GameTiles::tileStatics.mapLayerSprite = slots;
    GameTiles::tileStatics.mapLayerCount = 1;
    GameTiles::createBackBuffer(kScreenW, kScreenH);
}

void mapRepaint(benchmark::State& state, bool whole) {
    runtime();
    makeMap();
    int x = 0, dx = 3;
    for (auto _ : state) {
        if (whole) GameTiles::invalidateBackgroundBuffer();
        x += dx;
        if (x < 0 || x > 120 * kCell - kScreenW) dx = -dx, x += 2 * dx;
        Game::repaintMapBuffer(g_map, g_tiles, x, 200 + x / 8);
        benchmark::ClobberMemory();
    }
}

BENCHMARK_CAPTURE(screenFilter, smear_forward, 1)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(screenFilter, copy_back, 2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SdlConvertScreen)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Glow)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_GlowAreasMemcpy)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(mapRepaint, scrolling, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(mapRepaint, whole, true)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
