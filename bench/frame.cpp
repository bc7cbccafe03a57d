// The game's frame as the game thread runs it, headless: ApplicationImpl::flushScreen paints the
// current Displayable (the Game, made by KetraKRVD as the program does) through QXLib::paint, the
// frame driver (input snapshot, then the frame), collects every 200 ms as the paint path does, and
// presents the 800 × 480 screen through the display (the headless window copies and hashes it).
// The benchmark's thread stands in for the game thread's loop without the pacing sleep.
//
// - empty: the game's frame step (clock, touch, key masks, dispatch) in a state with nothing to
//   update or paint (the fixed cost per frame).
// - game: a frame as the game draws one: key masks, the scrolled background (the exposed strips
//   of two tile layers painted into the background buffer, the view copied to the screen in up
//   to four pieces), 30 or 60 sprite frames of keyed and translucent modules, a line of
//   bitmap-font text with a counter.
// - sdl: the same pixels moved by SDL on its fast paths: one 800 × 480 RGB565 blit, the same
//   module images and glyphs as colour-keyed RGB565 surfaces with RLE or as ARGB8888 surfaces
//   blended into RGB565, at the same places (untransformed).
// - present: apart from the frames: the display's present alone against SDL_ConvertPixels of
//   the frame to ARGB8888.
// The closing table pairs paint_N/ours (the game frame without its present) with paint_N/sdl_fast
// and present/ours with present/sdl_convert; info/... are the whole frames, present included.
// Counters: fps, frame_time (seconds); `collections` run inside the timed frames.
#include <benchmark/benchmark.h>

#include <SDL.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "framework/core/framework_statics.h"
#include "framework/core/game_hooks.h"
#include "framework/core/ketra_krvd.h"
#include "framework/sprite/sprite.h"
#include "framework/text/game_text.h"
#include "framework/tiles/game_tiles.h"
#include "game/flow/game.h"
#include "game/flow/game_statics.h"
#include "host/audio/audio.h"
#include "host/window/system.h"
#include "host/window/window.h"
#include "platform/app/runtime_context.h"
#include "platform/app/shell.h"
#include "platform/display/display.h"
#include "platform/graphics/pixels.h"
#include "platform/io/files.h"
#include "platform/lcdui/graphics.h"
#include "platform/lcdui/image.h"
#include "runtime/core/application.h"
#include "runtime/core/object_manager.h"
#include "runtime/core/static_class.h"
#include "runtime/io/io_classes.h"
#include "runtime/util/util_classes.h"
#include "tools/formats/archive_file.h"
#include "tools/formats/constants_file.h"
#include "tools/formats/sprite_file.h"
#include "tools/formats/text_pack.h"
#include "bench/ratio_report.h"

namespace {

using Image = javax_microedition_lcdui_Image;
using Graphics = javax_microedition_lcdui_Graphics;
using formats::ModuleKind;

constexpr int kScreenW = 800, kScreenH = 480;
constexpr int kCell = GameTiles::kCell;
constexpr int kMapColumns = 120, kMapRows = 48;
constexpr int kTileKinds = 12;
constexpr int kTopLeft = 20;

mrc::ApplicationImpl* impl() { return mrc::ApplicationImpl::getInstance(); }
mrc::ObjectManager* om() { return mrc::ApplicationImpl::getApplication()->objectManager; }

// ---- level data, made once as a level load would ----------------------------------------------

// Roots of the level's objects.
struct Level {
    ObjectArray* tileSprites;  // base (opaque), overlay (keyed holes)
    ObjectArray* map;          // two layers of short[columns][rows]
    ASprite* actors;
    ObjectArray* fonts;
    ByteArray* hud;  // the text line, its counter rewritten every frame
} g_level;

ByteArray* byteArray(const std::vector<uint8_t>& values) {
    ByteArray* a = om()->newByteArray(static_cast<int32_t>(values.size()));
    std::memcpy(a->elements(), values.data(), values.size());
    return a;
}

ASprite* loadedSprite(const formats::SpriteData& data) {
    ASprite* sprite = mrc::newObject<ASprite>();
    sprite->load(byteArray(formats::spriteFile(data)), 0);
    sprite->buildModuleCache(0, 0, -1, -1, -1, ASprite::kCacheImages);
    return sprite;
}

// 32 × 32 tiles, tile k its own pattern and animation k; overlay tiles are keyed on a quarter of
// their pixels.
formats::SpriteData tiles(bool overlay) {
    formats::SpriteData d;
    std::vector<uint32_t> palette{0};
    for (uint32_t i = 1; i < 32; ++i) palette.push_back(0xFF000000u | (i * 0x0B0705u) | (overlay ? 0x3000u : 0x600000u));
    d.palettes = {palette};
    for (int k = 0; k < kTileKinds; ++k) {
        formats::SpriteModule m{ModuleKind::Image, kCell, kCell, 0, 0, 0, {}, std::nullopt};
        for (int i = 0; i < kCell * kCell; ++i) {
            int x = i % kCell, y = i / kCell;
            bool hole = overlay && (x * 3 + y + k) % 4 == 0;
            m.indices.push_back(hole ? 0 : static_cast<uint8_t>(1 + (x / 3 + y / 5 + k * 7) % 31));
        }
        d.modules.push_back(m);
        d.frames.push_back({{{k, 0, 0, 0}}, {}, std::nullopt});
        d.animations.push_back({{k, 1, 0, 0, 0}});
    }
    return d;
}

// Layer 0 fills every cell; layer 1 covers about a quarter of them.
ObjectArray* tileMap() {
    ObjectArray* layers = om()->newObjectArray(mrc::kClass_ObjectArray, 2);
    for (int l = 0; l < 2; ++l) {
        ObjectArray* columns = om()->newObjectArray(mrc::kClass_ShortArray, kMapColumns);
        layers->elements()[l] = columns;
        for (int c = 0; c < kMapColumns; ++c) {
            ShortArray* column = om()->newShortArray(kMapRows);
            columns->elements()[c] = column;
            for (int r = 0; r < kMapRows; ++r) {
                uint32_t v = uint32_t(c * 131 + r * 71) * 2654435761u >> 20;
                column->elements()[r] = static_cast<int16_t>(l == 0 ? v % kTileKinds : v % 4 == 0 ? (v >> 2) % kTileKinds : -1);
            }
        }
    }
    return layers;
}

// Actor sprites: modules of 12-47 pixels, a disc keyed around it; every third module has
// translucent pixels (ARGB4444). Frame f places three modules (body, head, item), some mirrored.
constexpr int kActorModules = 9;
constexpr int kActorFrames = 12;
formats::SpriteData g_actorData;

formats::SpriteData actors() {
    formats::SpriteData d;
    std::vector<uint32_t> palette{0x00000000, 0x80303030, 0x60FFC000};
    for (uint32_t i = 3; i < 48; ++i) palette.push_back(0xFF000000u | (i * 0x050B13u & 0xFFFFFFu));
    d.palettes = {palette};
    for (int m = 0; m < kActorModules; ++m) {
        int n = 12 + m * 35 / (kActorModules - 1);
        formats::SpriteModule module{ModuleKind::Image, n, n, 0, 0, 0, {}, std::nullopt};
        for (int y = 0; y < n; ++y)
            for (int x = 0; x < n; ++x) {
                int dx = 2 * x + 1 - n, dy = 2 * y + 1 - n;
                bool inside = dx * dx + dy * dy < n * n * 9 / 10;
                bool glow = m % 3 == 2 && (x + y) % 5 == 0;
                module.indices.push_back(!inside ? 0 : glow ? static_cast<uint8_t>(1 + (x & 1)) : static_cast<uint8_t>(3 + (x * 5 + y * 3 + m) % 45));
            }
        d.modules.push_back(module);
    }
    for (int f = 0; f < kActorFrames; ++f) {
        uint8_t mirror = f % 4 == 3 ? 0x01 : 0;
        int body = 6 + f % 3, head = 2 + f % 4, item = f % 3 == 0 ? 8 : f % 2;
        d.frames.push_back({{{body, 0, 0, mirror}, {head, static_cast<int16_t>(4 + f % 5), -20, mirror},
                             {item, static_cast<int16_t>(30 - f % 7), 10, 0}},
                            {},
                            std::nullopt});
    }
    return d;
}

// One font of digits, capitals and the space, 12 pixels high.
std::vector<int32_t> glyphCodes() {
    std::vector<int32_t> codes;
    for (int32_t c = '0'; c <= '9'; ++c) codes.push_back(c);
    for (int32_t c = 'A'; c <= 'Z'; ++c) codes.push_back(c);
    return codes;
}

ObjectArray* hudFonts() {
    formats::BitmapFont spec;
    spec.height = 12;
    spec.spaceWidth = 5;
    for (int32_t c : glyphCodes()) spec.widths.push_back(c == 'I' || c == '1' ? 4 : c == 'M' || c == 'W' ? 10 : 8);
    ObjectArray* fonts = om()->newObjectArray(mrc::kClass_ASprite, 1);
    fonts->elements()[0] = loadedSprite(formats::bitmapFont(spec, 0xF0E080));
    GameText::textStatics.glyphTable = byteArray(formats::glyphTable(glyphCodes()));
    return fonts;
}

constexpr const char kHudText[] = "SCORE 0000000  LIVES 3  LEVEL 12";
constexpr int kHudCounterAt = 6, kHudCounterDigits = 7;

void loadLevel() {
    mrc::StaticClass* statics = mrc::ApplicationImpl::getApplication()->staticClass;
    for (Object** root : {reinterpret_cast<Object**>(&g_level.tileSprites), reinterpret_cast<Object**>(&g_level.map),
                          reinterpret_cast<Object**>(&g_level.actors), reinterpret_cast<Object**>(&g_level.fonts),
                          reinterpret_cast<Object**>(&g_level.hud)})
        statics->addRoot(root);
    g_level.tileSprites = om()->newObjectArray(mrc::kClass_ASprite, 2);
    for (int l = 0; l < 2; ++l) g_level.tileSprites->elements()[l] = loadedSprite(tiles(l == 1));
    g_level.map = tileMap();
    GameTiles::tileStatics.mapLayerSprite = byteArray({0, 1});
    GameTiles::tileStatics.mapLayerCount = 2;
    GameTiles::createBackBuffer(kScreenW, kScreenH);
    g_actorData = actors();
    g_level.actors = loadedSprite(g_actorData);
    g_level.fonts = hudFonts();
    g_level.hud = byteArray(std::vector<uint8_t>(kHudText, kHudText + sizeof kHudText - 1));
}

// ---- what a frame does ----------------------------------------------------------------------

struct Camera {
    int x = 0, y = 0, dx = 3, dy = 1;
    // Back and forth over the map, a few pixels a frame.
    void step() {
        if (x + dx < 0 || x + dx > kMapColumns * kCell - kScreenW) dx = -dx;
        if (y + dy < 0 || y + dy > kMapRows * kCell - kScreenH) dy = -dy;
        x += dx;
        y += dy;
    }
};

Camera g_camera;
int g_actorCount = 0;
uint32_t g_tick = 0;

// Brings the background buffer to the camera's view (what came into view since the last frame,
// or all of it) and copies the view out of the wrapped buffer onto g.
void paintBackground(Graphics* g) {
    GameTiles::TileStatics& t = GameTiles::tileStatics;
    int x = g_camera.x, y = g_camera.y, ox = t.bgOriginX, oy = t.bgOriginY;
    ObjectArray* map = g_level.map;
    ObjectArray* sprites = g_level.tileSprites;
    if (ox < 0 || std::abs(x - ox) >= kScreenW || std::abs(y - oy) >= kScreenH) {
        GameTiles::paintMapToBuffer(map, sprites, x, y, x + kScreenW, y + kScreenH);
    } else {
        // Columns [ox + W, x + W) moving right, [x, ox) moving left; rows alike.
        if (x != ox)
            GameTiles::paintMapToBuffer(map, sprites, x > ox ? ox + kScreenW : x, y, x > ox ? x + kScreenW : ox,
                                        y + kScreenH);
        if (y != oy)
            GameTiles::paintMapToBuffer(map, sprites, x, y > oy ? oy + kScreenH : y, x + kScreenW,
                                        y > oy ? y + kScreenH : oy);
    }
    t.bgOriginX = x;
    t.bgOriginY = y;
    Image* buffer = t.bgImage;
    int bx = x % buffer->width, by = y % buffer->height;
    int w0 = std::min(kScreenW, buffer->width - bx), h0 = std::min(kScreenH, buffer->height - by);
    for (int piece = 0; piece < 4; ++piece) {
        bool right = piece & 1, below = piece & 2;
        int w = right ? kScreenW - w0 : w0, h = below ? kScreenH - h0 : h0;
        if (w > 0 && h > 0)
            g->drawRegion(buffer, right ? 0 : bx, below ? 0 : by, w, h, 0, right ? w0 : 0, below ? h0 : 0, kTopLeft);
    }
}

// Where actor i stands on screen, and the frame it shows.
void actorPlace(int i, uint32_t tick, int& x, int& y, int& frame) {
    x = 40 + (i * 97 + int(tick) * (1 + i % 3)) % (kScreenW - 100);
    y = 50 + (i * 61) % (kScreenH - 100);
    frame = int((uint32_t(i) + tick / 4) % kActorFrames);
}

void hudCounter(uint32_t value) {
    int8_t* digits = g_level.hud->elements() + kHudCounterAt;
    for (int d = kHudCounterDigits - 1; d >= 0; --d, value /= 10) digits[d] = static_cast<int8_t>('0' + value % 10);
}

// The frame step itself (clock, touch, key masks, dispatch) around an empty update.
constexpr int32_t kBenchState = 9;
void keysOnlyFrame(Game*) {}

void gameFrame(Game* game) {
    Graphics* g = QXLib::canvasStatics.currentGraphics;
    QXLib::computeKeyMasks(game);
    ++g_tick;
    g_camera.step();
    paintBackground(g);
    ASprite::setGraphics(g);
    for (int i = 0; i < g_actorCount; ++i) {
        int x, y, frame;
        actorPlace(i, g_tick, x, y, frame);
        g_level.actors->paintFrame(frame, x, y, 0);
    }
    hudCounter(g_tick * 10);
    GameText::drawTextInBox(g, g_level.fonts, nullptr, g_level.hud, 0, g_level.hud->length, 8, 8, GameText::kTop);
}

// ---- the program as veltrano starts it, with no game thread -----------------------------------

void (*g_realInitGame)(QXLib*, javax_microedition_midlet_MIDlet*, javax_microedition_lcdui_Display*) = nullptr;

// The canvas counts as running once built, so that its start() makes no game thread: this
// thread runs the frames.
void initGameWithoutThread(QXLib* canvas, javax_microedition_midlet_MIDlet* midlet,
                           javax_microedition_lcdui_Display* display) {
    g_realInitGame(canvas, midlet, display);
    QXLib::canvasStatics.runState = QXLib::kRunning;
}

// The data folder a run reads at start-up: the application descriptor and the string constants.
std::filesystem::path g_dataDir;

bool writeDataFolder() {
    g_dataDir = std::filesystem::temp_directory_path() / ("bench_frame." + std::to_string(getpid()));
    std::vector<std::string> constants(600);
    for (std::size_t i = 0; i < constants.size(); ++i) constants[i] = "text " + std::to_string(i);
    formats::ArchiveWriter archive;
    archive.addText("app.jad", "MIDlet-Name: Frame Bench\nMIDlet-Version: 1.0.0\n");
    archive.add("constants.bin", formats::writeConstantsFile(constants));
    std::filesystem::create_directories(g_dataDir / "save");
    return archive.save(g_dataDir / formats::kArchiveFileName);
}

bool startProgram() {
    if (!writeDataFolder()) return false;
    mrc::platform::initFiles(g_dataDir, g_dataDir / "save");
    host::resetSystemState();
    host::audioInit(host::AudioBackend::Headless);
    mrc::registerIoClasses();
    mrc::registerUtilClasses();
    mrc::registerFrameworkStatics();
    mrc::registerGameStatics();
    mrc::registerFrameworkClasses();
    mrc::registerGameClasses();
    g_realInitGame = gameHooks().initGame;
    gameHooks().initGame = &initGameWithoutThread;

    mrc::ShellState& s = mrc::shellState();
    host::WindowConfig config;
    config.backend = host::Backend::Headless;
    s.window = host::openWindow(config, mrc::mrc_WndProc);
    if (!s.window || !impl()->openDisplay(u"GDI", *s.window)) return false;
    mrc::setFrameLimit(0);
    if (!impl()->init()) return false;
    s.application = impl()->application;
    mrc::mrc_pumpMessages();  // activation
    if (!impl()->windowActive.load() || isNull(KetraKRVD::statics.game)) return false;
    // As the game thread's loop begins.
    QXLib::canvasStatics.inFrame = false;
    loadLevel();
    return true;
}

void stopProgram() {
    mrc::mrc_exitSequence();
    host::audioShutdown();
    host::resetSystemState();
    if (!g_dataDir.empty()) std::filesystem::remove_all(g_dataDir);
}

// ---- benchmarks -----------------------------------------------------------------------------

void frameCounters(benchmark::State& state) {
    double frames = double(state.iterations());
    state.counters["fps"] = benchmark::Counter(frames, benchmark::Counter::kIsRate);
    // Seconds per frame, printed with an SI prefix (1.2m: 1.2 ms).
    state.counters["frame_time"] = benchmark::Counter(frames, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// The whole frame as the game thread runs it, or its paint alone (without the present).
void BM_Frame(benchmark::State& state, void (*frame)(Game*), bool present) {
    g_actorCount = int(state.range(0));
    // A state of no screen runs the frame under test as its update.
    GameOverlay::overlayStatics.gameState = kBenchState;
    Game::stateUpdates[kBenchState] = frame;
    uint64_t collections = om()->collections();
    for (auto _ : state) {
        if (present) impl()->flushScreen();
        else impl()->application->paintCurrent();
        benchmark::ClobberMemory();
    }
    state.counters["collections"] = double(om()->collections() - collections);
    frameCounters(state);
    Game::stateUpdates[kBenchState] = nullptr;
}

void BM_Present(benchmark::State& state) {
    for (auto _ : state) impl()->display->present();
    frameCounters(state);
}

// An SDL surface of one of the sprite's cached module images in the form SDL blits fastest: a
// keyed RGB565 surface with RLE, or the translucent ones as ARGB8888 (kept in `store`).
SDL_Surface* moduleSurface(ASprite* sprite, int module, std::vector<std::vector<uint32_t>>& store) {
    auto* slots = static_cast<ObjectArray*>(sprite->moduleImageCache->elements()[0]);
    auto* image = static_cast<Image*>(slots->elements()[module]);
    if (image->pixelType == mrc::gfx::kArgb4444) {
        std::vector<uint32_t>& px = store.emplace_back();
        const uint16_t* in = image->pixels16();
        for (int y = 0; y < image->height; ++y)
            for (int x = 0; x < image->width; ++x)
                px.push_back(mrc::gfx::argb4444ToArgb(in[std::size_t(y * image->stride / 2 + x)]));
        SDL_Surface* s = SDL_CreateRGBSurfaceWithFormatFrom(px.data(), image->width, image->height, 32, image->width * 4,
                                                            SDL_PIXELFORMAT_ARGB8888);
        SDL_SetSurfaceBlendMode(s, SDL_BLENDMODE_BLEND);
        return s;
    }
    SDL_Surface* s = SDL_CreateRGBSurfaceWithFormatFrom(image->pixels16(), image->width, image->height, 16, image->stride,
                                                        SDL_PIXELFORMAT_RGB565);
    SDL_SetColorKey(s, SDL_TRUE, mrc::gfx::kColorKey);
    SDL_SetSurfaceRLE(s, 1);
    return s;
}

// The screen converted for an ARGB8888 window surface.
void sdlPresent(const std::vector<uint16_t>& screen, std::vector<uint32_t>& window) {
    SDL_ConvertPixels(kScreenW, kScreenH, SDL_PIXELFORMAT_RGB565, screen.data(), kScreenW * 2, SDL_PIXELFORMAT_ARGB8888,
                      window.data(), kScreenW * 4);
}

void BM_SdlPresent(benchmark::State& state) {
    std::vector<uint16_t> screen(std::size_t(kScreenW) * kScreenH, 0x3186);
    std::vector<uint32_t> window(screen.size());
    for (auto _ : state) {
        sdlPresent(screen, window);
        benchmark::ClobberMemory();
    }
    frameCounters(state);
}

void BM_SdlFrame(benchmark::State& state, bool present) {
    int actorCount = int(state.range(0));
    if (SDL_Init(0) != 0) {
        state.SkipWithError("SDL_Init");
        return;
    }
    std::vector<uint16_t> screenPixels(std::size_t(kScreenW) * kScreenH);
    std::vector<uint32_t> presented(std::size_t(kScreenW) * kScreenH);
    SDL_Surface* screen = SDL_CreateRGBSurfaceWithFormatFrom(screenPixels.data(), kScreenW, kScreenH, 16, kScreenW * 2,
                                                             SDL_PIXELFORMAT_RGB565);
    Image* buffer = GameTiles::tileStatics.bgImage;
    SDL_Surface* background = SDL_CreateRGBSurfaceWithFormatFrom(buffer->pixels16(), kScreenW, kScreenH, 16,
                                                                 buffer->stride, SDL_PIXELFORMAT_RGB565);
    std::vector<SDL_Surface*> modules, glyphs;
    std::vector<std::vector<uint32_t>> store;
    store.reserve(std::size_t(kActorModules) + 256);  // the surfaces point into it
    for (int m = 0; m < kActorModules; ++m) modules.push_back(moduleSurface(g_level.actors, m, store));
    auto* font = static_cast<ASprite*>(g_level.fonts->elements()[0]);
    for (int m = 1; m < font->moduleCount; ++m) glyphs.push_back(moduleSurface(font, m, store));
    std::vector<int> hudGlyphs;  // glyph module of each character of the line; spaces draw nothing
    std::vector<int32_t> codes = glyphCodes();
    for (char c : std::string(kHudText))
        if (c != ' ') hudGlyphs.push_back(int(std::find(codes.begin(), codes.end(), c) - codes.begin()));
    uint32_t tick = 0;
    for (auto _ : state) {
        ++tick;
        SDL_BlitSurface(background, nullptr, screen, nullptr);
        for (int i = 0; i < actorCount; ++i) {
            int x, y, frame;
            actorPlace(i, tick, x, y, frame);
            for (const formats::SpriteFrameModule& fm : g_actorData.frames[std::size_t(frame)].modules) {
                SDL_Rect at{x + fm.x, y + fm.y, 0, 0};
                SDL_BlitSurface(modules[std::size_t(fm.index)], nullptr, screen, &at);
            }
        }
        int x = 8;
        for (int glyph : hudGlyphs) {
            SDL_Rect at{x, 8, 0, 0};
            SDL_BlitSurface(glyphs[std::size_t(glyph)], nullptr, screen, &at);
            x += 9;
        }
        if (present) sdlPresent(screenPixels, presented);
        benchmark::ClobberMemory();
    }
    frameCounters(state);
    for (SDL_Surface* s : modules) SDL_FreeSurface(s);
    for (SDL_Surface* s : glyphs) SDL_FreeSurface(s);
    SDL_FreeSurface(background);
    SDL_FreeSurface(screen);
}

void registerAll() {
    using benchmark::RegisterBenchmark;
    RegisterBenchmark("info/empty_frame", BM_Frame, &keysOnlyFrame, true)->Arg(0)->Unit(benchmark::kMicrosecond);
    for (int actors : {30, 60}) {
        std::string n = std::to_string(actors);
        RegisterBenchmark(("paint_" + n + "/ours").c_str(), BM_Frame, &gameFrame, false)->Arg(actors)->Unit(benchmark::kMicrosecond);
        RegisterBenchmark(("paint_" + n + "/sdl_fast").c_str(), BM_SdlFrame, false)->Arg(actors)->Unit(benchmark::kMicrosecond);
        RegisterBenchmark(("info/frame_" + n + "_ours").c_str(), BM_Frame, &gameFrame, true)->Arg(actors)->Unit(benchmark::kMicrosecond);
        RegisterBenchmark(("info/frame_" + n + "_sdl_fast").c_str(), BM_SdlFrame, true)->Arg(actors)->Unit(benchmark::kMicrosecond);
    }
    RegisterBenchmark("present/ours", BM_Present)->Unit(benchmark::kMicrosecond);
    RegisterBenchmark("present/sdl_convert", BM_SdlPresent)->Unit(benchmark::kMicrosecond);
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    if (!startProgram()) {
        std::fprintf(stderr, "bench_frame: the program did not start\n");
        stopProgram();
        return 1;
    }
    registerAll();
    bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    stopProgram();
    benchmark::Shutdown();
    return 0;
}
