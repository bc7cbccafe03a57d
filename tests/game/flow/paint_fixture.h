// A started runtime with the game's paint statics reset, the overlay strip and the effect state
// made as start-up makes them, and helpers for reading 16-bit screen images.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "framework/sprite/sprite.h"
#include "framework/sprite/sprite_instance.h"
#include "game/flow/game.h"
#include "platform/graphics/pixels.h"
#include "platform/lcdui/graphics.h"
#include "platform/lcdui/image.h"
#include "runtime/io/byte_array_output_stream.h"
#include "runtime/io/print_stream.h"
#include "runtime/lang/system_class.h"
#include "tests/framework/framework_fixture.h"
#include "tests/runtime/lang/constants_support.h"

namespace mrc::test {

class PaintTest : public FrameworkTest {
protected:
    using Image = javax_microedition_lcdui_Image;
    using Graphics = javax_microedition_lcdui_Graphics;
    static constexpr int32_t kGlowTooLarge = 447;

    void SetUp() override {
        registerGameStatics();
        FrameworkTest::SetUp();
        Game::paintStatics = PaintStatics{};
        Game::levelView = LevelViewStatics{};
        Game::grids = CellGridStatics{};
        Game::stateStatics = GameStateStatics::StateStatics{};
        GameTiles::tileStatics = GameTiles::TileStatics{};
        GameMath::mathStatics.cameraX = GameMath::mathStatics.cameraY = 0;
        ASpriteInstance::statics = ASpriteInstance::Statics{};
        installConstants({{kGlowTooLarge, "glow region too large"}});
        GameOverlay::overlayStatics.boxRects = om()->newIntArray(8);
        Game::createOverlayBuffer();
        Game::initPaintEffects();
        Game::particleSink = &Game::setEntry;
        captured = java_io_ByteArrayOutputStream::newInstance(256);
        savedOut = mrc::systemStatics.out;
        mrc::systemStatics.out = java_io_PrintStream::newInstance(captured);
    }
    void TearDown() override {
        mrc::systemStatics.out = savedOut;
        Game::particleSink = &Game::setEntry;
        FrameworkTest::TearDown();
    }

    // What System.out received.
    std::string printed() {
        ByteArray* data = captured->toByteArray();
        return std::string(reinterpret_cast<const char*>(data->elements()), std::size_t(data->length));
    }
    // The sprite painter's pixel buffer, n ints.
    static IntArray* useEffectBuffer(int32_t n) {
        ASprite::statics.effectPixelBuffer = om()->newIntArray(n);
        return ASprite::statics.effectPixelBuffer;
    }
    static Image* screen(int32_t w = Game::kScreenWidth, int32_t h = Game::kScreenHeight) {
        return Image::createBlankImage(w, h);
    }
    static uint16_t at(Image* image, int32_t x, int32_t y) {
        return image->pixels16()[y * (image->stride / 2) + x];
    }
    static uint16_t rgb(uint32_t argb) { return mrc::gfx::argbToRgb565(argb); }
    static void fill(Image* image, uint32_t argb) {
        Graphics* g = image->getGraphics();
        g->setColor(int32_t(argb));
        g->fillRect(0, 0, image->width, image->height);
    }
    static std::vector<int32_t> row(IntArray* a) {
        return isNull(a) ? std::vector<int32_t>{} : std::vector<int32_t>(a->elements(), a->elements() + a->length);
    }

    java_io_ByteArrayOutputStream* captured = nullptr;
    java_io_PrintStream* savedOut = nullptr;
};

}  // namespace mrc::test
