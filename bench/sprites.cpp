// Painting a typical sprite frame into the 800 × 480 screen: 10, 25 or 40 modules of 16-64
// pixels, keyed (see-through edges) and with alpha (translucent pixels), some mirrored or turned,
// through each palette cache mode (2: an Image per module, the game's usual; 4: ARGB pixels
// drawn with drawRGB; 1: decoded at every draw), next to SDL_BlitSurface of the same module
// images on SDL's fast paths (RGB565 with a colour key and RLE; the translucent ones as ARGB8888
// blended into RGB565) at the same places, untransformed. The closing table gives SDL's time /
// ours for mode 2 (frame_N/ours against frame_N/sdl_fast); the other modes are info/....
// Counter `pixels`: module pixels painted per second.
#include <benchmark/benchmark.h>

#include <SDL.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "framework/config/qxlib_config.h"
#include "framework/core/framework_statics.h"
#include "framework/sprite/sprite.h"
#include "platform/lcdui/graphics.h"
#include "platform/lcdui/image.h"
#include "runtime/core/application.h"
#include "runtime/core/object_manager.h"
#include "runtime/core/static_class.h"
#include "tools/formats/sprite_file.h"
#include "bench/ratio_report.h"

namespace {

using Image = javax_microedition_lcdui_Image;
using Graphics = javax_microedition_lcdui_Graphics;

constexpr int kScreenW = 800, kScreenH = 480;
constexpr int kModules = 24;
constexpr int kMaxFrameModules = 40;

// Roots for the benchmark's objects.
Image* g_screen = nullptr;
Graphics* g_graphics = nullptr;
ASprite* g_sprites[3] = {};  // cache modes 2, 4, 1

struct Runtime {
    Runtime() {
        mrc::registerFrameworkStatics();
        mrc::ApplicationImpl::getInstance()->initRuntime(false, 8u << 20, 16u << 20);
        mrc::StaticClass* statics = mrc::ApplicationImpl::getApplication()->staticClass;
        statics->addRoot(&g_screen);
        statics->addRoot(&g_graphics);
        for (ASprite*& s : g_sprites) statics->addRoot(&s);
        QXLibConfig::clinit();
        ASprite::clinit();
    }
    ~Runtime() {
        g_screen = nullptr;
        g_graphics = nullptr;
        for (ASprite*& s : g_sprites) s = nullptr;
        mrc::ApplicationImpl::getInstance()->shutdownRuntime();
    }
};

// Modules 16-64 pixels square: a disc of varied colours, see-through around it; every other
// module has a quarter of its pixels translucent. 32 colours: 0 see-through, 1-3 translucent.
formats::SpriteData typicalSprite() {
    std::mt19937 rng(7);
    formats::SpriteData d;
    for (int m = 0; m < kModules; ++m) {
        int n = 16 + (m * 29) % 49;
        formats::SpriteModule module;
        module.width = module.height = n;
        for (int y = 0; y < n; ++y)
            for (int x = 0; x < n; ++x) {
                double dx = x - n / 2.0 + 0.5, dy = y - n / 2.0 + 0.5;
                bool inside = std::sqrt(dx * dx + dy * dy) < n * 0.48;
                uint8_t c = static_cast<uint8_t>(4 + rng() % 28);
                if (m % 2 && rng() % 4 == 0) c = static_cast<uint8_t>(1 + rng() % 3);
                module.indices.push_back(inside ? c : 0);
            }
        d.modules.push_back(module);
    }
    // One frame of 40 frame modules spread over about 260 × 180 pixels; the first 10 or 25 of
    // them make the smaller frames.
    formats::SpriteFrame frame;
    for (int i = 0; i < kMaxFrameModules; ++i) {
        uint8_t flags = i % 7 == 3 ? 0x01 : i % 11 == 5 ? 0x02 : i % 13 == 8 ? 0x04 : 0;
        frame.modules.push_back({i % kModules, static_cast<int16_t>((i * 53) % 200),
                                 static_cast<int16_t>((i * 37) % 120), flags});
    }
    d.frames = {frame};
    std::vector<uint32_t> palette = {0x00000000, 0x80202020, 0x60FF8000, 0xA00040FF};
    for (uint32_t i = 4; i < 32; ++i) palette.push_back(0xFF000000u | (i * 37 % 256) << 16 | (i * 91 % 256) << 8 | (i * 53 % 256));
    d.palettes = {palette};
    d.pixelFormat = 0x56F2;
    return d;
}

ByteArray* spriteBytes() {
    std::vector<uint8_t> file = formats::spriteFile(typicalSprite());
    ByteArray* b = mrc::ApplicationImpl::getApplication()->objectManager->newByteArray(static_cast<int32_t>(file.size()));
    std::copy(file.begin(), file.end(), reinterpret_cast<uint8_t*>(b->elements()));
    return b;
}

void setUp() {
    static Runtime runtime;
    if (g_screen) return;
    g_screen = Image::createBlankImage(kScreenW, kScreenH);
    g_graphics = g_screen->getGraphics();
    g_graphics->setColor(0x203040);
    g_graphics->fillRect(0, 0, kScreenW, kScreenH);
    const int32_t modes[3] = {ASprite::kCacheImages, ASprite::kCachePixels, ASprite::kCacheNone};
    for (int i = 0; i < 3; ++i) {
        g_sprites[i] = mrc::newObject<ASprite>();
        g_sprites[i]->load(spriteBytes(), 0);
        g_sprites[i]->buildModuleCache(0, 0, -1, -1, -1, modes[i]);
    }
}

// Module pixels one frame of `count` frame modules paints.
int64_t framePixels(int count) {
    int64_t total = 0;
    for (int i = 0; i < count; ++i) {
        int n = 16 + ((i % kModules) * 29) % 49;
        total += int64_t(n) * n;
    }
    return total;
}

void place(int64_t i, int& x, int& y) {
    x = int((i * 37) % (kScreenW - 264));
    y = int((i * 23) % (kScreenH - 184));
}

void BM_PaintFrame(benchmark::State& state, int which) {
    setUp();
    int count = int(state.range(0));
    ASprite* sprite = g_sprites[which];
    // The smaller frames: the first `count` frame modules.
    sprite->frameModuleCount->elements()[0] = static_cast<int8_t>(count);
    ASprite::setGraphics(g_graphics);
    int64_t i = 0;
    for (auto _ : state) {
        int x, y;
        place(i++, x, y);
        sprite->paintFrame(0, x, y, 0);
        benchmark::ClobberMemory();
    }
    state.counters["pixels"] =
        benchmark::Counter(double(state.iterations()) * double(framePixels(count)), benchmark::Counter::kIsRate);
}

// SDL surfaces of the mode-2 sprite's module images, in the forms SDL blits fastest.
void BM_SdlBlitFrame(benchmark::State& state) {
    setUp();
    int count = int(state.range(0));
    if (SDL_Init(0) != 0) {
        state.SkipWithError("SDL_Init");
        return;
    }
    ASprite* sprite = g_sprites[0];
    auto* slots = static_cast<ObjectArray*>(sprite->moduleImageCache->elements()[0]);
    std::vector<SDL_Surface*> surfaces;
    std::vector<std::vector<uint32_t>> argb(kModules);
    for (int m = 0; m < kModules; ++m) {
        auto* image = static_cast<Image*>(slots->elements()[m]);
        SDL_Surface* s = nullptr;
        if (image->pixelType == mrc::gfx::kArgb4444) {
            std::vector<uint32_t>& px = argb[std::size_t(m)];
            const uint16_t* in = image->pixels16();
            for (int y = 0; y < image->height; ++y)
                for (int x = 0; x < image->width; ++x)
                    px.push_back(mrc::gfx::argb4444ToArgb(in[std::size_t(y * image->stride / 2 + x)]));
            s = SDL_CreateRGBSurfaceWithFormatFrom(px.data(), image->width, image->height, 32, image->width * 4,
                                                   SDL_PIXELFORMAT_ARGB8888);
            SDL_SetSurfaceBlendMode(s, SDL_BLENDMODE_BLEND);
        } else {
            s = SDL_CreateRGBSurfaceWithFormatFrom(image->pixels16(), image->width, image->height, 16, image->stride,
                                                   SDL_PIXELFORMAT_RGB565);
            SDL_SetColorKey(s, SDL_TRUE, mrc::gfx::kColorKey);
            SDL_SetSurfaceRLE(s, 1);
        }
        surfaces.push_back(s);
    }
    SDL_Surface* screen = SDL_CreateRGBSurfaceWithFormatFrom(g_screen->pixels16(), kScreenW, kScreenH, 16,
                                                             g_screen->stride, SDL_PIXELFORMAT_RGB565);
    int64_t i = 0;
    for (auto _ : state) {
        int x, y;
        place(i++, x, y);
        for (int k = 0; k < count; ++k) {
            SDL_Rect r{x + (k * 53) % 200, y + (k * 37) % 120, 0, 0};
            SDL_BlitSurface(surfaces[std::size_t(k % kModules)], nullptr, screen, &r);
        }
        benchmark::ClobberMemory();
    }
    state.counters["pixels"] =
        benchmark::Counter(double(state.iterations()) * double(framePixels(count)), benchmark::Counter::kIsRate);
    for (SDL_Surface* s : surfaces) SDL_FreeSurface(s);
    SDL_FreeSurface(screen);
}

void registerAll() {
    for (int n : {10, 25, 40}) {
        std::string frame = "frame_" + std::to_string(n) + "/";
        benchmark::RegisterBenchmark((frame + "ours").c_str(), BM_PaintFrame, 0)->Arg(n);
        benchmark::RegisterBenchmark((frame + "sdl_fast").c_str(), BM_SdlBlitFrame)->Arg(n);
        benchmark::RegisterBenchmark(("info/pixels_mode4_" + std::to_string(n)).c_str(), BM_PaintFrame, 1)->Arg(n);
        benchmark::RegisterBenchmark(("info/decoded_mode1_" + std::to_string(n)).c_str(), BM_PaintFrame, 2)->Arg(n);
    }
}

}  // namespace

int main(int argc, char** argv) {
    registerAll();
    return bench::runWithRatios(argc, argv);
}
